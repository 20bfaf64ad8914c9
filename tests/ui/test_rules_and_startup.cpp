// The rules window (its list, the modal listing through the menu), the start-up steps after the
// window is shown (the command line and its message, fixed series), help, and the texts handed to
// Qt's boxes.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUdpSocket>

#include "sim/sim_server.h"
#include "support/rig.h"
#include "ui/about_box.h"
#include "ui/entry.h"
#include "ui/main_window.h"
#include "ui/player_panel.h"
#include "ui/qt_dialogs.h"
#include "ui/rules_window.h"

using namespace morvek;
using testing::WaitFor;

namespace {

QStringList Lines(const frmRoule& window) {
    QStringList lines;
    for (int i = 0; i < window.lstRoules->count(); ++i) lines << window.lstRoules->item(i)->text();
    return lines;
}

}  // namespace

class TestRulesAndStartup : public QObject {
    Q_OBJECT
    testing::Dialogs dialogs_;

    std::unique_ptr<frmMain> Loaded() {
        dialogs_.messages.clear();
        auto window = std::make_unique<frmMain>(&dialogs_, nullptr);
        if (!window->Form_Load()) return nullptr;
        window->show();
        return window;
    }

  private slots:
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

QTEST_MAIN(TestRulesAndStartup)
#include "test_rules_and_startup.moc"
