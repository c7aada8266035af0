// The observables experiments publish, from the virtual-photon cross sections of one point: the beam-spin
// asymmetry at an azimuth phi and its sin(phi) moment, the phi-dependent cross section d2sigma/dt dphi and the
// fully differential d4sigma/dQ2 dxB dt dphi of the electron-scattering reaction e N -> e' pi N'.
//
//   const kavrin::Observables x = model.evaluate(2.2, 1.5, kavrin::Angle::minus_t(0.3));
//   const double eps = kavrin::epsilon_of_beam(1.5, x_b, 5.75, kavrin::target_mass_gev(channel));
//   const kavrin::Measured m = kavrin::measured(x, eps, phi, 5.75, kavrin::target_mass_gev(channel));
//   m.alu;   // A_LU(phi)
//
// Conventions (those of the experiments' tables):
//   - phi is the Trento angle between the lepton and the hadron plane, radians;
//   - dsigma_LT' has the sign of the library's Observables: the sign of the KM, VR and QVM models' files for every
//     model, so that a positive beam helicity h gives sigma_0 + ... + h sqrt(2 eps (1 - eps)) dsigma_LT' sin(phi);
//   - sigma_0 = dsigma_T + eps dsigma_L, every cross section per t (dsigma/dt), in the unit of the point.
#pragma once

#include "kavrin/observables.hpp"

namespace kavrin {

/// Fine-structure constant of the virtual-photon flux.
inline constexpr double alpha_em = 1.0 / 137.036;

/// Mass of the target nucleon of a channel, GeV (proton 0.938272, neutron 0.939565).
double target_mass_gev(Channel channel);

/// Bjorken x at W (GeV) and Q^2 (GeV^2) for a target of mass m (GeV): Q^2/(W^2 + Q^2 - m^2).
double xb_of(double w, double q2, double m);
/// W (GeV) at Q^2 (GeV^2) and x_B: sqrt(m^2 + Q^2 (1 - x_B)/x_B); NaN outside 0 < x_B < 1.
double w_of(double q2, double xb, double m);

/// Polarization of the virtual photon from the beam energy E (GeV):
/// eps = 1/(1 + 2 (nu^2 + Q^2)/(4 E (E - nu) - Q^2)), nu = Q^2/(2 m x_B).
/// NaN where the electron cannot scatter so (E <= nu, 4 E (E - nu) <= Q^2, x_B outside (0, 1], E not finite).
double epsilon_of_beam(double q2, double xb, double e_beam, double m);

/// Virtual-photon flux Gamma = (alpha/8 pi) Q^2/(m^2 E^2) (1 - x_B)/x_B^3 / (1 - eps), GeV^-2: the factor of
/// d4sigma/dQ^2 dx_B dt dphi over d2sigma/dt dphi.
double virtual_photon_flux(double q2, double xb, double e_beam, double m, double eps);

/// The measured observables of one point. NaN where the inputs they need are missing (NaN) or unphysical.
struct Measured {
    double sigma0 = Observables::not_computed;            ///< dsigma_T + eps dsigma_L, per GeV^2
    double alu = Observables::not_computed;               ///< A_LU at phi
    double alu_sinphi = Observables::not_computed;        ///< sqrt(2 eps (1 - eps)) dsigma_LT'/sigma_0
    double sigma_ltp_over_sigma0 = Observables::not_computed;  ///< dsigma_LT'/sigma_0
    double d2sigma_dt_dphi = Observables::not_computed;   ///< unpolarized d2sigma/dt dphi at phi, per GeV^2 per radian
    double d2sigma_dt_dphi_helicity = Observables::not_computed;  ///< the beam-helicity term per unit helicity, same unit
    double d4sigma = Observables::not_computed;           ///< d4sigma/dQ^2 dx_B dt dphi at phi, per GeV^4 per radian
};

/// The measured observables of `point` at polarization eps, Trento angle phi (radians; NaN: no phi) and beam energy
/// e_beam (GeV; NaN: no beam energy), for a target of mass m (GeV). Cross sections in the unit of the point.
Measured measured(const Observables& point, double eps, double phi, double e_beam, double m);

}  // namespace kavrin
