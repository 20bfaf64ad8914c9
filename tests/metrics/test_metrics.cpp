// The metrics endpoint: exposition text, listening address, routes, hostile clients.
#include <QJsonDocument>
#include <QTcpSocket>
#include <QtTest>
#include <memory>
#include <vector>

#include "core/picture.h"
#include "metrics/metrics_server.h"
#include "support/http.h"
#include "support/rig.h"

using namespace morvek;
using namespace morvek::testing;

const ServerSnapshot kShown{
    "Bob's \"best\" caf\xe9", "2.40", "dm4", "127.0.0.1", "27500", "12", "2", "16", "QuakeWd"};

// The exposition without its help lines, and without its type lines unless asked.
std::string Samples(const Monitor& m, bool types) {
    std::string shown;
    for (const QString& line :
         QString::fromStdString(metrics::Exposition(m)).split('\n', Qt::SkipEmptyParts))
        if (!line.startsWith("# HELP") && (types || !line.startsWith('#')))
            shown += line.toStdString() + "\n";
    return shown;
}

class TestMetrics : public QObject {
    Q_OBJECT
  private slots:
    // Escaped labels, seconds, absent players left out, the player's slot and readable name;
    // quiet NetQuake: no pings, empty labels, names as sent; not connected: no players at all.
    void exposition() {
        Monitor m;
        m.view.rows[0] = {"1", "a\\b", "", "", "base", "3", "-3", "45", "1"};
        m.view.rows[1] = {"1", "x\"\n\xF2", "", "", "base", "1.0166", "7", "", "2"};
        m.view.rows[2] = {" ", "gone", "", "", "base", "1", "4", "50", "3"};
        m.view.slot_of = {4, 9, 2};
        const Monitor gone = m;
        Monitor quiet = m;
        quiet.options.readable_names = false;
        quiet.state = ConnectionState::Connected;
        m.server_type = ServerType::QuakeWorld;
        m.state = ConnectionState::Connected;
        m.snapshot = kShown;
        m.counters = {5, 9, 1, 0};
        const std::string a = "{slot=\"5\",name=\"a\\\\b\"} ",
                          x = "{slot=\"10\",name=\"x\\\" r\"} ";
        const std::string frags = "morvek_player_frags" + a + "-3\nmorvek_player_frags" + x + "7\n";
        const std::string times = "morvek_player_connected_seconds" + a +
                                  "180\nmorvek_player_connected_seconds" + x + "61\n";
        QCOMPARE(Samples(m, true),
                 "# TYPE morvek_up gauge\nmorvek_up 1\n# TYPE morvek_connection_state gauge\n"
                 "morvek_connection_state 2\n# TYPE morvek_ping_seconds gauge\n"
                 "morvek_ping_seconds 0.012\n# TYPE morvek_players gauge\nmorvek_players 2\n"
                 "# TYPE morvek_max_players gauge\nmorvek_max_players 16\n"
                 "# TYPE morvek_player_frags gauge\n" +
                     frags + "# TYPE morvek_player_ping_seconds gauge\nmorvek_player_ping_seconds" +
                     a + "0.045\n# TYPE morvek_player_connected_seconds gauge\n" + times +
                     "# TYPE morvek_server_info gauge\n"
                     "morvek_server_info{name=\"Bob's \\\"best\\\" caf\xc3\xa9\",map=\"dm4\","
                     "version=\"2.40\",type=\"QuakeWd\",address=\"127.0.0.1\",port=\"27500\"} 1\n"
                     "# TYPE morvek_polls_total counter\nmorvek_polls_total 5\n"
                     "# TYPE morvek_replies_total counter\nmorvek_replies_total 9\n"
                     "# TYPE morvek_timeouts_total counter\nmorvek_timeouts_total 1\n"
                     "# TYPE morvek_refusals_total counter\nmorvek_refusals_total 0\n"
                     "# TYPE morvek_socket_errors_total counter\nmorvek_socket_errors_total 0\n");
        const std::string raw = "{slot=\"10\",name=\"x\\\"\\n\xc3\xb2\"} ";
        QCOMPARE(
            Samples(quiet, false),
            "morvek_up 1\nmorvek_connection_state 2\nmorvek_player_frags" + a +
                "-3\nmorvek_player_frags" + raw + "7\nmorvek_player_connected_seconds" + a +
                "180\nmorvek_player_connected_seconds" + raw + "61\n" +
                "morvek_server_info{name=\"\",map=\"\",version=\"\",type=\"\",address=\"\","
                "port=\"\"} 1\nmorvek_polls_total 0\nmorvek_replies_total 0\n"
                "morvek_timeouts_total 0\nmorvek_refusals_total 0\nmorvek_socket_errors_total 0\n");
        QCOMPARE(
            Samples(gone, false),
            "morvek_up 0\nmorvek_connection_state 0\n"
            "morvek_server_info{name=\"\",map=\"\",version=\"\",type=\"\",address=\"\","
            "port=\"\"} 1\nmorvek_polls_total 0\nmorvek_replies_total 0\n"
            "morvek_timeouts_total 0\nmorvek_refusals_total 0\nmorvek_socket_errors_total 0\n");
    }

    // "text|address port"; refused: nothing after the bar.
    void listen_address_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parsed");
        for (const char* row : {"9100|127.0.0.1 9100", "0.0.0.0:9100|0.0.0.0 9100",
                                "[::1]:65535|::1 65535", "::1:9100|", "localhost:9100|", "0|",
                                "65536|", "+9100|", "127.0.0.1:|", "|", " 9100|"})
            QTest::newRow(row) << QString(row).section('|', 0, 0) << QString(row).section('|', 1);
    }
    void listen_address() {
        QFETCH(QString, text);
        const auto got = metrics::ParseListenAddress(text.toStdString());
        QTEST(got ? got->address.toString() + " " + QString::number(got->port) : "", "parsed");
    }

    // "method target|status, content type of a 200"; a second server on the port is refused.
    void routes_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");
        for (QByteArray row :
             {"GET /metrics|200 text/plain; version=0.0.4", "GET /status.json|200 application/json",
              "GET /|404", "GET /metrics/x|404", "POST /metrics|404"})
            QTest::newRow(row) << row.left(row.indexOf('|')) << row.mid(row.indexOf('|') + 1);
    }
    void routes() {
        QFETCH(QByteArray, request);
        Monitor m;
        m.counters.polls = 7;
        metrics::MetricsServer server(m), second(m);
        std::string error;
        QVERIFY(server.Listen({QHostAddress(QHostAddress::LocalHost), 0}, error));
        QVERIFY(!second.Listen({QHostAddress(QHostAddress::LocalHost), server.Port()}, error));
        QCOMPARE(error, "cannot serve metrics on 127.0.0.1:" + std::to_string(server.Port()) +
                            ": The bound address is already in use");
        const QList<QByteArray> words = request.split(' ');
        const HttpReply reply = HttpRequest(server.Port(), words[0], words[1]);
        QTEST(QByteArray::number(reply.status) +
                  (reply.status == 200 ? " " + reply.content_type : ""),
              "reply");
        if (reply.status != 200) return;
        QCOMPARE(reply.body, words[1] == "/metrics"
                                 ? QByteArray::fromStdString(metrics::Exposition(m))
                                 : QByteArray::fromStdString(PictureJson(m, 7)));
    }

    // Slowloris, a 1 MB request line, 200 connections: polling goes on, the endpoint recovers.
    void hostile_clients_leave_polling_alone() {
        Rig rig;
        rig.StartServer();
        metrics::MetricsServer server(rig.monitor);
        std::string error;
        QVERIFY(server.Listen({QHostAddress(QHostAddress::LocalHost), 0}, error) && rig.Connect());
        std::vector<std::unique_ptr<QTcpSocket>> attackers(202);
        for (auto& a : attackers) {
            a = std::make_unique<QTcpSocket>();
            a->connectToHost(QHostAddress::LocalHost, server.Port());
        }
        attackers[0]->write("GET /metrics HTTP/1.1\r\n");
        attackers[1]->write("GET /" + QByteArray(1024 * 1024, 'a') + " HTTP/1.1\r\n\r\n");
        const auto polls = rig.monitor.counters.polls;
        int most_open = 0;
        QVERIFY(WaitFor(
            [&] {
                most_open = std::max(most_open, server.OpenConnections());
                if (attackers[0]->state() == QAbstractSocket::ConnectedState)
                    attackers[0]->write("X");
                return rig.monitor.counters.polls >= polls + 25 &&
                       attackers[1]->state() == QAbstractSocket::UnconnectedState;
            },
            10000));
        QVERIFY(rig.monitor.counters.timeouts == 0 && rig.dialogs.messages.empty());
        QVERIFY(most_open <= metrics::kMaxConnections);
        attackers.clear();
        QVERIFY(WaitFor([&] { return server.OpenConnections() == 0; }));
        QCOMPARE(HttpRequest(server.Port(), "GET", "/metrics").status, 200);
    }
};

QTEST_GUILESS_MAIN(TestMetrics)
#include "test_metrics.moc"
