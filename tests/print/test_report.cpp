// The printed report: the page operations for known line heights, and a real PDF written through
// QPrinter read back with poppler's pdftotext.
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "core/text.h"
#include "print/painter.h"
#include "print/report.h"

using namespace morvek;
using namespace morvek::print;

namespace {

// Distinct heights so that a text measured with the wrong font moves everything after it.
constexpr int kNormalHeight = 230;
constexpr int kBoldHeight = 240;
constexpr int kTitleHeight = 370;

int FixedHeights(const FontSpec& f) {
    if (f.point_size == 16) return kTitleHeight;
    return f.bold ? kBoldHeight : kNormalHeight;
}

// A page 11000 twips wide: W = 9000.
constexpr int kPageWidth = 11000;
constexpr int kW = 9000;

// Where the layout must put things for the fixed heights, worked out by hand:
// "Server: " at LH + 850 = 1360 (bold) -> current y 1600; line 1 at 1600 + 250 = 1850; each
// server line ends with a regular value, so the next line is at y + 230 + 50.
constexpr int kServerTitleY = 1360;
constexpr int kLine1 = 1850;
constexpr int kLine2 = kLine1 + kNormalHeight + 50;  // 2130
constexpr int kLine3 = kLine2 + kNormalHeight + 50;  // 2410
constexpr int kLine4 = kLine3 + kNormalHeight + 50;  // 2690
constexpr int kB = kLine4 + kNormalHeight + 1000;    // 3920
constexpr int kH = kB + kBoldHeight + 250;           // 4410
constexpr int kHeadingRule = kH + 250;               // 4660
constexpr int kFirstRow = kHeadingRule + 150;        // 4810
constexpr int kRowStep = kNormalHeight + 25;

Monitor SampleServer(int type) {
    Monitor m;
    m.server_type = ServerType(type);
    m.snapshot.name = "Frag Palace";
    m.snapshot.address = "10.0.0.7";
    m.snapshot.port = "26000";
    m.snapshot.map = "e1m1";
    m.snapshot.max_players = "16";
    m.snapshot.players = "3";
    m.snapshot.type_name = "Quake I";
    return m;
}

void SetRow(Monitor& m, int d, const std::string& present, const std::string& id,
            const std::string& name, const std::string& frags = "0") {
    PlayerRecord& r = m.view.rows[d];
    r[kPresent] = present;
    r[kId] = id;
    r[kName] = name;
    r[kAddress] = "192.168.0." + id;
    r[kPort] = "2700" + id;
    r[kTime] = "1" + id;
    r[kFrags] = frags;
}

std::vector<PageOp> Only(const std::vector<PageOp>& ops, PageOp::Kind kind) {
    std::vector<PageOp> out;
    for (const PageOp& op : ops)
        if (op.kind == kind) out.push_back(op);
    return out;
}

const PageOp* FindText(const std::vector<PageOp>& ops, const std::string& text, int from = 0) {
    for (std::size_t i = from; i < ops.size(); ++i)
        if (ops[i].kind == PageOp::kText && ops[i].text == text) return &ops[i];
    return nullptr;
}

// Texts printed at one y, in order.
QStringList TextsAt(const std::vector<PageOp>& ops, int y) {
    QStringList out;
    for (const PageOp& op : ops)
        if (op.kind == PageOp::kText && op.y == y)
            out << QString::number(op.x) + "=" + QString::fromStdString(op.text);
    return out;
}

bool HasLine(const std::vector<PageOp>& ops, int x, int y, int x2, int y2) {
    for (const PageOp& op : ops)
        if (op.kind == PageOp::kLine && op.x == x && op.y == y && op.x2 == x2 && op.y2 == y2)
            return true;
    return false;
}

struct PdfWord {
    QString text;
    double x, y;  // top-left, points
    double right;
};

QList<PdfWord> PdfWords(const QString& pdf, int page) {
    QList<PdfWord> words;
    QProcess p;
    p.start("pdftotext",
            {"-bbox", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
    if (!p.waitForFinished(30000)) return words;
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression re(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        QString text = m.captured(4);
        text.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">");
        words.append(
            {text, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble()});
    }
    return words;
}

int PdfPages(const QString& pdf) {
    QProcess p;
    p.start("pdfinfo", {pdf});
    if (!p.waitForFinished(30000)) return -1;
    const auto m =
        QRegularExpression(R"(Pages:\s+(\d+))").match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

}  // namespace

class TestReport : public QObject {
    Q_OBJECT

  private slots:
    void header_band();
    void empty_server_closes_200_below_heading_rule();
    void server_block_positions();
    void server_block_odd_width();
    void headings_per_server_type_data();
    void headings_per_server_type();
    void rows_skip_blank_names_and_show_absent_off();
    void frags_in_unsigned_form_print_signed();
    void sixty_four_players_on_an_endless_page();
    void rows_that_do_not_fit_continue_on_a_new_page();
    void last_row_moves_when_closing_rule_does_not_fit();
    void pdf_texts_at_their_positions();
    void pdf_sixty_four_players_take_two_pages();
    void print_report_through_dialog();
    void cancel_prints_nothing();
    void failing_printer_still_restores_pointer();
    void line_heights_on_the_printer();
};

void TestReport::header_band() {
    const auto ops = LayoutReport(SampleServer(0), kPageWidth, 0, FixedHeights);
    // The rectangle as four lines, in the order top, right, bottom, left.
    const auto lines = Only(ops, PageOp::kLine);
    QVERIFY(lines.size() >= 4);
    QCOMPARE(QList<int>({lines[0].x, lines[0].y, lines[0].x2, lines[0].y2}),
             QList<int>({0, 0, kW, 0}));
    QCOMPARE(QList<int>({lines[1].x, lines[1].y, lines[1].x2, lines[1].y2}),
             QList<int>({kW, 0, kW, 510}));
    QCOMPARE(QList<int>({lines[2].x, lines[2].y, lines[2].x2, lines[2].y2}),
             QList<int>({0, 510, kW, 510}));
    QCOMPARE(QList<int>({lines[3].x, lines[3].y, lines[3].x2, lines[3].y2}),
             QList<int>({0, 510, 0, 0}));

    const auto pictures = Only(ops, PageOp::kPicture);
    QCOMPARE(pictures.size(), std::size_t(1));
    QCOMPARE(QList<int>({pictures[0].x, pictures[0].y, pictures[0].x2, pictures[0].y2}),
             QList<int>({10, 10, 10 + 25 * 15, 10 + 30 * 15}));

    const std::string title = "Graph " + std::to_string(MORVEK_VERSION_MAJOR) + "." +
                              std::to_string(MORVEK_VERSION_MINOR) + "." +
                              std::to_string(MORVEK_VERSION_PATCH);
    const PageOp* t = FindText(ops, title);
    QVERIFY(t);
    QCOMPARE(t->x, 435);
    QCOMPARE(t->y, 35);
    QCOMPARE(t->font, (FontSpec{"Arial", 16, true}));

    const PageOp* credit = FindText(ops, ReportCredit());
    QVERIFY(credit);
    QVERIFY(!ReportCredit().empty());
    QCOMPARE(credit->x, kW - 2650);
    QCOMPARE(credit->y, 10);
    QCOMPARE(credit->font, (FontSpec{"Arial", 10, false}));

    QVERIFY(HasLine(ops, 0, 510 + 1000, kW, 510 + 1000));
    const PageOp* server = FindText(ops, "Server: ");
    QVERIFY(server);
    QCOMPARE(server->x, 0);
    QCOMPARE(server->y, kServerTitleY);
    QCOMPARE(server->font, (FontSpec{"Arial", 10, true}));
}

void TestReport::empty_server_closes_200_below_heading_rule() {
    Monitor m = SampleServer(0);
    const auto ops = LayoutReport(m, kPageWidth, 15000, FixedHeights);
    QVERIFY(Only(ops, PageOp::kNewPage).empty());
    QVERIFY(HasLine(ops, 0, kB, kW, kB));
    const PageOp* players = FindText(ops, "Players: ");
    QVERIFY(players);
    QCOMPARE(players->y, kB);
    QVERIFY(HasLine(ops, 500, kHeadingRule, kW, kHeadingRule));
    // The last op is the closing rule, 150 + 50 below the heading rule; no row between.
    const PageOp& last = ops.back();
    QCOMPARE(last.kind, PageOp::kLine);
    QCOMPARE(QList<int>({last.x, last.y, last.x2, last.y2}),
             QList<int>({500, kHeadingRule + 200, kW, kHeadingRule + 200}));
    QVERIFY(FindText(ops, "On") == nullptr);
    QVERIFY(FindText(ops, "Off") == nullptr);
    // Nothing is printed below the closing rule.
    for (const PageOp& op : ops) QVERIFY(op.y <= kHeadingRule + 200);
}

void TestReport::server_block_positions() {
    const auto ops = LayoutReport(SampleServer(0), kPageWidth, 0, FixedHeights);
    QCOMPARE(TextsAt(ops, kLine1),
             QStringList({"500=Name:", "2000=Frag Palace", "4500=Net Address:", "6000=10.0.0.7"}));
    QCOMPARE(TextsAt(ops, kLine2),
             QStringList({"500=Net Port:", "2000=26000", "4500=Map:", "6000=e1m1"}));
    QCOMPARE(TextsAt(ops, kLine3),
             QStringList({"500=Max Players:", "2000=16", "4500=Curr. Players:", "6000=3"}));
    QCOMPARE(TextsAt(ops, kLine4), QStringList({"500=Type:", "2000=Quake I"}));
    // Labels bold, values regular.
    QVERIFY(FindText(ops, "Map:")->font.bold);
    QVERIFY(FindText(ops, "Curr. Players:")->font.bold);
    QVERIFY(!FindText(ops, "e1m1")->font.bold);
    QVERIFY(!FindText(ops, "Quake I")->font.bold);
    QCOMPARE(FindText(ops, "Frag Palace")->font, (FontSpec{"Arial", 10, false}));
}

void TestReport::server_block_odd_width() {
    // W = 9001: W / 2 = 4500.5 is not made whole in the formula; on the page it lands on the
    // nearest twip.
    const auto ops = LayoutReport(SampleServer(0), kPageWidth + 1, 0, FixedHeights);
    const int mid = FindText(ops, "Map:")->x;
    QVERIFY(mid == 4500 || mid == 4501);
    const int value = FindText(ops, "e1m1")->x;
    QCOMPARE(value, mid + 1500);
    QVERIFY(HasLine(ops, 0, 0, kW + 1, 0));
}

void TestReport::headings_per_server_type_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::newRow("quake") << 0 << "NetAddress"
                           << "Port";
    QTest::newRow("quakeworld") << 1 << "Skin"
                                << "Ping";
    QTest::newRow("hexen2") << 2 << "NetAddress"
                            << "Port";
    QTest::newRow("quake2") << 3 << "Skin"
                            << "Ping";
    QTest::newRow("unknown") << 4 << "NetAddress"
                             << "Port";
}

void TestReport::headings_per_server_type() {
    QFETCH(int, type);
    QFETCH(QString, address);
    QFETCH(QString, port);
    const auto ops = LayoutReport(SampleServer(type), kPageWidth, 0, FixedHeights);
    QCOMPARE(TextsAt(ops, kH), QStringList({"500=S", "1000=ID", "2000=Name", "4000=" + address,
                                            "6500=" + port, "7800=Time", "8800=Frags"}));
    for (const PageOp& op : ops)
        if (op.kind == PageOp::kText && op.y == kH)
            QCOMPARE(op.font, (FontSpec{"Arial", 10, true}));
}

void TestReport::rows_skip_blank_names_and_show_absent_off() {
    Monitor m = SampleServer(0);
    SetRow(m, 0, "1", "1", "Alpha", "12");
    SetRow(m, 1, "1", "2", " ");         // a single blank: left out even though present
    SetRow(m, 2, "", "3", "Gone", "7");  // absent, kept in the view
    SetRow(m, 3, "1", "4", "");
    SetRow(m, 4, "1", "5", "  two blanks");  // only "" and " " are skipped
    SetRow(m, 5, "0", "6", "Zero");          // anything but "1" is "Off"
    const auto ops = LayoutReport(m, kPageWidth, 0, FixedHeights);

    QCOMPARE(TextsAt(ops, kFirstRow),
             QStringList({"500=On", "1000=1", "2000=Alpha", "4000=192.168.0.1", "6500=27001",
                          "7800=11", "8800=12"}));
    QCOMPARE(TextsAt(ops, kFirstRow + kRowStep),
             QStringList({"500=Off", "1000=3", "2000=Gone", "4000=192.168.0.3", "6500=27003",
                          "7800=13", "8800=7"}));
    QCOMPARE(TextsAt(ops, kFirstRow + 2 * kRowStep).mid(0, 3),
             QStringList({"500=On", "1000=5", "2000=  two blanks"}));
    QCOMPARE(TextsAt(ops, kFirstRow + 3 * kRowStep).mid(0, 3),
             QStringList({"500=Off", "1000=6", "2000=Zero"}));
    QVERIFY(FindText(ops, "2") == nullptr);
    QVERIFY(FindText(ops, "4") == nullptr);
    const int y = kFirstRow + 4 * kRowStep;
    QVERIFY(ops.back().kind == PageOp::kLine);
    QCOMPARE(ops.back().y, y + 50);
    QCOMPARE(ops.back().x, 500);
    QVERIFY(!FindText(ops, "Alpha")->font.bold);
}

void TestReport::frags_in_unsigned_form_print_signed() {
    Monitor m = SampleServer(0);
    SetRow(m, 0, "1", "1", "A", "4244897280");  // -1 in the log's form
    SetRow(m, 1, "1", "2", "B", "4244897000");  // the limit itself is not above it
    SetRow(m, 2, "1", "3", "C", "4244897001");
    SetRow(m, 3, "1", "4", "D", "-5");
    SetRow(m, 4, "1", "5", "E", "12abc");  // text as stored
    const auto ops = LayoutReport(m, kPageWidth, 0, FixedHeights);
    QStringList frags;
    for (const PageOp& op : ops)
        if (op.kind == PageOp::kText && op.x == 8800 && op.y >= kFirstRow)
            frags << QString::fromStdString(op.text);
    QCOMPARE(frags, QStringList({"-1", "4244897000", "-280", "-5", "12abc"}));
}

void TestReport::sixty_four_players_on_an_endless_page() {
    Monitor m = SampleServer(1);
    for (int d = 0; d < 64; ++d)
        SetRow(m, d, d % 2 ? "1" : "", std::to_string(d), "P" + std::to_string(d));
    const auto ops = LayoutReport(m, kPageWidth, 0, FixedHeights);
    QVERIFY(Only(ops, PageOp::kNewPage).empty());
    for (int d = 0; d < 64; ++d) {
        const PageOp* name = FindText(ops, "P" + std::to_string(d));
        QVERIFY(name);
        QCOMPARE(name->y, kFirstRow + d * kRowStep);
        QCOMPARE(name->x, 2000);
        const QStringList row = TextsAt(ops, name->y);
        QCOMPARE(row.size(), 7);
        QCOMPARE(row[0], QString(d % 2 ? "500=On" : "500=Off"));
    }
    QCOMPARE(ops.back().y, kFirstRow + 64 * kRowStep + 50);
}

void TestReport::rows_that_do_not_fit_continue_on_a_new_page() {
    Monitor m = SampleServer(3);
    for (int d = 0; d < 64; ++d) SetRow(m, d, "1", std::to_string(d), "P" + std::to_string(d));
    constexpr int kPageHeight = 15000;
    const auto ops = LayoutReport(m, kPageWidth, kPageHeight, FixedHeights);

    // Rows whose line ends within the page stay on page 1: y + 230 <= 15000.
    const int on_first = (kPageHeight - kNormalHeight - kFirstRow) / kRowStep + 1;  // 40
    std::size_t break_at = 0;
    for (std::size_t i = 0; i < ops.size(); ++i)
        if (ops[i].kind == PageOp::kNewPage) {
            QCOMPARE(break_at, std::size_t(0));  // one break only
            break_at = i;
        }
    QVERIFY(break_at > 0);
    for (std::size_t i = 0; i < break_at; ++i) {
        if (ops[i].kind == PageOp::kText) QVERIFY(ops[i].y + kNormalHeight <= kPageHeight);
    }
    const PageOp* last_on_first = FindText(ops, "P" + std::to_string(on_first - 1));
    QVERIFY(last_on_first < &ops[break_at]);
    QVERIFY(FindText(ops, "P" + std::to_string(on_first)) > &ops[break_at]);

    // Page 2 repeats the headings at 250 from the top, the heading rule, then the rows.
    std::vector<PageOp> second(ops.begin() + break_at + 1, ops.end());
    QCOMPARE(TextsAt(second, 250), QStringList({"500=S", "1000=ID", "2000=Name", "4000=Skin",
                                                "6500=Ping", "7800=Time", "8800=Frags"}));
    QVERIFY(HasLine(second, 500, 500, kW, 500));
    const PageOp* first_continued = FindText(second, "P" + std::to_string(on_first));
    QCOMPARE(first_continued->y, 650);
    const int rows_on_second = 64 - on_first;
    QCOMPARE(FindText(second, "P63")->y, 650 + (rows_on_second - 1) * kRowStep);
    QCOMPARE(second.back().kind, PageOp::kLine);
    QCOMPARE(second.back().y, 650 + rows_on_second * kRowStep + 50);
    for (int d = 0; d < 64; ++d) QVERIFY(FindText(ops, "P" + std::to_string(d)));
}

void TestReport::last_row_moves_when_closing_rule_does_not_fit() {
    Monitor m = SampleServer(0);
    SetRow(m, 0, "1", "1", "Only");
    // The row fits (4810 + 230 <= 5050) but the closing rule at 4810 + 255 + 50 would not.
    auto ops = LayoutReport(m, kPageWidth, kFirstRow + kNormalHeight + 10, FixedHeights);
    QCOMPARE(Only(ops, PageOp::kNewPage).size(), std::size_t(1));
    QCOMPARE(FindText(ops, "Only")->y, 650);
    QCOMPARE(ops.back().y, 650 + kRowStep + 50);
    // With room for the rule the page holds it all.
    ops = LayoutReport(m, kPageWidth, kFirstRow + kRowStep + 50, FixedHeights);
    QVERIFY(Only(ops, PageOp::kNewPage).empty());
    QCOMPARE(FindText(ops, "Only")->y, kFirstRow);
    // A page too short for even one row after the headings still prints every row once.
    ops = LayoutReport(m, kPageWidth, 600, FixedHeights);
    QCOMPARE(Only(ops, PageOp::kNewPage).size(), std::size_t(1));
    QVERIFY(FindText(ops, "Only"));
}

namespace {

bool PopplerPresent() {
    return !QStandardPaths::findExecutable("pdftotext").isEmpty() &&
           !QStandardPaths::findExecutable("pdfinfo").isEmpty();
}

Monitor PdfServer() {
    Monitor m = SampleServer(0);
    m.snapshot.name = "Caf\xE9 Arena";  // Windows-1252 e acute
    SetRow(m, 0, "1", "1", "Ranger", "25");
    SetRow(m, 1, "", "2", "Ghost", "4244897279");
    SetRow(m, 2, "1", "3", " ");
    return m;
}

}  // namespace

void TestReport::pdf_texts_at_their_positions() {
    if (!PopplerPresent()) QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath("report.pdf");
    const Monitor m = PdfServer();
    QVERIFY(PrintReportToPdf(m, pdf));
    QVERIFY(QFile::exists(pdf));
    QCOMPARE(PdfPages(pdf), 1);

    QPdfWriter printer(dir.filePath("unused.pdf"));
    ConfigurePdfWriter(printer);
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Point);
    const QList<PdfWord> words = PdfWords(pdf, 1);
    QVERIFY(!words.isEmpty());

    // Each text's first word must sit where its op says: 1 pt = 20 twips, plus the margins.
    // pdftotext's box starts at the font's ascent line, so allow two points.
    const auto ops =
        LayoutReport(m, PrintableTwips(printer).width(), PrintableTwips(printer).height(),
                     [&printer](const FontSpec& f) { return LineHeightTwips(f, printer); });
    int checked = 0;
    for (const PageOp& op : ops) {
        if (op.kind != PageOp::kText || IsBlank(op.text)) continue;
        const QString first = FromCp1252(op.text).split(' ', Qt::SkipEmptyParts).first();
        const double ex = area.left() + op.x / 20.0;
        const double ey = area.top() + op.y / 20.0;
        bool found = false;
        for (const PdfWord& w : words)
            if (w.text == first && std::abs(w.x - ex) < 2.0 && std::abs(w.y - ey) < 2.0)
                found = true;
        if (!found) qWarning() << "not found at" << ex << ey << first;
        QVERIFY(found);
        ++checked;
    }
    QVERIFY(checked >= 30);
    // The credit ends inside the header band (x = W).
    const double band_right = area.left() + (PrintableTwips(printer).width() - 2000) / 20.0;
    for (const PdfWord& w : words)
        if (w.y < area.top() + 510 / 20.0) QVERIFY2(w.right <= band_right, qPrintable(w.text));
    // The absent player prints "Off" and frags in the signed form; the blank name is gone.
    QStringList all;
    for (const PdfWord& w : words) all << w.text;
    QVERIFY(all.contains("Café"));
    QVERIFY(all.contains("Off"));
    QVERIFY(all.contains("-2"));
    QVERIFY(!all.contains("4244897279"));
    QCOMPARE(all.count("On"), 1);

    // The logo is embedded as a picture of its own 25 x 30 pixels.
    if (!QStandardPaths::findExecutable("pdfimages").isEmpty()) {
        QProcess p;
        p.start("pdfimages", {"-list", pdf});
        QVERIFY(p.waitForFinished(30000));
        const QString list = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(QRegularExpression(R"(\n\s*1\s+\d+\s+\w+\s+25\s+30\s)").match(list).hasMatch(),
                 qPrintable(list));
    }
}

void TestReport::pdf_sixty_four_players_take_two_pages() {
    if (!PopplerPresent()) QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("full.pdf");
    Monitor m = SampleServer(1);
    for (int d = 0; d < 64; ++d)
        SetRow(m, d, "1", std::to_string(d + 1), "Player" + std::to_string(d + 1));
    QVERIFY(PrintReportToPdf(m, pdf));
    QCOMPARE(PdfPages(pdf), 2);
    QStringList first, second;
    for (const PdfWord& w : PdfWords(pdf, 1)) first << w.text;
    for (const PdfWord& w : PdfWords(pdf, 2)) second << w.text;
    // Every player on exactly one page; the second page repeats the headings.
    for (int d = 1; d <= 64; ++d) {
        const QString name = "Player" + QString::number(d);
        QCOMPARE(first.count(name) + second.count(name), 1);
    }
    QVERIFY(first.contains("Player1"));
    QVERIFY(second.contains("Player64"));
    QVERIFY(second.contains("Skin"));
    QVERIFY(second.contains("Frags"));
    QVERIFY(!second.contains("Server:"));
}

void TestReport::print_report_through_dialog() {
    if (!PopplerPresent()) QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("dialog.pdf");
    QStringList events;
    QPdfWriter writer(pdf);
    QPagedPaintDevice* shown_for = nullptr;
    const bool ok = PrintReport(
        PdfServer(), writer,
        [&](QPagedPaintDevice& device) {
            events << "dialog";
            shown_for = &device;
            ConfigurePdfWriter(writer);
            return true;
        },
        [&](bool busy) { events << (busy ? "busy" : "idle"); });
    QVERIFY(ok);
    QVERIFY(shown_for == &writer);
    QCOMPARE(events, QStringList({"dialog", "busy", "idle"}));
    QVERIFY(QFile::exists(pdf));
    QStringList all;
    for (const PdfWord& w : PdfWords(pdf, 1)) all << w.text;
    QVERIFY(all.contains("Ranger"));
    QVERIFY(all.contains("Players:"));
}

void TestReport::cancel_prints_nothing() {
    QTemporaryDir dir;
    const QString pdf = dir.filePath("cancelled.pdf");
    QStringList events;
    QPdfWriter writer(pdf);
    const bool ok = PrintReport(
        PdfServer(), writer,
        [&](QPagedPaintDevice&) {
            events << "dialog";
            return false;
        },
        [&](bool busy) { events << (busy ? "busy" : "idle"); });
    QVERIFY(!ok);
    QCOMPARE(events, QStringList({"dialog"}));  // no hourglass
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestReport::failing_printer_still_restores_pointer() {
    QTemporaryDir dir;
    // A PDF in a folder that does not exist: the device cannot start the document.
    const QString pdf = dir.filePath("missing/folder/report.pdf");
    QStringList events;
    // Only the writer fails to begin: PrintReportToPdf makes the report in memory first.
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QPdfWriter writer(pdf);
    const bool ok = PrintReport(
        PdfServer(), writer, [](QPagedPaintDevice&) { return true; },
        [&](bool busy) { events << (busy ? "busy" : "idle"); });
    QVERIFY(!ok);
    QCOMPARE(events, QStringList({"busy", "idle"}));
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(!PrintReportToPdf(PdfServer(), pdf));
    QVERIFY(!PrintReportToPdf(PdfServer(), QString()));
}

void TestReport::line_heights_on_the_printer() {
    QTemporaryDir dir;
    QPdfWriter printer(dir.filePath("x.pdf"));
    ConfigurePdfWriter(printer);
    const int normal = LineHeightTwips({"Arial", 10, false}, printer);
    const int title = LineHeightTwips({"Arial", 16, true}, printer);
    // Arial (or Liberation Sans) 10 pt is about 11.5 pt tall: 230 twips.
    QVERIFY2(normal >= 200 && normal <= 260, qPrintable(QString::number(normal)));
    QVERIFY2(title > normal * 3 / 2 && title < normal * 2, qPrintable(QString::number(title)));
    const QSize area = PrintableTwips(printer);
    // A4 is 11906 x 16838 twips; the printable area is inside it.
    QVERIFY(area.width() > 9000 && area.width() <= 11906);
    QVERIFY(area.height() > 13000 && area.height() <= 16838);
}

QTEST_MAIN(TestReport)
#include "test_report.moc"
