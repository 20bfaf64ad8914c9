// The stored settings and the live objects that hold them between start and exit: the shared
// options, the graph, the socket and the timers.
#pragma once

#include <string_view>

#include "core/monitor.h"
#include "core/settings.h"

namespace morvek {

class Connection;
namespace platform {
class Timer;
}

// Applies loaded settings: the shared options and the graph, then the timers and the socket.
// `html_timer` may be null (no publishing).
void ApplySettings(const SettingsValues& values, Monitor& monitor, Connection& connection,
                   platform::Timer* html_timer);

// Applies the command line "<n> <address> <port>" to the server type and the socket: the type
// and the host stay applied even when a later field fails; the port only when the line is valid.
// Returns whether it is.
bool ApplyCommandLine(std::string_view text, Monitor& monitor, Connection& connection);

// Reads the live values back for saving.
SettingsValues CurrentSettings(const Monitor& monitor, Connection& connection,
                               const platform::Timer* html_timer);

}  // namespace morvek
