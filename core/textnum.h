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

// Text to date (and time of day) the way the regional setting writes them:
// its short or long date format, with one or two digits for day and month
// and a two- or four-digit year, "/", "." and "-" standing for each other;
// optionally followed by blanks and a time in its long or short time format
// or as H:mm[:ss]. ISO yyyy-MM-dd is read in every setting. A weekday name
// may be left out, and must fit the date when given.
std::optional<QDateTime> TextToDate(const QString& text);
// The year of a two-digit year: the one in the hundred years that end twenty
// years after `currentYear` (in 2026: 1947 to 2046). A calibration date lies
// in the past or near future, so this window never drifts into the way as
// a fixed one would.
int TwoDigitYear(int twoDigits, int currentYear);
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
