#pragma once
// The per-user settings store: application "Corvale". Sections: "CalData"
// (the stored calibration), "Ports" (COM number to device) and "Window"
// (the main window's size and place).
// Tests and scripts/run point it elsewhere with XDG_CONFIG_HOME or
// QSettings::setPath.

#include <QSettings>
#include <QString>
#include <optional>

namespace corvale {

inline const QString kStoreOrganization = QStringLiteral("Corvale");
inline const QString kStoreApplication = QStringLiteral("Corvale");

#define CORVALE_STORE(name) QSettings name(kStoreOrganization, kStoreApplication)

// A whole number kept under `key`; nothing when it is missing or is no
// number, so the caller's default stands.
inline std::optional<int> StoredInt(const QSettings& store, const QString& key) {
    bool ok = false;
    const int n = store.value(key).toString().trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

} // namespace corvale
