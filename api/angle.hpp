// The pion angle of a point given by -t, shared by the point functions of both models.
#pragma once

#include <cmath>

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

}  // namespace kavrin::api
