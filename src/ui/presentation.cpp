#include "ui/presentation.h"

#include "core/numbers.h"

namespace morvek {

MenuState MenuFor(ConnectionState state, bool recording, bool retrying) {
    MenuState m;
    m.connect = state == ConnectionState::Disconnected;
    m.disconnect = state == ConnectionState::Connected || retrying;
    m.rules = state == ConnectionState::Connected;
    m.setup = state != ConnectionState::TryingToConnect;
    m.open = state == ConnectionState::Disconnected && !recording;
    m.record = !recording;
    m.stop_record = recording;
    return m;
}

Rgb StatusColour(ConnectionState state) {
    switch (state) {
        case ConnectionState::TryingToConnect:
            return {255, 128, 0};
        case ConnectionState::Connected:
            return {0, 255, 0};
        case ConnectionState::Disconnected:
            break;
    }
    return {255, 0, 0};
}

Rgb TrafficColour(Traffic traffic) {
    switch (traffic) {
        case Traffic::Sending:
            return {255, 0, 0};
        case Traffic::Receiving:
            return {0, 255, 0};
        case Traffic::Idle:
            break;
    }
    return {0, 128, 0};
}

ReplayControls ReplayControlsFor(const Monitor& monitor) {
    const Replay& r = monitor.replay;
    return {{r.can_go_back, r.can_go_back, r.can_go_back, r.can_go_forward, r.can_go_forward,
             r.can_go_forward},
            monitor.log_open,
            IntegerText(r.record)};
}

}  // namespace morvek
