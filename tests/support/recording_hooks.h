// The one hooks double of the suite: records every call the monitor's logic makes of its
// front-end, in order.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/hooks.h"
#include "support/to_string.h"

namespace morvek::testing {

class RecordingHooks : public MonitorHooks {
  public:
    // Names as called: "ShowPlayers", "UpdateMenuState", "RepaintTraffic", "RefreshPanel",
    // "SetBusy(true)", "SetBusy(false)", "RecordPoint".
    std::vector<std::string> calls;
    int Count(std::string_view call) const {
        return int(std::count(calls.begin(), calls.end(), call));
    }

    void ShowPlayers() override { calls.emplace_back("ShowPlayers"); }
    void UpdateMenuState() override { calls.emplace_back("UpdateMenuState"); }
    void RepaintTraffic() override { calls.emplace_back("RepaintTraffic"); }
    void RefreshPanel() override { calls.emplace_back("RefreshPanel"); }
    void SetBusy(bool on) override { calls.emplace_back(on ? "SetBusy(true)" : "SetBusy(false)"); }
    void RecordPoint() override { calls.emplace_back("RecordPoint"); }
};

}  // namespace morvek::testing
