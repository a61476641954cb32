// Every window of the station keeps its texts whole on the screen it opens
// on: each label as wide (and, wrapped, as tall) as its text, each button
// and frame title whole, each table column in view, the window on the
// screen. Run under offscreen and, by CTest, under Xvfb at 1024x600,
// 1280x800 and 1920x1080 at scale 2. With CORVALE_PICTURES=DIR each window
// is also saved as DIR/<window>-<CORVALE_PICTURE_TAG>.png.

#include "about/frmabout.h"
#include "archive/rawarchive.h"
#include "calibration/calibrationcontrol.h"
#include "feed/eventmarks.h"
#include "feed/frmfeed.h"
#include "feed/shipfeed.h"
#include "health/frmhealth.h"
#include "portdialog/frmcomms1.h"
#include "portdialog/frmdevices.h"
#include "tests/support/mainwindow_fixture.h"
#include "widgets/statusbar.h"
#include "widgets/togglebutton.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTest>

using namespace corvale;

namespace {

void SavePicture(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("CORVALE_PICTURES");
    if (dir.isEmpty())
        return;
    const QString tag = qEnvironmentVariable("CORVALE_PICTURE_TAG", QStringLiteral("offscreen"));
    window->grab().save(QStringLiteral("%1/%2-%3.png").arg(dir, name, tag));
}

void ExpectWhole(QWidget* window) {
    ASSERT_TRUE(window);
    SCOPED_TRACE(window->objectName().toStdString());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QCoreApplication::processEvents();
    const QRect room = window->screen()->availableGeometry();
    EXPECT_TRUE(room.contains(window->geometry()))
        << "window " << window->width() << "x" << window->height() << " on " << room.width() << "x"
        << room.height();
    for (const QLabel* l : window->findChildren<QLabel*>()) {
        if (!l->isVisibleTo(window) || l->text().isEmpty() || l->textFormat() == Qt::RichText)
            continue;
        const std::string what =
            l->objectName().toStdString() + " \"" + l->text().toStdString() + "\"";
        if (l->wordWrap()) {
            EXPECT_LE(l->heightForWidth(l->width()), l->height()) << what;
            continue;
        }
        int widest = 0;
        for (const QString& line : l->text().split(QLatin1Char('\n')))
            widest = std::max(widest, l->fontMetrics().horizontalAdvance(line));
        EXPECT_LE(widest, l->contentsRect().width()) << what;
    }
    for (const QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (b->isVisibleTo(window) && !b->text().isEmpty()) {
            EXPECT_LE(b->sizeHint().width(), b->width()) << b->text().toStdString();
        }
    }
    for (const QGroupBox* g : window->findChildren<QGroupBox*>()) {
        if (g->isVisibleTo(window)) {
            EXPECT_LE(g->fontMetrics().horizontalAdvance(g->title()) + 16, g->width())
                << g->title().toStdString();
        }
    }
    for (const QTableView* t : window->findChildren<QTableView*>()) {
        // Every column as wide as its heading and its texts, all in view
        // without scrolling sideways.
        const QHeaderView* h = t->horizontalHeader();
        const QAbstractItemModel* m = t->model();
        for (int c = 0; c < m->columnCount(); ++c) {
            int need = h->sectionSizeHint(c);
            for (int r = 0; r < m->rowCount(); ++r)
                need = std::max(
                    need, t->fontMetrics().horizontalAdvance(m->index(r, c).data().toString()) + 6);
            EXPECT_GE(h->sectionSize(c), need) << t->objectName().toStdString() << " column " << c;
            EXPECT_LE(h->sectionViewportPosition(c) + h->sectionSize(c), t->viewport()->width())
                << t->objectName().toStdString() << " column " << c << " is cut";
        }
    }
    SavePicture(window, window->objectName());
}

} // namespace

TEST_F(StationTest, EveryWindowKeepsItsTextsWholeOnItsScreen) {
    QTemporaryDir store;
    ASSERT_TRUE(store.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
    makeOnBus();
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    main->setGeometry(room);
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    // Module rows in Link Health, and a feed that says at length why it cannot send.
    main->cwbPh->setValue(true);
    ASSERT_TRUE(main->Timer1.fire());
    ASSERT_TRUE(main->tmrRPM.fire());
    ASSERT_TRUE(main->bus().runUntilIdle());
    // The feed's status grows while its window is open.
    main->showFeed();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(find<frmFeed>("frmFeed")));
    main->feed().setSettings(
        {true, QStringLiteral("ship-data-gateway.example"), FeedSettings::kDefaultPort});
    ExpectWhole(find<frmFeed>("frmFeed"));

    main->showDevices();
    frmDevices* devices = main->devicesDialog();
    ASSERT_TRUE(devices);
    devices->dgh.path->setText(
        QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
    devices->cmdSave->click();
    ExpectWhole(devices);

    main->showHealth();
    ExpectWhole(main->healthWindow());

    main->showLogger();
    QWidget* logger = find<QWidget>("frmLogBF2");
    ExpectWhole(logger);
    // Opened over the main window, not at the screen's corner.
    EXPECT_TRUE(main->frameGeometry().contains(logger->geometry().center()));

    main->showCalibration();
    ExpectWhole(find<QWidget>("frmpHcal"));
    main->showComms();
    ExpectWhole(main->commsDialog());
    main->showAbout();
    ExpectWhole(main->aboutDialog());
    main->markEvent();
    ExpectWhole(main->marks().dialog());

    // The status bar of a replay, its sixth panel included.
    const QString archive = programDir.filePath(QStringLiteral("run.csv.raw.csv"));
    {
        RawArchive a;
        ASSERT_TRUE(a.open(archive, RawArchive::Mode::Overwrite));
        a.appendCtdLine(clock.now(), "44.1,12.0,10.0", CtdLineStatus::Ok);
    }
    ASSERT_TRUE(main->startReplay(archive));
    QCoreApplication::processEvents();
    for (int n = 1; n <= main->StatusBar1->panelCount(); ++n) {
        const auto* text =
            main->StatusBar1->findChild<QLabel*>(QStringLiteral("StatusBar1_panel%1").arg(n));
        ASSERT_TRUE(text);
        EXPECT_LE(text->fontMetrics().horizontalAdvance(text->text()), text->contentsRect().width())
            << "panel " << n << " \"" << text->text().toStdString() << "\"";
    }
    SavePicture(main.get(), QStringLiteral("mainwindow"));
}
