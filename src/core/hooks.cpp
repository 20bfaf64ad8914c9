#include "core/hooks.h"

namespace morvek {

void ClearMatchData(Monitor& monitor, MonitorHooks& hooks) {
    ClearGraph(monitor.graph);
    ClearPlayerTable(monitor.table, monitor.view);
    hooks.ShowPlayers();
}

}  // namespace morvek
