// The stored settings and the live objects that hold them between start and exit: the shared
// options and the graph (the monitor model), the socket and the poll and timeout timers (the
// connection), and the HTML timer. Both front-ends and both dialogs apply settings through here.
#pragma once

#include <string_view>

#include "core/monitor.h"
#include "core/settings.h"

namespace morvek {

class Connection;
namespace platform {
class Timer;
}

// The live objects besides the monitor model that applying settings reaches.
enum SettingsReach : unsigned {
    kReachModel = 0,             // the monitor model only
    kReachServer = 1u << 0,      // server name and port, poll and timeout intervals
    kReachPublishing = 1u << 1,  // the HTML period
    kReachAll = kReachServer | kReachPublishing,
};

// Applies settings: the monitor model (see ApplySettings in core/settings.h), then what `reach`
// names of the socket, the timers and `html_timer` (which may be null: no publishing). A timer's
// interval is set even when unchanged, which restarts a running countdown.
void ApplySettings(const SettingsValues& values, Monitor& monitor, Connection& connection,
                   platform::Timer* html_timer, unsigned reach = kReachAll);

// The live values. The server name is the name the user typed, or the numeric address of the last
// peer while there is none; the HTML period is 0 without `html_timer`.
SettingsValues CurrentSettings(const Monitor& monitor, Connection& connection,
                               const platform::Timer* html_timer);

// Applies the command line "<n> <address> <port>" to the server type and the socket: the type
// and the host stay applied even when a later field fails; the port only when the line is valid.
// Returns whether it is.
bool ApplyCommandLine(std::string_view text, Monitor& monitor, Connection& connection);

}  // namespace morvek
