// The library as a user calls it: settings that are rejected with the member named, the relations the
// observables of one point must satisfy, and many threads evaluating the same points as one thread does.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "io/answers.hpp"
#include "api_fixtures.hpp"
#include "kavrin/models.hpp"
#include "kavrin/observables.hpp"
#include "kavrin/regge.hpp"
#include "kavrin-models/dialogue.hpp"
#include "kavrin-regge/dialogue.hpp"

using kavrin::Angle;
using kavrin::fixtures::pip_dipole;
using kavrin::fixtures::table_file;
using kavrin::InvalidSetting;
using kavrin::Observables;

namespace {



kavrin::models::Options pim_vr() {
    using namespace kavrin::models;
    Options o;
    o.channel = Channel::pi_minus_p;
    o.model = ModelKind::vr;
    o.pion_cutoff_gev = 0.655;
    o.epsilon = 0.5;
    return o;
}

// Expects construction of the settings to throw InvalidSetting naming `field` with the shown `value`.
template <class SettingsType, class OptionsType>
void expect_rejected(const OptionsType& o, const std::string& field, const std::string& value) {
    try {
        const SettingsType s(o);
        ADD_FAILURE() << "accepted; expected " << field << " = " << value << " to be rejected";
    } catch (const InvalidSetting& e) {
        EXPECT_EQ(e.field(), field) << e.what();
        EXPECT_EQ(e.value(), value) << e.what();
        EXPECT_NE(std::string(e.what()).find(field), std::string::npos) << e.what();
    }
}

void expect_regge_rejected(const kavrin::regge::Options& o, const std::string& field, const std::string& value) {
    expect_rejected<kavrin::regge::Settings>(o, field, value);
}
void expect_models_rejected(const kavrin::models::Options& o, const std::string& field, const std::string& value) {
    expect_rejected<kavrin::models::Settings>(o, field, value);
}

// Same double, NaN equal to NaN (bit patterns of the results of the same computation).
bool identical(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool identical(const Observables& a, const Observables& b) {
    const double xa[] = {a.t,          a.theta,        a.dsigma_domega.t, a.dsigma_domega.l, a.dsigma_domega.tt,
                         a.dsigma_domega.lt, a.dsigma_domega.ltp, a.dsigma_domega.u, a.dsigma_dt.u, a.lt_ratio,
                         a.bsa,        a.dds_domega};
    const double xb[] = {b.t,          b.theta,        b.dsigma_domega.t, b.dsigma_domega.l, b.dsigma_domega.tt,
                         b.dsigma_domega.lt, b.dsigma_domega.ltp, b.dsigma_domega.u, b.dsigma_dt.u, b.lt_ratio,
                         b.bsa,        b.dds_domega};
    for (std::size_t i = 0; i < std::size(xa); ++i)
        if (!identical(xa[i], xb[i])) return false;
    return std::memcmp(a.amplitudes.data(), b.amplitudes.data(), sizeof a.amplitudes) == 0;
}

// A grid of points across W, Q^2 and the angle, some of them unphysical (below threshold, -t too large).
struct Point {
    double w, q2;
    Angle angle;
};
std::vector<Point> grid() {
    std::vector<Point> pts;
    for (double w : {1.3, 1.8, 2.2, 2.9})
        for (double q2 : {0.3, 1.0, 2.45})
            for (int i = 0; i <= 12; ++i) {
                pts.push_back({w, q2, Angle::theta(i * 0.25)});
                pts.push_back({w, q2, Angle::minus_t(0.1 + 0.4 * i)});
            }
    return pts;
}

// Evaluates every point of `pts` with `f`, split over `threads` threads.
std::vector<Observables> evaluate_all(const std::vector<Point>& pts, const std::function<Observables(const Point&)>& f,
                                      unsigned threads) {
    std::vector<Observables> out(pts.size());
    std::vector<std::thread> pool;
    for (unsigned k = 0; k < threads; ++k)
        pool.emplace_back([&, k] {
            // interleaved, so that every thread evaluates every kind of point
            for (std::size_t i = k; i < pts.size(); i += threads) out[i] = f(pts[i]);
        });
    for (std::thread& t : pool) t.join();
    return out;
}

}  // namespace

TEST(ReggeSettings, EveryBadMemberIsNamedWithItsValue) {
    using namespace kavrin::regge;
    {
        Options o = pip_dipole();
        o.channel.reset();
        expect_regge_rejected(o, "channel", "(not given)");
        o.channel = static_cast<Channel>(7);
        expect_regge_rejected(o, "channel", "7");
    }
    {
        Options o = pip_dipole();
        o.epsilon = 1.5;
        expect_regge_rejected(o, "epsilon", "1.5");
        o.epsilon = std::nan("");
        expect_regge_rejected(o, "epsilon", "nan");
        o.epsilon.reset();
        expect_regge_rejected(o, "epsilon", "(not given)");
    }
    {
        Options o = pip_dipole();
        o.pion_cutoff_mev = -775.0;
        expect_regge_rejected(o, "pion_cutoff_mev", "-775");
        o.pion_cutoff_mev.reset();
        expect_regge_rejected(o, "pion_cutoff_mev", "(not given)");
    }
    {
        // members of the other channels or form factors are not silently ignored
        Options o = pip_dipole();
        o.omega_phase = OmegaPhase::degenerate;
        expect_regge_rejected(o, "omega_phase", "2");
        o = pip_dipole();
        o.gpd_slope_per_gev2 = 1.105;
        expect_regge_rejected(o, "gpd_slope_per_gev2", "1.105");
        o = pip_dipole();
        o.form_factors = FormFactors::gpd;  // the dipole cut-off is then out of place, the slope missing
        o.nucleon_cutoff_gev.reset();
        expect_regge_rejected(o, "gpd_slope_per_gev2", "(not given)");
        o = pip_dipole();
        o.a1_sign = static_cast<A1Sign>(0);
        expect_regge_rejected(o, "a1_sign", "0");
    }
    {
        Options o;
        o.channel = Channel::pi0_n;
        o.omega_phase = OmegaPhase::non_degenerate;
        o.omega_cutoff_mev = 775.0;
        o.born_terms = false;
        o.epsilon = 0.3;
        EXPECT_NO_THROW(Settings{o});
        o.pauli_terms = true;  // no Born terms: no nucleon form factors
        expect_regge_rejected(o, "pauli_terms", "true");
        o.pauli_terms.reset();
        o.pion_cutoff_mev = 775.0;
        expect_regge_rejected(o, "pion_cutoff_mev", "775");
        o.pion_cutoff_mev.reset();
        o.born_terms = true;
        expect_regge_rejected(o, "form_factors", "(not given)");
    }
    {
        Options o = pip_dipole();
        o.unit = static_cast<kavrin::CrossSectionUnit>(3);
        expect_regge_rejected(o, "unit", "3");
        o = pip_dipole();
        o.dds = Dds{DdsType::cea, std::nullopt, 1.2, 0.5};
        expect_regge_rejected(o, "dds.cos_phi", "1.2");
        o.dds = Dds{DdsType::jlab, std::nullopt, 0.3, 0.5};
        expect_regge_rejected(o, "dds.cos_phi", "0.3");
        o.dds = Dds{DdsType::cornell_averaged, 0.5, std::nullopt, std::nullopt};
        expect_regge_rejected(o, "dds.phi", "0.5");
        o.dds = Dds{static_cast<DdsType>(6), std::nullopt, std::nullopt, std::nullopt};
        expect_regge_rejected(o, "dds.type", "6");
        o.dds = Dds{DdsType::desy, 0.5, std::nullopt, std::nullopt};
        EXPECT_EQ(Settings(o).options(), o);
    }
}

TEST(ModelsSettings, EveryBadMemberIsNamedWithItsValue) {
    using namespace kavrin::models;
    Options o = pim_vr();
    EXPECT_EQ(Settings(o).options(), o);
    o.channel = static_cast<Channel>(4);
    expect_models_rejected(o, "channel", "4");
    o = pim_vr();
    o.model.reset();
    expect_models_rejected(o, "model", "(not given)");
    o = pim_vr();
    o.beam_energy_gev = 5.77;  // VR takes its asymmetry from epsilon
    expect_models_rejected(o, "beam_energy_gev", "5.77");
    o = pim_vr();
    o.nucleon_cutoff_gev = 0.84;  // fixed inside VR
    expect_models_rejected(o, "nucleon_cutoff_gev", "0.84");
    o = pim_vr();
    o.epsilon = -0.1;
    expect_models_rejected(o, "epsilon", "-0.1");
    o = pim_vr();
    o.channel = Channel::pi0_p;  // no pion exchange in pi0 p: a pion cut-off has no place
    expect_models_rejected(o, "pion_cutoff_gev", "0.655");
    o = pim_vr();
    o.model = ModelKind::qvm;
    expect_models_rejected(o, "nucleon_cutoff_gev", "(not given)");
    o = pim_vr();
    o.model = ModelKind::km;
    o.epsilon.reset();
    expect_models_rejected(o, "epsilon", "(not given)");
    o.beam_energy_gev = -1.0;
    expect_models_rejected(o, "beam_energy_gev", "-1");
    o.beam_energy_gev = std::numeric_limits<double>::infinity();
    expect_models_rejected(o, "beam_energy_gev", "inf");
    o.beam_energy_gev = 5.77;
    EXPECT_NO_THROW(Settings{o});
}

// The programs keep an answer as typed ("put any value if not relevant"), where the library's own settings
// insist on the physical range; the structure is checked all the same.
TEST(ProgramSettings, AnswersOutsideThePhysicalRangeAreKeptAsTyped) {
    std::istringstream answers("2\n2\n0.655\n0.84\n1\n9\n2\n2.2\n1.0\n1.5\n");
    std::ostringstream transcript;
    kavrin::io::Dialogue dialogue(answers, transcript, false);
    const kavrin::models_program::Answers run = kavrin::models_program::run_dialogue(dialogue);
    const kavrin::models::Settings s = kavrin::models::Settings::as_typed(run.physics);
    EXPECT_EQ(*s.options().epsilon, 1.5);
    EXPECT_FALSE(s.options().nucleon_cutoff_gev);  // asked, but VR does not use it
    expect_models_rejected(s.options(), "epsilon", "1.5");
    kavrin::models::Options missing = run.physics;
    missing.pion_cutoff_gev.reset();
    EXPECT_THROW(kavrin::models::Settings::as_typed(missing), kavrin::InvalidSetting);

    std::istringstream answers_a("1\n2\n-1.55\n1\n775\n1\n1\n2\n9\n2.22\n1.60\n0.5\n1\n");
    kavrin::io::Dialogue dialogue_a(answers_a, transcript, false);
    const kavrin::regge::Settings sa =
        kavrin::regge::Settings::as_typed(kavrin::regge_program::run_dialogue(dialogue_a).physics);
    EXPECT_EQ(*sa.options().nucleon_cutoff_gev, -1.55);
    expect_regge_rejected(sa.options(), "nucleon_cutoff_gev", "-1.55");
}

TEST(GaussLegendreTableFile, MissingFileIsNamed) {
    try {
        kavrin::regge::load_gauss_legendre_table("/nonexistent/gauss-legendre100.dat");
        ADD_FAILURE() << "no error";
    } catch (const kavrin::regge::TableError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/gauss-legendre100.dat"), std::string::npos) << e.what();
    }
    const kavrin::regge::GaussLegendreTable t = kavrin::regge::load_gauss_legendre_table(table_file);
    double sum = 0.0;
    for (double w : t.weights) sum += w;
    EXPECT_NEAR(sum, 2.0, 1e-14);  // the weights integrate 1 over [-1, 1]
}

// What every physical point must satisfy, in both libraries: positive dsigma_T and dsigma_L, |BSA| <= 1,
// the three ways of giving the angle agree, dsigma/dt = dsigma/dOmega x pi/(k p), nanobarn = 1000 microbarn,
// and dsigma_L/dsigma_T equal to the ratio of the helicity amplitudes' sums.
TEST(PointObservables, PhysicsRelationsHoldAcrossTheGrid) {
    using namespace kavrin;
    regge::Options gpd;
    gpd.channel = regge::Channel::pi_minus_p;
    gpd.form_factors = regge::FormFactors::gpd;
    gpd.gpd_slope_per_gev2 = 1.105;
    gpd.pauli_terms = true;
    gpd.pion_cutoff_mev = 710.0;
    gpd.a1_sign = regge::A1Sign::negative;
    gpd.epsilon = 0.7;
    regge::Options gpd_nb = gpd;
    gpd_nb.unit = CrossSectionUnit::nanobarn;
    const regge::GaussLegendreTable table = regge::load_gauss_legendre_table(table_file);
    const regge::Model a(regge::Settings(gpd), table), a_nb(regge::Settings(gpd_nb), table);
    const models::Model b{models::Settings(pim_vr())};

    int physical = 0;
    for (const Point& p : grid()) {
        const Observables x = a.evaluate(p.w, p.q2, p.angle);
        const Observables y = b.evaluate(p.w, p.q2, p.angle);
        for (const Observables* o : {&x, &y}) {
            if (std::isnan(o->t)) {
                EXPECT_TRUE(std::isnan(o->dsigma_domega.t));  // unphysical: NaN, never an invented number
                continue;
            }
            ++physical;
            EXPECT_GE(o->dsigma_domega.t, 0.0);
            EXPECT_GE(o->dsigma_domega.l, 0.0);
            EXPECT_LE(std::abs(o->bsa), 1.0);
            EXPECT_NEAR(o->dsigma_dt.l, o->dsigma_domega.l * o->dt_per_domega, 1e-13 * std::abs(o->dsigma_dt.l));
            double sum_t = 0.0, sum_l = 0.0;
            for (const HelicityAmplitudes& h : o->amplitudes) {
                sum_t += std::norm(h.plus) + std::norm(h.minus);
                sum_l += std::norm(h.zero);
            }
            EXPECT_NEAR(o->lt_ratio, (sum_l / 2.0) / (sum_t / 4.0), 1e-12 * o->lt_ratio);
        }
        if (std::isnan(x.t)) continue;
        EXPECT_NEAR(a_nb.evaluate(p.w, p.q2, p.angle).dsigma_dt.t, 1000.0 * x.dsigma_dt.t, 1e-13 * x.dsigma_dt.t * 1000);
        // the same point given by theta, cos(theta) and -t
        const Observables by_cos = a.evaluate(p.w, p.q2, Angle::cos_theta(x.cos_theta));
        const Observables by_t = a.evaluate(p.w, p.q2, Angle::minus_t(-x.t));
        EXPECT_NEAR(by_cos.dsigma_domega.u, x.dsigma_domega.u, 1e-9 * x.dsigma_domega.u);
        EXPECT_NEAR(by_t.dsigma_domega.u, x.dsigma_domega.u, 1e-9 * x.dsigma_domega.u);
        EXPECT_NEAR(by_t.t, x.t, 1e-12 * std::abs(x.t));
    }
    EXPECT_GT(physical, 200);  // the grid is mostly physical: the checks above did run
}

TEST(PointObservables, ManyThreadsGiveTheSameNumbersAsOne) {
    using namespace kavrin;
    regge::Options o = pip_dipole();
    o.form_factors = regge::FormFactors::gpd;
    o.nucleon_cutoff_gev.reset();
    o.gpd_slope_per_gev2 = 1.105;
    o.dds = regge::Dds{regge::DdsType::jlab, 0.5, std::nullopt, std::nullopt};
    const regge::Model a(regge::Settings(o), regge::load_gauss_legendre_table(table_file));
    models::Options km;
    km.channel = models::Channel::pi_plus_n;
    km.model = models::ModelKind::km;
    km.pion_cutoff_gev = 0.68;
    km.beam_energy_gev = 5.77;
    const models::Model b{models::Settings(km)};

    std::vector<Point> pts;
    for (int rep = 0; rep < 6; ++rep)
        for (const Point& p : grid()) pts.push_back(p);
    const auto fa = [&](const Point& p) { return a.evaluate(p.w, p.q2, p.angle); };
    const auto fb = [&](const Point& p) { return b.evaluate(p.w, p.q2, p.angle); };
    const std::vector<Observables> serial_a = evaluate_all(pts, fa, 1), serial_b = evaluate_all(pts, fb, 1);
    const std::vector<Observables> parallel_a = evaluate_all(pts, fa, 8), parallel_b = evaluate_all(pts, fb, 8);
    int finite = 0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        EXPECT_TRUE(identical(serial_a[i], parallel_a[i])) << "regge point " << i;
        EXPECT_TRUE(identical(serial_b[i], parallel_b[i])) << "models point " << i;
        finite += std::isfinite(serial_a[i].dds_domega) && std::isfinite(serial_b[i].bsa);
    }
    EXPECT_GT(finite, 1000);
}
