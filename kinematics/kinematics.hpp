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

/// The four-momenta of a point and the momenta and invariants its diagrams are built from.
struct PointMomenta {
    Momenta mom;                      ///< k1, p1, k2, p2
    FourVector qs, qt, qu, qp;        ///< k1 + p1, k2 - k1, p2 - k1, (p1 + p2)/2
    FourVector cqt;                   ///< qt with its index lowered
    cplx s, t, u;                     ///< qs^2, qt^2, qu^2
    double qq = 0;                    ///< Q^2 = -k1.k1
};

/// Centre-of-mass energies and momenta at one (W, Q^2) for given masses; the angle is fixed separately.
/// It answers t(theta), theta(t) and the physical t range of the point.
struct CmFrame {
    double w = 0;     ///< total CM energy W
    double qq = 0;    ///< Q^2 = -k1.k1
    double m1 = 0;    ///< target mass
    double m2 = 0;    ///< recoil mass
    double m = 0;     ///< meson mass
    double e_k1 = 0;  ///< photon energy (W^2 - Q^2 - M1^2)/2W
    double e_p1 = 0;  ///< target energy (W^2 + Q^2 + M1^2)/2W
    double e_k2 = 0;  ///< meson energy (W^2 - M2^2 + m^2)/2W
    double e_p2 = 0;  ///< recoil energy (W^2 + M2^2 - m^2)/2W
    double k = 0;     ///< photon momentum sqrt(e_k1^2 + Q^2)
    double p = 0;     ///< meson momentum sqrt(e_k2^2 - m^2); NaN below the threshold W = M2 + m

    /// Frame of W = w, Q^2 = qq with target mass ibm, recoil mass fbm and meson mass fmm.
    static CmFrame make(double w, double qq, double ibm, double fbm, double fmm);

    /// The four momenta with the meson at polar angle theta (radians) from the photon direction.
    Momenta momenta(double theta) const;
    /// The photon and target momenta, along +z and -z: the same at every angle.
    FourVector k1() const { return set_momentum(e_k1, 0.0, 0.0, k); }
    FourVector p1() const { return set_momentum(e_p1, 0.0, 0.0, -k); }
    /// The momenta and invariants of the point with the meson at polar angle theta.
    PointMomenta point_momenta(double theta) const;

    /// t at theta = 90 degrees: m^2 - Q^2 - 2 e_k1 e_k2.
    double t90() const { return m * m - qq - 2.0 * e_k1 * e_k2; }
    /// t at theta = 0 (the largest t, t_max): t90 + 2 p k.
    double t_forward() const { return t90() + 2.0 * p * k; }
    /// t at theta = 180 degrees (the smallest t, t_min): t90 - 2 k p.
    double t_backward() const { return t90() - 2.0 * k * p; }
    /// t at meson angle theta: t90 + 2 k p cos(theta).
    double t_of_theta(double theta) const;
    /// cos(theta) at which the four-momentum transfer is t: (t - t90)/(2 p k); outside [-1, 1] off the range.
    double cos_theta_of_t(double t) const { return (t - t90()) / (2.0 * p * k); }
    /// cos(theta) at which the u-channel transfer is u: (M2^2 - u - Q^2 - 2 e_p2 e_k1)/(2 p k).
    double cos_theta_of_u(double u) const { return (m2 * m2 - u - qq - 2.0 * e_p2 * e_k1) / (2.0 * p * k); }
    /// The angle of t, clamped to 0 and pi where rounding puts cos(theta) just outside [-1, 1].
    double theta_of_t(double t) const;
    /// The angle of t where t lies in the physical range (ends given a few roundings outside it, as a user
    /// computes them, count as the ends); NaN outside it.
    double theta_of_t_in_range(double t) const;
};

/// W of the point with Bjorken x_B at Q^2 on a target of mass m: W^2 = Q^2/x_B - Q^2 + m^2; NaN for x_B
/// outside (0, 1).
double w_of_xb(double qq, double xb, double m);
/// Bjorken x_B = Q^2/(W^2 + Q^2 - m^2) of the point (W, Q^2) on a target of mass m.
double xb_of_w(double w, double qq, double m);

}  // namespace kavrin
