#pragma once
// The ship feed: sentences sent as UDP datagrams, one sentence each, to the
// ship's data system. Off by default; its settings live in the store's
// "Feed" section (keys enabled, address, port).
//
// Sending never waits and never asks the operator anything. A feed that
// cannot send says so once, through its status (failing() true, a status
// text such as "Feed: cannot send to 127.0.0.1:5600: Connection refused"
// and one statusChanged); the status returns to "Feed: sending to ..." once
// three sentences in a row have gone out. (A refused port is reported by the
// network on the send after the one it refused, so single successes in
// between do not count.)

#include <QHostAddress>
#include <QObject>
#include <QString>

class QUdpSocket;

namespace corvale {

struct FeedSettings {
    static constexpr int kDefaultPort = 5600;
    bool enabled = false;
    QString address = QStringLiteral("127.0.0.1");
    int port = kDefaultPort;
    bool operator==(const FeedSettings&) const = default;
};

// The "Feed" section of the store; a missing or unusable port reads as the
// default.
FeedSettings LoadFeedSettings();
void SaveFeedSettings(const FeedSettings& settings);

// "127.0.0.1:5600", "[::1]:5600".
QString FeedDestinationText(const FeedSettings& settings);
// Empty when the address is an IP address (v4 or v6) and the port 1-65535;
// otherwise why not.
QString FeedSettingsProblem(const FeedSettings& settings);

class ShipFeed : public QObject {
    Q_OBJECT
public:
    explicit ShipFeed(QObject* parent = nullptr);
    ~ShipFeed() override;

    // Reads the store's "Feed" section and applies it.
    void load();
    const FeedSettings& settings() const { return settings_; }
    // Takes new settings into use (the store is not written); the status
    // starts afresh.
    void setSettings(const FeedSettings& settings);
    // Whether sentences go out: the feed is on and, in a replay, the
    // operator has let this run's replay out too.
    bool enabled() const { return settings_.enabled && (!replayRun_ || sendReplay_); }

    // This run plays a recorded session back: nothing goes out, whatever the
    // stored setting, until setSendReplay(true) for this run (never stored).
    void setReplayRun(bool replay);
    bool replayRun() const { return replayRun_; }
    void setSendReplay(bool send);
    bool sendReplay() const { return sendReplay_; }

    // Sends one sentence while the feed is on; does nothing while it is off.
    void send(const QString& sentence);

    bool failing() const { return failing_; }
    // "Feed: off", "Feed: off during the replay", "Feed: sending to 127.0.0.1:5600" or
    // "Feed: cannot send to 127.0.0.1:5600: <reason>".
    QString statusText() const { return status_; }

    // Datagrams handed to the network, and sends that failed, since start.
    qint64 sentCount() const { return sent_; }
    qint64 failedCount() const { return failed_; }

signals:
    void statusChanged(const QString& text, bool failing);

private:
    bool connectSocket();
    void fail(const QString& reason);
    void succeed();
    void setStatus(const QString& text, bool failing);

    FeedSettings settings_;
    QHostAddress host_;
    QUdpSocket* socket_ = nullptr;
    QString status_;
    bool failing_ = false;
    int goodInARow_ = 0;
    bool replayRun_ = false;
    bool sendReplay_ = false;
    qint64 sent_ = 0;
    qint64 failed_ = 0;
};

} // namespace corvale
