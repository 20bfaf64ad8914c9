// A real Prometheus scrapes morvek-headless --demo --metrics on 127.0.0.1 every second; its query
// API reports the demo server's player count, and promtool accepts the endpoint's output.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include "sim/sim_state.h"
#include "support/http.h"
#include "support/rig.h"

using namespace morvek;
using namespace morvek::testing;

namespace {

quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

}  // namespace

class TestPrometheus : public QObject {
    Q_OBJECT
    QProcess morvek_, prometheus_;

  private slots:
    void cleanup() {
        for (QProcess* p : {&prometheus_, &morvek_}) {
            p->kill();
            p->waitForFinished();
        }
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

QTEST_GUILESS_MAIN(TestPrometheus)
#include "test_prometheus.moc"
