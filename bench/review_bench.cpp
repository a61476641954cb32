// A day-long session: a generated 24-hour raw archive at 24 CTD records a
// second with full bus polling (10 exchanges a second) and a mark every
// ten minutes (about 145 MB, 2.94 million lines, 144 marks). Prints:
//   - the review window's open time (read, index, first paint) and its
//     memory (resident and peak);
//   - the redraw of a pan at three widths (the day, an hour, a minute);
//   - the station's --marks on the same archive: the time until the main
//     window can paint, the time its scan takes in the background, and the
//     resident memory before, at the end and after.
// Targets: open under 5 s, memory under 500 MB, a pan under 16 ms; --marks
// paints within 1 s and memory returns to its usual size.
//
//   corvale_bench_review [--keep FILE]   (FILE: keep or reuse the archive)

#include "archive/rawarchive.h"
#include "bench/benchsupport.h"
#include "review/frmreview.h"
#include "review/reviewplot.h"
#include "tests/support/mainwindow_fixture.h"
#include "widgets/stripchart.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace corvale;

namespace {

constexpr int kSeconds = 24 * 3600;
constexpr int kCtdPerSecond = 24;
constexpr int kBusPerSecond = 10;

// Resident and peak memory of this process, MB.
std::pair<double, double> MemoryMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    double rss = 0, peak = 0;
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : f.readAll().split('\n')) {
            const auto kb = [&] { return line.simplified().split(' ').value(1).toDouble() / 1024; };
            if (line.startsWith("VmRSS:"))
                rss = kb();
            else if (line.startsWith("VmHWM:"))
                peak = kb();
        }
    }
    return {rss, peak};
}

void ResetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

bool Generate(const QString& path) {
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write("time,source,kind,data\n");
    const QDateTime start(QDate(2026, 12, 8), QTime(0, 0), Qt::OffsetFromUTC, 3600);
    const char* commands[] = {"$9DI\r", "$ARD\r", "$1RD\r", "$4RD\r", "$5RD\r",
                              "$9DI\r", "$6RD\r", "$7RD\r", "$9DI\r", "$9DI\r"};
    QByteArray chunk;
    int mark = 0;
    for (int s = 0; s < kSeconds; ++s) {
        const QDateTime second = start.addSecs(s);
        ArchiveEvent e;
        for (int i = 0; i < kCtdPerSecond; ++i) {
            e = ArchiveEvent();
            e.time = second.addMSecs(i * 1000 / kCtdPerSecond);
            const double phase = (s * kCtdPerSecond + i) / 500.0;
            e.data = QByteArray::number(45 + std::sin(phase), 'f', 3) + ',' +
                     QByteArray::number(12 + std::cos(phase / 7), 'f', 3) + ',' +
                     QByteArray::number(10 + std::sin(phase / 3), 'f', 2);
            chunk += FormatArchiveLine(e);
        }
        for (int i = 0; i < kBusPerSecond; ++i) {
            e = ArchiveEvent();
            e.time = second.addMSecs(20 + i * 100);
            e.source = ArchiveEvent::Source::Dgh;
            e.command = commands[i];
            e.data = "*+00012.34\r";
            chunk += FormatArchiveLine(e);
        }
        if (s % 600 == 300) {
            e = ArchiveEvent();
            e.time = second.addMSecs(500);
            e.source = ArchiveEvent::Source::Mark;
            e.mark = ++mark;
            e.data = "wave run " + QByteArray::number(mark);
            chunk += FormatArchiveLine(e);
        }
        if (chunk.size() > (1 << 20)) {
            out.write(chunk);
            chunk.clear();
        }
    }
    out.write(chunk);
    return true;
}

double PanMs(ReviewPlot* plot, double width) {
    const double from = plot->viewFrom();
    plot->setView(from, from + width);
    plot->replot();
    QElapsedTimer t;
    double worst = 0, total = 0;
    constexpr int kPans = 20;
    for (int i = 0; i < kPans; ++i) {
        const double shift = (i % 2 ? -1 : 1) * width * 0.1;
        t.start();
        plot->setView(plot->viewFrom() + shift, plot->viewTo() + shift);
        plot->replot();
        const double ms = t.nsecsElapsed() / 1e6;
        worst = std::max(worst, ms);
        total += ms;
    }
    std::printf("  pan of a %-7s view: mean %.2f ms, worst %.2f ms (%d points drawn)\n",
                width >= 86000  ? "day"
                : width >= 3600 ? "hour"
                                : "minute",
                total / kPans, worst, plot->drawnPoints());
    return worst;
}

int Run(const BenchArgs& args) {
    QTemporaryDir dir;
    const QString keep = args.value(QStringLiteral("--keep"));
    const QString path = !keep.isNull() ? keep : dir.filePath(QStringLiteral("day.csv.raw.csv"));
    if (!QFileInfo::exists(path)) {
        QElapsedTimer g;
        g.start();
        if (!Generate(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("generated %s: %.0f MB in %.1f s\n", qPrintable(path),
                    QFileInfo(path).size() / 1e6, g.elapsed() / 1000.0);
    }

    // --marks on the main window (fake ports: nothing else runs).
    {
        WindowOnFakes station;
        frmMain& window = station.make(false);
        window.resize(1280, 800);
        window.show();
        QApplication::processEvents();
        const double before = MemoryMb().first;
        ResetPeak();
        QElapsedTimer t;
        t.start();
        QString error;
        if (!window.replayMarksFrom(path, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        window.repaint(); // the first paint after the call
        const double paintMs = t.nsecsElapsed() / 1e6;
        while (!window.replayMarksScanned() && t.elapsed() < 120000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        const double scanMs = t.elapsed();
        const auto [rss, peak] = MemoryMb();
        std::printf("--marks: window painted %.0f ms after the call; archive scanned in %.1f s "
                    "in the background; resident %.0f MB before, %.0f MB after (peak %.0f MB)\n",
                    paintMs, scanMs / 1000.0, before, rss, peak);
    }

    RecordingOperator op;
    frmReview review(op);
    review.resize(1600, 1000);
    ResetPeak();
    const double before = MemoryMb().first;
    QElapsedTimer t;
    t.start();
    QString error;
    if (!review.open(path, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const double readMs = t.elapsed();
    review.show();
    review.plot()->replot();
    QApplication::processEvents();
    const double openMs = t.elapsed();
    const auto [rss, peak] = MemoryMb();
    std::printf("review: %zu CTD rows, %lld marks; read %.2f s, open and first paint %.2f s "
                "(target < 5 s); resident %.0f MB (%.0f MB before), peak %.0f MB "
                "(target < 500 MB)\n",
                review.session().ctd.size(), qlonglong(review.session().marks.size()),
                readMs / 1000.0, openMs / 1000.0, rss, before, peak);
    double worst = 0;
    worst = std::max(worst, PanMs(review.plot(), kSeconds));
    worst = std::max(worst, PanMs(review.plot(), 3600));
    worst = std::max(worst, PanMs(review.plot(), 60));
    std::printf("worst pan redraw %.2f ms (target < 16 ms)\n", worst);
    return 0;
}

} // namespace

const BenchProgram corvale::kBenchProgram{true, false, 0, Run};
