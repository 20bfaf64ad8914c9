// The two programs' command lines: --help, --version, refused options and values, and morvek
// handing the headless options over to morvek-headless with its arguments unchanged.
#include <QtTest>

#include "support/process.h"

using morvek::testing::RunProgram;

class TestFrontEnds : public QObject {
    Q_OBJECT
  private slots:
    void command_lines_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");  // contained in stdout, which is empty if this is
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
        row("headless version", headless, {"-v"}, 0, version, "");
        row("handed over", window, {"--help", "--headless"}, 0, "Usage: morvek-headless [options]",
            "");
        row("window help", window, {"--help"}, 0,
            "Usage: morvek [options] [<n> <address> <port>]\n", "");
        row("headless help", headless, {"-h"}, 0, "  --print-pdf <FILE>", "");
        row("unknown option", window, {"--bogus", "0", "h", "1"}, 2, "",
            "Unknown option 'bogus'.\n\nUsage: morvek ");
        row("missing value", headless, {"--json", "--polls"}, 2, "",
            "Missing value after '--polls'.");
        row("dump without a file", window, {"--dump-log"}, 2, "", "Usage: morvek-headless ");
        row("server type 12", window, {"--headless", "12", "host", "26000"}, 2, "",
            "Error in interpreting command line.  Sintax: Morvek <n> <address> <port>");
        for (const char* bad : {"0", "-1", "soon"})
            row(qPrintable(QString("check ") + bad), headless, {"--check", bad}, 2, "",
                QByteArray("morvek: invalid refresh interval: ") + bad + "\n");
        row("timeout 0", headless, {"--timeout", "0"}, 2, "",
            "morvek: invalid timeout interval: 0\n");
        row("host that does not resolve", headless,
            {"--polls", "1", "0", "nonexistent.invalid", "26000"}, 1, "",
            "morvek: cannot resolve host \"nonexistent.invalid\"\n");
    }
    void command_lines() {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const auto run = RunProgram(program, args, {}, 20000);
        QTEST(run.status, "status");
        QVERIFY2(run.out.contains(out) && run.out.isEmpty() == out.isEmpty(), run.out);
        QVERIFY2(run.err.contains(err) && run.err.isEmpty() == err.isEmpty(), run.err);
    }
};

QTEST_GUILESS_MAIN(TestFrontEnds)
#include "test_front_ends.moc"
