#include "query/pacing.h"

#include <algorithm>

namespace morvek {

void NetQuakePacing::ServerInfoReply(int players) {
    got_info_ = true;
    reported_ = std::clamp(players, 0, 16);
}

void NetQuakePacing::BurstSent() {
    judging_ = true;
    got_info_ = false;
    player_replies_ = 0;
}

bool NetQuakePacing::Judge() {
    if (!judging_) return false;
    judging_ = false;
    if (!got_info_) return false;  // nothing answered: nothing learnt
    if (paced_ && reported_ > 0 && player_replies_ >= reported_) {
        paced_ = false;
        return false;
    }
    if (paced_ || reported_ <= player_replies_) return false;
    paced_ = true;
    rotations_ = 0;
    turn_ = 1;  // the burst's server-information reply came: the players are next
    return true;
}

NetQuakePacing::Request NetQuakePacing::Next() {
    if (turn_ > reported_) {
        turn_ = 0;
        ++rotations_;
    }
    const int turn = turn_++;
    if (turn > 0) return {Request::kPlayer, std::uint8_t(turn - 1)};
    return {rotations_ % kProbeEvery == kProbeEvery - 1 ? Request::kProbe : Request::kServerInfo};
}

int NetQuakePacing::PresenceTicks(std::int64_t interval_ms, bool shared, int gap_ms) const {
    if (!paced_ || interval_ms <= 0) return kBurstTicks;
    const std::int64_t rotation = std::int64_t(reported_ + 2) * gap_ms * (shared ? 2 : 1);
    const std::int64_t ticks = (rotation + interval_ms - 1) / interval_ms + 1;
    return int(std::clamp<std::int64_t>(ticks, kBurstTicks, 32767));
}

}  // namespace morvek
