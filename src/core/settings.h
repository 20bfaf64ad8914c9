// The settings store: string values under the key "Software\Varnoth\Morvek", read once when the
// main window loads and written once when it closes. The values live in the timers, the socket,
// the graph and the shared options in between; SettingsValues carries them to and from the store.
//
// The storage itself sits behind SettingsBackend (an INI file or the Windows registry, see
// platform/settings_backend.h; an in-memory one in the tests).
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/monitor.h"

namespace morvek {

// The key every setting lives under.
inline constexpr char kSettingsKeyPath[] = "Software\\Varnoth\\Morvek";

// Where string values are kept. Value names are matched without regard to case: a value written
// as "TimeOutInterval" is the one read as "TimeoutInterval", and overwriting it keeps the spelling
// it was first stored under. Values are bytes, returned exactly as stored.
class SettingsBackend {
  public:
    virtual ~SettingsBackend() = default;
    // Opens the key. For reading nothing is created and no right to write is needed: a store or
    // key that does not exist yet reads as empty. For writing the key is created when missing.
    // False when the store cannot be read (or, for writing, created or written).
    enum class Access { kRead, kWrite };
    virtual bool OpenKey(const std::string& key_path, Access access) = 0;
    // Where the store is and why the last OpenKey or EndBatch failed ("<file>: <cause>").
    virtual QString FailureDetail() const { return {}; }
    // The value stored under `name`, or nothing when there is no such value.
    virtual std::optional<std::string> Read(const std::string& key_path,
                                            const std::string& name) = 0;
    // Stores `value` under `name`, replacing an earlier value; false when it could not be stored.
    virtual bool Write(const std::string& key_path, const std::string& name,
                       const std::string& value) = 0;
    // Around a whole load or save: a store kept in one file reads it once at the start and writes
    // it once at the end; false when that write failed. Nothing by default.
    virtual void BeginBatch() {}
    virtual bool EndBatch() { return true; }
};

// Shows a message box: the text (lines joined by a carriage return) and its title, no icon, one
// OK button. The store calls it once when the key cannot be opened or the settings not written.
using SettingsFailure = std::function<void(const QString& text, const std::string& title)>;

// The message of a store that cannot be opened or written, and its title; the message's last line
// names the store and the cause.
inline constexpr char kSettingsFailureText[] = "Cannot Read Reg!\rMorvek";
inline constexpr char kSettingsFailureTitle[] = "Morvek";

// Every setting in its live form, with the defaults of a clean machine: the shared options the
// monitor holds (Options), then what the timers, the socket and the graph hold.
struct SettingsValues : Options {
    std::int16_t graph_rows = 20;                 // GraphRows
    std::int32_t check_interval_ms = 5000;        // CheckInterval (stored in seconds)
    std::int32_t timeout_interval_ms = 30000;     // TimeoutInterval (stored in seconds)
    std::string server_name = "localhost";        // ServerName
    std::int32_t server_port = 26000;             // ServerPort
    ServerType server_type = ServerType::QuakeI;  // ServerType
    bool show_legend = true;                      // ShowLegend ("-1")
    bool graph_player_names = false;              // GraphPlayerNames (FragGraph::player_lines)
    std::int32_t html_refresh_ms = 0;             // HTMLRefresh (stored in seconds)

    bool operator==(const SettingsValues&) const = default;
};

// One stored setting: its name, the text a missing value stands for, and how the text becomes the
// field and the field text again. A new setting is a field above and one row of the table.
struct SettingField {
    const char* name;        // as read (names match without regard to case)
    const char* written_as;  // as written: the same name, the timeout's spelled "TimeOutInterval"
    const char* default_text;
    // Converts stored text into its field; text that does not fit the field leaves it as it is.
    void (*load)(std::string_view text, SettingsValues& values);
    // The field as stored text ("" is never stored).
    std::string (*save)(const SettingsValues& values);
};

// Every setting, in the order they are read and written.
std::span<const SettingField> SettingsTable();

// Reads one value. Opens the key for reading; when that fails, shows the failure message through
// `on_failure` and returns nothing, and the caller ends the program at once.
// A missing value gives `default_text`; a value stored with zero bytes gives the empty text.
std::optional<std::string> ReadRegValue(SettingsBackend& backend, const std::string& key_path,
                                        const std::string& name, const std::string& default_text,
                                        const SettingsFailure& on_failure);

// Writes one value. An empty value is never stored (an earlier one stays as it was) and counts as
// done. Opens (creating) the key; when that fails, shows the failure message and returns false.
// A value the store then refuses is dropped silently, as the registry call's result is not looked
// at; the other settings are still written.
bool WriteRegValue(SettingsBackend& backend, const std::string& key_path, const std::string& name,
                   std::string_view value, const SettingsFailure& on_failure);

// Reads every setting in table order and converts it: numbers with LeadingNumber and halves to
// even to the field's width, seconds times 1000 to milliseconds, the boolean from True/False (any
// case) or a number. A value that does not fit its field, or a boolean that is neither a word nor
// a number, takes that setting's default; so does an interval that is not above 0 (HTMLRefresh:
// below 0). A missing store gives the defaults; nothing is created or written. Nothing when the
// store exists but cannot be read (the message has been shown; the caller ends the program
// without saving).
std::optional<SettingsValues> LoadSettings(SettingsBackend& backend,
                                           const SettingsFailure& on_failure);

// Writes every setting in table order: integers in plain decimal, intervals as seconds with "."
// ("2.5"), the boolean as True or False, the timeout under the name "TimeOutInterval". ServerName
// is written from `remote_host_address`, the numeric address of the last peer the socket heard
// from (values.server_name, the name the user typed, is not stored); while there is none, nothing
// is written for it. Empty values are skipped. False when the key cannot be created or opened (the
// message has been shown and nothing was written).
bool SaveSettings(SettingsBackend& backend, const SettingsValues& values,
                  const std::string& remote_host_address, const SettingsFailure& on_failure);

// The settings the monitor model holds itself: the shared options, the server type, the graph's
// row count, its legend switch and its players' lines switch. (The intervals live in the
// connection's timers and the HTML timer, the server name and port in the socket:
// query/live_settings applies and gathers those.) The same row count keeps the samples drawn; a new
// switch asks for a redraw.
void ApplySettings(const SettingsValues& values, Monitor& monitor);
void GatherSettings(const Monitor& monitor, SettingsValues& values);

// The boolean setting's reading: "True"/"False" in any case (blanks around are ignored) or a
// number, 0 being false; nothing for any other text.
std::optional<bool> SettingsBoolean(std::string_view text);

}  // namespace morvek
