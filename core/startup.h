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
    // --marks FILE: a raw archive whose event marks go on the charts again
    // as its replay reaches them.
    QString marksArchive;
    // --review FILE: a raw archive to review in a window of its own; no
    // port is opened.
    QString reviewArchive;
};

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
