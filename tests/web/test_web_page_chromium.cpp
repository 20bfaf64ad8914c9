// The published page as a browser sees it: the shipped template rendered with a few players,
// opened in headless Chromium, and the player table read back from the browser's DOM.
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "core/monitor.h"
#include "platform/paths.h"
#include "web/html_renderer.h"

using namespace morvek;

class TestWebPageChromium : public QObject {
    Q_OBJECT
  private slots:
    void player_table_rows_in_view_order() {
        const QString chromium = QStandardPaths::findExecutable("chromium");
        if (chromium.isEmpty()) QSKIP("chromium is not installed");
        Monitor m;
        m.snapshot.name = "Frag <Fest> & Friends";
        // View rows 0, 1, 3 and 5; rows 2 and 4 have no name and are skipped.
        const std::vector<std::array<std::string, 4>> rows{
            {"0", "Ranger", "12.7", "31"},
            {"1", "<script>document.title='owned'</script>", "3", "4244897280"},
            {"2", "", "9", ""},
            {"3", "Fiend&\"Shambler\"", "", "-3"},
            {"4", "", "", "9"},
            {"5", "<i>Vore</i>", "0.2", "0"}};
        for (const auto& [row, name, time, frags] : rows) {
            PlayerRecord& r = m.view.rows[std::stoi(row)];
            std::tie(r[kName], r[kTime], r[kFrags]) = std::tie(name, time, frags);
        }
        const QByteArray tpl = platform::SampleTemplate();
        const auto page = web::RenderPage(std::string_view(tpl.constData(), tpl.size()), m,
                                          QDateTime::currentDateTime());
        QVERIFY(page);
        QTemporaryDir dir;
        QFile file(dir.filePath("match.htm"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(page->data(), qint64(page->size())));
        file.close();
        QProcess browser;
        browser.start(chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                                 "--disable-background-networking", "--disable-component-update",
                                 "--user-data-dir=" + dir.filePath("profile"), "--dump-dom",
                                 QUrl::fromLocalFile(file.fileName()).toString()});
        QVERIFY(browser.waitForFinished(120000));
        QString dom = QString::fromUtf8(browser.readAllStandardOutput());
        // Nothing a player chose became markup.
        QVERIFY2(dom.contains("<title>Morvek - live match</title>"), qPrintable(dom.left(2000)));
        QVERIFY(!dom.contains("<script") && !dom.contains("<i>"));
        QVERIFY(dom.contains("Frag &lt;Fest&gt; &amp; Friends"));
        QVERIFY(dom.contains(QLatin1String(web::kCreditLine.data(), web::kCreditLine.size())));
        // The player table's cells, tags dropped and blanks trimmed.
        dom = dom.section("<div id=\"players\">", 1).section("</div>", 0, 0);
        QStringList cells;
        static const QRegularExpression cell("<td[^>]*>(.*?)</td>",
                                             QRegularExpression::DotMatchesEverythingOption);
        for (auto it = cell.globalMatch(dom); it.hasNext();)
            cells << it.next().captured(1).remove(QRegularExpression("<[^>]*>")).simplified();
        QCOMPARE(cells.join('|'),
                 "ID|Name|Time|Frags|0|Ranger|12|31|"
                 "1|&lt;script&gt;document.title='owned'&lt;/script&gt;|3|-1|"
                 "3|Fiend&amp;\"Shambler\"||-3|5|&lt;i&gt;Vore&lt;/i&gt;|0|0");
    }
};

QTEST_GUILESS_MAIN(TestWebPageChromium)
#include "test_web_page_chromium.moc"
