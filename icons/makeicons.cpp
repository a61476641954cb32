// Draws the station's two light images (a red and a green round lamp) into
// the folder given on the command line. QImage and QPainter only, so it runs
// at build time without a display.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRadialGradient>

#include <cstdio>

namespace {

bool WriteLamp(const QString& path, const QColor& colour) {
    constexpr int kSide = 16;
    QImage image(kSide, kSide, QImage::Format_RGB32);
    // The usual window background, since a BMP keeps no transparency.
    image.fill(QColor(240, 240, 240));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF lamp(1.5, 1.5, kSide - 3, kSide - 3);
    QRadialGradient glow(QPointF(kSide * 0.38, kSide * 0.38), kSide * 0.6);
    glow.setColorAt(0, colour.lighter(170));
    glow.setColorAt(1, colour.darker(115));
    p.setPen(QPen(colour.darker(200), 1));
    p.setBrush(glow);
    p.drawEllipse(lamp);
    p.end();
    return image.save(path, "BMP");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const bool ok = WriteLamp(dir + QStringLiteral("/redlight.bmp"), QColor(210, 20, 20)) &&
                    WriteLamp(dir + QStringLiteral("/greenlight.bmp"), QColor(20, 180, 20));
    if (!ok) {
        std::fprintf(stderr, "cannot write the light images to %s\n", argv[1]);
        return 1;
    }
    return 0;
}
