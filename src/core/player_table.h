// The one in-memory picture of the monitored server's players: 64 slots of nine text fields with
// a presence countdown, the record a decoder fills before committing it, and the display-ordered
// copy (the view) that the player panel, the HTML page and the printed report list.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/server_type.h"

namespace morvek {

// Field indexes of a player record. A view row uses the same indexes, with field 8 as its Id.
enum PlayerField : int {
    kPresent = 0,
    kName = 1,
    kShirt = 2,
    kPants = 3,
    kAddress = 4,  // NetQuake: network address; QuakeWorld: skin; Quake II: unused
    kTime = 5,     // minutes as decimal text
    kFrags = 6,    // read as a number only through FragsValue
    kPort = 7,     // NetQuake: UDP port; QuakeWorld and Quake II: ping
    kOrderMark = 8,
    kId = 8,  // in a view row
};

constexpr int kPlayerFields = 9;
constexpr int kPlayerSlots = 64;

// Nine text fields holding the bytes exactly as decoded.
using PlayerRecord = std::array<std::string, kPlayerFields>;

// What tells two players of one name apart, beside the record's text fields.
struct PlayerIdentity {
    // QuakeWorld: the user id; NetQuake: the address with its port ("botclient" for every bot of
    // a darkplaces server); Quake II: empty.
    std::string key;
    // NetQuake: when the player connected, as a tick count in milliseconds (the reply's moment
    // minus the connection time); 0 when not known.
    std::int64_t since_ms = 0;
    // NetQuake: the player number the server answered for (it shifts down when a player before
    // leaves); Quake II: which of the players of one name in the reply (0 the first); else 0.
    int order = 0;
    // NetQuake: the round of replies the player was heard in (player numbers ascend within a
    // round; a number not above the one before starts the next).
    int round = 0;
    bool operator==(const PlayerIdentity&) const = default;
};

struct PlayerTable {
    std::array<PlayerRecord, kPlayerSlots> slot{};
    std::array<std::int16_t, kPlayerSlots> countdown{};
    std::array<PlayerIdentity, kPlayerSlots> identity{};
    PlayerRecord incoming{};
    std::int16_t incoming_countdown = 0;
    PlayerIdentity incoming_identity{};
    // NetQuake: the current round of replies and the last player number heard.
    int round = 0;
    int last_order = -1;
    // Open from the first reply after a silence until the server's list is whole again: the slots
    // heard since.
    bool roll_call = false;
    std::array<bool, kPlayerSlots> heard{};
};

// 64 rows; fields 0 to 7 copy a slot, field 8 is the Id shown in the ID column. `slot_of` says
// which slot each row was copied from (-1 for an empty row).
struct PlayerView {
    std::array<PlayerRecord, kPlayerSlots> rows{};
    std::array<int, kPlayerSlots> slot_of = [] {
        std::array<int, kPlayerSlots> none{};
        none.fill(-1);
        return none;
    }();
};

// A QuakeWorld spectator as the table holds one: with the "\s\" the server puts before a
// spectator's name when it is asked for spectators too.
inline constexpr std::string_view kSpectatorMark = "\\s\\";
inline bool IsSpectatorName(std::string_view name) {
    return name.starts_with(kSpectatorMark);
}

// "" or a single blank: the slot's presence mark is empty.
inline bool IsEmptyMark(std::string_view text) {
    return text.empty() || text == " ";
}

// Last slot in use for a server type: 15 for NetQuake (0 and 2), 63 otherwise.
int LastSlot(ServerType type);

// Empties every field and identity of slots 0 to 63 and of the 64 view rows, and ends a roll
// call. Countdowns and the incoming record are left as they are.
void ClearPlayerTable(PlayerTable& table, PlayerView& view);

// Once per poll tick: every slot counts down; a slot falling below 0 loses its presence mark and
// starts again at 3. A player not carried by any reply is absent on the fourth tick.
void AgePresence(PlayerTable& table);

// NetQuake connection moments this close are one moment: the server gives whole seconds, and the
// replies of one rotation come at different times.
inline constexpr std::int64_t kSinceSlackMs = 2500;

// Slot for a decoded player (searching slots 0 to LastSlot(type)), the first of:
//  1. the present slot of the same player: the same name and identity. NetQuake: the same name
//     and address, and for an address without a port (a bot) the same connection moment. Bots
//     joined together are alike in all but their number, which shifts when a player before them
//     comes or goes; their order stays, so the one heard again in this round keeps its slot, and
//     any other takes the lowest-numbered slot not heard in this round: the k-th of them by
//     number keeps the k-th slot, and one more than there are slots is a newcomer;
//  2. during a roll call, a present slot of the same name not heard since it began (a server
//     that restarted gives its players new ids, addresses and connection moments);
//  3. an absent slot of the same name (a player who comes back gets their old slot);
//  4. the first never-used slot; 5. the first absent slot; 6. slot 0.
int FindSlot(const PlayerTable& table, ServerType type, std::string_view name,
             const PlayerIdentity& identity = {});

// Starts a new incoming record: all fields empty, Present "1", countdown 3, no identity.
void StartIncoming(PlayerTable& table);

// Copies the incoming record, its countdown and its identity into the slot FindSlot gives;
// returns that slot (heard, during a roll call).
int CommitIncoming(PlayerTable& table, ServerType type);

// The server answers again after a silence: it may have restarted with other players. Until its
// list is whole again, the players it gives keep their slots (FindSlot) and are marked heard.
void StartRollCall(PlayerTable& table);

// The server's list is whole again: every slot not heard since the roll call began loses its
// presence mark at once (the player left while the server was away), and the roll call ends.
void EndRollCall(PlayerTable& table);

// Player ordering modes.
enum PlayerSorting : std::uint8_t { kSortById = 0, kSortByName = 1, kSortByFrags = 2 };

// Rebuilds the view from the table. `keep_absent` non-zero lets absent slots take part. Any other
// sorting value leaves the view unchanged. With `readable_names`, ordering by name compares the
// names as players read them (a red "Ranger" sorts among the R's). With `spectators_apart`,
// ordering by frags leaves spectators out of the ranking and lists them after the players.
void BuildPlayerView(PlayerTable& table, PlayerView& view, std::uint8_t sorting,
                     std::int16_t keep_absent, bool readable_names = false,
                     bool spectators_apart = false);

// Number of slots 0 to 63 whose Present field is not empty; spectators left out when asked.
int CountPresent(const PlayerTable& table, bool skip_spectators = false);

}  // namespace morvek
