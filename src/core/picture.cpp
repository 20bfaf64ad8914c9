#include "core/picture.h"

#include <QJsonArray>
#include <cstdio>

#include "core/quake_text.h"
#include "core/text.h"

namespace morvek {

namespace {

// Server texts reach the terminal without their control characters.
std::string Utf8(std::string_view bytes) {
    return TerminalText(bytes);
}

std::string Pad(std::string text, std::size_t width) {
    // Width in characters of the UTF-8 text.
    std::size_t chars = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++chars;
    if (chars < width) text.append(width - chars, ' ');
    return text;
}

const char* StateName(ConnectionState state) {
    switch (state) {
        case ConnectionState::Disconnected:
            return "Disconnected";
        case ConnectionState::TryingToConnect:
            return "TryingToConnect";
        case ConnectionState::Connected:
            return "Connected";
    }
    return "Disconnected";
}

}  // namespace

std::string PictureText(const Monitor& monitor, std::uint64_t tick) {
    const ServerSnapshot& s = monitor.snapshot;
    const bool readable = monitor.options.readable_names;
    std::string out = "tick " + std::to_string(tick) + "  " + monitor.status_text + "  ping " +
                      Utf8(s.ping) + " ms\n";
    out += "Server: " + Utf8(ShownText(s.name, readable)) + "  map " + Utf8(s.map) + "  " +
           Utf8(s.address) + ":" + Utf8(s.port) + "  players " + Utf8(s.players) + "/" +
           Utf8(s.max_players) + "  version " + Utf8(s.version) + "  type " + Utf8(s.type_name) +
           "\n";
    out += "   # S Name             Sh Pa " + Pad(monitor.address_heading, 16) + " " +
           Pad(monitor.port_heading, 6) + " Time     Frags\n";
    for (const PlayerRecord& row : monitor.view.rows) {
        if (row[kName].empty()) continue;
        char id[8];
        std::snprintf(id, sizeof id, "%4s", row[kId].c_str());
        out += std::string(id) + " " + (row[kPresent] == "1" ? "+" : "-") + " " +
               Pad(Utf8(ShownName(monitor.options, row[kName])), 16) + " " +
               Pad(Utf8(row[kShirt]), 2) + " " + Pad(Utf8(row[kPants]), 2) + " " +
               Pad(Utf8(row[kAddress]), 16) + " " + Pad(Utf8(row[kPort]), 6) + " " +
               Pad(Utf8(row[kTime]), 8) + " " +
               (IsSpectator(monitor.options, row) ? std::string("S") : Utf8(row[kFrags])) + "\n";
    }
    for (const std::string& line : monitor.rules.lines) {
        out += "  rule " + Utf8(ShownRuleLine(line, readable)) + "\n";
    }
    return out;
}

QJsonObject PictureObject(const Monitor& monitor, std::uint64_t tick) {
    const ServerSnapshot& s = monitor.snapshot;
    const bool readable = monitor.options.readable_names;
    QJsonObject server{{"name", FromCp1252(ShownText(s.name, readable))},
                       {"version", FromCp1252(s.version)},
                       {"map", FromCp1252(s.map)},
                       {"address", FromCp1252(s.address)},
                       {"port", FromCp1252(s.port)},
                       {"ping", FromCp1252(s.ping)},
                       {"players", FromCp1252(s.players)},
                       {"maxPlayers", FromCp1252(s.max_players)},
                       {"type", FromCp1252(s.type_name)}};
    // With readable names, the bytes the server sent stay visible under a second key.
    if (readable) server.insert("rawName", FromCp1252(s.name));
    QJsonArray players;
    for (const PlayerRecord& row : monitor.view.rows) {
        if (row[kName].empty()) continue;
        QJsonObject player{{"id", FromCp1252(row[kId])},
                           {"present", FromCp1252(row[kPresent])},
                           {"name", FromCp1252(ShownName(monitor.options, row[kName]))},
                           {"shirt", FromCp1252(row[kShirt])},
                           {"pants", FromCp1252(row[kPants])},
                           {"address", FromCp1252(row[kAddress])},
                           {"port", FromCp1252(row[kPort])},
                           {"time", FromCp1252(row[kTime])},
                           {"frags", FromCp1252(row[kFrags])}};
        if (readable) player.insert("rawName", FromCp1252(row[kName]));
        if (monitor.options.show_spectators)
            player.insert("spectator", IsSpectator(monitor.options, row));
        players.append(player);
    }
    QJsonArray rules;
    for (const std::string& line : monitor.rules.lines)
        rules.append(FromCp1252(ShownRuleLine(line, readable)));
    return QJsonObject{{"tick", qint64(tick)},
                       {"state", QLatin1String(StateName(monitor.state))},
                       {"server", server},
                       {"players", players},
                       {"rules", rules}};
}

QJsonObject MessageObject(const std::string& title, const std::string& text) {
    return QJsonObject{
        {"message", QJsonObject{{"title", FromCp1252(title)}, {"text", FromCp1252(text)}}}};
}

}  // namespace morvek
