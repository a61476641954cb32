#pragma once
// A slide with a scale: major and minor ticks, and optionally labelled
// positions each giving its own number (the chart mode selectors).

#include <QList>
#include <QPair>
#include <QRect>
#include <QWidget>

class QSlider;

namespace corvale {

class Slide : public QWidget {
    Q_OBJECT
public:
    // A plain scale from minimum to maximum.
    Slide(const QString& name, double minimum, double maximum, double majorTick, double minorTick,
          Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);
    // Labelled positions, top/left first; each label yields its value.
    Slide(const QString& name, const QList<QPair<QString, int>>& positions,
          Qt::Orientation orientation = Qt::Vertical, QWidget* parent = nullptr);

    double value() const { return value_; }
    // Values beyond the scale end at the scale's limit.
    void setValue(double v);
    double minimum() const { return min_; }
    double maximum() const { return max_; }
    QStringList positionLabels() const;
    // Selects the labelled position with this label (as an operator would).
    void selectPosition(const QString& label);
    QSlider* slider() const { return slider_; }
    double majorTick() const { return majorTick_; }
    double minorTick() const { return minorTick_; }
    // The scale's texts as painted at the current size, each with its
    // rectangle in the slide's coordinates. Where all would run together
    // only every second, fifth ... is shown.
    QList<QPair<QString, QRect>> scaleLabels() const;
signals:
    void valueChanged(double value);

private:
    void fromSlider(int position);
    void build(Qt::Orientation orientation, QWidget* scale);
    int positionFor(double v) const;
    QSlider* slider_ = nullptr;
    QWidget* scale_ = nullptr;
    double min_ = 0;
    double max_ = 0;
    double value_ = 0;
    double majorTick_ = 0;
    double minorTick_ = 0;
    double factor_ = 1; // slider positions per unit of a plain scale
    QList<QPair<QString, int>> positions_;
};

} // namespace corvale
