// The main window: its layout, menu states, rules window, start-up steps, help and graph, and
// the window as a person uses it (mouse, real file dialogs, real folders, a demo run).
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolTip>
#include <QUdpSocket>
#include <QValueAxis>
#include <QtTest>

#include "core/numbers.h"
#include "log/player.h"
#include "log/recorder.h"
#include "platform/settings_backend.h"
#include "query/connection.h"
#include "sim/sim_server.h"
#include "support/dialogs.h"
#include "support/rig.h"
#include "ui/about_box.h"
#include "ui/entry.h"
#include "ui/graph_view.h"
#include "ui/main_window.h"
#include "ui/player_panel.h"
#include "ui/qt_dialogs.h"
#include "ui/rules_window.h"
#include "ui/twips.h"
#include "web/publisher.h"

using namespace morvek;
using testing::WaitFor;
using Regions = QList<TwipsRect>;
Q_DECLARE_METATYPE(Regions)

namespace {

Regions Of(const MainLayout& l) {
    return {l.frServer, l.frInsideServer, l.frPlayer,       l.frInsidePlayer,
            l.frGraph,  l.chtGrafico,     l.lblCopy,        l.cmdMenu,
            l.pctNet,   l.frStatus,       l.frInsideStatus, l.frPlay};
}
QList<QRect> Placed(const frmMain& w) {
    QList<QRect> rects;
    for (QWidget* c : std::initializer_list<QWidget*>{
             w.frServer, w.frInsideServer, w.frPlayer, w.frInsidePlayer, w.frGraph, w.chtGrafico,
             w.lblCopy, w.cmdMenu, w.pctNet, w.frStatus, w.frInsideStatus, w.frPlay})
        rects << c->geometry();
    return rects;
}

const Regions kAtMinimum{{0, 60, 6180, 1215},     {22.5, 240, 6135, 915}, {0, 1320, 6180, 1875},
                         {82.5, 300, 6015, 1515}, {0, 3180, 6180, 2125},  {75, 240, 6060, 1825},
                         {60, 5305, 1485, 195},   {285, 5560, 1275, 330}, {75, 5560, 195, 300},
                         {1680, 5335, 2445, 570}, {615, 240, 1815, 195},  {4185, 5335, 1995, 570}};
// Graph hidden (4280 twips are 286 pixels): the bottom strip sits under the player frame.
const Regions kNoGraph{{0, 60, 6180, 1215},     {22.5, 240, 6135, 915}, {0, 1320, 6180, 1875},
                       {82.5, 300, 6015, 1515}, {0, 3180, 6180, 55},    {75, 240, 5955, 2160},
                       {60, 3195, 1485, 195},   {285, 3450, 1275, 330}, {75, 3450, 195, 300},
                       {1680, 3225, 2445, 570}, {615, 240, 1815, 195},  {4185, 3225, 1995, 570}};

// The disabled items of a menu and its submenus.
QStringList Disabled(const QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        if (!a->isEnabled())
            out << a->text();
        else if (a->menu())
            out << Disabled(a->menu());
    return out;
}

QStringList Lines(const frmRoule& window) {
    QStringList lines;
    for (int i = 0; i < window.lstRoules->count(); ++i) lines << window.lstRoules->item(i)->text();
    return lines;
}

// A QuakeWorld log from "Test Server", one record per text of slot 0's frags.
bool MakeLog(const QString& path, const std::vector<std::string>& frags) {
    Monitor m;
    m.server_type = ServerType::QuakeWorld;
    m.snapshot.name = "Test Server";
    m.snapshot.max_players = "8";
    for (const std::string& f : frags) {
        m.table.slot[0] = {"1", "abc", "4", "13", "skin", "7", f, "50", ""};
        if (!AppendLogRecord(path, HeaderFromMonitor(m), RecordFromMonitor(m, 12, 0))) return false;
    }
    return true;
}

// Answers the next modal file dialog with `file` (again until it has gone: its folder view can
// swallow a first answer), after noting its button and filters in `seen`.
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

class TestMainWindow : public QObject {
    Q_OBJECT

    testing::Dialogs dialogs_;
    QTemporaryDir dir_;
    std::unique_ptr<frmMain> Loaded() {
        dialogs_.messages.clear();
        auto w = std::make_unique<frmMain>(&dialogs_, nullptr);
        w->Form_Load();
        w->show();
        return w;
    }

  private slots:
    void layout_follows_the_window_size_data() {
        QTest::addColumn<bool>("graph");
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSizeF>("outer");
        QTest::addColumn<Regions>("regions");
        QTest::newRow("raised to the minimum")
            << true << QSize(1500, 1500) << QSizeF(6300, 6360) << kAtMinimum;
        QTest::newRow("graph hidden, raised to its minimum")
            << false << QSize(1500, 750) << QSizeF(6300, 4290) << kNoGraph;
    }
    void layout_follows_the_window_size() {
        QFETCH(bool, graph);
        QFETCH(QSize, asked);
        QFETCH(QSizeF, outer);
        QFETCH(Regions, regions);
        auto w = Loaded();
        w->SetGraphVisible(graph);
        const QSize extra(8, 27);  // the designed frame: 120 x 405 twips
        w->resize(TwipsToPixels(asked.width()) - extra.width(),
                  TwipsToPixels(asked.height()) - extra.height());
        QCoreApplication::processEvents();
        QCOMPARE(QSizeF(w->OuterWidthTwips(), w->OuterHeightTwips()), outer);
        if (!graph) regions[5] = w->Layout().chtGrafico;  // the hidden chart keeps its size
        QCOMPARE(Of(w->Layout()), regions);
        QList<QRect> pixels;
        for (const TwipsRect& r : regions) pixels << PixelRect(r);
        // The status frame's contents sit under its caption, cut to fit when it is taller.
        pixels[10].translate(0, std::max(0, w->frStatus->contentsRect().top() - 15));
        QCOMPARE(Placed(*w), pixels);
    }

    void switching_the_graph_sets_the_window_height() {
        auto w = Loaded();
        w->SetGraphVisible(false);
        QVERIFY(w->frGraph->isHidden() && !w->monitor().graph.visible);
        QCOMPARE(w->OuterHeightTwips(), 4290.0);
        w->SetGraphVisible(true);
        QVERIFY(!w->frGraph->isHidden() && w->monitor().graph.visible);
        QCOMPARE(w->OuterHeightTwips(), 6765.0);
    }

    void load_step_shows_the_captions_and_starts_disconnected() {
        auto w = Loaded();
        QCOMPARE(w->windowTitle() + "|" + w->cmdMenu->text() + "|" + w->lblStatus->text(),
                 "Morvek|        Graph|Disconnected");
        QCOMPARE(w->pctStatus->Shown(), QColor(255, 0, 0));
        QCOMPARE(w->pctNet->Shown(), QColor(0, 128, 0));
        QVERIFY(w->pctOpen->isHidden() && w->pctSave->isHidden() && w->pctWeb->isHidden());
        QVERIFY(!w->connection().timCheck().Enabled());
        // At the designed size the bottom frames' contents sit inside them, under their captions.
        w->Form_Resize();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(w->height(), TwipsToPixels(6360));
        for (QGroupBox* frame : {w->frStatus, w->frPlay})
            for (QWidget* inside : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                QVERIFY2(frame->contentsRect().contains(inside->geometry()),
                         qPrintable(frame->title() + inside->objectName()));
    }

    void disabled_menu_items_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("recording");
        QTest::addColumn<QString>("disabled");
        QTest::newRow("disconnected") << 0 << false << "&Disconnect|&See Rules|&Stop recording";
        QTest::newRow("disconnected, recording")
            << 0 << true << "&Disconnect|&See Rules|&Record...|&Open...";
        QTest::newRow("trying")
            << 1 << false << "&Connect|&Disconnect|&See Rules|Set&up...|&Stop recording|&Open...";
        QTest::newRow("trying, recording")
            << 1 << true << "&Connect|&Disconnect|&See Rules|Set&up...|&Record...|&Open...";
        QTest::newRow("connected") << 2 << false << "&Connect|&Stop recording|&Open...";
        QTest::newRow("connected, recording") << 2 << true << "&Connect|&Record...|&Open...";
    }
    void disabled_menu_items() {
        QFETCH(int, state);
        QFETCH(bool, recording);
        QFETCH(QString, disabled);
        auto w = Loaded();
        ShowState(w->monitor(), ConnectionState(state));
        w->monitor().recording = recording;
        w->connection().UpdateMenuState();
        QCOMPARE(Disabled(w->mnu).join('|'), disabled);
    }

    void stop_recording_hides_the_indicator_and_brings_record_back() {
        auto w = Loaded();
        w->monitor().recording = true;
        w->monitor().log_path = "x.log";
        w->connection().UpdateMenuState();
        w->RefreshPanel();
        QVERIFY(w->pctSave->isVisibleTo(w.get()));
        w->mnuStopRecord->trigger();
        QVERIFY(!w->monitor().recording && w->monitor().log_path.isEmpty());
        QVERIFY(w->mnuSave->isEnabled() && w->pctSave->isHidden());
    }

    void server_type_captions_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("captions");
        QTest::newRow("Quake I") << 0 << "Quake I|Net Address|Port";
        QTest::newRow("QuakeWorld") << 1 << "QuakeWd|Skin|Ping";
        QTest::newRow("unknown keeps the last") << 7 << "Quake I|Net Address|Port";
    }
    void server_type_captions() {
        QFETCH(int, type);
        QFETCH(QString, captions);
        auto w = Loaded();
        Monitor& m = w->monitor();
        m.server_type = ServerType(type);
        m.snapshot.name = "old";
        m.snapshot.ping = "42";  // the ping keeps its text
        ResetServerPanel(m);
        w->RefreshPanel();
        const PlayerPanel& panel = *w->frInsidePlayer;
        QCOMPARE(QStringList({w->txtType->text(), panel.Label3[4]->text(), panel.Label3[5]->text(),
                              w->txtSvrName->text(), w->txtPing->text()}),
                 captions.split('|') + QStringList({"", "42"}));
    }

    void max_players_sets_one_named_series_per_slot_up_to_64() {
        auto w = Loaded();
        QStringList shown;
        for (const char* max : {"24", "200"}) {
            SetMaxPlayers(w->monitor(), max);
            w->RefreshPanel();
            shown << QString::number(w->chtGrafico->SeriesCount()) + " " +
                         w->chtGrafico->Series(w->chtGrafico->SeriesCount() - 1)->name() + " " +
                         w->txtSvrMaxPlayers->text();
        }
        QCOMPARE(shown, QStringList({"24 24 24", "64 64 200"}));
        w->monitor().graph.SetColumnCount(0);
        w->RefreshPanel();
        QCOMPARE(w->chtGrafico->SeriesCount(), 0);
    }

    void menu_button_opens_the_menu_at_its_corner_and_exit_stops_polling() {
        auto w = Loaded();
        QTest::mouseClick(w->cmdMenu, Qt::LeftButton);
        // The platform may push a menu back onto the screen; offscreen it stays where asked.
        QCOMPARE(w->mnu->pos(), w->mapToGlobal(w->cmdMenu->geometry().topRight() + QPoint(1, 0)));
        w->connection().timCheck().SetEnabled(true);
        w->mnuExit->trigger();
        QVERIFY(!w->isVisible() && !w->mnu->isVisible() && !w->connection().timCheck().Enabled());
    }

    void rules_window_follows_the_list() {
        RulesList rules;
        int closed = 0;
        frmRoule window(rules, [&] { ++closed; });
        QCOMPARE(window.windowTitle() + "|" + QString::number(window.lstRoules->count()),
                 "Rules - Working...|0");
        AddRuleLine(rules, "fraglimit", "30", kStatusRuleWidth);
        AddRuleLine(rules, "timelimit", "20", kStatusRuleWidth);
        rules.caption = kRulesQuake2;
        ++rules.revision;
        window.Refresh();
        QCOMPARE(window.windowTitle(), QStringLiteral("Morvek - Rules"));
        QCOMPARE(Lines(window),
                 QStringList({"fraglimit           \t30", "timelimit           \t20"}));
        // A reply that rebuilds the list with other rules replaces them.
        rules.Clear();
        AddRuleLine(rules, "deathmatch", "1", kStatusRuleWidth);
        window.Refresh();
        QCOMPARE(Lines(window), QStringList({"deathmatch          \t1"}));
        window.show();
        window.cmdClose->click();
        QVERIFY(closed == 1 && !window.isVisible());
    }

    void netquake_rules_listed_in_the_modal_window() {
        sim::SimServer server(sim::DemoState(ServerType::QuakeI), {.move = false});
        QVERIFY(server.Start());
        auto window = Loaded();
        Connection& c = window->connection();
        c.Winsock().SetRemoteHost("127.0.0.1");
        c.Winsock().SetRemotePort(server.Port());
        c.mnuConnect_Click();
        QVERIFY(WaitFor([&] { return window->monitor().state == ConnectionState::Connected; }));
        QVERIFY(window->mnuRule->isEnabled());
        // Every rule, then "Rules - Done"; closing leaves the dark green lamp and no list.
        QStringList seen;
        QTimer::singleShot(0, this, [&] {
            frmRoule* rules = window->RulesWindow();
            QVERIFY(rules && rules->isModal());
            seen << rules->windowTitle();
            QVERIFY(WaitFor([&] { return rules->windowTitle() == "Rules - Done"; }));
            seen << Lines(*rules);
            rules->cmdClose->click();
        });
        window->mnuRule->trigger();  // modal until closed
        QCOMPARE(seen, QStringList({"Rules - Working...", "deathmatch         \t1",
                                    "fraglimit          \t30", "timelimit          \t20",
                                    "teamplay           \t0", "samelevel          \t0",
                                    "maxspectators      \t2"}));
        QCOMPARE(window->pctNet->Shown(), QColor(0, 128, 0));
        QVERIFY(!window->RulesWindow() && !window->monitor().rules.shown &&
                window->monitor().rules.lines.empty());
        c.mnuDisconnect_Click();
    }

    void startup_command_line_data() {
        QTest::addColumn<QString>("line");  // %1: a port on 127.0.0.1
        // "type|host|state|connect enabled|polling|messages"
        QTest::addColumn<QString>("shown");
        const QString syntax =
            "Morvek|Error in interpreting command line. \rSintax: Morvek "
            "<n> <address> <port> \r n (type of server): 0=Quake, "
            "1=WorldQuake, 2=HexenII, 3=QuakeII";
        // The fields read before a failure stay applied; nothing connects.
        QTest::newRow("port 0") << "0 myhost 0"
                                << "0|myhost|0|1|0|" + syntax;
        QTest::newRow("type 12") << "12 host 26000"
                                 << "1|localhost|0|1|0|" + syntax;
        QTest::newRow("none") << ""
                              << "1|localhost|0|1|0|";
        QTest::newRow("good") << "1 127.0.0.1 %1"
                              << "1|127.0.0.1|1|0|1|";
    }
    void startup_command_line() {
        QFETCH(QString, line);
        QUdpSocket target;
        QVERIFY(target.bind(QHostAddress::LocalHost, 0));
        auto window = Loaded();
        window->monitor().server_type = ServerType::QuakeWorld;
        if (line.contains('%')) line = line.arg(target.localPort());
        ApplyStartup(*window, line.toStdString(), false);
        window->RefreshAll();
        QString shown = QString::asprintf(
            "%d|%s|%d|%d|%d|", int(window->monitor().server_type),
            window->connection().Winsock().RemoteHost().c_str(), int(window->monitor().state),
            window->mnuConnect->isEnabled(), window->connection().timCheck().Enabled());
        for (const auto& box : dialogs_.messages) {
            QVERIFY(box.icon == platform::MessageIcon::Critical &&
                    box.buttons == platform::MessageButtons::Ok);
            shown += QString::fromStdString(box.title + "|" + box.text);
        }
        QTEST(shown, "shown");
        if (window->monitor().state != ConnectionState::Disconnected)
            QCOMPARE(window->txtType->text(), QStringLiteral("QuakeWd"));
        window->connection().mnuDisconnect_Click();
    }

    void fixed_series_at_startup() {
        auto window = Loaded();
        Monitor& m = window->monitor();
        m.options.serie_max_player = 0;
        m.options.serie_fixed = 5;
        ApplyStartup(*window, "", false);
        QCOMPARE(m.graph.LegendTexts(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    }

    void shipped_help_found_without_regard_to_case() {
        QTemporaryDir dir;
        auto window = Loaded();
        window->SetHelpFolder(dir.path());
        window->mnuHelp->trigger();
        QCOMPARE(dialogs_.messages.size(), std::size_t(1));
        QVERIFY(dialogs_.messages[0].text.find("Morvek.HLP") != std::string::npos);
        QVERIFY(!window->Help());
        QVERIFY(QFile::copy(MORVEK_SOURCE_DIR "/resources/Morvek.hlp", dir.filePath("morvek.hlp")));
        dialogs_.messages.clear();
        window->mnuHelp->trigger();
        QVERIFY(dialogs_.messages.empty() && window->Help() && window->Help()->isVisible());
        const QString text = window->Help()->browser->toPlainText();
        QVERIFY(text.contains("Web publishing") && text.contains("Log Player"));
    }

    void texts_handed_to_qt_boxes() {
        QCOMPARE(MessageBoxText("a\rb\r\nc"), QStringLiteral("a\nb\nc"));
        QCOMPARE(FileDialogFilters("Html files|*.htm;*.html"),
                 QStringList({"Html files (*.htm *.html)"}));
    }

    void log_player_buttons_answer_the_mouse() {
        const QString log = dir_.filePath("three.mv");
        QVERIFY(MakeLog(log, {"1", "2", "3"}));
        auto loaded = Loaded();
        frmMain& window = *loaded;
        dialogs_.files = {log.toStdString()};
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

    void value_axis_after_ranges_that_grow_and_shrink() {
        FragGraph graph;
        graph.SetRowCount(1);
        graph.SetColumnCount(1);
        SetupGraph(graph);
        GraphView view;
        view.resize(400, 200);
        view.show();
        QStringList axes;
        for (double frags : {2.0, 500.0, 2.0, -400.0, 2.0, 4000.0, 3000.0}) {
            graph.SetCell(1, 1, frags);
            graph.MarkSampled(1);
            view.Refresh(graph);
            const QValueAxis* y = view.ValueAxis();
            axes << QStringLiteral("%1..%2/%3").arg(y->min()).arg(y->max()).arg(y->tickInterval());
        }
        QCOMPARE(axes, QStringList({"0..3/1", "0..600/100", "0..3/1", "-500..100/100", "0..3/1",
                                    "0..5000/1000", "0..4000/1000"}));
    }

    void cut_texts_are_offered_whole_as_tooltips() {
        auto loaded = Loaded();
        frmMain& window = *loaded;
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
        // Frags as the server sent them, negative counts in a log's unsigned form included.
        QVERIFY(MakeLog(
            replay, {"7", "-3", "4244897280", "4244897001", "4244897000", "2.5", "-16777215", ""}));
        window.mnuStopRecord_Click();
        QStringList seen_open;
        AnswerFileDialog(replay, seen_open);
        window.mnuOpen_Click();
        QCOMPARE(seen_open, QStringList({QString::number(QFileDialog::AcceptOpen),
                                         "Morvek files (*.mv)", "All files (*)"}));
        QCOMPARE(LogRecordCount(window.monitor().log_path), std::int64_t(8));
        QCOMPARE(window.txtSvrName->text(), QStringLiteral("Test Server    "));
        QTest::mouseClick(window.cmdPlayer[3], Qt::LeftButton);  // ">"
        QCOMPARE(window.lblPosizione->text(), QStringLiteral("2"));
        // The graph's 20 rows cut to the log's 8; halves go to even.
        const QList<QPointF> line = {{1, 7},          {2, -3}, {3, -1},        {4, -280},
                                     {5, 4244897000}, {6, 2},  {7, -16777215}, {8, 0}};
        QCOMPARE(window.chtGrafico->Series(0)->points(), line);
        QCOMPARE(window.chtGrafico->MarkerLine()->points(), QList<QPointF>({{2, -1e9}, {2, 5e9}}));
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

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
