// The ".mv" log byte by byte, the recorder's start, append and failure handling, and the log player
// and dump on real files in a temporary folder.
#include <QFile>
#include <QFileInfo>
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
#include "support/files.h"
#include "support/recording_hooks.h"

using namespace morvek;
using namespace morvek::logfile;

namespace {

Monitor ConnectedMonitor() {
    Monitor m;
    m.server_type = ServerType::QuakeWorld;
    m.state = ConnectionState::Connected;
    m.snapshot = {"Big Server Name Longer", "", "e1m1", "10.0.0.1", "27500", "", "2", "16", ""};
    m.table.slot[0] = {"1", "abc", "4", "13", "base", "12.5", "-3", "57", ""};
    m.table.slot[1] = {"1", "ABCDEFGHIJKLMNOPQRST", "0", "0", "", "13.5", "-300", "", ""};
    return m;
}

// Record n shows map "m<n+1>", slot 0 with frags n + 1 and slot 5 with frags -(n + 1).
std::string MakeLog(const QTemporaryDir& dir, const QString& file, int records, int type = 1) {
    Monitor m;
    m.server_type = ServerType(type);
    m.snapshot = {"Test Server", "", "", "127.0.0.1", "26000", "", "2", "8", ""};
    const QString path = dir.filePath(file);
    for (int n = 0; n < records; ++n) {
        m.snapshot.map = "m" + IntegerText(n + 1);
        m.table.slot[0] = {"1", "abc", "4", "13", "skin", "7", IntegerText(n + 1), "50", ""};
        m.table.slot[5] = {"1", "Zed", "0", "0", "", "12.5", IntegerText(-(n + 1)), "", ""};
        if (!AppendLogRecord(path, HeaderFromMonitor(m), RecordFromMonitor(m, 12, n % 60)))
            return {};
    }
    return path.toStdString();
}

struct Player {
    explicit Player(const std::string& path, int rows = 20) {
        m.graph.SetRowCount(rows);
        if (!path.empty()) Open(path);
    }
    void Open(const std::string& path) {
        dialogs.files.push_back(path);
        OpenLog(m, dialogs, hooks);
    }
    void Click(int button) { StepReplay(m, hooks, button); }
    // Position, the six buttons, the map without its padding, the graph's row count.
    std::string State() const {
        std::string map = m.snapshot.map;
        map.erase(map.find_last_not_of(' ') + 1);
        const std::string back(3, m.replay.can_go_back ? '1' : '0');
        const std::string forward(3, m.replay.can_go_forward ? '1' : '0');
        return IntegerText(m.replay.record) + " " + back + forward + " " + map + " " +
               IntegerText(m.graph.RowCount());
    }
    Monitor m;
    testing::RecordingHooks hooks;
    platform::ScriptedDialogs dialogs;
};

std::string Request(const platform::OpenFileRequest& r) {
    return r.title + "|" + r.filter + "|" + r.default_extension + (r.must_exist ? "|!" : "|");
}

}  // namespace

class TestLog : public QObject {
    Q_OBJECT

  private slots:
    // "value|bytes|read back": byte 3 = 1 marks a negative; out of range, inf or nan: zeros.
    void packed_number_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("back");
        for (const char* row : {"300|2c010000|300", "4244897280|00fe03fd|4244897280",
                                "4294967295.4|ffffffff|4294967295", "-16777215|ffffff01|-16777215",
                                "12.5|0c000000|12", "-2.5|02000001|-2", "16777217|01000001|-1",
                                "4294967296|00000000|0", "-16777216|00000000|0", "inf|00000000|0",
                                "nan|00000000|0"}) {
            const QList<QByteArray> cells = QByteArray(row).split('|');
            QTest::newRow(row) << cells[0].toDouble() << cells[1] << cells[2].toLongLong();
        }
    }
    void packed_number() {
        QFETCH(double, value);
        const PackedNumber packed = PackNumber(value);
        QTEST(QByteArray(reinterpret_cast<const char*>(packed.data()), 4).toHex(), "bytes");
        QTEST(qint64(UnpackNumber(PackNumber(value))), "back");
    }

    void byte_field_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("byte");
        for (QByteArray row :
             {"12.5|12", "13.5|14", "255.4|255", "abc|0", " 1 2|12", "256|0", "-1|0"})
            QTest::newRow(row) << row.split('|')[0] << row.split('|')[1].toInt();
    }
    void byte_field() {
        QFETCH(QByteArray, text);
        QTEST(int(ByteField(text.toStdString())), "byte");
    }

    // A 46-byte header, records of 1683 bytes; a last record counts when over half of it is there.
    void record_count_data() {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<qint64>("count");
        for (QByteArray row : {"46|0", "887|0", "888|1", "5936|3", "5937|4", "29082286|17280"})
            QTest::newRow(row) << row.split('|')[0].toLongLong() << row.split('|')[1].toLongLong();
    }
    void record_count() {
        QFETCH(qint64, length);
        QTEST(qint64(RecordCount(length)), "count");
    }

    void header_layout_cuts_and_pads_texts_and_keeps_high_bytes() {
        const std::string bytes =
            EncodeHeader({"My Quake Server Name", "192.168.100.200", "27500", 3});
        QCOMPARE(bytes, "My Quake Server192.168.100.20027500" + std::string(10, ' ') + "\x03");
        QVERIFY(DecodeHeader(bytes) == (LogHeader{"My Quake Server", "192.168.100.200",
                                                  "27500" + std::string(10, ' '), 3}));
        QCOMPARE(FixedText("\xE9\x80", 3), std::string("\xE9\x80 "));
    }

    // Times 12.5 and 13.5 round to even, the second name is cut to 15, empty slots follow.
    void record_layout_from_the_monitor() {
        const LogRecord record = RecordFromMonitor(ConnectedMonitor(), 23, 59);
        const std::string bytes = EncodeRecord(record);
        auto zeros = [](int n) { return std::string(std::size_t(n), '\0'); };
        auto blanks = [](int n) { return std::string(std::size_t(n), ' '); };
        QCOMPARE(std::int64_t(bytes.size()), kRecordSize);
        QCOMPARE(bytes.substr(0, 19 + 26 * 3),
                 "e1m1" + blanks(11) + "\x10\x02\x17\x3b" + "1abc" + blanks(12) + "\x04\x0d\x0c" +
                     zeros(3) + "\x03" + zeros(2) + "\x01" + "1ABCDEFGHIJKLMNO" + zeros(2) +
                     "\x0e" + zeros(3) + "\x2c\x01" + zeros(1) + "\x01" + blanks(16) + zeros(10));
        QCOMPARE(bytes.substr(19 + 26 * 63), blanks(16) + zeros(10));
        QVERIFY(DecodeRecord(bytes) == record);
    }

    // No file until a record is written; an existing log is kept on "No", deleted on "Yes".
    void start_recording_clears_the_match_and_asks_before_deleting() {
        QTemporaryDir dir;
        const QString name = dir.filePath("new.mv");
        Monitor m = ConnectedMonitor();
        m.log_open = true;
        m.replay = {5, true, true};
        platform::ScriptedDialogs dialogs;
        dialogs.files = {name.toStdString(), name.toStdString(), name.toStdString()};
        dialogs.answers = {platform::MessageResult::No, platform::MessageResult::Yes};
        testing::RecordingHooks hooks;
        StartRecording(m, dialogs, hooks);
        QCOMPARE(Request(dialogs.file_requests.at(0)),
                 "Select a Log file to record|Morvek files (*.mv)|*.mv|All files (*.*)|*.*|.mv|");
        QVERIFY(m.recording && !m.log_open && m.replay.record == 0);
        QVERIFY(!m.replay.can_go_back && !m.replay.can_go_forward);
        QVERIFY(m.table.slot[0][kName].empty() && !QFileInfo::exists(name));
        WriteLogRecord(m);
        m = ConnectedMonitor();
        StartRecording(m, dialogs, hooks);
        QCOMPARE(dialogs.messages.at(0).text,
                 QString("Warning: the log file already exists (cannot append informations to "
                         "existings log files). Do you want delete the old log?"));
        QVERIFY(dialogs.messages[0].icon == platform::MessageIcon::Exclamation &&
                dialogs.messages[0].buttons == platform::MessageButtons::YesNo);
        QVERIFY(QFileInfo::exists(name) && !m.recording && m.log_path.isEmpty());
        StartRecording(m, dialogs, hooks);
        QVERIFY(!QFileInfo::exists(name) && m.recording);
        StartRecording(m, dialogs, hooks);  // cancelled: nothing changes
        QVERIFY(m.recording && m.log_path == name && dialogs.messages.size() == 2);
    }

    void an_unwritable_log_is_passed_over_and_left_as_it_was() {
        QTemporaryDir dir;
        Monitor m = ConnectedMonitor();
        m.recording = true;
        const LogHeader h = HeaderFromMonitor(m);
        const LogRecord r = RecordFromMonitor(m, 0, 0);
        m.log_path = dir.filePath("missing/folder/x.mv");
        for (const QString& path : {m.log_path, dir.path(), QString(), QStringLiteral("/dev/full")})
            QVERIFY2(!AppendLogRecord(path, h, r), qPrintable(path));
        WriteLogRecord(m);
        QVERIFY(!QFileInfo::exists(m.log_path) && m.recording);
        const QString ro = dir.filePath("ro.mv");
        QVERIFY(AppendLogRecord(ro, h, r));
        QFile::setPermissions(ro, QFileDevice::ReadOwner);
        QFile probe(ro);
        if (probe.open(QIODevice::WriteOnly | QIODevice::Append))
            QSKIP("running with rights that ignore file permissions");
        QVERIFY(!AppendLogRecord(ro, h, r));
        QCOMPARE(QFileInfo(probe).size(), qint64(46 + 1683));
    }

    // The header comes from the first record only; a log deleted while recording starts anew.
    void the_header_is_written_once_and_a_deleted_log_starts_anew() {
        QTemporaryDir dir;
        Monitor m = ConnectedMonitor();
        m.log_path = dir.filePath("h.mv");
        QStringList seen;
        for (int step = 0; step < 3; ++step) {
            if (step == 2) QVERIFY(QFile::remove(m.log_path));
            WriteLogRecord(m);
            m.snapshot.name = "Renamed";
            m.server_type = ServerType::QuakeII;
            const QByteArray all = testing::ReadFile(m.log_path);
            seen << QString::fromLatin1(all.left(15) + char('0' + all[45]) + " ") +
                        QString::number(all.size());
        }
        QCOMPARE(seen, QStringList({"Big Server Name1 1729", "Big Server Name1 3412",
                                    "Renamed        3 1729"}));
    }

    // Steps "button:state" ("=N" sets the position by hand); ">>" and "<<" page by graph rows.
    void button_walks_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("walk");
        QTest::newRow("one_record_offers_no_moves")
            << 1 << "open:1 111111 m1 1;4:1 000000 m1 1;5:1 000000 m1 1;1:1 000000 m1 1";
        QTest::newRow("pages_of_the_graphs_rows_any_other_index_reloads")
            << 50
            << "open:1 111111 m1 20;=5:;1:1 000111 m1 20;4:21 111111 m21 20;4:41 111111 m41 20;"
               "4:50 111000 m50 20;1:30 111111 m30 20;9:30 111111 m30 20;=1000000:;9:50 111000 m50 "
               "20;=-5:;9:1 000111 m1 20";
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
                p.m.replay.record = button.mid(1).toLongLong();
            else if (button != "open")
                p.Click(button.toInt());
            seen += (seen.isEmpty() ? "" : ";") + button + ":" +
                    (set ? QString() : QString::fromStdString(p.State()));
        }
        QCOMPARE(seen, walk);
    }

    // A Quake II log has no address, ping or times; texts come back padded to 15, as dumped.
    void an_opened_log_shows_and_dumps_its_header_and_slots() {
        QTemporaryDir dir;
        const QString name = dir.filePath("q2.mv");
        Monitor src;
        src.server_type = ServerType::QuakeII;
        src.snapshot = {"Test Server", "", "q2dm1", "127.0.0.1", "26000", "", "2", "4", ""};
        src.table.slot[0] = {"1", "abc", "4", "13", "male/grunt", "", "4244897280", "50", ""};
        src.table.slot[1] = {"1", "ABCDEFGHIJKLMNOPQRST", "255", "0", "", "90", "-3", "", ""};
        QVERIFY(AppendLogRecord(name, HeaderFromMonitor(src), RecordFromMonitor(src, 0, 0)));
        Player p("");
        Monitor& m = p.m;
        m.recording = true;
        m.snapshot.version = "1.09";
        m.table.slot[0][kOrderMark] = "x";
        m.table.slot[2] = {"1", "stale", "1", "1", "1.2.3.4", "5", "6", "7", ""};
        p.Open(name.toStdString());
        QCOMPARE(Request(p.dialogs.file_requests.at(0)),
                 "Select a Log file to open|Morvek files (*.mv)|*.mv|All files (*.*)|*.*|.mv|!");
        QVERIFY(m.log_open && !m.recording);
        const auto& s = m.snapshot;
        QCOMPARE(
            s.name + "|" + s.address + "|" + s.port + "|" + s.type_name + "|" + s.version + "|" +
                s.players + "/" + s.max_players + "|" + p.State(),
            "Test Server    |127.0.0.1      |26000          |Quake II|1.09|2/4|1 111111 q2dm1 1");
        QCOMPARE(std::vector(m.table.slot.begin(), m.table.slot.begin() + 3),
                 (std::vector<PlayerRecord>{
                     {"1", "abc            ", "4", "13", "", "0", "4244897280", "", "x"},
                     {"1", "ABCDEFGHIJKLMNO", "255", "0", "", "90", "-3", "", ""},
                     {" ", std::string(15, ' '), "0", "0", "", "0", "0", "", ""}}));
        std::ostringstream out, err;
        QCOMPARE(DumpLog(name, out, err), 0);
        const QByteArray record = QByteArray::fromStdString(out.str()).split('\n').at(1);
        const QJsonArray players = QJsonDocument::fromJson(record).object()["players"].toArray();
        QCOMPARE(QJsonDocument(players[1].toObject()).toJson(QJsonDocument::Compact) + " " +
                     QByteArray::number(players.size()),
                 R"({"frags":-3,"name":"ABCDEFGHIJKLMNO","pants":0,"present":"1","shirt":255,)"
                 R"("slot":1,"time":90} 64)");
        QCOMPARE(DumpLog(dir.filePath("none"), out, err) + DumpLog(dir.path(), out, err), 2);
        m.snapshot.map = "dm4";
        OpenLog(m, p.dialogs, p.hooks);  // cancelled: only the path is cleared
        QVERIFY(m.log_path.isEmpty() && m.snapshot.map == "dm4");
    }
};

QTEST_GUILESS_MAIN(TestLog)
#include "test_log.moc"
