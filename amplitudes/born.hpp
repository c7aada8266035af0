// Vertices of the nucleon Born terms and of the pion pole, and the nucleon propagator numerator.
// Momenta in MeV, qq = Q^2 = -k1.k1 in MeV^2. Each vertex is a Dirac matrix to be sandwiched between
// an adjoint outgoing and an incoming nucleon spinor (or, for v_gpsps, a complex number).
#pragma once

#include "kernel/dirac.hpp"

namespace kavrin {

/// Whether the gauge-restoring ratio (ep.k1)/Q^2 of a photon vertex is the 0/0 of a real photon: Q^2 = 0 and
/// ep.k1 = 0 (a real photon has only transverse polarizations). Its limit, and its value there, is 0.
inline bool real_photon(double qq, cplx epk1) { return qq == 0.0 && epk1 == cplx(0.0); }
/// The same for each of the polarizations side by side.
inline LaneMask real_photon(double qq, const Lanes& epk1) {
    LaneMask m;
    for (std::size_t i = 0; i < Lanes::n; ++i) m.on[i] = real_photon(qq, epk1[i]);
    return m;
}

/// Gauge-restoring photon-nucleon vertex:
/// charge [f10 eps-slash + (f1 - f10)(eps-slash + k1-slash (eps.k1)/qq)] - kappa_n f2 [eps-slash, k1-slash].
/// kappa_n = kappa/(4M). Requires qq != 0.
DiracMatrix v_gnn(const FourVector& ep, cplx f1, cplx f10, cplx f2, double qq, double charge, double kappa_n,
                  const FourVector& k1);
/// The pieces of the photon-nucleon vertices that depend on the photon polarization and k1 only, shared by
/// the s- and u-channel vertices of one polarization.
/// (Of one polarization, or of the three side by side: C = Lanes.)
template <class C>
struct BasicPhotonSlashes {
    BasicDiracMatrix<C> eps;  ///< eps-slash
    BasicDiracMatrix<C> com;  ///< [eps-slash, k1-slash]
    C epk1;                   ///< eps.k1
};
using PhotonSlashes = BasicPhotonSlashes<cplx>;
template <class C>
BasicPhotonSlashes<C> photon_slashes(const BasicFourVector<C>& ep, const FourVector& k1);
/// v_gnn from the pieces of the polarization and k1s = k1-slash; the same numbers as v_gnn.
template <class C>
BasicDiracMatrix<C> v_gnn(const BasicPhotonSlashes<C>& ph, const DiracMatrix& k1s, cplx f1, cplx f10, cplx f2,
                          double qq, double charge, double kappa_n);
/// Whether v_gnn(photon_slashes(ep, k1), sl(k1), f1, f10, f2, qq, charge, kappa_n) is zero (+0 or -0) in every
/// entry: a vertex without charge and Pauli form factor, with nothing in it large enough to overflow.
template <class C>
bool v_gnn_vanishes(const BasicFourVector<C>& ep, const FourVector& k1, cplx f1, cplx f10, cplx f2, double qq,
                    double charge, double kappa_n);
/// v_gnn_n from the pieces of the polarization; the same numbers as v_gnn_n.
template <class C>
BasicDiracMatrix<C> v_gnn_n(const BasicPhotonSlashes<C>& ph, cplx f1, cplx f2, double charge, double kappa_n);
/// Plain photon-nucleon vertex charge f1 eps-slash - kappa_n f2 [eps-slash, k1-slash].
DiracMatrix v_gnn_n(const FourVector& ep, cplx f1, cplx f2, double charge, double kappa_n, const FourVector& k1);
/// Photon-pion-pion vertex with gauge restoration:
/// cht [ff0 (qp.ep) + (ff - ff0)((qp.ep) + (qp.k1)(ep.k1)/qq)], qp = 2 qt + k1. Requires qq != 0.
template <class C>
C v_gpsps(double cht, cplx ff, cplx ff0, double qq, const FourVector& qt, const FourVector& k1,
          const BasicFourVector<C>& ep);
/// Nucleon propagator numerator q-slash + m.
DiracMatrix n_proj(const FourVector& q, double m);

/// Pseudoscalar pion-nucleon vertex with the factor i (the Regge model's convention): i gpnn gamma5.
DiracMatrix v_psnn_i(double gpnn);
/// Pseudoscalar pion-nucleon vertex without the factor i (the KM/VR/QVM convention): gpnn gamma5.
DiracMatrix v_psnn(double gpnn);

}  // namespace kavrin
