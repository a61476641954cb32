#pragma once
// frmpHcal ("pH calibration data"): the stored calibration texts for
// editing. Every change of the save button's state asks for a save; the
// close box destroys the window and drops unsaved edits.

#include <QWidget>

#include "calibration/calstore.h"

class QLineEdit;

namespace corvale {

class ToggleButton;

class frmpHcal : public QWidget {
    Q_OBJECT
public:
    explicit frmpHcal(QWidget* parent = nullptr);

    QLineEdit* txtSerialNum = nullptr;
    QLineEdit* txtSlope = nullptr;
    QLineEdit* txtOffset = nullptr;
    QLineEdit* txtDate = nullptr;
    ToggleButton* CWButton1 = nullptr;

    CalTexts texts() const;

signals:
    void saveRequested();
    void closedByOperator();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape closes the window as its close box does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LoadStep();
};

} // namespace corvale
