// The player table (slots kept by name, presence ageing, the sorted view) and the frag graph
// model fed from it.
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
// The names of the first n slots.
std::vector<std::string> Names(const PlayerTable& table, int n) {
    std::vector<std::string> names;
    for (int s = 0; s < n; ++s) names.push_back(table.slot[std::size_t(s)][kName]);
    return names;
}
std::vector<std::string> Ids(const PlayerView& view) {
    std::vector<std::string> ids;
    for (const auto& row : view.rows)
        if (!row[kId].empty()) ids.push_back(row[kId]);
    return ids;
}
}  // namespace

class TestPlayerTable : public QObject {
    Q_OBJECT
  private slots:
    void returning_player_keeps_slot_new_players_fill_upwards() {
        PlayerTable t;
        Commit(t, 0, "a");
        Commit(t, 0, "b");
        Commit(t, 0, "a");
        QCOMPARE(Names(t, 3), (std::vector<std::string>{"a", "b", ""}));
        QCOMPARE(t.countdown[0], std::int16_t(3));
        QCOMPARE(t.slot[0][kPresent], std::string("1"));
    }

    void never_used_slot_is_taken_before_an_absent_one() {
        PlayerTable t;
        Commit(t, 0, "a");
        Commit(t, 0, "b");
        t.slot[0][kPresent].clear();  // "a" has left
        QCOMPARE(FindSlot(t, ServerType::QuakeI, "c"), 2);
    }

    void seventeenth_netquake_player_overwrites_slot_0_when_all_present() {
        PlayerTable t;
        for (int i = 0; i < 16; ++i) Commit(t, 2, "p" + std::to_string(i));
        Commit(t, 2, "newcomer");
        QCOMPARE(t.slot[0][kName], std::string("newcomer"));
        QCOMPARE(t.slot[16][kName], std::string());
    }

    void seventeenth_player_takes_the_first_absent_slot() {
        PlayerTable t;
        for (int i = 0; i < 16; ++i) Commit(t, 0, "p" + std::to_string(i));
        t.slot[5][kPresent] = " ";  // a single blank counts as empty
        Commit(t, 0, "newcomer");
        QCOMPARE(t.slot[5][kName], std::string("newcomer"));
    }

    void quakeworld_uses_64_slots() {
        PlayerTable t;
        for (int i = 0; i < 40; ++i) Commit(t, 1, "p" + std::to_string(i));
        QCOMPARE(t.slot[39][kName], std::string("p39"));
    }

    void presence_ages_out_on_the_fourth_tick_and_all_64_slots_age() {
        PlayerTable t;
        Commit(t, 0, "a");
        for (int tick = 1; tick <= 3; ++tick) {
            AgePresence(t);
            QCOMPARE(t.slot[0][kPresent], std::string("1"));
        }
        AgePresence(t);
        QCOMPARE(t.slot[0][kPresent], std::string());
        QCOMPARE(t.slot[0][kName], std::string("a"));  // the name is kept
        QCOMPARE(t.countdown[0], std::int16_t(3));
        // Never-used slots 16..63 counted down from 0 to -1 and were reset to 3 on the first tick.
        QCOMPARE(t.countdown[63], std::int16_t(3 - 3));
        QCOMPARE(t.slot[63][kName], std::string());
    }

    void renamed_player_gets_a_new_slot() {
        PlayerTable t;
        Commit(t, 0, "old");
        Commit(t, 0, "new");
        QCOMPARE(Names(t, 2), (std::vector<std::string>{"old", "new"}));
    }

    void clear_leaves_countdowns_and_incoming() {
        PlayerTable t;
        PlayerView v;
        Commit(t, 0, "a");
        v.rows[0][kName] = "a";
        ClearPlayerTable(t, v);
        QCOMPARE(t.slot[0][kName], std::string());
        QCOMPARE(v.rows[0][kName], std::string());
        QCOMPARE(t.countdown[0], std::int16_t(3));
        QCOMPARE(t.incoming[kName], std::string("a"));
    }

    void order_by_id_with_and_without_absent_players() {
        PlayerTable t;
        PlayerView v;
        Commit(t, 0, "a");
        Commit(t, 0, "b");
        Commit(t, 0, "c");
        t.slot[1][kPresent].clear();
        BuildPlayerView(t, v, kSortById, 0);
        QCOMPARE(v.rows[0][kName], std::string("a"));
        QCOMPARE(v.rows[1][kName], std::string("c"));
        QCOMPARE(v.rows[1][kId], std::string("2"));  // the row number + 1, not the slot
        QCOMPARE(v.rows[2][kName], std::string());
        QCOMPARE(v.rows[2][kId], std::string());

        BuildPlayerView(t, v, kSortById, 1);
        for (int r = 0; r < 64; ++r) QCOMPARE(v.rows[r][kId], std::to_string(r + 1));
        QCOMPARE(v.rows[1][kName], std::string("b"));
    }

    void order_by_name_ignores_case_and_blank_names() {
        PlayerTable t;
        PlayerView v;
        Commit(t, 1, "bob");
        Commit(t, 1, "Alice");
        Commit(t, 1, "alice");
        Commit(t, 1, "   ");
        Commit(t, 1, "\xFF");
        Commit(t, 1, "\xE9ric");  // éric sorts after the ASCII letters
        BuildPlayerView(t, v, kSortByName, 0);
        QCOMPARE(Ids(v), (std::vector<std::string>{"2", "3", "1", "6"}));
        QCOMPARE(t.slot[1][kOrderMark], std::string("2"));
        QCOMPARE(t.slot[3][kOrderMark], std::string());
    }

    void order_by_frags_descending_ties_keep_lower_slot() {
        PlayerTable t;
        PlayerView v;
        Commit(t, 0, "x", "-2");
        Commit(t, 0, "y", "5");
        Commit(t, 0, "z", "5");
        Commit(t, 0, "w", "-1000");       // never listed
        Commit(t, 0, "n", "4244897280");  // -1 in the log's unsigned form
        BuildPlayerView(t, v, kSortByFrags, 0);
        QCOMPARE(Ids(v), (std::vector<std::string>{"2", "3", "5", "1"}));
    }

    void unknown_sorting_leaves_view_unchanged() {
        PlayerTable t;
        PlayerView v;
        v.rows[0][kName] = "kept";
        Commit(t, 0, "a");
        BuildPlayerView(t, v, 7, 1);
        QCOMPARE(v.rows[0][kName], std::string("kept"));
    }
};

class TestFragGraph : public QObject {
    Q_OBJECT
  private slots:
    void strip_chart_scrolls_newest_into_last_row() {
        FragGraph g;
        g.SetRowCount(3);
        g.SetColumnCount(2);
        SetupGraph(g);
        PlayerTable t;
        for (int poll = 1; poll <= 5; ++poll) {
            t.slot[0][kFrags] = std::to_string(poll);
            t.slot[1][kFrags] = std::to_string(-poll);
            AddGraphSample(g, 0, t);
        }
        QCOMPARE(g.Cell(1, 1), 3.0);
        QCOMPARE(g.Cell(2, 1), 4.0);
        QCOMPARE(g.Cell(3, 1), 5.0);
        QCOMPARE(g.Cell(3, 2), -5.0);
        QCOMPARE(g.CurrentRow(), 3);
        QCOMPARE(g.LegendTexts(), (std::vector<std::string>{"1", "2"}));
    }

    void one_row_is_overwritten_every_poll() {
        FragGraph g;
        g.SetRowCount(1);
        g.SetColumnCount(1);
        SetupGraph(g);
        PlayerTable t;
        t.slot[0][kFrags] = "7";
        AddGraphSample(g, 0, t);
        t.slot[0][kFrags] = "8";
        AddGraphSample(g, 0, t);
        QCOMPARE(g.Cell(1, 1), 8.0);
    }

    void zero_series_writes_nothing_and_series_past_64_are_not_fed() {
        FragGraph g;
        g.SetRowCount(2);
        g.SetColumnCount(0);
        SetupGraph(g);
        PlayerTable t;
        AddGraphSample(g, 0, t);
        QCOMPARE(g.Cell(2, 1), 0.0);
        g.SetColumnCount(100);
        for (auto& slot : t.slot) slot[kFrags] = "9";
        AddGraphSample(g, 0, t);
        QCOMPARE(g.Cell(2, 64), 9.0);
        QCOMPARE(g.Cell(2, 65), 0.0);
    }

    void max_players_rule_sets_series_only_in_that_mode() {
        Monitor m;
        m.graph.SetRowCount(20);
        m.graph.SetColumnCount(16);
        SetMaxPlayers(m, "24");
        QCOMPARE(m.graph.ColumnCount(), 24);
        SetMaxPlayers(m, "");
        SetMaxPlayers(m, "0");
        QCOMPARE(m.graph.ColumnCount(), 24);
        m.options.serie_max_player = 0;
        SetMaxPlayers(m, "8");
        QCOMPARE(m.graph.ColumnCount(), 24);
    }

    void explicit_rows_and_labels_for_replay() {
        FragGraph g;
        g.SetRowCount(4);
        g.SetColumnCount(1);
        SetupGraph(g);
        PlayerTable t;
        t.slot[0][kFrags] = "-5";
        AddGraphSample(g, 2, t);
        g.SetRowLabel(2, "A");
        QCOMPARE(g.Cell(2, 1), -5.0);
        QCOMPARE(g.RowLabel(2), std::string("A"));
        ClearGraph(g);
        QCOMPARE(g.RowCount(), 4);
        QCOMPARE(g.Cell(2, 1), 0.0);
        QCOMPARE(g.RowLabel(2), std::string());
    }
};

int main(int argc, char** argv) {
    int status = 0;
    {
        TestPlayerTable t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestFragGraph t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
#include "test_player_table.moc"
