// Reaction kinematics of gamma*(k1) + N(p1) -> pi(k2) + N'(p2) in the centre-of-mass frame.
// Units are whatever the caller uses consistently (the programs use MeV and MeV^2).
#pragma once

#include "kernel/dirac.hpp"

namespace kavrin {

/// Physical limits of t at fixed W and Q^2: t_max at meson angle 0, t_min at meson angle pi.
struct TRange {
    double t_max;
    double t_min;
};

/// t range of gamma*(Q^2 = qq) + N(ibm) -> meson(fmm) + N'(fbm) at total CM energy w.
TRange kinematics(double w, double qq, double ibm, double fbm, double fmm);

/// The real four-momentum (e, px, py, pz) with zero imaginary parts.
inline FourVector set_momentum(double e, double px, double py, double pz) { return {{e, px, py, pz}}; }

/// The four momenta of one kinematic point.
struct Momenta {
    FourVector k1;  ///< photon, along +z
    FourVector p1;  ///< target nucleon, along -z
    FourVector k2;  ///< meson, in the x-z plane with non-negative x component
    FourVector p2;  ///< recoil nucleon, opposite to the meson
};

/// Centre-of-mass energies and momenta at one (W, Q^2) for given masses; the angle is fixed separately.
struct CmFrame {
    double w = 0;     ///< total CM energy W
    double qq = 0;    ///< Q^2 = -k1.k1
    double e_k1 = 0;  ///< photon energy (W^2 - Q^2 - M1^2)/2W
    double e_p1 = 0;  ///< target energy (W^2 + Q^2 + M1^2)/2W
    double e_k2 = 0;  ///< meson energy (W^2 - M2^2 + m^2)/2W
    double e_p2 = 0;  ///< recoil energy (W^2 + M2^2 - m^2)/2W
    double k = 0;     ///< photon momentum sqrt(e_k1^2 + Q^2)
    double p = 0;     ///< meson momentum sqrt(e_k2^2 - m^2); NaN below threshold

    /// Frame of W = w, Q^2 = qq with target mass ibm, recoil mass fbm and meson mass fmm.
    static CmFrame make(double w, double qq, double ibm, double fbm, double fmm);

    /// The four momenta with the meson at polar angle theta (radians) from the photon direction.
    Momenta momenta(double theta) const;
};

}  // namespace kavrin
