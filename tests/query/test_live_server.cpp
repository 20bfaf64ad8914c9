// A live server through a real socket while the monitor is busy: replies keep being read while a
// modal box is open, the same box is never stacked on itself, and a host name is looked up while
// the event loop keeps running.
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

#include "sim/netquake_replies.h"
#include "sim/sim_state.h"
#include "support/rig.h"

using namespace morvek;
using testing::Rig;
using testing::WaitFor;

namespace {

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

class TestLiveServer : public QObject {
    Q_OBJECT

  private slots:
    void replies_are_read_while_a_box_is_open() {
        Rig rig(0);
        OddServer server;
        rig.connection.Winsock().SetRemoteHost("127.0.0.1");
        rig.connection.Winsock().SetRemotePort(server.socket.localPort());
        rig.connection.timCheck().SetInterval(testing::kPollMs);
        rig.connection.timTimeout().SetInterval(testing::kTimeoutMs);
        // Each box stays open for a second, well past the 400 ms timeout.
        rig.dialogs.modal_ms = 1000;
        rig.connection.mnuConnect_Click();
        QVERIFY(WaitFor([&] { return rig.dialogs.messages.size() >= 2; }, 10000));
        // The server never stopped answering: no timeout, no box stacked on an open one.
        QCOMPARE(rig.dialogs.Texts(),
                 std::vector<std::string>(rig.dialogs.messages.size(), std::string("153")));
        QCOMPARE(rig.dialogs.deepest, 1);
        QCOMPARE(rig.monitor.state, ConnectionState::Connected);
        QVERIFY2(rig.connection.DatagramsReceived() >= 40,
                 QByteArray::number(qulonglong(rig.connection.DatagramsReceived())));
        QCOMPARE(rig.monitor.snapshot.name, sim::DemoState(ServerType::QuakeI).hostname);
        rig.connection.mnuDisconnect_Click();
    }

    void host_name_is_looked_up_while_events_run_data() {
        QTest::addColumn<bool>("resolves");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("polling");
        QTest::newRow("name of the server") << true << int(ConnectionState::Connected) << true;
        QTest::newRow("name nobody knows") << false << int(ConnectionState::Disconnected) << false;
    }
    void host_name_is_looked_up_while_events_run() {
        QFETCH(bool, resolves);
        Rig rig(1);
        rig.StartServer();
        rig.connection.Winsock().SetRemoteHost("quake.example.org");
        QString asked;
        // A slow resolver: it answers after 300 ms.
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
        // The connect returned once the name was answered, the event loop running meanwhile.
        QVERIFY2(ticks >= 15, QByteArray::number(ticks));
        QCOMPARE(asked, QStringLiteral("quake.example.org"));
        QCOMPARE(status_meanwhile, std::string("Trying to connect"));
        QFETCH(bool, polling);
        QFETCH(int, state);
        QCOMPARE(rig.connection.timCheck().Enabled(), polling);
        const auto expected = ConnectionState(state);
        QVERIFY(WaitFor([&] { return rig.monitor.state == expected; }, 3000));
        QVERIFY(rig.dialogs.messages.empty());
        rig.connection.mnuDisconnect_Click();
    }
};

QTEST_MAIN(TestLiveServer)
#include "test_live_server.moc"
