#include "amplitudes/nucleon_poles.hpp"

#include "amplitudes/born.hpp"
#include "amplitudes/slash_algebra.hpp"

namespace kavrin {

namespace {

// s channel: ec ff_h (i gpnn gamma5)(qs-slash + m)(photon vertex)/(s - m^2); gamma5 applied as a row exchange.
DiracMatrix s_channel(double ec, cplx ff_h, const DiracMatrix& vgnn, double gpnn, cplx s, const FourVector& qs,
                      double m) {
    const DiracMatrix chain = cplx(0.0, gpnn) * detail::gamma5_times(n_proj(qs, m) * vgnn);
    return (ec * ff_h / (s - m * m)) * chain;
}

// u channel: ec ff_h (photon vertex)(qu-slash + m)(i gpnn gamma5)/(u - m^2); gamma5 applied as a column exchange.
DiracMatrix u_channel(double ec, cplx ff_h, const DiracMatrix& vgnn, double gpnn, cplx u, const FourVector& qu,
                      double m) {
    const DiracMatrix chain = cplx(0.0, gpnn) * detail::times_gamma5(vgnn * n_proj(qu, m));
    return (ec * ff_h / (u - m * m)) * chain;
}

}  // namespace

DiracMatrix ms_n_matrix(double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const FourVector& ep, double chs,
                        double gts, double gpnn, cplx s, const FourVector& qs, const FourVector& k1, double m) {
    return s_channel(ec, ff_h, v_gnn(ep, f1, f10, f2, qq, chs, gts, k1), gpnn, s, qs, m);
}

DiracMatrix ms_nn_matrix(double ec, cplx ff_h, cplx f1, cplx f2, const FourVector& ep, double chs, double gts,
                         double gpnn, cplx s, const FourVector& qs, const FourVector& k1, double m) {
    return s_channel(ec, ff_h, v_gnn_n(ep, f1, f2, chs, gts, k1), gpnn, s, qs, m);
}

DiracMatrix mu_n_matrix(double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const FourVector& ep, double chu,
                        double gtu, double gpnn, cplx u, const FourVector& qu, const FourVector& k1, double m) {
    return u_channel(ec, ff_h, v_gnn(ep, f1, f10, f2, qq, chu, gtu, k1), gpnn, u, qu, m);
}

DiracMatrix mu_nn_matrix(double ec, cplx ff_h, cplx f1, cplx f2, const FourVector& ep, double chu, double gtu,
                         double gpnn, cplx u, const FourVector& qu, const FourVector& k1, double m) {
    return u_channel(ec, ff_h, v_gnn_n(ep, f1, f2, chu, gtu, k1), gpnn, u, qu, m);
}

}  // namespace kavrin
