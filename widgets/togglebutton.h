#pragma once
// A two-state button that shows one text while on and another while off.
// valueChanged is raised synchronously on every real change, whether the
// operator clicked or the program wrote the value; never for an equal value.

#include <QPushButton>

namespace corvale {

class ToggleButton : public QPushButton {
    Q_OBJECT
public:
    explicit ToggleButton(const QString& name, const QString& onText, const QString& offText,
                          QWidget* parent = nullptr);
    bool value() const { return isChecked(); }
    void setValue(bool on);
    QString onText() const { return onText_; }
    QString offText() const { return offText_; }
    // Replaces both texts; the shown text follows the current state.
    void setTexts(const QString& onText, const QString& offText);
signals:
    void valueChanged(bool on);

private:
    QString onText_;
    QString offText_;
};

} // namespace corvale
