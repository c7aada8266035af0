// Timing of the KM, VR and QVM models and of kavrin-models: one scan point (12 helicity amplitudes and the
// cross sections) for every channel and model, and a whole mode-8 run (every Q^2 step from the xB threshold
// times 181 angles, with its result lines). The "per_point" counter is the time of one scan point.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "io/result_files.hpp"
#include "io/results.hpp"
#include "kavrin-models/scan.hpp"
#include "kavrin-models/settings.hpp"
#include "kavrin/models.hpp"
#include "models/km_vr_qvm/model.hpp"

using namespace kavrin::models_program;
using kavrin::models::internal::Model;
using kavrin::models::internal::pi;
namespace fs = std::filesystem;

namespace {

// Channel and model by their dialogue numbers; each cut-off only where it enters, epsilon 0.5 and, for KM,
// the beam energy of a 5.77 GeV run.
kavrin::models::Settings settings_for(int channel, int model) {
    kavrin::models::Options o;
    o.channel = static_cast<kavrin::Channel>(channel);
    o.model = static_cast<kavrin::models::ModelKind>(model);
    if (o.channel != kavrin::Channel::pi0_p) o.pion_cutoff_gev = 0.7;
    if (o.model == kavrin::models::ModelKind::qvm) o.nucleon_cutoff_gev = 1.55;
    o.epsilon = 0.5;
    if (o.model == kavrin::models::ModelKind::km) o.beam_energy_gev = 5.77;
    return kavrin::models::Settings(o);
}

// One point at W = 2.21 GeV, Q^2 = 1.6 GeV^2, the angle stepping through 0..180 degrees.
void BM_ScanPoint(benchmark::State& state) {
    const Model model(settings_for(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    int deg = 0;
    for (auto _ : state) {
        const kavrin::Observables r = model.evaluate(model.frame(2210.0, 1.6e6), deg * pi / 180.0);
        benchmark::DoNotOptimize(r.dsigma_domega.t);
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
    const kavrin::models::Settings settings =
        settings_for(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    Scan s;
    s.out = OutputKind::separated;
    s.mode = 8;
    s.ang_range = 2.0f;
    s.w_input = 3.0;
    s.qq_input = 1.0;
    s.xb_input = 0.3;
    const fs::path dir = fs::temp_directory_path() / "kavrin-bench-km-vr-qvm";
    fs::create_directories(dir);
    std::size_t points = 0;
    for (auto _ : state) {
        kavrin::io::ResultFiles files(dir.string(), kavrin::io::file::models_files);
        const Model model(settings);
        run_scan(model, s, files);
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
