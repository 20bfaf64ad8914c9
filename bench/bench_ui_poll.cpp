// The window's share of one poll tick with 64 players and 64 series: the tick itself (ageing,
// view, graph sample) and the redraw of the player rows, the panel and the chart, for GraphRows
// of 20, 1000 and 10000. Also the start-up time to a shown main window.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include "platform/dialogs.h"
#include "query/connection.h"
#include "ui/main_window.h"
#include "widgets_main.h"

using namespace morvek;

namespace {

void FillPlayers(Monitor& m) {
    for (int s = 0; s < kPlayerSlots; ++s) {
        PlayerRecord& p = m.table.slot[std::size_t(s)];
        p[kPresent] = "1";
        p[kName] = "player" + std::to_string(s);
        p[kShirt] = std::to_string(s % 14);
        p[kPants] = std::to_string((s * 3) % 14);
        p[kTime] = std::to_string(s);
        p[kFrags] = std::to_string(s * 2);
        p[kAddress] = "192.0.2.1";
        p[kPort] = "26001";
        m.table.countdown[std::size_t(s)] = 3;
    }
}

void BM_PollTick(benchmark::State& state) {
    platform::ScriptedDialogs dialogs;
    MainWindow window(&dialogs, nullptr);
    window.Load();
    window.show();
    Monitor& m = window.monitor();
    m.server_type = ServerType(99);  // no protocol: the tick sends nothing
    m.graph.SetRowCount(int(state.range(0)));
    m.graph.SetColumnCount(64);
    SetupGraph(m.graph);
    FillPlayers(m);
    QCoreApplication::processEvents();
    int frags = 0;
    for (auto _ : state) {
        m.table.slot[0][kFrags] = std::to_string(++frags);
        for (auto& c : m.table.countdown) c = 3;
        window.connection().OnPollTick();
        QCoreApplication::processEvents();  // the repaint the tick asked for
    }
    window.connection().timeoutTimer().SetEnabled(false);
    state.counters["rows"] = double(state.range(0));
}
BENCHMARK(BM_PollTick)->Arg(20)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_StartupToShownWindow(benchmark::State& state) {
    platform::ScriptedDialogs dialogs;
    for (auto _ : state) {
        MainWindow window(&dialogs, nullptr);
        window.Load();
        window.ApplyLayout();
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
    }
}
BENCHMARK(BM_StartupToShownWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
