// Composition root: the two ports, the clock and the operator, handed to the
// main window.

#include "core/clock.h"
#include "core/qtserialport.h"
#include "core/startup.h"
#include "review/frmreview.h"
#include "ui/mainwindow.h"
#include "ui/qtoperator.h"
#include "ui/windowgeometry.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>

using namespace corvale;

namespace {

// Prints what the command line asked for; the exit status.
int Answer(const StartRequest& request) {
    const bool bad = request.action == StartRequest::Action::BadUsage;
    std::fputs(request.text.toLocal8Bit().constData(), bad ? stderr : stdout);
    return bad ? 2 : 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Corvale2"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVALE_VERSION));
    {
        // --help and --version are answered before the window system is
        // opened, so they work without a display.
        const QCoreApplication probe(argc, argv);
        const StartRequest request = ReadCommandLine(QCoreApplication::arguments(), false);
        if (request.action != StartRequest::Action::Run)
            return Answer(request);
    }
    QApplication app(argc, argv);
    // Qt has taken its own options out; anything left is a mistake.
    const StartRequest request = ReadCommandLine(QApplication::arguments(), true);
    if (request.action != StartRequest::Action::Run)
        return Answer(request);

    if (!request.reviewArchive.isEmpty()) {
        // Review reads files only: no port, no bus, no feed.
        QtOperator op;
        frmReview review(op);
        op.setParentWidget(&review);
        QString error;
        if (!review.open(request.reviewArchive, &error)) {
            op.message(error);
            return 1;
        }
        review.show();
        return app.exec();
    }

    QtSerialPort dgh(4, QStringLiteral("19200,n,8,1"));
    QtSerialPort ctd(5, QStringLiteral("9600,n,8,1"));
    ctd.setReceiveThreshold(1);
    ctd.setReadLength(1);
    RealClock clock;
    QtOperator op;

    // A build tree keeps icons/ beside the program, an install under share/.
    const QString dataDir =
        ProgramDataDir(QApplication::applicationDirPath(), QStringLiteral(CORVALE_DATA_FROM_BIN));
    frmMain window(Platform{dgh, ctd, clock, op, dataDir});
    op.setParentWidget(&window);

    if (RestoreWindowGeometry(window)) {
        window.show();
    } else {
        // 1280 x 800 where the screen has room for it and its frame; a smaller
        // screen is filled (the central area scrolls where it must).
        const QSize wanted(1280, 800);
        const QScreen* screen = QApplication::primaryScreen();
        const QSize room = screen ? screen->availableGeometry().size() : wanted;
        if (room.width() >= wanted.width() && room.height() >= wanted.height() + 40) {
            window.resize(wanted);
            window.show();
        } else {
            window.resize(room.boundedTo(wanted));
            window.showMaximized();
        }
    }
    if (!request.marksArchive.isEmpty()) {
        QString error;
        if (!window.replayMarksFrom(request.marksArchive, &error))
            op.message(error);
    }
    const int status = app.exec();
    SaveWindowGeometry(window);
    return status;
}
