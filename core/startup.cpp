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
                       "are passed on to Qt.\n"
                       "Exit status: 0 when closed, 2 for a usage error (an unknown option, "
                       "an archive that cannot be read).")
            .arg(name, version));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and stops."));
    const QCommandLineOption showVersion({QStringLiteral("v"), QStringLiteral("version")},
                                         QStringLiteral("Shows the version and stops."));
    const QCommandLineOption replay(
        QStringLiteral("replay"),
        QStringLiteral("This run plays the raw <archive> back (corvale-flume-sim --replay "
                       "<archive>): the window says \"Replay\" and how far it has come, the "
                       "archive's event marks return on the charts, and the ship feed sends "
                       "nothing unless turned on for this run in its window (each sentence "
                       "then marked REPLAY, with its recorded time)."),
        QStringLiteral("archive"));
    const QCommandLineOption marks(QStringLiteral("marks"),
                                   QStringLiteral("The same as --replay (its older name)."),
                                   QStringLiteral("archive"));
    parser.addOption(help);
    parser.addOption(showVersion);
    parser.addOption(replay);
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
        run.replayArchive = parser.isSet(replay) ? parser.value(replay) : parser.value(marks);
        run.reviewArchive = parser.value(review);
        return run;
    }
    const QString program = arguments.isEmpty() ? name : QFileInfo(arguments.first()).fileName();
    return {StartRequest::Action::BadUsage,
            QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(program, complaint),
            {},
            {}};
}

QStringList WithoutQtOptions(const QStringList& arguments) {
    // Qt's options, taken out by QGuiApplication and QApplication; the first
    // take a value (as the next word or after "=").
    static const QStringList withValue = {
        QStringLiteral("platform"),      QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"), QStringLiteral("plugin"),
        QStringLiteral("qmljsdebugger"), QStringLiteral("qwindowgeometry"),
        QStringLiteral("qwindowicon"),   QStringLiteral("qwindowtitle"),
        QStringLiteral("geometry"),      QStringLiteral("title"),
        QStringLiteral("display"),       QStringLiteral("name"),
        QStringLiteral("icon"),          QStringLiteral("style"),
        QStringLiteral("stylesheet"),    QStringLiteral("session"),
        QStringLiteral("screen"),        QStringLiteral("fontengine"),
        QStringLiteral("dialogs")};
    static const QStringList flags = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                      QStringLiteral("nograb"),  QStringLiteral("dograb"),
                                      QStringLiteral("sync"),    QStringLiteral("testability")};
    QStringList out;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (i == 0 || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("--")) {
            out << a;
            continue;
        }
        QString word = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype eq = word.indexOf(QLatin1Char('='));
        const bool hasValue = eq >= 0;
        if (hasValue)
            word.truncate(eq);
        if (withValue.contains(word)) {
            if (!hasValue)
                ++i; // its value
            continue;
        }
        if (flags.contains(word) && !hasValue)
            continue;
        out << a;
    }
    return out;
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
