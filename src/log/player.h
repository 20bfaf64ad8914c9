// The log player: "&Open..." shows a ".mv" log's server in the panel and loads its first record;
// the six buttons "|<" "<<" "<" ">" ">>" ">|" move through the records, and every step loads the
// record into the server panel and the player table exactly where the network decoders write
// them, refilling the frag graph around it. Every step opens the file read-only, reads what it
// needs at fixed offsets and closes it again.
#pragma once

#include <cstdint>
#include <string>

#include "core/hooks.h"
#include "core/monitor.h"
#include "platform/dialogs.h"

namespace morvek {

// Records in the log file at `path` (0 when it cannot be read).
std::int64_t LogRecordCount(const QString& path);

// "&Open...": asks for an existing log (cancel empties LogPath and changes nothing else), turns
// recording off and playback on, shows the header's server and type captions, loads the first
// record, updates the menu and enables the player. A log without any record leaves the six
// buttons disabled (there is nowhere to move).
void OpenLog(Monitor& monitor, platform::Dialogs& dialogs, MonitorHooks& hooks);

// A player button, 0 to 5: first, page back, previous, next, page forward, last. Sets the
// buttons' enabled flags and the position caption, then loads that position with the hourglass
// on. Any other index reloads the current position.
void StepReplay(Monitor& monitor, MonitorHooks& hooks, int index);

// Loads record `position` (0-based) of LogPath: the map, the player counts (the max-players
// write runs the max-players rule) and the 64 slots, then rebuilds the view and shows the
// players. While the graph is visible its rows are refilled with the window of records around
// the position and the current record's row is labelled "A". A position outside the file is
// brought to the nearest record (the caller's variable changes too); a file that cannot be opened
// changes nothing.
void LoadLogPosition(Monitor& monitor, MonitorHooks& hooks, std::int32_t& position);

}  // namespace morvek
