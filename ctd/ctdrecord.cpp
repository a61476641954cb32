#include "ctd/ctdrecord.h"
#include "core/state.h"
#include "core/textnum.h"
#include "ctd/salinity.h"

#include <QStringList>
#include <utility>

namespace corvale {

namespace {

// Only blanks are removed from a record's ends; tabs and carriage returns
// stay with their field.
QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

void SetRounded(const QString& field, int decimals, Reading& reading, const QDateTime& at) {
    if (const auto v = WireTextToNumber(field))
        reading.set(RoundHalfEven(*v, decimals), at);
}

} // namespace

bool ParseCtdRecord(const QString& line, StationState& s, const QDateTime& at) {
    const QStringList fields = line.split(QLatin1Char(','));
    if (fields.size() != 3)
        return false;
    SetRounded(fields[0], 3, s.CtdConductivity, at);
    SetRounded(fields[1], 3, s.CtdTemperature, at);
    SetRounded(fields[2], 1, s.CtdPressure, at);
    if (const auto salinity =
            ComputeSalinity(s.CtdConductivity.value, s.CtdTemperature.value, s.CtdPressure.value)) {
        // Worked out from a start value that was never read, it is no reading.
        const bool known =
            s.CtdConductivity.known() && s.CtdTemperature.known() && s.CtdPressure.known();
        s.CtdSalinity.set(*salinity, known ? at : QDateTime());
    }
    return true;
}

bool IsWellFormedCtdRecord(const QString& record) {
    const QStringList fields = record.split(QLatin1Char(','));
    if (fields.size() != 3)
        return false;
    for (const QString& field : fields) {
        if (!WireTextToNumber(field))
            return false;
    }
    return true;
}

std::array<QString, 4> CtdLabelTexts(const StationState& s) {
    return {NumberText(s.CtdConductivity.value), NumberText(s.CtdTemperature.value),
            NumberText(s.CtdPressure.value), NumberText(s.CtdSalinity.value)};
}

CtdStream::CtdStream(RecordHandler onRecord) : onRecord_(std::move(onRecord)) {}

CtdStream::CtdStream(StationState& state, std::function<QDateTime()> now,
                     std::function<void()> onApplied)
    : onRecord_(
          [&state, now = std::move(now), onApplied = std::move(onApplied)](const QString& record) {
              if (ParseCtdRecord(record, state, now()) && onApplied)
                  onApplied();
          }) {}

void CtdStream::feed(const QByteArray& chars) {
    for (const char byte : chars) {
        if (byte == '\n') {
            endRecord();
            continue;
        }
        if (dropping_) {
            if (onLine_)
                keepOverlong(byte);
            continue;
        }
        if (buffer_.size() >= MaxLineLength) {
            if (onLine_) {
                overlong_ = buffer_.toLatin1();
                keepOverlong(byte);
            }
            buffer_.clear();
            dropping_ = true;
            continue;
        }
        buffer_.append(QLatin1Char(byte));
    }
}

void CtdStream::keepOverlong(char byte) {
    overlong_.append(byte);
    if (overlong_.size() < MaxReportedLength)
        return;
    const QByteArray piece = std::exchange(overlong_, QByteArray());
    onLine_(piece, CtdLineStatus::Partial);
}

void CtdStream::endRecord() {
    if (dropping_) {
        dropping_ = false;
        const QByteArray rest = std::exchange(overlong_, QByteArray());
        if (onLine_)
            onLine_(rest, CtdLineStatus::Overlong);
        return;
    }
    const QString record = TrimBlanks(buffer_);
    if (onLine_) {
        onLine_(buffer_.toLatin1(),
                IsWellFormedCtdRecord(record) ? CtdLineStatus::Ok : CtdLineStatus::Malformed);
    }
    buffer_.clear();
    if (onRecord_)
        onRecord_(record);
}

} // namespace corvale
