// The stored settings and the live objects that hold them between start and exit: the shared
// options, the graph, the socket and the timers.
#pragma once

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

// Reads the live values back for saving.
SettingsValues CurrentSettings(const Monitor& monitor, Connection& connection,
                               const platform::Timer* html_timer);

}  // namespace morvek
