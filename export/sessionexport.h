#pragma once
// A session written in the formats oceanographers load: CF-1.8 NetCDF-4 and
// a tidy CSV. Every CTD line of the archive is one row; a value that is not
// known is the fill value (NetCDF) or an empty cell (CSV), and each value
// has its quality flag beside it.

#include "review/session.h"

#include <QString>

namespace corvale {

// CF names of the CTD quantities, shared by both formats.
inline constexpr double kNetcdfFill = 9.9692099683868690e+36; // NC_FILL_DOUBLE

// Writes `session` as NetCDF-4 (CF-1.8) at `path`. `history` becomes the
// file's history line. False with *error when the file cannot be written.
bool ExportNetcdf(const Session& session, const QString& path, const QString& history,
                  QString* error = nullptr);

// Writes the CTD rows as CSV at `path`: one header row with units in the
// column names, ISO 8601 UTC times with milliseconds, period decimals,
// empty cells for unknown values, a flag column per quantity and the
// marks' numbers and notes on the row that follows them.
bool ExportCsv(const Session& session, const QString& path, QString* error = nullptr);

// "2026-12-08T13:07:09.123Z"
QByteArray UtcText(qint64 utcMs);

} // namespace corvale
