// The frag graph drawn by Qt Charts: one line per series (at most one per player slot), legend
// texts from the model, the points and axis ranges PlotGraph gives. The chart is rebuilt from the
// model only when the model's revision moved. The row the log player labels is marked by a
// dashed vertical line with its label; the legend is a compact list beside the chart, in as many
// columns as it needs and scrolled when even those do not fit, so every series can be reached;
// a line or a legend entry names the player of its slot when the mouse rests on it. The chart
// takes its colours from the desktop palette.
#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>
#include <cstdint>
#include <vector>

#include "core/frag_graph.h"

class QLineSeries;
class QListWidget;
class QScatterSeries;
class QValueAxis;

namespace morvek {

class GraphView : public QChartView {
    Q_OBJECT
  public:
    // Lines drawn per series at most (see PlotGraph).
    static constexpr int kMaxBuckets = kMaxGraphBuckets;

    explicit GraphView(QWidget* parent = nullptr);

    // Redraws from the graph when its revision changed (or when forced).
    void Refresh(const FragGraph& graph, bool force = false);

    int SeriesCount() const { return int(series_.size()); }
    QLineSeries* Series(int index) const { return series_[std::size_t(index)]; }
    QValueAxis* ValueAxis() const { return axis_y_; }
    // How many times the chart was rebuilt from the model.
    std::uint64_t Redraws() const { return redraws_; }

    // The names of the players in the slots the series plot (series c: slot c - 1).
    void SetPlayerNames(const PlayerTable& table);
    // What the mouse shows over series `index` or its legend entry: "<legend text>: <name>".
    QString SeriesTip(int index) const;

    // The marker of the labelled row: a vertical line, and a point carrying the label.
    QLineSeries* MarkerLine() const { return marker_line_; }
    QScatterSeries* MarkerLabel() const { return marker_label_; }
    QListWidget* Legend() const { return legend_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void SetSeriesCount(int count, const FragGraph& graph);
    void ApplyPalette();
    void SetValueAxis(double min, double max, double step);
    void PlaceLegend();

    QChart* chart_ = nullptr;
    QValueAxis* axis_x_ = nullptr;
    QValueAxis* axis_y_ = nullptr;
    std::vector<QLineSeries*> series_;
    QLineSeries* marker_line_ = nullptr;
    QScatterSeries* marker_label_ = nullptr;
    QListWidget* legend_ = nullptr;
    std::vector<QString> names_;
    GraphLines lines_;
    std::vector<QList<QPointF>> points_;
    std::uint64_t revision_ = ~std::uint64_t(0);
    std::uint64_t redraws_ = 0;
};

}  // namespace morvek
