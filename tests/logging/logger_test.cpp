// The logger window and logging control, driven through the real main
// window's menus, toolbar and the window's own controls.

#include "archive/rawarchive.h"
#include "logging/frmlogbf2.h"
#include "tests/support/mainwindow_fixture.h"
#include "widgets/statusbar.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>

#include <csignal>
#include <sys/resource.h>

using namespace corvale;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Lines of a file written with CR LF endings; the last, unterminated piece
// (if any) is returned as a line too, so a test can see it.
QList<QByteArray> Lines(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

class LoggerTest : public WindowTest {
protected:
    frmLogBF2* logger() { return find<frmLogBF2>("frmLogBF2"); }

    frmLogBF2& openLogger() {
        ClickToolbar(*main, "start");
        frmLogBF2* dialog = logger();
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }

    // Write to File, the file chosen through Select File, a mode and an
    // interval position, then OK.
    void startToFile(const QString& path, int appendIndex, int position) {
        frmLogBF2& dialog = openLogger();
        dialog.optDatafile[1]->click();
        op.fileAnswers.push_back(path);
        dialog.cmdSelect->click();
        dialog.optAppend[static_cast<std::size_t>(appendIndex)]->click();
        dialog.cmbInterval->setCurrentIndex(position);
        dialog.cmdExit->click();
    }

    QString logPath(const char* name) const {
        return programDir.filePath(QString::fromLatin1(name));
    }

    void expectLoggingState() {
        EXPECT_FALSE(main->mnuStart->isEnabled());
        EXPECT_TRUE(main->mnuStop->isEnabled());
        EXPECT_EQ(main->StatusBar1->panelText(1), main->state().LogFileName);
        EXPECT_EQ(main->StatusBar1->panelPicturePath(1), green());
    }
    void expectNotLoggingState() {
        EXPECT_TRUE(main->mnuStart->isEnabled());
        EXPECT_FALSE(main->mnuStop->isEnabled());
        EXPECT_EQ(main->StatusBar1->panelText(1), QStringLiteral("Not Logging"));
        EXPECT_EQ(main->StatusBar1->panelPicturePath(1), red());
    }
};

TEST_F(LoggerTest, CreatedWithNoSaveSelectedAndTheEightIntervalsUnselected) {
    EXPECT_EQ(logger(), nullptr) << "the window is made by the first Start Logging";
    main->mnuStart->trigger();
    frmLogBF2* dialog = logger();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Logger"));
    EXPECT_FALSE(dialog->isModal());

    EXPECT_TRUE(dialog->optDatafile[0]->isChecked());
    EXPECT_FALSE(dialog->optDatafile[1]->isChecked());
    EXPECT_FALSE(dialog->optAppend[0]->isChecked());
    EXPECT_FALSE(dialog->optAppend[1]->isChecked());
    EXPECT_EQ(dialog->optDatafile[1]->text(), QStringLiteral("Write to File"));
    EXPECT_EQ(dialog->optAppend[1]->text(), QStringLiteral("Overwrite"));
    EXPECT_EQ(dialog->optAppend[0]->text(), QStringLiteral("Append"));
    EXPECT_FALSE(dialog->optAppend[0]->isEnabled());
    EXPECT_FALSE(dialog->optAppend[1]->isEnabled());
    EXPECT_FALSE(dialog->cmdSelect->isEnabled());
    EXPECT_TRUE(dialog->cmdExit->isEnabled());

    QStringList entries;
    for (int i = 0; i < dialog->cmbInterval->count(); ++i)
        entries << dialog->cmbInterval->itemText(i);
    EXPECT_EQ(entries, QStringList({"60", "30", "15", "10", "5", "2", "1", "0.5"}));
    EXPECT_EQ(dialog->cmbInterval->currentIndex(), -1);

    // Showing it again brings the same window forward.
    main->mnuStart->trigger();
    EXPECT_EQ(main->findChildren<frmLogBF2*>().size(), 1);
}

TEST_F(LoggerTest, HalfSecondEntryUsesTheRegionalDecimalSeparator) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    frmLogBF2& dialog = openLogger();
    const QString last = dialog.cmbInterval->itemText(7);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(last, QStringLiteral("0,5"));
}

TEST_F(LoggerTest, FirstOkWithNoIntervalWarnsAndStartsNothing) {
    frmLogBF2& dialog = openLogger();
    dialog.cmdExit->click();

    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_EQ(op.messages[0].text, QStringLiteral("Please enter a time interval for the log file"));
    EXPECT_EQ(op.messages[0].caption, QStringLiteral("Corvale2"));
    EXPECT_TRUE(dialog.isVisible()) << "left open for the choice";
    // Not logging, and panel 1 says so: no green light for a log that never writes.
    EXPECT_TRUE(main->mnuStart->isEnabled());
    EXPECT_FALSE(main->mnuStop->isEnabled());
    EXPECT_EQ(main->StatusBar1->panelText(1), QStringLiteral("Not Logging: no interval chosen"));
    EXPECT_EQ(main->StatusBar1->panelPicturePath(1), red());
    EXPECT_FALSE(main->tmrlogger.isTicking());

    // Write to File with the raw archive, still no interval: neither file is made.
    const QString file = programDir.filePath(QStringLiteral("flume.csv"));
    op.fileAnswers.push_back(file);
    dialog.optDatafile[1]->click();
    dialog.cmdSelect->click();
    dialog.optAppend[1]->click();
    dialog.chkRawArchive->setChecked(true);
    dialog.cmdExit->click();
    EXPECT_EQ(op.messages.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(QFileInfo::exists(file + QStringLiteral(".raw.csv")));
    EXPECT_TRUE(main->mnuStart->isEnabled());
}

TEST_F(LoggerTest, WriteToFileKeepsOkDisabledUntilSelectFileGivesAName) {
    frmLogBF2& dialog = openLogger();
    dialog.optDatafile[1]->click();
    EXPECT_FALSE(dialog.cmdExit->isEnabled());
    EXPECT_TRUE(dialog.cmdSelect->isEnabled());
    EXPECT_TRUE(dialog.optAppend[0]->isEnabled());
    EXPECT_TRUE(dialog.optAppend[1]->isEnabled());

    // Cancelled with no earlier name: nothing gained.
    dialog.cmdSelect->click();
    EXPECT_FALSE(dialog.cmdExit->isEnabled());
    EXPECT_EQ(main->state().LogFileName, QString());
    ASSERT_EQ(op.fileFilters.size(), 1);
    EXPECT_EQ(op.fileFilters[0], QStringLiteral("All Files (*.*) |*.*"));
    EXPECT_EQ(op.fileInitialNames[0], QString());

    const QString path = logPath("run1.log");
    op.fileAnswers.push_back(path);
    dialog.cmdSelect->click();
    EXPECT_TRUE(dialog.cmdExit->isEnabled());
    EXPECT_EQ(main->state().LogFileName, path);

    // Back to No Save and on to Write to File again: the choice is asked anew,
    // and a cancelled dialog confirms the earlier name.
    dialog.optDatafile[0]->click();
    EXPECT_TRUE(dialog.cmdExit->isEnabled());
    EXPECT_FALSE(dialog.cmdSelect->isEnabled());
    dialog.optDatafile[1]->click();
    EXPECT_FALSE(dialog.cmdExit->isEnabled());
    dialog.cmdSelect->click();
    EXPECT_EQ(op.fileInitialNames.last(), path);
    EXPECT_TRUE(dialog.cmdExit->isEnabled());
    EXPECT_EQ(main->state().LogFileName, path);
}

TEST_F(LoggerTest, WriteToFileWithNeitherOverwriteNorAppendMakesOkDoNothing) {
    frmLogBF2& dialog = openLogger();
    dialog.optDatafile[1]->click();
    op.fileAnswers.push_back(logPath("none.log"));
    dialog.cmdSelect->click();
    dialog.cmbInterval->setCurrentIndex(6);
    dialog.cmdExit->click();

    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_TRUE(main->mnuStart->isEnabled());
    EXPECT_FALSE(main->mnuStop->isEnabled());
    EXPECT_EQ(main->tmrlogger.interval(), 0);
    EXPECT_FALSE(QFileInfo::exists(logPath("none.log")));
}

TEST_F(LoggerTest, OverwriteWritesTheHeaderThenOneRecordPerTick) {
    const QString path = logPath("flume.log");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("older run\r\n");
    }
    startToFile(path, 1, 7);
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_EQ(main->tmrlogger.interval(), 500);
    EXPECT_TRUE(main->tmrlogger.isTicking());
    EXPECT_FALSE(logger()->isVisible());
    expectLoggingState();
    EXPECT_EQ(main->StatusBar1->panelText(1), path);

    QList<QByteArray> lines = Lines(ReadAll(path));
    ASSERT_EQ(lines.size(), 24) << "the header is complete before the first tick";
    EXPECT_EQ(lines[0], QByteArray("\"" + QByteArray(64, '=') + "\"\r"));
    EXPECT_EQ(lines[8], QByteArray("\"Log File: " + path.toLatin1() + "\"\r"));

    main->state().PhMilliVolts.value = 123.45;
    main->state().WaveCurrent.reply = QStringLiteral("*+00001.20");
    EXPECT_TRUE(main->tmrlogger.fire());
    clock.advance(500);
    EXPECT_TRUE(main->tmrlogger.fire());

    lines = Lines(ReadAll(path));
    ASSERT_EQ(lines.size(), 26);
    EXPECT_TRUE(lines[24].startsWith("\"14:7:9\",123.45,")) << lines[24].constData();
    EXPECT_TRUE(lines[25].contains(",\"*+00001.20\",")) << lines[25].constData();
    for (const QByteArray& line : lines)
        EXPECT_TRUE(line.endsWith('\r'));

    main->mnuStop->trigger();
    expectNotLoggingState();
    EXPECT_FALSE(main->tmrlogger.isTicking());
    EXPECT_EQ(main->tmrlogger.interval(), 500) << "the interval stays after a stop";
    main->tmrlogger.fire();
    EXPECT_EQ(Lines(ReadAll(path)).size(), 26) << "nothing goes to a closed file";
}

TEST_F(LoggerTest, AppendKeepsTheEarlierContentAndAddsAHeader) {
    const QString path = logPath("append.log");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("\"earlier\"\r\n");
    }
    startToFile(path, 0, 0);
    EXPECT_EQ(main->tmrlogger.interval(), 60000);
    const QByteArray bytes = ReadAll(path);
    EXPECT_TRUE(bytes.startsWith("\"earlier\"\r\n\"" + QByteArray(64, '=') + "\"\r\n"));
    EXPECT_EQ(Lines(bytes).size(), 25);
}

TEST_F(LoggerTest, IntervalIsTakenFromTheListPosition) {
    const int expected[] = {60000, 30000, 15000, 10000, 5000, 2000, 1000, 500};
    for (int position = 0; position < 8; ++position) {
        frmLogBF2& dialog = openLogger();
        dialog.cmbInterval->setCurrentIndex(position);
        dialog.cmdExit->click();
        EXPECT_EQ(main->tmrlogger.interval(), expected[position]) << position;
        main->stopLogging();
    }
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(LoggerTest, StopWhileNotLoggingOnlySetsPanelAndMenus) {
    ASSERT_FALSE(main->mnuStop->isEnabled());
    ClickToolbar(*main, "stop");
    expectNotLoggingState();
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_FALSE(main->tmrlogger.isEnabled());
}

TEST_F(LoggerTest, ToolbarStopEndsLoggingEvenWhileTheMenuItemIsDisabled) {
    const QString path = logPath("toolbar.log");
    startToFile(path, 1, 6);
    main->mnuStop->setEnabled(false);
    ClickToolbar(*main, "stop");
    expectNotLoggingState();
    EXPECT_FALSE(main->tmrlogger.isTicking());
    main->tmrlogger.fire();
    EXPECT_EQ(Lines(ReadAll(path)).size(), 24);
}

TEST_F(LoggerTest, StartStopStartShowsThePreviousChoices) {
    const QString path = logPath("again.log");
    startToFile(path, 0, 5);
    frmLogBF2* first = logger();
    main->mnuStop->trigger();
    main->mnuStart->trigger();
    ASSERT_EQ(logger(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->optDatafile[1]->isChecked());
    EXPECT_TRUE(first->optAppend[0]->isChecked());
    EXPECT_EQ(first->cmbInterval->currentIndex(), 5);
    EXPECT_TRUE(first->cmdExit->isEnabled());

    first->cmdExit->click();
    expectLoggingState();
    // Append: two header blocks, one per run.
    EXPECT_EQ(Lines(ReadAll(path)).size(), 48);
}

TEST_F(LoggerTest, CloseBoxResetsTheWindowButKeepsTheFileNameAndTheLoggingState) {
    const QString path = logPath("kept.log");
    startToFile(path, 1, 6);
    ClickToolbar(*main, "start");
    ASSERT_TRUE(logger()->close());
    flushDeletes();
    EXPECT_EQ(logger(), nullptr);
    expectLoggingState();
    EXPECT_TRUE(main->tmrlogger.isTicking());
    main->tmrlogger.fire();
    EXPECT_EQ(Lines(ReadAll(path)).size(), 25);

    ClickToolbar(*main, "start");
    frmLogBF2* fresh = logger();
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(fresh->optDatafile[0]->isChecked());
    EXPECT_FALSE(fresh->optAppend[0]->isChecked());
    EXPECT_FALSE(fresh->optAppend[1]->isChecked());
    EXPECT_EQ(fresh->cmbInterval->currentIndex(), -1);
    EXPECT_EQ(main->state().LogFileName, path);

    fresh->optDatafile[1]->click();
    fresh->cmdSelect->click(); // cancelled
    EXPECT_EQ(op.fileInitialNames.last(), path);
    EXPECT_TRUE(fresh->cmdExit->isEnabled());
}

TEST_F(LoggerTest, FileThatCannotBeOpenedIsReportedAndLoggingDoesNotStart) {
    const QString path = logPath("no/such/folder/x.log");
    startToFile(path, 1, 6);
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_TRUE(op.messages[0].text.contains(path)) << op.messages[0].text.toStdString();
    EXPECT_TRUE(logger()->isVisible());
    EXPECT_TRUE(main->mnuStart->isEnabled());
    EXPECT_FALSE(main->mnuStop->isEnabled());
    EXPECT_EQ(main->tmrlogger.interval(), 0);
    EXPECT_FALSE(main->tmrlogger.isTicking());
}

TEST_F(LoggerTest, HeaderThatCannotBeWrittenIsReportedAndLoggingDoesNotStart) {
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    startToFile(QStringLiteral("/dev/full"), 1, 6);
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_TRUE(op.messages[0].text.contains(QStringLiteral("/dev/full")));
    EXPECT_TRUE(logger()->isVisible());
    EXPECT_TRUE(main->mnuStart->isEnabled());
    EXPECT_FALSE(main->tmrlogger.isTicking());
}

TEST_F(LoggerTest, OkToANewFileClosesTheOldOneOnlyOnceTheNewOneIsReady) {
    const QString first = logPath("first.log");
    const QString second = logPath("second.log");
    startToFile(first, 1, 6);
    main->tmrlogger.fire();

    // Toolbar "start" opens the window while Start Logging is disabled.
    ASSERT_FALSE(main->mnuStart->isEnabled());
    frmLogBF2& dialog = openLogger();
    EXPECT_TRUE(dialog.isVisible());

    // A new file that fails leaves the running log untouched.
    op.fileAnswers.push_back(logPath("missing/programDir.log"));
    dialog.cmdSelect->click();
    dialog.cmdExit->click();
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_EQ(main->StatusBar1->panelText(1), first);
    main->tmrlogger.fire();
    EXPECT_EQ(Lines(ReadAll(first)).size(), 26);

    op.fileAnswers.push_back(second);
    dialog.cmdSelect->click();
    dialog.cmdExit->click();
    EXPECT_EQ(op.messages.size(), 1);
    expectLoggingState();
    main->tmrlogger.fire();
    EXPECT_EQ(Lines(ReadAll(first)).size(), 26) << "the first file is closed";
    EXPECT_EQ(Lines(ReadAll(second)).size(), 25);
}

TEST_F(LoggerTest, NoSaveAfterAFileRunStopsWritingToThatFile) {
    const QString path = logPath("then-nosave.log");
    startToFile(path, 1, 6);
    frmLogBF2& dialog = openLogger();
    dialog.optDatafile[0]->click();
    dialog.cmdExit->click();
    expectLoggingState();
    main->tmrlogger.fire();
    EXPECT_EQ(Lines(ReadAll(path)).size(), 24);
}

TEST_F(LoggerTest, RecordThatCannotBeWrittenStopsLoggingAndSaysWhy) {
    const QString path = logPath("full.log");
    startToFile(path, 1, 6);
    const qint64 headerSize = QFileInfo(path).size();
    main->tmrlogger.fire();
    const QByteArray before = ReadAll(path);

    // A file size limit just past the written lines stands in for a full disk.
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = static_cast<rlim_t>(before.size() + 10);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    main->tmrlogger.fire();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_GT(before.size(), headerSize);
    EXPECT_EQ(ReadAll(path), before) << "no part of the failed record is left";
    EXPECT_FALSE(main->tmrlogger.isEnabled());
    EXPECT_TRUE(main->mnuStart->isEnabled());
    EXPECT_FALSE(main->mnuStop->isEnabled());
    EXPECT_TRUE(main->StatusBar1->panelText(1).startsWith(QStringLiteral("Logging stopped: ")));
    EXPECT_EQ(main->StatusBar1->panelPicturePath(1), red());
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_TRUE(op.messages[0].text.contains(path));
}

TEST_F(LoggerTest, ShutdownWhileLoggingClosesTheFileWithEveryRecordInIt) {
    const QString path = logPath("shutdown.log");
    startToFile(path, 1, 6);
    main->tmrlogger.fire();
    main->tmrlogger.fire();
    const auto openDescriptors = [&] {
        int count = 0;
        for (const QFileInfo& fd :
             QDir(QStringLiteral("/proc/self/fd"))
                 .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            count += fd.symLinkTarget() == QFileInfo(path).canonicalFilePath();
        return count;
    };
    EXPECT_EQ(openDescriptors(), 1);
    main.reset();
    EXPECT_EQ(openDescriptors(), 0);
    EXPECT_EQ(Lines(ReadAll(path)).size(), 26);
}

} // namespace

TEST_F(LoggerTest, ARawArchiveThatCannotOpenIsSaidOnceAndLoggingGoesOn) {
    const QString path = logPath("archived.csv");
    // Where the archive should go stands a folder.
    ASSERT_TRUE(QDir().mkpath(RawArchivePath(path)));
    frmLogBF2& dialog = openLogger();
    dialog.chkRawArchive->setChecked(true);
    dialog.optDatafile[1]->click();
    op.fileAnswers.push_back(path);
    dialog.cmdSelect->click();
    dialog.optAppend[1]->click();
    dialog.cmbInterval->setCurrentIndex(7);
    dialog.cmdExit->click();
    ASSERT_EQ(op.texts().size(), 1);
    EXPECT_TRUE(op.texts()[0].startsWith("Cannot open raw archive " + RawArchivePath(path)));
    EXPECT_TRUE(op.texts()[0].endsWith("\nLogging goes on without the raw archive."));
    expectLoggingState();
    EXPECT_TRUE(main->tmrlogger.fire());
    main->stopLogging();
    QFile log(path);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().count("\r\n"), 25); // header and one record
}
