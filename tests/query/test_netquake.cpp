// NetQuake (Quake I and Hexen II) requests byte by byte, replies decoded whole, replies applied
// to the picture through the connection, and a hostile server.
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

#include "query/netquake.h"
#include "support/rig.h"

using namespace morvek;
Q_DECLARE_METATYPE(morvek::netquake::Reply)

namespace {

// A control datagram built byte by byte, independently of the simulator: header, code, body.
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

}  // namespace

class TestNetQuake : public QObject {
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
    void replies() {
        QFETCH(QByteArray, datagram);
        QFETCH(int, type);
        QTEST(netquake::Decode(datagram.toStdString(), ServerType(type)), "expected");
    }

    void every_truncated_reply_is_skipped() {
        const std::string full = PlayerReply("name", "\x01\0\0\0\x02\0\0\0\x03\0\0\0", "1.2.3.4:5");
        for (std::size_t n = 0; n < full.size(); ++n)
            QCOMPARE(netquake::Decode(full.substr(0, n), ServerType::QuakeI),
                     netquake::Reply{netquake::Malformed{}});
    }

    void replies_applied_to_the_picture() {
        testing::Rig rig;
        rig.Feed(ServerReply("e1m1"));
        QCOMPARE(rig.monitor.snapshot.name + "|" + rig.monitor.snapshot.max_players,
                 std::string("srv|16"));
        QCOMPARE(rig.monitor.graph.ColumnCount(), 16);  // the maximum-players rule ran
        rig.Feed(PlayerReply("Ranger", "\x5B\0\0\0\x0C\0\0\0\x78\0\0\0", "1.1.1.1:1"));
        QCOMPARE(rig.Slot(0),
                 (PlayerRecord{"1", "Ranger", "5", "11", "1.1.1.1", "2", "12", "1", ""}));
        QCOMPARE(rig.hooks.Count("ShowPlayers"), 1);  // redrawn after each committed player
        QCOMPARE(rig.monitor.net, NetLamp::Idle);
        rig.Feed(Control(0x42, ""));
        QCOMPARE(rig.dialogs.Texts(), std::vector<std::string>{"66"});
    }

    void a_new_map_disconnects_when_asked() {
        testing::Rig rig;
        auto [m, dialogs, c] = std::tie(rig.monitor, rig.dialogs, rig.connection);
        m.options.disconnect_on_map_change = 1;
        ShowState(m, ConnectionState::Connected);
        m.recording = true;
        c.timCheck().SetEnabled(true);
        rig.Feed(ServerReply("e1m1"));  // first map: nothing to compare with
        rig.Feed(ServerReply("e1m1"));
        QVERIFY(m.state == ConnectionState::Connected && dialogs.messages.empty());
        rig.Feed(ServerReply("e1m2"));
        QVERIFY(m.state == ConnectionState::Disconnected && m.snapshot.map == "e1m2");
        QVERIFY(!m.recording && !c.timCheck().Enabled() && m.menu.connect);
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Map changed: disconnecting."});
        QCOMPARE(dialogs.messages[0].icon, platform::MessageIcon::Information);
    }

    void rules_listing_only_while_the_window_is_shown() {
        testing::Rig rig;
        Monitor& m = rig.monitor;
        m.net = NetLamp::Receiving;
        const std::string gravity = RuleReply("sv_gravity", "800");
        rig.Feed(gravity);
        QVERIFY(m.rules.lines.empty());
        QCOMPARE(m.net, NetLamp::Receiving);  // ignored reply: the lamp stays bright green
        m.rules.shown = m.rules.listing = true;
        rig.Feed(gravity);
        QCOMPARE(m.rules.lines,
                 std::vector<std::string>{"sv_gravity" + std::string(9, ' ') + "\t800"});
        rig.Feed(RuleReply(""));
        QCOMPARE(m.rules.caption, std::string("Rules - Done"));
        QCOMPARE(m.net, NetLamp::Idle);
        rig.connection.CloseRules();
        QVERIFY(m.rules.lines.empty());
        QCOMPARE(m.rules.caption, std::string("Rules - Working..."));
    }
    // A hostile server: floods of boxes and datagrams, a rule list without end.
    void unknown_reply_codes_keep_a_bounded_history() {
        testing::Rig rig;
        for (int i = 0; i < 1000; ++i) rig.Feed(Control(0x90 + i % 16, ""));
        QCOMPARE(rig.dialogs.messages.size(), platform::ScriptedDialogs::kKeptMessages);
        QCOMPARE(rig.dialogs.messages.back().text, std::string("151"));  // the latest: 0x97
    }

    void a_flood_is_read_a_bounded_number_at_a_time() {
        QUdpSocket server;
        QVERIFY(server.bind(QHostAddress::LocalHost, 0));
        platform::UdpSocket socket;
        socket.SetRemoteHost("127.0.0.1");
        socket.SetRemotePort(server.localPort());
        socket.Bind();
        int received = 0, received_before_next_turn = -1;
        connect(&socket, &platform::UdpSocket::DataArrival, this, [&] {
            if (++received == 1)
                QTimer::singleShot(0, [&] { received_before_next_turn = received; });
        });
        for (int i = 0; i < 100; ++i)
            server.writeDatagram(QByteArray(64, 'x'), QHostAddress::LocalHost, socket.BoundPort());
        QTRY_COMPARE_WITH_TIMEOUT(received, 100, 5000);
        QCOMPARE(received_before_next_turn, platform::UdpSocket::kDatagramsPerTurn);
        // A status reply far larger than any real one is not decoded.
        const std::string huge = "\xFF\xFF\xFF\xFFn\\hostname\\big\n" + std::string(65000, 'x');
        QVERIFY(!status::DecodeQuakeWorld(huge).valid && !status::DecodeQuakeII(huge).valid);
    }

    void a_rule_list_without_end_stops_data() {
        QTest::addColumn<bool>("looping");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("lines");
        QTest::newRow("a_new_name_every_time")
            << false << int(kMaxNetQuakeRules) + 1 << int(kMaxNetQuakeRules);
        QTest::newRow("the_same_name_again") << true << 2 << 1;
    }
    void a_rule_list_without_end_stops() {
        QFETCH(bool, looping);
        QUdpSocket server;
        QVERIFY(server.bind(QHostAddress::LocalHost, 0));
        int asked = 0;
        connect(&server, &QUdpSocket::readyRead, this, [&] {
            while (server.hasPendingDatagrams()) {
                const QNetworkDatagram request = server.receiveDatagram();
                if (request.data().size() < 5 || request.data()[4] != 0x04) continue;
                const std::string name = looping ? "sv_loop" : "r" + std::to_string(asked);
                ++asked;
                const std::string reply = RuleReply(name, "1");
                server.writeDatagram(reply.data(), qint64(reply.size()), request.senderAddress(),
                                     quint16(request.senderPort()));
            }
        });
        testing::Rig rig;
        rig.connection.Winsock().SetRemoteHost("127.0.0.1");
        rig.connection.Winsock().SetRemotePort(server.localPort());
        rig.connection.ShowRules();
        QTRY_COMPARE_WITH_TIMEOUT(rig.monitor.rules.caption, std::string(kRulesDone), 10000);
        QTEST(asked, "requests");
        QTEST(int(rig.monitor.rules.lines.size()), "lines");
    }
};

QTEST_GUILESS_MAIN(TestNetQuake)
#include "test_netquake.moc"
