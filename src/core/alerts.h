// Which events tell a person at the desktop, and what the notification says. The events of one
// look at the server (core/events.h) become at most one alert per kind, a group naming everyone
// it concerns ("3 players joined": "Ranger, Bob, Ada"), in the order of the events. Pure, so the
// grouping and the filter can be checked without a desktop.
#pragma once

#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/events.h"

namespace morvek {

constexpr std::uint8_t AlertBit(EventKind kind) {
    return std::uint8_t(1u << unsigned(kind));
}
inline bool AlertOn(const Options& options, EventKind kind) {
    return (options.alert_events & AlertBit(kind)) != 0;
}
inline void SetAlert(Options& options, EventKind kind, bool on) {
    options.alert_events = on ? std::uint8_t(options.alert_events | AlertBit(kind))
                              : std::uint8_t(options.alert_events & ~AlertBit(kind));
}

// The names of a watch list: comma-separated, blanks around a name ignored, empty names and "*"
// (every player) left out. Compared with the names as shown, without regard to case.
std::vector<QString> WatchNames(std::string_view list);

struct Alert {
    EventKind kind;
    QString summary;  // "Player joined", "3 players joined", "Map changed"...
    QString body;     // the names, the maps, or `server`: plain text
    bool operator==(const Alert&) const = default;
};

// The alerts for the events of one look, for the kinds switched on. A join counts only for a name
// on the watch list (every join when the list is empty). Names are shown as in the player panel;
// `server` names the server in the alerts about it (silent, back, full, slot free).
std::vector<Alert> AlertsFor(const std::vector<Event>& events, const Options& options,
                             const QString& server);

}  // namespace morvek
