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
using Lines = std::vector<std::string>;
Q_DECLARE_METATYPE(Lines)
Q_DECLARE_METATYPE(morvek::PlayerRecord)

namespace {

const std::string kQw = std::string("\xFF\xFF\xFF\xFFn", 5);         // every QuakeWorld reply
const std::string kQ2 = std::string("\xFF\xFF\xFF\xFFprint\n", 10);  // every Quake II reply
const std::string kRanger = "7 12 34 56 \"Ranger\" \"base\" 4 13\n";
const Player kRangerPlayer{"12", "34", "56", "Ranger", "base", "4", "13", "7"};
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
                   std::string(1, '\7') + name + '\0' + std::string(numbers, 12) + address + '\0');
}
std::string RuleReply(const std::string& name, const std::string& value = "") {
    return Control(0x85, name.empty() ? "" : name + '\0' + value + '\0');
}
std::string ServerReply(const std::string& map, const std::string& address = "10.0.0.1:26000") {
    return Control(0x83, address + '\0' + "srv" + '\0' + map + '\0' + "\x03\x10\x03");
}

struct Make {
    static Setting Map(std::string v, std::string k = "map") { return {Setting::kMap, k, v}; }
    static Setting Rule(std::string k, std::string v) { return {Setting::kRule, k, v}; }
    static Setting Host(std::string v) { return {Setting::kHostname, "hostname", v}; }
    static StatusReply Reply(std::vector<Setting> s, std::vector<Player> p = {}) {
        return {true, s, p};
    }
};

}  // namespace

class TestReplies : public QObject, Make {
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

    // Decoders: 0 QuakeWorld, 1 QuakeWorld asked with "status 23", 2 Quake II.
    void status_replies_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("decoder");
        QTest::addColumn<StatusReply>("expected");
        auto row = [](const char* name, const std::string& reply, const StatusReply& expected,
                      int decoder = 0) {
            QTest::newRow(name) << QByteArray::fromStdString(reply) << decoder << expected;
        };
        row("quakeworld_name_with_blanks_and_an_empty_name",
            kQw +
                "\\hostname\\x\n3 5 10 20 \"Lady  of Death \" \"female\" 12 4\n4 1 1 1 \"\" "
                "\"base\" 0 0\n",
            Reply({Host("x")}, {{"5", "10", "20", "Lady  of Death ", "female", "12", "4", "3"},
                                {"1", "1", "1", "", "base", "0", "0", "4"}}));
        // Frags, time and colours keep the leading number of their token; ping keeps its text.
        row("quakeworld_numbers_with_signs_and_tails_and_crlf",
            kQw +
                "\\map\\e1m1\n1 +007 12abc 0x10 \"A\" \"s\" -0 99999999999999999999999\n"
                "2 - x 5 \"B\" \"s\" 1.9 13\r\n",
            Reply({Map("e1m1")},
                  {{"7", "12", "0x10", "A", "s", "0", "99999999999999999999999", "1"},
                   {"0", "0", "5", "B", "s", "1", "13", "2"}}));
        row("quakeworld_settings_line_without_newline", kQw + "\\map\\dm2\\hostname\\Last one",
            Reply({Map("dm2"), Host("Last one")}));
        row("quakeworld_reply_ends_with_a_nul", kQw + "\\map\\dm6\n" + kRanger + '\0',
            Reply({Map("dm6")}, {kRangerPlayer}));
        row("quakeworld_only_known_keys_in_key_order",
            kQw +
                "\\maxclients\\8\\gamedir\\qw\\*version\\2.40\\fraglimit\\30\\version\\9\\"
                "hostname\\H\\map\\dm4\\spawn\\1\n",
            Reply({{Setting::kMaxClients, "maxclients", "8"},
                   {Setting::kVersion, "*version", "2.40"},
                   Rule("fraglimit", "30"),
                   Host("H"),
                   Map("dm4"),
                   Rule("spawn", "1")}));
        row("quakeworld_capitalised_keys_are_ignored",
            kQw + "\\Hostname\\Capital\\HOSTNAME\\S\\Map\\dm9\n", Reply({}));
        const std::string two = "\\map\\dm6\n" + kRanger + "8 5 10 20 \"Second\" \"base\" 2 9\n";
        row("cut_inside_a_skin", kQw + two.substr(0, two.rfind("ase")),
            Reply({Map("dm6")}, {kRangerPlayer, {"5", "10", "20", "Second", "", "0", "0", "8"}}));
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
            r.players = {{"0", "0", "1", "Ranger", "base", "4", "13", "1"}, watcher};
            return r;
        };
        row("mvdsv_status_23_spectator_line", kMvdsv23,
            spectator({"-9999", "0", "-2", "\\s\\Watcher", "", "0", "0", "2", true}), 1);
        row("mvdsv_status_31_frags_S", kMvdsv31,
            spectator({"0", "0", "2", "Watcher", "", "0", "0", "2", true}), 1);
        row("quake2_player_lines_have_no_skin",
            kQ2 +
                "\\hostname\\Q2\\version\\3.20\\maxclients\\8\n-3 120 \"Grunt\"\n17 5 \"Big  Gun "
                "\"\n4 9 \"Grunt\"\n",
            Reply({Host("Q2"),
                   {Setting::kVersion, "version", "3.20"},
                   {Setting::kMaxClients, "maxclients", "8"}},
                  {{"-3", "", "120", "Grunt", "", "", "", "0"},
                   {"17", "", "5", "Big  Gun ", "", "", "", "0"},
                   {"4", "", "9", "Grunt", "", "", "", "1"}}),
            2);
        row("quake2_reply_has_map_and_mapname", kQ2 + "\\map\\q2dm1\\mapname\\q2dm2\\hostname\\H",
            Reply({Map("q2dm1"), Map("q2dm2", "mapname"), Host("H")}), 2);
        row("quake2_capitalised_keys_are_rules", kQ2 + "\\Hostname\\Capital\\MapName\\q2dm9\n",
            Reply({Rule("Hostname", "Capital"), Rule("MapName", "q2dm9")}), 2);
        row("quake2_first_byte_other_than_ff", " " + kQ2 + "\\hostname\\X\n", StatusReply{}, 2);
    }
    void status_replies() {
        QFETCH(QByteArray, reply);
        QFETCH(int, decoder);
        const std::string datagram = reply.toStdString();
        QTEST(decoder == 2 ? status::DecodeQuakeII(datagram)
                           : status::DecodeQuakeWorld(datagram, decoder == 1),
              "expected");
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
            PlayerInfo{"Ranger", "5", "11", "-1", "1.5", "192.0.2.1", "26001", "192.0.2.1:26001", 7,
                       90});
        row("netquake_player_address_without_port",
            PlayerReply("x", "\0\0\0\0\0\x01\0\0\x3C\0\0\0", "loopback"), h2,
            PlayerInfo{"x", "0", "0", "256", "1", "loopback", "", "loopback", 7, 60});
        row("quake_server_reply_with_version", ServerReply("e1m1"), q1,
            ServerInfo{"10.0.0.1", "26000", "srv", "e1m1", "3", "16", "3"});
        row("hexen2_server_reply_has_no_version", ServerReply("e1m1"), h2,
            ServerInfo{"10.0.0.1", "26000", "srv", "e1m1", "3", "16", ""});
        row("netquake_server_address_without_port_is_skipped", ServerReply("m", "no-colon"), q1,
            netquake::Malformed{});
        row("netquake_server_reply_missing_its_last_byte", ServerReply("e1m1").substr(0, 31), q1,
            netquake::Malformed{});
        row("netquake_rule_without_value_ends_at_the_names_nul",
            Control(0x85, std::string("noexit\0", 7)), q1, netquake::RuleInfo{"noexit", ""});
        row("netquake_empty_rule_ends_the_listing", RuleReply(""), q1, netquake::RulesDone{});
        row("netquake_unknown_reply_code", Control(0x01, "x"), q1, netquake::UnknownCode{1});
        row("netquake_length_field_not_the_datagrams_size", ServerReply("e1m1") + '\0', q1,
            netquake::Malformed{});
        row("netquake_without_the_control_flag", '\0' + ServerReply("e1m1").substr(1), q1,
            netquake::Malformed{});
    }
    void netquake_replies() {
        QFETCH(QByteArray, datagram);
        QFETCH(int, type);
        QTEST(netquake::Decode(datagram.toStdString(), ServerType(type)), "expected");
    }

    // Panel: "name|map|version|players/max|graph columns|rules caption|redraws"; the count lags.
    void replies_fill_slots_panel_and_rules_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<Lines>("datagrams");
        QTest::addColumn<PlayerRecord>("slot");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<Lines>("rules");
        const PlayerRecord ranger{"1", "Ranger", "4", "13", "base", "34", "12", "56", ""};
        QTest::newRow("quakeworld")
            << 1
            << Lines{kQw + "\\fraglimit\\10\\hostname\\Arena\n" + kRanger,
                     kQw +
                         "\\fraglimit\\30\\*progs\\666\\averyveryverylongname\\1\\"
                         "maxspectators\\2\\maxclients\\16\n"}
            << ranger << "Arena|||1/16|16|Morvek - Rules|2"
            << Lines{"fraglimit           \t30", "*progs              \t666",
                     "maxspectators       \t2"};
        QTest::newRow("quake2")
            << 3
            << Lines{kQ2 +
                     "\\hostname\\Q2\\version\\3.20\\maxclients\\8\\fraglimit\\25\\timelimit"
                     "\\\\averyveryverylongname\\1\n-3 120 \"Ranger\"\n"}
            << PlayerRecord{"1", "Ranger", "", "", "", "", "-3", "120", ""}
            << "Q2||3.20|0/8|8|Morvek - Rules|1"
            << Lines{"fraglimit           \t25", "timelimit           \t",
                     "averyveryverylongname\t1"};
        QTest::newRow("netquake") << 0
                                  << Lines{ServerReply("e1m1"),
                                           PlayerReply("Ranger", "\x5B\0\0\0\x0C\0\0\0\x78\0\0\0",
                                                       "1.1.1.1:1")}
                                  << PlayerRecord{"1", "Ranger", "5", "11", "1.1.1.1",
                                                  "2", "12",     "1", ""}
                                  << "srv|e1m1|3|3/16|16|Rules - Working...|1" << Lines{};
    }
    void replies_fill_slots_panel_and_rules() {
        QFETCH(int, type);
        QFETCH(Lines, datagrams);
        testing::Rig rig(type);
        for (const std::string& datagram : datagrams) rig.Feed(datagram);
        const Monitor& m = rig.monitor;
        const auto& s = m.snapshot;
        QTEST(rig.Slot(0), "slot");
        QCOMPARE(rig.Slot(1), PlayerRecord{});
        QTEST(QString::fromStdString(s.name + "|" + s.map + "|" + s.version + "|" + s.players +
                                     "/" + s.max_players + "|" +
                                     std::to_string(m.graph.ColumnCount()) + "|" + m.rules.caption +
                                     "|" + std::to_string(rig.hooks.Count("ShowPlayers"))),
              "panel");
        QTEST(m.rules.lines, "rules");
    }

    // The first map is compared with nothing; "map" then "mapname" apply in order.
    void a_new_map_disconnects_when_asked_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<Lines>("datagrams");
        QTest::addColumn<QString>("map");
        QTest::newRow("netquake") << 0
                                  << Lines{ServerReply("e1m1"), ServerReply("e1m1"),
                                           ServerReply("e1m2")}
                                  << "e1m2";
        QTest::newRow("quake2_map_then_mapname")
            << 3 << Lines{kQ2 + "\\map\\q2dm1\\mapname\\q2dm2\n"} << "q2dm2";
    }
    void a_new_map_disconnects_when_asked() {
        QFETCH(int, type);
        QFETCH(Lines, datagrams);
        testing::Rig rig(type);
        Monitor& m = rig.monitor;
        m.options.disconnect_on_map_change = 1;
        ShowState(m, ConnectionState::Connected);
        m.recording = true;
        rig.connection.pollTimer().SetEnabled(true);
        for (const std::string& datagram : datagrams) {
            QVERIFY(m.state == ConnectionState::Connected && rig.dialogs.messages.empty());
            rig.Feed(datagram);
        }
        QTEST(QString::fromStdString(m.snapshot.map), "map");
        QVERIFY(m.state == ConnectionState::Disconnected && !m.recording);
        QVERIFY(!rig.connection.pollTimer().Enabled());
        QCOMPARE(rig.dialogs.Texts(), Lines{"Map changed: disconnecting."});
        QCOMPARE(rig.dialogs.messages[0].icon, platform::MessageIcon::Information);
    }

    void unknown_reply_codes_keep_a_bounded_history() {
        testing::Rig rig;
        for (int i = 0; i < 1000; ++i) rig.Feed(Control(0x90 + i % 16, ""));
        QCOMPARE(rig.dialogs.messages.size(), platform::ScriptedDialogs::kKeptMessages);
        QCOMPARE(rig.dialogs.messages.back().text, QStringLiteral("151"));  // the latest: 0x97
    }

    // Spectators are listed after the players and kept out of the count and the graph.
    void spectators_shown_apart() {
        testing::Rig rig(1);
        Monitor& m = rig.monitor;
        m.options.show_spectators = true;
        rig.Feed(kMvdsv23);
        rig.Feed(kMvdsv23);  // the count reports the reply before
        QCOMPARE(m.snapshot.players, std::string("1"));
        BuildPlayerView(m.table, m.view, kSortByFrags, 1, true, true);
        QCOMPARE(m.view.rows[0][kName] + "|" + m.view.rows[1][kName], "Ranger|\\s\\Watcher");
        AddGraphSample(m.graph, 0, m.table, true);
        QCOMPARE(m.graph.Cell(m.graph.CurrentRow(), 2), 0.0);
    }
};

QTEST_GUILESS_MAIN(TestReplies)
#include "test_replies.moc"
