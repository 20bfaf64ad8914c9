// The HTML page: template lines, placeholders, the player block, escaping, the publisher's tick.
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "core/monitor.h"
#include "platform/paths.h"
#include "support/dialogs.h"
#include "web/html_renderer.h"
#include "web/publisher.h"

using namespace morvek;
using morvek::web::RenderPage;
using namespace std::literals;

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
        row("lines end with CR or CR LF", "x\r{ServerAddress}\r\ny", "x\r\nA\r\ny\r\n");
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
            "N\r\n&lt;M&amp;&#39;&quot;&gt;\r\nV\x01\xE9\x00\r\nA\r\nX\r\nO\r\nC\r\nT\r\n<p>\r\n\r\n</p>\r\n"sv);
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
        // view's Id field; a name of one blank is not empty; texts escaped; the block may repeat.
        Monitor m;
        SetRow(m, 0, "Ranger", "3.5", "17");
        SetRow(m, 1, "<b>A&B", "2", "<i>");
        SetRow(m, 2, "", "9", "9");
        SetRow(m, 3, "d", "4", "4");
        m.view.rows[3][kId] = "7";
        SetRow(m, 5, " ", "", "");
        SetRow(m, 63, "last", "", "0");
        const std::string block = kHeading + Row({" 0 ", "Ranger", " 3 ", "17"}) +
                                  Row({" 1 ", "&lt;b&gt;A&amp;B", " 2 ", "&lt;i&gt;"}) +
                                  Row({" 3 ", "d", " 4 ", "4"}) + Row({" 5 ", " ", "", ""}) +
                                  Row({" 63 ", "last", "", "0"}) + kTail;
        QCOMPARE(Render("<div>\r\n{PlayerList}\r\n<hr>\r\n{PLAYERLIST}\r\n</div>", m),
                 "<div>\r\n" + block + "<hr>\r\n" + block + "</div>\r\n");
    }

    // The system's short date, one blank, then the time with its seconds, on a line of its own.
    void time_date_line() {
        const QString date = QLocale::system().toString(kNow.date(), QLocale::ShortFormat);
        const QRegularExpression shape("^<p>\r\n" + QRegularExpression::escape(date) +
                                       " \\S*47\\S*59\r\n</p>\r\n$");
        const std::string page = Render("<p>\r\n{TimeDate}\r\n</p>", Monitor{});
        QVERIFY2(shape.match(QString::fromStdString(page)).hasMatch(), page.c_str());
    }

    void shipped_template_holds_every_placeholder_once() {
        const QByteArray bytes = platform::SampleTemplate();
        const auto lines = web::TemplateLines(std::string_view(bytes.constData(), bytes.size()));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        for (const char* placeholder :
             {"{ServerName}", "{ServerMap}", "{ServerVersion}", "{ServerAddress}",
              "{ServerMaxPlayers}", "{ServerPing}", "{ServerPort}", "{ServerCurrentPlayers}",
              "{ServerType}", "{PlayerList}", "{TimeDate}"})
            QVERIFY2(std::count(lines.begin(), lines.end(), std::string_view(placeholder)) == 1,
                     placeholder);
    }

    // A missing or oversized template stops publishing after a message; other failures are silent.
    void publisher_tick_data() {
        QTest::addColumn<QString>("setting");  // the template; %1: the folder
        QTest::addColumn<QString>("output");   // in the folder; empty: none
        QTest::addColumn<QString>("picture");  // wrote|output|messages|timer|publishing|files
        const QString files = "bad.htm big.htm folder.htm out.htm page.htm sub";
        const QString kept = "|on 5000|web|" + files, stopped = "|off 0|-|" + files;
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
        row("a page that cannot be made", "bad.htm", "out.htm", "0|older|" + kept);
        row("output is a folder", "page.htm", "folder.htm", "0|<folder>|" + kept);
        row("output folder missing", "page.htm", "missing/out.htm", "0|<missing>|" + kept);
        row("no output", "page.htm", "", "0|<folder>|" + kept);
    }
    void publisher_tick() {
        QFETCH(QString, setting);
        QFETCH(QString, output);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("folder.htm") && QDir(dir.path()).mkpath("sub"));
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
};

QTEST_GUILESS_MAIN(TestHtmlRenderer)
#include "test_html_renderer.moc"
