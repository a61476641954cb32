#include "widgets/togglebutton.h"

namespace corvale {

ToggleButton::ToggleButton(const QString& name, const QString& onText, const QString& offText,
                           QWidget* parent)
    : QPushButton(offText, parent), onText_(onText), offText_(offText) {
    setObjectName(name);
    setCheckable(true);
    // toggled fires for clicks, key presses and setChecked alike, and only
    // when the state really changes.
    connect(this, &QPushButton::toggled, this, [this](bool on) {
        setText(on ? onText_ : offText_);
        emit valueChanged(on);
    });
}

void ToggleButton::setValue(bool on) {
    if (on == isChecked())
        return;
    setChecked(on);
}

void ToggleButton::setTexts(const QString& onText, const QString& offText) {
    onText_ = onText;
    offText_ = offText;
    setText(isChecked() ? onText_ : offText_);
}

} // namespace corvale
