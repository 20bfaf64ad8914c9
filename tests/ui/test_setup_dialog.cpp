// The setup dialog against the window rig: what it shows when it opens, the usual ports, the
// validators with their messages and default texts, what "&Ok" applies and in what order, and
// that "&Cancel" applies nothing.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QUdpSocket>

#include "support/window_rig.h"
#include "ui/setup_dialog.h"

using morvek::ConnectionState;
using morvek::frmSetup;
using morvek::testing::WindowRig;

namespace {

template <std::size_t N>
int Checked(const std::array<QRadioButton*, N>& options) {
    for (std::size_t i = 0; i < N; ++i)
        if (options[i]->isChecked()) return int(i);
    return -1;
}

// Everything the dialog shows, in one line.
QString Shown(const frmSetup& d) {
    return QString::asprintf(
        "%d %s %s %s %s %s %d %d %s %d %s %d %d %d %s %s %d", Checked(d.optType),
        qPrintable(QString::number(TypeCode(d.TypeChoice()))), qPrintable(d.txtServerName->text()),
        qPrintable(d.txtServerPort->text()), qPrintable(d.txtRefresh->text()),
        qPrintable(d.txtTimeOut->text()), d.chkDisconnect->isChecked(), d.chkMantein->isChecked(),
        qPrintable(d.txtColumns->text()), Checked(d.optSorting),
        qPrintable(QString::number(d.SortingChoice())), d.chkShowGraph->isChecked(),
        d.chkLegend->isChecked(), Checked(d.optSerie),
        qPrintable(QString::number(d.FixedSeriesChoice())), qPrintable(d.txtSerie->text()),
        d.frConnection->isEnabled());
}

// Everything "&Ok" can change, in one line.
QString Applied(WindowRig& w) {
    const auto& m = w.rig.monitor;
    auto& c = w.rig.connection;
    return QString::asprintf(
        "%d %s %d %lld %lld %d %d %d %d %d %d %d %d %d", int(m.server_type),
        c.Winsock().RemoteHost().c_str(), c.Winsock().RemotePort(),
        (long long)c.timCheck().Interval(), (long long)c.timTimeout().Interval(),
        m.options.disconnect_on_map_change, m.options.keep_disconnected, m.graph.RowCount(),
        m.options.player_sorting, w.graph_visible, m.graph.show_legend, m.options.serie_max_player,
        m.options.serie_fixed, m.graph.ColumnCount());
}

// Shows the dialog and makes it the active window, so focus moves between its boxes as they do
// under a user's hands.
bool ShowActive(QDialog& dialog) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    return QTest::qWaitForWindowActive(&dialog);
}

// Puts `text` into a box the way a user leaves it: focus in, text, focus to another box.
void Leave(QLineEdit* box, const QString& text, QWidget* next) {
    box->setFocus(Qt::TabFocusReason);
    box->setText(text);
    next->setFocus(Qt::TabFocusReason);
}

QLineEdit* Box(frmSetup& d, const QString& name) {
    for (QLineEdit* box :
         {d.txtServerName, d.txtServerPort, d.txtRefresh, d.txtTimeOut, d.txtColumns, d.txtSerie})
        if (box->objectName() == name) return box;
    qFatal("no box %s", qPrintable(name));
}

}  // namespace

class TestSetupDialog : public QObject {
    Q_OBJECT
  private slots:
    void init() { window_ = std::make_unique<WindowRig>(); }
    void cleanup() { window_.reset(); }

    void captions_are_the_programs_own();
    void opening_shows_the_live_values();
    void while_connected_the_connection_group_is_grey_and_not_applied();
    void an_empty_host_shows_the_last_peer_address();
    void a_type_option_puts_its_usual_port();
    void a_server_type_without_option_stays();
    void a_bad_box_is_refused_as_it_is_left_data();
    void a_bad_box_is_refused_as_it_is_left();
    void the_timeout_is_checked_at_every_key();
    void a_message_inside_a_validator_does_not_cascade();
    void ok_sets_intervals_in_milliseconds_data();
    void ok_sets_intervals_in_milliseconds();
    void ok_applies_every_value_and_cancel_none();
    void hiding_the_graph_shrinks_the_window_unless_maximized();
    void fixed_series_are_applied_and_shown_again();
    void ok_keeps_samples_when_the_row_count_is_unchanged();
    void ok_refuses_a_bad_box_and_stays_open_data();
    void ok_refuses_a_bad_box_and_stays_open();
    void enter_takes_ok_and_escape_cancels();
    void an_unknown_host_fails_silently_at_connect();

  private:
    std::unique_ptr<WindowRig> window_;
};

void TestSetupDialog::captions_are_the_programs_own() {
    frmSetup d(*window_);
    QStringList texts{d.windowTitle(), d.frConnection->title(), d.frApplication->title(),
                      d.cmdOk->text(), d.cmdCancel->text()};
    for (int i = 0; i < d.TabStrip->count(); ++i) texts << d.TabStrip->tabText(i);
    for (const QLabel* label : d.findChildren<QLabel*>())
        if (!label->isHidden()) texts << label->text();
    for (const QRadioButton* option : d.findChildren<QRadioButton*>()) texts << option->text();
    QStringList expected =
        QStringLiteral(
            "Setup|Connection:|Application:|&Ok|&Cancel|Connection|Application|Graph|Server type:|"
            "Server name (or IP Address):|Server port:|Refresh frequency:|Timeout interval:|s|s|"
            "Disconnect on level change:|Mantein disconnected player info:|Player sorting:|"
            "Readable Quake names:|Show spectators:|"
            "Show graph:|Show legend:|Graph Series:|Max graph data per serie:|Quake I|QuakeWorld|"
            "Hexen II|Quake II|ID|Name|Frags|Server's max players|Fixed:")
            .split('|');
    texts.sort();
    expected.sort();
    QCOMPARE(texts, expected);
    // "&Ok" is the default button.
    QVERIFY(d.cmdOk->isDefault() && !d.cmdCancel->isDefault());
}

void TestSetupDialog::opening_shows_the_live_values() {
    {
        frmSetup fresh(*window_);
        QCOMPARE(Shown(fresh), "0 0 localhost 26000 5 30 0 1 20 0 0 1 1 0 0 16 1");
    }
    auto& m = window_->rig.monitor;
    auto& c = window_->rig.connection;
    m.server_type = morvek::ServerType(1);
    c.Winsock().SetRemoteHost("quake.example.org");
    c.Winsock().SetRemotePort(27500);  // not QuakeWorld's usual 27000
    c.timCheck().SetInterval(2500);
    c.timTimeout().SetInterval(45000);
    m.options.disconnect_on_map_change = 1;
    m.options.keep_disconnected = 0;
    m.graph.SetRowCount(30);
    m.options.player_sorting = 2;
    window_->graph_visible = false;
    m.graph.show_legend = false;
    m.options.serie_fixed = 12;
    m.options.serie_max_player = 0;
    frmSetup d(*window_);
    QCOMPARE(Shown(d), "1 1 quake.example.org 27500 2.5 45 1 0 30 2 2 0 0 1 1 12 1");
    QCOMPARE(d.TabStrip->currentIndex(), 0);
    QVERIFY(window_->rig.dialogs.messages.empty());
    QVERIFY(window_->calls.empty());
}

void TestSetupDialog::while_connected_the_connection_group_is_grey_and_not_applied() {
    auto& c = window_->rig.connection;
    c.Winsock().SetRemoteHost("10.0.0.5");
    c.Winsock().SetRemotePort(26001);
    window_->rig.monitor.state = ConnectionState::Connected;
    frmSetup d(*window_);
    QVERIFY(!d.txtServerName->isEnabled() && !d.lblConnection[0]->isEnabled());
    QVERIFY(!d.optType[0]->isEnabled() && !d.txtTimeOut->isEnabled());
    QVERIFY(d.frApplication->isEnabled() && d.chkDisconnect->isEnabled());

    d.txtServerName->setText(QStringLiteral("elsewhere"));
    d.txtServerPort->setText(QStringLiteral("abc"));
    d.txtRefresh->setText(QStringLiteral("9"));
    d.chkDisconnect->setChecked(true);
    d.cmdOk->click();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(window_->rig.dialogs.messages.empty());
    QCOMPARE(Applied(*window_), "0 10.0.0.5 26001 5000 30000 1 1 20 0 1 1 1 16 0");
}

void TestSetupDialog::an_empty_host_shows_the_last_peer_address() {
    // A peer on 127.0.0.1 answers one datagram, so the socket knows the peer's address.
    QUdpSocket peer;
    QVERIFY(peer.bind(QHostAddress::LocalHost, 0));
    auto& socket = window_->rig.connection.Winsock();
    socket.SetRemoteHost("127.0.0.1");
    socket.SetRemotePort(peer.localPort());
    socket.Bind();
    QVERIFY(socket.SendData("ping"));
    QTRY_VERIFY_WITH_TIMEOUT(peer.hasPendingDatagrams(), 5000);
    QHostAddress from;
    quint16 from_port = 0;
    char byte[8];
    peer.readDatagram(byte, sizeof byte, &from, &from_port);
    peer.writeDatagram("pong", from, from_port);
    QTRY_VERIFY_WITH_TIMEOUT(!socket.RemoteHostIP().empty(), 5000);

    socket.SetRemoteHost("");
    frmSetup d(*window_);
    QCOMPARE(d.txtServerName->text(), QStringLiteral("127.0.0.1"));
    socket.Close();
}

void TestSetupDialog::a_type_option_puts_its_usual_port() {
    frmSetup d(*window_);
    const QStringList ports = {"26000", "27000", "26900", "27910"};
    for (int i : {3, 1, 2, 0}) {
        d.txtServerPort->setText(QStringLiteral("12345"));
        QTest::mouseClick(d.optType[i], Qt::LeftButton);
        QCOMPARE(d.txtServerPort->text() + QString::number(TypeCode(d.TypeChoice())),
                 ports[i] + QString::number(i));
    }
    // Clicking the option already chosen puts its port back over what was typed.
    d.txtServerPort->setText(QStringLiteral("4444"));
    d.optType[0]->click();
    QCOMPARE(d.txtServerPort->text(), QStringLiteral("26000"));

    d.optType[1]->click();
    d.optSorting[1]->click();
    d.cmdOk->click();
    QCOMPARE(Applied(*window_), "1 localhost 27000 5000 30000 0 1 20 1 1 1 1 16 0");
}

void TestSetupDialog::a_server_type_without_option_stays() {
    auto& m = window_->rig.monitor;
    m.server_type = morvek::ServerType(7);
    {
        frmSetup d(*window_);
        QCOMPARE(Checked(d.optType), -1);
        QCOMPARE(d.TypeChoice(), morvek::ServerType(7));
        d.cmdOk->click();
        QCOMPARE(m.server_type, morvek::ServerType(7));
    }
    frmSetup d(*window_);
    d.optType[3]->click();
    d.cmdOk->click();
    QCOMPARE(m.server_type, morvek::ServerType(3));
    QCOMPARE(m.snapshot.type_name, std::string("Quake II"));
}

void TestSetupDialog::a_bad_box_is_refused_as_it_is_left_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");  // empty: accepted
    QTest::addColumn<QString>("after");
    auto rows = [](const char* box, std::initializer_list<const char*> texts, const char* message,
                   const char* after) {
        for (const char* text : texts)
            QTest::addRow("%s '%s'", box, text)
                << box << text << message << (*message ? after : text);
    };
    rows("txtServerName", {""}, "Invalid server name", "localhost");
    rows("txtServerName", {"host.example"}, "", "");
    rows("txtServerPort",
         {"", "abc", "270x0", "0", "65536", "4294967297", "-27000", "27000.5", "   "},
         "Invalid server port", "26000");
    rows("txtServerPort", {"65535", " 1 "}, "", "");
    rows("txtRefresh", {"0", "-3", "abc", "", "0.0004", "2147484", "1E+300"},
         "Invalid refresh interval", "5");
    rows("txtRefresh", {"7 s"}, "", "");
    rows("txtTimeOut", {"0", "2147484"}, "Invalid timeout interval", "30");
    rows("txtColumns", {"0", "-4", "x", "40000", "0.4"}, "Invalid graph length", "20");
    rows("txtColumns", {"32767"}, "", "");
    rows("txtSerie", {"0"}, "", "");  // the series box is not checked as it is left
}

void TestSetupDialog::a_bad_box_is_refused_as_it_is_left() {
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(QString, after);
    frmSetup d(*window_);
    QVERIFY(ShowActive(d));
    QLineEdit* edit = Box(d, box);
    d.TabStrip->setCurrentWidget(edit->parentWidget());
    Leave(edit, text, edit == d.txtServerName ? d.txtServerPort : d.txtServerName);
    const auto& shown = window_->rig.dialogs.messages;
    QCOMPARE(shown.size(), std::size_t(message.isEmpty() ? 0 : 1));
    if (!message.isEmpty()) {
        QCOMPARE(shown[0].text, message.toStdString());
        QCOMPARE(shown[0].title, std::string("Morvek"));
        QCOMPARE(shown[0].icon, morvek::platform::MessageIcon::Critical);
    }
    QCOMPARE(edit->text(), after);
}

void TestSetupDialog::the_timeout_is_checked_at_every_key() {
    frmSetup d(*window_);
    QVERIFY(ShowActive(d));
    auto& shown = window_->rig.dialogs.messages;
    // Deleting the last character: "3" is fine, "" is refused at once.
    d.txtTimeOut->setFocus();
    d.txtTimeOut->end(false);
    QTest::keyClick(d.txtTimeOut, Qt::Key_Backspace);
    QCOMPARE(d.txtTimeOut->text(), QStringLiteral("3"));
    QVERIFY(shown.empty());
    QTest::keyClick(d.txtTimeOut, Qt::Key_Backspace);
    QCOMPARE(window_->rig.dialogs.Texts(), std::vector<std::string>{"Invalid timeout interval"});
    QCOMPARE(d.txtTimeOut->text(), QStringLiteral("30"));
    // A new value typed over the old one, starting with 0: refused at the first key.
    d.txtTimeOut->selectAll();
    QTest::keyClicks(d.txtTimeOut, QStringLiteral("0"));
    QCOMPARE(shown.size(), std::size_t(2));
    QCOMPARE(d.txtTimeOut->text(), QStringLiteral("30"));
    // Typing 90 over it passes at every step, and leaving the box does not check it again.
    d.txtTimeOut->selectAll();
    QTest::keyClicks(d.txtTimeOut, QStringLiteral("90"));
    d.txtServerName->setFocus(Qt::TabFocusReason);
    QCOMPARE(shown.size(), std::size_t(2));
    d.cmdOk->click();
    QCOMPARE(window_->rig.connection.timTimeout().Interval(), std::int64_t(90000));
}

void TestSetupDialog::a_message_inside_a_validator_does_not_cascade() {
    frmSetup d(*window_);
    QVERIFY(ShowActive(d));
    auto& dialogs = window_->rig.dialogs;
    // A real message box takes the focus; here the focus moves on to another box while the
    // message is up, leaving an empty name box behind.
    d.txtServerName->setText(QString());
    dialogs.on_message = [&](const auto&) {
        dialogs.on_message = nullptr;
        d.txtRefresh->setFocus(Qt::TabFocusReason);
    };
    Leave(d.txtServerPort, QStringLiteral("bad"), d.txtServerName);
    QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Invalid server port"});
    QCOMPARE(d.txtServerPort->text(), QStringLiteral("26000"));
}

void TestSetupDialog::ok_sets_intervals_in_milliseconds_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("ms");
    QTest::newRow("largest") << "2147483.647" << qint64(2147483647);
    QTest::newRow("above 65 s") << "120" << qint64(120000);
    QTest::newRow("fraction") << "2.5" << qint64(2500);
    QTest::newRow("half ms to even") << "0.0025" << qint64(2);
    QTest::newRow("leading number") << "7 s" << qint64(7000);
}

void TestSetupDialog::ok_sets_intervals_in_milliseconds() {
    QFETCH(QString, text);
    QFETCH(qint64, ms);
    frmSetup d(*window_);
    d.txtRefresh->setText(text);
    d.txtTimeOut->setText(text);
    d.cmdOk->click();
    QVERIFY(window_->rig.dialogs.messages.empty());
    QCOMPARE(window_->rig.connection.timCheck().Interval(), ms);
    QCOMPARE(window_->rig.connection.timTimeout().Interval(), ms);
}

void TestSetupDialog::ok_applies_every_value_and_cancel_none() {
    auto& m = window_->rig.monitor;
    m.snapshot.name = "Old server";
    const auto revision = m.graph.revision;
    const QString before = Applied(*window_);
    for (bool ok : {false, true}) {
        frmSetup d(*window_);
        d.optType[3]->click();
        d.txtServerName->setText(QStringLiteral("q2.example.net"));
        d.txtServerPort->setText(QStringLiteral("27911"));
        d.txtRefresh->setText(QStringLiteral("2.5"));
        d.txtTimeOut->setText(QStringLiteral("120"));
        d.chkDisconnect->setChecked(true);
        d.chkMantein->setChecked(false);
        d.txtColumns->setText(QStringLiteral("40"));
        d.optSorting[2]->click();
        d.chkLegend->setChecked(false);
        d.optSerie[1]->click();
        d.txtSerie->setText(QStringLiteral("3"));
        (ok ? d.cmdOk : d.cmdCancel)->click();
        QCOMPARE(d.result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
        QVERIFY(window_->rig.dialogs.messages.empty());
        if (ok) break;
        // "&Cancel" applies nothing.
        QCOMPARE(Applied(*window_), before);
        QCOMPARE(m.graph.revision, revision);
        QVERIFY(window_->calls.empty());
    }
    QCOMPARE(Applied(*window_), "3 q2.example.net 27911 2500 120000 1 0 40 2 1 0 0 3 3");
    // The server panel was reset with Quake II's captions, then the window redrawn.
    QCOMPARE(m.snapshot.name + "|" + m.snapshot.type_name + "|" + m.address_heading + "|" +
                 m.port_heading,
             std::string("|Quake II|Skin|Ping"));
    QCOMPARE(window_->calls,
             (std::vector<std::string>{"SetGraphVisible(true)", "Form_Resize", "RefreshAll"}));

    // While a log is open for playback the panel keeps what the log wrote.
    m.log_open = true;
    m.snapshot.name = "Replayed";
    frmSetup again(*window_);
    again.optType[0]->click();
    again.cmdOk->click();
    QCOMPARE(m.server_type, morvek::ServerType(0));
    QCOMPARE(m.snapshot.name + "|" + m.snapshot.type_name, std::string("Replayed|Quake II"));
}

void TestSetupDialog::hiding_the_graph_shrinks_the_window_unless_maximized() {
    auto ok_with_graph = [&](bool shown) {
        frmSetup d(*window_);
        d.chkShowGraph->setChecked(shown);
        d.cmdOk->click();
        return std::pair(window_->rouler_v, window_->height);
    };
    QCOMPARE(ok_with_graph(false), std::pair(4280, 4280));
    QCOMPARE(window_->calls,
             (std::vector<std::string>{"SetGraphVisible(false)", "Form_Resize", "RefreshAll"}));
    QCOMPARE(ok_with_graph(true), std::pair(6360, 6765));
    window_->maximized = true;
    window_->height = 9000;
    QCOMPARE(ok_with_graph(false), std::pair(4280, 9000));
}

void TestSetupDialog::fixed_series_are_applied_and_shown_again() {
    auto& m = window_->rig.monitor;
    {
        frmSetup d(*window_);
        d.TabStrip->setCurrentIndex(2);
        QTest::mouseClick(d.optSerie[1], Qt::LeftButton);
        QVERIFY(d.FixedSeriesChoice());
        d.txtSerie->setText(QStringLiteral("10"));
        d.cmdOk->click();
    }
    QCOMPARE(Applied(*window_), "0 localhost 26000 5000 30000 0 1 20 0 1 1 0 10 10");
    QCOMPARE(m.graph.LegendTexts().back(), std::string("10"));
    {
        frmSetup d(*window_);
        QCOMPARE(Checked(d.optSerie), 1);
        QCOMPARE(d.txtSerie->text(), QStringLiteral("10"));
        // Back to the server's maximum: the count is kept as SerieFixed, the graph untouched.
        d.optSerie[0]->click();
        d.txtSerie->setText(QStringLiteral("6"));
        d.cmdOk->click();
    }
    QCOMPARE(Applied(*window_), "0 localhost 26000 5000 30000 0 1 20 0 1 1 1 6 10");
    // A following maximum-players value drives the series again.
    morvek::SetMaxPlayers(m, "24");
    QCOMPARE(m.graph.ColumnCount(), 24);
}

void TestSetupDialog::ok_keeps_samples_when_the_row_count_is_unchanged() {
    auto& graph = window_->rig.monitor.graph;
    graph.SetColumnCount(4);
    graph.SetCell(20, 2, 7);
    auto ok_with_rows = [&](const char* rows) {
        frmSetup d(*window_);
        d.txtColumns->setText(QString::fromLatin1(rows));
        d.cmdOk->click();
        return graph.Cell(20, 2);
    };
    QCOMPARE(ok_with_rows("20"), 7.0);
    QCOMPARE(ok_with_rows("25"), 0.0);
    QCOMPARE(graph.RowCount(), 25);
}

void TestSetupDialog::ok_refuses_a_bad_box_and_stays_open_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("after");
    for (auto [box, text, message, after] : std::initializer_list<std::array<const char*, 4>>{
             {"txtServerPort", "port", "Invalid server port", "26000"},
             {"txtServerName", "", "Invalid server name", "localhost"},
             {"txtRefresh", "0", "Invalid refresh interval", "5"},
             {"txtTimeOut", "0", "Invalid timeout interval", "30"},
             {"txtColumns", "0", "Invalid graph length", "20"},
             {"txtSerie", "-1", "Invalid number of graph series", "16"},
             {"txtSerie", "40000", "Invalid number of graph series", "16"}})
        QTest::addRow("%s '%s'", box, text) << box << text << message << after;
}

void TestSetupDialog::ok_refuses_a_bad_box_and_stays_open() {
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(QString, after);
    window_->rig.connection.Winsock().SetRemotePort(26500);
    const QString before = Applied(*window_);
    frmSetup d(*window_);
    QSignalSpy accepted(&d, &QDialog::accepted);
    d.optSerie[1]->click();
    d.chkDisconnect->setChecked(true);
    d.txtServerPort->setText(QStringLiteral("26500"));
    QSignalBlocker quiet(Box(d, box));  // no check as the text changes: "&Ok" checks it
    Box(d, box)->setText(text);
    quiet.unblock();
    window_->rig.dialogs.messages.clear();
    d.cmdOk->click();
    QCOMPARE(accepted.count(), 0);
    QCOMPARE(window_->rig.dialogs.Texts(), std::vector<std::string>{message.toStdString()});
    QCOMPARE(Box(d, box)->text(), after);
    QCOMPARE(Applied(*window_), before);
    QVERIFY(window_->calls.empty());
    // With the default put back, the next "&Ok" applies.
    d.cmdOk->click();
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(window_->rig.monitor.options.disconnect_on_map_change, std::int16_t(1));
}

void TestSetupDialog::enter_takes_ok_and_escape_cancels() {
    auto& socket = window_->rig.connection.Winsock();
    for (auto [key, host] :
         {std::pair(Qt::Key_Return, "by.enter"), std::pair(Qt::Key_Escape, "by.escape")}) {
        frmSetup d(*window_);
        QVERIFY(ShowActive(d));
        d.txtServerName->setFocus();
        d.txtServerName->setText(QString::fromLatin1(host));
        QTest::keyClick(d.txtServerName, key);
        QCOMPARE(d.result(), int(key == Qt::Key_Return ? QDialog::Accepted : QDialog::Rejected));
        QVERIFY(!d.isVisible());
        QCOMPARE(socket.RemoteHost(), std::string("by.enter"));
    }
}

void TestSetupDialog::an_unknown_host_fails_silently_at_connect() {
    {
        frmSetup d(*window_);
        d.txtServerName->setText(QStringLiteral("no.such.host.invalid"));
        d.cmdOk->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }
    auto& c = window_->rig.connection;
    QCOMPARE(c.Winsock().RemoteHost(), std::string("no.such.host.invalid"));
    QVERIFY(!c.ConnectToServer());
    QCOMPARE(window_->rig.monitor.state, ConnectionState::Disconnected);
    QVERIFY(!c.timCheck().Enabled());
    QVERIFY(window_->rig.dialogs.messages.empty());
}

QTEST_MAIN(TestSetupDialog)
#include "test_setup_dialog.moc"
