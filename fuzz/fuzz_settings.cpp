// The settings file on arbitrary bytes: every setting is looked up, one is set and must read back
// byte for byte from the rewritten text, and any value survives escaping. The input also goes
// through the boolean and number readings of the settings table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/settings.h"
#include "platform/settings_backend.h"

using namespace morvek;
using namespace morvek::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    static const char* const kNames[] = {"PlayerSorting",
                                         "GraphRows",
                                         "ManteinDisconnectedPlayerInfo",
                                         "DisconnectOnMapChange",
                                         "CheckInterval",
                                         "TimeoutInterval",
                                         "ServerName",
                                         "ServerPort",
                                         "ServerType",
                                         "SerieMaxPlayer",
                                         "SerieFixed",
                                         "ShowLegend",
                                         "HTMLOutput",
                                         "HTMLTemplate",
                                         "HTMLRefresh"};

    std::vector<std::string> lines = SplitIniLines(input);
    for (const char* name : kNames) {
        if (auto value = IniValue(lines, kSettingsKeyPath, name)) (void)SettingsBoolean(*value);
    }
    (void)HasIniSection(lines, kSettingsKeyPath);

    // A value taken from the input is stored and read back exactly, other values unchanged.
    const std::string value = input.substr(0, 64);
    const auto port_before = IniValue(lines, kSettingsKeyPath, "ServerPort");
    if (!SetIniValue(lines, kSettingsKeyPath, "ServerName", value)) std::abort();
    const std::vector<std::string> again = SplitIniLines(JoinIniLines(lines));
    if (IniValue(again, kSettingsKeyPath, "servername") != value) std::abort();
    if (IniValue(again, kSettingsKeyPath, "ServerPort") != port_before) std::abort();

    if (UnescapeIniValue(EscapeIniValue(input)) != input) std::abort();
    (void)SettingsBoolean(input);
    return 0;
}
