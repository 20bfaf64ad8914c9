#include "query/pacing.h"

#include <algorithm>

namespace morvek {

void NetQuakePacing::ServerInfoReply(int players) {
    got_info_ = true;
    reported_ = std::clamp(players, 0, 16);
}

NetQuakePacing::Plan NetQuakePacing::Tick(int interval_ms, int gap_ms) {
    // Judge the last burst: the server reported more players than answered.
    if (last_was_burst_ && got_info_) {
        if (!paced_ && reported_ > player_replies_)
            paced_ = true;
        else if (paced_ && reported_ > 0 && player_replies_ >= reported_)
            paced_ = false;
    }
    got_info_ = false;
    player_replies_ = 0;
    last_was_burst_ = true;
    if (!paced_) return {};
    if (++paced_polls_ % kProbeEvery == 0) return {};

    last_was_burst_ = false;
    Plan plan{false, {}};
    if (gap_ms <= 0 || reported_ == 0) return plan;
    // Requests at one gap, two gaps... after the tick; the last one leaves a gap before the next.
    const int fits = std::max(0, interval_ms / gap_ms - 1);
    const int count = std::min(fits, reported_);
    for (int i = 0; i < count; ++i) {
        cursor_ %= reported_;
        plan.paced.push_back(std::uint8_t(cursor_++));
    }
    return plan;
}

}  // namespace morvek
