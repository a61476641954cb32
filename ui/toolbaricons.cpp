#include "ui/toolbaricons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace corvale {

namespace {

using Drawing = std::function<void(QPainter&)>;

// Every drawing works in a 32 x 32 box.
QIcon Render(const Drawing& draw) {
    QIcon icon;
    for (int size : {16, 20, 24, 32, 40, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        draw(p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

// A sheet of log paper, the ground of the two logging buttons.
void DrawSheet(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 3, 18, 24));
    p.setPen(QPen(QColor(150, 150, 150), 1.2));
    for (int y = 9; y <= 21; y += 4)
        p.drawLine(QPointF(8, y), QPointF(18, y));
}

// A sheet of log paper with a green "go" arrow.
void DrawStart(QPainter& p) {
    DrawSheet(p);
    p.setPen(QPen(QColor(20, 110, 30), 1.2));
    p.setBrush(QColor(40, 170, 60));
    p.drawEllipse(QRectF(14, 14, 16, 16));
    QPainterPath play;
    play.moveTo(19.5, 17.5);
    play.lineTo(26.5, 22);
    play.lineTo(19.5, 26.5);
    play.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(play);
}

// The same sheet with a red stop square.
void DrawStop(QPainter& p) {
    DrawSheet(p);
    p.setPen(QPen(QColor(140, 20, 20), 1.2));
    p.setBrush(QColor(210, 40, 40));
    p.drawRoundedRect(QRectF(14, 14, 16, 16), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(18.5, 18.5, 7, 7));
}

// A dial with a needle: calibration.
void DrawCal(QPainter& p) {
    p.setPen(QPen(QColor(30, 60, 120), 2));
    p.setBrush(QColor(225, 235, 250));
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setPen(QPen(QColor(30, 60, 120), 1.5));
    for (int i = 0; i <= 6; ++i) {
        p.save();
        p.translate(16, 16);
        p.rotate(-135 + i * 45);
        p.drawLine(QPointF(0, -11), QPointF(0, -8));
        p.restore();
    }
    p.setPen(QPen(QColor(200, 40, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 16), QPointF(23, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 60, 120));
    p.drawEllipse(QPointF(16, 16), 2.5, 2.5);
}

// A nine-pin serial connector.
void DrawComms(QPainter& p) {
    QPainterPath shell;
    shell.moveTo(2, 9);
    shell.lineTo(30, 9);
    shell.lineTo(26, 24);
    shell.lineTo(6, 24);
    shell.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(QColor(170, 175, 185));
    p.drawPath(shell);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(7.5 + i * 4.25, 14), 1.4, 1.4);
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF(9.6 + i * 4.25, 19.5), 1.4, 1.4);
}

// An orange flag on a pole: an event mark.
void DrawMark(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.drawLine(QPointF(9, 4), QPointF(9, 29));
    QPainterPath flag;
    flag.moveTo(10, 5);
    flag.lineTo(26, 10);
    flag.lineTo(10, 16);
    flag.closeSubpath();
    p.setPen(QPen(QColor(150, 70, 0), 1.2));
    p.setBrush(QColor(240, 130, 20));
    p.drawPath(flag);
}

} // namespace

QIcon ToolbarIcon(const QString& key) {
    if (key == QLatin1String("start"))
        return Render(DrawStart);
    if (key == QLatin1String("stop"))
        return Render(DrawStop);
    if (key == QLatin1String("cal"))
        return Render(DrawCal);
    if (key == QLatin1String("comms"))
        return Render(DrawComms);
    if (key == QLatin1String("mark"))
        return Render(DrawMark);
    return {};
}

} // namespace corvale
