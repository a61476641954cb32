#include "ui/windowgeometry.h"

#include "core/store.h"

#include <QWidget>

namespace corvale {

namespace {
const QString kGeometryKey = QStringLiteral("Window/geometry");
}

bool RestoreWindowGeometry(QWidget& window) {
    CORVALE_STORE(store);
    const QByteArray geometry = store.value(kGeometryKey).toByteArray();
    return !geometry.isEmpty() && window.restoreGeometry(geometry);
}

void SaveWindowGeometry(const QWidget& window) {
    CORVALE_STORE(store);
    store.setValue(kGeometryKey, window.saveGeometry());
}

} // namespace corvale
