#include "core/settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/alerts.h"
#include "core/numbers.h"
#include "core/text.h"

namespace morvek {

namespace {

void Report(const SettingsBackend& backend, const SettingsFailure& on_failure) {
    QString text = QString::fromLatin1(kSettingsFailureText);
    if (const QString detail = backend.FailureDetail(); !detail.isEmpty()) text += "\r" + detail;
    if (on_failure) on_failure(text, kSettingsFailureTitle);
}

bool OpenOrReport(SettingsBackend& backend, const std::string& key_path,
                  SettingsBackend::Access access, const SettingsFailure& on_failure) {
    if (backend.OpenKey(key_path, access)) return true;
    Report(backend, on_failure);
    return false;
}

bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlankChar(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankChar(text.back())) text.remove_suffix(1);
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether the whole text (blanks around it aside) is one number: a sign, digits with an optional
// "." and fraction, an optional exponent (E or D); or a hexadecimal (&H) or octal (&O) integer.
bool IsWholeNumber(std::string_view text) {
    text = Trimmed(text);
    if (text.empty()) return false;
    std::size_t i = 0;
    if (text.size() >= 2 && text[0] == '&') {
        const char kind = static_cast<char>(text[1] | 0x20);
        if (kind != 'h' && kind != 'o') return false;
        if (text.size() == 2) return false;
        for (i = 2; i < text.size(); ++i) {
            const char c = text[i];
            const char lower = static_cast<char>(c | 0x20);
            const bool ok = kind == 'h' ? (IsDigit(c) || (lower >= 'a' && lower <= 'f'))
                                        : (c >= '0' && c <= '7');
            if (!ok) return false;
        }
        return true;
    }
    if (text[i] == '+' || text[i] == '-') ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size()) {
        const char e = static_cast<char>(text[i] | 0x20);
        if (e != 'e' && e != 'd') return false;
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponent_digits = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++exponent_digits;
        if (exponent_digits == 0) return false;
    }
    return i == text.size();
}

// One load or one save of the whole table: the store reads and writes its file once.
class Batch {
  public:
    explicit Batch(SettingsBackend& backend) : backend_(backend) { backend_.BeginBatch(); }
    ~Batch() {
        if (!ended_) backend_.EndBatch();
    }
    bool End() {
        ended_ = true;
        return backend_.EndBatch();
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

  private:
    SettingsBackend& backend_;
    bool ended_ = false;
};

// The rows of the table, one helper for each way a setting is stored.

long long AsInteger(long long value) {
    return value;
}
long long AsInteger(ServerType type) {
    return TypeCode(type);
}

std::optional<ServerType> ToServerType(double value) {
    auto code = ToUInt8(value);
    return code ? std::optional<ServerType>(ServerType(*code)) : std::nullopt;
}

std::optional<std::int32_t> ToPort(double value) {
    auto port = ToInt32(value);
    return port && *port >= 1 && *port <= 65535 ? port : std::nullopt;
}

// A whole number: the leading number, halves to even, when it fits the field.
template <auto Field, auto Convert>
constexpr SettingField Integer(const char* name, const char* default_text) {
    return {name, name, default_text,
            [](std::string_view text, SettingsValues& values) {
                if (auto value = Convert(LeadingNumber(text))) values.*Field = *value;
            },
            [](const SettingsValues& values) { return IntegerText(AsInteger(values.*Field)); }};
}

// An interval stored in seconds ("2.5") and held in milliseconds: above 0, as the setup dialog and
// the command line ask, or exactly 0 where 0 means "never" (`zero_allowed`).
template <auto Field, bool zero_allowed = false>
constexpr SettingField Seconds(const char* name, const char* written_as, const char* default_text) {
    return {name, written_as, default_text,
            [](std::string_view text, SettingsValues& values) {
                if (auto value = IntervalMs(text))
                    values.*Field = *value;
                else if (zero_allowed && LeadingNumber(text) == 0)
                    values.*Field = 0;
            },
            [](const SettingsValues& values) { return SecondsText(values.*Field); }};
}

// Text kept byte for byte.
template <auto Field>
constexpr SettingField Text(const char* name, const char* default_text) {
    return {name, name, default_text,
            [](std::string_view text, SettingsValues& values) { values.*Field = text; },
            [](const SettingsValues& values) { return values.*Field; }};
}

// A file name, stored as the bytes the file system knows it by.
template <auto Field>
constexpr SettingField Path(const char* name, const char* default_text) {
    return {
        name, name, default_text,
        [](std::string_view text, SettingsValues& values) { values.*Field = PathFromBytes(text); },
        [](const SettingsValues& values) { return PathBytes(values.*Field); }};
}

// True or False (or a number).
template <auto Field>
constexpr SettingField Boolean(const char* name, const char* default_text) {
    return {
        name, name, default_text,
        [](std::string_view text, SettingsValues& values) {
            if (auto value = SettingsBoolean(text)) values.*Field = *value;
        },
        [](const SettingsValues& values) { return std::string(values.*Field ? "True" : "False"); }};
}

// One event kind's alert switch, True or False, kept as a bit of the alert set.
template <EventKind Kind>
constexpr SettingField AlertSwitch(const char* name) {
    return {name, name, "False",
            [](std::string_view text, SettingsValues& values) {
                if (auto on = SettingsBoolean(text)) SetAlert(values, Kind, *on);
            },
            [](const SettingsValues& values) {
                return std::string(AlertOn(values, Kind) ? "True" : "False");
            }};
}

// The watch list, stored as "*" when it is empty (every player), since an empty value is never
// written and clearing the list would otherwise leave the old one.
constexpr SettingField WatchList(const char* name) {
    return {name, name, "*",
            [](std::string_view text, SettingsValues& values) {
                values.alert_watch_list = Trimmed(text) == "*" ? std::string() : std::string(text);
            },
            [](const SettingsValues& values) {
                return values.alert_watch_list.empty() ? std::string("*") : values.alert_watch_list;
            }};
}

using V = SettingsValues;
constexpr SettingField kTable[] = {
    Integer<&V::player_sorting, ToUInt8>("PlayerSorting", "0"),
    Integer<&V::graph_rows, ToInt16>("GraphRows", "20"),
    Integer<&V::keep_disconnected, ToInt16>("ManteinDisconnectedPlayerInfo", "1"),
    Integer<&V::disconnect_on_map_change, ToInt16>("DisconnectOnMapChange", "0"),
    Seconds<&V::check_interval_ms>("CheckInterval", "CheckInterval", "5"),
    Seconds<&V::timeout_interval_ms>("TimeoutInterval", "TimeOutInterval", "30"),
    Text<&V::server_name>("ServerName", "localhost"),
    Integer<&V::server_port, ToInt32>("ServerPort", "26000"),
    Integer<&V::server_type, ToServerType>("ServerType", "0"),
    Integer<&V::series_follow_max_players, ToInt16>("SerieMaxPlayer", "1"),
    Integer<&V::fixed_series, ToInt16>("SerieFixed", "16"),
    Boolean<&V::show_legend>("ShowLegend", "-1"),
    Path<&V::html_output>("HTMLOutput", ""),
    Path<&V::html_template>("HTMLTemplate", "standard.htm"),
    Seconds<&V::html_refresh_ms, true>("HTMLRefresh", "HTMLRefresh", "0"),
    Boolean<&V::keep_trying>("KeepTrying", "False"),
    Boolean<&V::readable_names>("ReadableQuakeNames", "True"),
    Boolean<&V::show_spectators>("ShowSpectators", "False"),
    Boolean<&V::serve_live>("ServeLive", "False"),
    Integer<&V::serve_port, ToPort>("ServeLivePort", "9100"),
    AlertSwitch<EventKind::Join>("AlertJoin"),
    AlertSwitch<EventKind::Leave>("AlertLeave"),
    AlertSwitch<EventKind::Map>("AlertMap"),
    AlertSwitch<EventKind::Silent>("AlertSilent"),
    AlertSwitch<EventKind::Back>("AlertBack"),
    AlertSwitch<EventKind::Lead>("AlertLead"),
    AlertSwitch<EventKind::Full>("AlertFull"),
    AlertSwitch<EventKind::SlotFree>("AlertSlotFree"),
    WatchList("AlertWatchList"),
    Boolean<&V::close_to_tray>("CloseToTray", "False"),
    Boolean<&V::graph_player_names>("GraphPlayerNames", "False"),
};

}  // namespace

std::optional<bool> SettingsBoolean(std::string_view text) {
    const std::string_view word = Trimmed(text);
    if (EqualsNoCase(word, "True")) return true;
    if (EqualsNoCase(word, "False")) return false;
    if (!IsWholeNumber(word)) return std::nullopt;
    const double value = LeadingNumber(word);
    if (std::isnan(value)) return std::nullopt;
    return value != 0;
}

std::optional<std::string> ReadRegValue(SettingsBackend& backend, const std::string& key_path,
                                        const std::string& name, const std::string& default_text,
                                        const SettingsFailure& on_failure) {
    if (!OpenOrReport(backend, key_path, SettingsBackend::Access::kRead, on_failure))
        return std::nullopt;
    // The value as stored, whatever its length; a value stored with zero bytes is the empty text.
    auto value = backend.Read(key_path, name);
    if (!value) return default_text;
    return value;
}

bool WriteRegValue(SettingsBackend& backend, const std::string& key_path, const std::string& name,
                   std::string_view value, const SettingsFailure& on_failure) {
    if (value.empty()) return true;
    if (!OpenOrReport(backend, key_path, SettingsBackend::Access::kWrite, on_failure)) return false;
    backend.Write(key_path, name, std::string(value));
    return true;
}

std::span<const SettingField> SettingsTable() {
    return kTable;
}

std::optional<SettingsValues> LoadSettings(SettingsBackend& backend,
                                           const SettingsFailure& on_failure) {
    SettingsValues values;
    Batch batch(backend);
    for (const SettingField& field : kTable) {
        auto text =
            ReadRegValue(backend, kSettingsKeyPath, field.name, field.default_text, on_failure);
        if (!text) return std::nullopt;
        field.load(*text, values);
    }
    return values;
}

bool SaveSettings(SettingsBackend& backend, const SettingsValues& values,
                  const std::string& remote_host_address, const SettingsFailure& on_failure) {
    SettingsValues stored = values;
    stored.server_name = remote_host_address;
    Batch batch(backend);
    for (const SettingField& field : kTable) {
        if (!WriteRegValue(backend, kSettingsKeyPath, field.written_as, field.save(stored),
                           on_failure))
            return false;
    }
    if (batch.End()) return true;
    Report(backend, on_failure);
    return false;
}

void ApplySettings(const SettingsValues& values, Monitor& monitor) {
    monitor.options = values;
    monitor.server_type = values.server_type;
    if (values.graph_rows != monitor.graph.RowCount()) monitor.graph.SetRowCount(values.graph_rows);
    if (values.show_legend != monitor.graph.show_legend ||
        values.graph_player_names != monitor.graph.player_lines) {
        monitor.graph.show_legend = values.show_legend;
        monitor.graph.player_lines = values.graph_player_names;
        ++monitor.graph.revision;
    }
}

void GatherSettings(const Monitor& monitor, SettingsValues& values) {
    static_cast<Options&>(values) = monitor.options;
    values.server_type = monitor.server_type;
    values.graph_rows = static_cast<std::int16_t>(
        std::clamp<int>(monitor.graph.RowCount(), std::numeric_limits<std::int16_t>::min(),
                        std::numeric_limits<std::int16_t>::max()));
    values.show_legend = monitor.graph.show_legend;
    values.graph_player_names = monitor.graph.player_lines;
}

}  // namespace morvek
