#include "sim/dghresponder.h"

#include <cmath>

namespace corvale {

namespace {

QByteArray Error(char address, const char* what) {
    return QByteArray("?") + address + ' ' + what + '\r';
}

// The command part of a line: from its last "$" on, highest bits cleared.
QByteArray CommandPart(const QByteArray& line) {
    QByteArray clean;
    clean.reserve(line.size());
    for (const char c : line) {
        const char seven = static_cast<char>(static_cast<unsigned char>(c) & 0x7f);
        if (seven != '\r' && seven != '\n')
            clean += seven;
    }
    const qsizetype dollar = clean.lastIndexOf('$');
    return dollar < 0 ? QByteArray() : clean.mid(dollar);
}

std::optional<double> SignedValue(const QByteArray& data) {
    if (data.size() < 2 || (data[0] != '+' && data[0] != '-'))
        return std::nullopt;
    const QByteArray digits = data.mid(1);
    for (const char c : digits)
        if (!(c >= '0' && c <= '9') && c != '.')
            return std::nullopt;
    bool ok = false;
    const double v = digits.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return data[0] == '-' ? -v : v;
}

} // namespace

bool DghResponder::isModuleAddress(char address) {
    return QByteArray("012345679A").contains(address);
}

char DghResponder::addressOf(const QByteArray& line) {
    const QByteArray cmd = CommandPart(line);
    return cmd.size() >= 2 ? cmd[1] : 0;
}

QList<QByteArray> DghResponder::takeLines(QByteArray& buffer) {
    QList<QByteArray> lines;
    qsizetype cr;
    while ((cr = buffer.indexOf('\r')) >= 0) {
        lines << buffer.left(cr);
        buffer.remove(0, cr + 1);
    }
    return lines;
}

QByteArray DghResponder::readingText(double value) {
    if (!std::isfinite(value))
        value = 0;
    const double magnitude = std::min(std::abs(value), 99999.99);
    QByteArray digits = QByteArray::number(magnitude, 'f', 2);
    digits = digits.rightJustified(8, '0');
    return (value < 0 && digits != "00000.00" ? "-" : "+") + digits;
}

std::optional<QByteArray> DghResponder::respond(const QByteArray& line) {
    const QByteArray cmd = CommandPart(line);
    if (cmd.size() < 2 || !isModuleAddress(cmd[1]))
        return std::nullopt;
    const char address = cmd[1];
    const QByteArray verb = cmd.mid(2, 2);
    const QByteArray data = cmd.mid(4);
    const QByteArray ok("*\r");

    switch (address) {
    case '9':
        if (verb == "DI" && data.isEmpty())
            return QByteArray("*") +
                   QByteArray::number(model_.digitalInputs(), 16).toUpper().rightJustified(4, '0') +
                   '\r';
        if (verb == "SP" || verb == "CP") {
            bool good = data.size() == 2;
            const int position = good ? data.toInt(&good) : -1;
            if (!good || position < 0 || position > 15)
                return Error(address, "VALUE ERROR");
            model_.setOutput(position, verb == "SP");
            return ok;
        }
        break;
    case '0':
    case '2':
    case '3':
        if (verb == "AO") {
            const auto v = SignedValue(data);
            if (!v)
                return Error(address, "VALUE ERROR");
            model_.setAnalogOutput(address, *v);
            return ok;
        }
        break;
    default:
        if (verb == "RD" && data.isEmpty()) {
            double value = 0;
            switch (address) {
            case '1':
                value = model_.thrusterFrequency();
                break;
            case '4':
                value = model_.waveFrequency();
                break;
            case '5':
                value = model_.thrusterCurrent();
                break;
            case '6':
                value = model_.waveCurrent();
                break;
            case '7':
                value = model_.profilerCurrent();
                break;
            case 'A':
                value = model_.phMilliVolts();
                break;
            default:
                break;
            }
            return "*" + readingText(value) + '\r';
        }
        break;
    }
    return Error(address, "COMMAND ERROR");
}

} // namespace corvale
