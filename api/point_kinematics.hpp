// The kinematics of a point as the library returns it, shared by the point functions of both models.
#pragma once

#include <cmath>

#include "kavrin/observables.hpp"

namespace kavrin::api {

/// The centre-of-mass pion angle (radians) at which the four-momentum transfer is t (MeV^2):
/// cos theta = (t - t90)/(2 k p), with t90 the value at 90 degrees and t_lo <= t <= t_hi the physical range.
/// NaN outside the range; an end given a few roundings outside it (as a user computes it) is the end itself.
inline double angle_of_t(double t, double t90, double two_kp, double t_lo, double t_hi, double pi) {
    const double slack = 1e-12 * (std::abs(t90) + two_kp);
    if (!(t <= t_hi + slack && t >= t_lo - slack)) return std::nan("");
    const double d = (t - t90) / two_kp;
    return d > 1.0 ? 0.0 : d < -1.0 ? pi : std::acos(d);
}

/// Sets the kinematic fields of `o` from the programs' units: W in MeV, Q^2, t and t(theta = 0) in MeV^2.
inline void set_kinematics(Observables& o, double w, double qq, double theta, double t, double t_forward) {
    o.w = w / 1000.0;
    o.q2 = qq / 1.0e6;
    o.theta = theta;
    o.cos_theta = std::cos(theta);
    o.t = t / 1.0e6;
    o.t0_minus_t = (t_forward - t) / 1.0e6;
}

}  // namespace kavrin::api
