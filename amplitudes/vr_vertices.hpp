// Photon and h1 vertices of the KM, VR and QVM models. a.b is the Minkowski product.
#pragma once

#include "amplitudes/born.hpp"
#include "kernel/dirac.hpp"

namespace kavrin {

/// charge fn1 eps-slash - kappa_n fn2 (eps-slash k1-slash - k1-slash eps-slash).
DiracMatrix v_gnn_vr(double charge, cplx fn1, double kappa_n, cplx fn2, const FourVector& ep, const FourVector& k1);
/// The same from the slashes of the polarization (photon_slashes), shared by the s- and u-channel vertices.
template <class C>
BasicDiracMatrix<C> v_gnn_vr(double charge, cplx fn1, double kappa_n, cplx fn2, const BasicPhotonSlashes<C>& ph);
/// Gauge-restoring factor cht (ep.k1)/qq of the pion pole.
cplx v_gi_vr(double cht, const FourVector& k1, const FourVector& ep, double qq);
/// The same from ep.k1; with cht = chu also the factor of the u-channel pole (v_gi_vr_u).
template <class C>
C v_gi_vr(double cht, C epk1, double qq);
/// Gauge-restoring factor chu (ep.k1)/qq of the u-channel nucleon pole.
cplx v_gi_vr_u(double chu, const FourVector& k1, const FourVector& ep, double qq);
/// Photon-pion-pion vertex factor cht ff (ep.(k2 + qt)).
template <class C>
C v_gps_vr(double cht, cplx ff, const FourVector& k2, const FourVector& qt, const BasicFourVector<C>& ep);

}  // namespace kavrin
