// How long the window's event loop stays away: a 1 ms heartbeat timer runs beside the work, and
// the longest gap between two beats is the longest time the window could not repaint or answer
// a click (the counter max_stall_ms; a frame at 60 Hz is 16.7 ms). The work: a poll tick with 64
// players and 64 series, a log player step with 1000 graph rows, and a connect to a host name
// whose resolver never answers.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

#include "log/player.h"
#include "log/recorder.h"
#include "platform/dialogs.h"
#include "query/connection.h"
#include "ui/main_window.h"
#include "widgets_main.h"

using namespace morvek;

namespace {

void FillPlayers(Monitor& m) {
    for (int s = 0; s < kPlayerSlots; ++s) {
        PlayerRecord& p = m.table.slot[std::size_t(s)];
        p = {"1",
             "player" + std::to_string(s),
             std::to_string(s % 14),
             std::to_string(s % 13),
             "192.0.2.1",
             std::to_string(s),
             std::to_string(s * 2),
             "26001",
             ""};
        m.table.countdown[std::size_t(s)] = 3;
    }
}

// Runs the event loop for `ms` with `work` started at once, and returns the longest gap between
// two beats of a 1 ms timer, in milliseconds.
double LongestStall(int ms, const std::function<void()>& work) {
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, &loop, work);
    clock.start();
    beat.start(1);
    loop.exec();
    longest = std::max(longest, clock.nsecsElapsed() - last);
    return double(longest) / 1e6;
}

struct Window {
    Window() {
        window.Load();
        window.show();
        QCoreApplication::processEvents();
    }
    platform::ScriptedDialogs dialogs;
    MainWindow window{&dialogs, nullptr};
};

void BM_StallPollTick(benchmark::State& state) {
    Window w;
    Monitor& m = w.window.monitor();
    m.server_type = ServerType(99);  // no protocol: the tick sends nothing
    m.graph.SetColumnCount(64);
    SetupGraph(m.graph);
    FillPlayers(m);
    double worst = 0;
    int frags = 0;
    for (auto _ : state) {
        worst = std::max(worst, LongestStall(100, [&] {
                             m.table.slot[0][kFrags] = std::to_string(++frags);
                             for (auto& c : m.table.countdown) c = 3;
                             w.window.connection().OnPollTick();
                         }));
    }
    w.window.connection().timeoutTimer().SetEnabled(false);
    state.counters["max_stall_ms"] = worst;
}
BENCHMARK(BM_StallPollTick)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_StallLogStep(benchmark::State& state) {
    QTemporaryDir dir;
    const QString log = dir.filePath("bench.mv");
    {
        Monitor m;
        m.snapshot.max_players = "64";
        FillPlayers(m);
        for (int n = 0; n < 1100; ++n) {
            m.table.slot[0][kFrags] = std::to_string(n);
            AppendLogRecord(log, HeaderFromMonitor(m), RecordFromMonitor(m, 12, 0));
        }
    }
    Window w;
    Monitor& m = w.window.monitor();
    m.graph.SetRowCount(1000);
    SetupGraph(m.graph);
    w.dialogs.files = {log.toStdString()};
    w.window.OpenLogFile();
    double worst = 0;
    int button = 3;
    for (auto _ : state) {
        button = button == 3 ? 2 : 3;  // ">" then "<": each step refills the 1000 rows
        worst = std::max(worst, LongestStall(300, [&] { w.window.StepReplay(button); }));
    }
    state.counters["max_stall_ms"] = worst;
}
BENCHMARK(BM_StallLogStep)->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_StallResolvingHost(benchmark::State& state) {
    Window w;
    platform::UdpSocket& socket = w.window.connection().socket();
    socket.SetRemoteHost("quake.example.org");
    socket.SetRemotePort(27500);
    socket.SetResolver([](const QString&, QObject*, auto) {});  // never answers
    double worst = 0;
    for (auto _ : state) {
        // The connect waits for the name; the user gives up after 300 ms (the socket closes).
        QTimer::singleShot(300, [&] { socket.Close(); });
        worst = std::max(worst, LongestStall(400, [&] { w.window.Connect(); }));
        w.window.connection().Disconnect();
    }
    state.counters["max_stall_ms"] = worst;
}
BENCHMARK(BM_StallResolvingHost)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
