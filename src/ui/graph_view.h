// The frag graph drawn by Qt Charts: one line per series (at most one per player slot), legend
// texts from the model, an automatic value axis. The chart is rebuilt from the model only when the
// model's revision moved, and never holds more than a bounded number of points per line, so a
// redraw costs the same for 20 rows and for 10000.
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
    // Lines drawn per series at most: more rows than this are drawn as the lowest and highest
    // sample of each group of rows.
    static constexpr int kMaxBuckets = 100;

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
    std::vector<QList<QPointF>> points_;
    std::uint64_t revision_ = ~std::uint64_t(0);
    std::uint64_t redraws_ = 0;
};

}  // namespace morvek
