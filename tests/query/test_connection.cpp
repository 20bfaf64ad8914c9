// The connection against servers on 127.0.0.1 over real sockets, with short intervals.
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

#include "sim/netquake_replies.h"
#include "support/rig.h"

using namespace morvek;
using testing::Rig;
using testing::WaitFor;

namespace {

// A rig with the simulator of the given type started, not yet connected.
struct Fixture : Rig {
    explicit Fixture(int type, sim::SimOptions options = {}) : Rig(type) { StartServer(options); }
};

// A server that keeps every request and answers it with what `answer` gives.
struct FakeServer : QObject {
    explicit FakeServer(std::function<std::vector<std::string>(const QByteArray&)> answer = {}) {
        socket.bind(QHostAddress::LocalHost, 0);
        connect(&socket, &QUdpSocket::readyRead, this, [this, answer] {
            while (socket.hasPendingDatagrams()) {
                const QNetworkDatagram request = socket.receiveDatagram();
                requests << request.data();
                if (!answer) continue;
                for (const std::string& reply : answer(request.data()))
                    socket.writeDatagram(reply.data(), qint64(reply.size()),
                                         request.senderAddress(), quint16(request.senderPort()));
            }
        });
    }
    void Serve(Rig& rig, int poll_ms = 60000) {
        rig.connection.socket().SetRemoteHost("127.0.0.1");
        rig.connection.socket().SetRemotePort(socket.localPort());
        rig.connection.pollTimer().SetInterval(poll_ms);
        rig.connection.timeoutTimer().SetInterval(testing::kTimeoutMs);
    }
    QUdpSocket socket;
    QList<QByteArray> requests;
};

}  // namespace

class TestConnection : public QObject {
    Q_OBJECT
  private slots:
    // Each datagram stops the timeout timer: a server that answers every poll never times out.
    void connect_reaches_connected_and_follows_the_server() {
        Fixture f(0);
        f.connection.Connect();
        QCOMPARE(f.monitor.status_text, std::string("Trying to connect"));
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.state, ConnectionState::Connected, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.table.slot[5][kName], std::string("Shambler"), 5000);
        QCOMPARE(f.monitor.snapshot.address + "|" + f.monitor.snapshot.type_name,
                 std::string("127.0.0.1|Quake I"));
        f.server->State().players[0].frags = 99;
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.graph.Cell(f.monitor.graph.RowCount(), 1), 99.0, 5000);
        // Polls spanning three timeout intervals pass without a timeout.
        const auto polls = f.monitor.counters.polls + 3 * testing::kTimeoutMs / testing::kPollMs;
        QVERIFY(WaitFor([&] { return f.monitor.counters.polls >= polls; }, 10000));
        QVERIFY(f.monitor.state == ConnectionState::Connected && f.monitor.counters.timeouts == 0);
        f.connection.Disconnect();
        QCOMPARE(f.monitor.state, ConnectionState::Disconnected);
        QVERIFY(!f.connection.pollTimer().Enabled() && !f.connection.timeoutTimer().Enabled());
        QCOMPARE(f.dialogs.Texts(), std::vector<std::string>{});
    }

    void timeout_one_interval_after_the_first_unanswered_poll_data() {
        QTest::addColumn<bool>("connected_first");
        QTest::newRow("connected") << true;
        QTest::newRow("never_answered") << false;
    }
    void timeout_one_interval_after_the_first_unanswered_poll() {
        QFETCH(bool, connected_first);
        Fixture f(0);
        f.monitor.recording = true;
        f.server->SetAnswering(connected_first);
        f.connection.Connect();
        // A stranger's datagram neither connects nor holds the timeout off.
        FakeServer stranger;
        const std::string fake = sim::ControlDatagram(0x83, std::string("x:1\0", 4));
        stranger.socket.writeDatagram(fake.data(), qint64(fake.size()), QHostAddress::LocalHost,
                                      f.connection.socket().BoundPort());
        if (connected_first)
            QVERIFY(WaitFor([&] { return f.monitor.state == ConnectionState::Connected; }));
        f.server->SetAnswering(false);
        QElapsedTimer since;
        since.start();
        QVERIFY(WaitFor([&] { return !f.dialogs.messages.empty(); }));
        QVERIFY(since.elapsed() >= testing::kTimeoutMs - 60);
        const auto& shown = f.dialogs.messages[0];
        QCOMPARE(shown.title + "|" + shown.text.toStdString(),
                 std::string("Brelan+|Timeout time elapsed. Please reconfigure Server Address and "
                             "port or increase Timeout."));
        QCOMPARE(shown.icon, platform::MessageIcon::Critical);
        // Both timers stopped: no second timeout can come.
        QVERIFY(!f.connection.pollTimer().Enabled() && !f.connection.timeoutTimer().Enabled());
        QVERIFY(f.monitor.state == ConnectionState::Disconnected && !f.monitor.recording);
        QCOMPARE(f.dialogs.messages.size(), std::size_t(1));
        QCOMPARE(f.connection.DatagramsReceived() == 0, !connected_first);
    }

    // A silent server tried again: the polls go on, a request goes once per timeout, and no box.
    void keep_trying_asks_once_per_timeout() {
        Fixture f(1);
        f.monitor.options.keep_trying = true;
        f.connection.Connect();
        QVERIFY(WaitFor([&] { return f.monitor.state == ConnectionState::Connected; }));
        f.server->SetAnswering(false);
        QVERIFY(WaitFor([&] { return f.monitor.counters.silent; }));
        const int asked = f.server->RequestsReceived();
        const auto polls = f.monitor.counters.polls;
        QVERIFY(WaitFor([&] { return f.monitor.counters.polls >= polls + 30; }));
        QVERIFY2(f.server->RequestsReceived() - asked <= 5,
                 qPrintable(QString::number(f.server->RequestsReceived() - asked)));
        f.server->SetAnswering(true);
        QVERIFY(WaitFor([&] { return f.monitor.state == ConnectionState::Connected; }));
        QCOMPARE(f.dialogs.Texts(), std::vector<std::string>{});
    }

    // Every poll brings a reply of code 153 and its box stays open a second: no timeout, no stack.
    void replies_are_read_while_a_box_is_open() {
        Rig rig(0);
        sim::SimState empty = sim::DemoState(ServerType::QuakeI);
        empty.players.clear();  // reported players that never answer would pace the requests
        FakeServer odd([&](const QByteArray& request) {
            if (request.size() < 5 || request[4] != 0x02) return std::vector<std::string>{};
            return std::vector{sim::NetQuakeServerInfoReply(empty), sim::ControlDatagram(153, "")};
        });
        odd.Serve(rig, testing::kPollMs);
        rig.dialogs.modal_ms = 1000;
        rig.connection.Connect();
        QVERIFY(WaitFor([&] { return rig.dialogs.messages.size() >= 2; }, 10000));
        QCOMPARE(rig.dialogs.Texts(),
                 std::vector<std::string>(rig.dialogs.messages.size(), std::string("153")));
        QCOMPARE(rig.dialogs.deepest, 1);
        QCOMPARE(rig.monitor.state, ConnectionState::Connected);
        QVERIFY(rig.connection.DatagramsReceived() >= 40);
    }

    // A player reply with a wrong length field and one without the control flag are no replies:
    // neither connects nor reaches the table; the whole reply after them does.
    void netquake_datagrams_outside_the_control_header_are_dropped() {
        Rig rig(0);
        const sim::SimState server = sim::DemoState(ServerType::QuakeI);
        std::string wrong_length = *sim::NetQuakePlayerInfoReply(server, 0);
        std::string flagless = wrong_length;
        wrong_length[3] = char(wrong_length[3] + 1);
        flagless[0] = 0;
        FakeServer liar([&](const QByteArray& request) {
            if (request.size() < 5 || request[4] != 0x02) return std::vector<std::string>{};
            return std::vector{wrong_length, flagless, sim::NetQuakeServerInfoReply(server)};
        });
        liar.Serve(rig);
        rig.connection.Connect();
        QVERIFY(WaitFor([&] { return rig.monitor.state == ConnectionState::Connected; }));
        QCOMPARE(rig.Slot(0), PlayerRecord{});
        QCOMPARE(rig.monitor.snapshot.map, server.map);
        QCOMPARE(rig.connection.DatagramsReceived(), std::uint64_t(1));
    }

    // The connect returns at once and the program goes on while the name is looked up.
    void host_name_is_looked_up_without_waiting() {
        Fixture f(1);
        f.connection.socket().SetRemoteHost("quake.example.org");
        QString asked;
        std::function<void(const QList<QHostAddress>&)> answer;
        f.connection.socket().SetResolver([&](const QString& name, QObject*, auto done) {
            asked = name;
            answer = done;
        });
        f.connection.Connect();
        QCOMPARE(asked + "|" + QString::fromStdString(f.monitor.status_text),
                 QStringLiteral("quake.example.org|Trying to connect"));
        QVERIFY(!f.connection.pollTimer().Enabled() && answer);
        answer({QHostAddress(QHostAddress::LocalHost)});
        QVERIFY(WaitFor([&] { return f.monitor.state == ConnectionState::Connected; }));
    }

    // "status 23" asks a QuakeWorld server for its spectators too, when the switch is on.
    void status_request_bytes() {
        const QByteArray plain("\xff\xff\xff\xffstatus ", 11);
        for (auto [type, spectators, request] :
             {std::tuple(1, false, plain), std::tuple(1, true, plain + "23"),
              std::tuple(3, true, plain)}) {
            Rig rig(type);
            FakeServer server;
            server.Serve(rig);
            rig.monitor.options.show_spectators = spectators;
            rig.connection.Connect();
            QVERIFY(WaitFor([&] { return !server.requests.empty(); }));
            QCOMPARE(server.requests[0], request);
        }
    }

    // A hostile server: a flood of datagrams is read a bounded number per turn of the event loop.
    void a_flood_is_read_a_bounded_number_at_a_time() {
        FakeServer server;
        platform::UdpSocket socket;
        socket.SetRemoteHost("127.0.0.1");
        socket.SetRemotePort(server.socket.localPort());
        socket.Bind();
        int received = 0, received_before_next_turn = -1;
        connect(&socket, &platform::UdpSocket::Received, this, [&] {
            if (++received == 1)
                QTimer::singleShot(0, [&] { received_before_next_turn = received; });
        });
        for (int i = 0; i < 100; ++i)
            server.socket.writeDatagram(QByteArray(64, 'x'), QHostAddress::LocalHost,
                                        socket.BoundPort());
        QTRY_COMPARE_WITH_TIMEOUT(received, 100, 5000);
        QCOMPARE(received_before_next_turn, platform::UdpSocket::kDatagramsPerTurn);
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
        int asked = 0;
        FakeServer server([&](const QByteArray& request) {
            if (request.size() < 5 || request[4] != 0x04) return std::vector<std::string>{};
            const std::string name = looping ? "sv_loop" : "r" + std::to_string(asked);
            ++asked;
            return std::vector{sim::ControlDatagram(0x85, name + '\0' + "1" + '\0')};
        });
        Rig rig;
        server.Serve(rig);
        rig.connection.ShowRules();
        QTRY_COMPARE_WITH_TIMEOUT(rig.monitor.rules.caption, std::string(kRulesDone), 10000);
        QTEST(asked, "requests");
        QTEST(int(rig.monitor.rules.lines.size()), "lines");
    }

    // darkplaces answers one request a second per address (here 100 ms): all still comes in.
    void darkplaces_one_reply_per_second() {
        Rig rig(0);
        sim::SimOptions options;
        options.reply_interval_ms = 100;
        sim::SimServer& server = rig.StartServer(options);
        server.State().players.resize(3);
        // Requests 400 ms apart: a loaded machine's timer delays stay well within the margin.
        rig.connection.SetPaceGap(400);
        rig.connection.pollTimer().SetInterval(1600);
        rig.connection.timeoutTimer().SetInterval(3000);
        QVERIFY(rig.Connect());
        QVERIFY(WaitFor([&] { return !rig.Slot(2)[kName].empty(); }, 15000));
        QCOMPARE(rig.Slot(0)[kName] + "|" + rig.Slot(1)[kName] + "|" + rig.Slot(2)[kName],
                 std::string("Ranger|Grunt|Lady Death"));
        QVERIFY(rig.connection.Pacing().Paced());
        rig.connection.ShowRules();
        QVERIFY(WaitFor([&] { return rig.monitor.rules.caption == kRulesDone; }, 30000));
        QCOMPARE(rig.monitor.rules.lines.size(), server.State().rules.size());
    }
};

QTEST_MAIN(TestConnection)
#include "test_connection.moc"
