// corvale-export: a recorded session (raw archive and the log beside it)
// as CF NetCDF-4 or CSV, read by the same reader as the review window.

#include "export/sessionexport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>
#include <cstdio>

using namespace corvale;

namespace {

void Say(FILE* to, const QString& text) {
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), to);
}

// "+01:00", "-05:30", "+1", "0", "Z" as seconds east of UTC.
std::optional<int> ParseOffset(const QString& text) {
    if (text == QLatin1String("Z") || text == QLatin1String("0"))
        return 0;
    static const QRegularExpression form(QStringLiteral("^([+-])(\\d{1,2})(?::?(\\d{2}))?$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int hours = m.captured(2).toInt(), minutes = m.captured(3).toInt();
    if (hours > 18 || minutes > 59)
        return std::nullopt;
    return (m.captured(1) == QLatin1String("-") ? -1 : 1) * (hours * 3600 + minutes * 60);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvale-export"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVALE_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a recorded session of the Corvale2 station, its raw archive FILE and the log "
        "file beside it, as CF-1.8 NetCDF-4 or as CSV: every CTD line one row, times in UTC, "
        "a quality flag per value, the event marks."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The raw archive (*.raw.csv)."));
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("netcdf or csv."),
                                QStringLiteral("format"));
    const QCommandLineOption out({QStringLiteral("o"), QStringLiteral("output")},
                                 QStringLiteral("The file to write."), QStringLiteral("OUT"));
    const QCommandLineOption offset(
        QStringLiteral("utc-offset"),
        QStringLiteral("Offset from UTC of the station's clock (+01:00, -05:30), for archive "
                       "lines and log records written without one. Default: this machine's time "
                       "zone at each time."),
        QStringLiteral("offset"));
    parser.addOptions({to, out, offset});
    parser.process(app);

    const auto usage = [&](const QString& complaint) {
        Say(stderr,
            QStringLiteral("corvale-export: %1\nTry 'corvale-export --help'.").arg(complaint));
        return 2;
    };
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return usage(files.isEmpty() ? QStringLiteral("Name one raw archive.")
                                     : QStringLiteral("Name only one raw archive."));
    const QString format = parser.value(to);
    if (format != QLatin1String("netcdf") && format != QLatin1String("csv"))
        return usage(QStringLiteral("--to must be netcdf or csv."));
    if (parser.value(out).isEmpty())
        return usage(QStringLiteral("Name the output file with -o OUT."));
    SessionOptions options;
    if (parser.isSet(offset)) {
        options.utcOffset = ParseOffset(parser.value(offset));
        if (!options.utcOffset)
            return usage(QStringLiteral("--utc-offset takes an offset such as +01:00 or -05:30."));
    }

    Session session;
    QString error;
    if (!LoadSession(files[0], options, session, &error)) {
        Say(stderr, QStringLiteral("corvale-export: ") + error);
        return 1;
    }
    if (!session.damageReport.isEmpty())
        Say(stderr, QStringLiteral("corvale-export: %1: %2").arg(files[0], session.damageReport));
    if (!session.zoneNote.isEmpty())
        Say(stderr, QStringLiteral("corvale-export: ") + session.zoneNote);

    QString history = QStringLiteral("%1 corvale-export %2")
                          .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate),
                               QCoreApplication::arguments().mid(1).join(QLatin1Char(' ')));
    if (!session.zoneNote.isEmpty())
        history += QStringLiteral(": ") + session.zoneNote;
    const bool written = format == QLatin1String("netcdf")
                             ? ExportNetcdf(session, parser.value(out), history, &error)
                             : ExportCsv(session, parser.value(out), &error);
    if (!written) {
        Say(stderr, QStringLiteral("corvale-export: ") + error);
        return 1;
    }
    if (format == QLatin1String("netcdf"))
        Say(stdout, QStringLiteral("Wrote %1: %2 CTD rows, %3 log records, %4 marks.")
                        .arg(parser.value(out))
                        .arg(session.ctd.size())
                        .arg(session.log.size())
                        .arg(session.marks.size()));
    else
        Say(stdout, QStringLiteral("Wrote %1: %2 CTD rows, %3 marks.")
                        .arg(parser.value(out))
                        .arg(session.ctd.size())
                        .arg(session.marks.size()));
    return 0;
}
