// NetQuake control protocol (Quake I and Hexen II): the requests the monitor sends and the
// decoding of the replies. The datagram layout and codes are in query/netquake_wire.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/player_table.h"

namespace morvek::netquake {

std::string ServerInfoRequest(ServerType type);  // types 0 and 2
std::string PlayerInfoRequest(std::uint8_t player);
std::string FirstRuleRequest();
// The request for the rule after `name`; names longer than 250 bytes are cut to fit the length
// byte.
std::string NextRuleRequest(std::string_view name);

struct ServerInfo {
    std::string address;  // text before the first ":" of the address string
    std::string port;     // text after it
    std::string name;
    std::string map;
    std::string players;      // decimal text of the byte
    std::string max_players;  // decimal text of the byte
    std::string version;      // Quake I: decimal text of the version byte; Hexen II: empty
    bool operator==(const ServerInfo&) const = default;
};

// The decoded player: fields Name, Shirt, Pants, Frags, Time, Address, Port filled; Present and
// the countdown are the committer's. `number` is the player number the server answered for,
// `seconds` the connection time as sent, `whole_address` the address string with its port.
struct PlayerInfo {
    std::string name, shirt, pants, frags, time, address, port, whole_address;
    int number = 0;
    std::int32_t seconds = 0;
    bool operator==(const PlayerInfo&) const = default;
};

struct RuleInfo {
    std::string name;
    std::string value;
    bool operator==(const RuleInfo&) const = default;
};

struct RulesDone {
    bool operator==(const RulesDone&) const = default;
};

struct UnknownCode {
    int code;
    bool operator==(const UnknownCode&) const = default;
};

// Not a control datagram (see ControlBody), a reply too short for its fields, with a string
// missing its terminator or an address without ":": skipped.
struct Malformed {
    bool operator==(const Malformed&) const = default;
};

using Reply = std::variant<Malformed, ServerInfo, PlayerInfo, RuleInfo, RulesDone, UnknownCode>;

// Never throws and never reads past the end of the datagram.
Reply Decode(std::string_view datagram, ServerType type);

}  // namespace morvek::netquake
