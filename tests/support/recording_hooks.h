// The one hooks double of the suite: records every call the monitor's logic makes of its
// front-end, in order, and lets a test act where the window would (a click that arrives while
// pending events run, the record the window writes at a poll).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/hooks.h"
#include "support/to_string.h"

namespace morvek::testing {

class RecordingHooks : public MonitorHooks {
  public:
    // Names as called: "ShowPlayers", "UpdateMenuState", "RepaintNet", "RefreshPanel",
    // "SetBusy(true)", "SetBusy(false)", "RecordPoint", "WriteLogRecord", "ProcessEvents".
    std::vector<std::string> calls;
    int Count(std::string_view call) const;

    // Runs once, at the next ProcessEvents: what the user does while the handler lets events run.
    std::function<void()> on_process_events;
    // Runs at every WriteLogRecord, which the rig connects to Connection::RecordDue (where the
    // window appends the record).
    std::function<void()> on_write_log_record;

    void ShowPlayers() override { calls.emplace_back("ShowPlayers"); }
    void UpdateMenuState() override { calls.emplace_back("UpdateMenuState"); }
    void RepaintNet() override { calls.emplace_back("RepaintNet"); }
    void RefreshPanel() override { calls.emplace_back("RefreshPanel"); }
    void SetBusy(bool on) override { calls.emplace_back(on ? "SetBusy(true)" : "SetBusy(false)"); }
    void RecordPoint() override { calls.emplace_back("RecordPoint"); }
    void WriteLogRecord();
    void ProcessEvents() override;
};

}  // namespace morvek::testing
