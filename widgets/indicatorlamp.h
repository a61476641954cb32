#pragma once
// A two-state lamp without text (lblStatus(0), lblStatus(1)).

#include <QColor>
#include <QWidget>

namespace corvale {

class IndicatorLamp : public QWidget {
    Q_OBJECT
public:
    explicit IndicatorLamp(const QString& name, QWidget* parent = nullptr);
    bool value() const { return on_; }
    void setValue(bool on);
    // Colours of the lit and the dark lamp (green and dark grey at start).
    void setColors(const QColor& onColor, const QColor& offColor);
    // A lamp whose source is not live keeps its value but is drawn greyed
    // and hatched.
    void setStale(bool stale);
    bool stale() const { return stale_; }
    QSize sizeHint() const override;
signals:
    void valueChanged(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool on_ = false;
    bool stale_ = false;
    QColor onColor_{0, 200, 0};
    QColor offColor_{70, 80, 70};
};

} // namespace corvale
