// The settings file on arbitrary bytes: every setting of the table is looked up and converted (the
// input itself where the file has no such value) and survives being written and read again; one
// value is set and must read back byte for byte from the rewritten text, and any value survives
// escaping.
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
    // Every setting of the table is looked up and read into its field; what is read is written
    // back as text and reads again as the same value.
    std::vector<std::string> lines = SplitIniLines(input);
    SettingsValues values;
    for (const SettingField& field : SettingsTable()) {
        const std::string text = IniValue(lines, kSettingsKeyPath, field.name).value_or(input);
        field.load(text, values);
    }
    SettingsValues again_values = values;
    for (const SettingField& field : SettingsTable()) field.load(field.save(values), again_values);
    if (!(again_values == values)) std::abort();
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
