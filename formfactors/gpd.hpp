// Nucleon form factors as first moments of valence GPDs: F1 = sum_q e_q int H_q dx, F2 = sum_q e_q int E_q dx / kappa,
// with a 100-point Gauss-Legendre rule on x in [0, 1] (nodes and weights given on [-1, 1]).
#pragma once

#include <array>

#include "kernel/dirac.hpp"

namespace kavrin {

/// Gauss-Legendre nodes and weights on [-1, 1].
struct GaussLegendre100 {
    std::array<double, 100> xi{};  ///< abscissas
    std::array<double, 100> wi{};  ///< weights
};

/// The four normalization integrals of the valence distributions.
struct GpdNormalization {
    double nu_f1 = 0;  ///< int u_v dx
    double nd_f1 = 0;  ///< int d_v dx
    double nu_f2 = 0;  ///< int u_v (1-x)^eta_u dx
    double nd_f2 = 0;  ///< int d_v (1-x)^eta_d dx
};

/// Dirac and Pauli form factors (imaginary parts zero).
struct NucleonFormFactors {
    cplx f1;
    cplx f2;
};

/// Normalization integrals on the same quadrature that gpd_nucl_ff uses.
GpdNormalization normalize_gpd(double eta_u, double eta_d, const GaussLegendre100& gl);

/// F1 and F2 (F2(0) = 1 when kappa is the returned nucleon's anomalous moment) for reaction gtype
/// (1..3 proton, 4 neutron; other values give zeros), Q^2 profile model 1..3, qq in MeV^2, alp in MeV^-2.
/// m does not enter the result.
NucleonFormFactors gpd_nucl_ff(int gtype, int model, double qq, const GaussLegendre100& gl, double alp, double eu,
                               double ed, double kappa, double m, double ku, double kd, const GpdNormalization& n);

/// Nodes and weights of the n-point Gauss-Legendre rule on [-1, 1] (Newton iteration on P_n), ascending.
void gauss_legendre_rule(int n, double* xi, double* wi);

}  // namespace kavrin
