// QuakeWorld and Quake II status replies: byte-exact fixtures for the decoders, and the replies
// applied to the monitor's picture through the connection controller.
#include <QtTest>
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>

#include "core/monitor.h"
#include "core/player_table.h"
#include "platform/dialogs.h"
#include "query/connection.h"
#include "query/status.h"
#include "sim/sim_server.h"
#include "sim/sim_state.h"
#include "sim/status_replies.h"
#include "support/rig.h"

using namespace morvek;
using status::Setting;

namespace {

// The start of every QuakeWorld reply: four FF bytes and the reply type "n".
const std::string kQw = std::string("\xFF\xFF\xFF\xFF", 4) + "n";
// The first line of every Quake II reply.
const std::string kQ2 = std::string("\xFF\xFF\xFF\xFF", 4) + "print\n";

// A monitor and a connection that decodes datagrams handed to it directly.
struct Bench : testing::Rig {
    explicit Bench(int type) : Rig(type) { connection.Winsock().SetRemotePort(27500); }
};

std::string QwLine(int id, int frags, int minutes, int ping, const std::string& name,
                   const std::string& skin, int top, int bottom) {
    return std::to_string(id) + " " + std::to_string(frags) + " " + std::to_string(minutes) + " " +
           std::to_string(ping) + " \"" + name + "\" \"" + skin + "\" " + std::to_string(top) +
           " " + std::to_string(bottom) + "\n";
}

}  // namespace

class TestStatus : public QObject {
    Q_OBJECT
  private slots:
    void status_request_bytes();
    void quakeworld_ranger_line();
    void quakeworld_user_id_length_does_not_matter();
    void quakeworld_name_with_blanks();
    void quakeworld_numeric_tokens();
    void settings_in_key_order_only_known_quakeworld_keys();
    void settings_value_at_end_of_datagram();
    void settings_only_no_players();
    void capitalised_key_ignored();
    void quake2_player_line();
    void quake2_map_and_mapname_both_applied_in_order();
    void quake2_fields_left_empty();
    void current_players_lag();
    void truncated_quakeworld_lines();
    void truncated_quake2_lines();
    void malformed_step_is_skipped();
    void reply_over_1000_bytes_all_players_decoded();
    void first_byte_not_ff_changes_nothing();
    void rules_lines_and_caption();
    void garbage_never_hangs();
    void simulator_replies_round_trip();
    void simulator_over_udp();
};

void TestStatus::status_request_bytes() {
    const std::string request = status::StatusRequest();
    QCOMPARE(request.size(), std::size_t(11));
    const unsigned char expected[] = {0xFF, 0xFF, 0xFF, 0xFF, 0x73, 0x74,
                                      0x61, 0x74, 0x75, 0x73, 0x20};
    for (std::size_t i = 0; i < 11; ++i)
        QCOMPARE(static_cast<unsigned char>(request[i]), expected[i]);
}

void TestStatus::quakeworld_ranger_line() {
    const std::string reply = kQw + "\\hostname\\Arena\n7 12 34 56 \"Ranger\" \"base\" 4 13\n";
    auto decoded = status::DecodeQuakeWorld(reply);
    QVERIFY(decoded.valid);
    QCOMPARE(decoded.players.size(), std::size_t(1));

    Bench bench(1);
    bench.Feed(reply);
    const PlayerRecord& slot = bench.Slot(0);
    QCOMPARE(slot[kPresent], std::string("1"));
    QCOMPARE(slot[kFrags], std::string("12"));
    QCOMPARE(slot[kTime], std::string("34"));
    QCOMPARE(slot[kPort], std::string("56"));
    QCOMPARE(slot[kName], std::string("Ranger"));
    QCOMPARE(slot[kAddress], std::string("base"));
    QCOMPARE(slot[kShirt], std::string("4"));
    QCOMPARE(slot[kPants], std::string("13"));
    QCOMPARE(slot[kOrderMark], std::string());
    QCOMPARE(bench.monitor.table.countdown[0], std::int16_t(3));
    QVERIFY(bench.Slot(1)[kName].empty());
    QCOMPARE(bench.monitor.snapshot.name, std::string("Arena"));
    QCOMPARE(bench.monitor.snapshot.port, std::string("27500"));
    QCOMPARE(bench.hooks.Count("ShowPlayers"), 1);
}

void TestStatus::quakeworld_user_id_length_does_not_matter() {
    for (const char* id : {"7", "1234", "0"}) {
        const std::string reply = kQw + "\\map\\dm6\n" + id + " -4 2 99 \"Vore\" \"base\" 3 11\n";
        auto decoded = status::DecodeQuakeWorld(reply);
        QCOMPARE(decoded.players.size(), std::size_t(1));
        const auto& p = decoded.players[0];
        QCOMPARE(p.frags, std::string("-4"));
        QCOMPARE(p.time, std::string("2"));
        QCOMPARE(p.port, std::string("99"));
        QCOMPARE(p.name, std::string("Vore"));
        QCOMPARE(p.address, std::string("base"));
        QCOMPARE(p.shirt, std::string("3"));
        QCOMPARE(p.pants, std::string("11"));
    }
}

void TestStatus::quakeworld_name_with_blanks() {
    const std::string reply = kQw + "\\hostname\\x\n" +
                              "3 5 10 20 \"Lady  of Death \" \"female\" 12 4\n" +
                              "4 1 1 1 \"\" \"base\" 0 0\n";
    auto decoded = status::DecodeQuakeWorld(reply);
    QCOMPARE(decoded.players.size(), std::size_t(2));
    QCOMPARE(decoded.players[0].name, std::string("Lady  of Death "));
    QCOMPARE(decoded.players[0].address, std::string("female"));
    QCOMPARE(decoded.players[0].shirt, std::string("12"));
    QCOMPARE(decoded.players[0].pants, std::string("4"));
    // An empty name between its quotes is read as an empty name; the line goes on.
    QCOMPARE(decoded.players[1].name, std::string());
    QCOMPARE(decoded.players[1].address, std::string("base"));
}

void TestStatus::quakeworld_numeric_tokens() {
    // Frags, time and colours keep the leading number of their token; ping keeps its text.
    const std::string reply = kQw + "\\map\\e1m1\n" +
                              "1 +007 12abc 0x10 \"A\" \"s\" -0 99999999999999999999999\n" +
                              "2 - x 5 \"B\" \"s\" 1.9 13\r\n";
    auto decoded = status::DecodeQuakeWorld(reply);
    QCOMPARE(decoded.players.size(), std::size_t(2));
    QCOMPARE(decoded.players[0].frags, std::string("7"));
    QCOMPARE(decoded.players[0].time, std::string("12"));
    QCOMPARE(decoded.players[0].port, std::string("0x10"));
    QCOMPARE(decoded.players[0].shirt, std::string("0"));
    QCOMPARE(decoded.players[0].pants, std::string("99999999999999999999999"));
    QCOMPARE(decoded.players[1].frags, std::string("0"));
    QCOMPARE(decoded.players[1].time, std::string("0"));
    QCOMPARE(decoded.players[1].shirt, std::string("1"));
    QCOMPARE(decoded.players[1].pants, std::string("13"));
}

void TestStatus::settings_in_key_order_only_known_quakeworld_keys() {
    const std::string reply =
        kQw +
        "\\maxclients\\8\\gamedir\\qw\\*version\\2.40\\fraglimit\\30\\version\\"
        "9\\hostname\\H\\*progs\\666\\map\\dm4\\spawn\\1\n";
    auto decoded = status::DecodeQuakeWorld(reply);
    QVERIFY(decoded.valid);
    QVERIFY(decoded.players.empty());
    const std::vector<std::pair<Setting::Kind, std::string>> expected = {
        {Setting::kMaxClients, "8"}, {Setting::kVersion, "2.40"}, {Setting::kRule, "30"},
        {Setting::kHostname, "H"},   {Setting::kRule, "666"},     {Setting::kMap, "dm4"},
        {Setting::kRule, "1"}};
    QCOMPARE(decoded.settings.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(decoded.settings[i].kind, expected[i].first);
        QCOMPARE(decoded.settings[i].value, expected[i].second);
    }
    QCOMPARE(decoded.settings[2].key, std::string("fraglimit"));
    QCOMPARE(decoded.settings[4].key, std::string("*progs"));
    QCOMPARE(decoded.settings[6].key, std::string("spawn"));
}

void TestStatus::settings_value_at_end_of_datagram() {
    // A settings line that runs to the end of the datagram without its newline: the last value is
    // the rest of the datagram, without the blanks that follow it in the working text.
    auto decoded = status::DecodeQuakeWorld(kQw + "\\map\\dm2\\hostname\\Last one");
    QCOMPARE(decoded.settings.size(), std::size_t(2));
    QCOMPARE(decoded.settings[1].value, std::string("Last one"));
    QVERIFY(decoded.players.empty());
    auto q2 = status::DecodeQuakeII(kQ2 + "\\hostname\\Q2 box");
    QCOMPARE(q2.settings.size(), std::size_t(1));
    QCOMPARE(q2.settings[0].value, std::string("Q2 box"));
    QVERIFY(q2.players.empty());
}

void TestStatus::settings_only_no_players() {
    Bench bench(1);
    bench.Feed(kQw + "\\hostname\\Arena\\map\\dm6\n" +
               QwLine(1, 3, 2, 40, "Ranger", "base", 4, 13));
    QCOMPARE(bench.Slot(0)[kPresent], std::string("1"));
    AddRuleLine(bench.monitor.rules, "stale", "1", kStatusRuleWidth);

    const std::string settings_only =
        kQw + "\\hostname\\Arena 2\\*version\\2.40\\map\\dm6\\maxclients\\16\\timelimit\\20\n";
    bench.Feed(settings_only);
    QCOMPARE(bench.monitor.snapshot.name, std::string("Arena 2"));
    QCOMPARE(bench.monitor.snapshot.version, std::string("2.40"));
    QCOMPARE(bench.monitor.snapshot.map, std::string("dm6"));
    QCOMPARE(bench.monitor.snapshot.max_players, std::string("16"));
    QCOMPARE(bench.monitor.rules.lines.size(), std::size_t(1));
    QCOMPARE(bench.monitor.rules.lines[0], RuleLine("timelimit", "20", kStatusRuleWidth));
    QCOMPARE(bench.hooks.Count("ShowPlayers"), 2);  // one per reply, players or not

    // Nobody is committed any more: the slot ages out on the fourth tick.
    for (int tick = 1; tick <= 4; ++tick) {
        AgePresence(bench.monitor.table);
        bench.Feed(settings_only);
        if (tick < 4)
            QCOMPARE(bench.Slot(0)[kPresent], std::string("1"));
        else
            QCOMPARE(bench.Slot(0)[kPresent], std::string());
    }
    QCOMPARE(bench.Slot(0)[kName], std::string("Ranger"));
}

void TestStatus::capitalised_key_ignored() {
    Bench bench(1);
    bench.monitor.snapshot.name = "before";
    bench.Feed(kQw + "\\Hostname\\Capital\\HOSTNAME\\Shout\\Map\\dm9\n");
    QCOMPARE(bench.monitor.snapshot.name, std::string("before"));
    QCOMPARE(bench.monitor.snapshot.map, std::string());
    bench.Feed(kQw + "\\Hostname\\Capital\\hostname\\lower\n");
    QCOMPARE(bench.monitor.snapshot.name, std::string("lower"));

    // For Quake II a capitalised key is no setting: it becomes a rule.
    auto q2 = status::DecodeQuakeII(kQ2 + "\\Hostname\\Capital\\MapName\\q2dm9\n");
    QCOMPARE(q2.settings.size(), std::size_t(2));
    QCOMPARE(q2.settings[0].kind, Setting::kRule);
    QCOMPARE(q2.settings[1].kind, Setting::kRule);
}

void TestStatus::quake2_player_line() {
    const std::string reply = kQ2 + "\\hostname\\Q2\\version\\3.20\\maxclients\\8\n" +
                              "-3 120 \"Grunt\"\n" + "17 5 \"Big  Gun \"\n";
    Bench bench(3);
    bench.Feed(reply);
    QCOMPARE(bench.monitor.snapshot.name, std::string("Q2"));
    QCOMPARE(bench.monitor.snapshot.version, std::string("3.20"));
    QCOMPARE(bench.monitor.snapshot.max_players, std::string("8"));
    QCOMPARE(bench.Slot(0)[kFrags], std::string("-3"));
    QCOMPARE(bench.Slot(0)[kPort], std::string("120"));
    QCOMPARE(bench.Slot(0)[kName], std::string("Grunt"));
    QCOMPARE(bench.Slot(1)[kName], std::string("Big  Gun "));
    QCOMPARE(bench.Slot(1)[kFrags], std::string("17"));
    QCOMPARE(bench.Slot(1)[kPort], std::string("5"));
    QVERIFY(bench.Slot(2)[kName].empty());
    QCOMPARE(bench.hooks.Count("ShowPlayers"), 1);
}

void TestStatus::quake2_map_and_mapname_both_applied_in_order() {
    const std::string reply = kQ2 + "\\map\\q2dm1\\mapname\\q2dm2\\hostname\\Q2\n";
    auto decoded = status::DecodeQuakeII(reply);
    QCOMPARE(decoded.settings.size(), std::size_t(3));
    QCOMPARE(decoded.settings[0].kind, Setting::kMap);
    QCOMPARE(decoded.settings[0].value, std::string("q2dm1"));
    QCOMPARE(decoded.settings[1].kind, Setting::kMap);
    QCOMPARE(decoded.settings[1].value, std::string("q2dm2"));

    // With disconnect-on-map-change: "map" lands on an empty map (no disconnect), "mapname" then
    // announces another map and disconnects; decoding goes on and shows the last map.
    Bench bench(3);
    bench.monitor.options.disconnect_on_map_change = 1;
    ShowState(bench.monitor, ConnectionState::Connected);
    bench.Feed(reply + "2 30 \"Grunt\"\n");
    QCOMPARE(bench.dialogs.messages.size(), std::size_t(1));
    QCOMPARE(bench.dialogs.messages[0].text, std::string("Map changed: disconnecting."));
    QCOMPARE(bench.dialogs.messages[0].title, std::string("Morvek"));
    QCOMPARE(bench.monitor.state, ConnectionState::Disconnected);
    QCOMPARE(bench.monitor.snapshot.map, std::string("q2dm2"));
    QCOMPARE(bench.monitor.snapshot.name, std::string("Q2"));
    QCOMPARE(bench.Slot(0)[kName], std::string("Grunt"));

    // The same keys the other way round end on the other map.
    Bench reverse(3);
    reverse.monitor.options.disconnect_on_map_change = 1;
    reverse.Feed(kQ2 + "\\mapname\\q2dm2\\map\\q2dm1\n");
    QCOMPARE(reverse.dialogs.messages.size(), std::size_t(1));
    QCOMPARE(reverse.monitor.snapshot.map, std::string("q2dm1"));

    // Without the setting nothing disconnects.
    Bench quiet(3);
    quiet.Feed(reply);
    QVERIFY(quiet.dialogs.messages.empty());
    QCOMPARE(quiet.monitor.snapshot.map, std::string("q2dm2"));
}

void TestStatus::quake2_fields_left_empty() {
    Bench bench(1);
    bench.Feed(kQw + "\\map\\dm6\n" + QwLine(7, 12, 34, 56, "Grunt", "base", 4, 13));
    QCOMPARE(bench.Slot(0)[kAddress], std::string("base"));

    // The next connection of the run is to a Quake II server: the picture is cleared as a
    // connect does, but the incoming record still holds the QuakeWorld player.
    bench.monitor.server_type = ServerType(3);
    ClearMatchData(bench.monitor, bench.hooks);
    QCOMPARE(bench.monitor.table.incoming[kAddress], std::string("base"));
    bench.Feed(kQ2 + "\\mapname\\q2dm1\n-3 120 \"Grunt\"\n");
    const PlayerRecord& slot = bench.Slot(0);
    QCOMPARE(slot[kFrags], std::string("-3"));
    QCOMPARE(slot[kPort], std::string("120"));
    QCOMPARE(slot[kName], std::string("Grunt"));
    QCOMPARE(slot[kShirt], std::string());
    QCOMPARE(slot[kPants], std::string());
    QCOMPARE(slot[kAddress], std::string());
    QCOMPARE(slot[kTime], std::string());

    // Without a clear, the Quake II player overwrites the QuakeWorld fields of the same name.
    Bench kept(1);
    kept.Feed(kQw + "\\map\\dm6\n" + QwLine(7, 12, 34, 56, "Grunt", "base", 4, 13));
    kept.monitor.server_type = ServerType(3);
    kept.Feed(kQ2 + "\\mapname\\q2dm1\n5 60 \"Grunt\"\n");
    QCOMPARE(kept.Slot(0)[kFrags], std::string("5"));
    QCOMPARE(kept.Slot(0)[kShirt], std::string());
    QCOMPARE(kept.Slot(0)[kAddress], std::string());
    QCOMPARE(kept.Slot(0)[kTime], std::string());
}

void TestStatus::current_players_lag() {
    for (int type : {1, 3}) {
        Bench bench(type);
        const std::string reply =
            type == 1 ? kQw + "\\map\\dm6\n" + QwLine(1, 0, 0, 10, "First", "base", 0, 0)
                      : kQ2 + "\\mapname\\q2dm1\n0 10 \"First\"\n";
        bench.Feed(reply);
        QCOMPARE(bench.monitor.snapshot.players, std::string("0"));
        QCOMPARE(bench.Slot(0)[kPresent], std::string("1"));
        bench.Feed(reply);
        QCOMPARE(bench.monitor.snapshot.players, std::string("1"));
    }
}

void TestStatus::truncated_quakeworld_lines() {
    const std::string first = QwLine(7, 12, 34, 56, "Ranger", "base", 4, 13);
    const std::string full = kQw + "\\map\\dm6\n" + first + "8 5 10 20 \"Second\" \"base\" 2 9\n";

    // Cut inside the second name: no closing quote is left, the line is dropped.
    auto cut_name = status::DecodeQuakeWorld(full.substr(0, full.find("cond")));
    QCOMPARE(cut_name.players.size(), std::size_t(1));
    QCOMPARE(cut_name.players[0].name, std::string("Ranger"));
    QCOMPARE(cut_name.players[0].pants, std::string("13"));

    // Cut inside the skin: committed with what could be read.
    auto cut_skin = status::DecodeQuakeWorld(full.substr(0, full.rfind("ase")));
    QCOMPARE(cut_skin.players.size(), std::size_t(2));
    QCOMPARE(cut_skin.players[1].name, std::string("Second"));
    QCOMPARE(cut_skin.players[1].frags, std::string("5"));
    QCOMPARE(cut_skin.players[1].time, std::string("10"));
    QCOMPARE(cut_skin.players[1].port, std::string("20"));
    QCOMPARE(cut_skin.players[1].address, std::string());

    // Cut before the last newline: the bottom colour is the rest of the datagram.
    auto cut_end = status::DecodeQuakeWorld(full.substr(0, full.size() - 1));
    QCOMPARE(cut_end.players.size(), std::size_t(2));
    QCOMPARE(cut_end.players[1].address, std::string("base"));
    QCOMPARE(cut_end.players[1].shirt, std::string("2"));
    QCOMPARE(cut_end.players[1].pants, std::string("9"));

    // Every cut ends, keeps the first line once it is whole, and never invents a third player.
    const std::size_t first_end = kQw.size() + std::string("\\map\\dm6\n").size() + first.size();
    for (std::size_t n = 0; n <= full.size(); ++n) {
        auto decoded = status::DecodeQuakeWorld(full.substr(0, n));
        QCOMPARE(decoded.valid, n > 0);
        QVERIFY(decoded.players.size() <= 2);
        if (n >= first_end) {
            QVERIFY(!decoded.players.empty());
            QCOMPARE(decoded.players[0].name, std::string("Ranger"));
            QCOMPARE(decoded.players[0].pants, std::string("13"));
        }
    }
}

void TestStatus::truncated_quake2_lines() {
    const std::string full = kQ2 + "\\mapname\\q2dm1\n-3 120 \"Grunt\"\n4 80 \"Tank\"\n";
    auto cut_name = status::DecodeQuakeII(full.substr(0, full.size() - 4));
    QCOMPARE(cut_name.players.size(), std::size_t(1));
    QCOMPARE(cut_name.players[0].name, std::string("Grunt"));

    auto no_newline = status::DecodeQuakeII(full.substr(0, full.size() - 1));
    QCOMPARE(no_newline.players.size(), std::size_t(2));
    QCOMPARE(no_newline.players[1].name, std::string("Tank"));
    QCOMPARE(no_newline.players[1].frags, std::string("4"));

    for (std::size_t n = 0; n <= full.size(); ++n) {
        auto decoded = status::DecodeQuakeII(full.substr(0, n));
        QCOMPARE(decoded.valid, n > 0);
        QVERIFY(decoded.players.size() <= 2);
        if (n >= full.find("4 80")) {
            QCOMPARE(decoded.players.at(0).name, std::string("Grunt"));
            QCOMPARE(decoded.players.at(0).frags, std::string("-3"));
        }
    }
}

void TestStatus::malformed_step_is_skipped() {
    // The skin lacks its opening quote: the name step drops the blank and the "b" it takes for
    // that quote, the skin step finds no quote and is skipped, and the colour steps read on from
    // the unchanged rest: "ase" is the top colour (0) and "4 13" the bottom one (4).
    auto decoded = status::DecodeQuakeWorld(kQw + "\\map\\dm6\n7 12 34 56 \"Ranger\" base 4 13\n");
    QCOMPARE(decoded.players.size(), std::size_t(1));
    const auto& p = decoded.players[0];
    QCOMPARE(p.name, std::string("Ranger"));
    QCOMPARE(p.address, std::string());
    QCOMPARE(p.shirt, std::string("0"));
    QCOMPARE(p.pants, std::string("4"));

    // Quake II: no blank on the line, so the frags step takes the whole line as its token and
    // the name step finds no quote left: the line is not committed as a nameless player.
    auto q2 = status::DecodeQuakeII(kQ2 + "\\mapname\\q2dm1\n9\"Solo\"\n");
    QVERIFY(q2.valid);
    QVERIFY(q2.players.empty());
}

void TestStatus::reply_over_1000_bytes_all_players_decoded() {
    for (int type : {1, 3}) {
        std::string reply = type == 1 ? kQw + "\\hostname\\Full house\\map\\dm6\\maxclients\\32\n"
                                      : kQ2 + "\\hostname\\Full house\\mapname\\q2dm1\n";
        for (int i = 0; i < 32; ++i) {
            std::string name = "Player number " + std::to_string(i);
            if (type == 1)
                reply += QwLine(100 + i, i - 5, i * 2, 30 + i, name, "base", i % 16, 15 - i % 16);
            else
                reply += std::to_string(i - 5) + " " + std::to_string(30 + i) + " \"" + name +
                         " with a longer tail\"\n";
        }
        QVERIFY(reply.size() > 1200);

        Bench bench(type);
        bench.Feed(reply);
        QCOMPARE(CountPresent(bench.monitor.table), 32);
        for (int i = 0; i < 32; ++i) {
            const PlayerRecord& slot = bench.Slot(i);
            QVERIFY(slot[kName].rfind("Player number " + std::to_string(i), 0) == 0);
            QCOMPARE(slot[kFrags], std::to_string(i - 5));
            QCOMPARE(slot[kPort], std::to_string(30 + i));
            if (type == 1) QCOMPARE(slot[kPants], std::to_string(15 - i % 16));
        }
    }
}

void TestStatus::first_byte_not_ff_changes_nothing() {
    for (int type : {1, 3}) {
        for (const std::string& datagram :
             {std::string("\xFE\xFF\xFF\xFFn\\hostname\\X\n1 1 1 1 \"A\" \"b\" 1 1\n"),
              std::string(" \xFF\xFF\xFF\xFFn\\hostname\\X\n"), std::string()}) {
            QVERIFY(!status::DecodeQuakeWorld(datagram).valid);
            QVERIFY(!status::DecodeQuakeII(datagram).valid);
            Bench bench(type);
            bench.monitor.snapshot.name = "kept";
            AddRuleLine(bench.monitor.rules, "kept", "1", kStatusRuleWidth);
            bench.Feed(datagram);
            QCOMPARE(bench.monitor.snapshot.name, std::string("kept"));
            QCOMPARE(bench.monitor.snapshot.port, std::string());
            QCOMPARE(bench.monitor.snapshot.players, std::string());
            QCOMPARE(bench.monitor.rules.lines.size(), std::size_t(1));
            QCOMPARE(bench.monitor.rules.caption, std::string("Rules - Working..."));
            QVERIFY(bench.Slot(0)[kName].empty());
            QCOMPARE(bench.hooks.Count("ShowPlayers"), 0);
            QCOMPARE(bench.monitor.net, NetLamp::Idle);
        }
    }
}

void TestStatus::rules_lines_and_caption() {
    Bench qw(1);
    AddRuleLine(qw.monitor.rules, "stale", "x", kStatusRuleWidth);
    qw.Feed(kQw +
            "\\fraglimit\\30\\hostname\\H\\gamedir\\qw\\*progs\\666\\"
            "averyveryverylongname\\1\\maxspectators\\2\n");
    const std::vector<std::string> qw_lines = {
        std::string("fraglimit") + std::string(11, ' ') + "\t30",
        std::string("*progs") + std::string(14, ' ') + "\t666",
        std::string("maxspectators") + std::string(7, ' ') + "\t2"};
    QCOMPARE(qw.monitor.rules.lines, qw_lines);
    QCOMPARE(qw.monitor.rules.caption, std::string("Rules - Working..."));

    Bench q2(3);
    AddRuleLine(q2.monitor.rules, "stale", "x", kStatusRuleWidth);
    q2.Feed(kQ2 +
            "\\hostname\\H\\version\\3.20\\map\\a\\mapname\\a\\maxclients\\8\\fraglimit\\25\\"
            "timelimit\\\\averyveryverylongname\\1\n");
    const std::vector<std::string> q2_lines = {
        std::string("fraglimit") + std::string(11, ' ') + "\t25",
        std::string("timelimit") + std::string(11, ' ') + "\t",
        std::string("averyveryverylongname") + "\t1"};
    QCOMPARE(q2.monitor.rules.lines, q2_lines);
    QCOMPARE(q2.monitor.rules.caption, std::string("Morvek - Rules"));

    // The caption changes after the first Quake II reply even when it carries no keys.
    Bench bare(3);
    bare.Feed(kQ2);
    QVERIFY(bare.monitor.rules.lines.empty());
    QCOMPARE(bare.monitor.rules.caption, std::string("Morvek - Rules"));
}

void TestStatus::garbage_never_hangs() {
    // Every committed player has a name read up to a quote, and every name step drops a quote,
    // so a reply never yields more players than it holds quotes.
    std::mt19937 random(7);
    const char alphabet[] = {'\\', '"', ' ', '\n', 'a', '1', '-', '\xFF'};
    for (int round = 0; round < 3000; ++round) {
        std::string datagram = std::string("\xFF\xFF\xFF\xFF", 4);
        const int length = int(random() % 200);
        for (int i = 0; i < length; ++i) datagram += alphabet[random() % sizeof alphabet];
        const auto quotes = std::size_t(std::count(datagram.begin(), datagram.end(), '"'));
        auto qw = status::DecodeQuakeWorld(datagram);
        auto q2 = status::DecodeQuakeII(datagram);
        QVERIFY(qw.valid && q2.valid);
        QVERIFY(qw.players.size() <= quotes);
        QVERIFY(q2.players.size() <= quotes);
    }
}

void TestStatus::simulator_replies_round_trip() {
    sim::SimState state;
    state.hostname = "Round \"trip\" server";
    state.map = "dm6";
    state.version = "2.40";
    state.max_players = 24;
    state.rules = {{"fraglimit", "30"}, {"gamedir", "qw"}};
    sim::SimPlayer a;
    a.name = "Big Bad Wolf";
    a.frags = -5;
    a.seconds = 125;
    a.ping = 77;
    a.skin = "base";
    a.shirt = 4;
    a.pants = 13;
    a.user_id = 12;
    sim::SimPlayer b = a;
    b.name = "x";
    b.frags = 300;
    b.user_id = 3;
    b.skin = "female";
    state.players = {a, b};

    auto qw = status::DecodeQuakeWorld(sim::BuildQuakeWorldStatus(state));
    QVERIFY(qw.valid);
    QCOMPARE(qw.settings.size(), std::size_t(5));  // gamedir is no QuakeWorld setting
    QCOMPARE(qw.settings[0].value, state.hostname);
    QCOMPARE(qw.settings[1].kind, Setting::kVersion);
    QCOMPARE(qw.settings[2].value, std::string("dm6"));
    QCOMPARE(qw.settings[3].value, std::string("24"));
    QCOMPARE(qw.settings[4].key, std::string("fraglimit"));
    QCOMPARE(qw.players.size(), std::size_t(2));
    QCOMPARE(qw.players[0].name, std::string("Big Bad Wolf"));
    QCOMPARE(qw.players[0].frags, std::string("-5"));
    QCOMPARE(qw.players[0].time, std::string("2"));
    QCOMPARE(qw.players[0].port, std::string("77"));
    QCOMPARE(qw.players[0].address, std::string("base"));
    QCOMPARE(qw.players[0].shirt, std::string("4"));
    QCOMPARE(qw.players[0].pants, std::string("13"));
    QCOMPARE(qw.players[1].name, std::string("x"));
    QCOMPARE(qw.players[1].frags, std::string("300"));
    QCOMPARE(qw.players[1].address, std::string("female"));

    state.type = ServerType::QuakeII;
    state.version = "3.20 x86";
    auto q2 = status::DecodeQuakeII(sim::BuildQuakeIIStatus(state));
    QVERIFY(q2.valid);
    QCOMPARE(q2.settings.size(), std::size_t(6));
    QCOMPARE(q2.settings[1].value, std::string("3.20 x86"));
    QCOMPARE(q2.settings[2].kind, Setting::kMap);
    QCOMPARE(q2.settings[2].key, std::string("mapname"));
    QCOMPARE(q2.settings[5].key, std::string("gamedir"));
    QCOMPARE(q2.players.size(), std::size_t(2));
    QCOMPARE(q2.players[0].name, std::string("Big Bad Wolf"));
    QCOMPARE(q2.players[0].frags, std::string("-5"));
    QCOMPARE(q2.players[0].port, std::string("77"));
    QVERIFY(q2.players[0].time.empty() && q2.players[0].address.empty());
    QCOMPARE(q2.players[1].frags, std::string("300"));
}

void TestStatus::simulator_over_udp() {
    for (int type : {1, 3}) {
        testing::Rig rig(type);
        const sim::SimState state = rig.StartServer().State();
        auto [monitor, dialogs, connection, server] =
            std::tie(rig.monitor, rig.dialogs, rig.connection, *rig.server);
        connection.mnuConnect_Click();
        QTRY_VERIFY_WITH_TIMEOUT(connection.DatagramsReceived() >= 1, 5000);
        connection.timCheck_Timer();
        QTRY_VERIFY_WITH_TIMEOUT(connection.DatagramsReceived() >= 2, 5000);

        QCOMPARE(monitor.state, ConnectionState::Connected);
        QCOMPARE(monitor.snapshot.name, state.hostname);
        QCOMPARE(monitor.snapshot.map, state.map);
        QCOMPARE(monitor.snapshot.version, state.version);
        QCOMPARE(monitor.snapshot.address, std::string("127.0.0.1"));
        QCOMPARE(monitor.snapshot.port, std::to_string(server.Port()));
        QCOMPARE(monitor.snapshot.players, std::to_string(state.players.size()));
        for (std::size_t i = 0; i < state.players.size(); ++i) {
            const PlayerRecord& slot = monitor.table.slot[i];
            QCOMPARE(slot[kName], state.players[i].name);
            QCOMPARE(slot[kFrags], std::to_string(state.players[i].frags));
            QCOMPARE(slot[kPort], std::to_string(state.players[i].ping));
            if (type == 1)
                QCOMPARE(slot[kAddress], state.players[i].skin);
            else
                QVERIFY(slot[kAddress].empty());
        }
        QVERIFY(!monitor.rules.lines.empty());
        QVERIFY(dialogs.messages.empty());
        connection.mnuDisconnect_Click();
    }
}

QTEST_GUILESS_MAIN(TestStatus)
#include "test_status.moc"
