#include "ui/graph_view.h"

#include <QGraphicsLayout>
#include <QLegend>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace morvek {

namespace {
// Distinct hues for up to 64 lines (golden-angle steps round the colour wheel).
QColor SeriesColour(int index) {
    const int hue = int(std::fmod(index * 137.508, 360.0));
    const int value = (index / 8) % 2 ? 170 : 220;
    return QColor::fromHsv(hue, 230, value);
}
}  // namespace

GraphView::GraphView(QWidget* parent) : QChartView(parent) {
    chart_ = new QChart();
    chart_->setMargins(QMargins(2, 2, 2, 2));
    chart_->setBackgroundRoundness(0);
    chart_->layout()->setContentsMargins(0, 0, 0, 0);
    chart_->legend()->setAlignment(Qt::AlignRight);
    QFont small = chart_->legend()->font();
    small.setPixelSize(9);
    chart_->legend()->setFont(small);
    axis_x_ = new QValueAxis(chart_);
    axis_y_ = new QValueAxis(chart_);
    axis_x_->setLabelsVisible(false);
    axis_x_->setGridLineVisible(false);
    axis_y_->setLabelFormat("%d");
    axis_y_->setLabelsFont(small);
    chart_->addAxis(axis_x_, Qt::AlignBottom);
    chart_->addAxis(axis_y_, Qt::AlignLeft);
    setChart(chart_);
    setRenderHint(QPainter::Antialiasing, false);
}

void GraphView::SetSeriesCount(int count, const FragGraph& graph) {
    while (int(series_.size()) > count) {
        QLineSeries* s = series_.back();
        chart_->removeSeries(s);
        delete s;
        series_.pop_back();
    }
    while (int(series_.size()) < count) {
        auto* s = new QLineSeries(chart_);
        const int index = int(series_.size());
        QPen pen(SeriesColour(index));
        pen.setWidth(1);
        s->setPen(pen);
        chart_->addSeries(s);
        s->attachAxis(axis_x_);
        s->attachAxis(axis_y_);
        series_.push_back(s);
    }
    points_.resize(series_.size());
    const auto& legend = graph.LegendTexts();
    for (std::size_t i = 0; i < series_.size(); ++i) {
        const QString name =
            i < legend.size() ? QString::fromStdString(legend[i]) : QString::number(i + 1);
        if (series_[i]->name() != name) series_[i]->setName(name);
    }
}

void GraphView::Refresh(const FragGraph& graph, bool force) {
    if (!force && graph.revision == revision_) return;
    revision_ = graph.revision;
    ++redraws_;

    // Series beyond the 64 player slots have no data to plot.
    const int count = std::clamp(graph.ColumnCount(), 0, kPlayerSlots);
    SetSeriesCount(count, graph);  // also follows changed legend texts
    if (chart_->legend()->isVisible() != graph.show_legend)
        chart_->legend()->setVisible(graph.show_legend);

    const int rows = graph.RowCount();
    // Rows are grouped so that no line holds more than 2 * kMaxBuckets points; a group shows its
    // lowest and highest sample.
    const int group = rows <= kMaxBuckets ? 1 : (rows + kMaxBuckets - 1) / kMaxBuckets;
    double low = 0, high = 0;
    // Rows are read in storage order (row by row), each column keeping the lowest and highest
    // sample of the group it is in.
    struct Extremes {
        double lo, hi;
        int lo_row, hi_row;
    };
    std::vector<Extremes> ext(std::size_t(count), Extremes{0, 0, 0, 0});
    for (int c = 0; c < count; ++c) points_[std::size_t(c)].clear();
    for (int first = 1; first <= rows; first += group) {
        const int last = std::min(rows, first + group - 1);
        for (int c = 0; c < count; ++c) {
            const double v = graph.Cell(first, c + 1);
            ext[std::size_t(c)] = {v, v, first, first};
        }
        for (int r = first + 1; r <= last; ++r)
            for (int c = 0; c < count; ++c) {
                const double v = graph.Cell(r, c + 1);
                Extremes& e = ext[std::size_t(c)];
                if (v < e.lo) e.lo = v, e.lo_row = r;
                if (v > e.hi) e.hi = v, e.hi_row = r;
            }
        for (int c = 0; c < count; ++c) {
            const Extremes& e = ext[std::size_t(c)];
            QList<QPointF>& pts = points_[std::size_t(c)];
            if (e.lo_row == e.hi_row) {
                pts.append(QPointF(e.lo_row, e.lo));
            } else if (e.lo_row < e.hi_row) {
                pts.append(QPointF(e.lo_row, e.lo));
                pts.append(QPointF(e.hi_row, e.hi));
            } else {
                pts.append(QPointF(e.hi_row, e.hi));
                pts.append(QPointF(e.lo_row, e.lo));
            }
            low = std::min(low, e.lo);
            high = std::max(high, e.hi);
        }
    }
    for (int c = 0; c < count; ++c) series_[std::size_t(c)]->replace(points_[std::size_t(c)]);

    // The row axis spans the rows; the value axis follows the data (automatic scale).
    if (rows <= 1)
        axis_x_->setRange(0.5, 1.5);
    else
        axis_x_->setRange(1, rows);
    if (high <= low) high = low + 1;
    const double span = high - low;
    const double pad = std::max(1.0, std::ceil(span * 0.05));
    const double lower = low < 0 ? low - pad : 0;
    if (axis_y_->min() != lower || axis_y_->max() != high + pad)
        axis_y_->setRange(lower, high + pad);
}

}  // namespace morvek
