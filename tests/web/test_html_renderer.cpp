// The HTML page: template lines, placeholders, the player block, escaping, and the publisher's
// tick (missing template, failed writes, the timer restarted).
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include "core/monitor.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "web/html_renderer.h"
#include "web/publisher.h"

using namespace morvek;
using morvek::web::RenderPage;

namespace {

const QDateTime kNow(QDate(2024, 3, 9), QTime(13, 47, 59));

std::string Render(std::string_view tpl, const Monitor& monitor) {
    const std::optional<std::string> page = RenderPage(tpl, monitor, kNow);
    if (!page) return "<render failed>";
    return *page;
}

void SetRow(Monitor& m, int row, std::string name, std::string time, std::string frags) {
    m.view.rows[row][kName] = std::move(name);
    m.view.rows[row][kTime] = std::move(time);
    m.view.rows[row][kFrags] = std::move(frags);
}

// The lines of one cell as the block writes them.
std::string Cell(const std::string& line) {
    return "<TD>\r\n<B>\r\n" + line + "\r\n</B>\r\n</TD>\r\n";
}

const std::string kHeading = "<Table border=1>\r\n<Tr>\r\n" + Cell("ID") + Cell("Name") +
                             Cell("Time") + Cell("Frags") + "</Tr>\r\n";
const std::string kTail =
    "</Table>\r\n<Font size=1>\r\n" + std::string(web::kCreditLine) + "\r\n<Font size=3><BR>\r\n";

std::string Row(const std::string& id, const std::string& name, const std::string& time,
                const std::string& frags) {
    return "<Tr>\r\n" + Cell(id) + Cell(name) + Cell(time) + Cell(frags) + "</Tr>\r\n";
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll();
}

// A monitor whose panel fields are each one letter, the ping empty.
Monitor Panel() {
    Monitor m;
    auto& s = m.snapshot;
    s.name = "N", s.map = "M", s.version = "V", s.address = "A", s.max_players = "X";
    s.port = "O", s.players = "C", s.type_name = "T";
    return m;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    return f.write(bytes) == bytes.size();
}

// The publisher on a temporary folder holding the template "page.htm" and the output "out.htm".
struct Publishing {
    explicit Publishing(const QByteArray& page, int interval = 1000)
        : publisher(m, dialogs, interval) {
        WriteFile(dir.filePath("page.htm"), page);
        m.options.html_template = "page.htm";
        m.options.html_output = dir.filePath("out.htm").toStdString();
        publisher.SetTemplateFolder(dir.path());
    }
    QByteArray Out() const { return ReadAll(dir.filePath("out.htm")); }
    QTemporaryDir dir;
    Monitor m;
    platform::ScriptedDialogs dialogs;
    web::HtmlPublisher publisher;
};

}  // namespace

class TestHtmlRenderer : public QObject {
    Q_OBJECT
  private slots:
    void template_lines_end_at_cr_or_cr_lf();
    void pages_data();
    void pages();
    void player_cells_data();
    void player_cells();
    void player_block_byte_exact();
    void server_and_player_texts_escaped();
    void time_date_line();
    void shipped_template_uses_every_placeholder();

    void publisher_missing_template_stops_publishing();
    void publisher_tick_writes_page_and_restarts_timer();
    void publisher_unwritable_output_left_as_it_was();
    void publisher_failed_render_keeps_previous_page();
    void publisher_empty_output_is_silent();
    void publisher_template_name_with_slash_is_a_path();
    void publisher_runs_from_its_timer();
};

void TestHtmlRenderer::template_lines_end_at_cr_or_cr_lf() {
    using V = std::vector<std::string_view>;
    QCOMPARE(web::TemplateLines(""), V{});
    QCOMPARE(web::TemplateLines("a"), V{"a"});
    QCOMPARE(web::TemplateLines("a\r"), V{"a"});
    QCOMPARE(web::TemplateLines("a\r\n"), V{"a"});
    QCOMPARE(web::TemplateLines("a\rb\r\nc"), (V{"a", "b", "c"}));
    QCOMPARE(web::TemplateLines("\r\r\n\r"), (V{"", "", ""}));
    // A line feed after CR LF belongs to the next line.
    QCOMPARE(web::TemplateLines("a\r\n\nb\r\n"), (V{"a", "\nb"}));
    QCOMPARE(web::TemplateLines("a\n\rb"), (V{"a\n", "b"}));
}

void TestHtmlRenderer::pages_data() {
    QTest::addColumn<QByteArray>("tpl");
    QTest::addColumn<QByteArray>("page");
    auto row = [](const char* name, std::string_view tpl, std::string_view page) {
        QTest::newRow(name) << QByteArray(tpl.data(), qsizetype(tpl.size()))
                            << QByteArray(page.data(), qsizetype(page.size()));
    };
    row("lines end with CR LF", "x\r{ServerMap}\ry", "x\r\nM\r\ny\r\n");
    row("empty lines", "\r\r", "\r\n\r\n");
    row("empty template, empty page", "", "");
    row("placeholder in lower case", "{servername}\r\n", "N\r\n");
    row("placeholder in upper case", "{SERVERNAME}", "N\r\n");
    row("placeholder in mixed case", "{sErVeRnAmE}\r", "N\r\n");
    row("blanks before", "  {ServerName}\r\n", "  {ServerName}\r\n");
    row("a blank after", "{ServerName} \r\n", "{ServerName} \r\n");
    row("inside markup", "<h1>{ServerName}</h1>\r\n", "<h1>{ServerName}</h1>\r\n");
    row("two on a line", "{ServerName}{ServerMap}\r\n", "{ServerName}{ServerMap}\r\n");
    row("not a placeholder", "{ServerNam}\r\n{}\r\n{\r\n", "{ServerNam}\r\n{}\r\n{\r\n");
    row("a tab before", "\t{ServerName}", "\t{ServerName}\r\n");
    row("every panel field",
        "{ServerName}\r\n{ServerMap}\r\n{ServerVersion}\r\n{ServerAddress}\r\n"
        "{ServerMaxPlayers}\r\n{ServerPort}\r\n{ServerCurrentPlayers}\r\n{ServerType}\r\n",
        "N\r\nM\r\nV\r\nA\r\nX\r\nO\r\nC\r\nT\r\n");
    row("an empty field keeps its line", "<p>\r\n{ServerPing}\r\n</p>", "<p>\r\n\r\n</p>\r\n");
    row("line feeds alone make one line", "<p>\n{ServerName}\n</p>\n",
        "<p>\n{ServerName}\n</p>\n\r\n");
    row("a placeholder before a line feed", "{ServerName}\n", "{ServerName}\n\r\n");
    row("eight-bit bytes copied", std::string_view("caf\xE9 \x80\x00\xFF\r\n", 10),
        std::string_view("caf\xE9 \x80\x00\xFF\r\n", 10));
    row("the template's own markup is not escaped", "<b>&amp;\"</b>", "<b>&amp;\"</b>\r\n");
}

void TestHtmlRenderer::pages() {
    QFETCH(QByteArray, tpl);
    QFETCH(QByteArray, page);
    QCOMPARE(QByteArray::fromStdString(Render(tpl.toStdString(), Panel())), page);
}

void TestHtmlRenderer::player_cells_data() {
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("frags");
    QTest::addColumn<QString>("cells");  // time and frags as shown; "fails": no page at all
    // The time's whole part with a blank on each side (the sign's place left of it).
    for (auto [time, shown] :
         std::initializer_list<std::pair<const char*, const char*>>{{"12.7", " 12 "},
                                                                    {"0.4", " 0 "},
                                                                    {"59.999", " 59 "},
                                                                    {"-0.5", "-1 "},
                                                                    {"-0", " 0 "},
                                                                    {"", ""},
                                                                    {" 7 ", " 7 "},
                                                                    {"1E2", " 100 "},
                                                                    {"&H10", " 16 "},
                                                                    {"+3.", " 3 "},
                                                                    {"1234567", " 1234567 "}})
        QTest::addRow("time '%s'", time) << time << "" << QString(shown) + "|";
    for (const char* time : {"abc", "12abc", " ", "1 2", ".", "1E", "1E999", "&H"})
        QTest::addRow("time '%s'", time) << time << ""
                                         << "fails";
    // Frags stored in the log's unsigned form show signed; anything else as it is.
    for (auto [frags, shown] :
         std::initializer_list<std::pair<const char*, const char*>>{{"4244897280", "-1 "},
                                                                    {"4244897281", " 0 "},
                                                                    {"4244897001", "-280 "},
                                                                    {"4244897000", "4244897000"},
                                                                    {"-3", "-3"},
                                                                    {"17", "17"},
                                                                    {"abc", "abc"},
                                                                    {"", ""},
                                                                    {"4244897282", " 1 "},
                                                                    {"4244897280 x", "-1 "}})
        QTest::addRow("frags '%s'", frags) << "" << frags << QString("|") + shown;
}

void TestHtmlRenderer::player_cells() {
    QFETCH(QString, time);
    QFETCH(QString, frags);
    QFETCH(QString, cells);
    Monitor m;
    SetRow(m, 0, "p", time.toStdString(), frags.toStdString());
    const auto page = RenderPage("{PlayerList}", m, kNow);
    // A template without the block does not look at the players.
    QVERIFY(RenderPage("{ServerName}", m, kNow).has_value());
    const QStringList shown = cells.split('|');
    QCOMPARE(
        page.value_or("fails"),
        cells == "fails"
            ? std::string("fails")
            : kHeading + Row(" 0 ", "p", shown[0].toStdString(), shown[1].toStdString()) + kTail);
}

void TestHtmlRenderer::player_block_byte_exact() {
    Monitor m;
    SetRow(m, 0, "Ranger", "3.5", "17");
    QCOMPARE(Render("<div>\r\n{PlayerList}\r\n</div>", m),
             "<div>\r\n" + kHeading + Row(" 0 ", "Ranger", " 3 ", "17") + kTail + "</div>\r\n");
    // No players: the heading row and the credit only.
    QCOMPARE(Render("{playerlist}", Monitor{}), kHeading + kTail);
    // Empty names are skipped whatever else the row holds; the ID is the row number, not the
    // view's Id field; a name of one blank is not empty; the block may come twice.
    SetRow(m, 1, "b", "2", "2");
    SetRow(m, 2, "", "9", "9");
    SetRow(m, 3, "d", "4", "4");
    m.view.rows[3][kId] = "7";
    SetRow(m, 5, " ", "", "");
    SetRow(m, 63, "last", "", "0");
    const std::string block = kHeading + Row(" 0 ", "Ranger", " 3 ", "17") +
                              Row(" 1 ", "b", " 2 ", "2") + Row(" 3 ", "d", " 4 ", "4") +
                              Row(" 5 ", " ", "", "") + Row(" 63 ", "last", "", "0") + kTail;
    QCOMPARE(Render("{PlayerList}\r\n<hr>\r\n{PLAYERLIST}\r\n", m), block + "<hr>\r\n" + block);
}

void TestHtmlRenderer::server_and_player_texts_escaped() {
    Monitor m;
    m.snapshot.name = "<script>alert(\"x\")</script> & co";
    m.snapshot.map = "e1m1>' onmouseover='x";  // a placeholder in a single-quoted attribute
    SetRow(m, 0, "<b>A&B", "1", "<i>");
    QCOMPARE(Render("{ServerName}\r\n{ServerMap}", m),
             std::string("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; co\r\n"
                         "e1m1&gt;&#39; onmouseover=&#39;x\r\n"));
    QCOMPARE(Render("{PlayerList}", m),
             kHeading + Row(" 0 ", "&lt;b&gt;A&amp;B", " 1 ", "&lt;i&gt;") + kTail);
    // Control and eight-bit bytes are copied as they are.
    m.options.readable_names = false;
    m.snapshot.name = std::string("\x01\xE9\x00z", 4);
    QCOMPARE(Render("{ServerName}", m), std::string("\x01\xE9\x00z\r\n", 6));
}

void TestHtmlRenderer::time_date_line() {
    Monitor m;
    const std::string page = Render("<p>\r\n{TimeDate}\r\n</p>", m);
    QVERIFY(page.starts_with("<p>\r\n"));
    QVERIFY(page.ends_with("\r\n</p>\r\n"));
    const std::string line = page.substr(5, page.size() - 5 - 8);
    QVERIFY(line.find('\r') == std::string::npos && line.find('\n') == std::string::npos);
    // The system's short date, one blank, then the time with its seconds.
    const std::string date =
        QLocale::system().toString(kNow.date(), QLocale::ShortFormat).toStdString();
    QVERIFY2(line.starts_with(date + " "), line.c_str());
    const std::string time = line.substr(date.size() + 1);
    QVERIFY2(time.find("47") != std::string::npos, time.c_str());
    QVERIFY2(time.find("59") != std::string::npos, time.c_str());
    QVERIFY2(time.front() != ' ' && time.back() != ' ', time.c_str());
}

void TestHtmlRenderer::shipped_template_uses_every_placeholder() {
    QFile file(QStringLiteral(MORVEK_SOURCE_DIR "/resources/template/standard.htm"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // The file embedded in the program is the file in the source tree.
    QCOMPARE(platform::SampleTemplate(), bytes);
    // Lines end with CR LF, never with a line feed alone.
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n') QVERIFY(i > 0 && bytes[i - 1] == '\r');
    const std::string_view tpl(bytes.constData(), bytes.size());
    const auto lines = web::TemplateLines(tpl);
    for (const char* placeholder :
         {"{ServerName}", "{ServerMap}", "{ServerVersion}", "{ServerAddress}", "{ServerMaxPlayers}",
          "{ServerPing}", "{ServerPort}", "{ServerCurrentPlayers}", "{ServerType}", "{PlayerList}",
          "{TimeDate}"})
        QVERIFY2(
            std::find(lines.begin(), lines.end(), std::string_view(placeholder)) != lines.end(),
            placeholder);
    // Rendered, no placeholder is left.
    Monitor m;
    SetRow(m, 0, "p", "1", "1");
    const std::string page = Render(tpl, m);
    QVERIFY(page.find("{Server") == std::string::npos);
    QVERIFY(page.find("{PlayerList}") == std::string::npos);
    QVERIFY(page.find("{TimeDate}") == std::string::npos);
    QVERIFY(page.find(web::kCreditLine) != std::string::npos);
}

// --- the publisher ---

void TestHtmlRenderer::publisher_missing_template_stops_publishing() {
    Publishing p("x", 5000);
    p.m.web_active = true;
    p.m.options.html_template = "nothere.htm";
    p.publisher.timHtml.SetEnabled(true);
    p.publisher.timHtml_Timer();
    QCOMPARE(p.dialogs.messages.size(), std::size_t(1));
    const auto& shown = p.dialogs.messages[0];
    QCOMPARE(shown.text + "|" + shown.title, std::string("Template file not found|Morvek"));
    QCOMPARE(shown.icon, platform::MessageIcon::Critical);
    QCOMPARE(shown.buttons, platform::MessageButtons::Ok);
    QVERIFY(!p.m.web_active);
    QCOMPARE(p.publisher.timHtml.Interval(), std::int64_t(0));
    QVERIFY(!p.publisher.timHtml.Enabled() && !p.publisher.timHtml.Running());
    QCOMPARE(p.Out(), QByteArray("<missing>"));
    // A folder of that name is not a template either.
    QVERIFY(QDir(p.dir.path()).mkdir("folder.htm"));
    p.m.options.html_template = "folder.htm";
    p.publisher.timHtml_Timer();
    QCOMPARE(p.dialogs.messages.size(), std::size_t(2));
}

void TestHtmlRenderer::publisher_tick_writes_page_and_restarts_timer() {
    Publishing p("<h1>\r\n{ServerName}\r\n</h1>\r\n", 5000);
    QVERIFY(WriteFile(p.dir.filePath("out.htm"), "an older and longer page than the new one"));
    p.m.web_active = true;
    p.m.snapshot.name = "A&B";
    p.m.options.html_template = "PAGE.HTM";  // the name exists in lower case only
    p.publisher.timHtml.SetEnabled(true);
    p.publisher.timHtml_Timer();
    QVERIFY(p.dialogs.messages.empty());
    QVERIFY(p.publisher.LastTickWrote());
    QCOMPARE(p.Out(), QByteArray("<h1>\r\nA&amp;B\r\n</h1>\r\n"));
    QVERIFY(p.publisher.timHtml.Enabled() && p.publisher.timHtml.Running() && p.m.web_active);
    QCOMPARE(p.publisher.timHtml.Interval(), std::int64_t(5000));
    // No temporary file is left beside the page.
    QCOMPARE(QDir(p.dir.path()).entryList(QDir::Files), QStringList({"out.htm", "page.htm"}));
}

void TestHtmlRenderer::publisher_unwritable_output_left_as_it_was() {
    Publishing p("{ServerName}");
    // The output path names a folder: the page cannot replace it.
    QVERIFY(QDir(p.dir.path()).mkdir("out.htm"));
    QVERIFY(WriteFile(p.dir.filePath("out.htm/inside.txt"), "kept"));
    // And then an output inside a folder that does not exist: silent as well.
    for (const char* output : {"out.htm", "missing/out.htm"}) {
        p.m.options.html_output = p.dir.filePath(output).toStdString();
        p.publisher.timHtml_Timer();
        QVERIFY(!p.publisher.LastTickWrote());
        QVERIFY(p.dialogs.messages.empty());
        QVERIFY(p.publisher.timHtml.Enabled());
        QCOMPARE(p.publisher.timHtml.Interval(), std::int64_t(1000));
    }
    QCOMPARE(ReadAll(p.dir.filePath("out.htm/inside.txt")), QByteArray("kept"));
    QVERIFY(!QFileInfo::exists(p.dir.filePath("missing")));
}

void TestHtmlRenderer::publisher_failed_render_keeps_previous_page() {
    Publishing p("{ServerMap}\r\n{PlayerList}");
    p.m.snapshot.map = "dm2";
    SetRow(p.m, 0, "p", "3", "1");
    p.publisher.timHtml_Timer();
    QVERIFY(p.publisher.LastTickWrote());
    const QByteArray first = p.Out();
    QVERIFY(first.startsWith("dm2\r\n<Table border=1>"));
    p.m.snapshot.map = "dm3";
    p.m.view.rows[0][kTime] = "soon";
    p.publisher.timHtml_Timer();
    QVERIFY(!p.publisher.LastTickWrote());
    QCOMPARE(p.Out(), first);
    QVERIFY(p.publisher.timHtml.Enabled() && p.dialogs.messages.empty());
    // The next good tick writes again.
    p.m.view.rows[0][kTime] = "4";
    p.publisher.timHtml_Timer();
    QVERIFY(p.publisher.LastTickWrote());
    QVERIFY(p.Out().startsWith("dm3\r\n"));
}

void TestHtmlRenderer::publisher_empty_output_is_silent() {
    Publishing p("x", 2000);
    p.m.options.html_output.clear();
    p.publisher.timHtml_Timer();
    QVERIFY(!p.publisher.LastTickWrote());
    QVERIFY(p.dialogs.messages.empty() && p.publisher.timHtml.Enabled());
    QCOMPARE(QDir(p.dir.path()).entryList(QDir::Files), QStringList{"page.htm"});
}

void TestHtmlRenderer::publisher_template_name_with_slash_is_a_path() {
    Publishing p("x");
    QVERIFY(QDir(p.dir.path()).mkdir("elsewhere"));
    QVERIFY(WriteFile(p.dir.filePath("elsewhere/mine.htm"), "{ServerPort}"));
    p.m.snapshot.port = "26000";
    p.m.options.html_template = p.dir.filePath("elsewhere/mine.htm").toStdString();
    p.publisher.SetTemplateFolder(p.dir.filePath("not-used"));
    QCOMPARE(p.publisher.TemplatePath(), p.dir.filePath("elsewhere/mine.htm"));
    p.publisher.timHtml_Timer();
    QCOMPARE(p.Out(), QByteArray("26000\r\n"));
    p.m.options.html_template = "mine.htm";
    QCOMPARE(p.publisher.TemplatePath(), p.dir.filePath("not-used/mine.htm"));
}

void TestHtmlRenderer::publisher_runs_from_its_timer() {
    Publishing p("{ServerCurrentPlayers}", 20);
    p.m.snapshot.players = "5";
    QVERIFY(!p.publisher.timHtml.Enabled());  // stopped until the dialog starts it
    p.publisher.timHtml.SetEnabled(true);
    QTRY_COMPARE_WITH_TIMEOUT(p.Out(), QByteArray("5\r\n"), 10000);
    p.m.snapshot.players = "6";
    QTRY_COMPARE_WITH_TIMEOUT(p.Out(), QByteArray("6\r\n"), 10000);
    QVERIFY(p.publisher.timHtml.Enabled());
    p.publisher.timHtml.SetEnabled(false);
}

QTEST_GUILESS_MAIN(TestHtmlRenderer)
#include "test_html_renderer.moc"
