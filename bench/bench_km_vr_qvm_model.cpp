// Timing of kavrin-models: one scan point (12 helicity amplitudes and the cross sections) for every
// channel and model, and a whole mode-8 run (every Q^2 step from the xB threshold times 181 angles,
// with its result lines). The "per_point" counter is the time of one scan point.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "io/results.hpp"
#include "program_b/model.hpp"
#include "program_b/scan.hpp"
#include "program_b/settings.hpp"

using namespace kavrin::program_b;
namespace fs = std::filesystem;

namespace {

Settings settings_for(int channel, int model) {
    Settings s;
    s.channel = static_cast<Channel>(channel);
    s.model = static_cast<ModelKind>(model);
    s.cut_pion = 0.7;
    s.cut_f1 = 1.55;
    s.el = 0.5;
    if (s.model == ModelKind::km) s.ebe = 5.77;
    return s;
}

// One point at W = 2.21 GeV, Q^2 = 1.6 GeV^2, the angle stepping through 0..180 degrees.
void BM_ScanPoint(benchmark::State& state) {
    const Model model(settings_for(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    int deg = 0;
    for (auto _ : state) {
        const PointResult r = model.evaluate(2210.0, 1.6e6, deg * pi / 180.0);
        benchmark::DoNotOptimize(r.dst);
        deg = deg == 180 ? 0 : deg + 1;
    }
    state.counters["per_point"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate |
                                                               benchmark::Counter::kInvert);
    state.SetLabel("channel " + std::to_string(state.range(0)) + " model " + std::to_string(state.range(1)));
}
BENCHMARK(BM_ScanPoint)
    ->ArgsProduct({{1, 2, 3}, {1, 2, 3}})
    ->Unit(benchmark::kMicrosecond);

// Mode 8, FULL range: Q^2 from the xB = 0.3 threshold to 1 GeV^2 in 0.01 GeV^2 steps, 181 angles each,
// all 18 result files of the -t scan written to a scratch directory.
void BM_Mode8Run(benchmark::State& state) {
    Settings s = settings_for(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    s.out = OutputKind::separated;
    s.xaxis = 8;
    s.ang_range = 2.0f;
    s.w_input = 3.0;
    s.qq_input = 1.0;
    s.xb_input = 0.3;
    const fs::path dir = fs::temp_directory_path() / "kavrin-bench-program-b";
    fs::create_directories(dir);
    std::size_t points = 0;
    for (auto _ : state) {
        kavrin::io::ResultFiles files(dir.string(), result_file_names());
        run_scan(s, files);
        files.close();
        points = files.lines_written(f_dST);
    }
    fs::remove_all(dir);
    state.counters["points"] = static_cast<double>(points);
    state.counters["per_point"] = benchmark::Counter(static_cast<double>(points),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_Mode8Run)->Args({1, 3})->Args({3, 1})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
