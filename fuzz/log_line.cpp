// The log writer on any state: texts of any characters (replies, speeds, the
// serial number, the file name) and any numbers. A record is one line of
// twelve items, the header 24 lines, in every regional setting.

#include "core/state.h"
#include "fuzz/fuzzcheck.h"
#include "logging/logline.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QLocale>
#include <cstdint>
#include <cstring>

using namespace corvale;

namespace {

QString AnyText(FuzzedDataProvider& in) {
    const std::string s = in.ConsumeRandomLengthString(64);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    static const QLocale locales[] = {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::Japanese, QLocale::Japan),
                                      QLocale(QLocale::Arabic, QLocale::Egypt)};
    QLocale::setDefault(locales[in.ConsumeIntegralInRange<int>(0, 3)]);

    StationState s;
    // A reading may be known or not; the log writes its value either way,
    // a speed only once one was read.
    const QDateTime readAt(QDate(2026, 12, 8), QTime(14, 7, 9));
    const auto reading = [&in, &readAt] {
        return Reading{AnyDouble(in), in.ConsumeBool() ? readAt : QDateTime()};
    };
    s.ThrusterRpm = reading();
    s.WaveRpm = reading();
    s.ThrusterCurrent.reply = AnyText(in);
    s.WaveCurrent.reply = AnyText(in);
    s.ProfilerCurrent.reply = AnyText(in);
    s.CalSerialNum = AnyText(in);
    s.LogFileName = AnyText(in);
    s.PhMilliVolts = reading();
    s.PhValue = reading();
    s.CtdTemperature = reading();
    s.CtdConductivity = reading();
    s.CtdPressure = reading();
    s.CtdSalinity = reading();
    s.CalSlope = AnyDouble(in);
    s.CalOffset = AnyDouble(in);
    const QDate date(in.ConsumeIntegralInRange<int>(-5000, 12000),
                     in.ConsumeIntegralInRange<int>(1, 12), in.ConsumeIntegralInRange<int>(1, 31));
    const QTime time(in.ConsumeIntegralInRange<int>(0, 23), in.ConsumeIntegralInRange<int>(0, 59),
                     in.ConsumeIntegralInRange<int>(0, 59));
    s.CalDate = in.ConsumeBool() ? ZeroDate() : QDateTime(date, time);

    const QString record = LogRecordLine(s, time);
    FUZZ_CHECK(IsOneLine(record), record);
    // Twelve items: the time, eleven readings, each quoted text closed.
    FUZZ_CHECK(record.startsWith(QLatin1Char('"')), record);

    const QStringList header = LogHeaderLines(s, date);
    FUZZ_CHECK(header.size() == 24, QString::number(header.size()));
    for (const QString& line : header)
        FUZZ_CHECK(IsOneLine(line), line);
    return 0;
}
