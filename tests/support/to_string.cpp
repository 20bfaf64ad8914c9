#include "support/to_string.h"

#include <QDebugStateSaver>

QDebug operator<<(QDebug debug, const std::string& bytes) {
    QDebugStateSaver saver(debug);
    QByteArray out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else {
            out += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
        }
    }
    debug.noquote().nospace() << out << '"';
    return debug;
}

namespace morvek::status {

QDebug operator<<(QDebug debug, const Setting& s) {
    QDebugStateSaver saver(debug);
    return debug.nospace() << "{" << int(s.kind) << ", " << s.key << ", " << s.value << "}";
}

QDebug operator<<(QDebug debug, const Player& p) {
    debug << std::array{p.frags, p.time, p.ping, p.name, p.skin, p.shirt, p.pants};
    return p.spectator ? debug << " spectator" : debug;
}

QDebug operator<<(QDebug debug, const StatusReply& r) {
    QDebugStateSaver saver(debug);
    return debug.nospace() << "{valid " << r.valid << ", " << r.settings << ", " << r.players
                           << "}";
}

}  // namespace morvek::status

namespace morvek::netquake {

QDebug operator<<(QDebug debug, const Reply& reply) {
    QDebugStateSaver saver(debug);
    debug.nospace();
    if (auto* s = std::get_if<ServerInfo>(&reply))
        return debug << "ServerInfo" << std::array{s->address, s->port,        s->name,   s->map,
                                                   s->players, s->max_players, s->version};
    if (auto* p = std::get_if<PlayerInfo>(&reply))
        return debug << "PlayerInfo" << std::array{p->name, p->shirt,   p->pants, p->frags,
                                                   p->time, p->address, p->port};
    if (auto* r = std::get_if<RuleInfo>(&reply))
        return debug << "RuleInfo" << std::array{r->name, r->value};
    if (auto* u = std::get_if<UnknownCode>(&reply))
        return debug << "UnknownCode(" << u->code << ")";
    return debug << (std::holds_alternative<RulesDone>(reply) ? "RulesDone" : "Malformed");
}

}  // namespace morvek::netquake
