// Monopole form factor of the meson-exchange photon vertices and the KM form factors of the nucleon poles.
#include "formfactors/monopole_km.hpp"

#include <cmath>

#include "kernel/constants.hpp"

namespace kavrin {

namespace {

/// xi = 0.4 of the KM form factors (single precision).
constexpr double xi = double(0.4f);
/// pi in single precision.
constexpr double pi = pi_single;
/// the imaginary unit.
constexpr cplx ci{0.0, 1.0};

/// Below this Q^2 (MeV^2; 10^-3 GeV^2) the KM form factors sum the difference of their two large terms as a
/// series: the direct form loses log10(2/y^2) digits there, y = xi Q^2/m^2 (all of them near Q^2 = 10^-9 GeV^2).
constexpr double series_below_qq = 1000.0;

/// Ln(1 + y) S (S + 2y)/y^2 - S (S + y)/(y (1 + y)) with S = x/m^2, y = xi Q^2/m^2: the two terms grow like
/// S^2/y and cancel to S^2/2 + S as Q^2 -> 0. Summed as sum_n (-y)^n [S^2 (n+1)/(n+2) + S (1-n)/(n+1)], which
/// converges like y^n (y < 5e-4 here: eight terms are exact to the last digit).
cplx large_terms_difference(cplx x, double m2, double y) {
    const cplx S = x / m2;
    const cplx s2 = S * S;
    cplx sum = 0.0;
    for (int n = 7; n >= 0; --n) {
        const double k = n;
        sum = sum * (-y) + (s2 * ((k + 1.0) / (k + 2.0)) + S * ((1.0 - k) / (k + 1.0)));
    }
    return sum;
}

}  // namespace

// F = 1/(1 + Q^2/Lambda^2), Lambda = 1000 c MeV.
cplx ff_monopole(double qq, double c) {
    const double cut = 1000.0 * c;
    return cplx(1.0 / (1.0 + qq / (cut * cut)), 0.0);
}

// s-channel KM form factor: [Ln(1 + xi Q^2/m^2) s (s + 2 xi Q^2)/(xi Q^2)^2 - i pi - s (s + xi Q^2)/(xi Q^2 (m^2 + xi Q^2))
// + Log((s - m^2)/m^2)] / [((s^2 + 2 m^2 s)/(2 m^4) + Log((s - m^2)/m^2) - i pi) (1 + xi Q^2/s)^2].
cplx km_fs(cplx s, double qq, double m) {
    if (qq == 0.0) return cplx(1.0, 0.0);
    const double m2 = m * m;
    const double m4 = m2 * m2;
    const double xq = xi * qq;
    const cplx lg = std::log((s - cplx(m2, 0.0)) / m2);

    cplx ffpkms2;
    if (qq < series_below_qq) {
        ffpkms2 = large_terms_difference(s, m2, xq / m2) - ci * pi + lg;
    } else {
        const cplx ffpkms1 = std::log(1.0 + xq / m2) * s * (s + (xi + xi) * qq) / (xq * xq) - ci * pi;
        ffpkms2 = ffpkms1 - s * (s + xq) / (xq * (m2 + xq)) + lg;
    }
    const cplx ffpkms3 = (s * s + 2.0 * m2 * s) / (2.0 * m4) + lg - ci * pi;
    const cplx r = 1.0 + xq / s;
    const cplx ffpkms4 = ffpkms3 * (r * r);
    return ffpkms2 / ffpkms4;
}

// u-channel KM form factor: the s-channel construction in u with Log((m^2 - u)/m^2) and no -i pi terms.
cplx km_fu(cplx u, double qq, double m) {
    if (qq == 0.0) return cplx(1.0, 0.0);
    const double m2 = m * m;
    const double m4 = m2 * m2;
    const double xq = xi * qq;
    const cplx lg = std::log((cplx(m2, 0.0) - u) / m2);

    cplx ffpkmu2;
    if (qq < series_below_qq) {
        ffpkmu2 = large_terms_difference(u, m2, xq / m2) + lg;
    } else {
        const cplx ffpkmu1 = std::log(1.0 + xq / m2) * u * (u + (xi + xi) * qq) / (xq * xq);
        ffpkmu2 = ffpkmu1 - u * (u + xq) / (xq * (m2 + xq)) + lg;
    }
    const cplx ffpkmu3 = (u * u + 2.0 * m2 * u) / (2.0 * m4) + lg;
    const cplx r = 1.0 + xq / u;
    const cplx ffpkmu4 = ffpkmu3 * (r * r);
    return ffpkmu2 / ffpkmu4;
}

}  // namespace kavrin
