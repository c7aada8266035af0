// kavrin-gen: kinematics of the events, their distributions against the models' cross sections, the integrated
// cross section against a quadrature, reproducibility, and the command line's refusals.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#ifdef KAVRIN_HAVE_HEPMC3
#include <HepMC3/GenCrossSection.h>
#include <HepMC3/GenEvent.h>
#include <HepMC3/GenParticle.h>
#include <HepMC3/GenVertex.h>
#include <HepMC3/ReaderAscii.h>
#endif

#include "kavrin-gen/generator.hpp"
#include "kavrin-gen/output.hpp"

namespace {

using namespace kavrin;
using namespace kavrin::gen;
namespace fs = std::filesystem;
constexpr double two_pi = 2.0 * std::numbers::pi;

Settings small_box(bool polarized) {
    Settings s;
    s.model = frontend::ModelName::km;
    s.channel = Channel::pi_plus_n;
    s.beam_energy = 5.75;
    if (polarized) s.beam_pol = 0.0;
    s.q2 = {1.8, 2.4};
    s.by_w = false;
    s.x = {0.30, 0.36};
    s.minus_t = Range{0.5, 1.2};
    s.seed = 11;
    return s;
}

std::vector<Event> generate(const Generator& g, std::uint64_t first, std::uint64_t n, unsigned threads,
                            Tally* tally = nullptr) {
    std::vector<Event> out;
    const Tally t = run_events(g, first, n, threads, [&](const Event* e, std::size_t k) {
        for (std::size_t i = 0; i < k; ++i)
            if (e[i].weight > 0) out.push_back(e[i]);
    });
    if (tally) *tally = t;
    return out;
}

// Gauss-Legendre nodes and weights on [0, 1].
void gauss_legendre(int n, std::vector<double>& x, std::vector<double>& w) {
    x.resize(n);
    w.resize(n);
    for (int i = 0; i < n; ++i) {
        double z = std::cos(std::numbers::pi * (i + 0.75) / (n + 0.5)), dp = 0;
        for (int it = 0; it < 100; ++it) {
            double p0 = 1, p1 = z;
            for (int k = 2; k <= n; ++k) {
                const double p2 = ((2 * k - 1) * z * p1 - (k - 1) * p0) / k;
                p0 = p1;
                p1 = p2;
            }
            dp = n * (z * p1 - p0) / (z * z - 1);
            const double dz = p1 / dp;
            z -= dz;
            if (std::abs(dz) < 1e-15) break;
        }
        x[i] = 0.5 * (1 - z);
        w[i] = 1.0 / ((1 - z * z) * dp * dp);
    }
}

// Integral of f(q2, x, -t, phi) * Jacobian over the box, with -t over [tlo(W, Q2), thi(W, Q2)] and the variable
// `var` (0 Q2, 2 -t, 3 phi) restricted to [a, b]; phi_e gives 2 pi.
double integrate(const Generator& g, const std::function<double(const Sample&)>& f, int var = -1, double a = 0,
                 double b = 0, int n = 8) {
    std::vector<double> x, w;
    gauss_legendre(n, x, w);
    const Settings& s = g.settings();
    double sum = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k)
                for (int l = 0; l < n; ++l) {
                    Range q2 = s.q2;
                    if (var == 0) q2 = {a, b};
                    const double vq = q2.lo + x[i] * (q2.hi - q2.lo);
                    const double vx = s.x.lo + x[j] * (s.x.hi - s.x.lo);
                    const double wv = s.by_w ? vx : w_of(vq, vx, g.particles().target_m);
                    Range t = g.minus_t_range(wv, vq);
                    if (var == 2) t = {std::max(t.lo, a), std::min(t.hi, b)};
                    if (!(t.hi > t.lo)) continue;
                    Range ph{0, two_pi};
                    if (var == 3) ph = {a, b};
                    const double vt = t.lo + x[k] * (t.hi - t.lo), vp = ph.lo + x[l] * (ph.hi - ph.lo);
                    const Sample p = g.cross_section(vq, vx, vt, vp);
                    double jac = (q2.hi - q2.lo) * (s.x.hi - s.x.lo) * (t.hi - t.lo) * (ph.hi - ph.lo) * two_pi;
                    if (s.by_w) jac *= 2 * vx * p.xb * p.xb / vq;
                    sum += w[i] * w[j] * w[k] * w[l] * jac * f(p);
                }
    return sum;
}

// chi2 of a histogram of the events' variable against the quadrature's expectation.
double histogram_chi2(const Generator& g, const std::vector<Event>& ev, int var, double lo, double hi, int bins) {
    std::vector<double> counts(bins, 0.0);
    for (const Event& e : ev) {
        const double v = var == 0 ? e.q2 : var == 2 ? e.minus_t : e.phi;
        const int b = static_cast<int>((v - lo) / (hi - lo) * bins);
        if (b >= 0 && b < bins) counts[b] += 1;
    }
    const auto u = [](const Sample& p) { return p.unpolarized; };
    const double total = integrate(g, u);
    double chi2 = 0;
    for (int b = 0; b < bins; ++b) {
        const double a = lo + (hi - lo) * b / bins, c = lo + (hi - lo) * (b + 1) / bins;
        const double expected = ev.size() * integrate(g, u, var, a, c, 6) / total;
        chi2 += (counts[b] - expected) * (counts[b] - expected) / expected;
    }
    return chi2;
}

// chi2 with 9 degrees of freedom at p = 0.001
constexpr double chi2_9 = 27.88;

double dot3(const std::array<double, 4>& a, const std::array<double, 4>& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
double mass2(const std::array<double, 4>& p) { return p[3] * p[3] - dot3(p, p); }
std::array<double, 4> minus(const std::array<double, 4>& a, const std::array<double, 4>& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2], a[3] - b[3]};
}
std::array<double, 4> cross(const std::array<double, 4>& a, const std::array<double, 4>& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0], 0};
}

// The four-momenta: conserved, on shell, and (Q2, x_B, t, Trento phi) computed from them equal to the sampled ones;
// the generator's -t range equals the library's at theta = 0 and 180 degrees for every model and channel.
TEST(GenKinematics, MomentaReproduceTheSampledPointAndTheModelsRange) {
    for (const bool by_w : {true, false}) {
        Settings s = small_box(true);
        s.by_w = by_w;
        if (by_w) s.x = {2.1, 2.5};
        s.minus_t.reset();
        s.channel = by_w ? Channel::pi0_p : Channel::pi_plus_n;
        const Generator g(s, 2);
        const std::vector<Event> ev = generate(g, 0, 2000, 2);
        ASSERT_EQ(ev.size(), 2000u);
        const double m = g.particles().target_m;
        for (const Event& e : ev) {
            std::array<double, 4> total = minus(minus(minus(e.p[0], e.p[2]), e.p[3]), e.p[4]);
            for (int k = 0; k < 4; ++k) total[k] += e.p[1][k];
            for (double c : total) ASSERT_NEAR(c, 0.0, 1e-12 * s.beam_energy);
            ASSERT_NEAR(mass2(e.p[3]), g.particles().pion_m * g.particles().pion_m, 1e-11);
            ASSERT_NEAR(mass2(e.p[4]), g.particles().recoil_m * g.particles().recoil_m, 1e-11);
            const auto q = minus(e.p[0], e.p[2]);
            const double q2 = -mass2(q);
            ASSERT_NEAR(q2, e.q2, 1e-12 * e.q2);
            ASSERT_NEAR(q2 / (2 * m * q[3]), e.xb, 1e-12);
            ASSERT_NEAR(-mass2(minus(q, e.p[3])), e.minus_t, 1e-11);
            // Trento: phi from the lepton plane to the hadron plane around q
            const auto n1 = cross(q, e.p[0]), n2 = cross(q, e.p[3]);
            double phi = std::acos(std::clamp(dot3(n1, n2) / std::sqrt(dot3(n1, n1) * dot3(n2, n2)), -1.0, 1.0));
            if (dot3(n1, e.p[3]) < 0) phi = two_pi - phi;
            ASSERT_NEAR(std::remainder(phi - e.phi, two_pi), 0.0, 1e-7);
            ASSERT_NEAR(std::remainder(std::atan2(e.p[2][1], e.p[2][0]) - e.phi_e, two_pi), 0.0, 1e-9);
        }
    }
    using frontend::ModelName;
    for (const ModelName model : {ModelName::regge, ModelName::km, ModelName::vr, ModelName::qvm})
        for (const Channel c : {Channel::pi_plus_n, Channel::pi_minus_p, Channel::pi0_p, Channel::pi0_n}) {
            if (!frontend::has_channel(model, c)) continue;
            Settings s = small_box(false);
            s.model = model;
            s.channel = c;
            s.minus_t.reset();
            const Generator g(s, 2);
            const frontend::AnyModel lib = frontend::ModelChoice(model, c, {}).build();
            const Range r = g.minus_t_range(2.3, 2.0);
            const Observables fwd = frontend::evaluate(lib, 2.3, 2.0, Angle::cos_theta(1.0));
            const Observables bwd = frontend::evaluate(lib, 2.3, 2.0, Angle::cos_theta(-1.0));
            EXPECT_NEAR(r.lo, -fwd.t, 1e-9) << frontend::name_of(model) << " " << frontend::name_of(c);
            EXPECT_NEAR(r.hi, -bwd.t, 1e-9) << frontend::name_of(model) << " " << frontend::name_of(c);
        }
}

// Histograms of Q2, -t and phi of unweighted events against the model's cross section integrated over each bin, and
// the beam-helicity asymmetry in phi bins against A_LU of the model.
TEST(GenDistributions, FollowTheModelsCrossSection) {
    const Generator g(small_box(true), 2);
    // the -t range lies inside the physical one over the whole box
    for (const double q2 : {1.8, 2.4})
        for (const double xb : {0.30, 0.36}) {
            const Range r = g.minus_t_range(w_of(q2, xb, g.particles().target_m), q2);
            ASSERT_EQ(r.lo, 0.5);
            ASSERT_EQ(r.hi, 1.2);
        }
    const std::vector<Event> ev = generate(g, 0, 20000, 2);
    ASSERT_EQ(ev.size(), 20000u);
    EXPECT_LT(histogram_chi2(g, ev, 0, 1.8, 2.4, 10), chi2_9);
    EXPECT_LT(histogram_chi2(g, ev, 2, 0.5, 1.2, 10), chi2_9);
    EXPECT_LT(histogram_chi2(g, ev, 3, 0.0, two_pi, 10), chi2_9);

    // P = 0 with helicities drawn: in each phi bin (N+ - N-)/(N+ + N-) = integral of the helicity term over that
    // of the unpolarized one; the binomial error sqrt((1 - A^2)/N)
    constexpr int bins = 10;
    std::vector<double> plus(bins), all(bins);
    for (const Event& e : ev) {
        const int b = std::min(bins - 1, static_cast<int>(e.phi / two_pi * bins));
        all[b] += 1;
        if (e.helicity > 0) plus[b] += 1;
    }
    double chi2 = 0, largest = 0;
    for (int b = 0; b < bins; ++b) {
        const double a = two_pi * b / bins, c = two_pi * (b + 1) / bins;
        const double alu = integrate(g, [](const Sample& p) { return p.helicity; }, 3, a, c, 6) /
                           integrate(g, [](const Sample& p) { return p.unpolarized; }, 3, a, c, 6);
        const double measured_a = (2 * plus[b] - all[b]) / all[b];
        chi2 += (measured_a - alu) * (measured_a - alu) / ((1 - alu * alu) / all[b]);
        largest = std::max(largest, std::abs(alu));
    }
    EXPECT_LT(chi2, chi2_9 + 1.7);  // 10 degrees of freedom
    EXPECT_GT(largest, 0.02);       // the asymmetry is large enough for the test to see it
    // the sin(phi) moment against A_LU^sin(phi) of kavrin::measured at the box centre: 2 <h sin phi> = its value
    double moment = 0;
    for (const Event& e : ev) moment += 2 * e.helicity * std::sin(e.phi);
    moment /= ev.size();
    const frontend::AnyModel lib = frontend::ModelChoice(frontend::ModelName::km, Channel::pi_plus_n, {}).build();
    const double m = g.particles().target_m;
    const Observables o = frontend::evaluate(lib, w_of(2.1, 0.33, m), 2.1, Angle::minus_t(0.85));
    const double alu_sinphi = measured(o, epsilon_of_beam(2.1, 0.33, 5.75, m), 1.0, 5.75, m).alu_sinphi;
    EXPECT_NEAR(moment, alu_sinphi, 3 * std::sqrt(2.0 / ev.size()) + 0.1 * std::abs(alu_sinphi));
}

// The integrated cross section of a W box over the whole physical -t range against a quadrature, from unweighted
// and weighted runs; the weighted events' -t distribution against the unweighted one.
TEST(GenCrossSection, AgreesWithQuadratureWeightedOrNot) {
    Settings s = small_box(false);
    s.by_w = true;
    s.x = {2.1, 2.5};
    s.q2 = {1.5, 2.5};
    s.minus_t.reset();
    const Generator g(s, 2);
    const double exact = integrate(g, [](const Sample& p) { return p.unpolarized; }, -1, 0, 0, 14);
    Tally tu, tw;
    const std::vector<Event> unweighted = generate(g, 0, 10000, 2, &tu);
    EXPECT_NEAR(tu.sigma(), exact, 3 * tu.error());
    EXPECT_LT(tu.error(), 0.01 * exact);
    s.weighted = true;
    const Generator gw(s, 2);
    const std::vector<Event> weighted = generate(gw, 0, 40000, 2, &tw);
    EXPECT_NEAR(tw.sigma(), exact, 3 * tw.error());
    EXPECT_EQ(tw.trials, 40000u);
    // fractions of the cross section in -t bins: weighted sums against unweighted counts
    constexpr int bins = 8;
    const double hi = 2.0;
    std::vector<double> n(bins), sw(bins), sw2(bins);
    for (const Event& e : unweighted) n[std::min(bins - 1, static_cast<int>(e.minus_t / hi * bins))] += 1;
    for (const Event& e : weighted) {
        const int b = std::min(bins - 1, static_cast<int>(e.minus_t / hi * bins));
        sw[b] += e.weight;
        sw2[b] += e.weight * e.weight;
    }
    double total = 0;
    for (double v : sw) total += v;
    double chi2 = 0;
    for (int b = 0; b < bins; ++b) {
        const double fu = n[b] / unweighted.size(), fw = sw[b] / total;
        const double var = fu * (1 - fu) / unweighted.size() + sw2[b] / (total * total);
        if (var > 0) chi2 += (fu - fw) * (fu - fw) / var;
    }
    EXPECT_LT(chi2, 24.3);  // 7 degrees of freedom at p = 0.001
}

// Cross sections in nb whatever the model's unit: the Regge model in microbarn and in nanobarn gives one sigma.
TEST(GenCrossSection, InNanobarnWhateverTheModelsUnit) {
    Settings s = small_box(false);
    s.model = frontend::ModelName::regge;
    const Generator micro(s, 2);
    s.model_settings = {{"unit", "nanobarn"}};
    const Generator nano(s, 2);
    EXPECT_NEAR(nano.prescan_sigma(), micro.prescan_sigma(), 1e-9 * micro.prescan_sigma());
    const double exact = integrate(micro, [](const Sample& p) { return p.unpolarized; }, -1, 0, 0, 10);
    EXPECT_NEAR(micro.prescan_sigma(), exact, 3 * micro.prescan_error());
}

// A bound below the largest weight: the trials above it are counted, and the fraction of the cross section they
// leave out is the acceptance's shortfall, P(accept) B = sigma - <max(0, w - B)>; sigma itself is unaffected.
TEST(GenBound, TrialsAboveItAreCountedAndTheirShortfallReported) {
    Settings s = small_box(false);
    s.bound_safety = 0.4;
    const Generator g(s, 2);
    Tally t;
    generate(g, 0, 20000, 2, &t);
    EXPECT_GT(t.above, 1000u);
    EXPECT_GT(t.max_ratio, 1.2);
    const double n = static_cast<double>(t.trials);
    const double accept = t.events / n;
    const double expected = (t.sum - t.excess) / n / g.bound();
    EXPECT_NEAR(accept, expected, 3 * std::sqrt(accept * (1 - accept) / n));
    EXPECT_GT(t.excess_fraction(), 0.01);
    const double exact = integrate(g, [](const Sample& p) { return p.unpolarized; }, -1, 0, 0, 10);
    EXPECT_NEAR(t.sigma(), exact, 3 * t.error());
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int gen_cli(const std::string& args) {
    const int r = std::system((std::string(KAVRIN_GEN_BINARY) + " " + args + " 2>/dev/null").c_str());
    return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
}

// The same file on 1 and 2 threads; slices --first K --events N concatenate to the whole run; HepMC3 output has
// every event; the run record starts with the cross section.
TEST(GenProgram, ReproducibleEventByEventAndSliceable) {
    const fs::path dir = fs::temp_directory_path() / ("kavrin-gen-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string box =
        "--model km --channel pi+n --beam-energy 5.75 --beam-pol 0.8 --q2 1.5:2.5 --w 2.1:2.5 --seed 5 ";
    const auto out = [&](const std::string& name) { return (dir / name).string(); };
    ASSERT_EQ(gen_cli(box + "--events 500 --threads 1 --format lund --out " + out("one.lund")), 0);
    ASSERT_EQ(gen_cli(box + "--events 500 --threads 2 --format lund --out " + out("two.lund")), 0);
    ASSERT_EQ(gen_cli(box + "--events 200 --threads 2 --format lund --out " + out("a.lund")), 0);
    ASSERT_EQ(gen_cli(box + "--first 200 --events 300 --threads 2 --format lund --out " + out("b.lund")), 0);
    const std::string one = slurp(out("one.lund"));
    EXPECT_EQ(std::count(one.begin(), one.end(), '\n'), 2000);
    EXPECT_EQ(one, slurp(out("two.lund")));
    EXPECT_EQ(one, slurp(out("a.lund")) + slurp(out("b.lund")));
    EXPECT_EQ(slurp(out("one.lund.txt")).rfind("sigma = ", 0), 0u);
    // LUND: header "3 A Z target_pol h 11 E nucleon process weight", then e-, pi+, n
    std::istringstream lund(one);
    std::vector<std::string> header(10);
    for (auto& f : header) lund >> f;
    EXPECT_TRUE(header[4] == "1" || header[4] == "-1");
    header[4] = "h";
    EXPECT_EQ(header, (std::vector<std::string>{"3", "1", "1", "0", "h", "11", "5.75", "2212", "1", "1"}));
    for (const char* pdg : {"11", "211", "2112"}) {
        std::string index, lifetime, type, code;
        lund >> index >> lifetime >> type >> code;
        EXPECT_EQ(code, pdg);
        std::string rest;
        std::getline(lund, rest);
    }
#ifdef KAVRIN_HAVE_HEPMC3
    // HepMC3 read back: beam and target in, three particles out, momentum conserved, the weight and sigma
    ASSERT_EQ(gen_cli(box + "--events 50 --weighted --format hepmc3 --out " + out("e.hepmc")), 0);
    HepMC3::ReaderAscii reader(out("e.hepmc"));
    int events = 0;
    for (HepMC3::GenEvent evt; reader.read_event(evt) && !reader.failed(); ++events) {
        ASSERT_EQ(evt.particles().size(), 5u);
        ASSERT_EQ(evt.vertices().size(), 1u);
        const auto& v = evt.vertices()[0];
        ASSERT_EQ(v->particles_in().size(), 2u);
        HepMC3::FourVector balance;
        for (const auto& p : v->particles_in()) {
            EXPECT_EQ(p->status(), 4);
            balance += p->momentum();
        }
        for (const auto& p : v->particles_out()) balance -= p->momentum();
        EXPECT_NEAR(balance.length() + std::abs(balance.e()), 0.0, 1e-12);
        EXPECT_GT(evt.weight(), 0.0);
        ASSERT_TRUE(evt.cross_section());
        EXPECT_GT(evt.cross_section()->xsec(), 0.0);
    }
    EXPECT_LE(events, 50);
    EXPECT_GT(events, 40);
#endif
    // nothing but the results: no temporary left
    for (const auto& f : fs::directory_iterator(dir)) EXPECT_NE(f.path().filename().string()[0], '.');
    fs::remove_all(dir);
}

// Bad command lines, empty or unphysical boxes and unwritable outputs: status 2, nothing written.
TEST(GenProgram, RefusesBadInputBeforeWriting) {
    const fs::path dir = fs::temp_directory_path() / ("kavrin-gen-refuse-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string out = (dir / "x.lund").string();
    const std::string base = "--model km --channel pi+n --beam-energy 5.75 --events 10 --format lund ";
    for (const std::string& bad : {
             "--q2 1:2 --w 2:2.5 --out " + out + " --seed -1",         // not a seed
             "--q2 2:1 --w 2:2.5 --out " + out,                        // empty range
             "--q2 1:2 --w 0.5:1.0 --out " + out,                      // below threshold
             "--q2 1:2 --xb 0.3:0.4 --t 50:60 --out " + out,             // -t outside the physical range
             "--q2 20:30 --w 2:2.5 --out " + out,                      // beyond the beam's reach
             "--q2 1:2 --w 2:2.5 --set pion_cutoff_gev=-1 --out " + out,  // bad model setting
             "--q2 1:2 --w 2:2.5 --set epsilon=0.5 --out " + out,          // eps is the beam's
             "--q2 1:2 --w 2:2.5 --out " + (dir / "missing" / "x.lund").string(),  // unwritable
             "--q2 1:2 --w 2:2.5 --xb 0.1:0.2 --out " + out,           // both W and x_B
         }) {
        EXPECT_EQ(gen_cli(base + bad), 2) << bad;
        EXPECT_TRUE(fs::is_empty(dir)) << bad;
    }
    fs::remove_all(dir);
}

}  // namespace
