#include "ui/windowgeometry.h"

#include "core/store.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace corvale {

namespace {
const QString kGeometryKey = QStringLiteral("Window/geometry");
const QString kRectKey = QStringLiteral("Window/rect");
const QString kFrameKey = QStringLiteral("Window/frame");
const QString kMaximizedKey = QStringLiteral("Window/maximized");

QScreen* ScreenAt(const QRect& rect) {
    if (QScreen* s = QGuiApplication::screenAt(rect.center()))
        return s;
    return QGuiApplication::primaryScreen();
}
} // namespace

QRect FitInside(const QRect& frame, const QRect& screen) {
    QRect r = frame;
    r.setWidth(std::min(r.width(), screen.width()));
    r.setHeight(std::min(r.height(), screen.height()));
    r.moveLeft(std::clamp(r.left(), screen.left(), screen.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), screen.top(), screen.bottom() - r.height() + 1));
    return r;
}

bool RestoreWindowGeometry(QWidget& window, bool* maximized) {
    CORVALE_STORE(store);
    const QRect rect = store.value(kRectKey).toRect();
    if (rect.isValid()) {
        // Qt's own restore moves a window without a window manager's frame
        // down by a title bar's height on each start; the window's own
        // rectangle, placed as it was, comes back exactly.
        QRect frame = store.value(kFrameKey).toRect();
        if (!frame.isValid() || !frame.contains(rect))
            frame = rect;
        const QMargins margins(rect.left() - frame.left(), rect.top() - frame.top(),
                               frame.right() - rect.right(), frame.bottom() - rect.bottom());
        const QScreen* screen = ScreenAt(frame);
        QRect placed = rect;
        if (screen) {
            const QRect fitted = FitInside(frame, screen->availableGeometry());
            placed = fitted.marginsRemoved(margins);
        }
        window.setGeometry(placed);
        if (maximized)
            *maximized = store.value(kMaximizedKey, false).toBool();
        return true;
    }
    const QByteArray geometry = store.value(kGeometryKey).toByteArray();
    if (geometry.isEmpty() || !window.restoreGeometry(geometry))
        return false;
    if (maximized)
        *maximized = window.isMaximized();
    return true;
}

void SaveWindowGeometry(const QWidget& window) {
    CORVALE_STORE(store);
    store.setValue(kGeometryKey, window.saveGeometry());
    // The place before maximizing, so a maximized window comes back to it
    // once it is restored.
    const bool max = window.isMaximized() || window.isFullScreen();
    const QRect rect = max ? window.normalGeometry() : window.geometry();
    if (rect.isValid()) {
        store.setValue(kRectKey, rect);
        const QRect frame = window.frameGeometry();
        store.setValue(kFrameKey, max ? rect : frame);
    }
    store.setValue(kMaximizedKey, max);
}

} // namespace corvale
