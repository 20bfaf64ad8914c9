// The main window: the layout rule in twips, the widgets placed from it, the menu in every state,
// the captions, the series drawn from the model; the rules window (its list, the modal listing
// through the menu), the start-up steps after the window is shown (the command line and its
// message, fixed series), help, and the texts handed to Qt's boxes.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUdpSocket>
#include <QValueAxis>

#include "sim/sim_server.h"
#include "support/rig.h"
#include "ui/about_box.h"
#include "ui/entry.h"
#include "ui/graph_view.h"
#include "ui/main_window.h"
#include "ui/player_panel.h"
#include "ui/qt_dialogs.h"
#include "ui/rules_window.h"
#include "ui/twips.h"

using namespace morvek;
using testing::WaitFor;
using Regions = QList<TwipsRect>;
Q_DECLARE_METATYPE(Regions)

QDebug operator<<(QDebug debug, const TwipsRect& r) {
    QDebugStateSaver saver(debug);
    return debug.nospace() << "{" << r.left << ", " << r.top << ", " << r.width << ", " << r.height
                           << "}";
}

namespace {

// frServer, frInsideServer, frPlayer, frInsidePlayer, frGraph, chtGrafico, lblCopy, cmdMenu,
// pctNet, frStatus, frInsideStatus, frPlay.
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
const Regions kWide{{0, 60, 8880, 1215},       {1372.5, 240, 6135, 915}, {0, 1320, 8880, 1875},
                    {1432.5, 300, 6015, 1515}, {0, 3180, 8880, 2965},    {75, 240, 8760, 2665},
                    {60, 6145, 1485, 195},     {285, 6400, 1275, 330},   {75, 6400, 195, 300},
                    {1680, 6175, 5145, 570},   {1965, 240, 1815, 195},   {6885, 6175, 1995, 570}};
// Graph hidden (4280 twips are 286 pixels): the bottom strip sits under the player frame.
const Regions kNoGraph{{0, 60, 6180, 1215},     {22.5, 240, 6135, 915}, {0, 1320, 6180, 1875},
                       {82.5, 300, 6015, 1515}, {0, 3180, 6180, 55},    {75, 240, 5955, 2160},
                       {60, 3195, 1485, 195},   {285, 3450, 1275, 330}, {75, 3450, 195, 300},
                       {1680, 3225, 2445, 570}, {615, 240, 1815, 195},  {4185, 3225, 1995, 570}};

// The captions of the menu and its Log submenu, "-" for a separator; the disabled ones.
QStringList Captions(const QMenu* menu, bool disabled_only = false) {
    QStringList out;
    for (QAction* a : menu->actions()) {
        if (disabled_only && a->isEnabled()) {
            if (a->menu()) out << Captions(a->menu(), true);
            continue;
        }
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return out;
}

QStringList Lines(const frmRoule& window) {
    QStringList lines;
    for (int i = 0; i < window.lstRoules->count(); ++i) lines << window.lstRoules->item(i)->text();
    return lines;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    testing::Dialogs dialogs_;
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
        QTest::newRow("wider and taller")
            << true << QSize(9000, 7200) << QSizeF(9000, 7200) << kWide;
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
        QStringList texts = Captions(w->mnu) + Captions(w->mnuLog);
        for (const QGroupBox* frame :
             {w->frServer, w->frPlayer, w->frGraph, w->frStatus, w->frPlay})
            texts << frame->title();
        for (QPushButton* b : w->cmdPlayer) texts << b->text();
        QCOMPARE(texts.join('|'),
                 "&About|&Help|-|&Connect|&Disconnect|&See Rules|Set&up...|-|&Web publishing|"
                 "&Print...|&Log|-|&Exit|&Record...|&Stop recording|&Open...|Server Info:|"
                 "Player Info:|Graph:|Status:|Log Player:||<|<<|<|>|>>|>|");
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
        QCOMPARE(Captions(w->mnu, true).join('|'), disabled);
    }

    void stop_recording_hides_the_indicator_and_brings_record_back() {
        auto w = Loaded();
        w->monitor().recording = true;
        w->monitor().log_path = "x.log";
        w->connection().UpdateMenuState();
        w->RefreshPanel();
        QVERIFY(w->pctSave->isVisibleTo(w.get()));
        w->mnuStopRecord->trigger();
        QVERIFY(!w->monitor().recording && w->monitor().log_path.empty());
        QVERIFY(w->mnuSave->isEnabled() && w->pctSave->isHidden());
    }

    void server_type_captions_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("captions");
        QTest::newRow("Quake I") << 0 << "Quake I|Net Address|Port";
        QTest::newRow("QuakeWorld") << 1 << "QuakeWd|Skin|Ping";
        QTest::newRow("Quake II") << 3 << "Quake II|Skin|Ping";
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
        for (const char* word : {"Connect", "Disconnect", "See Rules", "Setup", "Web publishing",
                                 "Print", "Record", "Stop recording", "Open", "Exit", "Log Player",
                                 "Player Info", "Server Info", "Graph"})
            QVERIFY2(text.contains(QLatin1String(word)), word);
    }

    void texts_handed_to_qt_boxes() {
        QCOMPARE(MessageBoxText("a\rb\r\nc"), QStringLiteral("a\nb\nc"));
        QCOMPARE(FileDialogFilters("Morvek files (*.mv)|*.mv|All files (*.*)|*.*"),
                 QStringList({"Morvek files (*.mv)", "All files (*)"}));
        QCOMPARE(FileDialogFilters("Html files|*.htm;*.html"),
                 QStringList({"Html files (*.htm *.html)"}));
        QCOMPARE(FileDialogFilters("broken"), QStringList());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
