// Settings the library tests start from, and the Gauss-Legendre table of the source tree.
#pragma once

#include <string>

#include "kavrin/regge.hpp"

namespace kavrin::fixtures {

/// The table shipped in data/integral.
inline const std::string table_file = std::string(KAVRIN_SOURCE_DIR) + "/data/integral/gauss-legendre100.dat";

/// kavrin-regge's typical physics: gamma* p -> pi+ n, dipole form factors (1.55 GeV) with F2, pion cut-off
/// 775 MeV, positive a1 coupling, epsilon 0.5.
inline regge::Options pip_dipole() {
    using namespace regge;
    Options o;
    o.channel = Channel::pi_plus_n;
    o.form_factors = FormFactors::dipole;
    o.nucleon_cutoff_gev = 1.55;
    o.pauli_terms = true;
    o.pion_cutoff_mev = 775.0;
    o.a1_sign = A1Sign::positive;
    o.epsilon = 0.5;
    return o;
}

}  // namespace kavrin::fixtures
