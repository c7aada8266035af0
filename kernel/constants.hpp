// Numerical constants shared by both programs. Constants that the model defines as single-precision
// literals are written as float literals widened to double: the widened value is the one used.
#pragma once

namespace kavrin {

/// pi as the single-precision literal 3.1415927 (3.1415927410125732); every pi of the programs.
inline constexpr double pi_single = double(3.1415927f);
/// sqrt(2) in single precision (1.4142135381698608): the charged-channel amplitude factor and the LT factors.
inline constexpr double sqrt2_single = double(1.4142135f);
/// Regge energy scale s0 = 1 GeV^2 in MeV^2.
inline constexpr double regge_s0 = 1.0e6;
/// (hbar c)^2 in MeV^2 mb, single precision (389379.34375).
inline constexpr double hbarc2_mev2_mb = double(389379.34f);

/// Nucleon masses in MeV.
inline constexpr double proton_mass = 938.272;
inline constexpr double neutron_mass = 939.565;

}  // namespace kavrin
