// frmMain's elements in their order and grouping: toolbar, instrument panel,
// the "Thruster" and "Wave Generator" frames, the "pH Probe" frame with both
// chart panels, the status bar and the menu bar.

#include "ui/mainwindow.h"

#include "ui/toolbaricons.h"
#include "widgets/indicatorlamp.h"
#include "widgets/knob.h"
#include "widgets/numericbox.h"
#include "widgets/slide.h"
#include "widgets/statusbar.h"
#include "widgets/stripchart.h"
#include "widgets/togglebutton.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace corvale {

namespace {

QFrame* Panel(const QString& name, QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Plain);
    return frame;
}

// A read-out whose size holds while its readings change, and which paints
// its own background in the colour its frame shows behind it: a new reading
// (24 a second from the CTD) repaints the label alone, where a label free to
// size itself lays out the whole window again and a see-through one has
// every widget behind it repainted. A reading wider than any before widens
// it, once.
class ReadoutLabel : public QLabel {
public:
    ReadoutLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange)
            background_ = QColor(); // taken again at the next paint
        QLabel::changeEvent(event);
    }
    void paintEvent(QPaintEvent* event) override {
        const QSize need = sizeHint();
        if (need.width() > width() || need.height() > height())
            setFixedSize(size().expandedTo(need));
        if (!background_.isValid())
            background_ = frameColour();
        QPainter(this).fillRect(rect(), background_);
        QLabel::paintEvent(event);
    }

private:
    // The frame's own drawing (not its children) at the label's centre.
    QColor frameColour() const {
        QWidget* frame = parentWidget();
        if (!frame)
            return palette().color(QPalette::Window);
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        frame->render(&image, QPoint(), QRegion(QRect(geometry().center(), QSize(1, 1))),
                      QWidget::DrawWindowBackground);
        return image.pixelColor(0, 0);
    }

    QColor background_;
};

// A captioned frame holding one read-out label with its initial text.
QGroupBox* Readout(const QString& caption, const QString& labelName, const QString& text,
                   QLabel*& label, QWidget* parent,
                   const QString& widest = QStringLiteral("00000.00")) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QStringLiteral("fra") + labelName.mid(3));
    label = new ReadoutLabel(text, frame);
    label->setObjectName(labelName);
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    label->setFont(font);
    // Wide enough for the widest usual reading, so the row does not jump.
    label->setFixedSize(
        label->sizeHint().expandedTo(QSize(QFontMetrics(font).horizontalAdvance(widest), 0)));
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->addWidget(label, 0, Qt::AlignCenter);
    return frame;
}

// Keeps a push-button-like widget from growing past its text.
template <class W> W* Compact(W* w) {
    w->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return w;
}

} // namespace

void frmMain::buildToolbar() {
    Toolbar1 = new QToolBar(QStringLiteral("Toolbar1"), this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(20, 20));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    Toolbar1->toggleViewAction()->setEnabled(false);
    const struct {
        const char* key;
        const char* tip;
    } buttons[] = {{"start", "Start Logging"},
                   {"stop", "Stop Logging"},
                   {"cal", "Enter calibration data"},
                   {"comms", "Open communications window"}};
    for (const auto& b : buttons) {
        const QString key = QString::fromLatin1(b.key);
        auto* action = new QAction(ToolbarIcon(key), QString::fromLatin1(b.tip), Toolbar1);
        action->setObjectName(QStringLiteral("Toolbar1_") + key);
        action->setData(key);
        action->setToolTip(QString::fromLatin1(b.tip));
        Toolbar1->addAction(action);
    }
    // The event mark is no keyed button: it runs its menu item.
    Toolbar1->addSeparator();
    auto* mark =
        new QAction(ToolbarIcon(QStringLiteral("mark")), QStringLiteral("Mark an event"), Toolbar1);
    mark->setObjectName(QStringLiteral("Toolbar1_mark"));
    Toolbar1->addAction(mark);
    Toolbar1->addSeparator();
    Label5 = new QLabel(Toolbar1);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setMinimumWidth(Label5->fontMetrics().horizontalAdvance(QStringLiteral("0,0")) + 12);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setToolTip(QStringLiteral("Profiler inputs (up, down)"));
    Toolbar1->addWidget(Label5);
    addToolBar(Qt::TopToolBarArea, Toolbar1);
}

void frmMain::buildMenus() {
    auto menu = [this](const char* name, const char* title) {
        QMenu* m = menuBar()->addMenu(QString::fromLatin1(title));
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto item = [](QMenu* m, const char* name, const char* caption) {
        QAction* a = m->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    menuBar()->setObjectName(QStringLiteral("menuBar"));
    mnuFile = menu("mnuFile", "File");
    mnuExit = item(mnuFile, "mnuExit", "Exit");
    mnuLogging = menu("mnuLogging", "Logging");
    mnuStart = item(mnuLogging, "mnuStart", "Start Logging");
    mnuStop = item(mnuLogging, "mnuStop", "Stop Logging");
    mnuStop->setEnabled(false);
    mnuMark = item(mnuLogging, "mnuMark", "Mark Event...");
    mnuReview = item(mnuLogging, "mnuReview", "Review Session...");
    mnuCalibration = menu("mnuCalibration", "Calibration");
    mnuCalValues = item(mnuCalibration, "mnuCalValues", "Enter Calibration values");
    mnuComms = menu("mnuComms", "Communications");
    mnuDGHcomm = item(mnuComms, "mnuDGHcomm", "DGH Comm Port");
    mnuDevices = item(mnuComms, "mnuDevices", "Serial devices");
    mnuFeed = item(mnuComms, "mnuFeed", "Ship Feed...");
    mnuHealth = item(mnuComms, "mnuHealth", "Link Health");
    mnuFaults = item(mnuComms, "mnuFaults", "Faults...");
    mnuHelp = menu("mnuHelp", "Help");
    mnuAbout = item(mnuHelp, "mnuAbout", "About");
}

void frmMain::buildStatusBar() {
    // Panel 5: the link health summary.
    StatusBar1 = new StationStatusBar(5, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);
}

QWidget* frmMain::buildInstrumentPanel() {
    QFrame* panel = Panel(QStringLiteral("fraInstruments"), this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(6, 4, 6, 4);

    auto* profiler = new QGridLayout;
    profiler->setHorizontalSpacing(6);
    profiler->setVerticalSpacing(4);
    cwVP = Compact(new ToggleButton(QStringLiteral("cwVP"), QStringLiteral("VP Power ON"),
                                    QStringLiteral("VP Power OFF"), panel));
    CWButtonUp = Compact(new ToggleButton(QStringLiteral("CWButtonUp"), QStringLiteral("VP UP"),
                                          QStringLiteral("VP UP"), panel));
    CWButtonDwn = Compact(new ToggleButton(QStringLiteral("CWButtonDwn"), QStringLiteral("VP DOWN"),
                                           QStringLiteral("VP DOWN"), panel));
    for (int i = 0; i < 2; ++i) {
        lblStatus[i] = new IndicatorLamp(QStringLiteral("lblStatus_%1").arg(i), panel);
        lblStatus[i]->setToolTip(i == 0 ? QStringLiteral("Up direction free")
                                        : QStringLiteral("Down direction free"));
    }
    // Each lamp sits beside the direction it gates.
    profiler->addWidget(cwVP, 0, 0, 1, 2);
    profiler->addWidget(CWButtonUp, 1, 0);
    profiler->addWidget(lblStatus[0], 1, 1, Qt::AlignCenter);
    profiler->addWidget(CWButtonDwn, 2, 0);
    profiler->addWidget(lblStatus[1], 2, 1, Qt::AlignCenter);
    row->addLayout(profiler);
    row->addSpacing(8);

    const struct {
        const char* caption;
        const char* name;
        const char* text;
        QLabel** label;
    } readouts[] = {
        {"VP Watts", "lblVPcur", "0", &lblVPcur},
        {"mV1", "lblmV", "000", &lblmV},
        {"pH1", "lblpH", "000", &lblpH},
        {"Conductivity", "lblConduct", "0", &lblConduct},
        {"Temperature", "lblTemp", "0", &lblTemp},
        {"Press (dBar)", "lblPress", "0", &lblPress},
        {"Salinity", "lblSalinity", "0", &lblSalinity},
    };
    for (const auto& r : readouts)
        row->addWidget(Readout(QString::fromLatin1(r.caption), QString::fromLatin1(r.name),
                               QString::fromLatin1(r.text), *r.label, panel),
                       1);
    return panel;
}

QWidget* frmMain::buildActuatorFrame(bool thruster) {
    const QString tag = thruster ? QStringLiteral("Thruster") : QStringLiteral("Wave");
    auto* frame = new QGroupBox(
        thruster ? QStringLiteral("Thruster") : QStringLiteral("Wave Generator"), this);
    frame->setObjectName(QStringLiteral("fra") + tag);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(6, 4, 6, 6);

    // The slide gets the width its scale labels need; power and the typed
    // value share the column to its left, the read-outs stack on the right.
    QFrame* controls = Panel(QStringLiteral("fra") + tag + QStringLiteral("Control"), frame);
    auto* c = new QGridLayout(controls);
    c->setContentsMargins(6, 4, 6, 4);
    c->setHorizontalSpacing(8);
    const double top = thruster ? 1000 : 5000;
    auto* power = Compact(
        new ToggleButton(thruster ? QStringLiteral("cwThrust") : QStringLiteral("cwWave"),
                         QStringLiteral("Power ON"), QStringLiteral("Power OFF"), controls));
    auto* slide = new Slide(thruster ? QStringLiteral("sldThruster") : QStringLiteral("sldWave"), 0,
                            top, top / 10, top / 20, Qt::Horizontal, controls);
    auto* box =
        new NumericBox(thruster ? QStringLiteral("CWNumEdit1") : QStringLiteral("CWNumEdit2"), 0,
                       top, 0, controls);
    box->setToolTip(QStringLiteral("Speed setting, 0 to %1").arg(top));
    c->addWidget(power, 0, 0);
    c->addWidget(box, 1, 0);
    c->addWidget(slide, 0, 1, 2, 1, Qt::AlignVCenter);
    c->setColumnStretch(1, 1);
    row->addWidget(controls, 1);

    QFrame* readouts = Panel(QStringLiteral("fra") + tag + QStringLiteral("Readout"), frame);
    auto* r = new QVBoxLayout(readouts);
    r->setContentsMargins(4, 2, 4, 2);
    r->setSpacing(2);
    QLabel*& rpm = thruster ? lblThrustRPM : lblWaveRPM;
    QLabel*& watts = thruster ? lblMtrCur : lblWaveCur;
    r->addWidget(Readout(QStringLiteral("RPM"),
                         thruster ? QStringLiteral("lblThrustRPM") : QStringLiteral("lblWaveRPM"),
                         QStringLiteral("0"), rpm, readouts, QStringLiteral("0000.0")));
    r->addWidget(Readout(QStringLiteral("Watts"),
                         thruster ? QStringLiteral("lblMtrCur") : QStringLiteral("lblWaveCur"),
                         QStringLiteral("0"), watts, readouts, QStringLiteral("0000.0")));
    row->addWidget(readouts);

    if (thruster) {
        cwThrust = power;
        sldThruster = slide;
        CWNumEdit1 = box;
    } else {
        cwWave = power;
        sldWave = slide;
        CWNumEdit2 = box;
    }
    return frame;
}

QWidget* frmMain::buildChartFrame() {
    auto* frame = new QGroupBox(QStringLiteral("pH Probe"), this);
    frame->setObjectName(QStringLiteral("fraPhProbe"));
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(6, 4, 6, 6);
    row->addWidget(buildChartPanel(true), 1);
    row->addWidget(buildChartPanel(false), 1);
    return frame;
}

QWidget* frmMain::buildChartPanel(bool ph) {
    QFrame* panel = Panel(ph ? QStringLiteral("fraPhChart") : QStringLiteral("fraCtdChart"), this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 4, 4, 4);

    auto* chart = new StripChart(
        ph ? QStringLiteral("CWGraph1") : QStringLiteral("CWGraph2"), QStringLiteral("Time"),
        ph ? QStringLiteral("pH 1") : QStringLiteral("Conductivitiy"), panel);
    chart->setMinimumSize(240, 180);
    // Fewer, wider time labels: hh:mm:ss needs room at this chart's width.
    chart->plot()->xAxis->ticker()->setTickCount(4);
    // Design ranges; the knobs take over once their handlers are wired.
    if (ph)
        chart->setYRange(0, 14);
    else
        chart->setYRange(44, 56);
    row->addWidget(chart, 1);

    const double lo = ph ? 0 : kCtdKnobMin;
    const double hi = ph ? 14 : kCtdKnobMax;
    auto* kmin = new Knob(ph ? QStringLiteral("CWpHmin") : QStringLiteral("CWKnobCTDmin"),
                          QStringLiteral("Min."), lo, hi, panel);
    auto* kmax = new Knob(ph ? QStringLiteral("CWpHmax") : QStringLiteral("CWKnobCTDmax"),
                          QStringLiteral("Max."), lo, hi, panel);
    // "Zoom" first, as the chart starts in zoom mode with its cursors hidden.
    auto* mode = new Slide(
        ph ? QStringLiteral("GraphMode") : QStringLiteral("CTDgraphMode"),
        {{QStringLiteral("Zoom"), 1}, {QStringLiteral("Pan"), 0}, {QStringLiteral("Cursor "), 2}},
        Qt::Vertical, panel);
    mode->setValue(1);
    mode->setToolTip(QStringLiteral("What the mouse does on the chart"));
    auto* reset = Compact(
        new ToggleButton(ph ? QStringLiteral("CWButton1") : QStringLiteral("cwCTDreset"),
                         QStringLiteral("Reset Scale"), QStringLiteral("Reset Scale"), panel));
    auto* plot = Compact(
        new ToggleButton(ph ? QStringLiteral("cwPlot") : QStringLiteral("cwCTDplot"),
                         QStringLiteral("Pause Plot"), QStringLiteral("Start Plot"), panel));
    auto* flag = Compact(
        new ToggleButton(ph ? QStringLiteral("cwbPh") : QStringLiteral("cwCTDflag"),
                         ph ? QStringLiteral("Disable pH") : QStringLiteral("Disable CTD"),
                         ph ? QStringLiteral("Enable pH") : QStringLiteral("Enable CTD"), panel));

    auto* side = new QGridLayout;
    side->setSpacing(4);
    int r = 0;
    if (ph) {
        lblpHdata = new QLabel(QStringLiteral("pH Probe"), panel);
        lblpHdata->setObjectName(QStringLiteral("lblpHdata"));
        lblpHdata->setAlignment(Qt::AlignCenter);
        QFont f = lblpHdata->font();
        f.setBold(true);
        lblpHdata->setFont(f);
        // The calibration summary is long: it wraps inside the column rather
        // than widening it and squeezing the chart.
        lblpHdata->setWordWrap(true);
        lblpHdata->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        side->addWidget(lblpHdata, r++, 0, 1, 2);
    } else {
        // Keeps the CTD controls level with the pH ones.
        const int height = QFontMetrics(font()).height();
        side->addItem(new QSpacerItem(1, height, QSizePolicy::Minimum, QSizePolicy::Fixed), r++, 0);
    }
    side->addWidget(kmin, r, 0);
    side->addWidget(kmax, r++, 1);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(reset);
    buttons->addWidget(plot);
    buttons->addWidget(flag);
    buttons->addStretch(1);
    side->addWidget(mode, r, 0);
    side->addLayout(buttons, r++, 1);
    side->setRowStretch(r, 1);
    row->addLayout(side);

    if (ph) {
        CWGraph1 = chart;
        CWpHmin = kmin;
        CWpHmax = kmax;
        GraphMode = mode;
        CWButton1 = reset;
        cwPlot = plot;
        cwbPh = flag;
    } else {
        CWGraph2 = chart;
        CWKnobCTDmin = kmin;
        CWKnobCTDmax = kmax;
        CTDgraphMode = mode;
        cwCTDreset = reset;
        cwCTDplot = plot;
        cwCTDflag = flag;
    }
    return panel;
}

} // namespace corvale
