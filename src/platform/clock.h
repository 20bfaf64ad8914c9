// A monotonic millisecond counter for the ping: the difference of two readings is the elapsed
// time. Readings are never 0, so 0 can mean "no request pending".
#pragma once

#include <cstdint>

namespace morvek::platform {

std::uint64_t TickCount();

}  // namespace morvek::platform
