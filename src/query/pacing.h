// Pacing of the NetQuake requests for servers with a flood limit.
//
// A poll sends the server-information request and sixteen player requests back to back. Some
// servers answer only one control request per second from one address (darkplaces does so by
// default): they answer the first datagram of the burst and drop the rest. Such a server shows
// itself by reporting players that no player reply came for; a burst is judged one gap after it
// went out, or at the next poll tick if that comes first.
//
// From then on the requests go out one per gap, as fast as the server answers, whatever the poll
// interval: a rotation asks for the server information, then for each reported player in turn
// (the server answers request i for its i-th active player and does not answer past the last).
// Every kProbeEvery rotations the server-information turn is a whole burst again; when a burst is
// answered in full, the server answers bursts and pacing ends.
//
// A player is then heard once per rotation, so the presence countdown a reply starts spans one
// rotation plus a poll (PresenceTicks). Against a server that answers bursts nothing changes:
// every poll is the burst, and a player stays present for three more ticks.
#pragma once

#include <cstdint>

namespace morvek {

class NetQuakePacing {
  public:
    // Time between two paced requests: over the one second such servers wait.
    static constexpr int kGapMs = 1050;
    // Every this many rotations, one burst tells whether the server answers bursts again.
    static constexpr int kProbeEvery = 12;
    // The countdown of a player heard in a burst: absent on the fourth tick without a reply.
    static constexpr int kBurstTicks = 3;

    // A new connection: bursts until a burst shows otherwise.
    void Reset() { *this = NetQuakePacing(); }

    // A burst went out; it is judged before the next request.
    void BurstSent();
    bool Judging() const { return judging_; }
    // Judges the burst: pacing starts when the server reported more players than answered, and
    // ends when a burst is answered in full. Returns true when pacing has just started.
    bool Judge();

    // A server-information reply reporting this many current players.
    void ServerInfoReply(int players);
    // A player-information reply.
    void PlayerReply() { ++player_replies_; }

    // The next paced request: the server information (a whole burst on a probe's turn) or a
    // player number.
    struct Request {
        enum Kind { kServerInfo, kProbe, kPlayer } kind = kServerInfo;
        std::uint8_t player = 0;
        bool operator==(const Request&) const = default;
    };
    Request Next();

    bool Paced() const { return paced_; }
    // Rotations completed since pacing started.
    int Rotations() const { return rotations_; }
    // The countdown a player reply starts, in poll ticks of `interval_ms`: while paced, enough
    // ticks to outlast one rotation (twice as long while `shared`, a rule listing taking every
    // other turn) plus a spare turn and a poll.
    int PresenceTicks(std::int64_t interval_ms, bool shared, int gap_ms = kGapMs) const;

  private:
    bool paced_ = false;
    bool judging_ = false;
    bool got_info_ = false;
    int reported_ = 0;
    int player_replies_ = 0;
    int turn_ = 0;  // 0: server information; 1 .. reported_: player turn - 1
    int rotations_ = 0;
};

}  // namespace morvek
