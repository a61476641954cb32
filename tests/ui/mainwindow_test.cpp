// The main window as laid out: every named element with its caption and
// initial text, the state right after start, the menus and toolbar, and the
// shutdown order.

#include "about/frmabout.h"
#include "calibration/frmphcal.h"
#include "core/textnum.h"
#include "logging/frmlogbf2.h"
#include "portdialog/frmcomms1.h"
#include "tests/support/mainwindow_fixture.h"
#include "widgets/indicatorlamp.h"
#include "widgets/knob.h"
#include "widgets/numericbox.h"
#include "widgets/slide.h"
#include "widgets/statusbar.h"
#include "widgets/stripchart.h"
#include "widgets/togglebutton.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <qcustomplot.h>

using namespace corvale;

namespace {

// The caption of the frame that holds a read-out label.
QString FrameCaption(const QWidget* label) {
    for (const QWidget* w = label->parentWidget(); w; w = w->parentWidget())
        if (auto* box = qobject_cast<const QGroupBox*>(w))
            return box->title();
    return QStringLiteral("<no frame>");
}

QRect InWindow(const QWidget* w, const QWidget* main) {
    return QRect(w->mapTo(main, QPoint(0, 0)), w->size());
}

} // namespace

TEST_F(StationTest, EveryNamedElementCarriesItsNameCaptionAndInitialText) {
    frmMain& w = make();
    EXPECT_EQ(w.windowTitle(), "Corvale II");
    EXPECT_EQ(w.objectName(), "frmMain");

    struct Readout {
        QLabel* label;
        const char* name;
        const char* frame;
        const char* text;
    };
    const Readout readouts[] = {
        {w.lblVPcur, "lblVPcur", "VP Watts", "0"},
        {w.lblmV, "lblmV", "mV1", "000"},
        {w.lblpH, "lblpH", "pH1", "000"},
        {w.lblConduct, "lblConduct", "Conductivity", "0"},
        {w.lblTemp, "lblTemp", "Temperature", "0"},
        {w.lblPress, "lblPress", "Press (dBar)", "0"},
        {w.lblSalinity, "lblSalinity", "Salinity", "0"},
        {w.lblThrustRPM, "lblThrustRPM", "RPM", "0"},
        {w.lblMtrCur, "lblMtrCur", "Watts", "0"},
        {w.lblWaveRPM, "lblWaveRPM", "RPM", "0"},
        {w.lblWaveCur, "lblWaveCur", "Watts", "0"},
    };
    for (const Readout& r : readouts) {
        SCOPED_TRACE(r.name);
        ASSERT_NE(r.label, nullptr);
        EXPECT_EQ(w.findChild<QLabel*>(QString::fromLatin1(r.name)), r.label);
        EXPECT_EQ(r.label->text(), QString::fromLatin1(r.text));
        EXPECT_EQ(FrameCaption(r.label), QString::fromLatin1(r.frame));
    }
    EXPECT_EQ(FrameCaption(w.lblThrustRPM), "RPM");
    EXPECT_EQ(FrameCaption(w.cwThrust), "Thruster");
    EXPECT_EQ(FrameCaption(w.lblMtrCur->parentWidget()), "Thruster");
    EXPECT_EQ(FrameCaption(w.cwWave), "Wave Generator");
    EXPECT_EQ(FrameCaption(w.lblWaveCur->parentWidget()), "Wave Generator");
    EXPECT_EQ(FrameCaption(w.CWGraph1), "pH Probe");
    EXPECT_EQ(FrameCaption(w.CWGraph2), "pH Probe");

    struct Toggle {
        ToggleButton* button;
        const char* name;
        const char* on;
        const char* off;
    };
    const Toggle toggles[] = {
        {w.CWButtonUp, "CWButtonUp", "VP UP", "VP UP"},
        {w.CWButtonDwn, "CWButtonDwn", "VP DOWN", "VP DOWN"},
        {w.CWButton1, "CWButton1", "Reset Scale", "Reset Scale"},
        {w.cwPlot, "cwPlot", "Pause Plot", "Start Plot"},
        {w.cwbPh, "cwbPh", "Disable pH", "Enable pH"},
        {w.cwCTDreset, "cwCTDreset", "Reset Scale", "Reset Scale"},
        {w.cwCTDplot, "cwCTDplot", "Pause Plot", "Start Plot"},
        {w.cwCTDflag, "cwCTDflag", "Disable CTD", "Enable CTD"},
    };
    for (const Toggle& t : toggles) {
        SCOPED_TRACE(t.name);
        ASSERT_NE(t.button, nullptr);
        EXPECT_EQ(w.findChild<ToggleButton*>(QString::fromLatin1(t.name)), t.button);
        EXPECT_EQ(t.button->onText(), QString::fromLatin1(t.on));
        EXPECT_EQ(t.button->offText(), QString::fromLatin1(t.off));
        EXPECT_FALSE(t.button->value());
        EXPECT_EQ(t.button->text(), QString::fromLatin1(t.off));
    }
    for (const char* name : {"cwVP", "cwThrust", "cwWave"}) {
        auto* b = w.findChild<ToggleButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        EXPECT_FALSE(b->value()) << name;
    }
    EXPECT_EQ(w.findChild<IndicatorLamp*>("lblStatus_0"), w.lblStatus[0]);
    EXPECT_EQ(w.findChild<IndicatorLamp*>("lblStatus_1"), w.lblStatus[1]);
    EXPECT_EQ(w.findChild<NumericBox*>("CWNumEdit1"), w.CWNumEdit1);
    EXPECT_EQ(w.findChild<NumericBox*>("CWNumEdit2"), w.CWNumEdit2);
    EXPECT_EQ(w.findChild<StripChart*>("CWGraph1"), w.CWGraph1);
    EXPECT_EQ(w.findChild<StripChart*>("CWGraph2"), w.CWGraph2);
    EXPECT_EQ(w.findChild<StationStatusBar*>("StatusBar1"), w.StatusBar1);
    EXPECT_EQ(w.findChild<QToolBar*>("Toolbar1"), w.Toolbar1);
    EXPECT_EQ(w.findChild<QLabel*>("lblpHdata")->text(), "pH Probe");
    EXPECT_EQ(w.findChild<QLabel*>("Label5")->text(), "");
    EXPECT_EQ(w.Label5->parentWidget(), w.Toolbar1);
}

TEST_F(StationTest, ScalesRangesAndModePositionsAreThoseOfTheLayout) {
    frmMain& w = make();
    EXPECT_EQ(w.sldThruster->minimum(), 0);
    EXPECT_EQ(w.sldThruster->maximum(), 1000);
    EXPECT_EQ(w.sldWave->minimum(), 0);
    EXPECT_EQ(w.sldWave->maximum(), 5000);
    EXPECT_EQ(w.findChild<Slide*>("sldThruster"), w.sldThruster);
    EXPECT_EQ(w.findChild<Slide*>("sldWave"), w.sldWave);
    for (Knob* k : {w.CWpHmin, w.CWpHmax}) {
        EXPECT_EQ(k->minimum(), 0) << k->objectName().toStdString();
        EXPECT_EQ(k->maximum(), 14) << k->objectName().toStdString();
    }
    for (Knob* k : {w.CWKnobCTDmin, w.CWKnobCTDmax}) {
        EXPECT_LE(k->minimum(), 44) << k->objectName().toStdString();
        EXPECT_GE(k->maximum(), 56) << k->objectName().toStdString();
    }
    const QStringList positions{"Zoom", "Pan", "Cursor "};
    EXPECT_EQ(w.GraphMode->positionLabels(), positions);
    EXPECT_EQ(w.CTDgraphMode->positionLabels(), positions);
    EXPECT_EQ(w.findChild<Knob*>("CWKnobCTDmin"), w.CWKnobCTDmin);
    EXPECT_EQ(w.findChild<Slide*>("CTDgraphMode"), w.CTDgraphMode);
    // The selectors start on "Zoom", the mode the charts start in, so the
    // selector tells the truth before it is first moved.
    EXPECT_EQ(w.CWGraph1->interactionMode(), StripChart::Zoom);
    EXPECT_EQ(w.CWGraph2->interactionMode(), StripChart::Zoom);
    w.GraphMode->selectPosition("Zoom");
    EXPECT_EQ(w.GraphMode->value(), 1);
    w.GraphMode->selectPosition("Pan");
    EXPECT_EQ(w.GraphMode->value(), 0);
    w.GraphMode->selectPosition("Cursor ");
    EXPECT_EQ(w.GraphMode->value(), 2);
}

TEST_F(StationTest, AfterStartOnlyTheLoggerTimerRunsAndThePortsAreClosed) {
    frmMain& w = make();
    EXPECT_EQ(w.state().CalSlope, 4.5);
    EXPECT_EQ(w.state().CalOffset, 2.5);
    EXPECT_FALSE(w.state().PhReadingEnabled);

    const std::pair<StationTimer*, int> stopped[] = {
        {&w.Timer1, 250}, {&w.tmrRPM, 1000}, {&w.tmrPlot, 1000}, {&w.tmrCTDplot, 500}};
    for (const auto& [timer, interval] : stopped) {
        EXPECT_FALSE(timer->isEnabled());
        EXPECT_FALSE(timer->isTicking());
        EXPECT_EQ(timer->interval(), interval);
    }
    EXPECT_TRUE(w.tmrlogger.isEnabled());
    EXPECT_EQ(w.tmrlogger.interval(), 0);
    EXPECT_FALSE(w.tmrlogger.isTicking());

    EXPECT_FALSE(bus.isOpen());
    EXPECT_FALSE(ctd.isOpen());
    EXPECT_EQ(bus.openCount + ctd.openCount, 0);
    EXPECT_EQ(bus.receiveThreshold(), 0);
    EXPECT_EQ(bus.readLength(), 0);
    EXPECT_EQ(ctd.receiveThreshold(), 1);
    EXPECT_EQ(ctd.readLength(), 1);
    EXPECT_EQ(bus.portNumber(), 4);
    EXPECT_EQ(bus.settings(), "19200,n,8,1");

    EXPECT_EQ(w.CWKnobCTDmin->value(), 44);
    EXPECT_EQ(w.CWKnobCTDmax->value(), 56);
    EXPECT_EQ(w.CWpHmax->value(), 14);
    EXPECT_EQ(w.CWpHmin->value(), 0);
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_EQ(w.StatusBar1->panelCount(), 5); // 5: link health
}

TEST_F(StationTest, MenusHoldTheirItemsInOrderWithoutShortcuts) {
    frmMain& w = make();
    const QList<QAction*> menus = w.menuBar()->actions();
    ASSERT_EQ(menus.size(), 5);
    const QStringList titles{"File", "Logging", "Calibration", "Communications", "Help"};
    const QList<QMenu*> named{w.mnuFile, w.mnuLogging, w.mnuCalibration, w.mnuComms, w.mnuHelp};
    const QStringList names{"mnuFile", "mnuLogging", "mnuCalibration", "mnuComms", "mnuHelp"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(menus[i]->text(), titles[i]);
        EXPECT_EQ(menus[i]->menu(), named[i]);
        EXPECT_EQ(named[i]->objectName(), names[i]);
    }
    struct Item {
        QMenu* menu;
        QAction* action;
        const char* name;
        const char* caption;
        bool enabled;
    };
    const Item items[] = {
        {w.mnuFile, w.mnuExit, "mnuExit", "Exit", true},
        {w.mnuLogging, w.mnuStart, "mnuStart", "Start Logging", true},
        {w.mnuLogging, w.mnuStop, "mnuStop", "Stop Logging", false},
        {w.mnuCalibration, w.mnuCalValues, "mnuCalValues", "Enter Calibration values", true},
        {w.mnuComms, w.mnuDGHcomm, "mnuDGHcomm", "DGH Comm Port", true},
        {w.mnuHelp, w.mnuAbout, "mnuAbout", "About", true},
    };
    for (const Item& it : items) {
        SCOPED_TRACE(it.name);
        EXPECT_TRUE(it.menu->actions().contains(it.action));
        EXPECT_EQ(it.action->objectName(), QString::fromLatin1(it.name));
        EXPECT_EQ(it.action->text(), QString::fromLatin1(it.caption));
        EXPECT_EQ(it.action->isEnabled(), it.enabled);
        EXPECT_TRUE(it.action->shortcut().isEmpty());
    }
    EXPECT_EQ(w.mnuLogging->actions().indexOf(w.mnuStart), 0);
    EXPECT_EQ(w.mnuLogging->actions().indexOf(w.mnuStop), 1);
}

TEST_F(StationTest, ToolbarHasFourKeyedButtonsWithTipsAndImages) {
    frmMain& w = make();
    QList<QAction*> keyed;
    for (QAction* a : w.Toolbar1->actions())
        if (a->data().isValid())
            keyed << a;
    ASSERT_EQ(keyed.size(), 4);
    const QStringList keys{"start", "stop", "cal", "comms"};
    const QStringList tips{"Start Logging", "Stop Logging", "Enter calibration data",
                           "Open communications window"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(keyed[i]->data().toString(), keys[i]);
        EXPECT_EQ(keyed[i]->toolTip(), tips[i]);
        EXPECT_FALSE(keyed[i]->icon().isNull()) << keys[i].toStdString();
        EXPECT_TRUE(keyed[i]->isEnabled());
    }
    // The "stop" button works while the menu item is disabled.
    EXPECT_FALSE(w.mnuStop->isEnabled());
    EXPECT_TRUE(keyed[1]->isEnabled());
}

TEST_F(StationTest, ToolbarButtonsRunTheirActionsWhateverTheMenuItemsSay) {
    frmMain& w = make();
    // The "comms" button, clicked on the toolbar itself, shows the dialog.
    ClickToolbar(w, "comms");
    ASSERT_NE(w.commsDialog(), nullptr);
    EXPECT_TRUE(w.commsDialog()->isVisible());
    EXPECT_FALSE(w.commsDialog()->isModal());
    EXPECT_EQ(w.aboutDialog(), nullptr);

    // "start" shows the Logger while its menu item is disabled.
    w.mnuStart->setEnabled(false);
    ClickToolbar(w, "start");
    EXPECT_NE(w.findChild<frmLogBF2*>(), nullptr);
    ClickToolbar(w, "cal");
    EXPECT_NE(w.findChild<frmpHcal*>(), nullptr);
}

TEST_F(StationTest, ShowingADialogTwiceKeepsOneInstanceWithItsLists) {
    frmMain& w = make();
    w.show();
    w.mnuDGHcomm->trigger();
    frmComms1* first = w.commsDialog();
    ASSERT_NE(first, nullptr);
    first->cboBaud->setCurrentIndex(first->cboBaud->findText("4800"));
    ClickToolbar(w, "comms");
    w.mnuDGHcomm->trigger();
    EXPECT_EQ(w.commsDialog(), first);
    EXPECT_EQ(w.findChildren<frmComms1*>().size(), 1);
    EXPECT_EQ(first->cboPort->count(), 10);
    EXPECT_EQ(first->cboBaud->currentText(), "4800"); // not loaded again

    w.mnuAbout->trigger();
    frmAbout* about = w.aboutDialog();
    ASSERT_NE(about, nullptr);
    w.mnuAbout->trigger();
    EXPECT_EQ(w.aboutDialog(), about);
    EXPECT_EQ(w.findChildren<frmAbout*>().size(), 1);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
}

TEST_F(StationTest, ExitClosesThroughTheShutdownBusPortFirst) {
    frmMain& w = make();
    w.show();
    QStringList closed;
    bus.onClose = [&] { closed << "MSComm1"; };
    ctd.onClose = [&] { closed << "MSCommCTD"; };
    bus.open();
    ctd.open();
    w.mnuDGHcomm->trigger();
    w.mnuAbout->trigger();
    QPointer<frmComms1> comms = w.commsDialog();
    QPointer<frmAbout> about = w.aboutDialog();

    w.mnuExit->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(closed, QStringList({"MSComm1", "MSCommCTD"}));
    EXPECT_FALSE(bus.isOpen());
    EXPECT_FALSE(ctd.isOpen());
    // Dialogs close with the main main, applying nothing.
    flushDeletes();
    EXPECT_TRUE(comms.isNull());
    EXPECT_TRUE(about.isNull());
    EXPECT_EQ(bus.openCount, 1);
    EXPECT_FALSE(w.Timer1.isEnabled());

    // The shutdown runs once: destroying the window closes nothing again.
    main.reset();
    EXPECT_EQ(closed.size(), 2);
}

TEST_F(StationTest, ClosingWithNeitherPortOpenOnlyClosesTheWindow) {
    frmMain& w = make();
    w.show();
    EXPECT_TRUE(w.close());
    main.reset();
    EXPECT_EQ(bus.closeCount, 0);
    EXPECT_EQ(ctd.closeCount, 0);
}

TEST_F(StationTest, IconPathIsUnderTheProgramFolder) {
    frmMain& w = make();
    EXPECT_EQ(w.iconPath("greenlight.bmp"), programDir.path() + "/icons/greenlight.bmp");
}

TEST_F(StationTest, LayoutFitsA1280By800ScreenInItsOrder) {
    frmMain& w = make();
    const QSize min = w.minimumSizeHint().expandedTo(w.minimumSize());
    EXPECT_LE(min.width(), 1280);
    EXPECT_LE(min.height(), 760); // room for a panel or title bar
    w.resize(1280, 760);
    w.show();
    QCoreApplication::processEvents();

    // Top to bottom: toolbar, instrument panel, actuators, charts, status bar.
    const int toolbar = InWindow(w.Toolbar1, &w).bottom();
    const QRect panel = InWindow(w.lblVPcur, &w);
    const QRect thruster = InWindow(w.cwThrust, &w);
    const QRect chart = InWindow(w.CWGraph1, &w);
    const QRect status = InWindow(w.StatusBar1, &w);
    EXPECT_LT(toolbar, panel.top());
    EXPECT_LT(panel.bottom(), thruster.top());
    EXPECT_LT(thruster.bottom(), chart.top());
    EXPECT_LT(chart.bottom(), status.top());
    EXPECT_LE(status.bottom(), w.height());
    // Read-outs left to right in their order; thruster beside wave generator.
    const QList<QLabel*> row{w.lblVPcur, w.lblmV,    w.lblpH,      w.lblConduct,
                             w.lblTemp,  w.lblPress, w.lblSalinity};
    for (int i = 1; i < row.size(); ++i)
        EXPECT_LT(InWindow(row[i - 1], &w).right(), InWindow(row[i], &w).left()) << i;
    EXPECT_LT(thruster.right(), InWindow(w.cwWave, &w).left());
    EXPECT_LT(chart.right(), InWindow(w.CWGraph2, &w).left());
    // Charts get the room that is left, and every control is inside the main.
    EXPECT_GE(chart.height(), 250);
    for (QWidget* c : std::initializer_list<QWidget*>{w.CWpHmin, w.CWpHmax, w.GraphMode, w.cwbPh,
                                                      w.CWKnobCTDmax, w.cwCTDflag, w.CTDgraphMode,
                                                      w.CWNumEdit2, w.lblWaveCur, w.lblSalinity})
        EXPECT_TRUE(w.rect().contains(InWindow(c, &w))) << c->objectName().toStdString();
}

TEST_F(StationTest, SmallScreensShowTheWholeWindowWithLabelsApart) {
    frmMain& w = make();
    auto* scroll = find<QScrollArea>("centralScroll");
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(w.centralWidget(), scroll);
    ASSERT_NE(scroll->widget(), nullptr);
    EXPECT_EQ(scroll->widget()->objectName(), "centralWidget");
    // 1024x600, and 1920x1080 at scale 2 (960x540), less a title bar and a panel.
    const QSize least = w.minimumSizeHint().expandedTo(w.minimumSize());
    EXPECT_LE(least.width(), 960);
    EXPECT_LE(least.height(), 480);

    w.show();
    const QTime start(14, 3, 7);
    for (int s = 0; s < 90; ++s) {
        w.CWGraph1->appendPoint(DayFraction(start.addSecs(s)), 7);
        w.CWGraph2->appendPoint(DayFraction(start.addSecs(s)), 50);
    }
    for (const QSize size : {QSize(1024, 560), QSize(960, 500), QSize(960, 440)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        w.resize(size);
        QCoreApplication::processEvents();
        ASSERT_EQ(w.size(), size);

        // Status bar, menus and toolbar inside the window; the rest scrolls.
        for (QWidget* part :
             {static_cast<QWidget*>(w.StatusBar1), static_cast<QWidget*>(w.menuBar()),
              static_cast<QWidget*>(w.Toolbar1)}) {
            EXPECT_TRUE(part->isVisible()) << part->objectName().toStdString();
            EXPECT_TRUE(w.rect().contains(InWindow(part, &w))) << part->objectName().toStdString();
        }
        const QWidget* inner = scroll->widget();
        EXPECT_GE(inner->width(), inner->minimumSizeHint().width());
        EXPECT_GE(inner->height(), inner->minimumSizeHint().height());
        EXPECT_LE(InWindow(scroll, &w).bottom(), InWindow(w.StatusBar1, &w).top());

        for (const Slide* slide : {w.sldThruster, w.sldWave, w.GraphMode, w.CTDgraphMode}) {
            const auto labels = slide->scaleLabels();
            ASSERT_GE(labels.size(), 2) << slide->objectName().toStdString();
            const bool across = slide == w.sldThruster || slide == w.sldWave;
            for (qsizetype i = 0; i < labels.size(); ++i) {
                EXPECT_TRUE(slide->rect().contains(labels[i].second))
                    << slide->objectName().toStdString() << " " << labels[i].first.toStdString();
                if (i == 0)
                    continue;
                const QRect a = labels[i - 1].second;
                const QRect b = labels[i].second;
                EXPECT_LT(across ? a.right() : a.bottom(), across ? b.left() : b.top())
                    << slide->objectName().toStdString() << ": "
                    << labels[i - 1].first.toStdString() << " runs into "
                    << labels[i].first.toStdString();
            }
        }
        for (const StripChart* chart : {w.CWGraph1, w.CWGraph2}) {
            chart->plot()->replot();
            const QCPAxis* axis = chart->plot()->xAxis;
            const QFontMetrics fm(axis->tickLabelFont());
            const QVector<double> ticks = axis->tickVector();
            const QVector<QString> texts = axis->tickVectorLabels();
            ASSERT_GE(ticks.size(), 2) << chart->objectName().toStdString();
            int lastRight = std::numeric_limits<int>::min();
            for (qsizetype i = 0; i < ticks.size(); ++i) {
                const int width = fm.horizontalAdvance(texts[i]);
                const int left = int(std::lround(axis->coordToPixel(ticks[i]))) - width / 2;
                EXPECT_LT(lastRight, left)
                    << chart->objectName().toStdString() << ": " << texts[i].toStdString();
                lastRight = left + width;
            }
        }
    }
}
