// The player table (slots kept by name, presence ageing, the ordered view) and the frag graph fed
// from it, with the points a view plots.
#include <QtTest>

#include "core/frag_graph.h"
#include "core/monitor.h"
#include "core/player_table.h"

using namespace morvek;

namespace {
void Commit(PlayerTable& table, int type, const std::string& name, const std::string& frags = "0") {
    StartIncoming(table);
    table.incoming[kName] = name;
    table.incoming[kFrags] = frags;
    CommitIncoming(table, ServerType(type));
}
}  // namespace

class TestPlayerTable : public QObject {
    Q_OBJECT
  private slots:
    // Players p0.. committed in turn, one slot made absent, then the newcomer: its slot.
    void slot_for_a_player_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("players");
        QTest::addColumn<int>("absent");
        QTest::addColumn<QString>("newcomer");
        QTest::addColumn<int>("slot");
        QTest::newRow("returning_player_keeps_its_slot") << 0 << 2 << -1 << "p0" << 0;
        QTest::newRow("new_players_fill_upwards") << 0 << 2 << -1 << "new" << 2;
        QTest::newRow("never_used_slot_before_an_absent_one") << 0 << 2 << 0 << "new" << 2;
        QTest::newRow("seventeenth_takes_the_first_absent") << 0 << 16 << 5 << "new" << 5;
        QTest::newRow("all_16_present_overwrites_slot_0") << 2 << 16 << -1 << "new" << 0;
        QTest::newRow("quakeworld_uses_64_slots") << 1 << 40 << -1 << "new" << 40;
    }
    void slot_for_a_player() {
        QFETCH(int, type);
        QFETCH(int, players);
        QFETCH(int, absent);
        QFETCH(QString, newcomer);
        PlayerTable t;
        for (int i = 0; i < players; ++i) Commit(t, type, "p" + std::to_string(i));
        if (absent >= 0) t.slot[std::size_t(absent)][kPresent] = " ";  // a blank counts as empty
        Commit(t, type, newcomer.toStdString());
        std::vector<int> holding;
        for (int s = 0; s < kPlayerSlots; ++s)
            if (t.slot[std::size_t(s)][kName] == newcomer.toStdString()) holding.push_back(s);
        QFETCH(int, slot);
        QCOMPARE(holding, std::vector<int>{slot});
        QCOMPARE(t.slot[std::size_t(slot)][kPresent], std::string("1"));
    }

    void presence_ages_out_on_the_fourth_tick_and_clear_keeps_countdowns() {
        PlayerTable t;
        Commit(t, 0, "a");
        std::string seen;
        for (int tick = 1; tick <= 4; ++tick) {
            AgePresence(t);
            seen += t.slot[0][kPresent] + t.slot[0][kName] + "|";
        }
        QCOMPARE(seen, std::string("1a|1a|1a|a|"));
        QCOMPARE(t.countdown[0], std::int16_t(3));
        QCOMPARE(t.countdown[63], std::int16_t(0));  // never used: 0, -1 -> 3, then 2, 1, 0
        PlayerView v;
        v.rows[0][kName] = "a";
        ClearPlayerTable(t, v);
        QCOMPARE(t.slot[0][kName] + v.rows[0][kName], std::string());
        QCOMPARE(t.countdown[0], std::int16_t(3));
        QCOMPARE(t.incoming[kName], std::string("a"));
    }

    // "name:frags|..." committed (Quake I), slot 1 made absent when asked; "id:name" of each row.
    void ordered_view_data() {
        QTest::addColumn<int>("sorting");
        QTest::addColumn<int>("keep_absent");
        QTest::addColumn<QByteArray>("players");
        QTest::addColumn<QByteArray>("rows");
        QTest::newRow("by_id_without_absent_ids_are_row_numbers")
            << int(kSortById) << 0 << QByteArray("a:0|-b:0|c:0") << QByteArray("1:a 2:c");
        QTest::newRow("by_id_with_absent")
            << int(kSortById) << 1 << QByteArray("a:0|-b:0|c:0") << QByteArray("1:a 2:b 3:c");
        QTest::newRow("by_name_ignores_case_and_blank_names")
            << int(kSortByName) << 0 << QByteArray("bob:0|Alice:0|alice:0|   :0|\xFF:0|\xE9ric:0")
            << QByteArray("2:Alice 3:alice 1:bob 6:\xE9ric");
        QTest::newRow("by_frags_ties_keep_lower_slot_minus_1000_never_listed")
            << int(kSortByFrags) << 0 << QByteArray("x:-2|y:5|z:5|w:-1000|n:4244897280")
            << QByteArray("2:y 3:z 5:n 1:x");
        QTest::newRow("unknown_sorting_leaves_the_view")
            << 7 << 1 << QByteArray("a:0") << QByteArray("9:kept");
    }
    void ordered_view() {
        QFETCH(int, sorting);
        QFETCH(int, keep_absent);
        QFETCH(QByteArray, players);
        PlayerTable t;
        PlayerView v;
        v.rows[0][kId] = "9";
        v.rows[0][kName] = "kept";
        for (const QByteArray& p : players.split('|')) {
            Commit(t, 0, p.mid(p.startsWith('-')).split(':')[0].toStdString(),
                   p.split(':')[1].toStdString());
            if (p.startsWith('-')) t.slot[1][kPresent].clear();
        }
        BuildPlayerView(t, v, std::uint8_t(sorting), std::int16_t(keep_absent));
        QByteArrayList rows;
        for (const auto& row : v.rows)
            if (!row[kId].empty() && !row[kName].empty())
                rows << QByteArray::fromStdString(row[kId] + ":" + row[kName]);
        QTEST(rows.join(' '), "rows");
    }

    // The newest sample goes into the last row; no series writes nothing; past 64 none is fed.
    void strip_chart_scrolls_newest_into_the_last_row() {
        for (auto [rows, columns] :
             {std::pair(3, 2), std::pair(1, 2), std::pair(1, 0), std::pair(2, 100)}) {
            FragGraph g;
            g.SetRowCount(rows);
            g.SetColumnCount(columns);
            SetupGraph(g);
            PlayerTable t;
            for (int poll = 1; poll <= 5; ++poll) {
                for (int s = 0; s < kPlayerSlots; ++s)
                    t.slot[std::size_t(s)][kFrags] = std::to_string(s % 2 ? -poll : poll);
                AddGraphSample(g, 0, t);
            }
            std::vector<double> cells;
            for (int r = 1; r <= rows; ++r)
                cells.insert(cells.end(),
                             {g.Cell(r, 1), g.Cell(r, 2), g.Cell(r, 64), g.Cell(r, 65)});
            QCOMPARE(cells, (rows == 3 ? std::vector<double>{3, -3, 0, 0, 4, -4, 0, 0, 5, -5, 0, 0}
                             : columns == 2 ? std::vector<double>{5, -5, 0, 0}
                             : columns == 0 ? std::vector<double>{0, 0, 0, 0}
                                            : std::vector<double>{4, -4, -4, 0, 5, -5, -5, 0}));
            QCOMPARE(g.CurrentRow(), rows);
        }
    }

    void max_players_rule_sets_series_only_in_that_mode() {
        Monitor m;
        m.graph.SetRowCount(20);
        m.graph.SetColumnCount(16);
        SetMaxPlayers(m, "24");
        SetMaxPlayers(m, "");
        SetMaxPlayers(m, "0");
        QCOMPARE(m.graph.ColumnCount(), 24);
        m.options.serie_max_player = 0;
        SetMaxPlayers(m, "8");
        QCOMPARE(m.graph.ColumnCount(), 24);
    }

    // Samples cycled over the rows of series 1: "row:value ..." of its line (first four, last
    // two), then the ranges of both axes.
    void plotted_points_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<double>>("samples");
        QTest::addColumn<QString>("picture");
        QTest::newRow("one_row") << 1 << QList<double>{3} << "1:3 | rows 0.5-1.5 | values 0-4";
        QTest::newRow("every_row_of_a_short_graph")
            << 4 << QList<double>{0, 5, -2, 5} << "1:0 2:5 3:-2 4:5 | rows 1-4 | values -4-6";
        QTest::newRow("values_end_on_whole_ticks")
            << 2 << QList<double>{100, 200} << "1:100 2:200 | rows 1-2 | values 0-250";
        QTest::newRow("groups_keep_low_and_high_in_row_order")
            << 250 << QList<double>{7, 1, 4}
            << "1:7 2:1 4:7 5:1 ... 248:1 250:7 | rows 1-250 | values 0-8";
        QTest::newRow("a_group_of_equal_samples_is_one_point")
            << 300 << QList<double>{2}
            << "1:2 4:2 7:2 10:2 ... 295:2 298:2 | rows 1-300 | values 0-3";
    }
    void plotted_points() {
        QFETCH(int, rows);
        QFETCH(QList<double>, samples);
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
        QCOMPARE(plot.lines[1].front(), (GraphPoint{1, 0}));
        QStringList points;
        for (const GraphPoint& p : plot.lines[0])
            points << QString("%1:%2").arg(p.row).arg(p.value);
        QVERIFY(points.size() <= 2 * kMaxGraphBuckets);
        if (points.size() > 8)
            points = points.mid(0, 4) + QStringList{"..."} + points.mid(points.size() - 2);
        QTEST(QString("%1 | rows %2-%3 | values %4-%5")
                  .arg(points.join(' '))
                  .arg(plot.row_min)
                  .arg(plot.row_max)
                  .arg(plot.value_min)
                  .arg(plot.value_max),
              "picture");
    }
};

QTEST_APPLESS_MAIN(TestPlayerTable)
#include "test_player_table.moc"
