// The headless monitor against bad input: refused intervals, a host that does not resolve, server
// texts that would drive the terminal, and a server that goes away and comes back while recording.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "sim/sim_server.h"

using namespace morvek;

namespace {

struct Run {
    int status = -1;
    QByteArray out, err;
};

// Runs the headless monitor while this test's event loop keeps serving (the simulator lives here).
Run Headless(const QStringList& args) {
    QProcess p;
    p.start(MORVEK_HEADLESS_EXE, args);
    Run r;
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 20000)) p.kill();
    p.waitForFinished();
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

}  // namespace

class TestHeadlessHostile : public QObject {
    Q_OBJECT
  private slots:
    void refused_command_line_values_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("error");
        QTest::addColumn<int>("status");
        QTest::newRow("check 0") << QStringList{"--check", "0"}
                                 << QByteArray("morvek: invalid refresh interval: 0\n") << 2;
        QTest::newRow("check negative")
            << QStringList{"--check", "-1"} << QByteArray("morvek: invalid refresh interval: -1\n")
            << 2;
        QTest::newRow("check not a number")
            << QStringList{"--check", "soon"}
            << QByteArray("morvek: invalid refresh interval: soon\n") << 2;
        QTest::newRow("timeout 0") << QStringList{"--timeout", "0"}
                                   << QByteArray("morvek: invalid timeout interval: 0\n") << 2;
        QTest::newRow("host that does not resolve")
            << QStringList{"0", "nonexistent.invalid", "26000"}
            << QByteArray("morvek: cannot resolve host \"nonexistent.invalid\"\n") << 1;
    }
    void refused_command_line_values() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, error);
        QFETCH(int, status);
        Run r = Headless(QStringList{"--polls", "2"} + args);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.startsWith(error), r.err.constData());
    }

    void server_texts_cannot_drive_the_terminal() {
        sim::SimState state = sim::DemoState(ServerType::QuakeI);
        state.hostname = "evil\x1b]0;pwned\x07\r\nforged row";
        state.players[0].name = "\x1b[2Jwipe";
        sim::SimServer server(state, sim::SimOptions{});
        QVERIFY(server.Start());
        // Shown as Windows-1252 and as players read Quake names: no control character either way.
        QTemporaryDir dir;
        for (const bool readable : {false, true}) {
            const QString settings = dir.filePath(readable ? "readable.conf" : "raw.conf");
            QFile file(settings);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(readable ? "" : "[Software\\Varnoth\\Morvek]\nReadableQuakeNames=False\n");
            file.close();
            Run r = Headless({"--settings", settings, "--polls", "3", "--check", "0.1", "0",
                              "127.0.0.1", QString::number(server.Port())});
            QCOMPARE(r.status, 0);
            QVERIFY(!r.out.contains('\x1b') && !r.out.contains('\x07') && !r.out.contains('\r'));
            QVERIFY(r.out.contains(readable ? "\nServer: evil9]0;pwned#> forged row  map e1m1"
                                            : "\nServer: evil?]0;pwned???forged row  map e1m1"));
            QVERIFY(r.out.contains(readable ? " 9[2Jwipe " : " ?[2Jwipe "));
        }
    }

    void recording_goes_on_across_a_reconnection() {
        QTemporaryDir dir;
        const QString log = dir.filePath("match.mv");
        auto server = std::make_unique<sim::SimServer>(sim::DemoState(ServerType::QuakeWorld),
                                                       sim::SimOptions{});
        QVERIFY(server->Start());
        const quint16 port = server->Port();
        QProcess p;
        p.start(MORVEK_HEADLESS_EXE, {"--check", "0.1", "--polls", "40", "--record", log, "1",
                                      "127.0.0.1", QString::number(port)});
        QTRY_VERIFY_WITH_TIMEOUT(server->Polls() >= 5, 10000);
        server.reset();  // the port closes: the next request meets "port unreachable"
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += p.readAllStandardError()).contains("Error 10061"), 10000);
        const qint64 at_error = QFileInfo(log).size();
        sim::SimOptions same_port;
        same_port.port = port;
        server =
            std::make_unique<sim::SimServer>(sim::DemoState(ServerType::QuakeWorld), same_port);
        QVERIFY(server->Start());
        QTRY_COMPARE_WITH_TIMEOUT(p.state(), QProcess::NotRunning, 20000);
        QCOMPARE(p.exitCode(), 0);
        const qint64 size = QFileInfo(log).size();
        QCOMPARE((size - 46) % 1683, qint64(0));
        QVERIFY2(size >= at_error + 3 * 1683, QByteArray::number(size).constData());
    }
};

QTEST_GUILESS_MAIN(TestHeadlessHostile)
#include "test_headless_hostile.moc"
