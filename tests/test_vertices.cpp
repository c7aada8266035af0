// Vertices and propagator numerators: Born vertices, meson-exchange vertices and spin projectors, and the
// photon/h1 vertices of kavrin-models. Gauge invariance, on-shell identities, the differences between the
// two programs, and the whole-tensor forms against the literal component loops.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "amplitudes/born.hpp"
#include "amplitudes/meson_vertices.hpp"
#include "amplitudes/slash_algebra.hpp"
#include "amplitudes/vr_vertices.hpp"
#include "kernel/constants.hpp"
#include "kernel/dirac.hpp"
#include "kinematics/kinematics.hpp"
#include "kinematics/wave_functions.hpp"
#include "tests/literal_forms.hpp"

using namespace kavrin;

namespace {

constexpr cplx I{0.0, 1.0};
constexpr double kMetric[4] = {1.0, -1.0, -1.0, -1.0};
const double pion_mass = double(139.57f);
const double rho_mass = double(775.11f);

// |a - b| <= rel max(|a|, |b|, floor): agreement to rounding, relative to the size of the numbers compared.
::testing::AssertionResult close(cplx a, cplx b, double rel = 1e-12, double floor = 0.0) {
    const double scale = std::max({std::abs(a), std::abs(b), floor});
    if (std::abs(a - b) <= rel * scale) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << a << " vs " << b << " (difference " << std::abs(a - b) << ", scale "
                                         << scale << ")";
}

double max_abs(const DiracMatrix& m) {
    double s = 0.0;
    for (const cplx& x : m.a) s = std::max(s, std::abs(x));
    return s;
}

// Every element agrees to rel times the largest element of either matrix (or floor).
::testing::AssertionResult close(const DiracMatrix& a, const DiracMatrix& b, double rel = 1e-12,
                                 double floor = 0.0) {
    const double scale = std::max({max_abs(a), max_abs(b), floor});
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::abs(a(r, c) - b(r, c)) > rel * scale)
                return ::testing::AssertionFailure() << "element (" << r << "," << c << "): " << a(r, c) << " vs "
                                                     << b(r, c) << ", scale " << scale;
    return ::testing::AssertionSuccess();
}

struct Random {
    std::mt19937_64 gen{20240611};
    std::uniform_real_distribution<double> u{-1.0, 1.0};
    cplx c() { return {u(gen), u(gen)}; }
    FourVector vec(double scale = 1.0) { return {{scale * c(), scale * c(), scale * c(), scale * c()}}; }
    DiracSpinor spinor() { return {{c(), c(), c(), c()}}; }
    LorentzTensor tensor() {
        LorentzTensor t;
        for (cplx& x : t.a) x = c();
        return t;
    }
};

// gamma* p -> pi+ n at W = 2.5 GeV, Q^2 = 1.2 GeV^2, pion at 35 degrees (MeV units).
struct Point {
    CmFrame frame = CmFrame::make(2500.0, 1.2e6, proton_mass, neutron_mass, pion_mass);
    Momenta mom = frame.momenta(35.0 * pi_single / 180.0);
    FourVector k1 = mom.k1, p1 = mom.p1, k2 = mom.k2, p2 = mom.p2;
    FourVector qt = k2 - k1;
    FourVector cqt = contra_vector(qt);
    FourVector qp = (p1 + p2) * 0.5;
    double qq = frame.qq;
    FourVector ep(int pol) const { return photon_circular(frame.e_k1, frame.qq, pol); }
    DiracSpinor u1(int spin) const { return z_spinor(p1, proton_mass, spin); }
    DiracSpinor u2b(int spin) const { return ub(z_spinor(p2, neutron_mass, spin)); }
};

bool all_not_finite(const DiracMatrix& m) {
    for (const cplx& x : m.a)
        if (std::isfinite(x.real()) && std::isfinite(x.imag())) return false;
    return true;
}

// The pseudovector pion-nucleon vertex i g q-slash gamma5, against which the pseudoscalar one is checked.
DiracMatrix v_psnn_pv(double g, const FourVector& q) { return cplx(0.0, g) * (sl(q) * get_gamma(5)); }

}  // namespace

// ================================ closed-form Dirac products =======================================

TEST(SlashAlgebra, ClosedFormsEqualTheMatrixProducts) {
    Random rnd;
    for (int trial = 0; trial < 20; ++trial) {
        const FourVector a = rnd.vec(trial % 2 == 0 ? 1.0 : 1000.0), b = rnd.vec();
        EXPECT_TRUE(close(detail::slash_commutator(a, b), commutator(sl(a), sl(b)), 1e-14));
        DiracMatrix m;
        for (cplx& x : m.a) x = rnd.c();
        EXPECT_TRUE(close(detail::times_gamma5(m), m * get_gamma(5), 0.0));
        EXPECT_TRUE(close(detail::gamma5_times(m), get_gamma(5) * m, 0.0));
    }
    // [g^mu, g^nu] from unit vectors: the metric columns give the lowered-index slashes
    const DiracMatrix c01 = detail::slash_commutator(get_iv(0), get_iv(1));
    EXPECT_TRUE(close(c01, commutator(get_gamma(0), get_gamma(1)), 0.0));
}

// ================================ Born vertices and nucleon propagator ============================

TEST(PhotonNucleonVertex, GaugeRestoringFormEqualsPlainFormWhenF1IsItsRealPhotonValue) {
    const Point pt;
    Random rnd;
    for (int pol = 1; pol <= 3; ++pol) {
        const cplx f1 = rnd.c(), f2 = rnd.c();
        EXPECT_TRUE(close(v_gnn(pt.ep(pol), f1, f1, f2, pt.qq, 1.0, 1.793 / (4 * proton_mass), pt.k1),
                          v_gnn_n(pt.ep(pol), f1, f2, 1.0, 1.793 / (4 * proton_mass), pt.k1)));
    }
}

TEST(PhotonNucleonVertex, PureGaugePolarizationLeavesChargeTimesF10TimesK1Slash) {
    // ep = k1: the transverse bracket is k1-slash (1 + k1.k1/Q^2) = 0 and the commutator vanishes
    const Point pt;
    const cplx f1(0.37, -0.2), f10(1.0), f2(0.81, 0.4);
    const DiracMatrix v = v_gnn(pt.k1, f1, f10, f2, pt.qq, 1.0, 1.793 / (4 * proton_mass), pt.k1);
    EXPECT_TRUE(close(v, f10 * sl(pt.k1), 1e-12));
    const DiracMatrix v2 = v_gnn(pt.k1, f1, cplx(0.6), f2, pt.qq, 2.0, 0.003, pt.k1);
    EXPECT_TRUE(close(v2, cplx(2.0 * 0.6) * sl(pt.k1), 1e-12));
}

TEST(PhotonNucleonVertex, DiracPartIsTransverseAndPauliPartIsISigmaMuNu) {
    const Point pt;
    // a polarization with ep.k1 != 0, so that the gauge-restoring term is at work
    const FourVector ep{{cplx(0.8, 0.1), cplx(-0.3, 0.5), cplx(0.2, -0.7), cplx(0.4, 0.0)}};
    const cplx f1(0.4, 0.1), f10(1.0), f2(0.7, -0.3);
    const double kappa_n = 1.793 / (4 * proton_mass);
    // kappa_n = 0: only the charge part, f10 eps-slash + (f1 - f10)(eps-slash - (eps.k1) k1-slash/k1.k1)
    const cplx k1k1 = v_dot_v(pt.k1, pt.k1);
    const DiracMatrix dirac = f10 * sl(ep) + (f1 - f10) * (sl(ep) - (v_dot_v(ep, pt.k1) / k1k1) * sl(pt.k1));
    EXPECT_TRUE(close(v_gnn(ep, f1, f10, f2, pt.qq, 1.0, 0.0, pt.k1), dirac, 1e-12));
    EXPECT_TRUE(close(v_gnn(ep, f1, f10, cplx(0.0), pt.qq, 1.0, kappa_n, pt.k1), dirac, 1e-12));
    // charge = 0: only the Pauli part i (kappa/2M) F2 sigma^{mu nu} eps_mu k1_nu, sigma = (i/2)[g^mu, g^nu]
    const FourVector e_low = contra_vector(ep), k_low = contra_vector(pt.k1);
    DiracMatrix pauli;
    for (int mu = 0; mu < 4; ++mu)
        for (int nu = 0; nu < 4; ++nu) {
            const DiracMatrix sigma = (0.5 * I) * commutator(get_gamma(mu), get_gamma(nu));
            pauli += (I * 2.0 * kappa_n * f2 * e_low[mu] * k_low[nu]) * sigma;
        }
    EXPECT_TRUE(close(v_gnn(ep, f1, f10, f2, pt.qq, 0.0, kappa_n, pt.k1), pauli, 1e-12));
    EXPECT_TRUE(close(v_gnn_n(ep, f1, f2, 0.0, kappa_n, pt.k1), pauli, 1e-12));
    // and it changes sign when ep and k1 are exchanged
    EXPECT_TRUE(close(v_gnn_n(pt.k1, f1, f2, 0.0, kappa_n, ep), cplx(-1.0) * pauli, 1e-12));
    // charge and Pauli parts add
    EXPECT_TRUE(close(v_gnn(ep, f1, f10, f2, pt.qq, 1.0, kappa_n, pt.k1), dirac + pauli, 1e-12));
}

TEST(PhotonNucleonVertex, RealPhotonTakesTheLimitOfTheGaugeRestoringForm) {
    // Q^2 = 0: a transverse polarization has ep.k1 = 0, the gauge term (ep.k1)/Q^2 k1-slash is 0 (its limit), and
    // the gauge-restoring vertex is the plain one with F1
    const CmFrame real = CmFrame::make(2500.0, 0.0, proton_mass, neutron_mass, pion_mass);
    const Momenta m = real.momenta(0.5);
    const cplx f1(0.9, 0.01), f10(1.0), f2(0.5);
    for (int pol : {1, 3}) {
        const FourVector ep = photon_circular(real.e_k1, 0.0, pol);
        EXPECT_TRUE(close(v_gnn(ep, f1, f10, f2, 0.0, 1.0, 0.001, m.k1), v_gnn_n(ep, f1, f2, 1.0, 0.001, m.k1), 0.0));
        // and the vertex is continuous as Q^2 -> 0
        const CmFrame near = CmFrame::make(2500.0, 1e-6, proton_mass, neutron_mass, pion_mass);
        const Momenta mn = near.momenta(0.5);
        EXPECT_TRUE(close(v_gnn(photon_circular(near.e_k1, 1e-6, pol), f1, f10, f2, 1e-6, 1.0, 0.001, mn.k1),
                          v_gnn(ep, f1, f10, f2, 0.0, 1.0, 0.001, m.k1), 1e-9));
    }
    // a real photon has no longitudinal polarization
    for (const cplx& x : photon_circular(real.e_k1, 0.0, 2).c) EXPECT_EQ(x, cplx(0.0));
    // a polarization with ep.k1 != 0 at Q^2 = 0 is no photon's: not a number
    EXPECT_TRUE(all_not_finite(v_gnn(m.k2, f1, f10, f2, 0.0, 1.0, 0.001, m.k1)));
}

TEST(PionNucleonVertex, WithFactorIAndPseudovectorMatchesPseudoscalarOnShell) {
    const DiracMatrix b = v_psnn(13.4);
    EXPECT_TRUE(close(b, cplx(13.4) * get_gamma(5), 0.0));
    EXPECT_TRUE(close(v_psnn_i(13.4), I * b, 0.0));
    // u2b q-slash gamma5 u1 = -(m1 + m2) u2b gamma5 u1 for q = p1 - p2 with on-shell nucleons
    const Point pt;
    const FourVector q = pt.p1 - pt.p2;
    const double g = 13.4 / (proton_mass + neutron_mass);
    for (int s1 = 1; s1 <= 2; ++s1)
        for (int s2 = 1; s2 <= 2; ++s2) {
            const cplx pv = spinor_uxgxu(pt.u2b(s2), v_psnn_pv(g, q), pt.u1(s1));
            const cplx ps = spinor_uxgxu(pt.u2b(s2), v_psnn_i(13.4), pt.u1(s1));
            EXPECT_TRUE(close(pv, -ps, 1e-12, 1e-3)) << "spins " << s1 << s2;
        }
}

TEST(PhotonPionVertex, ChargeZeroRealPhotonValueAndPureGauge) {
    const Point pt;
    const FourVector ep = pt.ep(2);
    const cplx ff(0.6, 0.05), ff0(1.0);
    EXPECT_EQ(v_gpsps(0.0, ff, ff0, pt.qq, pt.qt, pt.k1, ep), cplx(0.0));
    // ff = ff0: cht ff0 (2 qt + k1).ep
    const FourVector qp = pt.qt * 2.0 + pt.k1;
    EXPECT_TRUE(close(v_gpsps(-1.0, ff0, ff0, pt.qq, pt.qt, pt.k1, ep), -v_dot_v(qp, ep)));
    // ep = k1 with an on-shell pion: (2 qt + k1).k1 = k2.k2 - qt.qt = m_pi^2 - t, independent of ff
    const cplx t = v_dot_v(pt.qt, pt.qt);
    EXPECT_TRUE(close(v_gpsps(1.0, ff, ff0, pt.qq, pt.qt, pt.k1, pt.k1), ff0 * (pion_mass * pion_mass - t), 1e-10));
    // a real photon (Q^2 = 0, ep.k1 = 0): the gauge term vanishes, cht ff (2 qt + k1).ep
    const FourVector real = photon_circular(pt.frame.e_k1, pt.qq, 1);
    EXPECT_TRUE(close(v_gpsps(1.0, ff, ff0, 0.0, pt.qt, pt.k1, real), ff * v_dot_v(qp, real), 1e-15));
}

TEST(NucleonPropagator, RestFrameAndOnShellSpinors) {
    const double m = proton_mass;
    EXPECT_TRUE(close(n_proj(set_momentum(m, 0, 0, 0), m), cplx(m) * (get_gamma(0) + get_id()), 1e-15));
    // (p-slash + m) u(p) = 2m u(p) on shell
    const Point pt;
    for (int s = 1; s <= 2; ++s) {
        const DiracSpinor u = pt.u1(s);
        const DiracMatrix n = n_proj(pt.p1, m);
        for (int r = 0; r < 4; ++r) {
            cplx x = 0.0;
            for (int c = 0; c < 4; ++c) x += n(r, c) * u[c];
            EXPECT_TRUE(close(x, 2.0 * m * u[r], 1e-12, 1.0));
        }
    }
}

// ================================ spin-1 and spin-2 numerators ====================================

TEST(SpinProjectors, SpinOneValuesAtRest) {
    const double m = rho_mass;
    const FourVector rest = set_momentum(m, 0, 0, 0);  // covariant components at rest
    EXPECT_EQ(v_proj_munu(0, 0, rest, m), cplx(0.0));
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(v_proj_munu(k, k, rest, m), cplx(1.0));
    for (int mu = 0; mu < 4; ++mu)
        for (int nu = 0; nu < 4; ++nu)
            if (mu != nu) {
                EXPECT_EQ(v_proj_munu(mu, nu, rest, m), cplx(0.0));
            }
}

TEST(SpinProjectors, TransverseOnShellAndSpinTwoTraceless) {
    const double m = rho_mass;
    const double px = 310.0, py = -120.0, pz = 905.0;
    const FourVector q = set_momentum(std::sqrt(m * m + px * px + py * py + pz * pz), px, py, pz);
    const FourVector cq = contra_vector(q);
    for (int mu = 0; mu < 4; ++mu) {
        cplx s = 0.0;
        for (int nu = 0; nu < 4; ++nu) s += v_proj_munu(mu, nu, cq, m) * q[nu];
        EXPECT_NEAR(std::abs(s), 0.0, 1e-12 * 2000.0) << "mu = " << mu;
    }
    // spin 2: q^{i1} P_{i1 i2, i3 i4} = 0 and g^{i1 i2} P_{i1 i2, i3 i4} = 0 on shell
    for (int i2 = 0; i2 < 4; ++i2)
        for (int i3 = 0; i3 < 4; ++i3)
            for (int i4 = 0; i4 < 4; ++i4) {
                cplx s = 0.0, tr = 0.0;
                for (int i1 = 0; i1 < 4; ++i1) {
                    s += q[i1] * t_proj(i1, i2, i3, i4, cq, m);
                    tr += kMetric[i1] * t_proj(i1, i1, i3, i4, cq, m);
                }
                EXPECT_NEAR(std::abs(s), 0.0, 1e-11 * 2000.0);
                EXPECT_NEAR(std::abs(tr), 0.0, 1e-11);
            }
}

TEST(SpinProjectors, SpinTwoSymmetries) {
    Random rnd;
    const FourVector q = rnd.vec(900.0);
    const double m = double(1318.3f);
    for (int i1 = 0; i1 < 4; ++i1)
        for (int i2 = 0; i2 < 4; ++i2)
            for (int i3 = 0; i3 < 4; ++i3)
                for (int i4 = 0; i4 < 4; ++i4) {
                    const cplx t = t_proj(i1, i2, i3, i4, q, m);
                    EXPECT_TRUE(close(t, t_proj(i2, i1, i3, i4, q, m), 1e-14, 1.0));
                    EXPECT_TRUE(close(t, t_proj(i1, i2, i4, i3, q, m), 1e-14, 1.0));
                    EXPECT_TRUE(close(t, t_proj(i3, i4, i1, i2, q, m), 1e-14, 1.0));
                }
    // at rest the space-space block is (d13 d24 + d14 d23)/2 - d12 d34/3
    const FourVector rest = set_momentum(m, 0, 0, 0);
    EXPECT_TRUE(close(t_proj(1, 1, 1, 1, rest, m), cplx(1.0 - 1.0 / 3.0), 1e-15));
    EXPECT_TRUE(close(t_proj(1, 2, 1, 2, rest, m), cplx(0.5), 1e-15));
    EXPECT_TRUE(close(t_proj(1, 1, 2, 2, rest, m), cplx(-1.0 / 3.0), 1e-15));
    EXPECT_EQ(t_proj(0, 1, 1, 1, rest, m), cplx(0.0));
}

TEST(SpinProjectors, IndicesOutsideTheLorentzRangeGiveZero) {
    const Point pt;
    EXPECT_EQ(v_proj_munu(4, 4, pt.cqt, rho_mass), cplx(0.0));
    EXPECT_EQ(v_proj_munu(-1, 0, pt.cqt, rho_mass), cplx(0.0));
    EXPECT_EQ(v_gavps_mu(4, pt.ep(1), pt.k1, pt.qt), cplx(0.0));
    EXPECT_EQ(v_gtps_munu(0, 4, pt.ep(1), pt.k1, pt.k2), cplx(0.0));
    EXPECT_EQ(v_tnn_munu(4, 5, 1.0, 1.0, pt.u2b(1), pt.qp, pt.u1(1)), cplx(0.0));
}

// ================================ photon-pion-meson vertices ======================================

TEST(PhotonMesonVertices, VanishForPureGaugePolarization) {
    const Point pt;
    const double scale = std::abs(pt.k1[3]) * std::abs(pt.k1[3]) * std::abs(pt.k2[0]);
    for (int mu = 0; mu < 4; ++mu) {
        EXPECT_NEAR(std::abs(v_gvps_mu(mu, pt.k1, pt.k1, pt.qt)), 0.0, 1e-14 * scale);
        EXPECT_EQ(v_gavps_mu(mu, pt.k1, pt.k1, pt.qt), cplx(0.0));
        for (int nu = 0; nu < 4; ++nu)
            EXPECT_NEAR(std::abs(v_gtps_munu(mu, nu, pt.k1, pt.k1, pt.k2)), 0.0, 1e-14 * scale * 2000.0);
    }
    const FourVector v = v_gvps(pt.k1, pt.k1, pt.qt), a = v_gavps(pt.k1, pt.k1, pt.qt);
    const LorentzTensor t = v_gtps(pt.k1, pt.k1, pt.k2);
    for (int mu = 0; mu < 4; ++mu) {
        EXPECT_NEAR(std::abs(v[mu]), 0.0, 1e-14 * scale);
        EXPECT_EQ(a[mu], cplx(0.0));
    }
    for (const cplx& x : t.a) EXPECT_NEAR(std::abs(x), 0.0, 1e-14 * scale * 2000.0);
    // the vector vertex is also transverse to the photon momentum: k1_mu V^mu = eps(ep, k1, qt, k1) = 0
    for (int pol = 1; pol <= 3; ++pol)
        EXPECT_NEAR(std::abs(v_dot_v(pt.k1, v_gvps(pt.ep(pol), pt.k1, pt.qt))), 0.0, 1e-12 * scale);
}

TEST(PhotonMesonVertices, LeviCivitaVertexIsTheMetricColumnContraction) {
    // v_gvps_mu(0) picks eps(a,b,c,0) ep^a k1^b qt^c, the space components carry the metric's minus sign
    const FourVector e1 = set_momentum(0, 1, 0, 0), e2 = set_momentum(0, 0, 1, 0), e3 = set_momentum(0, 0, 0, 1);
    const FourVector e0 = set_momentum(1, 0, 0, 0);
    EXPECT_EQ(v_gvps_mu(0, e1, e2, e3), cplx(-1.0));  // eps(1,2,3,0) = -1
    EXPECT_EQ(v_gvps_mu(3, e0, e1, e2), cplx(-1.0));  // eps(0,1,2,3) g^{33}
    EXPECT_EQ(v_gvps_mu(2, e0, e1, e2), cplx(0.0));
    EXPECT_EQ(v_gtps_munu(3, 2, e0, e1, set_momentum(0, 0, 5, 0)), cplx(-25.0));
}

// ================================ meson-nucleon vertices ===========================================

TEST(MesonNucleonVertices, ProgramDifferences) {
    Random rnd;
    const Point pt;
    const DiracSpinor u1 = pt.u1(1), u2b = pt.u2b(2);
    const FourVector q = pt.qt;
    for (int mu = 0; mu < 4; ++mu) {
        // a1 and b1: the vertex with the factor i is i times the one without
        EXPECT_TRUE(close(v_avnn_mu_i(mu, u2b, u1), I * v_avnn_mu(mu, u2b, u1), 1e-15, 1e-3));
        EXPECT_TRUE(close(v_bvnn_mu_i(mu, u2b, q, u1), I * v_bvnn_mu(mu, u2b, q, u1), 1e-15));
        // vector meson: gt = 0 is the plain gv u2b gamma^mu u1 in both programs
        const cplx plain = 2.6 * spinor_uxgxu(u2b, get_gamma(mu), u1);
        EXPECT_TRUE(close(v_vnn_t_mu(mu, u2b, 2.6, 0.0, q, u1), plain, 1e-15, 1e-3));
        EXPECT_TRUE(close(v_vnn_t_mu_ratio(mu, u2b, 2.6, 0.0, q, u1), plain, 1e-15, 1e-3));
        // the _ratio tensor coupling is a ratio to gv: gv = 0 switches the whole vertex off
        EXPECT_EQ(v_vnn_t_mu_ratio(mu, u2b, 0.0, 6.1, q, u1), cplx(0.0));
        EXPECT_NE(v_vnn_t_mu(mu, u2b, 0.0, 0.004, q, u1), cplx(0.0));
        // and the absolute gt equals gv times the ratio
        const double gv = 3.4, ratio = 20.74 / 3.4 * 0.25 / proton_mass;
        EXPECT_TRUE(close(v_vnn_t_mu(mu, u2b, gv, gv * ratio, q, u1),
                          v_vnn_t_mu_ratio(mu, u2b, gv, ratio, q, u1), 1e-14));
        // b1/h1 vertices vanish for q = 0
        EXPECT_EQ(v_bvnn_mu_i(mu, u2b, FourVector{}, u1), cplx(0.0));
        EXPECT_EQ(v_bvnn_mu(mu, u2b, FourVector{}, u1), cplx(0.0));
        EXPECT_EQ(v_hvnn_mu(mu, u2b, FourVector{}, u1), cplx(0.0));
    }
}

TEST(MesonNucleonVertices, TensorCouplingIsMinusTwoISigmaMuNuQNu) {
    // gt [gamma^mu, q-slash] = -2 gt i sigma^{mu nu} q_nu with sigma^{mu nu} = (i/2)[gamma^mu, gamma^nu]
    Random rnd;
    const DiracSpinor u1 = rnd.spinor(), u2b = rnd.spinor();
    const Point pt;
    const FourVector q_low = pt.cqt;
    const double gt = 16.12 * 0.25 / proton_mass;
    for (int mu = 0; mu < 4; ++mu) {
        DiracMatrix sigma_q;
        for (int nu = 0; nu < 4; ++nu)
            sigma_q += (q_low[nu] * 0.5 * I) * commutator(get_gamma(mu), get_gamma(nu));
        const cplx expected = spinor_uxgxu(u2b, (-2.0 * gt * I) * sigma_q, u1);
        EXPECT_TRUE(close(v_vnn_t_mu(mu, u2b, 0.0, gt, pt.qt, u1), expected, 1e-12));
    }
}

TEST(MesonNucleonVertices, TensorVertexIsSymmetric) {
    const Point pt;
    Random rnd;
    const DiracSpinor u1 = rnd.spinor(), u2b = rnd.spinor();
    const double g1 = 2.8 / proton_mass, g2 = 1.3e-6;
    for (int mu = 0; mu < 4; ++mu)
        for (int nu = 0; nu < 4; ++nu)
            EXPECT_TRUE(close(v_tnn_munu(mu, nu, g1, g2, u2b, pt.qp, u1), v_tnn_munu(nu, mu, g1, g2, u2b, pt.qp, u1),
                              1e-14));
    // g1 = 0: the g2 qp^mu qp^nu u2b u1 term alone
    EXPECT_TRUE(close(v_tnn_munu(0, 3, 0.0, g2, u2b, pt.qp, u1), g2 * pt.qp[0] * pt.qp[3] * vxv(u2b, u1), 1e-14));
}

// ================================ whole-tensor forms against the component loops ==================

TEST(WholeTensorForms, PhotonVerticesMatchTheirComponents) {
    Random rnd;
    for (int trial = 0; trial < 20; ++trial) {
        const FourVector ep = rnd.vec(), k1 = rnd.vec(1000.0), qt = rnd.vec(1000.0);
        const FourVector v = v_gvps(ep, k1, qt), a = v_gavps(ep, k1, qt);
        const LorentzTensor t = v_gtps(ep, k1, qt);
        for (int mu = 0; mu < 4; ++mu) {
            EXPECT_TRUE(close(v[mu], v_gvps_mu(mu, ep, k1, qt), 1e-12, 1e-8 * 1e6));
            EXPECT_TRUE(close(a[mu], v_gavps_mu(mu, ep, k1, qt), 1e-12, 1e-8 * 1e6));
            for (int nu = 0; nu < 4; ++nu) EXPECT_TRUE(close(t(mu, nu), v_gtps_munu(mu, nu, ep, k1, qt), 1e-12, 1e-8 * 1e9));
        }
    }
}

TEST(WholeTensorForms, ProjectorContractionsMatchTheLiteralSums) {
    Random rnd;
    const Point pt;
    for (int trial = 0; trial < 20; ++trial) {
        // realistic exchanged momentum and random complex ones
        const FourVector cq = trial % 2 == 0 ? pt.cqt : rnd.vec(1000.0);
        const double m = trial % 3 == 0 ? rho_mass : double(1318.3f);
        const FourVector x = rnd.vec();
        const FourVector y = spin1_contract(x, cq, m);
        for (int nu = 0; nu < 4; ++nu) {
            cplx lit = 0.0;
            for (int mu = 0; mu < 4; ++mu) lit += x[mu] * v_proj_munu(mu, nu, cq, m);
            EXPECT_TRUE(close(y[nu], lit, 1e-12)) << "trial " << trial << " nu " << nu;
        }
        const LorentzTensor v = rnd.tensor();
        const LorentzTensor w = spin2_contract(v, cq, m);
        for (int i1 = 0; i1 < 4; ++i1)
            for (int i2 = 0; i2 < 4; ++i2) {
                cplx lit = 0.0;
                for (int i3 = 0; i3 < 4; ++i3)
                    for (int i4 = 0; i4 < 4; ++i4) lit += t_proj(i1, i2, i3, i4, cq, m) * v(i3, i4);
                EXPECT_TRUE(close(w(i1, i2), lit, 1e-12)) << "trial " << trial << " (" << i1 << "," << i2 << ")";
            }
    }
}

TEST(WholeTensorForms, NucleonVertexMatricesMatchTheComponentSandwiches) {
    Random rnd;
    const Point pt;
    for (int trial = 0; trial < 20; ++trial) {
        const DiracSpinor u1 = rnd.spinor(), u2b = rnd.spinor();
        const FourVector c = rnd.vec(), q = trial % 2 == 0 ? pt.qt : rnd.vec(1000.0), qp = rnd.vec(1000.0);
        const double gv = 2.6, gt = 16.12 * 0.25 / proton_mass, ratio = 20.74 / 3.4 * 0.25 / proton_mass;
        cplx va = 0, vb = 0, aa = 0, ab = 0, ba = 0, bb = 0, h = 0;
        for (int mu = 0; mu < 4; ++mu) {
            va += c[mu] * v_vnn_t_mu(mu, u2b, gv, gt, q, u1);
            vb += c[mu] * v_vnn_t_mu_ratio(mu, u2b, gv, ratio, q, u1);
            aa += c[mu] * v_avnn_mu_i(mu, u2b, u1);
            ab += c[mu] * v_avnn_mu(mu, u2b, u1);
            ba += c[mu] * v_bvnn_mu_i(mu, u2b, q, u1);
            bb += c[mu] * v_bvnn_mu(mu, u2b, q, u1);
            h += c[mu] * v_hvnn_mu(mu, u2b, q, u1);
        }
        EXPECT_TRUE(close(spinor_uxgxu(u2b, vnn_t_matrix(c, gv, gt, q), u1), va));
        EXPECT_TRUE(close(spinor_uxgxu(u2b, vnn_t_matrix_ratio(c, gv, ratio, q), u1), vb));
        EXPECT_TRUE(close(spinor_uxgxu(u2b, avnn_matrix_i(c), u1), aa));
        EXPECT_TRUE(close(spinor_uxgxu(u2b, avnn_matrix(c), u1), ab));
        EXPECT_TRUE(close(spinor_uxgxu(u2b, bvnn_matrix_i(c, q), u1), ba));
        EXPECT_TRUE(close(spinor_uxgxu(u2b, bvnn_matrix(c, q), u1), bb));
        EXPECT_TRUE(close(spinor_uxgxu(u2b, bvnn_matrix(c, q), u1), h));
        // the a2 vertex contracted with a tensor
        const LorentzTensor w = rnd.tensor();
        const double g1 = 2.8 / proton_mass, g2 = trial % 2 == 0 ? 0.0 : 3.0e-6;
        cplx tl = 0.0;
        for (int mu = 0; mu < 4; ++mu)
            for (int nu = 0; nu < 4; ++nu) tl += w(mu, nu) * v_tnn_munu(mu, nu, g1, g2, u2b, qp, u1);
        EXPECT_TRUE(close(spinor_uxgxu(u2b, tnn_matrix(w, g1, g2, qp), u1), tl));
    }
}

// ================================ kavrin-models photon and h1 vertices ============================

TEST(ModelVertices, PhotonNucleonVertexOfKmVrQvm) {
    const Point pt;
    const FourVector ep = pt.ep(1);
    const cplx fn1(0.45, 0.2);
    // kappa_n = 0, fn2 = 0: charge fn1 eps-slash; zero charge gives the zero matrix
    EXPECT_TRUE(close(v_gnn_vr(1.0, fn1, 0.0, 0.0, ep, pt.k1), fn1 * sl(ep), 1e-15));
    EXPECT_TRUE(close(v_gnn_vr(0.0, fn1, 0.0, 0.0, ep, pt.k1), DiracMatrix{}, 0.0, 1.0));
    // the Pauli part is -kappa_n fn2 (eps-slash k1-slash - k1-slash eps-slash), the two full products
    const DiracMatrix literal = cplx(1.0) * (fn1 * sl(ep)) -
                                (0.0005 * cplx(0.3, -0.1)) * (sl(ep) * sl(pt.k1) - sl(pt.k1) * sl(ep));
    EXPECT_TRUE(close(v_gnn_vr(1.0, fn1, 0.0005, cplx(0.3, -0.1), ep, pt.k1), literal, 1e-14));
    // with a Pauli part it is the plain vertex v_gnn_n
    EXPECT_TRUE(close(v_gnn_vr(1.0, fn1, 0.0005, cplx(0.3, -0.1), ep, pt.k1),
                      v_gnn_n(ep, fn1, cplx(0.3, -0.1), 1.0, 0.0005, pt.k1), 1e-14));
}

TEST(ModelVertices, GaugeRestoringFactorsVanishForPhysicalPolarizations) {
    const Point pt;
    for (int pol = 1; pol <= 3; ++pol) {
        EXPECT_NEAR(std::abs(v_gi_vr(1.0, pt.k1, pt.ep(pol), pt.qq)), 0.0, 1e-15);
        EXPECT_NEAR(std::abs(v_gi_vr_u(1.0, pt.k1, pt.ep(pol), pt.qq)), 0.0, 1e-15);
    }
    // a pure-gauge polarization: cht k1.k1/Q^2 = -cht
    EXPECT_TRUE(close(v_gi_vr(-1.0, pt.k1, pt.k1, pt.qq), cplx(1.0), 1e-12));
    EXPECT_TRUE(close(v_gi_vr_u(1.0, pt.k1, pt.k1, pt.qq), cplx(-1.0), 1e-12));
    // the real-photon point divides by zero
    const cplx z = v_gi_vr(1.0, pt.k1, pt.k1, 0.0);
    EXPECT_FALSE(std::isfinite(z.real()));
}

TEST(ModelVertices, PhotonPionFactor) {
    const Point pt;
    const cplx ff(0.55, -0.12);
    // ep = k1: cht ff (2 k2.k1 - k1.k1)
    EXPECT_TRUE(close(v_gps_vr(1.0, ff, pt.k2, pt.qt, pt.k1),
                      ff * (2.0 * v_dot_v(pt.k2, pt.k1) - v_dot_v(pt.k1, pt.k1)), 1e-12));
    // for a physical polarization it equals the gauge-restoring vertex with ff = ff0 (k2 + qt = 2 qt + k1)
    for (int pol = 1; pol <= 3; ++pol)
        EXPECT_TRUE(close(v_gps_vr(-1.0, ff, pt.k2, pt.qt, pt.ep(pol)),
                          v_gpsps(-1.0, ff, ff, pt.qq, pt.qt, pt.k1, pt.ep(pol)), 1e-12, 1e-6));
    EXPECT_EQ(v_gps_vr(0.0, ff, pt.k2, pt.qt, pt.ep(2)), cplx(0.0));
}

TEST(ModelVertices, H1VertexIsTheB1VertexWithoutI) {
    Random rnd;
    const Point pt;
    const DiracSpinor u1 = rnd.spinor(), u2b = rnd.spinor();
    for (int mu = 0; mu < 4; ++mu) EXPECT_EQ(v_hvnn_mu(mu, u2b, pt.qt, u1), v_bvnn_mu(mu, u2b, pt.qt, u1));
}
