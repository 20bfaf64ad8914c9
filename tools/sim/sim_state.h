// The simulated server's state: what a Quake-family server would report. The reply builders of
// each protocol turn it into datagrams; the server moves it on (frags, times, pings, map).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/player_table.h"

namespace morvek::sim {

struct SimPlayer {
    std::string name;
    int shirt = 0;  // top colour 0..15
    int pants = 0;  // bottom colour 0..15
    int frags = 0;
    int seconds = 0;  // connection time
    int ping = 50;    // milliseconds (QuakeWorld, Quake II)
    std::string skin = "base";
    std::string address = "192.0.2.10:26001";  // NetQuake "host:port"
    int user_id = 1;
};

struct SimState {
    ServerType type = ServerType::QuakeI;
    std::string hostname = "Morvek demo server";
    std::string map = "e1m1";
    std::string version = "2.40";  // QuakeWorld "*version", Quake II "version"
    int max_players = 16;
    std::vector<SimPlayer> players;
    // Server rules / settings besides hostname, map, version and maxclients, in order.
    std::vector<std::pair<std::string, std::string>> rules;
    // The address the server announces in a NetQuake server-information reply ("host:port").
    std::string announced_address = "127.0.0.1:26000";
};

// A state with a handful of players, for the demo and the tests.
SimState DemoState(ServerType type);

}  // namespace morvek::sim
