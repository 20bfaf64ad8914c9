// The log player on real files in a temporary folder: opening, the six buttons, the graph
// windows, the slot mapping, logs that are short, truncated or garbage, and the dump.
#include <QFile>
#include <QJsonArray>
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
using testing::RecordingHooks;

namespace {

// Record n (0-based) shows map "m<n+1>", slot 0 with frags n + 1 and slot 5 with frags -(n + 1).
std::string MakeLog(const QTemporaryDir& dir, const QString& file, int records, int type = 1) {
    Monitor m;
    m.server_type = ServerType(type);
    m.snapshot.name = "Test Server";
    m.snapshot.address = "127.0.0.1";
    m.snapshot.port = "26000";
    m.snapshot.max_players = "8";
    std::string path = dir.filePath(file).toStdString();
    for (int n = 0; n < records; ++n) {
        m.snapshot.map = "m" + IntegerText(n + 1);
        m.snapshot.players = "2";
        m.table.slot[0] = {"1", "abc", "4", "13", "skin", "7", IntegerText(n + 1), "50", ""};
        m.table.slot[5] = {"1", "Zed", "0", "0", "", "12.5", IntegerText(-(n + 1)), "", ""};
        if (!AppendLogRecord(QString::fromStdString(path), HeaderFromMonitor(m),
                             RecordFromMonitor(m, 12, n % 60)))
            return {};
    }
    return path;
}

// A player with its graph, opened on the log at `path`.
struct Player {
    explicit Player(const std::string& path, int rows = 20, bool open = true) {
        m.graph.SetRowCount(rows);
        m.graph.SetColumnCount(16);
        SetupGraph(m.graph);
        if (open) Open(path);
    }
    void Open(const std::string& path) {
        platform::ScriptedDialogs dialogs;
        dialogs.files.push_back(path);
        OpenLog(m, dialogs, hooks);
    }
    void Click(int button) { cmdPlayer_Click(m, hooks, button); }
    // Position, the six buttons, the map without its padding, the graph's row count.
    std::string State() const {
        std::string buttons;
        for (bool b : m.player.buttons) buttons += b ? '1' : '0';
        return m.player.position + " " + buttons + " " + Trimmed(m.snapshot.map) + " " +
               IntegerText(m.graph.RowCount());
    }
    static std::string Trimmed(std::string s) { return s.erase(s.find_last_not_of(' ') + 1); }
    Monitor m;
    RecordingHooks hooks;
};

}  // namespace

class TestLogPlayer : public QObject {
    Q_OBJECT

  private slots:
    // The header's texts padded to 15; the monitor's own type, version and ping stay.
    void open_shows_the_header_and_the_first_record() {
        QTemporaryDir dir;
        const std::string path = MakeLog(dir, "a.mv", 3, 3);
        Player p(path, 20, false);
        auto& m = p.m;
        m.recording = true;
        m.snapshot.version = "1.09";
        platform::ScriptedDialogs dialogs;
        dialogs.files.push_back(path);
        OpenLog(m, dialogs, p.hooks);
        const auto& req = dialogs.file_requests.at(0);
        QCOMPARE(req.title + "|" + req.filter + "|" + req.default_extension +
                     (req.must_exist ? "|!" : ""),
                 std::string("Select a Log file to open|Morvek files (*.mv)|*.mv|All files "
                             "(*.*)|*.*|.mv|!"));
        QVERIFY(m.log_path == QString::fromStdString(path) && m.log_open && !m.recording);
        const auto& s = m.snapshot;
        QCOMPARE(s.name + "|" + s.address + "|" + s.port + "|" + s.map + "|" + s.type_name + "|" +
                     m.address_heading + "|" + m.port_heading + "|" + s.version,
                 std::string("Test Server    |127.0.0.1      |26000          |m1             |"
                             "Quake II|Skin|Ping|1.09"));
        QCOMPARE(int(m.server_type), 0);
        QCOMPARE(p.State(), std::string("1 111111 m1 3"));
        QVERIFY(m.player.frame && m.player.label && m.menu.record && !m.menu.stop_record);
        // The menu is updated after the first record was shown.
        auto show = std::find(p.hooks.calls.begin(), p.hooks.calls.end(), "ShowPlayers");
        auto menu = std::find(p.hooks.calls.begin(), p.hooks.calls.end(), "UpdateMenuState");
        QVERIFY(show < menu && menu != p.hooks.calls.end());
        // A type byte no game has keeps the captions.
        p.Open(MakeLog(dir, "t.mv", 1, 7));
        QCOMPARE(s.type_name + "|" + m.address_heading, std::string("Quake II|Skin"));
    }

    void open_cancelled_clears_only_the_path() {
        Player p("", 20, false);
        p.m.log_path = "old.mv";
        p.m.snapshot.map = "dm4";
        p.m.player.position = "7";
        platform::ScriptedDialogs dialogs;
        OpenLog(p.m, dialogs, p.hooks);
        QVERIFY(p.m.log_path.isEmpty() && !p.m.log_open);
        QCOMPARE(p.m.snapshot.map + p.m.player.position, std::string("dm47"));
        QCOMPARE(p.hooks.calls, std::vector<std::string>{});
    }

    // A walk: the records of the log, the graph's rows, then steps "button:state" after opening
    // ("=N" sets the position by hand); the states are Player::State().
    void button_walks_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("walk");
        QTest::newRow("three_records_past_the_end_stays_on_the_last")
            << 3 << 20
            << "open:1 111111 m1 3;3:2 111111 m2 3;5:3 111000 m3 3;3:3 111000 m3 3;"
               "2:2 111111 m2 3;0:1 000111 m1 3";
        QTest::newRow("one_record_offers_no_moves")
            << 1 << 20
            << "open:1 111111 m1 1;4:1 000000 m1 1;5:1 000000 m1 1;3:1 000000 m1 1;"
               "1:1 000000 m1 1;2:1 000000 m1 1;0:1 000000 m1 1";
        QTest::newRow("pages_of_the_graphs_rows_any_other_index_reloads")
            << 50 << 20
            << "open:1 111111 m1 20;=5:;1:1 000111 m1 20;4:21 111111 m21 20;4:41 111111 m41 20;"
               "4:50 111000 m50 20;1:30 111111 m30 20;9:30 111111 m30 20";
        QTest::newRow("a_short_log_cuts_the_row_count_and_the_page")
            << 5 << 20 << "open:1 111111 m1 5;4:5 111000 m5 5;1:1 000111 m1 5";
    }
    void button_walks() {
        QFETCH(int, records);
        QFETCH(int, rows);
        QFETCH(QString, walk);
        QTemporaryDir dir;
        Player p(MakeLog(dir, "w.mv", records), rows);
        QString seen;
        for (const QString& step : walk.split(';')) {
            const QString button = step.section(':', 0, 0);
            if (button.startsWith('='))
                p.m.player.position = button.mid(1).toStdString();
            else if (button != "open")
                p.Click(button.toInt());
            seen += (seen.isEmpty() ? "" : ";") + button + ":" +
                    (button.startsWith('=') ? QString() : QString::fromStdString(p.State()));
        }
        QCOMPARE(seen, walk);
    }

    // Positions are brought inside the log; the graph shows the 20 records up to the position,
    // the position's row labelled "A"; the table holds that record itself.
    void graph_windows_of_a_50_record_log() {
        QTemporaryDir dir;
        Player p(MakeLog(dir, "g.mv", 50));
        auto& m = p.m;
        QCOMPARE(m.graph.ColumnCount(), 8);  // record 0's MaxPlayers
        for (auto [asked, kept, first, marker] :
             {std::tuple(9, 9, 10, 1), std::tuple(44, 44, 31, 15), std::tuple(1000000, 49, 31, 20),
              std::tuple(-5, 0, 1, 1)}) {
            std::int32_t position = asked;
            LoadLogPosition(m, p.hooks, position);
            QCOMPARE(position, kept);
            QCOMPARE(m.graph.RowCount(), 20);
            for (int r = 1; r <= 20; ++r) {
                QCOMPARE(m.graph.Cell(r, 1), double(first + r - 1));
                QCOMPARE(m.graph.Cell(r, 6), -double(first + r - 1));  // slot 5
                QCOMPARE(m.graph.RowLabel(r), std::string(r == marker ? "A" : ""));
            }
            QCOMPARE(m.table.slot[0][kFrags], std::to_string(kept + 1));
        }
    }

    // Record 0 says 8 players, record 2 says 12: record 0's count first, then the max-players
    // rule with record 3's resets the graph, and the marker survives.
    void the_marker_survives_a_changed_maximum() {
        QTemporaryDir dir;
        const std::string name = dir.filePath("x.mv").toStdString();
        Monitor src;
        src.snapshot.max_players = "8";
        src.table.slot[0] = {"1", "a", "", "", "", "", "3", "", ""};
        for (int n = 0; n < 4; ++n) {
            if (n == 2) src.snapshot.max_players = "12";
            QVERIFY(AppendLogRecord(QString::fromStdString(name), HeaderFromMonitor(src),
                                    RecordFromMonitor(src, 0, 0)));
        }
        Player p(name, 2);
        p.Click(3);
        p.Click(3);
        QCOMPARE(p.m.snapshot.max_players, std::string("12"));
        QCOMPARE(p.m.graph.ColumnCount(), 12);
        QCOMPARE(p.m.graph.RowLabel(1), std::string("A"));
        QCOMPARE(p.m.graph.Cell(1, 1) + p.m.graph.Cell(2, 1), 6.0);
    }

    // No address or ping in a log, no times from Quake II; names cut to 15; an empty slot comes
    // back blank with zero numbers.
    void replayed_slots_follow_the_mapping() {
        QTemporaryDir dir;
        const std::string name = dir.filePath("map.mv").toStdString();
        Monitor src;
        src.server_type = ServerType::QuakeII;
        src.snapshot.max_players = "4";
        src.table.slot[0] = {"1", "abc", "4", "13", "male/grunt", "", "4244897280", "50", ""};
        src.table.slot[1] = {"1", "ABCDEFGHIJKLMNOPQRST", "255", "0", "", "90", "-3", "", ""};
        QVERIFY(AppendLogRecord(QString::fromStdString(name), HeaderFromMonitor(src),
                                RecordFromMonitor(src, 0, 0)));
        Player p("", 20, false);
        p.m.table.slot[0][kOrderMark] = "x";
        p.m.table.slot[2] = {"1", "stale", "1", "1", "1.2.3.4", "5", "6", "7", ""};
        p.Open(name);
        QCOMPARE(std::vector(p.m.table.slot.begin(), p.m.table.slot.begin() + 3),
                 (std::vector<PlayerRecord>{
                     {"1", "abc            ", "4", "13", "", "0", "4244897280", "", "x"},
                     {"1", "ABCDEFGHIJKLMNO", "255", "0", "", "90", "-3", "", ""},
                     {" ", std::string(15, ' '), "0", "0", "", "0", "0", "", ""}}));
        QCOMPARE(p.m.snapshot.players + "/" + p.m.snapshot.max_players, std::string("0/4"));
        QCOMPARE(p.m.view.rows[0][kName], std::string("abc            "));
    }

    void a_step_is_busy_lets_events_run_then_loads() {
        QTemporaryDir dir;
        Player p(MakeLog(dir, "b.mv", 3));
        p.hooks.calls.clear();
        p.Click(3);
        QCOMPARE(p.hooks.calls,
                 (std::vector<std::string>{"RefreshPanel", "SetBusy(true)", "ProcessEvents",
                                           "ShowPlayers", "SetBusy(false)", "RefreshPanel"}));
    }

    // ">|" pressed while ">" lets events run: the caption and the record stay together; a
    // connect meanwhile: nothing is loaded.
    void a_click_or_a_connect_during_a_step() {
        QTemporaryDir dir;
        Player p(MakeLog(dir, "r.mv", 10), 3);
        p.hooks.on_process_events = [&] { p.Click(5); };
        p.Click(3);
        QCOMPARE(p.State(), std::string("10 111000 m10 3"));
        QCOMPARE(p.m.graph.RowLabel(3), std::string("A"));
        p.hooks.on_process_events = [&] {
            ResetLogPlayer(p.m);
            p.m.log_open = false;
            p.m.snapshot.map.clear();
        };
        p.Click(2);
        QCOMPARE(p.m.player.position + p.m.snapshot.map, std::string("0"));
    }

    // Nowhere to move: the buttons stay off; the row count is kept.
    void logs_without_a_complete_record_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray header = QByteArray("Server         1.2.3.4        27960          \x03");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("short_header") << header.left(20);
        QTest::newRow("header_only") << header;
        QTest::newRow("under_half_a_record") << header + QByteArray(841, 'x');
    }
    void logs_without_a_complete_record() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        QFile file(dir.filePath("short.mv"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        Player p(file.fileName().toStdString());
        QVERIFY(p.m.log_open && p.m.player.frame && p.m.player.label);
        for (int b = -1; b < 6; ++b) {
            if (b >= 0) p.Click(b);
            QCOMPARE(p.State().substr(0, 8), std::string("0 000000"));
            QCOMPARE(p.m.graph.RowCount(), 20);
        }
        QCOMPARE(p.m.table.slot[0][kPresent].size(), size_t(1));
    }

    // Record 3 keeps 1000 of its 1683 bytes: more than half, so it counts; slot 37 and on lie past
    // the end: blanks and zeros. Under half a record left: not counted. Then the file is gone.
    void a_truncated_last_record_reads_padded() {
        QTemporaryDir dir;
        const std::string path = MakeLog(dir, "tr.mv", 3);
        QFile f(QString::fromStdString(path));
        QVERIFY(f.resize(46 + 1683 * 2 + 1000));
        Player p(path);
        p.Click(5);
        QCOMPARE(p.State(), std::string("3 111000 m3 3"));
        QCOMPARE(p.m.table.slot[0][kFrags] + "|" + p.m.table.slot[40][kName] + "|" +
                     p.m.table.slot[40][kFrags],
                 "3|" + std::string(15, ' ') + "|0");
        QCOMPARE(p.m.graph.Cell(3, 1), 3.0);
        QVERIFY(f.resize(46 + 1683 * 2 + 800));
        p.Click(5);
        QCOMPARE(p.m.player.position, std::string("2"));
        // The file goes away between steps: nothing changes, nothing breaks.
        const std::string map = p.m.snapshot.map;
        QVERIFY(f.remove());
        p.Click(3);
        QCOMPARE(p.m.snapshot.map + "|" + p.m.player.position, map + "|0");
    }

    // The header line, then one line per record with all 64 slots; a missing file or a folder: 1.
    void dump_prints_header_and_records() {
        QTemporaryDir dir;
        std::ostringstream out, err;
        QCOMPARE(DumpLog(MakeLog(dir, "d.mv", 2, 2), out, err), 0);
        const QList<QByteArray> lines = QByteArray::fromStdString(out.str()).trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(QJsonDocument::fromJson(lines[0]).object()["records"].toInt(), 2);
        const QJsonArray players = QJsonDocument::fromJson(lines[2]).object()["players"].toArray();
        QCOMPARE(players.size(), 64);
        QCOMPARE(players[5].toObject(), (QJsonObject{{"slot", 5},
                                                     {"present", "1"},
                                                     {"name", "Zed            "},
                                                     {"shirt", 0},
                                                     {"pants", 0},
                                                     {"time", 12},
                                                     {"frags", -2}}));
        QCOMPARE(err.str(), std::string());
        QCOMPARE(DumpLog(dir.filePath("none.mv").toStdString(), out, err), 1);
        QVERIFY(!err.str().empty());
        QCOMPARE(DumpLog(dir.path().toStdString(), out, err), 1);
    }
};

QTEST_GUILESS_MAIN(TestLogPlayer)
#include "test_log_player.moc"
