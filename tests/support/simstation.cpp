#include "tests/support/simstation.h"

#include "bus/modulemap.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

namespace corvale {

SimStation::~SimStation() {
    main.reset();
}

bool SimStation::start(const QStringList& simArgs, bool throughLinks) {
    if (!store.isValid() || !links_.isValid()) {
        error_ = QStringLiteral("no temporary settings folder");
        return false;
    }
    QStringList args{QStringLiteral("--reply-delay-ms"), QStringLiteral("1")};
    if (throughLinks)
        args << QStringLiteral("--links") << links_.path();
    if (!sim.start(args + simArgs)) {
        error_ = sim.errorText();
        return false;
    }
    store.mapPort(4, throughLinks ? links_.filePath(QStringLiteral("dgh")) : sim.dghDevice());
    store.mapPort(5, throughLinks ? links_.filePath(QStringLiteral("ctd")) : sim.ctdDevice());
    main = std::make_unique<frmMain>(
        Platform{*dgh, *ctd, clock, op, QStringLiteral(CORVALE_BINARY_DIR)});
    main->show();
    return true;
}

bool SimStation::openBus() {
    return OpenBusFromDialog(*main) && dgh->isOpen() && main->Timer1.isTicking() &&
           main->tmrRPM.isTicking();
}

std::string SimStation::messages() const {
    return op.texts().join(QStringLiteral(" | ")).toStdString();
}

qint64 SimCounter(SimProcess& sim, const char* key) {
    QString line;
    if (!sim.control(QStringLiteral("state"), &line))
        return -1;
    for (const QString& field : line.split(QLatin1Char(' '))) {
        if (field.startsWith(QLatin1String(key) + QLatin1Char('=')))
            return field.section(QLatin1Char('='), 1).toLongLong();
    }
    return -1;
}

namespace {
BusTask<> AskInputs(ModuleOps& modules, QString& reply) {
    reply = (co_await modules.ReadDigitalInputs(modules::kDigitalIo)).reply;
}
} // namespace

QString AskDigitalInputs(BusSession& bus, SerialPort& port) {
    QString reply;
    for (int attempt = 0; attempt < 4 && !reply.startsWith(QLatin1Char('*')); ++attempt) {
        if (attempt > 0) {
            QTest::qWait(150);
            while (port.charactersWaiting() > 0)
                port.read();
        }
        bus.enqueue([&] { return AskInputs(bus.modules(), reply); });
        EXPECT_TRUE(bus.runUntilIdle());
    }
    return reply;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

} // namespace corvale
