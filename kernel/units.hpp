// Units. The library computes in MeV (energies, masses, momenta) and MeV^2 (Q^2, s, t, u); its public API,
// the dialogues' answers and the result files are in GeV and GeV^2. These are the only conversions between
// the two, made where a value crosses that boundary.
#pragma once

namespace kavrin::units {

inline constexpr double mev_per_gev = 1000.0;
inline constexpr double mev2_per_gev2 = 1.0e6;

constexpr double gev_to_mev(double x) { return x * mev_per_gev; }
constexpr double gev2_to_mev2(double x) { return x * mev2_per_gev2; }
constexpr double mev_to_gev(double x) { return x / mev_per_gev; }
constexpr double mev2_to_gev2(double x) { return x / mev2_per_gev2; }

}  // namespace kavrin::units
