// The connection against a server on 127.0.0.1 over real sockets, with short intervals: connect,
// timeouts, socket errors, strangers, a box left open and a slow name lookup.
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

// A Quake I server that answers every server-information request with its information and then
// a reply whose code no server type defines (153): each one raises a box in the monitor.
class OddServer : public QObject {
  public:
    OddServer() {
        socket.bind(QHostAddress::LocalHost, 0);
        connect(&socket, &QUdpSocket::readyRead, this, [this] {
            while (socket.hasPendingDatagrams()) {
                const QNetworkDatagram request = socket.receiveDatagram();
                if (request.data().size() < 5 || quint8(request.data()[4]) != 0x02) continue;
                for (const std::string& reply :
                     {sim::NetQuakeServerInfoReply(sim::DemoState(ServerType::QuakeI)),
                      sim::ControlDatagram(153, "")})
                    socket.writeDatagram(reply.data(), qint64(reply.size()),
                                         request.senderAddress(), quint16(request.senderPort()));
            }
        });
    }
    QUdpSocket socket;
};

}  // namespace

class TestConnection : public QObject {
    Q_OBJECT
  private slots:
    void connect_reaches_connected_and_follows_the_server() {
        Fixture f(0);
        f.connection.mnuConnect_Click();
        QCOMPARE(f.monitor.status_text, std::string("Trying to connect"));
        QVERIFY(!f.monitor.menu.connect && !f.monitor.menu.disconnect && !f.monitor.menu.setup);
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.state, ConnectionState::Connected, 5000);
        QVERIFY(f.monitor.menu.disconnect && f.monitor.menu.rules);
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.table.slot[5][kName], std::string("Shambler"), 5000);
        QCOMPARE(f.monitor.snapshot.address + "|" + f.monitor.snapshot.type_name,
                 std::string("127.0.0.1|Quake I"));
        f.server->State().players[0].frags = 99;
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.table.slot[0][kFrags], std::string("99"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(f.monitor.graph.Cell(f.monitor.graph.RowCount(), 1), 99.0, 5000);
        f.connection.mnuDisconnect_Click();
        QCOMPARE(f.monitor.state, ConnectionState::Disconnected);
        QVERIFY(!f.connection.timCheck().Enabled() && !f.connection.timTimeout().Enabled());
        QCOMPARE(f.dialogs.Texts(), std::vector<std::string>{});
    }

    // Each datagram stops the timeout timer; the next poll starts it again.
    void server_answering_every_poll_never_times_out() {
        Fixture f(1);
        QVERIFY(f.Connect());
        QTest::qWait(3 * testing::kTimeoutMs);
        QVERIFY(f.dialogs.messages.empty() && f.monitor.state == ConnectionState::Connected);
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
        f.connection.mnuConnect_Click();
        if (connected_first)
            QVERIFY(WaitFor([&] { return f.monitor.state == ConnectionState::Connected; }));
        f.server->SetAnswering(false);
        QElapsedTimer since;
        since.start();
        QVERIFY(WaitFor([&] { return !f.dialogs.messages.empty(); }));
        QVERIFY(since.elapsed() >= testing::kTimeoutMs - 60);
        const auto& shown = f.dialogs.messages[0];
        QCOMPARE(shown.title + "|" + shown.text,
                 std::string("Brelan+|Timeout time elapsed. Please reconfigure Server Address and "
                             "port or increase Timeout."));
        QCOMPARE(shown.icon, platform::MessageIcon::Critical);
        QVERIFY(!f.connection.timCheck().Enabled() && !f.connection.timTimeout().Enabled());
        QVERIFY(f.monitor.state == ConnectionState::Disconnected && !f.monitor.recording);
        QTest::qWait(600);
        QCOMPARE(f.dialogs.messages.size(), std::size_t(1));  // no second timeout
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
        QVERIFY(WaitFor([&] { return !f.dialogs.messages.empty(); }));
        const std::string text = f.dialogs.messages[0].title + "|" + f.dialogs.messages[0].text;
        QVERIFY2(text.rfind("Morvek|Error ", 0) == 0 && text.back() == ')', text.c_str());
        QCOMPARE(f.monitor.state, ConnectionState::Disconnected);
        QVERIFY(f.connection.timCheck().Enabled());  // polling goes on after a socket error
    }

    void datagrams_from_another_sender_are_dropped() {
        Fixture f(0);
        f.server->SetAnswering(false);
        f.connection.mnuConnect_Click();
        QUdpSocket intruder;
        QVERIFY(intruder.bind(QHostAddress::LocalHost, 0));
        const std::string fake = sim::ControlDatagram(0x83, std::string("x:1\0", 4));
        intruder.writeDatagram(fake.data(), qint64(fake.size()), QHostAddress::LocalHost,
                               f.connection.Winsock().BoundPort());
        QTest::qWait(100);
        QCOMPARE(f.connection.DatagramsReceived(), std::uint64_t(0));
        QCOMPARE(f.monitor.state, ConnectionState::TryingToConnect);
    }

    // Each box stays open for a second, well past the 400 ms timeout: the server never stopped
    // answering, so no timeout, and no box stacked on an open one.
    void replies_are_read_while_a_box_is_open() {
        Rig rig(0);
        OddServer server;
        rig.connection.Winsock().SetRemoteHost("127.0.0.1");
        rig.connection.Winsock().SetRemotePort(server.socket.localPort());
        rig.connection.timCheck().SetInterval(testing::kPollMs);
        rig.connection.timTimeout().SetInterval(testing::kTimeoutMs);
        rig.dialogs.modal_ms = 1000;
        rig.connection.mnuConnect_Click();
        QVERIFY(WaitFor([&] { return rig.dialogs.messages.size() >= 2; }, 10000));
        QCOMPARE(rig.dialogs.Texts(),
                 std::vector<std::string>(rig.dialogs.messages.size(), std::string("153")));
        QCOMPARE(rig.dialogs.deepest, 1);
        QCOMPARE(rig.monitor.state, ConnectionState::Connected);
        QVERIFY(rig.connection.DatagramsReceived() >= 40);
    }

    void host_name_is_looked_up_while_events_run_data() {
        QTest::addColumn<bool>("resolves");
        QTest::addColumn<ConnectionState>("state");
        QTest::newRow("name_of_the_server") << true << ConnectionState::Connected;
        QTest::newRow("name_nobody_knows") << false << ConnectionState::Disconnected;
    }
    void host_name_is_looked_up_while_events_run() {
        QFETCH(bool, resolves);
        QFETCH(ConnectionState, state);
        Rig rig(1);
        rig.StartServer();
        rig.connection.Winsock().SetRemoteHost("quake.example.org");
        QString asked;
        // A slow resolver: it answers after 300 ms; the event loop runs meanwhile.
        rig.connection.Winsock().SetResolver([&](const QString& name, QObject* context, auto done) {
            asked = name;
            QTimer::singleShot(300, context, [done, resolves] {
                done(resolves ? QList<QHostAddress>{QHostAddress(QHostAddress::LocalHost)}
                              : QList<QHostAddress>{});
            });
        });
        int ticks = 0;
        std::string status_meanwhile;
        QTimer ticker;
        ticker.callOnTimeout([&] {
            if (++ticks == 5) status_meanwhile = rig.monitor.status_text;
        });
        ticker.start(10);
        rig.connection.mnuConnect_Click();
        QVERIFY2(ticks >= 15, QByteArray::number(ticks));
        QCOMPARE(asked, QStringLiteral("quake.example.org"));
        QCOMPARE(status_meanwhile, std::string("Trying to connect"));
        QCOMPARE(rig.connection.timCheck().Enabled(), resolves);
        QVERIFY(WaitFor([&] { return rig.monitor.state == state; }, 3000));
        QVERIFY(rig.dialogs.messages.empty());
    }
};

QTEST_MAIN(TestConnection)
#include "test_connection.moc"
