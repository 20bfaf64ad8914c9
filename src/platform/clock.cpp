#include "platform/clock.h"

#include <chrono>

namespace morvek::platform {

std::uint64_t TickCount() {
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return static_cast<std::uint64_t>(
               duration_cast<milliseconds>(steady_clock::now() - start).count()) +
           1;
}

}  // namespace morvek::platform
