// The command line "<n> <address> <port>": one character for the server type, one blank, an
// address without blanks, one blank, a port. Fields already read stay applied when a later one
// fails (the type after the first field, the host after the second).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/player_table.h"

namespace morvek {

struct CommandLine {
    bool valid = false;
    std::optional<ServerType> type;
    std::optional<std::string> host;
    std::optional<std::int32_t> port;  // set only when valid
};

// The syntax message shown for an invalid line (pieces joined by a carriage return).
extern const char* const kCommandLineSyntax;

// `text` is the raw argument text without the program's path. A port the socket layer would
// refuse (outside 1 to 65535) makes the line invalid.
CommandLine ParseCommandLine(std::string_view text);

}  // namespace morvek
