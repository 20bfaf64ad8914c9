#include "query/live_settings.h"

#include "core/command_line.h"
#include "query/connection.h"

namespace morvek {

void ApplySettings(const SettingsValues& v, Monitor& monitor, Connection& connection,
                   platform::Timer* html_timer, unsigned reach) {
    ApplySettings(v, monitor);
    if (reach & kReachServer) {
        connection.socket().SetRemoteHost(v.server_name);
        connection.socket().SetRemotePort(v.server_port);
        connection.pollTimer().SetInterval(v.check_interval_ms);
        connection.timeoutTimer().SetInterval(v.timeout_interval_ms);
    }
    if ((reach & kReachPublishing) && html_timer) html_timer->SetInterval(v.html_refresh_ms);
}

SettingsValues CurrentSettings(const Monitor& monitor, Connection& connection,
                               const platform::Timer* html_timer) {
    SettingsValues v;
    GatherSettings(monitor, v);
    const auto& socket = connection.socket();
    v.server_name = socket.RemoteHost().empty() ? socket.RemoteHostIP() : socket.RemoteHost();
    v.server_port = socket.RemotePort();
    v.check_interval_ms = std::int32_t(connection.pollTimer().Interval());
    v.timeout_interval_ms = std::int32_t(connection.timeoutTimer().Interval());
    v.html_refresh_ms = html_timer ? std::int32_t(html_timer->Interval()) : 0;
    return v;
}

bool ApplyCommandLine(std::string_view text, Monitor& monitor, Connection& connection) {
    CommandLine parsed = ParseCommandLine(text);
    if (parsed.type) monitor.server_type = *parsed.type;
    if (parsed.host) connection.socket().SetRemoteHost(*parsed.host);
    if (parsed.valid) connection.socket().SetRemotePort(*parsed.port);
    return parsed.valid;
}

}  // namespace morvek
