// The Regge model of kavrin-regge: gamma* N -> pi N' from nucleon Born terms and reggeized pi, rho, omega,
// a1, b1, h1 and a2 exchanges, with dipole or GPD-based nucleon form factors. The model is set up once from
// its settings, then once per (W, Q^2) (frame and nucleon form factors), then evaluated per pion angle.
// Energies in MeV, Q^2 and t in MeV^2 inside; evaluate() is pure (no I/O, no heap allocation, no shared
// state) and may be called from several threads at once.
#pragma once

#include <array>
#include <cstdint>

#include "amplitudes/born.hpp"
#include "amplitudes/meson_vertices.hpp"
#include "formfactors/gpd.hpp"
#include "kavrin/regge.hpp"
#include "kernel/constants.hpp"
#include "kernel/dirac.hpp"
#include "kinematics/kinematics.hpp"
#include "observables/cross_sections.hpp"
#include "propagators/regge.hpp"

namespace kavrin::regge::internal {

// ---- fixed constants ----------------------------------------------------------------------------

/// pi of every formula of the model (single precision 3.1415927).
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

/// Elementary charge sqrt(4 pi/137.036) with pi and 137.036 in single precision.
double elementary_charge();

// ---- channel tables -----------------------------------------------------------------------------

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
    Signature php, phv, phw_nexd, phw_exd, pha, phb, phh, pht;  ///< signature factors
    bool s_f1, s_f2, u_f1, u_f2;      ///< which Born terms receive F1 and F2
    DipoleNucleon dipole;             ///< dipole form factors used
    bool gpd_kappa_recoil;            ///< GPD F2 normalized with kpf (else kpi)
};

/// Channel data of a reaction.
const ChannelData& channel_data(Channel channel);

// ---- one kinematic point ------------------------------------------------------------------------

/// Four-momenta and invariants of a point, with its frame and angle.
struct PointKinematics : PointMomenta {
    CmFrame frame;
    double theta = 0;
};

/// Kinematics at pion angle theta (radians).
PointKinematics point_kinematics(const CmFrame& frame, double theta);

/// Nucleon Dirac and Pauli form factors of the channel at one Q^2 (F2 already switched off where asked).
struct NucleonFactors {
    cplx f1t, f2t;
};

/// The nucleon form factors of the s- and u-channel pole terms (F1(0) = f10t of the gauge-restoring vertex).
struct PoleFormFactors {
    cplx f10t, fs1, fs2, fu1, fu2;
};

/// Form factors and reggeized propagators of a point.
struct PointFactors {
    cplx f1t, f2t;                              ///< nucleon F1, F2 (the pole terms take PoleFormFactors of them)
    cplx ftp_em, ftp_em0, ftv_em, ftw_em, fta_em, ftb_em, fth_em, ftt_em;
    double ap, av, aw, aa, ab, ah, at;          ///< Regge trajectories
    cplx php, phv, phw, pha, phb, phh, pht;     ///< signature phases
    cplx ftp_h, ftv_h, ftw_h, fta_h, ftb_h, fth_h, ftt_h;  ///< (t - m^2) times the Regge propagator (0 where the channel lacks the exchange)
    cplx fs_t, fu_t;                            ///< hadronic factor of the nucleon pole terms
};

/// What the total amplitude of a point shares between the three photon polarizations: the factors of each term
/// that do not depend on the polarization and the u-channel nucleon propagator numerator.
struct PolarizationShared {
    double ec = 0;                      ///< elementary charge
    DiracMatrix nproj_u;                ///< qu-slash + M_f
    cplx pole_s, pole_u;                ///< ec ff_h/(s - M_i^2), ec ff_h/(u - M_f^2)
    cplx rho, omega, a2, a1, b1, h1;    ///< factors of the exchanges (coupling, Regge factor, e.m. form factor, pole)
    Spin2Numerator a2_numerator;        ///< the spin-2 numerator of the a2 at qt (charged channels)
};

/// The photon side of the amplitude, the same at every pion angle of one (W, Q^2): the polarization (one, or the
/// three side by side with C = Lanes), the photon-nucleon vertex of the u-channel pole term and the s-channel chain
/// i gpnn gamma5 (qs-slash + M_i) vertex (qs = k1 + p1 does not depend on the angle).
/// A vertex with neither charge nor form factor (the u channel of pi+ n, the s channel of pi- p) is zero in every
/// entry: where `u_vanishes` (`s_vanishes`) it, or the chain, is not made, and a point that keeps its term makes it.
template <class C>
struct PhotonSide {
    BasicFourVector<C> ep;
    BasicDiracMatrix<C> vgnn_u, s_chain;
    bool u_vanishes = false, s_vanishes = false;
};

/// What every point at one (W, Q^2) shares: the frame, the nucleon form factors and the photon side of the three
/// polarizations. Made once for a series of angles.
struct FrameSetup {
    CmFrame frame;
    NucleonFactors nf;
    PhotonSide<Lanes> photons;
};

/// What a point is evaluated for: every observable bit for bit, amplitudes included; or the cross sections (and
/// what is made of them: ratios, asymmetries, DDS), which do not depend on the sign of a zero part of an amplitude,
/// so that a pole term that is zero in every entry is left out at every point (an amplitude part that comes out
/// zero may then carry the other sign).
enum class Evaluation { everything, cross_sections };

/// Everything the model evaluates at one point, before it becomes the library's Observables.
struct PointResult {
    PointKinematics kin;
    SpinPairAmplitudes amplitudes{};
    CrossSections domega;  ///< dsigma/dOmega, microbarn/sr or nanobarn/sr
};

/// The model of one set of settings with everything fixed before a scan.
class Model {
public:
    /// GPD form factors use the table (unused otherwise).
    Model(const Settings& settings, const GaussLegendreTable& table);

    const Settings& settings() const noexcept { return settings_; }
    const ChannelData& channel() const noexcept { return channel_; }

    /// The centre-of-mass frame of the channel at W = w (MeV), Q^2 = qq (MeV^2).
    CmFrame frame(double w, double qq) const;
    /// The nucleon form factors at Q^2 = qq (MeV^2): GPD-based or dipole, by the settings.
    NucleonFactors nucleon_form_factors(double qq) const;
    /// The same, remembering the last Q^2 of the calling thread for this model: a series of points at one
    /// Q^2 integrates the GPD form factors once. Each thread has its own entry (no lock, no allocation).
    NucleonFactors nucleon_form_factors_cached(double qq) const;
    /// The nucleon form factors of the pole terms: F1 and F2 where the channel's pole terms take them.
    PoleFormFactors pole_form_factors(const NucleonFactors& nf) const;
    /// Form factors, trajectories, phases and Regge factors at the point.
    PointFactors point_factors(const PointKinematics& kin, const NucleonFactors& nf) const;
    /// The photon side of polarization ep (or of the three side by side) in the frame; `leave_vanishing`: without
    /// the vertices that vanish.
    template <class C>
    PhotonSide<C> photon_side(const CmFrame& frame, const NucleonFactors& nf, const BasicFourVector<C>& ep,
                              bool leave_vanishing = false) const;
    /// The work shared by every angle at (W, Q^2) of the frame; `every_term`: with the vertices that vanish, for
    /// points that keep every term (see `may_leave_out`).
    FrameSetup setup(const CmFrame& frame, const NucleonFactors& nf, bool every_term = false) const;
    /// Whether a point at theta can leave out a pole term that is zero in every entry and keep its amplitudes bit
    /// for bit: not forward (theta = 0) nor for a real photon (Q^2 = 0), where amplitudes have zero parts.
    static bool may_leave_out(const CmFrame& frame, double theta);
    /// The Dirac matrix Gamma of the total amplitude for photon polarization ep: M(spins) = u2b Gamma u1.
    DiracMatrix total_amplitude_matrix(const PointKinematics& kin, const PointFactors& f, const FourVector& ep) const;

    /// The parts of the total amplitude shared by the photon polarizations.
    PolarizationShared polarization_shared(const PointKinematics& kin, const PointFactors& f) const;
    /// total_amplitude_matrix(kin, f, ep) from the shared parts: the same numbers; with the photon side of the
    /// three polarizations (Lanes), the three matrices at once. `leave_out_zero`: without the pole term whose vertex
    /// vanishes, for a caller that has found its factor and propagator finite (the term is then zero in every
    /// entry, and leaving it out changes at most the sign of a part that comes out zero).
    template <class C>
    BasicDiracMatrix<C> total_amplitude_matrix(const PointKinematics& kin, const PointFactors& f,
                                               const PolarizationShared& sh, const PhotonSide<C>& ps,
                                               bool leave_out_zero = false) const;

    /// Amplitudes and cross sections at pion angle theta (radians).
    PointResult evaluate_point(const FrameSetup& setup, double theta,
                               Evaluation evaluation = Evaluation::everything) const;
    PointResult evaluate_point(const CmFrame& frame, const NucleonFactors& nf, double theta) const;
    /// The same as the library's observables, with the DDS where the settings determine it.
    Observables evaluate(const FrameSetup& setup, double theta, Evaluation evaluation = Evaluation::everything) const;
    Observables evaluate(const CmFrame& frame, const NucleonFactors& nf, double theta) const;

private:
    /// The trajectories, signature phases and Regge factors (t - m^2) P of the point (f.ap ... f.ftt_h).
    void regge_factors(const PointKinematics& kin, PointFactors& f) const;
    /// The photon-nucleon vertex of the s- or u-channel pole term (gauge-restoring in the charged channels, plain in
    /// the neutral ones), and whether it vanishes (charged channels); the s-channel chain
    /// i gpnn gamma5 (qs-slash + M_i) vertex.
    template <class C>
    BasicDiracMatrix<C> pole_vertex(const CmFrame& frame, const PoleFormFactors& p, const BasicPhotonSlashes<C>& ph,
                                    const DiracMatrix& k1s, bool s_channel) const;
    template <class C>
    bool pole_vertex_vanishes(const CmFrame& frame, const PoleFormFactors& p, const BasicFourVector<C>& ep,
                              bool s_channel) const;
    template <class C>
    BasicDiracMatrix<C> s_chain(const CmFrame& frame, const BasicDiracMatrix<C>& vgnn_s) const;

    Settings settings_;
    ChannelData channel_;
    double ggap_ = 0;         ///< a1 photocoupling with the chosen sign
    Signature phw_ = Signature::zero;  ///< omega signature of the chosen phase
    double ec_ = elementary_charge();  ///< the elementary charge, made once
    double cutp_em_ = 0;      ///< pion e.m. cut-off, MeV
    double cutw_em_ = 775.0;  ///< omega e.m. cut-off, MeV
    GaussLegendre100 gl_;     ///< quadrature of the GPD form factors
    GpdNormalization norm_;   ///< GPD normalization integrals (GPD form factors only)
    std::uint64_t id_;        ///< tells the models apart in the per-thread form-factor entry
};

/// The DDS of the convention d at azimuth phi (radians) from the point's dsigma/dOmega.
double dds_at(const Dds& d, Channel channel, double eps, const CrossSections& domega, double phi);

}  // namespace kavrin::regge::internal
