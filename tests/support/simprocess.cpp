#include "tests/support/simprocess.h"

#include "bus/portmap.h"
#include "core/store.h"

#include <QDeadlineTimer>
#include <QSettings>
#include <QStandardPaths>

#include <csignal>

namespace corvale {

SimProcess::~SimProcess() {
    stop();
}

QString SimProcess::program() {
#ifdef CORVALE_SIM_PATH
    return QStringLiteral(CORVALE_SIM_PATH);
#else
    return {};
#endif
}

bool SimProcess::start(const QStringList& args, int timeoutMs) {
    stop();
    error_.clear();
    unclaimed_.clear();
    dgh_.clear();
    ctd_.clear();
    if (program().isEmpty()) {
        error_ = QStringLiteral("no simulator in this build");
        return false;
    }
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(program(), args);
    if (!process_.waitForStarted(timeoutMs)) {
        error_ = process_.errorString();
        return false;
    }
    QDeadlineTimer deadline(timeoutMs);
    while (dgh_.isEmpty() || ctd_.isEmpty()) {
        QString line;
        if (!nextLine(&line, static_cast<int>(deadline.remainingTime()))) {
            error_ = QStringLiteral("simulator printed no device paths");
            return false;
        }
        if (line.startsWith(QLatin1String("DGH ")))
            dgh_ = line.mid(4);
        else if (line.startsWith(QLatin1String("CTD ")))
            ctd_ = line.mid(4);
    }
    return true;
}

void SimProcess::stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

bool SimProcess::isRunning() const {
    return process_.state() == QProcess::Running;
}

qint64 SimProcess::pid() const {
    return process_.processId();
}

bool SimProcess::nextLine(QString* line, int timeoutMs) {
    QDeadlineTimer deadline(std::max(timeoutMs, 0));
    while (!process_.canReadLine()) {
        if (process_.state() != QProcess::Running || deadline.hasExpired())
            return false;
        process_.waitForReadyRead(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)));
    }
    *line = QString::fromLocal8Bit(process_.readLine()).trimmed();
    return true;
}

bool SimProcess::control(const QString& line, QString* answer, int timeoutMs) {
    process_.write((line + QLatin1Char('\n')).toLocal8Bit());
    process_.waitForBytesWritten(timeoutMs);
    QDeadlineTimer deadline(timeoutMs);
    QString got;
    while (nextLine(&got, static_cast<int>(deadline.remainingTime()))) {
        if (got.startsWith(QLatin1String("ok ")) || got.startsWith(QLatin1String("error ")) ||
            got.startsWith(QLatin1String("state "))) {
            if (answer)
                *answer = got;
            return !got.startsWith(QLatin1String("error"));
        }
        unclaimed_ << got;
    }
    if (answer)
        answer->clear();
    return false;
}

bool SimProcess::waitForLine(const QString& prefix, int timeoutMs) {
    for (qsizetype i = 0; i < unclaimed_.size(); ++i) {
        if (unclaimed_[i].startsWith(prefix)) {
            unclaimed_.removeAt(i);
            return true;
        }
    }
    QDeadlineTimer deadline(timeoutMs);
    QString got;
    while (nextLine(&got, static_cast<int>(deadline.remainingTime()))) {
        if (got.startsWith(prefix))
            return true;
        unclaimed_ << got;
    }
    return false;
}

void SimProcess::sendSignal(int signal) {
    if (isRunning())
        ::kill(static_cast<pid_t>(process_.processId()), signal);
}

PrivateStore::PrivateStore() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    ReloadPortMap();
}

PrivateStore::~PrivateStore() {
    const QString normal = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, normal);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, normal);
    ReloadPortMap();
}

void PrivateStore::mapPort(int number, const QString& device) {
    CORVALE_STORE(store);
    store.setValue(QStringLiteral("Ports/COM%1").arg(number), device);
    store.sync();
    ReloadPortMap();
}

} // namespace corvale
