#include "sim/netquake_replies.h"

namespace morvek::sim {

namespace {
void PutString(std::string& out, std::string_view text) {
    out.append(text);
    out += '\0';
}
void PutLong(std::string& out, std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}
}  // namespace

std::string ControlDatagram(unsigned char code, std::string_view body) {
    std::size_t length = 5 + body.size();
    std::string out;
    out += char(0x80);
    out += char(0x00);
    out += char((length >> 8) & 0xFF);
    out += char(length & 0xFF);
    out += char(code);
    out.append(body);
    return out;
}

std::string NetQuakeServerInfoReply(const SimState& state) {
    std::string body;
    PutString(body, state.announced_address);
    PutString(body, state.hostname);
    PutString(body, state.map);
    body += char(state.players.size());
    body += char(state.max_players);
    body += char(state.type == ServerType::HexenII ? 5 : 3);
    return ControlDatagram(0x83, body);
}

std::optional<std::string> NetQuakePlayerInfoReply(const SimState& state, int player) {
    if (player < 0 || player >= static_cast<int>(state.players.size())) return std::nullopt;
    const SimPlayer& p = state.players[std::size_t(player)];
    std::string body;
    body += char(player);
    PutString(body, p.name);
    PutLong(body, ((p.shirt & 15) << 4) | (p.pants & 15));
    PutLong(body, p.frags);
    PutLong(body, p.seconds);
    PutString(body, p.address);
    return ControlDatagram(0x84, body);
}

std::string NetQuakeRuleReply(const SimState& state, std::string_view previous) {
    std::size_t next = 0;
    if (!previous.empty()) {
        next = state.rules.size();
        for (std::size_t i = 0; i < state.rules.size(); ++i)
            if (state.rules[i].first == previous) next = i + 1;
    }
    if (next >= state.rules.size()) return ControlDatagram(0x85, {});
    std::string body;
    PutString(body, state.rules[next].first);
    PutString(body, state.rules[next].second);
    return ControlDatagram(0x85, body);
}

}  // namespace morvek::sim
