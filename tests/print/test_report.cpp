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

Monitor Server(int type = 0) {
    Monitor m;
    m.server_type = ServerType(type);
    m.snapshot = {"Frag Palace", "", "e1m1", "10.0.0.7", "26000", "", "3", "16", "Quake I"};
    return m;
}

void SetRow(Monitor& m, int d, const std::string& present, const std::string& id,
            const std::string& name, const std::string& frags = "0") {
    m.view.rows[d] = {present, name, "", "", "192.168.0." + id, "1" + id, frags, "2700" + id, id};
}

// One line per op: L, P, N by their corners; texts by position (* bold, + title font).
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

QStringList Layout(const Monitor& m, int height = 0) {
    return Listing(LayoutReport(m, 11000, height, FixedHeights));
}

// The words of each page of a PDF as pdftotext reads them (each page ends with a form feed).
QList<QStringList> PdfPages(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {pdf, "-"});
    p.waitForFinished(30000);
    QList<QStringList> pages;
    for (const QString& page : QString::fromUtf8(p.readAllStandardOutput()).split('\f'))
        pages << page.split(QRegularExpression(R"(\s+)"), Qt::SkipEmptyParts);
    return pages;
}

}  // namespace

class TestReport : public QObject {
    Q_OBJECT

  private slots:
    void a_page_in_twips() {
        // Names "" and " " skipped, others kept; anything but "1" is "Off"; frags in the log's
        // unsigned form print signed, the limit itself and other texts as stored.
        Monitor m = Server();
        SetRow(m, 0, "1", "1", "Alpha", "12");
        SetRow(m, 1, "1", "2", " ");
        SetRow(m, 2, "", "3", "Gone", "4244897001");
        SetRow(m, 3, "1", "4", "");
        SetRow(m, 4, "1", "5", "  two blanks", "4244897000");
        SetRow(m, 5, "0", "6", "Zero", "12abc");
        const QString title = QString::asprintf("435 35 +Graph %d.%d.%d", MORVEK_VERSION_MAJOR,
                                                MORVEK_VERSION_MINOR, MORVEK_VERSION_PATCH);
        QCOMPARE(Layout(Server(4)), Layout(Server()));  // an unknown type: NetQuake headings
        QCOMPARE(Layout(m).join('|'),
                 "L 0 0 9000 0|L 9000 0 9000 510|L 0 510 9000 510|L 0 510 0 0|P 10 10 385 460|" +
                     title +
                     "|6350 10 (c) The Morvek developers|L 0 1510 9000 1510|0 1360 *Server: |"
                     "500 1850 *Name:|2000 1850 Frag Palace|4500 1850 *Net Address:|"
                     "6000 1850 10.0.0.7|500 2130 *Net Port:|2000 2130 26000|4500 2130 *Map:|"
                     "6000 2130 e1m1|500 2410 *Max Players:|2000 2410 16|4500 2410 *Curr. Players:|"
                     "6000 2410 3|500 2690 *Type:|2000 2690 Quake I|L 0 3920 9000 3920|"
                     "0 3920 *Players: |500 4410 *S|1000 4410 *ID|2000 4410 *Name|"
                     "4000 4410 *NetAddress|6500 4410 *Port|7800 4410 *Time|8800 4410 *Frags|"
                     "L 500 4660 9000 4660|"
                     "500 4810 On|1000 4810 1|2000 4810 Alpha|4000 4810 192.168.0.1|"
                     "6500 4810 27001|7800 4810 11|8800 4810 12|"
                     "500 5065 Off|1000 5065 3|2000 5065 Gone|4000 5065 192.168.0.3|"
                     "6500 5065 27003|7800 5065 13|8800 5065 -280|"
                     "500 5320 On|1000 5320 5|2000 5320   two blanks|4000 5320 192.168.0.5|"
                     "6500 5320 27005|7800 5320 15|8800 5320 4244897000|"
                     "500 5575 Off|1000 5575 6|2000 5575 Zero|4000 5575 192.168.0.6|"
                     "6500 5575 27006|7800 5575 16|8800 5575 12abc|L 500 5880 9000 5880");
    }

    void the_last_row_moves_when_the_closing_rule_does_not_fit() {
        Monitor m = Server();
        SetRow(m, 0, "1", "1", "Only");
        // The row fits (4810 + 230 <= 5050), the rule does not; both fit; a page too short prints.
        for (auto [height, breaks, y] :
             {std::tuple(5050, 1, 650), std::tuple(5115, 0, 4810), std::tuple(600, 1, 650)}) {
            const QStringList ops = Layout(m, height);
            QCOMPARE(ops.count("N 0 0"), breaks);
            QCOMPARE(ops.filter(" Only").value(0), QString("2000 %1 Only").arg(y));
            QCOMPARE(ops.last(), QString("L 500 %1 9000 %1").arg(y + 255 + 50));
        }
    }

    // Cancelled: no hourglass, no file; a failing printer takes the hourglass back; PDF read back.
    void print_dialog_answers_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("events");
        for (const char* row :
             {"ok|report.pdf|dialog busy idle printed file", "cancel|report.pdf|dialog -",
              "failing printer|missing/report.pdf|dialog busy idle -"})
            QTest::addRow("%s", qPrintable(QString(row).section('|', 0, 0)))
                << QString(row).section('|', 1, 1) << QString(row).section('|', 2);
    }
    void print_dialog_answers() {
        QFETCH(QString, file);
        const bool answer = QTest::currentDataTag() != QByteArray("cancel");
        QTemporaryDir dir;
        const QString pdf = dir.filePath(file);
        if (file.contains('/'))
            QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        QPdfWriter writer(pdf);
        Monitor m = Server(1);  // QuakeWorld: skin and ping columns
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
        const QList<QStringList> pages = PdfPages(pdf);
        QCOMPARE(pages.size(), 3);  // two pages
        // "Off", frags signed, no blank name; page 2 repeats the headings, not the server block.
        QVERIFY(pages[0].contains("Caf\u00e9") && pages[0].contains("Off") &&
                pages[0].contains("-2"));
        QVERIFY(!pages[0].contains("4244897279") && pages[1].contains("P63") &&
                pages[1].contains("Skin") && !pages[1].contains("Server:"));
        QCOMPARE(pages[0].count("On") + pages[1].count("On"), 62);
    }
};

QTEST_MAIN(TestReport)
#include "test_report.moc"
