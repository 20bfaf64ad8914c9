// The frag graph drawn by Qt Charts: one line per series (at most one per player slot), legend
// texts from the model, the points and axis ranges PlotGraph gives. The chart is rebuilt from the
// model only when the model's revision moved. The row the log player labels is marked by a
// dashed vertical line with its label; the legend is a compact list beside the chart, in as many
// columns as it needs and scrolled when even those do not fit, so every series can be reached;
// a line or a legend entry names the player of its slot when the mouse rests on it. The chart
// takes its background and axes from the desktop palette and its lines from kSeriesColours. With
// the model's `player_lines`, the legend lists the players' names of the lines drawn, and a line
// broken by an empty slot is drawn in pieces. The value axis gets as many ticks as its labels
// have room for, so none is ever cut short.
#pragma once

#include <QChartView>
#include <QColor>
#include <QList>
#include <QPointF>
#include <array>
#include <cstdint>
#include <vector>

#include "core/frag_graph.h"
#include "core/monitor.h"

class QLineSeries;
class QListWidget;
class QScatterSeries;
class QValueAxis;

namespace morvek {

// The colours of the lines, series 1 first; series 17 and on take them again. Mid-light colours
// that show on a light and a dark background alike, ordered so neighbours differ most.
inline constexpr std::array<QRgb, 16> kSeriesColours = {
    0x2a7fff, 0x8fb300, 0xe6550d, 0xe377c2, 0x3cb44b, 0x17becf, 0xf032e6, 0x8c564b,
    0xe6194b, 0x00a878, 0xd4a000, 0xc77dff, 0x1f77b4, 0x9a6324, 0xb03060, 0x911eb4};

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

    // The names of the players in the slots the series plot (series c: slot c - 1), as the player
    // panel shows them.
    void SetPlayerNames(const PlayerTable& table, const Options& options);
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
    // The value axis for the plotted samples, with as many intervals as the plot's height holds
    // labels; the marker line spans it.
    void ScaleValueAxis();
    void SetValueAxis(double min, double max, double step);
    // The legend entries' texts and which are shown: every series' number, or with
    // `player_lines` the names of the players of the lines drawn.
    void UpdateLegend();
    void PlaceLegend();
    // A new line of series `index`'s colour on the chart's axes, naming its player when hovered.
    QLineSeries* AddLine(int index);
    // Draws series `index` from its plotted points: the first piece in its own line, every piece
    // after a gap in a further line of the same colour.
    void DrawSeries(int index);

    QChart* chart_ = nullptr;
    QValueAxis* axis_x_ = nullptr;
    QValueAxis* axis_y_ = nullptr;
    std::vector<QLineSeries*> series_;
    // The further pieces of each series, kept for reuse (empty when unused).
    std::vector<std::vector<QLineSeries*>> pieces_;
    bool player_lines_ = false;
    int legend_column_width_ = 0;
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
