#include "bus/faults.h"

#include "bus/dghlink.h"
#include "core/store.h"

#include <algorithm>

namespace corvale {

namespace {
const QString kRetriesKey = QStringLiteral("Faults/retries");
} // namespace

FaultSettings LoadFaultSettings() {
    CORVALE_STORE(store);
    FaultSettings out;
    if (const auto retries = StoredInt(store, kRetriesKey))
        out.retries = std::clamp(*retries, 0, DghLink::kMaxRetries);
    return out;
}

bool StoreFaultSettings(const FaultSettings& settings) {
    CORVALE_STORE(store);
    store.setValue(kRetriesKey, std::clamp(settings.retries, 0, DghLink::kMaxRetries));
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace corvale
