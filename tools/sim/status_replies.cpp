#include "sim/status_replies.h"

#include "query/status_wire.h"

namespace morvek::sim {

namespace {

std::string Status(const SimState& state, const status::Game& game) {
    using status::Field;
    using status::KeyOf;
    using status::Setting;
    std::vector<std::pair<std::string, std::string>> settings{
        {std::string(KeyOf(game, Setting::kHostname)), state.hostname},
        {std::string(KeyOf(game, Setting::kVersion)), state.version},
        {std::string(KeyOf(game, Setting::kMap)), state.map},
        {std::string(KeyOf(game, Setting::kMaxClients)), std::to_string(state.max_players)}};
    settings.insert(settings.end(), state.rules.begin(), state.rules.end());
    std::string out(game.reply_start);
    out += status::SettingsLine(settings);
    for (const SimPlayer& p : state.players) {
        std::array<std::string, status::kFieldCount> values;
        values[std::size_t(Field::kUserId)] = std::to_string(p.user_id);
        values[std::size_t(Field::kFrags)] = std::to_string(p.frags);
        values[std::size_t(Field::kMinutes)] = std::to_string(p.seconds / 60);
        values[std::size_t(Field::kPing)] = std::to_string(p.ping);
        values[std::size_t(Field::kName)] = p.name;
        values[std::size_t(Field::kSkin)] = p.skin;
        values[std::size_t(Field::kTopColour)] = std::to_string(p.shirt);
        values[std::size_t(Field::kBottomColour)] = std::to_string(p.pants);
        out += status::PlayerLine(game, values);
    }
    return out;
}

}  // namespace

std::string BuildQuakeWorldStatus(const SimState& state) {
    return Status(state, status::kQuakeWorld);
}

std::string BuildQuakeIIStatus(const SimState& state) {
    return Status(state, status::kQuakeII);
}

}  // namespace morvek::sim
