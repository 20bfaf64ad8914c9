#include "core/monitor.h"

#include "core/numbers.h"
#include "core/quake_text.h"

namespace morvek {

Rgb StatusColour(ConnectionState state) {
    switch (state) {
        case ConnectionState::Disconnected:
            return {255, 0, 0};
        case ConnectionState::TryingToConnect:
            return {255, 128, 0};
        case ConnectionState::Connected:
            return {0, 255, 0};
    }
    return {255, 0, 0};
}

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

Rgb NetColour(NetLamp lamp) {
    switch (lamp) {
        case NetLamp::Idle:
            return {0, 128, 0};
        case NetLamp::Sending:
            return {255, 0, 0};
        case NetLamp::Receiving:
            return {0, 255, 0};
    }
    return {0, 128, 0};
}

MenuState ComputeMenuState(ConnectionState state, bool recording) {
    MenuState m;
    m.connect = state == ConnectionState::Disconnected;
    m.disconnect = state == ConnectionState::Connected;
    m.rules = state == ConnectionState::Connected;
    m.setup = state != ConnectionState::TryingToConnect;
    m.open = state == ConnectionState::Disconnected && !recording;
    m.record = !recording;
    m.stop_record = recording;
    return m;
}

void ShowState(Monitor& monitor, ConnectionState state) {
    monitor.state = state;
    monitor.status_text = StatusText(state);
}

void ApplyTypeCaptions(Monitor& monitor, ServerType type) {
    const ServerTypeInfo* info = FindServerType(type);
    if (!info) return;
    monitor.snapshot.type_name = info->panel_name;
    monitor.address_heading = info->address_heading;
    monitor.port_heading = info->port_heading;
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
    monitor.player.buttons.fill(false);
    monitor.player.frame = false;
    monitor.player.label = false;
    monitor.player.position = "0";
}

void EnableLogPlayer(Monitor& monitor) {
    monitor.player.buttons.fill(true);
    monitor.player.frame = true;
    monitor.player.label = true;
}

void SetMaxPlayers(Monitor& monitor, std::string text) {
    if (text == monitor.snapshot.max_players) return;
    monitor.snapshot.max_players = std::move(text);
    double value = LeadingNumber(monitor.snapshot.max_players);
    if (value == 0 || monitor.options.serie_max_player != 1) return;
    auto series = ToInt16(value);
    if (!series) return;  // a count no series number can hold leaves the graph alone
    monitor.graph.SetColumnCount(*series);
    SetupGraph(monitor.graph);
}

bool IsSpectator(const Options& options, const PlayerRecord& row) {
    return options.show_spectators && IsSpectatorName(row[kName]);
}

std::string ShownName(const Options& options, std::string_view name) {
    if (options.show_spectators && IsSpectatorName(name)) name.remove_prefix(kSpectatorMark.size());
    return ShownText(name, options.readable_names);
}

}  // namespace morvek
