#include "kinematics/kinematics.hpp"

#include <cmath>

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
    f.e_k1 = (w * w - qq - ibms) / (2.0 * w);
    f.e_p1 = (w * w + qq + ibms) / (2.0 * w);
    f.e_k2 = (w * w - fbms + fmms) / (2.0 * w);
    f.e_p2 = (w * w + fbms - fmms) / (2.0 * w);
    f.k = std::sqrt(f.e_k1 * f.e_k1 + qq);
    f.p = std::sqrt(f.e_k2 * f.e_k2 - fmms);
    return f;
}

Momenta CmFrame::momenta(double theta) const {
    const double px = p * std::sin(theta), pz = p * std::cos(theta);
    return {set_momentum(e_k1, 0.0, 0.0, k), set_momentum(e_p1, 0.0, 0.0, -k), set_momentum(e_k2, px, 0.0, pz),
            set_momentum(e_p2, -px, 0.0, -pz)};
}

}  // namespace kavrin
