// The main window as a person uses it: mouse, modal boxes, real file dialogs and a demo run.
#include <QPrintDialog>
#include <QtCharts>
#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

#include "core/numbers.h"
#include "log/player.h"
#include "log/recorder.h"
#include "sim/sim_server.h"
#include "support/files.h"
#include "support/http.h"
#include "support/rig.h"
#include "ui/about_box.h"
#include "ui/entry.h"
#include "ui/graph_view.h"
#include "ui/main_window.h"
#include "ui/player_panel.h"
#include "ui/qt_dialogs.h"
#include "ui/rules_window.h"
#include "ui/setup_dialog.h"
#include "ui/twips.h"

using namespace morvek;
using testing::WaitFor;

namespace {

QList<QRect> Placed(const MainWindow& w) {
    QList<QRect> rects;
    for (QWidget* c : std::initializer_list<QWidget*>{w.serverFrame, w.serverFields, w.playerFrame,
                                                      w.playerPanel, w.graphFrame, w.fragChart,
                                                      w.creditLabel, w.menuButton, w.trafficLamp,
                                                      w.statusFrame, w.statusLine, w.replayFrame})
        rects << c->geometry();
    return rects;
}
const QList<TwipsRect> kAtMinimum{
    {0, 60, 6180, 1215},   {22.5, 240, 6135, 915},  {0, 1320, 6180, 1875}, {82.5, 300, 6015, 1515},
    {0, 3180, 6180, 2125}, {75, 240, 6060, 1825},   {60, 5305, 1485, 195}, {285, 5560, 1275, 330},
    {75, 5560, 195, 300},  {1680, 5335, 2445, 570}, {615, 240, 1815, 195}, {4185, 5335, 1995, 570}};

// Value-axis labels cut short (no whole number), past the chart's edge or the plot, or overlapping.
QString LabelFaults(const GraphView* view) {
    QStringList bad;
    QList<QRectF> placed;
    for (QGraphicsItem* item : view->scene()->items()) {
        auto* label = qgraphicsitem_cast<QGraphicsTextItem*>(item);
        if (!label || !label->isVisible() || label->toPlainText().isEmpty()) continue;
        const QRectF at = label->sceneBoundingRect();
        if (!QRegularExpression("^-?\\d+$").match(label->toPlainText()).hasMatch() ||
            at.left() < 0 || at.right() > view->chart()->plotArea().left() ||
            std::any_of(placed.begin(), placed.end(), [&](auto& r) { return r.intersects(at); }))
            bad << label->toPlainText();
        placed << at;
    }
    return bad.join(' ');
}

// How far apart two colours look: their distance in CIE L*a*b*.
double ColourDistance(const QColor& one, const QColor& other) {
    const auto lab = [](const QColor& c) {
        const double r = std::pow(c.redF(), 2.2), g = std::pow(c.greenF(), 2.2),
                     b = std::pow(c.blueF(), 2.2);
        const double x = std::cbrt((0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047),
                     y = std::cbrt(0.2126 * r + 0.7152 * g + 0.0722 * b),
                     z = std::cbrt((0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883);
        return std::array<double, 3>{116 * y - 16, 500 * (x - y), 200 * (y - z)};
    };
    const auto p = lab(one), q = lab(other);
    return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
}

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

// Opens the command menu with its button and clicks `item`, both by mouse.
void ChooseFromMenu(MainWindow& w, QAction* item) {
    QTest::mouseClick(w.menuButton, Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowExposed(w.commandMenu));
    const QPoint at = w.commandMenu->actionGeometry(item).center();
    QTest::mouseMove(w.commandMenu, at);
    QTest::mouseClick(w.commandMenu, Qt::LeftButton, {}, at);
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    testing::Dialogs dialogs_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindow> Loaded() {
        dialogs_ = {};
        auto w = std::make_unique<MainWindow>(&dialogs_, nullptr);
        w->Load();
        w->show();
        return w;
    }

  private slots:
    // Opened: captions, lamps, no polling, each bottom frame's contents inside it; raised to its
    // minimum size, every region in place; the graph switched off and on sets the height.
    void opened_window_and_its_layout() {
        auto w = Loaded();
        QCOMPARE(w->windowTitle() + "|" + w->menuButton->text() + "|" + w->statusLabel->text(),
                 "Morvek|        Graph|Disconnected");
        QCOMPARE(QList<QColor>({w->statusLamp->Shown(), w->trafficLamp->Shown()}),
                 QList<QColor>({QColor(255, 0, 0), QColor(0, 128, 0)}));
        QVERIFY(w->logOpenIcon->isHidden() && w->recordingIcon->isHidden() &&
                w->publishingIcon->isHidden());
        QVERIFY(!w->connection().pollTimer().Enabled());
        w->ApplyLayout();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        for (QGroupBox* frame : {w->statusFrame, w->replayFrame})
            for (QWidget* inside : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                QVERIFY2(frame->contentsRect().contains(inside->geometry()),
                         qPrintable(frame->title() + inside->objectName()));
        // At the window's size and at the smallest it allows, the value axis's labels stay whole
        // whatever range the frags span, growing and shrinking (8 ticks once cut them to "...").
        Monitor& m = w->monitor();
        m.graph.SetColumnCount(2);
        const auto labels_readable = [&] {  // each a whole number, left of the plot, apart
            for (QPoint range :
                 {QPoint(0, 2), QPoint(-12, 60), QPoint(0, 500), QPoint(0, 2), QPoint(-400, 0),
                  QPoint(0, 4000), QPoint(0, 3000), QPoint(-1000, 0), QPoint(-100, 600)}) {
                m.graph.SetCell(20, 1, range.x());
                m.graph.SetCell(20, 2, range.y());
                m.graph.MarkSampled(20);
                w->RefreshAll();
                QTRY_COMPARE(LabelFaults(w->fragChart), QString());
            }
        };
        labels_readable();
        w->resize(TwipsToPixels(1500) - 8, TwipsToPixels(1500) - 27);  // frame: 120 x 405 twips
        QCoreApplication::processEvents();
        QCOMPARE(QSizeF(w->OuterWidthTwips(), w->OuterHeightTwips()), QSizeF(6300, 6360));
        QList<QRect> pixels;
        for (const TwipsRect& r : kAtMinimum) pixels << PixelRect(r);
        // The status frame's contents sit under its caption, cut to fit when it is taller.
        pixels[10].translate(0, std::max(0, w->statusFrame->contentsRect().top() - 15));
        QCOMPARE(Placed(*w), pixels);
        labels_readable();
        QStringList heights;  // height, the status frame's top, the graph shown
        for (bool graph : {false, true}) {
            w->SetGraphVisible(graph);
            heights << QStringLiteral("%1 %2 %3")
                           .arg(w->OuterHeightTwips())
                           .arg(w->Layout().statusFrame.top)
                           .arg(!w->graphFrame->isHidden() && w->monitor().graph.visible);
        }
        QCOMPARE(heights, QStringList({"4290 3225 0", "6765 5740 1"}));
        // A text its field cuts is offered whole as a tooltip; one that fits, none.
        const std::string name(60, 'N'), player(40, 'P');
        m.snapshot.name = name;
        m.snapshot.ping = "12";
        m.table.slot[0] = {"1", player, "4", "13", "", "", "7", "", ""};
        BuildPlayerView(m.table, m.view, 0, 1);
        w->ShowPlayers();
        w->RefreshPanel();
        QCOMPARE(QStringList({w->serverNameEdit->toolTip(), w->pingEdit->toolTip(),
                              w->playerPanel->nameLabels[0]->toolTip(),
                              w->playerPanel->fragsLabels[0]->toolTip()}),
                 QStringList({QString(name.c_str()), "", QString(player.c_str()), ""}));
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
        QTest::newRow("connected") << 2 << false << "&Connect|&Stop recording|&Open...";
        QTest::newRow("connected, recording") << 2 << true << "&Connect|&Record...|&Open...";
    }
    void disabled_menu_items() {
        QFETCH(int, state);
        QFETCH(bool, recording);
        auto w = Loaded();
        ShowState(w->monitor(), ConnectionState(state));
        w->monitor().recording = recording;
        w->connection().UpdateMenuState();
        QTEST(Disabled(w->commandMenu).join('|'), "disabled");
    }

    void menu_button_opens_the_menu_at_its_corner_and_exit_stops_polling() {
        auto w = Loaded();
        QTest::mouseClick(w->menuButton, Qt::LeftButton);
        // The platform may push a menu back onto the screen; offscreen it stays where asked.
        QCOMPARE(w->commandMenu->pos(),
                 w->mapToGlobal(w->menuButton->geometry().topRight() + QPoint(1, 0)));
        w->connection().pollTimer().SetEnabled(true);
        w->exitAction->trigger();
        QVERIFY(!w->isVisible() && !w->commandMenu->isVisible() &&
                !w->connection().pollTimer().Enabled());
    }

    // Every rule, then "Rules - Done"; closing leaves the dark green lamp and no list.
    void netquake_rules_listed_in_the_modal_window() {
        sim::SimServer server(sim::DemoState(ServerType::QuakeI), {.move = false});
        QVERIFY(server.Start());
        auto window = Loaded();
        Connection& c = window->connection();
        c.socket().SetRemoteHost("127.0.0.1");
        c.socket().SetRemotePort(server.Port());
        c.Connect();
        QVERIFY(WaitFor([&] { return window->monitor().state == ConnectionState::Connected; }));
        QStringList seen;
        QTimer::singleShot(0, this, [&] {
            RulesWindow* rules = window->ShownRulesWindow();
            QVERIFY(rules && rules->isModal());
            seen << rules->windowTitle();
            QVERIFY(WaitFor([&] { return rules->windowTitle() == "Rules - Done"; }));
            for (int i = 0; i < rules->rulesList->count(); ++i)
                seen << rules->rulesList->item(i)->text();
            // A list rebuilt shorter replaces every line shown.
            window->monitor().rules.Clear();
            AddRuleLine(window->monitor().rules, "noexit", "1", kStatusRuleWidth);
            rules->Refresh();
            seen << QString::number(rules->rulesList->count()) + rules->rulesList->item(0)->text();
            rules->closeButton->click();
        });
        window->rulesAction->trigger();  // modal until closed
        QCOMPARE(seen, QStringList({"Rules - Working...", "deathmatch         \t1",
                                    "fraglimit          \t30", "timelimit          \t20",
                                    "teamplay           \t0", "samelevel          \t0",
                                    "maxspectators      \t2", "1noexit              \t1"}));
        QCOMPARE(window->trafficLamp->Shown(), QColor(0, 128, 0));
        QVERIFY(!window->ShownRulesWindow() && !window->monitor().rules.shown &&
                window->monitor().rules.lines.empty());
        c.Disconnect();
    }

    void startup_command_line_data() {
        QTest::addColumn<QString>("line");  // %1: a port on 127.0.0.1
        // "type|host|state|connect enabled|polling|series|messages"; five fixed series asked
        QTest::addColumn<QString>("shown");
        const QString syntax =
            "Morvek|Error in interpreting command line. \rSintax: Morvek "
            "<n> <address> <port> \r n (type of server): 0=Quake, "
            "1=WorldQuake, 2=HexenII, 3=QuakeII";
        auto row = [](const char* name, QString line, QString shown) {
            QTest::newRow(name) << line << shown;
        };
        // The fields read before a failure stay applied; nothing connects.
        row("port 0", "0 myhost 0", "0|myhost|0|1|0|5|" + syntax);
        row("type 12", "12 host 26000", "1|localhost|0|1|0|5|" + syntax);
        row("none", "", "1|localhost|0|1|0|5|");
        row("good", "1 127.0.0.1 %1", "1|127.0.0.1|1|0|1|5|");
    }
    void startup_command_line() {
        QFETCH(QString, line);
        QUdpSocket target;
        QVERIFY(target.bind(QHostAddress::LocalHost, 0));
        auto window = Loaded();
        Monitor& m = window->monitor();
        m.server_type = ServerType::QuakeWorld;
        m.options.series_follow_max_players = 0;
        m.options.fixed_series = 5;
        ApplyStartup(*window, line.arg(target.localPort()).toStdString(), false);
        window->RefreshAll();
        QString shown = QString::asprintf("%d|%s|%d|%d|%d|%d|", int(m.server_type),
                                          window->connection().socket().RemoteHost().c_str(),
                                          int(m.state), window->connectAction->isEnabled(),
                                          window->connection().pollTimer().Enabled(),
                                          int(m.graph.LegendTexts().size()));
        for (const auto& box : dialogs_.messages) {
            QVERIFY(box.icon == platform::MessageIcon::Critical &&
                    box.buttons == platform::MessageButtons::Ok);
            shown += QString::fromStdString(box.title) + "|" + box.text;
        }
        QTEST(shown, "shown");
        if (m.state != ConnectionState::Disconnected)
            QCOMPARE(window->typeEdit->text(), QStringLiteral("QuakeWd"));
        window->connection().Disconnect();
    }

    void shipped_help_shown_and_a_missing_one_named() {
        QTemporaryDir dir(QDir::tempPath() + "/справка-XXXXXX");
        auto window = Loaded();
        window->SetHelpFolder(dir.path());
        window->helpAction->trigger();
        QCOMPARE(dialogs_.messages.size(), std::size_t(1));
        QCOMPARE(dialogs_.messages[0].text,
                 "Cannot find the help file " + dir.filePath("Morvek.html."));
        QVERIFY(
            QFile::copy(MORVEK_SOURCE_DIR "/resources/Morvek.html", dir.filePath("morvek.HTML")));
        window->helpAction->trigger();
        QVERIFY(dialogs_.messages.size() == 1 && window->Help() && window->Help()->isVisible());
        const QString text = window->Help()->browser->toPlainText();
        for (const char* topic : {"Web publishing", "Log Player", "Readable names", "Keep trying",
                                  "Alerts and the tray", "/live", "/metrics", "--on-event"})
            QVERIFY2(text.contains(topic), topic);
    }

    void texts_handed_to_qt_boxes() {
        QCOMPARE(MessageBoxText("a\rb\r\nc"), QStringLiteral("a\nb\nc"));
        QCOMPARE(FileDialogFilters("Html files|*.htm;*.html"),
                 QStringList({"Html files (*.htm *.html)"}));
    }

    // Sampled rows only, the marked row, names, palette, scrolling, redraws, players' lines,
    // colours.
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
        view.SetPlayerNames(table, Options{});
        view.Refresh(graph);
        QCOMPARE(view.Series(0)->points(), QList<QPointF>({{18, 10}, {19, 11}, {20, 12}}));
        emit view.Series(4)->hovered(QPointF(20, 0), true);
        QCOMPARE(QStringList({view.MarkerLabel()->pointLabelsFormat(),
                              QString::number(view.Legend()->count()),
                              view.Legend()->item(23)->toolTip(), QToolTip::text()}),
                 QStringList({"A", "24", "24: player24", "5: player5"}));
        for (int i = 0; i < 24; ++i)  // every entry in view
            QVERIFY(view.Legend()->viewport()->rect().contains(
                view.Legend()->visualItemRect(view.Legend()->item(i))));
        QPalette dark = view.palette();
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        view.setPalette(dark);
        QCOMPARE(QList<QColor>({view.chart()->backgroundBrush().color(),
                                view.ValueAxis()->labelsBrush().color()}),
                 QList<QColor>({QColor(30, 30, 30), QColor(230, 230, 230)}));
        polls(13, 34);
        graph.show_legend = false;
        view.Refresh(graph);
        QList<QPointF> scrolled;
        for (int row = 1; row <= 20; ++row) scrolled << QPointF(row, row + 14);
        QCOMPARE(view.Series(0)->points(), scrolled);
        QVERIFY(!view.Legend()->isVisible());
        const auto redraws = view.Redraws();
        view.Refresh(graph);
        QCOMPARE(view.Redraws(), redraws);
        // The players' lines, 3 players on 16 slots, then one joins: named as they read, no line
        // for an empty slot, the joiner's from the join on. Colours: neighbours far apart.
        graph.SetColumnCount(16);
        graph.player_lines = graph.show_legend = true;
        table.slot[0] = {"1", "Ranger", "", "", "", "", "12", "", ""};
        table.slot[1] = {"1", "\xc7\xf2\xf5\xee\xf4", "", "", "", "", "7", "", ""};  // red
        table.slot[2] = {"1", "Lady Death", "", "", "", "", "15", "", ""};
        const auto drawn = [&] {  // two polls, then each line's first value ("-": none), the legend
            for (int poll = 0; poll < 2; ++poll) AddGraphSample(graph, 0, table);
            view.SetPlayerNames(table, Options{});
            view.Refresh(graph);
            QStringList lines, legend;
            for (int i = 0; i < view.SeriesCount(); ++i) {
                const QLineSeries* line = view.Series(i);
                lines << (line->count() ? QString::number(line->at(0).y()) : "-");
                if (!view.Legend()->item(i)->isHidden()) legend << view.Legend()->item(i)->text();
            }
            return lines.join(' ') + " | " + legend.join(", ");
        };
        QCOMPARE(drawn(), "12 7 15 - - - - - - - - - - - - - | Ranger, Grunt, Lady Death");
        table.slot[3] = {"1", "[VX]Vore", "", "", "", "", "3", "", ""};
        QCOMPARE(drawn(),
                 "12 7 15 3 - - - - - - - - - - - - | Ranger, Grunt, Lady Death, [VX]Vore");
        for (int i = 0; i < 16; ++i)
            for (int j = i + 1; j < 16; ++j)
                QVERIFY2(ColourDistance(view.Series(i)->pen().color(),
                                        view.Series(j)->pen().color()) >= (j == i + 1 ? 45 : 25),
                         qPrintable(QString::number(j)));
    }

    // Saved and opened through the real dialogs; the player's buttons walk the log by mouse.
    // Printed to a file through the print dialog: the PDF's properties name the server and date.
    void printed_report_carries_title_and_date() {
        auto w = Loaded();
        w->monitor().snapshot.name = "Frag Palace";
        const QString pdf = dir_.filePath("printed.pdf");
        QTimer::singleShot(0, this, [pdf] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            dialog->findChild<QLineEdit*>("filename")->setText(pdf);
            dialog->accept();
        });
        w->printAction->trigger();
        QProcess info;
        info.start("pdfinfo", {pdf});
        QVERIFY(info.waitForFinished(30000));
        const QString out = QString::fromUtf8(info.readAllStandardOutput());
        const auto field = [&](const QString& key) {
            return QRegularExpression(key + R"(:\s+(\S.*))").match(out).captured(1);
        };
        QCOMPARE(
            field("Title") + "|" + field("CreationDate").left(7),
            "Morvek \u2013 Frag Palace|" + QLocale::c().toString(QDate::currentDate(), "ddd MMM"));
    }

    void log_dialogs_with_accented_names_and_the_player_buttons() {
        MainWindow window;  // the real dialogs
        QVERIFY(window.Load());
        window.show();
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("Téléchargements")));
        const QString record = dir_.filePath(QStringLiteral("Téléchargements/match.mv"));
        QStringList seen, seen_open;
        AnswerFileDialog(record, seen);
        window.Record();
        QVERIFY(window.monitor().recording && window.recordingIcon->isVisibleTo(&window));
        emit window.connection().RecordDue();  // what a poll tick does while recording
        QCOMPARE(QFileInfo(record).size(), qint64(46 + 1683));
        window.stopRecordingAction->trigger();
        QVERIFY(!window.monitor().recording && window.monitor().log_path.isEmpty());
        QVERIFY(window.recordAction->isEnabled() && window.recordingIcon->isHidden());
        // Frags as the server sent them, a negative count in a log's unsigned form included.
        const QString replay = dir_.filePath(QStringLiteral("replay-é.mv"));
        QVERIFY(MakeLog(replay, {"7", "-3", "4244897001", ""}));
        AnswerFileDialog(replay, seen_open);
        window.OpenLogFile();
        const QString filters = "|Morvek files (*.mv)|All files (*)";
        QCOMPARE(seen.join('|') + "|" + seen_open.join('|'),
                 QString::number(QFileDialog::AcceptSave) + filters + "|" +
                     QString::number(QFileDialog::AcceptOpen) + filters);
        QCOMPARE(window.serverNameEdit->text() + "|" + window.positionLabel->text(),
                 "Test Server    |1");
        // ">" ">|" "<" "|<" ">>" "<<": the graph's 20 rows were cut to the log's 4.
        QStringList shown;
        for (int button : {3, 5, 2, 0, 4, 1}) {
            window.replayFrame->setFocus();
            QTest::mouseClick(window.replayButtons[std::size_t(button)], Qt::LeftButton);
            shown << window.positionLabel->text() + " " +
                         QString::fromStdString(window.monitor().table.slot[0][kFrags]);
            QCOMPARE(window.focusWidget(), window.menuButton);
        }
        QCOMPARE(shown, QStringList({"2 -3", "4 0", "3 4244897001", "1 7", "4 0", "1 7"}));
        QCOMPARE(window.fragChart->Series(0)->points(),
                 QList<QPointF>({{1, 7}, {2, -3}, {3, -280}, {4, 0}}));
        QCOMPARE(window.fragChart->MarkerLine()->points(), QList<QPointF>({{1, -300}, {1, 100}}));
    }

    // Closed as "&Exit" closes it, a demo run writes the settings but keeps the stored server.
    // The server's process dies (its port refuses) and comes back on the same port.
    void server_restarts_under_the_window_data() {
        QTest::addColumn<bool>("keep_trying");
        QTest::newRow("keep trying") << true;
        QTest::newRow("default") << false;
    }
    void server_restarts_under_the_window() {
        QFETCH(bool, keep_trying);
        auto server = std::make_unique<sim::SimServer>(sim::DemoState(ServerType::QuakeI),
                                                       sim::SimOptions{.move = false});
        QVERIFY(server->Start());
        const quint16 port = server->Port();
        auto w = Loaded();
        dialogs_.modal_ms = 300;  // each box stays open while polls go on
        w->monitor().options.keep_trying = keep_trying;
        Connection& c = w->connection();
        c.socket().SetRemoteHost("127.0.0.1");
        c.socket().SetRemotePort(port);
        c.pollTimer().SetInterval(testing::kPollMs);
        c.timeoutTimer().SetInterval(testing::kTimeoutMs);
        const auto state_is = [&](ConnectionState state) {
            return WaitFor([&] { return w->monitor().state == state; });
        };
        ChooseFromMenu(*w, w->connectAction);
        QVERIFY(state_is(ConnectionState::Connected));
        server.reset();
        if (keep_trying) {
            QVERIFY(WaitFor([&] { return w->monitor().counters.refusals >= 2; }));
            QCOMPARE(w->statusLabel->text() + "|" + Disabled(w->commandMenu).join('|'),
                     "Trying to connect|&Connect|&See Rules|Set&up...|&Stop recording|&Open...");
        } else {
            QVERIFY(state_is(ConnectionState::Disconnected));
            QVERIFY(!c.pollTimer().Enabled() && w->connectAction->isEnabled());
        }
        server = std::make_unique<sim::SimServer>(sim::DemoState(ServerType::QuakeI),
                                                  sim::SimOptions{.port = port});
        QVERIFY(server->Start());
        if (!keep_trying) ChooseFromMenu(*w, w->connectAction);
        QVERIFY(state_is(ConnectionState::Connected));
        ChooseFromMenu(*w, w->disconnectAction);
        QVERIFY(state_is(ConnectionState::Disconnected));
        QCOMPARE(dialogs_.Texts(),
                 keep_trying ? std::vector<std::string>{}
                             : std::vector<std::string>{"Error 10061 (Connection refused)"});
        QCOMPARE(dialogs_.deepest, int(!keep_trying));
    }

    // The listener switched on in Setup by mouse: a busy port is told once and the window goes
    // on; a free one serves the picture and the simulator's map change; switched off, it stops.
    void live_listener_set_up_by_mouse() {
        QTcpServer busy;
        const quint16 port = testing::FreeTcpPort();
        sim::SimServer server(sim::DemoState(ServerType::QuakeWorld),
                              {.map_change_after = 4, .next_map = "e1m2", .move = false});
        QVERIFY(busy.listen(QHostAddress::LocalHost) && server.Start());
        auto w = Loaded();
        const auto set_up = [&](bool on, quint16 on_port) {
            QTimer::singleShot(0, this, [on, on_port] {
                auto* d = qobject_cast<SetupDialog*>(QApplication::activeModalWidget());
                QTabBar* tabs = d->pages->tabBar();
                QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
                if (d->serveLiveBox->isChecked() != on)
                    QTest::mouseClick(d->serveLiveBox, Qt::LeftButton);
                d->livePortEdit->clear();
                QTest::keyClicks(d->livePortEdit, QString::number(on_port));
                QTest::mouseClick(d->okButton, Qt::LeftButton);
            });
            w->setupAction->trigger();  // modal until "&Ok"
        };
        for (quint16 at : {busy.serverPort(), busy.serverPort(), port}) set_up(true, at);
        QCOMPARE(dialogs_.Texts(),
                 std::vector<std::string>{
                     "Cannot serve metrics on 127.0.0.1:" + std::to_string(busy.serverPort()) +
                     ": The bound address is already in use"});
        QVERIFY(testing::HttpRequest(port, "GET", "/status.json")
                    .body.contains("\"state\":\"Disconnected\""));
        QTcpSocket stream;
        stream.connectToHost(QHostAddress::LocalHost, port);
        stream.write("GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        w->connection().pollTimer().SetInterval(testing::kPollMs);
        ApplyStartup(*w, "1 127.0.0.1 " + std::to_string(server.Port()), false);
        QByteArray seen;
        QVERIFY(WaitFor([&] { return (seen += stream.readAll()).contains("\"event\":\"map\""); }));
        const qsizetype at = seen.indexOf("\n\nid: ") + 2;
        QVERIFY(seen.startsWith("HTTP/1.1 200 OK\r\n") &&
                seen.contains("Type: text/event-stream\r\n"));
        QCOMPARE(seen.mid(at, seen.indexOf(",\"tick\"", at) - at),
                 "id: 1\ndata: {\"event\":\"map\",\"name\":\"e1m2\",\"previous\":\"dm6\"");
        w->Disconnect();
        set_up(false, port);
        QVERIFY(!w->LiveServer() && testing::HttpRequest(port, "GET", "/status.json").status == 0);
    }

    void demo_run_keeps_the_stored_server() {
        const QString ini = dir_.filePath("demo.conf");
        const QByteArray stored = "ServerName=10.1.2.3\nServerPort=27500\nServerType=1\n";
        QVERIFY(testing::WriteFile(ini, "[Software\\Varnoth\\Morvek]\n" + stored));
        const quint16 port = testing::FreeTcpPort();  // the metrics say when it is connected
        QProcess morvek;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dir_.filePath("data"));  // its template folder goes there
        morvek.setProcessEnvironment(env);
        morvek.start(QStringLiteral(MORVEK_EXE),
                     {"--demo", "3", "--settings", ini, "--metrics", QString::number(port)});
        QVERIFY(morvek.waitForStarted());
        QVERIFY(testing::WaitFor(
            [&] {
                return testing::HttpRequest(port, "GET", "/status.json", 1000)
                    .body.contains("\"state\":\"Connected\"");
            },
            15000));
        morvek.terminate();
        QVERIFY(morvek.waitForFinished(10000) && morvek.exitCode() == 0);
        const QByteArray saved = testing::ReadFile(ini);
        QVERIFY2(saved.contains(stored) && saved.contains("\nCheckInterval=5\n"), saved);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
