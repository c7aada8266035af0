// The KM, VR and QVM models of kavrin-models at one kinematic point (W, Q^2, theta): couplings,
// Regge trajectories, phases and propagators, the helicity amplitudes of the four nucleon spin pairs and
// the cross sections built from them. Everything here is a pure function of its arguments (no I/O, no
// heap allocation, no shared state), so points may be evaluated from any number of threads.
#pragma once

#include <array>

#include "kernel/constants.hpp"
#include "kernel/dirac.hpp"
#include "kinematics/kinematics.hpp"
#include "program_b/settings.hpp"

namespace kavrin::program_b {

/// Every pi of the program: the single-precision 3.1415927.
inline constexpr double pi = pi_single;
/// sqrt(2) of the charged-channel sum and the LT cross sections, single precision.
inline constexpr double sqrt2 = sqrt2_single;
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

/// Linear trajectory alpha(t) = intercept + slope (t - t_shift), slope in MeV^-2.
struct Trajectory {
    double slope;
    double intercept;
    double t_shift;
    double operator()(double t) const { return intercept + slope * (t - t_shift); }
};

/// Signature factor of an exchange in terms of E(alpha) = exp(-i pi alpha).
enum class Phase { zero, one, minus_one, sig, minus_sig, half_sig_minus_one, minus_half_sig_minus_one };
/// The phase factor p evaluated on the trajectory value alpha.
cplx phase_value(Phase p, double alpha);

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
    Phase php, phpn, phv, pha, phb, pht, phw, phh;
    NucleonFormFactor nucleon_ff;
    bool km_propagators;            ///< regge_ff_km for the pi, rho, a1 and omega propagators
    bool vr_model_form_factors;     ///< the gpiff, gvff, ga1ff factors of VR
    /// Terms of the total amplitude.
    bool has_mtp, has_mtw, has_mtt, has_mt_a1, has_mt_b1, has_mt_h1;
    bool charged;                   ///< channels 1 and 2: sqrt2 (mu + ms + mtp + mtv + ...)
};

/// The constants of channel c and model m with the answered cut-offs (GeV).
ModelConstants model_constants(Channel c, ModelKind m, double cut_pion, double cut_f1);

/// The spin-independent quantities of one kinematic point.
struct PointFactors {
    CmFrame frame;
    Momenta mom;                  ///< k1, p1, k2, p2
    FourVector qs, qu, qt, qp, cqt;
    cplx s, t, u;
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

/// Kinematics, form factors, trajectories, phases and Regge factors at W = w, Q^2 = qq (MeV, MeV^2) and
/// pion angle theta (radians).
PointFactors point_factors(const ModelConstants& mc, double w, double qq, double theta);

/// Amplitudes of one nucleon spin pair for photon helicity +1, 0 (longitudinal) and -1.
struct HelicitySet {
    cplx mep1, me0, mem1;
};

/// The helicity amplitudes of the spin pairs (initial, final) = (up, up), (up, down), (down, up), (down, down).
std::array<HelicitySet, 4> helicity_amplitudes(const ModelConstants& mc, const PointFactors& f);

/// The total amplitude as a Dirac matrix for photon polarization index pol (1: helicity +1, 2: longitudinal,
/// 3: helicity -1): mtot = u2b . gamma_total . u1 for every pair of nucleon spinors.
DiracMatrix gamma_total(const ModelConstants& mc, const PointFactors& f, int pol);

/// The five response sums of the four spin pairs.
struct ResponseSums {
    cplx sl_sum, st_sum, stt_sum, stl_sum, stlp_sum;
};
ResponseSums response_sums(const std::array<HelicitySet, 4>& amps);

/// Observables of one scan point. Cross sections are dsigma/dOmega in mub/sr.
struct PointResult {
    double w, qq, theta;   ///< MeV, MeV^2, radians
    double t;              ///< Re t (MeV^2)
    double t_max;          ///< t at theta = 0 (MeV^2)
    double k, p;           ///< CM momenta of photon and pion (MeV)
    double dst, dsl, dstt, dslt, dsltp;
    double dsu;            ///< el dsl + dst; NaN when epsilon was not asked
    double bsa;            ///< beam-spin asymmetry; NaN when the run does not determine it
    double ratio;          ///< dsl/dst
    std::array<HelicitySet, 4> amplitudes;

    /// dsigma/dOmega -> dsigma/dt in mub/GeV^2: x pi/(k p) 10^6.
    double per_t(double x) const { return x * pi / (k * p) * 1.0e6; }
};

/// The observables of one kinematic point from the run settings and its constants.
class Model {
public:
    explicit Model(const Settings& s);
    /// Observables at W = w (MeV), Q^2 = qq (MeV^2), theta (radians).
    PointResult evaluate(double w, double qq, double theta) const;
    const ModelConstants& constants() const { return mc_; }

private:
    Settings settings_;
    ModelConstants mc_;
};

/// One point evaluated from the settings alone.
PointResult evaluate_point(const Settings& s, double w, double qq, double theta);

}  // namespace kavrin::program_b
