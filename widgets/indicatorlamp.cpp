#include "widgets/indicatorlamp.h"

#include <QPainter>
#include <QRadialGradient>

namespace corvale {

IndicatorLamp::IndicatorLamp(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void IndicatorLamp::setValue(bool on) {
    if (on == on_)
        return;
    on_ = on;
    update();
    emit valueChanged(on_);
}

void IndicatorLamp::setColors(const QColor& onColor, const QColor& offColor) {
    onColor_ = onColor;
    offColor_ = offColor;
    update();
}

void IndicatorLamp::setStale(bool stale) {
    if (stale == stale_)
        return;
    stale_ = stale;
    setProperty("stale", stale);
    update();
}

QSize IndicatorLamp::sizeHint() const {
    return {22, 22};
}

void IndicatorLamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height()) - 2;
    const QRectF r((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    QColor base = on_ ? onColor_ : offColor_;
    if (!isEnabled())
        base = base.darker(150);
    if (stale_) {
        // Washed out towards grey, so a lit lamp still reads as lit.
        const int grey = qGray(base.rgb());
        base = QColor((base.red() + 2 * grey) / 3, (base.green() + 2 * grey) / 3,
                      (base.blue() + 2 * grey) / 3);
    }
    QRadialGradient g(r.center() - QPointF(side / 6.0, side / 6.0), side / 1.5);
    g.setColorAt(0, base.lighter(on_ ? 160 : 120));
    g.setColorAt(1, base);
    p.setPen(QPen(palette().color(QPalette::Dark), 1));
    p.setBrush(g);
    p.drawEllipse(r);
    if (stale_) {
        p.setPen(Qt::NoPen);
        p.setBrush(QBrush(QColor(40, 40, 40, 170), Qt::BDiagPattern));
        p.drawEllipse(r);
    }
}

} // namespace corvale
