#include "kinematics/kinematics.hpp"

#include <cmath>
#include <limits>

#include "kernel/constants.hpp"

namespace kavrin {

TRange kinematics(double w, double qq, double ibm, double fbm, double fmm) {
    const double e_k1 = (w * w - qq - ibm * ibm) / (2.0 * w);
    const double e_k2 = (fmm * fmm + w * w - fbm * fbm) / (2.0 * w);
    const double k = std::sqrt(e_k1 * e_k1 + qq);
    const double p = std::sqrt(e_k2 * e_k2 - fmm * fmm);
    const double t0 = fmm * fmm - qq - 2.0 * e_k1 * e_k2;
    return {t0 + 2.0 * k * p, t0 - 2.0 * k * p};
}

CmFrame CmFrame::make(double w, double qq, double ibm, double fbm, double fmm) {
    CmFrame f;
    const double ibms = ibm * ibm, fbms = fbm * fbm, fmms = fmm * fmm;
    f.w = w;
    f.qq = qq;
    f.m1 = ibm;
    f.m2 = fbm;
    f.m = fmm;
    f.e_k1 = (w * w - qq - ibms) / (2.0 * w);
    f.e_p1 = (w * w + qq + ibms) / (2.0 * w);
    f.e_k2 = (w * w - fbms + fmms) / (2.0 * w);
    f.e_p2 = (w * w + fbms - fmms) / (2.0 * w);
    f.k = std::sqrt(f.e_k1 * f.e_k1 + qq);
    // below the threshold of the final state there is no point: p is NaN, and so is everything built on it
    // (e_k2^2 - m^2 turns positive again below W = M2 - m, which is no physical momentum either)
    f.p = w >= fbm + fmm ? std::sqrt(f.e_k2 * f.e_k2 - fmms) : std::numeric_limits<double>::quiet_NaN();
    return f;
}

Momenta CmFrame::momenta(double theta) const {
    const double px = p * std::sin(theta), pz = p * std::cos(theta);
    return {k1(), p1(), set_momentum(e_k2, px, 0.0, pz), set_momentum(e_p2, -px, 0.0, -pz)};
}

}  // namespace kavrin

namespace kavrin {

PointMomenta CmFrame::point_momenta(double theta) const {
    PointMomenta k;
    k.mom = momenta(theta);
    k.qs = k.mom.k1 + k.mom.p1;
    k.qt = k.mom.k2 - k.mom.k1;
    k.qu = k.mom.p2 - k.mom.k1;
    k.qp = (k.mom.p1 + k.mom.p2) * 0.5;
    k.s = v_dot_v(k.qs, k.qs);
    k.u = v_dot_v(k.qu, k.qu);
    k.t = v_dot_v(k.qt, k.qt);
    k.cqt = contra_vector(k.qt);
    k.qq = qq;
    return k;
}

double CmFrame::t_of_theta(double theta) const { return t90() + 2.0 * k * p * std::cos(theta); }

double CmFrame::theta_of_t(double t) const {
    const double d = cos_theta_of_t(t);
    return d > 1.0 ? 0.0 : d < -1.0 ? pi_single : std::acos(d);
}

double CmFrame::theta_of_t_in_range(double t) const {
    const double t_mid = t90();
    const double two_kp = 2.0 * p * k;
    const double slack = 1e-12 * (std::abs(t_mid) + two_kp);
    if (!(t <= t_mid + two_kp + slack && t >= t_mid - two_kp - slack)) return std::nan("");
    return theta_of_t(t);
}

double w_of_xb(double qq, double xb, double m) {
    if (!(xb > 0.0 && xb < 1.0)) return std::numeric_limits<double>::quiet_NaN();  // no physical point
    return std::sqrt(qq / xb - qq + m * m);
}

double xb_of_w(double w, double qq, double m) { return qq / (w * w + qq - m * m); }

}  // namespace kavrin
