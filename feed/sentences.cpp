#include "feed/sentences.h"

#include "core/state.h"
#include "core/textnum.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include <QVarLengthArray>

namespace corvale {

namespace {

const QString kReserved = QStringLiteral("$*,!\\^~");

quint8 ByteChecksum(const char* text, qsizetype size) {
    quint8 sum = 0;
    for (qsizetype i = 0; i < size; ++i)
        sum ^= quint8(text[i]);
    return sum;
}

constexpr char kHex[] = "0123456789ABCDEF";

// Appends one character at a time to a buffer on the stack (longer notes
// spill to the heap): sentences are built many times a second.
class Line {
public:
    Line() { add('$'); }
    Line(const char* name, const QDateTime& time) {
        add('$');
        add(name);
        add(',');
        char stamp[32];
        add(stamp, TimeChars(time, stamp, sizeof stamp));
    }

    static int TimeChars(const QDateTime& time, char* buf, size_t size) {
        const QDate d = time.date();
        const QTime t = time.time();
        const int n = std::snprintf(buf, size, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", d.year(),
                                    d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec());
        return std::clamp(n, 0, int(size) - 1);
    }
    // The station's wire number form (core/textnum.h): shortest general
    // form, 15 significant digits, "E" for the exponent; empty when not finite.
    static int NumberChars(double v, char* buf, size_t size) {
        if (!std::isfinite(v))
            return 0;
        if (v == 0) {
            buf[0] = '0';
            return 1;
        }
        const int n = std::clamp(std::snprintf(buf, size, "%.15g", v), 0, int(size) - 1);
        for (int i = 0; i < n; ++i)
            if (buf[i] == 'e')
                buf[i] = 'E';
        return n;
    }

    void add(char c) { buf_.append(c); }
    void add(const char* text) { buf_.append(text, qsizetype(std::strlen(text))); }
    void add(const char* text, int n) { buf_.append(text, n); }
    void field(const char* text) {
        add(',');
        add(text);
    }
    void field(const QString& text) {
        add(',');
        for (const QChar c : text)
            add(char(c.unicode() & 0xFF));
    }
    void number(double v) {
        char n[40];
        add(',');
        add(n, NumberChars(v, n, sizeof n));
    }
    void number(const std::optional<double>& v) {
        if (v)
            number(*v);
        else
            add(',');
    }
    void flag(const std::optional<bool>& v) {
        add(',');
        if (v)
            add(*v ? '1' : '0');
    }
    // Adds "*hh" and CR LF.
    QString finish() {
        const quint8 sum = ByteChecksum(buf_.constData() + 1, buf_.size() - 1);
        add('*');
        add(kHex[sum >> 4]);
        add(kHex[sum & 0xF]);
        add("\r\n");
        return QString::fromLatin1(buf_.constData(), buf_.size());
    }

private:
    QVarLengthArray<char, 160> buf_;
};

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

} // namespace

quint8 SentenceChecksum(const QString& body) {
    const QByteArray bytes = body.toLatin1();
    return ByteChecksum(bytes.constData(), bytes.size());
}

QString SentenceFrom(const QString& body) {
    Line line;
    for (const QChar c : body)
        line.add(char(c.unicode() & 0xFF));
    return line.finish();
}

QString SentenceTime(const QDateTime& time) {
    char stamp[32];
    return QString::fromLatin1(stamp, Line::TimeChars(time, stamp, sizeof stamp));
}

QString SentenceNumber(double value) {
    char n[40];
    return QString::fromLatin1(n, Line::NumberChars(value, n, sizeof n));
}

QString EscapeNoteField(const QString& note) {
    QString out;
    const QByteArray bytes = note.toUtf8();
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 || b > 0x7E || kReserved.contains(QLatin1Char(char(b)))) {
            out += QLatin1Char('^');
            out += QLatin1Char(kHex[b >> 4]);
            out += QLatin1Char(kHex[b & 0xF]);
        } else {
            out += QLatin1Char(char(b));
        }
    }
    return out;
}

QString UnescapeNoteField(const QString& field) {
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == QLatin1Char('^') && i + 2 < field.size() && HexDigit(field[i + 1]) >= 0 &&
            HexDigit(field[i + 2]) >= 0) {
            bytes += char(HexDigit(field[i + 1]) * 16 + HexDigit(field[i + 2]));
            i += 2;
            continue;
        }
        bytes += field[i].toLatin1();
    }
    return QString::fromUtf8(bytes);
}

QString CtdSentence(const QDateTime& time, double conductivity, double temperature, double pressure,
                    double salinity) {
    Line line("CVCTD", time);
    line.number(conductivity);
    line.number(temperature);
    line.number(pressure);
    line.number(salinity);
    return line.finish();
}

QString CtdSentence(const QDateTime& time, const StationState& s) {
    const auto known = [](const Reading& r) {
        return r.known() ? r.value : std::numeric_limits<double>::quiet_NaN();
    };
    return CtdSentence(time, known(s.CtdConductivity), known(s.CtdTemperature),
                       known(s.CtdPressure), known(s.CtdSalinity));
}

BusCycleFigures BusCycleFrom(const StationState& s) {
    const auto known = [](const Reading& r) {
        return r.known() ? std::optional<double>(r.value) : std::nullopt;
    };
    BusCycleFigures r;
    r.thrusterRpm = known(s.ThrusterRpm);
    r.waveRpm = known(s.WaveRpm);
    r.thrusterWatts = known(s.ThrusterCurrent.watts);
    r.waveWatts = known(s.WaveCurrent.watts);
    r.profilerWatts = known(s.ProfilerCurrent.watts);
    if (s.PhReadingEnabled) {
        r.phMilliVolts = known(s.PhMilliVolts);
        r.ph = known(s.PhValue);
    }
    // Permits never polled are no "stopped".
    if (s.PermitsAt.isValid()) {
        r.upAllowed = s.UpPermitted;
        r.downAllowed = s.DownPermitted;
    }
    return r;
}

QString BusSentence(const QDateTime& time, const BusCycleFigures& r) {
    Line line("CVBUS", time);
    line.number(r.thrusterRpm);
    line.number(r.waveRpm);
    line.number(r.thrusterWatts);
    line.number(r.waveWatts);
    line.number(r.profilerWatts);
    line.number(r.phMilliVolts);
    line.number(r.ph);
    line.flag(r.upAllowed);
    line.flag(r.downAllowed);
    return line.finish();
}

QString ActuatorCode(Actuator a) {
    switch (a) {
    case Actuator::Thruster:
        return QStringLiteral("THR");
    case Actuator::WaveGenerator:
        return QStringLiteral("WAV");
    case Actuator::Profiler:
        break;
    }
    return QStringLiteral("VP");
}

QString PowerSentence(const QDateTime& time, Actuator a, bool on) {
    Line line("CVACT", time);
    line.field(ActuatorCode(a));
    line.field("POWER");
    line.field(on ? "ON" : "OFF");
    return line.finish();
}

QString SpeedSentence(const QDateTime& time, Actuator a, double setPoint) {
    Line line("CVACT", time);
    line.field(ActuatorCode(a));
    line.field("SPEED");
    line.number(setPoint);
    return line.finish();
}

QString DriveSentence(const QDateTime& time, ProfilerDrive drive) {
    Line line("CVACT", time);
    line.field(ActuatorCode(Actuator::Profiler));
    line.field("DRIVE");
    line.field(drive == ProfilerDrive::Up ? "UP" : drive == ProfilerDrive::Down ? "DOWN" : "STOP");
    return line.finish();
}

QString MarkSentence(const QDateTime& time, int number, const QString& note) {
    Line line("CVMRK", time);
    line.field(QString::number(number));
    line.field(EscapeNoteField(note));
    return line.finish();
}

QString LinkSentence(const QDateTime& time, const QString& line, bool up, const QString& why) {
    Line out("CVLNK", time);
    out.field(line);
    out.field(up ? "UP" : "DOWN");
    out.field(EscapeNoteField(why));
    return out.finish();
}

QString ReplayedSentence(const QString& sentence) {
    QString body = sentence;
    if (body.endsWith(QStringLiteral("\r\n")))
        body.chop(2);
    if (body.size() >= 4 && body[body.size() - 3] == QLatin1Char('*'))
        body.chop(3);
    if (body.startsWith(QLatin1Char('$')))
        body.remove(0, 1);
    return SentenceFrom(body + QLatin1Char(',') + kReplayField);
}

std::optional<QStringList> ParseSentence(const QString& line) {
    QString t = line;
    if (t.endsWith(QStringLiteral("\r\n")))
        t.chop(2);
    if (t.size() < 4 || t[0] != QLatin1Char('$') || t[t.size() - 3] != QLatin1Char('*'))
        return std::nullopt;
    const int hi = HexDigit(t[t.size() - 2]);
    const int lo = HexDigit(t[t.size() - 1]);
    const QString body = t.mid(1, t.size() - 4);
    if (hi < 0 || lo < 0 || SentenceChecksum(body) != hi * 16 + lo)
        return std::nullopt;
    if (body.contains(QLatin1Char('$')) || body.contains(QLatin1Char('*')))
        return std::nullopt;
    return body.split(QLatin1Char(','));
}

} // namespace corvale
