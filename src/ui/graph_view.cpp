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
QColor SeriesColour(int index) {
    return QColor(kSeriesColours[std::size_t(index) % kSeriesColours.size()]);
}

QIcon ColourIcon(const QColor& colour) {
    QPixmap pixmap(10, 10);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

constexpr int kLegendColumnWidth = 34;
// A column of players' names is as wide as the longest name, within these bounds.
constexpr int kLegendNamesWidth = 110;
// Room between two labels of the value axis, beyond a line of text.
constexpr int kLabelGap = 6;
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
    // Qt cuts a label that it finds short of room to "..."; the tick count keeps them apart.
    axis_y_->setTruncateLabels(false);
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
    legend_column_width_ = kLegendColumnWidth;
    // The plot's height decides how many labels the value axis has room for.
    connect(chart_, &QChart::plotAreaChanged, this, [this] { ScaleValueAxis(); });
    ApplyPalette();
    setRenderHint(QPainter::Antialiasing, false);
}

void GraphView::SetSeriesCount(int count, const FragGraph& graph) {
    while (int(series_.size()) > count) {
        for (QLineSeries* s : pieces_.back()) {
            chart_->removeSeries(s);
            delete s;
        }
        pieces_.pop_back();
        QLineSeries* s = series_.back();
        chart_->removeSeries(s);
        delete s;
        series_.pop_back();
    }
    while (int(series_.size()) < count) {
        const int index = int(series_.size());
        series_.push_back(AddLine(index));
        pieces_.emplace_back();
        new QListWidgetItem(ColourIcon(SeriesColour(index)), QString(), legend_);
    }
    while (legend_->count() > count) delete legend_->takeItem(legend_->count() - 1);
    points_.resize(series_.size());
    const auto& legend = graph.LegendTexts();
    for (std::size_t i = 0; i < series_.size(); ++i) {
        const QString name =
            i < legend.size() ? QString::fromStdString(legend[i]) : QString::number(i + 1);
        if (series_[i]->name() != name) series_[i]->setName(name);
    }
}

QLineSeries* GraphView::AddLine(int index) {
    auto* s = new QLineSeries(chart_);
    QPen pen(SeriesColour(index));
    pen.setWidth(1);
    s->setPen(pen);
    chart_->addSeries(s);
    s->attachAxis(axis_x_);
    s->attachAxis(axis_y_);
    connect(s, &QLineSeries::hovered, this, [this, index](const QPointF&, bool over) {
        if (over) QToolTip::showText(QCursor::pos(), SeriesTip(index), this);
    });
    return s;
}

void GraphView::DrawSeries(int index) {
    const std::vector<GraphPoint>& line = lines_.lines[std::size_t(index)];
    std::vector<QLineSeries*>& pieces = pieces_[std::size_t(index)];
    QList<QPointF>& points = points_[std::size_t(index)];
    // Piece 0 is the series' own line; piece k > 0 is pieces[k - 1].
    std::size_t piece = 0;
    for (std::size_t at = 0; at < line.size() || piece == 0; ++piece) {
        points.clear();
        for (; at < line.size() && (points.isEmpty() || !line[at].gap_before); ++at)
            points.append({line[at].row, line[at].value});
        if (piece == 0) {
            series_[std::size_t(index)]->replace(points);
            continue;
        }
        if (pieces.size() < piece) pieces.push_back(AddLine(index));
        pieces[piece - 1]->replace(points);
    }
    for (std::size_t p = piece - 1; p < pieces.size(); ++p)
        if (pieces[p]->count() > 0) pieces[p]->clear();
}

QString GraphView::SeriesTip(int index) const {
    if (index < 0 || index >= int(series_.size())) return {};
    const QString name =
        std::size_t(index) < names_.size() ? names_[std::size_t(index)] : QString();
    return series_[std::size_t(index)]->name() + QStringLiteral(": ") + name;
}

void GraphView::SetPlayerNames(const PlayerTable& table, const Options& options) {
    names_.resize(table.slot.size());
    for (std::size_t i = 0; i < table.slot.size(); ++i)
        names_[i] = FromCp1252(ShownName(options, table.slot[i][kName])).trimmed();
    UpdateLegend();
}

void GraphView::UpdateLegend() {
    int widest = 0;
    for (int i = 0; i < legend_->count(); ++i) {
        const auto at = std::size_t(i);
        QListWidgetItem* item = legend_->item(i);
        QString text = series_[at]->name();
        bool shown = true;
        if (player_lines_) {
            // A slot without a line has no entry; a line whose slot lost its name keeps the number.
            shown = at < lines_.lines.size() && !lines_.lines[at].empty();
            if (at < names_.size() && !names_[at].isEmpty()) text = names_[at];
        }
        if (item->text() != text) item->setText(text);
        if (item->isHidden() == shown) item->setHidden(!shown);
        const QString tip = SeriesTip(i);
        if (item->toolTip() != tip) item->setToolTip(tip);
        if (shown) widest = std::max(widest, legend_->fontMetrics().horizontalAdvance(text));
    }
    const int width = player_lines_ ? std::clamp(widest + legend_->iconSize().width() + 16,
                                                 kLegendColumnWidth, kLegendNamesWidth)
                                    : kLegendColumnWidth;
    if (width != legend_column_width_ ||
        (legend_->count() > 0 && legend_->item(0)->sizeHint().width() != width)) {
        legend_column_width_ = width;
        for (int i = 0; i < legend_->count(); ++i) legend_->item(i)->setSizeHint(QSize(width, 11));
        PlaceLegend();
    }
}

void GraphView::PlaceLegend() {
    if (!legend_->isVisible()) {
        chart_->setMargins(QMargins(2, 2, 2, 2));
        return;
    }
    // As many columns as the entries need, up to a third of the width; beyond that it scrolls.
    int entries = 0;
    for (int i = 0; i < legend_->count(); ++i) entries += legend_->item(i)->isHidden() ? 0 : 1;
    const int column = legend_column_width_;
    const int per_column = std::max(1, (height() - 4) / 11);
    const int columns = (entries + per_column - 1) / per_column;
    const int w = std::clamp(columns * column + 4, column + 4, std::max(column + 4, width() / 3));
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

void GraphView::ScaleValueAxis() {
    // A label's line of text and a gap fit between two ticks.
    const int label = QFontMetrics(axis_y_->labelsFont()).height() + kLabelGap;
    const int room = int(chart_->plotArea().height()) / label;
    lines_.values = ScaleValues(lines_.low, lines_.high, std::clamp(room, 1, kMaxValueIntervals));
    SetValueAxis(lines_.values.min, lines_.values.max, lines_.values.step);
    if (lines_.marker_row > 0) {
        const double row = lines_.marker_row;
        marker_line_->replace(QList<QPointF>{{row, lines_.values.min}, {row, lines_.values.max}});
        marker_label_->replace(QList<QPointF>{{row, lines_.values.max}});
        marker_label_->setPointLabelsFormat(QString::fromStdString(lines_.marker_label));
    } else {
        marker_line_->clear();
        marker_label_->clear();
    }
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
    player_lines_ = graph.player_lines;
    if (legend_->isVisibleTo(this) != graph.show_legend) {
        legend_->setVisible(graph.show_legend);
    }

    PlotGraph(graph, count, lines_);
    for (int c = 0; c < count; ++c) DrawSeries(c);
    UpdateLegend();
    PlaceLegend();
    axis_x_->setRange(lines_.row_min, lines_.row_max);
    ScaleValueAxis();
}

}  // namespace morvek
