// t-channel exchange amplitudes of the Regge model: pi, rho/omega, a1, b1/h1 and a2, each as the Dirac matrix
// Gamma with amplitude = u2b . Gamma . u1 for photon polarization ep. Each is
//   hadronic factor x e.m. form factor x (vertex . numerator . vertex) / (t - m^2),
// where the hadronic factor is the Regge factor (t - m^2) P, so the product carries P in place of the pole.
// Gamma does not depend on the nucleon spins: a caller summing over spins builds it once per polarization.
#pragma once

#include "kernel/dirac.hpp"

namespace kavrin {

/// Pion pole: ec ff_h (v_gpsps x i gpnn gamma5)/(t - m^2).
DiracMatrix mt_pion_matrix(double ec, cplx ff_h, cplx ff, cplx ff0, double qq, const FourVector& ep, double cht,
                           double gpnn, cplx t, const FourVector& qt, const FourVector& k1, double m);
/// rho/omega: ftv_h ff_em ggvp sum V^mu(ep,k1,qt) P_{mu nu} Gamma_V^nu/(t - m^2).
DiracMatrix mt_v_matrix(cplx ftv_h, cplx ff_em, const FourVector& ep, double ggvp, double gvnn, double gvtnn, cplx t,
                        const FourVector& qt, const FourVector& cqt, const FourVector& k1, double m);
/// a1: -(ggap gavnn) fta ff_em sum i gamma^mu gamma5 P_{mu nu} A^nu(ep,k1,qt)/(t - m^2).
DiracMatrix mt_av_matrix(cplx fta, cplx ff_em, const FourVector& ep, double ggap, double gavnn, cplx t,
                         const FourVector& qt, const FourVector& cqt, const FourVector& k1, double m);
/// b1/h1: as mt_av_matrix with the vertex i [gamma^mu, qt-slash] gamma5 and couplings ggbp gbvnn.
DiracMatrix mt_bv_matrix(cplx ftb, cplx ff_em, const FourVector& ep, double ggbp, double gbvnn, cplx t,
                         const FourVector& qt, const FourVector& cqt, const FourVector& k1, double m);
/// a2: ftt ff_em ggtp sum Gamma_T^{mu nu} P_{mu nu, alpha beta} V^{alpha beta}(ep,k1,k2)/(t - m^2).
DiracMatrix mt_t_matrix(cplx ftt, cplx ff_em, const FourVector& ep, double ggtp, double gt1, double gt2, cplx t,
                        const FourVector& qp, const FourVector& cqt, const FourVector& k1, const FourVector& k2,
                        double m);

}  // namespace kavrin
