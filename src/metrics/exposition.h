// The monitor's picture in the Prometheus text exposition format (version 0.0.4), and the
// listening address of the metrics endpoint as the command line and the settings give it.
#pragma once

#include <QHostAddress>
#include <optional>
#include <string>
#include <string_view>

#include "core/monitor.h"

namespace morvek::metrics {

inline constexpr char kContentType[] = "text/plain; version=0.0.4";

// Every metric with its HELP and TYPE lines. A number the server has not sent yet (an empty
// field) gives no sample. Texts are the server's Windows-1252 bytes, given as UTF-8.
std::string Exposition(const Monitor& monitor);

// A label value: backslash, double quote and line feed escaped as \\, \" and \n.
std::string EscapeLabel(std::string_view utf8);

struct ListenAddress {
    QHostAddress address;
    quint16 port = 0;
    bool operator==(const ListenAddress&) const = default;
};

// "[ADDRESS:]PORT": the address 127.0.0.1 unless one is given (an IPv6 address in brackets,
// "[::1]:9100"); the port 1 to 65535. Nothing for any other text (host names included: a
// listening address is numeric).
std::optional<ListenAddress> ParseListenAddress(std::string_view text);

}  // namespace morvek::metrics
