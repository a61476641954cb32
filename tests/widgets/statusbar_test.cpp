#include "widgets/statusbar.h"

#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvale;

namespace {
const QString kIcons = QStringLiteral(CORVALE_BINARY_DIR "/icons/");
}

TEST(StationStatusBar, PanelsAreNumberedFromOneAndFoundByName) {
    StationStatusBar bar(4);
    EXPECT_EQ(bar.objectName(), QStringLiteral("StatusBar1"));
    EXPECT_EQ(bar.panelCount(), 4);
    bar.setPanelText(2, QStringLiteral("X:  14:03:07"));
    bar.setPanelText(0, QStringLiteral("nowhere"));
    bar.setPanelText(5, QStringLiteral("nowhere"));
    auto* label = bar.findChild<QLabel*>(QStringLiteral("StatusBar1_panel2"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("X:  14:03:07"));
    EXPECT_EQ(bar.panelText(2), QStringLiteral("X:  14:03:07"));
    EXPECT_EQ(bar.panelText(1), QString());
    EXPECT_EQ(bar.panelText(5), QString());
    EXPECT_NE(bar.findChild<QLabel*>(QStringLiteral("StatusBar1_picture4")), nullptr);
}

TEST(StationStatusBar, LightImagesLoadAndABadFileKeepsTheOldPicture) {
    StationStatusBar bar(4);
    auto* picture = bar.findChild<QLabel*>(QStringLiteral("StatusBar1_picture4"));
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(bar.setPanelPicture(4, kIcons + QStringLiteral("redlight.bmp")));
    const QImage red = picture->pixmap().toImage();
    ASSERT_FALSE(red.isNull());
    const QRgb centre = red.pixel(red.width() / 2, red.height() / 2);
    EXPECT_GT(qRed(centre), 2 * qGreen(centre));

    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.bmp"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not an image");
    f.close();
    EXPECT_FALSE(bar.setPanelPicture(4, dir.filePath(QStringLiteral("missing.bmp"))));
    EXPECT_FALSE(bar.setPanelPicture(4, junk));
    EXPECT_FALSE(bar.setPanelPicture(9, kIcons + QStringLiteral("greenlight.bmp")));
    EXPECT_EQ(bar.panelPicturePath(4), kIcons + QStringLiteral("redlight.bmp"));
    EXPECT_EQ(picture->pixmap().toImage(), red);

    ASSERT_TRUE(bar.setPanelPicture(4, kIcons + QStringLiteral("greenlight.bmp")));
    const QImage green = picture->pixmap().toImage();
    const QRgb g = green.pixel(green.width() / 2, green.height() / 2);
    EXPECT_GT(qGreen(g), 2 * qRed(g));
}
