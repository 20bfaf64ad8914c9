// What the live listener serves besides the metrics: the charset of the published page, the
// scoreboard page and the picture messages of the event stream that keep it current.
#pragma once

#include <QByteArray>
#include <string>
#include <string_view>

#include "core/monitor.h"

namespace morvek::metrics {

// The charset a page declares in its first 4 KB ("charset=NAME", as a meta element writes it),
// or windows-1252, the code page of every page Morvek writes.
QByteArray PageCharset(std::string_view page);

// The picture as the scoreboard shows it, one Server-Sent Events message "picture": the lamp (the
// state's name), the status, the server name and map, and the players in the panel's order; names
// as runs of [text, tone] (0 plain, 1 red, 2 gold), read as players read them when readable names
// are on.
std::string LiveJson(const Monitor& monitor);
// LiveJson as the event stream's message "picture".
std::string LiveMessage(const Monitor& monitor);

// The scoreboard: one HTML page, with its style and script inline, that follows the event
// stream (and /status.json while the stream refuses it), starting from the picture as it stands.
// With `overlay` its background is transparent, for a stream overlay.
std::string LivePage(const Monitor& monitor, bool overlay);

}  // namespace morvek::metrics
