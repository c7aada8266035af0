// Evaluates a few kinematic points of both models from one's own code, as a fit to data would:
// the Regge model of kavrin-regge (gamma* p -> pi+ n, GPD form factors) and the VR model of kavrin-models
// (gamma* n -> pi- p), at given W (GeV), Q^2 (GeV^2) and -t (GeV^2).
#include <cstdio>
#include <exception>

#include <kavrin/models.hpp>
#include <kavrin/regge.hpp>

int main() {
    try {
        // kavrin-regge: pi+ n, GPD form factors with slope 1.105 GeV^-2, F2 on, pion cut-off 775 MeV
        kavrin::regge::Options regge;
        regge.channel = kavrin::regge::Channel::pi_plus_n;
        regge.form_factors = kavrin::regge::FormFactors::gpd;
        regge.gpd_slope_per_gev2 = 1.105;
        regge.pauli_terms = true;
        regge.pion_cutoff_mev = 775.0;
        regge.a1_sign = kavrin::regge::A1Sign::positive;
        regge.epsilon = 0.5;
        // the GPD form factors integrate with the Gauss-Legendre table; the package names its installed copy
        const kavrin::regge::Model a(kavrin::regge::Settings(regge),
                                     kavrin::regge::load_gauss_legendre_table(KAVRIN_GAUSS_LEGENDRE_TABLE));

        // kavrin-models: pi- p in the VR model
        kavrin::models::Options vr;
        vr.channel = kavrin::models::Channel::pi_minus_p;
        vr.model = kavrin::models::ModelKind::vr;
        vr.pion_cutoff_gev = 0.655;
        vr.epsilon = 0.5;
        const kavrin::models::Model b{kavrin::models::Settings(vr)};

        std::printf("%-8s %6s %6s %6s %14s %14s %14s %10s\n", "model", "W", "Q2", "-t", "dsT/dt", "dsL/dt",
                    "dsU/dt", "BSA");
        const double points[][3] = {{2.22, 1.6, 0.2}, {2.22, 1.6, 0.6}, {2.5, 2.0, 0.3}, {2.5, 2.0, 1.0}};
        for (const auto& p : points) {
            const kavrin::Angle angle = kavrin::Angle::minus_t(p[2]);
            const kavrin::Observables x = a.evaluate(p[0], p[1], angle);
            const kavrin::Observables y = b.evaluate(p[0], p[1], angle);
            for (const auto& [name, o] : {std::pair{"regge", &x}, std::pair{"VR", &y}})
                std::printf("%-8s %6.2f %6.2f %6.2f %14.6e %14.6e %14.6e %10.6f\n", name, p[0], p[1], p[2],
                            o->dsigma_dt.t, o->dsigma_dt.l, o->dsigma_dt.u, o->bsa);
        }
        std::printf("(cross sections in microbarn/GeV^2)\n");

        // a setting out of range is refused with the member named
        regge.epsilon = 1.5;
        try {
            const kavrin::regge::Settings bad(regge);
        } catch (const kavrin::InvalidSetting& e) {
            std::printf("refused: %s (field %s)\n", e.what(), e.field().c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kavrin-api-example: %s\n", e.what());
        return 1;
    }
    return 0;
}
