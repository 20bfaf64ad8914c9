// Status replies of the simulated QuakeWorld and Quake II servers, built from the simulator's
// state exactly as those servers send them.
//
// QuakeWorld: FF FF FF FF "n", the settings line
// "\hostname\...\*version\...\map\...\maxclients\..." followed by the rules, a newline, then one
// line per player:
//   userid frags minutes ping "name" "skin" top bottom\n
// Quake II: FF FF FF FF "print\n", the settings line with hostname, version, mapname, maxclients
// and the rules, a newline, then one line per player:
//   frags ping "name"\n
#pragma once

#include <string>

#include "sim/sim_state.h"

namespace morvek::sim {

std::string BuildQuakeWorldStatus(const SimState& state);
std::string BuildQuakeIIStatus(const SimState& state);

}  // namespace morvek::sim
