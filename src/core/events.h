// What happened between two pictures of the server: a player joined or left (a rename is a leave
// and a join), the map changed, the server went silent (a timeout) or answered again, the frag
// lead changed, the server became full or a slot came free. One pure function over two pictures,
// so every event can be derived without a socket.
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/monitor.h"

namespace morvek {

// A present player as events see one: the slot tells apart players of one name.
struct PresentPlayer {
    std::string name;  // the bytes as received
    double frags = 0;
    int slot = -1;
    bool operator==(const PresentPlayer&) const = default;
};

// The part of the monitor's picture that events are derived from.
struct EventPicture {
    std::string map;
    int players = -1;           // the server's count; -1 while not known
    int max_players = -1;       // -1 while not known
    bool silent = false;        // a timeout ran out and nothing has answered since
    std::uint64_t replies = 0;  // datagrams received so far
    bool arriving = false;      // the list of a paced server is not whole yet
    // Present players, in the panel's order.
    std::vector<PresentPlayer> present;
    bool operator==(const EventPicture&) const = default;
};

enum class EventKind { Join, Leave, Map, Silent, Back, Lead, Full, SlotFree };
inline constexpr int kEventKindCount = 8;

struct Event {
    EventKind kind;
    std::string name;      // Join, Leave, Lead: the player; Map: the new map
    std::string previous;  // Map: the old map; Lead: the former leader ("" after a tie)
    int slot = -1;         // Join, Leave, Lead: the player's slot
    bool operator==(const Event&) const = default;
};

// The JSON name of an event kind: "join", "leave", "map", "silent", "back", "lead", "full",
// "slot_free".
const char* EventName(EventKind kind);

EventPicture TakeEventPicture(const Monitor& monitor);

// Events in this order: silent, back, map, leave, join, lead, full, slot free. A map is only
// "changed" from one known map to another; while `before` has no player count (the server was
// not heard yet, or the panel was reset) `after` is the starting roster and gives no player,
// lead or full events; the lead belongs to the one present player with the
// most frags (a tie has no leader, and a new leader after a tie is a change).
std::vector<Event> DeriveEvents(const EventPicture& before, const EventPicture& after);

// {"event": "join", "name": ..., "previous": ..., "tick": N, "time": "2026-12-07T12:00:00Z"}:
// "name" for join, leave, lead and map, "previous" for map and lead; texts as UTF-8. A player's
// name and a former leader's are shown as people read them (ShownName); with readable names the
// bytes the server sent follow under "rawName" (without a spectator's mark). Join, leave and lead
// carry the player's "slot" (1 the first), which tells apart players of one name.
QJsonObject EventObject(const Event& event, std::uint64_t tick, const QDateTime& time,
                        const Options& options = Options());

// Keeps the last picture and gives what happened since. A picture taken when nothing was heard
// since the last one says nothing new about the players or the map (their presence runs out while
// a server is silent, which is not a leave): it keeps the last one's. Neither does a picture taken
// while a list is still arriving say anything new about the players: it keeps the last one's, and
// the starting roster is the first whole list.
class EventTracker {
  public:
    // The events since the last call (none at the first): a front-end calls it at every poll
    // tick.
    std::vector<Event> Update(const Monitor& monitor);
    // A front-end calls it whenever the picture is redrawn: a silence (a timeout, a refused port)
    // is told at once (a run may end with it), so this is Update when the server fell silent since
    // the last call, else nothing.
    std::vector<Event> UpdateOnSilence(const Monitor& monitor);

  private:
    std::optional<EventPicture> last_;
};

}  // namespace morvek
