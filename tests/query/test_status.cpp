// QuakeWorld and Quake II status replies: byte-exact fixtures for the decoders, and the replies
// applied to the monitor's picture through the connection.
#include <QtTest>

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
const Player kRangerPlayer{"12", "34", "56", "Ranger", "base", "4", "13"};

struct Make {
    static Setting Map(const std::string& v, const std::string& key = "map") {
        return {Setting::kMap, key, v};
    }
    static Setting Rule(const std::string& k, const std::string& v) {
        return {Setting::kRule, k, v};
    }
    static Setting Host(const std::string& v) { return {Setting::kHostname, "hostname", v}; }
    static StatusReply Reply(std::vector<Setting> settings, std::vector<Player> players = {}) {
        return {true, std::move(settings), std::move(players)};
    }
    static Player Q2(const std::string& frags, const std::string& ping, const std::string& name) {
        return {frags, "", ping, name, "", "", ""};
    }
    // A slot as the table holds it.
    static PlayerRecord Slot(const Player& p, const char* present = "1") {
        return {present, p.name, p.shirt, p.pants, p.address, p.time, p.frags, p.port, ""};
    }
    static std::string Snapshot(const Monitor& m) {
        const auto& s = m.snapshot;
        return s.name + "|" + s.map + "|" + s.version + "|" + s.players + "/" + s.max_players;
    }
    static std::vector<std::string> Rules(
        std::initializer_list<std::pair<const char*, const char*>> rules) {
        std::vector<std::string> lines;
        for (auto [name, value] : rules) lines.push_back(RuleLine(name, value, kStatusRuleWidth));
        return lines;
    }
};

}  // namespace

class TestStatus : public QObject, Make {
    Q_OBJECT
  private slots:
    void quakeworld_replies_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<StatusReply>("expected");
        auto row = [](const char* name, const std::string& reply, const StatusReply& expected) {
            QTest::newRow(name) << QByteArray::fromStdString(kQw + reply) << expected;
        };
        row("a_player_line_user_id_0", "\\hostname\\Arena\n0 12 34 56 \"Ranger\" \"base\" 4 13\n",
            Reply({Host("Arena")}, {kRangerPlayer}));
        row("quakeworld_name_with_blanks_and_an_empty_name",
            "\\hostname\\x\n3 5 10 20 \"Lady  of Death \" \"female\" 12 4\n4 1 1 1 \"\" \"base\" 0 "
            "0\n",
            Reply({Host("x")}, {{"5", "10", "20", "Lady  of Death ", "female", "12", "4"},
                                {"1", "1", "1", "", "base", "0", "0"}}));
        // Frags, time and colours keep the leading number of their token; ping keeps its text.
        row("quakeworld_numbers_with_signs_and_tails_and_crlf",
            "\\map\\e1m1\n1 +007 12abc 0x10 \"A\" \"s\" -0 99999999999999999999999\n"
            "2 - x 5 \"B\" \"s\" 1.9 13\r\n",
            Reply({Map("e1m1")}, {{"7", "12", "0x10", "A", "s", "0", "99999999999999999999999"},
                                  {"0", "0", "5", "B", "s", "1", "13"}}));
        row("only_known_keys_in_key_order",
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
        row("quakeworld_capitalised_keys_are_ignored",
            "\\Hostname\\Capital\\HOSTNAME\\S\\Map\\dm9\n", Reply({}));
        const std::string two = "\\map\\dm6\n" + kRanger + "8 5 10 20 \"Second\" \"base\" 2 9\n";
        row("cut_inside_a_skin", two.substr(0, two.rfind("ase")),
            Reply({Map("dm6")}, {kRangerPlayer, {"5", "10", "20", "Second", "", "0", "0"}}));
        // No opening quote on the skin: that step is skipped and the colours read on.
        row("a_step_without_its_quote_is_skipped", "\\map\\dm6\n7 12 34 56 \"Ranger\" base 4 13\n",
            Reply({Map("dm6")}, {{"12", "34", "56", "Ranger", "", "0", "4"}}));
    }
    void quakeworld_replies() {
        QFETCH(QByteArray, reply);
        QTEST(status::DecodeQuakeWorld(reply.toStdString()), "expected");
    }

    void quake2_replies_data() {
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
        row("quake2_reply_has_map_and_mapname", "\\map\\q2dm1\\mapname\\q2dm2\\hostname\\Q2 box",
            Reply({Map("q2dm1"), Map("q2dm2", "mapname"), Host("Q2 box")}));
        row("quake2_capitalised_keys_are_rules", "\\Hostname\\Capital\\MapName\\q2dm9\n",
            Reply({Rule("Hostname", "Capital"), Rule("MapName", "q2dm9")}));
        row("a_line_without_blanks_is_no_player", "\\mapname\\q2dm1\n9\"Solo\"\n",
            Reply({Map("q2dm1", "mapname")}));
    }
    void quake2_replies() {
        QFETCH(QByteArray, reply);
        QTEST(status::DecodeQuakeII(reply.toStdString()), "expected");
    }

    void every_cut_of_a_reply_ends_and_keeps_whole_lines() {
        const std::string qw = kQw + "\\map\\dm6\n" + kRanger + "8 5 10 20 \"Second\" \"b\" 2 9\n";
        const std::string q2 = kQ2 + "\\mapname\\q2dm1\n-3 120 \"Grunt\"\n4 80 \"Tank\"\n";
        for (std::size_t n = 0; n <= q2.size(); ++n) {
            const auto w = status::DecodeQuakeWorld(qw.substr(0, std::min(n, qw.size())));
            const auto d = status::DecodeQuakeII(q2.substr(0, n));
            QCOMPARE(std::pair(w.valid, d.valid), std::pair(n > 0, n > 0));
            QVERIFY(w.players.size() <= 2 && d.players.size() <= 2);
            if (n >= qw.find("8 5")) QCOMPARE(w.players.at(0), kRangerPlayer);
            if (n >= q2.find("4 80")) QCOMPARE(d.players.at(0), Q2("-3", "120", "Grunt"));
            if (n >= q2.size() - 1) QCOMPARE(d.players.at(1), Q2("4", "80", "Tank"));
        }
    }

    void a_quakeworld_reply_fills_slots_panel_and_rules() {
        testing::Rig rig(1);
        AddRuleLine(rig.monitor.rules, "stale", "x", kStatusRuleWidth);
        rig.Feed(kQw +
                 "\\fraglimit\\30\\hostname\\Arena\\gamedir\\qw\\*progs\\666\\"
                 "averyveryverylongname\\1\\maxspectators\\2\n" +
                 kRanger);
        QCOMPARE(rig.Slot(0), Slot(kRangerPlayer));
        QCOMPARE(rig.Slot(1), PlayerRecord{});
        QCOMPARE(Snapshot(rig.monitor), std::string("Arena|||0/"));
        QCOMPARE(rig.monitor.rules.lines,
                 Rules({{"fraglimit", "30"}, {"*progs", "666"}, {"maxspectators", "2"}}));
        QCOMPARE(rig.monitor.rules.caption, std::string("Rules - Working..."));
        // The count lags one reply; a reply without players keeps the slot.
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

    // With disconnect-on-map-change: "map" lands on an empty map (no disconnect), "mapname" then
    // announces another map and disconnects; decoding goes on and shows the last map.
    void map_and_mapname_both_apply_in_order() {
        const std::string reply = kQ2 + "\\map\\q2dm1\\mapname\\q2dm2\\hostname\\Q2\n";
        for (auto [datagram, disconnect, map] :
             {std::tuple(reply + "2 30 \"Grunt\"\n", 1, "q2dm2"),
              std::tuple(kQ2 + "\\mapname\\q2dm2\\map\\q2dm1\n", 1, "q2dm1"),
              std::tuple(reply, 0, "q2dm2")}) {
            testing::Rig rig(3);
            rig.monitor.options.disconnect_on_map_change = std::int16_t(disconnect);
            ShowState(rig.monitor, ConnectionState::Connected);
            rig.Feed(datagram);
            QCOMPARE(rig.dialogs.Texts(),
                     disconnect ? std::vector<std::string>{"Map changed: disconnecting."}
                                : std::vector<std::string>{});
            QCOMPARE(rig.monitor.state,
                     disconnect ? ConnectionState::Disconnected : ConnectionState::Connected);
            QCOMPARE(rig.monitor.snapshot.map, std::string(map));
        }
    }

    void a_first_byte_other_than_ff_changes_nothing() {
        for (const std::string& datagram : {"\xFE\xFF\xFF\xFFn\\hostname\\X\n" + kRanger,
                                            " " + kQw + "\\hostname\\X\n", std::string()}) {
            QCOMPARE(status::DecodeQuakeWorld(datagram), StatusReply{});
            QCOMPARE(status::DecodeQuakeII(datagram), StatusReply{});
        }
        testing::Rig rig(1);
        rig.monitor.snapshot.name = "kept";
        rig.Feed(" " + kQw + "\\hostname\\X\n" + kRanger);
        QCOMPARE(Snapshot(rig.monitor) + rig.monitor.rules.caption, "kept|||/Rules - Working...");
        QVERIFY(rig.Slot(0) == PlayerRecord{} && rig.hooks.Count("ShowPlayers") == 0);
        QCOMPARE(rig.monitor.net, NetLamp::Idle);
    }
};

QTEST_GUILESS_MAIN(TestStatus)
#include "test_status.moc"
