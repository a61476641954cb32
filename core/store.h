#pragma once
// The per-user settings store: application "Corvale". Sections: "CalData"
// (the stored calibration), "Ports" (COM number to device) and "Window"
// (the main window's size and place).
// Tests and scripts/run point it elsewhere with XDG_CONFIG_HOME or
// QSettings::setPath.

#include <QSettings>
#include <QString>

namespace corvale {

inline const QString kStoreOrganization = QStringLiteral("Corvale");
inline const QString kStoreApplication = QStringLiteral("Corvale");

#define CORVALE_STORE(name) QSettings name(kStoreOrganization, kStoreApplication)

} // namespace corvale
