// The CTD line: bytes as the port delivers them, in chunks the input
// chooses. A stream fed whole and one fed in chunks hand over the same
// records and leave the same readings; every record parses without harm.

#include "core/state.h"
#include "ctd/ctdrecord.h"
#include "fuzz/fuzzcheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QStringList>
#include <cmath>
#include <cstdint>
#include <cstring>

using namespace corvale;

namespace {

const QDateTime kReadAt(QDate(2026, 12, 8), QTime(14, 7, 9));

bool SameReadings(const StationState& a, const StationState& b) {
    auto same = [](double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    auto sameReading = [&same](const Reading& x, const Reading& y) {
        return same(x.value, y.value) && x.at == y.at;
    };
    return sameReading(a.CtdConductivity, b.CtdConductivity) &&
           sameReading(a.CtdTemperature, b.CtdTemperature) &&
           sameReading(a.CtdPressure, b.CtdPressure) && sameReading(a.CtdSalinity, b.CtdSalinity);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    // The first bytes cut the stream into chunks; the rest is the stream.
    std::vector<std::size_t> cuts;
    const std::size_t nCuts = in.ConsumeIntegralInRange<std::size_t>(0, 16);
    for (std::size_t i = 0; i < nCuts; ++i)
        cuts.push_back(in.ConsumeIntegralInRange<std::size_t>(1, 64));
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    const QByteArray stream(bytes.data(), static_cast<qsizetype>(bytes.size()));

    StationState whole;
    QStringList wholeRecords;
    int wholeApplied = 0;
    {
        CtdStream records([&](const QString& r) { wholeRecords << r; });
        CtdStream applied(
            whole, [] { return kReadAt; }, [&] { ++wholeApplied; });
        records.feed(stream);
        applied.feed(stream);
        FUZZ_CHECK(records.CtdLineBuffer().size() <= CtdStream::MaxLineLength, QString());
    }
    for (const QString& r : wholeRecords) {
        FUZZ_CHECK(!r.contains(QLatin1Char('\n')), r);
        FUZZ_CHECK(r.size() <= CtdStream::MaxLineLength, QString::number(r.size()));
    }
    for (const QString& label : CtdLabelTexts(whole))
        FUZZ_CHECK(!label.isEmpty(), label);

    StationState chunked;
    QStringList chunkedRecords;
    int chunkedApplied = 0;
    {
        CtdStream records([&](const QString& r) { chunkedRecords << r; });
        CtdStream applied(
            chunked, [] { return kReadAt; }, [&] { ++chunkedApplied; });
        qsizetype at = 0;
        std::size_t i = 0;
        while (at < stream.size()) {
            const qsizetype n = cuts.empty() ? 1 : static_cast<qsizetype>(cuts[i++ % cuts.size()]);
            const QByteArray chunk = stream.mid(at, n);
            records.feed(chunk);
            applied.feed(chunk);
            at += n;
        }
    }
    FUZZ_CHECK(wholeRecords == chunkedRecords, QString::number(wholeRecords.size()));
    FUZZ_CHECK(wholeApplied == chunkedApplied, QString::number(wholeApplied));
    FUZZ_CHECK(SameReadings(whole, chunked), QString());
    return 0;
}
