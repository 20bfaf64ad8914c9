// The ".mv" layout byte by byte, and the recorder's start, append and failure handling.
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "core/numbers.h"
#include "log/log_format.h"
#include "log/recorder.h"
#include "support/recording_hooks.h"

using namespace morvek;
using namespace morvek::logfile;

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

std::string AsString(const PackedNumber& p) {
    return std::string(reinterpret_cast<const char*>(p.data()), 4);
}

QByteArray ReadFile(const QString& name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

Monitor ConnectedMonitor() {
    Monitor m;
    m.server_type = ServerType(1);
    m.state = ConnectionState::Connected;
    m.snapshot.name = "Big Server Name Longer";
    m.snapshot.address = "10.0.0.1";
    m.snapshot.port = "27500";
    m.snapshot.map = "e1m1";
    m.snapshot.max_players = "16";
    m.snapshot.players = "2";
    m.table.slot[0] = {"1", "abc", "4", "13", "base", "12.5", "-3", "57", ""};
    m.table.slot[1] = {"1", "ABCDEFGHIJKLMNOPQRST", "0", "0", "", "13.5", "-300", "", ""};
    return m;
}

}  // namespace

class TestLogFormat : public QObject {
    Q_OBJECT

  private slots:
    void packed_number_examples() {
        QCOMPARE(AsString(PackNumber(5)), Bytes({0x05, 0, 0, 0}));
        QCOMPARE(AsString(PackNumber(300)), Bytes({0x2C, 0x01, 0, 0}));
        QCOMPARE(AsString(PackNumber(-1)), Bytes({0x01, 0, 0, 0x01}));
        QCOMPARE(AsString(PackNumber(-3)), Bytes({0x03, 0, 0, 0x01}));
        QCOMPARE(AsString(PackNumber(-300)), Bytes({0x2C, 0x01, 0, 0x01}));
        QCOMPARE(AsString(PackNumber(4244897280.0)), Bytes({0x00, 0xFE, 0x03, 0xFD}));
        QCOMPARE(AsString(PackNumber(4294967295.0)), Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
        QCOMPARE(AsString(PackNumber(-16777215.0)), Bytes({0xFF, 0xFF, 0xFF, 0x01}));
        // Halves to even before packing.
        QCOMPARE(AsString(PackNumber(12.5)), Bytes({12, 0, 0, 0}));
        QCOMPARE(AsString(PackNumber(13.5)), Bytes({14, 0, 0, 0}));
        QCOMPARE(AsString(PackNumber(-2.5)), Bytes({2, 0, 0, 1}));
    }

    void packed_number_round_trips_and_marker_corner() {
        for (double v : {0.0, 1.0, 255.0, 256.0, 65535.0, 65536.0, 16777215.0, 33554432.0,
                         4294967295.0, -1.0, -255.0, -65536.0, -16777215.0, 4244897280.0})
            QCOMPARE(UnpackNumber(PackNumber(v)), static_cast<std::int64_t>(v));
        // Byte 3 = 1 is the negative marker: 16777216 .. 33554431 cannot come back.
        QCOMPARE(AsString(PackNumber(16777216.0)), Bytes({0, 0, 0, 1}));
        QCOMPARE(UnpackNumber(PackNumber(16777216.0)), std::int64_t(0));
        QCOMPARE(UnpackNumber(PackNumber(16777217.0)), std::int64_t(-1));
        QCOMPARE(UnpackNumber(PackNumber(33554431.0)), std::int64_t(-16777215));
        QCOMPARE(UnpackNumber({0x00, 0xFE, 0x03, 0xFD}), std::int64_t(4244897280LL));
        QCOMPARE(FragsValue(IntegerText(UnpackNumber({0x00, 0xFE, 0x03, 0xFD}))), -1.0);
    }

    void packed_number_out_of_range_is_zero() {
        const std::string zero = Bytes({0, 0, 0, 0});
        QCOMPARE(AsString(PackNumber(4294967296.0)), zero);
        QCOMPARE(AsString(PackNumber(-16777216.0)), zero);
        QCOMPARE(AsString(PackNumber(std::numeric_limits<double>::infinity())), zero);
        QCOMPARE(AsString(PackNumber(std::nan(""))), zero);
        // Rounding brings 4294967295.4 inside the range.
        QCOMPARE(AsString(PackNumber(4294967295.4)), Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
    }

    void fixed_width_text() {
        QCOMPARE(FixedText("ABCDEFGHIJKLMNOPQRST", 15), std::string("ABCDEFGHIJKLMNO"));
        QCOMPARE(FixedText("abc", 15), std::string("abc            "));
        QCOMPARE(FixedText("", 15), std::string(15, ' '));
        QCOMPARE(FixedText("1", 1), std::string("1"));
        QCOMPARE(FixedText("", 1), std::string(" "));
        // Bytes above 127 are kept as they are.
        QCOMPARE(FixedText("\xE9\x80", 3), std::string("\xE9\x80 "));
    }

    void byte_fields() {
        QCOMPARE(int(ByteField("16")), 16);
        QCOMPARE(int(ByteField("12.5")), 12);
        QCOMPARE(int(ByteField("13.5")), 14);
        QCOMPARE(int(ByteField("255.4")), 255);
        QCOMPARE(int(ByteField("")), 0);
        QCOMPARE(int(ByteField("abc")), 0);
        QCOMPARE(int(ByteField(" 1 2")), 12);
        // No byte form: stored as 0, never wrapped.
        QCOMPARE(int(ByteField("256")), 0);
        QCOMPARE(int(ByteField("255.5")), 0);
        QCOMPARE(int(ByteField("-1")), 0);
    }

    void header_layout() {
        LogHeader h{"My Quake Server Name", "192.168.100.200", "27500", 3};
        std::string bytes = EncodeHeader(h);
        QCOMPARE(std::int64_t(bytes.size()), kHeaderSize);
        QCOMPARE(bytes.substr(0, 15), std::string("My Quake Server"));
        QCOMPARE(bytes.substr(15, 15), std::string("192.168.100.200"));
        QCOMPARE(bytes.substr(30, 15), std::string("27500          "));
        QCOMPARE(int(bytes[45]), 3);
        LogHeader back = DecodeHeader(bytes);
        QCOMPARE(back.server_name, std::string("My Quake Server"));
        QCOMPARE(back.server_port, std::string("27500          "));
        QCOMPARE(int(back.server_type), 3);
    }

    void record_layout_from_the_monitor() {
        Monitor m = ConnectedMonitor();
        std::string bytes = EncodeRecord(RecordFromMonitor(m, 23, 59));
        QCOMPARE(std::int64_t(bytes.size()), kRecordSize);
        QCOMPARE(bytes.substr(0, 15), std::string("e1m1           "));
        QCOMPARE(int(std::uint8_t(bytes[15])), 16);
        QCOMPARE(int(std::uint8_t(bytes[16])), 2);
        QCOMPARE(int(std::uint8_t(bytes[17])), 23);
        QCOMPARE(int(std::uint8_t(bytes[18])), 59);
        // Slot 0 at 19: present, name of 3 padded, shirt, pants, time 12.5 -> 12, frags -3.
        QCOMPARE(bytes.substr(19, 26), std::string("1abc            ") + Bytes({4, 13}) +
                                           Bytes({12, 0, 0, 0}) + Bytes({3, 0, 0, 1}));
        // Slot 1 at 45: name of 20 cut to 15, time 13.5 -> 14, frags -300.
        QCOMPARE(bytes.substr(45, 26), std::string("1ABCDEFGHIJKLMNO") + Bytes({0, 0}) +
                                           Bytes({14, 0, 0, 0}) + Bytes({0x2C, 1, 0, 1}));
        // An empty slot: a blank, 15 blanks, zeros. The last one ends the record.
        QCOMPARE(bytes.substr(19 + 26 * 63, 26), std::string(16, ' ') + std::string(10, '\0'));
        QCOMPARE(bytes.substr(19 + 26 * 2, 26), std::string(16, ' ') + std::string(10, '\0'));
    }

    void decoding_short_input_pads_with_blanks_and_zeros() {
        LogRecord r = DecodeRecord(std::string_view("e2m3"));
        QCOMPARE(r.sample.map, std::string("e2m3           "));
        QCOMPARE(int(r.sample.max_players), 0);
        for (const auto& e : r.entries) {
            QCOMPARE(e.present, std::string(" "));
            QCOMPARE(e.name, std::string(15, ' '));
            QCOMPARE(UnpackNumber(e.frags), std::int64_t(0));
        }
        // A record cut in the middle of slot 1's frags.
        Monitor m = ConnectedMonitor();
        std::string full = EncodeRecord(RecordFromMonitor(m, 1, 2));
        LogRecord cut = DecodeRecord(std::string_view(full).substr(0, 45 + 23));
        QCOMPARE(UnpackNumber(cut.entries[0].frags), std::int64_t(-3));
        QCOMPARE(cut.entries[1].name, std::string("ABCDEFGHIJKLMNO"));
        QCOMPARE(UnpackNumber(cut.entries[1].time), std::int64_t(14));
        QCOMPARE(cut.entries[1].frags, (PackedNumber{0x2C, 0, 0, 0}));
        QCOMPARE(DecodeHeader("").server_name, std::string(15, ' '));
        QCOMPARE(DecodeRecord(full), RecordFromMonitor(m, 1, 2));
    }

    void record_count_from_length() {
        QCOMPARE(RecordCount(0), std::int64_t(0));
        QCOMPARE(RecordCount(45), std::int64_t(0));
        QCOMPARE(RecordCount(46), std::int64_t(0));
        QCOMPARE(RecordCount(46 + 841), std::int64_t(0));
        QCOMPARE(RecordCount(46 + 842), std::int64_t(1));
        QCOMPARE(RecordCount(46 + 1683), std::int64_t(1));
        QCOMPARE(RecordCount(46 + 1683 * 17280), std::int64_t(17280));
        QCOMPARE(RecordCount(46 + 1683 * 3 + 841), std::int64_t(3));
        QCOMPARE(RecordCount(46 + 1683 * 3 + 842), std::int64_t(4));
    }

    void file_length_is_header_plus_records() {
        QTemporaryDir dir;
        QString name = dir.filePath("match.mv");
        Monitor m = ConnectedMonitor();
        for (int k = 1; k <= 4; ++k) {
            QVERIFY(AppendLogRecord(name.toStdString(), HeaderFromMonitor(m),
                                    RecordFromMonitor(m, 10, k)));
            QCOMPARE(QFileInfo(name).size(), qint64(46 + 1683 * k));
        }
        QByteArray all = ReadFile(name);
        // The header is the panel at the first record; records follow at 46 + 1683 n.
        QCOMPARE(all.left(15), QByteArray("Big Server Name"));
        QCOMPARE(int(all[45]), 1);
        for (int k = 0; k < 4; ++k) QCOMPARE(int(all[46 + 1683 * k + 18]), k + 1);
    }

    void header_is_written_once_from_the_first_record() {
        QTemporaryDir dir;
        Monitor m = ConnectedMonitor();
        m.log_path = dir.filePath("h.mv").toStdString();
        WriteLogRecord(m);
        m.snapshot.name = "Renamed";
        m.server_type = ServerType(3);
        WriteLogRecord(m);
        QByteArray all = ReadFile(QString::fromStdString(m.log_path));
        QCOMPARE(all.size(), 46 + 2 * 1683);
        QCOMPARE(all.left(15), QByteArray("Big Server Name"));
        QCOMPARE(int(all[45]), 1);
        // Deleting the file while recording starts a new one with a fresh header.
        QVERIFY(QFile::remove(QString::fromStdString(m.log_path)));
        WriteLogRecord(m);
        all = ReadFile(QString::fromStdString(m.log_path));
        QCOMPARE(all.size(), 46 + 1683);
        QCOMPARE(all.left(15), QByteArray("Renamed        "));
        QCOMPARE(int(all[45]), 3);
    }

    void start_recording_asks_with_the_exact_dialog() {
        QTemporaryDir dir;
        QString name = dir.filePath("new.mv");
        Monitor m = ConnectedMonitor();
        m.log_open = true;
        m.player.buttons.fill(true);
        m.graph.SetRowCount(20);
        m.graph.SetColumnCount(16);
        m.graph.SetCell(3, 2, 7);
        platform::ScriptedDialogs dialogs;
        dialogs.files.push_back(name.toStdString());
        testing::RecordingHooks hooks;
        StartRecording(m, dialogs, hooks);

        QCOMPARE(dialogs.file_requests.size(), size_t(1));
        const auto& req = dialogs.file_requests[0];
        QCOMPARE(req.title, std::string("Select a Log file to record"));
        QCOMPARE(req.filter, std::string("Morvek files (*.mv)|*.mv|All files (*.*)|*.*"));
        QCOMPARE(req.default_extension, std::string(".mv"));
        QVERIFY(!req.must_exist);
        QVERIFY(dialogs.messages.empty());

        QCOMPARE(m.log_path, name.toStdString());
        QVERIFY(m.recording);
        QVERIFY(!m.log_open);
        QCOMPARE(m.player.position, std::string("0"));
        QVERIFY(!m.player.frame && !m.player.label);
        for (bool b : m.player.buttons) QVERIFY(!b);
        // Match data cleared: graph samples gone (rows kept), table empty, players redrawn.
        QCOMPARE(m.graph.RowCount(), 20);
        QCOMPARE(m.graph.Cell(3, 2), 0.0);
        QVERIFY(m.table.slot[0][kName].empty());
        QVERIFY(hooks.Count("ShowPlayers") >= 1);
        QCOMPARE(hooks.Count("UpdateMenuState"), 1);
        QVERIFY(m.menu.stop_record && !m.menu.record);
        // No file until a record is written: a server that never answers leaves none.
        QVERIFY(!QFileInfo::exists(name));
    }

    void start_recording_cancelled_changes_nothing() {
        Monitor m = ConnectedMonitor();
        m.log_path = "previous.mv";
        m.log_open = true;
        platform::ScriptedDialogs dialogs;  // no file scripted: cancel
        testing::RecordingHooks hooks;
        StartRecording(m, dialogs, hooks);
        QCOMPARE(m.log_path, std::string("previous.mv"));
        QVERIFY(!m.recording);
        QVERIFY(m.log_open);
        QCOMPARE(m.table.slot[0][kName], std::string("abc"));
        QCOMPARE(hooks.Count("UpdateMenuState"), 0);
    }

    void existing_log_yes_deletes_at_once_no_keeps() {
        QTemporaryDir dir;
        QString name = dir.filePath("old.mv");
        {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old contents");
        }
        // No: the file stays, nothing changes.
        Monitor m = ConnectedMonitor();
        platform::ScriptedDialogs no;
        no.files.push_back(name.toStdString());
        no.answers.push_back(platform::MessageResult::No);
        testing::RecordingHooks hooks;
        StartRecording(m, no, hooks);
        QCOMPARE(no.messages.size(), size_t(1));
        QCOMPARE(no.messages[0].text,
                 std::string("Warning: the log file already exists (cannot append informations "
                             "to existings log files). Do you want delete the old log?"));
        QCOMPARE(no.messages[0].title, std::string("Morvek"));
        QVERIFY(no.messages[0].icon == platform::MessageIcon::Exclamation);
        QVERIFY(no.messages[0].buttons == platform::MessageButtons::YesNo);
        QVERIFY(QFileInfo::exists(name));
        QVERIFY(!m.recording);
        QVERIFY(m.log_path.empty());

        // Yes: gone at once, even though no record is ever written.
        platform::ScriptedDialogs yes;
        yes.files.push_back(name.toStdString());
        yes.answers.push_back(platform::MessageResult::Yes);
        StartRecording(m, yes, hooks);
        QVERIFY(!QFileInfo::exists(name));
        QVERIFY(m.recording);
        // The first record then starts a fresh file.
        WriteLogRecord(m);
        QCOMPARE(QFileInfo(name).size(), qint64(46 + 1683));
    }

    void unwritable_log_is_passed_over() {
        QTemporaryDir dir;
        Monitor m = ConnectedMonitor();
        m.recording = true;
        // A folder that does not exist.
        m.log_path = dir.filePath("missing/folder/x.mv").toStdString();
        WriteLogRecord(m);
        QVERIFY(!AppendLogRecord(m.log_path, HeaderFromMonitor(m), RecordFromMonitor(m, 0, 0)));
        QVERIFY(!QFileInfo::exists(QString::fromStdString(m.log_path)));
        // A full disk.
        if (QFileInfo::exists("/dev/full")) {
            QVERIFY(
                !AppendLogRecord("/dev/full", HeaderFromMonitor(m), RecordFromMonitor(m, 0, 0)));
            m.log_path = "/dev/full";
            WriteLogRecord(m);
            QVERIFY(QFileInfo::exists("/dev/full"));
        }
        // A folder given as the log.
        QVERIFY(!AppendLogRecord(dir.path().toStdString(), HeaderFromMonitor(m),
                                 RecordFromMonitor(m, 0, 0)));
        QVERIFY(!AppendLogRecord("", HeaderFromMonitor(m), RecordFromMonitor(m, 0, 0)));
        QVERIFY(m.recording);
    }

    void read_only_log_leaves_the_file_as_it_was() {
        QTemporaryDir dir;
        QString name = dir.filePath("ro.mv");
        Monitor m = ConnectedMonitor();
        QVERIFY(
            AppendLogRecord(name.toStdString(), HeaderFromMonitor(m), RecordFromMonitor(m, 0, 0)));
        QFile::setPermissions(name, QFileDevice::ReadOwner);
        QFile probe(name);
        if (probe.open(QIODevice::WriteOnly | QIODevice::Append))
            QSKIP("running with rights that ignore file permissions");
        QVERIFY(
            !AppendLogRecord(name.toStdString(), HeaderFromMonitor(m), RecordFromMonitor(m, 0, 0)));
        QCOMPARE(QFileInfo(name).size(), qint64(46 + 1683));
    }
};

QTEST_GUILESS_MAIN(TestLogFormat)
#include "test_log_format.moc"
