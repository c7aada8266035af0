// Nucleon form factors as first moments of valence GPDs, and the Gauss-Legendre rule they integrate with.
#include "formfactors/gpd.hpp"

#include <cmath>
#include <cstddef>
#include <limits>

namespace kavrin {

namespace {

/// Quark charges e_u = 2/3 and e_d = -1/3 (single precision).
constexpr double cu = double(2.0f / 3.0f);
constexpr double cd = double(-1.0f / 3.0f);
static_assert(cu == 0.6666666865348816 && cd == -0.3333333432674408);

/// Valence up-quark distribution u_v(x) = 0.262 x^-0.69 (1-x)^3.5 (1 + 3.83 sqrt x + 37.65 x).
double u_valence(double x) {
    return 0.262 * std::pow(x, -0.69) * std::pow(1.0 - x, 3.5) * (1.0 + 3.83 * std::sqrt(x) + 37.65 * x);
}

/// Valence down-quark distribution d_v(x) = 0.061 x^-0.65 (1-x)^4.03 (1 + 49.05 sqrt x + 8.65 x).
double d_valence(double x) {
    return 0.061 * std::pow(x, -0.65) * std::pow(1.0 - x, 4.03) * (1.0 + 49.05 * std::sqrt(x) + 8.65 * x);
}

/// Q^2 profile of the GPDs at momentum fraction x: x^(alp Q^2), exp(-alp (1-x) Q^2/x) or x^(alp (1-x) Q^2).
double profile(int model, double x, double alp, double qq) {
    switch (model) {
        case 1: return std::pow(x, alp * qq);
        case 2: return std::exp(-alp * (1.0 - x) * qq / x);
        case 3: return std::pow(x, alp * (1.0 - x) * qq);
        default: return std::numeric_limits<double>::quiet_NaN();  // no such profile: flag the point
    }
}

}  // namespace

// Normalizations int u_v, int d_v, int u_v (1-x)^eta_u, int d_v (1-x)^eta_d over x in [0, 1].
GpdNormalization normalize_gpd(double eta_u, double eta_d, const GaussLegendre100& gl) {
    GpdNormalization n;
    n.nu_f1 = 0.0;
    n.nd_f1 = 0.0;
    n.nu_f2 = 0.0;
    n.nd_f2 = 0.0;
    for (std::size_t i100 = 0; i100 < gl.xi.size(); ++i100) {
        const double x = 0.5 * gl.xi[i100] + 0.5;
        const double w = 0.5 * gl.wi[i100];
        const double uvx = u_valence(x);
        const double dvx = d_valence(x);
        n.nu_f1 += w * uvx;
        n.nd_f1 += w * dvx;
        n.nu_f2 += w * uvx * std::pow(1.0 - x, eta_u);
        n.nd_f2 += w * dvx * std::pow(1.0 - x, eta_d);
    }
    return n;
}

// F1 = sum_q e_q int H_q dx and F2 = sum_q e_q int E_q dx / kappa, H_q = N q_v fu, E_q = kappa_q q_v (1-x)^eta_q / N' fu.
NucleonFormFactors gpd_nucl_ff(int gtype, int model, double qq, const GaussLegendre100& gl, double alp, double eu,
                               double ed, double kappa, double /*m*/, double ku, double kd, const GpdNormalization& n) {
    double f1 = 0.0;
    double f2 = 0.0;
    for (std::size_t i200 = 0; i200 < gl.xi.size(); ++i200) {
        const double x = 0.5 * gl.xi[i200] + 0.5;
        const double w = 0.5 * gl.wi[i200];
        const double uvx = u_valence(x);
        const double dvx = d_valence(x);
        const double m3u = std::pow(1.0 - x, eu);
        const double m3d = std::pow(1.0 - x, ed);
        const double fu = profile(model, x, alp, qq);
        if (gtype >= 1 && gtype <= 3) {  // proton: two u and one d valence quarks
            f1 += w * (cu * uvx * fu * 2.0 / n.nu_f1 + cd * dvx * fu / n.nd_f1);
            f2 += w * (ku * cu / n.nu_f2 * m3u * uvx * fu + kd * cd / n.nd_f2 * m3d * dvx * fu) / kappa;
        } else if (gtype == 4) {  // neutron: the u and d distributions exchange their roles
            f1 += w * (cu * dvx / n.nd_f1 + cd * uvx * 2.0 / n.nu_f1) * fu;
            f2 += w * (kd * cu / n.nd_f2 * m3d * dvx + ku * cd / n.nu_f2 * m3u * uvx) * fu / kappa;
        }
    }
    return NucleonFormFactors{cplx(f1, 0.0), cplx(f2, 0.0)};
}

// Roots of the Legendre polynomial P_n (Newton iteration from Tricomi's first guess) and the weights
// w = 2/((1 - x^2) P_n'(x)^2). Worked in extended precision and mirrored, so the rule is exactly symmetric.
void gauss_legendre_rule(int n, double* xi, double* wi) {
    if (n <= 0) return;
    using real = long double;
    const real pi = 3.141592653589793238462643383279502884L;
    const real eps = std::numeric_limits<real>::epsilon();

    // P_n(z) and P_n'(z) by the three-term recurrence (k+1) P_{k+1} = (2k+1) z P_k - k P_{k-1}.
    const auto legendre = [n](real z, real& dp) {
        real p0 = 1.0L;  // P_{k-1}
        real p1 = z;     // P_k
        for (int k = 1; k < n; ++k) {
            const real p2 = (real(2 * k + 1) * z * p1 - real(k) * p0) / real(k + 1);
            p0 = p1;
            p1 = p2;
        }
        dp = real(n) * (z * p1 - p0) / (z * z - 1.0L);
        return p1;
    };

    const int half = (n + 1) / 2;
    for (int k = 1; k <= half; ++k) {
        real z = std::cos(pi * (real(k) - 0.25L) / (real(n) + 0.5L));
        const bool middle = (n % 2 == 1) && (k == half);
        if (middle) z = 0.0L;  // the odd rule has the node 0 by symmetry
        real dp = 0.0L;
        for (int iter = 0; iter < 100 && !middle; ++iter) {
            const real p = legendre(z, dp);
            const real dz = p / dp;
            z -= dz;
            if (std::fabs(dz) <= 4.0L * eps * std::fabs(z)) break;
        }
        legendre(z, dp);
        const real w = 2.0L / ((1.0L - z * z) * dp * dp);
        xi[k - 1] = -static_cast<double>(z);
        xi[n - k] = static_cast<double>(z);
        wi[n - k] = static_cast<double>(w);
        wi[k - 1] = static_cast<double>(w);
    }
}

}  // namespace kavrin
