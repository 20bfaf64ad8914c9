// Real servers as they are: replies captured from mvdsv (QuakeWorld spectators) and the flood
// limit of darkplaces (one control reply per second per address), played by the simulator.
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

#include "support/rig.h"

using namespace morvek;
using namespace morvek::testing;

namespace {

// mvdsv 0.35 with KTX, one player and one spectator, asked "status", "status 23" and "status 31".
const std::string kSettings =
    "\xff\xff\xff\xffn\\maxfps\\77\\*version\\MVDSV 0.35\\hostname\\Harness QW\\maxspectators\\2"
    "\\maxclients\\26\\map\\harness\\status\\Standby\n";
const std::string kRanger = "1 0 0 1 \"Ranger\" \"base\" 4 13";
const std::string kNul(1, '\0');
const std::string kMvdsvStatus23 =
    kSettings + kRanger + " \"\"\n2 -9999 0 -2 \"\\s\\Watcher\" \"\" 0 0 \"\"\n" + kNul;
const std::string kMvdsvStatus31 =
    kSettings + kRanger + " \"\"\n2 S 0 2 \"Watcher\" \"\" 0 0 \"\"\n" + kNul;
const std::string kMvdsvStatus = kSettings + kRanger + "\n" + kNul;

QStringList Names(const Monitor& m) {
    QStringList out;
    for (const PlayerRecord& row : m.view.rows)
        if (!row[kName].empty()) out << QString::fromStdString(ShownName(m.options, row[kName]));
    return out;
}

}  // namespace

class TestRealServerQuirks : public QObject {
    Q_OBJECT
  private slots:
    void mvdsv_spectator_lines_data() {
        QTest::addColumn<std::string>("reply");
        QTest::addColumn<status::Player>("spectator");
        QTest::newRow("mvdsv_status_23_spectator_line")
            << kMvdsvStatus23
            << status::Player{"-9999", "0", "-2", "\\s\\Watcher", "", "0", "0", true};
        QTest::newRow("mvdsv_status_31_frags_S")
            << kMvdsvStatus31 << status::Player{"0", "0", "2", "Watcher", "", "0", "0", true};
    }
    void mvdsv_spectator_lines() {
        QFETCH(std::string, reply);
        QFETCH(status::Player, spectator);
        const status::StatusReply decoded = status::DecodeQuakeWorld(reply, true);
        QCOMPARE(decoded.players, (std::vector<status::Player>{
                                      {"0", "0", "1", "Ranger", "base", "4", "13"}, spectator}));
        QCOMPARE(decoded.settings.back().value, std::string("harness"));
        // Read as a plain reply, the spectator's mark would run on as one more setting.
        QCOMPARE(status::DecodeQuakeWorld(reply).players.size(),
                 std::size_t(reply == kMvdsvStatus23 ? 0 : 2));
    }

    // The request bytes as they leave the socket, with the switch off and on, per server type.
    void spectators_request_bytes_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("spectators");
        QTest::addColumn<QByteArray>("request");
        const QByteArray plain("\xff\xff\xff\xffstatus ", 11);
        QTest::newRow("quakeworld_off") << 1 << false << plain;
        QTest::newRow("quakeworld_on") << 1 << true << QByteArray("\xff\xff\xff\xffstatus 23", 13);
        QTest::newRow("quake2_on_unchanged") << 3 << true << plain;
    }
    void spectators_request_bytes() {
        QFETCH(int, type);
        QFETCH(bool, spectators);
        QFETCH(QByteArray, request);
        QUdpSocket server;
        QVERIFY(server.bind(QHostAddress::LocalHost, 0));
        Rig rig(type);
        rig.monitor.options.show_spectators = spectators;
        rig.connection.Winsock().SetRemoteHost("127.0.0.1");
        rig.connection.Winsock().SetRemotePort(server.localPort());
        rig.connection.timCheck().SetInterval(60000);
        rig.connection.mnuConnect_Click();
        QVERIFY(WaitFor([&] { return server.hasPendingDatagrams(); }));
        QCOMPARE(server.receiveDatagram().data(), request);
    }

    // Shown apart: out of the frags ordering (listed after the players), the count and the graph;
    // with the switch off, today's picture.
    void spectators_shown_apart_data() {
        QTest::addColumn<bool>("spectators");
        QTest::addColumn<std::string>("reply");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("on_status_23") << true << kMvdsvStatus23 << QStringList{"Ranger", "Watcher"};
        QTest::newRow("on_status_31") << true << kMvdsvStatus31 << QStringList{"Ranger", "Watcher"};
        QTest::newRow("off_plain_status") << false << kMvdsvStatus << QStringList{"Ranger"};
    }
    void spectators_shown_apart() {
        QFETCH(bool, spectators);
        QFETCH(std::string, reply);
        Rig rig(1);
        Monitor& m = rig.monitor;
        m.options.show_spectators = spectators;
        rig.Feed(reply);
        rig.Feed(reply);  // the count reports the reply before
        QCOMPARE(m.snapshot.players, std::string("1"));
        BuildPlayerView(m.table, m.view, kSortByFrags, 1, true, spectators);
        QTEST(Names(m), "names");
        QCOMPARE(IsSpectator(m.options, m.table.slot[1]), spectators);
        QCOMPARE(m.table.slot[1][kName].empty(), !spectators);
        AddGraphSample(m.graph, 0, m.table, spectators);
        QCOMPARE(m.graph.Cell(m.graph.CurrentRow(), 2), 0.0);
    }

    // The pacing decisions, poll by poll: [interval ms, reported players, player replies] -> plan.
    void darkplaces_one_reply_per_second_pacing() {
        NetQuakePacing p;
        using Plan = NetQuakePacing::Plan;
        const auto poll = [&p](int interval, int reported, int replies) {
            const Plan plan = p.Tick(interval);
            p.ServerInfoReply(reported);
            for (int i = 0; i < replies; ++i) p.PlayerReply();
            return plan;
        };
        QCOMPARE(poll(5000, 3, 3), Plan{});  // a server that answers bursts stays on bursts
        QCOMPARE(poll(5000, 3, 0), Plan{});  // this burst is answered by the first datagram only
        QCOMPARE(poll(5000, 5, 1), (Plan{false, {0, 1, 2}}));  // a gap apart, a gap before the next
        QCOMPARE(poll(5000, 5, 3), (Plan{false, {3, 4, 0}}));  // below the count only
        QCOMPARE(poll(2000, 0, 0), (Plan{false, {}}));  // no room for a request between two ticks
        QCOMPARE(poll(3400, 2, 0), (Plan{false, {}}));  // nobody to ask for
        for (int i = 5; i < NetQuakePacing::kProbeEvery; ++i)
            QCOMPARE(poll(5000, 2, 0).paced.size(), std::size_t(2));
        QCOMPARE(poll(5000, 2, 2), Plan{});  // the probe: one burst...
        QCOMPARE(poll(5000, 2, 2), Plan{});  // ...answered in full: bursts again
        QVERIFY(!p.Paced());
    }

    // A flood limit (100 ms for a second): three players and the whole rules list still come in.
    void darkplaces_one_reply_per_second() {
        Rig rig(0);
        sim::SimOptions options;
        options.reply_interval_ms = 100;
        sim::SimServer& server = rig.StartServer(options);
        server.State().players.resize(3);
        rig.connection.SetPaceGap(110);
        rig.connection.timCheck().SetInterval(500);
        rig.connection.timTimeout().SetInterval(3000);
        QVERIFY(rig.Connect());
        QVERIFY(WaitFor([&] { return !rig.Slot(2)[kName].empty(); }, 4000));
        QCOMPARE(rig.Slot(0)[kName] + "|" + rig.Slot(1)[kName] + "|" + rig.Slot(2)[kName],
                 std::string("Ranger|Grunt|Lady Death"));
        QVERIFY(rig.connection.Pacing().Paced());
        rig.connection.ShowRules();
        QVERIFY(WaitFor([&] { return rig.monitor.rules.caption == kRulesDone; }, 8000));
        QCOMPARE(rig.monitor.rules.lines.size(), server.State().rules.size());
    }
};

QTEST_MAIN(TestRealServerQuirks)
#include "test_real_server_quirks.moc"
