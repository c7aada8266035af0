#include "kinematics/wave_functions.hpp"

#include <cmath>

namespace kavrin {

DiracSpinor z_spinor(const FourVector& p, double m, int i) {
    const double e = p[0].real(), px = p[1].real(), py = p[2].real(), pz = p[3].real();
    const double nor = std::sqrt(m + e) / std::sqrt(2.0 * m);
    DiracSpinor u;
    if (i == 1) {
        u[0] = nor;
        u[1] = 0.0;
        u[2] = nor * pz / (e + m);
        u[3] = nor * cplx(px, py) / (e + m);
    } else if (i == 2) {
        u[0] = 0.0;
        u[1] = nor;
        u[2] = nor * cplx(px, -py) / (e + m);
        u[3] = -nor * pz / (e + m);
    }
    return u;
}

FourVector photon_circular(double e_k1, double qq, int spin) {
    // 1/sqrt(2) held at two precisions: c1 is 1/sqrt2 rounded to single precision,
    // c2 is 1 divided by the single-precision sqrt2.
    constexpr double c1 = double(0.70710677f);
    constexpr double c2 = 1.0 / double(1.4142135f);
    const double k = std::sqrt(e_k1 * e_k1 + qq);
    const double q = std::sqrt(qq);
    FourVector ep;
    switch (spin) {
        case 1:
            ep = {{0.0, -c1, cplx(0.0, -c2), 0.0}};
            break;
        case 2:
            if (qq != 0.0) ep = {{k / q, 0.0, 0.0, e_k1 / q}};  // a real photon is transverse
            break;
        case 3:
            ep = {{0.0, c1, cplx(0.0, -c2), 0.0}};
            break;
        default:
            break;
    }
    return ep;
}

}  // namespace kavrin
