// Readable Quake names where a person reads them: the player panel (red and gold letters in their
// colours), the server panel, the rules window, the HTML page and the printed report; with the
// switch off, the bytes as Windows-1252.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QtTest>

#include "print/report.h"
#include "support/dialogs.h"
#include "support/to_string.h"
#include "ui/main_window.h"
#include "ui/player_panel.h"
#include "ui/rules_window.h"
#include "web/html_renderer.h"

using namespace morvek;

namespace {
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

class TestReadableNames : public QObject {
    Q_OBJECT
  private slots:
    void player_panel_draws_red_and_gold_letters_data() {
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("rich");
        QTest::newRow("readable") << true
                                  << QStringList{Pre(kRed.arg("Ranger")), Pre(kGold.arg("0123")),
                                                 Pre(kGold.arg("[") + "VX" + kGold.arg("]") +
                                                     "Vore"),
                                                 "Two Lines"}
                                  << QList<int>{1, 1, 1, 0};
        QTest::newRow("windows_1252")
            << false
            << QStringList{QString::fromUtf8("\u00d2\u00e1\u00ee\u00e7\u00e5\u00f2"),
                           QString::fromUtf8("\u2019\u201c\u201d\u2022"),
                           QString::fromUtf8("\u0090VX\u2018Vore"), "Two\nLines"}
            << QList<int>{0, 0, 0, 0};
    }
    void player_panel_draws_red_and_gold_letters() {
        QFETCH(bool, readable);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, rich);
        PlayerPanel panel;
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

QTEST_MAIN(TestReadableNames)
#include "test_readable_names.moc"
