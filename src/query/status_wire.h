// The QuakeWorld and Quake II status exchange, described once: how a reply starts, what each key
// of the settings line does, and the fields of a player line with the text that ends each. The
// decoders read replies by this description and the simulated server writes them by it.
//
// Request (both games): FF FF FF FF "status" and a blank; a QuakeWorld server asked "status 23"
// lists its spectators too (see query/status.h).
// Reply: the start below, then the settings line "\key\value\key\value...\n", then one line per
// player.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvek::status {

// One server setting acted upon, in the order the keys come.
struct Setting {
    enum Kind { kHostname, kVersion, kMap, kMaxClients, kRule };
    Kind kind;
    std::string key;
    std::string value;
    bool operator==(const Setting&) const = default;
};

struct KeyMeaning {
    std::string_view key;
    Setting::Kind kind;
};

// The fields a player line can hold.
enum class Field { kUserId, kFrags, kMinutes, kPing, kName, kSkin, kTopColour, kBottomColour };
inline constexpr std::size_t kFieldCount = 8;

// A field of a player line and the text that ends it: the decoder takes the field up to the
// first character of that text and skips the whole of it. The last field of a QuakeWorld line
// runs to the end of the datagram when its newline is missing.
struct LineField {
    Field field;
    std::string_view end;
    bool to_end = false;
};

struct Game {
    std::string_view reply_start;
    // Keys looked up in order; the first of a kind is the one a server sends.
    std::span<const KeyMeaning> keys;
    // What any other key is: a rule, or nothing (ignored).
    std::optional<Setting::Kind> other_keys;
    std::span<const LineField> line;
};

inline constexpr KeyMeaning kQuakeWorldKeys[] = {
    {"hostname", Setting::kHostname},
    {"*version", Setting::kVersion},
    {"map", Setting::kMap},
    {"maxclients", Setting::kMaxClients},
    {"fraglimit", Setting::kRule},
    {"timelimit", Setting::kRule},
    {"teamplay", Setting::kRule},
    {"samelevel", Setting::kRule},
    {"maxspectators", Setting::kRule},
    {"deathmatch", Setting::kRule},
    {"spawn", Setting::kRule},
    {"*progs", Setting::kRule},
};

// userid frags minutes ping "name" "skin" top bottom
inline constexpr LineField kQuakeWorldLine[] = {
    {Field::kUserId, " "},    {Field::kFrags, " "},
    {Field::kMinutes, " "},   {Field::kPing, " \""},
    {Field::kName, "\" \""},  {Field::kSkin, "\" "},
    {Field::kTopColour, " "}, {Field::kBottomColour, "\n", true},
};

inline constexpr KeyMeaning kQuakeIIKeys[] = {
    {"hostname", Setting::kHostname},     {"version", Setting::kVersion},
    {"mapname", Setting::kMap},           {"map", Setting::kMap},
    {"maxclients", Setting::kMaxClients},
};

// frags ping "name"
inline constexpr LineField kQuakeIILine[] = {
    {Field::kFrags, " "},
    {Field::kPing, " \""},
    {Field::kName, "\"\n"},
};

inline constexpr Game kQuakeWorld{std::string_view("\xFF\xFF\xFF\xFFn", 5), kQuakeWorldKeys,
                                  std::nullopt, kQuakeWorldLine};
inline constexpr Game kQuakeII{std::string_view("\xFF\xFF\xFF\xFFprint\n", 10), kQuakeIIKeys,
                               Setting::kRule, kQuakeIILine};

// What a key does in a game; nothing for a key that is ignored.
inline std::optional<Setting::Kind> KindOf(const Game& game, std::string_view key) {
    for (const KeyMeaning& k : game.keys)
        if (k.key == key) return k.kind;
    return game.other_keys;
}

// The key a server of the game sends for a kind of setting other than a rule.
inline std::string_view KeyOf(const Game& game, Setting::Kind kind) {
    for (const KeyMeaning& k : game.keys)
        if (k.kind == kind) return k.key;
    return {};
}

// A player line written from the values of its fields (indexed by Field).
inline std::string PlayerLine(const Game& game,
                              const std::array<std::string, kFieldCount>& values) {
    std::string line;
    for (const LineField& f : game.line) {
        line += values[std::size_t(f.field)];
        line += f.end;
    }
    return line;
}

// A settings line written from key / value pairs, in order.
inline std::string SettingsLine(const std::vector<std::pair<std::string, std::string>>& settings) {
    std::string line;
    for (const auto& [key, value] : settings) line += '\\' + key + '\\' + value;
    return line + '\n';
}

}  // namespace morvek::status
