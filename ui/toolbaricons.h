#pragma once
// The toolbar's small images, drawn in code at several sizes so they stay
// sharp at any screen scale.

#include <QIcon>
#include <QString>

namespace corvale {

// Image for a toolbar key ("start", "stop", "cal", "comms"); an empty icon
// for any other key.
QIcon ToolbarIcon(const QString& key);

} // namespace corvale
