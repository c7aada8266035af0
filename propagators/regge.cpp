// Reggeized t-channel propagators: the factor (t - m^2) P(s, t) that turns a Feynman pole into the Regge
// propagator of the exchanged trajectory.
#include "propagators/regge.hpp"

#include <cmath>
#include <limits>

#include "kernel/constants.hpp"

namespace kavrin {

cplx unit_phase(double y) {
    // what the complex exponential of 0 + iy gives: exp(0) = 1 times cos y and sin y, (1, y) for the tiniest y, NaN
    // for y not finite
    if (!std::isfinite(y)) return std::exp(cplx(0.0, y));
    if (std::fabs(y) <= std::numeric_limits<double>::min()) return {1.0, y};
    return {std::cos(y), std::sin(y)};
}

cplx signature_factor(Signature s, double alpha) {
    const auto e = [alpha] { return unit_phase(-(pi_single * alpha)); };  // E = exp(-i pi alpha)
    switch (s) {
        case Signature::zero: return 0.0;
        case Signature::one: return 1.0;
        case Signature::minus_one: return -1.0;
        case Signature::e: return e();
        case Signature::minus_e: return -e();
        case Signature::half_e_minus_1: return (e() - 1.0) / 2.0;
        case Signature::minus_half_e_minus_1: return -((e() - 1.0) / 2.0);
    }
    return std::numeric_limits<double>::quiet_NaN();
}

namespace {

/// Poles of the propagator: Gamma(1 - alpha) is infinite at alpha = 1, 2, 3, ..., and the J = 0 form has
/// the extra 1/alpha at alpha = 0. The test is made on the Gamma argument itself.
bool at_propagator_pole(int ispin, double traj) {
    const double arg = 1.0 - traj;
    if (arg <= 0.0 && arg == std::floor(arg)) return true;
    return ispin == 0 && traj == 0.0;
}

/// Regge propagator P for lowest spin J = ispin with the power taken of the given (already scaled) base:
/// P = slope base^(alpha - J) Gamma(1 - alpha) phase, times (alpha - 1) for J = 2 and over alpha for J = 0.
/// Every factor enters as a complex number, in this order: power, slope, (alpha - 1), Gamma, 1/alpha, phase.
cplx regge_propagator(int ispin, double slope, double traj, cplx phase, cplx base) {
    if (at_propagator_pole(ispin, traj)) return cplx(0.0, 0.0);

    cplx p;
    switch (ispin) {
        case 0:
            p = std::pow(base, traj) * cplx(slope, 0.0);
            p = p * cplx(std::tgamma(1.0 - traj), 0.0);
            p = p / cplx(traj, 0.0);
            break;
        case 1:
            p = std::pow(base, traj - 1.0) * cplx(slope, 0.0);
            p = p * cplx(std::tgamma(1.0 - traj), 0.0);
            break;
        case 2:
            p = std::pow(base, traj - 2.0) * cplx(slope, 0.0);
            p = p * cplx(traj - 1.0, 0.0);
            p = p * cplx(std::tgamma(1.0 - traj), 0.0);
            break;
        default: {
            // no trajectory with another lowest spin exists: flag the point instead of inventing a value
            const double nan = std::numeric_limits<double>::quiet_NaN();
            return cplx(nan, nan);
        }
    }
    p = p * phase;
    if (std::isnan(p.real())) p = cplx(0.0, 0.0);
    return p;
}

/// The factor t - m^2 that cancels the Feynman pole of the amplitude routines.
cplx pole_factor(double m, cplx t) { return t - cplx(m * m, 0.0); }

}  // namespace

// ff = (t - m^2) P with the power of s/s0.
cplx regge_ff(int ispin, double slope, double traj, cplx phase, double m, cplx s, cplx t) {
    const cplx base = s / regge_s0;
    const cplx p = regge_propagator(ispin, slope, traj, phase, base);
    return pole_factor(m, t) * p;
}

// ff = (t - m^2) P with the power of 0.74 s/s0 (J = 0), 0.85 s/s0 (J = 1) or s/s0 (J = 2).
cplx regge_ff_km(int ispin, double slope, double traj, cplx phase, double m, cplx s, cplx t) {
    cplx base;
    switch (ispin) {
        case 0: base = (s * double(0.74f)) / regge_s0; break;
        case 1: base = (s * double(0.85f)) / regge_s0; break;
        default: base = s / regge_s0; break;
    }
    const cplx p = regge_propagator(ispin, slope, traj, phase, base);
    return pole_factor(m, t) * p;
}

}  // namespace kavrin
