#pragma once
// A two-state lamp without text (lblStatus(0), lblStatus(1)).

#include <QWidget>

class IndicatorLamp : public QWidget {
    Q_OBJECT
public:
    explicit IndicatorLamp(const QString& name, QWidget* parent = nullptr);
    bool value() const { return on_; }
    void setValue(bool on);
    QSize sizeHint() const override;
signals:
    void valueChanged(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool on_ = false;
};
