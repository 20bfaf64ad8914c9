// QuakeWorld and Quake II status protocol.
//
// Request (both games, 11 bytes): FF FF FF FF "status" 20. A QuakeWorld server asked
// FF FF FF FF "status 23" lists its spectators too: every line then ends with one more quoted field
// (the team), and a spectator's line carries frags -9999, a negative ping, the name after "\s\",
// an empty skin and colours 0 0. (Asked "status 31", the frags read "S" and the name has no mark.)
// A server that does not know the number answers as to "status".
//
// QuakeWorld reply: FF FF FF FF, a reply type character, then the settings line
//   \key\value\key\value...\n
// and one line per player:
//   userid frags minutes ping "name" "skin" topcolour bottomcolour\n
//
// Quake II reply: FF FF FF FF and the reply type text up to a newline, the settings line as
// above, and one line per player:
//   frags ping "name"\n
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/player_table.h"

namespace morvek::status {

// With `spectators`, the QuakeWorld request that lists spectators too ("status 23").
std::string StatusRequest(bool spectators = false);

// No real server's status reply comes near this (Quake II about 1.4 KB, QuakeWorld about 8 KB): a
// larger datagram is not decoded at all.
inline constexpr std::size_t kMaxStatusReply = 16384;

// One server setting acted upon, in the order the keys come.
struct Setting {
    enum Kind { kHostname, kVersion, kMap, kMaxClients, kRule };
    Kind kind;
    std::string key;
    std::string value;
    bool operator==(const Setting&) const = default;
};

// A decoded player: Frags, Port (ping) and Name for both games; Time, Address (skin), Shirt and
// Pants for QuakeWorld only (empty for Quake II).
struct Player {
    std::string frags, time, port, name, address, shirt, pants;
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
