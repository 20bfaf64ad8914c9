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

}  // namespace

class TestWebDialog : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();

    void controlsAndCaptions();
    void listsHtmFilesAndSelectsWithoutCase();
    void missingFolderIsCreated();
    void periodShownInSeconds();
    void periodFromText_data();
    void periodFromText();
    void outOfRangePeriodIsNoted();
    void outputFileDialog();
    void okSaveEveryStartsPublishing();
    void okWithoutTemplateStillApplies();
    void okSaveOnceStopsAndPollsOnce();
    void cancelChangesNothing();

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

void TestWebDialog::controlsAndCaptions() {
    frmWeb dialog(*window_, folder_);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Web publishing Tool"));
    QCOMPARE(dialog.Label1[0]->text(), QStringLiteral("Output file:"));
    QCOMPARE(dialog.Label1[1]->text(), QStringLiteral("Html template:"));
    QCOMPARE(dialog.Label1[3]->text(), QStringLiteral("Html saving:"));
    QCOMPARE(dialog.cmdScegli->text(), QStringLiteral("..."));
    QCOMPARE(dialog.optOperation[1]->text(), QStringLiteral("Save every"));
    QCOMPARE(dialog.optOperation[0]->text(), QStringLiteral("Save once"));
    QCOMPARE(dialog.Label2->text(), QStringLiteral("s"));
    QCOMPARE(dialog.cmdOk->text(), QStringLiteral("&Ok"));
    QCOMPARE(dialog.Command1->text(), QStringLiteral("&Cancel"));
    QVERIFY(dialog.cmdOk->isDefault());

    // One group: choosing one option clears the other.
    dialog.optOperation[1]->click();
    QVERIFY(!dialog.optOperation[0]->isChecked());
    dialog.optOperation[0]->click();
    QVERIFY(!dialog.optOperation[1]->isChecked());
}

void TestWebDialog::listsHtmFilesAndSelectsWithoutCase() {
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

void TestWebDialog::missingFolderIsCreated() {
    const QString missing = dir_->filePath(QStringLiteral("new/template"));
    frmWeb dialog(*window_, missing);
    QVERIFY(QFileInfo(missing).isDir());
    QCOMPARE(dialog.lstTemplate->count(), 0);
}

void TestWebDialog::periodShownInSeconds() {
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

void TestWebDialog::periodFromText_data() {
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

void TestWebDialog::periodFromText() {
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

void TestWebDialog::outOfRangePeriodIsNoted() {
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

void TestWebDialog::outputFileDialog() {
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

void TestWebDialog::okSaveEveryStartsPublishing() {
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
    QCOMPARE(window_->rig.monitor.options.html_output, std::string("out.htm"));
    QCOMPARE(window_->html.Interval(), std::int64_t(2500));
    QVERIFY(window_->html.Enabled());
    QVERIFY(window_->html.Running());
    QVERIFY(window_->rig.monitor.web_active);
    QCOMPARE(window_->calls, std::vector<std::string>({"RefreshAll"}));
    // No poll tick ran.
    QVERIFY(!window_->rig.connection.timTimeout().Enabled());

    frmWeb dialog(*window_, folder_);
    QCOMPARE(dialog.txtRefresh->text(), QStringLiteral("2.5"));
    QVERIFY(dialog.optOperation[1]->isChecked());
}

void TestWebDialog::okWithoutTemplateStillApplies() {
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
    QCOMPARE(window_->rig.monitor.options.html_template, std::string("standard.htm"));
    // An empty output name is taken as it is.
    QCOMPARE(window_->rig.monitor.options.html_output, std::string());
    QCOMPARE(window_->html.Interval(), std::int64_t(7000));
    QVERIFY(window_->html.Enabled());
    QVERIFY(window_->rig.monitor.web_active);
}

void TestWebDialog::okSaveOnceStopsAndPollsOnce() {
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
    QVERIFY(!window_->html.Enabled());
    QVERIFY(!window_->html.Running());
    QCOMPARE(window_->html.Interval(), std::int64_t(12000));
    QVERIFY(!window_->rig.monitor.web_active);
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

void TestWebDialog::cancelChangesNothing() {
    Touch(QDir(folder_).filePath(QStringLiteral("standard.htm")));
    Touch(QDir(folder_).filePath(QStringLiteral("other.htm")));
    auto& m = window_->rig.monitor;
    m.options.html_template = "standard.htm";
    m.options.html_output = "kept.htm";
    window_->html.SetInterval(4000);
    window_->html.SetEnabled(true);
    m.web_active = true;

    frmWeb dialog(*window_, folder_);
    dialog.lstTemplate->item(0)->setSelected(true);
    dialog.txtOutputFile->setText(QStringLiteral("changed.htm"));
    dialog.txtRefresh->setText(QStringLiteral("9"));
    dialog.optOperation[0]->click();
    dialog.Command1->click();

    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(m.options.html_template, std::string("standard.htm"));
    QCOMPARE(m.options.html_output, std::string("kept.htm"));
    QCOMPARE(window_->html.Interval(), std::int64_t(4000));
    QVERIFY(window_->html.Enabled());
    QVERIFY(m.web_active);
    QVERIFY(window_->rig.dialogs.messages.empty());
    QVERIFY(window_->calls.empty());
    QVERIFY(!window_->rig.connection.timTimeout().Enabled());
}

QTEST_MAIN(TestWebDialog)
#include "test_web_dialog.moc"
