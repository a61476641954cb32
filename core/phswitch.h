#pragma once
// The pH reading switch cwbPh belongs to the chart panel. Until the chart
// panel's own handling is wired, this gives the switch its minimal effect:
// on sets PhReadingEnabled, off clears it and empties lblmV and lblpH.

class frmMain;
class QObject;

void WirePhSwitch(frmMain& main, QObject* context);
// Switches pH reading off as the pH measurement does when the module fails.
void SwitchPhReadingOff(frmMain& main);
