// The one main of every benchmark: the application the program asks for,
// its --seconds, and Google Benchmark's options where it is one of those.

#include "bench/benchsupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <QStandardPaths>
#include <benchmark/benchmark.h>
#include <memory>

using namespace corvale;

namespace {

class BenchApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        return BenchNotify ? BenchNotify(receiver, event) : QApplication::notify(receiver, event);
    }
};

} // namespace

QString BenchArgs::value(const QString& option) const {
    const qsizetype i = args.indexOf(option);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : QString();
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A preloaded slowsync library is for this process, not the simulator's.
    qunsetenv("LD_PRELOAD");
    QStandardPaths::setTestModeEnabled(true);
    const BenchProgram& program = kBenchProgram;
    std::unique_ptr<QCoreApplication> app;
    if (program.widgets)
        app = std::make_unique<BenchApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    BenchArgs args;
    args.args = QCoreApplication::arguments();
    args.seconds = program.defaultSeconds;
    if (const QString seconds = args.value(QStringLiteral("--seconds")); !seconds.isNull())
        args.seconds = qMax(1, seconds.toInt());
    if (!program.googleBenchmark)
        return program.run(args);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const int result = program.run(args);
    benchmark::Shutdown();
    return result;
}
