// The library's point function as a fit calls it: one (W, Q^2, -t) at a time, for both models.
#include <benchmark/benchmark.h>

#include <string>

#include "kavrin/models.hpp"
#include "kavrin/regge.hpp"

namespace {

const std::string table_file = std::string(KAVRIN_SOURCE_DIR) + "/data/integral/gauss-legendre100.dat";

// kavrin-regge, pi+ n; form factors 1 = GPD, 2 = dipole.
void BM_ReggePoint(benchmark::State& state) {
    using namespace kavrin::regge;
    Options o;
    o.channel = Channel::pi_plus_n;
    o.form_factors = static_cast<FormFactors>(state.range(0));
    if (o.form_factors == FormFactors::gpd)
        o.gpd_slope_per_gev2 = 1.105;
    else
        o.nucleon_cutoff_gev = 1.55;
    o.pauli_terms = true;
    o.pion_cutoff_mev = 775.0;
    o.a1_sign = A1Sign::positive;
    o.epsilon = 0.5;
    const Model model(Settings(o), load_gauss_legendre_table(table_file));
    double t = 0.1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.evaluate(2.22, 1.6, kavrin::Angle::minus_t(t)));
        t = t < 1.0 ? t + 0.01 : 0.1;
    }
}
BENCHMARK(BM_ReggePoint)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// kavrin-models, pi+ n in model 1 = KM, 2 = VR, 3 = QVM.
void BM_ModelsPoint(benchmark::State& state) {
    using namespace kavrin::models;
    Options o;
    o.channel = Channel::pi_plus_n;
    o.model = static_cast<ModelKind>(state.range(0));
    o.pion_cutoff_gev = 0.68;
    if (o.model == ModelKind::qvm) o.nucleon_cutoff_gev = 1.55;
    o.epsilon = 0.5;
    const Model model{Settings(o)};
    double t = 0.1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.evaluate(2.22, 1.6, kavrin::Angle::minus_t(t)));
        t = t < 1.0 ? t + 0.01 : 0.1;
    }
}
BENCHMARK(BM_ModelsPoint)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
