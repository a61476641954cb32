#include "logging/logfile.h"
#include "logging/logline.h"
#include "logging/rawarchive.h"

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

LogFile::~LogFile() {
    close();
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
    if (err == 0 && ::fdatasync(fd_) != 0 && errno != EINVAL && errno != ENOTSUP)
        err = errno; // EINVAL / ENOTSUP: a device that has nothing to sync
    if (err != 0) {
        if (lineStart >= 0)
            truncateTo(lineStart);
        SetError(error, QStringLiteral("Cannot write to log file %1: %2").arg(path_, Reason(err)));
        return false;
    }
    return true;
}

void LogFile::truncateTo(long long size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) == 0) {
        ::lseek(fd_, static_cast<off_t>(size), SEEK_SET);
        ::fdatasync(fd_);
    }
}

void LogFile::close() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
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
