// A station process for the durability test: it logs to a file and says on
// stdout each record it has written, until it is killed.
//   logkill_helper loop <file>     records as fast as the file takes them
//   logkill_helper station <file>  the real main window logging at 0.5 s

#include "core/state.h"
#include "logging/frmlogbf2.h"
#include "logging/logfile.h"
#include "tests/support/mainwindow_fixture.h"
#include "tests/support/stationsteps.h"

#include <QApplication>
#include <QDate>
#include <cstdio>

using namespace corvale;

namespace {

void Report(long long record) {
    std::printf("record %lld\n", record);
    std::fflush(stdout);
}

int Loop(const QString& path) {
    LogFile file;
    StationState state;
    QString error;
    if (!file.open(path, LogFile::Mode::Overwrite, &error) ||
        !WriteLogHeader(file, state, QDate::currentDate(), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    for (long long record = 1;; ++record) {
        state.PhMilliVolts.value = static_cast<double>(record);
        state.ThrusterCurrent.reply =
            QStringLiteral("record %1 of a run that is killed").arg(record);
        if (!WriteLogRecord(file, state, QTime::currentTime(), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        Report(record);
    }
}

int Station(int argc, char** argv, const QString& path) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    WindowOnFakes station;
    frmMain& main = station.make(false);
    RecordingOperator& op = station.op;

    long long record = 0;
    QObject::connect(&main.tmrlogger, &StationTimer::ticked, [&] {
        ++record;
        main.state().PhMilliVolts.value = static_cast<double>(record + 1);
        Report(record);
    });
    main.state().PhMilliVolts.value = 1;
    op.fileAnswers.push_back(path);
    if (!StartLogging(main) || !op.messages.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(op.texts().join(QStringLiteral(" | "))));
        return 1;
    }
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s loop|station <file>\n", argv[0]);
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (mode == QLatin1String("loop"))
        return Loop(path);
    return Station(argc, argv, path);
}
