// The settings store end to end: defaults, conversions, text forms and the INI file.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <map>

#include "core/settings.h"
#include "platform/dialogs.h"
#include "platform/settings_backend.h"

using namespace morvek;
using morvek::platform::IniSettingsBackend;
Q_DECLARE_METATYPE(morvek::SettingsValues)

namespace {

const QByteArray kSection = "[Software\\Varnoth\\Morvek]\n";

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

SettingsValues Changed() {  // every value different from its default
    SettingsValues v;
    v.player_sorting = 2;
    v.graph_rows = 45;
    v.keep_disconnected = 0;
    v.disconnect_on_map_change = 1;
    v.check_interval_ms = 2500;
    v.timeout_interval_ms = 70000;  // above the 16-bit range of the old timers
    v.server_name = "quake.example.net";
    v.server_port = 27500;
    v.server_type = ServerType::QuakeII;
    v.serie_max_player = 0;
    v.serie_fixed = 8;
    v.show_legend = false;
    v.html_output = "/srv/www/status.htm";
    v.html_template = "dark.htm";
    v.html_refresh_ms = 250;
    v.keep_trying = v.show_spectators = v.close_to_tray = true;
    v.readable_names = false;
    v.alert_events = 0xFF;
    v.alert_watch_list = "Ranger, Vore";
    return v;
}

// A store that cannot be opened, counting what is asked of it afterwards.
struct RefusingBackend : SettingsBackend {
    bool OpenKey(const std::string&) override { return ++opened, false; }
    std::optional<std::string> Read(const std::string&, const std::string&) override {
        return ++used, std::nullopt;
    }
    bool Write(const std::string&, const std::string&, const std::string&) override {
        return ++used, true;
    }
    int opened = 0, used = 0;
};

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    platform::ScriptedDialogs dialogs_;

    QString StorePath(const QString& name) { return dir_.filePath(name + "/Morvek.conf"); }
    SettingsFailure Failure() { return platform::SettingsFailureDialog(dialogs_); }

  private slots:
    void init() { dialogs_.messages.clear(); }

    // A save writes in table order (the timeout as "TimeOutInterval", seconds as decimals, the
    // address heard from, nothing for empty texts); the next run reads it back.
    void saved_file_and_next_load_data() {
        QTest::addColumn<SettingsValues>("values");
        QTest::addColumn<QString>("heard");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("every_value_changed")
            << Changed() << "192.0.2.7"
            << kSection +
                   "PlayerSorting=2\nGraphRows=45\nManteinDisconnectedPlayerInfo=0\n"
                   "DisconnectOnMapChange=1\nCheckInterval=2.5\nTimeOutInterval=70\n"
                   "ServerName=192.0.2.7\nServerPort=27500\nServerType=3\nSerieMaxPlayer=0\n"
                   "SerieFixed=8\nShowLegend=False\nHTMLOutput=/srv/www/status.htm\n"
                   "HTMLTemplate=dark.htm\nHTMLRefresh=0.25\nKeepTrying=True\n"
                   "ReadableQuakeNames=False\nShowSpectators=True\nAlertJoin=True\n"
                   "AlertLeave=True\nAlertMap=True\nAlertSilent=True\nAlertBack=True\n"
                   "AlertLead=True\nAlertFull=True\nAlertSlotFree=True\n"
                   "AlertWatchList=Ranger, Vore\nCloseToTray=True\n";
    }
    void saved_file_and_next_load() {
        QFETCH(SettingsValues, values);
        QFETCH(QString, heard);
        const QString path = StorePath(QTest::currentDataTag());
        IniSettingsBackend backend(path);
        QVERIFY(LoadSettings(backend, Failure()) == SettingsValues{});
        QCOMPARE(ReadFile(path), kSection);
        QVERIFY(SaveSettings(backend, values, heard.toStdString(), Failure()));
        QTEST(ReadFile(path), "file");
        if (!heard.isEmpty()) values.server_name = heard.toStdString();
        IniSettingsBackend next_run(path);
        QVERIFY(LoadSettings(next_run, Failure()) == values);
        QVERIFY(dialogs_.messages.empty());
    }

    // Names match without regard to case; a save replaces those values in place, keeping their
    // first spelling, one line each; a value stored with no bytes reads as the empty text.
    void names_match_without_regard_to_case() {
        const QString path = StorePath("case");
        WriteFile(path,
                  "[software\\varnoth\\MORVEK]\ncheckinterval=7\nTIMEOUTINTERVAL=12\n"
                  "serverPORT=1\nServerName=\nHTMLTemplate=\n");
        IniSettingsBackend backend(path);
        auto loaded = LoadSettings(backend, Failure());
        QCOMPARE((std::array{loaded->check_interval_ms, loaded->timeout_interval_ms,
                             loaded->server_port}),
                 (std::array{7000, 12000, 1}));
        QCOMPARE(loaded->server_name + loaded->html_template, std::string());
        loaded->server_port = 2;
        QVERIFY(SaveSettings(backend, *loaded, "", Failure()));
        const QByteArray text = ReadFile(path);
        QVERIFY2(text.startsWith("[software\\varnoth\\MORVEK]\ncheckinterval=7\nTIMEOUTINTERVAL=12"
                                 "\nserverPORT=2\nServerName=\nHTMLTemplate=\nPlayerSorting=0\n"),
                 text.constData());
        QCOMPARE(text.toLower().count("timeoutinterval="), 1);
        loaded->html_output = "out.htm";
        QVERIFY(SaveSettings(backend, *loaded, "", Failure()));
        loaded->html_output.clear();  // an empty value leaves the earlier one
        QVERIFY(SaveSettings(backend, *loaded, "", Failure()));
        QCOMPARE(LoadSettings(backend, Failure())->html_output, std::string("out.htm"));
    }

    // "line|field|value"; a value that does not fit its field takes that setting's default.
    void stored_texts_are_converted_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<qlonglong>("expected");
        for (const char* row :
             {"ServerType=300|type|0", "ServerType=&H3|type|3", "PlayerSorting=-1|sorting|0",
              "GraphRows=32768|rows|20", "GraphRows=12.5|rows|12", "GraphRows=30 points|rows|30",
              "ServerPort=26 001|port|26001", "ServerPort=3000000000|port|26000",
              "CheckInterval=0.25|check|250", "CheckInterval=2147484|check|5000",
              "TimeoutInterval=1E2|timeout|100000", "ShowLegend=tRUE|legend|1",
              "ShowLegend=0.0|legend|0", "ShowLegend=0abc|legend|1", "ShowLegend=|legend|1"}) {
            const QList<QByteArray> cells = QByteArray(row).split('|');
            QTest::newRow(row) << cells[0] << cells[1] << cells[2].toLongLong();
        }
    }
    void stored_texts_are_converted() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, field);
        const QString path = StorePath("convert");
        // Another value ahead of and behind the one under test still reads.
        WriteFile(path, kSection + "SerieFixed=9\n" + line + "\nHTMLRefresh=3\n");
        IniSettingsBackend backend(path);
        const auto loaded = LoadSettings(backend, Failure());
        QVERIFY(dialogs_.messages.empty());
        QCOMPARE(std::pair(loaded->serie_fixed, loaded->html_refresh_ms),
                 std::pair(std::int16_t(9), 3000));
        const std::map<QByteArray, qlonglong> got = {{"type", TypeCode(loaded->server_type)},
                                                     {"sorting", loaded->player_sorting},
                                                     {"rows", loaded->graph_rows},
                                                     {"port", loaded->server_port},
                                                     {"check", loaded->check_interval_ms},
                                                     {"timeout", loaded->timeout_interval_ms},
                                                     {"legend", loaded->show_legend}};
        QTEST(got.at(field), "expected");
    }

    // A folder that is a regular file stops root as well as anyone else: one message each time,
    // nothing read or written after it, the file left alone.
    void store_that_cannot_be_opened() {
        const QString blocker = dir_.filePath("blocker");
        WriteFile(blocker, "not a folder");
        IniSettingsBackend backend(blocker + "/Varnoth/Morvek.conf");
        QVERIFY(!LoadSettings(backend, Failure()));
        QVERIFY(!SaveSettings(backend, Changed(), "192.0.2.9", Failure()));
        QCOMPARE(dialogs_.messages.size(), std::size_t(2));
        const auto& shown = dialogs_.messages.back();
        QCOMPARE(shown.title + "|" + shown.text, std::string("Morvek|Cannot Read Reg!\rMorvek"));
        QVERIFY(shown.icon == platform::MessageIcon::None &&
                shown.buttons == platform::MessageButtons::Ok);
        QCOMPARE(ReadFile(blocker), QByteArray("not a folder"));
        RefusingBackend refusing;
        QVERIFY(!LoadSettings(refusing, Failure()));
        QVERIFY(!SaveSettings(refusing, SettingsValues{}, "10.0.0.1", Failure()));
        QCOMPARE(std::pair(refusing.opened, refusing.used), std::pair(2, 0));
        QCOMPARE(dialogs_.messages.size(), std::size_t(4));
    }

    // Lines outside the section, comments and a second copy are kept and ignored; the first
    // copy of a name wins; blanks around names and values go; "\\x" in a path stands for itself.
    void hand_edited_file() {
        const QString path = StorePath("garbage");
        const QByteArray other =
            "no equals sign\n=no name\n[\nServerType=2\n[Other]\nServerPort=1\n";
        WriteFile(
            path,
            other +
                "[ Software\\Varnoth\\Morvek ]\r\n; ServerPort=2\r\n# ServerPort=3\n"
                "  ServerPort \t=  27500  \r\nServerPort=4\nGraphRows\nHTMLTemplate=dark.htm\r\r\n"
                "HTMLOutput=C:\\web\\x\\xfiles\\out.htm\n[Software\\Varnoth\\Morvek]\nServerType="
                "1");
        IniSettingsBackend backend(path);
        auto loaded = LoadSettings(backend, Failure());
        SettingsValues expected;
        expected.server_port = 27500;
        expected.html_template = "dark.htm";
        expected.html_output = "C:\\web\\x\\xfiles\\out.htm";
        QVERIFY(loaded == expected);
        QVERIFY(SaveSettings(backend, *loaded, "", Failure()));
        const QByteArray after = ReadFile(path);
        QVERIFY(after.startsWith(other) && after.contains("ServerPort=27500\nServerPort=4\n"));
        QVERIFY(after.endsWith("[Software\\Varnoth\\Morvek]\nServerType=1\n"));
        QVERIFY(LoadSettings(backend, Failure()) == loaded && dialogs_.messages.empty());
    }

    // Values of any bytes keep the file printable ASCII, one line per value, and it is replaced
    // whole at each save, leaving nothing behind; names that cannot be a line are refused.
    void values_and_names_that_cannot_be_a_line() {
        const QString path = StorePath("bytes");
        IniSettingsBackend backend(path);
        QVERIFY(backend.OpenKey(kSettingsKeyPath));
        std::string every_byte;
        for (int c = 0; c < 256; ++c) every_byte += char(c);
        for (int i = 0; i < 3; ++i) QVERIFY(backend.Write(kSettingsKeyPath, "Value", every_byte));
        QVERIFY(backend.Write(kSettingsKeyPath, "Other", "[Software\\Varnoth\\Morvek]\n"));
        const QByteArray text = ReadFile(path);
        for (char c : text) QVERIFY(c == '\n' || (c >= 0x20 && c < 0x7f));
        QCOMPARE(text.count('\n'), 3);
        QCOMPARE(
            QDir(QFileInfo(path).path())
                .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System),
            QStringList{"Morvek.conf"});
        for (const char* name : {"A=B", "A\nB", "", "[A]"})
            QVERIFY(!backend.Write(kSettingsKeyPath, name, "1"));
        QVERIFY(!backend.Read(kSettingsKeyPath, "A"));
        QVERIFY(!backend.OpenKey("Bad]Key"));
        QCOMPARE(platform::EscapeIniValue(" a\\b\xe9\n"), std::string("\\x20a\\\\b\\xE9\\x0A"));
        QCOMPARE(platform::UnescapeIniValue("\\x4a\\x4A\\\\x41\\x4"), std::string("JJ\\x41\\x4"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
