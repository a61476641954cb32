// Composition root: the two ports, the clock and the operator, handed to the
// main window.

#include "archive/archivereader.h"
#include "bus/qtserialport.h"
#include "core/clock.h"
#include "core/startup.h"
#include "review/frmreview.h"
#include "ui/mainwindow.h"
#include "ui/qtoperator.h"
#include "ui/windowgeometry.h"

#include <QApplication>
#include <QScreen>

#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvale;

namespace {

// Prints what the command line asked for; the exit status.
int Answer(const StartRequest& request) {
    const bool bad = request.action == StartRequest::Action::BadUsage;
    std::fputs(request.text.toLocal8Bit().constData(), bad ? stderr : stdout);
    return bad ? kUsageExit : 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Corvale2"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVALE_VERSION));
    QString replayArchive;
    {
        // The whole command line is checked before the window system is
        // opened, so --help, --version and a mistake are answered without a
        // display.
        const QCoreApplication probe(argc, argv);
        const StartRequest request =
            ReadCommandLine(WithoutQtOptions(QCoreApplication::arguments()), true);
        if (request.action != StartRequest::Action::Run)
            return Answer(request);
        replayArchive = request.replayArchive;
        // An archive named on the command line that cannot be read is a
        // usage error, said before any window opens.
        for (const QString& path : {replayArchive, request.reviewArchive}) {
            QString why;
            ArchiveReader archive;
            if (!path.isEmpty() && !archive.open(path, &why)) {
                std::fprintf(stderr, "corvale2: %s\n", qPrintable(why));
                return kUsageExit;
            }
        }
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
    RealClock clock;
    QtOperator op;

    // A build tree keeps icons/ beside the program, an install under share/.
    const QString dataDir =
        ProgramDataDir(QApplication::applicationDirPath(), QStringLiteral(CORVALE_DATA_FROM_BIN));
    frmMain window(Platform{dgh, ctd, clock, op, dataDir});
    op.setParentWidget(&window);

    bool maximized = false;
    if (RestoreWindowGeometry(window, &maximized)) {
        if (maximized)
            window.showMaximized();
        else
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
    if (!replayArchive.isEmpty()) {
        QString error;
        if (!window.startReplay(replayArchive, &error))
            op.message(error);
    }
    // SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C) close the window as its
    // close box does, so the place and the open files are settled.
    static int signalPipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> signalNotifier;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) == 0) {
        struct sigaction sa {};
        sa.sa_handler = [](int sig) {
            const char c = static_cast<char>(sig);
            [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &c, 1);
        };
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        for (const int sig : {SIGTERM, SIGINT, SIGHUP})
            sigaction(sig, &sa, nullptr);
        signalNotifier = std::make_unique<QSocketNotifier>(signalPipe[1], QSocketNotifier::Read);
        QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, &window, [&window] {
            char c = 0;
            while (::read(signalPipe[1], &c, 1) == 1) {
            }
            window.close();
            QCoreApplication::quit(); // also ends a message box's loop
        });
    }
    const int status = app.exec();
    SaveWindowGeometry(window);
    return status;
}
