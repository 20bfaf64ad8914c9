#include "sim/sim_state.h"

namespace morvek::sim {

namespace {

const char* DemoMap(ServerType type) {
    switch (type) {
        case ServerType::QuakeWorld:
            return "dm6";
        case ServerType::HexenII:
            return "demo1";
        case ServerType::QuakeII:
            return "q2dm1";
        default:
            return "e1m1";
    }
}

}  // namespace

SimState DemoState(ServerType type) {
    SimState state;
    state.type = type;
    const bool netquake = IsNetQuake(type);
    state.hostname = netquake ? "Morvek demo server" : "Morvek demo arena";
    state.map = DemoMap(type);
    state.version = type == ServerType::QuakeII ? "3.20 x86 Linux" : "2.40";
    state.max_players = netquake ? 16 : 24;
    struct Seed {
        const char* name;
        int shirt, pants, frags, minutes, ping;
        const char* skin;
    };
    static const Seed seeds[] = {
        {"Ranger", 4, 13, 12, 34, 56, "base"},       {"Grunt", 1, 1, 7, 20, 80, "male/grunt"},
        {"Lady Death", 12, 4, 15, 41, 35, "female"}, {"[VX]Vore", 3, 11, 3, 9, 120, "base"},
        {"Zombie", 0, 0, -2, 5, 200, "base"},        {"Shambler", 13, 12, 9, 27, 64, "base"},
    };
    int id = 1;
    for (const Seed& s : seeds) {
        SimPlayer p;
        p.name = s.name;
        p.shirt = s.shirt;
        p.pants = s.pants;
        p.frags = s.frags;
        p.seconds = s.minutes * 60;
        p.ping = s.ping;
        p.skin = s.skin;
        p.address = "192.0.2." + std::to_string(10 + id) + ":" + std::to_string(26000 + id);
        p.user_id = id++;
        state.players.push_back(p);
    }
    state.rules = {{"deathmatch", "1"}, {"fraglimit", "30"}, {"timelimit", "20"},
                   {"teamplay", "0"},   {"samelevel", "0"},  {"maxspectators", "2"}};
    if (type == ServerType::QuakeII) state.rules.push_back({"dmflags", "16"});
    return state;
}

}  // namespace morvek::sim
