// The monitor's picture as plain data: server type, snapshot, player table and view, the
// connection state, network traffic, recording, replay and publishing, the shared options, the
// frag graph and the rules list. The window and the headless printer follow this model and work
// out themselves how to show it; nothing reads state back from a widget.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/frag_graph.h"
#include "core/player_table.h"
#include "core/rules.h"
#include "core/server_type.h"

namespace morvek {

// The server panel's fields, as text.
struct ServerSnapshot {
    std::string name;
    std::string version;
    std::string map;
    std::string address;
    std::string port;
    std::string ping;  // milliseconds
    std::string players;
    std::string max_players;
    std::string type_name;  // the panel name of the type whose server is shown
};

enum class ConnectionState { Disconnected, TryingToConnect, Connected };

// Network traffic: at rest, a poll tick sending, a datagram being handled.
enum class Traffic { Idle, Sending, Receiving };

const char* StatusText(ConnectionState state);

// Options shared by the subsystems (the settings that are not held by a timer, the socket or
// the graph).
struct Options {
    std::uint8_t player_sorting = 0;
    std::int16_t keep_disconnected = 1;  // ManteinDisconnectedPlayerInfo
    std::int16_t disconnect_on_map_change = 0;
    std::int16_t series_follow_max_players = 1;
    std::int16_t fixed_series = 16;
    bool keep_trying = false;  // KeepTrying: after a timeout, go on polling instead of stopping
    // The page's file and its template's name (or path), as the user typed them.
    QString html_output;
    QString html_template = QStringLiteral("standard.htm");
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
    // The window's live listener (metrics/live_feed.h): whether it serves, on this port of
    // 127.0.0.1.
    bool serve_live = false;
    std::int32_t serve_port = 9100;

    bool operator==(const Options&) const = default;
};

// Whether a row is a spectator shown apart (the spectators switch is on).
bool IsSpectator(const Options& options, const PlayerRecord& row);
// A player's name as a person reads it: without the spectator mark while spectators are shown
// apart, and readable while names are.
std::string ShownName(const Options& options, std::string_view name);
// The name's bytes without the spectator mark, when spectators are shown as such.
std::string_view NameWithoutMark(const Options& options, std::string_view name);

// Where the replay of an open log stands: the record last loaded (1-based; 0 once recording or
// connecting closed the log) and whether there are records before and after it to step to.
struct Replay {
    std::int64_t record = 1;
    bool can_go_back = false;
    bool can_go_forward = false;
};

// Running totals since the program started, for the metrics endpoint.
struct PollCounters {
    std::uint64_t polls = 0;          // poll ticks
    std::uint64_t replies = 0;        // datagrams received
    std::uint64_t timeouts = 0;       // timeout intervals that ran out
    std::uint64_t refusals = 0;       // requests the server's port refused (nothing listens)
    std::uint64_t socket_errors = 0;  // other errors reported by the socket
    bool silent = false;  // a timeout ran out or the port refused, and nothing has answered since
};

struct Monitor {
    ServerType server_type = ServerType::QuakeI;
    ServerSnapshot snapshot;
    // The type whose server the panel shows (the monitored one, or an open log's): its name and
    // its player columns' headings.
    const ServerTypeInfo* shown_type = &kServerTypes[0];
    PlayerTable table;
    PlayerView view;

    ConnectionState state = ConnectionState::Disconnected;
    // "Keep trying after a timeout": the server went silent and is being tried again.
    bool retrying = false;
    // The status line: follows the state, except that a server panel reset writes
    // "Disconnected" while the state stays.
    std::string status_text = "Disconnected";
    Traffic traffic = Traffic::Idle;
    bool recording = false;   // a match log is being written
    bool log_open = false;    // a match log is open for replay
    bool web_active = false;  // the page is published periodically
    QString log_path;         // the log file's name as the user chose it

    Options options;
    FragGraph graph;
    RulesList rules;
    Replay replay;

    // A server that answers one request at a time is being listed for the first time since its
    // requests were paced: the list is not whole yet.
    bool list_arriving = false;

    // Tick count of the last status request, for the ping; 0 when none is pending.
    std::uint64_t ping_sent_at = 0;

    PollCounters counters;
};

// Sets the connection state and the status line with it.
void ShowState(Monitor& monitor, ConnectionState state);

// Empties the server panel (the ping keeps its text), writes "Disconnected" into the status line
// (the state does not change) and shows the current server type.
void ResetServerPanel(Monitor& monitor);

// Shows a server of this type in the panel (type name and player columns); an unknown type
// changes nothing.
void ApplyTypeCaptions(Monitor& monitor, ServerType type);

// Closes the replay: no log open, record 0, no step either way.
void ResetLogPlayer(Monitor& monitor);

// Writes the maximum-players field. When the text changes, a non-zero value with
// series_follow_max_players 1 sets the graph's series count and runs SetupGraph.
void SetMaxPlayers(Monitor& monitor, std::string text);

}  // namespace morvek
