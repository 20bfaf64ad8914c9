// The web publishing dialog against the window rig and a template folder of its own.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include "query/status.h"
#include "support/window_rig.h"
#include "ui/web_dialog.h"

using namespace morvek;

class TestWebDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    QString folder_;
    std::unique_ptr<testing::WindowRig> window_;

    void Touch(const char* name) {
        QFile file(QDir(folder_).filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // What the dialogs leave in the window: template, output, period, publishing, the window's
    // calls, a pending poll and the messages shown.
    std::string Picture() {
        const Monitor& m = window_->rig.monitor;
        std::string out = m.options.html_template + "|" + m.options.html_output + "|" +
                          std::to_string(window_->html.Interval()) +
                          (window_->html.Running() ? " running" : " stopped") +
                          (m.web_active ? "|web|" : "|-|");
        for (const auto& call : window_->calls) out += call + "|";
        out += window_->rig.connection.timTimeout().Enabled() ? "polled" : "-";
        for (const auto& box : window_->rig.dialogs.messages)
            out += "|" + box.title +
                   (box.icon == platform::MessageIcon::Critical ? " (x): " : ": ") + box.text;
        return out;
    }

  private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        folder_ = dir_->filePath(QStringLiteral("new/template"));
        QDir().mkpath(folder_);
        window_ = std::make_unique<testing::WindowRig>();
    }

    void a_missing_template_folder_is_made() {
        const QString missing = dir_->filePath(QStringLiteral("missing/template"));
        frmWeb dialog(*window_, missing);
        QVERIFY(QFileInfo(missing).isDir());
        QCOMPARE(dialog.lstTemplate->count(), 0);
    }

    void template_selection_data() {
        QTest::addColumn<std::string>("setting");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<std::string>("picture");
        QTest::newRow("case blind, Ok keeps the listed case")
            << std::string("STANDARD.HTM") << "standard.htm"
            << std::string("standard.htm||1000 running|web|RefreshAll|-");
        QTest::newRow("exact match wins over a case-blind one listed first")
            << std::string("Other.HTM") << "Other.HTM"
            << std::string("Other.HTM||1000 running|web|RefreshAll|-");
        QTest::newRow("none: Ok applies the rest and says so")
            << std::string("gone.htm") << ""
            << std::string("gone.htm||1000 running|web|RefreshAll|-|Morvek (x): Invalid template");
    }
    void template_selection() {
        QFETCH(std::string, setting);
        QFETCH(QString, selected);
        QFETCH(std::string, picture);
        QVERIFY(QDir().mkpath(folder_ + "/folder.htm"));
        for (const char* name : {"standard.htm", "Other.HTM", "other.htm", "page.html", "htm"})
            Touch(name);
        window_->rig.monitor.options.html_template = setting;
        frmWeb dialog(*window_, folder_);
        QStringList listed, chosen;
        for (int i = 0; i < dialog.lstTemplate->count(); ++i)
            listed << dialog.lstTemplate->item(i)->text();
        for (const QListWidgetItem* item : dialog.lstTemplate->selectedItems())
            chosen << item->text();
        QCOMPARE(listed, QStringList({"other.htm", "Other.HTM", "standard.htm"}));
        QCOMPARE(chosen.join('|'), selected);
        dialog.txtRefresh->setText(QStringLiteral("1"));
        dialog.optOperation[1]->click();
        dialog.cmdOk->click();
        QCOMPARE(Picture(), picture);
    }

    // The period shown in seconds when the dialog opens decides the option (not the timer);
    // a typed period gets a note and is applied in milliseconds, inside 0 to 86400 s.
    void period_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("every");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("note");
        QTest::addColumn<qint64>("ms");
        const QString in_range = "From 0 to 86400 s.";
        QTest::newRow("fraction") << 2500 << "2.5" << true << "2.5" << in_range << qint64(2500);
        QTest::newRow("zero, half ms to even")
            << 0 << "0" << false << "0.0025" << in_range << qint64(2);
        QTest::newRow("a minute, no number")
            << 60000 << "60" << true << "soon" << in_range << qint64(0);
        QTest::newRow("leading number") << 0 << "0" << false << "30 s" << in_range << qint64(30000);
        QTest::newRow("a day") << 0 << "0" << false << "86400" << in_range << qint64(86400000);
        QTest::newRow("negative") << 0 << "0" << false << "-5"
                                  << "Out of range: 0 s will be used." << qint64(0);
        QTest::newRow("above a day") << 0 << "0" << false << "86401"
                                     << "Out of range: 86400 s will be used." << qint64(86400000);
    }
    void period() {
        QFETCH(int, interval);
        QFETCH(QString, text);
        window_->html.SetInterval(interval);
        window_->html.SetEnabled(interval == 0);  // the period decides, not the timer
        frmWeb dialog(*window_, folder_);
        QTEST(dialog.txtRefresh->text(), "shown");
        QTEST(dialog.optOperation[1]->isChecked(), "every");
        QCOMPARE(dialog.optOperation[0]->isChecked(), !dialog.optOperation[1]->isChecked());
        dialog.txtRefresh->setText(text);
        QTEST(dialog.lblPeriodNote->text(), "note");
        dialog.optOperation[1]->click();
        dialog.cmdOk->click();
        QTEST(qint64(window_->html.Interval()), "ms");
    }

    void output_file_is_chosen_in_a_save_dialog_and_applied_by_ok_only() {
        window_->rig.monitor.options.html_output = "old.htm";
        frmWeb dialog(*window_, folder_);
        window_->rig.dialogs.files = {"site/index.htm", std::nullopt};
        dialog.cmdScegli->click();
        dialog.cmdScegli->click();  // cancelled: the box keeps the first choice
        QCOMPARE(window_->rig.dialogs.file_requests.size(), std::size_t(2));
        const auto& r = window_->rig.dialogs.file_requests[0];
        QCOMPARE(r.title + "|" + r.filter + "|" + r.default_extension + (r.must_exist ? "|!" : "|"),
                 "Select an Html file to save|Html files (*.htm; *.html)|*.htm;*.html|"
                 "All files (*.*)|*.*|.htm|");
        QCOMPARE(dialog.txtOutputFile->text(), QStringLiteral("site/index.htm"));
        QCOMPARE(window_->rig.monitor.options.html_output, std::string("old.htm"));
    }

    void save_once_stops_publishing_and_polls_at_once() {
        // A QuakeWorld server on 127.0.0.1 that only listens: the poll tick's request arrives.
        QUdpSocket server;
        QVERIFY(server.bind(QHostAddress::LocalHost, 0));
        window_->rig.monitor.server_type = ServerType::QuakeWorld;
        window_->rig.connection.Winsock().SetRemoteHost("127.0.0.1");
        window_->rig.connection.Winsock().SetRemotePort(server.localPort());
        Touch("standard.htm");
        window_->html.SetInterval(5000);
        window_->html.SetEnabled(true);
        window_->rig.monitor.web_active = true;
        frmWeb dialog(*window_, folder_);
        dialog.txtRefresh->setText(QStringLiteral("12"));
        dialog.optOperation[0]->click();
        dialog.cmdOk->click();
        QCOMPARE(Picture(), "standard.htm||12000 stopped|-|RefreshAll|polled");
        QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingDatagrams(), 5000);
        QByteArray request(int(server.pendingDatagramSize()), '\0');
        server.readDatagram(request.data(), request.size());
        QCOMPARE(request.toStdString(), status::StatusRequest());
        window_->rig.connection.Winsock().Close();
    }

    void cancel_changes_nothing() {
        Touch("standard.htm");
        Touch("other.htm");
        window_->rig.monitor.options = {.html_output = "kept.htm", .html_template = "standard.htm"};
        window_->html.SetInterval(4000);
        window_->html.SetEnabled(true);
        window_->rig.monitor.web_active = true;
        const std::string before = Picture();
        frmWeb dialog(*window_, folder_);
        dialog.lstTemplate->item(0)->setSelected(true);
        dialog.txtOutputFile->setText(QStringLiteral("changed.htm"));
        dialog.txtRefresh->setText(QStringLiteral("9"));
        dialog.optOperation[0]->click();
        dialog.Command1->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(Picture(), before);
    }
};

QTEST_MAIN(TestWebDialog)
#include "test_web_dialog.moc"
