// From the helicity amplitudes of the four nucleon spin pairs to the observables of one point, the same
// for every model: response sums, flux factor, the separated cross sections dsigma/dOmega and dsigma/dt,
// L/T, the beam-spin asymmetry and the phi-dependent cross section. Energies in MeV.
#pragma once

#include <array>
#include <optional>

#include "kavrin/observables.hpp"
#include "kernel/dirac.hpp"
#include "kinematics/kinematics.hpp"

namespace kavrin {

/// Amplitudes of one nucleon spin pair for photon helicity +1, 0 (longitudinal) and -1.
struct HelicitySet {
    cplx mep1, me0, mem1;
};

/// The helicity amplitudes of the spin pairs (target, recoil) = (up, up), (up, down), (down, up), (down, down).
using SpinPairAmplitudes = std::array<HelicitySet, 4>;

/// The amplitudes u2b(p2, recoil spin) Gamma u1(p1, target spin) of the four spin pairs, from the Dirac matrices Gamma
/// of the photon polarizations +1, longitudinal and -1 side by side; m_i, m_f the target and recoil masses.
SpinPairAmplitudes spin_pair_amplitudes(const BasicDiracMatrix<Lanes>& gamma, const FourVector& p1, double m_i,
                                        const FourVector& p2, double m_f);

/// The five bilinear response sums over the four nucleon spin pairs.
struct ResponseSums {
    cplx sl_sum, st_sum, stt_sum, stl_sum, stlp_sum;
};

/// sl = sum |M0|^2, st = sum |M+|^2 + |M-|^2, stt = sum M-* M+ + M+* M-,
/// stl = sum M+* M0 + M0* M+ - M-* M0 - M0* M-, stlp = sum M+* M0 - M0* M+ - M-* M0 + M0* M-.
ResponseSums response_sums(const SpinPairAmplitudes& amps);

/// pf = (p/K) M1 M2/(4 pi W)^2 (hbar c)^2 10^(3 unit), K = (W^2 - M1^2)/(2W): dsigma/dOmega per response sum.
double cross_section_factor(const CmFrame& f, CrossSectionUnit unit);

/// How a model forms its beam-spin asymmetry.
enum class AsymmetryRule {
    ltp_over_u,        ///< BSA = dsigma_LT'/dsigma_U (the Regge model, VR)
    minus_ltp_over_u,  ///< BSA = -dsigma_LT'/dsigma_U (QVM)
    beam_energy,       ///< BSA = sqrt(2 eps'(1 - eps')) dsigma_LT'/(eps' dsigma_L + dsigma_T), eps' of the beam energy (KM)
};

/// dsigma/dOmega with pf = cross_section_factor(f, unit): L = pf Re sl/2, T = pf Re st/4, TT = -pf Re stt/4,
/// LT = -pf Re stl/(4 sqrt2), LT' = ltp_sign pf Im stlp/(4 sqrt2) and, with epsilon, U = eps L + T (NaN without).
/// A real photon (Q^2 = 0) has no longitudinal polarization: L, LT and LT' are 0 there, and U = T.
CrossSections separated_cross_sections(const ResponseSums& s, const CmFrame& f, CrossSectionUnit unit,
                                       double ltp_sign, std::optional<double> epsilon);

/// dsigma/dt of a dsigma/dOmega value x: x pi/(k p) 10^6 (per GeV^2 from per sr, k and p in MeV).
double per_t(double x, const CmFrame& f);
/// The factor pi/(k p) 10^6 itself.
double dt_per_domega(const CmFrame& f);

/// Beam-spin asymmetry of the rule; the beam-energy rule needs beam_energy (MeV), else NaN. 0 for a real
/// photon (Q^2 = 0), which has no dsigma_LT'.
double beam_spin_asymmetry(AsymmetryRule rule, const CrossSections& domega, const CmFrame& f,
                           std::optional<double> beam_energy);

/// Coefficient of dsigma_LT cos(phi) in the phi-dependent cross section: sqrt(2 eps (eps + 1)) (DESY, JLab,
/// the sum of kavrin-models) or sqrt(eps (eps + 1)/2) (Cornell, CEA).
/// Virtual-photon polarization of a beam of energy e at Q^2 = qq and photon energy nu (any one energy unit):
/// 1/(1 + 2 (nu^2 + Q^2)/(4 e (e - nu) - Q^2)), the formula as it stands (no check of the physical region).
double epsilon_of_beam_energy(double qq, double nu, double e);

double lt_coefficient_desy(double eps);
double lt_coefficient_cornell(double eps);

/// dsigma_U + eps dsigma_TT cos 2phi + c dsigma_LT cos phi, phi in radians.
double phi_dependent_cross_section(const CrossSections& domega, double eps, double c, double phi);

/// The observables of one point: kinematics (converted to GeV), dsigma/dOmega and dsigma/dt, L/T, BSA and
/// the amplitudes. t is the point's t (MeV^2) as computed from its momenta.
Observables point_observables(const CmFrame& f, double theta, double t, const CrossSections& domega, double bsa,
                              const SpinPairAmplitudes& amps, CrossSectionUnit unit);

}  // namespace kavrin
