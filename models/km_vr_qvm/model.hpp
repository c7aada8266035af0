// The KM, VR and QVM models of kavrin-models at one kinematic point (W, Q^2, theta): couplings, Regge
// trajectories, phases and propagators from the tables of each model, the helicity amplitudes of the four
// nucleon spin pairs and the cross sections built from them. Energies in MeV, Q^2 and t in MeV^2 inside.
// Everything here is a pure function of its arguments (no I/O, no heap allocation, no shared state), so points
// may be evaluated from any number of threads.
#pragma once

#include <array>

#include "kavrin/models.hpp"
#include "kernel/constants.hpp"
#include "kernel/dirac.hpp"
#include "kinematics/kinematics.hpp"
#include "observables/cross_sections.hpp"
#include "propagators/regge.hpp"

namespace kavrin::models::internal {

/// Every pi of the models: the single-precision 3.1415927.
inline constexpr double pi = pi_single;
/// sqrt(2) of the charged-channel sum, single precision.
inline constexpr double sqrt2 = sqrt2_single;

/// Masses in MeV (the charged pion is 139.272 here; only rho_m is single precision).
namespace mass {
inline constexpr double photon_m = 0.0;
inline constexpr double proton_m = 938.272;
inline constexpr double neutron_m = 939.565;
inline constexpr double pion_m = 139.272;
inline constexpr double pi0_m = 134.9766;
inline constexpr double rho_m = double(775.11f);
inline constexpr double rho0_m = 775.26;
inline constexpr double omega_m = 782.65;
inline constexpr double a1_m = 1230.0;
inline constexpr double b1_m = 1229.5;
inline constexpr double h1_m = 1170.0;
inline constexpr double a2_m = 1318.2;
}  // namespace mass

/// Initial baryon, final baryon and final meson mass (MeV) of a channel.
struct ChannelMasses {
    double ibm, fbm, fmm;
    double ibms() const { return ibm * ibm; }
    double fbms() const { return fbm * fbm; }
    double fmms() const { return fmm * fmm; }
    /// Threshold W = fbm + fmm.
    double w_thresh() const { return fbm + fmm; }
};

/// The masses of channel c.
constexpr ChannelMasses channel_masses(Channel c) {
    switch (c) {
        case Channel::pi_plus_n: return {mass::proton_m, mass::neutron_m, mass::pion_m};
        case Channel::pi_minus_p: return {mass::neutron_m, mass::proton_m, mass::pion_m};
        default: break;
    }
    return {mass::proton_m, mass::proton_m, mass::pi0_m};
}


/// Elementary charge sqrt(4 pi/137.04), pi and 137.04 in single precision.
double elementary_charge();

/// Couplings of one channel and model; dimensioned couplings per MeV.
struct Couplings {
    double chs, chu, cht;          ///< charges of the s-channel nucleon, u-channel nucleon, t-channel pion
    double kappa_s, kappa_u;       ///< anomalous moments in the nucleon photon vertices
    double gpnn;                   ///< pi NN
    double ggvp, gvvnn, kappa_v;   ///< gamma pi rho, rho NN vector coupling and tensor-to-vector ratio
    double ggwp, gvwnn, kappa_w;   ///< the same for the omega
    double ggap, gva1nn;           ///< gamma pi a1, a1 NN
    double ggbp, gtb1nn;           ///< gamma pi b1, b1 NN
    double ggtp, gt1nn, gt2nn;     ///< gamma pi a2, the two a2 NN couplings
    double gghp, gth1nn;           ///< gamma pi h1, h1 NN
};

/// The coupling table entry of channel c and model m.
Couplings model_couplings(Channel c, ModelKind m);



/// Which nucleon form factor the pole terms carry.
enum class NucleonFormFactor { km, vr, dipole };

/// Everything fixed once per run by the channel, the model and the two cut-offs.
struct ModelConstants {
    Channel channel;
    ModelKind model;
    ChannelMasses m;
    Couplings g;
    double ec;                      ///< elementary charge
    double gts, gtu, gtv, gtw;      ///< kappa/(4 M) of the s, u, rho and omega vertices
    double cut_pion, cut_f1;        ///< GeV
    double cut_omega, cut_rho, cut_a1, cut_b1, cut_h1, cut_a2;  ///< GeV
    Trajectory pion, rho, a1, omega, b1, a2, h1;
    double pion_q2_slope_factor;    ///< 2.43: the Q^2/s dependence of the second pion slope
    Signature php, phpn, phv, pha, phb, pht, phw, phh;
    NucleonFormFactor nucleon_ff;
    bool km_propagators;            ///< regge_ff_km for the pi, rho, a1 and omega propagators
    bool vr_model_form_factors;     ///< the gpiff, gvff, ga1ff factors of VR
    /// Terms of the total amplitude.
    bool has_mtp, has_mtw, has_mtt, has_mt_a1, has_mt_b1, has_mt_h1;
    bool charged;                   ///< channels 1 and 2: sqrt2 (mu + ms + mtp + mtv + ...)
    bool poles_with_pion_propagator;  ///< nucleon poles carry the plain pion Regge factor (QVM), else the KM one
    AsymmetryRule bsa;              ///< how the model forms its beam-spin asymmetry
};

/// The constants of channel c and model m with the answered cut-offs (GeV).
ModelConstants model_constants(Channel c, ModelKind m, double cut_pion, double cut_f1);

/// The spin-independent quantities of one kinematic point: its momenta and invariants, then the factors.
struct PointFactors : PointMomenta {
    CmFrame frame;
    cplx fp_f1, fp_f1u;           ///< nucleon form factors (s and u channel)
    cplx fqq_pion, fqq_rho, fqq_a1, fqq_b1, fqq_a2, fqq_h1, fqq_omega;
    double ap, apn, av, aa1, aw, ab1, at, ah1;        ///< trajectories
    double aps, apns, avs, aa1s, aws, ab1s, ats, ah1s;  ///< slopes (MeV^-2)
    cplx php, phpn, phv, pha, phb, pht, phw, phh;
    cplx dp_fey, dpn_fey, dv_fey, da1_fey, dw_fey, db1_fey, dt_fey, dh1_fey, dpn_fey_km;
    cplx fs1, fu1, fs2, fu2;      ///< form-factor products of the s and u nucleon terms
    cplx ftp, ftv, ft_a1, ft_b1, ft_a2, ftw, ft_h1;   ///< form factor times Regge factor, t channel
    cplx gpiff, gvff, ga1ff;      ///< VR's multiplicative form factors (1 in KM and QVM)
};

/// Which Regge factors point_factors makes: those of every exchange, or only those that enter the amplitude
/// of the model and channel (the others left at zero; the amplitudes are the same).
enum class Exchanges { all, of_the_amplitude };

/// Kinematics, form factors, trajectories, phases and Regge factors at pion angle theta (radians) in the frame.
PointFactors point_factors(const ModelConstants& mc, const CmFrame& frame, double theta,
                           Exchanges exchanges = Exchanges::all);

/// The helicity amplitudes of the four nucleon spin pairs.
SpinPairAmplitudes helicity_amplitudes(const ModelConstants& mc, const PointFactors& f);

/// The total amplitude as a Dirac matrix for photon polarization index pol (1: helicity +1, 2: longitudinal,
/// 3: helicity -1): mtot = u2b . gamma_total . u1 for every pair of nucleon spinors.
DiracMatrix gamma_total(const ModelConstants& mc, const PointFactors& f, int pol);

/// The model of one set of settings: its constants fixed once, then evaluated per point.
class Model {
public:
    explicit Model(const Settings& settings);

    const Settings& settings() const noexcept { return settings_; }
    const ModelConstants& constants() const noexcept { return mc_; }

    /// The centre-of-mass frame of the channel at W = w (MeV), Q^2 = qq (MeV^2).
    CmFrame frame(double w, double qq) const;
    /// Observables at pion angle theta (radians) in the frame.
    Observables evaluate(const CmFrame& frame, double theta) const;

private:
    Settings settings_;
    ModelConstants mc_;
};

}  // namespace kavrin::models::internal
