#pragma once
// frmLogBF2 ("Logger"): the operator's logging choices. The window builds
// its controls, runs its own option and Select File steps, and hands the OK
// press to the logging control. It is a dialog, not modal: OK (the default
// button, so Return presses it) hides it with its choices kept; the close
// box and Escape destroy it.

#include <QDialog>
#include <array>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace corvale {

class Operator;
struct StationState;

class frmLogBF2 : public QDialog {
    Q_OBJECT
public:
    frmLogBF2(StationState& state, Operator& operatorUi, QWidget* parent = nullptr);

    // Index 1 "Write to File", 0 "No Save".
    std::array<QRadioButton*, 2> optDatafile{};
    // Index 1 "Overwrite", 0 "Append".
    std::array<QRadioButton*, 2> optAppend{};
    QComboBox* cmbInterval = nullptr;
    QPushButton* cmdSelect = nullptr;
    QPushButton* cmdExit = nullptr;
    // The raw archive's choices (log to a file only).
    QCheckBox* chkRawArchive = nullptr;
    QCheckBox* chkRawArchiveBus = nullptr;
    // The chosen file's path below the file row, shortened in the middle
    // when narrow (its tooltip holds it whole).
    QLabel* lblFileName = nullptr;

    // The logging interval of the selected list position; none selected: empty.
    std::optional<int> selectedIntervalMs() const;

    void OptionStep();
    void SelectFileStep();

signals:
    void okPressed();
    // The close box or Escape was used; the window is on its way to
    // destruction.
    void closedByOperator();

public slots:
    // The close box and Escape both end here.
    void reject() override;

private:
    void LoadStep();
    void ShowFileName();

    StationState& state_;
    Operator& operator_;
    QButtonGroup* datafileGroup_ = nullptr;
    QButtonGroup* appendGroup_ = nullptr;
};

// Logging interval in milliseconds for each position of the interval list.
inline constexpr std::array<int, 8> kLogIntervalsMs{60000, 30000, 15000, 10000,
                                                    5000,  2000,  1000,  500};

} // namespace corvale
