// Composition root: the two ports, the clock and the operator, handed to the
// main window.

#include "core/clock.h"
#include "core/qtserialport.h"
#include "ui/mainwindow.h"
#include "ui/qtoperator.h"

#include <QApplication>
#include <QScreen>

using namespace corvale;

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

    QSize size(1280, 800);
    if (const QScreen* screen = QApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    window.resize(size);
    window.show();
    return app.exec();
}
