// Dipole-based electromagnetic form factors of the nucleon.
#include "formfactors/nucleon.hpp"

namespace kavrin {

namespace {

/// Proton magnetic moment mu_p = 2.793 (single precision).
constexpr double mup = double(2.793f);
/// Neutron electric-form-factor slope 5.6 (single precision) of GEn = -mu_n tau GD/(1 + 5.6 tau).
constexpr double alpa = double(5.6f);
/// Cut-off of the energy-dependent dipole: Lambda = vr_cut_slope (1 - m^2/s) + vr_cut_offset, in GeV.
/// The slope is the single-precision value one step above the float nearest 1.354.
constexpr double vr_cut_slope = 1.3540000915527344;
constexpr double vr_cut_offset = double(0.84f);

/// tau = Q^2/(4 m^2).
double tau_of(double qq, double m) { return qq / (4.0 * (m * m)); }

/// Dipole form factor GD = 1/(1 + Q^2/Lambda^2)^2 with Lambda in MeV.
double dipole(double qq, double cut) {
    const double d = 1.0 + qq / (cut * cut);
    return 1.0 / (d * d);
}

}  // namespace

// F1p = (GE + tau GM)/(1 + tau) with GE = GD, GM = mu_p GD.
cplx p_f1(double qq, double c, double m) {
    const double tau = tau_of(qq, m);
    const double cut = 1000.0 * c;
    const double gd = dipole(qq, cut);
    const double ge = gd;
    const double gm = mup * gd;
    return cplx((ge + tau * gm) / (1.0 + tau), 0.0);
}

// F2p = (GM - GE)/((1 + tau) kappa_p), kappa_p = mu_p - 1: equal to GD/(1 + tau).
cplx p_f2(double qq, double c, double m) {
    const double tau = tau_of(qq, m);
    const double cut = 1000.0 * c;
    const double gd = dipole(qq, cut);
    const double kapa = mup - 1.0;
    const double ge = gd;
    const double gm = mup * gd;
    return cplx((gm - ge) / ((1.0 + tau) * kapa), 0.0);
}

// F2n = (GMn - GEn)/(kappa_n (1 + tau)) = GD (1 + tau/(1 + 5.6 tau))/(1 + tau); mu_n = kappa_n cancels.
cplx n_f2(double qq, double c, double m) {
    const double tau = tau_of(qq, m);
    const double cut = 1000.0 * c;
    const double gd = dipole(qq, cut);
    const double cnst1 = 1.0 + tau;
    const double cnst2 = 1.0 + tau / (1.0 + alpa * tau);
    return cplx(gd * cnst2 / cnst1, 0.0);
}

// Dipole with the s-dependent cut-off Lambda_s = 1.354 (1 - m^2/Re s) + 0.84 GeV.
cplx vr_p_f1(cplx s, double qq, double m) {
    const double cut = vr_cut_slope * (1.0 - (m * m) / s.real()) + vr_cut_offset;
    const double cut1 = 1000.0 * cut;
    return cplx(dipole(qq, cut1), 0.0);
}

// Dipole with the u-dependent cut-off Lambda_u = 1.354 (1 - m^2/(2 m^2 - Re u)) + 0.84 GeV.
cplx vr_p_f1u(cplx u, double qq, double m) {
    const double cut = vr_cut_slope * (1.0 - (m * m) / (2.0 * (m * m) - u.real())) + vr_cut_offset;
    const double cut1 = 1000.0 * cut;
    return cplx(dipole(qq, cut1), 0.0);
}

}  // namespace kavrin
