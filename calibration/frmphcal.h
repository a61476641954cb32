#pragma once
// frmpHcal ("pH calibration data"): the stored calibration texts for
// editing. Every change of the save button's state asks for a save; the
// save button is the default, so Return presses it. The close box and
// Escape destroy the window and drop unsaved edits.

#include <QDialog>

#include "calibration/calstore.h"

class QLineEdit;

namespace corvale {

class ToggleButton;

class frmpHcal : public QDialog {
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

public slots:
    // The close box and Escape both end here.
    void reject() override;

private:
    void LoadStep();
};

} // namespace corvale
