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

QByteArray ReadFile(const std::string& name) {
    QFile f(QString::fromStdString(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestLogFormat : public QObject {
    Q_OBJECT

  private slots:
    void packed_number_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("back");
        QTest::newRow("5") << 5.0 << QByteArray("05000000") << qint64(5);
        QTest::newRow("300") << 300.0 << QByteArray("2c010000") << qint64(300);
        QTest::newRow("65536") << 65536.0 << QByteArray("00000100") << qint64(65536);
        QTest::newRow("-1") << -1.0 << QByteArray("01000001") << qint64(-1);
        QTest::newRow("-300") << -300.0 << QByteArray("2c010001") << qint64(-300);
        QTest::newRow("-1 unsigned") << 4244897280.0 << QByteArray("00fe03fd") << 4244897280LL;
        QTest::newRow("largest") << 4294967295.0 << QByteArray("ffffffff") << 4294967295LL;
        QTest::newRow("smallest") << -16777215.0 << QByteArray("ffffff01") << qint64(-16777215);
        QTest::newRow("half to even down") << 12.5 << QByteArray("0c000000") << qint64(12);
        QTest::newRow("half to even up") << 13.5 << QByteArray("0e000000") << qint64(14);
        QTest::newRow("negative half") << -2.5 << QByteArray("02000001") << qint64(-2);
        QTest::newRow("rounded into range")
            << 4294967295.4 << QByteArray("ffffffff") << 4294967295LL;
        // Byte 3 = 1 is the negative marker: 16777216 .. 33554431 read back negative.
        QTest::newRow("marker 16777216") << 16777216.0 << QByteArray("00000001") << qint64(0);
        QTest::newRow("marker 16777217") << 16777217.0 << QByteArray("01000001") << qint64(-1);
        QTest::newRow("marker 33554431")
            << 33554431.0 << QByteArray("ffffff01") << qint64(-16777215);
        QTest::newRow("above range") << 4294967296.0 << QByteArray("00000000") << qint64(0);
        QTest::newRow("below range") << -16777216.0 << QByteArray("00000000") << qint64(0);
        QTest::newRow("infinite") << qInf() << QByteArray("00000000") << qint64(0);
        QTest::newRow("not a number") << qQNaN() << QByteArray("00000000") << qint64(0);
    }
    void packed_number() {
        QFETCH(double, value);
        QTEST(Hex(PackNumber(value)), "bytes");
        QTEST(qint64(UnpackNumber(PackNumber(value))), "back");
    }

    void byte_field_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("byte");
        QTest::newRow("integer") << QByteArray("16") << 16;
        QTest::newRow("half to even down") << QByteArray("12.5") << 12;
        QTest::newRow("half to even up") << QByteArray("13.5") << 14;
        QTest::newRow("rounded into range") << QByteArray("255.4") << 255;
        QTest::newRow("empty") << QByteArray("") << 0;
        QTest::newRow("no number") << QByteArray("abc") << 0;
        QTest::newRow("blanks inside") << QByteArray(" 1 2") << 12;
        QTest::newRow("256 is no byte, not wrapped") << QByteArray("256") << 0;
        QTest::newRow("rounded out of range") << QByteArray("255.5") << 0;
        QTest::newRow("negative") << QByteArray("-1") << 0;
    }
    void byte_field() {
        QFETCH(QByteArray, text);
        QTEST(int(ByteField(text.toStdString())), "byte");
    }

    void fixed_text_pads_with_blanks_or_cuts_and_keeps_high_bytes() {
        QCOMPARE(FixedText("ABCDEFGHIJKLMNOPQRST", 15), std::string("ABCDEFGHIJKLMNO"));
        QCOMPARE(FixedText("abc", 15), "abc" + Blanks(12));
        QCOMPARE(FixedText("", 1), std::string(" "));
        QCOMPARE(FixedText("\xE9\x80", 3), std::string("\xE9\x80 "));
    }

    void header_layout() {
        const std::string bytes =
            EncodeHeader({"My Quake Server Name", "192.168.100.200", "27500", 3});
        QCOMPARE(bytes, "My Quake Server192.168.100.20027500" + Blanks(10) + "\x03");
        const LogHeader back = DecodeHeader(bytes);
        QCOMPARE((std::array{back.server_name, back.server_address, back.server_port}),
                 (std::array<std::string, 3>{"My Quake Server", "192.168.100.200",
                                             "27500" + Blanks(10)}));
        QCOMPARE(int(back.server_type), 3);
        QCOMPARE(DecodeHeader("").server_name, Blanks(15));
    }

    void record_layout_from_the_monitor() {
        const std::string bytes = EncodeRecord(RecordFromMonitor(ConnectedMonitor(), 23, 59));
        QCOMPARE(std::int64_t(bytes.size()), kRecordSize);
        // Map, max players 16, players 2, 23:59; slot 0: present, name, shirt 4, pants 13, time
        // 12.5 -> 12, frags -3; slot 1: name cut to 15, time 13.5 -> 14, frags -300; then empty.
        QCOMPARE(bytes.substr(0, 19 + 26 * 3),
                 "e1m1" + Blanks(11) + "\x10\x02\x17\x3b" + "1abc" + Blanks(12) + "\x04\x0d\x0c" +
                     Zeros(3) + "\x03" + Zeros(2) + "\x01" + "1ABCDEFGHIJKLMNO" + Zeros(2) +
                     "\x0e" + Zeros(3) + "\x2c\x01" + Zeros(1) + "\x01" + kEmptyEntry);
        QCOMPARE(bytes.substr(19 + 26 * 63), kEmptyEntry);
    }

    void short_input_decodes_as_if_padded_with_blanks_and_zeros() {
        const LogRecord r = DecodeRecord(std::string_view("e2m3"));
        QCOMPARE((std::array{r.sample.map, r.entries[63].present, r.entries[63].name}),
                 (std::array{"e2m3" + Blanks(11), Blanks(1), Blanks(15)}));
        QCOMPARE(
            EncodeRecord(r), "e2m3" + Blanks(11) + Zeros(4) + [] {
                std::string all;
                for (int s = 0; s < 64; ++s) all += kEmptyEntry;
                return all;
            }());
        // A record cut in the middle of slot 1's frags keeps the bytes it has.
        const Monitor m = ConnectedMonitor();
        const std::string full = EncodeRecord(RecordFromMonitor(m, 1, 2));
        const LogRecord cut = DecodeRecord(std::string_view(full).substr(0, 45 + 23));
        QCOMPARE(Hex(cut.entries[1].frags), QByteArray("2c000000"));
        QCOMPARE(UnpackNumber(cut.entries[1].time), std::int64_t(14));
        QVERIFY(DecodeRecord(full) == RecordFromMonitor(m, 1, 2));
    }

    void record_count_data() {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<qint64>("count");
        QTest::newRow("empty") << qint64(0) << qint64(0);
        QTest::newRow("short header") << qint64(45) << qint64(0);
        QTest::newRow("header only") << qint64(46) << qint64(0);
        QTest::newRow("half a record") << qint64(46 + 841) << qint64(0);
        QTest::newRow("over half a record") << qint64(46 + 842) << qint64(1);
        QTest::newRow("one record") << qint64(46 + 1683) << qint64(1);
        QTest::newRow("a day of polls") << qint64(46 + 1683 * 17280) << qint64(17280);
        QTest::newRow("3 and a half") << qint64(46 + 1683 * 3 + 841) << qint64(3);
        QTest::newRow("3 and over half") << qint64(46 + 1683 * 3 + 842) << qint64(4);
    }
    void record_count() {
        QFETCH(qint64, length);
        QTEST(qint64(RecordCount(length)), "count");
    }

    void the_header_comes_from_the_first_record_and_a_deleted_file_starts_anew() {
        QTemporaryDir dir;
        Monitor m = ConnectedMonitor();
        m.log_path = dir.filePath("h.mv").toStdString();
        WriteLogRecord(m);
        m.snapshot.name = "Renamed";
        m.server_type = ServerType::QuakeII;
        WriteLogRecord(m);
        QByteArray all = ReadFile(m.log_path);
        QCOMPARE(all.size(), 46 + 2 * 1683);
        QCOMPARE(all.left(15) + char(all[45] + '0'), QByteArray("Big Server Name1"));
        QVERIFY(QFile::remove(QString::fromStdString(m.log_path)));
        WriteLogRecord(m);
        all = ReadFile(m.log_path);
        QCOMPARE(all.size(), 46 + 1683);
        QCOMPARE(all.left(15) + char(all[45] + '0'), QByteArray("Renamed        3"));
    }

    void start_recording_asks_for_a_file_and_clears_the_match() {
        QTemporaryDir dir;
        const std::string name = dir.filePath("new.mv").toStdString();
        Monitor m = ConnectedMonitor();
        m.log_open = true;
        m.player.buttons.fill(true);
        m.graph.SetRowCount(20);
        m.graph.SetColumnCount(16);
        m.graph.SetCell(3, 2, 7);
        platform::ScriptedDialogs dialogs;
        dialogs.files.push_back(name);
        testing::RecordingHooks hooks;
        StartRecording(m, dialogs, hooks);

        QCOMPARE(dialogs.file_requests.size(), size_t(1));
        const auto& r = dialogs.file_requests[0];
        QCOMPARE(r.title + "|" + r.filter + "|" + r.default_extension + (r.must_exist ? "|!" : "|"),
                 "Select a Log file to record|Morvek files (*.mv)|*.mv|All files (*.*)|*.*|.mv|");
        QVERIFY(dialogs.messages.empty());
        QCOMPARE(m.log_path, name);
        QVERIFY(m.recording && !m.log_open);
        QVERIFY(m.menu.stop_record && !m.menu.record);
        QCOMPARE(hooks.Count("UpdateMenuState"), 1);
        // The log player off at "0"; samples gone (rows kept), the table empty and redrawn.
        QCOMPARE(m.player.position, std::string("0"));
        QVERIFY(!m.player.frame && !m.player.label && (m.player.buttons == std::array<bool, 6>{}));
        QCOMPARE(m.graph.RowCount(), 20);
        QCOMPARE(m.graph.Cell(3, 2), 0.0);
        QVERIFY(m.table.slot[0][kName].empty() && hooks.Count("ShowPlayers") >= 1);
        // No file until a record is written: a server that never answers leaves none.
        QVERIFY(!QFileInfo::exists(QString::fromStdString(name)));

        platform::ScriptedDialogs cancel;  // no file scripted: cancelled, nothing changes
        Monitor before = ConnectedMonitor();
        before.log_path = "previous.mv";
        before.log_open = true;
        StartRecording(before, cancel, hooks);
        QVERIFY(!before.recording && before.log_open && before.log_path == "previous.mv");
        QCOMPARE(before.table.slot[0][kName], std::string("abc"));
        QCOMPARE(hooks.Count("UpdateMenuState"), 1);
    }

    void an_existing_log_is_kept_on_no_and_deleted_at_once_on_yes() {
        QTemporaryDir dir;
        const std::string name = dir.filePath("old.mv").toStdString();
        QFile old(QString::fromStdString(name));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old contents") > 0);
        old.close();
        Monitor m = ConnectedMonitor();
        testing::RecordingHooks hooks;
        platform::ScriptedDialogs no;
        no.files.push_back(name);
        no.answers.push_back(platform::MessageResult::No);
        StartRecording(m, no, hooks);
        QCOMPARE(no.messages.size(), size_t(1));
        QCOMPARE(no.messages[0].text + "|" + no.messages[0].title,
                 "Warning: the log file already exists (cannot append informations to existings "
                 "log files). Do you want delete the old log?|Morvek");
        QVERIFY(no.messages[0].icon == platform::MessageIcon::Exclamation);
        QVERIFY(no.messages[0].buttons == platform::MessageButtons::YesNo);
        QVERIFY(old.exists() && !m.recording && m.log_path.empty());

        platform::ScriptedDialogs yes;
        yes.files.push_back(name);
        yes.answers.push_back(platform::MessageResult::Yes);
        StartRecording(m, yes, hooks);
        QVERIFY(!old.exists() && m.recording);
        WriteLogRecord(m);  // the first record starts a fresh file
        QCOMPARE(old.size(), qint64(46 + 1683));
    }

    void an_unwritable_log_is_passed_over_and_left_as_it_was() {
        QTemporaryDir dir;
        Monitor m = ConnectedMonitor();
        m.recording = true;
        const LogHeader h = HeaderFromMonitor(m);
        const LogRecord r = RecordFromMonitor(m, 0, 0);
        m.log_path = dir.filePath("missing/folder/x.mv").toStdString();
        WriteLogRecord(m);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(m.log_path)));
        for (const std::string& path :
             {m.log_path, dir.path().toStdString(), std::string(), std::string("/dev/full")})
            QVERIFY2(!AppendLogRecord(path, h, r), path.c_str());
        m.log_path = "/dev/full";
        WriteLogRecord(m);
        QVERIFY(m.recording);

        const std::string ro = dir.filePath("ro.mv").toStdString();
        QVERIFY(AppendLogRecord(ro, h, r));
        QFile::setPermissions(QString::fromStdString(ro), QFileDevice::ReadOwner);
        QFile probe(QString::fromStdString(ro));
        if (probe.open(QIODevice::WriteOnly | QIODevice::Append))
            QSKIP("running with rights that ignore file permissions");
        QVERIFY(!AppendLogRecord(ro, h, r));
        QCOMPARE(QFileInfo(probe).size(), qint64(46 + 1683));
    }
};

QTEST_GUILESS_MAIN(TestLogFormat)
#include "test_log_format.moc"
