// The HTML page of the monitored match: a user-editable template read line by line, whole-line
// placeholders replaced by the server panel's texts, the player list or the current time, every
// other line copied as it is. Pure: bytes in, bytes out.
#pragma once

#include <QDateTime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/monitor.h"

namespace morvek::web {

// The template's lines. A line ends at a carriage return, a line feed, or a carriage return
// followed by a line feed (a template written on Linux ends its lines with line feeds alone). A
// final line without an end still counts; an empty template has no lines.
std::vector<std::string_view> TemplateLines(std::string_view template_bytes);

// Text taken from a server or a log made safe for a page: & < > " and ' become entities, so a
// template may put a placeholder inside an attribute quoted either way.
std::string HtmlEscape(std::string_view text);

// A number as the page writes it: one blank before when it is not negative (the sign's place),
// one blank after: " 0 ", " 12 ", "-1 ".
std::string NumberLine(double value);

// The current local date and time in the system's short date format followed by the time.
std::string TimeDateText(const QDateTime& now);

// The credit line written after the player table.
inline constexpr std::string_view kCreditLine =
    "Page made with Morvek - https://morvek.example/ - (c) Morvek developers";

// The lines of the "{PlayerList}" block for the view's rows, each ending with CR LF; nothing
// when a row's Time text cannot be read as a number. Names are written as `options` show them
// (readable, without the spectator mark); a spectator's frags cell says "spectator".
std::optional<std::string> PlayerListBlock(const PlayerView& view, const Options& options);

// A page larger than this is not made: a template repeating "{PlayerList}" would otherwise fill
// the memory and the disk.
inline constexpr std::size_t kMaxPageBytes = 8 * 1024 * 1024;

// The whole page: every output line ends with CR LF. Nothing, with the reason in `why`, when the
// page cannot be made (a player's Time text that is not a number, a page larger than
// kMaxPageBytes); the caller then leaves the previous page alone.
std::optional<std::string> RenderPage(std::string_view template_bytes, const Monitor& monitor,
                                      const QDateTime& now, std::string* why = nullptr);

}  // namespace morvek::web
