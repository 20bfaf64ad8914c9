// The monitor's CPU per poll of a full QuakeWorld server (32 players), as the headless monitor
// spends it: the tick (ageing, view), the reply (decode, commit), the JSON line of the picture
// and of the events, and one metrics scrape. With the listener on, its event streams get the
// events and the scoreboard's picture: the difference between 16 streams and none is what the
// streams cost a poll. The streams are read by a thread of their own, so only the monitor's side
// is counted.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QThread>
#include <atomic>
#include <memory>
#include <vector>

#include "core/events.h"
#include "core/hooks.h"
#include "core/monitor.h"
#include "core/picture.h"
#include "core/text.h"
#include "metrics/exposition.h"
#include "metrics/live_feed.h"
#include "metrics/metrics_server.h"
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

// What the headless monitor does at a poll tick with --json, its listener fed as it feeds it.
class JsonHooks : public MonitorHooks {
  public:
    explicit JsonHooks(Monitor& monitor) : live(monitor), monitor_(monitor) {}
    void RecordPoint() override {
        const metrics::ToldEvents events = live.Tick();
        out_ = PictureJson(monitor_, live.Ticks());
        for (const std::string& line : events.lines) out_ += line;
        told += events.lines.size();
        benchmark::DoNotOptimize(out_.data());
    }
    metrics::LiveFeed live;
    std::uint64_t told = 0;  // events told so far

  private:
    Monitor& monitor_;
    std::string out_;
};

// Event streams on 127.0.0.1, read in a thread of their own, which counts the messages (each ends
// with an empty line) that came.
class Streams {
  public:
    Streams() { thread_.start(); }
    ~Streams() {
        for (QTcpSocket* socket : sockets_)
            QMetaObject::invokeMethod(socket, &QObject::deleteLater);
        thread_.quit();
        thread_.wait();
    }
    // One more stream; the listener takes it in the caller's event loop.
    void Open(quint16 port) {
        auto* socket = new QTcpSocket;
        socket->moveToThread(&thread_);
        QMetaObject::invokeMethod(socket, [this, socket, port] {
            QObject::connect(
                socket, &QTcpSocket::readyRead, socket, [this, socket, last = '\0']() mutable {
                    const QByteArray data = socket->readAll();
                    if (data.isEmpty()) return;
                    messages += data.count("\n\n") + (last == '\n' && data.front() == '\n');
                    last = data.back();
                });
            socket->connectToHost(QHostAddress::LocalHost, port);
            socket->write("GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        });
        sockets_.push_back(socket);
    }

    std::atomic<qint64> messages = 0;

  private:
    QThread thread_;
    std::vector<QTcpSocket*> sockets_;
};

void Poll(benchmark::State& bench, int streams = -1) {
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
    std::unique_ptr<Streams> readers;
    metrics::MetricsServer* live = nullptr;
    if (streams >= 0) {
        std::string error;
        if (!hooks.live.Serve(metrics::ListenAddress{QHostAddress(QHostAddress::LocalHost), 0},
                              error)) {
            bench.SkipWithError(error.c_str());
            return;
        }
        live = hooks.live.Server();
        readers = std::make_unique<Streams>();
        // One at a time: connections not yet streams count against the open connections.
        for (int i = 0; i < streams; ++i) {
            readers->Open(live->Port());
            for (int wait = 0; wait < 500 && live->Subscribers() <= i; ++wait)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
    }
    // Each stream got the picture as it stood.
    qint64 sent = live ? live->Subscribers() : 0;
    std::size_t turn = 0;
    for (auto _ : bench) {
        const std::uint64_t told = hooks.told;
        connection.OnPollTick();
        connection.HandleDatagram(replies[++turn % 2]);
        std::string scrape = metrics::Exposition(monitor);
        benchmark::DoNotOptimize(scrape.data());
        if (!readers) continue;
        // The listener's writes go out; then, uncounted, the readers catch up, as they do
        // between two polls.
        QCoreApplication::processEvents();
        bench.PauseTiming();
        sent += qint64(hooks.told - told + 1) * live->Subscribers();
        for (QDeadlineTimer late(5000); readers->messages < sent && !late.hasExpired();) {
            QCoreApplication::processEvents();
            QThread::usleep(20);
        }
        bench.ResumeTiming();
    }
    bench.counters["streams"] = live ? live->Subscribers() : 0;
    connection.timeoutTimer().SetEnabled(false);
}

void BM_QuakeWorld32_JsonAndScrape(benchmark::State& bench) {
    Poll(bench);
}
// The same with the listener on and bench.range(0) event streams reading.
void BM_QuakeWorld32_Live(benchmark::State& bench) {
    Poll(bench, int(bench.range(0)));
}

BENCHMARK(BM_QuakeWorld32_JsonAndScrape)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QuakeWorld32_Live)->Arg(0)->Arg(16)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
