#include "calibration/frmphcal.h"

#include "widgets/togglebutton.h"

#include <QFormLayout>
#include <QLineEdit>

namespace corvale {

namespace {
QLineEdit* MakeField(const QString& name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    return field;
}
} // namespace

frmpHcal::frmpHcal(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmpHcal"));
    setWindowTitle(QStringLiteral("pH calibration data"));
    setAttribute(Qt::WA_DeleteOnClose);

    txtSerialNum = MakeField(QStringLiteral("txtSerialNum"), this);
    txtSlope = MakeField(QStringLiteral("txtSlope"), this);
    txtOffset = MakeField(QStringLiteral("txtOffset"), this);
    txtDate = MakeField(QStringLiteral("txtDate"), this);
    CWButton1 = new ToggleButton(QStringLiteral("CWButton1"), QStringLiteral("Data Saved"),
                                 QStringLiteral("Save Data"), this);
    CWButton1->setDefault(true);

    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Serial Number:"), txtSerialNum);
    layout->addRow(QStringLiteral("Slope:"), txtSlope);
    layout->addRow(QStringLiteral("Offset:"), txtOffset);
    layout->addRow(QStringLiteral("Date Calibrated:"), txtDate);
    layout->addRow(CWButton1);

    // Each press switches the button; either new state saves.
    connect(CWButton1, &ToggleButton::valueChanged, this, [this](bool) { emit saveRequested(); });

    LoadStep();
}

void frmpHcal::LoadStep() {
    const CalTexts stored = LoadCalTexts();
    txtOffset->setText(stored.offset);
    txtSlope->setText(stored.slope);
    txtSerialNum->setText(stored.serialNum);
    txtDate->setText(stored.date);
}

CalTexts frmpHcal::texts() const {
    return {txtOffset->text(), txtSlope->text(), txtSerialNum->text(), txtDate->text()};
}

void frmpHcal::reject() {
    emit closedByOperator();
    QDialog::reject();
}

} // namespace corvale
