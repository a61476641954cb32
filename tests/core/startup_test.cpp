// The command line and the data folder, settled before the window opens.

#include "core/startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        QCoreApplication::setApplicationName(QStringLiteral("Corvale2"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.2.3"));
    }
    void TearDown() override {
        QCoreApplication::setApplicationName(name_);
        QCoreApplication::setApplicationVersion(version_);
    }
    static StartRequest read(QStringList arguments, bool strict) {
        arguments.prepend(QStringLiteral("/opt/x/bin/corvale2"));
        return ReadCommandLine(arguments, strict);
    }

private:
    QString name_ = QCoreApplication::applicationName();
    QString version_ = QCoreApplication::applicationVersion();
};

using Action = StartRequest::Action;

} // namespace

TEST_F(CommandLine, HelpAndVersionAreAnsweredAmongQtOptions) {
    EXPECT_EQ(read({}, false).action, Action::Run);
    EXPECT_EQ(read({}, true).action, Action::Run);
    for (const QString& v : {QStringLiteral("--version"), QStringLiteral("-v")}) {
        const StartRequest r = read({v}, false);
        EXPECT_EQ(r.action, Action::Version);
        EXPECT_EQ(r.text, QStringLiteral("Corvale2 1.2.3\n"));
    }
    const StartRequest help = read({QStringLiteral("-h")}, false);
    EXPECT_EQ(help.action, Action::Help);
    EXPECT_TRUE(help.text.contains(QStringLiteral("--version")));
    EXPECT_TRUE(help.text.contains(QStringLiteral("-platform offscreen")));
    // Qt's words are not bundles of letters: -reverse holds a v but asks
    // for no version.
    EXPECT_EQ(
        read({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-reverse")},
             false)
            .action,
        Action::Run);
    EXPECT_EQ(
        read({QStringLiteral("-style"), QStringLiteral("Fusion"), QStringLiteral("--help")}, false)
            .action,
        Action::Help);
}

TEST_F(CommandLine, WhatQtLeavesOverIsReportedWithAPointerToHelp) {
    const StartRequest typo = read({QStringLiteral("--verison")}, true);
    EXPECT_EQ(typo.action, Action::BadUsage);
    EXPECT_EQ(typo.text,
              QStringLiteral("corvale2: Unknown option 'verison'.\nTry 'corvale2 --help'.\n"));
    const StartRequest stray = read({QStringLiteral("data.csv")}, true);
    EXPECT_EQ(stray.action, Action::BadUsage);
    EXPECT_TRUE(stray.text.startsWith(QStringLiteral("corvale2: Unexpected argument 'data.csv'.")))
        << stray.text.toStdString();
    EXPECT_EQ(read({QStringLiteral("--verison")}, false).action, Action::Run)
        << "before Qt has taken its options, unknown words are Qt's";
}

TEST_F(CommandLine, QtsOptionsAreSetAsideSoTheRestIsCheckedBeforeAnyDisplay) {
    const QStringList args = {QStringLiteral("corvale2"),    QStringLiteral("-platform"),
                              QStringLiteral("offscreen"),   QStringLiteral("--style=Fusion"),
                              QStringLiteral("-reverse"),    QStringLiteral("--replay"),
                              QStringLiteral("run.raw.csv"), QStringLiteral("-qwindowtitle"),
                              QStringLiteral("x y")};
    EXPECT_EQ(WithoutQtOptions(args),
              QStringList({QStringLiteral("corvale2"), QStringLiteral("--replay"),
                           QStringLiteral("run.raw.csv")}));
    const StartRequest r = ReadCommandLine(WithoutQtOptions(args), true);
    EXPECT_EQ(r.action, Action::Run);
    EXPECT_EQ(r.replayArchive, QStringLiteral("run.raw.csv"));
    EXPECT_EQ(read({QStringLiteral("--marks"), QStringLiteral("a.csv")}, true).replayArchive,
              QStringLiteral("a.csv"))
        << "the older name";
    EXPECT_EQ(ReadCommandLine(
                  WithoutQtOptions({QStringLiteral("corvale2"), QStringLiteral("--bogus")}), true)
                  .action,
              Action::BadUsage);
}

TEST(ProgramDataDir, BuildTreeFirstThenTheInstalledFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString rel = QStringLiteral("../share/corvale2");
    const auto put = [&](const QString& dir, const QStringList& files) {
        ASSERT_TRUE(QDir().mkpath(root.filePath(dir + QStringLiteral("/icons"))));
        for (const QString& f : files) {
            QFile file(root.filePath(dir + QStringLiteral("/icons/") + f));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    };
    const QStringList both{QStringLiteral("redlight.bmp"), QStringLiteral("greenlight.bmp")};

    // An install: bin/ holds the program, share/corvale2/icons the images.
    put(QStringLiteral("usr/share/corvale2"), both);
    QDir().mkpath(root.filePath(QStringLiteral("usr/bin")));
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    EXPECT_EQ(ProgramDataDir(bin, rel), root.filePath(QStringLiteral("usr/share/corvale2")));

    // A build tree: icons/ beside the program wins.
    put(QStringLiteral("build"), both);
    const QString build = root.filePath(QStringLiteral("build"));
    EXPECT_EQ(ProgramDataDir(build, QStringLiteral("../usr/share/corvale2")), build);

    // Half a set of images, or none anywhere: the program's own folder.
    put(QStringLiteral("half/bin"), {QStringLiteral("redlight.bmp")});
    put(QStringLiteral("half/share/corvale2"), {QStringLiteral("greenlight.bmp")});
    const QString half = root.filePath(QStringLiteral("half/bin"));
    EXPECT_EQ(ProgramDataDir(half, rel), half);
    EXPECT_EQ(ProgramDataDir(root.filePath(QStringLiteral("nowhere")), rel),
              root.filePath(QStringLiteral("nowhere")));
    EXPECT_EQ(ProgramDataDir(bin, QString()), bin);
}
