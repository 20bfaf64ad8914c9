// QuakeWorld and Quake II status replies: byte-exact fixtures for the decoders, each named after
// what it proves, and the replies applied to the monitor's picture through the connection.
#include <QtTest>
#include <algorithm>
#include <random>

#include "sim/status_replies.h"
#include "support/rig.h"

using namespace morvek;
using status::Player;
using status::Setting;
using status::StatusReply;
Q_DECLARE_METATYPE(StatusReply)

namespace {

const std::string kFF = std::string("\xFF\xFF\xFF\xFF", 4);
const std::string kQw = kFF + "n";        // the start of every QuakeWorld reply
const std::string kQ2 = kFF + "print\n";  // the first line of every Quake II reply
const std::string kRanger = "7 12 34 56 \"Ranger\" \"base\" 4 13\n";

Setting Map(const std::string& v, const std::string& key = "map") {
    return {Setting::kMap, key, v};
}
Setting Rule(const std::string& k, const std::string& v) {
    return {Setting::kRule, k, v};
}
Setting Host(const std::string& v) {
    return {Setting::kHostname, "hostname", v};
}
StatusReply Reply(std::vector<Setting> settings, std::vector<Player> players = {}) {
    return {true, std::move(settings), std::move(players)};
}
Player Q2(const std::string& frags, const std::string& ping, const std::string& name) {
    return {frags, "", ping, name, "", "", ""};
}
const Player kRangerPlayer{"12", "34", "56", "Ranger", "base", "4", "13"};

// A slot as the player view shows it: the nine fields.
PlayerRecord Slot(const Player& p, const char* present = "1") {
    PlayerRecord r;
    r[kPresent] = present;
    r[kFrags] = p.frags, r[kTime] = p.time, r[kPort] = p.port, r[kName] = p.name;
    r[kAddress] = p.address, r[kShirt] = p.shirt, r[kPants] = p.pants;
    return r;
}

std::string Snapshot(const Monitor& m) {
    const auto& s = m.snapshot;
    return s.name + "|" + s.map + "|" + s.version + "|" + s.players + "/" + s.max_players + "|" +
           s.port;
}

}  // namespace

class TestStatus : public QObject {
    Q_OBJECT
  private slots:
    void the_status_request_is_eleven_bytes();
    void quakeworld_replies_data();
    void quakeworld_replies();
    void quake2_replies_data();
    void quake2_replies();
    void every_cut_of_a_reply_ends_and_keeps_whole_lines();
    void garbage_never_yields_more_players_than_quotes();
    void a_reply_is_applied_to_slots_and_panel();
    void a_reply_without_players_ages_the_slots_out();
    void a_capitalised_key_is_no_setting();
    void map_and_mapname_both_apply_in_order();
    void a_quake2_player_clears_the_quakeworld_fields();
    void the_player_count_lags_one_reply();
    void a_reply_over_1000_bytes_is_decoded_whole();
    void a_first_byte_other_than_ff_changes_nothing();
    void unknown_keys_become_rule_lines_with_the_caption();
    void simulator_replies_round_trip();
    void simulator_over_udp();
};

void TestStatus::the_status_request_is_eleven_bytes() {
    QCOMPARE(status::StatusRequest(), kFF + "status ");
}

void TestStatus::quakeworld_replies_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<StatusReply>("expected");
    auto row = [](const char* name, const std::string& reply, const StatusReply& expected) {
        QTest::newRow(name) << QByteArray::fromStdString(kQw + reply) << expected;
    };
    row("a player line", "\\hostname\\Arena\n" + kRanger, Reply({Host("Arena")}, {kRangerPlayer}));
    for (const char* id : {"1234", "0"})
        row(qPrintable(QString("user id ") + id),
            std::string("\\map\\dm6\n") + id + " -4 2 99 \"Vore\" \"base\" 3 11\n",
            Reply({Map("dm6")}, {{"-4", "2", "99", "Vore", "base", "3", "11"}}));
    row("quakeworld_name_with_blanks_and_an_empty_name",
        "\\hostname\\x\n3 5 10 20 \"Lady  of Death \" \"female\" 12 4\n4 1 1 1 \"\" \"base\" 0 0\n",
        Reply({Host("x")}, {{"5", "10", "20", "Lady  of Death ", "female", "12", "4"},
                            {"1", "1", "1", "", "base", "0", "0"}}));
    // Frags, time and colours keep the leading number of their token; ping keeps its text.
    row("quakeworld_numbers_with_signs_and_tails_and_crlf",
        "\\map\\e1m1\n1 +007 12abc 0x10 \"A\" \"s\" -0 99999999999999999999999\n"
        "2 - x 5 \"B\" \"s\" 1.9 13\r\n",
        Reply({Map("e1m1")}, {{"7", "12", "0x10", "A", "s", "0", "99999999999999999999999"},
                              {"0", "0", "5", "B", "s", "1", "13"}}));
    row("only known keys, in key order",
        "\\maxclients\\8\\gamedir\\qw\\*version\\2.40\\fraglimit\\30\\version\\9\\hostname\\H"
        "\\*progs\\666\\map\\dm4\\spawn\\1\n",
        Reply({{Setting::kMaxClients, "maxclients", "8"},
               {Setting::kVersion, "*version", "2.40"},
               Rule("fraglimit", "30"),
               Host("H"),
               Rule("*progs", "666"),
               Map("dm4"),
               Rule("spawn", "1")}));
    row("quakeworld_settings_line_without_newline", "\\map\\dm2\\hostname\\Last one",
        Reply({Map("dm2"), Host("Last one")}));
    row("quakeworld_reply_ends_with_a_nul", "\\map\\dm6\n" + kRanger + std::string(1, '\0'),
        Reply({Map("dm6")}, {kRangerPlayer}));
    row("quakeworld_capitalised_keys_are_ignored", "\\Hostname\\Capital\\HOSTNAME\\S\\Map\\dm9\n",
        Reply({}));
    // Cut inside the second name: no closing quote is left, the line is dropped.
    const std::string two = "\\map\\dm6\n" + kRanger + "8 5 10 20 \"Second\" \"base\" 2 9\n";
    row("cut inside a name", two.substr(0, two.find("cond")), Reply({Map("dm6")}, {kRangerPlayer}));
    row("cut inside a skin", two.substr(0, two.rfind("ase")),
        Reply({Map("dm6")}, {kRangerPlayer, {"5", "10", "20", "Second", "", "0", "0"}}));
    row("cut before the last newline", two.substr(0, two.size() - 1),
        Reply({Map("dm6")}, {kRangerPlayer, {"5", "10", "20", "Second", "base", "2", "9"}}));
    // The skin lacks its opening quote: the name step drops the blank and the "b" it takes for
    // that quote, the skin step is skipped, and the colours read on: "ase" is 0, "4 13" is 4.
    row("a step without its quote is skipped", "\\map\\dm6\n7 12 34 56 \"Ranger\" base 4 13\n",
        Reply({Map("dm6")}, {{"12", "34", "56", "Ranger", "", "0", "4"}}));
}

void TestStatus::quakeworld_replies() {
    QFETCH(QByteArray, reply);
    QFETCH(StatusReply, expected);
    QCOMPARE(status::DecodeQuakeWorld(reply.toStdString()), expected);
}

void TestStatus::quake2_replies_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<StatusReply>("expected");
    auto row = [](const char* name, const std::string& reply, const StatusReply& expected) {
        QTest::newRow(name) << QByteArray::fromStdString(kQ2 + reply) << expected;
    };
    row("quake2_player_lines_have_no_skin",
        "\\hostname\\Q2\\version\\3.20\\maxclients\\8\n-3 120 \"Grunt\"\n17 5 \"Big  Gun \"\n",
        Reply({Host("Q2"),
               {Setting::kVersion, "version", "3.20"},
               {Setting::kMaxClients, "maxclients", "8"}},
              {Q2("-3", "120", "Grunt"), Q2("17", "5", "Big  Gun ")}));
    row("quake2_reply_has_map_and_mapname", "\\map\\q2dm1\\mapname\\q2dm2\\hostname\\Q2\n",
        Reply({Map("q2dm1"), Map("q2dm2", "mapname"), Host("Q2")}));
    row("quake2_settings_line_without_newline", "\\hostname\\Q2 box", Reply({Host("Q2 box")}));
    row("quake2_capitalised_keys_are_rules", "\\Hostname\\Capital\\MapName\\q2dm9\n",
        Reply({Rule("Hostname", "Capital"), Rule("MapName", "q2dm9")}));
    const std::string two = "\\mapname\\q2dm1\n-3 120 \"Grunt\"\n4 80 \"Tank\"\n";
    const auto map = Map("q2dm1", "mapname");
    row("cut inside a name", two.substr(0, two.size() - 4),
        Reply({map}, {Q2("-3", "120", "Grunt")}));
    row("cut before the last newline", two.substr(0, two.size() - 1),
        Reply({map}, {Q2("-3", "120", "Grunt"), Q2("4", "80", "Tank")}));
    // No blank on the line: the frags step takes the whole line and the name step finds no quote
    // left, so the line is not committed as a nameless player.
    row("a line without blanks is no player", "\\mapname\\q2dm1\n9\"Solo\"\n", Reply({map}));
}

void TestStatus::quake2_replies() {
    QFETCH(QByteArray, reply);
    QFETCH(StatusReply, expected);
    QCOMPARE(status::DecodeQuakeII(reply.toStdString()), expected);
}

void TestStatus::every_cut_of_a_reply_ends_and_keeps_whole_lines() {
    const std::string qw = kQw + "\\map\\dm6\n" + kRanger + "8 5 10 20 \"Second\" \"base\" 2 9\n";
    const std::string q2 = kQ2 + "\\mapname\\q2dm1\n-3 120 \"Grunt\"\n4 80 \"Tank\"\n";
    for (std::size_t n = 0; n <= qw.size(); ++n) {
        auto decoded = status::DecodeQuakeWorld(qw.substr(0, n));
        QCOMPARE(decoded.valid, n > 0);
        QVERIFY(decoded.players.size() <= 2);
        if (n >= qw.find("8 5")) QCOMPARE(decoded.players.at(0), kRangerPlayer);
    }
    for (std::size_t n = 0; n <= q2.size(); ++n) {
        auto decoded = status::DecodeQuakeII(q2.substr(0, n));
        QCOMPARE(decoded.valid, n > 0);
        QVERIFY(decoded.players.size() <= 2);
        if (n >= q2.find("4 80")) QCOMPARE(decoded.players.at(0), Q2("-3", "120", "Grunt"));
    }
}

void TestStatus::garbage_never_yields_more_players_than_quotes() {
    // Every committed player has a name read up to a quote, and every name step drops a quote.
    std::mt19937 random(7);
    const char alphabet[] = {'\\', '"', ' ', '\n', 'a', '1', '-', '\xFF'};
    for (int round = 0; round < 3000; ++round) {
        std::string datagram = kFF;
        for (int i = int(random() % 200); i > 0; --i) datagram += alphabet[random() % 8];
        const auto quotes = std::size_t(std::count(datagram.begin(), datagram.end(), '"'));
        auto qw = status::DecodeQuakeWorld(datagram);
        auto q2 = status::DecodeQuakeII(datagram);
        QVERIFY(qw.valid && q2.valid);
        QVERIFY(qw.players.size() <= quotes && q2.players.size() <= quotes);
    }
}

void TestStatus::a_reply_is_applied_to_slots_and_panel() {
    testing::Rig rig(1);
    rig.connection.Winsock().SetRemotePort(27500);
    rig.Feed(kQw + "\\hostname\\Arena\n" + kRanger);
    QCOMPARE(rig.Slot(0), Slot(kRangerPlayer));
    QCOMPARE(rig.monitor.table.countdown[0], std::int16_t(3));
    QCOMPARE(rig.Slot(1), PlayerRecord{});
    QCOMPARE(Snapshot(rig.monitor), std::string("Arena|||0/|27500"));
    QCOMPARE(rig.hooks.Count("ShowPlayers"), 1);

    testing::Rig q2(3);
    q2.Feed(kQ2 + "\\hostname\\Q2\\version\\3.20\\maxclients\\8\n-3 120 \"Grunt\"\n");
    QCOMPARE(q2.Slot(0), Slot(Q2("-3", "120", "Grunt")));
    QCOMPARE(Snapshot(q2.monitor), std::string("Q2||3.20|0/8|26000"));
}

void TestStatus::a_reply_without_players_ages_the_slots_out() {
    testing::Rig rig(1);
    rig.Feed(kQw + "\\hostname\\Arena\\map\\dm6\n" + kRanger);
    AddRuleLine(rig.monitor.rules, "stale", "1", kStatusRuleWidth);
    const std::string settings_only =
        kQw + "\\hostname\\Arena 2\\*version\\2.40\\map\\dm6\\maxclients\\16\\timelimit\\20\n";
    rig.Feed(settings_only);
    QCOMPARE(Snapshot(rig.monitor), std::string("Arena 2|dm6|2.40|1/16|26000"));
    QCOMPARE(rig.monitor.rules.lines,
             std::vector<std::string>{RuleLine("timelimit", "20", kStatusRuleWidth)});
    QCOMPARE(rig.hooks.Count("ShowPlayers"), 2);  // one per reply, players or not
    // Nobody is committed any more: the slot ages out on the fourth tick.
    for (int tick = 1; tick <= 4; ++tick) {
        AgePresence(rig.monitor.table);
        rig.Feed(settings_only);
        QCOMPARE(rig.Slot(0), Slot(kRangerPlayer, tick < 4 ? "1" : ""));
    }
}

void TestStatus::a_capitalised_key_is_no_setting() {
    testing::Rig rig(1);
    rig.monitor.snapshot.name = "before";
    rig.Feed(kQw + "\\Hostname\\Capital\\HOSTNAME\\Shout\\Map\\dm9\n");
    QCOMPARE(Snapshot(rig.monitor), std::string("before|||0/|26000"));
    rig.Feed(kQw + "\\Hostname\\Capital\\hostname\\lower\n");
    QCOMPARE(rig.monitor.snapshot.name, std::string("lower"));
}

void TestStatus::map_and_mapname_both_apply_in_order() {
    // With disconnect-on-map-change: "map" lands on an empty map (no disconnect), "mapname" then
    // announces another map and disconnects; decoding goes on and shows the last map.
    const std::string reply = kQ2 + "\\map\\q2dm1\\mapname\\q2dm2\\hostname\\Q2\n";
    for (auto [datagram, disconnect, map] :
         {std::tuple(reply + "2 30 \"Grunt\"\n", 1, "q2dm2"),
          std::tuple(kQ2 + "\\mapname\\q2dm2\\map\\q2dm1\n", 1, "q2dm1"),
          std::tuple(reply, 0, "q2dm2")}) {
        testing::Rig rig(3);
        rig.monitor.options.disconnect_on_map_change = std::int16_t(disconnect);
        ShowState(rig.monitor, ConnectionState::Connected);
        rig.Feed(datagram);
        QCOMPARE(rig.dialogs.Texts(), disconnect
                                          ? std::vector<std::string>{"Map changed: disconnecting."}
                                          : std::vector<std::string>{});
        QCOMPARE(rig.monitor.state,
                 disconnect ? ConnectionState::Disconnected : ConnectionState::Connected);
        QCOMPARE(rig.monitor.snapshot.map, std::string(map));
    }
    testing::Rig rig(3);
    rig.monitor.options.disconnect_on_map_change = 1;
    rig.Feed(reply + "2 30 \"Grunt\"\n");
    QCOMPARE(rig.dialogs.messages.at(0).title, std::string("Morvek"));
    QCOMPARE(rig.monitor.snapshot.name + rig.Slot(0)[kName], std::string("Q2Grunt"));
}

void TestStatus::a_quake2_player_clears_the_quakeworld_fields() {
    // After a clear (a new connection) and without one, a Quake II player in a slot a QuakeWorld
    // player held keeps none of the QuakeWorld fields.
    for (bool clear : {true, false}) {
        testing::Rig rig(1);
        rig.Feed(kQw + "\\map\\dm6\n" + kRanger);
        rig.monitor.server_type = ServerType(3);
        if (clear) ClearMatchData(rig.monitor, rig.hooks);
        rig.Feed(kQ2 + "\\mapname\\q2dm1\n-3 120 \"Ranger\"\n");
        QCOMPARE(rig.Slot(0), Slot(Q2("-3", "120", "Ranger")));
    }
}

void TestStatus::the_player_count_lags_one_reply() {
    for (int type : {1, 3}) {
        testing::Rig rig(type);
        const std::string reply =
            type == 1 ? kQw + "\\map\\dm6\n" + kRanger : kQ2 + "\\mapname\\q2dm1\n0 10 \"First\"\n";
        rig.Feed(reply);
        QCOMPARE(rig.monitor.snapshot.players, std::string("0"));
        rig.Feed(reply);
        QCOMPARE(rig.monitor.snapshot.players, std::string("1"));
    }
}

void TestStatus::a_reply_over_1000_bytes_is_decoded_whole() {
    for (int type : {1, 3}) {
        std::string reply = type == 1 ? kQw + "\\map\\dm6\n" : kQ2 + "\\mapname\\q2dm1\n";
        std::vector<Player> players;
        for (int i = 0; i < 32; ++i) {
            const std::string name = "Player number " + std::to_string(i) + " with a long tail";
            const auto frags = std::to_string(i - 5), ping = std::to_string(30 + i);
            if (type == 1) {
                players.push_back({frags, "2", ping, name, "base", "1", std::to_string(i % 14)});
                reply += std::to_string(100 + i) + " " + frags + " 2 " + ping + " \"" + name +
                         "\" \"base\" 1 " + players.back().pants + "\n";
            } else {
                players.push_back(Q2(frags, ping, name));
                reply += frags + " " + ping + " \"" + name + "\"\n";
            }
        }
        QVERIFY(reply.size() > 1200);
        testing::Rig rig(type);
        rig.Feed(reply);
        QCOMPARE(CountPresent(rig.monitor.table), 32);
        for (int i = 0; i < 32; ++i) QCOMPARE(rig.Slot(i), Slot(players[std::size_t(i)]));
    }
}

void TestStatus::a_first_byte_other_than_ff_changes_nothing() {
    for (int type : {1, 3}) {
        for (const std::string& datagram : {"\xFE\xFF\xFF\xFFn\\hostname\\X\n" + kRanger,
                                            " " + kQw + "\\hostname\\X\n", std::string()}) {
            QCOMPARE(status::DecodeQuakeWorld(datagram), StatusReply{});
            QCOMPARE(status::DecodeQuakeII(datagram), StatusReply{});
            testing::Rig rig(type);
            rig.monitor.snapshot.name = "kept";
            AddRuleLine(rig.monitor.rules, "kept", "1", kStatusRuleWidth);
            rig.Feed(datagram);
            QCOMPARE(Snapshot(rig.monitor), std::string("kept|||/|"));
            QCOMPARE(rig.monitor.rules.lines.size(), std::size_t(1));
            QCOMPARE(rig.monitor.rules.caption, std::string("Rules - Working..."));
            QCOMPARE(rig.Slot(0), PlayerRecord{});
            QCOMPARE(rig.hooks.Count("ShowPlayers"), 0);
            QCOMPARE(rig.monitor.net, NetLamp::Idle);
        }
    }
}

void TestStatus::unknown_keys_become_rule_lines_with_the_caption() {
    auto pad = [](const std::string& key, const std::string& value) {
        return key + std::string(key.size() < 20 ? 20 - key.size() : 0, ' ') + "\t" + value;
    };
    testing::Rig qw(1);
    AddRuleLine(qw.monitor.rules, "stale", "x", kStatusRuleWidth);
    qw.Feed(kQw +
            "\\fraglimit\\30\\hostname\\H\\gamedir\\qw\\*progs\\666\\"
            "averyveryverylongname\\1\\maxspectators\\2\n");
    QCOMPARE(qw.monitor.rules.lines, (std::vector{pad("fraglimit", "30"), pad("*progs", "666"),
                                                  pad("maxspectators", "2")}));
    QCOMPARE(qw.monitor.rules.caption, std::string("Rules - Working..."));

    testing::Rig q2(3);
    AddRuleLine(q2.monitor.rules, "stale", "x", kStatusRuleWidth);
    q2.Feed(kQ2 +
            "\\hostname\\H\\version\\3.20\\map\\a\\mapname\\a\\maxclients\\8\\fraglimit\\25"
            "\\timelimit\\\\averyveryverylongname\\1\n");
    QCOMPARE(q2.monitor.rules.lines, (std::vector{pad("fraglimit", "25"), pad("timelimit", ""),
                                                  pad("averyveryverylongname", "1")}));
    QCOMPARE(q2.monitor.rules.caption, std::string("Morvek - Rules"));
    // The caption changes after the first Quake II reply even when it carries no keys.
    testing::Rig bare(3);
    bare.Feed(kQ2);
    QVERIFY(bare.monitor.rules.lines.empty());
    QCOMPARE(bare.monitor.rules.caption, std::string("Morvek - Rules"));
}

void TestStatus::simulator_replies_round_trip() {
    sim::SimState state;
    state.hostname = "Round \"trip\" server";
    state.map = "dm6";
    state.version = "2.40";
    state.max_players = 24;
    state.rules = {{"fraglimit", "30"}, {"gamedir", "qw"}};
    sim::SimPlayer a{};
    a.name = "Big Bad Wolf", a.frags = -5, a.seconds = 125, a.ping = 77, a.skin = "base";
    a.shirt = 4, a.pants = 13, a.user_id = 12;
    sim::SimPlayer b = a;
    b.name = "x", b.frags = 300, b.user_id = 3, b.skin = "female";
    state.players = {a, b};
    QCOMPARE(status::DecodeQuakeWorld(sim::BuildQuakeWorldStatus(state)),
             Reply({Host(state.hostname),
                    {Setting::kVersion, "*version", "2.40"},
                    Map("dm6"),
                    {Setting::kMaxClients, "maxclients", "24"},
                    Rule("fraglimit", "30")},
                   {{"-5", "2", "77", "Big Bad Wolf", "base", "4", "13"},
                    {"300", "2", "77", "x", "female", "4", "13"}}));
    state.type = ServerType::QuakeII;
    state.version = "3.20 x86";
    QCOMPARE(status::DecodeQuakeII(sim::BuildQuakeIIStatus(state)),
             Reply({Host(state.hostname),
                    {Setting::kVersion, "version", "3.20 x86"},
                    Map("dm6", "mapname"),
                    {Setting::kMaxClients, "maxclients", "24"},
                    Rule("fraglimit", "30"),
                    Rule("gamedir", "qw")},
                   {Q2("-5", "77", "Big Bad Wolf"), Q2("300", "77", "x")}));
}

void TestStatus::simulator_over_udp() {
    for (int type : {1, 3}) {
        testing::Rig rig(type);
        const sim::SimState state = rig.StartServer().State();
        rig.connection.mnuConnect_Click();
        QTRY_VERIFY_WITH_TIMEOUT(rig.connection.DatagramsReceived() >= 1, 5000);
        rig.connection.timCheck_Timer();
        QTRY_VERIFY_WITH_TIMEOUT(rig.connection.DatagramsReceived() >= 2, 5000);
        QCOMPARE(rig.monitor.state, ConnectionState::Connected);
        QCOMPARE(Snapshot(rig.monitor), state.hostname + "|" + state.map + "|" + state.version +
                                            "|" + std::to_string(state.players.size()) + "/" +
                                            rig.monitor.snapshot.max_players + "|" +
                                            std::to_string(rig.server->Port()));
        QCOMPARE(rig.monitor.snapshot.address, std::string("127.0.0.1"));
        for (std::size_t i = 0; i < state.players.size(); ++i) {
            const auto& p = state.players[i];
            QCOMPARE(rig.Slot(int(i))[kName] + "|" + rig.Slot(int(i))[kFrags] + "|" +
                         rig.Slot(int(i))[kPort] + "|" + rig.Slot(int(i))[kAddress],
                     p.name + "|" + std::to_string(p.frags) + "|" + std::to_string(p.ping) + "|" +
                         (type == 1 ? p.skin : ""));
        }
        QVERIFY(!rig.monitor.rules.lines.empty());
        QVERIFY(rig.dialogs.messages.empty());
        rig.connection.mnuDisconnect_Click();
    }
}

QTEST_GUILESS_MAIN(TestStatus)
#include "test_status.moc"
