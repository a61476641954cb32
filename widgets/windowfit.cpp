#include "widgets/windowfit.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

namespace corvale {

namespace {
QRect ScreenRoom(const QWidget* w) {
    const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 600);
}
} // namespace

void CentreOver(QWidget* window, const QWidget* over) {
    if (!window || !over)
        return;
    window->adjustSize();
    const QRect room = ScreenRoom(over->window());
    QRect r(QPoint(0, 0), window->size().boundedTo(room.size()));
    r.moveCenter(over->window()->frameGeometry().center());
    r.moveLeft(std::clamp(r.left(), room.left(), room.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), room.top(), room.bottom() - r.height() + 1));
    window->move(r.topLeft());
}

void GrowToContents(QWidget* window) {
    QLayout* layout = window ? window->layout() : nullptr;
    if (!layout)
        return;
    layout->activate();
    const QRect room = ScreenRoom(window);
    // The frame the window system adds, where it is known.
    const QSize frame = window->frameGeometry().size() - window->size();
    const QSize most = room.size() - frame.expandedTo(QSize(0, 0));
    int width = std::max(window->width(), layout->totalMinimumSize().width());
    width = std::min(width, most.width());
    int height = std::max(window->height(), layout->totalMinimumSize().height());
    if (layout->hasHeightForWidth())
        height = std::max(height, layout->totalHeightForWidth(width));
    height = std::min(height, most.height());
    if (width != window->width() || height != window->height())
        window->resize(width, height);
}

} // namespace corvale
