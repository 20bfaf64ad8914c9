// A hostile server, played by a real socket on 127.0.0.1 or by bytes: floods of messages and
// datagrams, numbers that would size the graph, and a rule list without end.
#include <QUdpSocket>
#include <QtTest>

#include "core/hooks.h"
#include "platform/dialogs.h"
#include "query/connection.h"
#include "sim/netquake_replies.h"

using namespace morvek;

class TestHostileServer : public QObject {
    Q_OBJECT
  private slots:
    void unknown_reply_codes_keep_a_bounded_history() {
        Monitor m;
        platform::ScriptedDialogs dialogs;
        MonitorHooks hooks;
        Connection c(m, dialogs, hooks);
        for (int i = 0; i < 1000; ++i)
            c.HandleDatagram(sim::ControlDatagram(std::uint8_t(0x90 + i % 16), ""));
        QCOMPARE(dialogs.messages.size(), platform::ScriptedDialogs::kKeptMessages);
        QCOMPARE(dialogs.messages.back().text, std::string("151"));  // the latest: 0x97
    }

    void the_server_cannot_size_the_graph() {
        Monitor m;
        m.graph.SetRowCount(1000000);
        SetMaxPlayers(m, "32767");
        QCOMPARE(m.graph.RowCount(), kMaxGraphRows);
        QCOMPARE(m.graph.ColumnCount(), kPlayerSlots);
        QCOMPARE(m.graph.LegendTexts().back(), std::string("64"));
    }

    void a_flood_is_read_a_bounded_number_at_a_time() {
        QUdpSocket server;
        QVERIFY(server.bind(QHostAddress::LocalHost, 0));
        platform::UdpSocket socket;
        socket.SetRemoteHost("127.0.0.1");
        socket.SetRemotePort(server.localPort());
        socket.Bind();
        QCOMPARE(socket.State(), int(platform::UdpSocket::kOpen));
        int received = 0, received_before_next_turn = -1;
        connect(&socket, &platform::UdpSocket::DataArrival, this, [&] {
            if (++received == 1)
                QTimer::singleShot(0, [&] { received_before_next_turn = received; });
        });
        constexpr int kFlood = 100;
        for (int i = 0; i < kFlood; ++i)
            server.writeDatagram(QByteArray(64, 'x'), QHostAddress::LocalHost, socket.BoundPort());
        QTRY_COMPARE_WITH_TIMEOUT(received, kFlood, 5000);
        QCOMPARE(received_before_next_turn, platform::UdpSocket::kDatagramsPerTurn);
        // A status reply far larger than any real one is not decoded.
        const std::string huge = "\xFF\xFF\xFF\xFFn\\hostname\\big\n" + std::string(65000, 'x');
        QVERIFY(!status::DecodeQuakeWorld(huge).valid && !status::DecodeQuakeII(huge).valid);
    }

    void a_rule_list_without_end_stops_data() {
        QTest::addColumn<bool>("looping");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("lines");
        QTest::newRow("a new name every time")
            << false << int(kMaxNetQuakeRules) + 1 << int(kMaxNetQuakeRules);
        QTest::newRow("the same name again") << true << 2 << 1;
    }
    void a_rule_list_without_end_stops() {
        QFETCH(bool, looping);
        QFETCH(int, requests);
        QFETCH(int, lines);
        QUdpSocket server;
        QVERIFY(server.bind(QHostAddress::LocalHost, 0));
        int asked = 0;
        connect(&server, &QUdpSocket::readyRead, this, [&] {
            while (server.hasPendingDatagrams()) {
                QHostAddress from;
                quint16 port = 0;
                QByteArray request(int(server.pendingDatagramSize()), '\0');
                server.readDatagram(request.data(), request.size(), &from, &port);
                if (request.size() < 5 || request[4] != 0x04) continue;
                const std::string name = looping ? "sv_loop" : "r" + std::to_string(asked);
                ++asked;
                const std::string reply = sim::ControlDatagram(0x85, name + '\0' + "1" + '\0');
                server.writeDatagram(reply.data(), qint64(reply.size()), from, port);
            }
        });
        Monitor m;
        platform::ScriptedDialogs dialogs;
        MonitorHooks hooks;
        Connection c(m, dialogs, hooks);
        c.Winsock().SetRemoteHost("127.0.0.1");
        c.Winsock().SetRemotePort(server.localPort());
        c.ShowRules();
        QTRY_COMPARE_WITH_TIMEOUT(m.rules.caption, std::string(kRulesDone), 10000);
        QCOMPARE(asked, requests);
        QCOMPARE(int(m.rules.lines.size()), lines);
    }
};

QTEST_GUILESS_MAIN(TestHostileServer)
#include "test_hostile_server.moc"
