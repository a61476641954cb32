#include "core/textnum.h"
#include "core/state.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace corvale {

namespace {

std::string ShortestFixed(double value) {
    char buf[512];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (res.ec != std::errc())
        return std::to_string(value);
    return std::string(buf, res.ptr);
}

std::optional<double> ParseStrict(const std::string& s) {
    if (s.empty())
        return std::nullopt;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (*first == '+') {
        ++first;
        if (first == last || *first == '-')
            return std::nullopt;
    }
    double v = 0;
    auto res = std::from_chars(first, last, v);
    if (res.ec != std::errc() || res.ptr != last || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString GeneralForm(double value) {
    if (value == 0)
        return QStringLiteral("0");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    if (std::isfinite(value) && !std::isfinite(std::strtod(buf, nullptr))) {
        // The very largest doubles round up past the largest double at 15
        // digits; they are cut to 15 digits instead, so the text reads back.
        std::snprintf(buf, sizeof buf, "%.16e", value);
        std::string digits(buf, std::strchr(buf, 'e'));
        digits.resize(digits.find('.') + 15);
        while (digits.back() == '0')
            digits.pop_back();
        if (digits.back() == '.')
            digits.pop_back();
        return QString::fromStdString(digits) + QStringLiteral("E+308");
    }
    QString s = QString::fromLatin1(buf);
    const qsizetype e = s.indexOf(QLatin1Char('e'));
    if (e >= 0)
        s[e] = QLatin1Char('E');
    return s;
}

QString LongTimeFormat() {
    QString fmt = QLocale().timeFormat(QLocale::LongFormat);
    // The zone name is no part of a time of day.
    fmt.remove(QLatin1Char('t'));
    return fmt.trimmed();
}

} // namespace

double RoundHalfEven(double value, int decimals) {
    if (!std::isfinite(value) || decimals < 0)
        return value;
    const std::string s = ShortestFixed(value);
    const auto point = s.find('.');
    if (point == std::string::npos || s.size() - point - 1 <= static_cast<size_t>(decimals))
        return value;
    const bool negative = s[0] == '-';
    std::string kept = s.substr(negative ? 1 : 0, point + 1 + decimals - (negative ? 1 : 0));
    const char first = s[point + 1 + decimals];
    const bool restNonZero = s.find_first_not_of('0', point + 2 + decimals) != std::string::npos;
    char lastKept = kept.back() == '.' ? kept[kept.size() - 2] : kept.back();
    bool up = first > '5' || (first == '5' && (restNonZero || (lastKept - '0') % 2 == 1));
    if (up) {
        int i = static_cast<int>(kept.size()) - 1;
        for (; i >= 0; --i) {
            if (kept[i] == '.')
                continue;
            if (kept[i] == '9') {
                kept[i] = '0';
            } else {
                ++kept[i];
                break;
            }
        }
        if (i < 0)
            kept.insert(kept.begin(), '1');
    }
    double out = 0;
    std::from_chars(kept.data(), kept.data() + kept.size(), out);
    return negative ? -out : out;
}

QString WireNumberText(double value) {
    return GeneralForm(value);
}

QString NumberText(double value) {
    QString s = GeneralForm(value);
    s.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return s;
}

std::optional<double> WireTextToNumber(const QString& text) {
    return ParseStrict(text.trimmed().toStdString());
}

std::optional<double> TextToNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = QLocale().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString DateText(const QDateTime& value) {
    const QLocale loc;
    if (value == ZeroDate())
        return loc.toString(QTime(0, 0), LongTimeFormat());
    QString s = loc.toString(value.date(), QLocale::ShortFormat);
    if (value.time() != QTime(0, 0))
        s += QLatin1Char(' ') + loc.toString(value.time(), LongTimeFormat());
    return s;
}

QString TimeSeparator() {
    const QString fmt = QLocale().timeFormat(QLocale::ShortFormat);
    qsizetype i = fmt.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    if (i < 0)
        return QStringLiteral(":");
    while (i < fmt.size() && (fmt[i] == QLatin1Char('h') || fmt[i] == QLatin1Char('H')))
        ++i;
    if (i < fmt.size() && !fmt[i].isLetter() && !fmt[i].isSpace())
        return QString(fmt[i]);
    return QStringLiteral(":");
}

QString FormatAnalogValue(const QString& valueText) {
    const QString cut = valueText.right(8);
    const auto v = WireTextToNumber(cut);
    if (!v)
        return cut;
    const double r = RoundHalfEven(*v, 2);
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.2f", std::fabs(r));
    QString s = QString::fromLatin1(buf);
    const qsizetype point = s.indexOf(QLatin1Char('.'));
    if (point < 5)
        s.prepend(QString(5 - point, QLatin1Char('0')));
    if (r < 0)
        s.prepend(QLatin1Char('-'));
    return s;
}

QString FormatTimeHMS(const QTime& time) {
    const QString sep = TimeSeparator();
    return QString::number(time.hour()) + sep + QString::number(time.minute()) + sep +
           QString::number(time.second());
}

QString FormatDayFraction(double dayFraction) {
    double frac = dayFraction - std::floor(dayFraction);
    long secs = std::lround(frac * 86400.0);
    if (secs >= 86400)
        secs = 0;
    const QString sep = TimeSeparator();
    auto two = [](long n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return two(secs / 3600) + sep + two((secs / 60) % 60) + sep + two(secs % 60);
}

QString FormatFourDecimals(double value) {
    const double r = RoundHalfEven(value, 4);
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.4f", r);
    QString s = QString::fromLatin1(buf);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s == QLatin1String("-0."))
        s = QStringLiteral("0.");
    s.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return s;
}

double DayFraction(const QTime& time) {
    return time.msecsSinceStartOfDay() / 86400000.0;
}

} // namespace corvale
