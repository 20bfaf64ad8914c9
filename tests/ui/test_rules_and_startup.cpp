// The rules window (captions, list, closing mid-listing), the start-up steps after the window is
// shown (fixed series, the command line, its message), the about box, the splash and help.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUdpSocket>

#include "core/command_line.h"
#include "platform/dialogs.h"
#include "query/connection.h"
#include "sim/netquake_replies.h"
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

// A NetQuake server on 127.0.0.1 that answers rule requests from a fixed list and records every
// request it gets.
class RuleServer : public QObject {
  public:
    RuleServer() {
        socket.bind(QHostAddress::LocalHost, 0);
        state.rules = {
            {"deathmatch", "1"}, {"fraglimit", "30"}, {"timelimit", "20"}, {"teamplay", "0"}};
        connect(&socket, &QUdpSocket::readyRead, this, [this] {
            while (socket.hasPendingDatagrams()) {
                QByteArray data(int(socket.pendingDatagramSize()), '\0');
                QHostAddress from;
                quint16 port = 0;
                socket.readDatagram(data.data(), data.size(), &from, &port);
                if (data.size() < 5 || quint8(data[4]) != 0x04) continue;
                std::string name(data.constData() + 5, std::size_t(data.size() - 5));
                name = name.substr(0, name.find('\0'));
                rule_requests.push_back(name);
                if (!answering) continue;
                const std::string reply = sim::NetQuakeRuleReply(state, name);
                socket.writeDatagram(reply.data(), qint64(reply.size()), from, port);
            }
        });
    }
    QUdpSocket socket;
    sim::SimState state;
    std::vector<std::string> rule_requests;
    bool answering = true;
};

QStringList Lines(const frmRoule& window) {
    QStringList lines;
    for (int i = 0; i < window.lstRoules->count(); ++i) lines << window.lstRoules->item(i)->text();
    return lines;
}

}  // namespace

class TestRulesAndStartup : public QObject {
    Q_OBJECT
    platform::ScriptedDialogs dialogs_;

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
        QCOMPARE(window.windowTitle() + "|" + window.cmdClose->text(), "Rules - Working...|&Close");
        QCOMPARE(window.lstRoules->count(), 0);
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
        QCOMPARE(closed, 1);
        QVERIFY(!window.isVisible());
    }

    void netquake_listing_and_close_mid_listing() {
        RuleServer server;
        auto window = Loaded();
        Monitor& m = window->monitor();
        m.server_type = ServerType(0);
        Connection& c = window->connection();
        c.Winsock().SetRemoteHost("127.0.0.1");
        c.Winsock().SetRemotePort(server.socket.localPort());
        QVERIFY(c.ConnectToServer());
        c.timCheck().SetEnabled(false);
        ShowState(m, ConnectionState::Connected);
        c.UpdateMenuState();
        QVERIFY(window->mnuRule->isEnabled());

        // First a complete listing: every rule, then "Rules - Done" and the dark green lamp.
        bool done_seen = false;
        QStringList lines_seen;
        QTimer::singleShot(0, this, [&] {
            frmRoule* rules = window->RulesWindow();
            QVERIFY(rules);
            QVERIFY(rules->isModal());
            QCOMPARE(rules->windowTitle(), QStringLiteral("Rules - Working..."));
            done_seen = WaitFor([&] { return rules->windowTitle() == "Rules - Done"; });
            lines_seen = Lines(*rules);
            rules->cmdClose->click();
        });
        window->mnuRule->trigger();  // modal until closed
        QVERIFY(done_seen);
        QCOMPARE(lines_seen, QStringList({"deathmatch         \t1", "fraglimit          \t30",
                                          "timelimit          \t20", "teamplay           \t0"}));
        QCOMPARE(window->pctNet->Shown(), QColor(0, 128, 0));
        QVERIFY(!window->RulesWindow() && !m.rules.shown && m.rules.lines.empty());

        // Then a listing closed after its second rule: no further rule is asked for.
        server.rule_requests.clear();
        server.answering = false;
        QTimer::singleShot(0, this, [&] {
            frmRoule* rules = window->RulesWindow();
            QVERIFY(WaitFor([&] { return server.rule_requests.size() == 1; }));
            // Answer the first two requests by hand, then close.
            const std::string first = sim::NetQuakeRuleReply(server.state, "");
            c.HandleDatagram(first);
            QVERIFY(WaitFor([&] { return server.rule_requests.size() == 2; }));
            const std::string second = sim::NetQuakeRuleReply(server.state, "deathmatch");
            c.HandleDatagram(second);
            QVERIFY(WaitFor([&] { return server.rule_requests.size() == 3; }));
            window->RefreshPanel();
            QCOMPARE(rules->lstRoules->count(), 2);
            rules->cmdClose->click();
        });
        window->mnuRule->trigger();
        QCOMPARE(server.rule_requests.size(), std::size_t(3));
        // A late reply to the last request is ignored and asks for nothing more.
        c.HandleDatagram(sim::NetQuakeRuleReply(server.state, "fraglimit"));
        QTest::qWait(100);
        QCOMPARE(server.rule_requests.size(), std::size_t(3));
        QVERIFY(m.rules.lines.empty());
        QCOMPARE(m.rules.caption, std::string(kRulesWorking));
        c.mnuDisconnect_Click();
    }

    void startup_with_a_bad_command_line() {
        auto window = Loaded();
        Monitor& m = window->monitor();
        m.server_type = ServerType(1);
        ApplyStartup(*window, "0 myhost 0", false);
        QCOMPARE(dialogs_.messages.size(), std::size_t(1));
        const auto& shown = dialogs_.messages[0];
        QVERIFY(shown.icon == platform::MessageIcon::Critical &&
                shown.buttons == platform::MessageButtons::Ok);
        QCOMPARE(shown.title + "|" + shown.text,
                 std::string("Morvek|Error in interpreting command line. \r"
                             "Sintax: Morvek <n> <address> <port> \r"
                             " n (type of server): 0=Quake, 1=WorldQuake, "
                             "2=HexenII, 3=QuakeII"));
        // The fields read before the failure stay applied; nothing connects.
        QCOMPARE(int(m.server_type), 0);
        QCOMPARE(window->connection().Winsock().RemoteHost(), std::string("myhost"));
        QVERIFY(m.state == ConnectionState::Disconnected &&
                !window->connection().timCheck().Enabled());

        dialogs_.messages.clear();
        m.server_type = ServerType(1);
        ApplyStartup(*window, "12 host 26000", false);
        QCOMPARE(dialogs_.messages.size(), std::size_t(1));
        QCOMPARE(int(m.server_type), 1);  // unchanged

        // No arguments: no message, no connection.
        dialogs_.messages.clear();
        ApplyStartup(*window, "", false);
        QVERIFY(dialogs_.messages.empty());
        QCOMPARE(m.state, ConnectionState::Disconnected);
    }

    void startup_with_a_good_command_line_connects() {
        RuleServer server;  // any socket on 127.0.0.1 will do as the target
        auto window = Loaded();
        const std::string line = "1 127.0.0.1 " + std::to_string(server.socket.localPort());
        ApplyStartup(*window, line, false);
        QVERIFY(dialogs_.messages.empty());
        Monitor& m = window->monitor();
        QCOMPARE(window->connection().Winsock().RemotePort(), int(server.socket.localPort()));
        QCOMPARE(m.state, ConnectionState::TryingToConnect);
        QVERIFY(window->connection().timCheck().Enabled() && !window->mnuConnect->isEnabled());
        QCOMPARE(window->txtType->text(), QStringLiteral("QuakeWd"));
        window->connection().mnuDisconnect_Click();
    }

    void fixed_series_at_startup() {
        auto window = Loaded();
        Monitor& m = window->monitor();
        m.options.serie_max_player = 0;
        m.options.serie_fixed = 5;
        ApplyStartup(*window, "", false);
        QCOMPARE(m.graph.ColumnCount(), 5);
        QCOMPARE(m.graph.LegendTexts().back(), std::string("5"));
    }

    void about_and_splash_texts() {
        frmAbout about;
        frmSplash splash;
        QCOMPARE(QStringList({about.windowTitle(), about.lblTitle->text(), about.lblVersion->text(),
                              about.lblDescription->text(), about.cmdOK->text(),
                              splash.lblProductName->text(), splash.lblVersion->text()})
                     .join('|'),
                 "About Morvek|Morvek|Version 2.2.0|Morvek is a utility to help people in managing "
                 "Quake's DeathMathes. Morvek offers realtime datas and graphics, log recording, "
                 "offline data browsing and printing.|OK|Morvek|Version 2.2.0");
        QVERIFY(about.cmdOK->isDefault() && (splash.windowFlags() & Qt::WindowStaysOnTopHint));
    }

    void help_found_without_regard_to_case() {
        QTemporaryDir dir;
        auto window = Loaded();
        window->SetHelpFolder(dir.path());
        window->mnuHelp->trigger();
        QCOMPARE(dialogs_.messages.size(), std::size_t(1));
        QVERIFY(dialogs_.messages[0].text.find("Morvek.HLP") != std::string::npos);
        QVERIFY(!window->Help());

        QFile file(QDir(dir.path()).filePath("morvek.hlp"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html><body><h1>Morvek</h1><p>The command menu</p></body></html>");
        file.close();
        dialogs_.messages.clear();
        window->mnuHelp->trigger();
        QVERIFY(dialogs_.messages.empty() && window->Help() && window->Help()->isVisible());
        QVERIFY(window->Help()->browser->toPlainText().contains("The command menu"));
    }

    void shipped_help_document_describes_the_commands() {
        QFile file(QStringLiteral(MORVEK_SOURCE_DIR "/resources/Morvek.hlp"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (const char* word : {"Connect", "Disconnect", "See Rules", "Setup", "Web publishing",
                                 "Print", "Record", "Stop recording", "Open", "Exit", "Log Player",
                                 "Player Info", "Server Info", "Graph"})
            QVERIFY2(text.contains(QLatin1String(word)), word);
    }

    void qt_dialogs_text_and_filters() {
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
