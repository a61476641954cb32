// The About box: its texts, closing, and starting the system-information
// tool through the registry layer.

#include "about/frmabout.h"
#include "about/registry.h"
#include "tests/support/mainwindow_fixture.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <map>

using namespace corvale;

namespace {

class FakeRegistry : public Registry {
public:
    std::optional<QString> value(std::uint32_t root, const QString& keyPath,
                                 const QString& valueName) const override {
        reads << keyPath + "|" + valueName;
        const auto it = values.find({root, keyPath + "|" + valueName});
        if (it == values.end())
            return std::nullopt;
        return it->second;
    }
    void set(const QString& key, const QString& name, const QString& v) {
        values[{kHkeyLocalMachine, key + "|" + name}] = v;
    }
    std::map<std::pair<std::uint32_t, QString>, QString> values;
    mutable QStringList reads;
};

class AboutTest : public ::testing::Test {
protected:
    frmAbout& make() {
        box = new frmAbout(op, registry);
        box->setStarter([this](const QString& program) {
            started << program;
            return startResult;
        });
        box->show();
        return *box;
    }
    void TearDown() override { delete box.data(); }

    RecordingOperator op;
    FakeRegistry registry;
    QPointer<frmAbout> box;
    QStringList started;
    bool startResult = true;
    static inline const QString kUnavailable =
        QStringLiteral("System Information Is Unavailable At This Time");
};

} // namespace

TEST_F(AboutTest, ShowsTitleVersionAndFixedTexts) {
    frmAbout& a = make();
    EXPECT_EQ(a.windowTitle(), "About Corvale2");
    EXPECT_EQ(a.findChild<QLabel*>("lblTitle")->text(), "Corvale2");
    EXPECT_EQ(a.findChild<QLabel*>("lblVersion")->text(), "Version 1.0.0");
    EXPECT_EQ(a.findChild<QLabel*>("lblDescription")->text(), "App Description");
    EXPECT_EQ(a.findChild<QLabel*>("lblDisclaimer")->text(), "Warning: ...");
    EXPECT_FALSE(a.findChild<QLabel*>("picIcon")->pixmap().isNull());
    ASSERT_NE(a.findChild<QFrame*>("Line1_0"), nullptr);
    ASSERT_NE(a.findChild<QFrame*>("Line1_1"), nullptr);
    EXPECT_EQ(a.Line1_0->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(a.findChild<QPushButton*>("cmdOK")->text(), "OK");
    EXPECT_TRUE(a.cmdOK->isDefault());
    EXPECT_EQ(a.findChild<QPushButton*>("cmdSysInfo")->text(), "&System Info...");
    EXPECT_FALSE(a.isModal());
}

TEST_F(AboutTest, OkEnterAndEscapeEachCloseAndDestroyTheBox) {
    QTest::mouseClick(make().cmdOK, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());

    make().activateWindow();
    QTest::keyClick(box, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());

    make();
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());
    EXPECT_TRUE(op.messages.isEmpty()); // Enter pressed OK, not System Info
}

TEST_F(AboutTest, NoToolRegisteredShowsUnavailableAndTheBoxStays) {
    frmAbout& a = make();
    QTest::mouseClick(a.cmdSysInfo, Qt::LeftButton);
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_EQ(op.messages[0].text, kUnavailable);
    EXPECT_EQ(op.messages[0].caption, "Corvale2");
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(registry.reads, QStringList({kMsinfoKey + "|PATH", kToolsLocationKey + "|MSINFO"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(box.isNull());
    EXPECT_TRUE(a.isVisible());
}

TEST_F(AboutTest, RegisteredToolIsStarted) {
    registry.set(kMsinfoKey, "PATH", "/opt/tools/sysinfo");
    make().StartSysInfo();
    EXPECT_EQ(started, QStringList{"/opt/tools/sysinfo"});
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(AboutTest, AToolThatWillNotStartIsReportedUnavailable) {
    registry.set(kMsinfoKey, "PATH", "/opt/tools/sysinfo");
    registry.set(kToolsLocationKey, "MSINFO", "/opt/tools");
    startResult = false;
    make().StartSysInfo();
    EXPECT_EQ(started, QStringList{"/opt/tools/sysinfo"});
    EXPECT_EQ(op.texts(), QStringList{kUnavailable});
}

TEST_F(AboutTest, ToolsFolderIsUsedOnlyWhenItHoldsTheProgram) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath("shared");
    registry.set(kToolsLocationKey, "MSINFO", folder);
    make().StartSysInfo();
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(op.texts(), QStringList{kUnavailable});

    // The program name is joined to the folder with a backslash.
    QFile program(folder + "\\MSINFO32.EXE");
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    op.messages.clear();
    box->StartSysInfo();
    EXPECT_EQ(started, QStringList{folder + "\\MSINFO32.EXE"});
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(AboutTest, GetKeyValueReadsTextThatFitsTheBuffer) {
    frmAbout& a = make();
    QString v = "left over";
    EXPECT_FALSE(a.GetKeyValue(kHkeyLocalMachine, "SOFTWARE\\None", "X", v));
    EXPECT_EQ(v, "");

    registry.set("K", "fits", QString(1023, 'a'));
    registry.set("K", "long", QString(1024, 'a'));
    registry.set("K", "nul", QStringLiteral("C:\\Tools\\x.exe") + QChar(u'\0'));
    registry.set("K", "empty", "");
    EXPECT_TRUE(a.GetKeyValue(kHkeyLocalMachine, "K", "fits", v));
    EXPECT_EQ(v.size(), 1023);
    v = "left over";
    EXPECT_FALSE(a.GetKeyValue(kHkeyLocalMachine, "K", "long", v));
    EXPECT_EQ(v, "");
    EXPECT_TRUE(a.GetKeyValue(kHkeyLocalMachine, "K", "nul", v));
    EXPECT_EQ(v, "C:\\Tools\\x.exe");
    EXPECT_TRUE(a.GetKeyValue(kHkeyLocalMachine, "K", "empty", v));
    EXPECT_EQ(v, "");
    EXPECT_FALSE(a.GetKeyValue(0x80000001u, "K", "fits", v)); // another root
}

TEST_F(AboutTest, ToolFoundOnTheMachineReallyStarts) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString marker = dir.filePath("started");
    QFile script(dir.filePath("sysinfo-tool"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    SystemInfoLookup lookup({"sysinfo-tool"}, {dir.path()});
    frmAbout real(op, lookup);
    real.StartSysInfo();
    EXPECT_TRUE(op.messages.isEmpty());
    for (int i = 0; i < 200 && !QFile::exists(marker); ++i)
        QTest::qWait(50);
    EXPECT_TRUE(QFile::exists(marker));
}

TEST_F(AboutTest, MainWindowOpensAFreshBoxAfterOk) {
    WindowOnFakes station;
    frmMain& w = station.make(false);
    w.mnuAbout->trigger();
    QPointer<frmAbout> first = w.aboutDialog();
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first->parent(), &w);
    first->lblVersion->setText("changed");
    QTest::mouseClick(first->cmdOK, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    w.mnuAbout->trigger();
    ASSERT_NE(w.aboutDialog(), nullptr);
    EXPECT_EQ(w.aboutDialog()->lblVersion->text(), "Version 1.0.0");
}
