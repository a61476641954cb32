#pragma once
// The station's secondary windows: where they open and how big they are, so
// that they sit over the main window and every text in them stays whole.

class QWidget;

namespace corvale {

// Places a window (not yet shown) centred over `over`'s window, inside the
// screen that shows it.
void CentreOver(QWidget* window, const QWidget* over);

// Grows a shown window until every text in it, word-wrapped ones at their
// wrapped height included, has the room it needs, within its screen. Call
// after a text has changed.
void GrowToContents(QWidget* window);

} // namespace corvale
