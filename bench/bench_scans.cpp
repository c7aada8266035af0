// Whole runs and result lines: a 5,000-point Q^2 scan of each program run in-process as from its answer file
// (dialogue, scan, result files written, flushed and renamed), on one thread and on several; and the
// formatting of one result line. The "per_point" counter is the CPU time of the whole process (every thread)
// per scan point; the Time column is the wall time of the run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "io/results.hpp"
#include "io/run.hpp"
#include "kavrin-models/run.hpp"
#include "kavrin-regge/run.hpp"

namespace fs = std::filesystem;

namespace {

// kavrin-regge: pi+ n, dipole form factors (1.55 GeV), F2 on, pion cut-off 775 MeV, separated cross sections,
// Q^2 from 0.01 to 50 GeV^2 at W = 2.22 GeV, -t = 0.3 GeV^2: 5,000 points, 14 files.
constexpr const char* regge_answers = "1\n2\n1.55\n1\n775\n1\n1\n2\n2\n50.0\n2.22\n0.3\n0.5\n1\n";
// kavrin-models: pi+ n, KM, separated cross sections, Q^2 from 0.1 to 50 GeV^2 at W = 2.5 GeV, -t = 0.5 GeV^2:
// 4,991 points, 9 files.
constexpr const char* models_answers = "1\n1\n0.68\n0.84\n1\n2\n2\n50.0\n2.5\n0.5\n0.5\n";

fs::path run_dir(const char* tag) {
    const fs::path dir = fs::temp_directory_path() / ("kavrin-bench-" + std::string(tag) + "-" + std::to_string(::getpid()));
    fs::create_directories(dir / "integral");
    fs::copy_file(KAVRIN_SOURCE_DIR "/data/integral/gauss-legendre100.dat", dir / "integral/gauss-legendre100.dat",
                  fs::copy_options::overwrite_existing);
    return dir;
}

template <class Run>
void whole_run(benchmark::State& state, const char* tag, const char* answers, std::size_t points, Run run) {
    const fs::path dir = run_dir(tag);
    kavrin::io::RunOptions options;
    options.dir = dir.string();
    options.threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        std::istringstream in(answers);
        std::ostringstream out, err;
        if (run(in, out, err, options) != 0) state.SkipWithError(err.str().c_str());
    }
    fs::remove_all(dir);
    state.counters["threads"] = static_cast<double>(options.threads);
    state.counters["per_point"] = benchmark::Counter(static_cast<double>(points),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

void BM_ReggeQ2Scan(benchmark::State& state) {
    whole_run(state, "regge", regge_answers, 5000, kavrin::regge_program::run);
}
BENCHMARK(BM_ReggeQ2Scan)->ArgName("threads")->Arg(1)->Arg(2)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_ModelsQ2Scan(benchmark::State& state) {
    whole_run(state, "models", models_answers, 4991, kavrin::models_program::run);
}
BENCHMARK(BM_ModelsQ2Scan)->ArgName("threads")->Arg(1)->Arg(2)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// One result line " x y" with two 17-digit reals, into a buffer as the scans write it.
void BM_ResultLine(benchmark::State& state) {
    char line[kavrin::io::max_line];
    double x = 1.6, y = 3.456789012345679e-2;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kavrin::io::put_result_line(line, x, y));
        benchmark::ClobberMemory();
        x += 0.01;
        y *= 1.0000001;
    }
}
BENCHMARK(BM_ResultLine);

}  // namespace

BENCHMARK_MAIN();
