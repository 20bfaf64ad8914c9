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

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    return f.write(bytes) == bytes.size();
}

}  // namespace

class TestHtmlRenderer : public QObject {
    Q_OBJECT
  private slots:
    void template_lines_end_at_cr_or_cr_lf();
    void placeholder_without_regard_to_case();
    void placeholder_with_anything_else_on_its_line_is_copied();
    void every_panel_placeholder_takes_its_own_field();
    void empty_template_gives_empty_page();
    void lf_only_template_is_one_line();
    void eight_bit_template_bytes_copied_unchanged();
    void player_block_byte_exact();
    void rows_with_empty_names_skipped_id_is_row_number();
    void time_whole_part_and_empty_time();
    void time_that_is_not_a_number_fails_the_page();
    void frags_stored_negative_and_plain_text();
    void player_list_twice();
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

    Monitor m;
    m.snapshot.map = "dm4";
    QCOMPARE(Render("x\r{ServerMap}\ry", m), std::string("x\r\ndm4\r\ny\r\n"));
    QCOMPARE(Render("\r\r", m), std::string("\r\n\r\n"));
}

void TestHtmlRenderer::placeholder_without_regard_to_case() {
    Monitor m;
    m.snapshot.name = "Arena";
    QCOMPARE(Render("{servername}\r\n", m), std::string("Arena\r\n"));
    QCOMPARE(Render("{SERVERNAME}", m), std::string("Arena\r\n"));
    QCOMPARE(Render("{sErVeRnAmE}\r", m), std::string("Arena\r\n"));
}

void TestHtmlRenderer::placeholder_with_anything_else_on_its_line_is_copied() {
    Monitor m;
    m.snapshot.name = "Arena";
    QCOMPARE(Render("  {ServerName}\r\n", m), std::string("  {ServerName}\r\n"));
    QCOMPARE(Render("{ServerName} \r\n", m), std::string("{ServerName} \r\n"));
    QCOMPARE(Render("<h1>{ServerName}</h1>\r\n", m), std::string("<h1>{ServerName}</h1>\r\n"));
    QCOMPARE(Render("{ServerName}{ServerMap}\r\n", m), std::string("{ServerName}{ServerMap}\r\n"));
    QCOMPARE(Render("{ServerNam}\r\n{}\r\n{\r\n", m), std::string("{ServerNam}\r\n{}\r\n{\r\n"));
    QCOMPARE(Render("\t{ServerName}", m), std::string("\t{ServerName}\r\n"));
}

void TestHtmlRenderer::every_panel_placeholder_takes_its_own_field() {
    Monitor m;
    m.snapshot.name = "N";
    m.snapshot.map = "M";
    m.snapshot.version = "V";
    m.snapshot.address = "A";
    m.snapshot.max_players = "X";
    m.snapshot.ping = "P";
    m.snapshot.port = "O";
    m.snapshot.players = "C";
    m.snapshot.type_name = "T";
    const std::string tpl =
        "{ServerName}\r\n{ServerMap}\r\n{ServerVersion}\r\n{ServerAddress}\r\n"
        "{ServerMaxPlayers}\r\n{ServerPing}\r\n{ServerPort}\r\n{ServerCurrentPlayers}\r\n"
        "{ServerType}\r\n";
    QCOMPARE(Render(tpl, m), std::string("N\r\nM\r\nV\r\nA\r\nX\r\nP\r\nO\r\nC\r\nT\r\n"));
    // An empty field still gives its line.
    m.snapshot.ping.clear();
    QCOMPARE(Render("<p>\r\n{ServerPing}\r\n</p>", m), std::string("<p>\r\n\r\n</p>\r\n"));
}

void TestHtmlRenderer::empty_template_gives_empty_page() {
    Monitor m;
    const std::optional<std::string> page = RenderPage("", m, kNow);
    QVERIFY(page.has_value());
    QCOMPARE(*page, std::string());
}

void TestHtmlRenderer::lf_only_template_is_one_line() {
    Monitor m;
    m.snapshot.name = "Arena";
    QCOMPARE(Render("<p>\n{ServerName}\n</p>\n", m), std::string("<p>\n{ServerName}\n</p>\n\r\n"));
    // A placeholder followed by a line feed is not alone on its line.
    QCOMPARE(Render("{ServerName}\n", m), std::string("{ServerName}\n\r\n"));
}

void TestHtmlRenderer::eight_bit_template_bytes_copied_unchanged() {
    Monitor m;
    const std::string tpl("caf\xE9 \x80\x00\xFF\r\n", 10);
    QCOMPARE(Render(tpl, m), tpl);
    m.snapshot.name = std::string("\x01\xE9\x00z", 4);
    QCOMPARE(Render("{ServerName}", m), std::string("\x01\xE9\x00z\r\n", 6));
}

void TestHtmlRenderer::player_block_byte_exact() {
    Monitor m;
    SetRow(m, 0, "Ranger", "3.5", "17");
    const std::string expected =
        "<div>\r\n" + kHeading + Row(" 0 ", "Ranger", " 3 ", "17") + kTail + "</div>\r\n";
    QCOMPARE(Render("<div>\r\n{PlayerList}\r\n</div>", m), expected);

    // No players: the heading row and the credit only.
    Monitor empty;
    QCOMPARE(Render("{playerlist}", empty), kHeading + kTail);
}

void TestHtmlRenderer::rows_with_empty_names_skipped_id_is_row_number() {
    Monitor m;
    SetRow(m, 0, "a", "1", "1");
    SetRow(m, 1, "b", "2", "2");
    SetRow(m, 2, "", "9", "9");  // an empty name is skipped whatever else the row holds
    SetRow(m, 3, "d", "4", "4");
    // The view's own Id field is not what the ID cell shows.
    m.view.rows[3][kId] = "7";
    SetRow(m, 63, "last", "", "0");
    const std::string expected = kHeading + Row(" 0 ", "a", " 1 ", "1") +
                                 Row(" 1 ", "b", " 2 ", "2") + Row(" 3 ", "d", " 4 ", "4") +
                                 Row(" 63 ", "last", "", "0") + kTail;
    QCOMPARE(Render("{PlayerList}", m), expected);
    // A name of one blank is not empty.
    Monitor blank;
    SetRow(blank, 5, " ", "", "");
    QCOMPARE(Render("{PlayerList}", blank), kHeading + Row(" 5 ", " ", "", "") + kTail);
}

void TestHtmlRenderer::time_whole_part_and_empty_time() {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"12.7", " 12 "}, {"0.4", " 0 "}, {"59.999", " 59 "},       {"-0.5", "-1 "},
        {"-0", " 0 "},    {"", ""},       {" 7 ", " 7 "},           {"1E2", " 100 "},
        {"&H10", " 16 "}, {"+3.", " 3 "}, {"1234567", " 1234567 "},
    };
    for (const auto& [time, shown] : cases) {
        Monitor m;
        SetRow(m, 0, "p", time, "0");
        QCOMPARE(Render("{PlayerList}", m), kHeading + Row(" 0 ", "p", shown, "0") + kTail);
    }
}

void TestHtmlRenderer::time_that_is_not_a_number_fails_the_page() {
    for (const char* time : {"abc", "12abc", " ", "1 2", ".", "1E", "1E999", "&H"}) {
        Monitor m;
        SetRow(m, 0, "p", time, "0");
        QVERIFY2(!RenderPage("{PlayerList}", m, kNow).has_value(), time);
        // A template without the block does not look at the players.
        QVERIFY2(RenderPage("{ServerName}", m, kNow).has_value(), time);
    }
}

void TestHtmlRenderer::frags_stored_negative_and_plain_text() {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"4244897280", "-1 "},
        {"4244897281", " 0 "},
        {"4244897001", "-280 "},
        {"4244897000", "4244897000"},
        {"-3", "-3"},
        {"17", "17"},
        {"abc", "abc"},
        {"", ""},
        {"4244897282", " 1 "},
        {"4244897280 x", "-1 "},
    };
    for (const auto& [frags, shown] : cases) {
        Monitor m;
        SetRow(m, 0, "p", "", frags);
        QCOMPARE(Render("{PlayerList}", m), kHeading + Row(" 0 ", "p", "", shown) + kTail);
    }
}

void TestHtmlRenderer::player_list_twice() {
    Monitor m;
    SetRow(m, 2, "x", "1", "2");
    const std::string block = kHeading + Row(" 2 ", "x", " 1 ", "2") + kTail;
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
    // The template's own markup is not touched.
    QCOMPARE(Render("<b>&amp;\"</b>", m), std::string("<b>&amp;\"</b>\r\n"));
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
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Monitor m;
    m.web_active = true;
    m.options.html_template = "nothere.htm";
    m.options.html_output = dir.filePath("out.htm").toStdString();
    platform::ScriptedDialogs dialogs;
    web::HtmlPublisher publisher(m, dialogs, 5000);
    publisher.SetTemplateFolder(dir.path());
    publisher.timHtml.SetEnabled(true);

    publisher.timHtml_Timer();
    QCOMPARE(dialogs.messages.size(), std::size_t(1));
    QCOMPARE(dialogs.messages[0].text, std::string("Template file not found"));
    QCOMPARE(dialogs.messages[0].title, std::string("Morvek"));
    QCOMPARE(dialogs.messages[0].icon, platform::MessageIcon::Critical);
    QCOMPARE(dialogs.messages[0].buttons, platform::MessageButtons::Ok);
    QVERIFY(!m.web_active);
    QCOMPARE(publisher.timHtml.Interval(), std::int64_t(0));
    QVERIFY(!publisher.timHtml.Enabled());
    QVERIFY(!publisher.timHtml.Running());
    QVERIFY(!QFile::exists(dir.filePath("out.htm")));

    // A folder of that name is not a template either.
    QVERIFY(QDir(dir.path()).mkdir("folder.htm"));
    m.options.html_template = "folder.htm";
    publisher.timHtml_Timer();
    QCOMPARE(dialogs.messages.size(), std::size_t(2));
}

void TestHtmlRenderer::publisher_tick_writes_page_and_restarts_timer() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(WriteFile(dir.filePath("page.htm"), "<h1>\r\n{ServerName}\r\n</h1>\r\n"));
    QVERIFY(WriteFile(dir.filePath("out.htm"), "an older and longer page than the new one"));
    Monitor m;
    m.web_active = true;
    m.snapshot.name = "A&B";
    m.options.html_template = "PAGE.HTM";  // the name exists in lower case only
    m.options.html_output = dir.filePath("out.htm").toStdString();
    platform::ScriptedDialogs dialogs;
    web::HtmlPublisher publisher(m, dialogs, 5000);
    publisher.SetTemplateFolder(dir.path());
    publisher.timHtml.SetEnabled(true);

    publisher.timHtml_Timer();
    QVERIFY(dialogs.messages.empty());
    QVERIFY(publisher.LastTickWrote());
    QCOMPARE(ReadAll(dir.filePath("out.htm")), QByteArray("<h1>\r\nA&amp;B\r\n</h1>\r\n"));
    QVERIFY(publisher.timHtml.Enabled());
    QVERIFY(publisher.timHtml.Running());
    QCOMPARE(publisher.timHtml.Interval(), std::int64_t(5000));
    QVERIFY(m.web_active);
    // No temporary file is left beside the page.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TestHtmlRenderer::publisher_unwritable_output_left_as_it_was() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(WriteFile(dir.filePath("page.htm"), "{ServerName}"));
    // The output path names a folder: the page cannot replace it.
    QVERIFY(QDir(dir.path()).mkdir("out.htm"));
    QVERIFY(WriteFile(dir.filePath("out.htm/inside.txt"), "kept"));
    Monitor m;
    m.options.html_template = "page.htm";
    m.options.html_output = dir.filePath("out.htm").toStdString();
    platform::ScriptedDialogs dialogs;
    web::HtmlPublisher publisher(m, dialogs, 1000);
    publisher.SetTemplateFolder(dir.path());

    publisher.timHtml_Timer();
    QVERIFY(!publisher.LastTickWrote());
    QVERIFY(dialogs.messages.empty());
    QVERIFY(QFileInfo(dir.filePath("out.htm")).isDir());
    QCOMPARE(ReadAll(dir.filePath("out.htm/inside.txt")), QByteArray("kept"));
    QVERIFY(publisher.timHtml.Enabled());
    QCOMPARE(publisher.timHtml.Interval(), std::int64_t(1000));

    // An output inside a folder that does not exist: silent as well.
    m.options.html_output = dir.filePath("missing/out.htm").toStdString();
    publisher.timHtml_Timer();
    QVERIFY(!publisher.LastTickWrote());
    QVERIFY(dialogs.messages.empty());
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
    QVERIFY(publisher.timHtml.Enabled());
}

void TestHtmlRenderer::publisher_failed_render_keeps_previous_page() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(WriteFile(dir.filePath("page.htm"), "{ServerMap}\r\n{PlayerList}"));
    Monitor m;
    m.snapshot.map = "dm2";
    SetRow(m, 0, "p", "3", "1");
    m.options.html_template = "page.htm";
    m.options.html_output = dir.filePath("out.htm").toStdString();
    platform::ScriptedDialogs dialogs;
    web::HtmlPublisher publisher(m, dialogs, 1000);
    publisher.SetTemplateFolder(dir.path());

    publisher.timHtml_Timer();
    QVERIFY(publisher.LastTickWrote());
    const QByteArray first = ReadAll(dir.filePath("out.htm"));
    QVERIFY(first.startsWith("dm2\r\n<Table border=1>"));

    m.snapshot.map = "dm3";
    m.view.rows[0][kTime] = "soon";
    publisher.timHtml_Timer();
    QVERIFY(!publisher.LastTickWrote());
    QCOMPARE(ReadAll(dir.filePath("out.htm")), first);
    QVERIFY(publisher.timHtml.Enabled());
    QVERIFY(dialogs.messages.empty());

    // The next good tick writes again.
    m.view.rows[0][kTime] = "4";
    publisher.timHtml_Timer();
    QVERIFY(publisher.LastTickWrote());
    QVERIFY(ReadAll(dir.filePath("out.htm")).startsWith("dm3\r\n"));
}

void TestHtmlRenderer::publisher_empty_output_is_silent() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(WriteFile(dir.filePath("page.htm"), "x"));
    Monitor m;
    m.options.html_template = "page.htm";
    m.options.html_output.clear();
    platform::ScriptedDialogs dialogs;
    web::HtmlPublisher publisher(m, dialogs, 2000);
    publisher.SetTemplateFolder(dir.path());
    publisher.timHtml_Timer();
    QVERIFY(!publisher.LastTickWrote());
    QVERIFY(dialogs.messages.empty());
    QVERIFY(publisher.timHtml.Enabled());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"page.htm"});
}

void TestHtmlRenderer::publisher_template_name_with_slash_is_a_path() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("elsewhere"));
    QVERIFY(WriteFile(dir.filePath("elsewhere/mine.htm"), "{ServerPort}"));
    Monitor m;
    m.snapshot.port = "26000";
    m.options.html_template = dir.filePath("elsewhere/mine.htm").toStdString();
    m.options.html_output = dir.filePath("out.htm").toStdString();
    platform::ScriptedDialogs dialogs;
    web::HtmlPublisher publisher(m, dialogs);
    publisher.SetTemplateFolder(dir.filePath("not-used"));
    QCOMPARE(publisher.TemplatePath(), dir.filePath("elsewhere/mine.htm"));
    publisher.timHtml_Timer();
    QCOMPARE(ReadAll(dir.filePath("out.htm")), QByteArray("26000\r\n"));

    m.options.html_template = "mine.htm";
    QCOMPARE(publisher.TemplatePath(), dir.filePath("not-used/mine.htm"));
}

void TestHtmlRenderer::publisher_runs_from_its_timer() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(WriteFile(dir.filePath("page.htm"), "{ServerCurrentPlayers}"));
    Monitor m;
    m.snapshot.players = "5";
    m.options.html_template = "page.htm";
    m.options.html_output = dir.filePath("out.htm").toStdString();
    platform::ScriptedDialogs dialogs;
    web::HtmlPublisher publisher(m, dialogs, 20);
    publisher.SetTemplateFolder(dir.path());
    QVERIFY(!publisher.timHtml.Enabled());  // stopped until the dialog starts it
    publisher.timHtml.SetEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("out.htm")), 10000);
    QCOMPARE(ReadAll(dir.filePath("out.htm")), QByteArray("5\r\n"));
    m.snapshot.players = "6";
    QTRY_COMPARE_WITH_TIMEOUT(ReadAll(dir.filePath("out.htm")), QByteArray("6\r\n"), 10000);
    QVERIFY(publisher.timHtml.Enabled());
    publisher.timHtml.SetEnabled(false);
}

QTEST_GUILESS_MAIN(TestHtmlRenderer)
#include "test_html_renderer.moc"
