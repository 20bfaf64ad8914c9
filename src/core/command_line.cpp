#include "core/command_line.h"

#include "core/numbers.h"

namespace morvek {

const char* const kCommandLineSyntax =
    "Error in interpreting command line. \r"
    "Sintax: Morvek <n> <address> <port> \r"
    " n (type of server): 0=Quake, 1=WorldQuake, 2=HexenII, 3=QuakeII";

CommandLine ParseCommandLine(std::string_view text) {
    CommandLine result;
    std::size_t space = text.find(' ');
    if (space == std::string_view::npos || space != 1) return result;
    // A digit gives its value, any other character 0; the range 0 to 3 is not tested.
    auto type = ToUInt8(LeadingNumber(text.substr(0, 1)));
    if (!type) return result;
    result.type = ServerType(*type);

    std::string_view rest = text.substr(2);
    space = rest.find(' ');
    if (space == std::string_view::npos || space == 0) return result;
    result.host = std::string(rest.substr(0, space));

    std::string_view port_text = rest.substr(space + 1);
    if (port_text.empty()) return result;
    double port = LeadingNumber(port_text);
    if (port == 0) return result;
    auto whole = ToInt32(port);
    if (!whole || *whole < 1 || *whole > 65535) return result;
    result.port = *whole;
    result.valid = true;
    return result;
}

}  // namespace morvek
