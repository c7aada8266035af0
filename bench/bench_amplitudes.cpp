// Cost of the amplitudes of one kavrin-regge scan point: for each photon polarization the Dirac matrices of the
// nine diagrams (s, u, pi, rho, omega, a2, a1, b1, h1) summed into one matrix, then the twelve spin sandwiches.
// Compared with calling the nine amplitude routines for each of the twelve combinations, and with the literal
// component loops of the vertex routines.
#include <benchmark/benchmark.h>

#include <cmath>

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

// gamma* p -> pi+ n, couplings and masses of kavrin-regge, W = 2.5 GeV, Q^2 = 1.2 GeV^2, theta = 0.3.
struct Setup {
    double ibm = proton_mass, fbm = neutron_mass, fmm = double(139.57f);
    double ec = std::sqrt(4.0 * pi_single / double(137.036f)), gpnn = double(13.4f), qq = 1.2e6;
    double rho_m = double(775.11f), omega_m = double(782.651f), a1_m = 1230.0, b1_m = 1229.5, h1_m = 1170.0,
           a2_m = double(1318.3f);
    double ggvp = double(0.000224f), gvnn = double(2.6f), gt_rho = double(16.12f) * 0.25 / proton_mass;
    double ggwp = double(0.000723f), gwnn = double(15.6f), gt_w = 0.0;
    double ggtp = 5.519999604075565e-07, gt1nn = double(2.8f) / proton_mass, gt2nn = 0.0;
    double ggap = 0.0003160000196658075, gavnn = double(6.7f);
    double ggbp = double(0.000196f), gtb = -14.0 * 0.25 / proton_mass;
    double gghp = 0.00040499999886378646, gth = -9.0 * 0.25 / proton_mass;
    double gts = double(1.793f) * 0.25 / proton_mass, gtu = double(-1.913f) * 0.25 / neutron_mass;
    cplx f1{0.45, 0.0}, f2{0.38, 0.0}, fh{0.31, -0.77}, fem{0.62, 0.0};
    CmFrame frame = CmFrame::make(2500.0, 1.2e6, proton_mass, neutron_mass, double(139.57f));
    FourVector k1, p1, k2, p2, qs, qt, qu, qp, cqt;
    PointMomenta momenta;
    cplx s, t, u;

    Setup() {
        const Momenta m = frame.momenta(0.3);
        k1 = m.k1, p1 = m.p1, k2 = m.k2, p2 = m.p2;
        qs = k1 + p1, qt = k2 - k1, qu = p2 - k1, qp = (p1 + p2) * 0.5, cqt = contra_vector(qt);
        s = v_dot_v(qs, qs), t = v_dot_v(qt, qt), u = v_dot_v(qu, qu);
        momenta = frame.point_momenta(0.3);
    }

    // The total Dirac matrix of one photon polarization.
    DiracMatrix total(const FourVector& ep) const {
        const PointMomenta& p = momenta;
        DiracMatrix g = ms_n_matrix(ec, fh, {1.0, gts, f1, 1.0, f2}, gpnn, ibm, ep, p);
        g += mu_n_matrix(ec, fh, {0.0, gtu, 0.0, 1.0, 0.0}, gpnn, fbm, ep, p);
        g += mt_pion_matrix(ec, {fh, fem, 1.0, fmm}, 1.0, gpnn, ep, p);
        g += mt_v_matrix({fh, fem, ggvp, rho_m}, gvnn, gt_rho, ep, p);
        g += mt_v_matrix({fh, fem, ggwp, omega_m}, gwnn, gt_w, ep, p);
        g += mt_t_matrix({fh, fem, ggtp, a2_m}, gt1nn, gt2nn, ep, p);
        g += mt_av_matrix({fh, fem, ggap, a1_m}, gavnn, ep, p);
        g += mt_bv_matrix({fh, fem, ggbp, b1_m}, gtb, ep, p);
        g += mt_bv_matrix({fh, fem, gghp, h1_m}, gth, ep, p);
        return g;
    }

    // The nine amplitudes of one combination through the amplitude routines.
    cplx per_amplitude(const DiracSpinor& u2b, const DiracSpinor& u1, const FourVector& ep) const {
        return ms_n(ec, fh, f1, 1.0, f2, qq, u2b, u1, ep, 1.0, gts, gpnn, s, qs, k1, ibm) +
               mu_n(ec, fh, 0.0, 1.0, 0.0, qq, u2b, u1, ep, 0.0, gtu, gpnn, u, qu, k1, fbm) +
               mt_pion(ec, fh, fem, 1.0, qq, u2b, u1, ep, 1.0, gpnn, t, qt, k1, fmm) +
               mt_v(fh, fem, u2b, u1, ep, ggvp, gvnn, gt_rho, t, qt, cqt, k1, rho_m) +
               mt_v(fh, fem, u2b, u1, ep, ggwp, gwnn, gt_w, t, qt, cqt, k1, omega_m) +
               mt_t(fh, fem, u2b, u1, ep, ggtp, gt1nn, gt2nn, t, qp, cqt, k1, k2, a2_m) +
               mt_av(fh, fem, u2b, u1, ep, ggap, gavnn, t, qt, cqt, k1, a1_m) +
               mt_bv(fh, fem, u2b, u1, ep, ggbp, gtb, t, qt, cqt, k1, b1_m) +
               mt_bv(fh, fem, u2b, u1, ep, gghp, gth, t, qt, cqt, k1, h1_m);
    }

    // The t-channel meson exchanges of one combination as literal component loops (no nucleon poles).
    cplx literal_mesons(const DiracSpinor& u2b, const DiracSpinor& u1, const FourVector& ep) const {
        cplx v = 0, w = 0, a = 0, b = 0, h = 0, tt = 0;
        for (int i1 = 0; i1 < 4; ++i1)
            for (int i2 = 0; i2 < 4; ++i2) {
                const cplx gv = v_gvps_mu(i1, ep, k1, qt), ga = v_gavps_mu(i2, ep, k1, qt);
                v += ggvp * gv * v_proj_munu(i1, i2, cqt, rho_m) * v_vnn_t_mu(i2, u2b, gvnn, gt_rho, qt, u1);
                w += ggwp * gv * v_proj_munu(i1, i2, cqt, omega_m) * v_vnn_t_mu(i2, u2b, gwnn, gt_w, qt, u1);
                a += ga * v_proj_munu(i1, i2, cqt, a1_m) * v_avnn_mu_i(i1, u2b, u1);
                const cplx bv = v_bvnn_mu_i(i1, u2b, qt, u1);
                b += ga * v_proj_munu(i1, i2, cqt, b1_m) * bv;
                h += ga * v_proj_munu(i1, i2, cqt, h1_m) * bv;
                const cplx tnn = v_tnn_munu(i1, i2, gt1nn, gt2nn, u2b, qp, u1);
                for (int j1 = 0; j1 < 4; ++j1)
                    for (int j2 = 0; j2 < 4; ++j2)
                        tt += ggtp * v_gtps_munu(j1, j2, ep, k1, k2) * t_proj(i1, i2, j1, j2, cqt, a2_m) * tnn;
            }
        return v + w + a + b + h + tt;
    }
};

void BM_FullPointMatrices(benchmark::State& state) {
    const Setup st;
    for (auto _ : state) {
        DiracMatrix g[3];
        for (int pol = 1; pol <= 3; ++pol) g[pol - 1] = st.total(photon_circular(st.frame.e_k1, st.qq, pol));
        cplx sum = 0.0;
        for (int i300 = 1; i300 <= 2; ++i300) {
            const DiracSpinor u1 = z_spinor(st.p1, st.ibm, i300);
            for (int i350 = 1; i350 <= 2; ++i350) {
                const DiracSpinor u2b = ub(z_spinor(st.p2, st.fbm, i350));
                for (int pol = 0; pol < 3; ++pol) {
                    const cplx m = spinor_uxgxu(u2b, g[pol], u1);
                    sum += std::conj(m) * m;
                }
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_FullPointMatrices)->Unit(benchmark::kNanosecond);

void BM_FullPointPerAmplitude(benchmark::State& state) {
    const Setup st;
    for (auto _ : state) {
        cplx sum = 0.0;
        for (int i300 = 1; i300 <= 2; ++i300) {
            const DiracSpinor u1 = z_spinor(st.p1, st.ibm, i300);
            for (int i350 = 1; i350 <= 2; ++i350) {
                const DiracSpinor u2b = ub(z_spinor(st.p2, st.fbm, i350));
                for (int pol = 1; pol <= 3; ++pol) {
                    const cplx m = st.per_amplitude(u2b, u1, photon_circular(st.frame.e_k1, st.qq, pol));
                    sum += std::conj(m) * m;
                }
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_FullPointPerAmplitude)->Unit(benchmark::kMicrosecond);

void BM_FullPointLiteralMesonLoops(benchmark::State& state) {
    const Setup st;
    for (auto _ : state) {
        cplx sum = 0.0;
        for (int i300 = 1; i300 <= 2; ++i300) {
            const DiracSpinor u1 = z_spinor(st.p1, st.ibm, i300);
            for (int i350 = 1; i350 <= 2; ++i350) {
                const DiracSpinor u2b = ub(z_spinor(st.p2, st.fbm, i350));
                for (int pol = 1; pol <= 3; ++pol) {
                    const cplx m = st.literal_mesons(u2b, u1, photon_circular(st.frame.e_k1, st.qq, pol));
                    sum += std::conj(m) * m;
                }
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_FullPointLiteralMesonLoops)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
