#pragma once
// The stored pH probe calibration: four texts in section "CalData" of the
// station's settings store, and the save step that takes them into memory.

#include <QString>
#include <QStringList>

namespace corvale {

struct StationState;

struct CalTexts {
    QString offset;
    QString slope;
    QString serialNum;
    QString date;
};

// The stored texts, or the defaults for keys never written.
CalTexts LoadCalTexts();

// Stores each text as typed, then converts it into memory by the regional
// settings. A text that does not convert leaves its value in memory as it
// was; the returned list says which, one line each (empty when all took).
QStringList SaveCalibration(const CalTexts& texts, StationState& state);

// "pH Cal.:   (SNum.: 180312)   (Slope: 4.5427)   (Offset: 2.5777)"
QString CalSummary(const StationState& state);

} // namespace corvale
