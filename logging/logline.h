#pragma once
// The lines of the log file: items joined by commas, the 24-line header and
// the twelve-item record. Pure text; the file itself is in logfile.h.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

namespace corvale {

struct StationState;

struct LogItem {
    enum class Kind { Text, Number, Date };
    Kind kind = Kind::Text;
    QString text;
    double number = 0;
    QDate date;
};

// Text between quotation marks, inner quotation marks written as they are;
// each carriage return or line feed is written as a blank, so every line of
// the file stays one line.
LogItem TextItem(const QString& text);
// Shortest general form with a period, whatever the regional settings:
// 0 for zero, a leading "0." below 1 in magnitude, exponent form ("1E+20",
// "1E-05") only beyond 15 significant digits or below 1E-4.
LogItem NumberItem(double value);
// #yyyy-mm-dd#
LogItem DateItem(const QDate& date);

QString LogItemText(const LogItem& item);
// Items joined by single commas; no items make an empty line. Without the
// line end.
QString LogLine(const QList<LogItem>& items);

// The 24 header lines written at the start of every logging run to a file:
// calibration values and dates in the regional form, the field list.
QStringList LogHeaderLines(const StationState& s, const QDate& today);
// One record: the time of day "h:m:s" and the eleven readings as they stand.
QString LogRecordLine(const StationState& s, const QTime& now);

} // namespace corvale
