// The monitor's picture as text for people and programs: a readable table, or one JSON object
// (written on one line by the headless monitor, served as /status.json by the metrics endpoint).
// Texts are the server's Windows-1252 bytes, given as UTF-8.
#pragma once

#include <QJsonObject>
#include <cstdint>
#include <string>

#include "core/monitor.h"

namespace morvek {

// "Disconnected", "TryingToConnect" or "Connected", as the JSON picture names a state.
const char* StateName(ConnectionState state);

std::string PictureText(const Monitor& monitor, std::uint64_t tick);
// {"players": [...], "rules": [...], "server": {...}, "state", "tick"}: one line of compact JSON
// (UTF-8), the keys in QJsonObject's order.
std::string PictureJson(const Monitor& monitor, std::uint64_t tick);
// {"message": {"title", "text"}}
QJsonObject MessageObject(const std::string& title, const QString& text);

}  // namespace morvek
