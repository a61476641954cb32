#include "portdialog/frmdevices.h"

#include "bus/portmap.h"
#include "bus/serialdevices.h"
#include "bus/serialport.h"
#include "widgets/dialogs.h"
#include "widgets/windowfit.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace corvale {

frmDevices::frmDevices(const SerialPort& busPort, const SerialPort& ctdPort,
                       const QString& byIdFolder, QWidget* parent)
    : QDialog(parent), bus_(busPort), ctdPort_(ctdPort), byIdFolder_(byIdFolder) {
    setObjectName(QStringLiteral("frmDevices"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Serial devices"));

    auto* intro = new QLabel(
        QStringLiteral("The device each line's COM number opens. A name under %1 stays the "
                       "same when its device is plugged in again.")
            .arg(kSerialByIdFolder),
        this);
    intro->setWordWrap(true);
    dgh = makeLine(QStringLiteral("Dgh"), this);
    ctd = makeLine(QStringLiteral("Ctd"), this);
    lblResult = new QLabel(this);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    lblResult->setWordWrap(true);
    lblResult->setTextInteractionFlags(Qt::TextSelectableByMouse);

    cmdRefresh = new QPushButton(QStringLiteral("Refresh"), this);
    cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    const SaveCloseButtons buttons =
        SaveCloseRow(this, QStringLiteral("cmdSave"), QStringLiteral("cmdClose"));
    cmdSave = buttons.save;
    cmdClose = buttons.close;
    buttons.row->insertWidget(0, cmdRefresh);

    auto* column = new QVBoxLayout(this);
    column->addWidget(intro);
    column->addWidget(dgh.frame);
    column->addWidget(ctd.frame);
    column->addWidget(lblResult);
    column->addLayout(buttons.row);
    setMinimumWidth(460);

    // What a path opens follows it as it is typed or chosen.
    connect(dgh.path, &QLineEdit::textChanged, this, [this] { showNow(dgh, dghNumber_); });
    connect(ctd.path, &QLineEdit::textChanged, this, [this] { showNow(ctd, ctdNumber_); });
    connect(cmdRefresh, &QPushButton::clicked, this, &frmDevices::Refresh);
    connect(cmdSave, &QPushButton::clicked, this, &frmDevices::Save);
    Refresh();
}

frmDevices::Line frmDevices::makeLine(const QString& tag, QWidget* parent) {
    Line line;
    line.frame = new QGroupBox(parent);
    line.frame->setObjectName(QStringLiteral("fra%1Device").arg(tag));
    line.list = new QComboBox(line.frame);
    line.list->setObjectName(QStringLiteral("cbo%1Device").arg(tag));
    line.list->setPlaceholderText(QStringLiteral("Choose a device present"));
    line.list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    line.list->setMinimumContentsLength(30);
    line.path = new QLineEdit(line.frame);
    line.path->setObjectName(QStringLiteral("txt%1Device").arg(tag));
    line.path->setClearButtonEnabled(true);
    line.now = new QLabel(line.frame);
    line.now->setObjectName(QStringLiteral("lbl%1Now").arg(tag));
    line.now->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long by-id name wraps where it can; the tip has it whole.
    line.now->setWordWrap(true);
    auto* form = new QFormLayout(line.frame);
    form->addRow(QStringLiteral("Present:"), line.list);
    form->addRow(QStringLiteral("Device:"), line.path);
    form->addRow(QString(), line.now);

    QComboBox* list = line.list;
    QLineEdit* path = line.path;
    connect(list, &QComboBox::currentIndexChanged, this, [list, path](int index) {
        if (index >= 0)
            path->setText(list->itemData(index).toString());
    });
    return line;
}

void frmDevices::setByIdFolder(const QString& folder) {
    byIdFolder_ = folder;
    Refresh();
}

void frmDevices::Refresh() {
    // A longer text grows the window rather than being cut.
    const auto grow = qScopeGuard([this] {
        if (isVisible())
            GrowToContents(this);
    });
    const QList<SerialDevice> present = ListSerialDevices(byIdFolder_);
    ReloadPortMap();
    const auto load = [&](Line& line, const SerialPort& port, const QString& name) {
        const int n = port.portNumber();
        line.frame->setTitle(QStringLiteral("%1 (COM%2)").arg(name).arg(n));
        {
            const QSignalBlocker quiet(line.list);
            line.list->clear();
            for (const SerialDevice& d : present)
                line.list->addItem(DescribeSerialDevice(d), d.path);
            line.list->setCurrentIndex(-1);
        }
        line.path->setPlaceholderText(
            QStringLiteral("%1, the default of COM%2").arg(DefaultPortDevice(n)).arg(n));
        line.path->setText(StoredPortDevice(n));
        showNow(line, n);
        return n;
    };
    // The numbers shown are the ones saved to.
    dghNumber_ = load(dgh, bus_, QStringLiteral("DGH bus"));
    ctdNumber_ = load(ctd, ctdPort_, QStringLiteral("CTD line"));
    lblResult->setText(present.isEmpty() ? QStringLiteral("No serial devices found.") : QString());
}

void frmDevices::showNow(const Line& line, int portNumber) {
    // A longer text grows the window rather than being cut.
    const auto grow = qScopeGuard([this] {
        if (isVisible())
            GrowToContents(this);
    });
    const QString typed = line.path->text().trimmed();
    if (const auto problem = DeviceNameProblem(typed)) {
        line.now->setText(*problem);
        line.now->setToolTip(*problem);
        return;
    }
    const QString device = typed.isEmpty() ? DefaultPortDevice(portNumber) : typed;
    const QString state = DeviceState(device);
    const QString text =
        QStringLiteral("COM%1 opens %2%3")
            .arg(portNumber)
            .arg(device, state.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(state));
    line.now->setText(text);
    line.now->setToolTip(text);
}

bool frmDevices::Save() {
    // A longer text grows the window rather than being cut.
    const auto grow = qScopeGuard([this] {
        if (isVisible())
            GrowToContents(this);
    });
    const int dghNumber = dghNumber_;
    const int ctdNumber = ctdNumber_;
    const QString dghPath = dgh.path->text().trimmed();
    const QString ctdPath = ctd.path->text().trimmed();
    for (const auto& [name, path] : {std::pair{QStringLiteral("DGH bus"), dghPath},
                                     std::pair{QStringLiteral("CTD line"), ctdPath}}) {
        if (const auto problem = DeviceNameProblem(path)) {
            lblResult->setText(name + QStringLiteral(": ") + *problem +
                               QStringLiteral(" Nothing was saved."));
            return false;
        }
    }
    if (dghNumber == ctdNumber && dghPath != ctdPath) {
        lblResult->setText(
            QStringLiteral("The DGH bus and the CTD line both use COM%1, which opens one "
                           "device. Nothing was saved.")
                .arg(dghNumber));
        return false;
    }
    if (!StorePortDevice(dghNumber, dghPath) || !StorePortDevice(ctdNumber, ctdPath)) {
        lblResult->setText(QStringLiteral("The settings store cannot be written."));
        return false;
    }
    dgh.path->setText(dghPath);
    ctd.path->setText(ctdPath);
    lblResult->setText(QStringLiteral("Saved. %1; %2. An open line uses its new device when it is "
                                      "next opened.")
                           .arg(PortDeviceHint(dghNumber), PortDeviceHint(ctdNumber)));
    return true;
}

} // namespace corvale
