#include "sim/netquake_replies.h"

namespace morvek::sim {

std::string NetQuakeServerInfoReply(const SimState& state) {
    return netquake::Encode(netquake::ServerInfoBody{
        state.announced_address, state.hostname, state.map,
        static_cast<unsigned char>(state.players.size()),
        static_cast<unsigned char>(state.max_players),
        static_cast<unsigned char>(state.type == ServerType::HexenII ? 5 : 3)});
}

std::optional<std::string> NetQuakePlayerInfoReply(const SimState& state, int player) {
    if (player < 0 || player >= static_cast<int>(state.players.size())) return std::nullopt;
    const SimPlayer& p = state.players[std::size_t(player)];
    return netquake::Encode(netquake::PlayerInfoBody{static_cast<unsigned char>(player), p.name,
                                                     ((p.shirt & 15) << 4) | (p.pants & 15),
                                                     p.frags, p.seconds, p.address});
}

std::string NetQuakeRuleReply(const SimState& state, std::string_view previous) {
    std::size_t next = 0;
    if (!previous.empty()) {
        next = state.rules.size();
        for (std::size_t i = 0; i < state.rules.size(); ++i)
            if (state.rules[i].first == previous) next = i + 1;
    }
    if (next >= state.rules.size()) return ControlDatagram(netquake::kRuleInfoReply, {});
    return netquake::Encode(
        netquake::RuleInfoBody{state.rules[next].first, state.rules[next].second});
}

}  // namespace morvek::sim
