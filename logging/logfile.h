#pragma once
// The log file on disk. Every line is handed to the operating system in one
// write before writeLine returns, so a line reported written survives a
// crash of the program whole, and a failed write leaves no part of its line
// behind where the file allows truncation. Each line is then synced at once
// on a thread of its own (see archive/filesyncer.h), so a power cut loses
// at most the lines of the sync under way and a slow medium never holds the
// window. A failed sync cuts the file back to its last synced line, closes
// it and is handed to the failure handler.

#include <QDate>
#include <QString>
#include <QTime>

#include <functional>
#include <memory>

namespace corvale {

class FileSyncer;
struct StationState;

class LogFile {
public:
    enum class Mode { Overwrite, Append };

    LogFile();
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
    // Syncs what is unsynced and closes. False, with *error as a failed
    // write's, when the last sync fails (the file is cut back to its last
    // synced line).
    bool close(QString* error = nullptr);
    // Called with "Cannot write to log file <path>: <reason>" when a sync
    // fails while the file is open, on the thread that opened it; the file
    // is already closed then.
    void setFailureHandler(std::function<void(const QString&)> handler);

    bool isOpen() const { return fd_ >= 0; }
    QString path() const { return path_; }

private:
    void truncateTo(long long size);
    void syncFailed(int err);

    int fd_ = -1;
    QString path_;
    bool regular_ = false;
    long long end_ = 0; // whole bytes handed to the syncer (a device: all written)
    std::unique_ptr<FileSyncer> syncer_;
    std::function<void(const QString&)> onFailure_;
};

// Writes the 24 header lines. Stops at the first line that fails.
bool WriteLogHeader(LogFile& file, const StationState& s, const QDate& today,
                    QString* error = nullptr);
// Appends one record line. With no file open (logging without saving) it
// writes nothing and succeeds.
bool WriteLogRecord(LogFile& file, const StationState& s, const QTime& now,
                    QString* error = nullptr);

} // namespace corvale
