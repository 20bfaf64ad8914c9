// The web publishing dialog against a fake main window and a template folder of its own: the
// template list and its case-blind selection, the period in seconds, the output file dialog, what
// "&Ok" applies (with or without a template, "Save every" or "Save once") and "&Cancel".
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include "query/status.h"
#include "support/window_rig.h"
#include "ui/web_dialog.h"

using morvek::frmWeb;
using morvek::platform::MessageIcon;
using morvek::testing::WindowRig;

namespace {

void Touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<html>{ServerName}</html>\r\n");
}

QStringList Listed(const frmWeb& dialog) {
    QStringList names;
    for (int i = 0; i < dialog.lstTemplate->count(); ++i)
        names << dialog.lstTemplate->item(i)->text();
    return names;
}

QStringList Selected(const frmWeb& dialog) {
    QStringList names;
    for (const QListWidgetItem* item : dialog.lstTemplate->selectedItems()) names << item->text();
    return names;
}

// What the dialog's "&Ok" can change: template, output, period, timer enabled and running, and
// whether the page is being published.
std::string Published(WindowRig& w) {
    const auto& o = w.rig.monitor.options;
    return o.html_template + "|" + o.html_output + "|" + std::to_string(w.html.Interval()) + "|" +
           std::to_string(w.html.Enabled()) + std::to_string(w.html.Running()) +
           std::to_string(w.rig.monitor.web_active);
}

}  // namespace

class TestWebDialog : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();

    void captions_and_one_option_group();
    void lists_htm_files_and_selects_without_regard_to_case();
    void a_missing_folder_is_created();
    void the_period_is_shown_in_seconds();
    void the_period_from_text_data();
    void the_period_from_text();
    void an_out_of_range_period_is_noted();
    void the_output_file_dialog();
    void ok_with_save_every_starts_publishing();
    void ok_without_a_template_still_applies();
    void ok_with_save_once_stops_and_polls_once();
    void cancel_changes_nothing();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString folder_;
    std::unique_ptr<WindowRig> window_;
};

void TestWebDialog::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    folder_ = dir_->filePath(QStringLiteral("template"));
    QVERIFY(QDir().mkpath(folder_));
    window_ = std::make_unique<WindowRig>();
}

void TestWebDialog::cleanup() {
    window_.reset();
    dir_.reset();
}

void TestWebDialog::captions_and_one_option_group() {
    frmWeb dialog(*window_, folder_);
    QCOMPARE(QStringList({dialog.windowTitle(), dialog.Label1[0]->text(), dialog.Label1[1]->text(),
                          dialog.Label1[3]->text(), dialog.cmdScegli->text(),
                          dialog.optOperation[1]->text(), dialog.optOperation[0]->text(),
                          dialog.Label2->text(), dialog.cmdOk->text(), dialog.Command1->text()}),
             QStringList({"Web publishing Tool", "Output file:", "Html template:", "Html saving:",
                          "...", "Save every", "Save once", "s", "&Ok", "&Cancel"}));
    QVERIFY(dialog.cmdOk->isDefault());

    // One group: choosing one option clears the other.
    dialog.optOperation[1]->click();
    QVERIFY(!dialog.optOperation[0]->isChecked());
    dialog.optOperation[0]->click();
    QVERIFY(!dialog.optOperation[1]->isChecked());
}

void TestWebDialog::lists_htm_files_and_selects_without_regard_to_case() {
    for (const char* name : {"standard.htm", "Other.HTM", "page.html", "notes.txt", "htm"})
        Touch(QDir(folder_).filePath(QString::fromLatin1(name)));
    QVERIFY(QDir(folder_).mkdir(QStringLiteral("folder.htm")));

    window_->rig.monitor.options.html_template = "STANDARD.HTM";
    {
        frmWeb dialog(*window_, folder_);
        QCOMPARE(dialog.TemplateFolder(), folder_);
        QCOMPARE(Listed(dialog), QStringList({"Other.HTM", "standard.htm"}));
        QCOMPARE(Selected(dialog), QStringList({"standard.htm"}));
        // OK keeps the listed name, in its own letter case.
        dialog.cmdOk->click();
    }
    QCOMPARE(window_->rig.monitor.options.html_template, std::string("standard.htm"));
    QVERIFY(window_->rig.dialogs.messages.empty());

    window_->rig.monitor.options.html_template = "other.htm";
    {
        frmWeb dialog(*window_, folder_);
        QCOMPARE(Selected(dialog), QStringList({"Other.HTM"}));
    }
    window_->rig.monitor.options.html_template = "gone.htm";
    {
        frmWeb dialog(*window_, folder_);
        QVERIFY(Selected(dialog).isEmpty());
    }
    // An exact match wins over one that differs only in case.
    Touch(QDir(folder_).filePath(QStringLiteral("other.htm")));
    window_->rig.monitor.options.html_template = "other.htm";
    {
        frmWeb dialog(*window_, folder_);
        QCOMPARE(Selected(dialog), QStringList({"other.htm"}));
    }
}

void TestWebDialog::a_missing_folder_is_created() {
    const QString missing = dir_->filePath(QStringLiteral("new/template"));
    frmWeb dialog(*window_, missing);
    QVERIFY(QFileInfo(missing).isDir());
    QCOMPARE(dialog.lstTemplate->count(), 0);
}

void TestWebDialog::the_period_is_shown_in_seconds() {
    window_->rig.monitor.options.html_output = "page.htm";
    window_->html.SetInterval(2500);
    {
        frmWeb dialog(*window_, folder_);
        QCOMPARE(dialog.txtOutputFile->text(), QStringLiteral("page.htm"));
        QCOMPARE(dialog.txtRefresh->text(), QStringLiteral("2.5"));
        // The period decides, not whether the timer runs.
        QVERIFY(!window_->html.Enabled());
        QVERIFY(dialog.optOperation[1]->isChecked());
        QVERIFY(!dialog.optOperation[0]->isChecked());
    }
    window_->html.SetInterval(0);
    window_->html.SetEnabled(true);
    {
        frmWeb dialog(*window_, folder_);
        QCOMPARE(dialog.txtRefresh->text(), QStringLiteral("0"));
        QVERIFY(dialog.optOperation[0]->isChecked());
        QVERIFY(!dialog.optOperation[1]->isChecked());
    }
    window_->html.SetInterval(60000);
    frmWeb dialog(*window_, folder_);
    QCOMPARE(dialog.txtRefresh->text(), QStringLiteral("60"));
}

void TestWebDialog::the_period_from_text_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("milliseconds");
    QTest::addColumn<bool>("clamped");
    QTest::newRow("fraction") << QStringLiteral("2.5") << qint64(2500) << false;
    QTest::newRow("half ms to even down") << QStringLiteral("0.0025") << qint64(2) << false;
    QTest::newRow("half ms to even up") << QStringLiteral("0.0035") << qint64(4) << false;
    QTest::newRow("no number") << QStringLiteral("soon") << qint64(0) << false;
    QTest::newRow("empty") << QString() << qint64(0) << false;
    QTest::newRow("leading number") << QStringLiteral("30 s") << qint64(30000) << false;
    QTest::newRow("a day") << QStringLiteral("86400") << qint64(86400000) << false;
    QTest::newRow("negative") << QStringLiteral("-5") << qint64(0) << true;
    QTest::newRow("above a day") << QStringLiteral("86401") << qint64(86400000) << true;
    QTest::newRow("huge") << QStringLiteral("1E+300") << qint64(86400000) << true;
}

void TestWebDialog::the_period_from_text() {
    QFETCH(QString, text);
    QFETCH(qint64, milliseconds);
    QFETCH(bool, clamped);
    bool was_clamped = !clamped;
    QCOMPARE(morvek::HtmlPeriodFromText(text, &was_clamped), milliseconds);
    QCOMPARE(was_clamped, clamped);

    frmWeb dialog(*window_, folder_);
    dialog.txtRefresh->setText(text);
    dialog.optOperation[1]->click();
    dialog.cmdOk->click();
    QCOMPARE(window_->html.Interval(), milliseconds);
}

void TestWebDialog::an_out_of_range_period_is_noted() {
    frmWeb dialog(*window_, folder_);
    const QString in_range = dialog.lblPeriodNote->text();
    QVERIFY(in_range.contains(QStringLiteral("86400")));
    dialog.txtRefresh->setText(QStringLiteral("-3"));
    QVERIFY(dialog.lblPeriodNote->text().contains(QStringLiteral("0 s will be used")));
    dialog.txtRefresh->setText(QStringLiteral("100000"));
    QVERIFY(dialog.lblPeriodNote->text().contains(QStringLiteral("86400 s will be used")));
    dialog.txtRefresh->setText(QStringLiteral("10"));
    QCOMPARE(dialog.lblPeriodNote->text(), in_range);
}

void TestWebDialog::the_output_file_dialog() {
    window_->rig.monitor.options.html_output = "old.htm";
    frmWeb dialog(*window_, folder_);
    const QString chosen = dir_->filePath(QStringLiteral("site/index.htm"));
    window_->rig.dialogs.files = {chosen.toStdString(), std::nullopt};

    dialog.cmdScegli->click();
    QCOMPARE(window_->rig.dialogs.file_requests.size(), std::size_t(1));
    const auto& request = window_->rig.dialogs.file_requests[0];
    QCOMPARE(request.title, std::string("Select an Html file to save"));
    QCOMPARE(request.filter,
             std::string("Html files (*.htm; *.html)|*.htm;*.html|All files (*.*)|*.*"));
    QCOMPARE(request.default_extension, std::string(".htm"));
    QVERIFY(!request.must_exist);
    QCOMPARE(dialog.txtOutputFile->text(), chosen);

    // Cancelling the file dialog leaves the box alone.
    dialog.cmdScegli->click();
    QCOMPARE(dialog.txtOutputFile->text(), chosen);
    // The choice is only applied by OK.
    QCOMPARE(window_->rig.monitor.options.html_output, std::string("old.htm"));
}

void TestWebDialog::ok_with_save_every_starts_publishing() {
    Touch(QDir(folder_).filePath(QStringLiteral("standard.htm")));
    {
        frmWeb dialog(*window_, folder_);
        QVERIFY(dialog.optOperation[0]->isChecked());
        dialog.txtOutputFile->setText(QStringLiteral("out.htm"));
        dialog.txtRefresh->setText(QStringLiteral("2.5"));
        dialog.optOperation[1]->click();
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        dialog.cmdOk->click();
        QCOMPARE(accepted.count(), 1);
    }
    QVERIFY(window_->rig.dialogs.messages.empty());
    QCOMPARE(Published(*window_), "standard.htm|out.htm|2500|111");
    QCOMPARE(window_->calls, std::vector<std::string>({"RefreshAll"}));
    // No poll tick ran.
    QVERIFY(!window_->rig.connection.timTimeout().Enabled());

    frmWeb dialog(*window_, folder_);
    QCOMPARE(dialog.txtRefresh->text(), QStringLiteral("2.5"));
    QVERIFY(dialog.optOperation[1]->isChecked());
}

void TestWebDialog::ok_without_a_template_still_applies() {
    // An empty folder: nothing to choose.
    window_->rig.monitor.options.html_template = "standard.htm";
    frmWeb dialog(*window_, folder_);
    QCOMPARE(dialog.lstTemplate->count(), 0);
    dialog.txtOutputFile->setText(QString());
    window_->rig.monitor.options.html_output = "previous.htm";
    dialog.txtRefresh->setText(QStringLiteral("7"));
    dialog.optOperation[1]->click();
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    dialog.cmdOk->click();

    QCOMPARE(accepted.count(), 1);
    QCOMPARE(window_->rig.dialogs.messages.size(), std::size_t(1));
    QCOMPARE(window_->rig.dialogs.messages[0].text, std::string("Invalid template"));
    QCOMPARE(window_->rig.dialogs.messages[0].title, std::string("Morvek"));
    QCOMPARE(window_->rig.dialogs.messages[0].icon, MessageIcon::Critical);
    // The template is kept; an empty output name is taken as it is.
    QCOMPARE(Published(*window_), "standard.htm||7000|111");
}

void TestWebDialog::ok_with_save_once_stops_and_polls_once() {
    // A QuakeWorld server on 127.0.0.1 that only listens: the poll tick's request arrives there.
    QUdpSocket server;
    QVERIFY(server.bind(QHostAddress::LocalHost, 0));
    auto& connection = window_->rig.connection;
    window_->rig.monitor.server_type = morvek::ServerType(1);
    connection.Winsock().SetRemoteHost("127.0.0.1");
    connection.Winsock().SetRemotePort(server.localPort());

    Touch(QDir(folder_).filePath(QStringLiteral("standard.htm")));
    window_->html.SetInterval(5000);
    window_->html.SetEnabled(true);
    window_->rig.monitor.web_active = true;
    {
        frmWeb dialog(*window_, folder_);
        QVERIFY(dialog.optOperation[1]->isChecked());
        dialog.txtRefresh->setText(QStringLiteral("12"));
        dialog.optOperation[0]->click();
        dialog.cmdOk->click();
    }
    QCOMPARE(Published(*window_), "standard.htm||12000|000");
    QVERIFY(connection.timTimeout().Enabled());
    QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingDatagrams(), 5000);
    QByteArray request(int(server.pendingDatagramSize()), '\0');
    server.readDatagram(request.data(), request.size());
    QCOMPARE(request.toStdString(), morvek::status::StatusRequest());
    connection.timTimeout().SetEnabled(false);
    connection.Winsock().Close();

    // The period alone decides what the next opening shows.
    frmWeb dialog(*window_, folder_);
    QCOMPARE(dialog.txtRefresh->text(), QStringLiteral("12"));
    QVERIFY(dialog.optOperation[1]->isChecked());
}

void TestWebDialog::cancel_changes_nothing() {
    Touch(QDir(folder_).filePath(QStringLiteral("standard.htm")));
    Touch(QDir(folder_).filePath(QStringLiteral("other.htm")));
    auto& m = window_->rig.monitor;
    m.options.html_template = "standard.htm";
    m.options.html_output = "kept.htm";
    window_->html.SetInterval(4000);
    window_->html.SetEnabled(true);
    m.web_active = true;
    const std::string before = Published(*window_);
    frmWeb dialog(*window_, folder_);
    dialog.lstTemplate->item(0)->setSelected(true);
    dialog.txtOutputFile->setText(QStringLiteral("changed.htm"));
    dialog.txtRefresh->setText(QStringLiteral("9"));
    dialog.optOperation[0]->click();
    dialog.Command1->click();

    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(Published(*window_), before);
    QVERIFY(window_->rig.dialogs.messages.empty());
    QVERIFY(window_->calls.empty());
    QVERIFY(!window_->rig.connection.timTimeout().Enabled());
}

QTEST_MAIN(TestWebDialog)
#include "test_web_dialog.moc"
