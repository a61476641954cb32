#pragma once
// frmFeed ("Ship Feed"): the live feed on or off, its destination address
// and UDP port, and the feed's status as it stands. "Save" checks the
// entries, stores them in the "Feed" section and takes them into use;
// entries that cannot be used are named under the fields and nothing is
// saved. Shown without blocking the main window.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace corvale {

class ShipFeed;

class frmFeed : public QDialog {
    Q_OBJECT
public:
    explicit frmFeed(ShipFeed& feed, QWidget* parent = nullptr);

    QCheckBox* chkFeedOn = nullptr;
    // Only in a replay: lets this run's replay out, marked as replayed
    // (never stored).
    QCheckBox* chkFeedReplay = nullptr;
    QLineEdit* txtFeedAddress = nullptr;
    QSpinBox* spnFeedPort = nullptr;
    QLabel* lblFeedProblem = nullptr;
    QLabel* lblFeedStatus = nullptr;
    QPushButton* cmdFeedSave = nullptr;
    QPushButton* cmdFeedClose = nullptr;

    // Puts the feed's settings in use back into the fields.
    void LoadStep();
    // Returns false (and names the problem) when the entries cannot be used.
    bool SaveStep();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowStatus(const QString& text, bool failing);

    ShipFeed& feed_;
};

} // namespace corvale
