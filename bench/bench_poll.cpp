// The monitor's CPU per poll of a full QuakeWorld server (32 players), as the headless monitor
// spends it: the tick (ageing, view), the reply (decode, commit), the JSON line of the picture
// and of the events, and one metrics scrape.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "core/events.h"
#include "core/hooks.h"
#include "core/monitor.h"
#include "core/picture.h"
#include "core/text.h"
#include "metrics/exposition.h"
#include "query/connection.h"
#include "sim/sim_state.h"
#include "sim/status_replies.h"

namespace {

using namespace morvek;

sim::SimState FullServer() {
    sim::SimState state = sim::DemoState(ServerType::QuakeWorld);
    state.max_players = 32;
    while (state.players.size() < 32) {
        sim::SimPlayer p;
        const int n = static_cast<int>(state.players.size()) + 1;
        p.name = "Player " + std::to_string(n);
        p.user_id = n;
        p.seconds = n * 95;
        p.ping = 20 + n * 3;
        p.shirt = n % 16;
        p.pants = (n * 5) % 16;
        state.players.push_back(p);
    }
    return state;
}

// What the headless monitor does at a poll tick with --json.
class JsonHooks : public MonitorHooks {
  public:
    explicit JsonHooks(Monitor& monitor) : monitor_(monitor) {}
    void RecordPoint() override {
        ++tick_;
        out_ = PictureJson(monitor_, tick_);
        for (const Event& event : events_.Update(monitor_))
            out_ += JsonLine(EventObject(event, tick_, QDateTime::currentDateTimeUtc()));
        benchmark::DoNotOptimize(out_.data());
    }

  private:
    Monitor& monitor_;
    std::uint64_t tick_ = 0;
    std::string out_;
    EventTracker events_;
};

void Poll(benchmark::State& bench) {
    const sim::SimState state = FullServer();
    // Two replies in turn, so frags move and the lead changes hands.
    std::string replies[2] = {sim::BuildQuakeWorldStatus(state), {}};
    sim::SimState moved = state;
    for (std::size_t i = 0; i < moved.players.size(); ++i)
        moved.players[i].frags = int(i % 2 ? i : 40 - i);
    replies[1] = sim::BuildQuakeWorldStatus(moved);

    Monitor monitor;
    monitor.server_type = ServerType::QuakeWorld;
    monitor.options.player_sorting = kSortByFrags;
    JsonHooks hooks(monitor);
    Connection connection(monitor, hooks);
    connection.HandleDatagram(replies[0]);
    std::size_t turn = 0;
    for (auto _ : bench) {
        connection.OnPollTick();
        connection.HandleDatagram(replies[++turn % 2]);
        std::string scrape = metrics::Exposition(monitor);
        benchmark::DoNotOptimize(scrape.data());
    }
    connection.timeoutTimer().SetEnabled(false);
}

void BM_QuakeWorld32_JsonAndScrape(benchmark::State& bench) {
    Poll(bench);
}

BENCHMARK(BM_QuakeWorld32_JsonAndScrape)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
