#pragma once
// Serves the flume model on two pseudo-terminals: the DGH module bus and the
// CTD line. Everything is driven by events (data on the bus, the CTD timer,
// reply timers), so an idle simulator costs no CPU.

#include "sim/ctdrecordsource.h"
#include "sim/dghresponder.h"
#include "sim/flumemodel.h"
#include "sim/replay.h"
#include "sim/simfaults.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class QSocketNotifier;

namespace corvale {

class FlumeServer : public QObject {
    Q_OBJECT
public:
    FlumeServer(FlumeModel::Settings settings, SimFaults faults, QObject* parent = nullptr);
    ~FlumeServer() override;

    // Replays the archive at `path` once started (see ArchiveReplay): its
    // CTD lines instead of the model's, its recorded replies before the
    // model's. Call before start().
    bool setReplay(const QString& path, double speed, QString* error);
    // Opens both pseudo-terminals and starts the CTD stream.
    bool start(QString* error);
    QString dghDevice() const { return dgh_.path; }
    QString ctdDevice() const { return ctd_.path; }

    // One control line; the answer to print ("ok ...", "error ...", "state ...").
    QString control(const QString& line);
    // A vanished port: the pseudo-terminal and its device path go away.
    void closeDgh();
    void closeCtd();
    // A device unplugged and plugged in again: it goes away for `seconds`,
    // then comes back as a new pseudo-terminal (see back()).
    bool unplug(const QString& which, double seconds, QString* error);
    // Keeps symlinks "dgh" and "ctd" in `folder` that always name the
    // current pseudo-terminals, as a by-id link names a real adapter: made
    // at start, gone while a line is unplugged, made again when it is back.
    void setLinkFolder(const QString& folder) { linkFolder_ = folder; }

signals:
    void closed(const QString& which);
    // An unplugged line is back on a new device.
    void back(const QString& which, const QString& device);
    // Every CTD line of the archive has been sent; `lines` of them, and
    // `skipped` lines of the file were no events.
    void replayEnded(int lines, int skipped);

private:
    struct Pty {
        int master = -1;
        int slave = -1;
        QString path;
        QSocketNotifier* notifier = nullptr;
    };
    bool openPty(Pty& pty, QString* error);
    bool openDgh(QString* error);
    bool openCtd(QString* error);
    void plugBack(const QString& which);
    void updateLink(const QString& name, const QString& device);
    void closePty(Pty& pty);
    void onDghReadable();
    void onCtdReadable();
    void onCtdTick();
    void catchUp();
    void writeDgh(const QByteArray& bytes);
    void applyCtdRate();
    void sendCtd(const QByteArray& bytes);
    void flushCtd();
    void onReplayTick();
    void onReplayListen();
    void scheduleReplay();
    bool replaying() const { return replay_ && !replayEnded_; }
    QString stateLine() const;

    FlumeModel model_;
    DghResponder responder_{model_};
    SimFaults faults_;
    CtdRecordSource records_;
    Pty dgh_;
    Pty ctd_;
    QByteArray dghBuffer_;
    // For the state line: commands heard, replies written, CTD lines sent.
    qint64 commandsHeard_ = 0;
    qint64 repliesSent_ = 0;
    qint64 ctdLinesSent_ = 0;
    QElapsedTimer clock_;
    qint64 modelMs_ = 0;
    QTimer ctdTimer_;
    // Bytes waiting at the CTD device when nobody reads them are thrown away
    // after a while, as a line with no listener loses them.
    int ctdPending_ = 0;
    qint64 ctdDrainedMs_ = 0;
    // CTD bytes the pseudo-terminal had no room for yet, written as it
    // drains, so that a long replayed line goes out whole.
    QByteArray ctdOut_;
    QSocketNotifier* ctdWritable_ = nullptr;
    // Replay: the first CTD line waits until someone reads the line.
    std::unique_ptr<ArchiveReplay> replay_;
    QTimer replayTimer_;
    QTimer listenTimer_;
    bool replayHeard_ = false;
    bool replayEnded_ = false;
    QString linkFolder_;
    QTimer dghUnplugged_;
    QTimer ctdUnplugged_;
};

} // namespace corvale
