// t-channel exchange amplitudes of the Regge model: pi, rho/omega, a1, b1/h1 and a2, each as the Dirac matrix
// Gamma with amplitude = u2b . Gamma . u1 for photon polarization ep at the point p. Each is
//   hadronic factor x e.m. form factor x (vertex . numerator . vertex) / (t - m^2),
// where the hadronic factor is the Regge factor (t - m^2) P, so the product carries P in place of the pole.
// Gamma does not depend on the nucleon spins: a caller summing over spins builds it once per polarization.
#pragma once

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
DiracMatrix mt_pion_matrix(double ec, const Exchange& x, cplx ff0, double gpnn, const FourVector& ep,
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

}  // namespace kavrin
