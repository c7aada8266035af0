// Cost of one kavrin-regge scan point (twelve helicity amplitudes, response sums, cross sections) per
// channel, and of a whole -t scan at fixed W and Q^2 (181 angles).
#include <benchmark/benchmark.h>

#include "formfactors/gpd.hpp"
#include "program_a/model.hpp"

using namespace kavrin;
using namespace kavrin::program_a;

namespace {

GaussLegendre100 rule() {
    GaussLegendre100 gl;
    gauss_legendre_rule(100, gl.xi.data(), gl.wi.data());
    return gl;
}

// A run of channel gtype with dipole (fft_gnn 2) or GPD (1) form factors at W = 2.22 GeV, Q^2 = 1.6 GeV^2.
Model model_of(int gtype, int fft_gnn) {
    Settings s;
    s.gtype = gtype;
    s.fft_gnn = fft_gnn;
    s.gpd_alp = gtype <= 2 ? 1.105 : neutral_gpd_alp;
    s.cut_f1 = s.cut_f2 = 1.55;
    s.nucleon_f2 = 1;
    s.cutp_em = 775.0;
    s.a1_cc = 1;
    s.omega_phase = 1;
    s.cutw_em = 775.0;
    s.nucleon_poles = 1;
    s.out = 1;
    s.xaxis = 9;
    s.el = 0.5;
    s.outu = 1;
    s.emin = s.emax = 2220.0;
    s.qqmin = s.qqmax = 1.6e6;
    return make_model(s, rule());
}

void BM_ScanPoint(benchmark::State& state) {
    const Model m = model_of(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    double theta = 0.3;
    for (auto _ : state) {
        const PointResult r = evaluate_point(m, 2220.0, 1.6e6, theta);
        benchmark::DoNotOptimize(r.dsu);
        theta = theta < 3.0 ? theta + 1e-3 : 0.3;
    }
    state.SetLabel("gtype " + std::to_string(state.range(0)) + (state.range(1) == 1 ? ", GPD" : ", dipole"));
}
BENCHMARK(BM_ScanPoint)->Args({1, 2})->Args({2, 2})->Args({3, 2})->Args({4, 2})->Args({1, 1})->Args({3, 1});

// The -t scan of mode 9 as the program runs it: nucleon form factors once per Q^2, then 181 angles.
void BM_Mode9Scan(benchmark::State& state) {
    const Model m = model_of(1, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const NucleonFactors nf = nucleon_form_factors(m, 1.6e6);
        double sum = 0.0;
        for (int i200 = 0; i200 <= 180; ++i200) sum += evaluate_point(m, nf, 2220.0, 1.6e6, i200 * pi / 180.0).dsu;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 181);
    state.SetLabel(state.range(0) == 1 ? "pi+ n, GPD" : "pi+ n, dipole");
}
BENCHMARK(BM_Mode9Scan)->Arg(2)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
