// The settings store is a text file a user may edit. The input is that
// file; the station then reads its calibration (the load step, the save
// step, the summary and the log header) and its port map from it.

#include "bus/portmap.h"
#include "calibration/calstore.h"
#include "core/state.h"
#include "fuzz/fuzzcheck.h"
#include "logging/logline.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>

using namespace corvale;

namespace {

QTemporaryDir* storeDir = nullptr;
QString storeFile;

// A new modification time for every input, so the store reads the file
// afresh even when two inputs have the same size.
void WriteStore(const QByteArray& bytes) {
    static long long stamp = 1'000'000'000;
    QFile f(storeFile);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    f.write(bytes);
    f.close();
    const QByteArray name = QFile::encodeName(storeFile);
    const timespec times[2] = {{stamp, 0}, {stamp, 0}};
    ++stamp;
    utimensat(AT_FDCWD, name.constData(), times, 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // In memory where the system has it: every input is written and synced.
    const QString shm = QStringLiteral("/dev/shm");
    storeDir = QFileInfo(shm).isWritable()
                   ? new QTemporaryDir(shm + QStringLiteral("/corvale-fuzz-XXXXXX"))
                   : new QTemporaryDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, storeDir->path());
    QDir().mkpath(storeDir->filePath(QStringLiteral("Corvale")));
    storeFile = storeDir->filePath(QStringLiteral("Corvale/Corvale.conf"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteStore(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

    const CalTexts texts = LoadCalTexts();
    StationState s;
    s.CalSlope = 4.5;
    s.CalOffset = 2.5;
    SaveCalibration(texts, s);
    CalSummary(s);
    const QStringList header = LogHeaderLines(s, QDate(2024, 3, 5));
    FUZZ_CHECK(header.size() == 24, QString::number(header.size()));
    for (const QString& line : header)
        FUZZ_CHECK(IsOneLine(line), line);
    // What was saved is what the next load shows.
    const CalTexts again = LoadCalTexts();
    FUZZ_CHECK(again.offset == texts.offset && again.slope == texts.slope &&
                   again.serialNum == texts.serialNum && again.date == texts.date,
               texts.serialNum);

    for (int n = 0; n <= 10; ++n)
        PortDeviceHint(n);
    return 0;
}
