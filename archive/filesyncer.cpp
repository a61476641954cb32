#include "archive/filesyncer.h"

#include <cerrno>
#include <unistd.h>

namespace corvale {

FileSyncer::FileSyncer(QObject* parent) : QObject(parent) {}

FileSyncer::~FileSyncer() {
    stop();
}

void FileSyncer::start(int fd, long long syncedEnd) {
    stop(false);
    unsigned generation = 0;
    {
        const std::lock_guard lock(mutex_);
        requested_ = synced_ = syncedEnd;
        urgent_ = quit_ = false;
        error_ = 0;
        generation = ++generation_;
    }
    worker_ = std::thread([this, fd, generation] { run(fd, generation); });
}

void FileSyncer::request(long long end, int withinMs) {
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        if (!worker_.joinable() || error_ != 0 || end <= requested_)
            return;
        const Clock::time_point due = Clock::now() + std::chrono::milliseconds(withinMs);
        // The first unsynced byte sets the time; later ones may only hasten
        // it. Otherwise the thread sleeps on: one wake-up per sync, not per
        // record.
        if (requested_ <= synced_ || due < due_) {
            due_ = due;
            wake = true;
        }
        requested_ = end;
        if (withinMs <= 0) {
            urgent_ = true;
            wake = true;
        }
    }
    if (wake)
        wake_.notify_all();
}

int FileSyncer::flush() {
    std::unique_lock lock(mutex_);
    if (!worker_.joinable())
        return error_;
    urgent_ = true;
    wake_.notify_all();
    wake_.wait(lock, [this] { return error_ != 0 || requested_ <= synced_; });
    return error_;
}

int FileSyncer::stop(bool flushFirst) {
    if (!worker_.joinable())
        return 0;
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
        urgent_ = true;
        if (!flushFirst)
            requested_ = synced_;
    }
    wake_.notify_all();
    worker_.join();
    const std::lock_guard lock(mutex_);
    ++generation_;
    return error_;
}

long long FileSyncer::syncedEnd() const {
    const std::lock_guard lock(mutex_);
    return synced_;
}

int FileSyncer::syncCount() const {
    const std::lock_guard lock(mutex_);
    return syncs_;
}

void FileSyncer::run(int fd, unsigned generation) {
    std::unique_lock lock(mutex_);
    for (;;) {
        const bool clean = error_ != 0 || requested_ <= synced_;
        if (clean && quit_)
            return;
        if (clean) {
            wake_.wait(lock);
            continue;
        }
        if (!urgent_ && Clock::now() < due_) {
            wake_.wait_until(lock, due_);
            continue;
        }
        const long long end = requested_;
        urgent_ = false;
        lock.unlock();
        int error = 0;
        // EINVAL / ENOTSUP: a device that has nothing to sync.
        if (::fdatasync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
            error = errno;
        lock.lock();
        ++syncs_;
        if (error != 0) {
            error_ = error;
            QMetaObject::invokeMethod(
                this,
                [this, generation, error] {
                    // Dropped when the file was stopped or restarted meanwhile.
                    if (generation == generation_)
                        emit failed(error);
                },
                Qt::QueuedConnection);
        } else {
            synced_ = std::max(synced_, end);
        }
        wake_.notify_all();
    }
}

} // namespace corvale
