#include "query/live_settings.h"

#include "core/command_line.h"
#include "query/connection.h"

namespace morvek {

void ApplySettings(const SettingsValues& v, Monitor& monitor, Connection& connection,
                   platform::Timer* html_timer) {
    ApplySettings(v, monitor);
    connection.timCheck().SetInterval(v.check_interval_ms);
    connection.timTimeout().SetInterval(v.timeout_interval_ms);
    connection.Winsock().SetRemoteHost(v.server_name);
    connection.Winsock().SetRemotePort(v.server_port);
    if (html_timer) html_timer->SetInterval(v.html_refresh_ms);
}

bool ApplyCommandLine(std::string_view text, Monitor& monitor, Connection& connection) {
    CommandLine parsed = ParseCommandLine(text);
    if (parsed.type) monitor.server_type = *parsed.type;
    if (parsed.host) connection.Winsock().SetRemoteHost(*parsed.host);
    if (parsed.valid) connection.Winsock().SetRemotePort(*parsed.port);
    return parsed.valid;
}

SettingsValues CurrentSettings(const Monitor& monitor, Connection& connection,
                               const platform::Timer* html_timer) {
    SettingsValues v;
    GatherSettings(monitor, v);
    v.check_interval_ms = std::int32_t(connection.timCheck().Interval());
    v.timeout_interval_ms = std::int32_t(connection.timTimeout().Interval());
    v.server_name = connection.Winsock().RemoteHost();
    v.server_port = connection.Winsock().RemotePort();
    v.html_refresh_ms = html_timer ? std::int32_t(html_timer->Interval()) : 0;
    return v;
}

}  // namespace morvek
