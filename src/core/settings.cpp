#include "core/settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/numbers.h"
#include "core/text.h"

namespace morvek {

namespace {

bool OpenOrReport(SettingsBackend& backend, const std::string& key_path,
                  const SettingsFailure& on_failure) {
    if (backend.OpenKey(key_path)) return true;
    if (on_failure) on_failure(kSettingsFailureText, kSettingsFailureTitle);
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
    ~Batch() { backend_.EndBatch(); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

  private:
    SettingsBackend& backend_;
};

// One setting of the table, read as text then converted; nothing when the key cannot be opened.
struct Reader {
    SettingsBackend& backend;
    const SettingsFailure& on_failure;
    bool failed = false;

    std::optional<std::string> Text(const char* name, const char* default_text) {
        if (failed) return std::nullopt;
        auto text = ReadRegValue(backend, kSettingsKeyPath, name, default_text, on_failure);
        if (!text) failed = true;
        return text;
    }

    template <typename Field, typename Convert>
    void Number(const char* name, const char* default_text, Field& field, Convert convert,
                double scale = 1.0) {
        auto text = Text(name, default_text);
        if (!text) return;
        // A value that does not fit the field keeps the field's default (already in place).
        if (auto value = convert(LeadingNumber(*text) * scale)) field = *value;
    }
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
    if (!OpenOrReport(backend, key_path, on_failure)) return std::nullopt;
    // The value as stored, whatever its length; a value stored with zero bytes is the empty text.
    auto value = backend.Read(key_path, name);
    if (!value) return default_text;
    return value;
}

bool WriteRegValue(SettingsBackend& backend, const std::string& key_path, const std::string& name,
                   std::string_view value, const SettingsFailure& on_failure) {
    if (value.empty()) return true;
    if (!OpenOrReport(backend, key_path, on_failure)) return false;
    backend.Write(key_path, name, std::string(value));
    return true;
}

std::optional<SettingsValues> LoadSettings(SettingsBackend& backend,
                                           const SettingsFailure& on_failure) {
    SettingsValues values;
    Batch batch(backend);
    Reader read{backend, on_failure};
    read.Number("PlayerSorting", "0", values.player_sorting, ToUInt8);
    read.Number("GraphRows", "20", values.graph_rows, ToInt16);
    read.Number("ManteinDisconnectedPlayerInfo", "1", values.keep_disconnected, ToInt16);
    read.Number("DisconnectOnMapChange", "0", values.disconnect_on_map_change, ToInt16);
    read.Number("CheckInterval", "5", values.check_interval_ms, ToInt32, 1000.0);
    read.Number("TimeoutInterval", "30", values.timeout_interval_ms, ToInt32, 1000.0);
    if (auto text = read.Text("ServerName", "localhost")) values.server_name = *text;
    read.Number("ServerPort", "26000", values.server_port, ToInt32);
    read.Number("ServerType", "0", values.server_type, [](double value) {
        auto code = ToUInt8(value);
        return code ? std::optional<ServerType>(ServerType(*code)) : std::nullopt;
    });
    read.Number("SerieMaxPlayer", "1", values.serie_max_player, ToInt16);
    read.Number("SerieFixed", "16", values.serie_fixed, ToInt16);
    if (auto text = read.Text("ShowLegend", "-1")) {
        if (auto legend = SettingsBoolean(*text)) values.show_legend = *legend;
    }
    if (auto text = read.Text("HTMLOutput", "")) values.html_output = *text;
    if (auto text = read.Text("HTMLTemplate", "standard.htm")) values.html_template = *text;
    read.Number("HTMLRefresh", "0", values.html_refresh_ms, ToInt32, 1000.0);
    if (read.failed) return std::nullopt;
    return values;
}

bool SaveSettings(SettingsBackend& backend, const SettingsValues& values,
                  const std::string& remote_host_address, const SettingsFailure& on_failure) {
    const std::pair<const char*, std::string> table[] = {
        {"PlayerSorting", IntegerText(values.player_sorting)},
        {"GraphRows", IntegerText(values.graph_rows)},
        {"ManteinDisconnectedPlayerInfo", IntegerText(values.keep_disconnected)},
        {"DisconnectOnMapChange", IntegerText(values.disconnect_on_map_change)},
        {"CheckInterval", SecondsText(values.check_interval_ms)},
        {"TimeOutInterval", SecondsText(values.timeout_interval_ms)},
        {"ServerName", remote_host_address},
        {"ServerPort", IntegerText(values.server_port)},
        {"ServerType", IntegerText(TypeCode(values.server_type))},
        {"SerieMaxPlayer", IntegerText(values.serie_max_player)},
        {"SerieFixed", IntegerText(values.serie_fixed)},
        {"ShowLegend", values.show_legend ? "True" : "False"},
        {"HTMLOutput", values.html_output},
        {"HTMLTemplate", values.html_template},
        {"HTMLRefresh", SecondsText(values.html_refresh_ms)},
    };
    Batch batch(backend);
    for (const auto& [name, text] : table) {
        if (!WriteRegValue(backend, kSettingsKeyPath, name, text, on_failure)) return false;
    }
    return true;
}

void ApplySettings(const SettingsValues& values, Monitor& monitor) {
    Options& options = monitor.options;
    options.player_sorting = values.player_sorting;
    options.keep_disconnected = values.keep_disconnected;
    options.disconnect_on_map_change = values.disconnect_on_map_change;
    options.serie_max_player = values.serie_max_player;
    options.serie_fixed = values.serie_fixed;
    options.html_output = values.html_output;
    options.html_template = values.html_template;
    monitor.server_type = values.server_type;
    monitor.graph.SetRowCount(values.graph_rows);
    monitor.graph.show_legend = values.show_legend;
}

void GatherSettings(const Monitor& monitor, SettingsValues& values) {
    const Options& options = monitor.options;
    values.player_sorting = options.player_sorting;
    values.keep_disconnected = options.keep_disconnected;
    values.disconnect_on_map_change = options.disconnect_on_map_change;
    values.serie_max_player = options.serie_max_player;
    values.serie_fixed = options.serie_fixed;
    values.html_output = options.html_output;
    values.html_template = options.html_template;
    values.server_type = monitor.server_type;
    values.graph_rows = static_cast<std::int16_t>(
        std::clamp<int>(monitor.graph.RowCount(), std::numeric_limits<std::int16_t>::min(),
                        std::numeric_limits<std::int16_t>::max()));
    values.show_legend = monitor.graph.show_legend;
}

}  // namespace morvek
