#pragma once
// What a line received on the CTD port turned out to be, as the raw archive
// records it. Shared by the record stream and the archive.

namespace corvale {

enum class CtdLineStatus {
    Ok,        // three fields, each a number: a record the station applies
    Malformed, // any other line, the empty line included
    Overlong,  // longer than the stream's longest record; the station drops it
    Partial,   // a piece of a line still going on; the rest follows
};

} // namespace corvale
