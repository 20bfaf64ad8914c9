// The player panel: rows, presence and colour boxes, texts, scrolling; and readable Quake names
// wherever a person reads them (panels, rules window, page, report).
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

#include "core/monitor.h"
#include "print/report.h"
#include "support/dialogs.h"
#include "support/to_string.h"
#include "ui/main_window.h"
#include "ui/player_panel.h"
#include "ui/rules_window.h"
#include "web/html_renderer.h"

using namespace morvek;

namespace {

QString Name(const std::optional<QColor>& colour) {
    if (!colour) return "keep";
    return colour->isValid() ? colour->name() : "face";
}

// One screen row: presence, name, id, shirt, pants, time, frags.
QString Shown(const PlayerPanel& panel, int r) {
    const auto box = [](const auto* b) { return b->IsButtonFace() ? "face" : b->Shown().name(); };
    return QStringList({box(panel.plStatus[r]), panel.plNome[r]->text(), panel.plID[r]->text(),
                        box(panel.plShirt[r]), box(panel.plPants[r]), panel.plTime[r]->text(),
                        panel.plFrags[r]->text()})
        .join(' ');
}

const std::string kRedRanger = "\xd2\xe1\xee\xe7\xe5\xf2";
const std::string kGold0123 = "\x92\x93\x94\x95";
const std::string kClanVore = "\x90VX\x91Vore";
const std::string kTwoLines = "Two\nLines";

const QString kRed = QStringLiteral("<span style=\"color:#a04020\">%1</span>");
const QString kGold = QStringLiteral("<span style=\"color:#b08000\">%1</span>");
QString Pre(const QString& inner) {
    return QStringLiteral("<span style=\"white-space:pre\">") + inner + QStringLiteral("</span>");
}

Monitor Names(bool readable) {
    Monitor m;
    m.options.readable_names = readable;
    m.snapshot.name = kClanVore;
    for (const std::string& name : {kRedRanger, kGold0123, kClanVore, kTwoLines}) {
        StartIncoming(m.table);
        m.table.incoming[kName] = name;
        m.table.incoming[kTime] = "70";
        CommitIncoming(m.table, ServerType::QuakeWorld);
    }
    BuildPlayerView(m.table, m.view, kSortById, 1, readable);
    return m;
}
}  // namespace

class TestPlayerPanel : public QObject {
    Q_OBJECT
  private slots:
    void texts_and_colours_of_a_field_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        auto rows = [](const char* field,
                       std::initializer_list<std::pair<const char*, const char*>> cases) {
            for (auto [text, shown] : cases)
                QTest::addRow("%s '%s'", field, text) << field << text << shown;
        };
        // "" reads 0; halves go to even; 32 keeps the colour; no palette entry: the button face.
        rows("colour", {{"", "#c0c0c0"},
                        {"2", "#800080"},
                        {"12.5", "#ffff00"},
                        {"11.5", "#ffff00"},
                        {"-1", "face"},
                        {"33", "face"},
                        {"31.6", "face"},
                        {"&HFFFF", "face"}});
        rows("presence", {{"", "#ff0000"}, {" ", "#ff0000"}, {"1", "#00ff00"}, {"x", "keep"}});
        rows("time", {{"012", "12"}, {"1.50", "1.5"}, {"", ""}, {"abc", "0"}});
        rows("frags", {{"4244897280", "-1"}, {"-5", "-5"}, {"007", "007"}, {"", ""}});
    }
    void texts_and_colours_of_a_field() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        const std::string t = text.toStdString();
        const QString shown = field == "colour"     ? Name(ColourForNumber(t))
                              : field == "presence" ? Name(PresenceColour(t))
                              : field == "time"     ? QString::fromStdString(TimeText(t))
                                                    : QString::fromStdString(FragsText(t));
        QTEST(shown, "shown");
    }

    void rows_and_colours() {
        Monitor m;
        PlayerPanel panel;
        panel.show();
        QCOMPARE(Shown(panel, 0), "#ff0000   face face  ");
        auto row = [&](int r, std::array<const char*, 7> f) {  // presence name shirt pants ...
            PlayerRecord& p = m.view.rows[std::size_t(r)];
            std::tie(p[kPresent], p[kName], p[kShirt], p[kPants], p[kTime], p[kFrags], p[kId]) =
                std::tuple(f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
        };
        row(0, {"1", "Ranger", "4", "13", "012", "25", "1"});
        row(1, {"", "Gone", "3", "12", "7", "4244897280", "2"});  // absent: the texts stay
        row(2, {"1", "Odd", "14", "15", "", "3", "3"});
        panel.ShowPlayers(m);
        QCOMPARE((QStringList{Shown(panel, 0), Shown(panel, 1), Shown(panel, 2), Shown(panel, 4)}),
                 (QStringList{"#00ff00 Ranger 1 #ff0000 #0000ff 12 25",
                              "#ff0000 Gone 2 #008000 #ffff00 7 -1", "#00ff00 Odd 3 face face  3",
                              "#ff0000   #c0c0c0 #c0c0c0  "}));
        // Colour 32 and an unknown presence text keep what that screen row showed before.
        row(0, {"x", "Next", "32", "32", "", "", ""});
        panel.ShowPlayers(m);
        QCOMPARE(Shown(panel, 0), "#00ff00 Next  #ff0000 #0000ff  ");
    }

    void scrolling_over_the_view() {
        Monitor m;
        for (int i = 0; i < kPlayerSlots; ++i) m.view.rows[i][kName] = "p" + std::to_string(i);
        PlayerPanel panel;
        int redraws = 0;
        connect(&panel, &PlayerPanel::Scrolled, [&] {
            ++redraws;
            panel.ShowPlayers(m);
        });
        const QScrollBar* bar = panel.VScroll;
        QCOMPARE((QList<int>{bar->minimum(), bar->maximum(), bar->pageStep(), bar->singleStep()}),
                 (QList<int>{0, 59, 5, 1}));
        panel.VScroll->setValue(59);
        QCOMPARE(redraws, 1);
        QCOMPARE(panel.plNome[0]->text() + panel.plNome[4]->text(), "p59p63");
        panel.VScroll->setValue(100);  // cannot pass the range
        QCOMPARE(panel.VScroll->value(), 59);
        panel.VScroll->triggerAction(QScrollBar::SliderPageStepSub);
        QCOMPARE(panel.plNome[0]->text(), QStringLiteral("p54"));
    }

    void player_panel_draws_red_and_gold_letters_data() {
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("rich");
        QTest::addColumn<QString>("window");  // the panel's background, "" for the desktop's
        QTest::newRow("readable") << true
                                  << QStringList{Pre(kRed.arg("Ranger")), Pre(kGold.arg("0123")),
                                                 Pre(kGold.arg("[") + "VX" + kGold.arg("]") +
                                                     "Vore"),
                                                 "Two Lines"}
                                  << QList<int>{1, 1, 1, 0} << "";
        // The red-brown stands out only 2.5:1 from a dark panel: lightened to 3:1; gold keeps.
        const QString lighter = QStringLiteral("<span style=\"color:#a95336\">%1</span>");
        QTest::newRow("readable on a dark desktop")
            << true
            << QStringList{Pre(lighter.arg("Ranger")), Pre(kGold.arg("0123")),
                           Pre(kGold.arg("[") + "VX" + kGold.arg("]") + "Vore"), "Two Lines"}
            << QList<int>{1, 1, 1, 0} << "#222020";
        QTest::newRow("windows_1252")
            << false
            << QStringList{QString::fromUtf8("\u00d2\u00e1\u00ee\u00e7\u00e5\u00f2"),
                           QString::fromUtf8("\u2019\u201c\u201d\u2022"),
                           QString::fromUtf8("\u0090VX\u2018Vore"), "Two\nLines"}
            << QList<int>{0, 0, 0, 0} << "";
    }
    void player_panel_draws_red_and_gold_letters() {
        QFETCH(bool, readable);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, rich);
        QFETCH(QString, window);
        PlayerPanel panel;
        if (!window.isEmpty()) {
            QPalette dark = panel.palette();
            dark.setColor(QPalette::Window, QColor(window));
            panel.setPalette(dark);
        }
        // A rich name scrolled away leaves a plain one behind.
        Monitor m = Names(readable);
        panel.ShowPlayers(m);
        QStringList got;
        QList<int> got_rich;
        for (int r = 0; r < 4; ++r) {
            got << panel.plNome[std::size_t(r)]->text();
            got_rich << int(panel.plNome[std::size_t(r)]->textFormat() == Qt::RichText);
        }
        QCOMPARE(got, texts);
        QCOMPARE(got_rich, rich);
        panel.VScroll->setValue(3);
        panel.ShowPlayers(m);
        QCOMPARE(panel.plNome[0]->text(), texts[3]);
        QCOMPARE(panel.plNome[0]->textFormat(), Qt::PlainText);
        QCOMPARE(panel.plNome[1]->text(), QString());
    }

    // Pixels of a field drawn in the games' gold (text is black on white otherwise).
    static int GoldPixels(QWidget* field) {
        const QImage image = field->grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() - c.blue() > 90 && c.green() > 60;
            }
        return count;
    }
    void server_panel_and_rules_window_show_readable_text() {
        testing::Dialogs dialogs;
        frmMain window(&dialogs, nullptr);
        QVERIFY(window.Form_Load());
        Monitor& m = window.monitor();
        m.snapshot.name = kClanVore;
        AddRuleLine(m.rules, "*admin", kRedRanger, kStatusRuleWidth);
        window.RefreshAll();
        QCOMPARE(window.txtSvrName->text(), QStringLiteral("[VX]Vore"));
        QVERIFY(GoldPixels(window.txtSvrName) > 0);
        frmRoule rules(m.rules, {}, nullptr, &m.options.readable_names);
        QCOMPARE(rules.lstRoules->item(0)->text(), QStringLiteral("*admin              \tRanger"));
        // Switched off: the bytes as Windows-1252, at the next refresh.
        m.options.readable_names = false;
        window.RefreshAll();
        rules.Refresh();
        QCOMPARE(window.txtSvrName->text(), QString::fromUtf8("\u0090VX\u2018Vore"));
        QCOMPARE(GoldPixels(window.txtSvrName), 0);
        QCOMPARE(rules.lstRoules->item(0)->text(),
                 QString::fromUtf8("*admin              \t\u00d2\u00e1\u00ee\u00e7\u00e5\u00f2"));
    }

    void page_and_report_write_readable_names_data() {
        QTest::addColumn<bool>("readable");
        QTest::addColumn<std::vector<std::string>>("names");  // server, then the players
        QTest::newRow("readable") << true
                                  << std::vector<std::string>{"[VX]Vore", "Ranger", "0123",
                                                              "[VX]Vore", "Two Lines"};
        QTest::newRow("windows_1252")
            << false
            << std::vector<std::string>{kClanVore, kRedRanger, kGold0123, kClanVore, kTwoLines};
    }
    void page_and_report_write_readable_names() {
        QFETCH(bool, readable);
        QFETCH(std::vector<std::string>, names);
        const Monitor m = Names(readable);
        const std::optional<std::string> page =
            web::RenderPage("{ServerName}\r{PlayerList}", m, QDateTime());
        QVERIFY(page);
        // The server name's line, then each row's name cell (the second of four).
        std::vector<std::string> page_names{page->substr(0, page->find("\r\n"))};
        const std::string cell = "<TD>\r\n<B>\r\n";
        int n = 0;
        for (auto at = page->find(cell); at != std::string::npos; at = page->find(cell, at + 1))
            if (++n > 4 && n % 4 == 2) {
                at += cell.size();
                page_names.push_back(page->substr(at, page->find("\r\n", at) - at));
            }
        QCOMPARE(page_names, names);

        // The report's values at the name column: the server name, then one per player.
        std::vector<std::string> report_names;
        for (const print::PageOp& op :
             print::LayoutReport(m, 11000, 0, [](const print::FontSpec&) { return 230; }))
            if (op.kind == print::PageOp::kText && op.x == 2000 && !op.font.bold &&
                !op.text.empty())
                report_names.push_back(op.text);
        QCOMPARE(report_names, names);
    }
};

QTEST_MAIN(TestPlayerPanel)
#include "test_player_panel.moc"
