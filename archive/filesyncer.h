#pragma once
// FileSyncer: makes one open file's data durable on a thread of its own, so
// that a slow medium (an SD card, a USB stick, a network share, where one
// sync may take 100 ms or more) never holds the window. The caller still
// writes each record itself, in one write and in order; it then says how far
// the file is whole and how soon that must be on the medium. A failed sync
// is handed back once, on the thread that owns the syncer, through failed().

#include <QObject>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace corvale {

class FileSyncer : public QObject {
    Q_OBJECT
public:
    explicit FileSyncer(QObject* parent = nullptr);
    ~FileSyncer() override; // stop()

    // Begins keeping `fd` synced; its first `syncedEnd` bytes need nothing.
    // A file already being kept is stopped first.
    void start(int fd, long long syncedEnd);
    bool running() const { return worker_.joinable(); }
    // The file is whole up to `end`: have that synced within `withinMs`
    // (0: at once). A later, sooner request brings the sync forward.
    void request(long long end, int withinMs);
    // Syncs all that was requested and waits for it: 0, or the error of a
    // failed sync (errno), known before or found now.
    int flush();
    // Ends keeping the file (the caller closes it): with `flushFirst`, after
    // a last flush(), whose result it returns. A failure not yet handed back
    // is not handed back: the result says it.
    int stop(bool flushFirst = true);

    // Bytes known to be on the medium.
    long long syncedEnd() const;
    // Syncs done since this syncer was made.
    int syncCount() const;

signals:
    // A sync failed with this errno. The syncer has stopped syncing; the
    // caller stops or restarts it.
    void failed(int error);

private:
    using Clock = std::chrono::steady_clock;
    void run(int fd, unsigned generation);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::thread worker_;
    long long requested_ = 0;
    long long synced_ = 0;
    Clock::time_point due_{};
    bool urgent_ = false;
    bool quit_ = false;
    int error_ = 0;
    int syncs_ = 0;
    unsigned generation_ = 0; // one per start(), so a late report of a stopped file is dropped
};

} // namespace corvale
