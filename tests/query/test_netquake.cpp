#include <QtTest>

#include "query/netquake.h"
#include "sim/netquake_replies.h"
#include "support/rig.h"

using namespace morvek;

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

    void player_reply_fields() {
        auto reply = netquake::Decode(
            PlayerReply("Ranger", Bytes({0x5B, 0x07, 0, 0}), Bytes({0xFF, 0xFF, 0xFF, 0xFF}),
                        Bytes({0x5A, 0, 0, 0}), "192.0.2.1:26001"),
            ServerType::QuakeI);
        auto* p = std::get_if<netquake::PlayerInfo>(&reply);
        QVERIFY(p);
        QCOMPARE(p->name, std::string("Ranger"));
        QCOMPARE(p->shirt, std::string("5"));
        QCOMPARE(p->pants, std::string("11"));
        QCOMPARE(p->frags, std::string("-1"));
        QCOMPARE(p->time, std::string("1.5"));
        QCOMPARE(p->address, std::string("192.0.2.1"));
        QCOMPARE(p->port, std::string("26001"));

        auto other = netquake::Decode(PlayerReply("x", Bytes({0, 0, 0, 0}), Bytes({0, 1, 0, 0}),
                                                  Bytes({0x3C, 0, 0, 0}), "loopback"),
                                      ServerType::HexenII);
        auto* q = std::get_if<netquake::PlayerInfo>(&other);
        QVERIFY(q);
        QCOMPARE(q->frags, std::string("256"));
        QCOMPARE(q->time, std::string("1"));
        QCOMPARE(q->address, std::string("loopback"));  // no colon: the whole string, no port
        QCOMPARE(q->port, std::string());
    }

    void server_reply_fields_and_hexen_version() {
        std::string bytes = ServerReply("10.0.0.1:26000", "Dead Zone", "e1m1", 3, 16, 3);
        auto quake = netquake::Decode(bytes, ServerType::QuakeI);
        auto* s = std::get_if<netquake::ServerInfo>(&quake);
        QVERIFY(s);
        QCOMPARE(s->address, std::string("10.0.0.1"));
        QCOMPARE(s->port, std::string("26000"));
        QCOMPARE(s->name, std::string("Dead Zone"));
        QCOMPARE(s->map, std::string("e1m1"));
        QCOMPARE(s->players, std::string("3"));
        QCOMPARE(s->max_players, std::string("16"));
        QCOMPARE(s->version, std::string("3"));
        auto hexen = netquake::Decode(bytes, ServerType::HexenII);
        QCOMPARE(std::get<netquake::ServerInfo>(hexen).version, std::string());
    }

    void rule_replies() {
        auto rule = netquake::Decode(sim::ControlDatagram(0x85, std::string("timelimit\0"
                                                                            "20\0",
                                                                            13)),
                                     ServerType::QuakeI);
        QCOMPARE(std::get<netquake::RuleInfo>(rule).value, std::string("20"));
        // The name's terminator is the datagram's last byte: an empty value.
        auto no_value = netquake::Decode(sim::ControlDatagram(0x85, std::string("noexit\0", 7)),
                                         ServerType::QuakeI);
        QCOMPARE(std::get<netquake::RuleInfo>(no_value).value, std::string());
        QVERIFY(std::holds_alternative<netquake::RulesDone>(
            netquake::Decode(sim::ControlDatagram(0x85, ""), ServerType::QuakeI)));
        QCOMPARE(std::get<netquake::UnknownCode>(
                     netquake::Decode(sim::ControlDatagram(0x01, "x"), ServerType::QuakeI))
                     .code,
                 1);
    }

    void malformed_replies_are_skipped() {
        const std::string full = PlayerReply("name", Bytes({1, 0, 0, 0}), Bytes({2, 0, 0, 0}),
                                             Bytes({3, 0, 0, 0}), "1.2.3.4:5");
        // Every truncation of a valid reply is skipped, never read past its end.
        for (std::size_t n = 0; n < full.size(); ++n) {
            auto reply = netquake::Decode(std::string_view(full).substr(0, n), ServerType::QuakeI);
            QVERIFY2(std::holds_alternative<netquake::Malformed>(reply),
                     qPrintable(QString::number(n)));
        }
        QVERIFY(std::holds_alternative<netquake::Malformed>(
            netquake::Decode(ServerReply("no-colon", "n", "m", 1, 2, 3), ServerType::QuakeI)));
        std::string server = ServerReply("1.2.3.4:5", "n", "m", 1, 2, 3);
        QVERIFY(std::holds_alternative<netquake::Malformed>(netquake::Decode(
            std::string_view(server).substr(0, server.size() - 1), ServerType::QuakeI)));
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
