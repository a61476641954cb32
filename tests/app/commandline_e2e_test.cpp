// Both programs answer a mistake on their command line with exit status 2
// and a message, without a display.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status = -1;
    QString err;
};

Outcome RunProgram(const QString& program, const QStringList& arguments) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    EXPECT_TRUE(p.waitForFinished(20000)) << program.toStdString();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "no abort";
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

const QString kStation = QStringLiteral(CORVALE_BINARY_DIR "/corvale2");

} // namespace

TEST(CommandLine, UsageErrorsExit2WithoutADisplay) {
    Outcome o = RunProgram(kStation, {QStringLiteral("--bogus")});
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains(QStringLiteral("Unknown option 'bogus'"))) << o.err.toStdString();

    QTemporaryDir dir;
    for (const QString& option : {QStringLiteral("--marks"), QStringLiteral("--replay")}) {
        const QString missing = dir.filePath(QStringLiteral("gone.raw.csv"));
        o = RunProgram(kStation, {option, missing});
        EXPECT_EQ(o.status, 2) << option.toStdString();
        EXPECT_TRUE(o.err.contains(missing)) << o.err.toStdString();
    }
    // Qt's own options are not mistakes: --help still answers among them.
    o = RunProgram(kStation,
                   {QStringLiteral("-style"), QStringLiteral("Fusion"), QStringLiteral("-h")});
    EXPECT_EQ(o.status, 0);

    o = RunProgram(QStringLiteral(CORVALE_SIM_PATH), {QStringLiteral("--bogus")});
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains(QStringLiteral("bogus"))) << o.err.toStdString();
}
