// Cost of one point of the Regge model (frame, nucleon form factors, twelve helicity amplitudes, response sums,
// observables) per channel and form-factor model, and of a whole -t scan at fixed W and Q^2 (181 angles).
#include <benchmark/benchmark.h>

#include <string>

#include "kavrin/regge.hpp"
#include "models/regge/model.hpp"

using namespace kavrin;
using namespace kavrin::regge::internal;

namespace {

const regge::GaussLegendreTable& table() {
    static const regge::GaussLegendreTable t =
        regge::load_gauss_legendre_table(KAVRIN_SOURCE_DIR "/data/integral/gauss-legendre100.dat");
    return t;
}

// The model of channel c with dipole (1.55 GeV) or GPD form factors (slope 1.105 GeV^-2 in the charged
// channels), F2 on, pion and omega cut-offs 775 MeV, the neutral Born terms on, epsilon 0.5.
Model model_of(Channel c, regge::FormFactors ff) {
    regge::Options o;
    o.channel = c;
    const bool charged = c == Channel::pi_plus_n || c == Channel::pi_minus_p;
    if (charged) {
        o.pion_cutoff_mev = 775.0;
        o.a1_sign = regge::A1Sign::positive;
    } else {
        o.omega_phase = regge::OmegaPhase::non_degenerate;
        o.omega_cutoff_mev = 775.0;
        o.born_terms = true;
    }
    o.form_factors = ff;
    if (ff == regge::FormFactors::dipole)
        o.nucleon_cutoff_gev = 1.55;
    else if (charged)
        o.gpd_slope_per_gev2 = 1.105;
    o.pauli_terms = true;
    o.epsilon = 0.5;
    return Model(regge::Settings(o), table());
}

const char* channel_name(Channel c) {
    switch (c) {
        case Channel::pi_plus_n: return "pi+ n";
        case Channel::pi_minus_p: return "pi- p";
        case Channel::pi0_p: return "pi0 p";
        case Channel::pi0_n: return "pi0 n";
    }
    return "?";
}

const char* form_factor_name(regge::FormFactors ff) { return ff == regge::FormFactors::gpd ? "GPD" : "dipole"; }

// One point at W = 2.22 GeV, Q^2 = 1.6 GeV^2 with everything it needs: frame, nucleon form factors, observables.
void BM_ReggePoint(benchmark::State& state) {
    const auto c = static_cast<Channel>(state.range(0));
    const auto ff = static_cast<regge::FormFactors>(state.range(1));
    const Model m = model_of(c, ff);
    double theta = 0.3;
    for (auto _ : state) {
        const CmFrame fr = m.frame(2220.0, 1.6e6);
        const Observables o = m.evaluate(fr, m.nucleon_form_factors(1.6e6), theta);
        benchmark::DoNotOptimize(o.dsigma_domega.u);
        theta = theta < 3.0 ? theta + 1e-3 : 0.3;
    }
    state.SetLabel(std::string(channel_name(c)) + ", " + form_factor_name(ff));
}
BENCHMARK(BM_ReggePoint)
    ->ArgNames({"channel", "form_factors"})
    ->Args({1, 2})
    ->Args({2, 2})
    ->Args({3, 2})
    ->Args({4, 2})
    ->Args({1, 1})
    ->Args({3, 1});

// The -t scan of mode 9 as kavrin-regge runs it: frame, nucleon form factors and photon side once per (W, Q^2),
// then 181 angles from 0 to 180 degrees, evaluated for the cross sections.
void BM_ReggeMode9Scan(benchmark::State& state) {
    const auto ff = static_cast<regge::FormFactors>(state.range(0));
    const Model m = model_of(Channel::pi_plus_n, ff);
    for (auto _ : state) {
        const regge::internal::FrameSetup setup = m.setup(m.frame(2220.0, 1.6e6), m.nucleon_form_factors(1.6e6));
        double sum = 0.0;
        for (int i200 = 0; i200 <= 180; ++i200)
            sum += m.evaluate(setup, i200 * pi / 180.0, regge::internal::Evaluation::cross_sections).dsigma_domega.u;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 181);
    state.SetLabel(std::string("pi+ n, ") + form_factor_name(ff));
}
BENCHMARK(BM_ReggeMode9Scan)->ArgName("form_factors")->Arg(2)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
