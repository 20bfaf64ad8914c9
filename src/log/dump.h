// `morvek --dump-log FILE`: a log as JSON lines, for scripts and spreadsheets. The first line is
// the header (with the record count), then one line per record, decoded by the same reader as
// the player: map, counts, hour, minute and the 64 entries with their numbers unpacked.
#pragma once

#include <QString>
#include <ostream>
#include <string>

namespace morvek {

// Prints the log at `path` to `out`. Returns 0, or 1 with a message on `err` when the file cannot
// be opened or read.
int DumpLog(const QString& path, std::ostream& out, std::ostream& err);

}  // namespace morvek
