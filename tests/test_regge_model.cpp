// kavrin-regge at one kinematic point: normalization, trajectories and phases, the assembly of the channel
// amplitudes, gauge invariance, positivity of the cross sections and the DDS conventions.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "amplitudes/exchange.hpp"
#include "amplitudes/nucleon_poles.hpp"
#include "kinematics/wave_functions.hpp"
#include "program_a/model.hpp"

using namespace kavrin;
using namespace kavrin::program_a;

namespace {

GaussLegendre100 rule() {
    GaussLegendre100 gl;
    gauss_legendre_rule(100, gl.xi.data(), gl.wi.data());
    return gl;
}

const GaussLegendre100& gl100() {
    static const GaussLegendre100 gl = rule();
    return gl;
}

// Settings of a run in channel gtype; fft_gnn 1 GPD or 2 dipole form factors.
Settings settings_of(int gtype, int fft_gnn = 2, int nucleon_f2 = 1, int nucleon_poles = 1) {
    Settings s;
    s.gtype = gtype;
    s.fft_gnn = fft_gnn;
    s.gpd_alp = gtype <= 2 ? 1.105 : neutral_gpd_alp;
    s.cut_f1 = s.cut_f2 = 1.55;
    s.nucleon_f2 = nucleon_f2;
    s.cutp_em = 775.0;
    s.a1_cc = 1;
    s.omega_phase = 1;
    s.cutw_em = 775.0;
    s.nucleon_poles = nucleon_poles;
    s.out = 1;
    s.xaxis = 9;
    s.el = 0.5;
    s.outu = 1;
    return s;
}

Model model_of(const Settings& s) { return make_model(s, gl100()); }

double max_abs(const DiracMatrix& m) {
    double v = 0.0;
    for (const cplx& z : m.a) v = std::max(v, std::abs(z));
    return v;
}

// Pion angle (radians) at which t equals t_target at (w, qq) in the model's channel.
double angle_of_t(const Model& m, double w, double qq, double t_target) {
    const Frame f = make_frame(m, w, qq);
    return std::acos((t_target - f.t00) / (2.0 * f.cm.p * f.cm.k));
}

}  // namespace

TEST(ProgramAConstants, WidenedSinglePrecisionValues) {
    EXPECT_EQ(ggtp, 5.519999604075565e-07);
    EXPECT_EQ(ggap_abs, 0.0003160000196658075);
    EXPECT_EQ(ggwp, 0.0007229999755509198);
    EXPECT_EQ(gghp, 0.00040499999886378646);
    EXPECT_EQ(pi, 3.1415927410125732);
    EXPECT_EQ(a2_m, 1318.300048828125);
    EXPECT_EQ(omega_m, 782.6510009765625);
    EXPECT_NEAR(a2ms, 1737915.0187402368, 1e-8);
    EXPECT_NEAR(omegams, 612542.5893296152, 1e-8);
    EXPECT_EQ(neutral_gpd_alp, 0.30000001192092896);
    EXPECT_EQ(neutral_cut_f, 1.5499999523162842);
    EXPECT_NEAR(elementary_charge(), 0.30282212906, 1e-11);
    // charged channels use the single-precision pion and rho masses, neutral ones the double values
    EXPECT_EQ(channel_data(1).fmm, 139.57000732421875);
    EXPECT_EQ(channel_data(2).rho_m, 775.1099853515625);
    EXPECT_EQ(channel_data(3).fmm, 134.9766);
    EXPECT_EQ(channel_data(4).rho_m, 775.26);
    EXPECT_EQ(channel_data(1).kpi, 1.7929999828338623);
    EXPECT_EQ(channel_data(1).kpf, -1.9129999876022339);
    EXPECT_EQ(channel_data(3).ggvp, 0.00025499999173916876);
    EXPECT_EQ(channel_data(4).ggbp, 0.00018899999849963933);
}

TEST(ProgramAConstants, A1SignFollowsTheAnswerOneOrAnythingElse) {
    Settings s = settings_of(1);
    for (int a1 : {1, 2, 0, 7, -1}) {
        s.a1_cc = a1;
        EXPECT_EQ(model_of(s).ggap, a1 == 1 ? ggap_abs : -ggap_abs) << "a1_cc = " << a1;
    }
}

// gamma* p -> pi+ n at W = 2000 MeV, Q^2 = 1 GeV^2, mub: the phase-space, flux and unit factors.
TEST(ProgramAObservables, NormalizationAtW2GeV) {
    const Model m = model_of(settings_of(1));
    const PointResult r = evaluate_point(m, 2000.0, 1.0e6, 0.7);
    EXPECT_NEAR(r.kcm, 779.9114, 1e-4);
    EXPECT_NEAR(r.p, 771.6538, 1e-4);
    EXPECT_NEAR(r.pf1, 0.989412, 1e-6);
    EXPECT_NEAR(r.pf2, 0.00139565, 1e-8);
    EXPECT_EQ(r.pf3, 389379343.75);
    EXPECT_NEAR(r.pf, 537682.6, 0.1);
    EXPECT_NEAR(r.k, 1131.727, 1e-3);
    EXPECT_NEAR(r.dsdt_factor, 3.597375, 1e-6);
    // the separated cross sections follow from the response sums with these factors
    EXPECT_DOUBLE_EQ(r.dst, r.sums.st_sum.real() * r.pf / 4.0);
    EXPECT_DOUBLE_EQ(r.dsl, r.sums.sl_sum.real() * r.pf / 2.0);
    EXPECT_DOUBLE_EQ(r.dsu, 0.5 * r.dsl + r.dst);
    EXPECT_DOUBLE_EQ(r.bsa, r.dsltp / r.dsu);
    EXPECT_DOUBLE_EQ(r.lt_ratio, r.dsl / r.dst);
}

TEST(ProgramAObservables, NanobarnIsThousandTimesMicrobarn) {
    for (int gtype = 1; gtype <= 4; ++gtype) {
        Settings s = settings_of(gtype);
        const Model mub = model_of(s);
        s.outu = 2;
        const Model nb = model_of(s);
        EXPECT_EQ(nb.settings.outu, 2);
        for (double theta : {0.0, 0.4, 1.3, 2.9}) {
            const PointResult a = evaluate_point(mub, 2220.0, 1.6e6, theta);
            const PointResult b = evaluate_point(nb, 2220.0, 1.6e6, theta);
            EXPECT_EQ(b.pf3, 389379343750.0);
            for (auto [x, y] : {std::pair{a.dst, b.dst}, {a.dsl, b.dsl}, {a.dstt, b.dstt}, {a.dslt, b.dslt},
                                {a.dsltp, b.dsltp}, {a.dsu, b.dsu}})
                EXPECT_NEAR(y, 1000.0 * x, 1e-13 * std::abs(y)) << "gtype " << gtype << " theta " << theta;
            EXPECT_NEAR(b.lt_ratio, a.lt_ratio, 1e-13 * std::abs(a.lt_ratio));
            if (theta > 0.0) {
                EXPECT_NEAR(b.bsa, a.bsa, 1e-13 * std::abs(a.bsa));
            }
        }
    }
}

// Trajectories and signature phases of gamma* p -> pi+ n at t = -0.5 GeV^2.
TEST(ProgramAAmplitudes, TrajectoriesAndPhasesAtMinusT05) {
    const Model m = model_of(settings_of(1));
    const double theta = angle_of_t(m, 2220.0, 1.6e6, -500000.0);
    const PointKinematics kin = point_kinematics(make_frame(m, 2220.0, 1.6e6), theta);
    ASSERT_NEAR(kin.t.real(), -500000.0, 1e-6);
    EXPECT_EQ(kin.t.imag(), 0.0);
    const PointFactors f = point_factors(m, kin, nucleon_form_factors(m, 1.6e6));
    EXPECT_NEAR(f.ap, -0.363636, 1e-6);
    EXPECT_NEAR(f.av, 0.150000, 1e-6);
    EXPECT_NEAR(f.aw, -0.0100000, 1e-7);
    EXPECT_NEAR(f.aa, -0.409030, 1e-6);
    EXPECT_NEAR(f.ab, -0.408169, 1e-6);
    EXPECT_NEAR(f.ah, -0.308230, 1e-6);
    EXPECT_NEAR(f.at, 0.209668, 1e-6);
    EXPECT_NEAR(f.php.real(), 0.415416, 1e-6);
    EXPECT_NEAR(f.php.imag(), 0.909631, 1e-6);
    EXPECT_NEAR(f.pha.real(), -0.359042, 1e-6);
    EXPECT_NEAR(f.pha.imag(), 0.479720, 1e-6);
    // the nucleon pole terms carry the pion's Regge factor in charged channels
    EXPECT_EQ(f.fs_t, f.ftp_h);
    EXPECT_EQ(f.fu_t, f.ftp_h);
    // omega and h1 have no phase in charged channels
    EXPECT_EQ(f.phw, cplx(0.0));
    EXPECT_EQ(f.phh, cplx(0.0));
}

TEST(ProgramAAmplitudes, ConstantPhasesOfTheOtherChannels) {
    const auto factors = [](const Settings& s) {
        const Model m = model_of(s);
        const PointKinematics kin = point_kinematics(make_frame(m, 2220.0, 1.6e6), 0.6);
        return point_factors(m, kin, nucleon_form_factors(m, 1.6e6));
    };
    const PointFactors f2 = factors(settings_of(2));
    EXPECT_EQ(f2.php, cplx(1.0));
    EXPECT_EQ(f2.phv, cplx(1.0));
    EXPECT_EQ(f2.phb, cplx(-1.0));
    EXPECT_EQ(f2.pht, cplx(-1.0));
    const cplx e_aa = std::exp(cplx(0.0, -pi * f2.aa));
    EXPECT_NEAR(std::abs(f2.pha - (-(e_aa - 1.0) / 2.0)), 0.0, 1e-15);

    Settings s3 = settings_of(3);
    s3.omega_phase = 2;
    const PointFactors f3 = factors(s3);
    EXPECT_NEAR(std::abs(f3.phw - std::exp(cplx(0.0, -pi * f3.aw))), 0.0, 1e-15);
    EXPECT_EQ(f3.fs_t, cplx(1.0));
    Settings s4 = settings_of(4);
    s4.omega_phase = 2;
    const PointFactors f4 = factors(s4);
    EXPECT_EQ(f4.phw, cplx(1.0));  // EXD omega phase is the constant 1 for pi0 n
    EXPECT_EQ(f4.phv, cplx(-1.0));
    EXPECT_EQ(f4.phh, cplx(1.0));
    s4.omega_phase = 1;
    const PointFactors f4n = factors(s4);
    EXPECT_NEAR(std::abs(f4n.phw - (std::exp(cplx(0.0, -pi * f4n.aw)) - 1.0) / 2.0), 0.0, 1e-15);
}

TEST(ProgramAAmplitudes, FormFactorDistributionOverThePoleTerms) {
    const auto factors = [](const Settings& s) {
        const Model m = model_of(s);
        const PointKinematics kin = point_kinematics(make_frame(m, 2220.0, 1.6e6), 0.6);
        return point_factors(m, kin, nucleon_form_factors(m, 1.6e6));
    };
    const PointFactors a = factors(settings_of(1));
    EXPECT_NE(a.fs1, cplx(0.0));
    EXPECT_NE(a.fs2, cplx(0.0));
    EXPECT_EQ(a.fu1, cplx(0.0));
    EXPECT_EQ(a.fu2, cplx(0.0));
    const PointFactors b = factors(settings_of(2));
    EXPECT_EQ(b.fs1, cplx(0.0));
    EXPECT_EQ(b.fs2, cplx(0.0));
    EXPECT_EQ(b.fu1, b.f1t);
    EXPECT_EQ(b.fu2, b.f2t);
    const PointFactors c = factors(settings_of(4));
    EXPECT_EQ(c.fs1, cplx(0.0));
    EXPECT_EQ(c.fu1, cplx(0.0));
    EXPECT_EQ(c.fs2, c.f2t);
    EXPECT_NE(c.f2t, cplx(0.0));
    // F2 off: the Pauli form factor is zero whatever the form-factor model
    for (int ff : {1, 2}) EXPECT_EQ(factors(settings_of(3, ff, 2)).f2t, cplx(0.0));
    // GPD form factors: F1 of the proton is 1 at Q^2 = 0, F2 normalized to 1 there
    const Model g = model_of(settings_of(1, 1));
    const NucleonFactors n0 = nucleon_form_factors(g, 0.0);
    EXPECT_NEAR(n0.f1t.real(), 1.0, 1e-7);  // 2 cu + cd with the single-precision quark charges
    EXPECT_NEAR(n0.f2t.real(), 1.0, 1e-6);
    const Model gn = model_of(settings_of(2, 1));
    EXPECT_NEAR(nucleon_form_factors(gn, 0.0).f2t.real(), 1.0, 1e-6);  // pi- p: proton with kappa of the recoil
}

// The total amplitude of each spin pair equals the literal sum of the diagram amplitudes:
// charged sqrt2 (s + u + pi + rho + a2 + a1 + b1), neutral (rho + omega) + (b1 + h1) [+ (s + u)].
TEST(ProgramAAmplitudes, AssemblyEqualsSumOfDiagramAmplitudes) {
    struct Case {
        int gtype, fft_gnn, nucleon_poles;
    };
    for (const Case c : {Case{1, 2, 1}, Case{2, 2, 1}, Case{1, 1, 1}, Case{3, 2, 1}, Case{4, 2, 1}, Case{3, 1, 2},
                         Case{4, 2, 2}}) {
        const Model m = model_of(settings_of(c.gtype, c.fft_gnn, 1, c.nucleon_poles));
        const ChannelData& ch = m.channel;
        const double w = 2220.0, qq = 1.6e6, theta = 0.45;
        const PointKinematics kin = point_kinematics(make_frame(m, w, qq), theta);
        const NucleonFactors nf = nucleon_form_factors(m, qq);
        const PointFactors f = point_factors(m, kin, nf);
        const PointResult r = evaluate_point(m, nf, w, qq, theta);
        const Momenta& p = kin.mom;
        std::size_t pair = 0;
        for (int i300 = 1; i300 <= 2; ++i300)
            for (int i350 = 1; i350 <= 2; ++i350, ++pair) {
                const DiracSpinor u1 = z_spinor(p.p1, ch.ibm, i300);
                const DiracSpinor u2b = ub(z_spinor(p.p2, ch.fbm, i350));
                for (int i500 = 1; i500 <= 3; ++i500) {
                    const FourVector ep = photon_circular(kin.frame.cm.e_k1, qq, i500);
                    const double gts = ch.kpi * 0.25 / ch.ibm, gtu = ch.kpf * 0.25 / ch.fbm;
                    const cplx mtv = mt_v(f.ftv_h, f.ftv_em, u2b, u1, ep, ch.ggvp, gvnn, gtvnn * 0.25 / ch.ibm,
                                          kin.t, kin.qt, kin.cqt, p.k1, ch.rho_m);
                    const cplx mtw = mt_v(f.ftw_h, f.ftw_em, u2b, u1, ep, ggwp, gwnn, gtwnn * 0.25 / ch.ibm, kin.t,
                                          kin.qt, kin.cqt, p.k1, omega_m);
                    const cplx mb1 = mt_bv(f.ftb_h, f.ftb_em, u2b, u1, ep, ch.ggbp, gtbnn * 0.25 / ch.ibm, kin.t,
                                           kin.qt, kin.cqt, p.k1, b1_m);
                    const cplx mh1 = mt_bv(f.fth_h, f.fth_em, u2b, u1, ep, gghp, gthnn * 0.25 / ch.ibm, kin.t,
                                           kin.qt, kin.cqt, p.k1, h1_m);
                    cplx expected;
                    if (c.gtype <= 2) {
                        const cplx ms = ms_n(1, m.ec, f.fs_t, f.fs1, f.f10t, f.fs2, qq, u2b, u1, ep, ch.chs_t, gts,
                                             gpnn, kin.s, kin.qs, p.k1, p.k2, ch.ibm);
                        const cplx mu = mu_n(1, m.ec, f.fu_t, f.fu1, f.f10t, f.fu2, qq, u2b, u1, ep, ch.chu_t, gtu,
                                             gpnn, kin.u, kin.qu, p.k1, p.k2, ch.fbm);
                        const cplx mtp = mt_pion(m.ec, f.ftp_h, f.ftp_em, f.ftp_em0, qq, u2b, u1, ep, ch.cht_t,
                                                 gpnn, kin.t, kin.qt, p.k1, ch.fmm);
                        const cplx mtt = mt_t(f.ftt_h, f.ftt_em, u2b, u1, ep, ggtp, double(2.8f) / ch.ibm, 0.0,
                                              kin.t, kin.qp, kin.cqt, p.k1, p.k2, a2_m);
                        const cplx ma1 = mt_av(f.fta_h, f.fta_em, u2b, u1, ep, m.ggap, gavnn, kin.t, kin.qt,
                                               kin.cqt, p.k1, a1_m);
                        expected = 1.4142135381698608 * (ms + mu + mtp + mtv + mtt + ma1 + mb1);
                    } else {
                        expected = (mtv + mtw) + (mb1 + mh1);
                        if (c.nucleon_poles == 1)
                            expected += ms_nn(1, m.ec, f.fs_t, f.fs1, f.fs2, u2b, u1, ep, ch.chs_t, gts, gpnn,
                                              kin.s, kin.qs, p.k1, p.k2, ch.ibm) +
                                        mu_nn(1, m.ec, f.fu_t, f.fu1, f.fu2, u2b, u1, ep, ch.chu_t, gtu, gpnn,
                                              kin.u, kin.qu, p.k1, p.k2, ch.fbm);
                    }
                    const HelicitySet& h = r.amplitudes[pair];
                    const cplx got = i500 == 1 ? h.mep1 : i500 == 2 ? h.me0 : h.mem1;
                    EXPECT_NEAR(std::abs(got - expected), 0.0, 1e-12 * std::abs(expected) + 1e-300)
                        << "gtype " << c.gtype << " pair " << pair << " polarization " << i500;
                }
            }
    }
}

// Replacing the photon polarization by its momentum k1 gives zero amplitudes between on-shell spinors: the sum
// of the charged Born terms (s, u, pion pole) is gauge invariant, every meson-exchange vertex is, and so is the
// neutral s + u pair.
TEST(ProgramAAmplitudes, GaugeInvarianceOfTheChannelSum) {
    for (int gtype = 1; gtype <= 4; ++gtype)
        for (int ff : {1, 2}) {
            const Model m = model_of(settings_of(gtype, ff, 1, 1));
            const ChannelData& ch = m.channel;
            for (double theta : {0.1, 1.2, 2.7}) {
                const PointKinematics kin = point_kinematics(make_frame(m, 2500.0, 2.0e6), theta);
                const PointFactors f = point_factors(m, kin, nucleon_form_factors(m, 2.0e6));
                const DiracMatrix longitudinal =
                    total_amplitude_matrix(m, kin, f, photon_circular(kin.frame.cm.e_k1, 2.0e6, 2));
                const DiracMatrix gauge = total_amplitude_matrix(m, kin, f, kin.mom.k1);
                for (int i300 = 1; i300 <= 2; ++i300)
                    for (int i350 = 1; i350 <= 2; ++i350) {
                        const DiracSpinor u1 = z_spinor(kin.mom.p1, ch.ibm, i300);
                        const DiracSpinor u2b = ub(z_spinor(kin.mom.p2, ch.fbm, i350));
                        const double m0 = std::abs(spinor_uxgxu(u2b, longitudinal, u1));
                        const double mg = std::abs(spinor_uxgxu(u2b, gauge, u1));
                        // k1 has components of order k (MeV), the longitudinal vector of order k/Q
                        EXPECT_LT(mg / kin.frame.cm.k, 1e-10 * max_abs(longitudinal))
                            << "gtype " << gtype << " ff " << ff << " theta " << theta << " spins " << i300
                            << i350 << " (|M0| = " << m0 << ")";
                    }
            }
        }
}

TEST(ProgramAObservables, PositivityAndBoundsAtPhysicalPoints) {
    for (int gtype = 1; gtype <= 4; ++gtype)
        for (int ff : {1, 2})
            for (int f2 : {1, 2})
                for (int poles : {1, 2}) {
                    const Model m = model_of(settings_of(gtype, ff, f2, poles));
                    for (double w : {1300.0, 1800.0, 2220.0, 3200.0})
                        for (double qq : {0.1e6, 1.6e6, 3.5e6})
                            for (int deg = 0; deg <= 180; deg += 15) {
                                const PointResult r = evaluate_point(m, w, qq, deg * pi / 180.0);
                                const std::string where = "gtype " + std::to_string(gtype) + " ff " +
                                                          std::to_string(ff) + " W " + std::to_string(w) + " Q2 " +
                                                          std::to_string(qq) + " deg " + std::to_string(deg);
                                ASSERT_TRUE(std::isfinite(r.dst) && std::isfinite(r.dsl)) << where;
                                EXPECT_GE(r.dst, 0.0) << where;
                                EXPECT_GE(r.dsl, 0.0) << where;
                                EXPECT_LE(std::abs(r.dstt), r.dst * (1.0 + 1e-12)) << where;
                                EXPECT_LE(std::abs(r.bsa), 1.0) << where;
                                EXPECT_LE(r.t, r.t0 * (1.0 - 1e-12) + 1e-6) << where;
                            }
                }
}

TEST(ProgramAObservables, ForwardAndBackwardPointsHaveNoAzimuthalTerms) {
    // at theta = 0 and pi angular-momentum conservation leaves no helicity flip of the photon to interfere
    const Model m = model_of(settings_of(1));
    for (double theta : {0.0, pi}) {
        const PointResult r = evaluate_point(m, 2220.0, 1.6e6, theta);
        EXPECT_NEAR(r.dstt, 0.0, 1e-5 * r.dst);
        EXPECT_NEAR(r.dsltp, 0.0, 1e-5 * r.dsu);
    }
    // at theta = 0 the written t is t0 and t0 - t vanishes
    const PointResult f = evaluate_point(m, 2220.0, 1.6e6, 0.0);
    EXPECT_NEAR(f.t0 - f.t, 0.0, 1e-9 * std::abs(f.t0));
}

TEST(ProgramAObservables, UnphysicalPointsGiveNaNNotACrash) {
    const Model m = model_of(settings_of(1));
    // below threshold the pion momentum is not a number
    const PointResult below = evaluate_point(m, 1000.0, 1.0e6, 0.5);
    EXPECT_TRUE(std::isnan(below.dst));
    EXPECT_TRUE(std::isnan(below.bsa));
    // an angle that is not a number (arccos beyond +-1)
    const PointResult bad = evaluate_point(m, 2220.0, 1.6e6, std::acos(1.5));
    EXPECT_TRUE(std::isnan(bad.t));
    EXPECT_TRUE(std::isnan(bad.dsu));
    EXPECT_TRUE(std::isfinite(bad.dsdt_factor));
}

// ---- DDS conventions ---------------------------------------------------------------------------

namespace {

PointResult sample_point() {
    PointResult r;
    r.dst = 2.0;
    r.dsl = 0.7;
    r.dstt = -0.4;
    r.dslt = 0.25;
    r.dsltp = 0.05;
    r.dsu = 0.6 * r.dsl + r.dst;
    return r;
}

Settings dds_settings(int type, int gtype, double el, int xaxis3 = 1) {
    Settings s = settings_of(gtype);
    s.out = 3;
    s.dds_type = type;
    s.el = el;
    s.xaxis3 = xaxis3;
    return s;
}

// Mean of f(phi) over [a, b] degrees by the midpoint rule.
template <class F>
double mean_over(F f, double a, double b) {
    const int n = 20000;
    double s = 0.0;
    for (int i = 0; i < n; ++i) s += f(a + (b - a) * (i + 0.5) / n);
    return s / n;
}

}  // namespace

TEST(ProgramADds, UnpolarizedLimitReducesEveryFormToDsu) {
    PointResult r = sample_point();
    r.dsu = r.dst;  // eps = 0
    for (int type = 1; type <= 5; ++type)
        for (int gtype : {1, 2}) {
            Settings s = dds_settings(type, gtype, 0.0, type == 4 ? 6 : 5);
            s.cos_phi_input = 0.3;
            s.cos_2phi_input = -0.82;
            for (double phi : {0.0, 37.0, 200.0}) {
                EXPECT_DOUBLE_EQ(dds_value(s, r, phi), r.dsu) << "type " << type << " gtype " << gtype;
                EXPECT_DOUBLE_EQ(dds_phi_scan_value(s, r, phi), r.dsu);
            }
        }
}

TEST(ProgramADds, DesyAverageOfChannelTwoIsTheMeanOver120To240Degrees) {
    const PointResult r = sample_point();
    const Settings avg = dds_settings(1, 2, 0.6);
    const Settings fixed = dds_settings(1, 1, 0.6);
    const double a = dds_value(avg, r, 10.0);
    EXPECT_EQ(a, dds_value(avg, r, 250.0));  // the answered phi does not enter
    const double mean = mean_over([&](double phi) { return dds_value(fixed, r, phi); }, 120.0, 240.0);
    EXPECT_NEAR(a, mean, 1e-4 * std::abs(mean));
}

TEST(ProgramADds, CornellAverageIsTheMeanOfTheFixedFormOverMinus45To45Degrees) {
    const PointResult r = sample_point();
    const double avg = dds_value(dds_settings(3, 1, 0.6), r, 90.0);
    const double mean = mean_over([&](double phi) { return dds_value(dds_settings(2, 1, 0.6), r, phi); }, -45.0, 45.0);
    EXPECT_NEAR(avg, mean, 1e-6 * std::abs(mean));
}

TEST(ProgramADds, FixedPhiFormsAndCeaCosines) {
    const PointResult r = sample_point();
    const double el = 0.6, phi = 40.0;
    const double a = std::sqrt(el * 2.0 * (el + 1.0)), b = std::sqrt(el * 0.5 * (el + 1.0));
    const double c1 = std::cos(phi * pi / 180.0), c2 = std::cos(2.0 * phi * pi / 180.0);
    EXPECT_NEAR(dds_value(dds_settings(1, 1, el), r, phi), r.dsu + el * r.dstt * c2 + a * r.dslt * c1, 1e-14);
    EXPECT_NEAR(dds_value(dds_settings(5, 3, el), r, phi), r.dsu + el * r.dstt * c2 + a * r.dslt * c1, 1e-14);
    EXPECT_NEAR(dds_value(dds_settings(2, 1, el), r, phi), r.dsu + el * r.dstt * c2 + b * r.dslt * c1, 1e-14);
    // CEA in the theta scan at an answered phi: the cosines of that phi
    EXPECT_NEAR(dds_value(dds_settings(4, 1, el, 5), r, phi), dds_value(dds_settings(2, 1, el), r, phi), 1e-14);
    // CEA in the W and Q^2 scans: the answered cosines
    Settings cea = dds_settings(4, 1, el, 7);
    cea.cos_phi_input = -0.5;
    cea.cos_2phi_input = 0.1;
    EXPECT_NEAR(dds_value(cea, r, phi), el * r.dstt * 0.1 + r.dsu + b * r.dslt * (-0.5), 1e-14);
    // the phi scans use A for DESY and JLab, B for every other type, and no average
    for (int type = 1; type <= 5; ++type) {
        const double c = (type == 1 || type == 5) ? a : b;
        EXPECT_NEAR(dds_phi_scan_value(dds_settings(type, 2, el), r, phi), r.dsu + el * r.dstt * c2 + c * r.dslt * c1,
                    1e-14)
            << "type " << type;
    }
}
