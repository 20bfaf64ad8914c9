// Pacing of the NetQuake requests for servers with a flood limit.
//
// A poll sends the server-information request and sixteen player requests back to back. Some
// servers answer only one control request per second from one address (darkplaces does so by
// default): they answer the first datagram of the burst and drop the rest, so the player panel
// would stay empty forever. Such a server shows itself by reporting players that no player reply
// came for. From then on each poll sends the server-information request first, as always, and
// then its player requests one at a time, a little more than a second apart, only for player
// numbers below the reported count (the server answers request i for its i-th active player and
// does not answer past the last). Every kProbeEvery paced polls the whole burst goes out again;
// when a burst is answered in full, the server answers bursts and pacing ends.
//
// Against a server that answers bursts, nothing changes: every poll is the burst.
#pragma once

#include <cstdint>
#include <vector>

namespace morvek {

class NetQuakePacing {
  public:
    // Time between two paced requests: over the one second such servers wait.
    static constexpr int kGapMs = 1100;
    // Every this many paced polls, one burst tells whether the server answers bursts again.
    static constexpr int kProbeEvery = 12;

    // A new connection: bursts until a poll shows otherwise.
    void Reset() { *this = NetQuakePacing(); }

    // What one poll tick sends after the server-information request: the burst (all sixteen
    // player numbers at once), or the player numbers to send one per gap. Judges the poll before
    // it first. `interval_ms` is the poll interval: the paced requests end one gap before the
    // next tick, so its server-information request is answered.
    struct Plan {
        bool burst = true;
        std::vector<std::uint8_t> paced;
        bool operator==(const Plan&) const = default;
    };
    Plan Tick(int interval_ms, int gap_ms = kGapMs);

    // A server-information reply reporting this many current players.
    void ServerInfoReply(int players);
    // A player-information reply.
    void PlayerReply() { ++player_replies_; }

    bool Paced() const { return paced_; }

  private:
    bool paced_ = false;
    bool last_was_burst_ = false;
    bool got_info_ = false;
    int reported_ = 0;
    int player_replies_ = 0;
    int paced_polls_ = 0;
    int cursor_ = 0;
};

}  // namespace morvek
