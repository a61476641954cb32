#include "archive/rawarchive.h"

#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvale {

namespace {

const QByteArray kColumns = "time,source,kind,data\n";

QString Reason(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

const char* StatusWord(CtdLineStatus status) {
    switch (status) {
    case CtdLineStatus::Ok:
        return "OK";
    case CtdLineStatus::Malformed:
        return "MALFORMED";
    case CtdLineStatus::Overlong:
        return "OVERLONG";
    case CtdLineStatus::Partial:
        return "PARTIAL";
    }
    return "MALFORMED";
}

// The local time with its offset from UTC, so that it names one instant
// across a clock change.
QByteArray TimeText(const QDateTime& time) {
    const QDate d = time.date();
    const QTime t = time.time();
    const int offset = time.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    char text[48];
    const int n = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d",
                                d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(),
                                t.msec(), offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return QByteArray(text, n);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Writes all of `bytes` with as few calls as the system allows: one, unless
// it takes only part (a full disk).
int WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        data += n;
        left -= n;
    }
    return 0;
}

// The length of the file up to and including its last line feed.
long long WholeLinesLength(int fd, long long size) {
    char chunk[4096];
    long long end = size;
    while (end > 0) {
        const long long from = std::max(0LL, end - static_cast<long long>(sizeof chunk));
        const ssize_t n = ::pread(fd, chunk, static_cast<size_t>(end - from), from);
        if (n <= 0)
            return size; // unreadable: leave it as it is
        for (ssize_t i = n - 1; i >= 0; --i) {
            if (chunk[i] == '\n')
                return from + i + 1;
        }
        end = from;
    }
    return 0;
}

} // namespace

void SyncFolderOf(const QString& path) {
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

QString RawArchivePath(const QString& logPath) {
    return logPath.isEmpty() ? QString() : logPath + QStringLiteral(".raw.csv");
}

QByteArray EscapeArchiveField(const QByteArray& bytes, bool kindField) {
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u > 0x7e || c == '"' || (kindField && c == ',')) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0xf];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<QByteArray> UnescapeArchiveField(const QByteArray& text) {
    if (!text.contains('\\'))
        return QByteArray(text.constData(), text.size()); // a copy: text may be raw data
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'x': {
            const int hi = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
            const int lo = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
            if (hi < 0 || lo < 0)
                return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

QByteArray FormatArchiveLine(const ArchiveEvent& e) {
    QByteArray line = TimeText(e.time);
    switch (e.source) {
    case ArchiveEvent::Source::Ctd:
        line += ",CTD,";
        line += StatusWord(e.status);
        break;
    case ArchiveEvent::Source::Dgh:
        line += ",DGH,";
        line += EscapeArchiveField(e.command, true);
        break;
    case ArchiveEvent::Source::Mark:
        line += ",MARK,";
        line += QByteArray::number(e.mark);
        break;
    case ArchiveEvent::Source::Link:
        line += ",LINK,";
        line += EscapeArchiveField(e.command, true);
        break;
    }
    line += ',';
    line += EscapeArchiveField(e.data);
    line += '\n';
    return line;
}

RawArchive::RawArchive(QObject* parent) : QObject(parent) {
    connect(&syncer_, &FileSyncer::failed, this, [this](int err) {
        if (fd_ >= 0)
            fail(err);
    });
}

RawArchive::~RawArchive() {
    close();
}

bool RawArchive::open(const QString& path, Mode mode, QString* error) {
    close();
    const QByteArray name = QFile::encodeName(path);
    // Read access only to find an unfinished last line.
    const int flags = O_CREAT | O_CLOEXEC | (mode == Mode::Append ? 0 : O_TRUNC);
    int fd = -1;
    for (const int access : {O_RDWR, O_WRONLY}) {
        do {
            fd = ::open(name.constData(), flags | access, 0644);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != EACCES)
            break;
    }
    const auto failOpen = [&](int err) {
        if (error)
            *error = QStringLiteral("Cannot open raw archive %1: %2").arg(path, Reason(err));
        return false;
    };
    if (fd < 0)
        return failOpen(errno);

    // Only a regular file is trimmed and named; a device takes events alone.
    struct stat st {};
    long long size = 0;
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (regular) {
        size = static_cast<long long>(st.st_size);
        const long long whole = WholeLinesLength(fd, size);
        if (whole != size && ::ftruncate(fd, static_cast<off_t>(whole)) == 0)
            size = whole;
        ::lseek(fd, static_cast<off_t>(size), SEEK_SET);
    }
    if (regular && size == 0) {
        if (const int err = WriteAll(fd, kColumns)) {
            // An archive that could not start leaves no empty file behind.
            ::close(fd);
            ::unlink(name.constData());
            return failOpen(err);
        }
        size = kColumns.size();
    }
    fd_ = fd;
    path_ = path;
    size_ = size;
    syncer_.start(fd_, 0);
    syncer_.request(size_, kSyncIntervalMs);
    SyncFolderOf(path);
    return true;
}

void RawArchive::close() {
    if (fd_ < 0)
        return;
    sync();
    if (fd_ >= 0) {
        syncer_.stop(false);
        ::close(fd_);
    }
    fd_ = -1;
}

bool RawArchive::appendCtdLine(const QDateTime& time, const QByteArray& line,
                               CtdLineStatus status) {
    ArchiveEvent e;
    e.time = time;
    e.status = status;
    e.data = line;
    return append(e);
}

bool RawArchive::appendBusExchange(const QDateTime& time, const QByteArray& command,
                                   const QByteArray& received) {
    ArchiveEvent e;
    e.time = time;
    e.source = ArchiveEvent::Source::Dgh;
    e.command = command;
    e.data = received;
    return append(e);
}

bool RawArchive::appendLink(const QDateTime& time, bool up, const QByteArray& line,
                            const QString& why) {
    ArchiveEvent e;
    e.time = time;
    e.source = ArchiveEvent::Source::Link;
    e.command = up ? "UP" : "DOWN";
    e.data = line + ',' + why.toUtf8();
    return append(e);
}

bool RawArchive::appendMark(const QDateTime& time, int number, const QString& note) {
    ArchiveEvent e;
    e.time = time;
    e.source = ArchiveEvent::Source::Mark;
    e.mark = number;
    e.data = note.toUtf8();
    return append(e);
}

bool RawArchive::append(const ArchiveEvent& event) {
    if (fd_ < 0)
        return false;
    const QByteArray line = FormatArchiveLine(event);
    if (const int err = WriteAll(fd_, line)) {
        fail(err);
        return false;
    }
    size_ += line.size();
    syncer_.request(size_, kSyncIntervalMs);
    return true;
}

bool RawArchive::sync() {
    if (fd_ < 0)
        return false;
    if (const int err = syncer_.flush()) {
        fail(err);
        return false;
    }
    return true;
}

void RawArchive::fail(int err) {
    syncer_.stop(false);
    // Cut off a partly written event where the file allows it.
    if (::ftruncate(fd_, static_cast<off_t>(size_)) == 0)
        ::lseek(fd_, static_cast<off_t>(size_), SEEK_SET);
    ::close(fd_);
    fd_ = -1;
    emit failed(QStringLiteral("Cannot write to raw archive %1: %2").arg(path_, Reason(err)));
}

} // namespace corvale
