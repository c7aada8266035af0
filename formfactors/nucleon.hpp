// Dipole-based electromagnetic form factors of the nucleon. qq = Q^2 in MeV^2, masses in MeV,
// cut-offs c in GeV. Pauli form factors are normalized to 1 at Q^2 = 0 (the vertex multiplies by kappa).
// Results are complex with zero imaginary part.
#pragma once

#include "kernel/dirac.hpp"

namespace kavrin {

/// Proton Dirac form factor F1 = (GE + tau GM)/(1 + tau), GE = GD, GM = mu_p GD, GD = 1/(1 + Q^2/c^2)^2.
cplx p_f1(double qq, double c, double m);
/// Proton Pauli form factor (GM - GE)/((1 + tau) kappa_p), normalized to 1 at Q^2 = 0.
cplx p_f2(double qq, double c, double m);
/// Neutron Pauli form factor GD (1 + tau/(1 + 5.6 tau))/(1 + tau), normalized to 1 at Q^2 = 0.
cplx n_f2(double qq, double c, double m);
/// Dipole with the s-dependent cut-off 1.354 (1 - m^2/Re s) + 0.84 GeV.
cplx vr_p_f1(cplx s, double qq, double m);
/// Dipole with the u-dependent cut-off 1.354 (1 - m^2/(2 m^2 - Re u)) + 0.84 GeV.
cplx vr_p_f1u(cplx u, double qq, double m);

}  // namespace kavrin
