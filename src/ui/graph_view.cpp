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

    PlotGraph(graph, count, lines_);
    for (int c = 0; c < count; ++c) {
        QList<QPointF>& points = points_[std::size_t(c)];
        points.clear();
        for (const GraphPoint& p : lines_.lines[std::size_t(c)]) points.append({p.row, p.value});
        series_[std::size_t(c)]->replace(points);
    }
    axis_x_->setRange(lines_.row_min, lines_.row_max);
    if (axis_y_->min() != lines_.value_min || axis_y_->max() != lines_.value_max)
        axis_y_->setRange(lines_.value_min, lines_.value_max);
}

}  // namespace morvek
