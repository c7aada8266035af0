// The observables of the experiments' tables from the virtual-photon cross sections of a point.
#include "kavrin/measured.hpp"

#include <cmath>
#include <limits>
#include <numbers>

#include "kernel/constants.hpp"
#include "kernel/units.hpp"
#include "kinematics/kinematics.hpp"
#include "observables/cross_sections.hpp"

namespace kavrin {

namespace {
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double two_pi = 2.0 * std::numbers::pi;
}  // namespace

double target_mass_gev(Channel channel) {
    const bool neutron = channel == Channel::pi_minus_p || channel == Channel::pi0_n;
    return units::mev_to_gev(neutron ? neutron_mass : proton_mass);
}

double xb_of(double w, double q2, double m) { return xb_of_w(w, q2, m); }

double w_of(double q2, double xb, double m) { return w_of_xb(q2, xb, m); }

double epsilon_of_beam(double q2, double xb, double e_beam, double m) {
    if (!(xb > 0.0 && xb <= 1.0) || !(q2 >= 0.0) || !std::isfinite(e_beam) || !std::isfinite(q2)) return nan;
    const double nu = q2 / (2.0 * m * xb);  // photon energy in the target's rest frame
    if (!(e_beam > nu) || !(4.0 * e_beam * (e_beam - nu) > q2)) return nan;  // no electron scatters so
    const double eps = epsilon_of_beam_energy(q2, nu, e_beam);
    return eps >= 0.0 && eps <= 1.0 ? eps : nan;
}

double virtual_photon_flux(double q2, double xb, double e_beam, double m, double eps) {
    if (!(eps >= 0.0 && eps < 1.0)) return nan;
    return alpha_em / (8.0 * std::numbers::pi) * q2 / (m * m * e_beam * e_beam) * (1.0 - xb) / (xb * xb * xb) /
           (1.0 - eps);
}

Measured measured(const Observables& point, double eps, double phi, double e_beam, double m) {
    Measured r;
    if (!(eps >= 0.0 && eps <= 1.0)) return r;
    const CrossSections& x = point.dsigma_dt;
    r.sigma0 = x.t + eps * x.l;
    r.sigma_ltp_over_sigma0 = x.ltp / r.sigma0;
    r.alu_sinphi = std::sqrt(2.0 * eps * (1.0 - eps)) * r.sigma_ltp_over_sigma0;
    if (std::isnan(phi)) return r;
    // sigma_0 + sqrt(2 eps (1 + eps)) sigma_LT cos(phi) + eps sigma_TT cos(2 phi): the unpolarized phi dependence
    const double unpolarized =
        r.sigma0 + std::sqrt(2.0 * eps * (1.0 + eps)) * x.lt * std::cos(phi) + eps * x.tt * std::cos(2.0 * phi);
    const double helicity = std::sqrt(2.0 * eps * (1.0 - eps)) * x.ltp * std::sin(phi);
    r.alu = helicity / unpolarized;
    r.d2sigma_dt_dphi = unpolarized / two_pi;
    r.d2sigma_dt_dphi_helicity = helicity / two_pi;
    if (std::isnan(e_beam)) return r;
    r.d4sigma = virtual_photon_flux(point.q2, xb_of(point.w, point.q2, m), e_beam, m, eps) * r.d2sigma_dt_dphi;
    return r;
}

}  // namespace kavrin
