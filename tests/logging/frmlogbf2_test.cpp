// The Logger window on its own: the chosen file's path under the file row,
// Return and Escape.

#include "core/state.h"
#include "logging/frmlogbf2.h"
#include "tests/support/fakes.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

struct ShownLogger {
    StationState state;
    RecordingOperator op;
    QPointer<frmLogBF2> dialog = new frmLogBF2(state, op);
    ShownLogger() {
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
    }
    ~ShownLogger() { delete dialog.data(); }
    void choose(const QString& answer) {
        op.fileAnswers.push_back(answer);
        dialog->cmdSelect->click();
    }
};

} // namespace

TEST(LoggerWindow, ShowsTheChosenFileBelowItsFileRow) {
    ShownLogger s;
    frmLogBF2& d = *s.dialog;
    EXPECT_EQ(d.lblFileName->text(), QStringLiteral("No file selected"));
    EXPECT_GE(d.lblFileName->y(), d.cmdSelect->geometry().bottom());

    d.optDatafile[1]->click();
    s.choose(QStringLiteral("/data/run7.csv"));
    EXPECT_EQ(d.lblFileName->text(), QStringLiteral("/data/run7.csv"));
    s.choose(QString()); // cancelled: the last choice stays
    EXPECT_EQ(d.lblFileName->text(), QStringLiteral("/data/run7.csv"));

    // A long path keeps the window's width and its file name in sight.
    const int width = d.width();
    const QString longPath = QStringLiteral("/data/") + QString(300, QLatin1Char('d')) +
                             QStringLiteral("/flume-run-8.csv");
    s.choose(longPath);
    QCoreApplication::processEvents();
    EXPECT_EQ(d.width(), width);
    EXPECT_EQ(d.lblFileName->toolTip(), longPath);
    EXPECT_TRUE(d.lblFileName->text().endsWith(QStringLiteral("flume-run-8.csv")));
    EXPECT_LE(d.lblFileName->fontMetrics().horizontalAdvance(d.lblFileName->text()),
              d.lblFileName->contentsRect().width());
}

TEST(LoggerWindow, ReturnPressesOkWhileItIsEnabledAndEscapeClosesAsTheCloseBoxDoes) {
    ShownLogger s;
    QSignalSpy ok(s.dialog.data(), &frmLogBF2::okPressed);
    QSignalSpy closed(s.dialog.data(), &frmLogBF2::closedByOperator);
    s.dialog->cmbInterval->setFocus();
    QTest::keyClick(s.dialog->cmbInterval, Qt::Key_Return);
    EXPECT_EQ(ok.count(), 1);
    // "Write to File" without a file: OK is disabled, and so is Return.
    s.dialog->optDatafile[1]->click();
    s.dialog->cmbInterval->setFocus();
    QTest::keyClick(s.dialog->cmbInterval, Qt::Key_Return);
    EXPECT_EQ(ok.count(), 1);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(s.dialog->isVisible());

    QTest::keyClick(s.dialog->cmbInterval, Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(ok.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(s.dialog.isNull());
}
