#include "sim/netquake_replies.h"

namespace morvek::sim {

using netquake::Writer;

std::string NetQuakeServerInfoReply(const SimState& state) {
    Writer body;
    body.String(state.announced_address).String(state.hostname).String(state.map);
    body.Byte(static_cast<unsigned char>(state.players.size()))
        .Byte(static_cast<unsigned char>(state.max_players))
        .Byte(state.type == ServerType::HexenII ? 5 : 3);
    return ControlDatagram(netquake::kServerInfoReply, body.Body());
}

std::optional<std::string> NetQuakePlayerInfoReply(const SimState& state, int player) {
    if (player < 0 || player >= static_cast<int>(state.players.size())) return std::nullopt;
    const SimPlayer& p = state.players[std::size_t(player)];
    Writer body;
    body.Byte(static_cast<unsigned char>(player))
        .String(p.name)
        .Long(((p.shirt & 15) << 4) | (p.pants & 15))
        .Long(p.frags)
        .Long(p.seconds)
        .String(p.address);
    return ControlDatagram(netquake::kPlayerInfoReply, body.Body());
}

std::string NetQuakeRuleReply(const SimState& state, std::string_view previous) {
    std::size_t next = 0;
    if (!previous.empty()) {
        next = state.rules.size();
        for (std::size_t i = 0; i < state.rules.size(); ++i)
            if (state.rules[i].first == previous) next = i + 1;
    }
    if (next >= state.rules.size()) return ControlDatagram(netquake::kRuleInfoReply, {});
    Writer body;
    body.String(state.rules[next].first).String(state.rules[next].second);
    return ControlDatagram(netquake::kRuleInfoReply, body.Body());
}

}  // namespace morvek::sim
