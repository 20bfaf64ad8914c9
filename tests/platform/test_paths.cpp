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
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll();
}

QByteArray ShippedSample() {
    return ReadAll(QStringLiteral(MORVEK_SOURCE_DIR "/resources/template/standard.htm"));
}

}  // namespace

class TestPaths : public QObject {
    Q_OBJECT
  private slots:
    void sample_template_is_embedded();
    void existing_folder_found_in_any_case_and_never_touched();
    void missing_folder_created_with_the_sample();
    void without_create_nothing_is_made();
    void unwritable_program_folder_falls_back();
    void help_file_found_in_any_case();
};

void TestPaths::sample_template_is_embedded() {
    const QByteArray sample = SampleTemplate();
    QVERIFY(!sample.isEmpty());
    QCOMPARE(sample, ShippedSample());
}

void TestPaths::existing_folder_found_in_any_case_and_never_touched() {
    QTemporaryDir program, data;
    QVERIFY(program.isValid() && data.isValid());
    QVERIFY(QDir(program.path()).mkdir("Template"));
    const QString found = TemplateFolderIn(program.path(), data.path(), true);
    QCOMPARE(found, program.filePath("Template"));
    QVERIFY(QDir(found).entryList(QDir::Files).isEmpty());
    QCOMPARE(QDir(program.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{"Template"});
    QCOMPARE(TemplateFolderIn(program.path(), data.path(), false), found);

    // With both spellings present the lower-case one is the template folder.
    QVERIFY(QDir(program.path()).mkdir("template"));
    QCOMPARE(TemplateFolderIn(program.path(), data.path(), true), program.filePath("template"));
    // Nothing was made in the fallback folder.
    QVERIFY(QDir(data.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

void TestPaths::missing_folder_created_with_the_sample() {
    QTemporaryDir program, data;
    QVERIFY(program.isValid() && data.isValid());
    const QString made = TemplateFolderIn(program.path(), data.path(), true);
    QCOMPARE(made, program.filePath("template"));
    QCOMPARE(QDir(made).entryList(QDir::Files), QStringList{"standard.htm"});
    QCOMPARE(ReadAll(made + "/standard.htm"), ShippedSample());

    // A user's edit survives the next start.
    QFile edited(made + "/standard.htm");
    QVERIFY(edited.open(QIODevice::WriteOnly | QIODevice::Truncate));
    edited.write("mine");
    edited.close();
    QCOMPARE(TemplateFolderIn(program.path(), data.path(), true), made);
    QCOMPARE(ReadAll(made + "/standard.htm"), QByteArray("mine"));
}

void TestPaths::without_create_nothing_is_made() {
    QTemporaryDir program, data;
    QVERIFY(program.isValid() && data.isValid());
    QCOMPARE(TemplateFolderIn(program.path(), data.path(), false), program.filePath("template"));
    QVERIFY(QDir(program.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

void TestPaths::unwritable_program_folder_falls_back() {
    QTemporaryDir root;
    QVERIFY(root.isValid());
    // A program "folder" that is a file cannot hold a folder, whoever runs the test.
    QFile blocker(root.filePath("program"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString data = root.filePath("data/Morvek");
    const QString made = TemplateFolderIn(root.filePath("program"), data, true);
    QCOMPARE(made, data + "/template");
    QCOMPARE(ReadAll(made + "/standard.htm"), ShippedSample());
    // Found there at the next start, without copying again.
    QVERIFY(QFile::remove(made + "/standard.htm"));
    QCOMPARE(TemplateFolderIn(root.filePath("program"), data, true), made);
    QVERIFY(!QFile::exists(made + "/standard.htm"));
    QCOMPARE(TemplateFolderIn(root.filePath("program"), data, false), made);
}

void TestPaths::help_file_found_in_any_case() {
    const QString folder = ProgramFolder();
    QCOMPARE(folder, QCoreApplication::applicationDirPath());
    QCOMPARE(HelpFilePath(), QDir(folder).filePath("Morvek.hlp"));
    const QString odd = QDir(folder).filePath("MORVEK.HLP");
    QFile help(odd);
    if (help.exists()) QSKIP("a help file already lies beside the test program");
    QVERIFY(help.open(QIODevice::WriteOnly));
    help.close();
    const QString found = HelpFilePath();
    QFile::remove(odd);
    QCOMPARE(found, odd);
}

QTEST_GUILESS_MAIN(TestPaths)
#include "test_paths.moc"
