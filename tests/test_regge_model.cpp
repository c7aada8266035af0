// The Regge model at one kinematic point: normalization, trajectories and phases, the assembly of the channel
// amplitudes, gauge invariance, positivity of the cross sections and the DDS conventions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "amplitudes/exchange.hpp"
#include "amplitudes/nucleon_poles.hpp"
#include "api_fixtures.hpp"
#include "kinematics/wave_functions.hpp"
#include "models/regge/model.hpp"
#include "tests/literal_forms.hpp"

using namespace kavrin;
using namespace kavrin::regge::internal;
using kavrin::regge::A1Sign;
using kavrin::regge::Dds;
using kavrin::regge::DdsType;
using kavrin::regge::FormFactors;
using kavrin::regge::OmegaPhase;
using kavrin::regge::Options;

namespace {

const regge::GaussLegendreTable& table() {
    static const regge::GaussLegendreTable t = regge::load_gauss_legendre_table(fixtures::table_file);
    return t;
}

bool is_charged(Channel c) { return c == Channel::pi_plus_n || c == Channel::pi_minus_p; }

// Options of a run in channel c: dipole (1.55 GeV) or GPD form factors (slope 1.105 GeV^-2 in the charged
// channels), F2 on or off, the Born terms of the neutral channels on or off; pion and omega cut-offs 775 MeV,
// positive a1 coupling, nEXD omega phase, epsilon 0.5, microbarn.
Options options_of(Channel c, FormFactors ff = FormFactors::dipole, bool pauli = true, bool born = true) {
    Options o;
    o.channel = c;
    if (is_charged(c)) {
        o.pion_cutoff_mev = 775.0;
        o.a1_sign = A1Sign::positive;
    } else {
        o.omega_phase = OmegaPhase::non_degenerate;
        o.omega_cutoff_mev = 775.0;
        o.born_terms = born;
    }
    if (is_charged(c) || born) {
        o.form_factors = ff;
        if (ff == FormFactors::dipole)
            o.nucleon_cutoff_gev = 1.55;
        else if (is_charged(c))
            o.gpd_slope_per_gev2 = 1.105;
        o.pauli_terms = pauli;
    }
    o.epsilon = 0.5;
    return o;
}

Model model_of(const Options& o) { return Model(regge::Settings(o), table()); }

std::string name_of(Channel c) { return "channel " + std::to_string(static_cast<int>(c)); }

double max_abs(const DiracMatrix& m) {
    double v = 0.0;
    for (const cplx& z : m.a) v = std::max(v, std::abs(z));
    return v;
}

// The factors of pf = (p/K) (M1 M2/(4 pi W)^2) U of the frame: K = (W^2 - M1^2)/(2W), and U the unit factor
// (hbar c)^2 times 10^3 or 10^6, recovered from cross_section_factor.
struct FluxFactors {
    double kcm, pf1, pf2, pf3, pf;
};

FluxFactors flux_factors(const CmFrame& f, CrossSectionUnit unit) {
    FluxFactors x;
    x.kcm = (f.w * f.w - f.m1 * f.m1) / (2.0 * f.w);
    x.pf1 = f.p / x.kcm;
    x.pf2 = f.m1 * f.m2 / ((4.0 * pi * f.w) * (4.0 * pi * f.w));
    x.pf = cross_section_factor(f, unit);
    x.pf3 = x.pf / (x.pf1 * x.pf2);
    return x;
}

constexpr Channel all_channels[] = {Channel::pi_plus_n, Channel::pi_minus_p, Channel::pi0_p, Channel::pi0_n};

}  // namespace

TEST(ReggeConstants, WidenedSinglePrecisionValues) {
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
    EXPECT_NEAR(elementary_charge(), 0.30282212906, 1e-11);
    // charged channels use the single-precision pion and rho masses, neutral ones the double values
    EXPECT_EQ(channel_data(Channel::pi_plus_n).fmm, 139.57000732421875);
    EXPECT_EQ(channel_data(Channel::pi_minus_p).rho_m, 775.1099853515625);
    EXPECT_EQ(channel_data(Channel::pi0_p).fmm, 134.9766);
    EXPECT_EQ(channel_data(Channel::pi0_n).rho_m, 775.26);
    EXPECT_EQ(channel_data(Channel::pi_plus_n).kpi, 1.7929999828338623);
    EXPECT_EQ(channel_data(Channel::pi_plus_n).kpf, -1.9129999876022339);
    EXPECT_EQ(channel_data(Channel::pi0_p).ggvp, 0.00025499999173916876);
    EXPECT_EQ(channel_data(Channel::pi0_n).ggbp, 0.00018899999849963933);
}

// The a1 exchange is the only term of the charged channels that depends on the sign of its photocoupling:
// the amplitudes of the two signs differ by sqrt2 (a1 at +|g|) - sqrt2 (a1 at -|g|) = 2 sqrt2 (a1 at |g|).
// (Which sign is the positive one is fixed by AssemblyEqualsSumOfDiagramAmplitudes.)
TEST(ReggeConstants, A1SignFlipsTheA1Photocoupling) {
    for (Channel c : {Channel::pi_plus_n, Channel::pi_minus_p}) {
        Options o = options_of(c);
        o.a1_sign = A1Sign::positive;
        const Model plus = model_of(o);
        o.a1_sign = A1Sign::negative;
        const Model minus = model_of(o);
        const double qq = 1.6e6;
        const PointKinematics kin = point_kinematics(plus.frame(2220.0, qq), 0.6);
        const PointFactors f = plus.point_factors(kin, plus.nucleon_form_factors(qq));
        for (int pol = 1; pol <= 3; ++pol) {
            const FourVector ep = photon_circular(kin.frame.e_k1, qq, pol);
            const DiracMatrix a1 =
                mt_av_matrix({f.fta_h, f.fta_em, ggap_abs, a1_m}, gavnn, ep, kin);
            const DiracMatrix expected = cplx(2.0 * sqrt2_single) * a1;
            const DiracMatrix diff =
                plus.total_amplitude_matrix(kin, f, ep) - minus.total_amplitude_matrix(kin, f, ep);
            ASSERT_GT(max_abs(expected), 0.0);
            EXPECT_LE(max_abs(diff - expected), 1e-12 * max_abs(expected)) << name_of(c) << " polarization " << pol;
        }
    }
}

// gamma* p -> pi+ n at W = 2000 MeV, Q^2 = 1 GeV^2, mub: the phase-space, flux and unit factors.
TEST(ReggeObservables, NormalizationAtW2GeV) {
    const Model m = model_of(options_of(Channel::pi_plus_n));
    const CmFrame fr = m.frame(2000.0, 1.0e6);
    const regge::internal::NucleonFactors nf = m.nucleon_form_factors(1.0e6);
    const PointResult r = m.evaluate_point(fr, nf, 0.7);
    const FluxFactors x = flux_factors(fr, CrossSectionUnit::microbarn);
    EXPECT_NEAR(x.kcm, 779.9114, 1e-4);
    EXPECT_NEAR(fr.p, 771.6538, 1e-4);
    EXPECT_NEAR(x.pf1, 0.989412, 1e-6);
    EXPECT_NEAR(x.pf2, 0.00139565, 1e-8);
    EXPECT_NEAR(x.pf3, 389379343.75, 1e-13 * 389379343.75);
    EXPECT_NEAR(x.pf, 537682.6, 0.1);
    EXPECT_NEAR(fr.k, 1131.727, 1e-3);
    EXPECT_NEAR(dt_per_domega(fr), 3.597375, 1e-6);
    // the separated cross sections follow from the response sums with these factors
    const ResponseSums sums = response_sums(r.amplitudes);
    EXPECT_DOUBLE_EQ(r.domega.t, sums.st_sum.real() * x.pf / 4.0);
    EXPECT_DOUBLE_EQ(r.domega.l, sums.sl_sum.real() * x.pf / 2.0);
    EXPECT_DOUBLE_EQ(r.domega.u, 0.5 * r.domega.l + r.domega.t);
    const Observables o = m.evaluate(fr, nf, 0.7);
    EXPECT_DOUBLE_EQ(o.dt_per_domega, dt_per_domega(fr));
    EXPECT_DOUBLE_EQ(o.bsa, o.dsigma_domega.ltp / o.dsigma_domega.u);
    EXPECT_DOUBLE_EQ(o.lt_ratio, o.dsigma_domega.l / o.dsigma_domega.t);
}

TEST(ReggeObservables, NanobarnIsThousandTimesMicrobarn) {
    for (Channel c : all_channels) {
        Options o = options_of(c);
        const Model mub = model_of(o);
        o.unit = CrossSectionUnit::nanobarn;
        const Model nb = model_of(o);
        EXPECT_EQ(nb.settings().options().unit, CrossSectionUnit::nanobarn);
        const CmFrame fr = mub.frame(2220.0, 1.6e6);
        EXPECT_NEAR(flux_factors(fr, CrossSectionUnit::nanobarn).pf3, 389379343750.0, 1e-13 * 389379343750.0);
        for (double theta : {0.0, 0.4, 1.3, 2.9}) {
            const Observables a = mub.evaluate(fr, mub.nucleon_form_factors(1.6e6), theta);
            const Observables b = nb.evaluate(nb.frame(2220.0, 1.6e6), nb.nucleon_form_factors(1.6e6), theta);
            const CrossSections& x = a.dsigma_domega;
            const CrossSections& y = b.dsigma_domega;
            for (auto [u, v] :
                 {std::pair{x.t, y.t}, {x.l, y.l}, {x.tt, y.tt}, {x.lt, y.lt}, {x.ltp, y.ltp}, {x.u, y.u}})
                EXPECT_NEAR(v, 1000.0 * u, 1e-13 * std::abs(v)) << name_of(c) << " theta " << theta;
            EXPECT_NEAR(b.lt_ratio, a.lt_ratio, 1e-13 * std::abs(a.lt_ratio));
            if (theta > 0.0) {
                EXPECT_NEAR(b.bsa, a.bsa, 1e-13 * std::abs(a.bsa));
            }
        }
    }
}

// Trajectories and signature phases of gamma* p -> pi+ n at t = -0.5 GeV^2.
TEST(ReggeAmplitudes, TrajectoriesAndPhasesAtMinusT05) {
    const Model m = model_of(options_of(Channel::pi_plus_n));
    const CmFrame fr = m.frame(2220.0, 1.6e6);
    const double theta = std::acos(fr.cos_theta_of_t(-500000.0));
    const PointKinematics kin = point_kinematics(fr, theta);
    ASSERT_NEAR(kin.t.real(), -500000.0, 1e-6);
    EXPECT_EQ(kin.t.imag(), 0.0);
    const PointFactors f = m.point_factors(kin, m.nucleon_form_factors(1.6e6));
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

TEST(ReggeAmplitudes, ConstantPhasesOfTheOtherChannels) {
    const auto factors = [](const Options& o) {
        const Model m = model_of(o);
        const PointKinematics kin = point_kinematics(m.frame(2220.0, 1.6e6), 0.6);
        return m.point_factors(kin, m.nucleon_form_factors(1.6e6));
    };
    const PointFactors f2 = factors(options_of(Channel::pi_minus_p));
    EXPECT_EQ(f2.php, cplx(1.0));
    EXPECT_EQ(f2.phv, cplx(1.0));
    EXPECT_EQ(f2.phb, cplx(-1.0));
    EXPECT_EQ(f2.pht, cplx(-1.0));
    const cplx e_aa = std::exp(cplx(0.0, -pi * f2.aa));
    EXPECT_NEAR(std::abs(f2.pha - (-(e_aa - 1.0) / 2.0)), 0.0, 1e-15);

    Options o3 = options_of(Channel::pi0_p);
    o3.omega_phase = OmegaPhase::degenerate;
    const PointFactors f3 = factors(o3);
    EXPECT_NEAR(std::abs(f3.phw - std::exp(cplx(0.0, -pi * f3.aw))), 0.0, 1e-15);
    EXPECT_EQ(f3.fs_t, cplx(1.0));
    Options o4 = options_of(Channel::pi0_n);
    o4.omega_phase = OmegaPhase::degenerate;
    const PointFactors f4 = factors(o4);
    EXPECT_EQ(f4.phw, cplx(1.0));  // EXD omega phase is the constant 1 for pi0 n
    EXPECT_EQ(f4.phv, cplx(-1.0));
    EXPECT_EQ(f4.phh, cplx(1.0));
    o4.omega_phase = OmegaPhase::non_degenerate;
    const PointFactors f4n = factors(o4);
    EXPECT_NEAR(std::abs(f4n.phw - (std::exp(cplx(0.0, -pi * f4n.aw)) - 1.0) / 2.0), 0.0, 1e-15);
}

TEST(ReggeAmplitudes, FormFactorDistributionOverThePoleTerms) {
    struct Factors {
        regge::internal::NucleonFactors nf;  // F1, F2 of the channel's nucleon
        PoleFormFactors pole;                // as the s- and u-channel pole terms take them
    };
    const auto factors = [](const Options& o) {
        const Model m = model_of(o);
        const regge::internal::NucleonFactors nf = m.nucleon_form_factors(1.6e6);
        return Factors{nf, m.pole_form_factors(nf)};
    };
    const Factors a = factors(options_of(Channel::pi_plus_n));
    EXPECT_EQ(a.pole.fs1, a.nf.f1t);
    EXPECT_EQ(a.pole.fs2, a.nf.f2t);
    EXPECT_NE(a.pole.fs2, cplx(0.0));
    EXPECT_EQ(a.pole.fu1, cplx(0.0));
    EXPECT_EQ(a.pole.fu2, cplx(0.0));
    EXPECT_EQ(a.pole.f10t, cplx(1.0));
    const Factors b = factors(options_of(Channel::pi_minus_p));
    EXPECT_EQ(b.pole.fs1, cplx(0.0));
    EXPECT_EQ(b.pole.fs2, cplx(0.0));
    EXPECT_EQ(b.pole.fu1, b.nf.f1t);
    EXPECT_EQ(b.pole.fu2, b.nf.f2t);
    const Factors c = factors(options_of(Channel::pi0_n));
    EXPECT_EQ(c.pole.fs1, cplx(0.0));
    EXPECT_EQ(c.pole.fu1, cplx(0.0));
    EXPECT_EQ(c.pole.fs2, c.nf.f2t);
    EXPECT_NE(c.nf.f2t, cplx(0.0));
    // F2 off: the Pauli form factor is zero whatever the form-factor model
    for (FormFactors ff : {FormFactors::gpd, FormFactors::dipole})
        EXPECT_EQ(factors(options_of(Channel::pi0_p, ff, false)).nf.f2t, cplx(0.0));
    // GPD form factors: F1 of the proton is 1 at Q^2 = 0, F2 normalized to 1 there
    const Model g = model_of(options_of(Channel::pi_plus_n, FormFactors::gpd));
    const regge::internal::NucleonFactors n0 = g.nucleon_form_factors(0.0);
    EXPECT_NEAR(n0.f1t.real(), 1.0, 1e-7);  // 2 cu + cd with the single-precision quark charges
    EXPECT_NEAR(n0.f2t.real(), 1.0, 1e-6);
    const Model gn = model_of(options_of(Channel::pi_minus_p, FormFactors::gpd));
    EXPECT_NEAR(gn.nucleon_form_factors(0.0).f2t.real(), 1.0, 1e-6);  // pi- p: proton with kappa of the recoil
    // the neutral channels take the GPD slope 0.3 GeV^-2 (single precision): pi0 p has the proton form factors
    // of pi+ n at that slope
    Options slope = options_of(Channel::pi_plus_n, FormFactors::gpd);
    slope.gpd_slope_per_gev2 = neutral_gpd_alp;
    const Model pip = model_of(slope);
    const Model pi0 = model_of(options_of(Channel::pi0_p, FormFactors::gpd));
    for (double qq : {0.5e6, 1.6e6, 3.5e6}) {
        EXPECT_EQ(pi0.nucleon_form_factors(qq).f1t, pip.nucleon_form_factors(qq).f1t) << "Q2 " << qq;
        EXPECT_EQ(pi0.nucleon_form_factors(qq).f2t, pip.nucleon_form_factors(qq).f2t) << "Q2 " << qq;
        EXPECT_NE(pi0.nucleon_form_factors(qq).f1t, g.nucleon_form_factors(qq).f1t) << "Q2 " << qq;  // slope 1.105
    }
}

// The total amplitude of each spin pair equals the literal sum of the diagram amplitudes:
// charged sqrt2 (s + u + pi + rho + a2 + a1 + b1), neutral (rho + omega) + (b1 + h1) [+ (s + u)].
TEST(ReggeAmplitudes, AssemblyEqualsSumOfDiagramAmplitudes) {
    struct Case {
        Channel channel;
        FormFactors ff;
        bool born;
        A1Sign a1;
    };
    const FormFactors gpd = FormFactors::gpd, dip = FormFactors::dipole;
    const A1Sign pos = A1Sign::positive, neg = A1Sign::negative;
    for (const Case c : {Case{Channel::pi_plus_n, dip, true, pos}, Case{Channel::pi_minus_p, dip, true, pos},
                         Case{Channel::pi_plus_n, gpd, true, pos}, Case{Channel::pi_plus_n, dip, true, neg},
                         Case{Channel::pi0_p, dip, true, pos}, Case{Channel::pi0_n, dip, true, pos},
                         Case{Channel::pi0_p, gpd, false, pos}, Case{Channel::pi0_n, dip, false, pos}}) {
        Options o = options_of(c.channel, c.ff, true, c.born);
        if (is_charged(c.channel)) o.a1_sign = c.a1;
        const Model m = model_of(o);
        const ChannelData& ch = m.channel();
        const double ec = elementary_charge();
        const double ggap = c.a1 == A1Sign::positive ? ggap_abs : -ggap_abs;
        const double w = 2220.0, qq = 1.6e6, theta = 0.45;
        const CmFrame fr = m.frame(w, qq);
        const PointKinematics kin = point_kinematics(fr, theta);
        const regge::internal::NucleonFactors nf = m.nucleon_form_factors(qq);
        const PointFactors f = m.point_factors(kin, nf);
        const PoleFormFactors pf = m.pole_form_factors(nf);
        const PointResult r = m.evaluate_point(fr, nf, theta);
        const Momenta& p = kin.mom;
        std::size_t pair = 0;
        for (int i300 = 1; i300 <= 2; ++i300)
            for (int i350 = 1; i350 <= 2; ++i350, ++pair) {
                const DiracSpinor u1 = z_spinor(p.p1, ch.ibm, i300);
                const DiracSpinor u2b = ub(z_spinor(p.p2, ch.fbm, i350));
                for (int i500 = 1; i500 <= 3; ++i500) {
                    const FourVector ep = photon_circular(kin.frame.e_k1, qq, i500);
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
                    if (is_charged(c.channel)) {
                        const cplx ms = ms_n(ec, f.fs_t, pf.fs1, pf.f10t, pf.fs2, qq, u2b, u1, ep, ch.chs_t, gts, gpnn,
                                             kin.s, kin.qs, p.k1, ch.ibm);
                        const cplx mu = mu_n(ec, f.fu_t, pf.fu1, pf.f10t, pf.fu2, qq, u2b, u1, ep, ch.chu_t, gtu, gpnn,
                                             kin.u, kin.qu, p.k1, ch.fbm);
                        const cplx mtp = mt_pion(ec, f.ftp_h, f.ftp_em, f.ftp_em0, qq, u2b, u1, ep, ch.cht_t, gpnn,
                                                 kin.t, kin.qt, p.k1, ch.fmm);
                        const cplx mtt = mt_t(f.ftt_h, f.ftt_em, u2b, u1, ep, ggtp, double(2.8f) / ch.ibm, 0.0,
                                              kin.t, kin.qp, kin.cqt, p.k1, p.k2, a2_m);
                        const cplx ma1 =
                            mt_av(f.fta_h, f.fta_em, u2b, u1, ep, ggap, gavnn, kin.t, kin.qt, kin.cqt, p.k1, a1_m);
                        expected = 1.4142135381698608 * (ms + mu + mtp + mtv + mtt + ma1 + mb1);
                    } else {
                        expected = (mtv + mtw) + (mb1 + mh1);
                        if (c.born)
                            expected += ms_nn(ec, f.fs_t, pf.fs1, pf.fs2, u2b, u1, ep, ch.chs_t, gts, gpnn, kin.s,
                                              kin.qs, p.k1, ch.ibm) +
                                        mu_nn(ec, f.fu_t, pf.fu1, pf.fu2, u2b, u1, ep, ch.chu_t, gtu, gpnn, kin.u,
                                              kin.qu, p.k1, ch.fbm);
                    }
                    const HelicitySet& h = r.amplitudes[pair];
                    const cplx got = i500 == 1 ? h.mep1 : i500 == 2 ? h.me0 : h.mem1;
                    EXPECT_NEAR(std::abs(got - expected), 0.0, 1e-12 * std::abs(expected) + 1e-300)
                        << name_of(c.channel) << " pair " << pair << " polarization " << i500;
                }
            }
    }
}

// Replacing the photon polarization by its momentum k1 gives zero amplitudes between on-shell spinors: the sum
// of the charged Born terms (s, u, pion pole) is gauge invariant, every meson-exchange vertex is, and so is the
// neutral s + u pair.
TEST(ReggeAmplitudes, GaugeInvarianceOfTheChannelSum) {
    for (Channel c : all_channels)
        for (FormFactors ff : {FormFactors::gpd, FormFactors::dipole}) {
            const Model m = model_of(options_of(c, ff));
            const ChannelData& ch = m.channel();
            for (double theta : {0.1, 1.2, 2.7}) {
                const PointKinematics kin = point_kinematics(m.frame(2500.0, 2.0e6), theta);
                const PointFactors f = m.point_factors(kin, m.nucleon_form_factors(2.0e6));
                const DiracMatrix longitudinal =
                    m.total_amplitude_matrix(kin, f, photon_circular(kin.frame.e_k1, 2.0e6, 2));
                const DiracMatrix gauge = m.total_amplitude_matrix(kin, f, kin.mom.k1);
                for (int i300 = 1; i300 <= 2; ++i300)
                    for (int i350 = 1; i350 <= 2; ++i350) {
                        const DiracSpinor u1 = z_spinor(kin.mom.p1, ch.ibm, i300);
                        const DiracSpinor u2b = ub(z_spinor(kin.mom.p2, ch.fbm, i350));
                        const double m0 = std::abs(spinor_uxgxu(u2b, longitudinal, u1));
                        const double mg = std::abs(spinor_uxgxu(u2b, gauge, u1));
                        // k1 has components of order k (MeV), the longitudinal vector of order k/Q
                        EXPECT_LT(mg / kin.frame.k, 1e-10 * max_abs(longitudinal))
                            << name_of(c) << (ff == FormFactors::gpd ? " GPD" : " dipole") << " theta " << theta
                            << " spins " << i300 << i350 << " (|M0| = " << m0 << ")";
                    }
            }
        }
}

// The point builds the amplitude for the three photon polarizations side by side; each amplitude is, bit for bit,
// the sandwich of the total matrix of its polarization alone (real photons and theta = 0, pi included).
TEST(ReggeAmplitudes, PolarizationsSideBySideEqualEachAlone) {
    for (Channel c : all_channels)
        for (FormFactors ff : {FormFactors::gpd, FormFactors::dipole}) {
            const Model m = model_of(options_of(c, ff));
            const ChannelData& ch = m.channel();
            for (const auto& [w, qq, theta] : {std::tuple{2220.0, 1.6e6, 0.3}, std::tuple{1900.0, 0.0, 0.0},
                                               std::tuple{2500.0, 0.0, 1.9}, std::tuple{3100.0, 4.0e6, pi}}) {
                const CmFrame fr = m.frame(w, qq);
                const NucleonFactors nf = m.nucleon_form_factors(qq);
                const PointResult r = m.evaluate_point(fr, nf, theta);
                const PointFactors f = m.point_factors(r.kin, nf);
                for (int pol = 1; pol <= 3; ++pol) {
                    const DiracMatrix g = m.total_amplitude_matrix(r.kin, f, photon_circular(fr.e_k1, qq, pol));
                    for (int i = 1; i <= 2; ++i)
                        for (int j = 1; j <= 2; ++j) {
                            const cplx alone = spinor_uxgxu(ub(z_spinor(r.kin.mom.p2, ch.fbm, j)), g,
                                                            z_spinor(r.kin.mom.p1, ch.ibm, i));
                            const HelicitySet& h = r.amplitudes[static_cast<std::size_t>(2 * (i - 1) + (j - 1))];
                            EXPECT_EQ(alone, pol == 1 ? h.mep1 : pol == 2 ? h.me0 : h.mem1)
                                << name_of(c) << " W " << w << " Q2 " << qq << " theta " << theta << " pol " << pol;
                        }
                }
            }
        }
}

// The pole term with neither charge nor form factors (u channel of pi+ n, s channel of pi- p) is zero in every
// entry; a setup does not make its vertex and a point leaves it out, and its amplitudes are still those of the whole
// sum, bit for bit (signs of zeros and NaN included): near threshold and below it, forward and backward, for real
// photons and at large Q^2, from a setup with and without every vertex. Evaluated for the cross sections alone, it is
// left out at every point, and the cross sections are still the same to the bit.
TEST(ReggeAmplitudes, VanishingPoleTermLeftOutChangesNoBit) {
    for (Channel c : all_channels)
        for (FormFactors ff : {FormFactors::gpd, FormFactors::dipole}) {
            const Model m = model_of(options_of(c, ff));
            const ChannelData& ch = m.channel();
            const FrameSetup physical = m.setup(m.frame(2220.0, 1.6e6), m.nucleon_form_factors(1.6e6));
            EXPECT_EQ(physical.photons.u_vanishes, c == Channel::pi_plus_n) << name_of(c);
            EXPECT_EQ(physical.photons.s_vanishes, c == Channel::pi_minus_p) << name_of(c);
            for (double w : {1000.0, 1090.0, 2220.0, 4000.0})
                for (double qq : {0.0, 100.0, 1.6e6, 8.0e6}) {
                    const FrameSetup setup = m.setup(m.frame(w, qq), m.nucleon_form_factors(qq));
                    const FrameSetup every_term = m.setup(m.frame(w, qq), m.nucleon_form_factors(qq), true);
                    EXPECT_FALSE(every_term.photons.u_vanishes || every_term.photons.s_vanishes);
                    for (double theta : {0.0, 1e-9, 0.3, 1.7, pi}) {
                        const PointResult r = m.evaluate_point(setup, theta);
                        const PointResult kept = m.evaluate_point(every_term, theta);
                        EXPECT_EQ(std::memcmp(&kept.amplitudes, &r.amplitudes, sizeof r.amplitudes), 0);
                        const PointFactors f = m.point_factors(r.kin, setup.nf);
                        const BasicDiracMatrix<Lanes> whole =
                            m.total_amplitude_matrix(r.kin, f, m.polarization_shared(r.kin, f), setup.photons, false);
                        const SpinPairAmplitudes a =
                            spin_pair_amplitudes(whole, r.kin.mom.p1, ch.ibm, r.kin.mom.p2, ch.fbm);
                        EXPECT_EQ(std::memcmp(&a, &r.amplitudes, sizeof a), 0)
                            << name_of(c) << " W " << w << " Q2 " << qq << " theta " << theta;
                        // for the cross sections alone the term is left out at every point: the same cross
                        // sections to the bit, the same amplitudes up to the sign of a zero part
                        const PointResult x = m.evaluate_point(setup, theta, Evaluation::cross_sections);
                        EXPECT_EQ(std::memcmp(&x.domega, &r.domega, sizeof x.domega), 0)
                            << name_of(c) << " W " << w << " Q2 " << qq << " theta " << theta;
                        for (std::size_t k = 0; k < 4; ++k)
                            for (const auto& [y, z] : {std::pair{x.amplitudes[k].mep1, r.amplitudes[k].mep1},
                                                       std::pair{x.amplitudes[k].me0, r.amplitudes[k].me0},
                                                       std::pair{x.amplitudes[k].mem1, r.amplitudes[k].mem1}})
                                EXPECT_TRUE(y == z || (std::isnan(y.real()) && std::isnan(z.real())))
                                    << name_of(c) << " W " << w << " Q2 " << qq << " theta " << theta;
                    }
                }
        }
}

TEST(ReggeObservables, PositivityAndBoundsAtPhysicalPoints) {
    // every distinct set of options: the Born switch belongs to the neutral channels, and without the Born
    // terms the nucleon form factors do not enter
    std::vector<std::pair<Options, std::string>> runs;
    for (Channel c : all_channels)
        for (bool born : {true, false}) {
            if (!born && is_charged(c)) continue;
            for (FormFactors ff : {FormFactors::gpd, FormFactors::dipole})
                for (bool pauli : {true, false}) {
                    if (!born && (ff != FormFactors::gpd || !pauli)) continue;
                    runs.emplace_back(options_of(c, ff, pauli, born),
                                      name_of(c) + (born ? (ff == FormFactors::gpd ? " GPD" : " dipole") : " no Born") +
                                          (born && !pauli ? " F2 off" : ""));
                }
        }
    ASSERT_EQ(runs.size(), 18u);
    for (const auto& [options, label] : runs) {
        const Model m = model_of(options);
        for (double w : {1300.0, 1800.0, 2220.0, 3200.0})
            for (double qq : {0.1e6, 1.6e6, 3.5e6}) {
                const CmFrame fr = m.frame(w, qq);
                const regge::internal::NucleonFactors nf = m.nucleon_form_factors(qq);
                const double t0 = fr.t_forward();
                for (int deg = 0; deg <= 180; deg += 15) {
                    const Observables o = m.evaluate(fr, nf, deg * pi / 180.0);
                    const CrossSections& x = o.dsigma_domega;
                    const std::string where = label + " W " + std::to_string(w) + " Q2 " + std::to_string(qq) +
                                              " deg " + std::to_string(deg);
                    ASSERT_TRUE(std::isfinite(x.t) && std::isfinite(x.l)) << where;
                    EXPECT_GE(x.t, 0.0) << where;
                    EXPECT_GE(x.l, 0.0) << where;
                    EXPECT_LE(std::abs(x.tt), x.t * (1.0 + 1e-12)) << where;
                    EXPECT_LE(std::abs(o.bsa), 1.0) << where;
                    // t <= t0 (t of theta = 0), t in MeV^2 inside the model and GeV^2 in the observables
                    EXPECT_GE(o.t0_minus_t, -(1e-12 * std::abs(t0) + 1e-6) / 1.0e6) << where;
                }
            }
    }
}

TEST(ReggeObservables, ForwardAndBackwardPointsHaveNoAzimuthalTerms) {
    // at theta = 0 and pi angular-momentum conservation leaves no helicity flip of the photon to interfere
    const Model m = model_of(options_of(Channel::pi_plus_n));
    const CmFrame fr = m.frame(2220.0, 1.6e6);
    const regge::internal::NucleonFactors nf = m.nucleon_form_factors(1.6e6);
    for (double theta : {0.0, pi}) {
        const CrossSections x = m.evaluate(fr, nf, theta).dsigma_domega;
        EXPECT_NEAR(x.tt, 0.0, 1e-5 * x.t);
        EXPECT_NEAR(x.ltp, 0.0, 1e-5 * x.u);
    }
    // at theta = 0 the written t is t0 and t0 - t vanishes
    const Observables f = m.evaluate(fr, nf, 0.0);
    EXPECT_NEAR(f.t0_minus_t, 0.0, 1e-9 * std::abs(fr.t_forward()) / 1.0e6);
    EXPECT_NEAR(f.t * 1.0e6, fr.t_forward(), 1e-9 * std::abs(fr.t_forward()));
}

TEST(ReggeObservables, UnphysicalPointsGiveNaNNotACrash) {
    const Model m = model_of(options_of(Channel::pi_plus_n));
    // below threshold the pion momentum is not a number
    const Observables below = m.evaluate(m.frame(1000.0, 1.0e6), m.nucleon_form_factors(1.0e6), 0.5);
    EXPECT_TRUE(std::isnan(below.dsigma_domega.t));
    EXPECT_TRUE(std::isnan(below.bsa));
    // an angle that is not a number (arccos beyond +-1)
    const Observables bad = m.evaluate(m.frame(2220.0, 1.6e6), m.nucleon_form_factors(1.6e6), std::acos(1.5));
    EXPECT_TRUE(std::isnan(bad.t));
    EXPECT_TRUE(std::isnan(bad.dsigma_domega.u));
    EXPECT_TRUE(std::isfinite(bad.dt_per_domega));
}

// ---- DDS conventions ---------------------------------------------------------------------------

namespace {

CrossSections sample_point() {
    CrossSections x;
    x.t = 2.0;
    x.l = 0.7;
    x.tt = -0.4;
    x.lt = 0.25;
    x.ltp = 0.05;
    x.u = 0.6 * x.l + x.t;
    return x;
}

Dds dds_of(DdsType type) {
    Dds d;
    d.type = type;
    return d;
}

// The phi-dependent cross section of the phi scans of settings with DDS convention `type` in channel c.
double phi_scan_value(DdsType type, Channel c, double eps, const CrossSections& x, double phi_deg) {
    Options o = options_of(c);
    o.epsilon = eps;
    o.dds = dds_of(type);
    Observables point;
    point.dsigma_domega = x;
    return regge::phi_dependent_cross_section(regge::Settings(o), point, phi_deg * pi / 180.0);
}

// Mean of f(phi) over [a, b] degrees by the midpoint rule.
template <class F>
double mean_over(F f, double a, double b) {
    const int n = 20000;
    double s = 0.0;
    for (int i = 0; i < n; ++i) s += f(a + (b - a) * (i + 0.5) / n);
    return s / n;
}

double rad(double deg) { return deg * pi / 180.0; }

}  // namespace

TEST(ReggeDds, UnpolarizedLimitReducesEveryFormToDsu) {
    CrossSections x = sample_point();
    x.u = x.t;  // eps = 0
    for (int type = 1; type <= 5; ++type)
        for (Channel c : {Channel::pi_plus_n, Channel::pi_minus_p}) {
            Dds d = dds_of(static_cast<DdsType>(type));
            if (d.type == DdsType::cea) {
                d.cos_phi = 0.3;
                d.cos_2phi = -0.82;
            }
            for (double phi : {0.0, 37.0, 200.0}) {
                EXPECT_DOUBLE_EQ(dds_at(d, c, 0.0, x, rad(phi)), x.u) << "type " << type << " " << name_of(c);
                EXPECT_DOUBLE_EQ(phi_scan_value(d.type, c, 0.0, x, phi), x.u);
            }
        }
}

TEST(ReggeDds, DesyAverageOfChannelTwoIsTheMeanOver120To240Degrees) {
    const CrossSections x = sample_point();
    const Dds desy = dds_of(DdsType::desy);
    const double a = dds_at(desy, Channel::pi_minus_p, 0.6, x, rad(10.0));
    EXPECT_EQ(a, dds_at(desy, Channel::pi_minus_p, 0.6, x, rad(250.0)));  // the given phi does not enter
    const double mean =
        mean_over([&](double phi) { return dds_at(desy, Channel::pi_plus_n, 0.6, x, rad(phi)); }, 120.0, 240.0);
    EXPECT_NEAR(a, mean, 1e-4 * std::abs(mean));
}

TEST(ReggeDds, CornellAverageIsTheMeanOfTheFixedFormOverMinus45To45Degrees) {
    const CrossSections x = sample_point();
    const double avg = dds_at(dds_of(DdsType::cornell_averaged), Channel::pi_plus_n, 0.6, x, rad(90.0));
    const double mean = mean_over(
        [&](double phi) { return dds_at(dds_of(DdsType::cornell_fixed), Channel::pi_plus_n, 0.6, x, rad(phi)); },
        -45.0, 45.0);
    EXPECT_NEAR(avg, mean, 1e-6 * std::abs(mean));
}

TEST(ReggeDds, FixedPhiFormsAndCeaCosines) {
    const CrossSections x = sample_point();
    const double el = 0.6, phi = 40.0;
    const double a = std::sqrt(el * 2.0 * (el + 1.0)), b = std::sqrt(el * 0.5 * (el + 1.0));
    const double c1 = std::cos(phi * pi / 180.0), c2 = std::cos(2.0 * phi * pi / 180.0);
    const Channel pip = Channel::pi_plus_n;
    EXPECT_NEAR(dds_at(dds_of(DdsType::desy), pip, el, x, rad(phi)), x.u + el * x.tt * c2 + a * x.lt * c1, 1e-14);
    EXPECT_NEAR(dds_at(dds_of(DdsType::jlab), Channel::pi0_p, el, x, rad(phi)), x.u + el * x.tt * c2 + a * x.lt * c1,
                1e-14);
    EXPECT_NEAR(dds_at(dds_of(DdsType::cornell_fixed), pip, el, x, rad(phi)), x.u + el * x.tt * c2 + b * x.lt * c1,
                1e-14);
    // CEA at a given phi: the cosines of that phi
    EXPECT_NEAR(dds_at(dds_of(DdsType::cea), pip, el, x, rad(phi)),
                dds_at(dds_of(DdsType::cornell_fixed), pip, el, x, rad(phi)), 1e-14);
    // CEA with given cosines: those cosines, whatever phi
    Dds cea = dds_of(DdsType::cea);
    cea.cos_phi = -0.5;
    cea.cos_2phi = 0.1;
    EXPECT_NEAR(dds_at(cea, pip, el, x, rad(phi)), el * x.tt * 0.1 + x.u + b * x.lt * (-0.5), 1e-14);
    // the phi scans use A for DESY and JLab, B for every other type, and no average
    for (int type = 1; type <= 5; ++type) {
        const double c = (type == 1 || type == 5) ? a : b;
        EXPECT_NEAR(phi_scan_value(static_cast<DdsType>(type), Channel::pi_minus_p, el, x, phi),
                    x.u + el * x.tt * c2 + c * x.lt * c1, 1e-14)
            << "type " << type;
    }
}
