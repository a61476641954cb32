// The window's size and place kept between runs, in the real settings store
// in a temporary folder.

#include "core/store.h"
#include "ui/windowgeometry.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

class WindowGeometry : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(storeDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, storeDir.path());
    }
    QString storeText() const {
        QFile file(storeDir.filePath(QStringLiteral("Corvale/Corvale.conf")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QTemporaryDir storeDir;
};

} // namespace

TEST_F(WindowGeometry, ANewRunOpensWhereTheLastOneClosed) {
    QWidget fresh;
    fresh.setGeometry(10, 20, 300, 200);
    EXPECT_FALSE(RestoreWindowGeometry(fresh)) << "nothing stored yet";
    EXPECT_EQ(fresh.geometry(), QRect(10, 20, 300, 200));

    const QRect placed(120, 90, 420, 310);
    {
        QWidget first;
        first.setGeometry(placed);
        first.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
        SaveWindowGeometry(first);
    }
    EXPECT_TRUE(storeText().contains(QStringLiteral("[Window]"))) << storeText().toStdString();

    QWidget second;
    ASSERT_TRUE(RestoreWindowGeometry(second));
    second.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
    EXPECT_EQ(second.geometry(), placed);
}

TEST_F(WindowGeometry, AnUnreadableEntryIsIgnoredAndAnOffScreenPlaceComesBack) {
    {
        CORVALE_STORE(store);
        store.setValue(QStringLiteral("Window/geometry"), QByteArray("not a geometry"));
    }
    QWidget w;
    w.setGeometry(10, 20, 300, 200);
    EXPECT_FALSE(RestoreWindowGeometry(w));
    EXPECT_EQ(w.geometry(), QRect(10, 20, 300, 200));

    // Saved on a screen that is gone: the window comes back onto this one.
    {
        QWidget far;
        far.setGeometry(9000, 7000, 300, 200);
        SaveWindowGeometry(far);
    }
    QWidget back;
    ASSERT_TRUE(RestoreWindowGeometry(back));
    back.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&back));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(back.geometry()))
        << back.geometry().x() << "," << back.geometry().y();
}
