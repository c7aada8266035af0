// Nucleon spinors with spin along +z and the polarization vectors of a virtual photon moving along +z.
#pragma once

#include "kernel/dirac.hpp"

namespace kavrin {

/// Positive-energy Dirac spinor of momentum p and mass m, spin up (i = 1) or down (i = 2) along +z,
/// normalized to u-bar u = 1: u = sqrt((E+m)/2m) (chi, sigma.p chi/(E+m)). Other i give the zero spinor.
DiracSpinor z_spinor(const FourVector& p, double m, int i);

/// Photon polarization for photon energy e_k1 and virtuality qq: spin 1 helicity +1, 2 longitudinal,
/// 3 helicity -1 (eps(+1) = -(0,1,i,0)/sqrt2, eps(0) = (k,0,0,e_k1)/Q, eps(-1) = (0,1,-i,0)/sqrt2).
/// Other spin values give the zero vector, and so does spin 2 at qq = 0: a real photon has no longitudinal
/// polarization.
FourVector photon_circular(double e_k1, double qq, int spin);
/// photon_circular of spin 1, 2 and 3 (helicity +1, longitudinal, -1) side by side.
inline BasicFourVector<Lanes> photon_polarizations(double e_k1, double qq) {
    return side_by_side(photon_circular(e_k1, qq, 1), photon_circular(e_k1, qq, 2), photon_circular(e_k1, qq, 3));
}

}  // namespace kavrin
