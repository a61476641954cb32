#include "about/registry.h"

#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

namespace corvale {

SystemInfoLookup::SystemInfoLookup(QStringList candidates, QStringList searchPaths)
    : candidates_(std::move(candidates)), searchPaths_(std::move(searchPaths)) {}

QStringList SystemInfoLookup::DefaultCandidates() {
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("lshw-gtk"), QStringLiteral("gnome-system-monitor")};
}

std::optional<QString> SystemInfoLookup::value(std::uint32_t root, const QString& keyPath,
                                               const QString& valueName) const {
    // Registry names do not depend on case.
    if (root != kHkeyLocalMachine || keyPath.compare(kMsinfoKey, Qt::CaseInsensitive) != 0 ||
        valueName.compare(kMsinfoValue, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    for (const QString& name : candidates_) {
        const QString found = QStandardPaths::findExecutable(name, searchPaths_);
        if (!found.isEmpty())
            return found;
    }
    return std::nullopt;
}

#ifdef Q_OS_WIN
namespace {
class WindowsRegistry : public Registry {
public:
    std::optional<QString> value(std::uint32_t root, const QString& keyPath,
                                 const QString& valueName) const override {
        QString rootName;
        switch (root) {
        case 0x80000000u:
            rootName = QStringLiteral("HKEY_CLASSES_ROOT");
            break;
        case 0x80000001u:
            rootName = QStringLiteral("HKEY_CURRENT_USER");
            break;
        case kHkeyLocalMachine:
            rootName = QStringLiteral("HKEY_LOCAL_MACHINE");
            break;
        case 0x80000003u:
            rootName = QStringLiteral("HKEY_USERS");
            break;
        default:
            return std::nullopt;
        }
        // Read access only: the About box never writes the registry.
        QSettings key(rootName + QLatin1Char('\\') + keyPath, QSettings::NativeFormat);
        const QVariant v = key.value(valueName);
        if (!v.isValid())
            return std::nullopt;
        if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::UInt)
            return QStringLiteral("&h") + QString::number(v.toUInt(), 16).toUpper();
        return v.toString();
    }
};
} // namespace

Registry& SystemRegistry() {
    static WindowsRegistry registry;
    return registry;
}
#else
Registry& SystemRegistry() {
    static SystemInfoLookup registry;
    return registry;
}
#endif

} // namespace corvale
