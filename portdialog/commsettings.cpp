#include "portdialog/commsettings.h"

namespace corvale {

QStringList SplitSettings(const QString& settings) {
    QStringList fields = settings.split(QLatin1Char(','));
    while (fields.size() > 4)
        fields[3] += QLatin1Char(',') + fields.takeAt(4);
    while (fields.size() < 4)
        fields << QString();
    return fields;
}

std::optional<int> PortNumberFromName(const QString& name) {
    for (int n = 1; n <= 10; ++n)
        if (name == PortNameFromNumber(n))
            return n;
    return std::nullopt;
}

QString PortNameFromNumber(int number) {
    if (number < 1 || number > 10)
        return {};
    return QStringLiteral("COM%1").arg(number);
}

namespace {
struct ParityPair {
    const char* name;
    const char* letter;
};
constexpr ParityPair kParities[] = {{"None", "n"}, {"Even", "e"}, {"Odd", "o"}};
} // namespace

std::optional<QString> ParityLetter(const QString& name) {
    for (const auto& p : kParities)
        if (name.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(p.letter);
    return std::nullopt;
}

std::optional<QString> ParityName(const QString& letter) {
    for (const auto& p : kParities)
        if (letter.compare(QLatin1String(p.letter), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(p.name);
    return std::nullopt;
}

QString DghStatusText(int portNumber, const QStringList& fields) {
    const QString number =
        portNumber >= 0 ? QStringLiteral(" %1").arg(portNumber) : QString::number(portNumber);
    return QStringLiteral("DGH Settings: COM") + number + QLatin1Char(',') +
           fields.join(QLatin1Char(','));
}

std::optional<QString> CommDeviceCaption(int device) {
    switch (device) {
    case 0:
        return QStringLiteral("DVL Port Settings");
    case 1:
        return QStringLiteral("ROV Lat/Long. Port Settings");
    case 2:
        return QStringLiteral("Toolsled Port Settings");
    case 3:
        return QStringLiteral("Ship Lat/Long. Port Settings");
    default:
        return std::nullopt;
    }
}

} // namespace corvale
