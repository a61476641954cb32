// The calibration window saves with Return and closes with Escape, keeping
// nothing unsaved.

#include "calibration/frmphcal.h"
#include "core/store.h"
#include "widgets/togglebutton.h"

#include <QLineEdit>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvale;

TEST(CalibrationWindow, ReturnPressesSaveAndEscapeClosesItWithoutSaving) {
    QTemporaryDir storeDir;
    ASSERT_TRUE(storeDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, storeDir.path());
    QPointer<frmpHcal> dialog = new frmpHcal;
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    QSignalSpy saves(dialog.data(), &frmpHcal::saveRequested);
    QSignalSpy closed(dialog.data(), &frmpHcal::closedByOperator);

    // Return in a field presses the save button, as a click does.
    dialog->txtSerialNum->setFocus();
    QTest::keyClick(dialog->txtSerialNum, Qt::Key_Return);
    EXPECT_EQ(saves.count(), 1);
    EXPECT_TRUE(dialog->CWButton1->value());
    EXPECT_TRUE(dialog->isVisible());

    dialog->txtSlope->setFocus();
    QTest::keyClicks(dialog->txtSlope, QStringLiteral("9"));
    QTest::keyClick(dialog->txtSlope, Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(saves.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    CORVALE_STORE(store);
    EXPECT_FALSE(store.contains(QStringLiteral("CalData/slope")));
    delete dialog.data();
}
