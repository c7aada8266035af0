// t-channel exchange amplitudes of the Regge model: pi, rho/omega, a1, b1/h1 and a2, each as the Dirac matrix
// Gamma with amplitude = u2b . Gamma . u1 for photon polarization ep at the point p. Each is
//   hadronic factor x e.m. form factor x (vertex . numerator . vertex) / (t - m^2),
// where the hadronic factor is the Regge factor (t - m^2) P, so the product carries P in place of the pole.
// Gamma does not depend on the nucleon spins: a caller summing over spins builds it once per polarization.
#pragma once

#include "amplitudes/meson_vertices.hpp"
#include "kernel/dirac.hpp"
#include "kinematics/kinematics.hpp"

namespace kavrin {

/// One t-channel exchange at a point: its Regge factor, the e.m. form factor and coupling of its photon vertex,
/// and its mass.
struct Exchange {
    cplx regge;            ///< (t - m^2) P, the Regge propagator times the Feynman pole it replaces
    cplx em;               ///< e.m. transition form factor at Q^2
    double photocoupling;  ///< photon-pion-meson coupling (for the pion pole: the pion charge)
    double m;              ///< mass of the exchanged meson, MeV
};

/// Pion pole: ec regge v_gpsps(charge, em, ff0) i gpnn gamma5/(t - m^2); ff0 is the form factor at Q^2 = 0.
template <class C>
BasicDiracMatrix<C> mt_pion_matrix(double ec, const Exchange& x, cplx ff0, double gpnn, const BasicFourVector<C>& ep,
                                   const PointMomenta& p);
/// rho/omega: regge em photocoupling V^mu(ep,k1,qt) P_{mu nu} Gamma_V^nu/(t - m^2), Gamma_V with the vector
/// coupling gvnn and the tensor coupling gvtnn.
DiracMatrix mt_v_matrix(const Exchange& x, double gvnn, double gvtnn, const FourVector& ep, const PointMomenta& p);
/// a1: -(photocoupling gavnn) regge em i gamma^mu gamma5 P_{mu nu} A^nu(ep,k1,qt)/(t - m^2).
DiracMatrix mt_av_matrix(const Exchange& x, double gavnn, const FourVector& ep, const PointMomenta& p);
/// b1/h1: as mt_av_matrix with the vertex i [gamma^mu, qt-slash] gamma5 and the coupling gbvnn.
DiracMatrix mt_bv_matrix(const Exchange& x, double gbvnn, const FourVector& ep, const PointMomenta& p);
/// a2: regge em photocoupling Gamma_T^{mu nu} P_{mu nu, alpha beta} V^{alpha beta}(ep,k1,k2)/(t - m^2), Gamma_T
/// with the couplings gt1 and gt2.
DiracMatrix mt_t_matrix(const Exchange& x, double gt1, double gt2, const FourVector& ep, const PointMomenta& p);

// The same exchanges from their parts, for a caller that evaluates several photon polarizations at one point:
// the factor that does not depend on the polarization (coupling, Regge factor, e.m. form factor over the pole),
// and the photon vertex of the polarization (v_gvps, v_gavps or v_gtps). The same numbers as above.

/// x.photocoupling x.regge x.em/(t - m^2): the factor of rho/omega and a2.
cplx mt_v_coefficient(const Exchange& x, const PointMomenta& p);
/// -(x.photocoupling g) x.regge x.em/(t - m^2): the factor of a1 (g = gavnn) and b1/h1 (g = gbvnn).
cplx mt_axial_coefficient(const Exchange& x, double g, const PointMomenta& p);
/// rho/omega from its factor and V = v_gvps(ep, k1, qt).
template <class C>
BasicDiracMatrix<C> mt_v_matrix(cplx coefficient, const BasicFourVector<C>& gvps, double m, double gvnn,
                                double gvtnn, const PointMomenta& p);
/// a1 from its factor and A = v_gavps(ep, k1, qt).
template <class C>
BasicDiracMatrix<C> mt_av_matrix(cplx coefficient, const BasicFourVector<C>& gavps, double m, const PointMomenta& p);
/// b1/h1 from its factor and A = v_gavps(ep, k1, qt).
template <class C>
BasicDiracMatrix<C> mt_bv_matrix(cplx coefficient, const BasicFourVector<C>& gavps, double m, const PointMomenta& p);
/// a2 from its factor, its photon vertex and the spin-2 numerator of (cqt, m) made beforehand.
template <class C>
BasicDiracMatrix<C> mt_t_matrix(cplx coefficient, const BasicLorentzTensor<C>& gtps, const Spin2Numerator& n,
                                double gt1, double gt2, const PointMomenta& p);
/// a2 from its factor and its photon vertex v_gtps(ep, k1, k2).
DiracMatrix mt_t_matrix(cplx coefficient, const LorentzTensor& gtps, double m, double gt1, double gt2,
                        const PointMomenta& p);

}  // namespace kavrin
