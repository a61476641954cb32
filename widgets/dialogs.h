#pragma once
// What the station's dialogs share: how one that exists once is shown, and
// the row of buttons at the foot of a settings window.

#include <QPointer>
#include <QWidget>

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace corvale {

// Raises a window, restoring it first if it was minimized.
inline void BringToFront(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

// The one way a window shows a dialog that exists once: a dialog on screen
// is brought to the front and not loaded again; otherwise a new one is made
// (its constructor loads it) and shown. Every dialog shown through a slot is
// deleted when it is closed, so the next show loads afresh.
template <class D> class DialogSlot {
public:
    // `make` returns a new, loaded dialog of this slot's kind.
    template <class Make> D* show(Make&& make) {
        if (dialog_ && dialog_->isVisible()) {
            BringToFront(dialog_);
            return dialog_;
        }
        // One hidden without being closed is replaced all the same.
        if (dialog_)
            dialog_->deleteLater();
        dialog_ = make();
        dialog_->setAttribute(Qt::WA_DeleteOnClose);
        dialog_->show();
        return dialog_;
    }
    D* get() const { return dialog_; }

private:
    QPointer<D> dialog_;
};

// A settings window's buttons, right-aligned: Save, the default button (so
// Return presses it), and Close, which closes the window. A caller may put
// more buttons at the row's left.
struct SaveCloseButtons {
    QPushButton* save;
    QPushButton* close;
    QHBoxLayout* row;
};
SaveCloseButtons SaveCloseRow(QDialog* window, const QString& saveName, const QString& closeName);

} // namespace corvale
