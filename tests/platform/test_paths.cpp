// The template folder beside the program (found in any letter case, created with the sample
// template, or moved to the user's data folder where the program's folder cannot be written) and
// the help file's path.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/paths.h"

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

class TestPaths : public QObject {
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
        QCOMPARE(SampleTemplate(), ReadAll(made + "/standard.htm"));
        // A user's edit survives the next start.
        QFile edited(made + "/standard.htm");
        QVERIFY(edited.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                edited.write("mine") == 4);
        edited.close();
        QCOMPARE(TemplateFolderIn(program.path(), data.path(), true), made);
        QCOMPARE(ReadAll(made + "/standard.htm"), QByteArray("mine"));
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
        // Found there at the next start, without copying again.
        QVERIFY(QFile::remove(made + "/standard.htm"));
        QCOMPARE(TemplateFolderIn(root.filePath("program"), data, true), made);
        QCOMPARE(Entries(made), QStringList{});
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
};

QTEST_GUILESS_MAIN(TestPaths)
#include "test_paths.moc"
