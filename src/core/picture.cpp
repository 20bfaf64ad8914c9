#include "core/picture.h"

#include <cstdio>

#include "core/numbers.h"
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

// NetQuake's fractional minutes as m:ss; the other servers' whole minutes as sent.
std::string TimeColumn(ServerType type, std::string_view minutes) {
    const auto seconds = ConnectedSeconds(minutes);
    if (IsNetQuake(type) && seconds) return MinutesSecondsText(*seconds);
    return Utf8(minutes);
}

}  // namespace

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

std::string PictureText(const Monitor& monitor, std::uint64_t tick) {
    const ServerSnapshot& s = monitor.snapshot;
    const bool readable = monitor.options.readable_names;
    std::string out = "tick " + std::to_string(tick) + "  " + monitor.status_text + "  ping " +
                      Utf8(s.ping) + " ms\n";
    out += "Server: " + Utf8(ShownText(s.name, readable)) + "  map " + Utf8(s.map) + "  " +
           Utf8(s.address) + ":" + Utf8(s.port) + "  players " + Utf8(s.players) + "/" +
           Utf8(s.max_players) + "  version " + Utf8(s.version) + "  type " + Utf8(s.type_name) +
           "\n";
    out += "   # S Name             Sh Pa " + Pad(monitor.shown_type->address_heading, 16) + " " +
           Pad(monitor.shown_type->port_heading, 6) + " Time     Frags\n";
    for (const PlayerRecord& row : monitor.view.rows) {
        if (row[kName].empty()) continue;
        char id[8];
        std::snprintf(id, sizeof id, "%4s", row[kId].c_str());
        out += std::string(id) + " " + (row[kPresent] == "1" ? "+" : "-") + " " +
               Pad(Utf8(ShownName(monitor.options, row[kName])), 16) + " " +
               Pad(Utf8(row[kShirt]), 2) + " " + Pad(Utf8(row[kPants]), 2) + " " +
               Pad(Utf8(row[kAddress]), 16) + " " + Pad(Utf8(row[kPort]), 6) + " " +
               Pad(TimeColumn(monitor.server_type, row[kTime]), 8) + " " +
               (IsSpectator(monitor.options, row) ? std::string("S") : Utf8(row[kFrags])) + "\n";
    }
    for (const std::string& line : monitor.rules.lines) {
        out += "  rule " + Utf8(ShownRuleLine(line, readable)) + "\n";
    }
    return out;
}

namespace {

// A JSON object written field by field: the callers give the keys in the order QJsonObject
// keeps them (sorted), so the text is the one QJsonDocument would write.
class JsonObjectText {
  public:
    explicit JsonObjectText(std::string& out) : out_(out) { out_ += '{'; }
    ~JsonObjectText() { out_ += '}'; }
    std::string& Key(const char* key) {
        if (!first_) out_ += ',';
        first_ = false;
        out_ += '"';
        out_ += key;
        out_ += "\":";
        return out_;
    }
    void Text(const char* key, std::string_view bytes) { AppendJsonString(Key(key), bytes); }

  private:
    std::string& out_;
    bool first_ = true;
};

}  // namespace

std::string PictureJson(const Monitor& monitor, std::uint64_t tick) {
    const ServerSnapshot& s = monitor.snapshot;
    const bool readable = monitor.options.readable_names;
    std::string out;
    out.reserve(4096);
    {
        JsonObjectText picture(out);
        picture.Key("players") += '[';
        bool first = true;
        for (const PlayerRecord& row : monitor.view.rows) {
            if (row[kName].empty()) continue;
            if (!first) out += ',';
            first = false;
            JsonObjectText player(out);
            player.Text("address", row[kAddress]);
            player.Text("frags", row[kFrags]);
            player.Text("id", row[kId]);
            player.Text("name", ShownName(monitor.options, row[kName]));
            player.Text("pants", row[kPants]);
            player.Text("port", row[kPort]);
            player.Text("present", row[kPresent]);
            // With readable names, the bytes the server sent stay visible under a second key.
            if (readable) player.Text("rawName", row[kName]);
            // "time" keeps the minutes as held; whole seconds are easier to read and compute with.
            if (const auto seconds = ConnectedSeconds(row[kTime]))
                player.Key("seconds") += std::to_string(*seconds);
            player.Text("shirt", row[kShirt]);
            if (monitor.options.show_spectators)
                player.Key("spectator") += IsSpectator(monitor.options, row) ? "true" : "false";
            player.Text("time", row[kTime]);
        }
        out += ']';
        picture.Key("rules") += '[';
        first = true;
        for (const std::string& line : monitor.rules.lines) {
            if (!first) out += ',';
            first = false;
            AppendJsonString(out, ShownRuleLine(line, readable));
        }
        out += ']';
        {
            picture.Key("server");
            JsonObjectText server(out);
            server.Text("address", s.address);
            server.Text("map", s.map);
            server.Text("maxPlayers", s.max_players);
            server.Text("name", ShownText(s.name, readable));
            server.Text("ping", s.ping);
            server.Text("players", s.players);
            server.Text("port", s.port);
            if (readable) server.Text("rawName", s.name);
            server.Text("type", s.type_name);
            server.Text("version", s.version);
        }
        picture.Key("state") += std::string("\"") + StateName(monitor.state) + "\"";
        picture.Key("tick") += std::to_string(tick);
    }
    return out;
}

QJsonObject MessageObject(const std::string& title, const QString& text) {
    return QJsonObject{{"message", QJsonObject{{"title", FromCp1252(title)}, {"text", text}}}};
}

}  // namespace morvek
