#include "amplitudes/nucleon_poles.hpp"

#include "amplitudes/born.hpp"
#include "amplitudes/slash_algebra.hpp"

namespace kavrin {

namespace {

// s channel: ec ff_h (pion vertex)(qs-slash + m)(photon vertex)/(s - m^2); the pion vertex is i gpnn gamma5 for
// ps = 1 (applied as a row exchange), i gpnn k2-slash gamma5 otherwise.
DiracMatrix s_channel(int ps, double ec, cplx ff_h, const DiracMatrix& vgnn, double gpnn, cplx s,
                      const FourVector& qs, const FourVector& k2, double m) {
    const DiracMatrix tail = n_proj(qs, m) * vgnn;
    const DiracMatrix chain = ps == 1 ? cplx(0.0, gpnn) * detail::gamma5_times(tail) : v_psnn_pv(gpnn, k2) * tail;
    return (ec * ff_h / (s - m * m)) * chain;
}

// u channel: ec ff_h (photon vertex)(qu-slash + m)(pion vertex)/(u - m^2), the pion vertex as in the s channel.
DiracMatrix u_channel(int ps, double ec, cplx ff_h, const DiracMatrix& vgnn, double gpnn, cplx u,
                      const FourVector& qu, const FourVector& k2, double m) {
    const DiracMatrix head = vgnn * n_proj(qu, m);
    const DiracMatrix chain = ps == 1 ? cplx(0.0, gpnn) * detail::times_gamma5(head) : head * v_psnn_pv(gpnn, k2);
    return (ec * ff_h / (u - m * m)) * chain;
}

}  // namespace

// s-channel nucleon pole with the gauge-restoring photon vertex, as a Dirac matrix.
DiracMatrix ms_n_matrix(int ps, double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const FourVector& ep,
                        double chs, double gts, double gpnn, cplx s, const FourVector& qs, const FourVector& k1,
                        const FourVector& k2, double m) {
    return s_channel(ps, ec, ff_h, v_gnn(ep, f1, f10, f2, qq, chs, gts, k1), gpnn, s, qs, k2, m);
}

// s-channel nucleon pole with the plain photon vertex, as a Dirac matrix.
DiracMatrix ms_nn_matrix(int ps, double ec, cplx ff_h, cplx f1, cplx f2, const FourVector& ep, double chs,
                         double gts, double gpnn, cplx s, const FourVector& qs, const FourVector& k1,
                         const FourVector& k2, double m) {
    return s_channel(ps, ec, ff_h, v_gnn_n(ep, f1, f2, chs, gts, k1), gpnn, s, qs, k2, m);
}

// u-channel nucleon pole with the gauge-restoring photon vertex, as a Dirac matrix.
DiracMatrix mu_n_matrix(int ps, double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const FourVector& ep,
                        double chu, double gtu, double gpnn, cplx u, const FourVector& qu, const FourVector& k1,
                        const FourVector& k2, double m) {
    return u_channel(ps, ec, ff_h, v_gnn(ep, f1, f10, f2, qq, chu, gtu, k1), gpnn, u, qu, k2, m);
}

// u-channel nucleon pole with the plain photon vertex, as a Dirac matrix.
DiracMatrix mu_nn_matrix(int ps, double ec, cplx ff_h, cplx f1, cplx f2, const FourVector& ep, double chu,
                         double gtu, double gpnn, cplx u, const FourVector& qu, const FourVector& k1,
                         const FourVector& k2, double m) {
    return u_channel(ps, ec, ff_h, v_gnn_n(ep, f1, f2, chu, gtu, k1), gpnn, u, qu, k2, m);
}

// s-channel nucleon pole amplitude, gauge-restoring photon vertex.
cplx ms_n(int ps, double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const DiracSpinor& u2b,
          const DiracSpinor& u1, const FourVector& ep, double chs, double gts, double gpnn, cplx s,
          const FourVector& qs, const FourVector& k1, const FourVector& k2, double m) {
    return spinor_uxgxu(u2b, ms_n_matrix(ps, ec, ff_h, f1, f10, f2, qq, ep, chs, gts, gpnn, s, qs, k1, k2, m), u1);
}

// s-channel nucleon pole amplitude, plain photon vertex.
cplx ms_nn(int ps, double ec, cplx ff_h, cplx f1, cplx f2, const DiracSpinor& u2b, const DiracSpinor& u1,
           const FourVector& ep, double chs, double gts, double gpnn, cplx s, const FourVector& qs,
           const FourVector& k1, const FourVector& k2, double m) {
    return spinor_uxgxu(u2b, ms_nn_matrix(ps, ec, ff_h, f1, f2, ep, chs, gts, gpnn, s, qs, k1, k2, m), u1);
}

// u-channel nucleon pole amplitude, gauge-restoring photon vertex.
cplx mu_n(int ps, double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const DiracSpinor& u2b,
          const DiracSpinor& u1, const FourVector& ep, double chu, double gtu, double gpnn, cplx u,
          const FourVector& qu, const FourVector& k1, const FourVector& k2, double m) {
    return spinor_uxgxu(u2b, mu_n_matrix(ps, ec, ff_h, f1, f10, f2, qq, ep, chu, gtu, gpnn, u, qu, k1, k2, m), u1);
}

// u-channel nucleon pole amplitude, plain photon vertex.
cplx mu_nn(int ps, double ec, cplx ff_h, cplx f1, cplx f2, const DiracSpinor& u2b, const DiracSpinor& u1,
           const FourVector& ep, double chu, double gtu, double gpnn, cplx u, const FourVector& qu,
           const FourVector& k1, const FourVector& k2, double m) {
    return spinor_uxgxu(u2b, mu_nn_matrix(ps, ec, ff_h, f1, f2, ep, chu, gtu, gpnn, u, qu, k1, k2, m), u1);
}

}  // namespace kavrin
