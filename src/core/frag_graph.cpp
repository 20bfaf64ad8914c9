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
    cells_.assign(std::size_t(rows_) * std::size_t(columns_), 0.0);
    labels_.assign(std::size_t(rows_), std::string());
    sampled_.assign(std::size_t(rows_), 0);
    current_row_ = std::min(current_row_, rows_);
    ++revision;
}

void FragGraph::SetColumnCount(int columns) {
    // One series per player slot at most, whatever maximum the server announces.
    columns = std::clamp(columns, 0, kPlayerSlots);
    if (columns == columns_) return;
    std::vector<double> cells(std::size_t(rows_) * std::size_t(columns), 0.0);
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
    return cells_[std::size_t(Physical(row)) * std::size_t(columns_) + std::size_t(column - 1)];
}

void FragGraph::SetCell(int row, int column, double value) {
    if (row < 1 || row > rows_ || column < 1 || column > columns_) return;
    cells_[std::size_t(Physical(row)) * std::size_t(columns_) + std::size_t(column - 1)] = value;
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
    const double* last = RowData(rows_);
    std::vector<double> keep(last, last + columns_);
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
    bool sampled = false;
    const int fed = std::min(graph.ColumnCount(), kPlayerSlots);
    for (int s = 0; s < fed; ++s) {
        frags[std::size_t(s)] = FragsValue(table.slot[std::size_t(s)][kFrags]);
        // A table that holds no frags at all (the first poll after a connect, before any reply)
        // gives zeros that are no sample of the match: the row is not drawn.
        sampled = sampled || !table.slot[std::size_t(s)][kFrags].empty();
    }
    AddGraphSample(graph, row, frags, sampled, table, skip_spectators);
}

void AddGraphSample(FragGraph& graph, int row, const std::array<double, kPlayerSlots>& frags,
                    bool sampled, const PlayerTable& table, bool skip_spectators) {
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
        if (skip_spectators && IsSpectatorName(table.slot[std::size_t(s)][kName])) sample = 0;
        graph.SetCell(graph.CurrentRow(), s + 1, sample);
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

void PlotGraph(const FragGraph& graph, int series, GraphLines& out) {
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
    };
    std::vector<Extremes> extremes(static_cast<std::size_t>(count));
    out.marker_row = 0;
    out.marker_label.clear();
    for (int r = 1; r <= rows; ++r)
        if (!graph.RowLabel(r).empty()) {
            out.marker_row = r;
            out.marker_label = graph.RowLabel(r);
            break;
        }
    for (int group_first = 1; group_first <= rows; group_first += group) {
        const int last = std::min(rows, group_first + group - 1);
        // Rows that hold no sample are left out of the lines: no line is drawn there.
        int first = group_first;
        while (first <= last && !graph.Sampled(first)) ++first;
        if (first > last) continue;
        for (int c = 0; c < count; ++c) {
            const GraphPoint p{double(first), graph.Cell(first, c + 1)};
            extremes[std::size_t(c)] = {p, p};
        }
        for (int r = first + 1; r <= last; ++r) {
            if (!graph.Sampled(r)) continue;
            for (int c = 0; c < count; ++c) {
                const double v = graph.Cell(r, c + 1);
                Extremes& e = extremes[std::size_t(c)];
                if (v < e.lo.value) e.lo = {double(r), v};
                if (v > e.hi.value) e.hi = {double(r), v};
            }
        }
        for (int c = 0; c < count; ++c) {
            const Extremes& e = extremes[std::size_t(c)];
            std::vector<GraphPoint>& line = out.lines[std::size_t(c)];
            if (e.lo.row == e.hi.row) {
                line.push_back(e.lo);
            } else if (e.lo.row < e.hi.row) {
                line.push_back(e.lo);
                line.push_back(e.hi);
            } else {
                line.push_back(e.hi);
                line.push_back(e.lo);
            }
            low = std::min(low, e.lo.value);
            high = std::max(high, e.hi.value);
        }
    }
    out.row_min = rows <= 1 ? 0.5 : 1;
    out.row_max = rows <= 1 ? 1.5 : rows;
    if (high <= low) high = low + 1;
    const double pad = std::max(1.0, std::ceil((high - low) * 0.05));
    // Ticks fall on whole frag counts: a step of 1, 2 or 5 times a power of ten giving at most
    // six intervals, and both ends on a step.
    const double span = high + pad - (low < 0 ? low - pad : 0);
    double step = 1;
    for (double base = 1; step * 6 < span && base < 1e300; base *= 10)
        for (double m : {1.0, 2.0, 5.0}) {
            step = m * base;
            if (step * 6 >= span) break;
        }
    out.value_step = step;
    out.value_min = low < 0 ? std::floor((low - pad) / step) * step : 0;
    out.value_max = std::ceil((high + pad) / step) * step;
}

}  // namespace morvek
