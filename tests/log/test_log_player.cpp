// The log player on real files in a temporary folder: opening, the six buttons, the graph
// windows, the slot mapping, short or truncated logs, and the dump.
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

// Record n shows map "m<n+1>", slot 0 with frags n + 1 and slot 5 with frags -(n + 1).
std::string MakeLog(const QTemporaryDir& dir, const QString& file, int records, int type = 1) {
    Monitor m;
    m.server_type = ServerType(type);
    m.snapshot = {"Test Server", "", "", "127.0.0.1", "26000", "", "2", "8", ""};
    std::string path = dir.filePath(file).toStdString();
    for (int n = 0; n < records; ++n) {
        m.snapshot.map = "m" + IntegerText(n + 1);
        m.table.slot[0] = {"1", "abc", "4", "13", "skin", "7", IntegerText(n + 1), "50", ""};
        m.table.slot[5] = {"1", "Zed", "0", "0", "", "12.5", IntegerText(-(n + 1)), "", ""};
        if (!AppendLogRecord(QString::fromStdString(path), HeaderFromMonitor(m),
                             RecordFromMonitor(m, 12, n % 60)))
            return {};
    }
    return path;
}

struct Player {
    explicit Player(const std::string& path, int rows = 20) {
        m.graph.SetRowCount(rows);
        m.graph.SetColumnCount(16);
        SetupGraph(m.graph);
        if (!path.empty()) Open(path);
    }
    void Open(const std::string& path) {
        dialogs.files.push_back(path);
        OpenLog(m, dialogs, hooks);
    }
    void Click(int button) { cmdPlayer_Click(m, hooks, button); }
    // Position, the six buttons, the map without its padding, the graph's row count.
    std::string State() const {
        std::string buttons, map = m.snapshot.map;
        for (bool b : m.player.buttons) buttons += b ? '1' : '0';
        map.erase(map.find_last_not_of(' ') + 1);
        return m.player.position + " " + buttons + " " + map + " " +
               IntegerText(m.graph.RowCount());
    }
    Monitor m;
    RecordingHooks hooks;
    platform::ScriptedDialogs dialogs;
};

}  // namespace

class TestLogPlayer : public QObject {
    Q_OBJECT

  private slots:
    // The header's texts padded to 15; the monitor's own type, version and ping stay.
    void open_shows_the_header_and_the_first_record() {
        QTemporaryDir dir;
        Player p("");
        auto& m = p.m;
        m.recording = true;
        m.snapshot.version = "1.09";
        p.Open(MakeLog(dir, "a.mv", 3, 3));
        const auto& req = p.dialogs.file_requests.at(0);
        QCOMPARE(req.title + "|" + req.filter + "|" + req.default_extension +
                     (req.must_exist ? "|!" : ""),
                 std::string("Select a Log file to open|Morvek files (*.mv)|*.mv|All files "
                             "(*.*)|*.*|.mv|!"));
        QVERIFY(m.log_open && !m.recording && m.menu.record && !m.menu.stop_record);
        const auto& s = m.snapshot;
        QCOMPARE(s.name + "|" + s.address + "|" + s.port + "|" + s.map + "|" + s.type_name + "|" +
                     m.address_heading + "|" + m.port_heading + "|" + s.version,
                 std::string("Test Server    |127.0.0.1      |26000          |m1             |"
                             "Quake II|Skin|Ping|1.09"));
        QCOMPARE(p.State(), std::string("1 111111 m1 3"));
        auto show = std::find(p.hooks.calls.begin(), p.hooks.calls.end(), "ShowPlayers");
        auto menu = std::find(p.hooks.calls.begin(), p.hooks.calls.end(), "UpdateMenuState");
        QVERIFY(show < menu && menu != p.hooks.calls.end());
        p.Open(MakeLog(dir, "t.mv", 1, 7));  // a type byte no game has keeps the captions
        QCOMPARE(s.type_name + "|" + m.address_heading, std::string("Quake II|Skin"));
        p.m.snapshot.map = "dm4";
        OpenLog(p.m, p.dialogs, p.hooks);  // cancelled: only the path is cleared
        QVERIFY(p.m.log_path.isEmpty() && p.m.snapshot.map == "dm4");
    }

    // Steps "button:state" after opening ("=N" sets the position by hand; positions outside the
    // log are brought inside).
    void button_walks_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("walk");
        QTest::newRow("past_the_end_stays_on_the_last")
            << 3
            << "open:1 111111 m1 3;5:3 111000 m3 3;3:3 111000 m3 3;2:2 111111 m2 3;0:1 000111 m1 3";
        QTest::newRow("one_record_offers_no_moves")
            << 1 << "open:1 111111 m1 1;4:1 000000 m1 1;5:1 000000 m1 1;1:1 000000 m1 1";
        QTest::newRow("pages_of_the_graphs_rows_any_other_index_reloads")
            << 50
            << "open:1 111111 m1 20;=5:;1:1 000111 m1 20;4:21 111111 m21 20;4:41 111111 m41 20;"
               "4:50 111000 m50 20;1:30 111111 m30 20;9:30 111111 m30 20;=1000000:;9:50 111000 m50 "
               "20;"
               "=-5:;9:1 000111 m1 20";
        QTest::newRow("a_short_log_cuts_the_row_count_and_the_page")
            << 5 << "open:1 111111 m1 5;4:5 111000 m5 5;1:1 000111 m1 5";
    }
    void button_walks() {
        QFETCH(int, records);
        QFETCH(QString, walk);
        QTemporaryDir dir;
        Player p(MakeLog(dir, "w.mv", records));
        QString seen;
        for (const QString& step : walk.split(';')) {
            const QString button = step.section(':', 0, 0);
            const bool set = button.startsWith('=');
            if (set)
                p.m.player.position = button.mid(1).toStdString();
            else if (button != "open")
                p.Click(button.toInt());
            seen += (seen.isEmpty() ? "" : ";") + button + ":" +
                    (set ? QString() : QString::fromStdString(p.State()));
        }
        QCOMPARE(seen, walk);
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
        Player p("");
        p.m.table.slot[0][kOrderMark] = "x";
        p.m.table.slot[2] = {"1", "stale", "1", "1", "1.2.3.4", "5", "6", "7", ""};
        p.Open(name);
        QCOMPARE(std::vector(p.m.table.slot.begin(), p.m.table.slot.begin() + 3),
                 (std::vector<PlayerRecord>{
                     {"1", "abc            ", "4", "13", "", "0", "4244897280", "", "x"},
                     {"1", "ABCDEFGHIJKLMNO", "255", "0", "", "90", "-3", "", ""},
                     {" ", std::string(15, ' '), "0", "0", "", "0", "0", "", ""}}));
        QCOMPARE(p.m.snapshot.players + "/" + p.m.snapshot.max_players, std::string("0/4"));
    }

    // A step is busy and lets events run; ">|" pressed meanwhile keeps caption and record
    // together; a connect meanwhile: nothing is loaded.
    void a_click_or_a_connect_during_a_step() {
        QTemporaryDir dir;
        Player p(MakeLog(dir, "r.mv", 10), 3);
        p.hooks.calls.clear();
        p.hooks.on_process_events = [&] { p.Click(5); };
        p.Click(3);
        QCOMPARE(std::vector(p.hooks.calls.begin(), p.hooks.calls.begin() + 3),
                 (std::vector<std::string>{"RefreshPanel", "SetBusy(true)", "ProcessEvents"}));
        QCOMPARE(p.hooks.calls.back(), std::string("RefreshPanel"));
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

    // Record 3 keeps 1000 of its 1683 bytes: more than half, so it counts, slot 37 and on blank;
    // under half: not counted; then the file is gone: nothing changes.
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
        QVERIFY(f.resize(46 + 1683 * 2 + 800));
        p.Click(5);
        QCOMPARE(p.m.player.position, std::string("2"));
        const std::string map = p.m.snapshot.map;
        QVERIFY(f.remove());
        p.Click(3);
        QCOMPARE(p.m.snapshot.map + "|" + p.m.player.position, map + "|0");
    }

    // One line per record with all 64 slots as the log holds them; a missing file or a folder: 1.
    void dump_prints_every_slot() {
        QTemporaryDir dir;
        std::ostringstream out, err;
        QCOMPARE(DumpLog(MakeLog(dir, "d.mv", 2, 2), out, err), 0);
        const QByteArray last = QByteArray::fromStdString(out.str()).trimmed().split('\n').back();
        const QJsonArray players = QJsonDocument::fromJson(last).object()["players"].toArray();
        QCOMPARE(players.size(), 64);
        QCOMPARE(players[5].toObject(), (QJsonObject{{"slot", 5},
                                                     {"present", "1"},
                                                     {"name", "Zed            "},
                                                     {"shirt", 0},
                                                     {"pants", 0},
                                                     {"time", 12},
                                                     {"frags", -2}}));
        QCOMPARE(DumpLog(dir.filePath("none.mv").toStdString(), out, err) +
                     DumpLog(dir.path().toStdString(), out, err),
                 2);
    }
};

QTEST_GUILESS_MAIN(TestLogPlayer)
#include "test_log_player.moc"
