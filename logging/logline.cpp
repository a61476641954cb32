#include "logging/logline.h"
#include "core/state.h"
#include "core/textnum.h"

namespace corvale {

namespace {

const QString Rule(64, QLatin1Char('='));

} // namespace

LogItem TextItem(const QString& text) {
    LogItem item;
    item.kind = LogItem::Kind::Text;
    item.text = text;
    return item;
}

LogItem NumberItem(double value) {
    LogItem item;
    item.kind = LogItem::Kind::Number;
    item.number = value;
    return item;
}

LogItem DateItem(const QDate& date) {
    LogItem item;
    item.kind = LogItem::Kind::Date;
    item.date = date;
    return item;
}

QString LogItemText(const LogItem& item) {
    switch (item.kind) {
    case LogItem::Kind::Text: {
        // A line end inside a text (a noisy reply, an edited store) would
        // split its record or lengthen the header: it is written as a blank.
        QString text = item.text;
        for (QChar& c : text) {
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                c = QLatin1Char(' ');
        }
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    case LogItem::Kind::Number:
        return WireNumberText(item.number);
    case LogItem::Kind::Date:
        return QLatin1Char('#') + item.date.toString(QStringLiteral("yyyy-MM-dd")) +
               QLatin1Char('#');
    }
    return {};
}

QString LogLine(const QList<LogItem>& items) {
    QString line;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += LogItemText(items[i]);
    }
    return line;
}

QStringList LogHeaderLines(const StationState& s, const QDate& today) {
    auto text = [](const QString& t) { return LogLine({TextItem(t)}); };
    return {
        text(Rule),
        LogLine({TextItem(QStringLiteral("Corvale II Logging Program")), DateItem(today)}),
        text(QStringLiteral("Version: 1.0")),
        LogLine({}),
        text(QStringLiteral("pH Probe Offset: ") + NumberText(s.CalOffset)),
        text(QStringLiteral("pH Probe Slope: ") + NumberText(s.CalSlope)),
        text(QStringLiteral("pH Probe Serial Number: ") + s.CalSerialNum),
        text(QStringLiteral("pH Probe Calibration Date: ") + DateText(s.CalDate)),
        text(QStringLiteral("Log File: ") + s.LogFileName),
        LogLine({}),
        text(QStringLiteral("Logging string definition (Comma delimited text string)")),
        text(QStringLiteral("Field(0)= time")),
        text(QStringLiteral("Field(1) = mV(pH)")),
        text(QStringLiteral("Field(2) = pH")),
        text(QStringLiteral("Field(3) = Thruster RPM")),
        text(QStringLiteral("Field(4) = Wave RPM")),
        text(QStringLiteral("Field(5) = Temperature")),
        text(QStringLiteral("Field(6) = CTD conductivity")),
        text(QStringLiteral("Field(7) = CTD pressure")),
        text(QStringLiteral("Field(8) = CTD salinity")),
        text(QStringLiteral("Field(9) = Thruster current")),
        text(QStringLiteral("Field(10) = Wave generator current")),
        text(QStringLiteral("Field(11) = Vertical profiler current")),
        text(Rule),
    };
}

namespace {
// A speed as its read-out shows it (regional form); empty before one was read.
LogItem SpeedItem(const Reading& rpm) {
    return TextItem(rpm.known() ? NumberText(rpm.value) : QString());
}
} // namespace

QString LogRecordLine(const StationState& s, const QTime& now) {
    return LogLine({
        TextItem(FormatTimeHMS(now)),
        NumberItem(s.PhMilliVolts.value),
        NumberItem(s.PhValue.value),
        SpeedItem(s.ThrusterRpm),
        SpeedItem(s.WaveRpm),
        NumberItem(s.CtdTemperature.value),
        NumberItem(s.CtdConductivity.value),
        NumberItem(s.CtdPressure.value),
        NumberItem(s.CtdSalinity.value),
        // The current items are the replies themselves, as they came.
        TextItem(s.ThrusterCurrent.reply),
        TextItem(s.WaveCurrent.reply),
        TextItem(s.ProfilerCurrent.reply),
    });
}

} // namespace corvale
