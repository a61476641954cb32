#include "logging/logfile.h"
#include "archive/filesyncer.h"
#include "archive/rawarchive.h"
#include "logging/logline.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvale {

namespace {

QString Reason(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

void SetError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

} // namespace

LogFile::LogFile() = default;

LogFile::~LogFile() {
    close();
}

void LogFile::setFailureHandler(std::function<void(const QString&)> handler) {
    onFailure_ = std::move(handler);
}

void LogFile::syncFailed(int err) {
    if (fd_ < 0)
        return;
    syncer_->stop(false);
    if (regular_)
        truncateTo(syncer_->syncedEnd());
    ::close(fd_);
    fd_ = -1;
    if (onFailure_)
        onFailure_(QStringLiteral("Cannot write to log file %1: %2").arg(path_, Reason(err)));
}

bool LogFile::open(const QString& path, Mode mode, QString* error) {
    close();
    const QByteArray name = QFile::encodeName(path);
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
    flags |= mode == Mode::Append ? O_APPEND : O_TRUNC;
    int fd = -1;
    do {
        fd = ::open(name.constData(), flags, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        SetError(error, QStringLiteral("Cannot open log file %1: %2").arg(path, Reason(errno)));
        return false;
    }
    fd_ = fd;
    path_ = path;
    struct stat st {};
    regular_ = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    end_ = regular_ ? static_cast<long long>(st.st_size) : 0;
    if (!syncer_) {
        syncer_ = std::make_unique<FileSyncer>();
        QObject::connect(syncer_.get(), &FileSyncer::failed, [this](int err) { syncFailed(err); });
    }
    syncer_->start(fd_, end_);
    SyncFolderOf(path);
    return true;
}

bool LogFile::writeLine(const QString& line, QString* error) {
    if (fd_ < 0) {
        SetError(error,
                 QStringLiteral("Cannot write to log file %1: no log file is open").arg(path_));
        return false;
    }
    const QByteArray bytes = line.toLatin1() + "\r\n";

    struct stat st {};
    const bool regular = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
    const long long lineStart = regular ? static_cast<long long>(st.st_size) : -1;

    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    int err = 0;
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        if (n == 0) {
            err = ENOSPC;
            break;
        }
        data += n;
        left -= n;
    }
    if (err != 0) {
        if (lineStart >= 0)
            truncateTo(lineStart);
        SetError(error, QStringLiteral("Cannot write to log file %1: %2").arg(path_, Reason(err)));
        return false;
    }
    end_ = lineStart >= 0 ? lineStart + bytes.size() : end_ + bytes.size();
    syncer_->request(end_, 0);
    return true;
}

void LogFile::truncateTo(long long size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) == 0) {
        ::lseek(fd_, static_cast<off_t>(size), SEEK_SET);
        ::fdatasync(fd_);
    }
}

bool LogFile::close(QString* error) {
    if (fd_ < 0)
        return true;
    const int err = syncer_->stop();
    if (err != 0 && regular_)
        truncateTo(syncer_->syncedEnd());
    ::close(fd_);
    fd_ = -1;
    if (err != 0) {
        SetError(error, QStringLiteral("Cannot write to log file %1: %2").arg(path_, Reason(err)));
        return false;
    }
    return true;
}

bool WriteLogHeader(LogFile& file, const StationState& s, const QDate& today, QString* error) {
    for (const QString& line : LogHeaderLines(s, today)) {
        if (!file.writeLine(line, error))
            return false;
    }
    return true;
}

bool WriteLogRecord(LogFile& file, const StationState& s, const QTime& now, QString* error) {
    if (!file.isOpen())
        return true;
    return file.writeLine(LogRecordLine(s, now), error);
}

} // namespace corvale
