#include "core/monitor.h"

#include "core/numbers.h"
#include "core/quake_text.h"

namespace morvek {

const char* StatusText(ConnectionState state) {
    switch (state) {
        case ConnectionState::Disconnected:
            return "Disconnected";
        case ConnectionState::TryingToConnect:
            return "Trying to connect";
        case ConnectionState::Connected:
            return "Connected";
    }
    return "Disconnected";
}

void ShowState(Monitor& monitor, ConnectionState state) {
    monitor.state = state;
    monitor.status_text = StatusText(state);
}

void ApplyTypeCaptions(Monitor& monitor, ServerType type) {
    const ServerTypeInfo* info = FindServerType(type);
    if (!info) return;
    monitor.snapshot.type_name = info->panel_name;
    monitor.shown_type = info;
}

void ResetServerPanel(Monitor& monitor) {
    auto& s = monitor.snapshot;
    s.name.clear();
    s.address.clear();
    s.port.clear();
    s.map.clear();
    SetMaxPlayers(monitor, "");
    s.players.clear();
    s.version.clear();
    monitor.status_text = "Disconnected";
    ApplyTypeCaptions(monitor, monitor.server_type);
}

void ResetLogPlayer(Monitor& monitor) {
    monitor.log_open = false;
    monitor.replay = {0, false, false};
}

void SetMaxPlayers(Monitor& monitor, std::string text) {
    if (text == monitor.snapshot.max_players) return;
    monitor.snapshot.max_players = std::move(text);
    double value = LeadingNumber(monitor.snapshot.max_players);
    if (value == 0 || monitor.options.series_follow_max_players != 1) return;
    auto series = ToInt16(value);
    if (!series) return;  // a count no series number can hold leaves the graph alone
    monitor.graph.SetColumnCount(*series);
    SetupGraph(monitor.graph);
}

bool IsSpectator(const Options& options, const PlayerRecord& row) {
    return options.show_spectators && IsSpectatorName(row[kName]);
}

std::string_view NameWithoutMark(const Options& options, std::string_view name) {
    if (options.show_spectators && IsSpectatorName(name)) name.remove_prefix(kSpectatorMark.size());
    return name;
}

std::string ShownName(const Options& options, std::string_view name) {
    return ShownText(NameWithoutMark(options, name), options.readable_names);
}

}  // namespace morvek
