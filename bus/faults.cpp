#include "bus/faults.h"

#include "bus/dghlink.h"
#include "core/store.h"

#include <algorithm>

namespace corvale {

namespace {
const QString kRetriesKey = QStringLiteral("Faults/retries");
const QString kReconnectKey = QStringLiteral("Faults/reconnect");
} // namespace

FaultSettings LoadFaultSettings() {
    CORVALE_STORE(store);
    FaultSettings out;
    if (const auto retries = StoredInt(store, kRetriesKey))
        out.retries = std::clamp(*retries, 0, DghLink::kMaxRetries);
    // Only a plain "true" or 1 turns it on; anything else keeps the default.
    const QString reconnect = store.value(kReconnectKey).toString().trimmed().toLower();
    out.reconnect = reconnect == QLatin1String("true") || reconnect == QLatin1String("1");
    return out;
}

bool StoreFaultSettings(const FaultSettings& settings) {
    CORVALE_STORE(store);
    store.setValue(kRetriesKey, std::clamp(settings.retries, 0, DghLink::kMaxRetries));
    store.setValue(kReconnectKey, settings.reconnect);
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace corvale
