// Real photons: at Q^2 = 0 every model gives the photoproduction cross section (finite dsigma_T > 0, no
// longitudinal response), and the electroproduction results approach it smoothly as Q^2 -> 0.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "api_fixtures.hpp"
#include "formfactors/monopole_km.hpp"
#include "kavrin/models.hpp"
#include "kavrin/regge.hpp"

namespace {

using kavrin::Angle;
using kavrin::Channel;
using kavrin::Observables;

// One model at one channel, evaluated as a user calls it.
struct Case {
    std::string name;
    std::function<Observables(double w, double q2, Angle)> evaluate;
    bool conserved_current = true;  // false: the model's current is not conserved in this channel
};

kavrin::models::Model models_model(Channel c, kavrin::models::ModelKind m) {
    kavrin::models::Options o;
    o.channel = c;
    o.model = m;
    if (c != Channel::pi0_p) o.pion_cutoff_gev = 0.7;
    if (m == kavrin::models::ModelKind::qvm) o.nucleon_cutoff_gev = 1.55;
    o.epsilon = 0.5;
    if (m == kavrin::models::ModelKind::km) o.beam_energy_gev = 5.77;
    return kavrin::models::Model(kavrin::models::Settings(o));
}

std::vector<Case> cases() {
    using namespace kavrin;
    std::vector<Case> out;
    const regge::GaussLegendreTable table = regge::load_gauss_legendre_table(fixtures::table_file);
    const regge::Model dipole{regge::Settings(fixtures::pip_dipole()), table};
    out.push_back({"Regge pi+ n dipole", [dipole](double w, double q2, Angle a) { return dipole.evaluate(w, q2, a); }});
    regge::Options g;
    g.channel = Channel::pi0_p;
    g.omega_phase = regge::OmegaPhase::non_degenerate;
    g.omega_cutoff_mev = 775.0;
    g.born_terms = true;
    g.form_factors = regge::FormFactors::gpd;
    g.pauli_terms = true;
    g.epsilon = 0.5;
    const regge::Model gpd{regge::Settings(g), table};
    out.push_back({"Regge pi0 p GPD", [gpd](double w, double q2, Angle a) { return gpd.evaluate(w, q2, a); }});
    for (Channel c : {Channel::pi_plus_n, Channel::pi_minus_p, Channel::pi0_p})
        for (auto m : {models::ModelKind::km, models::ModelKind::vr, models::ModelKind::qvm}) {
            const models::Model model = models_model(c, m);
            // VR in gamma* n -> pi- p and gamma* p -> pi0 p, and KM in gamma* p -> pi0 p, do not conserve the
            // current: their longitudinal amplitude grows like 1/Q as Q^2 -> 0
            const bool conserved = !(m == models::ModelKind::vr && c != Channel::pi_plus_n) &&
                                   !(m == models::ModelKind::km && c == Channel::pi0_p);
            out.push_back({"model " + std::to_string(static_cast<int>(m)) + " channel " +
                               std::to_string(static_cast<int>(c)),
                           [model](double w, double q2, Angle a) { return model.evaluate(w, q2, a); }, conserved});
        }
    return out;
}

TEST(RealPhoton, PhotoproductionAtQ2ZeroInEveryModel) {
    for (const Case& c : cases())
        for (double minus_t : {0.1, 0.3, 1.0}) {
            SCOPED_TRACE(c.name + ", -t = " + std::to_string(minus_t));
            const Observables x = c.evaluate(2.22, 0.0, Angle::minus_t(minus_t));
            EXPECT_TRUE(std::isfinite(x.dsigma_dt.t) && x.dsigma_dt.t > 0.0) << x.dsigma_dt.t;
            EXPECT_TRUE(std::isfinite(x.dsigma_dt.tt)) << x.dsigma_dt.tt;
            EXPECT_EQ(x.dsigma_dt.l, 0.0);
            EXPECT_EQ(x.dsigma_dt.lt, 0.0);
            EXPECT_EQ(x.dsigma_dt.ltp, 0.0);
            EXPECT_EQ(x.dsigma_dt.u, x.dsigma_dt.t);
            EXPECT_EQ(x.lt_ratio, 0.0);
            EXPECT_EQ(x.bsa, 0.0);
            for (const kavrin::HelicityAmplitudes& h : x.amplitudes) EXPECT_EQ(h.zero, 0.0);
        }
}

// Below threshold there is no photoproduction either: no value of the point is a number, the longitudinal
// ones (zero for a real photon that produces a pion) included.
TEST(RealPhoton, BelowThresholdEveryValueIsNaN) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const Observables x = c.evaluate(1.0, 0.0, Angle::theta(0.5));
        for (const auto* s : {&x.dsigma_dt, &x.dsigma_domega})
            for (double v : {s->t, s->l, s->tt, s->lt, s->ltp, s->u}) EXPECT_TRUE(std::isnan(v)) << v;
        EXPECT_TRUE(std::isnan(x.lt_ratio));
        EXPECT_TRUE(std::isnan(x.bsa));
    }
}

TEST(RealPhoton, ElectroproductionApproachesItSmoothly) {
    // dsigma_T within 2% of its photoproduction value, dsigma_L growing from 0 to its value at 1e-3 GeV^2
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const Angle a = Angle::minus_t(0.3);
        const Observables real = c.evaluate(2.22, 0.0, a);
        const Observables top = c.evaluate(2.22, 1e-3, a);
        double previous_l = 0.0;
        for (double q2 : {1e-12, 1e-9, 1e-7, 1e-5, 1e-3}) {
            const Observables x = c.evaluate(2.22, q2, a);
            EXPECT_NEAR(x.dsigma_dt.t / real.dsigma_dt.t, 1.0, 0.02) << "Q^2 = " << q2;
            if (!c.conserved_current) continue;
            EXPECT_GE(x.dsigma_dt.l, previous_l) << "Q^2 = " << q2;
            EXPECT_LE(x.dsigma_dt.l, top.dsigma_dt.l) << "Q^2 = " << q2;
            previous_l = x.dsigma_dt.l;
        }
        // dsigma_L vanishes like Q^2 where the current is conserved, and grows like 1/Q^2 where it is not
        const double l7 = c.evaluate(2.22, 1e-7, a).dsigma_dt.l, l9 = c.evaluate(2.22, 1e-9, a).dsigma_dt.l;
        EXPECT_NEAR(l7 / l9, c.conserved_current ? 100.0 : 0.01, c.conserved_current ? 1.0 : 1e-4);
    }
}

TEST(RealPhoton, KmFormFactorsKeepTheirDigitsAsQ2Vanishes) {
    // the series below 1e-3 GeV^2 meets the direct form there, and tends to 1 (the Q^2 = 0 value)
    const kavrin::cplx s(4.9e6, 0.0), u(-1.2e6, 0.0);
    const double m = 938.272;
    const kavrin::cplx below = kavrin::km_fs(s, 999.999999, m), at = kavrin::km_fs(s, 1000.0, m);
    EXPECT_LT(std::abs(below / at - 1.0), 1e-8);
    EXPECT_LT(std::abs(kavrin::km_fu(u, 999.999999, m) / kavrin::km_fu(u, 1000.0, m) - 1.0), 1e-8);
    for (double qq : {1e-6, 1e-3, 1.0}) {
        EXPECT_LT(std::abs(kavrin::km_fs(s, qq, m) - 1.0), 2e-6 * qq) << qq;
        EXPECT_LT(std::abs(kavrin::km_fu(u, qq, m) - 1.0), 2e-6 * qq) << qq;
    }
}

}  // namespace
