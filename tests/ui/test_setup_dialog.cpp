// The setup dialog against a fake main window: what it shows when it opens, the usual ports, the
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
using morvek::platform::MessageIcon;
using morvek::testing::WindowRig;

namespace {

QStringList LabelTexts(const QWidget& widget) {
    QStringList texts;
    for (const QLabel* label : widget.findChildren<QLabel*>())
        if (!label->isHidden()) texts << label->text();
    return texts;
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

}  // namespace

class TestSetupDialog : public QObject {
    Q_OBJECT
  private slots:
    void init() { window_ = std::make_unique<WindowRig>(); }
    void cleanup() { window_.reset(); }

    void controlsAndCaptions();
    void loadWhileDisconnected();
    void loadWhileConnectedGreysConnectionGroup();
    void nameFallsBackToLastPeerAddress();
    void typeOptionsPutUsualPorts();
    void serverTypeWithoutOptionStays();
    void nameAndPortValidators();
    void portValidatorRefusesNonNumbers_data();
    void portValidatorRefusesNonNumbers();
    void intervalValidators_data();
    void intervalValidators();
    void timeoutValidatedOnEveryChange();
    void graphLengthValidator();
    void messageInsideValidatorDoesNotCascade();
    void okAppliesConnectionValuesInOrder();
    void okHidesGraphAndShrinksWindow();
    void okWhileMaximizedKeepsHeight();
    void fixedSeriesAppliedAndShownAgain();
    void okKeepsSamplesWhenRowCountUnchanged();
    void okChecksPortAgainAndStaysOpen();
    void enterTakesOkAndEscapeCancels();
    void cancelChangesNothing();
    void rejectedNameFailsSilentlyAtConnect();

  private:
    std::unique_ptr<WindowRig> window_;
};

void TestSetupDialog::controlsAndCaptions() {
    frmSetup dialog(*window_);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Setup"));
    QCOMPARE(dialog.TabStrip->count(), 3);
    QCOMPARE(dialog.TabStrip->tabText(0), QStringLiteral("Connection"));
    QCOMPARE(dialog.TabStrip->tabText(1), QStringLiteral("Application"));
    QCOMPARE(dialog.TabStrip->tabText(2), QStringLiteral("Graph"));
    QCOMPARE(dialog.frConnection->title(), QStringLiteral("Connection:"));
    QCOMPARE(dialog.frApplication->title(), QStringLiteral("Application:"));

    const QStringList labels = LabelTexts(dialog);
    for (const char* caption :
         {"Server type:", "Server name (or IP Address):", "Server port:", "Refresh frequency:",
          "Timeout interval:", "Disconnect on level change:", "Mantein disconnected player info:",
          "Player sorting:", "Show graph:", "Show legend:", "Graph Series:",
          "Max graph data per serie:"})
        QVERIFY2(labels.contains(QString::fromLatin1(caption)), caption);
    QCOMPARE(labels.count(QStringLiteral("s")), 2);

    const QStringList types = {"Quake I", "QuakeWorld", "Hexen II", "Quake II"};
    for (int i = 0; i < 4; ++i) QCOMPARE(dialog.optType[i]->text(), types[i]);
    const QStringList sortings = {"ID", "Name", "Frags"};
    for (int i = 0; i < 3; ++i) QCOMPARE(dialog.optSorting[i]->text(), sortings[i]);
    QCOMPARE(dialog.optSerie[0]->text(), QStringLiteral("Server's max players"));
    QCOMPARE(dialog.optSerie[1]->text(), QStringLiteral("Fixed:"));

    // The index labels are there but never shown.
    QVERIFY(dialog.lblType->isHidden());
    QVERIFY(dialog.lblSorting->isHidden());
    QVERIFY(dialog.lblSerie->isHidden());

    QCOMPARE(dialog.cmdOk->text(), QStringLiteral("&Ok"));
    QCOMPARE(dialog.cmdCancel->text(), QStringLiteral("&Cancel"));
    QVERIFY(dialog.cmdOk->isDefault());
    QVERIFY(!dialog.cmdCancel->isDefault());
}

void TestSetupDialog::loadWhileDisconnected() {
    auto& m = window_->rig.monitor;
    auto& c = window_->rig.connection;
    m.server_type = morvek::ServerType(1);
    c.Winsock().SetRemoteHost("quake.example.org");
    c.Winsock().SetRemotePort(27500);
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

    frmSetup dialog(*window_);
    QVERIFY(dialog.frConnection->isEnabled());
    QVERIFY(dialog.optType[1]->isChecked());
    QCOMPARE(dialog.lblType->text(), QStringLiteral("1"));
    QCOMPARE(dialog.txtServerName->text(), QStringLiteral("quake.example.org"));
    // The socket's port, not QuakeWorld's usual 27000.
    QCOMPARE(dialog.txtServerPort->text(), QStringLiteral("27500"));
    QCOMPARE(dialog.txtRefresh->text(), QStringLiteral("2.5"));
    QCOMPARE(dialog.txtTimeOut->text(), QStringLiteral("45"));
    QVERIFY(dialog.chkDisconnect->isChecked());
    QVERIFY(!dialog.chkMantein->isChecked());
    QCOMPARE(dialog.txtColumns->text(), QStringLiteral("30"));
    QVERIFY(dialog.optSorting[2]->isChecked());
    QVERIFY(!dialog.optSorting[0]->isChecked());
    QCOMPARE(dialog.lblSorting->text(), QStringLiteral("2"));
    QVERIFY(!dialog.chkShowGraph->isChecked());
    QVERIFY(!dialog.chkLegend->isChecked());
    QCOMPARE(dialog.txtSerie->text(), QStringLiteral("12"));
    QVERIFY(dialog.optSerie[1]->isChecked());
    QCOMPARE(dialog.lblSerie->text(), QStringLiteral("1"));
    QCOMPARE(dialog.TabStrip->currentIndex(), 0);
    QVERIFY(window_->rig.dialogs.messages.empty());
    QVERIFY(window_->calls.empty());

    // The defaults: server's max players, legend and graph shown.
    WindowRig defaults;
    frmSetup fresh(defaults);
    QVERIFY(fresh.optSerie[0]->isChecked());
    QCOMPARE(fresh.lblSerie->text(), QStringLiteral("0"));
    QVERIFY(fresh.chkShowGraph->isChecked());
    QVERIFY(fresh.chkLegend->isChecked());
    QVERIFY(fresh.optSorting[0]->isChecked());
    QCOMPARE(fresh.txtTimeOut->text(), QStringLiteral("30"));
    QCOMPARE(fresh.txtRefresh->text(), QStringLiteral("5"));
}

void TestSetupDialog::loadWhileConnectedGreysConnectionGroup() {
    auto& m = window_->rig.monitor;
    auto& c = window_->rig.connection;
    c.Winsock().SetRemoteHost("10.0.0.5");
    c.Winsock().SetRemotePort(26001);
    c.timCheck().SetInterval(5000);
    m.state = ConnectionState::Connected;
    m.options.disconnect_on_map_change = 0;

    frmSetup dialog(*window_);
    QVERIFY(!dialog.frConnection->isEnabled());
    for (QLineEdit* box :
         {dialog.txtServerName, dialog.txtServerPort, dialog.txtRefresh, dialog.txtTimeOut})
        QVERIFY(!box->isEnabled());
    for (QLabel* label : dialog.lblConnection) QVERIFY(!label->isEnabled());
    for (QRadioButton* option : dialog.optType) QVERIFY(!option->isEnabled());
    QVERIFY(dialog.frApplication->isEnabled());
    QVERIFY(dialog.chkDisconnect->isEnabled());

    // Connection values are not applied; the application settings are.
    dialog.txtServerName->setText(QStringLiteral("elsewhere"));
    dialog.txtServerPort->setText(QStringLiteral("abc"));
    dialog.txtRefresh->setText(QStringLiteral("9"));
    dialog.chkDisconnect->setChecked(true);
    dialog.cmdOk->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(window_->rig.dialogs.messages.empty());
    QCOMPARE(c.Winsock().RemoteHost(), std::string("10.0.0.5"));
    QCOMPARE(c.Winsock().RemotePort(), 26001);
    QCOMPARE(c.timCheck().Interval(), std::int64_t(5000));
    QCOMPARE(m.options.disconnect_on_map_change, std::int16_t(1));
}

void TestSetupDialog::nameFallsBackToLastPeerAddress() {
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
    QByteArray bytes(int(peer.pendingDatagramSize()), '\0');
    peer.readDatagram(bytes.data(), bytes.size(), &from, &from_port);
    peer.writeDatagram("pong", from, from_port);
    QTRY_VERIFY_WITH_TIMEOUT(!socket.RemoteHostIP().empty(), 5000);

    socket.SetRemoteHost("");
    frmSetup dialog(*window_);
    QCOMPARE(dialog.txtServerName->text(), QStringLiteral("127.0.0.1"));
    socket.Close();
}

void TestSetupDialog::typeOptionsPutUsualPorts() {
    window_->rig.connection.Winsock().SetRemotePort(12345);
    frmSetup dialog(*window_);
    const QStringList ports = {"26000", "27000", "26900", "27910"};
    for (int i : {3, 1, 2, 0}) {
        dialog.txtServerPort->setText(QStringLiteral("12345"));
        QTest::mouseClick(dialog.optType[i], Qt::LeftButton);
        QVERIFY(dialog.optType[i]->isChecked());
        QCOMPARE(dialog.txtServerPort->text(), ports[i]);
        QCOMPARE(dialog.lblType->text(), QString::number(i));
    }
    // Clicking the option already chosen puts its port back over what was typed.
    dialog.txtServerPort->setText(QStringLiteral("4444"));
    dialog.optType[0]->click();
    QCOMPARE(dialog.txtServerPort->text(), QStringLiteral("26000"));

    dialog.optType[1]->click();
    dialog.optSorting[1]->click();
    dialog.cmdOk->click();
    QCOMPARE(window_->rig.monitor.server_type, morvek::ServerType(1));
    QCOMPARE(window_->rig.connection.Winsock().RemotePort(), 27000);
    QCOMPARE(window_->rig.monitor.options.player_sorting, std::uint8_t(1));
}

void TestSetupDialog::serverTypeWithoutOptionStays() {
    window_->rig.monitor.server_type = morvek::ServerType(7);
    {
        frmSetup dialog(*window_);
        for (QRadioButton* option : dialog.optType) QVERIFY(!option->isChecked());
        QCOMPARE(dialog.lblType->text(), QStringLiteral("7"));
        dialog.cmdOk->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(window_->rig.monitor.server_type, morvek::ServerType(7));
    }
    {
        frmSetup dialog(*window_);
        dialog.optType[3]->click();
        dialog.cmdOk->click();
        QCOMPARE(window_->rig.monitor.server_type, morvek::ServerType(3));
        QCOMPARE(window_->rig.monitor.snapshot.type_name, std::string("Quake II"));
    }
}

void TestSetupDialog::nameAndPortValidators() {
    frmSetup dialog(*window_);
    QVERIFY(ShowActive(dialog));
    auto& shown = window_->rig.dialogs.messages;

    Leave(dialog.txtServerName, QString(), dialog.txtServerPort);
    QCOMPARE(shown.size(), std::size_t(1));
    QCOMPARE(shown[0].text, std::string("Invalid server name"));
    QCOMPARE(shown[0].title, std::string("Morvek"));
    QCOMPARE(shown[0].icon, MessageIcon::Critical);
    QCOMPARE(dialog.txtServerName->text(), QStringLiteral("localhost"));

    Leave(dialog.txtServerPort, QString(), dialog.txtRefresh);
    QCOMPARE(shown.size(), std::size_t(2));
    QCOMPARE(shown[1].text, std::string("Invalid server port"));
    QCOMPARE(shown[1].icon, MessageIcon::Critical);
    QCOMPARE(dialog.txtServerPort->text(), QStringLiteral("26000"));

    // Valid texts pass.
    Leave(dialog.txtServerName, QStringLiteral("host.example"), dialog.txtServerPort);
    Leave(dialog.txtServerPort, QStringLiteral("65535"), dialog.txtRefresh);
    Leave(dialog.txtServerPort, QStringLiteral(" 1 "), dialog.txtRefresh);
    QCOMPARE(shown.size(), std::size_t(2));
    QCOMPARE(dialog.txtServerPort->text(), QStringLiteral(" 1 "));
}

void TestSetupDialog::portValidatorRefusesNonNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("letters") << QStringLiteral("abc");
    QTest::newRow("digits then letters") << QStringLiteral("270x0");
    QTest::newRow("zero") << QStringLiteral("0");
    QTest::newRow("above 65535") << QStringLiteral("65536");
    QTest::newRow("far above") << QStringLiteral("4294967297");
    QTest::newRow("negative") << QStringLiteral("-27000");
    QTest::newRow("fraction") << QStringLiteral("27000.5");
    QTest::newRow("blanks only") << QStringLiteral("   ");
}

void TestSetupDialog::portValidatorRefusesNonNumbers() {
    QFETCH(QString, text);
    frmSetup dialog(*window_);
    QVERIFY(ShowActive(dialog));
    Leave(dialog.txtServerPort, text, dialog.txtServerName);
    QCOMPARE(window_->rig.dialogs.messages.size(), std::size_t(1));
    QCOMPARE(window_->rig.dialogs.messages[0].text, std::string("Invalid server port"));
    QCOMPARE(dialog.txtServerPort->text(), QStringLiteral("26000"));
    QVERIFY(!morvek::PortFromText(text));
}

void TestSetupDialog::intervalValidators_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("zero") << QStringLiteral("0") << false << 0;
    QTest::newRow("negative") << QStringLiteral("-3") << false << 0;
    QTest::newRow("no number") << QStringLiteral("abc") << false << 0;
    QTest::newRow("empty") << QString() << false << 0;
    QTest::newRow("rounds to 0 ms") << QStringLiteral("0.0004") << false << 0;
    QTest::newRow("overflows 32-bit ms") << QStringLiteral("2147484") << false << 0;
    QTest::newRow("huge") << QStringLiteral("1E+300") << false << 0;
    QTest::newRow("largest") << QStringLiteral("2147483.647") << true << 2147483647;
    QTest::newRow("above 65 s") << QStringLiteral("120") << true << 120000;
    QTest::newRow("fraction") << QStringLiteral("2.5") << true << 2500;
    QTest::newRow("half ms to even") << QStringLiteral("0.0025") << true << 2;
    QTest::newRow("leading number") << QStringLiteral("7 s") << true << 7000;
}

void TestSetupDialog::intervalValidators() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, milliseconds);

    auto interval = morvek::IntervalFromText(text);
    QCOMPARE(interval.has_value(), valid);
    if (valid) QCOMPARE(*interval, milliseconds);

    frmSetup dialog(*window_);
    QVERIFY(ShowActive(dialog));
    Leave(dialog.txtRefresh, text, dialog.txtServerName);
    auto& shown = window_->rig.dialogs.messages;
    if (valid) {
        QVERIFY(shown.empty());
        QCOMPARE(dialog.txtRefresh->text(), text);
    } else {
        QCOMPARE(shown.size(), std::size_t(1));
        QCOMPARE(shown[0].text, std::string("Invalid refresh interval"));
        QCOMPARE(shown[0].icon, MessageIcon::Critical);
        QCOMPARE(dialog.txtRefresh->text(), QStringLiteral("5"));
    }

    // The same rule for the timeout box, checked as it changes.
    shown.clear();
    dialog.txtTimeOut->setText(text);
    if (valid) {
        QVERIFY(shown.empty());
        QCOMPARE(dialog.txtTimeOut->text(), text);
    } else {
        QCOMPARE(shown.size(), std::size_t(1));
        QCOMPARE(shown[0].text, std::string("Invalid timeout interval"));
        QCOMPARE(dialog.txtTimeOut->text(), QStringLiteral("30"));
    }

    if (valid) {
        dialog.cmdOk->click();
        QCOMPARE(window_->rig.connection.timCheck().Interval(), std::int64_t(milliseconds));
        QCOMPARE(window_->rig.connection.timTimeout().Interval(), std::int64_t(milliseconds));
    }
}

void TestSetupDialog::timeoutValidatedOnEveryChange() {
    frmSetup dialog(*window_);
    QVERIFY(ShowActive(dialog));
    auto& shown = window_->rig.dialogs.messages;
    QCOMPARE(dialog.txtTimeOut->text(), QStringLiteral("30"));

    // Deleting the last character: "3" is fine, "" is refused at once.
    dialog.txtTimeOut->setFocus();
    dialog.txtTimeOut->end(false);
    QTest::keyClick(dialog.txtTimeOut, Qt::Key_Backspace);
    QCOMPARE(dialog.txtTimeOut->text(), QStringLiteral("3"));
    QVERIFY(shown.empty());
    QTest::keyClick(dialog.txtTimeOut, Qt::Key_Backspace);
    QCOMPARE(shown.size(), std::size_t(1));
    QCOMPARE(shown[0].text, std::string("Invalid timeout interval"));
    QCOMPARE(shown[0].title, std::string("Morvek"));
    QCOMPARE(dialog.txtTimeOut->text(), QStringLiteral("30"));

    // A new value typed over the old one, starting with 0: refused at the first key.
    dialog.txtTimeOut->selectAll();
    QTest::keyClicks(dialog.txtTimeOut, QStringLiteral("0"));
    QCOMPARE(shown.size(), std::size_t(2));
    QCOMPARE(dialog.txtTimeOut->text(), QStringLiteral("30"));

    // Typing 90 over it passes at every step.
    dialog.txtTimeOut->selectAll();
    QTest::keyClicks(dialog.txtTimeOut, QStringLiteral("90"));
    QCOMPARE(shown.size(), std::size_t(2));
    QCOMPARE(dialog.txtTimeOut->text(), QStringLiteral("90"));

    // Leaving the box does not check it again.
    dialog.txtServerName->setFocus(Qt::TabFocusReason);
    QCOMPARE(shown.size(), std::size_t(2));

    dialog.cmdOk->click();
    QCOMPARE(window_->rig.connection.timTimeout().Interval(), std::int64_t(90000));
}

void TestSetupDialog::graphLengthValidator() {
    frmSetup dialog(*window_);
    QVERIFY(ShowActive(dialog));
    auto& shown = window_->rig.dialogs.messages;
    dialog.TabStrip->setCurrentIndex(2);

    for (const char* bad : {"0", "-4", "x", "40000", "0.4"}) {
        shown.clear();
        Leave(dialog.txtColumns, QString::fromLatin1(bad), dialog.txtSerie);
        QCOMPARE(shown.size(), std::size_t(1));
        QCOMPARE(shown[0].text, std::string("Invalid graph length"));
        QCOMPARE(shown[0].title, std::string("Morvek"));
        QCOMPARE(shown[0].icon, MessageIcon::Critical);
        QCOMPARE(dialog.txtColumns->text(), QStringLiteral("20"));
    }
    shown.clear();
    Leave(dialog.txtColumns, QStringLiteral("32767"), dialog.txtSerie);
    QVERIFY(shown.empty());

    // The series box is not checked as it is left.
    Leave(dialog.txtSerie, QStringLiteral("0"), dialog.txtColumns);
    QVERIFY(shown.empty());
}

void TestSetupDialog::messageInsideValidatorDoesNotCascade() {
    frmSetup dialog(*window_);
    QVERIFY(ShowActive(dialog));
    auto& dialogs = window_->rig.dialogs;
    // A real message box takes the focus; here the focus moves on to another box while the
    // message is up, leaving an empty name box behind.
    dialog.txtServerName->setText(QString());
    dialogs.on_message = [&](const auto&) {
        dialogs.on_message = nullptr;
        dialog.txtRefresh->setFocus(Qt::TabFocusReason);
    };
    Leave(dialog.txtServerPort, QStringLiteral("bad"), dialog.txtServerName);
    QCOMPARE(dialogs.messages.size(), std::size_t(1));
    QCOMPARE(dialogs.messages[0].text, std::string("Invalid server port"));
    QCOMPARE(dialog.txtServerPort->text(), QStringLiteral("26000"));
}

void TestSetupDialog::okAppliesConnectionValuesInOrder() {
    auto& m = window_->rig.monitor;
    auto& c = window_->rig.connection;
    m.snapshot.name = "Old server";
    m.snapshot.max_players = "16";

    frmSetup dialog(*window_);
    dialog.optType[3]->click();
    dialog.txtServerName->setText(QStringLiteral("q2.example.net"));
    dialog.txtServerPort->setText(QStringLiteral("27911"));
    dialog.txtRefresh->setText(QStringLiteral("2.5"));
    dialog.txtTimeOut->setText(QStringLiteral("120"));
    dialog.chkDisconnect->setChecked(true);
    dialog.chkMantein->setChecked(false);
    dialog.txtColumns->setText(QStringLiteral("40"));
    dialog.optSorting[2]->click();
    dialog.chkLegend->setChecked(false);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    dialog.cmdOk->click();

    QCOMPARE(accepted.count(), 1);
    QVERIFY(window_->rig.dialogs.messages.empty());
    QCOMPARE(c.Winsock().RemoteHost(), std::string("q2.example.net"));
    QCOMPARE(c.Winsock().RemotePort(), 27911);
    QCOMPARE(c.timCheck().Interval(), std::int64_t(2500));
    QCOMPARE(c.timTimeout().Interval(), std::int64_t(120000));
    QCOMPARE(m.options.disconnect_on_map_change, std::int16_t(1));
    QCOMPARE(m.options.keep_disconnected, std::int16_t(0));
    QCOMPARE(m.graph.RowCount(), 40);
    QCOMPARE(m.options.player_sorting, std::uint8_t(2));
    QCOMPARE(m.server_type, morvek::ServerType(3));
    QVERIFY(!m.graph.show_legend);
    QCOMPARE(m.options.serie_max_player, std::int16_t(1));
    // The server panel was reset with Quake II's captions.
    QCOMPARE(m.snapshot.name, std::string());
    QCOMPARE(m.snapshot.type_name, std::string("Quake II"));
    QCOMPARE(m.address_heading, std::string("Skin"));
    QCOMPARE(m.port_heading, std::string("Ping"));
    const std::vector<std::string> order = {"SetGraphVisible(true)", "Form_Resize", "RefreshAll"};
    QCOMPARE(window_->calls, order);

    // While a log is open for playback the panel keeps what the log wrote.
    window_->calls.clear();
    m.log_open = true;
    m.snapshot.name = "Replayed";
    frmSetup again(*window_);
    again.optType[0]->click();
    again.cmdOk->click();
    QCOMPARE(m.server_type, morvek::ServerType(0));
    QCOMPARE(m.snapshot.name, std::string("Replayed"));
    QCOMPARE(m.snapshot.type_name, std::string("Quake II"));
}

void TestSetupDialog::okHidesGraphAndShrinksWindow() {
    {
        frmSetup dialog(*window_);
        QVERIFY(dialog.chkShowGraph->isChecked());
        dialog.chkShowGraph->setChecked(false);
        dialog.cmdOk->click();
    }
    QVERIFY(!window_->graph_visible);
    QCOMPARE(window_->rouler_v, 4280);
    QCOMPARE(window_->height, 4280);
    const std::vector<std::string> order = {"SetGraphVisible(false)", "Form_Resize", "RefreshAll"};
    QCOMPARE(window_->calls, order);
    {
        frmSetup dialog(*window_);
        QVERIFY(!dialog.chkShowGraph->isChecked());
        dialog.chkShowGraph->setChecked(true);
        dialog.cmdOk->click();
    }
    QVERIFY(window_->graph_visible);
    QCOMPARE(window_->rouler_v, 6360);
    QCOMPARE(window_->height, 6765);
}

void TestSetupDialog::okWhileMaximizedKeepsHeight() {
    window_->maximized = true;
    window_->height = 9000;
    frmSetup dialog(*window_);
    dialog.chkShowGraph->setChecked(false);
    dialog.cmdOk->click();
    QCOMPARE(window_->rouler_v, 4280);
    QCOMPARE(window_->height, 9000);
}

void TestSetupDialog::fixedSeriesAppliedAndShownAgain() {
    auto& m = window_->rig.monitor;
    {
        frmSetup dialog(*window_);
        dialog.TabStrip->setCurrentIndex(2);
        QTest::mouseClick(dialog.optSerie[1], Qt::LeftButton);
        QCOMPARE(dialog.lblSerie->text(), QStringLiteral("1"));
        dialog.txtSerie->setText(QStringLiteral("10"));
        dialog.cmdOk->click();
    }
    QCOMPARE(m.graph.ColumnCount(), 10);
    QCOMPARE(m.options.serie_max_player, std::int16_t(0));
    QCOMPARE(m.options.serie_fixed, std::int16_t(10));
    QCOMPARE(m.graph.LegendTexts().size(), std::size_t(10));
    QCOMPARE(m.graph.LegendTexts().back(), std::string("10"));
    {
        frmSetup dialog(*window_);
        QCOMPARE(dialog.txtSerie->text(), QStringLiteral("10"));
        QVERIFY(dialog.optSerie[1]->isChecked());
        // Back to the server's maximum: the count is kept as SerieFixed, the graph untouched.
        dialog.optSerie[0]->click();
        dialog.txtSerie->setText(QStringLiteral("6"));
        dialog.cmdOk->click();
    }
    QCOMPARE(m.options.serie_max_player, std::int16_t(1));
    QCOMPARE(m.options.serie_fixed, std::int16_t(6));
    QCOMPARE(m.graph.ColumnCount(), 10);
    // A following maximum-players value drives the series again.
    morvek::SetMaxPlayers(m, "24");
    QCOMPARE(m.graph.ColumnCount(), 24);

    // A count that does not fit or is negative is refused and the dialog stays open.
    for (const char* bad : {"-1", "40000"}) {
        window_->rig.dialogs.messages.clear();
        frmSetup dialog(*window_);
        dialog.optSerie[1]->click();
        dialog.txtSerie->setText(QString::fromLatin1(bad));
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        dialog.cmdOk->click();
        QCOMPARE(accepted.count(), 0);
        QCOMPARE(window_->rig.dialogs.messages.size(), std::size_t(1));
        QCOMPARE(window_->rig.dialogs.messages[0].text,
                 std::string("Invalid number of graph series"));
        QCOMPARE(dialog.txtSerie->text(), QStringLiteral("16"));
        QCOMPARE(m.graph.ColumnCount(), 24);
    }
}

void TestSetupDialog::okKeepsSamplesWhenRowCountUnchanged() {
    auto& graph = window_->rig.monitor.graph;
    graph.SetColumnCount(4);
    graph.SetCell(20, 2, 7);
    {
        frmSetup dialog(*window_);
        dialog.cmdOk->click();
    }
    QCOMPARE(graph.RowCount(), 20);
    QCOMPARE(graph.Cell(20, 2), 7.0);
    {
        frmSetup dialog(*window_);
        dialog.txtColumns->setText(QStringLiteral("25"));
        dialog.cmdOk->click();
    }
    QCOMPARE(graph.RowCount(), 25);
    QCOMPARE(graph.Cell(20, 2), 0.0);
}

void TestSetupDialog::okChecksPortAgainAndStaysOpen() {
    auto& c = window_->rig.connection;
    c.Winsock().SetRemotePort(26500);
    frmSetup dialog(*window_);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    dialog.txtServerPort->setText(QStringLiteral("port"));
    dialog.chkDisconnect->setChecked(true);
    dialog.cmdOk->click();
    QCOMPARE(accepted.count(), 0);
    QCOMPARE(window_->rig.dialogs.messages.size(), std::size_t(1));
    QCOMPARE(window_->rig.dialogs.messages[0].text, std::string("Invalid server port"));
    QCOMPARE(dialog.txtServerPort->text(), QStringLiteral("26000"));
    // Nothing was applied.
    QCOMPARE(c.Winsock().RemotePort(), 26500);
    QCOMPARE(window_->rig.monitor.options.disconnect_on_map_change, std::int16_t(0));
    QVERIFY(window_->calls.empty());

    dialog.cmdOk->click();
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(c.Winsock().RemotePort(), 26000);

    // The other boxes are checked again as well.
    frmSetup second(*window_);
    QSignalSpy second_accepted(&second, &QDialog::accepted);
    window_->rig.dialogs.messages.clear();
    second.txtServerName->setText(QString());
    second.cmdOk->click();
    second.txtRefresh->setText(QStringLiteral("0"));
    second.cmdOk->click();
    second.txtColumns->setText(QStringLiteral("0"));
    second.cmdOk->click();
    QCOMPARE(second_accepted.count(), 0);
    QCOMPARE(window_->rig.dialogs.messages.size(), std::size_t(3));
    QCOMPARE(window_->rig.dialogs.messages[0].text, std::string("Invalid server name"));
    QCOMPARE(window_->rig.dialogs.messages[1].text, std::string("Invalid refresh interval"));
    QCOMPARE(window_->rig.dialogs.messages[2].text, std::string("Invalid graph length"));
    QCOMPARE(second.txtServerName->text(), QStringLiteral("localhost"));
    QCOMPARE(second.txtRefresh->text(), QStringLiteral("5"));
    QCOMPARE(second.txtColumns->text(), QStringLiteral("20"));
}

void TestSetupDialog::enterTakesOkAndEscapeCancels() {
    {
        frmSetup dialog(*window_);
        QVERIFY(ShowActive(dialog));
        dialog.txtServerName->setFocus();
        dialog.txtServerName->setText(QStringLiteral("by.enter"));
        QTest::keyClick(dialog.txtServerName, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(window_->rig.connection.Winsock().RemoteHost(), std::string("by.enter"));
    }
    {
        frmSetup dialog(*window_);
        QVERIFY(ShowActive(dialog));
        dialog.txtServerName->setFocus();
        dialog.txtServerName->setText(QStringLiteral("by.escape"));
        QTest::keyClick(dialog.txtServerName, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(window_->rig.connection.Winsock().RemoteHost(), std::string("by.enter"));
    }
}

void TestSetupDialog::cancelChangesNothing() {
    auto& m = window_->rig.monitor;
    auto& c = window_->rig.connection;
    c.Winsock().SetRemoteHost("keep.example");
    m.snapshot.name = "Kept";
    m.graph.SetColumnCount(16);
    const auto rows = m.graph.RowCount();
    const auto revision = m.graph.revision;

    frmSetup dialog(*window_);
    dialog.optType[2]->click();
    dialog.txtServerName->setText(QStringLiteral("other"));
    dialog.txtServerPort->setText(QStringLiteral("1234"));
    dialog.txtRefresh->setText(QStringLiteral("9"));
    dialog.txtTimeOut->setText(QStringLiteral("99"));
    dialog.chkDisconnect->setChecked(true);
    dialog.chkMantein->setChecked(false);
    dialog.optSorting[1]->click();
    dialog.chkShowGraph->setChecked(false);
    dialog.chkLegend->setChecked(false);
    dialog.optSerie[1]->click();
    dialog.txtSerie->setText(QStringLiteral("3"));
    dialog.txtColumns->setText(QStringLiteral("50"));
    dialog.cmdCancel->click();

    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(window_->rig.dialogs.messages.empty());
    QVERIFY(window_->calls.empty());
    QCOMPARE(m.server_type, morvek::ServerType(0));
    QCOMPARE(c.Winsock().RemoteHost(), std::string("keep.example"));
    QCOMPARE(c.Winsock().RemotePort(), 26000);
    QCOMPARE(c.timCheck().Interval(), std::int64_t(5000));
    QCOMPARE(c.timTimeout().Interval(), std::int64_t(30000));
    QCOMPARE(m.options.disconnect_on_map_change, std::int16_t(0));
    QCOMPARE(m.options.keep_disconnected, std::int16_t(1));
    QCOMPARE(m.options.player_sorting, std::uint8_t(0));
    QVERIFY(window_->graph_visible);
    QVERIFY(m.graph.show_legend);
    QCOMPARE(m.options.serie_max_player, std::int16_t(1));
    QCOMPARE(m.options.serie_fixed, std::int16_t(16));
    QCOMPARE(m.graph.RowCount(), rows);
    QCOMPARE(m.graph.ColumnCount(), 16);
    QCOMPARE(m.graph.revision, revision);
    QCOMPARE(m.snapshot.name, std::string("Kept"));
}

void TestSetupDialog::rejectedNameFailsSilentlyAtConnect() {
    {
        frmSetup dialog(*window_);
        dialog.txtServerName->setText(QStringLiteral("no.such.host.invalid"));
        dialog.cmdOk->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QVERIFY(window_->rig.dialogs.messages.empty());
    auto& c = window_->rig.connection;
    QCOMPARE(c.Winsock().RemoteHost(), std::string("no.such.host.invalid"));
    QVERIFY(!c.ConnectToServer());
    QCOMPARE(window_->rig.monitor.state, ConnectionState::Disconnected);
    QVERIFY(!c.timCheck().Enabled());
    QVERIFY(window_->rig.dialogs.messages.empty());
}

QTEST_MAIN(TestSetupDialog)
#include "test_setup_dialog.moc"
