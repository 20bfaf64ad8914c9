// The points a view plots: one per row up to kMaxGraphBuckets rows, then the lowest and highest
// sample of each group of rows in row order, and the ranges of both axes.
#include <QtTest>

#include "core/frag_graph.h"

using namespace morvek;

namespace {

// "row:value ..." of the line, then "| rows min-max | values min-max".
QString Picture(const GraphLines& plot, int line) {
    QStringList points;
    for (const GraphPoint& p : plot.lines[std::size_t(line)])
        points << QStringLiteral("%1:%2").arg(p.row).arg(p.value);
    if (points.size() > 8)
        points = points.mid(0, 4) + QStringList{"..."} + points.mid(points.size() - 2);
    return QStringLiteral("%1 | rows %2-%3 | values %4-%5")
        .arg(points.join(' '))
        .arg(plot.row_min)
        .arg(plot.row_max)
        .arg(plot.value_min)
        .arg(plot.value_max);
}

}  // namespace

class TestPlotGraph : public QObject {
    Q_OBJECT
  private slots:
    void plotted_points_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<double>>("samples");  // cycled over the rows of series 1
        QTest::addColumn<QString>("picture");
        QTest::newRow("one row") << 1 << QList<double>{3} << "1:3 | rows 0.5-1.5 | values 0-4";
        QTest::newRow("every row of a short graph")
            << 4 << QList<double>{0, 5, -2, 5} << "1:0 2:5 3:-2 4:5 | rows 1-4 | values -4-6";
        QTest::newRow("nothing scored")
            << 3 << QList<double>{0} << "1:0 2:0 3:0 | rows 1-3 | values 0-2";
        // Ends on whole ticks of 1, 2 or 5 times a power of ten.
        QTest::newRow("large values pad by a twentieth")
            << 2 << QList<double>{100, 200} << "1:100 2:200 | rows 1-2 | values 0-250";
        // 250 rows in groups of 3: the low sample comes first when its row is earlier.
        QTest::newRow("groups keep low and high in row order")
            << 250 << QList<double>{7, 1, 4}
            << "1:7 2:1 4:7 5:1 ... 248:1 250:7 | rows 1-250 | values 0-8";
        QTest::newRow("a group of equal samples is one point")
            << 300 << QList<double>{2}
            << "1:2 4:2 7:2 10:2 ... 295:2 298:2 | rows 1-300 | values 0-3";
    }
    void plotted_points() {
        QFETCH(int, rows);
        QFETCH(QList<double>, samples);
        QFETCH(QString, picture);
        FragGraph graph;
        graph.SetRowCount(rows);
        graph.SetColumnCount(2);
        for (int r = 1; r <= rows; ++r) {
            graph.SetCell(r, 1, samples[(r - 1) % samples.size()]);
            graph.MarkSampled(r);
        }
        GraphLines plot;
        plot.lines.resize(5, {GraphPoint{9, 9}});  // earlier lines are replaced
        PlotGraph(graph, 2, plot);
        QCOMPARE(plot.lines.size(), std::size_t(2));
        QCOMPARE(Picture(plot, 0), picture);
        QVERIFY(plot.lines[0].size() <= std::size_t(2 * kMaxGraphBuckets));
        QCOMPARE(plot.lines[1].front(), (GraphPoint{1, 0}));
    }
};

QTEST_APPLESS_MAIN(TestPlotGraph)
#include "test_plot_graph.moc"
