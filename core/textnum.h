#pragma once
// Numbers and dates as text, the same way everywhere in the station.
// "Regional" forms follow QLocale() (labels, header text, typed values);
// "wire" forms always use a period (module lines, replies, CTD records and
// the number items of the log).

#include <QDateTime>
#include <QString>
#include <optional>

namespace corvale {

// Half-to-even rounding to `decimals` places, decided on the shortest
// decimal form of the value (so 5.25 -> 5.2 and 2.675 -> 2.68).
double RoundHalfEven(double value, int decimals);

// Shortest general form, at most 15 significant digits, no thousands
// separators, exponent form only for very large or small magnitudes.
QString NumberText(double value);     // regional decimal separator
QString WireNumberText(double value); // always a period

// Text to number: surrounding whitespace allowed, nothing else.
std::optional<double> TextToNumber(const QString& text);     // regional
std::optional<double> WireTextToNumber(const QString& text); // period only

// Text to date by the regional short date order (also long and ISO forms).
// Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999.
std::optional<QDateTime> TextToDate(const QString& text);
// A date as text: short date, plus the long time when the time of day is not
// zero; the zero date shows as midnight alone.
QString DateText(const QDateTime& value);

// The system's time separator (":" in most settings).
QString TimeSeparator();

// "00000.00": at least five digits before the point, exactly two after.
// The text is first cut to its last eight characters.
QString FormatAnalogValue(const QString& valueText);
// "h:m:s": 24-hour clock, no leading zeros.
QString FormatTimeHMS(const QTime& time);
// "hh:mm:ss" of a time of day given as a fraction of a day.
QString FormatDayFraction(double dayFraction);
// "0.####": at most four decimals, the point kept even with none left.
QString FormatFourDecimals(double value);

// Time of day as a fraction of a day, [0, 1).
double DayFraction(const QTime& time);

} // namespace corvale
