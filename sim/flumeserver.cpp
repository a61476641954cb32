#include "sim/flumeserver.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace corvale {

namespace {

// Both ends raw: no echo, no line-end translation, 8 bits through.
bool MakeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

constexpr qint64 kCtdUnreadMs = 2000;
constexpr int kListenPollMs = 20;

} // namespace

FlumeServer::FlumeServer(FlumeModel::Settings settings, SimFaults faults, QObject* parent)
    : QObject(parent), model_(settings), faults_(std::move(faults)) {
    ctdTimer_.setTimerType(Qt::PreciseTimer);
    connect(&ctdTimer_, &QTimer::timeout, this, &FlumeServer::onCtdTick);
    replayTimer_.setSingleShot(true);
    replayTimer_.setTimerType(Qt::PreciseTimer);
    connect(&replayTimer_, &QTimer::timeout, this, &FlumeServer::onReplayTick);
    listenTimer_.setInterval(kListenPollMs);
    connect(&listenTimer_, &QTimer::timeout, this, &FlumeServer::onReplayListen);
    for (QTimer* t : {&dghUnplugged_, &ctdUnplugged_})
        t->setSingleShot(true);
    connect(&dghUnplugged_, &QTimer::timeout, this, [this] { plugBack(QStringLiteral("dgh")); });
    connect(&ctdUnplugged_, &QTimer::timeout, this, [this] { plugBack(QStringLiteral("ctd")); });
}

bool FlumeServer::setReplay(const QString& path, double speed, QString* error) {
    auto replay = std::make_unique<ArchiveReplay>(speed);
    if (!replay->open(path, error))
        return false;
    replay_ = std::move(replay);
    return true;
}

FlumeServer::~FlumeServer() {
    delete ctdWritable_;
    closePty(dgh_);
    closePty(ctd_);
}

bool FlumeServer::openPty(Pty& pty, QString* error) {
    char name[256] = {};
    if (openpty(&pty.master, &pty.slave, name, nullptr, nullptr) != 0) {
        *error = QStringLiteral("openpty: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!MakeRaw(pty.master) || !MakeRaw(pty.slave)) {
        *error = QStringLiteral("raw mode: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    fcntl(pty.master, F_SETFL, fcntl(pty.master, F_GETFL) | O_NONBLOCK);
    fcntl(pty.master, F_SETFD, FD_CLOEXEC);
    fcntl(pty.slave, F_SETFD, FD_CLOEXEC);
    pty.path = QString::fromLocal8Bit(name);
    pty.notifier = new QSocketNotifier(pty.master, QSocketNotifier::Read, this);
    return true;
}

void FlumeServer::closePty(Pty& pty) {
    if (pty.notifier) {
        pty.notifier->setEnabled(false);
        pty.notifier->deleteLater();
        pty.notifier = nullptr;
    }
    // The slave is held open only so that the device stays while nobody has
    // it open; closing the master removes the device.
    if (pty.slave >= 0)
        ::close(pty.slave);
    if (pty.master >= 0)
        ::close(pty.master);
    pty.slave = pty.master = -1;
}

bool FlumeServer::openDgh(QString* error) {
    if (!openPty(dgh_, error))
        return false;
    connect(dgh_.notifier, &QSocketNotifier::activated, this, &FlumeServer::onDghReadable);
    updateLink(QStringLiteral("dgh"), dgh_.path);
    return true;
}

bool FlumeServer::openCtd(QString* error) {
    if (!openPty(ctd_, error))
        return false;
    connect(ctd_.notifier, &QSocketNotifier::activated, this, &FlumeServer::onCtdReadable);
    updateLink(QStringLiteral("ctd"), ctd_.path);
    return true;
}

void FlumeServer::updateLink(const QString& name, const QString& device) {
    if (linkFolder_.isEmpty())
        return;
    const QString link = QDir(linkFolder_).filePath(name);
    if (device.isEmpty()) {
        QFile::remove(link);
        return;
    }
    // Made beside it and renamed over it, so the name never dangles.
    const QString fresh = QDir(linkFolder_).filePath(QStringLiteral(".") + name + ".new");
    QFile::remove(fresh);
    if (::symlink(QFile::encodeName(device).constData(), QFile::encodeName(fresh).constData()) !=
            0 ||
        ::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(link).constData()) != 0)
        qWarning("cannot link %s to %s: %s", qPrintable(link), qPrintable(device),
                 std::strerror(errno));
}

bool FlumeServer::unplug(const QString& which, double seconds, QString* error) {
    const bool dgh = which == QLatin1String("dgh");
    if (!dgh && which != QLatin1String("ctd")) {
        *error = QStringLiteral("unplug takes dgh or ctd");
        return false;
    }
    if (!(seconds >= 0.1 && seconds <= 3600)) {
        *error = QStringLiteral("unplug takes seconds from 0.1 to 3600");
        return false;
    }
    QTimer& away = dgh ? dghUnplugged_ : ctdUnplugged_;
    if (away.isActive()) {
        *error = QStringLiteral("%1 is unplugged already").arg(which);
        return false;
    }
    if (dgh)
        closeDgh();
    else
        closeCtd();
    updateLink(which, {});
    away.start(static_cast<int>(seconds * 1000 + 0.5));
    return true;
}

void FlumeServer::plugBack(const QString& which) {
    const bool dgh = which == QLatin1String("dgh");
    if ((dgh ? dgh_ : ctd_).master >= 0)
        return;
    QString error;
    if (dgh) {
        dghBuffer_.clear();
        if (!openDgh(&error)) {
            qWarning("dgh stays unplugged: %s", qPrintable(error));
            return;
        }
    } else {
        ctdPending_ = 0;
        if (!openCtd(&error)) {
            qWarning("ctd stays unplugged: %s", qPrintable(error));
            return;
        }
        applyCtdRate();
    }
    emit back(which, dgh ? dgh_.path : ctd_.path);
}

bool FlumeServer::start(QString* error) {
    if (!openDgh(error) || !openCtd(error))
        return false;
    clock_.start();
    if (replay_) {
        // From the event loop, once the devices have been announced.
        QTimer::singleShot(0, this, [this] {
            replay_->start(clock_.elapsed());
            scheduleReplay();
        });
    }
    applyCtdRate();
    return true;
}

void FlumeServer::scheduleReplay() {
    if (!replaying())
        return;
    if (replay_->finished()) {
        replayEnded_ = true;
        listenTimer_.stop();
        applyCtdRate();
        emit replayEnded(replay_->ctdSent(), replay_->skipped());
        return;
    }
    const std::optional<qint64> wait = replay_->msUntilNext(clock_.elapsed());
    if (wait)
        replayTimer_.start(static_cast<int>(std::min<qint64>(*wait, 24 * 3600 * 1000)));
}

void FlumeServer::onReplayTick() {
    const qint64 now = clock_.elapsed();
    const QByteArray bytes = replay_->takeDueCtd(now);
    if (!bytes.isEmpty()) {
        sendCtd(bytes);
        // Nobody may have the line open yet: hold the session at its first
        // line until it has been read, so a replay is watched from its start.
        if (!replayHeard_) {
            replay_->pacer().hold(now);
            listenTimer_.start();
        }
    }
    scheduleReplay();
}

void FlumeServer::onReplayListen() {
    int waiting = 0;
    if (ctd_.slave < 0 || ::ioctl(ctd_.slave, FIONREAD, &waiting) != 0 || waiting > 0)
        return;
    replayHeard_ = true;
    listenTimer_.stop();
    replay_->pacer().resume(clock_.elapsed());
    scheduleReplay();
}

void FlumeServer::catchUp() {
    const qint64 now = clock_.elapsed();
    model_.advance(static_cast<double>(now - modelMs_) / 1000.0);
    modelMs_ = now;
}

void FlumeServer::onDghReadable() {
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(dgh_.master, buf, sizeof buf);
        if (n > 0) {
            dghBuffer_.append(buf, n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            break;
        // Nothing can come any more (EIO without a slave end): stop watching.
        if (dgh_.notifier)
            dgh_.notifier->setEnabled(false);
        break;
    }
    // A line never ended by a carriage return is noise; keep the buffer small.
    if (dghBuffer_.size() > 4096)
        dghBuffer_.clear();
    const QList<QByteArray> lines = DghResponder::takeLines(dghBuffer_);
    if (lines.isEmpty())
        return;
    catchUp();
    for (const QByteArray& line : lines) {
        ++commandsHeard_;
        const std::optional<int> delay = faults_.replyDelay(DghResponder::addressOf(line));
        if (!delay)
            continue;
        // The model hears every command, so that its state follows the
        // session; a recorded reply, where there is one, is what goes out.
        std::optional<QByteArray> reply = responder_.respond(line);
        if (replay_) {
            if (std::optional<QByteArray> recorded = replay_->replyFor(line, clock_.elapsed()))
                reply = std::move(recorded);
        }
        if (!reply || reply->isEmpty())
            continue;
        // A reply lost on the way, as to noise: the module did act.
        if (faults_.takeDrop(DghResponder::addressOf(line)))
            continue;
        const QByteArray bytes = faults_.shape(*reply);
        QTimer::singleShot(*delay, Qt::PreciseTimer, this, [this, bytes] { writeDgh(bytes); });
    }
}

void FlumeServer::writeDgh(const QByteArray& bytes) {
    if (dgh_.master < 0)
        return;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(dgh_.master, bytes.constData() + done,
                                  static_cast<size_t>(bytes.size() - done));
        if (n <= 0)
            break; // the station's buffer is full: the rest is lost, as on a line
        done += n;
    }
    if (done == bytes.size())
        ++repliesSent_;
}

void FlumeServer::onCtdReadable() {
    // The station never talks to the CTD; whatever comes is dropped.
    char buf[256];
    while (::read(ctd_.master, buf, sizeof buf) > 0) {
    }
}

void FlumeServer::onCtdTick() {
    if (ctd_.master < 0)
        return;
    catchUp();
    sendCtd(records_.next(model_, faults_));
}

void FlumeServer::sendCtd(const QByteArray& bytes) {
    if (ctd_.master < 0)
        return;
    int waiting = 0;
    const qint64 now = clock_.elapsed();
    if (::ioctl(ctd_.slave, FIONREAD, &waiting) == 0) {
        if (waiting < ctdPending_ || waiting == 0)
            ctdDrainedMs_ = now;
        else if (now - ctdDrainedMs_ > kCtdUnreadMs) {
            tcflush(ctd_.slave, TCIFLUSH);
            ctdDrainedMs_ = now;
        }
    }
    ctdLinesSent_ += bytes.count('\n');
    ctdOut_ += bytes;
    flushCtd();
}

void FlumeServer::flushCtd() {
    if (ctd_.master < 0) {
        ctdOut_.clear();
        return;
    }
    while (!ctdOut_.isEmpty()) {
        const ssize_t n =
            ::write(ctd_.master, ctdOut_.constData(), static_cast<size_t>(ctdOut_.size()));
        if (n <= 0)
            break;
        ctdOut_.remove(0, n);
    }
    int waiting = 0;
    if (::ioctl(ctd_.slave, FIONREAD, &waiting) == 0)
        ctdPending_ = waiting;
    if (ctdOut_.isEmpty()) {
        if (ctdWritable_)
            ctdWritable_->setEnabled(false);
        return;
    }
    if (!ctdWritable_) {
        ctdWritable_ = new QSocketNotifier(ctd_.master, QSocketNotifier::Write, this);
        connect(ctdWritable_, &QSocketNotifier::activated, this, &FlumeServer::flushCtd);
    }
    ctdWritable_->setEnabled(true);
}

void FlumeServer::applyCtdRate() {
    if (faults_.ctdRate <= 0 || ctd_.master < 0 || replaying()) {
        ctdTimer_.stop();
        return;
    }
    const int interval = std::max(1, static_cast<int>(1000.0 / faults_.ctdRate + 0.5));
    if (!ctdTimer_.isActive() || ctdTimer_.interval() != interval)
        ctdTimer_.start(interval);
}

void FlumeServer::closeDgh() {
    if (dgh_.master < 0)
        return;
    closePty(dgh_);
    emit closed(QStringLiteral("dgh"));
}

void FlumeServer::closeCtd() {
    if (ctd_.master < 0)
        return;
    if (ctdWritable_) {
        ctdWritable_->setEnabled(false);
        ctdWritable_->deleteLater();
        ctdWritable_ = nullptr;
    }
    ctdOut_.clear();
    closePty(ctd_);
    ctdTimer_.stop();
    listenTimer_.stop();
    emit closed(QStringLiteral("ctd"));
}

QString FlumeServer::stateLine() const {
    auto onOff = [](bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); };
    return QStringLiteral("state thruster=%1 profiler=%2 wave=%3 thruster-set=%4 drive=%5 "
                          "wave-set=%6 thruster-hz=%7 wave-hz=%8 carriage=%9 di=%10 ph=%11 "
                          "c=%12 t=%13 p=%14 ctd-sent=%15 commands=%16 answered=%17 "
                          "ctd-lines=%18")
        .arg(onOff(model_.thrusterPowered()), onOff(model_.profilerPowered()),
             onOff(model_.wavePowered()))
        .arg(model_.analogOutput('0'))
        .arg(model_.analogOutput('2'))
        .arg(model_.analogOutput('3'))
        .arg(model_.thrusterFrequency(), 0, 'f', 2)
        .arg(model_.waveFrequency(), 0, 'f', 2)
        .arg(model_.carriagePosition(), 0, 'f', 3)
        .arg(model_.digitalInputs(), 4, 16, QLatin1Char('0'))
        .arg(model_.ph(), 0, 'f', 3)
        .arg(model_.conductivity(), 0, 'f', 3)
        .arg(model_.temperature(), 0, 'f', 3)
        .arg(model_.pressure(), 0, 'f', 2)
        .arg(records_.count())
        .arg(commandsHeard_)
        .arg(repliesSent_)
        .arg(ctdLinesSent_);
}

QString FlumeServer::control(const QString& line) {
    const QStringList w = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (w.size() == 1 && w[0] == QLatin1String("state")) {
        catchUp();
        return stateLine();
    }
    if (w.size() == 2 && w[0] == QLatin1String("close")) {
        if (w[1] == QLatin1String("dgh"))
            closeDgh();
        else if (w[1] == QLatin1String("ctd"))
            closeCtd();
        else
            return QStringLiteral("error close takes dgh or ctd");
        return QStringLiteral("ok close ") + w[1];
    }
    if (w.size() == 3 && w[0] == QLatin1String("unplug")) {
        bool number = false;
        const double seconds = w[2].toDouble(&number);
        QString error = QStringLiteral("unplug takes seconds from 0.1 to 3600");
        if (!number || !unplug(w[1], seconds, &error))
            return QStringLiteral("error ") + error;
        return QStringLiteral("ok unplug %1 %2").arg(w[1], w[2]);
    }
    const QString answer = faults_.apply(line);
    applyCtdRate();
    return answer;
}

} // namespace corvale
