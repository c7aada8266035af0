// Reggeized t-channel propagators and the signature factors of the exchanges. The amplitudes are written
// with the Feynman pole 1/(t - m^2); the factor returned here, ff = (t - m^2) P(s, t), replaces that pole by the Regge propagator P of the
// trajectory. s and t in MeV^2, slope in MeV^-2; the energy scale is s0 = 1 GeV^2.
#pragma once

#include "kernel/dirac.hpp"

namespace kavrin {

/// Linear Regge trajectory alpha(t) = intercept + slope (t - t_shift), slope in MeV^-2 (t_shift is 0, or the
/// squared mass of the exchange whose spin is the intercept).
struct Trajectory {
    double slope;
    double intercept;
    double t_shift;
    double operator()(double t) const { return intercept + slope * (t - t_shift); }
};

/// exp(iy) = cos y + i sin y, the same number as std::exp(cplx(0, y)), made without the general complex exponential.
cplx unit_phase(double y);
/// Signature factor of a Regge exchange in terms of E(alpha) = exp(-i pi alpha): 0, +-1, +-E or +-(E - 1)/2.
enum class Signature { zero, one, minus_one, e, minus_e, half_e_minus_1, minus_half_e_minus_1 };

/// The signature factor s evaluated on the trajectory value alpha (NaN for a value outside the enum).
cplx signature_factor(Signature s, double alpha);

/// ff = (t - m^2) P with, for the lowest spin J = ispin on the trajectory alpha = traj,
///   J = 0: P = slope (s/s0)^alpha       Gamma(1 - alpha) / alpha  phase,
///   J = 1: P = slope (s/s0)^(alpha - 1) Gamma(1 - alpha)          phase,
///   J = 2: P = slope (alpha - 1) (s/s0)^(alpha - 2) Gamma(1 - alpha) phase.
/// At the poles of Gamma(1 - alpha) (alpha = 1, 2, 3, ...) and at alpha = 0 for J = 0, and wherever
/// Re P is not a number, P = 0.
cplx regge_ff(int ispin, double slope, double traj, cplx phase, double m, cplx s, cplx t);

/// As regge_ff, with the base of the power rescaled: 0.74 s/s0 for J = 0, 0.85 s/s0 for J = 1,
/// s/s0 for J = 2 (0.74 and 0.85 in single precision).
cplx regge_ff_km(int ispin, double slope, double traj, cplx phase, double m, cplx s, cplx t);

}  // namespace kavrin
