// One log-player step on a 24-hour log (17 280 records at one per 5 seconds, about 29 MB) and on
// a short one, with 20 and with 1000 graph rows: the step reads only the records it shows, so its
// cost follows the row count and not the log's length.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "core/hooks.h"
#include "core/numbers.h"
#include "log/log_format.h"
#include "log/player.h"
#include "log/recorder.h"

using namespace morvek;

namespace {

QTemporaryDir& Dir() {
    static QTemporaryDir dir;
    return dir;
}

// A log of `records` records with 16 players whose frags move, written once per size.
const std::string& LogOf(int records) {
    static std::map<int, std::string> made;
    auto found = made.find(records);
    if (found != made.end()) return found->second;
    std::string path = Dir().filePath(QString("log%1.mv").arg(records)).toStdString();
    Monitor m;
    m.snapshot.name = "Bench Server";
    m.snapshot.max_players = "16";
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(QByteArray::fromStdString(logfile::EncodeHeader(HeaderFromMonitor(m))));
    for (int s = 0; s < 16; ++s)
        m.table.slot[s] = {"1", "player" + IntegerText(s), "1", "2", "", "0", "0", "", ""};
    for (int n = 0; n < records; ++n) {
        m.snapshot.map = "e1m" + IntegerText(n % 8 + 1);
        for (int s = 0; s < 16; ++s) {
            m.table.slot[s][kFrags] = IntegerText((n * (s + 1)) / 7 - 3);
            m.table.slot[s][kTime] = IntegerText(n / 12);
        }
        file.write(QByteArray::fromStdString(
            logfile::EncodeRecord(RecordFromMonitor(m, (n / 720) % 24, (n / 12) % 60))));
    }
    return made.emplace(records, path).first->second;
}

void BM_PlayerStep(benchmark::State& state) {
    const int records = int(state.range(0));
    const int rows = int(state.range(1));
    Monitor monitor;
    monitor.graph.SetRowCount(rows);
    monitor.graph.SetColumnCount(16);
    monitor.log_path = QString::fromStdString(LogOf(records));
    monitor.log_open = true;
    monitor.replay.record = records / 2;
    MonitorHooks hooks;
    bool forward = true;
    for (auto _ : state) {
        // ">" and "<" in turn around the middle of the log.
        StepReplay(monitor, hooks, forward ? 3 : 2);
        forward = !forward;
    }
    benchmark::DoNotOptimize(monitor.table.slot[0][kFrags]);
    state.counters["bytes_read"] = double((rows + 2) * logfile::kRecordSize);
}

}  // namespace

BENCHMARK(BM_PlayerStep)
    ->Args({2000, 20})
    ->Args({17280, 20})
    ->Args({2000, 1000})
    ->Args({17280, 1000})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
