// The DGH bus's replies: whatever arrives in the reply window is framed as
// the link frames it, then decoded on every road a reply takes: the poll's
// input bits, the pH millivolts, the motor speeds, the watts, and the raw
// current reply that the log record carries.

#include "bus/dghlink.h"
#include "bus/readings.h"
#include "core/state.h"
#include "core/textnum.h"
#include "fuzz/fuzzcheck.h"
#include "logging/logline.h"

#include <QRegularExpression>
#include <cmath>
#include <cstdint>

using namespace corvale;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray received(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString reply = FrameReply(received);
    FUZZ_CHECK(reply == kNoReplyText || reply.startsWith(QLatin1Char('*')) ||
                   reply.startsWith(QLatin1Char('?')),
               reply);
    const FramedReply framed = FrameReceived(received);
    FUZZ_CHECK((ExchangeStatus(received, framed) == BusExchange::Status::Valid) ==
                   IsValidReply(reply),
               reply);
    for (const QChar c : reply)
        FUZZ_CHECK(c.unicode() < 0x80, reply);

    if (IsValidReply(reply)) {
        if (const auto bits = DecodeDigitalInputs(reply.mid(1))) {
            static const QRegularExpression twoBits(QStringLiteral("^[01],[01]$"));
            FUZZ_CHECK(twoBits.match(*bits).hasMatch(), *bits);
        }
    }

    const QString speed = SpeedValueText(reply);
    FUZZ_CHECK(speed.size() <= 8, speed);
    const QDateTime at(QDate(2026, 12, 8), QTime(14, 7, 9));
    StationState s;
    if (const auto rpm = ThrusterRpmValue(speed))
        s.ThrusterRpm.set(*rpm, at);
    if (const auto rpm = WaveRpmValue(speed))
        s.WaveRpm.set(*rpm, at);
    for (const Reading& rpm : {s.ThrusterRpm, s.WaveRpm})
        FUZZ_CHECK(std::isfinite(rpm.value), speed);

    if (const auto mv = WireTextToNumber(speed)) {
        s.PhMilliVolts.set(*mv, at);
        if (const auto ph = PhFromMillivolts(*mv, 2.5, 4.5, 15.0)) {
            FUZZ_CHECK(std::isfinite(*ph), speed);
            s.PhValue.set(*ph, at);
        }
    }

    for (const double w : {ThrusterWatts(reply), WaveWatts(reply), ProfilerWatts(reply)})
        FUZZ_CHECK(std::isfinite(w), reply);

    s.ThrusterCurrent.reply = reply;
    s.WaveCurrent.reply = QString::fromLatin1(received);
    const QString record = LogRecordLine(s, QTime(23, 59, 59));
    FUZZ_CHECK(IsOneLine(record), record);
    return 0;
}
