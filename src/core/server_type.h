// The server type: which game the monitored server runs. One table holds everything that
// depends on it (protocol, panel name, setup label, usual port, player-panel and report
// headings); every other place asks this table.
#pragma once

#include <array>
#include <cstdint>

namespace morvek {

// The type code as stored and logged: 0 Quake I, 1 QuakeWorld, 2 Hexen II, 3 Quake II. Any other
// byte can come from the command line or the settings and is kept as it is: it has no protocol,
// no captions and no setup option.
enum class ServerType : std::uint8_t { QuakeI = 0, QuakeWorld = 1, HexenII = 2, QuakeII = 3 };

// How a server of the type is polled.
enum class Protocol { None, NetQuake, QuakeWorld, QuakeII };

struct ServerTypeInfo {
    ServerType type;
    Protocol protocol;
    const char* panel_name;       // the panel's type field and the {ServerType} placeholder
    const char* setup_label;      // the setup dialog's option
    const char* default_port;     // put into the setup dialog's port box when the type is chosen
    const char* address_heading;  // player panel heading 4
    const char* port_heading;     // player panel heading 5
    const char* report_address;   // printed report headings
    const char* report_port;
};

inline constexpr std::array<ServerTypeInfo, 4> kServerTypes = {{
    {ServerType::QuakeI, Protocol::NetQuake, "Quake I", "Quake I", "26000", "Net Address", "Port",
     "NetAddress", "Port"},
    {ServerType::QuakeWorld, Protocol::QuakeWorld, "QuakeWd", "QuakeWorld", "27000", "Skin", "Ping",
     "Skin", "Ping"},
    {ServerType::HexenII, Protocol::NetQuake, "Hexen II", "Hexen II", "26900", "Net Address",
     "Port", "NetAddress", "Port"},
    {ServerType::QuakeII, Protocol::QuakeII, "Quake II", "Quake II", "27910", "Skin", "Ping",
     "Skin", "Ping"},
}};

constexpr std::uint8_t TypeCode(ServerType type) {
    return static_cast<std::uint8_t>(type);
}

// The table row of a known type; nullptr for any other code.
constexpr const ServerTypeInfo* FindServerType(ServerType type) {
    return TypeCode(type) < kServerTypes.size() ? &kServerTypes[TypeCode(type)] : nullptr;
}

constexpr Protocol ProtocolOf(ServerType type) {
    const ServerTypeInfo* info = FindServerType(type);
    return info ? info->protocol : Protocol::None;
}

// Quake I and Hexen II: control datagrams, sixteen player slots.
constexpr bool IsNetQuake(ServerType type) {
    return ProtocolOf(type) == Protocol::NetQuake;
}

// QuakeWorld and Quake II: one connectionless "status" request per poll.
constexpr bool IsStatusProtocol(ServerType type) {
    const Protocol p = ProtocolOf(type);
    return p == Protocol::QuakeWorld || p == Protocol::QuakeII;
}

}  // namespace morvek
