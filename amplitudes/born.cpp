#include "amplitudes/born.hpp"

#include <cmath>

#include "amplitudes/slash_algebra.hpp"

namespace kavrin {

namespace {
constexpr cplx I{0.0, 1.0};

// The gauge-restoring ratio (ep.k1)/Q^2 of the photon-nucleon vertex, 0 for a real photon.
template <class C>
C gauge_ratio(const C& epk1, double qq) { return choose(real_photon(qq, epk1), C{}, epk1 / qq); }

// Both parts of z (in every slot) below 1e50 in size; NaN is not.
constexpr double moderate_bound = 1e50;
bool moderate(cplx z) { return std::fabs(z.real()) < moderate_bound && std::fabs(z.imag()) < moderate_bound; }
bool moderate(const Lanes& z) {
    const auto in = (z.re < moderate_bound) & (z.re > -moderate_bound) & (z.im < moderate_bound) &
                    (z.im > -moderate_bound);
    return in[0] && in[1] && in[2] && in[3];
}
}  // namespace

template <class C>
BasicPhotonSlashes<C> photon_slashes(const BasicFourVector<C>& ep, const FourVector& k1) {
    return {detail::slash(ep), detail::slash_commutator(ep, k1), v_dot_v(ep, k1)};
}

// Photon-nucleon vertex with the Dirac part above F1(0) made transverse to k1:
// charge [f10 eps-slash + (f1 - f10)(eps-slash + k1-slash (eps.k1)/Q^2)] - kappa_n f2 [eps-slash, k1-slash].
template <class C>
BasicDiracMatrix<C> v_gnn(const BasicPhotonSlashes<C>& ph, const DiracMatrix& k1s, cplx f1, cplx f10, cplx f2,
                          double qq, double charge, double kappa_n) {
    const BasicDiracMatrix<C>& eps = ph.eps;
    const BasicDiracMatrix<C>& com = ph.com;
    const C epk1 = ph.epk1;
    const cplx df1 = f1 - f10, pauli = kappa_n * f2;
    const C gauge = gauge_ratio(epk1, qq);
    BasicDiracMatrix<C> vgnn;
    for (std::size_t i = 0; i < 16; ++i) {
        const C ftilda = df1 * (eps.a[i] + gauge * k1s.a[i]) + f10 * eps.a[i];
        vgnn.a[i] = charge * ftilda - pauli * com.a[i];
    }
    return vgnn;
}

// Each entry is 0 ftilda - (kappa_n 0) com, a zero, as long as ftilda and com are finite: with every part of ep, k1,
// f1, f10 and kappa_n below 1e50 in size and Q^2 of at least 1e-50 (so that the gauge ratio stays below about
// 1e151), no product in the vertex comes near overflowing.
template <class C>
bool v_gnn_vanishes(const BasicFourVector<C>& ep, const FourVector& k1, cplx f1, cplx f10, cplx f2, double qq,
                    double charge, double kappa_n) {
    if (charge != 0.0 || f2 != cplx(0.0) || !(qq >= 1e-50)) return false;
    bool moderate_parts = moderate(f1) && moderate(f10) && moderate(cplx(kappa_n));
    for (int mu = 0; mu < 4; ++mu) moderate_parts = moderate_parts && moderate(ep[mu]) && moderate(k1[mu]);
    return moderate_parts;
}

DiracMatrix v_gnn(const FourVector& ep, cplx f1, cplx f10, cplx f2, double qq, double charge, double kappa_n,
                  const FourVector& k1) {
    return v_gnn(photon_slashes(ep, k1), detail::slash(k1), f1, f10, f2, qq, charge, kappa_n);
}

// Plain photon-nucleon vertex charge f1 eps-slash - kappa_n f2 [eps-slash, k1-slash].
template <class C>
BasicDiracMatrix<C> v_gnn_n(const BasicPhotonSlashes<C>& ph, cplx f1, cplx f2, double charge, double kappa_n) {
    const BasicDiracMatrix<C>& eps = ph.eps;
    const BasicDiracMatrix<C>& com = ph.com;
    const cplx dirac = charge * f1, pauli = kappa_n * f2;
    BasicDiracMatrix<C> vgnn;
    for (std::size_t i = 0; i < 16; ++i) vgnn.a[i] = dirac * eps.a[i] - pauli * com.a[i];
    return vgnn;
}

DiracMatrix v_gnn_n(const FourVector& ep, cplx f1, cplx f2, double charge, double kappa_n, const FourVector& k1) {
    return v_gnn_n(photon_slashes(ep, k1), f1, f2, charge, kappa_n);
}

// Photon-pion-pion vertex cht [ff0 (qp.ep) + (ff - ff0)((qp.ep) + (qp.k1)(ep.k1)/Q^2)] with qp = 2 qt + k1,
// the sum of the exchanged and the outgoing pion momenta.
template <class C>
C v_gpsps(double cht, cplx ff, cplx ff0, double qq, const FourVector& qt, const FourVector& k1,
          const BasicFourVector<C>& ep) {
    const FourVector qp = qt * 2.0 + k1;
    const C qpep = v_dot_v(qp, ep);
    const cplx qpk1 = v_dot_v(qp, k1);
    const C epk1 = v_dot_v(ep, k1);
    const C gauge = choose(real_photon(qq, epk1), C{}, qpk1 * epk1 / qq);
    const C ftilda = (ff - ff0) * (qpep + gauge) + ff0 * qpep;
    return cht * ftilda;
}

// Nucleon propagator numerator q-slash + m.
DiracMatrix n_proj(const FourVector& q, double m) { return detail::slash(q) + mass_matrix(m); }

// Pseudoscalar pion-nucleon vertex i gpnn gamma5.
DiracMatrix v_psnn_i(double gpnn) { return (I * gpnn) * get_gamma(5); }

// Pseudoscalar pion-nucleon vertex gpnn gamma5.
DiracMatrix v_psnn(double gpnn) { return cplx(gpnn) * get_gamma(5); }

#define KAVRIN_PHOTON_SIDE(C)                                                                                  \
    template BasicPhotonSlashes<C> photon_slashes(const BasicFourVector<C>&, const FourVector&);            \
    template BasicDiracMatrix<C> v_gnn(const BasicPhotonSlashes<C>&, const DiracMatrix&, cplx, cplx, cplx, double, \
                                       double, double);                                                     \
    template bool v_gnn_vanishes(const BasicFourVector<C>&, const FourVector&, cplx, cplx, cplx, double, double,  \
                                 double);                                                                   \
    template BasicDiracMatrix<C> v_gnn_n(const BasicPhotonSlashes<C>&, cplx, cplx, double, double);         \
    template C v_gpsps(double, cplx, cplx, double, const FourVector&, const FourVector&, const BasicFourVector<C>&);
KAVRIN_PHOTON_SIDE(cplx)
KAVRIN_PHOTON_SIDE(Lanes)
#undef KAVRIN_PHOTON_SIDE

}  // namespace kavrin
