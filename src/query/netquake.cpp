#include "query/netquake.h"

#include "core/numbers.h"
#include "query/netquake_wire.h"

namespace morvek::netquake {

namespace {

Reply DecodeServerInfo(std::string_view bytes, ServerType type) {
    const auto body = DecodeBody<ServerInfoBody>(bytes);
    if (!body) return Malformed{};
    const std::size_t colon = body->address.find(':');
    if (colon == std::string::npos) return Malformed{};
    ServerInfo info;
    info.address = body->address.substr(0, colon);
    info.port = body->address.substr(colon + 1);
    info.name = body->name;
    info.map = body->map;
    info.players = IntegerText(body->players);
    info.max_players = IntegerText(body->max_players);
    if (type == ServerType::QuakeI) info.version = IntegerText(body->protocol);
    return info;
}

Reply DecodePlayerInfo(std::string_view bytes) {
    const auto body = DecodeBody<PlayerInfoBody>(bytes);
    if (!body) return Malformed{};
    PlayerInfo player;
    player.name = body->name;
    const unsigned c = static_cast<unsigned>(body->colours) & 0xFF;
    player.shirt = IntegerText(c / 16);
    player.pants = IntegerText(c - 16 * (c / 16));
    player.frags = IntegerText(body->frags);
    player.time = DecimalText(static_cast<double>(body->seconds) / 60.0);
    player.number = body->number;
    player.seconds = body->seconds;
    player.whole_address = body->address;
    const std::size_t colon = body->address.find(':');
    player.address = body->address.substr(0, colon);
    if (colon != std::string::npos) player.port = body->address.substr(colon + 1);
    return player;
}

Reply DecodeRuleInfo(std::string_view bytes) {
    if (bytes.empty()) return RulesDone{};
    const auto body = DecodeBody<RuleInfoBody>(bytes);
    if (!body) return Malformed{};
    return RuleInfo{body->name, body->value};
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
    const std::optional<std::string_view> body = ControlBody(datagram);
    if (!body) return Malformed{};
    const auto code = static_cast<unsigned char>(datagram[4]);
    switch (code) {
        case kServerInfoReply:
            return DecodeServerInfo(*body, type);
        case kPlayerInfoReply:
            return DecodePlayerInfo(*body);
        case kRuleInfoReply:
            return DecodeRuleInfo(*body);
        default:
            return UnknownCode{code};
    }
}

}  // namespace morvek::netquake
