// The published page as a browser sees it: the shipped standard.htm rendered with a few players,
// opened in headless Chromium, and the player table read back from the browser's DOM.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "core/monitor.h"
#include "platform/paths.h"
#include "web/html_renderer.h"

using namespace morvek;

namespace {

QString FindChromium() {
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty()) return path;
    }
    return {};
}

// The text of an element's content: tags dropped, entities decoded, blanks trimmed.
QString CellText(QString html) {
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    html.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    html.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return html.simplified();
}

// The page's DOM after load, as serialised by the browser; empty on failure.
QString DumpDom(const QString& chromium, const QString& page, const QString& profile) {
    QProcess browser;
    browser.setProcessChannelMode(QProcess::SeparateChannels);
    browser.start(
        chromium,
        {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--user-data-dir=" + profile, "--dump-dom", QUrl::fromLocalFile(page).toString()});
    if (!browser.waitForStarted(30000)) return {};
    if (!browser.waitForFinished(120000)) {
        browser.kill();
        browser.waitForFinished(5000);
        return {};
    }
    return QString::fromUtf8(browser.readAllStandardOutput());
}

}  // namespace

class TestWebPageChromium : public QObject {
    Q_OBJECT
  private slots:
    void player_table_rows_in_view_order();
};

void TestWebPageChromium::player_table_rows_in_view_order() {
    const QString chromium = FindChromium();
    if (chromium.isEmpty())
        QSKIP("chromium is not installed; the web page is not checked in a browser");

    const QByteArray tpl = platform::SampleTemplate();
    QVERIFY(!tpl.isEmpty());

    Monitor m;
    m.snapshot.name = "Frag <Fest> & Friends";
    m.snapshot.map = "e1m7";
    m.snapshot.type_name = "QuakeWd";
    m.snapshot.players = "4";
    m.snapshot.max_players = "16";
    struct Player {
        int row;
        std::string name, time, frags;
        QString shown_name, shown_time, shown_frags;
    };
    // View order: rows 0, 1, 3 and 5; rows 2 and 4 have no name and are skipped.
    const std::vector<Player> players = {
        {0, "Ranger", "12.7", "31", "Ranger", "12", "31"},
        {1, "<script>document.title='owned'</script>", "3", "4244897280",
         "<script>document.title='owned'</script>", "3", "-1"},
        {3, "Fiend&\"Shambler\"", "", "-3", "Fiend&\"Shambler\"", "", "-3"},
        {5, "<i>Vore</i>", "0.2", "0", "<i>Vore</i>", "0", "0"},
    };
    for (const Player& p : players) {
        m.view.rows[p.row][kName] = p.name;
        m.view.rows[p.row][kTime] = p.time;
        m.view.rows[p.row][kFrags] = p.frags;
    }
    m.view.rows[2][kTime] = "9";
    m.view.rows[4][kFrags] = "9";

    const std::optional<std::string> page = web::RenderPage(
        std::string_view(tpl.constData(), tpl.size()), m, QDateTime::currentDateTime());
    QVERIFY(page.has_value());

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("match.htm");
    {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(page->data(), static_cast<qint64>(page->size()));
    }
    const QString dom = DumpDom(chromium, path, dir.filePath("profile"));
    QVERIFY2(!dom.isEmpty(), "chromium gave no DOM");

    // Nothing a player chose became markup: the page's title is the template's, there is no
    // script element and no italic element.
    QVERIFY(dom.contains("<title>Morvek - live match</title>"));
    QVERIFY(!dom.contains("<script", Qt::CaseInsensitive));
    QVERIFY(!dom.contains("<i>", Qt::CaseInsensitive));
    QVERIFY(dom.contains("Frag &lt;Fest&gt; &amp; Friends"));

    const QRegularExpression players_div(
        QStringLiteral("<div id=\"players\">(.*?)</div>"),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch block = players_div.match(dom);
    QVERIFY2(block.hasMatch(), qPrintable(dom.left(2000)));
    const QString table = block.captured(1);
    QCOMPARE(table.count(QRegularExpression(QStringLiteral("<table"),
                                            QRegularExpression::CaseInsensitiveOption)),
             1);

    const QRegularExpression row_re(
        QStringLiteral("<tr[^>]*>(.*?)</tr>"),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression cell_re(
        QStringLiteral("<td[^>]*>(.*?)</td>"),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    QList<QStringList> rows;
    for (auto it = row_re.globalMatch(table); it.hasNext();) {
        const QString row_html = it.next().captured(1);
        QStringList cells;
        for (auto c = cell_re.globalMatch(row_html); c.hasNext();)
            cells << CellText(c.next().captured(1));
        rows << cells;
    }
    QCOMPARE(rows.size(), 1 + static_cast<int>(players.size()));
    QCOMPARE(rows[0], (QStringList{"ID", "Name", "Time", "Frags"}));
    for (std::size_t i = 0; i < players.size(); ++i) {
        const Player& p = players[i];
        const QStringList expected{QString::number(p.row), p.shown_name, p.shown_time,
                                   p.shown_frags};
        QCOMPARE(rows[static_cast<int>(i) + 1], expected);
    }
    QVERIFY(dom.contains(QString::fromLatin1(web::kCreditLine.data(),
                                             static_cast<qsizetype>(web::kCreditLine.size()))));
}

QTEST_GUILESS_MAIN(TestWebPageChromium)
#include "test_web_page_chromium.moc"
