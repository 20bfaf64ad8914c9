// The HTML page: template lines, placeholders, the player block, escaping, the publisher's tick.
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "core/monitor.h"
#include "support/dialogs.h"
#include "support/files.h"
#include "web/html_renderer.h"
#include "web/publisher.h"

using namespace morvek;
using morvek::web::RenderPage;
using namespace std::literals;
using morvek::testing::ReadFile;
using morvek::testing::WriteFile;

namespace {

const QDateTime kNow(QDate(2024, 3, 9), QTime(13, 47, 59));

std::string Render(std::string_view tpl, const Monitor& monitor) {
    return RenderPage(tpl, monitor, kNow).value_or("<render failed>");
}

void SetRow(Monitor& m, int row, std::string name, std::string time, std::string frags) {
    m.view.rows[row] = {"", std::move(name), "", "", "", std::move(time), std::move(frags), "", ""};
}

std::string Row(std::initializer_list<std::string> cells) {
    std::string row = "<Tr>\r\n";
    for (const std::string& cell : cells) row += "<TD>\r\n<B>\r\n" + cell + "\r\n</B>\r\n</TD>\r\n";
    return row + "</Tr>\r\n";
}
const std::string kHeading = "<Table border=1>\r\n" + Row({"ID", "Name", "Time", "Frags"});
const std::string kTail =
    "</Table>\r\n<Font size=1>\r\n" + std::string(web::kCreditLine) + "\r\n<Font size=3><BR>\r\n";

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
        row("lines end with CR or CR LF", "x\r{ServerAddress}\r\ny", "x\r\nA\r\ny\r\n");
        row("empty lines", "\r\r\n\r", "\r\n\r\n\r\n");
        row("empty template, empty page", "", "");
        row("a line feed after CR LF ends an empty line", "a\r\n\nb\n\r", "a\r\n\r\nb\r\n\r\n");
        row("line feeds alone end lines", "<p>\n{ServerName}\n</p>\n", "<p>\r\nN\r\n</p>\r\n");
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
            "N\r\n&lt;M&amp;&#39;&quot;&gt;\r\nV\x01\xE9\x00\r\n"
            "A\r\nX\r\nO\r\nC\r\nT\r\n<p>\r\n\r\n</p>\r\n"sv);
        row("eight-bit bytes copied", "caf\xE9 \x80\x00\xFF\r\n"sv, "caf\xE9 \x80\x00\xFF\r\n"sv);
        row("the template's own markup is not escaped", "<b>&amp;\"</b>", "<b>&amp;\"</b>\r\n");
    }
    void pages() {
        QFETCH(QByteArray, tpl);
        Monitor m;  // panel fields of one letter, the ping empty; the map and version hostile
        m.snapshot = {"N", "", "<M&'\">", "A", "O", "", "C", "X", "T"};
        m.snapshot.version = "V\x01\xE9\x00"s;  // control and eight-bit bytes copied as they are
        m.options.readable_names = false;
        QTEST(QByteArray::fromStdString(Render(tpl.toStdString(), m)), "page");
    }

    void player_block_byte_exact() {
        QCOMPARE(Render("{playerlist}", Monitor{}), kHeading + kTail);  // no players
        // Empty names skipped, " " kept; the ID is the row number; times whole with a sign place;
        // frags in the log's unsigned form signed; texts escaped; the block may come twice.
        Monitor m;
        SetRow(m, 0, "Ranger", "12.7", "17");
        SetRow(m, 1, "<b>A&B", "-0.5", "<i>");
        SetRow(m, 2, "", "9", "9");
        SetRow(m, 3, "d", "&H10", "4244897280");
        m.view.rows[3][kId] = "7";
        SetRow(m, 4, "e", "1E2", "");
        SetRow(m, 5, " ", "-0", "");
        SetRow(m, 63, "last", "", "0");
        const std::string block = kHeading + Row({" 0 ", "Ranger", " 12 ", "17"}) +
                                  Row({" 1 ", "&lt;b&gt;A&amp;B", "-1 ", "&lt;i&gt;"}) +
                                  Row({" 3 ", "d", " 16 ", "-1 "}) +
                                  Row({" 4 ", "e", " 100 ", ""}) + Row({" 5 ", " ", " 0 ", ""}) +
                                  Row({" 63 ", "last", "", "0"}) + kTail;
        QCOMPARE(Render("<div>\r\n{PlayerList}\r\n<hr>\r\n{PLAYERLIST}\r\n</div>", m),
                 "<div>\r\n" + block + "<hr>\r\n" + block + "</div>\r\n");
        // A time that is no number as a whole fails the page; a page without the block is made.
        for (const char* time : {"12abc", " ", "1E999"}) {
            SetRow(m, 4, "e", time, "");
            QVERIFY(!RenderPage("{PlayerList}", m, kNow) && RenderPage("{ServerName}", m, kNow));
        }
    }

    // The system's short date, one blank, then the time with its seconds, on a line of its own.
    void time_date_line() {
        const QString date = QLocale::system().toString(kNow.date(), QLocale::ShortFormat);
        const QRegularExpression shape("^<p>\r\n" + QRegularExpression::escape(date) +
                                       " \\S*47\\S*59\r\n</p>\r\n$");
        const std::string page = Render("<p>\r\n{TimeDate}\r\n</p>", Monitor{});
        QVERIFY2(shape.match(QString::fromStdString(page)).hasMatch(), page.c_str());
    }

    // A missing or oversized template stops publishing after a message; other failures told once.
    void publisher_tick_data() {
        QTest::addColumn<QString>("setting");  // the template; %1: the folder
        QTest::addColumn<QString>("output");   // in the folder; empty: none
        QTest::addColumn<QString>("picture");  // wrote|output|messages|timer|publishing|told|files
        const QString files = "bad.htm big.htm folder.htm out.htm page.htm sub";
        const QString kept = "|on 5000|web|0|" + files, stopped = "|off 0|-|0|" + files,
                      failed = "|on 5000|web|1|" + files;
        auto row = [](const char* name, const char* setting, const char* output,
                      const QString& picture) {
            QTest::newRow(name) << setting << output << picture;
        };
        row("found without regard to case", "PAGE.HTM", "out.htm",
            "1|<h1>\r\nA&amp;B\r\n</h1>\r\n|" + kept);
        row("a name with a slash is a path", "%1/sub/mine.htm", "out.htm", "1|26000\r\n|" + kept);
        for (const char* missing : {"nothere.htm", "folder.htm"})
            row(missing, missing, "out.htm",
                "0|older|Morvek (x): Template file not found" + stopped);
        row("larger than 4 MB", "big.htm", "out.htm",
            "0|older|Morvek (x): Template file larger than 4 MB" + stopped);
        row("a page that cannot be made", "bad.htm", "out.htm", "0|older|" + failed);
        row("output is a folder", "page.htm", "folder.htm", "0|<folder>|" + failed);
        row("no output", "page.htm", "", "0|<folder>|" + failed);
    }
    void publisher_tick() {
        QFETCH(QString, setting);
        QFETCH(QString, output);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("folder.htm"));
        QVERIFY(WriteFile(dir.filePath("page.htm"), "<h1>\r\n{ServerName}\r\n</h1>\r\n"));
        QVERIFY(WriteFile(dir.filePath("sub/mine.htm"), "{ServerPort}"));
        QVERIFY(WriteFile(dir.filePath("bad.htm"), "{PlayerList}"));
        QVERIFY(WriteFile(dir.filePath("out.htm"), "older"));
        QFile big(dir.filePath("big.htm"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(web::kMaxTemplateBytes + 1));
        Monitor m;
        m.web_active = true;
        m.snapshot.name = "A&B";
        m.snapshot.port = "26000";
        SetRow(m, 0, "p", "soon", "1");  // a time that cannot be shown
        m.options.html_template = setting.arg(dir.path());
        m.options.html_output = output.isEmpty() ? "" : dir.filePath(output);
        testing::Dialogs dialogs;
        web::HtmlPublisher publisher(m, dialogs, 5000);
        publisher.SetTemplateFolder(dir.path());
        publisher.publishTimer.SetEnabled(true);
        QSignalSpy failed(&publisher, &web::HtmlPublisher::PageFailed);
        publisher.OnPublishTick();
        if (publisher.publishTimer.Running()) publisher.OnPublishTick();
        QString picture =
            QString::number(publisher.LastTickWrote()) + "|" + ReadFile(dir.filePath(output)) + "|";
        for (const auto& box : dialogs.messages)
            picture += QString::fromStdString(box.title) +
                       (box.icon == platform::MessageIcon::Critical ? " (x): " : ": ") + box.text;
        picture += QString("|%1 %2|%3|%4|")
                       .arg(publisher.publishTimer.Running() ? "on" : "off")
                       .arg(publisher.publishTimer.Interval())
                       .arg(m.web_active ? "web" : "-")
                       .arg(failed.count()) +
                   QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(' ');
        QTEST(picture, "picture");
    }
};

QTEST_GUILESS_MAIN(TestHtmlRenderer)
#include "test_html_renderer.moc"
