#pragma once
// A toolbar button of the main window clicked as the operator clicks it,
// found by its key ("start", "stop", "cal", "comms", "mark").

#include <QAction>
#include <QWidget>

namespace corvale {

inline void ClickToolbar(QWidget& window, const char* key) {
    auto* button = window.findChild<QAction*>(QStringLiteral("Toolbar1_") + QLatin1String(key));
    if (!button)
        qFatal("no toolbar button %s", key);
    button->trigger();
}

} // namespace corvale
