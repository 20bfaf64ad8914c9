// morvek-headless against a scripted simulator on 127.0.0.1 (events in order, with and without
// "keep trying", --on-event); the monitor facing a silent server; a match recorded and replayed;
// a real Prometheus scraping --metrics, and promtool checking what it serves.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include "log/player.h"
#include "log/recorder.h"
#include "sim/sim_server.h"
#include "support/http.h"
#include "support/rig.h"

using namespace morvek;
using namespace morvek::testing;

namespace {

// "event name" of each event line, and "title|text" of the last message line, in `message`.
QStringList Events(const QByteArray& lines, QString* message = nullptr) {
    QStringList events;
    for (const QByteArray& line : lines.split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.contains("event"))
            events << (o["event"].toString() + " " + o["name"].toString()).trimmed();
        if (o.contains("message") && message)
            *message = o["message"]["title"].toString() + "|" + o["message"]["text"].toString();
    }
    return events;
}

quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

}  // namespace

class TestUnattended : public QObject {
    Q_OBJECT
    QProcess morvek_, prometheus_;

  private slots:
    void cleanup() {
        for (QProcess* p : {&prometheus_, &morvek_}) {
            p->kill();
            p->waitForFinished();
        }
    }
    void scripted_server_data() {
        QTest::addColumn<bool>("keep_trying");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("message");
        const QStringList events{"join Newcomer", "leave Grunt", "map e1m2", "silent"};
        QTest::newRow("keep trying off")
            << false << events
            << "Brelan+|Timeout time elapsed. Please reconfigure Server Address and port or "
               "increase Timeout.";
        QTest::newRow("keep trying on") << true << events + QStringList{"back"} << "";
    }
    void scripted_server() {
        QFETCH(bool, keep_trying);
        QTemporaryDir dir;
        sim::SimServer server(sim::DemoState(ServerType::QuakeWorld), {.move = false});
        QVERIFY(server.Start());
        QProcess morvek;
        QStringList args{"--json",
                         "--check",
                         "0.1",
                         "--timeout",
                         "0.5",
                         "--settings",
                         dir.filePath("none.ini"),
                         "--on-event",
                         "dd status=none conv=notrunc oflag=append of=" + dir.filePath("hook.txt"),
                         "1",
                         "127.0.0.1",
                         QString::number(server.Port())};
        if (keep_trying) args.prepend("--keep-trying");
        QByteArray out;
        connect(&morvek, &QProcess::readyReadStandardOutput, this,
                [&] { out += morvek.readAllStandardOutput(); });
        morvek.start(MORVEK_HEADLESS_EXE, args);
        auto after = [&](int polls) {
            const int until = server.RequestsReceived() + polls;
            return WaitFor([&] { return server.RequestsReceived() >= until; }, 10000);
        };
        QVERIFY(after(3));
        server.State().players.push_back({"Newcomer", 1, 2, 0});
        QVERIFY(after(3));
        std::erase_if(server.State().players, [](const auto& p) { return p.name == "Grunt"; });
        QVERIFY(after(6));
        server.State().map = "e1m2";
        QVERIFY(after(3));
        server.SetAnswering(false);
        QTest::qWait(1000);  // two timeout intervals
        server.SetAnswering(true);
        if (keep_trying) {
            QVERIFY(WaitFor([&] { return out.contains("\"back\""); }));
            morvek.terminate();
        }
        QVERIFY(WaitFor([&] { return morvek.state() == QProcess::NotRunning; }, 10000));
        QCOMPARE(morvek.exitCode(), 0);
        out += morvek.readAllStandardOutput();
        QString message;
        QTEST(Events(out, &message), "events");
        QTEST(message, "message");
        QFile hook(dir.filePath("hook.txt"));
        QVERIFY(hook.open(QIODevice::ReadOnly));
        QTEST(Events(hook.readAll()), "events");
    }

    // While nothing answers, the monitor asks once per timeout interval, not at every poll, and
    // shows no box; the first reply brings Connected back.
    void a_silent_server_is_not_hammered() {
        Rig rig(1);
        rig.monitor.options.keep_trying = true;
        sim::SimServer& server = rig.StartServer();
        QVERIFY(rig.Connect());
        server.SetAnswering(false);
        QVERIFY(WaitFor([&] { return rig.monitor.counters.timeouts >= 1; }));
        const int asked = server.RequestsReceived();
        const auto polls = rig.monitor.counters.polls;
        QVERIFY(WaitFor([&] { return rig.monitor.counters.timeouts >= 3; }));
        QCOMPARE(rig.monitor.state, ConnectionState::TryingToConnect);
        QVERIFY(rig.monitor.counters.polls - polls >= 15);  // polling went on at 40 ms
        // One request per 400 ms timeout (the one after the third may already be out).
        const int sent = server.RequestsReceived() - asked;
        QVERIFY2(sent >= 2 && sent <= 3, qPrintable(QString::number(sent)));
        QVERIFY(rig.dialogs.Texts().empty());
        server.SetAnswering(true);
        QVERIFY(WaitFor([&] { return rig.monitor.state == ConnectionState::Connected; }));
        QVERIFY(!rig.monitor.counters.silent);
    }

    void record_from_the_simulator_and_replay() {
        QTemporaryDir dir;
        const std::string log = dir.filePath("match.mv").toStdString();
        testing::Rig rig(1);
        sim::SimServer& server = rig.StartServer();
        rig.connection.timCheck().SetInterval(30);
        rig.connection.timTimeout().SetInterval(2000);
        // Slot 0's frags as the table stands when each record is written.
        std::vector<std::string> recorded;
        rig.hooks.on_write_log_record = [&] {
            WriteLogRecord(rig.monitor);
            recorded.push_back(rig.Slot(0)[kFrags]);
        };
        rig.dialogs.files.push_back(log);
        StartRecording(rig.monitor, rig.dialogs, rig.hooks);
        rig.connection.mnuConnect_Click();
        // Frags move by one between polls so every record is told apart.
        for (int poll = 0; recorded.size() < 6 && poll < 200; ++poll) {
            server.State().players[0].frags = 100 + int(recorded.size());
            QTest::qWait(10);
        }
        rig.connection.mnuDisconnect_Click();
        QVERIFY(!rig.monitor.recording && recorded.size() >= 6);
        QCOMPARE(LogRecordCount(QString::fromStdString(log)), std::int64_t(recorded.size()));

        testing::Rig second;
        Monitor& replay = second.monitor;
        second.dialogs.files.push_back(log);
        OpenLog(replay, second.dialogs, second.hooks);
        QVERIFY(replay.log_open);
        QCOMPARE(replay.snapshot.type_name + "|" + replay.snapshot.name,
                 std::string("QuakeWd|Morvek demo are"));                 // 15 characters
        QCOMPARE(second.Slot(0)[kName], std::string("Ranger         "));  // padded to 15
        for (std::size_t i = 0; i < recorded.size(); ++i) {
            if (i) cmdPlayer_Click(replay, second.hooks, 3);  // ">"
            QCOMPARE(replay.player.position, std::to_string(i + 1));
            QCOMPARE(second.Slot(0)[kFrags], recorded[i]);
        }
        QVERIFY(!replay.player.buttons[3]);  // at the last record
    }

    void prometheus_reads_the_demo_player_count() {
        const QString prometheus = QStandardPaths::findExecutable("prometheus");
        const QString promtool = QStandardPaths::findExecutable("promtool");
        if (prometheus.isEmpty() || promtool.isEmpty())
            QSKIP("prometheus and promtool are not installed");
        QTemporaryDir dir;
        const quint16 metrics_port = FreePort(), api_port = FreePort();
        morvek_.start(MORVEK_HEADLESS_EXE,
                      {"--demo", "--check", "0.5", "--settings", dir.filePath("none.ini"),
                       "--metrics", "127.0.0.1:" + QString::number(metrics_port)});
        HttpReply scrape;
        QVERIFY(WaitFor(
            [&] {
                scrape = HttpRequest(metrics_port, "GET", "/metrics", 1000);
                return scrape.body.contains("\nmorvek_players ");
            },
            10000));
        QProcess check;
        check.start(promtool, {"check", "metrics"});
        check.write(scrape.body);
        check.closeWriteChannel();
        QVERIFY(check.waitForFinished(20000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardError().constData());

        QFile config(dir.filePath("prometheus.yml"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(
            "global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\n"
            "scrape_configs:\n  - job_name: morvek\n    static_configs:\n"
            "      - targets: ['127.0.0.1:" +
            QByteArray::number(metrics_port) + "']\n");
        config.close();
        prometheus_.setProcessChannelMode(QProcess::MergedChannels);
        prometheus_.start(
            prometheus,
            {"--config.file=" + config.fileName(), "--storage.tsdb.path=" + dir.filePath("data"),
             "--web.listen-address=127.0.0.1:" + QString::number(api_port)});
        QJsonArray result;
        WaitFor(
            [&] {
                const HttpReply reply =
                    HttpRequest(api_port, "GET", "/api/v1/query?query=morvek_players", 1000);
                result = QJsonDocument::fromJson(reply.body)["data"]["result"].toArray();
                return !result.isEmpty();
            },
            60000);
        QVERIFY2(!result.isEmpty(), prometheus_.readAll().right(2000).constData());
        QCOMPARE(result.at(0)["metric"]["job"].toString(), QString("morvek"));
        QCOMPARE(result.at(0)["value"][1].toString(),
                 QString::number(sim::DemoState(ServerType::QuakeI).players.size()));
    }
};

QTEST_GUILESS_MAIN(TestUnattended)
#include "test_unattended.moc"
