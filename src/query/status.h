// QuakeWorld and Quake II status protocol.
//
// Request (both games, 11 bytes): FF FF FF FF "status" 20.
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

std::string StatusRequest();

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
StatusReply DecodeQuakeWorld(std::string_view datagram);
StatusReply DecodeQuakeII(std::string_view datagram);

}  // namespace morvek::status
