// The setup and web publishing dialogs against the window rig: what they show, their validators,
// what "&Ok" applies and "&Cancel" leaves; the "Alerts" page through the settings file and back.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include "core/alerts.h"
#include "platform/settings_backend.h"
#include "query/status.h"
#include "support/window_rig.h"
#include "ui/setup_dialog.h"
#include "ui/web_dialog.h"

using namespace morvek;
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
        "%d %d %s %s %s %s %d %d %s %d %d %d %d %d %d %s %d", Checked(d.optType),
        int(TypeCode(d.TypeChoice())), qPrintable(d.txtServerName->text()),
        qPrintable(d.txtServerPort->text()), qPrintable(d.txtRefresh->text()),
        qPrintable(d.txtTimeOut->text()), d.chkDisconnect->isChecked(), d.chkMantein->isChecked(),
        qPrintable(d.txtColumns->text()), Checked(d.optSorting), int(d.SortingChoice()),
        d.chkShowGraph->isChecked(), d.chkLegend->isChecked(), Checked(d.optSerie),
        d.FixedSeriesChoice(), qPrintable(d.txtSerie->text()), d.frConnection->isEnabled());
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
const QString kDefaults = "0 localhost 26000 5000 30000 0 1 20 0 1 1 1 16 0";

// Shown and active, so focus moves between its boxes as it does under a user's hands.
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

// What the page shows: the checked kinds, the watch list and the tray switch.
QString Page(const frmSetup& d) {
    QStringList on;
    for (int i = 0; i < kEventKindCount; ++i)
        if (d.chkAlert[i]->isChecked()) on << EventName(EventKind(i));
    return on.join(' ') + " / " + d.txtWatchList->text() + " / " +
           (d.chkCloseToTray->isChecked() ? "tray" : "no tray");
}

void Click(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// Clicks the kinds and the tray switch, replaces the watch list by typing, takes "&Ok" and saves.
void Change(WindowRig& window, const QString& file, std::initializer_list<EventKind> kinds,
            const QString& watch) {
    frmSetup d(window);
    d.show();
    d.TabStrip->setCurrentWidget(d.frAlerts->parentWidget());
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    for (EventKind kind : kinds) Click(d.chkAlert[int(kind)]);
    Click(d.chkCloseToTray);
    QTest::mouseClick(d.txtWatchList, Qt::LeftButton);
    QTest::keyClick(d.txtWatchList, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(d.txtWatchList, Qt::Key_Backspace);
    QTest::keyClicks(d.txtWatchList, watch);
    QTest::mouseClick(d.cmdOk, Qt::LeftButton);
    platform::IniSettingsBackend store(file);
    QVERIFY(SaveSettings(store, window.Settings(), "", nullptr));
}

// The alert values of the settings file, in its order.
QStringList Stored(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {"cannot read"};
    QStringList lines;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("Alert") || line.startsWith("CloseToTray")) lines << line;
    return lines;
}

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowRig> window_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString folder_;  // the web dialog's template folder
    morvek::testing::Dialogs& dialogs() { return window_->rig.dialogs; }
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
        window_ = std::make_unique<WindowRig>();
        dir_ = std::make_unique<QTemporaryDir>();
        folder_ = dir_->filePath(QStringLiteral("new/template"));
        QDir().mkpath(folder_);
    }
    void cleanup() { window_.reset(); }

    void opening_shows_the_live_values() {
        QCOMPARE(Shown(frmSetup(*window_)), "0 0 localhost 26000 5 30 0 1 20 0 0 1 1 0 0 16 1");
        auto& m = window_->rig.monitor;
        auto& c = window_->rig.connection;
        m.server_type = morvek::ServerType(7);  // no option: none is chosen, the type stays
        c.Winsock().SetRemoteHost("quake.example.org");
        c.Winsock().SetRemotePort(27500);
        c.timCheck().SetInterval(2500);
        c.timTimeout().SetInterval(45000);
        m.options.disconnect_on_map_change = 1;
        m.options.keep_disconnected = 0;
        m.options.player_sorting = 2;
        m.options.serie_max_player = 0;
        m.options.serie_fixed = 12;
        m.graph.SetRowCount(30);
        m.graph.show_legend = window_->graph_visible = false;
        frmSetup d(*window_);
        QCOMPARE(Shown(d), "-1 7 quake.example.org 27500 2.5 45 1 0 30 2 2 0 0 1 1 12 1");
        QCOMPARE(d.TabStrip->currentIndex(), 0);
        d.cmdOk->click();
        QCOMPARE(Applied(*window_), "7 quake.example.org 27500 2500 45000 1 0 30 2 0 0 0 12 12");
        QVERIFY(dialogs().messages.empty());
    }

    void switches_clicked_and_applied_data() {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QList<bool>>("applied");  // keep trying, readable names, spectators
        QTest::newRow("keep trying, while connected")
            << true << "chkKeepTrying" << QList<bool>{true, true, false};
        QTest::newRow("readable names off")
            << false << "chkReadable" << QList<bool>{false, false, false};
        QTest::newRow("spectators on")
            << false << "chkSpectators" << QList<bool>{false, true, true};
    }
    void switches_clicked_and_applied() {
        QFETCH(bool, connected);
        QFETCH(QString, box);
        QFETCH(QList<bool>, applied);
        if (connected) window_->rig.monitor.state = ConnectionState::Connected;
        frmSetup d(*window_);
        QVERIFY(ShowActive(d));
        QCOMPARE(d.frConnection->isEnabled(), !connected);
        QVERIFY(d.txtServerName->isEnabled() != connected &&
                d.optType[0]->isEnabled() != connected);
        QVERIFY(d.frApplication->isEnabled() && d.chkDisconnect->isEnabled());
        if (connected) {
            d.txtServerPort->setText("abc");
            d.txtRefresh->setText("9");
        }
        QCheckBox* check = box == "chkKeepTrying" ? d.chkKeepTrying
                           : box == "chkReadable" ? d.chkReadable
                                                  : d.chkSpectators;
        for (int i = 0; i < d.TabStrip->count(); ++i)
            if (d.TabStrip->widget(i)->isAncestorOf(check)) d.TabStrip->setCurrentIndex(i);
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
        QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        const auto& o = window_->rig.monitor.options;
        QCOMPARE((QList<bool>{o.keep_trying, o.readable_names, o.show_spectators}), applied);
        QCOMPARE(Applied(*window_), kDefaults);
        QVERIFY(dialogs().messages.empty());
        frmSetup again(*window_);
        QCOMPARE((QList<bool>{again.chkKeepTrying->isChecked(), again.chkReadable->isChecked(),
                              again.chkSpectators->isChecked()}),
                 applied);
    }

    void an_empty_host_shows_the_last_peer_address() {
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
        QCOMPARE(frmSetup(*window_).txtServerName->text(), QStringLiteral("127.0.0.1"));
        socket.Close();
    }

    void a_type_option_puts_its_usual_port() {
        frmSetup d(*window_);
        QStringList shown;
        for (int i : {3, 1, 2, 0, 0}) {  // the option already chosen puts its port back too
            d.txtServerPort->setText("12345");
            QTest::mouseClick(d.optType[i], Qt::LeftButton);
            shown << d.txtServerPort->text() + "/" + QString::number(TypeCode(d.TypeChoice()));
        }
        QCOMPARE(shown, QStringList({"27910/3", "27000/1", "26900/2", "26000/0", "26000/0"}));
        d.optType[3]->click();
        d.optSorting[1]->click();
        d.cmdOk->click();
        QCOMPARE(Applied(*window_), "3 localhost 27910 5000 30000 0 1 20 1 1 1 1 16 0");
        QCOMPARE(window_->rig.monitor.snapshot.type_name, std::string("Quake II"));
    }

    // A bad box is refused as it is left (the series box only by "&Ok"), and again by "&Ok",
    // which then applies nothing and leaves the dialog open with the box's default text.
    void a_bad_box_is_refused_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("left");  // the message as the box is left; empty: none
        QTest::addColumn<QString>("ok");    // the message at "&Ok"
        QTest::addColumn<QString>("after");
        auto rows = [](const char* box, std::initializer_list<const char*> texts, const char* left,
                       const char* ok, const char* after) {
            for (const char* text : texts)
                QTest::addRow("%s '%s'", box, text)
                    << box << text << left << ok << (*ok ? after : text);
        };
        const char* port = "Invalid server port";
        rows("txtServerName", {""}, "Invalid server name", "Invalid server name", "localhost");
        rows("txtServerName", {"host.example"}, "", "", "");
        rows("txtServerPort", {"65536"}, port, port, "26000");
        rows("txtServerPort", {"65535", " 1 "}, "", "", "");
        const char* refresh = "Invalid refresh interval";
        rows("txtRefresh", {"0.0004"}, refresh, refresh, "5");
        rows("txtRefresh", {"7 s"}, "", "", "");
        const char* timeout = "Invalid timeout interval";
        rows("txtTimeOut", {"2147484"}, timeout, timeout, "30");
        const char* length = "Invalid graph length";
        rows("txtColumns", {"40000"}, length, length, "20");
        rows("txtColumns", {"32767"}, "", "", "");
        rows("txtSerie", {"-1", "40000"}, "", "Invalid number of graph series", "16");
        rows("txtSerie", {"0"}, "", "", "");
    }
    void a_bad_box_is_refused() {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, left);
        QFETCH(QString, ok);
        QFETCH(QString, after);
        auto texts = [](const QString& message) {
            return message.isEmpty() ? std::vector<std::string>{}
                                     : std::vector{message.toStdString()};
        };
        frmSetup d(*window_);
        QVERIFY(ShowActive(d));
        auto* edit = d.findChild<QLineEdit*>(box);
        d.TabStrip->setCurrentWidget(edit->parentWidget());
        Leave(edit, text, edit == d.txtServerName ? d.txtServerPort : d.txtServerName);
        QCOMPARE(dialogs().Texts(), texts(left));
        QCOMPARE(edit->text(), left.isEmpty() ? text : after);
        if (!left.isEmpty()) {
            QCOMPARE(dialogs().messages[0].title, std::string("Morvek"));
            QCOMPARE(dialogs().messages[0].icon, morvek::platform::MessageIcon::Critical);
        }
        QSignalSpy accepted(&d, &QDialog::accepted);
        d.chkDisconnect->setChecked(true);
        QSignalBlocker quiet(edit);  // no check as the text changes: "&Ok" checks it
        edit->setText(text);
        quiet.unblock();
        dialogs().messages.clear();
        d.cmdOk->click();
        QCOMPARE(dialogs().Texts(), texts(ok));
        QCOMPARE(edit->text(), after);
        if (!ok.isEmpty()) {
            QCOMPARE(accepted.count(), 0);
            QCOMPARE(Applied(*window_), kDefaults);
            QVERIFY(window_->calls.empty());
            d.cmdOk->click();  // with the default put back, "&Ok" applies
        }
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(window_->rig.monitor.options.disconnect_on_map_change, std::int16_t(1));
    }

    void the_timeout_is_checked_at_every_key() {
        frmSetup d(*window_);
        QVERIFY(ShowActive(d));
        // Deleting the last character: "3" is fine, "" is refused at once.
        d.txtTimeOut->setFocus();
        d.txtTimeOut->end(false);
        QTest::keyClick(d.txtTimeOut, Qt::Key_Backspace);
        QCOMPARE(d.txtTimeOut->text() + "|" + QString::number(dialogs().messages.size()), "3|0");
        QTest::keyClick(d.txtTimeOut, Qt::Key_Backspace);
        QCOMPARE(dialogs().Texts(), std::vector<std::string>{"Invalid timeout interval"});
        QCOMPARE(d.txtTimeOut->text(), QStringLiteral("30"));
        // A new value typed over the old one, starting with 0: refused at the first key.
        d.txtTimeOut->selectAll();
        QTest::keyClicks(d.txtTimeOut, "0");
        QCOMPARE(d.txtTimeOut->text() + "|" + QString::number(dialogs().messages.size()), "30|2");
        // Typing 90 over it passes at every step, and leaving the box does not check it again.
        d.txtTimeOut->selectAll();
        QTest::keyClicks(d.txtTimeOut, "90");
        d.txtServerName->setFocus(Qt::TabFocusReason);
        QCOMPARE(dialogs().messages.size(), std::size_t(2));
        d.cmdOk->click();
        QCOMPARE(window_->rig.connection.timTimeout().Interval(), std::int64_t(90000));
    }

    void a_message_inside_a_validator_does_not_cascade() {
        frmSetup d(*window_);
        QVERIFY(ShowActive(d));
        // The focus moves on while the message is up, leaving an empty name box behind.
        d.txtServerName->setText(QString());
        dialogs().on_message = [&](const auto&) {
            dialogs().on_message = nullptr;
            d.txtRefresh->setFocus(Qt::TabFocusReason);
        };
        Leave(d.txtServerPort, "bad", d.txtServerName);
        QCOMPARE(dialogs().Texts(), std::vector<std::string>{"Invalid server port"});
        QCOMPARE(d.txtServerPort->text(), QStringLiteral("26000"));
    }

    void ok_applies_every_value_and_cancel_none() {
        auto& m = window_->rig.monitor;
        m.snapshot.name = "Old server";
        const auto revision = m.graph.revision;
        for (bool ok : {false, true}) {
            frmSetup d(*window_);
            d.optType[3]->click();
            d.txtServerName->setText("q2.example.net");
            d.txtServerPort->setText("27911");
            d.txtRefresh->setText("2147483.647");  // the largest
            d.txtTimeOut->setText("0.0025");       // half a millisecond to even
            d.chkDisconnect->setChecked(true);
            d.chkMantein->setChecked(false);
            d.txtColumns->setText("40");
            d.optSorting[2]->click();
            d.chkLegend->setChecked(false);
            d.optSerie[1]->click();
            d.txtSerie->setText("3");
            (ok ? d.cmdOk : d.cmdCancel)->click();
            QCOMPARE(d.result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
            QVERIFY(dialogs().messages.empty());
            if (ok) break;
            QCOMPARE(Applied(*window_), kDefaults);
            QCOMPARE(m.graph.revision, revision);
            QVERIFY(window_->calls.empty());
        }
        QCOMPARE(Applied(*window_), "3 q2.example.net 27911 2147483647 2 1 0 40 2 1 0 0 3 3");
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

    void graph_series_and_rows_applied_and_shown_again() {
        auto& m = window_->rig.monitor;
        m.graph.SetColumnCount(4);
        m.graph.SetCell(20, 2, 7);
        auto ok = [&](int serie, const char* count, const char* rows) {
            frmSetup d(*window_);
            QTest::mouseClick(d.optSerie[serie], Qt::LeftButton);
            d.txtSerie->setText(count);
            d.txtColumns->setText(rows);
            d.cmdOk->click();
            return Applied(*window_);
        };
        // The same row count keeps the samples; fixed series set the column count at once.
        QCOMPARE(ok(1, "10", "20"), "0 localhost 26000 5000 30000 0 1 20 0 1 1 0 10 10");
        QCOMPARE(m.graph.Cell(20, 2) * 10 + m.graph.LegendTexts().size(), 80.0);
        frmSetup d(*window_);
        QCOMPARE(Checked(d.optSerie) * 100 + d.txtSerie->text().toInt(), 110);
        // Back to the server's maximum: the count is kept, a new row count starts afresh.
        QCOMPARE(ok(0, "6", "25"), "0 localhost 26000 5000 30000 0 1 25 0 1 1 1 6 10");
        QCOMPARE(m.graph.Cell(20, 2), 0.0);
        morvek::SetMaxPlayers(m, "24");  // the next maximum drives the series again
        QCOMPARE(m.graph.ColumnCount(), 24);
    }

    void enter_takes_ok_and_escape_cancels() {
        for (auto [key, host] :
             {std::pair(Qt::Key_Return, "by.enter"), std::pair(Qt::Key_Escape, "by.escape")}) {
            frmSetup d(*window_);
            QVERIFY(ShowActive(d));
            d.txtServerName->setFocus();
            d.txtServerName->setText(host);
            QTest::keyClick(d.txtServerName, key);
            QCOMPARE(d.result(),
                     int(key == Qt::Key_Return ? QDialog::Accepted : QDialog::Rejected));
            QVERIFY(!d.isVisible());
            QCOMPARE(window_->rig.connection.Winsock().RemoteHost(), std::string("by.enter"));
        }
    }

    void alerts_page_clicks_reach_the_file_and_come_back() {
        QTemporaryDir dir;
        const QString file = dir.filePath("Morvek.conf");
        WindowRig first;
        QCOMPARE(Page(frmSetup(first)), QString(" /  / no tray"));  // nothing on by default
        Change(first, file, {EventKind::Join, EventKind::Map}, " Ranger ,, bob,");
        QCOMPARE(first.rig.monitor.options.alert_events,
                 AlertBit(EventKind::Join) | AlertBit(EventKind::Map));
        QCOMPARE(
            Stored(file),
            QStringList({"AlertJoin=True", "AlertLeave=False", "AlertMap=True", "AlertSilent=False",
                         "AlertBack=False", "AlertLead=False", "AlertFull=False",
                         "AlertSlotFree=False", "AlertWatchList=Ranger, bob", "CloseToTray=True"}));

        // The next run reads them; clearing the watch list is stored too.
        WindowRig next;
        platform::IniSettingsBackend store(file);
        next.ApplySettings(*LoadSettings(store, nullptr), kReachAll);
        QCOMPARE(Page(frmSetup(next)), QString("join map / Ranger, bob / tray"));
        Change(next, file, {EventKind::Join, EventKind::SlotFree}, "");
        QCOMPARE(Stored(file).filter("True"), QStringList({"AlertMap=True", "AlertSlotFree=True"}));
        QCOMPARE(Stored(file).filter("WatchList"), QStringList({"AlertWatchList=*"}));
        QCOMPARE(Page(frmSetup(next)), QString("map slot_free /  / no tray"));
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

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
