// NetQuake (Quake I and Hexen II) requests byte by byte, replies decoded whole, and replies
// applied to the picture through the connection.
#include <QtTest>

#include "query/netquake.h"
#include "sim/netquake_replies.h"
#include "support/rig.h"

using namespace morvek;
Q_DECLARE_METATYPE(morvek::netquake::Reply)

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += char(v);
    return out;
}

// A player-information reply built byte by byte, independently of the simulator.
std::string PlayerReply(std::string_view name, std::string colours, std::string frags,
                        std::string seconds, std::string_view address) {
    std::string body = Bytes({0x84, 0x00});
    body.append(name);
    body += '\0';
    body += colours + frags + seconds;
    body.append(address);
    body += '\0';
    std::string out = Bytes({0x80, 0x00, 0x00, int(4 + body.size())});
    return out + body;
}

std::string ServerReply(std::string_view address, std::string_view name, std::string_view map,
                        int players, int max, int version) {
    std::string body = Bytes({0x83});
    for (std::string_view s : {address, name, map}) {
        body.append(s);
        body += '\0';
    }
    body += char(players);
    body += char(max);
    body += char(version);
    return Bytes({0x80, 0x00, 0x00, int(4 + body.size())}) + body;
}

}  // namespace

class TestNetQuake : public QObject {
    Q_OBJECT
  private slots:
    void request_bytes() {
        QCOMPARE(netquake::ServerInfoRequest(ServerType::QuakeI),
                 Bytes({0x80, 0x00, 0x00, 0x0C, 0x02, 'Q', 'U', 'A', 'K', 'E', 0x00, 0x03}));
        QCOMPARE(
            netquake::ServerInfoRequest(ServerType::HexenII),
            Bytes({0x80, 0x00, 0x00, 0x0E, 0x02, 'H', 'E', 'X', 'E', 'N', 'I', 'I', 0x00, 0x05}));
        QCOMPARE(netquake::PlayerInfoRequest(15), Bytes({0x80, 0x00, 0x00, 0x06, 0x03, 0x0F}));
        QCOMPARE(netquake::FirstRuleRequest(), Bytes({0x80, 0x00, 0x00, 0x06, 0x04, 0x00}));
        QCOMPARE(netquake::NextRuleRequest("fraglimit"),
                 Bytes({0x80, 0x00, 0x00, 14, 0x04, 'f', 'r', 'a', 'g', 'l', 'i', 'm', 'i', 't'}));
        QCOMPARE(netquake::NextRuleRequest(std::string(300, 'x')).size(), std::size_t(255));
    }

    // Replies named after the real-world quirk each pins.
    void replies_data() {
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
            PlayerReply("Ranger", Bytes({0x5B, 0x07, 0, 0}), Bytes({0xFF, 0xFF, 0xFF, 0xFF}),
                        Bytes({0x5A, 0, 0, 0}), "192.0.2.1:26001"),
            q1, PlayerInfo{"Ranger", "5", "11", "-1", "1.5", "192.0.2.1", "26001"});
        row("netquake_player_address_without_port",
            PlayerReply("x", Bytes({0, 0, 0, 0}), Bytes({0, 1, 0, 0}), Bytes({0x3C, 0, 0, 0}),
                        "loopback"),
            h2, PlayerInfo{"x", "0", "0", "256", "1", "loopback", ""});
        const std::string server = ServerReply("10.0.0.1:26000", "Dead Zone", "e1m1", 3, 16, 3);
        row("quake_server_reply_with_version", server, q1,
            ServerInfo{"10.0.0.1", "26000", "Dead Zone", "e1m1", "3", "16", "3"});
        row("hexen2_server_reply_has_no_version", server, h2,
            ServerInfo{"10.0.0.1", "26000", "Dead Zone", "e1m1", "3", "16", ""});
        row("netquake_server_address_without_port_is_skipped",
            ServerReply("no-colon", "n", "m", 1, 2, 3), q1, netquake::Malformed{});
        row("netquake_server_reply_missing_its_last_byte", server.substr(0, server.size() - 1), q1,
            netquake::Malformed{});
        row("netquake_rule",
            sim::ControlDatagram(0x85, std::string("timelimit\0"
                                                   "20\0",
                                                   13)),
            q1, netquake::RuleInfo{"timelimit", "20"});
        row("netquake_rule_without_value_ends_at_the_names_nul",
            sim::ControlDatagram(0x85, std::string("noexit\0", 7)), q1,
            netquake::RuleInfo{"noexit", ""});
        row("netquake_empty_rule_ends_the_listing", sim::ControlDatagram(0x85, ""), q1,
            netquake::RulesDone{});
        row("netquake_unknown_reply_code", sim::ControlDatagram(0x01, "x"), q1,
            netquake::UnknownCode{1});
    }

    void replies() {
        QFETCH(QByteArray, datagram);
        QFETCH(int, type);
        QFETCH(netquake::Reply, expected);
        QCOMPARE(netquake::Decode(datagram.toStdString(), ServerType(type)), expected);
    }

    void every_truncated_reply_is_skipped() {
        const std::string full = PlayerReply("name", Bytes({1, 0, 0, 0}), Bytes({2, 0, 0, 0}),
                                             Bytes({3, 0, 0, 0}), "1.2.3.4:5");
        for (std::size_t n = 0; n < full.size(); ++n)
            QCOMPARE(netquake::Decode(full.substr(0, n), ServerType::QuakeI),
                     netquake::Reply{netquake::Malformed{}});
    }

    void applying_replies_to_the_picture() {
        testing::Rig rig;
        auto [m, dialogs, hooks, c] = std::tie(rig.monitor, rig.dialogs, rig.hooks, rig.connection);
        c.HandleDatagram(ServerReply("10.0.0.1:26000", "srv", "e1m1", 2, 8, 3));
        QCOMPARE(m.snapshot.name, std::string("srv"));
        QCOMPARE(m.snapshot.max_players, std::string("8"));
        QCOMPARE(m.graph.ColumnCount(), 8);  // the maximum-players rule ran
        c.HandleDatagram(PlayerReply("Ranger", Bytes({0x5B, 0, 0, 0}), Bytes({12, 0, 0, 0}),
                                     Bytes({120, 0, 0, 0}), "1.1.1.1:1"));
        QCOMPARE(m.table.slot[0][kName], std::string("Ranger"));
        QCOMPARE(m.table.slot[0][kPresent], std::string("1"));
        QCOMPARE(m.table.slot[0][kTime], std::string("2"));
        QCOMPARE(hooks.Count("ShowPlayers"), 1);  // redrawn after each committed player
        QCOMPARE(m.net, NetLamp::Idle);
        c.HandleDatagram(sim::ControlDatagram(0x42, ""));
        QCOMPARE(dialogs.messages.size(), std::size_t(1));
        QCOMPARE(dialogs.messages[0].text, std::string("66"));
        QCOMPARE(dialogs.messages[0].title, std::string("Morvek"));
    }

    void map_change_rule() {
        testing::Rig rig;
        auto [m, dialogs, hooks, c] = std::tie(rig.monitor, rig.dialogs, rig.hooks, rig.connection);
        m.options.disconnect_on_map_change = 1;
        ShowState(m, ConnectionState::Connected);
        m.recording = true;
        c.timCheck().SetEnabled(true);
        c.HandleDatagram(ServerReply("1.2.3.4:5", "s", "e1m1", 0, 8, 3));
        QCOMPARE(m.state, ConnectionState::Connected);  // first map: nothing to compare with
        c.HandleDatagram(ServerReply("1.2.3.4:5", "s", "e1m1", 0, 8, 3));
        QVERIFY(dialogs.messages.empty());
        c.HandleDatagram(ServerReply("1.2.3.4:5", "s", "e1m2", 0, 8, 3));
        QCOMPARE(m.state, ConnectionState::Disconnected);
        QCOMPARE(m.snapshot.map, std::string("e1m2"));  // shown all the same
        QVERIFY(!m.recording);
        QVERIFY(!c.timCheck().Enabled());
        QCOMPARE(dialogs.messages.size(), std::size_t(1));
        QCOMPARE(dialogs.messages[0].text, std::string("Map changed: disconnecting."));
        QCOMPARE(dialogs.messages[0].icon, platform::MessageIcon::Information);
        QVERIFY(m.menu.connect);

        // With the switch off, a new map is only shown.
        testing::Rig rig2;
        auto [m2, c2] = std::tie(rig2.monitor, rig2.connection);
        ShowState(m2, ConnectionState::Connected);
        c2.HandleDatagram(ServerReply("1.2.3.4:5", "s", "a", 0, 8, 3));
        c2.HandleDatagram(ServerReply("1.2.3.4:5", "s", "b", 0, 8, 3));
        QCOMPARE(m2.state, ConnectionState::Connected);
    }

    void rules_listing_only_while_the_window_is_shown() {
        testing::Rig rig;
        auto [m, dialogs, hooks, c] = std::tie(rig.monitor, rig.dialogs, rig.hooks, rig.connection);
        m.net = NetLamp::Receiving;
        c.HandleDatagram(sim::ControlDatagram(0x85, std::string("sv_gravity\0"
                                                                "800\0",
                                                                15)));
        QVERIFY(m.rules.lines.empty());
        QCOMPARE(m.net, NetLamp::Receiving);  // ignored reply: the lamp stays bright green

        m.rules.shown = m.rules.listing = true;
        c.HandleDatagram(sim::ControlDatagram(0x85, std::string("sv_gravity\0"
                                                                "800\0",
                                                                15)));
        QCOMPARE(m.rules.lines.size(), std::size_t(1));
        QCOMPARE(m.rules.lines[0], std::string("sv_gravity") + std::string(9, ' ') + "\t800");
        c.HandleDatagram(sim::ControlDatagram(0x85, ""));
        QCOMPARE(m.rules.caption, std::string("Rules - Done"));
        QCOMPARE(m.net, NetLamp::Idle);
        c.CloseRules();
        QVERIFY(m.rules.lines.empty());
        QCOMPARE(m.rules.caption, std::string("Rules - Working..."));
    }
};

QTEST_GUILESS_MAIN(TestNetQuake)
#include "test_netquake.moc"
