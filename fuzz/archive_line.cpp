// The raw archive's reader on any bytes, a line at a time: never a crash,
// and an event it accepts, written again by the writer, reads back as the
// same event at the same instant.

#include "archive/archivereader.h"
#include "fuzz/fuzzcheck.h"

#include <QDateTime>
#include <cstdint>

using namespace corvale;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* p = reinterpret_cast<const char*>(data);
    const char* end = p + size;
    // A fixed zone for lines without an offset, so a run does not depend
    // on the machine's.
    const std::optional<int> assumed = size % 2 ? std::optional<int>(3600) : std::nullopt;
    LocalZone zone;
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* lineEnd = nl ? nl + 1 : end;
        const auto entry = ParseArchiveEntry(p, lineEnd, assumed, &zone);
        if (entry) {
            ArchiveEvent e = entry->event;
            e.time =
                QDateTime::fromMSecsSinceEpoch(entry->utcMs, Qt::OffsetFromUTC, entry->utcOffset);
            const QByteArray again = FormatArchiveLine(e);
            FUZZ_CHECK(again.count('\n') == 1 && again.endsWith('\n'), QString::fromLatin1(again));
            const auto back = ParseArchiveEntry(again.begin(), again.end());
            FUZZ_CHECK(back.has_value(), QString::fromLatin1(again));
            FUZZ_CHECK(back->utcMs == entry->utcMs && back->utcOffset == entry->utcOffset,
                       QString::fromLatin1(again));
            FUZZ_CHECK(back->event.source == e.source && back->event.status == e.status &&
                           back->event.command == e.command && back->event.data == e.data &&
                           back->event.mark == e.mark,
                       QString::fromLatin1(again));
        }
        p = lineEnd;
    }
    return 0;
}
