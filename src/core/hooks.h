// What the monitor's logic asks of whoever shows the picture (the main window, the headless
// printer or a test). Every call happens after the model has been changed; the front-end redraws
// from the model. Every hook does nothing by default.
#pragma once

#include "core/monitor.h"

namespace morvek {

class MonitorHooks {
  public:
    virtual ~MonitorHooks() = default;
    // Redraw the five player rows from the view.
    virtual void ShowPlayers() {}
    // The commands on offer follow the connection state and the recording flag again.
    virtual void UpdateMenuState() {}
    // A lamp changed in the middle of a handler: repaint it at once.
    virtual void RepaintTraffic() {}
    // Snapshot, status, recording, replay or publishing may have changed.
    virtual void RefreshPanel() {}
    // The hourglass pointer on or off.
    virtual void SetBusy(bool) {}
    // The poll tick reached the point where a record may be written (always called; the record
    // itself is due through Connection::RecordDue).
    virtual void RecordPoint() {}
};

// Empties the frag graph (keeping its row count), empties the player table and view, redraws the
// player rows.
void ClearMatchData(Monitor& monitor, MonitorHooks& hooks);

}  // namespace morvek
