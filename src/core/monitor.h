// The monitor's picture as plain data: server type, snapshot, player table and view, the
// connection state, the two lamps, the recording / playback / publishing indicators, the shared
// options, the frag graph and the rules list. Widgets and the headless printer follow this model;
// nothing reads state back from a widget.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/frag_graph.h"
#include "core/player_table.h"
#include "core/rules.h"

namespace morvek {

// The server panel's fields, as text.
struct ServerSnapshot {
    std::string name;         // txtSvrName
    std::string version;      // txtSvrVersion
    std::string map;          // txtSvrMap
    std::string address;      // txtSvrIP
    std::string port;         // txtSvrPort
    std::string ping;         // txtPing
    std::string players;      // txtSvrPlayers
    std::string max_players;  // txtSvrMaxPlayers
    std::string type_name;    // txtType
};

enum class ConnectionState { Disconnected, TryingToConnect, Connected };

// The traffic lamp: dark green at rest, red while a tick sends, bright green while a datagram is
// handled.
enum class NetLamp { Idle, Sending, Receiving };

struct Rgb {
    int r, g, b;
    // R + 256 G + 65536 B, as colours are compared.
    int Packed() const { return r + 256 * g + 65536 * b; }
    bool operator==(const Rgb&) const = default;
};

Rgb StatusColour(ConnectionState state);
const char* StatusText(ConnectionState state);
Rgb NetColour(NetLamp lamp);

// Options shared by the subsystems (the settings that are not held by a timer, the socket or
// the graph).
struct Options {
    std::uint8_t player_sorting = 0;
    std::int16_t keep_disconnected = 1;  // ManteinDisconnectedPlayerInfo
    std::int16_t disconnect_on_map_change = 0;
    std::int16_t serie_max_player = 1;
    std::int16_t serie_fixed = 16;
    bool keep_trying = false;  // KeepTrying: after a timeout, go on polling instead of stopping
    std::string html_output;
    std::string html_template = "standard.htm";
    // Names and the server name shown as players read them (core/quake_text.h); off shows the
    // bytes as Windows-1252.
    bool readable_names = true;
    // QuakeWorld servers are asked for spectators too, and spectators are shown apart.
    bool show_spectators = false;
    // The window's alerts (core/alerts.h): one bit per event kind that raises a desktop
    // notification, the names whose joins do ("" or none: every join), and whether closing the
    // window only hides it in the tray.
    std::uint8_t alert_events = 0;
    std::string alert_watch_list = {};
    bool close_to_tray = false;

    bool operator==(const Options&) const = default;
};

// Whether a row is a spectator shown apart (the spectators switch is on).
bool IsSpectator(const Options& options, const PlayerRecord& row);
// A player's name as a person reads it: without the spectator mark while spectators are shown
// apart, and readable while names are.
std::string ShownName(const Options& options, std::string_view name);

// Enabled flags of the state-dependent menu items.
struct MenuState {
    bool connect = true;
    bool disconnect = false;
    bool rules = false;
    bool setup = true;
    bool open = true;
    bool record = true;
    bool stop_record = false;
    bool operator==(const MenuState&) const = default;
};

MenuState ComputeMenuState(ConnectionState state, bool recording);

// The log player's six buttons ("|<" "<<" "<" ">" ">>" ">|"), its frame and its position label,
// whose caption is the 1-based number of the record last loaded.
struct LogPlayerControls {
    std::array<bool, 6> buttons{};
    bool frame = false;
    bool label = false;
    std::string position = "1";
};

// Running totals since the program started, for the metrics endpoint.
struct PollCounters {
    std::uint64_t polls = 0;          // poll ticks
    std::uint64_t replies = 0;        // datagrams received
    std::uint64_t timeouts = 0;       // timeout intervals that ran out
    std::uint64_t socket_errors = 0;  // errors reported by the socket
    bool silent = false;              // a timeout ran out and nothing has answered since
};

struct Monitor {
    ServerType server_type = ServerType::QuakeI;
    ServerSnapshot snapshot;
    std::string address_heading = "Net Address";  // Label3(4)
    std::string port_heading = "Port";            // Label3(5)
    PlayerTable table;
    PlayerView view;

    ConnectionState state = ConnectionState::Disconnected;
    // lblStatus: follows the state, except that a server panel reset writes "Disconnected"
    // without touching the lamp.
    std::string status_text = "Disconnected";
    NetLamp net = NetLamp::Idle;
    bool recording = false;   // pctSave visible
    bool log_open = false;    // pctOpen visible
    bool web_active = false;  // pctWeb visible
    QString log_path;         // LogPath: the log file's name as the user chose it

    Options options;
    FragGraph graph;
    RulesList rules;
    MenuState menu;
    LogPlayerControls player;

    // Tick count of the last status request, for the ping; 0 when none is pending.
    std::uint64_t ping_sent_at = 0;

    PollCounters counters;
};

// Shows a connection state: the lamp and the label.
void ShowState(Monitor& monitor, ConnectionState state);

// Empties the server panel (the ping keeps its text), writes "Disconnected" into the status label
// (the lamp does not change) and applies the captions of the current server type.
void ResetServerPanel(Monitor& monitor);

// Sets the type name and the two column headings for a server type; an unknown type changes
// neither.
void ApplyTypeCaptions(Monitor& monitor, ServerType type);

// Disables the log player's buttons, frame and label and sets the position to "0".
void ResetLogPlayer(Monitor& monitor);
// Enables the six buttons, the frame and the label.
void EnableLogPlayer(Monitor& monitor);

// Writes the maximum-players field. When the text changes, a non-zero value with
// serie_max_player 1 sets the graph's series count and runs SetupGraph.
void SetMaxPlayers(Monitor& monitor, std::string text);

}  // namespace morvek
