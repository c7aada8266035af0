// The monopole form factor of the meson-exchange photon vertices and the KM form factors of the
// nucleon pole terms. qq = Q^2 in MeV^2, c in GeV, masses in MeV, s and u in MeV^2.
#pragma once

#include "kernel/dirac.hpp"

namespace kavrin {

/// 1/(1 + Q^2/(1000 c)^2).
cplx ff_monopole(double qq, double c);
/// KM s-channel form factor (complex); exactly 1 at Q^2 = 0.
cplx km_fs(cplx s, double qq, double m);
/// KM u-channel form factor; exactly 1 at Q^2 = 0.
cplx km_fu(cplx u, double qq, double m);

}  // namespace kavrin
