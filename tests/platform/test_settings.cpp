// The settings store end to end: the table's defaults, conversions and text forms, the INI file
// that holds them (read once per load, read and replaced once per save), and a store that cannot
// be opened.
#include <sys/inotify.h>
#include <unistd.h>

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
                                             "HTMLRefresh",
                                             "KeepTrying",
                                             "ReadableQuakeNames",
                                             "ShowSpectators"};

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

// Opens of the file and renames onto it since the watch began.
class FileEvents {
  public:
    FileEvents(const QString& folder, const QString& name) : name_(name.toStdString()) {
        fd_ = inotify_init1(IN_NONBLOCK);
        inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN | IN_MOVED_TO);
    }
    ~FileEvents() { close(fd_); }
    // {opens, renames onto it}
    std::pair<int, int> Take() {
        std::pair<int, int> counts;
        alignas(inotify_event) char buffer[65536];
        for (ssize_t n; (n = read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                if (event->len && name_ == event->name) {
                    if (event->mask & IN_OPEN) ++counts.first;
                    if (event->mask & IN_MOVED_TO) ++counts.second;
                }
                p += sizeof(inotify_event) + event->len;
            }
        }
        return counts;
    }

  private:
    int fd_ = -1;
    std::string name_;
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
    v.timeout_interval_ms = 70000;  // above the 16-bit range of the old timers
    v.server_name = "quake.example.net";
    v.server_port = 27500;
    v.server_type = ServerType(3);
    v.serie_max_player = 0;
    v.serie_fixed = 8;
    v.show_legend = false;
    v.html_output = "/srv/www/status.htm";
    v.html_template = "dark.htm";
    v.html_refresh_ms = 250;
    v.keep_trying = true;
    v.readable_names = false;
    v.show_spectators = true;
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

    void first_run_gives_defaults_and_saving_them_writes_all_but_server_and_output() {
        const QString path = StorePath("clean/Varnoth");
        IniSettingsBackend backend(path);
        auto values = LoadSettings(backend, Failure());
        QVERIFY(values && *values == SettingsValues{});
        QVERIFY(dialogs_.messages.empty());
        // The key exists now, holding no values.
        QCOMPARE(ReadFile(path), QByteArray("[Software\\Varnoth\\Morvek]\n"));
        // Written in table order, the timeout under its writer's spelling.
        QVERIFY(SaveSettings(backend, *values, "", Failure()));
        QCOMPARE(ReadFile(path),
                 "[Software\\Varnoth\\Morvek]\nPlayerSorting=0\nGraphRows=20\n"
                 "ManteinDisconnectedPlayerInfo=1\nDisconnectOnMapChange=0\nCheckInterval=5\n"
                 "TimeOutInterval=30\nServerPort=26000\nServerType=0\nSerieMaxPlayer=1\n"
                 "SerieFixed=16\nShowLegend=True\nHTMLTemplate=standard.htm\nHTMLRefresh=0\n"
                 "KeepTrying=False\n"
                 "ReadableQuakeNames=True\nShowSpectators=False\n");
        QCOMPARE(values->server_name + "|" + values->html_template,
                 std::string("localhost|standard.htm"));
        QCOMPARE(values->check_interval_ms + values->timeout_interval_ms, 35000);
    }

    void every_value_round_trips_in_its_text_form() {
        const QString path = StorePath("round");
        IniSettingsBackend backend(path);
        const SettingsValues changed = Changed();
        QVERIFY(SaveSettings(backend, changed, "192.0.2.7", Failure()));
        // The address the socket heard from is stored, not the name typed; seconds as decimals.
        QCOMPARE(ReadFile(path),
                 "[Software\\Varnoth\\Morvek]\nPlayerSorting=2\nGraphRows=45\n"
                 "ManteinDisconnectedPlayerInfo=0\nDisconnectOnMapChange=1\nCheckInterval=2.5\n"
                 "TimeOutInterval=70\nServerName=192.0.2.7\nServerPort=27500\nServerType=3\n"
                 "SerieMaxPlayer=0\nSerieFixed=8\nShowLegend=False\n"
                 "HTMLOutput=/srv/www/status.htm\nHTMLTemplate=dark.htm\nHTMLRefresh=0.25\n"
                 "KeepTrying=True\n"
                 "ReadableQuakeNames=False\nShowSpectators=True\n");
        IniSettingsBackend next_run(path);
        SettingsValues expected = changed;
        expected.server_name = "192.0.2.7";
        QVERIFY(*LoadSettings(next_run, Failure()) == expected);
        QVERIFY(dialogs_.messages.empty());
        // And back to True.
        SettingsValues legend = changed;
        legend.show_legend = true;
        QVERIFY(SaveSettings(backend, legend, "", Failure()));
        QCOMPARE(backend.Read(kSettingsKeyPath, "ShowLegend"), std::optional<std::string>("True"));
        QCOMPARE(LoadSettings(backend, Failure())->show_legend, true);
    }

    void reads_and_writes_follow_the_table_order() {
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

    void empty_value_leaves_the_earlier_one() {
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

    void names_match_without_regard_to_case() {
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

    void stored_texts_are_converted_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("field");
        QTest::addColumn<qlonglong>("expected");
        // A value that does not fit its field takes that setting's default.
        for (auto [name, line, field, expected] :
             std::initializer_list<std::tuple<const char*, const char*, const char*, qlonglong>>{
                 {"type 300 does not fit 8 bits", "ServerType=300", "type", 0},
                 {"type 255 fits", "ServerType=255", "type", 255},
                 {"type in hexadecimal", "ServerType=&H3", "type", 3},
                 {"negative sorting", "PlayerSorting=-1", "sorting", 0},
                 {"rows 32768 does not fit 16 bits", "GraphRows=32768", "rows", 20},
                 {"rows -32768 fits", "GraphRows=-32768", "rows", -32768},
                 {"rows half to even down", "GraphRows=12.5", "rows", 12},
                 {"rows half to even up", "GraphRows=13.5", "rows", 14},
                 {"rows with trailing text", "GraphRows=30 points", "rows", 30},
                 {"rows without a number", "GraphRows=many", "rows", 0},
                 {"port with a blank inside", "ServerPort=26 001", "port", 26001},
                 {"port beyond 32 bits", "ServerPort=3000000000", "port", 26000},
                 {"interval fraction", "CheckInterval=0.25", "check", 250},
                 {"interval beyond 32 bits of ms", "CheckInterval=2147484", "check", 5000},
                 {"interval at the 32-bit limit", "CheckInterval=2147483.647", "check", 2147483647},
                 {"interval with exponent", "TimeoutInterval=1E2", "timeout", 100000},
                 {"comma is not a separator", "TimeoutInterval=2,5", "timeout", 2000},
                 {"legend True any case", "ShowLegend=tRUE", "legend", 1},
                 {"legend False", "ShowLegend=False", "legend", 0},
                 {"legend zero", "ShowLegend=0", "legend", 0},
                 {"legend -1", "ShowLegend=-1", "legend", 1},
                 {"legend 0.0", "ShowLegend=0.0", "legend", 0},
                 {"legend 2", "ShowLegend=2", "legend", 1},
                 {"legend not a word", "ShowLegend=maybe", "legend", 1},
                 {"legend number then text", "ShowLegend=0abc", "legend", 1},
                 {"legend empty", "ShowLegend=", "legend", 1}})
            QTest::newRow(name) << QByteArray(line) << QString(field) << expected;
    }

    void stored_texts_are_converted() {
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

    void zero_length_value_reads_as_empty_text() {
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

    void store_that_cannot_be_opened() {
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

    void read_only_store_cannot_be_opened() {
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

    void hand_edited_file_with_garbage() {
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

    void bytes_round_trip() {
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
            std::string(600, 'a'),
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

    void names_that_cannot_be_a_line() {
        IniSettingsBackend backend(StorePath("names"));
        QVERIFY(backend.OpenKey(kSettingsKeyPath));
        QVERIFY(!backend.Write(kSettingsKeyPath, "A=B", "1"));
        QVERIFY(!backend.Write(kSettingsKeyPath, "A\nB", "1"));
        QVERIFY(!backend.Write(kSettingsKeyPath, "", "1"));
        QVERIFY(!backend.Write(kSettingsKeyPath, "[A]", "1"));
        QVERIFY(!backend.Read(kSettingsKeyPath, "A"));
        QVERIFY(!backend.OpenKey("Bad]Key"));
    }

    void writes_leave_no_temporary_files() {
        const QString folder = dir_.filePath("atomic");
        IniSettingsBackend backend(folder + "/Morvek.conf");
        for (int i = 0; i < 3; ++i) QVERIFY(SaveSettings(backend, Changed(), "1.2.3.4", Failure()));
        const QStringList entries = QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries |
                                                           QDir::Hidden | QDir::System);
        QCOMPARE(entries, QStringList{"Morvek.conf"});
    }

    void default_location_is_the_users_configuration_folder() {
        QStandardPaths::setTestModeEnabled(true);
        const QString file = IniSettingsBackend::DefaultFile();
        QStandardPaths::setTestModeEnabled(false);
        QVERIFY(file.endsWith("/Varnoth/Morvek.conf"));
        QVERIFY(file.startsWith(QDir::homePath()));
        QVERIFY(!IniSettingsBackend(dir_.filePath("x.conf")).Location().isEmpty());
    }

    void monitor_takes_and_gives_its_settings() {
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

    void one_read_per_load_one_replacement_per_save() {
        QTemporaryDir dir;
        platform::IniSettingsBackend store(dir.filePath("Morvek.conf"));
        QVERIFY(SaveSettings(store, SettingsValues{}, "localhost", {}));  // creates the file
        FileEvents events(dir.path(), "Morvek.conf");
        auto loaded = LoadSettings(store, {});
        QCOMPARE(events.Take(), std::make_pair(1, 0));
        loaded->server_port = 27500;
        QVERIFY(SaveSettings(store, *loaded, "example.org", {}));
        QCOMPARE(events.Take(), std::make_pair(1, 1));
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
