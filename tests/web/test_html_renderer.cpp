// The HTML page: template lines, placeholders, the player block, escaping, the publisher's tick,
// and the shipped template's page as headless Chromium reads it.
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "core/monitor.h"
#include "platform/paths.h"
#include "support/dialogs.h"
#include "web/html_renderer.h"
#include "web/publisher.h"

using namespace morvek;
using morvek::web::RenderPage;

namespace {

const QDateTime kNow(QDate(2024, 3, 9), QTime(13, 47, 59));

std::string Render(std::string_view tpl, const Monitor& monitor) {
    return RenderPage(tpl, monitor, kNow).value_or("<render failed>");
}

void SetRow(Monitor& m, int row, std::string name, std::string time, std::string frags) {
    m.view.rows[row][kName] = std::move(name);
    m.view.rows[row][kTime] = std::move(time);
    m.view.rows[row][kFrags] = std::move(frags);
}

std::string Row(std::initializer_list<std::string> cells) {
    std::string row = "<Tr>\r\n";
    for (const std::string& cell : cells) row += "<TD>\r\n<B>\r\n" + cell + "\r\n</B>\r\n</TD>\r\n";
    return row + "</Tr>\r\n";
}
const std::string kHeading = "<Table border=1>\r\n" + Row({"ID", "Name", "Time", "Frags"});
const std::string kTail =
    "</Table>\r\n<Font size=1>\r\n" + std::string(web::kCreditLine) + "\r\n<Font size=3><BR>\r\n";

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QFileInfo(path).isDir() ? "<folder>" : "<missing>";
    return f.readAll();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class TestHtmlRenderer : public QObject {
    Q_OBJECT
  private slots:
    void pages_data() {
        QTest::addColumn<QByteArray>("tpl");
        QTest::addColumn<QByteArray>("page");
        auto row = [](const char* name, std::string_view tpl, std::string_view page) {
            QTest::newRow(name) << QByteArray(tpl.data(), qsizetype(tpl.size()))
                                << QByteArray(page.data(), qsizetype(page.size()));
        };
        row("lines end with CR or CR LF", "x\r{ServerMap}\r\ny", "x\r\nM\r\ny\r\n");
        row("empty lines", "\r\r\n\r", "\r\n\r\n\r\n");
        row("empty template, empty page", "", "");
        row("a line feed after CR LF starts the next line", "a\r\n\nb\r\n", "a\r\n\nb\r\n");
        row("line feeds alone make one line", "<p>\n{ServerName}\n</p>\n",
            "<p>\n{ServerName}\n</p>\n\r\n");
        row("placeholders in any case", "{servername}\r{SERVERNAME}\r\n{sErVeRnAmE}",
            "N\r\nN\r\nN\r\n");
        row("a placeholder not alone on its line",
            "  {ServerName}\r{ServerName} \r<h1>{ServerName}</h1>\r{ServerName}{ServerMap}\r"
            "\t{ServerName}\r{ServerNam}\r{}\r{",
            "  {ServerName}\r\n{ServerName} \r\n<h1>{ServerName}</h1>\r\n"
            "{ServerName}{ServerMap}\r\n\t{ServerName}\r\n{ServerNam}\r\n{}\r\n{\r\n");
        row("every panel field",
            "{ServerName}\r{ServerMap}\r{ServerVersion}\r{ServerAddress}\r{ServerMaxPlayers}\r"
            "{ServerPort}\r{ServerCurrentPlayers}\r{ServerType}\r<p>\r{ServerPing}\r</p>",
            "N\r\nM\r\nV\r\nA\r\nX\r\nO\r\nC\r\nT\r\n<p>\r\n\r\n</p>\r\n");
        row("eight-bit bytes copied", std::string_view("caf\xE9 \x80\x00\xFF\r\n", 10),
            std::string_view("caf\xE9 \x80\x00\xFF\r\n", 10));
        row("the template's own markup is not escaped", "<b>&amp;\"</b>", "<b>&amp;\"</b>\r\n");
    }
    void pages() {
        QFETCH(QByteArray, tpl);
        Monitor m;  // every panel field one letter, the ping empty
        m.snapshot = {"N", "V", "M", "A", "O", "", "C", "X", "T"};
        QTEST(QByteArray::fromStdString(Render(tpl.toStdString(), m)), "page");
    }

    void player_cells_data() {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("frags");
        QTest::addColumn<QString>("cells");  // time and frags as shown; "fails": no page at all
        auto row = [](const char* time, const char* frags, const char* cells) {
            QTest::addRow("time '%s' frags '%s'", time, frags) << time << frags << cells;
        };
        // The time's whole part with a blank on each side (the sign's place left of it).
        row("12.7", "", " 12 |");
        row("-0.5", "", "-1 |");
        row("-0", "", " 0 |");
        row("", "", "|");
        row("&H10", "", " 16 |");
        row("1E2", "", " 100 |");
        row("12abc", "", "fails");
        row(" ", "", "fails");
        row("1E999", "", "fails");
        // Frags stored in the log's unsigned form show signed; anything else as it is.
        row("", "4244897280", "|-1 ");
        row("", "4244897282", "| 1 ");
        row("", "4244897000", "|4244897000");
        row("", "4244897280 x", "|-1 ");
        row("", "abc", "|abc");
    }
    void player_cells() {
        QFETCH(QString, time);
        QFETCH(QString, frags);
        QFETCH(QString, cells);
        Monitor m;
        SetRow(m, 0, "p", time.toStdString(), frags.toStdString());
        // A template without the block does not look at the players.
        QVERIFY(RenderPage("{ServerName}", m, kNow).has_value());
        const QStringList shown = cells.split('|');
        QCOMPARE(Render("{PlayerList}", m),
                 cells == "fails"
                     ? std::string("<render failed>")
                     : kHeading +
                           Row({" 0 ", "p", shown[0].toStdString(), shown[1].toStdString()}) +
                           kTail);
    }

    void player_block_byte_exact() {
        QCOMPARE(Render("{playerlist}", Monitor{}), kHeading + kTail);  // no players
        // Empty names are skipped whatever else the row holds; the ID is the row number, not the
        // view's Id field; a name of one blank is not empty; the block may come twice.
        Monitor m;
        SetRow(m, 0, "Ranger", "3.5", "17");
        SetRow(m, 1, "b", "2", "2");
        SetRow(m, 2, "", "9", "9");
        SetRow(m, 3, "d", "4", "4");
        m.view.rows[3][kId] = "7";
        SetRow(m, 5, " ", "", "");
        SetRow(m, 63, "last", "", "0");
        const std::string block = kHeading + Row({" 0 ", "Ranger", " 3 ", "17"}) +
                                  Row({" 1 ", "b", " 2 ", "2"}) + Row({" 3 ", "d", " 4 ", "4"}) +
                                  Row({" 5 ", " ", "", ""}) + Row({" 63 ", "last", "", "0"}) +
                                  kTail;
        QCOMPARE(Render("<div>\r\n{PlayerList}\r\n<hr>\r\n{PLAYERLIST}\r\n</div>", m),
                 "<div>\r\n" + block + "<hr>\r\n" + block + "</div>\r\n");
    }

    void server_and_player_texts_escaped() {
        Monitor m;
        m.snapshot.name = "<script>alert(\"x\")</script> & co";
        m.snapshot.map = "e1m1>' onmouseover='x";  // a placeholder in a single-quoted attribute
        SetRow(m, 0, "<b>A&B", "1", "<i>");
        QCOMPARE(Render("{ServerName}\r\n{ServerMap}\r\n{PlayerList}", m),
                 "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; co\r\n"
                 "e1m1&gt;&#39; onmouseover=&#39;x\r\n" +
                     kHeading + Row({" 0 ", "&lt;b&gt;A&amp;B", " 1 ", "&lt;i&gt;"}) + kTail);
        // Control and eight-bit bytes are copied as they are.
        m.options.readable_names = false;
        m.snapshot.name = std::string("\x01\xE9\x00z", 4);
        QCOMPARE(Render("{ServerName}", m), std::string("\x01\xE9\x00z\r\n", 6));
    }

    void time_date_line() {
        // The system's short date, one blank, then the time with its seconds, on a line of its own.
        const std::string page = Render("<p>\r\n{TimeDate}\r\n</p>", Monitor{});
        const std::string date =
            QLocale::system().toString(kNow.date(), QLocale::ShortFormat).toStdString();
        QVERIFY2(page.starts_with("<p>\r\n" + date + " ") && page.ends_with("59\r\n</p>\r\n"),
                 page.c_str());
        const std::string time = page.substr(6 + date.size(), page.size() - 14 - date.size());
        QVERIFY2(time.find("47") != std::string::npos &&
                     time.find_first_of("\r\n ") == std::string::npos,
                 time.c_str());
    }

    void shipped_template_uses_every_placeholder() {
        QFile file(QStringLiteral(MORVEK_SOURCE_DIR "/resources/template/standard.htm"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(platform::SampleTemplate(), bytes);  // the embedded file is the file in the tree
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        const auto lines = web::TemplateLines(std::string_view(bytes.constData(), bytes.size()));
        for (const char* placeholder :
             {"{ServerName}", "{ServerMap}", "{ServerVersion}", "{ServerAddress}",
              "{ServerMaxPlayers}", "{ServerPing}", "{ServerPort}", "{ServerCurrentPlayers}",
              "{ServerType}", "{PlayerList}", "{TimeDate}"})
            QVERIFY2(std::count(lines.begin(), lines.end(), std::string_view(placeholder)) == 1,
                     placeholder);
    }

    // A missing template stops publishing after a message; other failures are silent.
    void publisher_tick_data() {
        QTest::addColumn<QString>("setting");  // the template; %1: the folder
        QTest::addColumn<QString>("output");   // in the folder; empty: none
        // wrote | the output | messages | timer | publishing | the folder's files
        QTest::addColumn<QString>("picture");
        const QString kept = "|on 5000|web|folder.htm out.htm page.htm sub";
        QTest::newRow("found without regard to case") << "PAGE.HTM"
                                                      << "out.htm"
                                                      << "1|<h1>\r\nA&amp;B\r\n</h1>\r\n|" + kept;
        QTest::newRow("a name with a slash is a path") << "%1/sub/mine.htm"
                                                       << "out.htm"
                                                       << "1|26000\r\n|" + kept;
        for (const char* missing : {"nothere.htm", "folder.htm"})
            QTest::newRow(missing)
                << missing << "out.htm"
                << "0|older|Morvek (x): Template file not found|off 0|-|folder.htm "
                   "out.htm page.htm sub";
        QTest::newRow("output is a folder") << "page.htm"
                                            << "folder.htm"
                                            << "0|<folder>|" + kept;
        QTest::newRow("output folder missing") << "page.htm"
                                               << "missing/out.htm"
                                               << "0|<missing>|" + kept;
        QTest::newRow("no output") << "page.htm"
                                   << ""
                                   << "0|<folder>|" + kept;
    }
    void publisher_tick() {
        QFETCH(QString, setting);
        QFETCH(QString, output);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("folder.htm") && QDir(dir.path()).mkpath("sub"));
        QVERIFY(WriteFile(dir.filePath("page.htm"), "<h1>\r\n{ServerName}\r\n</h1>\r\n"));
        QVERIFY(WriteFile(dir.filePath("sub/mine.htm"), "{ServerPort}"));
        QVERIFY(WriteFile(dir.filePath("out.htm"), "older"));
        Monitor m;
        m.web_active = true;
        m.snapshot.name = "A&B";
        m.snapshot.port = "26000";
        m.options.html_template = setting.arg(dir.path()).toStdString();
        m.options.html_output = output.isEmpty() ? "" : dir.filePath(output).toStdString();
        testing::Dialogs dialogs;
        web::HtmlPublisher publisher(m, dialogs, 5000);
        publisher.SetTemplateFolder(dir.path());
        publisher.timHtml.SetEnabled(true);
        publisher.timHtml_Timer();
        QString picture =
            QString::number(publisher.LastTickWrote()) + "|" + ReadAll(dir.filePath(output)) + "|";
        for (const auto& box : dialogs.messages)
            picture += QString::fromStdString(box.title) +
                       (box.icon == platform::MessageIcon::Critical ? " (x): " : ": ") +
                       QString::fromStdString(box.text);
        picture += QString("|%1 %2|%3|")
                       .arg(publisher.timHtml.Running() ? "on" : "off")
                       .arg(publisher.timHtml.Interval())
                       .arg(m.web_active ? "web" : "-") +
                   QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(' ');
        QTEST(picture, "picture");
    }

    void publisher_failed_render_keeps_previous_page() {
        QTemporaryDir dir;
        QVERIFY(WriteFile(dir.filePath("page.htm"), "{ServerMap}\r\n{PlayerList}"));
        Monitor m;
        m.options.html_template = "page.htm";
        m.options.html_output = dir.filePath("out.htm").toStdString();
        testing::Dialogs dialogs;
        web::HtmlPublisher publisher(m, dialogs, 20);
        publisher.SetTemplateFolder(dir.path());
        QStringList pages;
        for (const char* time : {"3", "soon", "4"}) {  // "soon" cannot be shown
            m.snapshot.map = std::string("dm") + time;
            SetRow(m, 0, "p", time, "1");
            publisher.timHtml_Timer();
            pages << QString::number(publisher.LastTickWrote()) +
                         ReadAll(m.options.html_output.c_str()).left(7);
        }
        QCOMPARE(pages, QStringList({"1dm3\r\n<T", "0dm3\r\n<T", "1dm4\r\n<T"}));
        QVERIFY(dialogs.messages.empty());
        // Started, it runs from its timer.
        m.snapshot.map = "e1m1";
        publisher.timHtml.SetEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(ReadAll(dir.filePath("out.htm")).left(6), QByteArray("e1m1\r\n"),
                                  10000);
        publisher.timHtml.SetEnabled(false);
    }

    void a_browser_reads_the_player_table_in_view_order() {
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

QTEST_GUILESS_MAIN(TestHtmlRenderer)
#include "test_html_renderer.moc"
