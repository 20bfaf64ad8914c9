// Arbitrary bytes to the QuakeWorld and Quake II status decoders: they must return, never read
// past the datagram, and never commit more players than the reply holds double quotes (every
// player's name is read up to a quote, and that quote is dropped).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "query/status.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view datagram(reinterpret_cast<const char*>(data), size);
    const auto quotes = static_cast<std::size_t>(std::count(datagram.begin(), datagram.end(), '"'));
    const bool valid = size > 0 && data[0] == 0xFF;

    auto quakeworld = morvek::status::DecodeQuakeWorld(datagram);
    if (quakeworld.valid != valid || quakeworld.players.size() > quotes) __builtin_trap();
    auto quake2 = morvek::status::DecodeQuakeII(datagram);
    if (quake2.valid != valid || quake2.players.size() > quotes) __builtin_trap();
    // Every value handed on is a piece of the datagram, never more than it.
    for (const auto* reply : {&quakeworld, &quake2})
        for (const auto& setting : reply->settings)
            if (setting.key.size() + setting.value.size() > size) __builtin_trap();
    return 0;
}
