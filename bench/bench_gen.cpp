// kavrin-gen on the box of the docs example (KM, pi+ n, 10.6 GeV, Q2 1.5-4.5 GeV^2, W 2-3 GeV, -t 0-2 GeV^2):
// the cost of one model point at random points of the box, of one unweighted event, and events per second on one
// and two threads. The counter model_points_per_event is an unweighted event's cost in model points.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdint>
#include <memory>

#include "kavrin-gen/generator.hpp"

namespace {

using namespace kavrin;

gen::Settings docs_box() {
    gen::Settings s;
    s.model = frontend::ModelName::km;
    s.channel = Channel::pi_plus_n;
    s.beam_energy = 10.6;
    s.beam_pol = 0.85;
    s.q2 = {1.5, 4.5};
    s.by_w = true;
    s.x = {2.0, 3.0};
    s.minus_t = gen::Range{0.0, 2.0};
    s.seed = 1;
    return s;
}

const gen::Generator& generator() {
    static const gen::Generator g(docs_box(), 1);
    return g;
}

// A point of the box from a simple sequence (no random numbers in the timed loop).
struct Points {
    std::uint64_t i = 0;
    void next(double& w, double& q2, double& t) {
        ++i;
        const double a = (i * 0.6180339887498949) - static_cast<std::uint64_t>(i * 0.6180339887498949);
        const double b = (i * 0.7548776662466927) - static_cast<std::uint64_t>(i * 0.7548776662466927);
        const double c = (i * 0.5698402909980532) - static_cast<std::uint64_t>(i * 0.5698402909980532);
        w = 2.0 + a;
        q2 = 1.5 + 3.0 * b;
        t = 0.2 + 1.5 * c;
    }
};

void BM_ModelPoint(benchmark::State& state) {
    const gen::Generator& g = generator();
    const frontend::AnyModel model = frontend::ModelChoice(frontend::ModelName::km, Channel::pi_plus_n, {}).build();
    (void)g;
    Points p;
    for (auto _ : state) {
        double w, q2, t;
        p.next(w, q2, t);
        benchmark::DoNotOptimize(frontend::evaluate(model, w, q2, Angle::minus_t(t)));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ModelPoint)->Unit(benchmark::kMicrosecond);

// CPU seconds of this thread: the load of others on the machine does not enter.
double cpu_seconds() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// CPU seconds per model point, measured on this thread.
double point_seconds() {
    const frontend::AnyModel model = frontend::ModelChoice(frontend::ModelName::km, Channel::pi_plus_n, {}).build();
    Points p;
    constexpr int n = 50000;
    const double start = cpu_seconds();
    for (int k = 0; k < n; ++k) {
        double w, q2, t;
        p.next(w, q2, t);
        benchmark::DoNotOptimize(frontend::evaluate(model, w, q2, Angle::minus_t(t)));
    }
    return (cpu_seconds() - start) / n;
}

void BM_UnweightedEvent(benchmark::State& state) {
    const gen::Generator& g = generator();
    const double point = point_seconds();
    gen::Event e;
    std::uint64_t i = 0;
    std::uint64_t trials = 0;
    const double start = cpu_seconds();
    for (auto _ : state) {
        g.event(i++, e);
        trials += e.trials;
        benchmark::DoNotOptimize(e);
    }
    const double per_event = (cpu_seconds() - start) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations());
    state.counters["trials_per_event"] = static_cast<double>(trials) / static_cast<double>(state.iterations());
    state.counters["model_points_per_event"] = per_event / point;
}
BENCHMARK(BM_UnweightedEvent)->Unit(benchmark::kMicrosecond);

// Events per second of the whole generation (no output) on 1 and 2 threads.
void BM_Events(benchmark::State& state) {
    const gen::Generator& g = generator();
    const auto threads = static_cast<unsigned>(state.range(0));
    constexpr std::uint64_t n = 8192;
    std::uint64_t first = 0;
    for (auto _ : state) {
        const gen::Tally t = gen::run_events(g, first, n, threads, [](const gen::Event*, std::size_t) {});
        benchmark::DoNotOptimize(t);
        first += n;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}
BENCHMARK(BM_Events)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
