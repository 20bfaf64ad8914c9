#include "core/frag_graph.h"

#include <algorithm>
#include <cmath>

#include "core/numbers.h"

namespace morvek {

namespace {
const std::string kNoLabel;
}

FragGraph::FragGraph() = default;

void FragGraph::SetRowCount(int rows) {
    rows_ = std::clamp(rows, 0, kMaxGraphRows);
    head_ = 0;
    cells_.assign(std::size_t(rows_) * std::size_t(columns_), GridCell{});
    labels_.assign(std::size_t(rows_), std::string());
    sampled_.assign(std::size_t(rows_), 0);
    current_row_ = std::min(current_row_, rows_);
    ++revision;
}

void FragGraph::SetColumnCount(int columns) {
    // One series per player slot at most, whatever maximum the server announces.
    columns = std::clamp(columns, 0, kPlayerSlots);
    if (columns == columns_) return;
    std::vector<GridCell> cells(std::size_t(rows_) * std::size_t(columns), GridCell{});
    int keep = std::min(columns, columns_);
    for (int r = 1; r <= rows_; ++r)
        for (int c = 0; c < keep; ++c)
            cells[std::size_t(r - 1) * std::size_t(columns) + std::size_t(c)] =
                cells_[std::size_t(Physical(r)) * std::size_t(columns_) + std::size_t(c)];
    // The new grid is laid out from row 1, so the ring starts again at 0; labels follow.
    std::vector<std::string> labels{std::size_t(rows_), std::string()};
    for (int r = 1; r <= rows_; ++r) labels[std::size_t(r - 1)] = labels_[std::size_t(Physical(r))];
    labels_ = std::move(labels);
    std::vector<char> sampled(std::size_t(rows_), 0);
    for (int r = 1; r <= rows_; ++r)
        sampled[std::size_t(r - 1)] = sampled_[std::size_t(Physical(r))];
    sampled_ = std::move(sampled);
    cells_ = std::move(cells);
    head_ = 0;
    columns_ = columns;
    legend_.resize(std::size_t(columns_));
    ++revision;
}

void FragGraph::SetCurrentRow(int row) {
    if (row >= 1 && row <= rows_) current_row_ = row;
}

double FragGraph::Cell(int row, int column) const {
    if (row < 1 || row > rows_ || column < 1 || column > columns_) return 0;
    return cells_[std::size_t(Physical(row)) * std::size_t(columns_) + std::size_t(column - 1)]
        .value;
}

bool FragGraph::Held(int row, int column) const {
    if (row < 1 || row > rows_ || column < 1 || column > columns_) return false;
    return cells_[std::size_t(Physical(row)) * std::size_t(columns_) + std::size_t(column - 1)]
        .held;
}

void FragGraph::SetCell(int row, int column, double value, bool held) {
    if (row < 1 || row > rows_ || column < 1 || column > columns_) return;
    cells_[std::size_t(Physical(row)) * std::size_t(columns_) + std::size_t(column - 1)] = {value,
                                                                                            held};
    ++revision;
}

const std::string& FragGraph::RowLabel(int row) const {
    if (row < 1 || row > rows_) return kNoLabel;
    return labels_[std::size_t(Physical(row))];
}

void FragGraph::SetRowLabel(int row, std::string label) {
    if (row < 1 || row > rows_) return;
    labels_[std::size_t(Physical(row))] = std::move(label);
    ++revision;
}

bool FragGraph::Sampled(int row) const {
    return row >= 1 && row <= rows_ && sampled_[std::size_t(Physical(row))] != 0;
}

void FragGraph::MarkSampled(int row) {
    if (row >= 1 && row <= rows_) sampled_[std::size_t(Physical(row))] = 1;
}

void FragGraph::SetLegendText(int column, std::string text) {
    if (column < 1 || column > columns_) return;
    legend_[std::size_t(column - 1)] = std::move(text);
}

void FragGraph::ScrollUp() {
    if (rows_ < 2 || columns_ == 0) return;
    // Row r takes row r + 1 for r = 1 .. rows - 1; the last row keeps its cells. Rotating the
    // ring moves the old first row to the end: give it the last row's cells and label.
    const GridCell* last = RowData(rows_);
    std::vector<GridCell> keep(last, last + columns_);
    std::string last_label = labels_[std::size_t(Physical(rows_))];
    const char last_sampled = sampled_[std::size_t(Physical(rows_))];
    head_ = (head_ + 1) % rows_;
    std::copy(keep.begin(), keep.end(), RowData(rows_));
    labels_[std::size_t(Physical(rows_))] = std::move(last_label);
    sampled_[std::size_t(Physical(rows_))] = last_sampled;
    ++revision;
}

void SetupGraph(FragGraph& graph) {
    for (int r = 1; r <= graph.RowCount(); ++r) {
        graph.SetCurrentRow(r);
        graph.SetRowLabel(r, "");
    }
    for (int c = 1; c <= graph.ColumnCount(); ++c) graph.SetLegendText(c, IntegerText(c));
    graph.auto_scale = true;
    ++graph.revision;
}

void AddGraphSample(FragGraph& graph, int row, const PlayerTable& table, bool skip_spectators) {
    std::array<double, kPlayerSlots> frags{};
    std::array<bool, kPlayerSlots> held{};
    bool sampled = false;
    const int fed = std::min(graph.ColumnCount(), kPlayerSlots);
    for (int s = 0; s < fed; ++s) {
        frags[std::size_t(s)] = FragsValue(table.slot[std::size_t(s)][kFrags]);
        held[std::size_t(s)] = !IsEmptyMark(table.slot[std::size_t(s)][kPresent]);
        // A table that holds no frags at all (the first poll after a connect, before any reply)
        // gives zeros that are no sample of the match: the row is not drawn.
        sampled = sampled || !table.slot[std::size_t(s)][kFrags].empty();
    }
    AddGraphSample(graph, row, frags, held, sampled, table, skip_spectators);
}

void AddGraphSample(FragGraph& graph, int row, const std::array<double, kPlayerSlots>& frags,
                    const std::array<bool, kPlayerSlots>& held, bool sampled,
                    const PlayerTable& table, bool skip_spectators) {
    if (row != 0) graph.SetCurrentRow(row);
    if (row == 0) {
        if (graph.CurrentRow() >= graph.RowCount()) {
            graph.ScrollUp();
            graph.SetCurrentRow(graph.RowCount());
        } else {
            graph.SetCurrentRow(graph.CurrentRow() + 1);
        }
    }
    if (graph.RowCount() == 0) return;
    const int fed = std::min(graph.ColumnCount(), kPlayerSlots);
    for (int s = 0; s < fed; ++s) {
        double sample = RoundHalfEven(frags[std::size_t(s)]);
        if (!std::isfinite(sample)) sample = 0;
        bool holds = held[std::size_t(s)];
        if (skip_spectators && IsSpectatorName(table.slot[std::size_t(s)][kName]))
            sample = 0, holds = false;
        graph.SetCell(graph.CurrentRow(), s + 1, sample, holds);
    }
    if (fed > 0) graph.SetRowLabel(graph.CurrentRow(), "");
    if (fed > 0 && sampled) graph.MarkSampled(graph.CurrentRow());
}

void ClearGraph(FragGraph& graph) {
    int rows = graph.RowCount();
    graph.SetRowCount(0);
    graph.SetRowCount(rows);
    SetupGraph(graph);
}

void PlotGraph(const FragGraph& graph, int series, GraphLines& out, int intervals) {
    const int count = std::clamp(series, 0, graph.ColumnCount());
    const int rows = graph.RowCount();
    const int group =
        rows <= kMaxGraphBuckets ? 1 : (rows + kMaxGraphBuckets - 1) / kMaxGraphBuckets;
    out.lines.resize(std::size_t(count));
    for (auto& line : out.lines) line.clear();
    double low = 0, high = 0;
    // Rows are read in storage order (row by row), each column keeping the lowest and highest
    // sample of the group it is in.
    struct Extremes {
        GraphPoint lo, hi;
        bool any = false;
    };
    std::vector<Extremes> extremes(static_cast<std::size_t>(count));
    // A column that had no cell to draw in a sampled group since its last point.
    std::vector<char> gap(static_cast<std::size_t>(count), 0);
    const bool held_only = graph.player_lines;
    out.marker_row = 0;
    out.marker_label.clear();
    for (int r = 1; r <= rows; ++r)
        if (!graph.RowLabel(r).empty()) {
            out.marker_row = r;
            out.marker_label = graph.RowLabel(r);
            break;
        }
    for (int first = 1; first <= rows; first += group) {
        const int last = std::min(rows, first + group - 1);
        for (Extremes& e : extremes) e.any = false;
        // Rows that hold no sample are left out of the lines: no line is drawn there.
        bool sampled = false;
        for (int r = first; r <= last; ++r) {
            if (!graph.Sampled(r)) continue;
            sampled = true;
            for (int c = 0; c < count; ++c) {
                if (held_only && !graph.Held(r, c + 1)) continue;
                const GraphPoint p{double(r), graph.Cell(r, c + 1)};
                Extremes& e = extremes[std::size_t(c)];
                if (!e.any) {
                    e = {p, p, true};
                    continue;
                }
                if (p.value < e.lo.value) e.lo = p;
                if (p.value > e.hi.value) e.hi = p;
            }
        }
        if (!sampled) continue;
        for (int c = 0; c < count; ++c) {
            Extremes& e = extremes[std::size_t(c)];
            std::vector<GraphPoint>& line = out.lines[std::size_t(c)];
            if (!e.any) {
                gap[std::size_t(c)] = !line.empty();
                continue;
            }
            GraphPoint& before = e.lo.row <= e.hi.row ? e.lo : e.hi;
            GraphPoint& after = e.lo.row <= e.hi.row ? e.hi : e.lo;
            before.gap_before = gap[std::size_t(c)] != 0;
            gap[std::size_t(c)] = 0;
            line.push_back(before);
            if (after.row != before.row) line.push_back(after);
            low = std::min(low, e.lo.value);
            high = std::max(high, e.hi.value);
        }
    }
    out.row_min = rows <= 1 ? 0.5 : 1;
    out.row_max = rows <= 1 ? 1.5 : rows;
    out.low = low;
    out.high = high;
    out.values = ScaleValues(low, high, intervals);
}

ValueScale ScaleValues(double low, double high, int intervals) {
    low = std::min(low, 0.0);
    if (high <= low) high = low + 1;
    const double pad = std::max(1.0, std::ceil((high - low) * 0.05));
    const double top = high + pad, bottom = low < 0 ? low - pad : 0;
    intervals = std::max(intervals, 1);
    for (double base = 1; base < 1e300; base *= 10)
        for (double m : {1.0, 2.0, 5.0}) {
            const double step = m * base;
            const ValueScale scale{std::floor(bottom / step) * step, std::ceil(top / step) * step,
                                   step};
            if ((scale.max - scale.min) / step <= intervals + 1e-9) return scale;
        }
    return {bottom, top, top - bottom};
}

}  // namespace morvek
