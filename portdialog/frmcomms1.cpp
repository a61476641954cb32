#include "portdialog/frmcomms1.h"

#include "bus/bussession.h"
#include "bus/portmap.h"
#include "portdialog/commsettings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace corvale {

namespace {

QComboBox* List(const QString& name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setMinimumContentsLength(8);
    return box;
}

QLabel* Caption(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// Room for the device label before it is shortened.
constexpr int kDeviceLabelWidth = 560;

// Selects the entry with exactly this text, or nothing.
void Select(QComboBox* box, const QString& text) {
    box->setCurrentIndex(box->findText(text));
}

} // namespace

frmComms1::frmComms1(BusSession& bus, Operator& op, const QString& caption, QWidget* parent)
    : QDialog(parent), bus_(bus), op_(op) {
    setObjectName(QStringLiteral("frmComms1"));
    setWindowTitle(QStringLiteral("DGH Port Settings"));

    lblComm = Caption(QStringLiteral("lblComm"), QStringLiteral("Port:"), this);
    lblBaudRate = Caption(QStringLiteral("lblBaudRate"), QStringLiteral("Baud Rate:"), this);
    lblDataBits = Caption(QStringLiteral("lblDataBits"), QStringLiteral("Data Bits:"), this);
    Label1 = Caption(QStringLiteral("Label1"), QStringLiteral("Parity:"), this);
    lblStopBits = Caption(QStringLiteral("lblStopBits"), QStringLiteral("Stop Bits:"), this);
    cboPort = List(QStringLiteral("cboPort"), this);
    cboBaud = List(QStringLiteral("cboBaud"), this);
    cboDataBits = List(QStringLiteral("cboDataBits"), this);
    cboParity = List(QStringLiteral("cboParity"), this);
    cboStopBits = List(QStringLiteral("cboStopBits"), this);
    cmdUpdate = new QPushButton(QStringLiteral("Update and Open Comm Port"), this);
    cmdUpdate->setObjectName(QStringLiteral("cmdUpdate"));
    cmdUpdate->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    const std::pair<QLabel*, QComboBox*> rows[] = {{lblComm, cboPort},
                                                   {lblBaudRate, cboBaud},
                                                   {lblDataBits, cboDataBits},
                                                   {Label1, cboParity},
                                                   {lblStopBits, cboStopBits}};
    int r = 0;
    for (const auto& [label, box] : rows) {
        label->setBuddy(box);
        grid->addWidget(label, r, 0, Qt::AlignRight);
        grid->addWidget(box, r++, 1);
    }
    lblDevice = Caption(QStringLiteral("lblDevice"), QString(), this);
    grid->addWidget(lblDevice, r++, 0, 1, 2);
    grid->addWidget(cmdUpdate, r, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    Load(caption);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmComms1::Update);
    connect(cboPort, &QComboBox::currentIndexChanged, this, &frmComms1::describePorts);
}

frmComms1* PortDialogSlot::show() {
    // The load steps run here, once per creation.
    return slot_.show([this] { return new frmComms1(bus_, op_, caption_, parent_); });
}

bool PortDialogSlot::CommDevice(int device) {
    const auto caption = CommDeviceCaption(device);
    if (!caption)
        return false;
    caption_ = *caption;
    show();
    return true;
}

void frmComms1::Load(const QString& caption) {
    for (int n = 10; n >= 1; --n)
        cboPort->addItem(PortNameFromNumber(n));
    cboBaud->addItems({QStringLiteral("38400"), QStringLiteral("19200"), QStringLiteral("9600"),
                       QStringLiteral("4800"), QStringLiteral("2400"), QStringLiteral("1200"),
                       QStringLiteral("300")});
    cboDataBits->addItems({QStringLiteral("8"), QStringLiteral("7")});
    cboParity->addItems({QStringLiteral("Odd"), QStringLiteral("Even"), QStringLiteral("None")});
    cboStopBits->addItems({QStringLiteral("1"), QStringLiteral("2")});
    // A filled list selects its first entry by itself; only the port's own
    // settings may be preselected.
    for (QComboBox* box : {cboPort, cboBaud, cboDataBits, cboParity, cboStopBits})
        box->setCurrentIndex(-1);

    setWindowTitle(caption);

    const SerialPort& port = bus_.port();
    const QStringList f = SplitSettings(port.settings());
    Select(cboPort, PortNameFromNumber(port.portNumber()));
    // A value the list does not offer leaves that list without a selection.
    Select(cboBaud, f[0]);
    Select(cboDataBits, f[2]);
    Select(cboParity, ParityName(f[1]).value_or(QString()));
    Select(cboStopBits, f[3]);
    describePorts();
}

bool frmComms1::Validate() {
    const std::pair<QComboBox*, const char*> checks[] = {{cboPort, "Must Select a Port Number"},
                                                         {cboBaud, "Must Select a Baud rate"},
                                                         {cboDataBits, "Must Select a Data Bit"},
                                                         {cboParity, "Must Select a Parity"},
                                                         {cboStopBits, "Must Select a Stop Bit"}};
    for (const auto& [box, message] : checks) {
        if (box->currentText().isEmpty()) {
            op_.message(QString::fromLatin1(message));
            return false;
        }
    }
    return true;
}

void frmComms1::Update() {
    if (!Validate())
        return;
    // The session opens the port in its turn on the bus and reports what
    // happened; the dialog's part ends here.
    const SerialPort& port = bus_.port();
    BusSettings chosen;
    chosen.portNumber = PortNumberFromName(cboPort->currentText()).value_or(port.portNumber());
    QStringList f = SplitSettings(port.settings());
    f[0] = cboBaud->currentText();
    if (const auto letter = ParityLetter(cboParity->currentText()))
        f[1] = *letter;
    f[2] = cboDataBits->currentText();
    f[3] = cboStopBits->currentText();
    chosen.settings = f.join(QLatin1Char(','));
    close(); // deleted later
    bus_.openPort(chosen);
}

void frmComms1::describePorts() {
    // Which device each COM number opens on this machine, and which serial
    // devices exist, without changing the list itself. The store may have
    // been edited since the map was read.
    ReloadPortMap();
    const QStringList present = AvailableSerialDevices();
    const QString devices = present.isEmpty() ? QStringLiteral("Serial devices found: none")
                                              : QStringLiteral("Serial devices found: ") +
                                                    present.join(QLatin1String(", "));
    for (int i = 0; i < cboPort->count(); ++i) {
        const auto n = PortNumberFromName(cboPort->itemText(i));
        if (n)
            cboPort->setItemData(i, PortDeviceHint(*n) + QLatin1Char('\n') + devices,
                                 Qt::ToolTipRole);
    }
    const auto current = PortNumberFromName(cboPort->currentText());
    cboPort->setToolTip(current ? PortDeviceHint(*current) + QLatin1Char('\n') + devices : devices);
    // One line: a long by-id name is shortened in its middle, whole in the tip.
    const QString hint = current ? PortDeviceHint(*current) : QString();
    lblDevice->setText(
        lblDevice->fontMetrics().elidedText(hint, Qt::ElideMiddle, kDeviceLabelWidth));
    lblDevice->setToolTip(hint);
}

} // namespace corvale
