// What the window makes of the picture: which commands are on offer, the colours of the two lamps
// and the log player's controls. Computed from the model whenever it is shown, never stored there.
#pragma once

#include <array>

#include "core/monitor.h"

namespace morvek {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

// The commands that depend on the connection state and on recording.
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

// While a silent server is tried again (`retrying`: the state stays "Trying to connect" for as long
// as it is away) Disconnect is offered too.
MenuState MenuFor(ConnectionState state, bool recording, bool retrying);

// The status lamp: red, orange while trying, green while connected.
Rgb StatusColour(ConnectionState state);
// The traffic lamp: dark green at rest, red while a tick sends, bright green while a datagram is
// handled.
Rgb TrafficColour(Traffic traffic);

// The log player: its six buttons ("|<" "<<" "<" ">" ">>" ">|"), whether the frame and the
// position label are enabled, and the position's caption.
struct ReplayControls {
    std::array<bool, 6> buttons{};
    bool enabled = false;
    std::string position;
    bool operator==(const ReplayControls&) const = default;
};

ReplayControls ReplayControlsFor(const Monitor& monitor);

}  // namespace morvek
