// The Regge model of kavrin-regge at one kinematic point: four-momenta, form factors, reggeized
// propagators, the twelve helicity amplitudes and the virtual-photon cross sections.
//
// evaluate_point() is a pure function of the run model and (W, Q^2, theta): no I/O, no global state,
// no heap allocation; it may be called from several threads at once.
#pragma once

#include <array>

#include "formfactors/gpd.hpp"
#include "kernel/constants.hpp"
#include "kernel/dirac.hpp"
#include "kinematics/kinematics.hpp"
#include "program_a/settings.hpp"

namespace kavrin::program_a {

// ---- fixed constants ----------------------------------------------------------------------------

/// pi of every formula of the program (single precision 3.1415927).
inline constexpr double pi = pi_single;

inline constexpr double proton_m = proton_mass;
inline constexpr double neutron_m = neutron_mass;
inline constexpr double a1_m = 1230.0;
inline constexpr double b1_m = 1229.5;
inline constexpr double a2_m = double(1318.3f);
inline constexpr double h1_m = 1170.0;
inline constexpr double omega_m = double(782.651f);
inline constexpr double a1ms = a1_m * a1_m;
inline constexpr double b1ms = b1_m * b1_m;
inline constexpr double a2ms = a2_m * a2_m;
inline constexpr double omegams = omega_m * omega_m;
inline constexpr double h1ms = h1_m * h1_m;

/// Meson e.m. form-factor cut-offs (MeV) of the rho, a1, b1, h1 and a2 exchanges.
inline constexpr double cutv_em = 782.0;
inline constexpr double cuta_em = 775.0;
inline constexpr double cutb_em = 782.0;
inline constexpr double cuth_em = 775.0;
inline constexpr double cutt_em = 1450.0;

/// Couplings common to all channels.
inline constexpr double gpnn = double(13.4f);              ///< pseudoscalar piNN
inline constexpr double ggtp = 5.519999604075565e-07;      ///< a2 photocoupling
inline constexpr double gt1_lit = double(2.8f);            ///< a2NN coupling times the target mass
inline constexpr double gt2nn = 0.0;                       ///< second a2NN coupling
inline constexpr double ggap_abs = 0.0003160000196658075;  ///< |a1 photocoupling|
inline constexpr double gavnn = double(6.7f);              ///< a1NN
inline constexpr double ggwp = double(0.000723f);          ///< omega photocoupling
inline constexpr double gwnn = double(15.6f);              ///< omegaNN vector coupling
inline constexpr double gtwnn = 0.0;                       ///< omegaNN tensor coupling
inline constexpr double gghp = double(0.000405f);          ///< h1 photocoupling
inline constexpr double gthnn = -9.0;                      ///< h1NN
inline constexpr double gvnn = double(2.6f);               ///< rhoNN vector coupling
inline constexpr double gtvnn = double(16.12f);            ///< rhoNN tensor coupling
inline constexpr double gtbnn = -14.0;                     ///< b1NN
inline constexpr double etau = double(1.713f);             ///< GPD E_u exponent
inline constexpr double etad = double(0.566f);             ///< GPD E_d exponent
inline constexpr double ku = double(1.673f);               ///< u-quark anomalous moment
inline constexpr double kd = double(-2.033f);              ///< d-quark anomalous moment
/// GPD slope of the neutral channels, GeV^-2 (single precision 0.3).
inline constexpr double neutral_gpd_alp = double(0.3f);
/// Nucleon cut-off of the neutral channels when their Born terms are off, GeV (single precision 1.55).
inline constexpr double neutral_cut_f = double(1.55f);

/// Elementary charge sqrt(4 pi/137.036) with pi and 137.036 in single precision.
double elementary_charge();

// ---- channel tables -----------------------------------------------------------------------------

/// Signature factor of one Regge exchange, E(alpha) = exp(-i pi alpha).
enum class Phase { zero, one, minus_one, e, minus_e, half_e_minus_1, minus_half_e_minus_1 };

/// Which dipole routines give the nucleon form factors: proton F1, F2 at the target or recoil mass,
/// or the neutron F2 alone.
enum class DipoleNucleon { proton_target, proton_recoil, neutron_recoil };

/// Everything that differs between the four reactions.
struct ChannelData {
    double ibm, fbm, fmm, rho_m;      ///< target, recoil, pion and rho masses, MeV
    bool charged;                     ///< charged pion: sqrt2 (s + u + pi + rho + a2 + a1 + b1)
    double chs_t, chu_t, cht_t;       ///< charges of the s-channel nucleon, u-channel nucleon, t-channel pion
    double kpi, kpf;                  ///< anomalous moments of target and recoil
    double ggvp, ggbp;                ///< rho and b1 photocouplings
    Phase php, phv, phw_nexd, phw_exd, pha, phb, phh, pht;  ///< signature factors
    bool s_f1, s_f2, u_f1, u_f2;      ///< which Born terms receive F1 and F2
    DipoleNucleon dipole;             ///< dipole form factors used
    bool gpd_kappa_recoil;            ///< GPD F2 normalized with kpf (else kpi)
};

/// Channel data of reaction gtype (1..4; the dialogue admits no other value, which would give channel 1).
const ChannelData& channel_data(int gtype);

// ---- the run model ------------------------------------------------------------------------------

/// The settings of a run and everything fixed before its scan.
struct Model {
    Settings settings;
    ChannelData channel;
    double ec = 0;         ///< elementary charge
    double ggap = 0;       ///< a1 photocoupling with the answered sign
    GaussLegendre100 gl;   ///< quadrature of the GPD form factors
    GpdNormalization norm; ///< GPD normalization integrals (GPD form factors only)
};

/// The model of a run: channel tables, a1 sign and, for GPD form factors, the normalization on gl.
Model make_model(const Settings& settings, const GaussLegendre100& gl);

// ---- one kinematic point ------------------------------------------------------------------------

/// Centre-of-mass quantities at one (W, Q^2), before the pion angle is fixed.
struct Frame {
    CmFrame cm;
    double t0 = 0;   ///< t at theta = 0
    double t00 = 0;  ///< t at theta = 90 degrees
};

/// The frame of (W, Q^2) = (w, qq) in MeV, MeV^2 for the model's channel.
Frame make_frame(const Model& model, double w, double qq);

/// Four-momenta and invariants of a scan point.
struct PointKinematics {
    Frame frame;
    double theta = 0;
    Momenta mom;
    FourVector qs, qt, qu, qp, cqt;
    cplx s, t, u;
};

/// Kinematics at pion angle theta (radians).
PointKinematics point_kinematics(const Frame& frame, double theta);

/// Nucleon Dirac and Pauli form factors of the channel at one Q^2 (F2 already switched off where asked).
struct NucleonFactors {
    cplx f1t, f2t;
};

/// The nucleon form factors at Q^2 = qq (MeV^2): GPD-based or dipole, by the settings.
NucleonFactors nucleon_form_factors(const Model& model, double qq);

/// Form factors and reggeized propagators of a scan point.
struct PointFactors {
    cplx f1t, f2t, f10t;
    cplx fs1, fs2, fu1, fu2;
    cplx ftp_em, ftp_em0, ftv_em, ftw_em, fta_em, ftb_em, fth_em, ftt_em;
    double ap, av, aw, aa, ab, ah, at;          ///< Regge trajectories
    cplx php, phv, phw, pha, phb, phh, pht;     ///< signature phases
    cplx ftp_h, ftv_h, ftw_h, fta_h, ftb_h, fth_h, ftt_h;  ///< (t - m^2) times the Regge propagator
    cplx fs_t, fu_t;                            ///< hadronic factor of the nucleon pole terms
};

/// Form factors, trajectories, phases and Regge factors at the point; nf = nucleon_form_factors at its Q^2.
PointFactors point_factors(const Model& model, const PointKinematics& kin, const NucleonFactors& nf);

/// The Dirac matrix Gamma of the channel's total amplitude for photon polarization ep:
/// M(spins) = u2b Gamma u1.
DiracMatrix total_amplitude_matrix(const Model& model, const PointKinematics& kin, const PointFactors& f,
                                   const FourVector& ep);

/// Amplitudes of one nucleon spin pair for photon helicity +1, 0 and -1.
struct HelicitySet {
    cplx mep1, me0, mem1;
};

/// The five bilinear response sums over the nucleon spin pairs.
struct ResponseSums {
    cplx sl_sum, st_sum, stt_sum, stl_sum, stlp_sum;
};

/// Everything computed at one scan point. Cross sections are dsigma/dOmega in mub/sr or nb/sr.
struct PointResult {
    double w = 0, qq = 0, theta = 0;  ///< MeV, MeV^2, radians
    double k = 0, p = 0;              ///< photon and pion CM momenta, MeV
    double t = 0;                     ///< Re t of the momenta, MeV^2
    double t0 = 0, t00 = 0;           ///< t at theta = 0 and 90 degrees, MeV^2
    double kcm = 0, pf1 = 0, pf2 = 0, pf3 = 0, pf = 0;  ///< normalization factors
    double dst = 0, dsl = 0, dstt = 0, dslt = 0, dsltp = 0, dsu = 0;
    double dsdt_factor = 0;           ///< dsigma/dt = dsigma/dOmega times this: pi/(k p) 1e6
    double lt_ratio = 0;              ///< dsl/dst
    double bsa = 0;                   ///< dsltp/dsu
    /// Helicity amplitudes of the spin pairs (target, recoil) = (up, up), (up, down), (down, up), (down, down).
    std::array<HelicitySet, 4> amplitudes{};
    ResponseSums sums;
};

/// Amplitudes, response sums and cross sections at W = w (MeV), Q^2 = qq (MeV^2), pion angle theta.
PointResult evaluate_point(const Model& model, double w, double qq, double theta);
/// The same with the nucleon form factors of this Q^2 computed beforehand (nf = nucleon_form_factors(model, qq)),
/// as a scan does once per Q^2.
PointResult evaluate_point(const Model& model, const NucleonFactors& nf, double w, double qq, double theta);

/// The response sums turned into cross sections (fills the normalization and cross-section fields).
void observables(const Model& model, PointResult& r);

/// The DDS of the model's convention at azimuth phi (radians), from the point's cross sections.
double dds_at(const Settings& settings, const PointResult& r, double phi);
/// The same at phi in degrees (as answered): dds_at(settings, r, phi_deg pi/180).
double dds_value(const Settings& settings, const PointResult& r, double phi_deg);

/// The DDS of the phi scans at phi (radians): dsu + eps dstt cos 2phi + C dslt cos phi, with
/// C = sqrt(2 eps (eps + 1)) for DDS types 1 and 5 and sqrt(eps (eps + 1)/2) for the others.
double dds_phi_scan_at(int dds_type, double el, double dsu, double dstt, double dslt, double phi);
/// The same from the settings and the point at phi in degrees.
double dds_phi_scan_value(const Settings& settings, const PointResult& r, double phi_deg);

}  // namespace kavrin::program_a
