// Text to date the way the regional setting writes dates: its short or long
// date format, then optionally a blank and its long or short time format.
// The formats are read as patterns (Qt's format letters), so the order of
// day, month and year is the setting's own.

#include "core/textnum.h"

#include <QDate>
#include <QList>
#include <QLocale>

namespace corvale {

namespace {

enum class Kind {
    Day,
    Month,
    MonthName,
    Weekday,
    Year,
    Hour24,
    Hour12,
    Minute,
    Second,
    Milli,
    AmPm,
    Space,     // any run of blanks, also none
    Gap,       // at least one blank: between the date and the time
    Separator, // "/", "." and "-" stand for each other, so do ":" and "."
    Literal,
};

struct Token {
    Kind kind;
    int width = 0; // letters in the format
    QChar ch;      // Separator and Literal
};

bool IsNumeric(Kind k) {
    switch (k) {
    case Kind::Day:
    case Kind::Month:
    case Kind::Year:
    case Kind::Hour24:
    case Kind::Hour12:
    case Kind::Minute:
    case Kind::Second:
    case Kind::Milli:
        return true;
    default:
        return false;
    }
}

bool IsFiller(Kind k) {
    return k == Kind::Space || k == Kind::Separator || k == Kind::Literal;
}

bool SeparatorsMatch(QChar format, QChar text) {
    static const QString dateSeps = QStringLiteral("/.-");
    static const QString timeSeps = QStringLiteral(":.");
    return format == text || (dateSeps.contains(format) && dateSeps.contains(text)) ||
           (timeSeps.contains(format) && timeSeps.contains(text));
}

void AddLiteral(QList<Token>& out, QChar c) {
    if (c.isSpace())
        out.append({Kind::Space, 0, c});
    else if (QStringLiteral("/.-:").contains(c))
        out.append({Kind::Separator, 0, c});
    else
        out.append({Kind::Literal, 0, c});
}

// Qt's format letters; quoted text is literal ('' is a quotation mark), the
// zone ("t") is no part of a typed time and is left out.
QList<Token> Tokenize(const QString& format) {
    bool twelveHour = false;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('a') || c == QLatin1Char('A')))
            twelveHour = true;
    }

    QList<Token> out;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            ++i;
            if (i < format.size() && format[i] == QLatin1Char('\'')) {
                AddLiteral(out, c);
                ++i;
                continue;
            }
            while (i < format.size()) {
                if (format[i] == QLatin1Char('\'')) {
                    if (i + 1 < format.size() && format[i + 1] == QLatin1Char('\'')) {
                        AddLiteral(out, format[i]);
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                AddLiteral(out, format[i++]);
            }
            continue;
        }
        qsizetype n = 1;
        while (i + n < format.size() && format[i + n] == c)
            ++n;
        const int w = static_cast<int>(qMin<qsizetype>(n, 4));
        switch (c.unicode()) {
        case 'd':
            out.append({w <= 2 ? Kind::Day : Kind::Weekday, w, c});
            break;
        case 'M':
            out.append({w <= 2 ? Kind::Month : Kind::MonthName, w, c});
            break;
        case 'y':
            out.append({Kind::Year, w >= 3 ? 4 : 2, c});
            break;
        case 'h':
            out.append({twelveHour ? Kind::Hour12 : Kind::Hour24, w, c});
            break;
        case 'H':
            out.append({Kind::Hour24, w, c});
            break;
        case 'm':
            out.append({Kind::Minute, w, c});
            break;
        case 's':
            out.append({Kind::Second, w, c});
            break;
        case 'z':
            out.append({Kind::Milli, w, c});
            break;
        case 't':
            break;
        case 'a':
        case 'A':
            // "AP", "ap", "A" and "a" are all the morning/afternoon mark.
            n = 1;
            if (i + 1 < format.size() &&
                (format[i + 1] == QLatin1Char('p') || format[i + 1] == QLatin1Char('P')))
                n = 2;
            out.append({Kind::AmPm, 0, c});
            break;
        default:
            for (qsizetype k = 0; k < n; ++k)
                AddLiteral(out, c);
            break;
        }
        i += n;
    }
    return out;
}

struct Fields {
    int year = -1;
    int month = -1;
    int day = -1;
    int weekday = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milli = 0;
    int ampm = 0; // 1 morning, 2 afternoon
    bool twelveHour = false;
};

class Matcher {
public:
    Matcher(const QString& text, const QList<Token>& tokens, bool fourDigitYears)
        : t_(text), tokens_(tokens), fourDigitYears_(fourDigitYears) {}

    std::optional<Fields> run() {
        Fields f;
        qsizetype k = 0;
        while (k < tokens_.size()) {
            if (pos_ == t_.size()) {
                // Trailing marks the text leaves out, and a closing weekday.
                for (; k < tokens_.size(); ++k)
                    if (!IsFiller(tokens_[k].kind) && tokens_[k].kind != Kind::Weekday)
                        return std::nullopt;
                break;
            }
            const Token& tok = tokens_[k];
            const bool nextNumeric = k + 1 < tokens_.size() && IsNumeric(tokens_[k + 1].kind);
            if (tok.kind == Kind::Weekday && !matchWeekday(f)) {
                // An opening weekday may be left out, with its punctuation.
                ++k;
                while (k < tokens_.size() && IsFiller(tokens_[k].kind))
                    ++k;
                continue;
            }
            if (tok.kind != Kind::Weekday && !matchOne(tok, nextNumeric, f))
                return std::nullopt;
            ++k;
        }
        if (pos_ != t_.size())
            return std::nullopt;
        return f;
    }

private:
    // Up to `most` decimal digits (any script); -1 when there is none.
    int number(int most, int* count) {
        int value = 0;
        int n = 0;
        while (n < most && pos_ < t_.size() && t_[pos_].isDigit()) {
            value = value * 10 + t_[pos_].digitValue();
            ++pos_;
            ++n;
        }
        *count = n;
        return n > 0 ? value : -1;
    }

    // The longest of `names` that the text holds here, by its index.
    int name(const QStringList& names) {
        int best = -1;
        qsizetype bestLen = 0;
        for (int i = 0; i < names.size(); ++i) {
            const QString& n = names[i];
            if (n.size() <= bestLen || pos_ + n.size() > t_.size())
                continue;
            if (QStringView(t_).mid(pos_, n.size()).compare(n, Qt::CaseInsensitive) == 0) {
                best = i;
                bestLen = n.size();
            }
        }
        pos_ += bestLen;
        return best;
    }

    bool matchWeekday(Fields& f) {
        const QLocale loc;
        QStringList names;
        for (int d = 1; d <= 7; ++d)
            names << loc.dayName(d, QLocale::LongFormat) << loc.dayName(d, QLocale::ShortFormat)
                  << loc.standaloneDayName(d, QLocale::LongFormat)
                  << loc.standaloneDayName(d, QLocale::ShortFormat);
        const int i = name(names);
        if (i < 0)
            return false;
        f.weekday = i / 4 + 1;
        return true;
    }

    bool matchOne(const Token& tok, bool nextNumeric, Fields& f) {
        const QLocale loc;
        int count = 0;
        // Beside another number only the format's own width can tell them apart.
        const int most = nextNumeric ? qMax(tok.width, 1) : 2;
        switch (tok.kind) {
        case Kind::Day:
            f.day = number(most, &count);
            return count > 0;
        case Kind::Month:
            f.month = number(most, &count);
            return count > 0;
        case Kind::Hour24:
            f.hour = number(most, &count);
            return count > 0;
        case Kind::Hour12:
            f.hour = number(most, &count);
            f.twelveHour = true;
            return count > 0;
        case Kind::Minute:
            f.minute = number(most, &count);
            return count > 0;
        case Kind::Second:
            f.second = number(most, &count);
            return count > 0;
        case Kind::Milli:
            f.milli = number(3, &count);
            return count > 0;
        case Kind::Year: {
            const int y = number(nextNumeric ? tok.width : 4, &count);
            if (count == 4)
                f.year = y;
            else if (count == 2 && !fourDigitYears_)
                f.year = TwoDigitYear(y, QDate::currentDate().year());
            else
                return false;
            return true;
        }
        case Kind::MonthName: {
            QStringList names;
            for (int m = 1; m <= 12; ++m)
                names << loc.monthName(m, QLocale::LongFormat)
                      << loc.monthName(m, QLocale::ShortFormat)
                      << loc.standaloneMonthName(m, QLocale::LongFormat)
                      << loc.standaloneMonthName(m, QLocale::ShortFormat);
            const int i = name(names);
            if (i < 0)
                return false;
            f.month = i / 4 + 1;
            return true;
        }
        case Kind::AmPm: {
            const int i =
                name({loc.amText(), loc.pmText(), QStringLiteral("AM"), QStringLiteral("PM")});
            if (i < 0)
                return false;
            f.ampm = i % 2 + 1;
            return true;
        }
        case Kind::Space:
            while (pos_ < t_.size() && t_[pos_].isSpace())
                ++pos_;
            return true;
        case Kind::Gap: {
            const qsizetype start = pos_;
            while (pos_ < t_.size() && t_[pos_].isSpace())
                ++pos_;
            return pos_ > start;
        }
        case Kind::Separator:
            if (!SeparatorsMatch(tok.ch, t_[pos_]))
                return false;
            ++pos_;
            return true;
        case Kind::Literal:
            if (tok.ch.toCaseFolded() != t_[pos_].toCaseFolded())
                return false;
            ++pos_;
            return true;
        case Kind::Weekday:
            return false;
        }
        return false;
    }

    const QString& t_;
    const QList<Token>& tokens_;
    const bool fourDigitYears_;
    qsizetype pos_ = 0;
};

std::optional<QDateTime> ToDateTime(const Fields& f) {
    const QDate date(f.year, f.month, f.day);
    if (f.year < 0 || !date.isValid())
        return std::nullopt;
    if (f.weekday != 0 && date.dayOfWeek() != f.weekday)
        return std::nullopt;
    int hour = f.hour;
    if (f.twelveHour) {
        if (f.ampm == 0 || hour < 1 || hour > 12)
            return std::nullopt;
        hour %= 12;
    }
    if (f.ampm == 2 && hour < 12)
        hour += 12;
    const QTime time(hour, f.minute, f.second, f.milli);
    if (!time.isValid())
        return std::nullopt;
    const QDateTime out(date, time);
    if (!out.isValid())
        return std::nullopt;
    return out;
}

} // namespace

int TwoDigitYear(int twoDigits, int currentYear) {
    const int last = currentYear + 20;
    return last - ((last - twoDigits) % 100 + 100) % 100;
}

std::optional<QDateTime> TextToDate(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QLocale loc;
    struct DateForm {
        QList<Token> tokens;
        bool fourDigitYears;
    };
    const DateForm dates[] = {
        {Tokenize(loc.dateFormat(QLocale::ShortFormat)), false},
        {Tokenize(loc.dateFormat(QLocale::LongFormat)), false},
        {Tokenize(QStringLiteral("yyyy-MM-dd")), true},
    };
    const QList<Token> times[] = {
        {},
        Tokenize(loc.timeFormat(QLocale::LongFormat)),
        Tokenize(loc.timeFormat(QLocale::ShortFormat)),
        Tokenize(QStringLiteral("H:mm:ss")),
        Tokenize(QStringLiteral("H:mm")),
    };
    for (const DateForm& date : dates) {
        for (const QList<Token>& time : times) {
            QList<Token> tokens = date.tokens;
            if (!time.isEmpty()) {
                tokens.append({Kind::Gap, 0, QChar()});
                tokens += time;
            }
            if (const auto fields = Matcher(t, tokens, date.fourDigitYears).run())
                if (const auto out = ToDateTime(*fields))
                    return out;
        }
    }
    return std::nullopt;
}

} // namespace corvale
