// The system-information lookup that stands in for the registry where there
// is none: it answers one key with a program found on the search path.

#include "about/registry.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

QString MakeProgram(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write("#!/bin/sh\nexit 0\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

TEST(SystemInfoLookup, AnswersTheToolPathWithTheFirstProgramFound) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString second = MakeProgram(dir, "sysinfo-b");
    const QString third = MakeProgram(dir, "sysinfo-c");
    SystemInfoLookup lookup({"sysinfo-a", "sysinfo-b", "sysinfo-c"}, {dir.path()});
    EXPECT_EQ(lookup.value(kHkeyLocalMachine, kMsinfoKey, kMsinfoValue), second);
    // Registry names do not depend on case.
    EXPECT_EQ(lookup.value(kHkeyLocalMachine, kMsinfoKey.toLower(), "path"), second);
    EXPECT_NE(second, third);
}

TEST(SystemInfoLookup, AnswersNothingElse) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MakeProgram(dir, "sysinfo-a");
    SystemInfoLookup lookup({"sysinfo-a"}, {dir.path()});
    EXPECT_FALSE(lookup.value(kHkeyLocalMachine, kToolsLocationKey, kToolsLocationValue));
    EXPECT_FALSE(lookup.value(kHkeyLocalMachine, kMsinfoKey, "MSINFO"));
    EXPECT_FALSE(lookup.value(0x80000001u, kMsinfoKey, kMsinfoValue)); // current user
}

TEST(SystemInfoLookup, NoProgramMeansNoValue) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A file that is not executable is no program.
    QFile plain(dir.filePath("sysinfo-a"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    SystemInfoLookup lookup({"sysinfo-a"}, {dir.path()});
    EXPECT_FALSE(lookup.value(kHkeyLocalMachine, kMsinfoKey, kMsinfoValue));
    EXPECT_FALSE(
        SystemInfoLookup({}, {dir.path()}).value(kHkeyLocalMachine, kMsinfoKey, kMsinfoValue));
}
