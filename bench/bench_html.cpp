// Rendering the shipped page with a full server (64 players), and one publishing tick that
// replaces the output file.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "core/monitor.h"
#include "platform/paths.h"
#include "web/html_renderer.h"
#include "web/publisher.h"

using namespace morvek;

namespace {

Monitor FullServer() {
    Monitor m;
    m.snapshot = {"Bench & <Co>", "2.40", "dm6", "127.0.0.1", "27500", "12", "64", "64", "QuakeWd"};
    for (int i = 0; i < kPlayerSlots; ++i) {
        m.view.rows[i][kName] = "player<" + std::to_string(i) + ">&";
        m.view.rows[i][kTime] = std::to_string(i) + ".75";
        m.view.rows[i][kFrags] = i % 5 == 0 ? "4244897279" : std::to_string(i * 3);
    }
    return m;
}

void BM_RenderStandardPage(benchmark::State& state) {
    const QByteArray tpl = platform::SampleTemplate();
    const Monitor m = FullServer();
    const QDateTime now = QDateTime::currentDateTime();
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto page = web::RenderPage(std::string_view(tpl.constData(), tpl.size()), m, now);
        bytes = page->size();
        benchmark::DoNotOptimize(page);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_RenderStandardPage);

void BM_PublishPage(benchmark::State& state) {
    QTemporaryDir dir;
    const QString tpl = dir.filePath("standard.htm");
    {
        QFile f(tpl);
        f.open(QIODevice::WriteOnly);
        f.write(platform::SampleTemplate());
    }
    const Monitor m = FullServer();
    const QString out = dir.filePath("out.htm");
    for (auto _ : state) {
        const bool wrote = web::PublishPage(tpl, out, m, QDateTime::currentDateTime());
        benchmark::DoNotOptimize(wrote);
    }
}
BENCHMARK(BM_PublishPage);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
