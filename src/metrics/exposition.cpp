#include "metrics/exposition.h"

#include <charconv>
#include <cmath>

#include "core/numbers.h"
#include "core/text.h"

namespace morvek::metrics {

namespace {

std::string Number(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
    char text[40];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;  // shortest exact form
    return std::string(text, end);
}

std::string Label(std::string_view name, std::string_view bytes) {
    return std::string(name) + "=\"" + EscapeLabel(Cp1252ToUtf8(bytes)) + "\"";
}

class Writer {
  public:
    void Family(const char* name, const char* type, const char* help) {
        out_ += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
    }
    void Sample(const char* name, const std::string& labels, const std::string& value) {
        out_ += name;
        if (!labels.empty()) out_ += "{" + labels + "}";
        out_ += " " + value + "\n";
    }
    // A field the server sent as text: no sample while it is empty.
    void Field(const char* name, std::string_view text) {
        if (!IsBlank(text)) Sample(name, "", Number(LeadingNumber(text)));
    }
    void Lines(const std::string& lines) { out_ += lines; }
    std::string Take() { return std::move(out_); }

  private:
    std::string out_;
};

}  // namespace

std::string EscapeLabel(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string Exposition(const Monitor& monitor) {
    const ServerSnapshot& s = monitor.snapshot;
    const bool connected = monitor.state == ConnectionState::Connected;
    Writer w;
    w.Family("morvek_up", "gauge", "1 while the server answers (Connected), else 0.");
    w.Sample("morvek_up", "", connected ? "1" : "0");
    w.Family("morvek_connection_state", "gauge",
             "Connection state: 0 Disconnected, 1 Trying to connect, 2 Connected.");
    w.Sample("morvek_connection_state", "", std::to_string(static_cast<int>(monitor.state)));
    w.Family("morvek_ping_seconds", "gauge", "Time from the last request to its reply.");
    if (!IsBlank(s.ping)) w.Sample("morvek_ping_seconds", "", Number(LeadingNumber(s.ping) / 1000));
    // What the server said of its players holds only while it answers: a server that went away
    // has no players to show.
    w.Family("morvek_players", "gauge", "Players on the server.");
    if (connected) w.Field("morvek_players", s.players);
    w.Family("morvek_max_players", "gauge", "Player slots of the server.");
    if (connected) w.Field("morvek_max_players", s.max_players);

    // Present players, in the player panel's order.
    const bool has_ping = IsStatusProtocol(monitor.server_type);
    std::string frags, pings, times;
    for (int r = 0; r < kPlayerSlots; ++r) {
        if (!connected) break;
        const PlayerRecord& row = monitor.view.rows[r];
        if (row[kName].empty() || IsEmptyMark(row[kPresent])) continue;
        // The slot keeps a player's series apart from another's of the same name, and stays the
        // player's while others come and go; the name is shown as people read it.
        const std::string labels = Label("slot", IntegerText(monitor.view.slot_of[r] + 1)) + "," +
                                   Label("name", ShownName(monitor.options, row[kName]));
        frags += "morvek_player_frags{" + labels + "} " + Number(FragsValue(row[kFrags])) + "\n";
        if (const auto seconds = ConnectedSeconds(row[kTime]))
            times += "morvek_player_connected_seconds{" + labels + "} " + Number(*seconds) + "\n";
        if (has_ping && !IsBlank(row[kPort]))
            pings += "morvek_player_ping_seconds{" + labels + "} " +
                     Number(LeadingNumber(row[kPort]) / 1000) + "\n";
    }
    w.Family("morvek_player_frags", "gauge", "Frags of each present player.");
    w.Lines(frags);
    w.Family("morvek_player_ping_seconds", "gauge",
             "Ping of each present player, as the server reports it.");
    w.Lines(pings);
    w.Family("morvek_player_connected_seconds", "gauge",
             "How long each present player has been connected, as the server reports it.");
    w.Lines(times);

    w.Family("morvek_server_info", "gauge", "The server's texts as labels; the value is always 1.");
    w.Sample("morvek_server_info",
             Label("name", s.name) + "," + Label("map", s.map) + "," + Label("version", s.version) +
                 "," + Label("type", s.type_name) + "," + Label("address", s.address) + "," +
                 Label("port", s.port),
             "1");
    const PollCounters& c = monitor.counters;
    w.Family("morvek_polls_total", "counter", "Poll ticks since the program started.");
    w.Sample("morvek_polls_total", "", std::to_string(c.polls));
    w.Family("morvek_replies_total", "counter", "Datagrams received since the program started.");
    w.Sample("morvek_replies_total", "", std::to_string(c.replies));
    w.Family("morvek_timeouts_total", "counter", "Timeouts since the program started.");
    w.Sample("morvek_timeouts_total", "", std::to_string(c.timeouts));
    w.Family("morvek_refusals_total", "counter",
             "Requests the server's port refused (nothing listened) since the program started.");
    w.Sample("morvek_refusals_total", "", std::to_string(c.refusals));
    w.Family("morvek_socket_errors_total", "counter",
             "Other socket errors since the program started.");
    w.Sample("morvek_socket_errors_total", "", std::to_string(c.socket_errors));
    return w.Take();
}

std::optional<ListenAddress> ParseListenAddress(std::string_view text) {
    ListenAddress result{QHostAddress(QHostAddress::LocalHost), 0};
    std::string_view port = text;
    const auto colon = text.rfind(':');
    if (colon != std::string_view::npos) {
        std::string_view host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
            host = host.substr(1, host.size() - 2);
        else if (host.find(':') != std::string_view::npos)
            return std::nullopt;  // an IPv6 address needs its brackets
        if (!result.address.setAddress(QString::fromLatin1(host.data(), qsizetype(host.size()))))
            return std::nullopt;
    }
    if (port.empty() || port.size() > 5) return std::nullopt;
    int value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return std::nullopt;
    result.port = quint16(value);
    return result;
}

}  // namespace morvek::metrics
