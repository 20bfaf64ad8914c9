// The log player on real files in a temporary folder: opening, the six buttons, the graph
// windows, the slot mapping, and logs that are short, truncated or garbage.
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <sstream>

#include "core/numbers.h"
#include "log/dump.h"
#include "log/log_format.h"
#include "log/player.h"
#include "log/recorder.h"
#include "support/recording_hooks.h"

using namespace morvek;

namespace {

using testing::RecordingHooks;

// Record n (0-based) shows map "m<n+1>", slot 0 with frags n + 1 and slot 5 with frags -(n + 1).
std::string MakeLog(const QTemporaryDir& dir, const QString& file, int records, int type = 1,
                    int max_players = 8) {
    Monitor m;
    m.server_type = ServerType(type);
    m.snapshot.name = "Test Server";
    m.snapshot.address = "127.0.0.1";
    m.snapshot.port = "26000";
    m.snapshot.max_players = IntegerText(max_players);
    std::string path = dir.filePath(file).toStdString();
    for (int n = 0; n < records; ++n) {
        m.snapshot.map = "m" + IntegerText(n + 1);
        m.snapshot.players = "2";
        m.table.slot[0] = {"1", "abc", "4", "13", "skin", "7", IntegerText(n + 1), "50", ""};
        m.table.slot[5] = {"1", "Zed", "0", "0", "", "12.5", IntegerText(-(n + 1)), "", ""};
        if (!AppendLogRecord(path, HeaderFromMonitor(m), RecordFromMonitor(m, 12, n % 60)))
            return {};
    }
    return path;
}

Monitor PlayerMonitor(int rows = 20) {
    Monitor m;
    m.graph.SetRowCount(rows);
    m.graph.SetColumnCount(16);
    SetupGraph(m.graph);
    return m;
}

void Open(Monitor& m, const std::string& path, RecordingHooks& hooks) {
    platform::ScriptedDialogs dialogs;
    dialogs.files.push_back(path);
    OpenLog(m, dialogs, hooks);
}

std::string Buttons(const Monitor& m) {
    std::string s;
    for (bool b : m.player.buttons) s += b ? '1' : '0';
    return s;
}

void WriteBytes(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

}  // namespace

class TestLogPlayer : public QObject {
    Q_OBJECT

  private slots:
    void open_shows_the_header_and_the_first_record() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "a.mv", 3, 3);
        Monitor m = PlayerMonitor();
        m.server_type = ServerType(0);
        m.recording = true;
        m.snapshot.version = "1.09";
        m.snapshot.ping = "40";
        platform::ScriptedDialogs dialogs;
        dialogs.files.push_back(path);
        RecordingHooks hooks;
        OpenLog(m, dialogs, hooks);

        const auto& req = dialogs.file_requests.at(0);
        QCOMPARE(req.title, std::string("Select a Log file to open"));
        QCOMPARE(req.filter, std::string("Morvek files (*.mv)|*.mv|All files (*.*)|*.*"));
        QCOMPARE(req.default_extension, std::string(".mv"));
        QVERIFY(req.must_exist);

        QCOMPARE(m.log_path, path);
        QVERIFY(m.log_open);
        QVERIFY(!m.recording);
        QCOMPARE(m.snapshot.name, std::string("Test Server    "));
        QCOMPARE(m.snapshot.address, std::string("127.0.0.1      "));
        QCOMPARE(m.snapshot.port, std::string("26000          "));
        QCOMPARE(m.snapshot.type_name, std::string("Quake II"));
        QCOMPARE(m.address_heading, std::string("Skin"));
        QCOMPARE(m.port_heading, std::string("Ping"));
        // The monitor's own type, version and ping stay.
        QCOMPARE(int(m.server_type), 0);
        QCOMPARE(m.snapshot.version, std::string("1.09"));
        QCOMPARE(m.snapshot.ping, std::string("40"));
        QCOMPARE(m.snapshot.map, std::string("m1             "));
        QCOMPARE(m.player.position, std::string("1"));
        QCOMPARE(Buttons(m), std::string("111111"));
        QVERIFY(m.player.frame && m.player.label);
        QVERIFY(m.menu.record && !m.menu.stop_record && m.menu.open);
        // Menu update comes after the first record was shown.
        auto show = std::find(hooks.calls.begin(), hooks.calls.end(), "ShowPlayers");
        auto menu = std::find(hooks.calls.begin(), hooks.calls.end(), "UpdateMenuState");
        QVERIFY(show < menu && menu != hooks.calls.end());
    }

    void open_cancelled_clears_only_the_path() {
        Monitor m = PlayerMonitor();
        m.log_path = "old.mv";
        m.snapshot.map = "dm4";
        m.player.position = "7";
        platform::ScriptedDialogs dialogs;
        RecordingHooks hooks;
        OpenLog(m, dialogs, hooks);
        QVERIFY(m.log_path.empty());
        QCOMPARE(m.snapshot.map, std::string("dm4"));
        QCOMPARE(m.player.position, std::string("7"));
        QVERIFY(!m.log_open);
        QVERIFY(hooks.calls.empty());
    }

    void unknown_type_byte_keeps_the_captions() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "t.mv", 1, 7);
        Monitor m = PlayerMonitor();
        m.snapshot.type_name = "Hexen II";
        RecordingHooks hooks;
        Open(m, path, hooks);
        QCOMPARE(m.snapshot.type_name, std::string("Hexen II"));
        QCOMPARE(m.address_heading, std::string("Net Address"));
        QCOMPARE(m.snapshot.map, std::string("m1             "));
    }

    void three_record_button_walk() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "w.mv", 3);
        Monitor m = PlayerMonitor();
        RecordingHooks hooks;
        Open(m, path, hooks);
        QCOMPARE(m.player.position, std::string("1"));
        QCOMPARE(Buttons(m), std::string("111111"));
        cmdPlayer_Click(m, hooks, 3);
        QCOMPARE(m.player.position, std::string("2"));
        QCOMPARE(Buttons(m), std::string("111111"));
        QCOMPARE(m.snapshot.map, std::string("m2             "));
        cmdPlayer_Click(m, hooks, 5);
        QCOMPARE(m.player.position, std::string("3"));
        QCOMPARE(Buttons(m), std::string("111000"));
        QCOMPARE(m.snapshot.map, std::string("m3             "));
        cmdPlayer_Click(m, hooks, 3);  // past the end stays on the last
        QCOMPARE(m.player.position, std::string("3"));
        cmdPlayer_Click(m, hooks, 2);
        QCOMPARE(m.player.position, std::string("2"));
        QCOMPARE(Buttons(m), std::string("111111"));
        cmdPlayer_Click(m, hooks, 0);
        QCOMPARE(m.player.position, std::string("1"));
        QCOMPARE(Buttons(m), std::string("000111"));
        QCOMPARE(m.snapshot.map, std::string("m1             "));
        QCOMPARE(m.table.slot[0][kFrags], std::string("1"));
    }

    void one_record_log_offers_no_moves() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "one.mv", 1);
        Monitor m = PlayerMonitor(20);
        RecordingHooks hooks;
        Open(m, path, hooks);
        QCOMPARE(m.player.position, std::string("1"));
        for (int b : {4, 5, 3, 1, 2, 0}) {
            cmdPlayer_Click(m, hooks, b);
            QCOMPARE(m.player.position, std::string("1"));
            QCOMPARE(Buttons(m), std::string("000000"));
        }
        QCOMPARE(m.graph.RowCount(), 1);
        QCOMPARE(m.graph.RowLabel(1), std::string("A"));
    }

    void page_back_and_forward() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "p.mv", 50);
        Monitor m = PlayerMonitor(20);
        RecordingHooks hooks;
        Open(m, path, hooks);
        m.player.position = "5";
        cmdPlayer_Click(m, hooks, 1);
        QCOMPARE(m.player.position, std::string("1"));
        cmdPlayer_Click(m, hooks, 4);
        QCOMPARE(m.player.position, std::string("21"));
        QCOMPARE(m.snapshot.map, std::string("m21            "));
        cmdPlayer_Click(m, hooks, 4);
        QCOMPARE(m.player.position, std::string("41"));
        cmdPlayer_Click(m, hooks, 4);  // near the end: the last record
        QCOMPARE(m.player.position, std::string("50"));
        QCOMPARE(Buttons(m), std::string("111000"));
        cmdPlayer_Click(m, hooks, 1);
        QCOMPARE(m.player.position, std::string("30"));
        QCOMPARE(Buttons(m), std::string("111111"));
        // Any other index reloads the current position.
        cmdPlayer_Click(m, hooks, 9);
        QCOMPARE(m.player.position, std::string("30"));
    }

    void graph_windows_of_a_50_record_log() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "g.mv", 50);
        Monitor m = PlayerMonitor(20);
        RecordingHooks hooks;
        Open(m, path, hooks);
        QCOMPARE(m.graph.ColumnCount(), 8);  // record 0's MaxPlayers

        std::int32_t p = 9;
        LoadLogPosition(m, hooks, p);
        QCOMPARE(p, 9);
        QCOMPARE(m.graph.RowCount(), 20);
        for (int r = 1; r <= 20; ++r) {
            QCOMPARE(m.graph.Cell(r, 1), double(9 + r));   // records 10 .. 29
            QCOMPARE(m.graph.Cell(r, 6), -double(9 + r));  // slot 5
            QCOMPARE(m.graph.RowLabel(r), std::string(r == 1 ? "A" : ""));
        }
        p = 44;
        LoadLogPosition(m, hooks, p);
        for (int r = 1; r <= 20; ++r) {
            QCOMPARE(m.graph.Cell(r, 1), double(30 + r));  // records 31 .. 50
            QCOMPARE(m.graph.RowLabel(r), std::string(r == 15 ? "A" : ""));
        }
        // The table holds record 45 itself, not the last graph row.
        QCOMPARE(m.table.slot[0][kFrags], std::string("45"));
        QCOMPARE(m.snapshot.map, std::string("m45            "));
    }

    void short_log_cuts_the_row_count() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "s.mv", 5);
        Monitor m = PlayerMonitor(20);
        RecordingHooks hooks;
        Open(m, path, hooks);
        QCOMPARE(m.graph.RowCount(), 5);
        for (int r = 1; r <= 5; ++r) {
            QCOMPARE(m.graph.Cell(r, 1), double(r));
            QCOMPARE(m.graph.RowLabel(r), std::string(r == 1 ? "A" : ""));
        }
        cmdPlayer_Click(m, hooks, 4);  // pages now move by 5
        QCOMPARE(m.player.position, std::string("5"));
        QCOMPARE(m.graph.RowCount(), 5);
        QCOMPARE(m.graph.RowLabel(5), std::string("A"));
        cmdPlayer_Click(m, hooks, 1);
        QCOMPARE(m.player.position, std::string("1"));
    }

    void graph_hidden_is_left_alone() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "h.mv", 5);
        Monitor m = PlayerMonitor(20);
        m.graph.visible = false;
        m.options.serie_max_player = 0;
        m.graph.SetCell(2, 3, 42);
        RecordingHooks hooks;
        Open(m, path, hooks);
        QCOMPARE(m.graph.RowCount(), 20);
        QCOMPARE(m.graph.ColumnCount(), 16);
        QCOMPARE(m.graph.Cell(2, 3), 42.0);
        QCOMPARE(m.table.slot[0][kFrags], std::string("1"));
    }

    void marker_survives_a_changed_maximum() {
        // Record 0 says 8 players, record 2 says 12: the max-players rule resets the graph.
        QTemporaryDir dir;
        QString name = dir.filePath("x.mv");
        Monitor src;
        src.snapshot.max_players = "8";
        src.table.slot[0] = {"1", "a", "", "", "", "", "3", "", ""};
        for (int n = 0; n < 4; ++n) {
            if (n == 2) src.snapshot.max_players = "12";
            QVERIFY(AppendLogRecord(name.toStdString(), HeaderFromMonitor(src),
                                    RecordFromMonitor(src, 0, 0)));
        }
        Monitor m = PlayerMonitor(2);
        RecordingHooks hooks;
        Open(m, name.toStdString(), hooks);
        cmdPlayer_Click(m, hooks, 3);
        cmdPlayer_Click(m, hooks, 3);
        QCOMPARE(m.snapshot.max_players, std::string("12"));
        // Record 0's count first, then the max-players rule with record 3's.
        QCOMPARE(m.graph.ColumnCount(), 12);
        QCOMPARE(m.graph.RowLabel(1), std::string("A"));
        QCOMPARE(m.graph.Cell(1, 1), 3.0);
        QCOMPARE(m.graph.Cell(2, 1), 3.0);
    }

    void replayed_slots_follow_the_mapping() {
        QTemporaryDir dir;
        QString name = dir.filePath("map.mv");
        Monitor src;
        src.server_type = ServerType(3);
        src.snapshot.max_players = "4";
        src.table.slot[0] = {"1", "abc", "4", "13", "male/grunt", "", "4244897280", "50", ""};
        src.table.slot[1] = {"1", "ABCDEFGHIJKLMNOPQRST", "255", "0", "", "90", "-3", "", ""};
        QVERIFY(AppendLogRecord(name.toStdString(), HeaderFromMonitor(src),
                                RecordFromMonitor(src, 0, 0)));
        Monitor m = PlayerMonitor();
        m.table.slot[0][kOrderMark] = "x";
        m.table.slot[2] = {"1", "stale", "1", "1", "1.2.3.4", "5", "6", "7", ""};
        RecordingHooks hooks;
        Open(m, name.toStdString(), hooks);
        const auto& s0 = m.table.slot[0];
        QCOMPARE(s0[kPresent], std::string("1"));
        QCOMPARE(s0[kName], std::string("abc            "));
        QCOMPARE(s0[kShirt], std::string("4"));
        QCOMPARE(s0[kPants], std::string("13"));
        QCOMPARE(s0[kAddress], std::string());
        QCOMPARE(s0[kTime], std::string("0"));  // a Quake II log has no times
        QCOMPARE(s0[kFrags], std::string("4244897280"));
        QCOMPARE(FragsValue(s0[kFrags]), -1.0);
        QCOMPARE(s0[kPort], std::string());
        QCOMPARE(m.table.slot[1][kName], std::string("ABCDEFGHIJKLMNO"));
        QCOMPARE(m.table.slot[1][kShirt], std::string("255"));
        QCOMPARE(m.table.slot[1][kFrags], std::string("-3"));
        // An empty slot comes back blank with zero numbers.
        const auto& s2 = m.table.slot[2];
        QCOMPARE(s2[kPresent], std::string(" "));
        QCOMPARE(s2[kName], std::string(15, ' '));
        QCOMPARE(s2[kShirt], std::string("0"));
        QCOMPARE(s2[kTime], std::string("0"));
        QCOMPARE(s2[kFrags], std::string("0"));
        QCOMPARE(s2[kAddress], std::string());
        QCOMPARE(m.snapshot.players, std::string("0"));
        QCOMPARE(m.snapshot.max_players, std::string("4"));
        // The view was rebuilt: two players present.
        int present = 0;
        for (const auto& slot : m.table.slot) present += IsEmptyMark(slot[kPresent]) ? 0 : 1;
        QCOMPARE(present, 2);
        QCOMPARE(m.view.rows[0][kName], std::string("abc            "));
    }

    void position_outside_the_log_is_brought_inside() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "c.mv", 4);
        Monitor m = PlayerMonitor();
        RecordingHooks hooks;
        Open(m, path, hooks);
        std::int32_t p = 4;  // the record count itself
        LoadLogPosition(m, hooks, p);
        QCOMPARE(p, 3);
        QCOMPARE(m.snapshot.map, std::string("m4             "));
        p = 1000000;
        LoadLogPosition(m, hooks, p);
        QCOMPARE(p, 3);
        p = -5;
        LoadLogPosition(m, hooks, p);
        QCOMPARE(p, 0);
        QCOMPARE(m.snapshot.map, std::string("m1             "));
    }

    void step_is_busy_lets_events_run_then_loads() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "b.mv", 3);
        Monitor m = PlayerMonitor();
        RecordingHooks hooks;
        Open(m, path, hooks);
        hooks.calls.clear();
        cmdPlayer_Click(m, hooks, 3);
        QCOMPARE(hooks.calls,
                 (std::vector<std::string>{"RefreshPanel", "SetBusy(true)", "ProcessEvents",
                                           "ShowPlayers", "SetBusy(false)", "RefreshPanel"}));
    }

    void click_during_a_step_keeps_caption_and_record_together() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "r.mv", 10);
        Monitor m = PlayerMonitor(3);
        RecordingHooks hooks;
        Open(m, path, hooks);
        // ">|" is pressed while ">" lets events run.
        hooks.on_process_events = [&] { cmdPlayer_Click(m, hooks, 5); };
        cmdPlayer_Click(m, hooks, 3);
        QCOMPARE(m.player.position, std::string("10"));
        QCOMPARE(m.snapshot.map, std::string("m10            "));
        QCOMPARE(Buttons(m), std::string("111000"));
        QCOMPARE(m.graph.RowLabel(3), std::string("A"));
    }

    void connect_during_a_step_loads_nothing() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "k.mv", 3);
        Monitor m = PlayerMonitor();
        RecordingHooks hooks;
        Open(m, path, hooks);
        hooks.on_process_events = [&] {
            ResetLogPlayer(m);
            m.log_open = false;
            m.snapshot.map.clear();
        };
        cmdPlayer_Click(m, hooks, 3);
        QCOMPARE(m.player.position, std::string("0"));
        QVERIFY(m.snapshot.map.empty());
    }

    void logs_without_a_complete_record() {
        QTemporaryDir dir;
        const QByteArray header = QByteArray("Server         ") + "1.2.3.4        " +
                                  "27960          " + QByteArray(1, 3);
        struct Case {
            const char* name;
            QByteArray bytes;
        };
        const Case cases[] = {
            {"empty", QByteArray()},
            {"short header", header.left(20)},
            {"header only", header},
            {"under half a record", header + QByteArray(841, 'x')},
        };
        for (const Case& c : cases) {
            QString name = dir.filePath(QString(c.name) + ".mv");
            WriteBytes(name, c.bytes);
            Monitor m = PlayerMonitor(20);
            RecordingHooks hooks;
            Open(m, name.toStdString(), hooks);
            QVERIFY2(m.log_open, c.name);
            QCOMPARE(m.player.position, std::string("0"));
            // Nowhere to move: the buttons stay off; the row count is kept.
            QCOMPARE(Buttons(m), std::string("000000"));
            QVERIFY(m.player.frame && m.player.label);
            QCOMPARE(m.graph.RowCount(), 20);
            for (int b = 0; b < 6; ++b) {
                cmdPlayer_Click(m, hooks, b);
                QCOMPARE(m.player.position, std::string("0"));
                QVERIFY2(Buttons(m) == "000000", (std::string(c.name) + " " + Buttons(m)).c_str());
            }
            QCOMPARE(m.graph.RowCount(), 20);
            QCOMPARE(m.table.slot[0][kPresent].size(), size_t(1));
        }
    }

    void truncated_last_record_reads_padded() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "tr.mv", 3);
        QFile f(QString::fromStdString(path));
        // Record 3 keeps 1000 of its 1683 bytes: more than half, so it counts.
        QVERIFY(f.resize(46 + 1683 * 2 + 1000));
        Monitor m = PlayerMonitor(20);
        RecordingHooks hooks;
        Open(m, path, hooks);
        cmdPlayer_Click(m, hooks, 5);
        QCOMPARE(m.player.position, std::string("3"));
        QCOMPARE(m.snapshot.map, std::string("m3             "));
        QCOMPARE(m.table.slot[0][kFrags], std::string("3"));
        // Slot 37 and on lie past the end: blanks and zeros.
        QCOMPARE(m.table.slot[40][kName], std::string(15, ' '));
        QCOMPARE(m.table.slot[40][kFrags], std::string("0"));
        QCOMPARE(m.graph.RowCount(), 3);
        QCOMPARE(m.graph.Cell(3, 1), 3.0);
        QCOMPARE(m.graph.RowLabel(3), std::string("A"));
        // Under half a record left: not counted.
        QVERIFY(f.resize(46 + 1683 * 2 + 800));
        cmdPlayer_Click(m, hooks, 5);
        QCOMPARE(m.player.position, std::string("2"));
    }

    void garbage_and_a_removed_file() {
        QTemporaryDir dir;
        QString name = dir.filePath("garbage.mv");
        QByteArray junk;
        for (int i = 0; i < 46 + 1683 * 2 + 900; ++i) junk += char((i * 131 + 7) & 0xFF);
        WriteBytes(name, junk);
        Monitor m = PlayerMonitor(20);
        RecordingHooks hooks;
        Open(m, name.toStdString(), hooks);
        QCOMPARE(m.player.position, std::string("1"));
        for (int b : {5, 2, 4, 1, 0, 3}) cmdPlayer_Click(m, hooks, b);
        QCOMPARE(m.player.position, std::string("2"));
        QCOMPARE(m.graph.RowCount(), 3);
        // The file goes away between steps: nothing changes, nothing breaks.
        std::string map = m.snapshot.map;
        QVERIFY(QFile::remove(name));
        cmdPlayer_Click(m, hooks, 3);
        QCOMPARE(m.snapshot.map, map);
        QCOMPARE(m.player.position, std::string("0"));
    }

    void dump_prints_header_and_records() {
        QTemporaryDir dir;
        std::string path = MakeLog(dir, "d.mv", 2, 2);
        std::ostringstream out, err;
        QCOMPARE(DumpLog(path, out, err), 0);
        QVERIFY(err.str().empty());
        std::istringstream lines(out.str());
        std::vector<std::string> all;
        for (std::string line; std::getline(lines, line);) all.push_back(line);
        QCOMPARE(all.size(), size_t(3));
        QVERIFY(all[0].find("\"server_name\":\"Test Server    \"") != std::string::npos);
        QVERIFY(all[0].find("\"server_type\":2") != std::string::npos);
        QVERIFY(all[0].find("\"records\":2") != std::string::npos);
        QVERIFY(all[2].find("\"map\":\"m2             \"") != std::string::npos);
        QVERIFY(all[2].find("\"max_players\":8") != std::string::npos);
        const QJsonValue slot5 =
            QJsonDocument::fromJson(QByteArray::fromStdString(all[2]))["players"][5];
        QCOMPARE(slot5.toObject(), (QJsonObject{{"slot", 5},
                                                {"present", "1"},
                                                {"name", "Zed            "},
                                                {"shirt", 0},
                                                {"pants", 0},
                                                {"time", 12},
                                                {"frags", -2}}));
        QVERIFY(all[2].find("\"slot\":63") != std::string::npos);

        std::ostringstream out2, err2;
        QCOMPARE(DumpLog(dir.filePath("none.mv").toStdString(), out2, err2), 1);
        QVERIFY(!err2.str().empty());
        QCOMPARE(DumpLog(dir.path().toStdString(), out2, err2), 1);
    }
};

QTEST_GUILESS_MAIN(TestLogPlayer)
#include "test_log_player.moc"
