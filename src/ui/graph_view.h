// The frag graph drawn by Qt Charts: one line per series (at most one per player slot), legend
// texts from the model, the points and axis ranges PlotGraph gives. The chart is rebuilt from the
// model only when the model's revision moved.
#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>
#include <cstdint>
#include <vector>

#include "core/frag_graph.h"

class QLineSeries;
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
    QValueAxis* RowAxis() const { return axis_x_; }
    // How many times the chart was rebuilt from the model.
    std::uint64_t Redraws() const { return redraws_; }

  private:
    void SetSeriesCount(int count, const FragGraph& graph);

    QChart* chart_ = nullptr;
    QValueAxis* axis_x_ = nullptr;
    QValueAxis* axis_y_ = nullptr;
    std::vector<QLineSeries*> series_;
    GraphLines lines_;
    std::vector<QList<QPointF>> points_;
    std::uint64_t revision_ = ~std::uint64_t(0);
    std::uint64_t redraws_ = 0;
};

}  // namespace morvek
