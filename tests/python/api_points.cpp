// The C++ API on points read from standard input, for the Python module's tests: the arguments name the
// model, the channel and the options (NAME=VALUE; numbers, or the names of the options' choices), each input
// line holds W Q2 -t, each output line the fourteen observables with 17 significant digits.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <variant>

#include "kavrin/models.hpp"
#include "kavrin/regge.hpp"

using namespace kavrin;

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string model = argv[1], channel = argv[2];
    const Channel c = channel == "pi+n" ? Channel::pi_plus_n : channel == "pi-p" ? Channel::pi_minus_p
                      : channel == "pi0p" ? Channel::pi0_p : Channel::pi0_n;
    regge::Options ro;
    models::Options mo;
    ro.channel = mo.channel = c;
    mo.model = model == "km" ? models::ModelKind::km : model == "vr" ? models::ModelKind::vr : models::ModelKind::qvm;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i], k = a.substr(0, a.find('=')), v = a.substr(a.find('=') + 1);
        const double x = std::strtod(v.c_str(), nullptr);
        if (k == "form_factors") ro.form_factors = v == "gpd" ? regge::FormFactors::gpd : regge::FormFactors::dipole;
        if (k == "gpd_slope_per_gev2") ro.gpd_slope_per_gev2 = x;
        if (k == "nucleon_cutoff_gev") (model == "regge" ? ro.nucleon_cutoff_gev : mo.nucleon_cutoff_gev) = x;
        if (k == "pauli_terms") ro.pauli_terms = v == "True";
        if (k == "pion_cutoff_mev") ro.pion_cutoff_mev = x;
        if (k == "a1_sign") ro.a1_sign = v == "positive" ? regge::A1Sign::positive : regge::A1Sign::negative;
        if (k == "omega_phase")
            ro.omega_phase = v == "non_degenerate" ? regge::OmegaPhase::non_degenerate : regge::OmegaPhase::degenerate;
        if (k == "omega_cutoff_mev") ro.omega_cutoff_mev = x;
        if (k == "born_terms") ro.born_terms = v == "True";
        if (k == "epsilon") (model == "regge" ? ro.epsilon : mo.epsilon) = x;
        if (k == "pion_cutoff_gev") mo.pion_cutoff_gev = x;
        if (k == "beam_energy_gev") mo.beam_energy_gev = x;
    }
    const std::variant<regge::Model, models::Model> m =
        model == "regge"
            ? std::variant<regge::Model, models::Model>(regge::Model(
                  regge::Settings(regge::with_defaults(ro)), regge::load_gauss_legendre_table(KAVRIN_SOURCE_DIR "/data/integral/gauss-legendre100.dat")))
            : std::variant<regge::Model, models::Model>(models::Model(models::Settings(models::with_defaults(mo))));
    for (double w, q2, t; std::cin >> w >> q2 >> t;) {
        const Observables x = std::visit([&](const auto& mm) { return mm.evaluate(w, q2, Angle::minus_t(t)); }, m);
        const CrossSections& a = x.dsigma_dt;
        const CrossSections& b = x.dsigma_domega;
        for (double v : {a.t, a.l, a.tt, a.lt, a.ltp, a.u, b.t, b.l, b.tt, b.lt, b.ltp, b.u, x.lt_ratio, x.bsa})
            std::printf("%.17g ", v);
        std::printf("\n");
    }
}
