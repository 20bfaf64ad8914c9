// The two programs end to end: command lines, JSON lines, events, files, hostile input.
#include <sys/stat.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>
#include <csignal>
#include <memory>

#include "log/recorder.h"
#include "query/connection.h"
#include "support/files.h"
#include "support/http.h"
#include "support/process.h"
#include "support/rig.h"

using namespace morvek;
using namespace morvek::testing;

namespace {

constexpr qint64 kHeader = 46, kRecord = 1683;

// "event name" of each event line, and "title|text" of each message line, in `messages`.
QStringList Events(const QByteArray& out, QStringList* messages = nullptr) {
    QStringList events;
    for (const QByteArray& line : out.split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.contains("event"))
            events << (o["event"].toString() + " " + o["name"].toString()).trimmed();
        if (o.contains("message") && messages)
            *messages << o["message"]["title"].toString() + "|" + o["message"]["text"].toString();
    }
    return events;
}

bool AllJson(const QByteArray& out) {
    for (const QByteArray& line : out.split('\n'))
        if (!line.isEmpty() && !QJsonDocument::fromJson(line).isObject()) return false;
    return true;
}

}  // namespace

class TestHeadless : public QObject {
    Q_OBJECT
    QTemporaryDir home_;
    QUdpSocket silent_;  // bound, so no "port unreachable": a plain timeout
    QUdpSocket flood_;   // answers every request with 20 replies of an unknown code
    std::unique_ptr<sim::SimServer> evil_;  // names that would drive a terminal

  private slots:
    void initTestCase() {
        sim::SimState evil = sim::DemoState(ServerType::QuakeI);
        evil.hostname = "evil\x1b]0;pwned\x07\r\nforged row";
        evil.players[0].name = "\x1b[2Jwipe";
        evil_ = std::make_unique<sim::SimServer>(evil, sim::SimOptions{});
        QVERIFY(evil_->Start() && silent_.bind(QHostAddress::LocalHost, 0) &&
                flood_.bind(QHostAddress::LocalHost, 0));
        QVERIFY(testing::WriteFile(home_.filePath("raw.conf"),
                                   "[Software\\Varnoth\\Morvek]\nReadableQuakeNames=False\n"));
        connect(&flood_, &QUdpSocket::readyRead, this, [this] {
            while (flood_.hasPendingDatagrams()) {
                const QNetworkDatagram asked = flood_.receiveDatagram();
                for (int i = 0; i < 20; ++i)
                    flood_.writeDatagram(QByteArray("\x80\x00\x00\x05\x99", 5),
                                         asked.senderAddress(), asked.senderPort());
            }
        });
    }
    void command_lines_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");  // each part between bars is in stdout; empty: none
        QTest::addColumn<QByteArray>("err");  // the same for stderr
        const QString window = MORVEK_EXE, headless = MORVEK_HEADLESS_EXE;
        const QByteArray version = "Morvek " + QByteArray::number(MORVEK_VERSION_MAJOR) + "." +
                                   QByteArray::number(MORVEK_VERSION_MINOR) + "." +
                                   QByteArray::number(MORVEK_VERSION_PATCH) + "\n";
        auto row = [&](const char* name, const QString& program, const QStringList& args,
                       int status, const QByteArray& out, const QByteArray& err) {
            QTest::newRow(name) << program << args << status << out << err;
        };
        row("window version", window, {"--version"}, 0, version, "");
        row("handed over", window, {"--help", "--headless"}, 0, "Usage: morvek-headless [options]",
            "");
        row("unknown option", window, {"--bogus", "0", "h", "1"}, 2, "",
            "Unknown option 'bogus'.\n\nUsage: morvek ");
        row("missing value", headless, {"--json", "--polls"}, 2, "",
            "Missing value after '--polls'.");
        row("dump without a file", window, {"--dump-log"}, 2, "", "Usage: morvek-headless ");
        row("server type 12", window, {"--headless", "12", "host", "26000"}, 2, "",
            "Error in interpreting command line.  Sintax: Morvek <n> <address> <port>");
        // "option value what": a refused value is named with what it was for.
        for (const char* refused :
             {"--check soon refresh interval", "--metrics localhost:9100 metrics address",
              "--timeout 0 timeout interval", "--polls abc poll count", "--polls -5 poll count",
              "--polls 1e999 poll count", "--polls 0 poll count",
              "--html-refresh nan page refresh interval"}) {
            const QStringList w = QString(refused).split(' ');
            row(refused, headless, w.mid(0, 2), 2, "",
                "morvek: invalid " + w.mid(2).join(' ').toUtf8() + ": " + w[1].toUtf8() + "\n");
        }
        row("demo 9", headless, {"--demo", "9"}, 2, "",
            "morvek: --demo takes one server type, 0 to 3\n");
        row("hook not found", headless, {"--on-event", "no-such-hook 'a b'"}, 2, "",
            "morvek: --on-event: cannot run no-such-hook\n");
        row("hook quote", headless, {"--on-event", "sh -c 'echo"}, 2, "",
            "morvek: --on-event: unterminated quote in sh -c 'echo\n");
        // Names read as Windows-1252 (not as Quake glyphs): control characters show as '?'.
        row("server texts cannot drive the terminal", headless,
            {"--settings", home_.filePath("raw.conf"), "--polls", "3", "--check", "0.1", "0",
             "127.0.0.1", QString::number(evil_->Port())},
            0, "\nServer: evil?]0;pwned???forged row  map e1m1| ?[2Jwipe ", "");
        row("host that does not resolve", headless,
            {"--polls", "1", "0", "nonexistent.invalid", "26000"}, 1, "",
            "morvek: cannot resolve host \"nonexistent.invalid\"\n");
        const char* names[] = {"Quake I", "QuakeWd", "Hexen II", "Quake II"};
        for (int type = 0; type < 4; ++type)
            row(names[type], headless,
                {"--demo", QString::number(type), "--json", "--polls", "3", "--check", "0.2"}, 0,
                "\"state\":\"TryingToConnect\",\"tick\":1}|\"name\":\"Ranger\"|\"players\":\"6\"|" +
                    QByteArray("\"type\":\"") + names[type] +
                    (type % 2 ? "\"|\"rules\":[\"deathmatch"
                              : "\"|\"rules\":[],\"server\":{\"addr") +
                    "|},\"state\":\"Connected\",\"tick\":3}\n",
                "");
    }
    void command_lines() {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const auto run = RunProgram(program, args, home_.path(), 20000);
        QTEST(run.status, "status");
        for (const auto& [text, parts] : {std::pair(run.out, out), std::pair(run.err, err)}) {
            QVERIFY2(text.isEmpty() == parts.isEmpty(), text);
            QVERIFY(!run.out.contains('\x1b') && !run.out.contains('\x07') &&
                    !run.out.contains('\r'));
            for (const QByteArray& part : parts.split('|')) QVERIFY2(text.contains(part), text);
        }
    }

    // Settings are only read, whoever runs it: a daemon account without a home (root runs the
    // monitor as nobody), a store nobody may write, a folder that is missing. Nothing changes.
    void settings_are_only_read_data() {
        QTest::addColumn<QString>("settings");
        for (const char* store : {"", "ro/Morvek.conf", "new/deep/x.conf"})
            QTest::newRow(store) << store;
    }
    void settings_are_only_read() {
        QFETCH(QString, settings);
        QTemporaryDir dir;
        const QString store = dir.filePath("ro/Morvek.conf");
        const QByteArray stored = "[Software\\Varnoth\\Morvek]\r\nCheckInterval=0.1\r\n\xff\x01\r";
        QVERIFY(QDir().mkpath(dir.filePath("ro")));
        QVERIFY(testing::WriteFile(store, stored));
        for (const auto& [path, mode] :
             {std::pair(store, 0444), {dir.filePath("ro"), 0555}, {dir.path(), 0755}})
            QCOMPARE(chmod(QFile::encodeName(path), mode), 0);
        QStringList args =
            QString("-u nobody -- env -u XDG_CONFIG_HOME HOME=/nonexistent " MORVEK_HEADLESS_EXE
                    " --demo 1 --polls 2 --check 0.1")
                .split(' ');
        if (!settings.isEmpty()) args << "--settings" << dir.filePath(settings);
        const auto run = geteuid() == 0 ? RunProgram("runuser", args)
                                        : RunProgram(args[6], args.mid(7), dir.filePath("home"));
        QCOMPARE(QString("%1 %2").arg(run.status).arg(run.err), "0 ");
        QCOMPARE(testing::ReadFile(store), stored);
        const QDir::Filters all = QDir::NoDotAndDotDot | QDir::AllEntries;
        QCOMPARE(QDir(dir.path()).entryList(all) + QDir(dir.filePath("ro")).entryList(all),
                 QStringList({"ro", "Morvek.conf"}));
    }

    // The README's hooks run as written on an event; a hook that prints and leaves a child behind:
    // its output goes to stderr, and SIGTERM ends the run at once, the whole group killed.
    void hooks_as_the_readme_gives_them() {
        QStringList hooks{"sh -c 'sleep 100 & echo $! >pid; echo not json; wait'"};
        auto found = QRegularExpression("--on-event \"([^\"]+)\"")
                         .globalMatch(testing::ReadFile(MORVEK_SOURCE_DIR "/README.md"));
        while (found.hasNext()) hooks << found.next().captured(1);
        hooks.removeDuplicates();
        QCOMPARE(hooks.size(), 3);
        QTcpServer web;
        QVERIFY(web.listen(QHostAddress::LocalHost));
        QByteArray request;
        connect(&web, &QTcpServer::newConnection, this, [&] {
            QTcpSocket* peer = web.nextPendingConnection();
            connect(peer, &QTcpSocket::readyRead, peer, [&request, peer] {
                if ((request += peer->readAll()).endsWith("}\n"))
                    peer->write("HTTP/1.1 204 No Content\r\n\r\n");
            });
        });
        for (QString hook : hooks) {
            QTemporaryDir dir;
            hook.replace("127.0.0.1:8080", "127.0.0.1:" + QString::number(web.serverPort()));
            sim::SimServer server(sim::DemoState(ServerType::QuakeWorld), {.move = false});
            QVERIFY(server.Start());
            QProcess morvek;
            morvek.setWorkingDirectory(dir.path());
            morvek.start(MORVEK_HEADLESS_EXE,
                         {"--json", "--keep-trying", "--check", "0.1", "--timeout", "0.3",
                          "--on-event", hook, "1", "127.0.0.1", QString::number(server.Port())});
            QVERIFY(WaitFor([&] { return server.Polls() >= 3; }, 10000));
            server.SetAnswering(false);
            const QString effect =
                hook.startsWith("sh") ? hook.contains("pid") ? "pid" : "events.jsonl" : "";
            auto done = [&] {
                return effect.isEmpty() ? request.contains("\"silent\"")
                                        : QFile::exists(dir.filePath(effect));
            };
            QVERIFY2(WaitFor(done, 10000), qPrintable(hook));
            const QByteArray pid = testing::ReadFile(dir.filePath("pid")).trimmed(),
                             child = "/proc/" + pid + "/stat";
            morvek.terminate();
            QVERIFY(WaitFor([&] { return morvek.state() == QProcess::NotRunning; }, 10000));
            QCOMPARE(morvek.exitCode(), 0);
            QVERIFY(AllJson(morvek.readAllStandardOutput()));
            const QByteArray err = morvek.readAllStandardError();
            QVERIFY2(!err.contains("morvek: ") && err.contains("not json") == (effect == "pid"),
                     err);
            QVERIFY2(
                !effect.isEmpty() || request.contains("\r\nContent-Type: application/json\r\n"),
                request);
            QCOMPARE(Events(testing::ReadFile(dir.filePath("events.jsonl"))),
                     effect == "events.jsonl" ? QStringList{"silent"} : QStringList{});
            QVERIFY(WaitFor([&] { return !testing::ReadFile(child).contains(") S "); }));
        }
    }

    // A server answering one request a second, 16 players, two Rangers and seven bots named Bot:
    // all listed within (16 + 1) x 1.1 s and a poll of the first reply, once each, every tick
    // after, and nobody joins or leaves. One-second polls leave no room between two polls.
    void busy_server_lists_everyone_once() {
        sim::SimState state = sim::DemoState(ServerType::QuakeI);
        state.players.push_back(state.players[0]);
        state.players.back().address = "192.0.2.99:27001";
        for (int i = 0; i < 9; ++i) {
            sim::SimPlayer& p = state.players.emplace_back();
            p.name = i < 2 ? "Player" + std::to_string(i) : "Bot";
            p.address = i < 2 ? "192.0.2.7" + std::to_string(i) + ":26000" : "botclient";
            p.seconds = 6;
        }
        // A limit a little under the monitor's 1.05 s gap: the test's own event loop, which
        // serves the simulator, may see two requests closer than they were sent.
        sim::SimServer server(state, {.reply_interval_ms = 900});
        QVERIFY(server.Start());
        constexpr int kWholeBy = 1 + 20, kTicks = kWholeBy + 5;  // 17 x 1.1 s + 1 s, in ticks
        const auto run = RunProgram(
            MORVEK_HEADLESS_EXE,
            {"--json", "--check", "1", "--timeout", "10", "--polls", QString::number(kTicks),
             "--settings", "none.ini", "0", "127.0.0.1", QString::number(server.Port())},
            home_.path(), 90000);
        QCOMPARE(run.status, 0);
        QStringList expected;
        for (const sim::SimPlayer& p : state.players) expected << QString::fromStdString(p.name);
        expected.sort();
        int ticks = 0;
        for (const QByteArray& line : run.out.split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            QVERIFY2(!o.contains("event") || o["event"] == "lead", line);
            if (o["tick"].toInt() < kWholeBy || !o.contains("players")) continue;
            ++ticks;
            QStringList present;
            for (const QJsonValue& player : o["players"].toArray())
                present << player["name"].toString() + player["present"].toString();
            present.sort();
            QCOMPARE(present.join(' '), expected.join("1 ") + "1");
        }
        QCOMPARE(ticks, kTicks - kWholeBy + 1);
    }

    void one_run_records_publishes_and_prints() {
        QTemporaryDir dir;
        const QString log = dir.filePath("match.mv"), page = dir.filePath("page.htm"),
                      pdf = dir.filePath("report.pdf"), tpl = "mine.htm";  // as installed
        QVERIFY(QDir().mkpath(home_.filePath("system/morvek/template")));
        QVERIFY(testing::WriteFile(home_.filePath("system/morvek/template/Mine.htm"),
                                   "<h1>\n{ServerName}\n</h1>\r\n{PlayerList}\r\n"));
        QVERIFY(testing::WriteFile(log, "an older log"));
        const auto run = RunProgram(MORVEK_EXE,
                                    {"--headless", "--demo", "--polls", "4", "--check", "0.3",
                                     "--record", log, "--html-template", tpl, "--html-output", page,
                                     "--html-refresh", "0.2", "--print-pdf", pdf},
                                    home_.path());
        QCOMPARE(run.status, 0);
        // Records from the second tick on (the first is still trying to connect).
        const qint64 records = (QFileInfo(log).size() - kHeader) / kRecord;
        const auto dump = RunProgram(MORVEK_EXE, {"--dump-log", log}, home_.path());
        QCOMPARE(QFileInfo(log).size(), kHeader + records * kRecord);
        QVERIFY(records >= 2 && dump.status == 0 && dump.out.count('\n') == 1 + records);
        const QByteArray html = testing::ReadFile(page);
        QVERIFY(html.startsWith("<h1>\r\nMorvek demo server\r\n</h1>\r\n<Table border=1>\r\n"));
        QVERIFY(html.contains("Ranger"));
        QVERIFY(testing::ReadFile(pdf).startsWith("%PDF-"));
    }

    // Outputs that cannot be written are told once each, and the status says so; an old log stays
    // until a first record replaces it. A server flooding unknown replies: a few message lines.
    void outputs_that_fail_data() {
        QTest::addColumn<QStringList>("args");  // %1: the test's folder
        QTest::addColumn<QString>("shell");     // how bash runs it (%): a full disk, a closed pipe
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");  // the lines of stderr, sorted
        const QStringList demo{"--demo", "--polls", "3", "--check", "0.2", "--html-refresh", "0.1"};
        const QString cannot = "Morvek: cannot write the ";
        QTest::newRow("no folder")
            << demo +
                   QString("--record %1/no/x.mv --html-output %1/no/p.htm --print-pdf %1/no/r.pdf")
                       .split(' ')
            << "%" << 3
            << cannot + "log %1/no/x.mv: No such file or directory\n" + cannot +
                   "page %1/no/p.htm: No such file or directory\n" + cannot + "report %1/no/r.pdf";
        QTest::newRow("page too large")
            << demo + QStringList{"--html-template", "%1/big.htm", "--html-output", "%1/p.htm"}
            << "%" << 3 << cannot + "page %1/p.htm: the page would be larger than 8 MB";
        QTest::newRow("full disk")
            << demo + QString("--record %1/old.mv --html-output %1/old.htm --print-pdf %1/old.pdf")
                          .split(' ')
            << "ulimit -f 1; %" << 3
            << cannot + "log %1/old.mv: Unknown error\n" + cannot +
                   "page %1/old.htm: Unknown error\n" + cannot + "report %1/old.pdf";
        // A web folder where the page may be rewritten but no new file made: written in place.
        QTest::newRow("folder closed to new files")
            << demo + QStringList{"--html-output", "%1/web/index.htm"} << "%" << 0 << "";
        // Nobody reads the output any more: the run ends at once, long before its next poll.
        const QStringList slow{"--demo", "1", "--json", "--check", "60"};
        QTest::newRow("stdout on a full disk")
            << slow << "% >/dev/full" << 141
            << "morvek: cannot write to standard output: No space left on device";
        QTest::newRow("reader closed the pipe")
            << slow << "% | head -n 1 >/dev/null; exit ${PIPESTATUS[0]}" << 141
            << "morvek: cannot write to standard output: Broken pipe";
        const QStringList page{"--html-template", "%1/папка/шаблон.htm", "--html-output"};
        QTest::newRow("Cyrillic names")
            << demo + page + QStringList{"%1/статус.html"} << "%" << 0 << "";
        QTest::newRow("not UTF-8")
            << demo + page + QStringList{"%1/" + QFile::decodeName("p\xfd.html")} << "%" << 0 << "";
        QTest::newRow("server silent")
            << QString("--json --record %1/old.mv --timeout 0.3 0 127.0.0.1 %2").split(' ') << "%"
            << 1 << "Brelan+: " + QString(kTimeoutText);
        QTest::newRow("flood") << QString("--json --polls 15 --check 0.1 0 127.0.0.1 %3").split(' ')
                               << "%" << 0 << "Morvek: 153\nMorvek: 153 (n more times)";
    }
    void outputs_that_fail() {
        QFETCH(QStringList, args);
        QFETCH(QString, shell);
        QTemporaryDir dir;
        QVERIFY(testing::WriteFile(dir.filePath("big.htm"),
                                   QByteArray("{PlayerList}\n").repeated(8000)));
        for (const char* old : {"old.mv", "old.htm", "old.pdf", "web/index.htm"})
            QVERIFY(testing::WriteFile(dir.filePath(old), "an older log"));
        QVERIFY(QFile::setPermissions(dir.filePath("web"), QFile::ReadOwner | QFile::ExeOwner));
        const bool web = args.contains("%1/web/index.htm");
        QVERIFY(testing::WriteFile(dir.filePath("папка/шаблон.htm"), "<p>"));
        args.replaceInStrings("%2", QString::number(silent_.localPort()))
            .replaceInStrings("%3", QString::number(flood_.localPort()));
        // Root may write anywhere: its run here may not.
        QStringList line{"bash", "-c", "trap '' XFSZ; " + shell.replace("%", "exec \"$0\" \"$@\""),
                         MORVEK_HEADLESS_EXE};
        if (geteuid() == 0)
            line = QStringList{"setpriv", "--bounding-set=-dac_override,-dac_read_search"} + line;
        const QString program = line.takeFirst();
        const auto run = RunProgram(program, line + args.replaceInStrings("%1", dir.path()));
        QTEST(run.status, "status");
        QStringList lines = QString(run.err).split('\n', Qt::SkipEmptyParts);
        lines.removeIf([](const QString& l) { return l.startsWith("QStandardPaths: "); });
        QVERIFY2(lines.size() < 16 && (!args.contains("--json") || AllJson(run.out)), run.err);
        lines.replaceInStrings(QRegularExpression(" \\(\\d+ more times\\)$"), " (n more times)");
        QVERIFY(lines.count("Morvek: 153") % 10 == 0);
        lines.sort();
        lines.removeDuplicates();
        QFETCH(QString, err);
        QCOMPARE(lines.join(QChar(10)), err.replace("%1", dir.path()));
        for (const char* old : {"old.mv", "old.htm", "old.pdf"})
            QCOMPARE(testing::ReadFile(dir.filePath(old)), "an older log");
        QCOMPARE(testing::ReadFile(dir.filePath("web/index.htm")).startsWith("<!DOCTYPE"), web);
        QCOMPARE(QDir(dir.filePath("web")).entryList(QDir::Files), QStringList({"index.htm"}));
        QFile::setPermissions(dir.filePath("web"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (args.contains(dir.filePath("папка/шаблон.htm")))  // the page, under the name given
            QCOMPARE(testing::ReadFile(args.last()), "<p>\r\n");
    }

    // The server's process freezes, or dies (its port refuses) and starts again on the same port
    // with fewer players, some under new ids or addresses. Nobody leaves while it is away; those
    // still there do not join again; the others leave once, with its first whole list.
    void server_goes_away_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("keep_trying");
        QTest::addColumn<QString>("restart");  // the players it comes back with; "": it freezes
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QStringList>("messages");
        const QStringList played{"join Shambler", "map e1m2", "silent"};
        QTest::newRow("frozen") << "1" << false << "" << played
                                << QStringList{"Brelan+|" + QString(kTimeoutText)};
        QTest::newRow("frozen, keep trying")
            << "1" << true << "" << played + QStringList{"back"} << QStringList{};
        QTest::newRow("QuakeWorld restarts")
            << "1" << true << "--players 4 --name Grunt --name Ranger --name Shambler"
            << QStringList{"silent", "back", "leave Lady Death", "leave Zombie", "lead Shambler"}
            << QStringList{};
        QTest::newRow("Quake I restarts")
            << "0" << true << "--players 3 --name Grunt --name Ranger --name Newbie"
            << QStringList{"silent",       "back",           "leave Lady Death", "leave [VX]Vore",
                           "leave Zombie", "leave Shambler", "join Newbie",      "lead Newbie"}
            << QStringList{};
        QTest::newRow("dies") << "1" << false << "-" << QStringList{"silent"}
                              << QStringList{"Morvek|Error 10061 (Connection refused)"};
    }
    void server_goes_away() {
        QFETCH(QString, type);
        QFETCH(bool, keep_trying);
        QFETCH(QString, restart);
        QProcess sim, morvek;
        const auto start_sim = [&](const QString& port, const QString& players) {
            sim.start(MORVEK_SIM_EXE, QStringList{"-t", type, "--still", "-p", port} +
                                          players.split(' ', Qt::SkipEmptyParts));
            QVERIFY(sim.waitForReadyRead(10000));
        };
        start_sim("0", restart.isEmpty() ? "--join-after 2 --map-change-after 4" : "");
        const QString port = QString(sim.readAllStandardOutput()).section(' ', 1).trimmed();
        QByteArray out;
        // Waits for a line with `state` at or after the first `event`.
        const auto after = [&](const char* event, const char* state) {
            return WaitFor(
                [&] {
                    out += morvek.readAllStandardOutput();
                    return out.contains(event) && out.indexOf(state, out.indexOf(event)) >= 0;
                },
                10000);
        };
        const quint16 metrics = testing::FreeTcpPort();
        // Presence lasts three polls: longer than the restart.
        QStringList args{"--json",    "--check",   "0.5",
                         "--timeout", "0.2",       "--settings",
                         "none.ini",  "--metrics", QString::number(metrics),
                         type,        "127.0.0.1", port};
        if (keep_trying) args.prepend("--keep-trying");
        morvek.start(MORVEK_HEADLESS_EXE, args);
        QVERIFY(after(restart.isEmpty() ? "\"event\":\"map\"" : "\"tick\"", "\"Connected\""));
        if (restart.isEmpty())
            ::kill(pid_t(sim.processId()), SIGSTOP);
        else
            sim.kill();
        if (keep_trying) {
            QVERIFY(after("\"silent\"", "\"state\":\"TryingToConnect\""));
            // While the server is away the metrics show no players.
            const QByteArray scraped = HttpRequest(metrics, "GET", "/metrics").body;
            QVERIFY2(scraped.contains("\nmorvek_up 0\n") && !scraped.contains("\nmorvek_player") &&
                         !scraped.contains("\nmorvek_max_players "),
                     scraped);
            if (restart.isEmpty())
                ::kill(pid_t(sim.processId()), SIGCONT);
            else
                start_sim(port, restart);
            QVERIFY(after("\"back\"", "\"state\":\"Connected\""));
            // A few polls more, for a late or second leave.
            const qsizetype back = out.indexOf("\"back\"");
            QVERIFY(WaitFor([&] {
                out += morvek.readAllStandardOutput();
                return out.mid(back).count("\"tick\"") > 6;
            }));
            // Leaves and joins come with the first reply back.
            QRegularExpression told("\"(back|leave|join|lead)\".*\"tick\":(\\d+)");
            QSet<QString> ticks;
            for (auto m = told.globalMatch(out.mid(back)); m.hasNext();)
                ticks << m.next().captured(2);
            QCOMPARE(ticks.size(), 1);
        }
        if (keep_trying) morvek.terminate();
        QVERIFY(WaitFor([&] { return morvek.state() == QProcess::NotRunning; }, 10000));
        QCOMPARE(morvek.exitCode(), 0);
        sim.kill();
        sim.waitForFinished();
        QStringList messages;
        QTEST(Events(out + morvek.readAllStandardOutput(), &messages), "events");
        QTEST(messages, "messages");
    }

    void pipes_are_never_deleted_nor_replaced() {
        QTemporaryDir dir;
        const QString fifo = dir.filePath("fifo");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        Rig rig;
        rig.dialogs.files = {fifo.toStdString()};
        StartRecording(rig.monitor, rig.dialogs, rig.hooks);
        QCOMPARE(rig.dialogs.Texts(), std::vector{fifo.toStdString() + " is not a regular file"});
        QVERIFY(!rig.monitor.recording);
        QVERIFY(!AppendLogRecord(fifo, {}, {}));  // would wait for a reader
        // A link is not followed, nor replaced, whatever it points to.
        const QString link = dir.filePath("link"), target = dir.filePath("target");
        QVERIFY(testing::WriteFile(target, "kept"));
        QVERIFY(QFile::link(target, link));
        for (const QString& node : {fifo, link})
            for (const char* option : {"--record", "--html-output", "--print-pdf"}) {
                const auto run =
                    RunProgram(MORVEK_HEADLESS_EXE, {"--demo", "--polls", "1", option, node});
                QCOMPARE(run.status, 2);
                QCOMPARE(run.err, "morvek: " + node.toLocal8Bit() + " is not a regular file\n");
            }
        QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
        QCOMPARE(QFileInfo(link).symLinkTarget() + testing::ReadFile(target), target + "kept");
    }
};

QTEST_MAIN(TestHeadless)
#include "test_headless.moc"
