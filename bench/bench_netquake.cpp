// One poll's work for a full 16-player NetQuake server: decode the server-information reply and
// the 16 player replies, commit them, rebuild the view.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "core/hooks.h"
#include "query/connection.h"
#include "sim/netquake_replies.h"
#include "sim/sim_state.h"

// Every allocation of the process is counted, so the benchmark can report allocations per poll.
static std::atomic<long long> g_allocations{0};

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

std::vector<std::string> PollReplies() {
    morvek::sim::SimState state = morvek::sim::DemoState(morvek::ServerType::QuakeI);
    state.players.resize(16);
    for (std::size_t i = 0; i < state.players.size(); ++i) {
        state.players[i].name = "Player number " + std::to_string(i);
        state.players[i].frags = int(i) * 3 - 7;
        state.players[i].seconds = 600 + int(i) * 17;
    }
    std::vector<std::string> replies{morvek::sim::NetQuakeServerInfoReply(state)};
    for (int i = 0; i < 16; ++i) replies.push_back(*morvek::sim::NetQuakePlayerInfoReply(state, i));
    return replies;
}

void PollNetQuake(benchmark::State& st) {
    const auto replies = PollReplies();
    morvek::Monitor monitor;
    monitor.options.player_sorting = static_cast<std::uint8_t>(st.range(0));
    morvek::MonitorHooks hooks;
    morvek::Connection connection(monitor, hooks);
    const long long before = g_allocations.load();
    for (auto _ : st) {
        morvek::AgePresence(monitor.table);
        morvek::BuildPlayerView(monitor.table, monitor.view, monitor.options.player_sorting,
                                monitor.options.keep_disconnected);
        for (const auto& reply : replies) connection.HandleDatagram(reply);
        benchmark::DoNotOptimize(monitor.table.slot[15][morvek::kFrags].data());
    }
    st.counters["allocs_per_poll"] = benchmark::Counter(double(g_allocations.load() - before),
                                                        benchmark::Counter::kAvgIterations);
}
BENCHMARK(PollNetQuake)->Arg(0)->Arg(1)->Arg(2)->ArgName("sorting");

}  // namespace

BENCHMARK_MAIN();
