#pragma once
// What the simulator does wrong on purpose, and how fast it answers. Set
// from the command line at start and changed while running by control
// lines ("silent 4", "crlf on", ...).

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>
#include <optional>

namespace corvale {

struct SimFaults {
    int replyDelayMs = 8; // a module's answer time
    int lateMs = 80;      // answer time of a late module, past the 35 ms window
    QSet<char> silent;    // modules that never answer
    QSet<char> late;      // modules that answer after lateMs
    bool allLate = false; // every module answers after lateMs
    bool garbage = false; // noise before the reply's marker
    bool parity = false;  // highest bit set on every reply character
    bool ctdCrLf = false; // CTD lines end with carriage return and line feed
    int ctdMalformed = 0; // every Nth CTD record is malformed; 0 = none
    double ctdRate = 1.0; // CTD records per second; 0 = the CTD is quiet

    // Replies each module still misses ("drop A N").
    QMap<char, int> drops;

    static constexpr double kMaxCtdRate = 24.0;
    static constexpr const char* kGarbage = "xy";

    // When the reply of `address` goes out, in ms after its command, or
    // nullopt when the module stays silent.
    std::optional<int> replyDelay(char address) const;
    // True when this reply of `address` is lost: one of its dropped replies
    // is used up.
    bool takeDrop(char address);
    // The reply bytes as they go on the wire.
    QByteArray shape(const QByteArray& reply) const;

    // Applies one control line. Returns "ok <line>" or "error <why>".
    // Handles the fault and timing words; others answer "error unknown ...".
    QString apply(const QString& line);
    // The control words for --help.
    static QString controlHelp();
};

// A module address as given on the command line or a control line: one
// character, letters in either case. 0 when it is not one.
char ParseAddress(const QString& text);

} // namespace corvale
