#pragma once
// Steps an operator takes in the main window, as the end-to-end fixture,
// the helper process and the benchmarks take them.

#include <QString>

namespace corvale {

class frmMain;

// "Communications" > "DGH Comm Port", `port` picked (or the one the dialog
// offers), "Update and Open Comm Port"; false when the dialog did not show.
bool OpenBusFromDialog(frmMain& main, const QString& port = {});

// Logging from the toolbar's Logger window: a data file (the operator's next
// file answer), appended, every 0.5 s, with the raw archive and its bus
// exchanges when asked; false when the window did not show.
bool StartLogging(frmMain& main, bool rawArchive = false, bool busExchanges = false);

} // namespace corvale
