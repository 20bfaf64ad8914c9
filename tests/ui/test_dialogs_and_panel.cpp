// The setup and web dialogs on the window rig, the player panel, and readable Quake names.
#include <QtTest/qtestspontaneevent.h>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include "core/alerts.h"
#include "print/report.h"
#include "support/files.h"
#include "support/to_string.h"
#include "support/window_rig.h"
#include "ui/main_window.h"
#include "ui/player_panel.h"
#include "ui/setup_dialog.h"
#include "ui/web_dialog.h"
#include "web/html_renderer.h"

using namespace morvek;
using morvek::testing::WindowRig;

namespace {

template <std::size_t N>
int Checked(const std::array<QRadioButton*, N>& options) {
    for (std::size_t i = 0; i < N; ++i)
        if (options[i]->isChecked()) return int(i);
    return -1;
}

// Everything the setup dialog shows, in one line.
QString Shown(const SetupDialog& d) {
    return QString::asprintf(
        "%d %d %s %s %s %s %d %d %d %d %d %s %d %d %d %d %d %d %s %d %d", Checked(d.typeOptions),
        int(TypeCode(d.TypeChoice())), qPrintable(d.serverNameEdit->text()),
        qPrintable(d.serverPortEdit->text()), qPrintable(d.refreshEdit->text()),
        qPrintable(d.timeoutEdit->text()), d.disconnectOnMapChangeBox->isChecked(),
        d.keepDisconnectedBox->isChecked(), d.keepTryingBox->isChecked(),
        d.readableNamesBox->isChecked(), d.spectatorsBox->isChecked(),
        qPrintable(d.columnsEdit->text()), Checked(d.sortingOptions), int(d.SortingChoice()),
        d.showGraphBox->isChecked(), d.legendBox->isChecked(), Checked(d.seriesOptions),
        d.FixedSeriesChoice(), qPrintable(d.seriesEdit->text()), d.connectionGroup->isEnabled(),
        d.playerNamesBox->isChecked());
}

// Everything "&Ok" can change, in one line.
QString Applied(WindowRig& w) {
    const auto& m = w.rig.monitor;
    auto& c = w.rig.connection;
    return QString::asprintf(
        "%d %s %d %lld %lld %d %d %d %d %d %d %d %d %d %d %d %d", int(m.server_type),
        c.socket().RemoteHost().c_str(), c.socket().RemotePort(),
        (long long)c.pollTimer().Interval(), (long long)c.timeoutTimer().Interval(),
        m.options.disconnect_on_map_change, m.options.keep_disconnected, m.options.keep_trying,
        m.options.readable_names, m.options.show_spectators, m.graph.RowCount(),
        m.options.player_sorting, w.graph_visible, m.graph.show_legend,
        m.options.series_follow_max_players, m.options.fixed_series, m.graph.ColumnCount());
}
const QString kDefaults = "0 localhost 26000 5000 30000 0 1 0 1 0 20 0 1 1 1 16 0";

// The message boxes shown, as "title (x): text" for a critical one.
QString Boxes(const testing::Dialogs& dialogs) {
    QStringList boxes;
    for (const auto& box : dialogs.messages)
        boxes << QString::fromStdString(box.title) +
                     (box.icon == platform::MessageIcon::Critical ? " (x): " : ": ") + box.text;
    return boxes.join('|');
}

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

void Click(QAbstractButton* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// One screen row: presence, name, id, shirt, pants, time, frags.
QString Shown(const PlayerPanel& panel, int r) {
    const auto box = [](const auto* b) { return b->IsButtonFace() ? "face" : b->Shown().name(); };
    return QStringList({box(panel.presenceBoxes[r]), panel.nameLabels[r]->text(),
                        panel.idLabels[r]->text(), box(panel.shirtBoxes[r]),
                        box(panel.pantsBoxes[r]), panel.timeLabels[r]->text(),
                        panel.fragsLabels[r]->text()})
        .join(' ');
}

const std::string kClanVore = "\x90VX\x91Vore";

// A name drawn as rich text: its spans in one unbroken run.
QString Rich(const QString& inner) {
    return "<span style=\"white-space:pre\">" + inner + "</span> (rich)";
}
QString Tone(const char* colour, const QString& text) {
    return QStringLiteral("<span style=\"color:%1\">%2</span>").arg(colour, text);
}

Monitor Names(bool readable) {
    Monitor m;
    m.options.readable_names = readable;
    m.snapshot.name = kClanVore;
    const std::string names[] = {"\xd2\xe1\xee\xe7\xe5\xf2", "\x92\x93\x94\x95", kClanVore,
                                 "Two\nLines"};
    for (int i = 0; i < 4; ++i) m.view.rows[i][kName] = names[i];
    return m;
}

// Pixels of a field drawn in the games' gold (text is black on white otherwise).
int GoldPixels(QWidget* field) {
    const QImage image = field->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() - c.blue() > 90 && c.green() > 60;
        }
    return count;
}

}  // namespace

class TestDialogsAndPanel : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowRig> window_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString folder_;  // the web dialog's template folder, missing until a file is put there
    testing::Dialogs& dialogs() { return window_->rig.dialogs; }
    // What the web dialog leaves: options (%1: the test's folder), timer, publishing, calls, polls.
    QString Picture() {
        const Monitor& m = window_->rig.monitor;
        std::string out = std::to_string(window_->html.Interval()) +
                          (window_->html.Running() ? " running" : " stopped") +
                          (m.web_active ? "|web|" : "|-|");
        for (const auto& call : window_->calls) out += call + "|";
        out += window_->rig.connection.timeoutTimer().Enabled() ? "polled" : "-";
        return QString(m.options.html_template + "|" + m.options.html_output + "|" +
                       QString::fromStdString(out) + "|" + Boxes(dialogs()))
            .replace(dir_->path(), "%1");
    }

  private slots:
    void init() {
        window_ = std::make_unique<WindowRig>();
        dir_ = std::make_unique<QTemporaryDir>();
        folder_ = dir_->filePath(QStringLiteral("new/template"));
    }
    void cleanup() { window_.reset(); }

    // Every value set: "&Cancel" applies none, "&Ok" all, and the dialog opened again shows them.
    void ok_applies_every_value_and_cancel_none() {
        auto& m = window_->rig.monitor;
        m.snapshot.name = "Old server";
        const auto revision = m.graph.revision;
        for (bool ok : {false, true}) {
            SetupDialog d(*window_);
            d.typeOptions[3]->click();
            QCOMPARE(d.serverPortEdit->text(), QStringLiteral("27910"));  // the type's usual port
            d.serverNameEdit->setText("q2.example.net");
            d.serverPortEdit->setText("27911");
            d.refreshEdit->setText("2147483.647");  // the largest
            d.timeoutEdit->setText("0.0025");       // half a millisecond to even
            for (QCheckBox* box :
                 {d.disconnectOnMapChangeBox, d.keepDisconnectedBox, d.keepTryingBox,
                  d.readableNamesBox, d.spectatorsBox, d.showGraphBox, d.legendBox})
                box->toggle();
            QTest::mouseClick(d.playerNamesBox, Qt::LeftButton);  // as a person ticks it
            d.columnsEdit->setText("40");
            d.sortingOptions[2]->click();
            d.seriesOptions[1]->click();
            d.seriesEdit->setText("3");
            (ok ? d.okButton : d.cancelButton)->click();
            QCOMPARE(d.result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
            if (ok) break;
            QCOMPARE(Applied(*window_), kDefaults);
            QVERIFY(window_->calls.empty() && m.graph.revision == revision);
        }
        QCOMPARE(Applied(*window_) + Boxes(dialogs()) + QString::number(m.graph.player_lines),
                 "3 q2.example.net 27911 2147483647 2 1 0 1 0 1 40 2 0 0 0 3 31");
        QCOMPARE(Shown(SetupDialog(*window_)),
                 "3 3 q2.example.net 27911 2147483.647 0.002 1 0 1 0 1 40 2 2 0 0 1 1 3 1 1");
        // The server panel was reset with Quake II's captions, then the window redrawn.
        QCOMPARE(m.snapshot.name + "|" + m.snapshot.type_name + "|" +
                     m.shown_type->address_heading + "|" + m.shown_type->port_heading,
                 std::string("|Quake II|Skin|Ping"));
        QCOMPARE(window_->calls,
                 (std::vector<std::string>{"SetGraphVisible(false)", "ApplyLayout", "RefreshAll"}));
        // A type without an option: none is chosen, the type stays; a log replayed keeps the panel.
        m.server_type = ServerType(7);
        m.log_open = true;
        m.snapshot.name = "Replayed";
        SetupDialog again(*window_);
        again.okButton->click();
        QCOMPARE(std::to_string(Checked(again.typeOptions)) + "|" +
                     std::to_string(int(m.server_type)) + "|" + m.snapshot.name + "|" +
                     m.snapshot.type_name,
                 std::string("-1|7|Replayed|Quake II"));
    }

    // Connected: an empty host shows the peer's address, the connection boxes stay as they were.
    void while_connected_only_the_switches_apply() {
        const int port = window_->rig.StartServer().Port();
        QVERIFY(window_->rig.Connect());
        window_->rig.connection.socket().SetRemoteHost("");
        SetupDialog d(*window_);
        QVERIFY(ShowActive(d));
        QCOMPARE(d.serverNameEdit->text() + " " + QString::number(d.connectionGroup->isEnabled()),
                 "127.0.0.1 0");
        d.serverPortEdit->setText("abc");
        Click(d.keepTryingBox);
        QTest::mouseClick(d.okButton, Qt::LeftButton);
        QCOMPARE(Applied(*window_) + Boxes(dialogs()),
                 QString::asprintf("0  %d 40 400 0 1 1 1 0 20 0 1 1 1 16 16", port));
    }

    // A bad box is refused as it is left and by "&Ok", which leaves the dialog open, applying none.
    void a_bad_box_is_refused_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("left");  // the message as the box is left; empty: none
        QTest::addColumn<QString>("ok");    // the message at "&Ok"
        QTest::addColumn<QString>("after");
        // Refused texts with the message and default text; the series box is checked at "&Ok" only.
        auto rows = [](const char* box, std::initializer_list<const char*> texts,
                       const char* message = "", const char* after = "") {
            const QString shown = *message ? QString("Morvek (x): ") + message : "";
            for (const char* text : texts)
                QTest::addRow("%s '%s'", box, text)
                    << box << text << (strcmp(box, "seriesEdit") ? shown : "") << shown
                    << (*message ? after : text);
        };
        rows("serverNameEdit", {""}, "Invalid server name", "localhost");
        rows("serverPortEdit", {"65536"}, "Invalid server port", "26000");
        rows("serverPortEdit", {"65535", " 1 "});
        rows("refreshEdit", {"0.0004"}, "Invalid refresh interval", "5");
        rows("refreshEdit", {"7 s"});
        rows("timeoutEdit", {"2147484"}, "Invalid timeout interval", "30");
        rows("columnsEdit", {"40000"}, "Invalid graph length", "20");
        rows("columnsEdit", {"32767"});
        rows("seriesEdit", {"-1", "40000"}, "Invalid number of graph series", "16");
        rows("seriesEdit", {"0"});
    }
    void a_bad_box_is_refused() {
        QFETCH(QString, text);
        QFETCH(QString, left);
        QFETCH(QString, ok);
        QFETCH(QString, after);
        SetupDialog d(*window_);
        QVERIFY(ShowActive(d));
        QFETCH(QString, box);
        auto* edit = d.findChild<QLineEdit*>(box);
        Leave(edit, text, edit == d.serverNameEdit ? d.serverPortEdit : d.serverNameEdit);
        QCOMPARE(Boxes(dialogs()) + "|" + edit->text(),
                 left + "|" + (left.isEmpty() ? text : after));
        d.disconnectOnMapChangeBox->setChecked(true);
        const QSignalBlocker quiet(edit);  // no check as the text changes: "&Ok" checks it
        edit->setText(text);
        dialogs().messages.clear();
        d.okButton->click();
        QCOMPARE(Boxes(dialogs()) + "|" + edit->text(), ok + "|" + after);
        if (!ok.isEmpty()) {
            QCOMPARE(Applied(*window_) + QString::number(d.result()), kDefaults + "0");
            d.okButton->click();  // with the default put back, "&Ok" applies
        }
        QCOMPARE(d.result() * 10 + window_->rig.monitor.options.disconnect_on_map_change, 11);
    }

    // The timeout box is retyped freely and checked as it is left, like the other boxes.
    void the_timeout_is_checked_when_left() {
        SetupDialog d(*window_);
        QVERIFY(ShowActive(d));
        QStringList seen;
        d.timeoutEdit->setFocus(Qt::TabFocusReason);
        const auto type = [&](std::initializer_list<Qt::Key> keys) {
            for (Qt::Key key : keys) QTest::keyClick(d.timeoutEdit, key);
            seen << d.timeoutEdit->text() + "|" + Boxes(dialogs());
        };
        type({Qt::Key_End, Qt::Key_Backspace, Qt::Key_Backspace});
        type({Qt::Key_6, Qt::Key_0, Qt::Key_Tab});
        d.timeoutEdit->setFocus(Qt::TabFocusReason);
        type({Qt::Key_End, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_0, Qt::Key_Tab});
        QCOMPARE(seen, QStringList({"|", "60|", "30|Morvek (x): Invalid timeout interval"}));
    }

    void a_message_inside_a_validator_does_not_cascade() {
        SetupDialog d(*window_);
        QVERIFY(ShowActive(d));
        // The focus moves on while the message is up, leaving an empty name box behind.
        d.serverNameEdit->setText(QString());
        dialogs().on_message = [&](const auto&) {
            dialogs().on_message = nullptr;
            d.refreshEdit->setFocus(Qt::TabFocusReason);
        };
        Leave(d.serverPortEdit, "bad", d.serverNameEdit);
        QCOMPARE(Boxes(dialogs()) + "|" + d.serverPortEdit->text(),
                 "Morvek (x): Invalid server port|26000");
    }

    // Fixed series set the column count at once, the same row count keeps the samples; back to the
    // server's maximum the count stays until the next maximum, and a new row count starts afresh.
    void graph_series_and_rows_applied() {
        auto& m = window_->rig.monitor;
        m.graph.SetColumnCount(4);
        m.graph.SetCell(20, 2, 7);
        QStringList seen;
        for (auto [serie, count, rows] : {std::tuple(1, "10", "20"), std::tuple(0, "6", "25")}) {
            SetupDialog d(*window_);
            QTest::mouseClick(d.seriesOptions[serie], Qt::LeftButton);
            d.seriesEdit->setText(count);
            d.columnsEdit->setText(rows);
            d.okButton->click();
            seen << Applied(*window_) + QString(" / %1 %2")
                                            .arg(m.graph.Cell(20, 2))
                                            .arg(m.graph.LegendTexts().size());
        }
        QCOMPARE(seen,
                 QStringList({"0 localhost 26000 5000 30000 0 1 0 1 0 20 0 1 1 0 10 10 / 7 10",
                              "0 localhost 26000 5000 30000 0 1 0 1 0 25 0 1 1 1 6 10 / 0 10"}));
    }

    void enter_takes_ok_and_escape_cancels() {
        QStringList seen;
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            SetupDialog d(*window_);
            QVERIFY(ShowActive(d));
            d.serverNameEdit->setFocus();
            d.serverNameEdit->setText(key == Qt::Key_Return ? "enter.example" : "escape.example");
            QTest::keyClick(d.serverNameEdit, key);
            seen << QString::number(d.result()) + (d.isVisible() ? " open " : " closed ") +
                        QString::fromStdString(window_->rig.connection.socket().RemoteHost());
        }
        QCOMPARE(seen, QStringList({"1 closed enter.example", "0 closed enter.example"}));
    }

    // Kinds and the tray switch clicked, the watch list typed: the dialog opened again shows them.
    void alerts_page_clicks_apply_and_show_again() {
        {
            SetupDialog d(*window_);
            d.show();
            d.pages->setCurrentWidget(d.alertsGroup->parentWidget());
            QVERIFY(QTest::qWaitForWindowExposed(&d));
            for (EventKind kind : {EventKind::Join, EventKind::Map}) Click(d.alertBoxes[int(kind)]);
            Click(d.closeToTrayBox);
            QTest::mouseClick(d.watchListEdit, Qt::LeftButton);
            QTest::keyClicks(d.watchListEdit, " Ranger ,, bob,");
            QTest::mouseClick(d.okButton, Qt::LeftButton);
        }
        SetupDialog d(*window_);
        QStringList page;
        for (int i = 0; i < kEventKindCount; ++i)
            if (d.alertBoxes[i]->isChecked()) page << EventName(EventKind(i));
        QCOMPARE(page << d.watchListEdit->text() << QString::number(d.closeToTrayBox->isChecked()),
                 QStringList({"join", "map", "Ranger, bob", "1"}));
    }

    // The setting's template selected (exact, then case-blind); the period shown decides the option
    // (not the timer), a typed one gets a note and is kept in range; "Save once" writes the page
    // now (a failure says why) and polls at once; opened again, the dialog shows the path typed.
    void ok_applies_template_and_period_data() {
        QTest::addColumn<std::string>("setting");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("picture");  // and the page written, after a typed path
        QTest::addColumn<QString>("output");   // typed (%1: the test's folder), "Save once" clicked
        auto row = [](const char* name, const char* setting, int interval, const char* shown,
                      const char* text, const char* note, const char* picture,
                      const QString& output = {}) {
            QTest::newRow(name) << std::string(setting) << interval << shown << text
                                << (*note ? note : "From 0 to 86400 s.") << picture << output;
        };
        row("case blind, Ok keeps the listed case; a fraction", "STANDARD.HTM", 2500, "2.5 every",
            "2.5", "", "standard.htm||2500 running|web|RefreshAll|-|");
        row("exact match over a case-blind one listed first; half ms to even", "Other.HTM", 0,
            "0 once", "0.0025", "",
            "Other.HTM||2 stopped|-|RefreshAll|polled|"
            "Morvek (x): Cannot write the page: no output file");
        row("no template: Ok applies the rest and says so; a day", "gone.htm", 5000, "5 every",
            "86400", "",
            "gone.htm||86400000 running|web|RefreshAll|-|Morvek (x): Invalid template");
        row("negative", "htm", 0, "0 once", "-5", "Out of range: 0 s will be used.",
            "htm||0 stopped|-|RefreshAll|polled|Morvek (x): Invalid template|"
            "Morvek (x): Cannot write the page: no output file");
        row("above a day", "other.htm", 1, "0.001 every", "86401",
            "Out of range: 86400 s will be used.", "other.htm||86400000 running|web|RefreshAll|-|");
        row("Save once writes the page now, in Cyrillic", "standard.htm", 5000, "5 every", "5", "",
            "standard.htm|%1/Москва/статус.html|5000 stopped|-|RefreshAll|polled||page\r\n",
            "%1/Москва/статус.html");
        row("Save once, no folder: why", "standard.htm", 5000, "5 every", "5", "",
            "standard.htm|%1/нет/p.htm|5000 stopped|-|RefreshAll|polled|Morvek (x): Cannot write "
            "the page %1/нет/p.htm: No such file or directory|<missing>",
            "%1/нет/p.htm");
    }
    void ok_applies_template_and_period() {
        QFETCH(std::string, setting);
        QFETCH(int, interval);
        QFETCH(QString, text);
        QFETCH(QString, output);
        QVERIFY(QDir().mkpath(folder_ + "/folder.htm") && QDir().mkpath(dir_->filePath("Москва")));
        for (const char* name : {"standard.htm", "Other.HTM", "other.htm", "page.html", "htm"})
            QVERIFY(testing::WriteFile(QDir(folder_).filePath(name),
                                       name == std::string("standard.htm") ? "page\r" : ""));
        window_->rig.monitor.options.html_template = QString::fromStdString(setting);
        window_->publisher.SetTemplateFolder(folder_);
        window_->html.SetInterval(interval);
        window_->html.SetEnabled(true);  // publishing, whatever the period
        window_->rig.monitor.web_active = true;
        QUdpSocket server;  // on 127.0.0.1, only listening: a poll's request arrives there
        QVERIFY(server.bind(QHostAddress::LocalHost, 0));
        window_->rig.connection.socket().SetRemoteHost("127.0.0.1");
        window_->rig.connection.socket().SetRemotePort(server.localPort());
        WebDialog dialog(*window_, folder_);
        QVERIFY(ShowActive(dialog));
        QStringList listed;
        for (int i = 0; i < dialog.templateList->count(); ++i)
            listed << dialog.templateList->item(i)->text();
        QCOMPARE(listed, QStringList({"other.htm", "Other.HTM", "standard.htm"}));
        QTEST(dialog.refreshEdit->text() + (dialog.saveOptions[1]->isChecked() ? " every" : "") +
                  (dialog.saveOptions[0]->isChecked() ? " once" : ""),
              "shown");
        dialog.refreshEdit->setText(text);
        QTEST(dialog.periodNote->text(), "note");
        output.replace("%1", dir_->path());
        for (QChar c : output)  // typed key by key (QTest::keyClicks knows Latin-1 only)
            QTest::sendKeyEvent(QTest::Click, dialog.outputFileEdit, Qt::Key_unknown, c, {});
        if (!output.isEmpty()) Click(dialog.saveOptions[0]);
        Click(dialog.okButton);
        QTEST(Picture() + (output.isEmpty() ? "" : "|" + testing::ReadFile(output)), "picture");
        QTRY_COMPARE_WITH_TIMEOUT(server.hasPendingDatagrams(), Picture().contains("polled"), 5000);
        window_->rig.connection.socket().Close();
        QCOMPARE(WebDialog(*window_, folder_).outputFileEdit->text(), output);
    }

    // The output file comes from a save dialog; "&Cancel" leaves it and all else as it was.
    void output_file_chosen_then_cancel_changes_nothing() {
        window_->rig.monitor.options = {.html_output = "kept.htm", .html_template = "standard.htm"};
        const QString before = Picture();
        WebDialog dialog(*window_, folder_);
        QVERIFY(QFileInfo(folder_).isDir());  // a missing template folder is made
        dialogs().files = {"site/index.htm", std::nullopt};
        dialog.chooseFileButton->click();
        dialog.chooseFileButton->click();  // cancelled: the box keeps the first choice
        const auto& r = dialogs().file_requests[0];
        QCOMPARE(r.title + "|" + r.filter + "|" + r.default_extension + (r.must_exist ? "|!" : "|"),
                 "Select an Html file to save|Html files (*.htm; *.html)|*.htm;*.html|"
                 "All files (*.*)|*.*|.htm|");
        QCOMPARE(dialog.outputFileEdit->text(), QStringLiteral("site/index.htm"));
        dialog.refreshEdit->setText(QStringLiteral("9"));
        dialog.saveOptions[0]->click();
        dialog.cancelButton->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(Picture(), before);
    }

    // A record shown over a screen row that showed present, colours 2, time 0 and frags 0.
    void a_screen_row_shows_the_record_data() {
        QTest::addColumn<QStringList>("record");  // presence, shirt, pants, time, frags
        QTest::addColumn<QString>("shown");
        QTest::newRow("present, empty colour reads 0, palette ends at 13")
            << QStringList{"1", "", "13", "012", "25"} << "#00ff00 N 1 #c0c0c0 #0000ff 12 25";
        QTest::newRow("blank is absent, 32 keeps, 14 past the palette, unsigned frags")
            << QStringList{" ", "32", "14", "1.50", "4244897280"}
            << "#ff0000 N 1 #800080 face 1.5 -1";
        QTest::newRow("unknown mark keeps, halves to even, frags as sent")
            << QStringList{"x", "12.5", "11.5", "", "007"} << "#00ff00 N 1 #ffff00 #ffff00  007";
        QTest::newRow("absent, below the palette, 31.6 is not 32")
            << QStringList{"", "-1", "31.6", "", ""} << "#ff0000 N 1 face face  ";
    }
    void a_screen_row_shows_the_record() {
        QFETCH(QStringList, record);
        Monitor m;
        PlayerPanel panel;
        for (const QStringList& r : {QStringList{"1", "2", "2", "0", "0"}, record}) {
            PlayerRecord& p = m.view.rows[0];
            std::tie(p[kName], p[kId], p[kPresent], p[kShirt], p[kPants], p[kTime], p[kFrags]) =
                std::tuple("N", "1", r[0].toStdString(), r[1].toStdString(), r[2].toStdString(),
                           r[3].toStdString(), r[4].toStdString());
            panel.ShowPlayers(m);
        }
        QTEST(Shown(panel, 0), "shown");
    }

    void scrolling_over_the_view() {
        Monitor m;
        for (int i = 0; i < kPlayerSlots; ++i) m.view.rows[i][kName] = "p" + std::to_string(i);
        PlayerPanel panel;
        connect(&panel, &PlayerPanel::Scrolled, [&] { panel.ShowPlayers(m); });
        QScrollBar* bar = panel.scrollBar;
        bar->setValue(100);  // cannot pass the range
        QCOMPARE(panel.nameLabels[0]->text() + panel.nameLabels[4]->text(), "p59p63");
        bar->triggerAction(QScrollBar::SliderPageStepSub);
        QCOMPARE(panel.nameLabels[0]->text(), QStringLiteral("p54"));
        // The wheel over a row moves the rows as over the bar: 3 rows a notch, a page at most.
        QStringList seen;
        for (auto [over, delta] : {std::pair<QWidget*, int>(panel.nameLabels[2], 120),
                                   {bar, 120},
                                   {panel.fragsLabels[4], -240}}) {
            const QPointF at(2, 2);
            QWheelEvent wheel(at, over->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {},
                              Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&wheel);  // as the window system delivers it
            qApp->notify(over, &wheel);
            seen << panel.nameLabels[0]->text();
        }
        QCOMPARE(seen, QStringList({"p51", "p48", "p53"}));  // a page at most per move
    }

    // "Copy name" in a row's context menu puts the readable name on the clipboard.
    void a_name_is_copied_from_its_row() {
        PlayerPanel panel;
        panel.ShowPlayers(Names(false));
        QStringList copied;
        for (int r : {2, 0}) {
            QApplication::clipboard()->clear();
            QTimer::singleShot(0, &panel, [&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                const QRect item = menu->actionGeometry(panel.copyNameAction);
                QTest::mouseClick(menu, Qt::LeftButton, {}, item.center());
            });
            const QPoint at = panel.idLabels[r]->rect().center();
            QContextMenuEvent event(QContextMenuEvent::Mouse, at,
                                    panel.idLabels[r]->mapToGlobal(at));
            QApplication::sendEvent(panel.idLabels[r], &event);
            copied << QApplication::clipboard()->text();
        }
        QCOMPARE(copied, QStringList({"[VX]Vore", "Ranger"}));
    }

    void player_panel_draws_red_and_gold_letters_data() {
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("window");  // the panel's background, "" for the desktop's
        QTest::addColumn<QStringList>("names");
        const QString clan = Tone("#b08000", "[") + "VX" + Tone("#b08000", "]") + "Vore";
        QTest::newRow("readable") << true << ""
                                  << QStringList{Rich(Tone("#a04020", "Ranger")),
                                                 Rich(Tone("#b08000", "0123")), Rich(clan),
                                                 "Two Lines"};
        // The red-brown stands out only 2.5:1 from a dark panel: lightened to 3:1; gold keeps.
        QTest::newRow("readable on a dark desktop")
            << true << "#222020"
            << QStringList{Rich(Tone("#a95336", "Ranger")), Rich(Tone("#b08000", "0123")),
                           Rich(clan), "Two Lines"};
        QTest::newRow("windows_1252")
            << false << ""
            << QStringList{QString::fromUtf8("\u00d2\u00e1\u00ee\u00e7\u00e5\u00f2"),
                           QString::fromUtf8("\u2019\u201c\u201d\u2022"),
                           QString::fromUtf8("\u0090VX\u2018Vore"), "Two\nLines"};
    }
    void player_panel_draws_red_and_gold_letters() {
        QFETCH(bool, readable);
        QFETCH(QString, window);
        QFETCH(QStringList, names);
        PlayerPanel panel;
        if (!window.isEmpty()) panel.setPalette(QPalette(QColor(window)));
        const Monitor m = Names(readable);
        const auto name = [&](int r) {
            const QLabel* label = panel.nameLabels[r];
            return label->text() + (label->textFormat() == Qt::RichText ? " (rich)" : "");
        };
        panel.ShowPlayers(m);
        QStringList got{name(0), name(1), name(2), name(3)};
        panel.scrollBar->setValue(3);  // a rich name scrolled away leaves a plain one behind
        panel.ShowPlayers(m);
        QCOMPARE(got << name(0) << name(1), (names + QStringList{names[3], ""}));
    }

    void server_panel_shows_readable_text_in_gold() {
        testing::Dialogs dialogs;
        MainWindow window(&dialogs, nullptr);
        QVERIFY(window.Load());
        window.monitor().snapshot.name = kClanVore;
        QStringList got;
        for (bool readable : {true, false}) {  // switched off: the bytes as Windows-1252
            window.monitor().options.readable_names = readable;
            window.RefreshAll();
            got << window.serverNameEdit->text()
                << QString::number(GoldPixels(window.serverNameEdit) > 0);
        }
        QCOMPARE(got, QStringList({"[VX]Vore", "1", QString::fromUtf8("\u0090VX\u2018Vore"), "0"}));
    }

    // The page's server name and name cells (the second of four), and the report's name column.
    void page_and_report_write_readable_names() {
        const Monitor m = Names(true);
        const QString page = QString::fromStdString(
            web::RenderPage("{ServerName}\r{PlayerList}", m, QDateTime()).value_or("none"));
        QStringList names{page.section("\r\n", 0, 0)};  // then the cell after each ID cell
        const QRegularExpression after_id(
            R"(<B>\r\n \d+ \r\n</B>\r\n</TD>\r\n<TD>\r\n<B>\r\n([^\r]*))");
        for (auto match = after_id.globalMatch(page); match.hasNext();)
            names << match.next().captured(1);
        for (const print::PageOp& op :
             print::LayoutReport(m, 11000, 0, [](const print::FontSpec&) { return 230; }))
            if (op.kind == print::PageOp::kText && op.x == 2000 && !op.font.bold &&
                !op.text.empty())
                names << QString::fromStdString(op.text);
        QCOMPARE(names, QStringList({"[VX]Vore", "Ranger", "0123", "[VX]Vore", "Two Lines",
                                     "[VX]Vore", "Ranger", "0123", "[VX]Vore", "Two Lines"}));
    }
};

QTEST_MAIN(TestDialogsAndPanel)
#include "test_dialogs_and_panel.moc"
