#pragma once
// The log file on disk. Every line is handed to the operating system and
// synced before writeLine returns, so a line reported written survives a
// crash or power cut whole, and a failed write leaves no part of its line
// behind where the file allows truncation.

#include <QDate>
#include <QString>
#include <QTime>

namespace corvale {

struct StationState;

class LogFile {
public:
    enum class Mode { Overwrite, Append };

    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Opens `path`, creating it (mode 0644 before the umask) if missing:
    // Overwrite empties it, Append keeps its content and writes after it.
    // A file already open is closed first. On failure returns false and
    // sets *error to "Cannot open log file <path>: <reason>".
    bool open(const QString& path, Mode mode, QString* error = nullptr);
    // Writes `line` plus carriage return and line feed, then syncs. Text is
    // written as Latin-1; a character outside it becomes "?". On failure
    // returns false and sets *error to "Cannot write to log file <path>:
    // <reason>"; the partly written line is cut off again.
    bool writeLine(const QString& line, QString* error = nullptr);
    void close();

    bool isOpen() const { return fd_ >= 0; }
    QString path() const { return path_; }

private:
    void truncateTo(long long size);

    int fd_ = -1;
    QString path_;
};

// Writes the 24 header lines. Stops at the first line that fails.
bool WriteLogHeader(LogFile& file, const StationState& s, const QDate& today,
                    QString* error = nullptr);
// Appends one record line. With no file open (logging without saving) it
// writes nothing and succeeds.
bool WriteLogRecord(LogFile& file, const StationState& s, const QTime& now,
                    QString* error = nullptr);

} // namespace corvale
