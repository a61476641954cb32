#pragma once
// The main window's size and place between runs, kept in the settings
// store's "Window" section.

class QWidget;

namespace corvale {

// Puts the widget where the store says it was; false (widget untouched)
// when the store holds no usable geometry. A place that no screen shows any
// more is moved onto the screen.
bool RestoreWindowGeometry(QWidget& window);
void SaveWindowGeometry(const QWidget& window);

} // namespace corvale
