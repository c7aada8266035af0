#include "amplitudes/vr_vertices.hpp"

#include "amplitudes/born.hpp"
#include "amplitudes/meson_vertices.hpp"
#include "amplitudes/slash_algebra.hpp"

namespace kavrin {

// Photon-nucleon vertex with separate Dirac and Pauli parts:
// charge fn1 eps-slash - kappa_n fn2 (eps-slash k1-slash - k1-slash eps-slash).
template <class C>
BasicDiracMatrix<C> v_gnn_vr(double charge, cplx fn1, double kappa_n, cplx fn2, const BasicPhotonSlashes<C>& ph) {
    const BasicDiracMatrix<C> ftilda = fn1 * ph.eps;
    return cplx(charge) * ftilda - (kappa_n * fn2) * ph.com;
}

DiracMatrix v_gnn_vr(double charge, cplx fn1, double kappa_n, cplx fn2, const FourVector& ep, const FourVector& k1) {
    return v_gnn_vr(charge, fn1, kappa_n, fn2, photon_slashes(ep, k1));
}

// Gauge-restoring factor cht (ep.k1)/Q^2 of the pion pole.
template <class C>
C v_gi_vr(double cht, C epk1, double qq) {
    return choose(real_photon(qq, epk1), C{}, cht * epk1 / qq);
}

cplx v_gi_vr(double cht, const FourVector& k1, const FourVector& ep, double qq) {
    return v_gi_vr(cht, v_dot_v(ep, k1), qq);
}

// Gauge-restoring factor chu (ep.k1)/Q^2 of the u-channel nucleon pole.
cplx v_gi_vr_u(double chu, const FourVector& k1, const FourVector& ep, double qq) {
    const cplx epk1 = v_dot_v(ep, k1);
    return real_photon(qq, epk1) ? cplx(0.0) : chu * epk1 / qq;
}

// Photon-pion-pion vertex factor cht ff ep.(k2 + qt).
template <class C>
C v_gps_vr(double cht, cplx ff, const FourVector& k2, const FourVector& qt, const BasicFourVector<C>& ep) {
    const FourVector kq = k2 + qt;
    const C qep = v_dot_v(kq, ep);
    const C fftilde = ff * qep;
    return cht * fftilde;
}

#define KAVRIN_PHOTON_SIDE(C)                                                                                 \
    template BasicDiracMatrix<C> v_gnn_vr(double, cplx, double, cplx, const BasicPhotonSlashes<C>&);       \
    template C v_gi_vr(double, C, double);                                                                 \
    template C v_gps_vr(double, cplx, const FourVector&, const FourVector&, const BasicFourVector<C>&);
KAVRIN_PHOTON_SIDE(cplx)
KAVRIN_PHOTON_SIDE(Lanes)
#undef KAVRIN_PHOTON_SIDE

}  // namespace kavrin
