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
// line 4 at 2690; B = 2690 + 230 + 1000; the headings at B + 240 + 250.
constexpr int kH = 4410;
constexpr int kHeadingRule = kH + 250;         // 4660
constexpr int kFirstRow = kHeadingRule + 150;  // 4810
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

int Count(const std::vector<PageOp>& ops, PageOp::Kind kind) {
    return int(std::count_if(ops.begin(), ops.end(),
                             [kind](const PageOp& op) { return op.kind == kind; }));
}

// The page as one line per op: lines, the picture and page breaks by their corners; texts by
// position, with * for bold and + for the title font.
QStringList Listing(const std::vector<PageOp>& ops) {
    QStringList out;
    for (const PageOp& op : ops) {
        const QString at = QString::asprintf("%d %d", op.x, op.y);
        const QString to = QString::asprintf(" %d %d", op.x2, op.y2);
        if (op.kind == PageOp::kText)
            out << at +
                       (op.font.point_size == 16 ? " +"
                        : op.font.bold           ? " *"
                                                 : " ") +
                       QString::fromStdString(op.text);
        else
            out << QString("LPN"[op.kind - 1]) + " " + at + (op.kind == PageOp::kNewPage ? "" : to);
    }
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
    void a_page_in_twips();
    void an_empty_server_closes_200_below_the_heading_rule();
    void an_odd_width_lands_on_the_nearest_twip();
    void headings_per_server_type_data();
    void headings_per_server_type();
    void frags_in_unsigned_form_print_signed();
    void sixty_four_players_on_an_endless_page();
    void rows_that_do_not_fit_continue_on_a_new_page();
    void the_last_row_moves_when_the_closing_rule_does_not_fit();
    void pdf_texts_at_their_positions();
    void pdf_sixty_four_players_take_two_pages();
    void print_dialog_answers_data();
    void print_dialog_answers();
    void line_heights_on_the_printer();
};

void TestReport::a_page_in_twips() {
    // Rows: a single blank name is left out even though present, an absent player is kept and
    // shows "Off", only "" and " " are skipped, anything but "1" is "Off".
    Monitor m = SampleServer(0);
    SetRow(m, 0, "1", "1", "Alpha", "12");
    SetRow(m, 1, "1", "2", " ");
    SetRow(m, 2, "", "3", "Gone", "7");
    SetRow(m, 3, "1", "4", "");
    SetRow(m, 4, "1", "5", "  two blanks");
    SetRow(m, 5, "0", "6", "Zero");
    const QString title = QString::asprintf("435 35 +Graph %d.%d.%d", MORVEK_VERSION_MAJOR,
                                            MORVEK_VERSION_MINOR, MORVEK_VERSION_PATCH);
    QCOMPARE(Listing(LayoutReport(m, kPageWidth, 0, FixedHeights)).join('|'),
             // The header band: its rectangle (top, right, bottom, left), logo, title, credit.
             "L 0 0 9000 0|L 9000 0 9000 510|L 0 510 9000 510|L 0 510 0 0|P 10 10 385 460|" +
                 title +
                 "|6350 10 (c) The Morvek developers|L 0 1510 9000 1510|0 1360 *Server: |"
                 // The server block: bold labels, regular values, 50 between lines.
                 "500 1850 *Name:|2000 1850 Frag Palace|4500 1850 *Net Address:|6000 1850 10.0.0.7|"
                 "500 2130 *Net Port:|2000 2130 26000|4500 2130 *Map:|6000 2130 e1m1|"
                 "500 2410 *Max Players:|2000 2410 16|4500 2410 *Curr. Players:|6000 2410 3|"
                 "500 2690 *Type:|2000 2690 Quake I|L 0 3920 9000 3920|0 3920 *Players: |"
                 "500 4410 *S|1000 4410 *ID|2000 4410 *Name|4000 4410 *NetAddress|6500 4410 *Port|"
                 "7800 4410 *Time|8800 4410 *Frags|L 500 4660 9000 4660|"
                 // The rows, 255 apart, and the closing rule 50 below the last.
                 "500 4810 On|1000 4810 1|2000 4810 Alpha|4000 4810 192.168.0.1|6500 4810 27001|"
                 "7800 4810 11|8800 4810 12|"
                 "500 5065 Off|1000 5065 3|2000 5065 Gone|4000 5065 192.168.0.3|6500 5065 27003|"
                 "7800 5065 13|8800 5065 7|"
                 "500 5320 On|1000 5320 5|2000 5320   two blanks|4000 5320 192.168.0.5|"
                 "6500 5320 27005|7800 5320 15|8800 5320 0|"
                 "500 5575 Off|1000 5575 6|2000 5575 Zero|4000 5575 192.168.0.6|6500 5575 27006|"
                 "7800 5575 16|8800 5575 0|L 500 5880 9000 5880");
}

void TestReport::an_empty_server_closes_200_below_the_heading_rule() {
    const auto ops = LayoutReport(SampleServer(0), kPageWidth, 15000, FixedHeights);
    QCOMPARE(Count(ops, PageOp::kNewPage), 0);
    QCOMPARE(Listing(ops).mid(Listing(ops).size() - 2),
             QStringList(
                 {QString::asprintf("L 500 %d 9000 %d", kHeadingRule, kHeadingRule),
                  QString::asprintf("L 500 %d 9000 %d", kHeadingRule + 200, kHeadingRule + 200)}));
}

void TestReport::an_odd_width_lands_on_the_nearest_twip() {
    // W = 9001: W / 2 = 4500.5 is not made whole in the formula; on the page it lands on the
    // nearest twip.
    const auto ops = LayoutReport(SampleServer(0), kPageWidth + 1, 0, FixedHeights);
    const int mid = FindText(ops, "Map:")->x;
    QVERIFY(mid == 4500 || mid == 4501);
    QCOMPARE(FindText(ops, "e1m1")->x, mid + 1500);
    QVERIFY(HasLine(ops, 0, 0, kW + 1, 0));
}

void TestReport::headings_per_server_type_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("headings");
    const QString netquake =
        "500=S 1000=ID 2000=Name 4000=NetAddress 6500=Port 7800=Time 8800=Frags";
    const QString skin = "500=S 1000=ID 2000=Name 4000=Skin 6500=Ping 7800=Time 8800=Frags";
    QTest::newRow("quake") << 0 << netquake;
    QTest::newRow("quakeworld") << 1 << skin;
    QTest::newRow("hexen2") << 2 << netquake;
    QTest::newRow("quake2") << 3 << skin;
    QTest::newRow("unknown") << 4 << netquake;
}

void TestReport::headings_per_server_type() {
    QFETCH(int, type);
    QFETCH(QString, headings);
    const auto ops = LayoutReport(SampleServer(type), kPageWidth, 0, FixedHeights);
    QCOMPARE(TextsAt(ops, kH).join(' '), headings);
    QVERIFY(FindText(ops, "Frags")->font.bold);
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
    QCOMPARE(Count(ops, PageOp::kNewPage), 0);
    for (int d = 0; d < 64; ++d) {
        const int y = kFirstRow + d * kRowStep;
        const QString id = QString::number(d);
        QCOMPARE(TextsAt(ops, y).mid(0, 3),
                 QStringList({d % 2 ? "500=On" : "500=Off", "1000=" + id, "2000=P" + id}));
        QCOMPARE(TextsAt(ops, y).size(), 7);
    }
    QCOMPARE(ops.back().y, kFirstRow + 64 * kRowStep + 50);
}

void TestReport::rows_that_do_not_fit_continue_on_a_new_page() {
    Monitor m = SampleServer(3);
    for (int d = 0; d < 64; ++d) SetRow(m, d, "1", std::to_string(d), "P" + std::to_string(d));
    constexpr int kPageHeight = 15000;
    const auto ops = LayoutReport(m, kPageWidth, kPageHeight, FixedHeights);
    QCOMPARE(Count(ops, PageOp::kNewPage), 1);
    const auto page_break = std::find_if(
        ops.begin(), ops.end(), [](const PageOp& op) { return op.kind == PageOp::kNewPage; });
    // Rows whose line ends within the page stay on page 1: y + 230 <= 15000.
    const int on_first = (kPageHeight - kNormalHeight - kFirstRow) / kRowStep + 1;  // 40
    for (auto op = ops.begin(); op != page_break; ++op)
        if (op->kind == PageOp::kText) QVERIFY(op->y + kNormalHeight <= kPageHeight);
    QVERIFY(FindText(ops, "P" + std::to_string(on_first - 1)) < &*page_break);
    // Page 2 repeats the headings at 250 from the top, the heading rule, then the rows.
    const std::vector<PageOp> second(page_break + 1, ops.end());
    QCOMPARE(TextsAt(second, 250).join(' '),
             QString("500=S 1000=ID 2000=Name 4000=Skin 6500=Ping 7800=Time 8800=Frags"));
    QVERIFY(HasLine(second, 500, 500, kW, 500));
    for (int d = on_first; d < 64; ++d)
        QCOMPARE(FindText(second, "P" + std::to_string(d))->y, 650 + (d - on_first) * kRowStep);
    QCOMPARE(Listing(second).back(),
             QString::asprintf("L 500 %d 9000 %d", 650 + (64 - on_first) * kRowStep + 50,
                               650 + (64 - on_first) * kRowStep + 50));
}

void TestReport::the_last_row_moves_when_the_closing_rule_does_not_fit() {
    Monitor m = SampleServer(0);
    SetRow(m, 0, "1", "1", "Only");
    // The row fits (4810 + 230 <= 5050) but the closing rule at 4810 + 255 + 50 would not; with
    // room for the rule the page holds it all; a page too short for even one row after the
    // headings still prints every row once.
    for (auto [height, pages, y] :
         {std::tuple(kFirstRow + kNormalHeight + 10, 1, 650),
          std::tuple(kFirstRow + kRowStep + 50, 0, kFirstRow), std::tuple(600, 1, 650)}) {
        const auto ops = LayoutReport(m, kPageWidth, height, FixedHeights);
        QCOMPARE(Count(ops, PageOp::kNewPage), pages);
        QCOMPARE(FindText(ops, "Only")->y, y);
        QCOMPARE(ops.back().y, y + kRowStep + 50);
    }
}

namespace {

bool PopplerPresent() {
    return !QStandardPaths::findExecutable("pdftotext").isEmpty() &&
           !QStandardPaths::findExecutable("pdfinfo").isEmpty();
}

Monitor PdfServer() {
    Monitor m = SampleServer(0);
    m.options.readable_names = false;
    m.snapshot.name = "Caf\xE9 Arena";  // Windows-1252 e acute
    SetRow(m, 0, "1", "1", "Ranger", "25");
    SetRow(m, 1, "", "2", "Ghost", "4244897279");
    SetRow(m, 2, "1", "3", " ");
    return m;
}

QStringList PdfTexts(const QString& pdf, int page) {
    QStringList all;
    for (const PdfWord& w : PdfWords(pdf, page)) all << w.text;
    return all;
}

}  // namespace

void TestReport::pdf_texts_at_their_positions() {
    if (!PopplerPresent()) QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("report.pdf");
    const Monitor m = PdfServer();
    QVERIFY(PrintReportToPdf(m, pdf));
    QCOMPARE(PdfPages(pdf), 1);

    QPdfWriter printer(dir.filePath("unused.pdf"));
    ConfigurePdfWriter(printer);
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Point);
    const QList<PdfWord> words = PdfWords(pdf, 1);
    // Each text's first word must sit where its op says: 1 pt = 20 twips, plus the margins.
    // pdftotext's box starts at the font's ascent line, so allow two points.
    const auto ops =
        LayoutReport(m, PrintableTwips(printer).width(), PrintableTwips(printer).height(),
                     [&printer](const FontSpec& f) { return LineHeightTwips(f, printer); });
    int checked = 0;
    for (const PageOp& op : ops) {
        if (op.kind != PageOp::kText || IsBlank(op.text)) continue;
        const QString first = FromCp1252(op.text).split(' ', Qt::SkipEmptyParts).first();
        const double ex = area.left() + op.x / 20.0, ey = area.top() + op.y / 20.0;
        QVERIFY2(std::any_of(words.begin(), words.end(),
                             [&](const PdfWord& w) {
                                 return w.text == first && std::abs(w.x - ex) < 2.0 &&
                                        std::abs(w.y - ey) < 2.0;
                             }),
                 qPrintable(first));
        ++checked;
    }
    QVERIFY(checked >= 30);
    // The credit ends inside the header band (x = W).
    const double band_right = area.left() + (PrintableTwips(printer).width() - 2000) / 20.0;
    for (const PdfWord& w : words)
        if (w.y < area.top() + 510 / 20.0) QVERIFY2(w.right <= band_right, qPrintable(w.text));
    // The absent player prints "Off" and frags in the signed form; the blank name is gone.
    const QStringList all = PdfTexts(pdf, 1);
    QVERIFY(all.contains("Café") && all.contains("Off") && all.contains("-2"));
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
    const QStringList first = PdfTexts(pdf, 1), second = PdfTexts(pdf, 2);
    // Every player on exactly one page; the second page repeats the headings.
    for (int d = 1; d <= 64; ++d) {
        const QString name = "Player" + QString::number(d);
        QCOMPARE(first.count(name) + second.count(name), 1);
    }
    QVERIFY(first.contains("Player1") && second.contains("Player64"));
    QVERIFY(second.contains("Skin") && second.contains("Frags") && !second.contains("Server:"));
}

void TestReport::print_dialog_answers_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("printed");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("ok") << true << "" << true << QStringList({"dialog", "busy", "idle"});
    QTest::newRow("cancel: no hourglass, no file")
        << false << "" << false << QStringList({"dialog"});
    // A PDF in a folder that does not exist: the device cannot start the document, and the
    // hourglass is still taken back.
    QTest::newRow("failing printer")
        << true << "missing/folder/" << false << QStringList({"dialog", "busy", "idle"});
}

void TestReport::print_dialog_answers() {
    QFETCH(bool, answer);
    QFETCH(QString, folder);
    QFETCH(bool, printed);
    QFETCH(QStringList, events);
    if (printed && !PopplerPresent()) QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(folder + "report.pdf");
    QStringList seen;
    if (!folder.isEmpty()) QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QPdfWriter writer(pdf);
    QPagedPaintDevice* shown_for = nullptr;
    const bool ok = PrintReport(
        PdfServer(), writer,
        [&](QPagedPaintDevice& device) {
            seen << "dialog";
            shown_for = &device;
            ConfigurePdfWriter(writer);
            return answer;
        },
        [&](bool busy) { seen << (busy ? "busy" : "idle"); });
    QCOMPARE(ok, printed);
    QVERIFY(shown_for == &writer);
    QCOMPARE(seen, events);
    QCOMPARE(QFile::exists(pdf), printed);
    if (printed) QVERIFY(PdfTexts(pdf, 1).contains("Ranger"));
    if (!answer) QVERIFY(QDir(dir.path()).isEmpty());
    if (!folder.isEmpty()) {
        // Only the writer fails to begin: PrintReportToPdf makes the report in memory first.
        QVERIFY(!PrintReportToPdf(PdfServer(), pdf));
        QVERIFY(!PrintReportToPdf(PdfServer(), QString()));
    }
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
    // A4 is 11906 x 16838 twips; the printable area is inside it.
    const QSize area = PrintableTwips(printer);
    QVERIFY(area.width() > 9000 && area.width() <= 11906);
    QVERIFY(area.height() > 13000 && area.height() <= 16838);
}

QTEST_MAIN(TestReport)
#include "test_report.moc"
