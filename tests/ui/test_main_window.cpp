// The main window: layout numbers in twips, the menu's enabled items in every state, captions per
// server type, the maximum-players rule and the graph drawn from the model.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QValueAxis>

#include "platform/dialogs.h"
#include "query/connection.h"
#include "ui/graph_view.h"
#include "ui/layout.h"
#include "ui/main_window.h"
#include "ui/player_panel.h"
#include "ui/twips.h"

using namespace morvek;

class TestMainWindow : public QObject {
    Q_OBJECT

    platform::ScriptedDialogs dialogs_;

    std::unique_ptr<frmMain> Loaded() {
        auto window = std::make_unique<frmMain>(&dialogs_, nullptr);
        if (!window->Form_Load()) return nullptr;
        window->show();
        return window;
    }

  private slots:
    void layout_rule_at_minimum_size() {
        MainLayout l;
        double w = 6300, h = 6360;
        ApplyLayoutRule(l, w, h);
        QCOMPARE(l.frGraph.height, 2125.0);
        QCOMPARE(l.frStatus.width, 2445.0);
        QCOMPARE(l.frServer.width, 6180.0);
        QCOMPARE(l.frPlay.left, 6300.0 - 1995 - 120);
        QCOMPARE(l.frPlay.top, l.frStatus.top);
        QCOMPARE(l.frStatus.top, 3180.0 + 2125 + 30);
        QCOMPARE(l.lblCopy.top, 3180.0 + 2125);
        QCOMPARE(l.cmdMenu.top, l.lblCopy.top + 195 + 60);
        QCOMPARE(l.pctNet.top, l.cmdMenu.top);
        QCOMPARE(l.chtGrafico.height, 2125.0 - 300);
        QCOMPARE(l.chtGrafico.width, 6180.0 - 120);
        // Halves are kept exactly: (6180 - 6015) / 2.
        QCOMPARE(l.frInsidePlayer.left, 82.5);
        QCOMPARE(l.frInsideStatus.left, (2445.0 - 1815) / 2 + 300);
        // Nothing got a negative size.
        for (const TwipsRect* r : {&l.frServer, &l.frPlayer, &l.frGraph, &l.chtGrafico, &l.frStatus,
                                   &l.frPlay, &l.lblCopy, &l.cmdMenu})
            QVERIFY(r->width > 0 && r->height > 0);
    }

    void layout_rule_raises_small_sizes_to_the_minimum() {
        MainLayout l;
        double w = 3000, h = 2000;
        ApplyLayoutRule(l, w, h);
        QCOMPARE(w, 6300.0);
        QCOMPARE(h, 6360.0);
        l.graph_visible = false;
        l.rouler_v_y2 = kMinHeightWithoutGraph;
        w = 6300, h = 1000;
        ApplyLayoutRule(l, w, h);
        QCOMPARE(h, 4280.0);
        // With the graph hidden the bottom strip sits under the player frame.
        QCOMPARE(l.lblCopy.top, 1320.0 + 1875);
        QCOMPARE(l.frStatus.top, 1320.0 + 1875 + 30);
        QCOMPARE(l.frPlay.top, l.frStatus.top);
        QCOMPARE(l.cmdMenu.top, 1320.0 + 1875 + 195 + 60);
    }

    void window_at_minimum_size() {
        auto window = Loaded();
        QVERIFY(window);
        window->resize(100, 100);  // far below the minimum: snapped back
        QCoreApplication::processEvents();
        QCOMPARE(window->OuterWidthTwips(), 6300.0);
        QCOMPARE(window->OuterHeightTwips(), 6360.0);
        QCOMPARE(window->Layout().frGraph.height, 2125.0);
        QCOMPARE(window->Layout().frStatus.width, 2445.0);
        // The widgets follow the twips.
        QCOMPARE(window->frGraph->geometry(), PixelRect(window->Layout().frGraph));
        QCOMPARE(window->frStatus->geometry(), PixelRect(window->Layout().frStatus));
        QCOMPARE(window->frStatus->width(), TwipsToPixels(1680 + 2445) - TwipsToPixels(1680));
        QCOMPARE(window->cmdMenu->geometry(), PixelRect(window->Layout().cmdMenu));
        QCOMPARE(window->frameGeometry().width(), 420);
        QCOMPARE(window->frameGeometry().height(), 424);
    }

    void window_wider_centres_the_inner_frames() {
        auto window = Loaded();
        const QSize extra = window->frameGeometry().size() - window->size();
        window->resize(TwipsToPixels(9000) - extra.width(), TwipsToPixels(7200) - extra.height());
        QCoreApplication::processEvents();
        QCOMPARE(window->OuterWidthTwips(), 9000.0);
        QCOMPARE(window->Layout().frPlay.left, 9000.0 - 1995 - 120);
        QCOMPARE(window->Layout().frInsideServer.left, (8880.0 - 6135) / 2);
        QCOMPARE(window->Layout().frGraph.height, 7200.0 - 1320 - 1875 - 1040);
    }

    void hiding_the_graph_moves_the_bottom_strip() {
        auto window = Loaded();
        window->SetGraphVisible(false);
        QCoreApplication::processEvents();
        QVERIFY(!window->frGraph->isVisible());
        QVERIFY(!window->monitor().graph.visible);
        QCOMPARE(window->OuterHeightTwips(), 4290.0);  // 4280 twips rounded to whole pixels
        const MainLayout& l = window->Layout();
        QCOMPARE(l.rouler_v_y2, 4280.0);
        QCOMPARE(l.lblCopy.top, l.frPlayer.Bottom());
        QCOMPARE(l.frStatus.top, l.frPlayer.Bottom() + 30);
        QVERIFY(window->frStatus->y() >= window->frPlayer->geometry().bottom());
        QVERIFY(window->frPlay->y() >= window->frPlayer->geometry().bottom());
        // Below the smaller minimum it snaps back to 4280.
        window->resize(window->width(), 50);
        QCoreApplication::processEvents();
        QVERIFY(window->OuterHeightTwips() >= 4280);
        window->SetGraphVisible(true);
        QCoreApplication::processEvents();
        QVERIFY(window->frGraph->isVisible());
        QCOMPARE(window->Layout().rouler_v_y2, 6360.0);
        QVERIFY(window->OuterHeightTwips() >= 6765 - 15);
        QCOMPARE(window->Layout().lblCopy.top, window->Layout().frGraph.Bottom());
    }

    void menu_items_in_order_with_access_keys() {
        auto window = Loaded();
        QStringList captions;
        for (QAction* a : window->mnu->actions())
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions, QStringList({"&About", "&Help", "-", "&Connect", "&Disconnect",
                                        "&See Rules", "Set&up...", "-", "&Web publishing",
                                        "&Print...", "&Log", "-", "&Exit"}));
        QStringList log;
        for (QAction* a : window->mnuLog->actions()) log << a->text();
        QCOMPARE(log, QStringList({"&Record...", "&Stop recording", "&Open..."}));
    }

    void menu_enabling_in_every_state() {
        auto window = Loaded();
        Connection& c = window->connection();
        Monitor& m = window->monitor();
        struct Row {
            ConnectionState state;
            bool recording;
            bool connect, disconnect, rules, setup, open, record, stop;
        };
        const Row rows[] = {
            {ConnectionState::Disconnected, false, true, false, false, true, true, true, false},
            {ConnectionState::Disconnected, true, true, false, false, true, false, false, true},
            {ConnectionState::TryingToConnect, false, false, false, false, false, false, true,
             false},
            {ConnectionState::TryingToConnect, true, false, false, false, false, false, false,
             true},
            {ConnectionState::Connected, false, false, true, true, true, false, true, false},
            {ConnectionState::Connected, true, false, true, true, true, false, false, true},
        };
        for (const Row& r : rows) {
            ShowState(m, r.state);
            m.recording = r.recording;
            c.UpdateMenuState();
            QCOMPARE(window->mnuConnect->isEnabled(), r.connect);
            QCOMPARE(window->mnuDisconnect->isEnabled(), r.disconnect);
            QCOMPARE(window->mnuRule->isEnabled(), r.rules);
            QCOMPARE(window->mnuSetup->isEnabled(), r.setup);
            QCOMPARE(window->mnuOpen->isEnabled(), r.open);
            QCOMPARE(window->mnuSave->isEnabled(), r.record);
            QCOMPARE(window->mnuStopRecord->isEnabled(), r.stop);
            for (QAction* always : {window->mnuAbout, window->mnuHelp, window->mnuWeb,
                                    window->mnuPrint, window->mnuLogItem, window->mnuExit})
                QVERIFY(always->isEnabled());
        }
        // Stop recording hides the indicator and brings Record back.
        window->mnuStopRecord->trigger();
        QVERIFY(!m.recording);
        QVERIFY(m.log_path.empty());
        QVERIFY(window->mnuSave->isEnabled());
        QVERIFY(window->pctSave->isHidden());
    }

    void load_step_starts_disconnected() {
        auto window = Loaded();
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Disconnected"));
        QCOMPARE(window->pctStatus->Shown(), QColor(255, 0, 0));
        QCOMPARE(window->pctNet->Shown(), QColor(0, 128, 0));
        QVERIFY(window->pctOpen->isHidden() && window->pctSave->isHidden() &&
                window->pctWeb->isHidden());
        QVERIFY(!window->connection().timCheck().Enabled());
        QCOMPARE(window->windowTitle(), QStringLiteral("Morvek"));
        QCOMPARE(window->cmdMenu->text(), QStringLiteral("        Graph"));
        QCOMPARE(window->frServer->title(), QStringLiteral("Server Info:"));
        QCOMPARE(window->frPlayer->title(), QStringLiteral("Player Info:"));
        QCOMPARE(window->frGraph->title(), QStringLiteral("Graph:"));
        QCOMPARE(window->frStatus->title(), QStringLiteral("Status:"));
        QCOMPARE(window->frPlay->title(), QStringLiteral("Log Player:"));
        QStringList player;
        for (QPushButton* b : window->cmdPlayer) player << b->text();
        QCOMPARE(player, QStringList({"|<", "<<", "<", ">", ">>", ">|"}));
        // The position label sits between "<" and ">".
        QVERIFY(window->lblPosizione->x() >= window->cmdPlayer[2]->geometry().right());
        QVERIFY(window->lblPosizione->geometry().right() <= window->cmdPlayer[3]->x());
    }

    void captions_per_server_type() {
        auto window = Loaded();
        Monitor& m = window->monitor();
        const char* names[] = {"Quake I", "QuakeWd", "Hexen II", "Quake II"};
        const char* address[] = {"Net Address", "Skin", "Net Address", "Skin"};
        const char* port[] = {"Port", "Ping", "Port", "Ping"};
        for (int type = 0; type < 4; ++type) {
            m.server_type = ServerType(type);
            m.snapshot.name = "old";
            m.snapshot.ping = "42";
            ResetServerPanel(m);
            window->RefreshPanel();
            QCOMPARE(window->txtType->text(), QString::fromLatin1(names[type]));
            QCOMPARE(window->frInsidePlayer->Label3[4]->text(), QString::fromLatin1(address[type]));
            QCOMPARE(window->frInsidePlayer->Label3[5]->text(), QString::fromLatin1(port[type]));
            QCOMPARE(window->txtSvrName->text(), QString());
            QCOMPARE(window->txtPing->text(), QStringLiteral("42"));  // the ping keeps its text
        }
        // An unknown type changes neither the type name nor the headings.
        m.server_type = ServerType(7);
        ResetServerPanel(m);
        window->RefreshPanel();
        QCOMPARE(window->txtType->text(), QStringLiteral("Quake II"));
        QCOMPARE(window->frInsidePlayer->Label3[4]->text(), QStringLiteral("Skin"));
        QVERIFY(window->txtSvrName->isReadOnly());
    }

    void max_players_rule_sets_the_series() {
        auto window = Loaded();
        Monitor& m = window->monitor();
        const int before = m.graph.ColumnCount();
        SetMaxPlayers(m, "");
        SetMaxPlayers(m, "0");
        QCOMPARE(m.graph.ColumnCount(), before);
        m.options.serie_max_player = 0;
        SetMaxPlayers(m, "24");
        window->RefreshPanel();
        QCOMPARE(m.graph.ColumnCount(), before);
        m.options.serie_max_player = 1;
        SetMaxPlayers(m, "");
        SetMaxPlayers(m, "24");
        window->RefreshPanel();
        QCOMPARE(m.graph.ColumnCount(), 24);
        QCOMPARE(window->chtGrafico->SeriesCount(), 24);
        QCOMPARE(window->chtGrafico->Series(23)->name(), QStringLiteral("24"));
        QCOMPARE(window->txtSvrMaxPlayers->text(), QStringLiteral("24"));
        // A maximum beyond the 64 slots: one series per slot.
        SetMaxPlayers(m, "200");
        window->RefreshPanel();
        QCOMPARE(m.graph.ColumnCount(), 64);
        QCOMPARE(window->chtGrafico->SeriesCount(), 64);
        // Series count 0: no line, nothing written.
        m.graph.SetColumnCount(0);
        AddGraphSample(m.graph, 0, m.table);
        window->RefreshPanel();
        QCOMPARE(window->chtGrafico->SeriesCount(), 0);
    }

    void graph_scroll_with_one_row_and_twenty() {
        auto window = Loaded();
        Monitor& m = window->monitor();
        m.graph.SetColumnCount(2);
        m.graph.SetRowCount(1);
        SetupGraph(m.graph);
        m.table.slot[0][kFrags] = "3";
        AddGraphSample(m.graph, 0, m.table);
        m.table.slot[0][kFrags] = "-5";
        AddGraphSample(m.graph, 0, m.table);
        window->RefreshPanel();
        QLineSeries* first = window->chtGrafico->Series(0);
        QCOMPARE(first->count(), 1);
        QCOMPARE(first->at(0).y(), -5.0);  // the only row overwritten
        QVERIFY(window->chtGrafico->ValueAxis()->min() <= -5);

        m.graph.SetRowCount(20);
        SetupGraph(m.graph);
        for (int i = 1; i <= 25; ++i) {
            m.table.slot[0][kFrags] = std::to_string(i);
            m.table.slot[1][kFrags] = std::to_string(100 + i);
            AddGraphSample(m.graph, 0, m.table);
        }
        window->RefreshPanel();
        first = window->chtGrafico->Series(0);
        QLineSeries* second = window->chtGrafico->Series(1);
        QCOMPARE(first->count(), 20);
        // The newest sample in the last row; the oldest five left through the first row.
        QCOMPARE(first->at(19).y(), 25.0);
        QCOMPARE(first->at(0).y(), 6.0);
        QCOMPARE(second->at(0).y(), 106.0);
        QCOMPARE(first->at(0).x(), 1.0);
        QCOMPARE(first->at(19).x(), 20.0);
        QVERIFY(window->chtGrafico->ValueAxis()->max() >= 125);
        // No redraw when nothing changed.
        const auto redraws = window->chtGrafico->Redraws();
        window->RefreshPanel();
        QCOMPARE(window->chtGrafico->Redraws(), redraws);
    }

    void graph_with_many_rows_stays_bounded() {
        auto window = Loaded();
        Monitor& m = window->monitor();
        m.graph.SetColumnCount(3);
        m.graph.SetRowCount(10000);
        SetupGraph(m.graph);
        m.graph.SetCell(5000, 2, 77);
        m.graph.SetCell(7000, 2, -9);
        window->RefreshPanel();
        QLineSeries* s = window->chtGrafico->Series(1);
        QVERIFY(s->count() <= 2 * GraphView::kMaxBuckets);
        // A lone peak and a lone dip survive the grouping.
        double high = 0, low = 0;
        for (const QPointF& p : s->points()) {
            high = std::max(high, p.y());
            low = std::min(low, p.y());
        }
        QCOMPARE(high, 77.0);
        QCOMPARE(low, -9.0);
    }

    void legend_follows_the_setting() {
        auto window = Loaded();
        Monitor& m = window->monitor();
        m.graph.show_legend = false;
        ++m.graph.revision;
        window->RefreshPanel();
        QVERIFY(!window->chtGrafico->chart()->legend()->isVisible());
        m.graph.show_legend = true;
        ++m.graph.revision;
        window->RefreshPanel();
        QVERIFY(window->chtGrafico->chart()->legend()->isVisible());
    }

    void menu_opens_at_the_buttons_top_right_corner() {
        auto window = Loaded();
        window->cmdMenu_Click();
        QVERIFY(window->mnu->isVisible());
        const QPoint expected = window->mapToGlobal(
            QPoint(window->cmdMenu->x() + window->cmdMenu->width(), window->cmdMenu->y()));
        // The platform may push a menu back onto the screen; offscreen it stays where asked.
        QCOMPARE(window->mnu->pos(), expected);
        window->mnu->close();
    }

    void releasing_a_player_button_focuses_the_menu_button() {
        auto window = Loaded();
        window->activateWindow();
        EnableLogPlayer(window->monitor());
        window->RefreshPanel();
        window->frPlay->setFocus();
        QTest::mouseRelease(window->cmdPlayer[4], Qt::LeftButton);
        QCOMPARE(window->focusWidget(), window->cmdMenu);
    }

    void exit_closes_the_window_and_stops_polling() {
        auto window = Loaded();
        window->connection().timCheck().SetEnabled(true);
        window->mnuExit->trigger();
        QVERIFY(!window->isVisible());
        QVERIFY(!window->connection().timCheck().Enabled());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
