#pragma once
// The ship feed's sentences: one line of text per reading, in the style of
// NMEA 0183, for the ship's data system. Each sentence is
//
//   $NAME,yyyy-MM-ddTHH:mm:ss.zzz,field,field,...*hh<CR><LF>
//
// where the time is the station's local date and time of day (no zone), the
// fields are as listed below, and hh is the XOR of every character between
// "$" and "*" as two upper-case hexadecimal digits. Numbers are written
// with a period whatever the regional settings; a reading that is not known
// (or not a finite number) leaves its field empty. Sentences are printable
// ASCII throughout.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace corvale {

struct StationState;

// Sentence names (without the "$").
inline const QString kCtdSentence = QStringLiteral("CVCTD"); // CTD record
inline const QString kBusSentence = QStringLiteral("CVBUS"); // bus cycle
inline const QString kActSentence = QStringLiteral("CVACT"); // operator action
inline const QString kMrkSentence = QStringLiteral("CVMRK"); // event mark
inline const QString kLnkSentence = QStringLiteral("CVLNK"); // a line down or back

// XOR of the characters of `body` (the text between "$" and "*").
quint8 SentenceChecksum(const QString& body);
// "$" + body + "*hh\r\n".
QString SentenceFrom(const QString& body);
// "2026-12-08T13:40:21.123".
QString SentenceTime(const QDateTime& time);
// A number field: the station's wire form (WireNumberText: shortest form,
// at most 15 significant digits, a period), empty when not finite.
QString SentenceNumber(double value);

// A note as one sentence field. The note is taken as UTF-8; every byte that
// is not printable ASCII (control characters, CR, LF, bytes of non-ASCII
// characters) and each of the reserved characters $ * , ! \ ^ ~ is written
// as "^" and its two upper-case hexadecimal digits (NMEA's own escape), so
// "run 3, 5 Hz" becomes "run 3^2C 5 Hz".
QString EscapeNoteField(const QString& note);
// The reverse; a "^" without two hexadecimal digits after it is kept as is.
QString UnescapeNoteField(const QString& field);

// $CVCTD,time,conductivity,temperature,pressure,salinity
// (mS/cm, degrees C, dbar, PSU).
QString CtdSentence(const QDateTime& time, double conductivity, double temperature, double pressure,
                    double salinity);
// The four CTD readings as they stand after a record was applied; one that
// was never read is left empty.
QString CtdSentence(const QDateTime& time, const StationState& s);

// One bus cycle's results.
struct BusCycleFigures {
    std::optional<double> thrusterRpm;
    std::optional<double> waveRpm;
    // Empty when the current reply carried no number (the read-out shows 0).
    std::optional<double> thrusterWatts;
    std::optional<double> waveWatts;
    std::optional<double> profilerWatts;
    std::optional<double> phMilliVolts; // empty while pH reading is off
    std::optional<double> ph;
    std::optional<bool> upAllowed; // end-stop permits as last polled
    std::optional<bool> downAllowed;
};
// The readings as the station keeps them, each only once it was read: the
// speeds, the watts (empty while the last current reply carried no number),
// pH only while pH reading is on, and the end-stop permits of the last poll.
BusCycleFigures BusCycleFrom(const StationState& s);
// $CVBUS,time,thrusterRPM,waveRPM,thrusterW,waveW,profilerW,pHmV,pH,up,down
// (permits 1 allowed, 0 stopped).
QString BusSentence(const QDateTime& time, const BusCycleFigures& r);

// Operator actions on an actuator.
enum class Actuator { Thruster, WaveGenerator, Profiler };
enum class ProfilerDrive { Up, Down, Stop };
// "THR", "WAV", "VP".
QString ActuatorCode(Actuator a);
// $CVACT,time,THR|WAV|VP,POWER,ON|OFF
QString PowerSentence(const QDateTime& time, Actuator a, bool on);
// $CVACT,time,THR|WAV,SPEED,setpoint (the value sent to the speed module)
QString SpeedSentence(const QDateTime& time, Actuator a, double setPoint);
// $CVACT,time,VP,DRIVE,UP|DOWN|STOP
QString DriveSentence(const QDateTime& time, ProfilerDrive drive);

// $CVMRK,time,number,note (note escaped as above).
QString MarkSentence(const QDateTime& time, int number, const QString& note);

// $CVLNK,time,DGH|CTD,DOWN|UP,why (why escaped as a note): a line went
// down or came back (reconnect on); nothing is sent for the time between.
QString LinkSentence(const QDateTime& time, const QString& line, bool up, const QString& why);

// A sentence of a replayed session: the same sentence with a last field
// "REPLAY" and its checksum worked out again. Its time is the recorded one.
QString ReplayedSentence(const QString& sentence);
inline const QString kReplayField = QStringLiteral("REPLAY");

// A received sentence's fields (name first, checksum and line end removed),
// or empty when it does not start with "$", lacks "*hh" or its checksum is
// wrong. A missing CR LF is accepted.
std::optional<QStringList> ParseSentence(const QString& line);

} // namespace corvale
