// The template folder beside the program (found in any case, created with the sample, or in the
// user's data folder), the help file's path, and the timer seam (interval 0 never fires).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/paths.h"
#include "platform/timer.h"

using namespace morvek::platform;

namespace {
QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "<missing>";
}
QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
}
}  // namespace

class TestPlatform : public QObject {
    Q_OBJECT
  private slots:
    void existing_folder_found_in_any_case_and_never_touched() {
        QTemporaryDir program, data;
        QVERIFY(QDir(program.path()).mkdir("Template"));
        QCOMPARE(TemplateFolderIn(program.path(), data.path(), true), program.filePath("Template"));
        QCOMPARE(Entries(program.filePath("Template")), QStringList{});
        QVERIFY(QDir(program.path()).mkdir("template"));  // both: the lower-case one
        QCOMPARE(TemplateFolderIn(program.path(), data.path(), true), program.filePath("template"));
        QCOMPARE(Entries(data.path()), QStringList{});
    }

    void missing_folder_created_with_the_sample_only_when_asked() {
        QTemporaryDir program, data;
        QCOMPARE(TemplateFolderIn(program.path(), data.path(), false),
                 program.filePath("template"));
        QCOMPARE(Entries(program.path()), QStringList{});
        const QString made = TemplateFolderIn(program.path(), data.path(), true);
        QCOMPARE(made, program.filePath("template"));
        QCOMPARE(Entries(made), QStringList{"standard.htm"});
        QCOMPARE(ReadAll(made + "/standard.htm"),
                 ReadAll(MORVEK_SOURCE_DIR "/resources/template/standard.htm"));
        QVERIFY(QFile::remove(made + "/standard.htm"));  // the folder is found: nothing copied
        QCOMPARE(TemplateFolderIn(program.path(), data.path(), true), made);
        QCOMPARE(Entries(made), QStringList{});
    }

    // A program "folder" that is a file cannot hold a folder, whoever runs the test.
    void unwritable_program_folder_falls_back() {
        QTemporaryDir root;
        QFile blocker(root.filePath("program"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString data = root.filePath("data/Morvek");
        const QString made = TemplateFolderIn(root.filePath("program"), data, true);
        QCOMPARE(made, data + "/template");
        QCOMPARE(ReadAll(made + "/standard.htm"), SampleTemplate());
    }

    void help_file_found_in_any_case() {
        const QString folder = QCoreApplication::applicationDirPath();
        QCOMPARE(HelpFilePath(), QDir(folder).filePath("Morvek.hlp"));
        QFile help(QDir(folder).filePath("MORVEK.HLP"));
        if (help.exists()) QSKIP("a help file already lies beside the test program");
        QVERIFY(help.open(QIODevice::WriteOnly));
        help.close();
        const QString found = HelpFilePath();
        help.remove();
        QCOMPARE(found, help.fileName());
    }

    void interval_0_never_fires_even_when_enabled() {
        Timer timer(0);
        int ticks = 0;
        connect(&timer, &Timer::Tick, [&] { ++ticks; });
        timer.SetEnabled(true);
        QTest::qWait(30);
        QCOMPARE(ticks, 0);
        QVERIFY(timer.Enabled() && !timer.Running());
        // A running timer whose interval drops to 0 stops; raising it again starts it.
        timer.SetInterval(5);
        QTRY_VERIFY_WITH_TIMEOUT(ticks > 0, 2000);
        timer.SetInterval(0);
        ticks = 0;
        QTest::qWait(30);
        QCOMPARE(ticks, 0);
    }

    void enabled_and_interval_decide_running_data() {
        QTest::addColumn<qint64>("interval");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<qint64>("kept");
        QTest::addColumn<bool>("running");
        QTest::newRow("disabled") << qint64(5000) << false << qint64(5000) << false;
        QTest::newRow("above_65535_ms") << qint64(70000) << true << qint64(70000) << true;
        QTest::newRow("negative_is_0") << qint64(-5) << true << qint64(0) << false;
        QTest::newRow("past_int_is_the_largest")
            << (qint64(1) << 33) << true << qint64(2147483647) << true;
    }
    void enabled_and_interval_decide_running() {
        QFETCH(qint64, interval);
        QFETCH(bool, enabled);
        Timer timer;
        timer.SetInterval(interval);
        timer.SetEnabled(enabled);
        QFETCH(qint64, kept);
        QCOMPARE(qint64(timer.Interval()), kept);
        QTEST(timer.Running(), "running");
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"
