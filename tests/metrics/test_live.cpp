// The live listener's page, event stream and scoreboard, through real sockets and a browser.
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include "metrics/metrics_server.h"
#include "support/files.h"
#include "support/http.h"
#include "support/rig.h"
#include "web/publisher.h"

using namespace morvek;
using namespace morvek::testing;

// A simulated QuakeWorld server polled for real, served on a free port.
struct LiveRig {
    LiveRig() {
        rig.StartServer();
        std::string error;
        listening = server.Listen({QHostAddress(QHostAddress::LocalHost), 0}, error);
    }
    Rig rig{1};
    metrics::MetricsServer server{rig.monitor};
    bool listening = false;
};

class TestLive : public QObject {
    Q_OBJECT
  private slots:
    // The page of a tick is the published file of that tick, byte for byte.
    void page_is_the_published_file() {
        LiveRig live;
        QTemporaryDir dir;
        web::HtmlPublisher publisher(live.rig.monitor, live.rig.dialogs);
        publisher.SetTemplateFolder(MORVEK_SOURCE_DIR "/resources/template");
        publisher.SetClock([] { return QDateTime(QDate(2026, 12, 7), QTime(20, 15)); });
        live.rig.monitor.options.html_output = dir.filePath("page.htm");
        QVERIFY(live.listening && live.rig.Connect());
        live.server.SetPage([&] { return publisher.PageNow(); });
        publisher.OnPublishTick();
        const HttpReply reply = HttpRequest(live.server.Port(), "GET", "/");
        QCOMPARE(reply.content_type + "|" + reply.body,
                 "text/html; charset=windows-1252|" + testing::ReadFile(dir.filePath("page.htm")));
    }

    // 16 streams: the 17th is refused, one not reading is dropped; polls go on.
    void event_stream() {
        LiveRig live;
        QVERIFY(live.listening && live.rig.Connect());
        std::vector<std::unique_ptr<QTcpSocket>> streams;
        for (int i = 0; i < metrics::kMaxSubscribers; ++i) {
            streams.push_back(std::make_unique<QTcpSocket>());
            streams.back()->connectToHost(QHostAddress::LocalHost, live.server.Port());
            streams.back()->write("GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
            QVERIFY(WaitFor([&] { return live.server.Subscribers() == i + 1; }));
        }
        const auto polls = live.rig.monitor.counters.polls;
        QCOMPARE(HttpRequest(live.server.Port(), "GET", "/events").status, 503);
        QVERIFY(WaitFor([&] { return live.rig.monitor.counters.polls > polls; }));
        // A stream that reads nothing fills its buffers and is let go; the others stay.
        streams.front()->setReadBufferSize(1);
        for (int tick = 0; tick < 100000 && live.server.Subscribers() == 16; ++tick) {
            live.server.TellEvent(std::string(4096, 'x'));
            QCoreApplication::processEvents();
            for (std::size_t i = 1; i < streams.size(); ++i) streams[i]->readAll();
        }
        QCOMPARE(live.server.Subscribers(), metrics::kMaxSubscribers - 1);
        QVERIFY(live.rig.dialogs.messages.empty());
    }

    // The scoreboard in a browser: readable names in the panel's order, a hostile one as text.
    void scoreboard_in_a_browser() {
        const QString chromium = QStandardPaths::findExecutable("chromium");
        if (chromium.isEmpty()) QSKIP("chromium is not installed (scripts/setup.sh --test)");
        LiveRig live;
        live.rig.server->State().players[1].name = "<img src=x onerror=alert(1)>";
        live.rig.monitor.options.player_sorting = kSortByFrags;
        QVERIFY(live.listening && live.rig.Connect());
        QTemporaryDir profile;
        QProcess browser;
        browser.start(
            chromium,
            {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--user-data-dir=" + profile.path(), "--timeout=10000", "--dump-dom",
             QString("http://127.0.0.1:%1/live").arg(live.server.Port())});
        QVERIFY(WaitFor([&] { return browser.state() == QProcess::NotRunning; }, 60000));
        const QRegularExpression cell("<td class=\"name\"><span>([^<]*)</span>");
        QStringList names;
        for (const auto& match :
             cell.globalMatch(QString::fromUtf8(browser.readAllStandardOutput())))
            names << match.captured(1);
        QCOMPARE(names, (QStringList{"Lady Death", "Ranger", "Shambler",
                                     "&lt;img src=x onerror=alert(1)&gt;", "[VX]Vore", "Zombie"}));
    }
};

QTEST_GUILESS_MAIN(TestLive)
#include "test_live.moc"
