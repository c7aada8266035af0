// s- and u-channel nucleon pole amplitudes of the Regge model, as Dirac matrices Gamma with
// amplitude = u2b Gamma u1 (independent of the nucleon spins) at the point p. The pion-nucleon vertex is the
// pseudoscalar i gpnn gamma5. The s channel is (pion vertex)(qs-slash + m)(photon vertex)/(s - m^2), the u
// channel (photon vertex)(qu-slash + m)(pion vertex)/(u - m^2), both times ec ff_h. ms_n/mu_n use the
// gauge-restoring photon vertex v_gnn, ms_nn/mu_nn the plain v_gnn_n.
#pragma once

#include "kernel/dirac.hpp"
#include "kinematics/kinematics.hpp"

namespace kavrin {

/// The photon-nucleon vertex of a pole term.
struct NucleonCurrent {
    double charge;   ///< nucleon charge
    double kappa_n;  ///< anomalous moment over 4M
    cplx f1;         ///< Dirac form factor
    cplx f10;        ///< Dirac form factor at Q^2 = 0 (the gauge-restoring vertex only)
    cplx f2;         ///< Pauli form factor, 1 at Q^2 = 0
};

DiracMatrix ms_n_matrix(double ec, cplx ff_h, const NucleonCurrent& j, double gpnn, double m, const FourVector& ep,
                        const PointMomenta& p);
DiracMatrix ms_nn_matrix(double ec, cplx ff_h, const NucleonCurrent& j, double gpnn, double m, const FourVector& ep,
                         const PointMomenta& p);
DiracMatrix mu_n_matrix(double ec, cplx ff_h, const NucleonCurrent& j, double gpnn, double m, const FourVector& ep,
                        const PointMomenta& p);
DiracMatrix mu_nn_matrix(double ec, cplx ff_h, const NucleonCurrent& j, double gpnn, double m, const FourVector& ep,
                         const PointMomenta& p);

/// The factor ec ff_h/(x - m^2) of a pole term at x = s or u.
inline cplx pole_coefficient(double ec, cplx ff_h, cplx x, double m) { return ec * ff_h / (x - m * m); }
/// The s-channel pole from its parts: coefficient (pole_coefficient), n_proj(qs, m) and the photon vertex;
/// the same numbers as ms_n_matrix/ms_nn_matrix.
template <class C>
BasicDiracMatrix<C> s_pole_matrix(cplx coefficient, double gpnn, const DiracMatrix& nproj,
                                  const BasicDiracMatrix<C>& vgnn);
/// The chain i gpnn gamma5 nproj vgnn of s_pole_matrix without its coefficient: s_pole_matrix is coefficient times
/// it, entry by entry (qs = k1 + p1 and the vertex are the same at every pion angle).
template <class C>
BasicDiracMatrix<C> s_pole_chain(double gpnn, const DiracMatrix& nproj, const BasicDiracMatrix<C>& vgnn);
/// The u-channel pole from its parts: coefficient, the photon vertex and n_proj(qu, m).
template <class C>
BasicDiracMatrix<C> u_pole_matrix(cplx coefficient, double gpnn, const BasicDiracMatrix<C>& vgnn,
                                  const DiracMatrix& nproj);

}  // namespace kavrin
