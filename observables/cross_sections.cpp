#include "observables/cross_sections.hpp"

#include <cmath>
#include <limits>

#include "kernel/constants.hpp"
#include "kernel/units.hpp"
#include "kinematics/wave_functions.hpp"

namespace kavrin {

// The spinors once, and the row u2b Gamma once per recoil spin for the three polarizations.
SpinPairAmplitudes spin_pair_amplitudes(const BasicDiracMatrix<Lanes>& gamma, const FourVector& p1, double m_i,
                                        const FourVector& p2, double m_f) {
    const std::array<DiracSpinor, 2> u1{z_spinor(p1, m_i, 1), z_spinor(p1, m_i, 2)};
    const std::array<DiracSpinor, 2> u2b{ub(z_spinor(p2, m_f, 1)), ub(z_spinor(p2, m_f, 2))};
    SpinPairAmplitudes amps{};
    for (std::size_t j = 0; j < 2; ++j) {
        const BasicDiracSpinor<Lanes> row = vxm(u2b[j], gamma);
        for (std::size_t i = 0; i < 2; ++i) {
            const Lanes m = vxv(row, u1[i]);
            amps[2 * i + j] = {m[0], m[1], m[2]};
        }
    }
    return amps;
}

ResponseSums response_sums(const SpinPairAmplitudes& amps) {
    ResponseSums r{};
    for (const HelicitySet& a : amps) {
        const cplx cp = std::conj(a.mep1), c0 = std::conj(a.me0), cm = std::conj(a.mem1);
        r.sl_sum += c0 * a.me0;
        r.st_sum += cp * a.mep1 + cm * a.mem1;
        r.stt_sum += cm * a.mep1 + cp * a.mem1;
        r.stl_sum += cp * a.me0 + c0 * a.mep1 - cm * a.me0 - c0 * a.mem1;
        r.stlp_sum += cp * a.me0 - c0 * a.mep1 - cm * a.me0 + c0 * a.mem1;
    }
    return r;
}

double cross_section_factor(const CmFrame& f, CrossSectionUnit unit) {
    const double w = f.w;
    const double kcm = (w * w - f.m1 * f.m1) / (2.0 * w);
    const double pf1 = f.p / kcm;
    const double four_pi_w = 4.0 * pi_single * w;
    const double pf2 = f.m1 * f.m2 / (four_pi_w * four_pi_w);
    // 10^3 (microbarn) or 10^6 (nanobarn) per millibarn, the power formed in single precision
    const double pf3 = double(std::pow(10.0f, 3.0f * static_cast<float>(static_cast<int>(unit)))) * hbarc2_mev2_mb;
    return pf1 * pf2 * pf3;
}

CrossSections separated_cross_sections(const ResponseSums& s, const CmFrame& f, CrossSectionUnit unit,
                                       double ltp_sign, std::optional<double> epsilon) {
    const double pf = cross_section_factor(f, unit);
    CrossSections x;
    x.l = 0.5 * pf * s.sl_sum.real();
    x.t = 0.25 * pf * s.st_sum.real();
    x.tt = -0.25 * pf * s.stt_sum.real();
    x.lt = -0.25 * pf * s.stl_sum.real() / sqrt2_single;
    x.ltp = ltp_sign * 0.25 * pf * s.stlp_sum.imag() / sqrt2_single;
    // a real photon: no longitudinal response (exact zeros, unsigned); below threshold, or wherever the
    // point does not exist (dσT NaN), it has no value at all
    if (f.qq == 0.0) x.l = x.lt = x.ltp = std::isnan(x.t) ? std::numeric_limits<double>::quiet_NaN() : 0.0;
    x.u = epsilon ? *epsilon * x.l + x.t : std::numeric_limits<double>::quiet_NaN();
    return x;
}

double per_t(double x, const CmFrame& f) { return x * pi_single / (f.k * f.p) * 1.0e6; }

double dt_per_domega(const CmFrame& f) { return pi_single / (f.k * f.p) * 1.0e6; }

double beam_spin_asymmetry(AsymmetryRule rule, const CrossSections& domega, const CmFrame& f,
                           std::optional<double> beam_energy) {
    // a real photon: no dsigma_LT', so no asymmetry where the point exists
    if (f.qq == 0.0) return std::isnan(domega.t) ? std::numeric_limits<double>::quiet_NaN() : 0.0;
    switch (rule) {
        case AsymmetryRule::ltp_over_u: return domega.ltp / domega.u;
        case AsymmetryRule::minus_ltp_over_u: return -domega.ltp / domega.u;
        case AsymmetryRule::beam_energy: break;
    }
    if (!beam_energy) return std::numeric_limits<double>::quiet_NaN();
    // eps' = 1/(1 + 2 (nu^2 + Q^2)/(4 E (E - nu) - Q^2)), nu = Q^2/(2 M x_B)
    const double ee = *beam_energy, qq = f.qq;
    const double nu = qq / (2.0 * f.m1 * xb_of_w(f.w, qq, f.m1));
    const double el1 = epsilon_of_beam_energy(qq, nu, ee);
    const double dsu1 = el1 * domega.l + domega.t;
    return std::sqrt(2.0 * el1 * (1.0 - el1)) * domega.ltp / dsu1;
}

double epsilon_of_beam_energy(double qq, double nu, double e) {
    return 1.0 / (1.0 + 2.0 * (nu * nu + qq) / (4.0 * e * (e - nu) - qq));
}

double lt_coefficient_desy(double eps) { return std::sqrt(eps * 2.0 * (eps + 1.0)); }
double lt_coefficient_cornell(double eps) { return std::sqrt(eps * 0.5 * (eps + 1.0)); }

double phi_dependent_cross_section(const CrossSections& domega, double eps, double c, double phi) {
    return domega.u + eps * domega.tt * std::cos(2.0 * phi) + c * domega.lt * std::cos(phi);
}

Observables point_observables(const CmFrame& f, double theta, double t, const CrossSections& domega, double bsa,
                              const SpinPairAmplitudes& amps, CrossSectionUnit unit) {
    Observables o;
    o.w = units::mev_to_gev(f.w);
    o.q2 = units::mev2_to_gev2(f.qq);
    o.theta = theta;
    o.cos_theta = std::cos(theta);
    o.t = units::mev2_to_gev2(t);
    o.t0_minus_t = units::mev2_to_gev2(f.t_forward() - t);
    o.dt_per_domega = dt_per_domega(f);
    o.unit = unit;
    o.dsigma_domega = domega;
    o.dsigma_dt = {per_t(domega.t, f),  per_t(domega.l, f),   per_t(domega.tt, f),
                   per_t(domega.lt, f), per_t(domega.ltp, f), per_t(domega.u, f)};
    o.lt_ratio = domega.l / domega.t;
    o.bsa = bsa;
    for (std::size_t i = 0; i < 4; ++i) o.amplitudes[i] = {amps[i].mep1, amps[i].me0, amps[i].mem1};
    return o;
}

}  // namespace kavrin
