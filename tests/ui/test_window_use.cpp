// The window as a person uses it: the log player clicked with the mouse, the real log dialogs in
// folders with accented names, the page written in a folder the user cannot create files in, and
// a demo run that leaves the user's server in the settings.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QValueAxis>
#include <QtTest>

#include "core/numbers.h"
#include "log/player.h"
#include "log/recorder.h"
#include "platform/settings_backend.h"
#include "query/connection.h"
#include "support/dialogs.h"
#include "ui/about_box.h"
#include "ui/graph_view.h"
#include "ui/main_window.h"
#include "ui/player_panel.h"
#include "ui/twips.h"
#include "web/publisher.h"

using namespace morvek;

namespace {

// A QuakeWorld log of `records` records from "Test Server"; slot 0's frags count 1, 2, 3...
bool MakeLog(const QString& path, int records) {
    Monitor m;
    m.server_type = ServerType::QuakeWorld;
    m.snapshot.name = "Test Server";
    m.snapshot.max_players = "8";
    for (int n = 0; n < records; ++n) {
        m.table.slot[0] = {"1", "abc", "4", "13", "skin", "7", IntegerText(n + 1), "50", ""};
        if (!AppendLogRecord(QFile::encodeName(path).toStdString(), HeaderFromMonitor(m),
                             RecordFromMonitor(m, 12, 0)))
            return false;
    }
    return true;
}

// Answers the next file dialog with `file` once it is open and modal, after noting its button and
// filters in `seen`. The dialog's folder view loads in the background and can swallow a first
// answer: it is given again until the dialog has gone.
void AnswerFileDialog(const QString& file, QStringList& seen) {
    auto* poll = new QTimer;
    auto answered = std::make_shared<QPointer<QFileDialog>>();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, file, &seen, answered] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!seen.isEmpty() && (!dialog || dialog != *answered)) {
            poll->deleteLater();  // answered, and gone
            return;
        }
        if (!dialog) return;
        if (seen.isEmpty()) seen << QString::number(dialog->acceptMode()) << dialog->nameFilters();
        *answered = dialog;
        // As a person does: the folder, then the name typed into the name field.
        dialog->setDirectory(QFileInfo(file).path());
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QFileInfo(file).fileName());
        static_cast<QDialog*>(dialog)->accept();  // the Save or Open button
    });
    poll->start(20);
}

// Root may write anywhere: for its lifetime this thread loses that right.
class NoOverride {
  public:
    NoOverride() {
        if (geteuid() != 0 || syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped_ = syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~NoOverride() {
        if (dropped_) syscall(SYS_capset, &header_, saved_);
    }

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};

}  // namespace

class TestWindowUse : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

  private slots:
    void log_player_buttons_answer_the_mouse() {
        const QString log = dir_.filePath("three.mv");
        QVERIFY(MakeLog(log, 3));
        testing::Dialogs dialogs;
        frmMain window(&dialogs, nullptr);
        QVERIFY(window.Form_Load());
        window.show();
        dialogs.files = {log.toStdString()};
        window.mnuOpen->trigger();
        QCOMPARE(window.lblPosizione->text(), QStringLiteral("1"));
        // ">" ">|" "<" "|<" ">>" "<<": the graph's 20 rows were cut to the log's 3.
        QStringList shown;
        for (int button : {3, 5, 2, 0, 4, 1}) {
            window.frPlay->setFocus();
            QTest::mouseClick(window.cmdPlayer[std::size_t(button)], Qt::LeftButton);
            shown << window.lblPosizione->text();
            QCOMPARE(window.focusWidget(), window.cmdMenu);
        }
        QCOMPARE(shown, QStringList({"2", "3", "2", "1", "3", "1"}));
        QCOMPARE(window.monitor().table.slot[0][kFrags], std::string("1"));
    }

    void graph_shows_what_was_sampled_and_whose_it_is() {
        GraphView view;
        view.resize(400, 150);
        view.show();
        FragGraph graph;
        graph.SetRowCount(20);
        graph.SetColumnCount(24);
        SetupGraph(graph);
        PlayerTable table;
        for (int s = 0; s < 24; ++s)
            table.slot[std::size_t(s)][kName] = "player" + IntegerText(s + 1);
        auto polls = [&](int from, int to) {
            for (int frags = from; frags <= to; ++frags) {
                table.slot[0][kFrags] = IntegerText(frags);
                AddGraphSample(graph, 0, table);
            }
        };
        polls(10, 12);               // three polls after a connect
        graph.SetRowLabel(19, "A");  // the log player's current record
        view.SetPlayerNames(table);
        view.Refresh(graph);
        // No line where no sample was taken; ticks on whole frag counts; the marked row.
        QCOMPARE(view.Series(0)->points(), QList<QPointF>({{18, 10}, {19, 11}, {20, 12}}));
        QCOMPARE(QList<double>({view.ValueAxis()->min(), view.ValueAxis()->max(),
                                view.ValueAxis()->tickInterval()}),
                 QList<double>({0, 15, 5}));
        QCOMPARE(view.MarkerLine()->points(), QList<QPointF>({{19, 0}, {19, 15}}));
        QCOMPARE(view.MarkerLabel()->pointLabelsFormat(), QStringLiteral("A"));
        // Every series has a legend entry in view, naming its player.
        QCOMPARE(view.Legend()->count(), 24);
        for (int i = 0; i < 24; ++i)
            QVERIFY(view.Legend()->viewport()->rect().contains(
                view.Legend()->visualItemRect(view.Legend()->item(i))));
        QCOMPARE(view.Legend()->item(23)->toolTip(), QStringLiteral("24: player24"));
        emit view.Series(4)->hovered(QPointF(20, 0), true);
        QCOMPARE(QToolTip::text(), QStringLiteral("5: player5"));
        // The desktop's palette, a dark one here.
        QPalette dark = view.palette();
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        view.setPalette(dark);
        QCOMPARE(QList<QColor>({view.chart()->backgroundBrush().color(),
                                view.ValueAxis()->labelsBrush().color()}),
                 QList<QColor>({QColor(30, 30, 30), QColor(230, 230, 230)}));
        // 22 polls more: the oldest five left through the first row; nothing new, no redraw.
        polls(13, 34);
        graph.show_legend = false;
        view.Refresh(graph);
        QList<QPointF> scrolled;
        for (int row = 1; row <= 20; ++row) scrolled << QPointF(row, row + 14);
        QCOMPARE(view.Series(0)->points(), scrolled);
        QVERIFY(view.ValueAxis()->max() >= 34 && !view.chart()->legend()->isVisible());
        const auto redraws = view.Redraws();
        view.Refresh(graph);
        QCOMPARE(view.Redraws(), redraws);
    }

    void cut_texts_are_offered_whole_as_tooltips() {
        testing::Dialogs dialogs;
        frmMain window(&dialogs, nullptr);
        QVERIFY(window.Form_Load());
        window.show();
        Monitor& m = window.monitor();
        const std::string name = "The Longest Server Name Of The Whole Quake Family";
        const std::string player = "Sergeant Slaughter of the North";
        m.snapshot.name = name;
        m.snapshot.ping = "12";
        m.table.slot[0] = {"1", player, "4", "13", "", "", "7", "", ""};
        BuildPlayerView(m.table, m.view, 0, 1);
        window.ShowPlayers();
        window.RefreshPanel();
        QCOMPARE(
            QStringList({window.txtSvrName->toolTip(), window.txtPing->toolTip(),
                         window.frInsidePlayer->plNome[0]->toolTip(),
                         window.frInsidePlayer->plFrags[0]->toolTip()}),
            QStringList({QString::fromStdString(name), "", QString::fromStdString(player), ""}));
        // The menu button and the lamps say what they are.
        for (QWidget* unlabelled :
             {static_cast<QWidget*>(window.cmdMenu), static_cast<QWidget*>(window.pctNet),
              static_cast<QWidget*>(window.pctStatus)})
            QVERIFY(!unlabelled->toolTip().isEmpty());
    }

    void log_dialogs_with_accented_names() {
        frmMain window;  // the real dialogs
        QVERIFY(window.Form_Load());
        window.show();
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("Téléchargements")));
        const QString record = dir_.filePath(QStringLiteral("Téléchargements/match.mv"));
        QStringList seen;
        AnswerFileDialog(record, seen);
        window.mnuSave_Click();
        QCOMPARE(seen, QStringList({QString::number(QFileDialog::AcceptSave), "Morvek files (*.mv)",
                                    "All files (*)"}));
        QVERIFY(window.monitor().recording);
        emit window.connection().RecordDue();  // what a poll tick does while recording
        QCOMPARE(QFileInfo(record).size(), qint64(46 + 1683));

        const QString replay = dir_.filePath(QStringLiteral("replay-é.mv"));
        QVERIFY(MakeLog(replay, 4));
        window.mnuStopRecord_Click();
        QStringList seen_open;
        AnswerFileDialog(replay, seen_open);
        window.mnuOpen_Click();
        QCOMPARE(seen_open, QStringList({QString::number(QFileDialog::AcceptOpen),
                                         "Morvek files (*.mv)", "All files (*)"}));
        QCOMPARE(LogRecordCount(window.monitor().log_path), std::int64_t(4));
        QCOMPARE(window.txtSvrName->text(), QStringLiteral("Test Server    "));
        QCOMPARE(window.lblPosizione->text(), QStringLiteral("1"));
    }

    void page_is_written_in_a_folder_closed_to_new_files() {
        const QString folder = dir_.filePath("webroot");
        QVERIFY(QDir().mkpath(folder));
        const QString page = folder + "/index.htm";
        const QString templ = dir_.filePath("t.htm");
        for (const QString& name : {page, templ}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("{ServerName}\r\n");
        }
        Monitor monitor;
        monitor.snapshot.name = "Arena";
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        bool written;
        {
            NoOverride as_a_user;
            written = web::PublishPage(templ, page, monitor, QDateTime::currentDateTime());
        }
        QVERIFY(
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(written);
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Arena\r\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({"index.htm"}));
    }

    void demo_run_keeps_the_stored_server() {
        const QString ini = dir_.filePath("demo.conf");
        const std::vector<std::pair<std::string, std::string>> stored{
            {"ServerName", "10.1.2.3"}, {"ServerPort", "27500"}, {"ServerType", "1"}};
        {
            platform::IniSettingsBackend store(ini);
            QVERIFY(store.OpenKey(kSettingsKeyPath));
            for (const auto& [name, value] : stored)
                QVERIFY(store.Write(kSettingsKeyPath, name, value));
        }
        QProcess morvek;
        morvek.start(QStringLiteral(MORVEK_EXE), {"--demo", "3", "--settings", ini});
        QVERIFY(morvek.waitForStarted());
        QTest::qWait(1500);  // connected to the demo server, which has answered
        morvek.terminate();  // closes the window as "&Exit" does: the settings are written
        QVERIFY(morvek.waitForFinished(10000));
        QCOMPARE(morvek.exitCode(), 0);
        platform::IniSettingsBackend store(ini);
        QVERIFY(store.OpenKey(kSettingsKeyPath));
        for (const auto& [name, value] : stored)
            QCOMPARE(store.Read(kSettingsKeyPath, name), std::optional<std::string>(value));
        QCOMPARE(store.Read(kSettingsKeyPath, "CheckInterval"), std::optional<std::string>("5"));
    }
};

QTEST_MAIN(TestWindowUse)
#include "test_window_use.moc"
