// Prints the monitor's picture: a readable table, or one JSON object per line.
#pragma once

#include <cstdint>
#include <string>

#include "core/monitor.h"

namespace morvek {

std::string PictureText(const Monitor& monitor, std::uint64_t tick);
std::string PictureJson(const Monitor& monitor, std::uint64_t tick);
std::string MessageJson(const std::string& title, const std::string& text);

}  // namespace morvek
