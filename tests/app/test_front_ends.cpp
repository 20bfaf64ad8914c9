// The two programs' command lines: --help, --version, bad options, and morvek handing the
// headless options over to morvek-headless with its arguments unchanged.
#include <QProcess>
#include <QtTest>

class TestFrontEnds : public QObject {
    Q_OBJECT
  private slots:
    void options_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QString window = MORVEK_EXE, headless = MORVEK_HEADLESS_EXE;
        const QByteArray version = QByteArray("Morvek ") +
                                   QByteArray::number(MORVEK_VERSION_MAJOR) + "." +
                                   QByteArray::number(MORVEK_VERSION_MINOR) + "." +
                                   QByteArray::number(MORVEK_VERSION_PATCH) + "\n";
        QTest::newRow("window version")
            << window << QStringList{"--version"} << 0 << version << QByteArray();
        QTest::newRow("headless version")
            << headless << QStringList{"-v"} << 0 << version << QByteArray();
        QTest::newRow("handed over")
            << window << QStringList{"--help", "--headless"} << 0
            << QByteArray("Usage: morvek-headless [options]") << QByteArray();
        QTest::newRow("window help")
            << window << QStringList{"--help"} << 0
            << QByteArray("Usage: morvek [options] [<n> <address> <port>]\n") << QByteArray();
        QTest::newRow("headless help") << headless << QStringList{"-h"} << 0
                                       << QByteArray("  --print-pdf <FILE>") << QByteArray();
        QTest::newRow("window unknown option")
            << window << QStringList{"--bogus", "0", "h", "1"} << 2 << QByteArray()
            << QByteArray("Unknown option 'bogus'.\n\nUsage: morvek ");
        QTest::newRow("missing value")
            << headless << QStringList{"--json", "--polls"} << 2 << QByteArray()
            << QByteArray("Missing value after '--polls'.");
        QTest::newRow("dump without a file")
            << window << QStringList{"--dump-log"} << 2 << QByteArray()
            << QByteArray("Usage: morvek-headless ");
    }
    void options() {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QProcess p;
        p.start(program, args);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QTEST(p.exitCode(), "status");
        const QByteArray stdout_text = p.readAllStandardOutput();
        const QByteArray stderr_text = p.readAllStandardError();
        QVERIFY2(stdout_text.contains(out), stdout_text.constData());
        QVERIFY2(stderr_text.contains(err), stderr_text.constData());
        // Help and version go to stdout alone; errors to stderr alone.
        QCOMPARE(stdout_text.isEmpty(), out.isEmpty());
        QCOMPARE(stderr_text.isEmpty(), err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFrontEnds)
#include "test_front_ends.moc"
