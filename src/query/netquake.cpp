#include "query/netquake.h"

#include "core/numbers.h"
#include "query/netquake_wire.h"

namespace morvek::netquake {

namespace {

Reply DecodeServerInfo(std::string_view body, ServerType type) {
    Reader in(body);
    ServerInfo info;
    std::string address;
    unsigned char players = 0, max_players = 0, version = 0;
    if (!in.String(address) || !in.String(info.name) || !in.String(info.map) || !in.Byte(players) ||
        !in.Byte(max_players) || !in.Byte(version))
        return Malformed{};
    std::size_t colon = address.find(':');
    if (colon == std::string::npos) return Malformed{};
    info.address = address.substr(0, colon);
    info.port = address.substr(colon + 1);
    info.players = IntegerText(players);
    info.max_players = IntegerText(max_players);
    if (type == ServerType::QuakeI) info.version = IntegerText(version);
    return info;
}

Reply DecodePlayerInfo(std::string_view body) {
    Reader in(body);
    PlayerInfo player;
    unsigned char number = 0;
    std::int32_t colours = 0, frags = 0, seconds = 0;
    std::string address;
    if (!in.Byte(number) || !in.String(player.name) || !in.Long(colours) || !in.Long(frags) ||
        !in.Long(seconds) || !in.String(address))
        return Malformed{};
    // Only the first byte of the colours long counts: shirt in the high nibble, pants in the low.
    unsigned c = static_cast<unsigned>(colours) & 0xFF;
    player.shirt = IntegerText(c / 16);
    player.pants = IntegerText(c - 16 * (c / 16));
    player.frags = IntegerText(frags);
    player.time = DecimalText(static_cast<double>(seconds) / 60.0);
    std::size_t colon = address.find(':');
    if (colon == std::string::npos) {
        player.address = address;
    } else {
        player.address = address.substr(0, colon);
        player.port = address.substr(colon + 1);
    }
    return player;
}

Reply DecodeRuleInfo(std::string_view body) {
    if (body.empty()) return RulesDone{};
    Reader in(body);
    RuleInfo rule;
    if (!in.String(rule.name)) return Malformed{};
    // The value is missing when the name's terminator is the datagram's last byte.
    if (!in.AtEnd() && !in.String(rule.value)) return Malformed{};
    return rule;
}

}  // namespace

std::string ServerInfoRequest(ServerType type) {
    const bool hexen = type == ServerType::HexenII;
    return ControlDatagram(kServerInfo,
                           Writer().String(hexen ? "HEXENII" : "QUAKE").Byte(hexen ? 5 : 3).Body());
}

std::string PlayerInfoRequest(std::uint8_t player) {
    return ControlDatagram(kPlayerInfo, Writer().Byte(player).Body());
}

std::string FirstRuleRequest() {
    return ControlDatagram(kRuleInfo, Writer().String("").Body());
}

std::string NextRuleRequest(std::string_view name) {
    // The name without its terminator, cut so the length fits one byte.
    return ControlDatagram(kRuleInfo, Writer().Raw(name.substr(0, 250)).Body());
}

Reply Decode(std::string_view datagram, ServerType type) {
    if (datagram.size() < kHeaderSize) return Malformed{};
    const auto code = static_cast<unsigned char>(datagram[4]);
    std::string_view body = datagram.substr(kHeaderSize);
    switch (code) {
        case kServerInfoReply:
            return DecodeServerInfo(body, type);
        case kPlayerInfoReply:
            return DecodePlayerInfo(body);
        case kRuleInfoReply:
            return DecodeRuleInfo(body);
        default:
            return UnknownCode{code};
    }
}

}  // namespace morvek::netquake
