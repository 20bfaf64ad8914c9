#include "ui/graph_view.h"

#include <QCursor>
#include <QEvent>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include "core/text.h"

namespace morvek {

namespace {
// Distinct hues for up to 64 lines (golden-angle steps round the colour wheel).
QColor SeriesColour(int index) {
    const int hue = int(std::fmod(index * 137.508, 360.0));
    const int value = (index / 8) % 2 ? 170 : 220;
    return QColor::fromHsv(hue, 230, value);
}

QIcon ColourIcon(const QColor& colour) {
    QPixmap pixmap(10, 10);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

constexpr int kLegendColumnWidth = 34;
}  // namespace

GraphView::GraphView(QWidget* parent) : QChartView(parent) {
    chart_ = new QChart();
    chart_->setMargins(QMargins(2, 2, 2, 2));
    chart_->setBackgroundRoundness(0);
    chart_->layout()->setContentsMargins(0, 0, 0, 0);
    // The chart's own legend shows what fits in one column and hides the rest: a list beside the
    // chart takes its place.
    chart_->legend()->setVisible(false);
    QFont small = chart_->legend()->font();
    small.setPixelSize(9);
    legend_ = new QListWidget(this);
    legend_->setFont(small);
    legend_->setFlow(QListView::TopToBottom);
    legend_->setWrapping(true);
    legend_->setResizeMode(QListView::Adjust);
    legend_->setUniformItemSizes(true);
    legend_->setSelectionMode(QAbstractItemView::NoSelection);
    legend_->setFocusPolicy(Qt::NoFocus);
    legend_->setIconSize(QSize(8, 8));
    legend_->setFrameShape(QFrame::NoFrame);
    legend_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    axis_x_ = new QValueAxis(chart_);
    axis_y_ = new QValueAxis(chart_);
    axis_x_->setLabelsVisible(false);
    axis_x_->setGridLineVisible(false);
    axis_y_->setLabelFormat("%d");
    axis_y_->setLabelsFont(small);
    chart_->addAxis(axis_x_, Qt::AlignBottom);
    chart_->addAxis(axis_y_, Qt::AlignLeft);
    axis_y_->setTickType(QValueAxis::TicksDynamic);
    axis_y_->setTickAnchor(0);
    axis_y_->setTickInterval(1);
    marker_line_ = new QLineSeries(chart_);
    marker_label_ = new QScatterSeries(chart_);
    marker_label_->setMarkerSize(5);
    marker_label_->setPointLabelsFont(small);
    marker_label_->setPointLabelsVisible(true);
    for (QXYSeries* s :
         {static_cast<QXYSeries*>(marker_line_), static_cast<QXYSeries*>(marker_label_)}) {
        chart_->addSeries(s);
        s->attachAxis(axis_x_);
        s->attachAxis(axis_y_);
    }
    setChart(chart_);
    ApplyPalette();
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
        connect(s, &QLineSeries::hovered, this, [this, index](const QPointF&, bool over) {
            if (over) QToolTip::showText(QCursor::pos(), SeriesTip(index), this);
        });
        series_.push_back(s);
        auto* item = new QListWidgetItem(ColourIcon(SeriesColour(index)), QString(), legend_);
        item->setSizeHint(QSize(kLegendColumnWidth, 11));
    }
    while (legend_->count() > count) delete legend_->takeItem(legend_->count() - 1);
    points_.resize(series_.size());
    const auto& legend = graph.LegendTexts();
    for (std::size_t i = 0; i < series_.size(); ++i) {
        const QString name =
            i < legend.size() ? QString::fromStdString(legend[i]) : QString::number(i + 1);
        if (series_[i]->name() != name) series_[i]->setName(name);
        QListWidgetItem* item = legend_->item(int(i));
        if (item->text() != name) item->setText(name);
        item->setToolTip(SeriesTip(int(i)));
    }
}

QString GraphView::SeriesTip(int index) const {
    if (index < 0 || index >= int(series_.size())) return {};
    const QString name =
        std::size_t(index) < names_.size() ? names_[std::size_t(index)] : QString();
    return series_[std::size_t(index)]->name() + QStringLiteral(": ") + name;
}

void GraphView::SetPlayerNames(const PlayerTable& table) {
    names_.resize(table.slot.size());
    for (std::size_t i = 0; i < table.slot.size(); ++i)
        names_[i] = FromCp1252(table.slot[i][kName]).trimmed();
    for (int i = 0; i < legend_->count(); ++i) {
        const QString tip = SeriesTip(i);
        if (legend_->item(i)->toolTip() != tip) legend_->item(i)->setToolTip(tip);
    }
}

void GraphView::PlaceLegend() {
    if (!legend_->isVisible()) {
        chart_->setMargins(QMargins(2, 2, 2, 2));
        return;
    }
    // As many columns as the entries need, up to a third of the width; beyond that it scrolls.
    const int per_column = std::max(1, (height() - 4) / 11);
    const int columns = (legend_->count() + per_column - 1) / per_column;
    const int w = std::clamp(columns * kLegendColumnWidth + 4, kLegendColumnWidth + 4,
                             std::max(kLegendColumnWidth + 4, width() / 3));
    legend_->setGeometry(width() - w, 0, w, height());
    chart_->setMargins(QMargins(2, 2, w + 2, 2));
}

void GraphView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    PlaceLegend();
}

void GraphView::changeEvent(QEvent* event) {
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) ApplyPalette();
}

void GraphView::ApplyPalette() {
    const QPalette& p = palette();
    chart_->setBackgroundBrush(p.color(QPalette::Base));
    chart_->setBackgroundPen(Qt::NoPen);
    for (QValueAxis* axis : {axis_x_, axis_y_}) {
        axis->setLabelsBrush(p.color(QPalette::Text));
        axis->setLinePenColor(p.color(QPalette::Mid));
        axis->setGridLineColor(p.color(QPalette::Midlight));
    }
    QPen marker(p.color(QPalette::Text));
    marker.setStyle(Qt::DashLine);
    marker_line_->setPen(marker);
    marker_label_->setColor(p.color(QPalette::Text));
    marker_label_->setBorderColor(p.color(QPalette::Text));
    marker_label_->setPointLabelsColor(p.color(QPalette::Text));
    setBackgroundBrush(p.color(QPalette::Base));
}

void GraphView::SetValueAxis(double min, double max, double step) {
    const double old_min = axis_y_->min(), old_max = axis_y_->max();
    const double old_step = axis_y_->tickInterval();
    if (old_min == min && old_max == max && old_step == step) return;
    // Each change lays the axis out again and measures every label it then has (a text layout
    // each, milliseconds for a few dozen): of the two ways to the new range and step, take the
    // one whose way-point has fewer labels. Range first from 0..2 step 1 to 0..400 step 100
    // would measure 401 labels on the way; step first measures one.
    const double labels_range_first = (max - min) / std::max(old_step, 1e-9);
    const double labels_step_first = (old_max - old_min) / std::max(step, 1e-9);
    if (labels_step_first < labels_range_first) {
        axis_y_->setTickInterval(step);
        axis_y_->setRange(min, max);
    } else {
        axis_y_->setRange(min, max);
        axis_y_->setTickInterval(step);
    }
}

void GraphView::Refresh(const FragGraph& graph, bool force) {
    if (!force && graph.revision == revision_) return;
    revision_ = graph.revision;
    ++redraws_;

    // Series beyond the 64 player slots have no data to plot.
    const int count = std::clamp(graph.ColumnCount(), 0, kPlayerSlots);
    SetSeriesCount(count, graph);  // also follows changed legend texts
    if (legend_->isVisibleTo(this) != graph.show_legend) {
        legend_->setVisible(graph.show_legend);
    }
    PlaceLegend();

    PlotGraph(graph, count, lines_);
    for (int c = 0; c < count; ++c) {
        QList<QPointF>& points = points_[std::size_t(c)];
        points.clear();
        for (const GraphPoint& p : lines_.lines[std::size_t(c)]) points.append({p.row, p.value});
        series_[std::size_t(c)]->replace(points);
    }
    axis_x_->setRange(lines_.row_min, lines_.row_max);
    SetValueAxis(lines_.value_min, lines_.value_max, lines_.value_step);
    if (lines_.marker_row > 0) {
        const double row = lines_.marker_row;
        marker_line_->replace(QList<QPointF>{{row, lines_.value_min}, {row, lines_.value_max}});
        marker_label_->replace(QList<QPointF>{{row, lines_.value_max}});
        marker_label_->setPointLabelsFormat(QString::fromStdString(lines_.marker_label));
    } else {
        marker_line_->clear();
        marker_label_->clear();
    }
}

}  // namespace morvek
