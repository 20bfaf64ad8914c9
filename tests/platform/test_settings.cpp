// The settings store end to end: the table's defaults, conversions and text forms, the INI file
// that holds them, and a store that cannot be opened.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <map>

#include "core/settings.h"
#include "platform/dialogs.h"
#include "platform/settings_backend.h"

using namespace morvek;
using morvek::platform::IniSettingsBackend;
using morvek::platform::ScriptedDialogs;

namespace {

// The value names in the order they are read and written.
const std::vector<std::string> kReadOrder = {"PlayerSorting",
                                             "GraphRows",
                                             "ManteinDisconnectedPlayerInfo",
                                             "DisconnectOnMapChange",
                                             "CheckInterval",
                                             "TimeoutInterval",
                                             "ServerName",
                                             "ServerPort",
                                             "ServerType",
                                             "SerieMaxPlayer",
                                             "SerieFixed",
                                             "ShowLegend",
                                             "HTMLOutput",
                                             "HTMLTemplate",
                                             "HTMLRefresh"};

// A backend that keeps values in memory and records every call.
class RecordingBackend : public SettingsBackend {
  public:
    bool OpenKey(const std::string& key_path) override {
        opened.push_back(key_path);
        return open_ok;
    }
    std::optional<std::string> Read(const std::string&, const std::string& name) override {
        reads.push_back(name);
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool Write(const std::string&, const std::string& name, const std::string& value) override {
        writes.push_back(name);
        values[name] = value;
        return true;
    }
    bool open_ok = true;
    std::vector<std::string> opened, reads, writes;
    std::map<std::string, std::string> values;
};

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every value different from its default.
SettingsValues Changed() {
    SettingsValues v;
    v.player_sorting = 2;
    v.graph_rows = 45;
    v.keep_disconnected = 0;
    v.disconnect_on_map_change = 1;
    v.check_interval_ms = 2500;
    v.timeout_interval_ms = 45000;
    v.server_name = "quake.example.net";
    v.server_port = 27500;
    v.server_type = ServerType(3);
    v.serie_max_player = 0;
    v.serie_fixed = 8;
    v.show_legend = false;
    v.html_output = "/srv/www/status.htm";
    v.html_template = "dark.htm";
    v.html_refresh_ms = 60000;
    return v;
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ScriptedDialogs dialogs_;

    QString StorePath(const char* name) {
        return dir_.filePath(QString("%1/Morvek.conf").arg(name));
    }
    SettingsFailure Failure() { return platform::SettingsFailureDialog(dialogs_); }

  private slots:
    void init() { dialogs_.messages.clear(); }

    void firstRunGivesDefaultsAndCreatesTheKey() {
        const QString path = StorePath("clean/Varnoth");
        QVERIFY(!QFileInfo::exists(path));
        IniSettingsBackend backend(path);
        auto values = LoadSettings(backend, Failure());
        QVERIFY(values);
        QCOMPARE(values->check_interval_ms, 5000);
        QCOMPARE(values->timeout_interval_ms, 30000);
        QCOMPARE(values->server_name, std::string("localhost"));
        QCOMPARE(values->server_port, 26000);
        QCOMPARE(values->server_type, ServerType::QuakeI);
        QCOMPARE(values->player_sorting, std::uint8_t(0));
        QCOMPARE(values->graph_rows, std::int16_t(20));
        QCOMPARE(values->keep_disconnected, std::int16_t(1));
        QCOMPARE(values->disconnect_on_map_change, std::int16_t(0));
        QCOMPARE(values->serie_max_player, std::int16_t(1));
        QCOMPARE(values->serie_fixed, std::int16_t(16));
        QCOMPARE(values->show_legend, true);
        QCOMPARE(values->html_output, std::string());
        QCOMPARE(values->html_template, std::string("standard.htm"));
        QCOMPARE(values->html_refresh_ms, 0);
        QVERIFY(dialogs_.messages.empty());
        // The key exists now, holding no values.
        const QByteArray text = ReadFile(path);
        QCOMPARE(text.trimmed(), QByteArray("[Software\\Varnoth\\Morvek]"));
    }

    void everyValueRoundTrips() {
        const QString path = StorePath("round");
        IniSettingsBackend backend(path);
        const SettingsValues changed = Changed();
        QVERIFY(SaveSettings(backend, changed, "192.0.2.7", Failure()));
        IniSettingsBackend next_run(path);
        auto loaded = LoadSettings(next_run, Failure());
        QVERIFY(loaded);
        SettingsValues expected = changed;
        expected.server_name =
            "192.0.2.7";  // the address the socket heard from, not the name typed
        QVERIFY(*loaded == expected);
        QVERIFY(dialogs_.messages.empty());

        // The text forms as stored.
        QCOMPARE(backend.Read(kSettingsKeyPath, "PlayerSorting"), std::optional<std::string>("2"));
        QCOMPARE(backend.Read(kSettingsKeyPath, "TimeOutInterval"),
                 std::optional<std::string>("45"));
        QCOMPARE(backend.Read(kSettingsKeyPath, "ShowLegend"), std::optional<std::string>("False"));
        QCOMPARE(backend.Read(kSettingsKeyPath, "HTMLRefresh"), std::optional<std::string>("60"));
        QCOMPARE(backend.Read(kSettingsKeyPath, "ServerType"), std::optional<std::string>("3"));

        // And back to True.
        SettingsValues legend = changed;
        legend.show_legend = true;
        QVERIFY(SaveSettings(backend, legend, "", Failure()));
        QCOMPARE(backend.Read(kSettingsKeyPath, "ShowLegend"), std::optional<std::string>("True"));
        QCOMPARE(LoadSettings(backend, Failure())->show_legend, true);
    }

    void intervalsAreWrittenInSeconds() {
        IniSettingsBackend backend(StorePath("seconds"));
        SettingsValues values;
        values.check_interval_ms = 2500;
        values.timeout_interval_ms = 70000;  // above the 16-bit range of the old timers
        values.html_refresh_ms = 250;
        QVERIFY(SaveSettings(backend, values, "", Failure()));
        QCOMPARE(backend.Read(kSettingsKeyPath, "CheckInterval"),
                 std::optional<std::string>("2.5"));
        QCOMPARE(backend.Read(kSettingsKeyPath, "TimeoutInterval"),
                 std::optional<std::string>("70"));
        QCOMPARE(backend.Read(kSettingsKeyPath, "HTMLRefresh"), std::optional<std::string>("0.25"));
        auto loaded = LoadSettings(backend, Failure());
        QVERIFY(loaded);
        QCOMPARE(loaded->check_interval_ms, 2500);
        QCOMPARE(loaded->timeout_interval_ms, 70000);
        QCOMPARE(loaded->html_refresh_ms, 250);
    }

    void defaultsWithoutConnectionStoreAllButServerNameAndOutput() {
        const QString path = StorePath("noconnection");
        IniSettingsBackend backend(path);
        auto values = LoadSettings(backend, Failure());
        QVERIFY(values);
        QVERIFY(SaveSettings(backend, *values, "", Failure()));
        for (const std::string& name : kReadOrder) {
            const bool stored = backend.Read(kSettingsKeyPath, name).has_value();
            QVERIFY2(stored == (name != "ServerName" && name != "HTMLOutput"), name.c_str());
        }
        // Written in table order, the timeout under its writer's spelling.
        const QList<QByteArray> lines = ReadFile(path).trimmed().split('\n');
        QCOMPARE(lines.size(), 14);
        QCOMPARE(lines[0], QByteArray("[Software\\Varnoth\\Morvek]"));
        QCOMPARE(lines[1], QByteArray("PlayerSorting=0"));
        QCOMPARE(lines[5], QByteArray("CheckInterval=5"));
        QCOMPARE(lines[6], QByteArray("TimeOutInterval=30"));
        QCOMPARE(lines[7], QByteArray("ServerPort=26000"));
        QCOMPARE(lines[11], QByteArray("ShowLegend=True"));
        QCOMPARE(lines[12], QByteArray("HTMLTemplate=standard.htm"));
        QCOMPARE(lines[13], QByteArray("HTMLRefresh=0"));
    }

    void readsAndWritesFollowTheTableOrder() {
        RecordingBackend backend;
        QVERIFY(LoadSettings(backend, Failure()));
        QCOMPARE(backend.reads, kReadOrder);
        QCOMPARE(backend.opened.size(), kReadOrder.size());
        QCOMPARE(backend.opened.front(), std::string("Software\\Varnoth\\Morvek"));

        SettingsValues values = Changed();
        QVERIFY(SaveSettings(backend, values, "10.0.0.1", Failure()));
        std::vector<std::string> expected = kReadOrder;
        expected[5] = "TimeOutInterval";
        QCOMPARE(backend.writes, expected);
    }

    void emptyValueLeavesTheEarlierOne() {
        IniSettingsBackend backend(StorePath("empty"));
        SettingsValues values;
        values.html_output = "out.htm";
        QVERIFY(SaveSettings(backend, values, "192.0.2.1", Failure()));
        values.html_output.clear();
        values.html_template.clear();
        QVERIFY(SaveSettings(backend, values, "", Failure()));
        auto loaded = LoadSettings(backend, Failure());
        QVERIFY(loaded);
        QCOMPARE(loaded->html_output, std::string("out.htm"));
        QCOMPARE(loaded->html_template, std::string("standard.htm"));
        QCOMPARE(loaded->server_name, std::string("192.0.2.1"));
    }

    void namesMatchWithoutRegardToCase() {
        const QString path = StorePath("case");
        WriteFile(
            path,
            "[software\\varnoth\\MORVEK]\ncheckinterval=7\nTIMEOUTINTERVAL=12\nserverPORT=1\n");
        IniSettingsBackend backend(path);
        auto loaded = LoadSettings(backend, Failure());
        QVERIFY(loaded);
        QCOMPARE(loaded->check_interval_ms, 7000);
        QCOMPARE(loaded->timeout_interval_ms, 12000);
        QCOMPARE(loaded->server_port, 1);

        // Writing replaces those values in place, keeping their first spelling, one line each.
        QVERIFY(SaveSettings(backend, *loaded, "", Failure()));
        const QByteArray text = ReadFile(path);
        QCOMPARE(text.count("[software\\varnoth\\MORVEK]"), 1);
        QCOMPARE(text.count("Morvek]"), 0);
        QCOMPARE(text.toLower().count("timeoutinterval="), 1);
        QVERIFY(text.contains("TIMEOUTINTERVAL=12\n"));
        QVERIFY(text.contains("checkinterval=7\n"));
        QCOMPARE(backend.Read(kSettingsKeyPath, "TimeoutInterval"),
                 backend.Read(kSettingsKeyPath, "TimeOutInterval"));
    }

    void storedTextsAreConverted_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("field");
        QTest::addColumn<qlonglong>("expected");
        // A value that does not fit its field takes that setting's default.
        QTest::newRow("type 300 does not fit 8 bits")
            << QByteArray("ServerType=300") << "type" << 0LL;
        QTest::newRow("type 255 fits") << QByteArray("ServerType=255") << "type" << 255LL;
        QTest::newRow("type in hexadecimal") << QByteArray("ServerType=&H3") << "type" << 3LL;
        QTest::newRow("negative sorting") << QByteArray("PlayerSorting=-1") << "sorting" << 0LL;
        QTest::newRow("rows 32768 does not fit 16 bits")
            << QByteArray("GraphRows=32768") << "rows" << 20LL;
        QTest::newRow("rows -32768 fits") << QByteArray("GraphRows=-32768") << "rows" << -32768LL;
        QTest::newRow("rows half to even down") << QByteArray("GraphRows=12.5") << "rows" << 12LL;
        QTest::newRow("rows half to even up") << QByteArray("GraphRows=13.5") << "rows" << 14LL;
        QTest::newRow("rows with trailing text")
            << QByteArray("GraphRows=30 points") << "rows" << 30LL;
        QTest::newRow("rows without a number") << QByteArray("GraphRows=many") << "rows" << 0LL;
        QTest::newRow("port with a blank inside")
            << QByteArray("ServerPort=26 001") << "port" << 26001LL;
        QTest::newRow("port beyond 32 bits")
            << QByteArray("ServerPort=3000000000") << "port" << 26000LL;
        QTest::newRow("interval fraction") << QByteArray("CheckInterval=0.25") << "check" << 250LL;
        QTest::newRow("interval beyond 32 bits of ms")
            << QByteArray("CheckInterval=2147484") << "check" << 5000LL;
        QTest::newRow("interval at the 32-bit limit")
            << QByteArray("CheckInterval=2147483.647") << "check" << 2147483647LL;
        QTest::newRow("interval with exponent")
            << QByteArray("TimeoutInterval=1E2") << "timeout" << 100000LL;
        QTest::newRow("comma is not a separator")
            << QByteArray("TimeoutInterval=2,5") << "timeout" << 2000LL;
        QTest::newRow("legend True any case") << QByteArray("ShowLegend=tRUE") << "legend" << 1LL;
        QTest::newRow("legend False") << QByteArray("ShowLegend=False") << "legend" << 0LL;
        QTest::newRow("legend zero") << QByteArray("ShowLegend=0") << "legend" << 0LL;
        QTest::newRow("legend -1") << QByteArray("ShowLegend=-1") << "legend" << 1LL;
        QTest::newRow("legend 0.0") << QByteArray("ShowLegend=0.0") << "legend" << 0LL;
        QTest::newRow("legend 2") << QByteArray("ShowLegend=2") << "legend" << 1LL;
        QTest::newRow("legend not a word") << QByteArray("ShowLegend=maybe") << "legend" << 1LL;
        QTest::newRow("legend number then text")
            << QByteArray("ShowLegend=0abc") << "legend" << 1LL;
        QTest::newRow("legend empty") << QByteArray("ShowLegend=") << "legend" << 1LL;
    }

    void storedTextsAreConverted() {
        QFETCH(QByteArray, line);
        QFETCH(QString, field);
        QFETCH(qlonglong, expected);
        const QString path = StorePath("convert");
        // Another value ahead of and behind the one under test still reads.
        WriteFile(path, "[Software\\Varnoth\\Morvek]\nSerieFixed=9\n" + line + "\nHTMLRefresh=3\n");
        IniSettingsBackend backend(path);
        auto loaded = LoadSettings(backend, Failure());
        QVERIFY(loaded);
        QVERIFY(dialogs_.messages.empty());
        QCOMPARE(loaded->serie_fixed, std::int16_t(9));
        QCOMPARE(loaded->html_refresh_ms, 3000);
        const std::map<QString, qlonglong> got = {{"type", TypeCode(loaded->server_type)},
                                                  {"sorting", loaded->player_sorting},
                                                  {"rows", loaded->graph_rows},
                                                  {"port", loaded->server_port},
                                                  {"check", loaded->check_interval_ms},
                                                  {"timeout", loaded->timeout_interval_ms},
                                                  {"legend", loaded->show_legend ? 1 : 0}};
        QCOMPARE(got.at(field), expected);
    }

    void zeroLengthValueReadsAsEmptyText() {
        const QString path = StorePath("zero");
        WriteFile(path, "[Software\\Varnoth\\Morvek]\nServerName=\nHTMLTemplate=\n");
        IniSettingsBackend backend(path);
        auto loaded = LoadSettings(backend, Failure());
        QVERIFY(loaded);
        QCOMPARE(loaded->server_name, std::string());
        QCOMPARE(loaded->html_template, std::string());
        RecordingBackend memory;
        memory.values["X"] = "";
        QCOMPARE(ReadRegValue(memory, kSettingsKeyPath, "X", "default", Failure()),
                 std::optional<std::string>(""));
        QCOMPARE(ReadRegValue(memory, kSettingsKeyPath, "Y", "default", Failure()),
                 std::optional<std::string>("default"));
    }

    void longValuesAreKept() {
        IniSettingsBackend backend(StorePath("long"));
        SettingsValues values;
        values.html_output = "/" + std::string(600, 'a') + "/status.htm";
        QVERIFY(SaveSettings(backend, values, "", Failure()));
        QCOMPARE(LoadSettings(backend, Failure())->html_output, values.html_output);
    }

    void storeThatCannotBeOpened() {
        // A folder that is a regular file stops root as well as anyone else.
        const QString blocker = dir_.filePath("blocker");
        WriteFile(blocker, "not a folder");
        const QString path = blocker + "/Varnoth/Morvek.conf";
        IniSettingsBackend backend(path);

        QVERIFY(!LoadSettings(backend, Failure()));
        QCOMPARE(dialogs_.messages.size(), std::size_t(1));
        const auto& shown = dialogs_.messages.front();
        QCOMPARE(shown.text, std::string("Cannot Read Reg!\rMorvek"));
        QCOMPARE(shown.title, std::string("Morvek"));
        QVERIFY(shown.icon == platform::MessageIcon::None);
        QVERIFY(shown.buttons == platform::MessageButtons::Ok);

        dialogs_.messages.clear();
        QVERIFY(!SaveSettings(backend, Changed(), "192.0.2.9", Failure()));
        QCOMPARE(dialogs_.messages.size(), std::size_t(1));
        QCOMPARE(dialogs_.messages.front().text, std::string("Cannot Read Reg!\rMorvek"));
        QVERIFY(QFileInfo(blocker).isFile());
        QCOMPARE(ReadFile(blocker), QByteArray("not a folder"));

        // The store is the only thing that failed: one message, nothing read or written after it.
        RecordingBackend refusing;
        refusing.open_ok = false;
        dialogs_.messages.clear();
        QVERIFY(!LoadSettings(refusing, Failure()));
        QVERIFY(refusing.reads.empty());
        QVERIFY(!SaveSettings(refusing, SettingsValues{}, "10.0.0.1", Failure()));
        QVERIFY(refusing.writes.empty());
        QCOMPARE(refusing.opened.size(), std::size_t(2));
        QCOMPARE(dialogs_.messages.size(), std::size_t(2));
    }

    void readOnlyStoreCannotBeOpened() {
        const QString path = StorePath("readonly");
        WriteFile(path, "[Software\\Varnoth\\Morvek]\nServerPort=1\n");
        QFile::setPermissions(path, QFileDevice::ReadOwner);
        if (QFileInfo(path).isWritable()) {
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            QSKIP("running with rights that ignore file permissions");
        }
        IniSettingsBackend backend(path);
        QVERIFY(!LoadSettings(backend, Failure()));
        QVERIFY(!SaveSettings(backend, SettingsValues{}, "", Failure()));
        QCOMPARE(dialogs_.messages.size(), std::size_t(2));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(ReadFile(path), QByteArray("[Software\\Varnoth\\Morvek]\nServerPort=1\n"));
    }

    void handEditedFileWithGarbage() {
        const QString path = StorePath("garbage");
        QByteArray text =
            "garbage without an equals sign\r\n"
            "=no name\r\n"
            "[\r\n"
            "]][[\r\n"
            "ServerType=2\r\n"  // outside any section
            "[Other]\r\n"
            "ServerPort=1\r\n"
            "[ Software\\Varnoth\\Morvek ]\r\n"
            "; ServerPort=2\r\n"
            "# ServerPort=3\r\n";
        text += QByteArray("\x01\x02\xff\xfe\x00\x7f junk", 11) + "\r\n";
        text += QByteArray(100000, 'x') + "\r\n";
        text += "\\x\\xZZ=\\\r\n";
        text += "  ServerPort \t=  27500  \r\n";
        text += "ServerPort=4\r\n";  // a second one: the first wins
        text += "GraphRows\r\n";
        text += "HTMLTemplate=dark.htm\r\r\n";  // a stray carriage return is a blank
        text += "HTMLOutput=C:\\web\\x\\xfiles\\out.htm\r\n";
        text += "[Software\\Varnoth\\Morvek]\r\n";  // a second section of the same key is ignored
        text += "ServerType=1";                     // no final line end
        WriteFile(path, text);

        IniSettingsBackend backend(path);
        auto loaded = LoadSettings(backend, Failure());
        QVERIFY(loaded);
        QCOMPARE(loaded->server_port, 27500);
        QCOMPARE(loaded->server_type, ServerType::QuakeI);
        QCOMPARE(loaded->graph_rows, std::int16_t(20));
        QCOMPARE(loaded->html_template, std::string("dark.htm"));
        // A backslash that is no escape stands for itself.
        QCOMPARE(loaded->html_output, std::string("C:\\web\\x\\xfiles\\out.htm"));

        // Saving changes the values and keeps every other line.
        QVERIFY(SaveSettings(backend, *loaded, "", Failure()));
        const QByteArray after = ReadFile(path);
        QVERIFY(after.contains("garbage without an equals sign\n"));
        QVERIFY(after.contains("[Other]\nServerPort=1\n"));
        QVERIFY(after.contains(QByteArray("\x01\x02\xff\xfe\x00\x7f junk\n", 12)));
        QVERIFY(after.contains(QByteArray(100000, 'x')));
        QVERIFY(after.contains("ServerPort=27500\nServerPort=4\n"));
        QVERIFY(after.endsWith("[Software\\Varnoth\\Morvek]\nServerType=1\n"));
        auto again = LoadSettings(backend, Failure());
        QVERIFY(again);
        QVERIFY(*again == *loaded);
        QVERIFY(dialogs_.messages.empty());
    }

    void bytesRoundTrip() {
        const QString path = StorePath("bytes");
        IniSettingsBackend backend(path);
        QVERIFY(backend.OpenKey(kSettingsKeyPath));
        std::string every_byte;
        for (int c = 0; c < 256; ++c) every_byte += static_cast<char>(c);
        const std::vector<std::string> values = {
            every_byte,
            " leading and trailing blanks ",
            "\t",
            "C:\\web\\a;b=c\"d\ne\r\nf\\",
            "\\x41 is not A",
            std::string("\x80\x9f\xe9\xff caf\xe9", 9),
            "[Software\\Varnoth\\Morvek]",
            "=",
        };
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::string name = "Value" + std::to_string(i);
            QVERIFY(backend.Write(kSettingsKeyPath, name, values[i]));
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::string name = "value" + std::to_string(i);
            QCOMPARE(backend.Read(kSettingsKeyPath, name), std::optional<std::string>(values[i]));
        }
        // The file stays printable ASCII, one line per value, whatever the values hold.
        const QByteArray text = ReadFile(path);
        for (char c : text) QVERIFY(c == '\n' || (c >= 0x20 && c < 0x7f));
        QCOMPARE(text.count('\n'), qsizetype(values.size() + 1));

        // Through the table as well: Windows-1252 text in the output name.
        SettingsValues settings;
        settings.html_output = std::string("C:\\Dokumente\\\xc4rger \x80.htm");
        QVERIFY(SaveSettings(backend, settings, "", Failure()));
        QCOMPARE(LoadSettings(backend, Failure())->html_output, settings.html_output);
    }

    void namesThatCannotBeALine() {
        IniSettingsBackend backend(StorePath("names"));
        QVERIFY(backend.OpenKey(kSettingsKeyPath));
        QVERIFY(!backend.Write(kSettingsKeyPath, "A=B", "1"));
        QVERIFY(!backend.Write(kSettingsKeyPath, "A\nB", "1"));
        QVERIFY(!backend.Write(kSettingsKeyPath, "", "1"));
        QVERIFY(!backend.Write(kSettingsKeyPath, "[A]", "1"));
        QVERIFY(!backend.Read(kSettingsKeyPath, "A"));
        QVERIFY(!backend.OpenKey("Bad]Key"));
    }

    void writesLeaveNoTemporaryFiles() {
        const QString folder = dir_.filePath("atomic");
        IniSettingsBackend backend(folder + "/Morvek.conf");
        for (int i = 0; i < 3; ++i) QVERIFY(SaveSettings(backend, Changed(), "1.2.3.4", Failure()));
        const QStringList entries = QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries |
                                                           QDir::Hidden | QDir::System);
        QCOMPARE(entries, QStringList{"Morvek.conf"});
    }

    void defaultLocationIsTheUsersConfigurationFolder() {
        QStandardPaths::setTestModeEnabled(true);
        const QString file = IniSettingsBackend::DefaultFile();
        QStandardPaths::setTestModeEnabled(false);
        QVERIFY(file.endsWith("/Varnoth/Morvek.conf"));
        QVERIFY(file.startsWith(QDir::homePath()));
        QVERIFY(!IniSettingsBackend(dir_.filePath("x.conf")).Location().isEmpty());
    }

    void monitorTakesAndGivesItsSettings() {
        Monitor monitor;
        const SettingsValues changed = Changed();
        ApplySettings(changed, monitor);
        QCOMPARE(monitor.options.player_sorting, std::uint8_t(2));
        QCOMPARE(monitor.options.keep_disconnected, std::int16_t(0));
        QCOMPARE(monitor.options.html_template, std::string("dark.htm"));
        QCOMPARE(monitor.server_type, ServerType::QuakeII);
        QCOMPARE(monitor.graph.RowCount(), 45);
        QCOMPARE(monitor.graph.show_legend, false);
        // Gathered back, only what the connection and the timers hold keeps its old value.
        SettingsValues gathered;
        GatherSettings(monitor, gathered);
        SettingsValues expected = changed;
        expected.check_interval_ms = gathered.check_interval_ms;
        expected.timeout_interval_ms = gathered.timeout_interval_ms;
        expected.html_refresh_ms = gathered.html_refresh_ms;
        expected.server_name = gathered.server_name;
        expected.server_port = gathered.server_port;
        QVERIFY(gathered == expected);
        QCOMPARE(gathered.check_interval_ms, 5000);
    }

    void escaping() {
        QCOMPARE(platform::EscapeIniValue("a\\b"), std::string("a\\\\b"));
        QCOMPARE(platform::EscapeIniValue(" a b "), std::string("\\x20a b\\x20"));
        QCOMPARE(platform::EscapeIniValue("\xe9\n"), std::string("\\xE9\\x0A"));
        QCOMPARE(platform::UnescapeIniValue("\\x4a\\x4A\\\\x41"), std::string("JJ\\x41"));
        QCOMPARE(platform::UnescapeIniValue("\\"), std::string("\\"));
        QCOMPARE(platform::UnescapeIniValue("\\x4"), std::string("\\x4"));
        QCOMPARE(platform::UnescapeIniValue("C:\\web"), std::string("C:\\web"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
