// The frag graph as data: a grid of rows (one per poll) by columns (one per player slot), with a
// current row and column, row labels, legend texts and the legend switch. The window draws it;
// the poll tick and the log player write it through SetupGraph and AddGraphSample.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/player_table.h"

namespace morvek {

// The most rows the setup dialog accepts (GraphRows is a 16-bit count).
inline constexpr int kMaxGraphRows = 32767;

class FragGraph {
  public:
    FragGraph();

    // Rows and columns are numbered from 1. Changing the row count discards every cell. Rows are
    // kept within 0 to kMaxGraphRows and columns within 0 to kPlayerSlots (64), so no number a
    // server or a settings file sends decides how much memory the grid takes.
    int RowCount() const { return rows_; }
    void SetRowCount(int rows);
    // Changing the series count keeps the cells of the columns that remain.
    int ColumnCount() const { return columns_; }
    void SetColumnCount(int columns);

    int CurrentRow() const { return current_row_; }
    void SetCurrentRow(int row);

    // Cell value (0 when never written). Out-of-range cells read 0 and ignore writes.
    double Cell(int row, int column) const;
    void SetCell(int row, int column, double value, bool held = true);
    // Whether the slot of the column held a player when the cell was written.
    bool Held(int row, int column) const;

    const std::string& RowLabel(int row) const;
    void SetRowLabel(int row, std::string label);

    // Whether the row holds a sample (AddGraphSample wrote it) since the rows were last set;
    // a row without one still reads 0, but is not drawn.
    bool Sampled(int row) const;
    void MarkSampled(int row);

    const std::vector<std::string>& LegendTexts() const { return legend_; }
    void SetLegendText(int column, std::string text);

    // Drops the first row, moves every other row up by one and leaves the last row holding what
    // it held. Constant cost in the number of rows (the grid is a ring).
    void ScrollUp();

    bool show_legend = true;
    // The legend names the players, and a series is drawn only where its slot held a player
    // (off: every series everywhere, an empty slot as 0, the legend its number).
    bool player_lines = false;
    bool auto_scale = true;
    // The graph frame of the main window is shown; samples are taken only while it is.
    bool visible = true;
    // Bumped by every change, so a view redraws only when something changed.
    std::uint64_t revision = 0;

  private:
    int Physical(int row) const { return (head_ + row - 1) % rows_; }
    struct GridCell {
        double value = 0;
        bool held = false;
    };
    GridCell* RowData(int row) {
        return &cells_[std::size_t(Physical(row)) * std::size_t(columns_)];
    }

    int rows_ = 0;
    int columns_ = 0;
    int current_row_ = 0;
    int head_ = 0;
    std::vector<GridCell> cells_;
    std::vector<std::string> labels_;
    std::vector<char> sampled_;
    std::vector<std::string> legend_;
};

// Lines drawn per series at most: a graph with more rows than this is drawn as the lowest and
// highest sample of each group of rows, so a redraw costs the same for 20 rows and for 10000.
inline constexpr int kMaxGraphBuckets = 100;

// One point of a plotted line: the row (1-based) and the value; `gap_before` when the line
// stops before it (its slot held no player in between).
struct GraphPoint {
    double row = 0;
    double value = 0;
    bool gap_before = false;
    bool operator==(const GraphPoint&) const = default;
};

// The value axis follows the data: from 0 (or below the lowest negative value) to a little
// above the highest value, with ticks on whole frag counts.
struct ValueScale {
    double min = 0, max = 0;
    // The distance between two ticks: a whole number, both ends on a tick.
    double step = 1;
    bool operator==(const ValueScale&) const = default;
};

// Intervals between the value axis's ticks at most, however tall the chart.
inline constexpr int kMaxValueIntervals = 6;

// The scale for samples from `low` (0 or below) to `high`, padded by 5 % of the span (at least
// 1) at the top and, below 0, at the bottom: the smallest step of 1, 2 or 5 times a power of ten
// whose ticks, both ends included, leave at most `intervals` intervals (at least 1), so a short
// chart gets fewer, wider-spaced labels.
ValueScale ScaleValues(double low, double high, int intervals);

// What a view plots: one line per series and the ranges of the two axes.
struct GraphLines {
    std::vector<std::vector<GraphPoint>> lines;
    double row_min = 0, row_max = 0;
    // The lowest and highest sample plotted (0 included), and the value axis made from them.
    double low = 0, high = 0;
    ValueScale values;
    // The row the log player labelled (its label, "A"), 0 when no row is labelled.
    int marker_row = 0;
    std::string marker_label;
};

// Fills `out` with the first `series` columns of `graph`, reusing its storage. Rows are grouped
// so that no line holds more than 2 * kMaxGraphBuckets points; a group gives its lowest and
// highest sample in row order (one point when one row holds both). Rows that hold no sample are
// left out, and the value axis spans the sampled rows only, in at most `intervals` intervals.
// With `player_lines`, a series keeps only the cells its slot held a player in, and a group of
// sampled rows without one leaves a gap.
void PlotGraph(const FragGraph& graph, int series, GraphLines& out,
               int intervals = kMaxValueIntervals);

// Labels every row "", ends on the last row, sets the legend texts "1", "2", ... and puts the
// value axis into automatic scaling.
void SetupGraph(FragGraph& graph);

// Row 0 appends the newest sample (scrolling when the grid is full); a positive row writes the
// sample into that row. Series c plots slot c - 1; series beyond the 64 slots are not fed. A cell
// is held while its slot's presence mark is set. With `skip_spectators`, a spectator's series
// gets 0, as an unused slot's, and is not held.
void AddGraphSample(FragGraph& graph, int row, const PlayerTable& table,
                    bool skip_spectators = false);
// The same with the frags already read as numbers (FragsValue of each slot's Frags field) and
// whether each slot holds a player, for a caller that holds them so; `sampled` says whether any
// slot's Frags field held text.
void AddGraphSample(FragGraph& graph, int row, const std::array<double, kPlayerSlots>& frags,
                    const std::array<bool, kPlayerSlots>& held, bool sampled,
                    const PlayerTable& table, bool skip_spectators = false);

// Discards every sample and keeps the row count (row count to 0 and back), then SetupGraph.
void ClearGraph(FragGraph& graph);

}  // namespace morvek
