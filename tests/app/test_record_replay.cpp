// A match recorded from the simulator over 127.0.0.1 and replayed in another picture: what the
// player shows at each step is what the server reported at the matching poll.
#include <QTemporaryDir>
#include <QtTest>

#include "log/player.h"
#include "log/recorder.h"
#include "support/rig.h"

using namespace morvek;

class TestRecordReplay : public QObject {
    Q_OBJECT
  private slots:
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
        QCOMPARE(LogRecordCount(log), std::int64_t(recorded.size()));

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
        // The graph's rows are cut to the log's records.
        QCOMPARE(replay.graph.RowCount(), int(recorded.size()));
        cmdPlayer_Click(replay, second.hooks, 0);  // "|<"
        QCOMPARE(replay.graph.RowLabel(1), std::string("A"));
        QCOMPARE(replay.graph.Cell(recorded.size(), 1), std::stod(recorded.back()));
    }
};

QTEST_GUILESS_MAIN(TestRecordReplay)
#include "test_record_replay.moc"
