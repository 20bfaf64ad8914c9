// A match recorded from the simulator over 127.0.0.1 and replayed in the same picture: what the
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
        auto [monitor, dialogs, hooks, connection] =
            std::tie(rig.monitor, rig.dialogs, rig.hooks, rig.connection);
        sim::SimServer& server = rig.StartServer();
        connection.timCheck().SetInterval(30);
        connection.timTimeout().SetInterval(2000);
        // What each record holds: the frags of slot 0 as the table stands when it is written.
        std::vector<std::string> recorded;
        hooks.on_write_log_record = [&] {
            WriteLogRecord(monitor);
            recorded.push_back(monitor.table.slot[0][kFrags]);
        };

        dialogs.files.push_back(log);
        StartRecording(monitor, dialogs, hooks);
        QVERIFY(monitor.recording);
        connection.mnuConnect_Click();
        // Frags move by one between polls so every record is told apart.
        for (int poll = 0; recorded.size() < 6 && poll < 200; ++poll) {
            server.State().players[0].frags = 100 + int(recorded.size());
            QTest::qWait(10);
        }
        connection.mnuDisconnect_Click();
        QVERIFY(!monitor.recording);
        QVERIFY(recorded.size() >= 6);
        QCOMPARE(LogRecordCount(log), std::int64_t(recorded.size()));

        // Replay in a fresh picture.
        testing::Rig second;
        Monitor& replay = second.monitor;
        second.dialogs.files.push_back(log);
        OpenLog(replay, second.dialogs, second.hooks);
        QVERIFY(replay.log_open);
        QCOMPARE(replay.player.position, std::string("1"));
        QCOMPARE(replay.snapshot.type_name, std::string("QuakeWd"));
        QCOMPARE(replay.snapshot.name, std::string("Morvek demo are"));  // 15 characters
        QCOMPARE(replay.table.slot[0][kFrags], recorded[0]);
        // Names come back padded to 15 characters.
        QCOMPARE(replay.table.slot[0][kName], std::string("Ranger         "));
        for (std::size_t i = 1; i < recorded.size(); ++i) {
            cmdPlayer_Click(replay, second.hooks, 3);  // ">"
            QCOMPARE(replay.player.position, std::to_string(i + 1));
            QCOMPARE(replay.table.slot[0][kFrags], recorded[i]);
        }
        QVERIFY(!replay.player.buttons[3]);  // at the last record
        // The graph shows the records (fewer than its rows: the row count is cut to the log).
        QCOMPARE(replay.graph.RowCount(), int(recorded.size()));
        cmdPlayer_Click(replay, second.hooks, 0);  // "|<"
        QCOMPARE(replay.graph.RowLabel(1), std::string("A"));
        QCOMPARE(replay.graph.Cell(recorded.size(), 1), std::stod(recorded.back()));
    }
};

QTEST_GUILESS_MAIN(TestRecordReplay)
#include "test_record_replay.moc"
