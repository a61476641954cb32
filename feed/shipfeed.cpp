#include "feed/shipfeed.h"

#include "core/store.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <cerrno>
#include <cstring>

namespace corvale {

namespace {

// Successful sends in a row that prove a failing feed works again.
constexpr int kGoodToRecover = 3;

const QString kEnabledKey = QStringLiteral("Feed/enabled");
const QString kAddressKey = QStringLiteral("Feed/address");
const QString kPortKey = QStringLiteral("Feed/port");

} // namespace

FeedSettings LoadFeedSettings() {
    CORVALE_STORE(store);
    FeedSettings s;
    s.enabled = store.value(kEnabledKey, false).toBool();
    s.address = store.value(kAddressKey, s.address).toString().trimmed();
    const auto port = StoredInt(store, kPortKey);
    if (port && *port >= 1 && *port <= 65535)
        s.port = *port;
    return s;
}

void SaveFeedSettings(const FeedSettings& settings) {
    CORVALE_STORE(store);
    store.setValue(kEnabledKey, settings.enabled);
    store.setValue(kAddressKey, settings.address);
    store.setValue(kPortKey, settings.port);
    store.sync();
}

QString FeedDestinationText(const FeedSettings& settings) {
    const QHostAddress host(settings.address);
    const bool v6 = host.protocol() == QAbstractSocket::IPv6Protocol;
    return (v6 ? QLatin1Char('[') + settings.address + QLatin1Char(']') : settings.address) +
           QLatin1Char(':') + QString::number(settings.port);
}

QString FeedSettingsProblem(const FeedSettings& settings) {
    if (QHostAddress(settings.address).isNull())
        return QStringLiteral("\"%1\" is not an IP address").arg(settings.address);
    if (settings.port < 1 || settings.port > 65535)
        return QStringLiteral("port %1 is not between 1 and 65535").arg(settings.port);
    return {};
}

ShipFeed::ShipFeed(QObject* parent) : QObject(parent), socket_(new QUdpSocket(this)) {
    // Nothing is expected back; whatever arrives is dropped so it cannot pile up.
    connect(socket_, &QUdpSocket::readyRead, this, [this] {
        while (socket_->hasPendingDatagrams())
            socket_->receiveDatagram(0);
    });
    connect(socket_, &QUdpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (enabled())
            fail(socket_->errorString());
    });
    setSettings(settings_);
}

ShipFeed::~ShipFeed() = default;

void ShipFeed::load() {
    setSettings(LoadFeedSettings());
}

void ShipFeed::setSettings(const FeedSettings& settings) {
    settings_ = settings;
    socket_->abort();
    host_ = QHostAddress(settings_.address);
    goodInARow_ = 0;
    failing_ = false;
    if (!settings_.enabled) {
        setStatus(QStringLiteral("Feed: off"), false);
        return;
    }
    if (!enabled()) {
        setStatus(QStringLiteral("Feed: off during the replay"), false);
        return;
    }
    const QString problem = FeedSettingsProblem(settings_);
    if (!problem.isEmpty()) {
        fail(problem);
        return;
    }
    setStatus(QStringLiteral("Feed: sending to ") + FeedDestinationText(settings_), false);
}

void ShipFeed::setReplayRun(bool replay) {
    replayRun_ = replay;
    setSettings(settings_);
}

void ShipFeed::setSendReplay(bool send) {
    sendReplay_ = send;
    setSettings(settings_);
}

bool ShipFeed::connectSocket() {
    if (socket_->state() == QAbstractSocket::ConnectedState)
        return true;
    if (host_.isNull()) {
        fail(FeedSettingsProblem(settings_));
        return false;
    }
    socket_->abort();
    // A UDP "connection" to an address is made at once, without a lookup,
    // and lets the network report a refused port on a later send.
    socket_->connectToHost(host_, quint16(settings_.port));
    if (socket_->state() != QAbstractSocket::ConnectedState) {
        fail(socket_->errorString());
        socket_->abort();
        return false;
    }
    return true;
}

void ShipFeed::send(const QString& sentence) {
    if (!enabled())
        return;
    if (!connectSocket()) {
        ++failed_;
        return;
    }
    const QByteArray bytes = sentence.toLatin1();
    errno = 0;
    const qint64 written = socket_->write(bytes);
    const int err = errno;
    if (written == bytes.size()) {
        ++sent_;
        succeed();
        return;
    }
    ++failed_;
    // Qt passes a refusal on as a bare -1; the system's reason is in errno.
    QString reason;
    if (socket_->error() != QAbstractSocket::UnknownSocketError)
        reason = socket_->errorString();
    else if (err != 0)
        reason = QString::fromLocal8Bit(std::strerror(err));
    else if (written >= 0)
        reason = QStringLiteral("the send buffer is full");
    else
        reason = QStringLiteral("send failed");
    if (socket_->state() != QAbstractSocket::ConnectedState)
        socket_->abort();
    fail(reason);
}

void ShipFeed::fail(const QString& reason) {
    goodInARow_ = 0;
    setStatus(
        QStringLiteral("Feed: cannot send to %1: %2").arg(FeedDestinationText(settings_), reason),
        true);
}

void ShipFeed::succeed() {
    if (!failing_ || ++goodInARow_ < kGoodToRecover)
        return;
    setStatus(QStringLiteral("Feed: sending to ") + FeedDestinationText(settings_), false);
}

void ShipFeed::setStatus(const QString& text, bool failing) {
    if (text == status_ && failing == failing_)
        return;
    status_ = text;
    failing_ = failing;
    emit statusChanged(status_, failing_);
}

} // namespace corvale
