// Composition root: the two ports, the clock and the operator, handed to the
// main window.
//
// For the documentation only: `--screenshot FILE` lays the window out at
// 1280 x 800, saves a picture of it to FILE and ends.

#include "core/clock.h"
#include "ui/mainwindow.h"
#include "ui/qtoperator.h"
#include "ui/qtserialport.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvale2"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));

    QtSerialPort dgh(4, QStringLiteral("19200,n,8,1"));
    QtSerialPort ctd(5, QStringLiteral("9600,n,8,1"));
    ctd.setReceiveThreshold(1);
    ctd.setReadLength(1);
    RealClock clock;
    QtOperator op;

    frmMain window(Platform{dgh, ctd, clock, op, QApplication::applicationDirPath()});
    op.setParentWidget(&window);

    const QStringList args = QApplication::arguments();
    const qsizetype shot = args.indexOf(QStringLiteral("--screenshot"));
    if (shot >= 0) {
        const QString file =
            shot + 1 < args.size() ? args[shot + 1] : QStringLiteral("mainwindow.png");
        window.resize(1280, 800);
        window.show();
        QTimer::singleShot(800, &window, [&window, file] {
            const bool saved = window.grab().save(file);
            QApplication::exit(saved ? 0 : 1);
        });
        return app.exec();
    }

    QSize size(1280, 800);
    if (const QScreen* screen = QApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    window.resize(size);
    window.show();
    return app.exec();
}
