// The pH calibration window and the stored calibration, with the real
// settings store kept in a temporary folder.

#include "calibration/frmphcal.h"
#include "core/store.h"
#include "tests/support/mainwindow_fixture.h"
#include "widgets/togglebutton.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>

using namespace corvale;

namespace {

const QString kSummary =
    QStringLiteral("pH Cal.:   (SNum.: 180312)   (Slope: 4.5427)   (Offset: 2.5777)");

class CalibrationTest : public StationTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(storeDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, storeDir.path());
        StationTest::SetUp();
        make();
    }

    frmpHcal* calibration() { return find<frmpHcal>("frmpHcal"); }
    frmpHcal& openCalibration() {
        main->mnuCalValues->trigger();
        frmpHcal* dialog = calibration();
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }
    static QString stored(const char* key) {
        CORVALE_STORE(store);
        return store.value(QStringLiteral("CalData/") + QLatin1String(key)).toString();
    }

    QTemporaryDir storeDir;
};

TEST_F(CalibrationTest, FirstRunShowsTheDefaultsWhileMemoryKeepsTheStartValues) {
    frmpHcal& dialog = openCalibration();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("pH calibration data"));
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.txtOffset->text(), QStringLiteral("2.5777"));
    EXPECT_EQ(dialog.txtSlope->text(), QStringLiteral("4.5427"));
    EXPECT_EQ(dialog.txtSerialNum->text(), QStringLiteral("180312"));
    EXPECT_EQ(dialog.txtDate->text(), QStringLiteral("01/01/01"));
    EXPECT_EQ(dialog.CWButton1->text(), QStringLiteral("Save Data"));
    EXPECT_EQ(main->state().CalSlope, 4.5);
    EXPECT_EQ(main->state().CalOffset, 2.5);
    EXPECT_EQ(main->state().CalSerialNum, QString());
    EXPECT_EQ(main->lblpHdata->text(), QStringLiteral("pH Probe"));
    EXPECT_EQ(stored("slope"), QString()) << "opening writes nothing";
}

TEST_F(CalibrationTest, EveryChangeOfTheSaveButtonStoresAndTakesTheTexts) {
    frmpHcal& dialog = openCalibration();
    dialog.CWButton1->click();
    EXPECT_EQ(dialog.CWButton1->text(), QStringLiteral("Data Saved"));
    EXPECT_EQ(main->state().CalSlope, 4.5427);
    EXPECT_EQ(main->state().CalOffset, 2.5777);
    EXPECT_EQ(main->state().CalSerialNum, QStringLiteral("180312"));
    EXPECT_EQ(main->state().CalDate, QDateTime(QDate(2001, 1, 1), QTime(0, 0)));
    EXPECT_EQ(main->lblpHdata->text(), kSummary);
    EXPECT_EQ(stored("offset"), QStringLiteral("2.5777"));
    EXPECT_EQ(stored("slope"), QStringLiteral("4.5427"));
    EXPECT_EQ(stored("serialNum"), QStringLiteral("180312"));
    EXPECT_EQ(stored("txtdate"), QStringLiteral("01/01/01"));
    EXPECT_TRUE(dialog.isVisible());

    // Switching off saves too; the numbers show as converted.
    dialog.txtSlope->setText(QStringLiteral("4.50"));
    dialog.txtOffset->setText(QStringLiteral(" 2.4 "));
    dialog.CWButton1->click();
    EXPECT_EQ(dialog.CWButton1->text(), QStringLiteral("Save Data"));
    EXPECT_EQ(main->state().CalSlope, 4.5);
    EXPECT_EQ(main->state().CalOffset, 2.4);
    EXPECT_EQ(stored("slope"), QStringLiteral("4.50"));
    EXPECT_EQ(main->lblpHdata->text(),
              QStringLiteral("pH Cal.:   (SNum.: 180312)   (Slope: 4.5)   (Offset: 2.4)"));
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(CalibrationTest, TextThatDoesNotConvertIsReportedAndKeepsTheValueInMemory) {
    frmpHcal& dialog = openCalibration();
    dialog.txtSlope->setText(QStringLiteral("4,5x"));
    dialog.txtDate->setText(QStringLiteral("someday"));
    dialog.txtSerialNum->setText(QStringLiteral("P-7"));
    dialog.CWButton1->click();

    ASSERT_EQ(op.messages.size(), 1) << "one report for one save";
    const QString text = op.messages[0].text;
    EXPECT_TRUE(text.contains(QStringLiteral("Slope must be a number: \"4,5x\"")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Date Calibrated must be a date: \"someday\"")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Offset")));
    EXPECT_EQ(main->state().CalSlope, 4.5);
    EXPECT_EQ(main->state().CalDate, ZeroDate());
    EXPECT_EQ(main->state().CalOffset, 2.5777) << "the other values still take";
    EXPECT_EQ(main->state().CalSerialNum, QStringLiteral("P-7"));
    EXPECT_EQ(stored("slope"), QStringLiteral("4,5x")) << "the store holds the typed text";
    EXPECT_EQ(stored("txtdate"), QStringLiteral("someday"));
    EXPECT_EQ(main->lblpHdata->text(),
              QStringLiteral("pH Cal.:   (SNum.: P-7)   (Slope: 4.5)   (Offset: 2.5777)"));
}

TEST_F(CalibrationTest, ARestartShowsTheStoredTextsButUsesTheStartValuesUntilSaved) {
    {
        frmpHcal& dialog = openCalibration();
        dialog.txtSerialNum->setText(QStringLiteral(" A \"12\" b "));
        dialog.txtSlope->setText(QStringLiteral("4.61"));
        dialog.txtOffset->setText(QStringLiteral("-0.3"));
        dialog.txtDate->setText(QStringLiteral("03/14/24"));
        dialog.CWButton1->click();
        EXPECT_EQ(main->state().CalSlope, 4.61);
    }
    make();
    EXPECT_EQ(main->state().CalSlope, 4.5);
    EXPECT_EQ(main->state().CalOffset, 2.5);
    EXPECT_EQ(main->state().CalSerialNum, QString());
    EXPECT_EQ(main->lblpHdata->text(), QStringLiteral("pH Probe"));

    frmpHcal& dialog = openCalibration();
    EXPECT_EQ(dialog.txtSerialNum->text(), QStringLiteral(" A \"12\" b "));
    EXPECT_EQ(dialog.txtSlope->text(), QStringLiteral("4.61"));
    EXPECT_EQ(dialog.txtOffset->text(), QStringLiteral("-0.3"));
    EXPECT_EQ(dialog.txtDate->text(), QStringLiteral("03/14/24"));
    EXPECT_EQ(main->state().CalSlope, 4.5);

    dialog.CWButton1->click();
    EXPECT_EQ(main->state().CalSlope, 4.61);
    EXPECT_EQ(main->state().CalOffset, -0.3);
    EXPECT_EQ(main->state().CalDate, QDateTime(QDate(2024, 3, 14), QTime(0, 0)));
    EXPECT_EQ(main->state().CalSerialNum, QStringLiteral(" A \"12\" b "));
}

TEST_F(CalibrationTest, CloseBoxDiscardsEditsAndTheNextOpeningReloads) {
    frmpHcal& dialog = openCalibration();
    dialog.txtSlope->setText(QStringLiteral("9.9"));
    // While it stays open, showing it again keeps the edit.
    ClickToolbar(*main, "cal");
    ASSERT_EQ(calibration(), &dialog);
    EXPECT_EQ(dialog.txtSlope->text(), QStringLiteral("9.9"));

    ASSERT_TRUE(dialog.close());
    flushDeletes();
    EXPECT_EQ(calibration(), nullptr);
    EXPECT_EQ(main->state().CalSlope, 4.5);
    EXPECT_EQ(stored("slope"), QString());

    ClickToolbar(*main, "cal");
    ASSERT_NE(calibration(), nullptr);
    EXPECT_EQ(calibration()->txtSlope->text(), QStringLiteral("4.5427"));
    EXPECT_EQ(calibration()->CWButton1->text(), QStringLiteral("Save Data"));
}

TEST_F(CalibrationTest, CommaLocaleConvertsAndShowsWithTheComma) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    frmpHcal& dialog = openCalibration();
    dialog.txtSlope->setText(QStringLiteral("4,25"));
    dialog.txtOffset->setText(QStringLiteral("2.5")); // a period is not a decimal point here
    dialog.txtDate->setText(QStringLiteral("14.03.24"));
    dialog.CWButton1->click();
    const double slope = main->state().CalSlope;
    const double offset = main->state().CalOffset;
    const QDateTime date = main->state().CalDate;
    const QString summary = main->lblpHdata->text();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    EXPECT_EQ(slope, 4.25);
    EXPECT_EQ(offset, 2.5) << "kept, and reported";
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_TRUE(op.messages[0].text.startsWith(QStringLiteral("Offset must be a number: \"2.5\"")));
    EXPECT_EQ(date, QDateTime(QDate(2024, 3, 14), QTime(0, 0)));
    EXPECT_TRUE(summary.contains(QStringLiteral("(Slope: 4,25)"))) << summary.toStdString();
}

} // namespace
