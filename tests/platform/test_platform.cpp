// The template folders, the timer seam (interval 0 never fires) and the settings store's file.
#include <sys/resource.h>
#include <QtTest>
#include <csignal>

#include "core/settings.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/settings_backend.h"
#include "platform/timer.h"
#include "support/files.h"

using namespace morvek;
using namespace morvek::platform;
using morvek::testing::ReadFile;
using morvek::testing::WriteFile;

namespace {

const QByteArray kSection = "[Software\\Varnoth\\Morvek]\n";

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                  QDir::System);
}

}  // namespace

class TestPlatform : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ScriptedDialogs dialogs_;

    QString StorePath(const QString& name) { return dir_.filePath(name + "/Morvek.conf"); }
    SettingsFailure Failure() { return SettingsFailureDialog(dialogs_); }

  private slots:
    void init() { dialogs_.messages.clear(); }

    // The user's data folder, then the system's: the user's made, with the sample, only where
    // none exists; a name found in any case in the first folder holding it, and hiding it in the
    // later ones.
    void template_folders_in_the_data_folders() {
        const QString data = dir_.filePath("data");
        qputenv("XDG_DATA_HOME", (data + "/user").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", (data + "/local:" + data + "/system").toLocal8Bit());
        const QStringList folders = TemplateFolders();
        QCOMPARE(folders,
                 QStringList({data + "/user/morvek/template", data + "/local/morvek/template",
                              data + "/system/morvek/template"}));
        QVERIFY(WriteFile(folders[2] + "/Standard.htm", "system"));
        QVERIFY(MakeTemplateFolder());
        QCOMPARE(Entries(data), QStringList{"system"});
        QVERIFY(QDir(folders[2]).removeRecursively() && MakeTemplateFolder());
        QCOMPARE(Entries(folders[0]), QStringList{"standard.htm"});
        QCOMPARE(ReadFile(folders[0] + "/standard.htm"),
                 ReadFile(MORVEK_SOURCE_DIR "/resources/template/standard.htm"));
        for (const char* name : {"/b.htm", "/Standard.htm", "/notes.txt"})
            QVERIFY(WriteFile(folders[2] + name, "system"));
        QVERIFY(WriteFile(folders[1] + "/A.htm", "local"));
        QCOMPARE(TemplateNames(folders), QStringList({"A.htm", "b.htm", "standard.htm"}));
        QCOMPARE(QStringList({FindInFolders(folders, "STANDARD.HTM"),
                              FindInFolders(folders, "B.htm"), FindInFolders(folders, "gone.htm")}),
                 QStringList({folders[0] + "/standard.htm", folders[2] + "/b.htm",
                              folders[0] + "/gone.htm"}));
        // The help file: beside the program (none here), else in a data folder's "morvek".
        QCOMPARE(HelpFolder("Morvek.html"), ProgramFolder());
        QVERIFY(WriteFile(data + "/system/morvek/MORVEK.HTML", "help"));
        QCOMPARE(HelpFolder("Morvek.html"), data + "/system/morvek");
    }

    // "interval enabled [later intervals]|interval enabled running": 0 never runs, enabled or not;
    // above 65535 ms kept, below 0 is 0, past int the largest; a later 0 stops, a later 5 starts.
    void enabled_and_interval_decide_running_data() {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("got");
        for (const char* row : {"5000 0|5000 0 0", "70000 1|70000 1 1", "-5 1|0 1 0", "0 1|0 1 0",
                                "8589934592 1|2147483647 1 1", "5 1 0|0 1 0", "5 1 0 5|5 1 1"})
            QTest::newRow(row) << QString(row).section('|', 0, 0) << QString(row).section('|', 1);
    }
    void enabled_and_interval_decide_running() {
        QFETCH(QString, set);
        const QStringList steps = set.split(' ');
        Timer timer;
        timer.SetInterval(steps[0].toLongLong());
        timer.SetEnabled(steps[1] == "1");
        for (const QString& later : steps.mid(2)) timer.SetInterval(later.toLongLong());
        QTEST(QString("%1 %2 %3").arg(timer.Interval()).arg(timer.Enabled()).arg(timer.Running()),
              "got");
    }

    // Every value changed, read and saved anew: store order, seconds, the address heard from.
    void saved_file_and_next_load() {
        const QByteArray file =
            kSection +
            "PlayerSorting=2\nGraphRows=45\nManteinDisconnectedPlayerInfo=0\n"
            "DisconnectOnMapChange=1\nCheckInterval=2.5\nTimeOutInterval=70\n"
            "ServerName=192.0.2.7\nServerPort=27500\nServerType=3\nSerieMaxPlayer=0\n"
            "SerieFixed=8\nShowLegend=False\nHTMLOutput=/srv/www/status.htm\n"
            "HTMLTemplate=dark.htm\nHTMLRefresh=0.25\nKeepTrying=True\n"
            "ReadableQuakeNames=False\nShowSpectators=True\nServeLive=True\n"
            "ServeLivePort=23100\nAlertJoin=True\nAlertLeave=True\nAlertMap=True\n"
            "AlertSilent=True\nAlertBack=True\nAlertLead=True\nAlertFull=True\n"
            "AlertSlotFree=True\nAlertWatchList=Ranger, Vore\nCloseToTray=True\n"
            "GraphPlayerNames=True\n";
        QVERIFY(WriteFile(StorePath("hand"),
                          QByteArray(file).replace("192.0.2.7", "quake.example.net")));
        IniSettingsBackend hand(StorePath("hand")), saved(StorePath("saved"));
        const auto values = LoadSettings(hand, Failure());
        QVERIFY(LoadSettings(saved, Failure()) == SettingsValues{});
        QCOMPARE(ReadFile(StorePath("saved")), "<missing>");
        QVERIFY(SaveSettings(saved, *values, "192.0.2.7", Failure()));
        QCOMPARE(ReadFile(StorePath("saved")), file);
        QVERIFY(dialogs_.messages.empty());
    }

    // "stored|saved again": a value that does not fit its setting takes that setting's default.
    void stored_texts_are_converted_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("saved");
        for (const char* row :
             {"ServerType=300|ServerType=0", "PlayerSorting=-1|PlayerSorting=0",
              "GraphRows=32768|GraphRows=20", "GraphRows=12.5|GraphRows=12",
              "ServerPort=3000000000|ServerPort=26000", "CheckInterval=0.25|CheckInterval=0.25",
              "CheckInterval=2147484|CheckInterval=5", "ShowLegend=tRUE|ShowLegend=True",
              "ShowLegend=0.0|ShowLegend=False", "ShowLegend=0abc|ShowLegend=True",
              "ShowLegend=|ShowLegend=True", "CheckInterval=abc|CheckInterval=5",
              "TimeoutInterval=-5|TimeoutInterval=30", "ServeLivePort=65536|ServeLivePort=9100",
              "HTMLOutput=/w/caf\\xE9.htm|HTMLOutput=/w/caf\\xC3\\xA9.htm"})
            QTest::newRow(row) << QByteArray(row).split('|')[0] << QByteArray(row).split('|')[1];
    }
    void stored_texts_are_converted() {
        QFETCH(QByteArray, stored);
        const QString path = StorePath("convert");
        // Another value ahead of and behind the one under test still reads.
        QVERIFY(WriteFile(path, kSection + "SerieFixed=9\n" + stored + "\nHTMLRefresh=3\n"));
        IniSettingsBackend backend(path);
        const auto loaded = LoadSettings(backend, Failure());
        QVERIFY(loaded && SaveSettings(backend, *loaded, "", Failure()));
        QFETCH(QByteArray, saved);
        QCOMPARE(ReadFile(path).split('\n').mid(1, 3),
                 (QByteArrayList{"SerieFixed=9", saved, "HTMLRefresh=3"}));
        QVERIFY(dialogs_.messages.empty());
    }

    // Stores that stop root too: a folder that is a regular file reads as empty but cannot be
    // written; a folder where the file should be cannot even be read. Each message names it.
    void store_that_cannot_be_opened() {
        QVERIFY(WriteFile(dir_.filePath("blocker"), "not a folder"));
        QVERIFY(QDir().mkpath(dir_.filePath("папка")));
        for (const QString& store : {QString("blocker/Morvek.conf"), QString("папка")}) {
            IniSettingsBackend backend(dir_.filePath(store));
            const bool loads = LoadSettings(backend, Failure()) == SettingsValues{};
            QVERIFY(!SaveSettings(backend, SettingsValues{}, "192.0.2.9", Failure()));
            const auto& shown = dialogs_.messages.back();
            QCOMPARE(
                QString::fromStdString(shown.title) + "|" + shown.text + (loads ? "" : " no load"),
                "Morvek|Cannot Read Reg!\rMorvek\r" + dir_.filePath(store) + ": " +
                    (loads ? "its folder cannot be created" : "not a regular file no load"));
            QVERIFY(shown.icon == MessageIcon::None && shown.buttons == MessageButtons::Ok);
        }
        QCOMPARE(ReadFile(dir_.filePath("blocker")), QByteArray("not a folder"));
    }

    // Any case, blanks, comments, other sections, second copies; a save in place, "" keeps.
    void hand_edited_file() {
        const QString path = StorePath("hand");
        const QByteArray other =
            "no equals sign\n=no name\n[\nServerType=2\n[Other]\nServerPort=1\n";
        QVERIFY(WriteFile(
            path, other + "[ software\\varnoth\\MORVEK ]\r\n; ServerPort=2\r\n# ServerPort=3\n"
                          "  serverPORT \t=  27500  \r\nServerPort=4\nGraphRows\nServerName=\n"
                          "TIMEOUTINTERVAL=12\r\r\nHTMLOutput=C:\\web\\x\\xfiles\\out.htm\n"
                          "[Software\\Varnoth\\Morvek]\nServerType=1"));
        IniSettingsBackend backend(path);
        auto loaded = LoadSettings(backend, Failure());
        SettingsValues expected;
        expected.server_port = 27500;
        expected.server_name = "";
        expected.timeout_interval_ms = 12000;
        expected.html_output = "C:\\web\\x\\xfiles\\out.htm";
        QVERIFY(loaded == expected);
        loaded->server_port = expected.server_port = 2;
        loaded->html_output.clear();
        QVERIFY(SaveSettings(backend, *loaded, "", Failure()));
        const QByteArray after = ReadFile(path);
        QVERIFY2(after.startsWith(
                     other + "[ software\\varnoth\\MORVEK ]\r\n; ServerPort=2\r\n# ServerPort=3\n"
                             "serverPORT=2\r\nServerPort=4\nGraphRows\nServerName=\n"
                             "TIMEOUTINTERVAL=12\r\nHTMLOutput=C:\\web\\x\\xfiles\\out.htm\n"
                             "PlayerSorting=0\n"),
                 after.constData());
        QVERIFY(after.endsWith("[Software\\Varnoth\\Morvek]\nServerType=1"));
        QCOMPARE(after.toLower().count("timeoutinterval="), 1);
        QVERIFY(LoadSettings(backend, Failure()) == expected && dialogs_.messages.empty());
    }

    // Values of any bytes stay one printable line, the file replaced whole; bad names fail.
    void values_and_names_that_cannot_be_a_line() {
        const QString path = StorePath("bytes");
        IniSettingsBackend backend(path);
        QVERIFY(backend.OpenKey(kSettingsKeyPath, SettingsBackend::Access::kWrite));
        std::string every_byte;
        for (int c = 0; c < 256; ++c) every_byte += char(c);
        for (int i = 0; i < 3; ++i) QVERIFY(backend.Write(kSettingsKeyPath, "Value", every_byte));
        QVERIFY(backend.Write(kSettingsKeyPath, "Other", "[Software\\Varnoth\\Morvek]\n"));
        const QByteArray text = ReadFile(path);
        for (char c : text) QVERIFY(c == '\n' || (c >= 0x20 && c < 0x7f));
        QCOMPARE(text.count('\n'), 3);
        // A full disk: the write fails and the file keeps what it held.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit full{16, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &full);
        const bool written = backend.Write(kSettingsKeyPath, "Value", "on a full disk");
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(!written);
        QCOMPARE(ReadFile(path), text);
        QCOMPARE(Entries(QFileInfo(path).path()), QStringList{"Morvek.conf"});
        for (const char* name : {"A=B", "A\nB", "", "[A]"})
            QVERIFY(!backend.Write(kSettingsKeyPath, name, "1"));
        QVERIFY(!backend.Read(kSettingsKeyPath, "A"));
        QVERIFY(!backend.OpenKey("Bad]Key", SettingsBackend::Access::kRead));
        QCOMPARE(EscapeIniValue(" a\\b\xe9\n"), std::string("\\x20a\\\\b\\xE9\\x0A"));
        QCOMPARE(UnescapeIniValue("\\x4a\\x4A\\\\x41\\x4"), std::string("JJ\\x41\\x4"));
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"
