// The printed report: the page operations for known line heights, and a real PDF read back.
#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "print/painter.h"
#include "print/report.h"

using namespace morvek;
using namespace morvek::print;

namespace {

// Distinct heights (title 370, bold 240, regular 230 twips): a wrong font moves what follows.
int FixedHeights(const FontSpec& f) {
    return f.point_size == 16 ? 370 : f.bold ? 240 : 230;
}
constexpr int kPageWidth = 11000, kFirstRow = 4810, kRowStep = 255;

Monitor Server(int type) {
    Monitor m;
    m.server_type = ServerType(type);
    m.snapshot = {"Frag Palace", "", "e1m1", "10.0.0.7", "26000", "", "3", "16", "Quake I"};
    return m;
}

void SetRow(Monitor& m, int d, const std::string& present, const std::string& id,
            const std::string& name, const std::string& frags = "0") {
    m.view.rows[d] = {present, name, "", "", "192.168.0." + id, "1" + id, frags, "2700" + id, id};
}

// The page as one line per op: lines, the picture and page breaks by their corners; texts by
// position, with * for bold and + for the title font.
QStringList Listing(const std::vector<PageOp>& ops) {
    QStringList out;
    for (const PageOp& op : ops) {
        const char* font = op.font.point_size == 16 ? "+" : op.font.bold ? "*" : "";
        if (op.kind == PageOp::kText)
            out << QString::asprintf("%d %d %s", op.x, op.y, font) +
                       QString::fromStdString(op.text);
        else if (op.kind == PageOp::kNewPage)
            out << QString::asprintf("N %d %d", op.x, op.y);
        else
            out << QString::asprintf("%c %d %d %d %d", "LP"[op.kind - 1], op.x, op.y, op.x2, op.y2);
    }
    return out;
}

QStringList Layout(const Monitor& m, int height = 0, int width = kPageWidth) {
    return Listing(LayoutReport(m, width, height, FixedHeights));
}

// The words a poppler-utils tool prints.
QStringList Poppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput())
        .split(QRegularExpression(R"(\s+)"), Qt::SkipEmptyParts);
}

}  // namespace

class TestReport : public QObject {
    Q_OBJECT

  private slots:
    void a_page_in_twips() {
        // Rows: a single blank name is left out even though present, an absent player is kept
        // and shows "Off", only "" and " " are skipped, anything but "1" is "Off". Frags in the
        // log's unsigned form print signed; the limit itself and other texts print as stored.
        Monitor m = Server(0);
        SetRow(m, 0, "1", "1", "Alpha", "12");
        SetRow(m, 1, "1", "2", " ");
        SetRow(m, 2, "", "3", "Gone", "4244897001");
        SetRow(m, 3, "1", "4", "");
        SetRow(m, 4, "1", "5", "  two blanks", "4244897000");
        SetRow(m, 5, "0", "6", "Zero", "12abc");
        const QString title = QString::asprintf("435 35 +Graph %d.%d.%d", MORVEK_VERSION_MAJOR,
                                                MORVEK_VERSION_MINOR, MORVEK_VERSION_PATCH);
        QCOMPARE(Layout(m).join('|'),
                 // The header band: its rectangle (top, right, bottom, left), logo, title, credit.
                 "L 0 0 9000 0|L 9000 0 9000 510|L 0 510 9000 510|L 0 510 0 0|P 10 10 385 460|" +
                     title +
                     "|6350 10 (c) The Morvek developers|L 0 1510 9000 1510|0 1360 *Server: |"
                     // The server block: bold labels, regular values, 50 between lines.
                     "500 1850 *Name:|2000 1850 Frag Palace|4500 1850 *Net Address:|"
                     "6000 1850 10.0.0.7|500 2130 *Net Port:|2000 2130 26000|4500 2130 *Map:|"
                     "6000 2130 e1m1|500 2410 *Max Players:|2000 2410 16|4500 2410 *Curr. Players:|"
                     "6000 2410 3|500 2690 *Type:|2000 2690 Quake I|L 0 3920 9000 3920|"
                     "0 3920 *Players: |500 4410 *S|1000 4410 *ID|2000 4410 *Name|"
                     "4000 4410 *NetAddress|6500 4410 *Port|7800 4410 *Time|8800 4410 *Frags|"
                     "L 500 4660 9000 4660|"
                     // The rows, 255 apart, and the closing rule 50 below the last.
                     "500 4810 On|1000 4810 1|2000 4810 Alpha|4000 4810 192.168.0.1|"
                     "6500 4810 27001|7800 4810 11|8800 4810 12|"
                     "500 5065 Off|1000 5065 3|2000 5065 Gone|4000 5065 192.168.0.3|"
                     "6500 5065 27003|7800 5065 13|8800 5065 -280|"
                     "500 5320 On|1000 5320 5|2000 5320   two blanks|4000 5320 192.168.0.5|"
                     "6500 5320 27005|7800 5320 15|8800 5320 4244897000|"
                     "500 5575 Off|1000 5575 6|2000 5575 Zero|4000 5575 192.168.0.6|"
                     "6500 5575 27006|7800 5575 16|8800 5575 12abc|L 500 5880 9000 5880");
        // No players: the closing rule 200 below the heading rule.
        const QStringList empty = Layout(Server(0), 15000);
        QCOMPARE(empty.mid(empty.size() - 2),
                 QStringList({"L 500 4660 9000 4660", "L 500 4860 9000 4860"}));
        QCOMPARE(Layout(Server(4)), Layout(Server(0)));  // an unknown type: NetQuake headings
    }

    void rows_that_do_not_fit_continue_on_a_new_page() {
        Monitor m = Server(3);
        for (int d = 0; d < 64; ++d) SetRow(m, d, "1", std::to_string(d), "P" + std::to_string(d));
        const QStringList ops = Layout(m, 15000);
        // Rows whose line ends within the page stay on page 1: y + 230 <= 15000, so 40 rows.
        const qsizetype page_break = ops.indexOf("N 0 0");
        QCOMPARE(ops.count("N 0 0"), 1);
        QCOMPARE(ops[page_break - 1], QString("8800 %1 0").arg(kFirstRow + 39 * kRowStep));
        // Page 2 repeats the headings at 250 from the top, the heading rule, then the rows.
        QCOMPARE(ops.mid(page_break + 1, 10),
                 QStringList({"500 250 *S", "1000 250 *ID", "2000 250 *Name", "4000 250 *Skin",
                              "6500 250 *Ping", "7800 250 *Time", "8800 250 *Frags",
                              "L 500 500 9000 500", "500 650 On", "1000 650 40"}));
        QCOMPARE(ops.last(), QString("L 500 6820 9000 6820"));  // 650 + 24 rows + 50
    }

    void the_last_row_moves_when_the_closing_rule_does_not_fit() {
        Monitor m = Server(0);
        SetRow(m, 0, "1", "1", "Only");
        // The row fits (4810 + 230 <= 5050) but the closing rule would not; with room for the
        // rule the page holds it all; a page too short for even one row after the headings
        // still prints every row once.
        for (auto [height, breaks, y] :
             {std::tuple(5050, 1, 650), std::tuple(5115, 0, kFirstRow), std::tuple(600, 1, 650)}) {
            const QStringList ops = Layout(m, height);
            QCOMPARE(ops.count("N 0 0"), breaks);
            QCOMPARE(ops.filter(" Only").value(0), QString("2000 %1 Only").arg(y));
            QCOMPARE(ops.last(), QString("L 500 %1 9000 %1").arg(y + kRowStep + 50));
        }
    }

    // Cancelled: nothing printed and no hourglass; a printer that cannot start the document still
    // takes the hourglass back. Printed: the PDF read back.
    void print_dialog_answers_data() {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("events");
        QTest::newRow("ok") << true << "report.pdf"
                            << "dialog busy idle printed file";
        QTest::newRow("cancel") << false << "report.pdf"
                                << "dialog -";
        QTest::newRow("failing printer") << true << "missing/report.pdf"
                                         << "dialog busy idle -";
    }
    void print_dialog_answers() {
        QFETCH(bool, answer);
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(file);
        if (file.contains('/'))
            QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        QPdfWriter writer(pdf);
        Monitor m = Server(0);
        m.options.readable_names = false;
        m.snapshot.name = "Caf\xE9 Arena";  // Windows-1252 e acute
        for (int d = 0; d < 64; ++d) SetRow(m, d, "1", std::to_string(d), "P" + std::to_string(d));
        SetRow(m, 1, "", "1", "Ghost", "4244897279");
        SetRow(m, 2, "1", "2", " ");
        QStringList seen;
        const bool ok = PrintReport(
            m, writer,
            [&](QPagedPaintDevice& device) {
                seen << (&device == &writer ? "dialog" : "another device");
                ConfigurePdfWriter(writer);
                return answer;
            },
            [&](bool busy) { seen << (busy ? "busy" : "idle"); });
        seen << (ok ? "printed" : "-");
        if (!QDir(dir.path()).isEmpty()) seen << "file";
        QTEST(seen.join(' '), "events");
        if (!ok || QStandardPaths::findExecutable("pdftotext").isEmpty()) return;
        const QStringList info = Poppler("pdfinfo", {pdf}),
                          first = Poppler("pdftotext", {"-l", "1", pdf, "-"}),
                          second = Poppler("pdftotext", {"-f", "2", pdf, "-"}),
                          images = Poppler("pdfimages", {"-list", pdf});
        QCOMPARE(info.value(info.indexOf("Pages:") + 1), QString("2"));
        // The absent player prints "Off" and frags signed; the blank name is left out.
        QVERIFY(first.contains("Caf\u00e9") && first.contains("Off") && first.contains("-2"));
        QVERIFY(!first.contains("4244897279") && second.contains("P63") &&
                !second.contains("Server:"));
        QCOMPARE(first.count("On") + second.count("On"), 62);
        // The logo is embedded as a picture of its own 25 x 30 pixels.
        const qsizetype row = images.indexOf(QRegularExpression("^-+$")) + 1;
        QCOMPARE(images.mid(row, 5).join(' '), QString("1 0 image 25 30"));
    }
};

QTEST_MAIN(TestReport)
#include "test_report.moc"
