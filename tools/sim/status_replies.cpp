#include "sim/status_replies.h"

namespace morvek::sim {

namespace {

void AddSetting(std::string& out, const std::string& key, const std::string& value) {
    out += '\\';
    out += key;
    out += '\\';
    out += value;
}

void AddSettingsLine(std::string& out, const SimState& state, const char* version_key,
                     const char* map_key) {
    AddSetting(out, "hostname", state.hostname);
    AddSetting(out, version_key, state.version);
    AddSetting(out, map_key, state.map);
    AddSetting(out, "maxclients", std::to_string(state.max_players));
    for (const auto& [key, value] : state.rules) AddSetting(out, key, value);
    out += '\n';
}

}  // namespace

std::string BuildQuakeWorldStatus(const SimState& state) {
    std::string out("\xFF\xFF\xFF\xFFn", 5);
    AddSettingsLine(out, state, "*version", "map");
    for (const SimPlayer& p : state.players) {
        out += std::to_string(p.user_id) + ' ' + std::to_string(p.frags) + ' ' +
               std::to_string(p.seconds / 60) + ' ' + std::to_string(p.ping) + " \"" + p.name +
               "\" \"" + p.skin + "\" " + std::to_string(p.shirt) + ' ' + std::to_string(p.pants) +
               '\n';
    }
    return out;
}

std::string BuildQuakeIIStatus(const SimState& state) {
    std::string out("\xFF\xFF\xFF\xFFprint\n", 10);
    AddSettingsLine(out, state, "version", "mapname");
    for (const SimPlayer& p : state.players)
        out += std::to_string(p.frags) + ' ' + std::to_string(p.ping) + " \"" + p.name + "\"\n";
    return out;
}

}  // namespace morvek::sim
