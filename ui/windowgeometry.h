#pragma once
// The main window's size and place between runs, kept in the settings
// store's "Window" section: "geometry" (Qt's own record), "rect" (the
// window without its frame, as the window system was asked for it),
// "frame" (with its frame) and "maximized".

class QRect;
class QWidget;

namespace corvale {

// Puts the widget where the store says it was and returns true; false
// (widget untouched) when the store holds no usable geometry. The place
// comes back exactly, with or without a window manager; a place that is
// partly or wholly off the screen it opens on is moved (and if need be
// shrunk) onto that screen. *maximized tells whether it was maximized.
bool RestoreWindowGeometry(QWidget& window, bool* maximized = nullptr);
void SaveWindowGeometry(const QWidget& window);

// `frame` moved, and shrunk where it must, to lie inside `screen`.
QRect FitInside(const QRect& frame, const QRect& screen);

} // namespace corvale
