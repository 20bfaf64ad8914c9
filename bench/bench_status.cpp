// One QuakeWorld or Quake II status reply of a full server (32 players): decoding alone, and the
// whole handling of the datagram (settings, rules list, 32 commits) followed by the view rebuild
// of the next poll tick.
#include <benchmark/benchmark.h>
#include <QCoreApplication>

#include "core/hooks.h"
#include "core/monitor.h"
#include "query/connection.h"
#include "query/status.h"
#include "sim/sim_state.h"
#include "sim/status_replies.h"

namespace {

using namespace morvek;

std::string FullServerReply(ServerType type) {
    sim::SimState state = sim::DemoState(type);
    state.max_players = 32;
    while (state.players.size() < 32) {
        sim::SimPlayer p;
        int n = static_cast<int>(state.players.size()) + 1;
        p.name = "Player " + std::to_string(n);
        p.user_id = n;
        p.frags = (n * 7) % 40 - 5;
        p.seconds = n * 95;
        p.ping = 20 + n * 3;
        p.shirt = n % 16;
        p.pants = (n * 5) % 16;
        state.players.push_back(p);
    }
    return type == ServerType::QuakeII ? sim::BuildQuakeIIStatus(state)
                                       : sim::BuildQuakeWorldStatus(state);
}

void Decode(benchmark::State& bench, ServerType type) {
    const std::string reply = FullServerReply(type);
    for (auto _ : bench) {
        auto decoded = type == ServerType::QuakeII ? status::DecodeQuakeII(reply)
                                                   : status::DecodeQuakeWorld(reply);
        benchmark::DoNotOptimize(decoded);
    }
    bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * reply.size()));
    bench.counters["reply_bytes"] = static_cast<double>(reply.size());
}

void DecodeCommitView(benchmark::State& bench, ServerType type) {
    const std::string reply = FullServerReply(type);
    Monitor monitor;
    monitor.server_type = type;
    monitor.options.player_sorting = kSortByFrags;
    MonitorHooks hooks;
    Connection connection(monitor, hooks);
    for (auto _ : bench) {
        connection.HandleDatagram(reply);
        BuildPlayerView(monitor.table, monitor.view, monitor.options.player_sorting,
                        monitor.options.keep_disconnected);
        benchmark::DoNotOptimize(monitor.view.rows[0][kName].data());
    }
    if (CountPresent(monitor.table) != 32) bench.SkipWithError("not every player was committed");
}

void BM_DecodeQuakeWorld32(benchmark::State& bench) {
    Decode(bench, ServerType::QuakeWorld);
}
void BM_DecodeQuakeII32(benchmark::State& bench) {
    Decode(bench, ServerType::QuakeII);
}
void BM_QuakeWorldReply32_CommitAndView(benchmark::State& bench) {
    DecodeCommitView(bench, ServerType::QuakeWorld);
}
void BM_QuakeIIReply32_CommitAndView(benchmark::State& bench) {
    DecodeCommitView(bench, ServerType::QuakeII);
}

BENCHMARK(BM_DecodeQuakeWorld32);
BENCHMARK(BM_DecodeQuakeII32);
BENCHMARK(BM_QuakeWorldReply32_CommitAndView);
BENCHMARK(BM_QuakeIIReply32_CommitAndView);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
