#include "core/startup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace corvale {

StartRequest ReadCommandLine(const QStringList& arguments, bool strict) {
    const QString name = QCoreApplication::applicationName();
    const QString version = QCoreApplication::applicationVersion();
    QCommandLineParser parser;
    // Qt's options are words after one dash; read them as such, never as
    // bundles of letters (-reverse is not -r -e -v ...).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("%1 %2: the control station of a seabed flume.\n"
                       "Settings: ~/.config/Corvale/Corvale.conf ($XDG_CONFIG_HOME moves it).\n"
                       "Qt's own options, such as -platform offscreen or -style Fusion, "
                       "are passed on to Qt.")
            .arg(name, version));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and stops."));
    const QCommandLineOption showVersion({QStringLiteral("v"), QStringLiteral("version")},
                                         QStringLiteral("Shows the version and stops."));
    const QCommandLineOption marks(
        QStringLiteral("marks"),
        QStringLiteral("Puts the event marks of a raw archive on the charts again as the "
                       "archive's replay (corvale-flume-sim --replay) reaches them."),
        QStringLiteral("archive"));
    parser.addOption(help);
    parser.addOption(showVersion);
    parser.addOption(marks);
    const QCommandLineOption review(
        QStringLiteral("review"),
        QStringLiteral("Opens a recorded session (a raw archive and the log beside it) for "
                       "review, without opening any port."),
        QStringLiteral("archive"));
    parser.addOption(review);

    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help))
        return {StartRequest::Action::Help, parser.helpText(), {}, {}};
    if (parser.isSet(showVersion))
        return {StartRequest::Action::Version, name + QLatin1Char(' ') + version + '\n', {}, {}};
    if (!strict)
        return {};
    QString complaint;
    if (!parsed)
        complaint = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        complaint =
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments()[0]);
    if (complaint.isEmpty()) {
        StartRequest run;
        run.marksArchive = parser.value(marks);
        run.reviewArchive = parser.value(review);
        return run;
    }
    const QString program = arguments.isEmpty() ? name : QFileInfo(arguments.first()).fileName();
    return {StartRequest::Action::BadUsage,
            QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(program, complaint),
            {},
            {}};
}

QString ProgramDataDir(const QString& programDir, const QString& installedRelative) {
    const auto hasImages = [](const QString& dir) {
        return QFileInfo::exists(dir + QStringLiteral("/icons/redlight.bmp")) &&
               QFileInfo::exists(dir + QStringLiteral("/icons/greenlight.bmp"));
    };
    if (hasImages(programDir) || installedRelative.isEmpty())
        return programDir;
    const QString installed = QDir::cleanPath(programDir + QLatin1Char('/') + installedRelative);
    return hasImages(installed) ? installed : programDir;
}

} // namespace corvale
