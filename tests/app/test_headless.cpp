// The headless program end to end: the simulator inside it, exit statuses, JSON lines, a recorded
// log read back with --dump-log, the published page and the PDF report.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QByteArray out, err;
};

Run Morvek(QStringList args, const QTemporaryDir& dir, int timeout_ms = 30000) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("XDG_DATA_HOME", dir.filePath("data"));
    p.setProcessEnvironment(env);
    p.start(MORVEK_EXE, args);
    Run r;
    if (!p.waitForFinished(timeout_ms)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QList<QJsonObject> JsonLines(const QByteArray& out) {
    QList<QJsonObject> lines;
    for (const QByteArray& line : out.split('\n')) {
        if (line.trimmed().isEmpty()) continue;
        QJsonParseError error;
        QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError) return {};
        lines.append(doc.object());
    }
    return lines;
}

}  // namespace

class TestHeadless : public QObject {
    Q_OBJECT
  private slots:
    void demo_in_json_for_every_server_type() {
        QTemporaryDir dir;
        for (int type = 0; type <= 3; ++type) {
            Run r = Morvek({"--headless", "--demo", QString::number(type), "--json", "--polls", "3",
                            "--check", "0.2"},
                           dir);
            QCOMPARE(r.status, 0);
            auto lines = JsonLines(r.out);
            QCOMPARE(lines.size(), 3);
            QCOMPARE(lines[0]["tick"].toInt(), 1);
            QCOMPARE(lines[0]["state"].toString(), QString("TryingToConnect"));
            const QJsonObject last = lines[2];
            QCOMPARE(last["state"].toString(), QString("Connected"));
            const char* names[] = {"Quake I", "QuakeWd", "Hexen II", "Quake II"};
            QCOMPARE(last["server"].toObject()["type"].toString(), QString(names[type]));
            QJsonArray players = last["players"].toArray();
            QCOMPARE(players.size(), 6);
            QCOMPARE(players[0].toObject()["name"].toString(), QString("Ranger"));
            QVERIFY(!last["server"].toObject()["ping"].toString().isEmpty());
            if (type == 1 || type == 3) QVERIFY(!last["rules"].toArray().isEmpty());
        }
    }

    void bad_command_line_exits_2_with_the_syntax_message() {
        QTemporaryDir dir;
        Run r = Morvek({"--headless", "12", "host", "26000"}, dir);
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains("Error in interpreting command line."));
        QVERIFY(r.err.contains("Sintax: Morvek <n> <address> <port>"));
    }

    void server_that_never_answers_exits_1_after_the_timeout() {
        QTemporaryDir dir;
        QUdpSocket silent;  // bound, so no "port unreachable": a plain timeout
        QVERIFY(silent.bind(QHostAddress::LocalHost, 0));
        Run r = Morvek({"--headless", "--json", "--check", "0.1", "--timeout", "0.5", "0",
                        "127.0.0.1", QString::number(silent.localPort())},
                       dir);
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains("Brelan+: Timeout time elapsed."));
        bool message_line = false;
        for (const QJsonObject& line : JsonLines(r.out))
            message_line |= line["message"].toObject()["title"].toString() == "Brelan+";
        QVERIFY(message_line);
    }

    void record_then_dump_the_log() {
        QTemporaryDir dir;
        const QString log = dir.filePath("match.mv");
        Run r = Morvek({"--headless", "--demo", "--polls", "4", "--check", "0.2", "--record", log},
                       dir);
        QCOMPARE(r.status, 0);
        QFileInfo info(log);
        QVERIFY(info.exists());
        // Records are written from the second tick on (the first is still trying to connect).
        QVERIFY(info.size() >= 46 + 1683 * 2);
        QCOMPARE((info.size() - 46) % 1683, qint64(0));

        Run dump = Morvek({"--dump-log", log}, dir);
        QCOMPARE(dump.status, 0);
        auto lines = JsonLines(dump.out);
        QCOMPARE(qint64(lines.size()), 1 + (info.size() - 46) / 1683);
        QVERIFY(QJsonDocument(lines[1]).toJson().contains("Ranger"));
    }

    void publishes_the_page_and_prints_the_report() {
        QTemporaryDir dir;
        const QString page = dir.filePath("page.htm");
        const QString pdf = dir.filePath("report.pdf");
        QFile tpl(dir.filePath("mine.htm"));
        QVERIFY(tpl.open(QIODevice::WriteOnly));
        tpl.write("<h1>\r\n{ServerName}\r\n</h1>\r\n{PlayerList}\r\n");
        tpl.close();
        Run r = Morvek(
            {"--headless", "--demo", "--polls", "4", "--check", "0.3", "--html-template",
             tpl.fileName(), "--html-output", page, "--html-refresh", "0.2", "--print-pdf", pdf},
            dir);
        QCOMPARE(r.status, 0);
        QFile out(page);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QByteArray html = out.readAll();
        QVERIFY(html.startsWith("<h1>\r\nMorvek demo server\r\n</h1>\r\n<Table border=1>\r\n"));
        QVERIFY(html.contains("Ranger"));
        QFile report(pdf);
        QVERIFY(report.open(QIODevice::ReadOnly));
        QVERIFY(report.read(5) == "%PDF-");
    }
};

QTEST_GUILESS_MAIN(TestHeadless)
#include "test_headless.moc"
