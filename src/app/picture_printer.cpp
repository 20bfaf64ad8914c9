#include "app/picture_printer.h"

#include <cstdio>

#include "core/text.h"

namespace morvek {

namespace {

std::string Utf8(std::string_view bytes) {
    return Cp1252ToUtf8(bytes);
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
    std::string out = "tick " + std::to_string(tick) + "  " + monitor.status_text + "  ping " +
                      Utf8(s.ping) + " ms\n";
    out += "Server: " + Utf8(s.name) + "  map " + Utf8(s.map) + "  " + Utf8(s.address) + ":" +
           Utf8(s.port) + "  players " + Utf8(s.players) + "/" + Utf8(s.max_players) +
           "  version " + Utf8(s.version) + "  type " + Utf8(s.type_name) + "\n";
    out += "   # S Name             Sh Pa " + Pad(monitor.address_heading, 16) + " " +
           Pad(monitor.port_heading, 6) + " Time     Frags\n";
    for (const PlayerRecord& row : monitor.view.rows) {
        if (row[kName].empty()) continue;
        char id[8];
        std::snprintf(id, sizeof id, "%4s", row[kId].c_str());
        out += std::string(id) + " " + (row[kPresent] == "1" ? "+" : "-") + " " +
               Pad(Utf8(row[kName]), 16) + " " + Pad(Utf8(row[kShirt]), 2) + " " +
               Pad(Utf8(row[kPants]), 2) + " " + Pad(Utf8(row[kAddress]), 16) + " " +
               Pad(Utf8(row[kPort]), 6) + " " + Pad(Utf8(row[kTime]), 8) + " " + Utf8(row[kFrags]) +
               "\n";
    }
    for (const std::string& line : monitor.rules.lines) {
        std::string shown = Utf8(line);
        for (char& c : shown)
            if (c == '\t') c = ' ';
        out += "  rule " + shown + "\n";
    }
    return out;
}

std::string PictureJson(const Monitor& monitor, std::uint64_t tick) {
    const ServerSnapshot& s = monitor.snapshot;
    std::string out = "{\"tick\":" + std::to_string(tick) +
                      ",\"state\":" + JsonString(StateName(monitor.state)) + ",\"server\":{";
    out += "\"name\":" + JsonString(s.name) + ",\"version\":" + JsonString(s.version) +
           ",\"map\":" + JsonString(s.map) + ",\"address\":" + JsonString(s.address) +
           ",\"port\":" + JsonString(s.port) + ",\"ping\":" + JsonString(s.ping) +
           ",\"players\":" + JsonString(s.players) +
           ",\"maxPlayers\":" + JsonString(s.max_players) + ",\"type\":" + JsonString(s.type_name) +
           "},\"players\":[";
    bool first = true;
    for (const PlayerRecord& row : monitor.view.rows) {
        if (row[kName].empty()) continue;
        if (!first) out += ",";
        first = false;
        out += "{\"id\":" + JsonString(row[kId]) + ",\"present\":" + JsonString(row[kPresent]) +
               ",\"name\":" + JsonString(row[kName]) + ",\"shirt\":" + JsonString(row[kShirt]) +
               ",\"pants\":" + JsonString(row[kPants]) +
               ",\"address\":" + JsonString(row[kAddress]) + ",\"port\":" + JsonString(row[kPort]) +
               ",\"time\":" + JsonString(row[kTime]) + ",\"frags\":" + JsonString(row[kFrags]) +
               "}";
    }
    out += "],\"rules\":[";
    for (std::size_t i = 0; i < monitor.rules.lines.size(); ++i) {
        if (i) out += ",";
        out += JsonString(monitor.rules.lines[i]);
    }
    out += "]}";
    return out;
}

std::string MessageJson(const std::string& title, const std::string& text) {
    return "{\"message\":{\"title\":" + JsonString(title) + ",\"text\":" + JsonString(text) + "}}";
}

}  // namespace morvek
