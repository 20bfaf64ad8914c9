// NetQuake control replies as a Quake I or Hexen II server sends them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "query/netquake_wire.h"
#include "sim/sim_state.h"

namespace morvek::sim {

std::string NetQuakeServerInfoReply(const SimState& state);
// Nothing for a player number without a player.
std::optional<std::string> NetQuakePlayerInfoReply(const SimState& state, int player);
// The rule after `previous` (the first rule for an empty name); the empty reply after the last.
std::string NetQuakeRuleReply(const SimState& state, std::string_view previous);

// Builds a control datagram with its length field.
using netquake::ControlDatagram;

}  // namespace morvek::sim
