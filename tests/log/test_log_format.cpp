// The ".mv" layout byte by byte, and the recorder's start, append and failure handling.
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "log/log_format.h"
#include "log/recorder.h"
#include "support/recording_hooks.h"

using namespace morvek;
using namespace morvek::logfile;

namespace {

QByteArray Hex(const PackedNumber& p) {
    return QByteArray(reinterpret_cast<const char*>(p.data()), 4).toHex();
}
std::string Blanks(int n) {
    return std::string(std::size_t(n), ' ');
}
std::string Zeros(int n) {
    return std::string(std::size_t(n), '\0');
}
const std::string kEmptyEntry = Blanks(16) + Zeros(10);

Monitor ConnectedMonitor() {
    Monitor m;
    m.server_type = ServerType::QuakeWorld;
    m.state = ConnectionState::Connected;
    m.snapshot = {"Big Server Name Longer", "", "e1m1", "10.0.0.1", "27500", "", "2", "16", ""};
    m.table.slot[0] = {"1", "abc", "4", "13", "base", "12.5", "-3", "57", ""};
    m.table.slot[1] = {"1", "ABCDEFGHIJKLMNOPQRST", "0", "0", "", "13.5", "-300", "", ""};
    return m;
}

QByteArray ReadFile(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestLogFormat : public QObject {
    Q_OBJECT

  private slots:
    // "value|bytes|read back"; byte 3 = 1 is the negative marker: 16777216 .. 33554431 read back
    // negative; outside the range, infinite or not a number: zeros.
    void packed_number_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("back");
        for (const char* row :
             {"300|2c010000|300", "65536|00000100|65536", "-300|2c010001|-300",
              "4244897280|00fe03fd|4244897280", "4294967295.4|ffffffff|4294967295",
              "-16777215|ffffff01|-16777215", "12.5|0c000000|12", "-2.5|02000001|-2",
              "16777217|01000001|-1", "4294967296|00000000|0", "-16777216|00000000|0",
              "inf|00000000|0", "nan|00000000|0"}) {
            const QList<QByteArray> cells = QByteArray(row).split('|');
            QTest::newRow(row) << cells[0].toDouble() << cells[1] << cells[2].toLongLong();
        }
    }
    void packed_number() {
        QFETCH(double, value);
        QTEST(Hex(PackNumber(value)), "bytes");
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
        for (QByteArray row :
             {"0|0", "46|0", "887|0", "888|1", "5936|3", "5937|4", "29082286|17280"})
            QTest::newRow(row) << row.split('|')[0].toLongLong() << row.split('|')[1].toLongLong();
    }
    void record_count() {
        QFETCH(qint64, length);
        QTEST(qint64(RecordCount(length)), "count");
    }

    void header_layout_cuts_and_pads_texts_and_keeps_high_bytes() {
        const std::string bytes =
            EncodeHeader({"My Quake Server Name", "192.168.100.200", "27500", 3});
        QCOMPARE(bytes, "My Quake Server192.168.100.20027500" + Blanks(10) + "\x03");
        QVERIFY(DecodeHeader(bytes) ==
                (LogHeader{"My Quake Server", "192.168.100.200", "27500" + Blanks(10), 3}));
        QCOMPARE(DecodeHeader("").server_name, Blanks(15));
        QCOMPARE(FixedText("\xE9\x80", 3), std::string("\xE9\x80 "));
    }

    // Map, max players 16, players 2, 23:59; slot 0: present, name, shirt 4, pants 13, time
    // 12.5 -> 12, frags -3; slot 1: name cut to 15, time 13.5 -> 14, frags -300; then empty.
    void record_layout_from_the_monitor() {
        const std::string bytes = EncodeRecord(RecordFromMonitor(ConnectedMonitor(), 23, 59));
        QCOMPARE(std::int64_t(bytes.size()), kRecordSize);
        QCOMPARE(bytes.substr(0, 19 + 26 * 3),
                 "e1m1" + Blanks(11) + "\x10\x02\x17\x3b" + "1abc" + Blanks(12) + "\x04\x0d\x0c" +
                     Zeros(3) + "\x03" + Zeros(2) + "\x01" + "1ABCDEFGHIJKLMNO" + Zeros(2) +
                     "\x0e" + Zeros(3) + "\x2c\x01" + Zeros(1) + "\x01" + kEmptyEntry);
        QCOMPARE(bytes.substr(19 + 26 * 63), kEmptyEntry);
    }

    void short_input_decodes_as_if_padded_with_blanks_and_zeros() {
        std::string padded = "e2m3" + Blanks(11) + Zeros(4);
        for (int s = 0; s < 64; ++s) padded += kEmptyEntry;
        QCOMPARE(EncodeRecord(DecodeRecord(std::string_view("e2m3"))), padded);
        // A record cut in the middle of slot 1's frags keeps the bytes it has.
        const std::string full = EncodeRecord(RecordFromMonitor(ConnectedMonitor(), 1, 2));
        const LogRecord cut = DecodeRecord(std::string_view(full).substr(0, 45 + 23));
        QCOMPARE(Hex(cut.entries[1].frags), QByteArray("2c000000"));
        QCOMPARE(UnpackNumber(cut.entries[1].time), std::int64_t(14));
        QVERIFY(DecodeRecord(full) == RecordFromMonitor(ConnectedMonitor(), 1, 2));
    }

    void the_header_comes_from_the_first_record_and_a_deleted_file_starts_anew() {
        QTemporaryDir dir;
        Monitor m = ConnectedMonitor();
        m.log_path = dir.filePath("h.mv");
        WriteLogRecord(m);
        m.snapshot.name = "Renamed";
        m.server_type = ServerType::QuakeII;
        WriteLogRecord(m);
        QByteArray all = ReadFile(m.log_path);
        QCOMPARE(all.size(), 46 + 2 * 1683);
        QCOMPARE(all.left(15) + char(all[45] + '0'), QByteArray("Big Server Name1"));
        QVERIFY(QFile::remove(m.log_path));
        WriteLogRecord(m);
        all = ReadFile(m.log_path);
        QCOMPARE(all.size(), 46 + 1683);
        QCOMPARE(all.left(15) + char(all[45] + '0'), QByteArray("Renamed        3"));
    }

    // Recording asks for a file, turns the player off and clears the match; no file until a
    // record is written; an existing log is kept on "No" and deleted at once on "Yes".
    void start_recording_clears_the_match_and_asks_before_deleting() {
        QTemporaryDir dir;
        const std::string name = dir.filePath("new.mv").toStdString();
        Monitor m = ConnectedMonitor();
        m.log_open = true;
        m.player.buttons.fill(true);
        m.graph.SetRowCount(20);
        m.graph.SetColumnCount(16);
        m.graph.SetCell(3, 2, 7);
        platform::ScriptedDialogs dialogs;
        dialogs.files = {name, name, name};
        dialogs.answers = {platform::MessageResult::No, platform::MessageResult::Yes};
        testing::RecordingHooks hooks;
        StartRecording(m, dialogs, hooks);
        const auto& r = dialogs.file_requests.at(0);
        QCOMPARE(r.title + "|" + r.filter + "|" + r.default_extension + (r.must_exist ? "|!" : "|"),
                 "Select a Log file to record|Morvek files (*.mv)|*.mv|All files (*.*)|*.*|.mv|");
        QVERIFY(m.recording && !m.log_open && m.menu.stop_record && !m.menu.record);
        QVERIFY(!m.player.frame && (m.player.buttons == std::array<bool, 6>{}));
        QCOMPARE(std::pair(m.graph.RowCount(), m.graph.Cell(3, 2)), std::pair(20, 0.0));
        QVERIFY(m.table.slot[0][kName].empty() && !QFileInfo::exists(QString::fromStdString(name)));
        WriteLogRecord(m);
        m = ConnectedMonitor();
        StartRecording(m, dialogs, hooks);
        QCOMPARE(dialogs.messages.at(0).text,
                 "Warning: the log file already exists (cannot append informations to existings "
                 "log files). Do you want delete the old log?");
        QVERIFY(dialogs.messages[0].icon == platform::MessageIcon::Exclamation &&
                dialogs.messages[0].buttons == platform::MessageButtons::YesNo);
        QVERIFY(QFileInfo::exists(QString::fromStdString(name)) && !m.recording &&
                m.log_path.isEmpty());
        StartRecording(m, dialogs, hooks);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(name)) && m.recording);
        StartRecording(m, dialogs, hooks);  // cancelled: nothing changes
        QVERIFY(m.recording && m.log_path == QString::fromStdString(name) &&
                dialogs.messages.size() == 2);
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
};

QTEST_GUILESS_MAIN(TestLogFormat)
#include "test_log_format.moc"
