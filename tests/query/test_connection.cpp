// The connection against the simulator over real sockets on 127.0.0.1, with short intervals.
#include <QElapsedTimer>
#include <QUdpSocket>
#include <QtTest>

#include "support/rig.h"

using namespace morvek;

namespace {

// A rig with the simulator of the given type started, not yet connected.
struct Fixture : testing::Rig {
    explicit Fixture(int type, sim::SimOptions options = {}) : Rig(type) { StartServer(options); }
};

}  // namespace

class TestConnection : public QObject {
    Q_OBJECT
  private slots:
    void connect_reaches_connected_and_follows_the_server() {
        Fixture f(0);
        f.connection.mnuConnect_Click();
        QCOMPARE(f.monitor.state, ConnectionState::TryingToConnect);
        QCOMPARE(f.monitor.status_text, std::string("Trying to connect"));
        QVERIFY(f.connection.timCheck().Enabled());
        QVERIFY(!f.monitor.menu.connect && !f.monitor.menu.disconnect && !f.monitor.menu.setup);
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.state, ConnectionState::Connected, 5000);
        QVERIFY2(f.dialogs.messages.empty(),
                 f.dialogs.messages.empty() ? "" : f.dialogs.messages[0].text.c_str());
        QVERIFY(f.monitor.menu.disconnect && f.monitor.menu.rules);
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.table.slot[5][kName], std::string("Shambler"), 5000);
        QCOMPARE(f.monitor.snapshot.name, std::string("Morvek demo server"));
        QCOMPARE(f.monitor.snapshot.address, std::string("127.0.0.1"));
        QCOMPARE(f.monitor.snapshot.type_name, std::string("Quake I"));
        QVERIFY(!f.monitor.snapshot.ping.empty());
        QVERIFY(f.monitor.ping_sent_at == 0 || f.connection.DatagramsReceived() > 0);

        f.server->State().players[0].frags = 99;
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.table.slot[0][kFrags], std::string("99"), 5000);
        // The graph's newest row follows the table.
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.graph.Cell(f.monitor.graph.RowCount(), 1), 99.0, 5000);

        f.connection.mnuDisconnect_Click();
        QCOMPARE(f.monitor.state, ConnectionState::Disconnected);
        QVERIFY(!f.connection.timCheck().Enabled());
        QVERIFY(!f.connection.timTimeout().Enabled());
        QVERIFY(f.dialogs.messages.empty());
    }

    void absent_player_ages_out() {
        Fixture f(2);
        f.connection.mnuConnect_Click();
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.table.slot[1][kName], std::string("Grunt"), 5000);
        f.server->State().players.erase(f.server->State().players.begin() + 1);
        // Ranger stays in slot 0; Grunt's slot turns absent after four unanswered ticks.
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.table.slot[1][kPresent], std::string(), 5000);
        QCOMPARE(f.monitor.table.slot[1][kName], std::string("Grunt"));
        QCOMPARE(f.monitor.table.slot[0][kPresent], std::string("1"));
        QCOMPARE(f.monitor.snapshot.version, std::string());  // Hexen II shows no version
    }

    void timeout_one_interval_after_the_first_unanswered_poll() {
        Fixture f(0);
        f.monitor.recording = true;
        f.connection.mnuConnect_Click();
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.state, ConnectionState::Connected, 5000);
        f.server->SetAnswering(false);
        QElapsedTimer since;
        since.start();
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.messages.size(), std::size_t(1), 5000);
        QVERIFY(since.elapsed() >= 400 - 60);  // not before one timeout interval
        const auto& shown = f.dialogs.messages[0];
        QCOMPARE(shown.title, std::string("Brelan+"));
        QCOMPARE(shown.text, std::string("Timeout time elapsed. Please reconfigure Server Address "
                                         "and port or increase Timeout."));
        QCOMPARE(shown.icon, platform::MessageIcon::Critical);
        QCOMPARE(f.monitor.state, ConnectionState::Disconnected);
        QVERIFY(!f.connection.timCheck().Enabled());
        QVERIFY(!f.connection.timTimeout().Enabled());
        QVERIFY(!f.monitor.recording);
        QVERIFY(f.monitor.menu.connect && f.monitor.menu.record);
        QTest::qWait(600);
        QCOMPARE(f.dialogs.messages.size(), std::size_t(1));  // no second timeout
    }

    void server_answering_every_poll_never_times_out() {
        // Each datagram stops the timeout timer; the next poll starts it again.
        Fixture f(1);
        QVERIFY(f.Connect());
        QTest::qWait(3 * testing::kTimeoutMs);
        QCOMPARE(f.dialogs.Texts(), std::vector<std::string>());
        QCOMPARE(f.monitor.state, ConnectionState::Connected);
        f.connection.mnuDisconnect_Click();
    }

    void server_that_never_answers_times_out_from_trying() {
        sim::SimOptions options;
        Fixture f(1, options);
        f.server->SetAnswering(false);
        f.connection.mnuConnect_Click();
        QCOMPARE(f.monitor.state, ConnectionState::TryingToConnect);
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.messages.size(), std::size_t(1), 5000);
        QCOMPARE(f.monitor.state, ConnectionState::Disconnected);
        QVERIFY(f.connection.DatagramsReceived() == 0);
    }

    void map_change_disconnects_when_asked() {
        sim::SimOptions options;
        options.map_change_after = 2;
        Fixture f(0, options);
        f.monitor.options.disconnect_on_map_change = 1;
        f.connection.mnuConnect_Click();
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.messages.size(), std::size_t(1), 5000);
        QCOMPARE(f.dialogs.messages[0].text, std::string("Map changed: disconnecting."));
        QCOMPARE(f.monitor.state, ConnectionState::Disconnected);
        QCOMPARE(f.monitor.snapshot.map, std::string("e1m2"));
        QVERIFY(!f.connection.timCheck().Enabled());
    }

    void closed_port_raises_the_socket_error() {
        quint16 port;
        {
            QUdpSocket probe;
            QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
            port = probe.localPort();
        }
        Fixture f(0);
        f.connection.Winsock().SetRemotePort(port);
        f.connection.timTimeout().SetInterval(3000);
        f.connection.mnuConnect_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!f.dialogs.messages.empty(), 5000);
        const auto& shown = f.dialogs.messages[0];
        QCOMPARE(shown.title, std::string("Morvek"));
        QVERIFY2(shown.text.rfind("Error ", 0) == 0 && shown.text.back() == ')',
                 shown.text.c_str());
        QCOMPARE(f.monitor.state, ConnectionState::Disconnected);
        // Polling goes on after a socket error; a later tick sends again without ending anything.
        QVERIFY(f.connection.timCheck().Enabled());
        QTest::qWait(150);
        f.connection.mnuDisconnect_Click();
    }

    void host_that_cannot_be_resolved_fails_silently() {
        Fixture f(0);
        f.connection.Winsock().SetRemoteHost("no.such.host.invalid");
        f.connection.mnuConnect_Click();
        QCOMPARE(f.monitor.state, ConnectionState::Disconnected);
        QVERIFY(!f.connection.timCheck().Enabled());
        QVERIFY(f.dialogs.messages.empty());
        QVERIFY(f.monitor.menu.connect);
    }

    void datagrams_from_another_sender_are_dropped() {
        Fixture f(0);
        f.server->SetAnswering(false);
        f.connection.mnuConnect_Click();
        QUdpSocket intruder;
        QVERIFY(intruder.bind(QHostAddress::LocalHost, 0));
        std::string fake =
            "\x80\x00\x00\x0A\x83"
            "x:1\0";
        intruder.writeDatagram(fake.data(), qint64(fake.size()), QHostAddress::LocalHost,
                               f.connection.Winsock().BoundPort());
        QTest::qWait(100);
        QCOMPARE(f.connection.DatagramsReceived(), std::uint64_t(0));
        QCOMPARE(f.monitor.state, ConnectionState::TryingToConnect);
        f.connection.mnuDisconnect_Click();
    }

    void netquake_rules_listing_through_the_server() {
        Fixture f(0);
        f.connection.mnuConnect_Click();
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.state, ConnectionState::Connected, 5000);
        f.connection.ShowRules();
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.rules.caption, std::string("Rules - Done"), 5000);
        QCOMPARE(f.monitor.rules.lines.size(), f.server->State().rules.size());
        QCOMPARE(f.monitor.rules.lines[0], std::string("deathmatch") + std::string(9, ' ') + "\t1");
        f.connection.mnuDisconnect_Click();
    }

    void closing_the_rules_window_stops_the_exchange() {
        sim::SimOptions options;
        options.delay_ms = 30;
        Fixture f(0, options);
        f.connection.mnuConnect_Click();
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.state, ConnectionState::Connected, 5000);
        f.connection.timCheck().SetEnabled(false);
        f.connection.ShowRules();
        QTRY_VERIFY_WITH_TIMEOUT(!f.monitor.rules.lines.empty(), 5000);
        f.connection.CloseRules();
        int requests = f.server->RequestsReceived();
        QTest::qWait(200);
        QVERIFY(f.server->RequestsReceived() <= requests + 1);  // at most the one in flight
        QVERIFY(f.monitor.rules.lines.empty());
        f.connection.mnuDisconnect_Click();
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "test_connection.moc"
