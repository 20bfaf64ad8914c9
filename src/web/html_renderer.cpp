#include "web/html_renderer.h"

#include <QLocale>
#include <array>
#include <cmath>
#include <utility>

#include "core/numbers.h"
#include "core/quake_text.h"
#include "core/text.h"

namespace morvek::web {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Above this a frag count is a negative number stored in a log's unsigned form.
constexpr double kStoredNegativeFrags = 4244897000.0;

enum class Placeholder {
    ServerName,
    ServerMap,
    ServerVersion,
    ServerAddress,
    ServerMaxPlayers,
    ServerPing,
    ServerPort,
    ServerCurrentPlayers,
    ServerType,
    PlayerList,
    TimeDate,
};

constexpr std::array<std::pair<std::string_view, Placeholder>, 11> kPlaceholders{{
    {"{ServerName}", Placeholder::ServerName},
    {"{ServerMap}", Placeholder::ServerMap},
    {"{ServerVersion}", Placeholder::ServerVersion},
    {"{ServerAddress}", Placeholder::ServerAddress},
    {"{ServerMaxPlayers}", Placeholder::ServerMaxPlayers},
    {"{ServerPing}", Placeholder::ServerPing},
    {"{ServerPort}", Placeholder::ServerPort},
    {"{ServerCurrentPlayers}", Placeholder::ServerCurrentPlayers},
    {"{ServerType}", Placeholder::ServerType},
    {"{PlayerList}", Placeholder::PlayerList},
    {"{TimeDate}", Placeholder::TimeDate},
}};

// The placeholder a whole line stands for; the line is compared as it is, without trimming.
std::optional<Placeholder> FindPlaceholder(std::string_view line) {
    // Every placeholder starts with "{" and ends with "}": most lines fail here cheaply.
    if (line.size() < 2 || line.front() != '{' || line.back() != '}') return std::nullopt;
    for (const auto& [text, kind] : kPlaceholders)
        if (line.size() == text.size() && EqualsNoCase(line, text)) return kind;
    return std::nullopt;
}

bool IsDigit(char c, int base) {
    if (c >= '0' && c <= '9') return c - '0' < base;
    if (base == 16) return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    return false;
}

bool IsBlankChar(char c) {
    return c == ' ' || c == '\t';
}

// Whether a text is a number as a whole (blanks allowed around it): an optional sign, digits
// with an optional "." and fraction, an optional exponent (E or D); or &H / &O followed by
// hexadecimal or octal digits.
bool IsNumberText(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlankChar(text[begin])) ++begin;
    while (end > begin && IsBlankChar(text[end - 1])) --end;
    std::string_view t = text.substr(begin, end - begin);
    if (t.empty()) return false;
    std::size_t i = 0;
    if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h' || t[1] == 'O' || t[1] == 'o')) {
        const int base = (t[1] == 'H' || t[1] == 'h') ? 16 : 8;
        for (i = 2; i < t.size(); ++i)
            if (!IsDigit(t[i], base)) return false;
        return true;
    }
    if (t[i] == '+' || t[i] == '-') ++i;
    std::size_t digits = 0;
    while (i < t.size() && IsDigit(t[i], 10)) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && IsDigit(t[i], 10)) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'E' || t[i] == 'e' || t[i] == 'D' || t[i] == 'd')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t exponent_digits = 0;
        while (i < t.size() && IsDigit(t[i], 10)) ++i, ++exponent_digits;
        if (exponent_digits == 0) return false;
    }
    return i == t.size();
}

void AppendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append(kLineEnd);
}

// "<TD>", "<B>", the cell's line, "</B>", "</TD>".
void AppendCell(std::string& out, std::string_view line) {
    AppendLine(out, "<TD>");
    AppendLine(out, "<B>");
    AppendLine(out, line);
    AppendLine(out, "</B>");
    AppendLine(out, "</TD>");
}

const std::string* PanelText(const ServerSnapshot& snapshot, Placeholder kind) {
    switch (kind) {
        case Placeholder::ServerName:
            return &snapshot.name;
        case Placeholder::ServerMap:
            return &snapshot.map;
        case Placeholder::ServerVersion:
            return &snapshot.version;
        case Placeholder::ServerAddress:
            return &snapshot.address;
        case Placeholder::ServerMaxPlayers:
            return &snapshot.max_players;
        case Placeholder::ServerPing:
            return &snapshot.ping;
        case Placeholder::ServerPort:
            return &snapshot.port;
        case Placeholder::ServerCurrentPlayers:
            return &snapshot.players;
        case Placeholder::ServerType:
            return &snapshot.type_name;
        case Placeholder::PlayerList:
        case Placeholder::TimeDate:
            break;
    }
    return nullptr;
}

}  // namespace

std::vector<std::string_view> TemplateLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
    return lines;
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string NumberLine(double value) {
    if (value == 0) value = 0;  // no "-0"
    std::string text = DecimalText(value);
    if (!std::signbit(value)) text.insert(text.begin(), ' ');
    text += ' ';
    return text;
}

std::string TimeDateText(const QDateTime& now) {
    const QLocale locale = QLocale::system();
    // The long time format carries the seconds; its time-zone part is left out.
    const QString long_format = locale.timeFormat(QLocale::LongFormat);
    QString time_format;
    bool quoted = false;
    for (QChar c : long_format) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) continue;
        time_format += c;
    }
    time_format = time_format.trimmed();
    const QString text = locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                         locale.toString(now.time(), time_format);
    return ToCp1252(text);
}

std::optional<std::string> PlayerListBlock(const PlayerView& view, const Options& options) {
    std::string out;
    AppendLine(out, "<Table border=1>");
    AppendLine(out, "<Tr>");
    for (std::string_view heading : {"ID", "Name", "Time", "Frags"}) AppendCell(out, heading);
    AppendLine(out, "</Tr>");
    for (int i = 0; i < kPlayerSlots; ++i) {
        const PlayerRecord& row = view.rows[i];
        if (row[kName].empty()) continue;
        AppendLine(out, "<Tr>");
        AppendCell(out, NumberLine(i));
        AppendCell(out, HtmlEscape(ShownName(options, row[kName])));

        const std::string& time = row[kTime];
        if (time.empty()) {
            AppendCell(out, "");
        } else {
            if (!IsNumberText(time)) return std::nullopt;
            const double minutes = LeadingNumber(time);
            if (!std::isfinite(minutes)) return std::nullopt;
            AppendCell(out, NumberLine(std::floor(minutes)));
        }

        const std::string& frags = row[kFrags];
        if (IsSpectator(options, row))
            AppendCell(out, "spectator");
        else if (LeadingNumber(frags) > kStoredNegativeFrags)
            AppendCell(out, NumberLine(FragsValue(frags)));
        else
            AppendCell(out, HtmlEscape(frags));
        AppendLine(out, "</Tr>");
    }
    AppendLine(out, "</Table>");
    AppendLine(out, "<Font size=1>");
    AppendLine(out, kCreditLine);
    AppendLine(out, "<Font size=3><BR>");
    return out;
}

std::optional<std::string> RenderPage(std::string_view template_bytes, const Monitor& monitor,
                                      const QDateTime& now, std::string* why) {
    std::string out;
    out.reserve(template_bytes.size() + 4096);
    // The block and the time are the same wherever they appear in one page.
    std::optional<std::string> player_block;
    std::optional<std::string> time_date;
    for (std::string_view line : TemplateLines(template_bytes)) {
        if (out.size() > kMaxPageBytes) {
            if (why) *why = "the page would be larger than 8 MB";
            return std::nullopt;
        }
        const std::optional<Placeholder> kind = FindPlaceholder(line);
        if (!kind) {
            AppendLine(out, line);
            continue;
        }
        if (*kind == Placeholder::PlayerList) {
            if (!player_block) {
                player_block = PlayerListBlock(monitor.view, monitor.options);
                if (!player_block) {
                    if (why) *why = "a player's time is not a number";
                    return std::nullopt;
                }
            }
            out += *player_block;
        } else if (*kind == Placeholder::TimeDate) {
            if (!time_date) time_date = TimeDateText(now);
            AppendLine(out, *time_date);
        } else if (*kind == Placeholder::ServerName) {
            AppendLine(
                out, HtmlEscape(ShownText(monitor.snapshot.name, monitor.options.readable_names)));
        } else {
            AppendLine(out, HtmlEscape(*PanelText(monitor.snapshot, *kind)));
        }
    }
    if (out.size() > kMaxPageBytes) {
        if (why) *why = "the page would be larger than 8 MB";
        return std::nullopt;
    }
    return out;
}

}  // namespace morvek::web
