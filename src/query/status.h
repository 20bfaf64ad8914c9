// QuakeWorld and Quake II status protocol.
//
// Request (both games, 11 bytes): FF FF FF FF "status" 20. A QuakeWorld server asked
// FF FF FF FF "status 23" lists its spectators too: every line then ends with one more quoted field
// (the team), and a spectator's line carries frags -9999, a negative ping, the name after "\s\",
// an empty skin and colours 0 0. (Asked "status 31", the frags read "S" and the name has no mark.)
// A server that does not know the number answers as to "status".
//
// The replies' layout, keys and player fields are described in query/status_wire.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/player_table.h"
#include "query/status_wire.h"

namespace morvek::status {

// With `spectators`, the QuakeWorld request that lists spectators too ("status 23").
std::string StatusRequest(bool spectators = false);

// No real server's status reply comes near this (Quake II about 1.4 KB, QuakeWorld about 8 KB): a
// larger datagram is not decoded at all.
inline constexpr std::size_t kMaxStatusReply = 16384;

// A decoded player: frags, ping and name for both games; time (minutes), skin and the two colours
// for QuakeWorld only (empty for Quake II). `user_id`: QuakeWorld's user id as sent; Quake II:
// which of the players of this name the line is, "0" for the first.
struct Player {
    std::string frags, time, ping, name, skin, shirt, pants, user_id;
    // A QuakeWorld spectator: frags "S" or the name marked "\s\" (the mark stays in the name).
    bool spectator = false;
    bool operator==(const Player&) const = default;
};

struct StatusReply {
    // false when the first byte is not FF or the datagram is larger than kMaxStatusReply: nothing
    // is decoded
    bool valid = false;
    std::vector<Setting> settings;
    std::vector<Player> players;
    bool operator==(const StatusReply&) const = default;
};

// Decode the whole datagram (not only its first 1000 bytes), read as if blanks followed it.
// Malformed text never makes the decoder fail, loop forever or read past the end: a player step
// whose blank or quote is missing is skipped, and a player line whose name cannot be read (no
// double quote left in the datagram) is not returned.
// With `spectators` (the reply to "status 23"), the settings end at the first newline, so the
// "\" of a spectator's mark is not read as one more setting.
StatusReply DecodeQuakeWorld(std::string_view datagram, bool spectators = false);
StatusReply DecodeQuakeII(std::string_view datagram);

}  // namespace morvek::status
