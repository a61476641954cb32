#pragma once
// A ship-feed listener for tests: a UDP socket on 127.0.0.1 (never another
// address) that collects every datagram as one sentence. Waits are bounded.

#include <QNetworkDatagram>
#include <QStringList>
#include <QTest>
#include <QUdpSocket>

namespace corvale {

class FeedListener {
public:
    // Port 0 picks a free port.
    explicit FeedListener(quint16 port = 0) {
        bound_ = socket_.bind(QHostAddress::LocalHost, port);
    }
    bool bound() const { return bound_; }
    quint16 port() const { return socket_.localPort(); }

    // Every sentence received so far, in order of arrival.
    const QStringList& sentences() {
        drain();
        return got_;
    }
    // Waits up to timeoutMs for `count` sentences in all; returns them all.
    QStringList take(int count, int timeoutMs = 3000) {
        (void)QTest::qWaitFor(
            [&] {
                drain();
                return got_.size() >= count;
            },
            timeoutMs);
        return got_;
    }

private:
    void drain() {
        while (socket_.hasPendingDatagrams())
            got_ << QString::fromLatin1(socket_.receiveDatagram().data());
    }

    QUdpSocket socket_;
    bool bound_ = false;
    QStringList got_;
};

// A loopback port with nobody listening: bound once to find it free.
inline quint16 ClosedLoopbackPort() {
    QUdpSocket probe;
    if (!probe.bind(QHostAddress::LocalHost, 0))
        return 0;
    return probe.localPort();
}

} // namespace corvale
