#include "about/frmabout.h"

#include "about/registry.h"
#include "core/operator.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvale {

namespace {

// The station's picture: a flume channel with a wave.
QPixmap StationPicture(int size, qreal ratio) {
    QPixmap pm(QSize(size, size) * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 48.0, size / 48.0);
    p.setPen(QPen(QColor(40, 60, 90), 2));
    p.setBrush(QColor(230, 240, 250));
    p.drawRoundedRect(QRectF(3, 3, 42, 42), 6, 6);
    QPainterPath water;
    water.moveTo(5, 26);
    water.cubicTo(13, 18, 19, 34, 27, 26);
    water.cubicTo(33, 20, 39, 30, 43, 25);
    water.lineTo(43, 40);
    water.quadTo(43, 43, 40, 43);
    water.lineTo(8, 43);
    water.quadTo(5, 43, 5, 40);
    water.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 120, 200));
    p.drawPath(water);
    p.setBrush(QColor(120, 90, 50));
    p.drawRect(QRectF(5, 39, 38, 4));
    p.setBrush(QColor(250, 200, 40));
    p.drawEllipse(QPointF(36, 13), 5, 5);
    return pm;
}

QFrame* Line(const QString& name, const QColor& colour, QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, colour);
    line->setPalette(pal);
    return line;
}

} // namespace

frmAbout::frmAbout(Operator& op, Registry& registry, QWidget* parent)
    : QDialog(parent), op_(op), registry_(registry),
      start_([](const QString& program) { return QProcess::startDetached(program); }) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About ") + kAppTitle);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(StationPicture(48, devicePixelRatioF()));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lblTitle = new QLabel(kAppTitle, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = new QLabel(QStringLiteral("Version %1.%2.%3")
                                .arg(CORVALE_VERSION_MAJOR)
                                .arg(CORVALE_VERSION_MINOR)
                                .arg(CORVALE_VERSION_PATCH),
                            this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblDescription = new QLabel(QStringLiteral("App Description"), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    lblDisclaimer = new QLabel(QStringLiteral("Warning: ..."), this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    Line1_0 = Line(QStringLiteral("Line1_0"), Qt::white, this);
    Line1_1 = Line(QStringLiteral("Line1_1"), QColor(128, 128, 128), this);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true); // Enter presses it; Escape closes the box as well
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);

    auto* top = new QGridLayout;
    top->setHorizontalSpacing(14);
    top->addWidget(picIcon, 0, 0, 3, 1);
    top->addWidget(lblTitle, 0, 1);
    top->addWidget(lblVersion, 1, 1);
    top->addWidget(lblDescription, 2, 1);
    top->setColumnStretch(1, 1);

    auto* lines = new QVBoxLayout;
    lines->setSpacing(0);
    lines->addWidget(Line1_1);
    lines->addWidget(Line1_0);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblDisclaimer, 1);
    bottom->addLayout(buttons);

    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addSpacing(6);
    column->addLayout(lines);
    column->addSpacing(6);
    column->addLayout(bottom);
    setMinimumWidth(380);

    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
}

bool frmAbout::GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                           QString& KeyVal) {
    KeyVal.clear();
    const std::optional<QString> v = registry_.value(KeyRoot, KeyName, SubKeyRef);
    if (!v)
        return false;
    QString text = *v;
    if (text.endsWith(QChar(u'\0')))
        text.chop(1);
    // The value and its terminating NUL must fit the buffer, in the system's
    // 8-bit code page.
    if (text.toLocal8Bit().size() + 1 > kValueBufferBytes)
        return false;
    KeyVal = text;
    return true;
}

void frmAbout::StartSysInfo() {
    QString path;
    if (GetKeyValue(kHkeyLocalMachine, kMsinfoKey, kMsinfoValue, path)) {
        if (start_(path))
            return;
    } else if (GetKeyValue(kHkeyLocalMachine, kToolsLocationKey, kToolsLocationValue, path)) {
        const QString program = path + QStringLiteral("\\MSINFO32.EXE");
        if (QFileInfo::exists(program) && start_(program))
            return;
    }
    op_.message(QStringLiteral("System Information Is Unavailable At This Time"), kAppTitle);
}

} // namespace corvale
