// corvale-flume-sim: the flume's DGH modules and CTD on two pseudo-terminals,
// for running, demonstrating and testing the station without the instrument.

#include "sim/flumeserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvale;

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int sig) {
    const char c = static_cast<char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &c, 1);
}

void Say(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void Fail(const QString& line) {
    std::fputs(qPrintable(QStringLiteral("corvale-flume-sim: ") + line + QLatin1Char('\n')),
               stderr);
}

const char* kDescription =
    "Plays the seabed flume for the Corvale2 station: the DGH module bus and the\n"
    "CTD record stream, each on its own pseudo-terminal. Prints two lines,\n"
    "  DGH <device>\n"
    "  CTD <device>\n"
    "then serves until stopped (SIGTERM, SIGINT). Nothing is kept on disk.\n"
    "\n"
    "DGH modules (command \"$\" address command data CR, reply \"*\" or \"?\" data CR):\n"
    "  9      SPnn / CPnn set / clear relay nn: 02 thruster, 03 profiler, 04 wave\n"
    "         generator (cleared = power on; all set at start); DI answers *000X,\n"
    "         X bit 1 = up allowed, bit 0 = down allowed (off at the end stops)\n"
    "  0, 3   AO thruster / wave generator speed set point (slider 0-1000 / 0-5000)\n"
    "  2      AO profiler drive: +05000.00 up, -05000.00 down, 00000.00 stop;\n"
    "         the carriage moves only while powered and driven\n"
    "  1, 4   RD motor frequency in Hz, first-order lag towards the set point\n"
    "         (full slider: 25 Hz = 1500 RPM thruster, 74 Hz = 60 RPM wave)\n"
    "  5,6,7  RD thruster, wave generator, profiler current (0 when unpowered)\n"
    "  A      RD pH electrode mV for a drifting pH near 8 at the CTD temperature,\n"
    "         matching the station's start calibration (slope 4.5, offset 2.5)\n"
    "  Other addresses stay silent; an unknown command gets a \"?\" reply.\n"
    "\n"
    "CTD: \"conductivity,temperature,pressure\" LF, e.g. 47.123,14.502,10.04:\n"
    "  conductivity 45-55 mS/cm (rising with the temperature; inside the station's\n"
    "  CTD chart at its start range, 44-56), temperature 8-20 C drifting slowly\n"
    "  around 14, pressure near 10 dbar with the generated waves on it\n"
    "\n"
    "Signals: SIGUSR1 closes the DGH pseudo-terminal, SIGUSR2 the CTD one\n"
    "(a vanished port); the simulator prints \"closed dgh\" / \"closed ctd\".\n"
    "\n"
    "Unplugging (control line \"unplug dgh|ctd S\"): the line's device goes away\n"
    "(\"closed dgh\") and comes back S seconds later as a new pseudo-terminal,\n"
    "printed as \"back dgh <device>\". With --links DIR, DIR/dgh and DIR/ctd\n"
    "always name the current devices, so a station mapped to them finds the\n"
    "line again as it would a real adapter's by-id link.\n"
    "\n"
    "Replay (--replay FILE): the station's raw archive played back. Its CTD\n"
    "lines go out on the CTD line at their recorded pace (--speed times faster;\n"
    "a pause over 5 s between two recorded lines is cut to 5 s). The first CTD\n"
    "line, and the session's clock with it, waits until the CTD line is read,\n"
    "so nothing is missed before the station enables its CTD. The bus hears the model as usual, "
    "but a command that was\n"
    "recorded is answered with its latest recorded reply up to that moment of\n"
    "the session (no reply when none came then); other commands get the\n"
    "model's. When the archive has been played to its end, the simulator prints\n"
    "\"replay end <lines>\", the CTD line goes quiet (or carries the model's\n"
    "records when --ctd-rate was given) and the bus goes on as before, still\n"
    "answering recorded commands with their last recorded replies.\n"
    "\n"
    "Exit status: 0 when stopped, 2 for a usage error (an unknown option, a\n"
    "value out of range, an archive that cannot be read), 1 when the\n"
    "pseudo-terminals cannot be made.\n"
    "\n"
    "Control lines on standard input, each answered on standard output by one\n"
    "line \"ok <line>\", \"error <why>\" or \"state ...\":\n";

double ParseNumber(const QString& text, double lo, double hi, const QString& what, bool* ok) {
    bool good = false;
    const double v = text.toDouble(&good);
    if (!good || v < lo || v > hi) {
        Fail(QStringLiteral("%1 must be a number from %2 to %3, not \"%4\"")
                 .arg(what)
                 .arg(lo)
                 .arg(hi)
                 .arg(text));
        *ok = false;
    }
    return v;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvale-flume-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription) + SimFaults::controlHelp());
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption replyDelay(
        QStringLiteral("reply-delay-ms"),
        QStringLiteral("Time from a command to its reply, ms (default 8; the station waits 35)."),
        QStringLiteral("ms"), QStringLiteral("8"));
    const QCommandLineOption silent(
        QStringLiteral("silent"),
        QStringLiteral("Module <address> never answers (repeatable; \"all\" for every module)."),
        QStringLiteral("address"));
    const QCommandLineOption late(
        QStringLiteral("late"),
        QStringLiteral("Module <address> answers after --late-ms (repeatable; \"all\")."),
        QStringLiteral("address"));
    const QCommandLineOption lateMs(
        QStringLiteral("late-ms"),
        QStringLiteral("Answer time of late modules, ms (default 80, past the 35 ms window)."),
        QStringLiteral("ms"), QStringLiteral("80"));
    const QCommandLineOption garbage(QStringLiteral("garbage"),
                                     QStringLiteral("Send \"xy\" before each reply's marker."));
    const QCommandLineOption parity(
        QStringLiteral("parity"), QStringLiteral("Set the highest bit of every reply character."));
    const QCommandLineOption ctdRate(
        QStringLiteral("ctd-rate"),
        QStringLiteral("CTD records per second, 0 to 24 (default 1; 0 = quiet)."),
        QStringLiteral("rate"), QStringLiteral("1"));
    const QCommandLineOption ctdCrLf(QStringLiteral("ctd-crlf"),
                                     QStringLiteral("End CTD records with CR LF instead of LF."));
    const QCommandLineOption ctdMalformed(
        QStringLiteral("ctd-malformed"),
        QStringLiteral("Make every <n>th CTD record malformed: in turn a field missing, a "
                       "field too many, a garbled number, an empty line (default 0 = none)."),
        QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption lag(
        QStringLiteral("lag-seconds"),
        QStringLiteral("Time constant of the motor frequencies, s (default 2)."),
        QStringLiteral("s"), QStringLiteral("2"));
    const QCommandLineOption travel(
        QStringLiteral("travel-seconds"),
        QStringLiteral("Profiler travel from bottom to top end stop, s (default 20)."),
        QStringLiteral("s"), QStringLiteral("20"));
    const QCommandLineOption carriage(
        QStringLiteral("carriage"),
        QStringLiteral("Start position of the profiler, 0 = bottom to 1 = top (default 0.5)."),
        QStringLiteral("position"), QStringLiteral("0.5"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the readings' noise (default 1)."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption replay(
        QStringLiteral("replay"),
        QStringLiteral("Replay the station's raw archive <file> (see above)."),
        QStringLiteral("file"));
    const QCommandLineOption speed(
        QStringLiteral("speed"),
        QStringLiteral("Replay <x> times faster than recorded, 0.01 to 1000 (default 1)."),
        QStringLiteral("x"), QStringLiteral("1"));
    const QCommandLineOption links(
        QStringLiteral("links"),
        QStringLiteral("Keep symlinks \"dgh\" and \"ctd\" in the folder <dir> that always "
                       "name the current pseudo-terminals, as a by-id link names a real "
                       "adapter (gone while a line is unplugged, made again when it is back)."),
        QStringLiteral("dir"));
    parser.addOptions({replyDelay, silent, late, lateMs, garbage, parity, ctdRate, ctdCrLf,
                       ctdMalformed, lag, travel, carriage, seed, replay, speed, links});
    // Usage errors exit 2, as the station's do (QCommandLineParser::process
    // would exit 1).
    if (!parser.parse(QCoreApplication::arguments())) {
        Fail(parser.errorText());
        std::fputs("Try 'corvale-flume-sim --help'.\n", stderr);
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        Say(QStringLiteral("corvale-flume-sim ") + QCoreApplication::applicationVersion());
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        Fail(QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments()[0]));
        return 2;
    }

    // Options go through the same words as the control lines, so both are
    // checked alike.
    SimFaults faults;
    QStringList controls;
    controls << QStringLiteral("reply-delay-ms ") + parser.value(replyDelay)
             << QStringLiteral("late-ms ") + parser.value(lateMs)
             // A replay brings its own CTD lines; the model's come only
             // when asked for, after it.
             << QStringLiteral("ctd-rate ") + (parser.isSet(replay) && !parser.isSet(ctdRate)
                                                   ? QStringLiteral("0")
                                                   : parser.value(ctdRate))
             << QStringLiteral("ctd-malformed ") + parser.value(ctdMalformed);
    for (const QString& a : parser.values(silent))
        controls << QStringLiteral("silent ") + a;
    for (const QString& a : parser.values(late))
        controls << QStringLiteral("late ") + a;
    if (parser.isSet(garbage))
        controls << QStringLiteral("garbage on");
    if (parser.isSet(parity))
        controls << QStringLiteral("parity on");
    if (parser.isSet(ctdCrLf))
        controls << QStringLiteral("ctd-crlf on");
    for (const QString& c : controls) {
        const QString answer = faults.apply(c);
        if (!answer.startsWith(QLatin1String("ok"))) {
            Fail(QStringLiteral("--%1").arg(answer.mid(6)));
            return 2;
        }
    }
    bool ok = true;
    FlumeModel::Settings settings;
    settings.lagSeconds =
        ParseNumber(parser.value(lag), 0.001, 3600, QStringLiteral("--lag-seconds"), &ok);
    settings.travelSeconds =
        ParseNumber(parser.value(travel), 0.01, 3600, QStringLiteral("--travel-seconds"), &ok);
    settings.startPosition =
        ParseNumber(parser.value(carriage), 0, 1, QStringLiteral("--carriage"), &ok);
    settings.seed = static_cast<quint32>(
        ParseNumber(parser.value(seed), 0, 4294967295.0, QStringLiteral("--seed"), &ok));
    const double replaySpeed =
        ParseNumber(parser.value(speed), 0.01, 1000, QStringLiteral("--speed"), &ok);
    if (parser.isSet(speed) && !parser.isSet(replay)) {
        Fail(QStringLiteral("--speed goes with --replay"));
        ok = false;
    }
    if (!ok)
        return 2;

    FlumeServer server(settings, faults);
    QString error;
    if (parser.isSet(links)) {
        const QString folder = parser.value(links);
        if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable()) {
            Fail(QStringLiteral("--links: cannot write to the folder \"%1\"").arg(folder));
            return 2;
        }
        server.setLinkFolder(folder);
    }
    if (parser.isSet(replay) && !server.setReplay(parser.value(replay), replaySpeed, &error)) {
        Fail(error);
        return 2;
    }
    if (!server.start(&error)) {
        Fail(error);
        return 1;
    }

    // Signals arrive through a socket pair, handled in the event loop.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0) {
        Fail(QStringLiteral("socketpair failed"));
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int sig : {SIGUSR1, SIGUSR2, SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    QSocketNotifier signalNotifier(signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&] {
        char c = 0;
        while (::read(signalPipe[1], &c, 1) == 1) {
            if (c == SIGUSR1)
                server.closeDgh();
            else if (c == SIGUSR2)
                server.closeCtd();
            else
                QCoreApplication::quit();
        }
    });
    QObject::connect(&server, &FlumeServer::closed,
                     [](const QString& which) { Say(QStringLiteral("closed ") + which); });
    QObject::connect(&server, &FlumeServer::back, [](const QString& which, const QString& device) {
        Say(QStringLiteral("back %1 %2").arg(which, device));
    });
    QObject::connect(&server, &FlumeServer::replayEnded, [](int lines, int skipped) {
        if (skipped > 0)
            Fail(QStringLiteral("%1 lines of the archive were no events and "
                                "were skipped")
                     .arg(skipped));
        Say(QStringLiteral("replay end %1").arg(lines));
    });

    // Control lines on standard input; at its end the simulator goes on.
    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buf[512];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        pending.append(buf, n);
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromLocal8Bit(pending.left(nl)).trimmed();
            pending.remove(0, nl + 1);
            if (!line.isEmpty())
                Say(server.control(line));
        }
    });

    Say(QStringLiteral("DGH ") + server.dghDevice());
    Say(QStringLiteral("CTD ") + server.ctdDevice());
    return app.exec();
}
