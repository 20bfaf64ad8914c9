// The chart as a person sees it after a log step and after the value range grows or shrinks by
// orders of magnitude: the replayed frags on the lines (negative counts stored in a log's
// unsigned form included), and the value axis on the range and step of the plotted values.
#include <QDir>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>

#include "core/frag_graph.h"
#include "log/recorder.h"
#include "support/dialogs.h"
#include "ui/graph_view.h"
#include "ui/main_window.h"

using namespace morvek;

class TestGraphRefill : public QObject {
    Q_OBJECT
  private slots:
    void replayed_frags_on_the_line() {
        // Slot 0's Frags field, record by record, as the server sent it.
        const std::vector<std::string> frags = {"7",          "-3",  "4244897280", "4244897001",
                                                "4244897000", "2.5", "-16777215",  ""};
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Éloïse")));
        const QString log = dir.filePath(QStringLiteral("Éloïse/match.mv"));
        Monitor m;
        m.server_type = ServerType::QuakeWorld;
        m.snapshot.max_players = "2";
        for (const std::string& f : frags) {
            m.table.slot[0] = {"1", "abc", "4", "13", "skin", "7", f, "50", ""};
            QVERIFY(AppendLogRecord(log, HeaderFromMonitor(m), RecordFromMonitor(m, 12, 0)));
        }
        testing::Dialogs dialogs;
        frmMain window(&dialogs, nullptr);
        QVERIFY(window.Form_Load());
        window.show();
        dialogs.files = {log.toStdString()};
        window.mnuOpen->trigger();
        QTest::mouseClick(window.cmdPlayer[3], Qt::LeftButton);  // ">"
        QCOMPARE(window.lblPosizione->text(), QStringLiteral("2"));
        QCOMPARE(window.monitor().log_path, log);
        // The graph's 20 rows cut to the log's 8; halves go to even, the unsigned form of a
        // negative count reads as that count.
        const QList<QPointF> line = {{1, 7},          {2, -3}, {3, -1},        {4, -280},
                                     {5, 4244897000}, {6, 2},  {7, -16777215}, {8, 0}};
        QCOMPARE(window.chtGrafico->Series(0)->points(), line);
        QCOMPARE(window.chtGrafico->MarkerLine()->points(), QList<QPointF>({{2, -1e9}, {2, 5e9}}));
    }

    void value_axis_after_ranges_that_grow_and_shrink() {
        FragGraph graph;
        graph.SetRowCount(1);
        graph.SetColumnCount(1);
        SetupGraph(graph);
        GraphView view;
        view.resize(400, 200);
        view.show();
        QStringList axes;
        for (double frags : {2.0, 500.0, 2.0, -400.0, 2.0, 4000.0, 3000.0}) {
            graph.SetCell(1, 1, frags);
            graph.MarkSampled(1);
            view.Refresh(graph);
            const QValueAxis* y = view.ValueAxis();
            axes << QStringLiteral("%1..%2/%3").arg(y->min()).arg(y->max()).arg(y->tickInterval());
        }
        QCOMPARE(axes, QStringList({"0..3/1", "0..600/100", "0..3/1", "-500..100/100", "0..3/1",
                                    "0..5000/1000", "0..4000/1000"}));
    }
};

QTEST_MAIN(TestGraphRefill)
#include "test_graph_refill.moc"
