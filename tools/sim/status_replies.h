// Status replies of the simulated QuakeWorld and Quake II servers, built from the simulator's
// state by the description in query/status_wire.h: the settings line with hostname, version, map
// and maxclients under the game's keys, then the rules, then one line per player.
#pragma once

#include <string>

#include "sim/sim_state.h"

namespace morvek::sim {

std::string BuildQuakeWorldStatus(const SimState& state);
std::string BuildQuakeIIStatus(const SimState& state);

}  // namespace morvek::sim
