// The monitor as the window wires it, without a window: the picture, the dialogs double, the
// recording hooks and the connection. Datagrams can be fed straight to the decoders, or the
// simulator started on 127.0.0.1 for the real socket path.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "core/monitor.h"
#include "query/connection.h"
#include "sim/sim_server.h"
#include "support/dialogs.h"
#include "support/recording_hooks.h"
#include "support/to_string.h"

namespace morvek::testing {

// Short intervals for the real socket path: poll every 40 ms, time out after 400 ms.
inline constexpr int kPollMs = 40;
inline constexpr int kTimeoutMs = 400;

class Rig {
  public:
    // A monitor of the given server type (0 Quake I, 1 QuakeWorld, 2 Hexen II, 3 Quake II) with
    // the settings' 20 graph rows, disconnected.
    explicit Rig(int type = 0);
    ~Rig();

    // Starts the simulator, points the socket at it and sets the short intervals. The simulated
    // state moves only when the test changes it. The connection is not made: call
    // connection.Connect().
    sim::SimServer& StartServer(sim::SimOptions options = {});
    // Connects to the simulator and waits (bounded) for the Connected state.
    bool Connect();

    // One datagram through the connection's handling, as if it had just arrived.
    void Feed(std::string_view datagram) { connection.HandleDatagram(datagram); }
    const PlayerRecord& Slot(int i) const { return monitor.table.slot[std::size_t(i)]; }

    Monitor monitor;
    Dialogs dialogs;
    RecordingHooks hooks;
    Connection connection{monitor, hooks};
    platform::NewsBoxes news{dialogs};  // the connection's news, as the window shows them
    std::unique_ptr<sim::SimServer> server;
};

// Runs the event loop until done() holds or ms pass; returns done().
bool WaitFor(const std::function<bool()>& done, int ms = 5000);

}  // namespace morvek::testing
