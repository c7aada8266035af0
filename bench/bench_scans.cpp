// Whole runs and result lines: a 5,000-point Q^2 scan of each program run in-process as from its answer file
// (dialogue, scan, result files written, flushed to disk and renamed), on one thread and on several; and the
// formatting of one result line. Each iteration also runs the same answers with a one-point scan, and the
// figures are the differences, the cost of the 5,000 points without that of starting a run and putting its
// files in place: "per_point" is the CPU time of the whole process (every thread)
// per point, "kernel" the part of it spent in the kernel (the files' bytes into the page cache, mostly), the Time
// column the wall time of the points.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <time.h>

#include <chrono>
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
// Q^2 from 0.01 to 50 GeV^2 (or to 0.01 GeV^2: one point) at W = 2.22 GeV, -t = 0.3 GeV^2: 5,000 points, 14 files.
constexpr const char* regge_answers = "1\n2\n1.55\n1\n775\n1\n1\n2\n2\n50.0\n2.22\n0.3\n0.5\n1\n";
constexpr const char* regge_one_point = "1\n2\n1.55\n1\n775\n1\n1\n2\n2\n0.01\n2.22\n0.3\n0.5\n1\n";
// kavrin-models: pi+ n, KM, separated cross sections, Q^2 from 0.1 to 50 GeV^2 (or to 0.1 GeV^2) at W = 2.5 GeV,
// theta = 10 degrees: 4,991 points, 7 files.
constexpr const char* models_answers = "1\n1\n0.68\n0.84\n1\n5\n2\n50.0\n2.5\n10\n0.5\n";
constexpr const char* models_one_point = "1\n1\n0.68\n0.84\n1\n5\n2\n0.1\n2.5\n10\n0.5\n";

double process_cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The kernel's share of the process CPU (writing the files into the page cache, mostly).
double process_system_seconds() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return static_cast<double>(r.ru_stime.tv_sec) + 1e-6 * static_cast<double>(r.ru_stime.tv_usec);
}

double wall_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The run directory: in memory (/dev/shm) where there is one, so that the disk does not enter the figures.
fs::path run_dir(const char* tag) {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path dir = base / ("kavrin-bench-" + std::string(tag) + "-" + std::to_string(::getpid()));
    fs::create_directories(dir / "integral");
    fs::copy_file(KAVRIN_SOURCE_DIR "/data/integral/gauss-legendre100.dat", dir / "integral/gauss-legendre100.dat",
                  fs::copy_options::overwrite_existing);
    return dir;
}

template <class Run>
void whole_run(benchmark::State& state, const char* tag, const char* answers, const char* one_point,
               std::size_t points, Run run) {
    const fs::path dir = run_dir(tag);
    kavrin::io::RunOptions options;
    options.dir = dir.string();
    options.threads = static_cast<unsigned>(state.range(0));
    // one run of the answers: its CPU and wall seconds
    const auto timed = [&](const char* a, double& cpu, double& sys, double& wall) {
        std::istringstream in(a);
        std::ostringstream out, err;
        const double c0 = process_cpu_seconds(), s0 = process_system_seconds(), w0 = wall_seconds();
        if (run(in, out, err, options) != 0) state.SkipWithError(err.str().c_str());
        cpu = process_cpu_seconds() - c0;
        sys = process_system_seconds() - s0;
        wall = wall_seconds() - w0;
    };
    double cpu_points = 0.0, sys_points = 0.0;
    for (auto _ : state) {
        double cpu_big, sys_big, wall_big, cpu_one, sys_one, wall_one;
        timed(answers, cpu_big, sys_big, wall_big);
        timed(one_point, cpu_one, sys_one, wall_one);
        cpu_points += cpu_big - cpu_one;
        sys_points += sys_big - sys_one;
        state.SetIterationTime(wall_big - wall_one);
    }
    fs::remove_all(dir);
    const double per_point = 1e6 / static_cast<double>(state.iterations()) / static_cast<double>(points - 1);
    state.counters["threads"] = static_cast<double>(options.threads);
    state.counters["per_point_us"] = cpu_points * per_point;
    state.counters["kernel_us"] = sys_points * per_point;
}

void BM_ReggeQ2Scan(benchmark::State& state) {
    whole_run(state, "regge", regge_answers, regge_one_point, 5000, kavrin::regge_program::run);
}
BENCHMARK(BM_ReggeQ2Scan)->ArgName("threads")->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ModelsQ2Scan(benchmark::State& state) {
    whole_run(state, "models", models_answers, models_one_point, 4991, kavrin::models_program::run);
}
BENCHMARK(BM_ModelsQ2Scan)->ArgName("threads")->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond);

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
