#include "sim/simfaults.h"

#include <QStringList>

namespace corvale {

char ParseAddress(const QString& text) {
    const QString t = text.trimmed().toUpper();
    if (t.size() != 1 || t[0].unicode() > 126 || t[0].unicode() < 33)
        return 0;
    return static_cast<char>(t[0].unicode());
}

std::optional<int> SimFaults::replyDelay(char address) const {
    if (silent.contains(address))
        return std::nullopt;
    if (allLate || late.contains(address))
        return lateMs;
    return replyDelayMs;
}

bool SimFaults::takeDrop(char address) {
    const auto it = drops.find(address);
    if (it == drops.end())
        return false;
    if (--*it <= 0)
        drops.erase(it);
    return true;
}

QByteArray SimFaults::shape(const QByteArray& reply) const {
    QByteArray out = garbage ? QByteArray(kGarbage) + reply : reply;
    if (parity)
        for (char& c : out)
            c = static_cast<char>(static_cast<unsigned char>(c) | 0x80);
    return out;
}

namespace {

std::optional<bool> OnOff(const QString& word) {
    if (word == QLatin1String("on"))
        return true;
    if (word == QLatin1String("off"))
        return false;
    return std::nullopt;
}

std::optional<int> Milliseconds(const QString& word) {
    bool ok = false;
    const int v = word.toInt(&ok);
    if (!ok || v < 0 || v > 60000)
        return std::nullopt;
    return v;
}

} // namespace

QString SimFaults::apply(const QString& line) {
    const QStringList w = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (w.isEmpty())
        return QStringLiteral("error empty line");
    const QString& word = w[0];
    const QString arg = w.size() > 1 ? w[1] : QString();
    const QString okText = QStringLiteral("ok ") + w.join(QLatin1Char(' '));
    static const QStringList kWords = {
        QStringLiteral("silent"),   QStringLiteral("unsilent"),       QStringLiteral("late"),
        QStringLiteral("unlate"),   QStringLiteral("reply-delay-ms"), QStringLiteral("late-ms"),
        QStringLiteral("garbage"),  QStringLiteral("parity"),         QStringLiteral("ctd-crlf"),
        QStringLiteral("ctd-rate"), QStringLiteral("ctd-malformed"),  QStringLiteral("drop")};
    if (!kWords.contains(word))
        return QStringLiteral("error unknown command \"%1\"").arg(word);
    if (word == QLatin1String("drop")) {
        const char a = w.size() == 3 ? ParseAddress(arg) : 0;
        bool ok = false;
        const int n = w.size() == 3 ? w[2].toInt(&ok) : 0;
        if (w.size() != 3)
            return QStringLiteral("error drop takes an address and a count");
        if (a == 0)
            return QStringLiteral("error bad address \"%1\"").arg(arg);
        if (!ok || n < 0 || n > 1000000)
            return QStringLiteral("error bad count \"%1\"").arg(w[2]);
        if (n == 0)
            drops.remove(a);
        else
            drops[a] = n;
        return okText;
    }
    if (w.size() != 2)
        return QStringLiteral("error %1 takes one argument").arg(word);

    if (word == QLatin1String("silent") || word == QLatin1String("unsilent") ||
        word == QLatin1String("late") || word == QLatin1String("unlate")) {
        const bool every = arg == QLatin1String("all");
        const char a = every ? 0 : ParseAddress(arg);
        if (!every && a == 0)
            return QStringLiteral("error bad address \"%1\"").arg(arg);
        if (word == QLatin1String("late") || word == QLatin1String("unlate")) {
            const bool on = word == QLatin1String("late");
            if (every) {
                allLate = on;
                if (!on)
                    late.clear();
            } else if (on) {
                late.insert(a);
            } else {
                late.remove(a);
            }
        } else if (every) {
            if (word == QLatin1String("silent"))
                for (const char c : QByteArray("012345679A"))
                    silent.insert(c);
            else
                silent.clear();
        } else if (word == QLatin1String("silent")) {
            silent.insert(a);
        } else {
            silent.remove(a);
        }
        return okText;
    }
    if (word == QLatin1String("reply-delay-ms") || word == QLatin1String("late-ms")) {
        const auto ms = Milliseconds(arg);
        if (!ms)
            return QStringLiteral("error bad milliseconds \"%1\"").arg(arg);
        int& target = word == QLatin1String("late-ms") ? lateMs : replyDelayMs;
        target = *ms;
        return okText;
    }
    if (word == QLatin1String("garbage") || word == QLatin1String("parity") ||
        word == QLatin1String("ctd-crlf")) {
        const auto on = OnOff(arg);
        if (!on)
            return QStringLiteral("error %1 takes on or off").arg(word);
        bool& flag = word == QLatin1String("garbage")  ? garbage
                     : word == QLatin1String("parity") ? parity
                                                       : ctdCrLf;
        flag = *on;
        return okText;
    }
    if (word == QLatin1String("ctd-malformed")) {
        bool ok = false;
        const int n = arg.toInt(&ok);
        if (!ok || n < 0)
            return QStringLiteral("error bad count \"%1\"").arg(arg);
        ctdMalformed = n;
        return okText;
    }
    if (word == QLatin1String("ctd-rate")) {
        bool ok = false;
        const double r = arg.toDouble(&ok);
        if (!ok || r < 0 || r > kMaxCtdRate)
            return QStringLiteral("error ctd-rate must be 0 to 24");
        ctdRate = r;
        return okText;
    }
    return QStringLiteral("error unknown command \"%1\"").arg(word);
}

QString SimFaults::controlHelp() {
    return QStringLiteral(
        "  silent A | unsilent A     module A stops / starts answering (A = all: every module)\n"
        "  late A | unlate A         module A answers after late-ms (A = all: every module)\n"
        "  late-ms N                 answer time of late modules, ms\n"
        "  reply-delay-ms N          answer time of the other modules, ms\n"
        "  garbage on|off            \"xy\" before each reply's marker\n"
        "  parity on|off             highest bit set on every reply character\n"
        "  ctd-crlf on|off           CTD lines end with CR LF instead of LF\n"
        "  ctd-malformed N           every Nth CTD record malformed (0 = none)\n"
        "  ctd-rate R                CTD records per second, 0 to 24 (0 = quiet)\n"
        "  drop A N                  module A misses its next N replies (it still acts\n"
        "                            on the commands; 0 = none)\n"
        "  close dgh|ctd             close that pseudo-terminal (a vanished port)\n"
        "  unplug dgh|ctd S          the line's device goes away for S seconds (0.1 to\n"
        "                            3600), then comes back as a new pseudo-terminal;\n"
        "                            prints \"back dgh|ctd <device>\" when it is\n"
        "                            back\n"
        "  state                     print the flume's state on one line\n");
}

} // namespace corvale
