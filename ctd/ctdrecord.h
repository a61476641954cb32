#pragma once
// The CTD record stream: lines of "conductivity,temperature,pressure" ended
// by a line feed, and how one record updates the station's CTD readings.

#include "archive/ctdline.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <functional>

namespace corvale {

struct StationState;

// Applies one record to the four CTD readings, skipping what fails: a record
// without exactly three fields changes nothing; a field that is not a number
// keeps its reading; the salinity is recomputed from the readings as they
// then stand and keeps its value when it cannot be computed. Fields are read
// with a period; blanks, tabs and a carriage return around a number are
// accepted. A reading taken is stamped `at`. Returns true when the record
// had three fields, that is when the four CTD labels are to be rewritten.
bool ParseCtdRecord(const QString& line, StationState& s, const QDateTime& at);

// True when a record (blanks already trimmed) has three fields and each is a
// number: ParseCtdRecord then takes all three.
bool IsWellFormedCtdRecord(const QString& record);

// Captions of lblConduct, lblTemp, lblPress and lblSalinity, in that order.
std::array<QString, 4> CtdLabelTexts(const StationState& s);

// Assembles records from the characters the CTD port delivers. Every line
// feed ends a record (blanks at both ends removed); other characters are
// collected in CtdLineBuffer, which lives as long as this object and so
// survives closing and reopening the port. Bytes are read as Latin-1.
class CtdStream {
public:
    // Longest record kept. Longer text is dropped up to the next line feed,
    // so a cut-off tail is never taken for a record.
    static constexpr qsizetype MaxLineLength = 4096;

    // An over-long line is reported in pieces of this size at most, so an
    // endless line costs bounded memory.
    static constexpr qsizetype MaxReportedLength = 65536;

    using RecordHandler = std::function<void(const QString& record)>;
    // The bytes of one line as received (line feed removed, nothing trimmed)
    // and what it was.
    using LineHandler = std::function<void(const QByteArray& line, CtdLineStatus status)>;

    // Hands every complete record to onRecord.
    explicit CtdStream(RecordHandler onRecord);
    // Applies every complete record to `state`, stamped with now(); calls
    // onApplied (if given) after each record that changed the labels'
    // content.
    CtdStream(StationState& state, std::function<QDateTime()> now, std::function<void()> onApplied);

    void feed(const QByteArray& chars);

    // Reports every line as it completes, before its record is handled:
    // records as Ok, other lines as Malformed, and lines past MaxLineLength
    // (which no record handler sees) as Overlong, whole; one that grows
    // past MaxReportedLength comes as Partial pieces and ends with an
    // Overlong piece. Joining the reported lines, each with a line feed
    // except after a Partial piece, gives back the bytes received.
    void setLineHandler(LineHandler onLine) { onLine_ = std::move(onLine); }

    const QString& CtdLineBuffer() const { return buffer_; }
    // True while the rest of an over-long line is being dropped.
    bool dropping() const { return dropping_; }

private:
    void endRecord();
    void keepOverlong(char byte);

    RecordHandler onRecord_;
    LineHandler onLine_;
    QString buffer_;
    QByteArray overlong_; // the dropped line's bytes, kept only for onLine_
    bool dropping_ = false;
};

} // namespace corvale
