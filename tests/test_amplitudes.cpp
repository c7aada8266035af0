// Diagram amplitudes of kavrin-regge: t-channel exchanges (pi, rho/omega, a1, b1/h1, a2) and the s- and
// u-channel nucleon poles. The fast forms (a Dirac matrix per photon polarization, sandwiched once) are checked
// against the literal component loops built from the per-component vertex routines, then the physics:
// gauge invariance, zero couplings, the overall sign of the axial exchanges, linearity and pole scaling.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "amplitudes/born.hpp"
#include "amplitudes/exchange.hpp"
#include "amplitudes/meson_vertices.hpp"
#include "amplitudes/nucleon_poles.hpp"
#include "kernel/constants.hpp"
#include "kernel/dirac.hpp"
#include "kinematics/kinematics.hpp"
#include "kinematics/wave_functions.hpp"
#include "tests/literal_forms.hpp"

using namespace kavrin;

namespace {

constexpr cplx I{0.0, 1.0};

// Couplings and masses of kavrin-regge (single-precision literals widened).
const double ec = std::sqrt(4.0 * pi_single / double(137.036f));
const double gpnn = double(13.4f);
const double pion_m = double(139.57f), rho_m = double(775.11f), omega_m = double(782.651f);
const double a1_m = 1230.0, b1_m = 1229.5, h1_m = 1170.0, a2_m = double(1318.3f);
const double ggvp = double(0.000224f), gvnn = double(2.6f), gtvnn = double(16.12f);
const double ggwp = double(0.000723f), gwnn = double(15.6f);
const double ggtp = 5.519999604075565e-07, ggap = 0.0003160000196658075, gavnn = double(6.7f);
const double ggbp = double(0.000196f), gtbnn = -14.0, gghp = 0.00040499999886378646, gthnn = -9.0;

::testing::AssertionResult close(cplx a, cplx b, double rel = 1e-12, double floor = 0.0) {
    const double scale = std::max({std::abs(a), std::abs(b), floor});
    if (std::abs(a - b) <= rel * scale) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << a << " vs " << b << " (relative difference "
                                         << std::abs(a - b) / scale << ")";
}

// One reaction channel: target and recoil masses, the charges of the pole terms, anomalous moments.
struct Channel {
    double ibm, fbm;
    double chs, chu, cht;
    double kpi, kpf;
};
const Channel pi_plus_n{proton_mass, neutron_mass, 1.0, 0.0, 1.0, double(1.793f), double(-1.913f)};
const Channel pi_minus_p{neutron_mass, proton_mass, 0.0, 1.0, -1.0, double(-1.913f), double(1.793f)};

// A kinematic point with everything the amplitude routines take.
struct Point {
    Channel ch;
    CmFrame frame;
    FourVector k1, p1, k2, p2, qs, qt, qu, qp, cqt;
    cplx s, t, u;
    double qq;
    double theta;

    Point(const Channel& c, double w, double q2, double angle)
        : ch(c), frame(CmFrame::make(w, q2, c.ibm, c.fbm, pion_m)), theta(angle) {
        const Momenta m = frame.momenta(theta);
        k1 = m.k1, p1 = m.p1, k2 = m.k2, p2 = m.p2;
        qs = k1 + p1, qt = k2 - k1, qu = p2 - k1, qp = (p1 + p2) * 0.5;
        cqt = contra_vector(qt);
        s = v_dot_v(qs, qs), t = v_dot_v(qt, qt), u = v_dot_v(qu, qu);
        qq = q2;
    }
    FourVector ep(int pol) const { return photon_circular(frame.e_k1, qq, pol); }
    PointMomenta momenta() const { return frame.point_momenta(theta); }
    DiracSpinor u1(int spin) const { return z_spinor(p1, ch.ibm, spin); }
    DiracSpinor u2b(int spin) const { return ub(z_spinor(p2, ch.fbm, spin)); }
    double gts() const { return ch.kpi * 0.25 / ch.ibm; }
    double gtu() const { return ch.kpf * 0.25 / ch.fbm; }
};

const Point kPoints[] = {Point(pi_plus_n, 2500.0, 1.2e6, 0.3), Point(pi_plus_n, 1900.0, 0.4e6, 2.2),
                         Point(pi_minus_p, 3100.0, 2.5e6, 0.9)};

// Complex form factors standing in for Regge and electromagnetic factors.
const cplx fh(0.31, -0.77), fem(0.62, 0.0), f1(0.45, 0.03), f2(0.38, -0.02), ffpi(0.51, 0.01);

// ---- the literal index loops, built from the per-component routines ------------------------------

cplx literal_mt_pion(cplx ff_h, cplx ff, cplx ff0, double qq, const DiracSpinor& u2b, const DiracSpinor& u1,
                     const FourVector& ep, double cht, cplx t, const FourVector& qt, const FourVector& k1, double m) {
    const cplx gpsps = v_gpsps(cht, ff, ff0, qq, qt, k1, ep);
    const DiracMatrix vpnn = v_psnn_i(gpnn);
    const cplx mtam = spinor_uxgxu(u2b, gpsps * vpnn, u1);
    return ec * ff_h * mtam / (t - m * m);
}

cplx literal_mt_v(cplx ftv_h, cplx ff_em, const DiracSpinor& u2b, const DiracSpinor& u1, const FourVector& ep,
                  double g_gvp, double g_vnn, double g_vtnn, cplx t, const FourVector& qt, const FourVector& cqt,
                  const FourVector& k1, double m) {
    cplx sum1 = 0.0;
    for (int i1 = 0; i1 < 4; ++i1)
        for (int i2 = 0; i2 < 4; ++i2) {
            const cplx v_gpv = v_gvps_mu(i1, ep, k1, qt);
            const cplx v_pro = v_proj_munu(i1, i2, cqt, m);
            const cplx v_vnn = v_vnn_t_mu(i2, u2b, g_vnn, g_vtnn, qt, u1);
            sum1 += g_gvp * v_gpv * v_pro * v_vnn;
        }
    return ftv_h * ff_em * sum1 / (t - m * m);
}

// sum1 of the a1 (bv = false) or b1/h1 (bv = true) exchange: no couplings, no form factors, no pole.
cplx literal_axial_sum(bool bv, const DiracSpinor& u2b, const DiracSpinor& u1, const FourVector& ep,
                       const FourVector& qt, const FourVector& cqt, const FourVector& k1, double m) {
    cplx sum1 = 0.0;
    for (int i1 = 0; i1 < 4; ++i1)
        for (int j1 = 0; j1 < 4; ++j1) {
            const cplx v_nn = bv ? v_bvnn_mu_i(i1, u2b, qt, u1) : v_avnn_mu_i(i1, u2b, u1);
            const cplx v_pro = v_proj_munu(i1, j1, cqt, m);
            const cplx v_gpav = v_gavps_mu(j1, ep, k1, qt);
            sum1 += v_gpav * v_pro * v_nn;
        }
    return sum1;
}

cplx literal_mt_t(cplx ftt, cplx ff_em, const DiracSpinor& u2b, const DiracSpinor& u1, const FourVector& ep,
                  double g_gtp, double gt1, double gt2, cplx t, const FourVector& qp, const FourVector& cqt,
                  const FourVector& k1, const FourVector& k2, double m) {
    cplx sum1 = 0.0;
    for (int i1 = 0; i1 < 4; ++i1)
        for (int j1 = 0; j1 < 4; ++j1) {
            const cplx v_tnn = v_tnn_munu(i1, j1, gt1, gt2, u2b, qp, u1);
            for (int i2 = 0; i2 < 4; ++i2)
                for (int j2 = 0; j2 < 4; ++j2) {
                    const cplx t_pro = t_proj(i1, j1, i2, j2, cqt, m);
                    const cplx v_gpt = v_gtps_munu(i2, j2, ep, k1, k2);
                    sum1 += g_gtp * v_gpt * t_pro * v_tnn;
                }
        }
    return ftt * ff_em * sum1 / (t - m * m);
}

// s channel (s_channel = true): u2b vpnn nproj vgnn u1; u channel: u2b vgnn nproj vpnn u1; times ec ff_h/(x - m^2).
cplx literal_pole(bool s_channel, const DiracMatrix& vgnn, double g, cplx ff_h, const DiracSpinor& u2b,
                  const DiracSpinor& u1, cplx x, const FourVector& q, double m) {
    const DiracMatrix nproj = n_proj(q, m);
    const DiracMatrix vpnn = v_psnn_i(g);
    const cplx am = s_channel ? c3_m(u2b, vpnn, nproj, vgnn, u1) : c3_m(u2b, vgnn, nproj, vpnn, u1);
    return ec * ff_h * am / (x - m * m);
}

// The nine diagrams of one spin/polarization combination, in the fast form.
struct Diagrams {
    cplx ms, mu, mtp, mtv, mtw, mtt, mt_a1, mt_b1, mt_h1;
};

Diagrams fast_diagrams(const Point& pt, const DiracSpinor& u2b, const DiracSpinor& u1, const FourVector& ep) {
    const double ibm = pt.ch.ibm;
    Diagrams d;
    d.ms = ms_n(ec, fh, f1, 1.0, f2, pt.qq, u2b, u1, ep, pt.ch.chs, pt.gts(), gpnn, pt.s, pt.qs, pt.k1, ibm);
    d.mu = mu_n(ec, fh, f1, 1.0, f2, pt.qq, u2b, u1, ep, pt.ch.chu, pt.gtu(), gpnn, pt.u, pt.qu, pt.k1,
                pt.ch.fbm);
    d.mtp = mt_pion(ec, fh, ffpi, 1.0, pt.qq, u2b, u1, ep, pt.ch.cht, gpnn, pt.t, pt.qt, pt.k1, pion_m);
    d.mtv = mt_v(fh, fem, u2b, u1, ep, ggvp, gvnn, gtvnn * 0.25 / ibm, pt.t, pt.qt, pt.cqt, pt.k1, rho_m);
    d.mtw = mt_v(fh, fem, u2b, u1, ep, ggwp, gwnn, 0.0, pt.t, pt.qt, pt.cqt, pt.k1, omega_m);
    d.mtt = mt_t(fh, fem, u2b, u1, ep, ggtp, double(2.8f) / ibm, 0.0, pt.t, pt.qp, pt.cqt, pt.k1, pt.k2, a2_m);
    d.mt_a1 = mt_av(fh, fem, u2b, u1, ep, ggap, gavnn, pt.t, pt.qt, pt.cqt, pt.k1, a1_m);
    d.mt_b1 = mt_bv(fh, fem, u2b, u1, ep, ggbp, gtbnn * 0.25 / ibm, pt.t, pt.qt, pt.cqt, pt.k1, b1_m);
    d.mt_h1 = mt_bv(fh, fem, u2b, u1, ep, gghp, gthnn * 0.25 / ibm, pt.t, pt.qt, pt.cqt, pt.k1, h1_m);
    return d;
}

Diagrams literal_diagrams(const Point& pt, const DiracSpinor& u2b, const DiracSpinor& u1, const FourVector& ep) {
    const double ibm = pt.ch.ibm;
    Diagrams d;
    d.ms = literal_pole(true, v_gnn(ep, f1, 1.0, f2, pt.qq, pt.ch.chs, pt.gts(), pt.k1), gpnn, fh, u2b, u1, pt.s,
                        pt.qs, ibm);
    d.mu = literal_pole(false, v_gnn(ep, f1, 1.0, f2, pt.qq, pt.ch.chu, pt.gtu(), pt.k1), gpnn, fh, u2b, u1, pt.u,
                        pt.qu, pt.ch.fbm);
    d.mtp = literal_mt_pion(fh, ffpi, 1.0, pt.qq, u2b, u1, ep, pt.ch.cht, pt.t, pt.qt, pt.k1, pion_m);
    d.mtv = literal_mt_v(fh, fem, u2b, u1, ep, ggvp, gvnn, gtvnn * 0.25 / ibm, pt.t, pt.qt, pt.cqt, pt.k1, rho_m);
    d.mtw = literal_mt_v(fh, fem, u2b, u1, ep, ggwp, gwnn, 0.0, pt.t, pt.qt, pt.cqt, pt.k1, omega_m);
    d.mtt = literal_mt_t(fh, fem, u2b, u1, ep, ggtp, double(2.8f) / ibm, 0.0, pt.t, pt.qp, pt.cqt, pt.k1, pt.k2,
                         a2_m);
    const cplx pole_a1 = pt.t - a1_m * a1_m, pole_b1 = pt.t - b1_m * b1_m, pole_h1 = pt.t - h1_m * h1_m;
    d.mt_a1 = -(ggap * gavnn) * fh * fem * literal_axial_sum(false, u2b, u1, ep, pt.qt, pt.cqt, pt.k1, a1_m) / pole_a1;
    d.mt_b1 = -(ggbp * gtbnn * 0.25 / ibm) * fh * fem *
              literal_axial_sum(true, u2b, u1, ep, pt.qt, pt.cqt, pt.k1, b1_m) / pole_b1;
    d.mt_h1 = -(gghp * gthnn * 0.25 / ibm) * fh * fem *
              literal_axial_sum(true, u2b, u1, ep, pt.qt, pt.cqt, pt.k1, h1_m) / pole_h1;
    return d;
}

}  // namespace

// ================================ fast forms against the literal loops =============================

TEST(FastAmplitudes, AgreeWithTheLiteralIndexLoopsForAllSpinsAndPolarizations) {
    for (const Point& pt : kPoints)
        for (int s1 = 1; s1 <= 2; ++s1)
            for (int s2 = 1; s2 <= 2; ++s2)
                for (int pol = 1; pol <= 3; ++pol) {
                    const DiracSpinor u1 = pt.u1(s1), u2b = pt.u2b(s2);
                    const FourVector ep = pt.ep(pol);
                    const Diagrams f = fast_diagrams(pt, u2b, u1, ep), l = literal_diagrams(pt, u2b, u1, ep);
                    SCOPED_TRACE(::testing::Message() << "W " << pt.frame.w << " spins " << s1 << s2 << " pol " << pol);
                    EXPECT_TRUE(close(f.ms, l.ms));
                    EXPECT_TRUE(close(f.mu, l.mu, 1e-12, 1e-14 * std::abs(f.ms)));  // zero for pi+ n
                    EXPECT_TRUE(close(f.mtp, l.mtp));
                    EXPECT_TRUE(close(f.mtv, l.mtv));
                    EXPECT_TRUE(close(f.mtw, l.mtw));
                    EXPECT_TRUE(close(f.mtt, l.mtt));
                    EXPECT_TRUE(close(f.mt_a1, l.mt_a1));
                    EXPECT_TRUE(close(f.mt_b1, l.mt_b1));
                    EXPECT_TRUE(close(f.mt_h1, l.mt_h1));
                }
}

TEST(FastAmplitudes, NucleonPolesMatchTheThreeMatrixSandwichForBothVertices) {
    const Point& pt = kPoints[0];
    for (double g : {gpnn, 2.5}) {
        for (int s1 = 1; s1 <= 2; ++s1)
            for (int s2 = 1; s2 <= 2; ++s2)
                for (int pol = 1; pol <= 3; ++pol) {
                    const DiracSpinor u1 = pt.u1(s1), u2b = pt.u2b(s2);
                    const FourVector ep = pt.ep(pol);
                    // with chs = chu = 1 both channels are at work
                    const double gts = pt.gts(), gtu = pt.gtu(), ibm = pt.ch.ibm, fbm = pt.ch.fbm;
                    const cplx f10(0.93, 0.0);
                    SCOPED_TRACE(::testing::Message() << "g " << g << " spins " << s1 << s2 << " pol " << pol);
                    EXPECT_TRUE(close(ms_n(ec, fh, f1, f10, f2, pt.qq, u2b, u1, ep, 1.0, gts, g, pt.s, pt.qs, pt.k1, ibm),
                                      literal_pole(true, v_gnn(ep, f1, f10, f2, pt.qq, 1.0, gts, pt.k1), g, fh, u2b,
                                                   u1, pt.s, pt.qs, ibm)));
                    EXPECT_TRUE(close(ms_nn(ec, fh, f1, f2, u2b, u1, ep, 1.0, gts, g, pt.s, pt.qs, pt.k1, ibm),
                                      literal_pole(true, v_gnn_n(ep, f1, f2, 1.0, gts, pt.k1), g, fh, u2b, u1, pt.s,
                                                   pt.qs, ibm)));
                    EXPECT_TRUE(close(mu_n(ec, fh, f1, f10, f2, pt.qq, u2b, u1, ep, 1.0, gtu, g, pt.u, pt.qu, pt.k1, fbm),
                                      literal_pole(false, v_gnn(ep, f1, f10, f2, pt.qq, 1.0, gtu, pt.k1), g, fh, u2b,
                                                   u1, pt.u, pt.qu, fbm)));
                    EXPECT_TRUE(close(mu_nn(ec, fh, f1, f2, u2b, u1, ep, 1.0, gtu, g, pt.u, pt.qu, pt.k1, fbm),
                                      literal_pole(false, v_gnn_n(ep, f1, f2, 1.0, gtu, pt.k1), g, fh, u2b, u1, pt.u,
                                                   pt.qu, fbm)));
                }
    }
}

TEST(FastAmplitudes, MatrixFormsAreSpinIndependentAndSumLinearly) {
    // the total matrix of one polarization sandwiched once equals the sum of the nine sandwiched diagrams
    const Point& pt = kPoints[1];
    const double ibm = pt.ch.ibm;
    const PointMomenta p = pt.momenta();
    for (int pol = 1; pol <= 3; ++pol) {
        const FourVector ep = pt.ep(pol);
        const DiracMatrix total =
            ms_n_matrix(ec, fh, {pt.ch.chs, pt.gts(), f1, 1.0, f2}, gpnn, ibm, ep, p) +
            mu_n_matrix(ec, fh, {pt.ch.chu, pt.gtu(), f1, 1.0, f2}, gpnn, pt.ch.fbm, ep, p) +
            mt_pion_matrix(ec, {fh, ffpi, pt.ch.cht, pion_m}, 1.0, gpnn, ep, p) +
            mt_v_matrix({fh, fem, ggvp, rho_m}, gvnn, gtvnn * 0.25 / ibm, ep, p) +
            mt_v_matrix({fh, fem, ggwp, omega_m}, gwnn, 0.0, ep, p) +
            mt_t_matrix({fh, fem, ggtp, a2_m}, double(2.8f) / ibm, 0.0, ep, p) +
            mt_av_matrix({fh, fem, ggap, a1_m}, gavnn, ep, p) +
            mt_bv_matrix({fh, fem, ggbp, b1_m}, gtbnn * 0.25 / ibm, ep, p) +
            mt_bv_matrix({fh, fem, gghp, h1_m}, gthnn * 0.25 / ibm, ep, p);
        for (int s1 = 1; s1 <= 2; ++s1)
            for (int s2 = 1; s2 <= 2; ++s2) {
                const Diagrams l = literal_diagrams(pt, pt.u2b(s2), pt.u1(s1), ep);
                const cplx sum = l.ms + l.mu + l.mtp + l.mtv + l.mtw + l.mtt + l.mt_a1 + l.mt_b1 + l.mt_h1;
                const double size = std::abs(l.ms) + std::abs(l.mtp) + std::abs(l.mtv) + std::abs(l.mt_a1);
                EXPECT_TRUE(close(spinor_uxgxu(pt.u2b(s2), total, pt.u1(s1)), sum, 1e-12, size));
            }
    }
}

// ================================ gauge invariance =================================================

TEST(GaugeInvariance, EveryMesonExchangeVanishesForAPureGaugePolarization) {
    for (const Point& pt : kPoints) {
        const DiracSpinor u1 = pt.u1(1), u2b = pt.u2b(2);
        const Diagrams phys = fast_diagrams(pt, u2b, u1, pt.ep(2));
        const Diagrams gauge = fast_diagrams(pt, u2b, u1, pt.k1);
        const double k = pt.frame.k;  // ep = k1 is k times larger than a unit polarization
        EXPECT_NEAR(std::abs(gauge.mtv), 0.0, 1e-12 * k * std::abs(phys.mtv));
        EXPECT_NEAR(std::abs(gauge.mtw), 0.0, 1e-12 * k * std::abs(phys.mtw));
        EXPECT_NEAR(std::abs(gauge.mtt), 0.0, 1e-12 * k * std::abs(phys.mtt));
        EXPECT_EQ(gauge.mt_a1, cplx(0.0));
        EXPECT_EQ(gauge.mt_b1, cplx(0.0));
        EXPECT_EQ(gauge.mt_h1, cplx(0.0));
    }
}

TEST(GaugeInvariance, ChargedBornTermsAndPionPoleCancelForAPureGaugePolarization) {
    // ep = k1: the s (or u) pole gives +-ec ff_h ch u2b i gpnn gamma5 u1 and the pion pole -cht times the same,
    // whatever F1, F2 and the pion form factor are, provided F1(0) = F_pi(0) = 1 and one hadronic factor.
    for (const Point& pt : kPoints)
        for (int s1 = 1; s1 <= 2; ++s1)
            for (int s2 = 1; s2 <= 2; ++s2) {
                const DiracSpinor u1 = pt.u1(s1), u2b = pt.u2b(s2);
                const Diagrams d = fast_diagrams(pt, u2b, u1, pt.k1);
                const double size = std::abs(d.ms) + std::abs(d.mu) + std::abs(d.mtp);
                EXPECT_GT(size, 0.0);
                EXPECT_NEAR(std::abs(d.ms + d.mu + d.mtp), 0.0, 1e-10 * size) << "spins " << s1 << s2;
                // the pole term alone reduces to the pseudoscalar vertex: ms = ec ff_h chs u2b i gpnn gamma5 u1
                const cplx contact = ec * fh * spinor_uxgxu(u2b, v_psnn_i(gpnn), u1);
                EXPECT_TRUE(close(d.ms + d.mu, (pt.ch.chs - pt.ch.chu) * contact, 1e-10, size));
            }
}

// ================================ zero couplings and charges =======================================

TEST(ZeroCouplings, VanishingChargesAndCouplingsSwitchDiagramsOff) {
    const Point& pt = kPoints[0];
    for (int pol = 1; pol <= 3; ++pol) {
        const FourVector ep = pt.ep(pol);
        const DiracSpinor u1 = pt.u1(1), u2b = pt.u2b(1);
        // neutral pion: no pion pole
        EXPECT_EQ(mt_pion(ec, fh, ffpi, 1.0, pt.qq, u2b, u1, ep, 0.0, gpnn, pt.t, pt.qt, pt.k1, pion_m), cplx(0.0));
        // no a2-nucleon couplings
        EXPECT_EQ(mt_t(fh, fem, u2b, u1, ep, ggtp, 0.0, 0.0, pt.t, pt.qp, pt.cqt, pt.k1, pt.k2, a2_m), cplx(0.0));
        // zero exchanged momentum: both b1 vertices vanish
        EXPECT_EQ(mt_bv(fh, fem, u2b, u1, ep, ggbp, -0.003, pt.t, FourVector{}, FourVector{}, pt.k1, b1_m), cplx(0.0));
        // neutral intermediate nucleon without anomalous moment (or without F2)
        EXPECT_EQ(ms_n(ec, fh, f1, 1.0, f2, pt.qq, u2b, u1, ep, 0.0, 0.0, gpnn, pt.s, pt.qs, pt.k1,
                       proton_mass),
                  cplx(0.0));
        EXPECT_EQ(ms_nn(ec, fh, f1, 0.0, u2b, u1, ep, 0.0, 0.0005, gpnn, pt.s, pt.qs, pt.k1, proton_mass),
                  cplx(0.0));
        EXPECT_EQ(mu_n(ec, fh, f1, 1.0, f2, pt.qq, u2b, u1, ep, 0.0, 0.0, gpnn, pt.u, pt.qu, pt.k1,
                       neutron_mass),
                  cplx(0.0));
        EXPECT_EQ(mu_nn(ec, fh, f1, 0.0, u2b, u1, ep, 0.0, 0.0005, gpnn, pt.u, pt.qu, pt.k1, neutron_mass),
                  cplx(0.0));
        // but a neutral nucleon with an anomalous moment does contribute
        EXPECT_NE(ms_nn(ec, fh, f1, f2, u2b, u1, ep, 0.0, 0.0005, gpnn, pt.s, pt.qs, pt.k1, proton_mass),
                  cplx(0.0));
    }
}

// ================================ signs, linearity and pole scaling ================================

TEST(Signs, AxialExchangesCarryAnOverallMinusThatVectorAndTensorDoNot) {
    const Point& pt = kPoints[0];
    for (int s1 = 1; s1 <= 2; ++s1)
        for (int pol = 1; pol <= 3; ++pol) {
            const DiracSpinor u1 = pt.u1(s1), u2b = pt.u2b(3 - s1);
            const FourVector ep = pt.ep(pol);
            // with positive couplings and unit form factors: mt_a1 (t - m^2) = -(ggap gavnn) sum1
            const cplx sum_a = literal_axial_sum(false, u2b, u1, ep, pt.qt, pt.cqt, pt.k1, a1_m);
            const cplx ratio_a =
                mt_av(1.0, 1.0, u2b, u1, ep, ggap, gavnn, pt.t, pt.qt, pt.cqt, pt.k1, a1_m) * (pt.t - a1_m * a1_m) / sum_a;
            EXPECT_NEAR(ratio_a.real(), -(ggap * gavnn), 1e-12 * ggap * gavnn);
            EXPECT_NEAR(ratio_a.imag(), 0.0, 1e-12 * ggap * gavnn);
            const cplx sum_b = literal_axial_sum(true, u2b, u1, ep, pt.qt, pt.cqt, pt.k1, b1_m);
            const cplx ratio_b =
                mt_bv(1.0, 1.0, u2b, u1, ep, ggbp, 0.004, pt.t, pt.qt, pt.cqt, pt.k1, b1_m) * (pt.t - b1_m * b1_m) / sum_b;
            EXPECT_NEAR(ratio_b.real(), -(ggbp * 0.004), 1e-12 * ggbp * 0.004);
            EXPECT_NEAR(ratio_b.imag(), 0.0, 1e-12 * ggbp * 0.004);
            // the vector exchange: mtv (t - m^2) = +sum1 (coupling included in sum1)
            const cplx mtv = mt_v(1.0, 1.0, u2b, u1, ep, ggvp, gvnn, 0.0, pt.t, pt.qt, pt.cqt, pt.k1, rho_m);
            const cplx lit = literal_mt_v(1.0, 1.0, u2b, u1, ep, ggvp, gvnn, 0.0, pt.t, pt.qt, pt.cqt, pt.k1, rho_m);
            EXPECT_TRUE(close(mtv, lit));
        }
}

TEST(Linearity, AmplitudesAreLinearInCouplingsAndFormFactors) {
    const Point& pt = kPoints[2];
    const DiracSpinor u1 = pt.u1(2), u2b = pt.u2b(1);
    const FourVector ep = pt.ep(1);
    const cplx z(0.3, -1.7);
    const double gt = gtvnn * 0.25 / pt.ch.ibm;
    auto mtv = [&](cplx h, cplx em, double gg, double gv, double gtt) {
        return mt_v(h, em, u2b, u1, ep, gg, gv, gtt, pt.t, pt.qt, pt.cqt, pt.k1, rho_m);
    };
    const cplx base = mtv(fh, fem, ggvp, gvnn, gt);
    EXPECT_TRUE(close(mtv(fh, fem, 2.0 * ggvp, gvnn, gt), 2.0 * base, 1e-14));
    EXPECT_TRUE(close(mtv(z * fh, fem, ggvp, gvnn, gt), z * base, 1e-14));
    EXPECT_TRUE(close(mtv(fh, z * fem, ggvp, gvnn, gt), z * base, 1e-14));
    EXPECT_TRUE(close(mtv(fh, fem, ggvp, gvnn, 0.0) + mtv(fh, fem, ggvp, 0.0, gt), base, 1e-13));
    // a2: additive in the two nucleon couplings
    auto mtt = [&](double g1, double g2) {
        return mt_t(fh, fem, u2b, u1, ep, ggtp, g1, g2, pt.t, pt.qp, pt.cqt, pt.k1, pt.k2, a2_m);
    };
    const double g1 = double(2.8f) / pt.ch.ibm, g2 = 1.0e-6;
    EXPECT_TRUE(close(mtt(g1, g2), mtt(g1, 0.0) + mtt(0.0, g2), 1e-13));
    EXPECT_TRUE(close(mtt(3.0 * g1, 0.0), 3.0 * mtt(g1, 0.0), 1e-14));
    // a1, b1: linear in each coupling
    EXPECT_TRUE(close(mt_av(fh, fem, u2b, u1, ep, 2.0 * ggap, gavnn, pt.t, pt.qt, pt.cqt, pt.k1, a1_m),
                      2.0 * mt_av(fh, fem, u2b, u1, ep, ggap, gavnn, pt.t, pt.qt, pt.cqt, pt.k1, a1_m), 1e-14));
    EXPECT_TRUE(close(mt_bv(fh, z * fem, u2b, u1, ep, ggbp, -0.003, pt.t, pt.qt, pt.cqt, pt.k1, b1_m),
                      z * mt_bv(fh, fem, u2b, u1, ep, ggbp, -0.003, pt.t, pt.qt, pt.cqt, pt.k1, b1_m), 1e-14));
    // nucleon poles: additive in the Dirac and Pauli form factors
    auto ms = [&](cplx a, cplx b) {
        return ms_nn(ec, fh, a, b, u2b, u1, ep, 1.0, pt.gts(), gpnn, pt.s, pt.qs, pt.k1, pt.ch.ibm);
    };
    EXPECT_TRUE(close(ms(f1, f2), ms(f1, 0.0) + ms(0.0, f2), 1e-13));
}

TEST(PoleScaling, HalvingTheDistanceToThePoleDoublesEveryAmplitude) {
    const Point& pt = kPoints[0];
    const DiracSpinor u1 = pt.u1(1), u2b = pt.u2b(2);
    const FourVector ep = pt.ep(3);
    auto half = [](cplx x, double m) { return m * m + (x - m * m) * 0.5; };
    const double ibm = pt.ch.ibm;
    EXPECT_TRUE(close(mt_pion(ec, fh, ffpi, 1.0, pt.qq, u2b, u1, ep, 1.0, gpnn, half(pt.t, pion_m), pt.qt, pt.k1, pion_m),
                      2.0 * mt_pion(ec, fh, ffpi, 1.0, pt.qq, u2b, u1, ep, 1.0, gpnn, pt.t, pt.qt, pt.k1, pion_m)));
    EXPECT_TRUE(close(mt_v(fh, fem, u2b, u1, ep, ggvp, gvnn, 0.01, half(pt.t, rho_m), pt.qt, pt.cqt, pt.k1, rho_m),
                      2.0 * mt_v(fh, fem, u2b, u1, ep, ggvp, gvnn, 0.01, pt.t, pt.qt, pt.cqt, pt.k1, rho_m)));
    EXPECT_TRUE(close(mt_av(fh, fem, u2b, u1, ep, ggap, gavnn, half(pt.t, a1_m), pt.qt, pt.cqt, pt.k1, a1_m),
                      2.0 * mt_av(fh, fem, u2b, u1, ep, ggap, gavnn, pt.t, pt.qt, pt.cqt, pt.k1, a1_m)));
    EXPECT_TRUE(close(mt_bv(fh, fem, u2b, u1, ep, ggbp, -0.003, half(pt.t, b1_m), pt.qt, pt.cqt, pt.k1, b1_m),
                      2.0 * mt_bv(fh, fem, u2b, u1, ep, ggbp, -0.003, pt.t, pt.qt, pt.cqt, pt.k1, b1_m)));
    EXPECT_TRUE(close(
        mt_t(fh, fem, u2b, u1, ep, ggtp, 2.8 / ibm, 0.0, half(pt.t, a2_m), pt.qp, pt.cqt, pt.k1, pt.k2, a2_m),
        2.0 * mt_t(fh, fem, u2b, u1, ep, ggtp, 2.8 / ibm, 0.0, pt.t, pt.qp, pt.cqt, pt.k1, pt.k2, a2_m)));
    // the nucleon poles divide by s - m^2 and u - m^2 likewise
    EXPECT_TRUE(close(
        ms_n(ec, fh, f1, 1.0, f2, pt.qq, u2b, u1, ep, 1.0, pt.gts(), gpnn, half(pt.s, ibm), pt.qs, pt.k1, ibm),
        2.0 * ms_n(ec, fh, f1, 1.0, f2, pt.qq, u2b, u1, ep, 1.0, pt.gts(), gpnn, pt.s, pt.qs, pt.k1, ibm)));
    const double fbm = pt.ch.fbm;
    EXPECT_TRUE(close(
        mu_nn(ec, fh, f1, f2, u2b, u1, ep, 1.0, pt.gtu(), gpnn, half(pt.u, fbm), pt.qu, pt.k1, fbm),
        2.0 * mu_nn(ec, fh, f1, f2, u2b, u1, ep, 1.0, pt.gtu(), gpnn, pt.u, pt.qu, pt.k1, fbm)));
    // a complex invariant enters as (Re x - m^2) + i Im x
    const cplx t_c = pt.t + cplx(0.0, 2.0e5);
    EXPECT_TRUE(close(mt_av(fh, fem, u2b, u1, ep, ggap, gavnn, t_c, pt.qt, pt.cqt, pt.k1, a1_m) *
                          cplx(pt.t.real() - a1_m * a1_m, 2.0e5),
                      mt_av(fh, fem, u2b, u1, ep, ggap, gavnn, pt.t, pt.qt, pt.cqt, pt.k1, a1_m) * (pt.t - a1_m * a1_m)));
}

// ================================ nucleon-pole specifics ===========================================

TEST(NucleonPoles, PhaseOfTheHadronicFactorAndTheRealPhotonValueOfF1) {
    const Point& pt = kPoints[1];
    const cplx phase = std::polar(1.0, 0.83);
    for (int pol = 1; pol <= 3; ++pol) {
        const DiracSpinor u1 = pt.u1(2), u2b = pt.u2b(2);
        const FourVector ep = pt.ep(pol);
        const double ibm = pt.ch.ibm, fbm = pt.ch.fbm;
        const cplx ms = ms_n(ec, fh, f1, 1.0, f2, pt.qq, u2b, u1, ep, 1.0, pt.gts(), gpnn, pt.s, pt.qs, pt.k1, ibm);
        EXPECT_TRUE(close(ms_n(ec, phase * fh, f1, 1.0, f2, pt.qq, u2b, u1, ep, 1.0, pt.gts(), gpnn, pt.s, pt.qs,
                               pt.k1, ibm),
                          phase * ms, 1e-14));
        const cplx mu = mu_n(ec, fh, f1, 1.0, f2, pt.qq, u2b, u1, ep, 1.0, pt.gtu(), gpnn, pt.u, pt.qu, pt.k1, fbm);
        EXPECT_TRUE(close(mu_n(ec, phase * fh, f1, 1.0, f2, pt.qq, u2b, u1, ep, 1.0, pt.gtu(), gpnn, pt.u, pt.qu,
                               pt.k1, fbm),
                          phase * mu, 1e-14));
        // f1 = f10: the gauge-restoring and the plain vertex agree
        EXPECT_TRUE(close(ms_n(ec, fh, f1, f1, f2, pt.qq, u2b, u1, ep, 1.0, pt.gts(), gpnn, pt.s, pt.qs, pt.k1, ibm),
                          ms_nn(ec, fh, f1, f2, u2b, u1, ep, 1.0, pt.gts(), gpnn, pt.s, pt.qs, pt.k1, ibm),
                          1e-13));
        EXPECT_TRUE(close(mu_n(ec, fh, f1, f1, f2, pt.qq, u2b, u1, ep, 1.0, pt.gtu(), gpnn, pt.u, pt.qu, pt.k1, fbm),
                          mu_nn(ec, fh, f1, f2, u2b, u1, ep, 1.0, pt.gtu(), gpnn, pt.u, pt.qu, pt.k1, fbm),
                          1e-13));
    }
}

TEST(NucleonPoles, VertexOrder) {
    // the pion vertex i g gamma5: the s channel puts it next to the outgoing nucleon, the u channel next to the
    // incoming one.
    const Point& pt = kPoints[0];
    const FourVector ep = pt.ep(1);
    const double ibm = pt.ch.ibm, gts = pt.gts(), g = 0.007;
    const DiracMatrix vg = v_gnn_n(ep, f1, f2, 1.0, gts, pt.k1);
    const DiracMatrix chain_ps = (cplx(0.0, g) * get_gamma(5)) * (sl(pt.qs) + mass_matrix(ibm)) * vg;
    const cplx pole = ec * fh / (pt.s - ibm * ibm);
    for (int s1 = 1; s1 <= 2; ++s1) {
        const DiracSpinor u1 = pt.u1(s1), u2b = pt.u2b(1);
        EXPECT_TRUE(close(ms_nn(ec, fh, f1, f2, u2b, u1, ep, 1.0, gts, g, pt.s, pt.qs, pt.k1, ibm),
                          pole * spinor_uxgxu(u2b, chain_ps, u1)));
    }
    const DiracMatrix u_chain = vg * (sl(pt.qu) + mass_matrix(pt.ch.fbm)) * (cplx(0.0, g) * get_gamma(5));
    EXPECT_TRUE(close(mu_nn(ec, fh, f1, f2, pt.u2b(2), pt.u1(1), ep, 1.0, gts, g, pt.u, pt.qu, pt.k1,
                            pt.ch.fbm),
                      ec * fh / (pt.u - pt.ch.fbm * pt.ch.fbm) * spinor_uxgxu(pt.u2b(2), u_chain, pt.u1(1))));
}
