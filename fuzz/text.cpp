// Text the operator types or a file holds, read in one of several regional
// settings: numbers (regional and wire form), dates with and without a time
// of day, the analog output mask, and the DGH port's settings text and port
// names. What is written and read back is the same number or date.

#include "core/state.h"
#include "core/textnum.h"
#include "fuzz/fuzzcheck.h"
#include "portdialog/commsettings.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QLocale>
#include <cmath>
#include <cstdint>

using namespace corvale;

namespace {

const char* const kLocales[] = {"en_US", "en_GB", "de_DE", "fr_FR", "sv_SE", "ja_JP", "ko_KR",
                                "fi_FI", "bg_BG", "hu_HU", "zh_CN", "ar_EG", "C"};

void CheckNumber(const QString& text) {
    if (const auto v = TextToNumber(text)) {
        FUZZ_CHECK(std::isfinite(*v), text);
        const QString written = NumberText(*v);
        const auto back = TextToNumber(written);
        FUZZ_CHECK(back.has_value(), written);
        FUZZ_CHECK(NumberText(*back) == written, written);
        FUZZ_CHECK(TextToNumber(NumberText(*back)) == back, written);
    }
    if (const auto v = WireTextToNumber(text)) {
        const QString written = WireNumberText(*v);
        const auto back = WireTextToNumber(written);
        FUZZ_CHECK(back.has_value() && WireNumberText(*back) == written, written);
    }
    const QString mask = FormatAnalogValue(text);
    FUZZ_CHECK(mask.size() >= 8 || mask == text.right(8), mask);
}

void CheckDate(const QString& text) {
    const auto d = TextToDate(text);
    if (!d)
        return;
    FUZZ_CHECK(d->isValid(), text);
    // A date the header writes is read back as the same date and time, when
    // the setting's form keeps enough of it: two-digit years only inside
    // their window, no milliseconds, and not the zero date (shown as a time).
    const int year = d->date().year();
    const int now = QDate::currentDate().year();
    if (*d == ZeroDate() || d->time().msec() != 0 || year < now - 79 || year > now + 20)
        return;
    const QString written = DateText(*d);
    const auto back = TextToDate(written);
    FUZZ_CHECK(back.has_value(), written);
    FUZZ_CHECK(*back == *d, text + QStringLiteral(" -> ") + written);
}

void CheckCommSettings(const QString& text, int portNumber) {
    const QStringList fields = SplitSettings(text);
    FUZZ_CHECK(fields.size() == 4, text);
    const QString joined = fields.join(QLatin1Char(','));
    FUZZ_CHECK(text.count(QLatin1Char(',')) >= 3 ? joined == text : joined.startsWith(text), text);
    if (const auto letter = ParityLetter(fields[1]))
        FUZZ_CHECK(ParityName(*letter).has_value(), *letter);
    if (const auto name = ParityName(fields[1]))
        FUZZ_CHECK(ParityLetter(*name).has_value(), *name);
    if (const auto n = PortNumberFromName(text))
        FUZZ_CHECK(PortNameFromNumber(*n) == text, text);
    const QString status = DghStatusText(portNumber, fields);
    FUZZ_CHECK(status.startsWith(QLatin1String("DGH Settings: COM")) && status.endsWith(joined),
               status);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const auto which = in.ConsumeIntegralInRange<std::size_t>(0, std::size(kLocales) - 1);
    const int portNumber = in.ConsumeIntegral<int>();
    static QLocale locales[std::size(kLocales)];
    static bool made = false;
    if (!made) {
        for (std::size_t i = 0; i < std::size(kLocales); ++i)
            locales[i] = QLocale(QString::fromLatin1(kLocales[i]));
        made = true;
    }
    QLocale::setDefault(locales[which]);
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));

    CheckNumber(text);
    CheckDate(text);
    CheckCommSettings(text, portNumber);
    return 0;
}
