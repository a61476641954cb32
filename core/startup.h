#pragma once
// What the program settles before it opens a window: what its command line
// asks for, and where its data (icons/) lives.

#include <QString>
#include <QStringList>

namespace corvale {

struct StartRequest {
    enum class Action { Run, Help, Version, BadUsage };
    Action action = Action::Run;
    QString text; // help text, version line or the complaint, ending in a newline
    // --replay FILE (or its older name --marks FILE): this run plays the raw
    // archive back through the simulator.
    QString replayArchive;
    // --review FILE: a raw archive to review in a window of its own; no
    // port is opened.
    QString reviewArchive;
};

// The exit status of a usage error (an unknown option, an archive that
// cannot be read).
inline constexpr int kUsageExit = 2;

// The arguments without Qt's own options (-platform offscreen, -style=Fusion,
// --reverse ...), so the station's own can be checked before anything needs
// a display.
QStringList WithoutQtOptions(const QStringList& arguments);

// Reads the station's own options, --help (-h) and --version (-v), from the
// program's arguments (first the program itself). Qt's options (-platform
// offscreen, -style Fusion ...) are not the station's: before Qt has taken
// them out, pass strict = false and anything unknown is left alone; after
// (QApplication::arguments()), strict = true reports what is left as
// BadUsage.
StartRequest ReadCommandLine(const QStringList& arguments, bool strict);

// The folder whose icons/ holds the light images: the program's own folder
// in a build tree, else installedRelative from it (an install's
// "../share/corvale2"). When neither has them, the program's folder, so the
// window reports the missing images under the name a build tree uses.
QString ProgramDataDir(const QString& programDir, const QString& installedRelative);

} // namespace corvale
