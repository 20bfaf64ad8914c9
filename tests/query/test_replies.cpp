// Requests byte by byte, replies decoded whole (one row per real-world quirk), and replies fed to
// the monitor's picture through the connection.
#include <QtTest>

#include "query/netquake.h"
#include "support/rig.h"

using namespace morvek;
using status::Player;
using status::Setting;
using status::StatusReply;
Q_DECLARE_METATYPE(StatusReply)
Q_DECLARE_METATYPE(morvek::netquake::Reply)

namespace {

const std::string kQw = std::string("\xFF\xFF\xFF\xFFn", 5);         // every QuakeWorld reply
const std::string kQ2 = std::string("\xFF\xFF\xFF\xFFprint\n", 10);  // every Quake II reply
const std::string kRanger = "7 12 34 56 \"Ranger\" \"base\" 4 13\n";
const Player kRangerPlayer{"12", "34", "56", "Ranger", "base", "4", "13"};
// mvdsv 0.35 with KTX, one player and one spectator, asked "status 23" and "status 31".
const std::string kMvdsv = kQw +
                           "\\maxfps\\77\\*version\\MVDSV 0.35\\hostname\\Harness QW\\maxspectators"
                           "\\2\\maxclients\\26\\map\\harness\\status\\Standby\n1 0 0 1 \"Ranger\" "
                           "\"base\" 4 13";
const std::string kMvdsv23 = kMvdsv + " \"\"\n2 -9999 0 -2 \"\\s\\Watcher\" \"\" 0 0 \"\"\n" + '\0';
const std::string kMvdsv31 = kMvdsv + " \"\"\n2 S 0 2 \"Watcher\" \"\" 0 0 \"\"\n" + '\0';

// NetQuake control datagrams built byte by byte, independently of the simulator.
std::string Control(int code, const std::string& body) {
    return std::string{char(0x80), 0, 0, char(5 + body.size()), char(code)} + body;
}
std::string PlayerReply(const std::string& name, const char (&numbers)[13],
                        const std::string& address) {
    return Control(0x84,
                   std::string(1, '\0') + name + '\0' + std::string(numbers, 12) + address + '\0');
}
std::string RuleReply(const std::string& name, const std::string& value = "") {
    return Control(0x85, name.empty() ? "" : name + '\0' + value + '\0');
}
std::string ServerReply(const std::string& map, const std::string& address = "10.0.0.1:26000") {
    return Control(0x83, address + '\0' + "srv" + '\0' + map + '\0' + "\x03\x10\x03");
}

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
PlayerRecord Slot(const Player& p) {
    return {"1", p.name, p.shirt, p.pants, p.address, p.time, p.frags, p.port, ""};
}
std::string Snapshot(const Monitor& m) {
    const auto& s = m.snapshot;
    return s.name + "|" + s.map + "|" + s.version + "|" + s.players + "/" + s.max_players;
}
std::vector<std::string> Rules(std::initializer_list<std::pair<const char*, const char*>> rules) {
    std::vector<std::string> lines;
    for (auto [name, value] : rules) lines.push_back(RuleLine(name, value, kStatusRuleWidth));
    return lines;
}

}  // namespace

class TestReplies : public QObject {
    Q_OBJECT
  private slots:
    void request_bytes() {
        using namespace std::string_literals;
        QCOMPARE(netquake::ServerInfoRequest(ServerType::QuakeI), "\x80\0\0\x0C\x02QUAKE\0\x03"s);
        QCOMPARE(netquake::ServerInfoRequest(ServerType::HexenII),
                 "\x80\0\0\x0E\x02HEXENII\0\x05"s);
        QCOMPARE(netquake::PlayerInfoRequest(15), "\x80\0\0\x06\x03\x0F"s);
        QCOMPARE(netquake::FirstRuleRequest() + netquake::NextRuleRequest("frags"),
                 "\x80\0\0\x06\x04\0\x80\0\0\x0A\x04"s + "frags");
        QCOMPARE(netquake::NextRuleRequest(std::string(300, 'x')).size(), std::size_t(255));
    }

    void quakeworld_replies_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("spectators");
        QTest::addColumn<StatusReply>("expected");
        auto row = [](const char* name, const std::string& reply, const StatusReply& expected,
                      bool spectators = false) {
            QTest::newRow(name) << QByteArray::fromStdString(reply) << spectators << expected;
        };
        row("quakeworld_name_with_blanks_and_an_empty_name",
            kQw +
                "\\hostname\\x\n3 5 10 20 \"Lady  of Death \" \"female\" 12 4\n4 1 1 1 \"\" "
                "\"base\" 0 0\n",
            Reply({Host("x")}, {{"5", "10", "20", "Lady  of Death ", "female", "12", "4"},
                                {"1", "1", "1", "", "base", "0", "0"}}));
        // Frags, time and colours keep the leading number of their token; ping keeps its text.
        row("quakeworld_numbers_with_signs_and_tails_and_crlf",
            kQw +
                "\\map\\e1m1\n1 +007 12abc 0x10 \"A\" \"s\" -0 99999999999999999999999\n"
                "2 - x 5 \"B\" \"s\" 1.9 13\r\n",
            Reply({Map("e1m1")}, {{"7", "12", "0x10", "A", "s", "0", "99999999999999999999999"},
                                  {"0", "0", "5", "B", "s", "1", "13"}}));
        row("only_known_keys_in_key_order",
            kQw +
                "\\maxclients\\8\\gamedir\\qw\\*version\\2.40\\fraglimit\\30\\version\\9\\"
                "hostname\\H\\*progs\\666\\map\\dm4\\spawn\\1\n",
            Reply({{Setting::kMaxClients, "maxclients", "8"},
                   {Setting::kVersion, "*version", "2.40"},
                   Rule("fraglimit", "30"),
                   Host("H"),
                   Rule("*progs", "666"),
                   Map("dm4"),
                   Rule("spawn", "1")}));
        row("quakeworld_settings_line_without_newline", kQw + "\\map\\dm2\\hostname\\Last one",
            Reply({Map("dm2"), Host("Last one")}));
        row("quakeworld_reply_ends_with_a_nul", kQw + "\\map\\dm6\n" + kRanger + '\0',
            Reply({Map("dm6")}, {kRangerPlayer}));
        row("quakeworld_capitalised_keys_are_ignored",
            kQw + "\\Hostname\\Capital\\HOSTNAME\\S\\Map\\dm9\n", Reply({}));
        const std::string two = "\\map\\dm6\n" + kRanger + "8 5 10 20 \"Second\" \"base\" 2 9\n";
        row("cut_inside_a_skin", kQw + two.substr(0, two.rfind("ase")),
            Reply({Map("dm6")}, {kRangerPlayer, {"5", "10", "20", "Second", "", "0", "0"}}));
        // No opening quote on the skin: that step is skipped and the colours read on.
        row("a_step_without_its_quote_is_skipped",
            kQw + "\\map\\dm6\n7 12 34 56 \"Ranger\" base 4 13\n",
            Reply({Map("dm6")}, {{"12", "34", "56", "Ranger", "", "0", "4"}}));
        row("a_first_byte_other_than_ff", "\xFE" + kQw.substr(1) + "\\hostname\\X\n" + kRanger,
            StatusReply{});
        row("larger_than_any_real_reply", kQw + "\\hostname\\big\n" + std::string(65000, 'x'),
            StatusReply{});
        const StatusReply mvdsv = Reply({{Setting::kVersion, "*version", "MVDSV 0.35"},
                                         Host("Harness QW"),
                                         Rule("maxspectators", "2"),
                                         {Setting::kMaxClients, "maxclients", "26"},
                                         Map("harness")});
        auto spectator = [&](const Player& watcher) {
            StatusReply r = mvdsv;
            r.players = {{"0", "0", "1", "Ranger", "base", "4", "13"}, watcher};
            return r;
        };
        row("mvdsv_status_23_spectator_line", kMvdsv23,
            spectator({"-9999", "0", "-2", "\\s\\Watcher", "", "0", "0", true}), true);
        row("mvdsv_status_31_frags_S", kMvdsv31,
            spectator({"0", "0", "2", "Watcher", "", "0", "0", true}), true);
    }
    void quakeworld_replies() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, spectators);
        QTEST(status::DecodeQuakeWorld(reply.toStdString(), spectators), "expected");
    }

    void quake2_replies_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<StatusReply>("expected");
        auto row = [](const char* name, const std::string& reply, const StatusReply& expected) {
            QTest::newRow(name) << QByteArray::fromStdString(reply) << expected;
        };
        row("quake2_player_lines_have_no_skin",
            kQ2 +
                "\\hostname\\Q2\\version\\3.20\\maxclients\\8\n-3 120 \"Grunt\"\n17 5 \"Big  Gun "
                "\"\n",
            Reply({Host("Q2"),
                   {Setting::kVersion, "version", "3.20"},
                   {Setting::kMaxClients, "maxclients", "8"}},
                  {Q2("-3", "120", "Grunt"), Q2("17", "5", "Big  Gun ")}));
        row("quake2_reply_has_map_and_mapname", kQ2 + "\\map\\q2dm1\\mapname\\q2dm2\\hostname\\H",
            Reply({Map("q2dm1"), Map("q2dm2", "mapname"), Host("H")}));
        row("quake2_capitalised_keys_are_rules", kQ2 + "\\Hostname\\Capital\\MapName\\q2dm9\n",
            Reply({Rule("Hostname", "Capital"), Rule("MapName", "q2dm9")}));
        row("a_line_without_blanks_is_no_player", kQ2 + "\\mapname\\q2dm1\n9\"Solo\"\n",
            Reply({Map("q2dm1", "mapname")}));
        row("a_first_byte_other_than_ff", " " + kQ2 + "\\hostname\\X\n", StatusReply{});
    }
    void quake2_replies() {
        QFETCH(QByteArray, reply);
        QTEST(status::DecodeQuakeII(reply.toStdString()), "expected");
    }

    void netquake_replies_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("type");
        QTest::addColumn<netquake::Reply>("expected");
        auto row = [](const char* name, const std::string& datagram, ServerType type,
                      const netquake::Reply& expected) {
            QTest::newRow(name) << QByteArray::fromStdString(datagram) << int(type) << expected;
        };
        using netquake::PlayerInfo;
        using netquake::ServerInfo;
        const auto q1 = ServerType::QuakeI, h2 = ServerType::HexenII;
        row("netquake_colours_in_the_first_byte_frags_signed_time_in_minutes",
            PlayerReply("Ranger", "\x5B\x07\0\0\xFF\xFF\xFF\xFF\x5A\0\0\0", "192.0.2.1:26001"), q1,
            PlayerInfo{"Ranger", "5", "11", "-1", "1.5", "192.0.2.1", "26001"});
        row("netquake_player_address_without_port",
            PlayerReply("x", "\0\0\0\0\0\x01\0\0\x3C\0\0\0", "loopback"), h2,
            PlayerInfo{"x", "0", "0", "256", "1", "loopback", ""});
        row("quake_server_reply_with_version", ServerReply("e1m1"), q1,
            ServerInfo{"10.0.0.1", "26000", "srv", "e1m1", "3", "16", "3"});
        row("hexen2_server_reply_has_no_version", ServerReply("e1m1"), h2,
            ServerInfo{"10.0.0.1", "26000", "srv", "e1m1", "3", "16", ""});
        row("netquake_server_address_without_port_is_skipped", ServerReply("m", "no-colon"), q1,
            netquake::Malformed{});
        row("netquake_server_reply_missing_its_last_byte", ServerReply("e1m1").substr(0, 31), q1,
            netquake::Malformed{});
        row("netquake_rule", RuleReply("timelimit", "20"), q1,
            netquake::RuleInfo{"timelimit", "20"});
        row("netquake_rule_without_value_ends_at_the_names_nul",
            Control(0x85, std::string("noexit\0", 7)), q1, netquake::RuleInfo{"noexit", ""});
        row("netquake_empty_rule_ends_the_listing", RuleReply(""), q1, netquake::RulesDone{});
        row("netquake_unknown_reply_code", Control(0x01, "x"), q1, netquake::UnknownCode{1});
    }
    void netquake_replies() {
        QFETCH(QByteArray, datagram);
        QFETCH(int, type);
        QTEST(netquake::Decode(datagram.toStdString(), ServerType(type)), "expected");
    }

    // The player count lags one reply; a reply without players keeps the slot.
    void a_quakeworld_reply_fills_slots_panel_and_rules() {
        testing::Rig rig(1);
        AddRuleLine(rig.monitor.rules, "stale", "x", kStatusRuleWidth);
        rig.Feed(kQw +
                 "\\fraglimit\\30\\hostname\\Arena\\*progs\\666\\averyveryverylongname\\1\\"
                 "maxspectators\\2\n" +
                 kRanger);
        QCOMPARE(std::vector(rig.monitor.table.slot.begin(), rig.monitor.table.slot.begin() + 2),
                 (std::vector<PlayerRecord>{Slot(kRangerPlayer), {}}));
        QCOMPARE(rig.monitor.rules.lines,
                 Rules({{"fraglimit", "30"}, {"*progs", "666"}, {"maxspectators", "2"}}));
        QCOMPARE(rig.monitor.rules.caption, std::string("Rules - Working..."));
        rig.Feed(kQw + "\\hostname\\Arena\\maxclients\\16\n");
        QCOMPARE(rig.Slot(0), Slot(kRangerPlayer));
        QCOMPARE(Snapshot(rig.monitor), std::string("Arena|||1/16"));
        QCOMPARE(rig.hooks.Count("ShowPlayers"), 2);  // one per reply, players or not
    }

    // A Quake II player in the slot a QuakeWorld player held keeps none of the QuakeWorld fields.
    void a_quake2_reply_fills_slots_panel_and_rules() {
        testing::Rig q2(1);
        q2.Feed(kQw + "\\map\\dm6\n" + kRanger);
        q2.monitor.server_type = ServerType::QuakeII;
        q2.Feed(kQ2);  // the caption changes after the first reply, even one without keys
        QCOMPARE(q2.monitor.rules.caption, std::string("Morvek - Rules"));
        q2.Feed(kQ2 +
                "\\hostname\\Q2\\version\\3.20\\maxclients\\8\\fraglimit\\25\\timelimit\\"
                "\\averyveryverylongname\\1\n-3 120 \"Ranger\"\n");
        QCOMPARE(q2.Slot(0), Slot(Q2("-3", "120", "Ranger")));
        QCOMPARE(Snapshot(q2.monitor), std::string("Q2|dm6|3.20|1/8"));
        QCOMPARE(q2.monitor.rules.lines,
                 Rules({{"fraglimit", "25"}, {"timelimit", ""}, {"averyveryverylongname", "1"}}));
    }

    void netquake_replies_applied_to_the_picture() {
        testing::Rig rig;
        rig.Feed(ServerReply("e1m1"));
        QCOMPARE(Snapshot(rig.monitor), std::string("srv|e1m1|3|3/16"));
        QCOMPARE(rig.monitor.graph.ColumnCount(), 16);  // the maximum-players rule ran
        rig.Feed(PlayerReply("Ranger", "\x5B\0\0\0\x0C\0\0\0\x78\0\0\0", "1.1.1.1:1"));
        QCOMPARE(rig.Slot(0),
                 (PlayerRecord{"1", "Ranger", "5", "11", "1.1.1.1", "2", "12", "1", ""}));
        QCOMPARE(rig.hooks.Count("ShowPlayers"), 1);  // redrawn after each committed player
        QCOMPARE(rig.monitor.net, NetLamp::Idle);
        rig.Feed(Control(0x42, ""));
        QCOMPARE(rig.dialogs.Texts(), std::vector<std::string>{"66"});
    }

    // The first map is compared with nothing; "map" then "mapname" apply in order.
    void a_new_map_disconnects_when_asked_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("option");
        QTest::addColumn<QList<QByteArray>>("datagrams");
        QTest::addColumn<QString>("map");
        const QByteArray e1m1 = QByteArray::fromStdString(ServerReply("e1m1"));
        const QByteArray e1m2 = QByteArray::fromStdString(ServerReply("e1m2"));
        QTest::newRow("netquake") << 0 << 1 << QList{e1m1, e1m1, e1m2} << "e1m2";
        QTest::newRow("quake2_map_then_mapname")
            << 3 << 1 << QList{QByteArray::fromStdString(kQ2 + "\\map\\q2dm1\\mapname\\q2dm2\n")}
            << "q2dm2";
        QTest::newRow("switch_off") << 0 << 0 << QList{e1m1, e1m2} << "e1m2";
    }
    void a_new_map_disconnects_when_asked() {
        QFETCH(int, type);
        QFETCH(int, option);
        QFETCH(QList<QByteArray>, datagrams);
        testing::Rig rig(type);
        Monitor& m = rig.monitor;
        m.options.disconnect_on_map_change = std::int16_t(option);
        ShowState(m, ConnectionState::Connected);
        m.recording = true;
        rig.connection.timCheck().SetEnabled(true);
        for (const QByteArray& datagram : datagrams) {
            QVERIFY(m.state == ConnectionState::Connected && rig.dialogs.messages.empty());
            rig.Feed(datagram.toStdString());
        }
        QTEST(QString::fromStdString(m.snapshot.map), "map");
        QCOMPARE(std::tuple(m.state == ConnectionState::Connected, m.recording,
                            rig.connection.timCheck().Enabled()),
                 std::tuple(!option, !option, !option));
        QCOMPARE(rig.dialogs.Texts(), option
                                          ? std::vector<std::string>{"Map changed: disconnecting."}
                                          : std::vector<std::string>{});
        if (option)
            QVERIFY(m.menu.connect &&
                    rig.dialogs.messages[0].icon == platform::MessageIcon::Information);
    }

    // A rule reply while the rules window is closed is ignored: the lamp stays bright green.
    void netquake_rule_ignored_while_the_window_is_closed() {
        testing::Rig rig;
        rig.monitor.net = NetLamp::Receiving;
        rig.Feed(RuleReply("sv_gravity", "800"));
        QCOMPARE(std::pair(rig.monitor.rules.lines.size(), rig.monitor.net),
                 std::pair(std::size_t(0), NetLamp::Receiving));
    }

    void unknown_reply_codes_keep_a_bounded_history() {
        testing::Rig rig;
        for (int i = 0; i < 1000; ++i) rig.Feed(Control(0x90 + i % 16, ""));
        QCOMPARE(rig.dialogs.messages.size(), platform::ScriptedDialogs::kKeptMessages);
        QCOMPARE(rig.dialogs.messages.back().text, std::string("151"));  // the latest: 0x97
    }

    // With the switch on, spectators stay out of the frags ordering (listed after the players),
    // the count and the graph.
    void spectators_shown_apart() {
        testing::Rig rig(1);
        Monitor& m = rig.monitor;
        m.options.show_spectators = true;
        rig.Feed(kMvdsv23);
        rig.Feed(kMvdsv23);  // the count reports the reply before
        QCOMPARE(m.snapshot.players, std::string("1"));
        BuildPlayerView(m.table, m.view, kSortByFrags, 1, true, true);
        QStringList names;
        for (const PlayerRecord& row : m.view.rows)
            if (!row[kName].empty())
                names << QString::fromStdString(ShownName(m.options, row[kName]));
        QCOMPARE(names, QStringList({"Ranger", "Watcher"}));
        AddGraphSample(m.graph, 0, m.table, true);
        QCOMPARE(m.graph.Cell(m.graph.CurrentRow(), 2), 0.0);
    }

    // A server with a flood limit (darkplaces: one control reply a second per address), poll by
    // poll: [interval ms, reported players, player replies] -> plan.
    void darkplaces_one_reply_per_second_pacing() {
        NetQuakePacing p;
        using Plan = NetQuakePacing::Plan;
        const auto poll = [&p](int interval, int reported, int replies) {
            const Plan plan = p.Tick(interval);
            p.ServerInfoReply(reported);
            for (int i = 0; i < replies; ++i) p.PlayerReply();
            return plan;
        };
        QCOMPARE(poll(5000, 3, 3), Plan{});  // a server that answers bursts stays on bursts
        QCOMPARE(poll(5000, 3, 0), Plan{});  // this burst is answered by the first datagram only
        QCOMPARE(poll(5000, 5, 1), (Plan{false, {0, 1, 2}}));  // a gap apart, a gap before the next
        QCOMPARE(poll(5000, 5, 3), (Plan{false, {3, 4, 0}}));  // below the count only
        QCOMPARE(poll(2000, 0, 0), (Plan{false, {}}));  // no room for a request between two ticks
        QCOMPARE(poll(3400, 2, 0), (Plan{false, {}}));  // nobody to ask for
        for (int i = 5; i < NetQuakePacing::kProbeEvery; ++i)
            QCOMPARE(poll(5000, 2, 0).paced.size(), std::size_t(2));
        QCOMPARE(poll(5000, 2, 2), Plan{});  // the probe: one burst...
        QCOMPARE(poll(5000, 2, 2), Plan{});  // ...answered in full: bursts again
        QVERIFY(!p.Paced());
    }
};

QTEST_GUILESS_MAIN(TestReplies)
#include "test_replies.moc"
