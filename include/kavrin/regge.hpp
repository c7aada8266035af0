// The Regge model of kavrin-regge as a library: gamma* p -> pi+ n, gamma* n -> pi- p, gamma* p -> pi0 p and
// gamma* n -> pi0 n with dipole or GPD-based nucleon form factors, evaluated at any (W, Q^2, angle).
//
//   kavrin::regge::Options o;
//   o.channel = kavrin::regge::Channel::pi_plus_n;
//   o.form_factors = kavrin::regge::FormFactors::dipole;
//   o.nucleon_cutoff_gev = 1.55;
//   o.pauli_terms = true;
//   o.pion_cutoff_mev = 775.0;
//   o.a1_sign = kavrin::regge::A1Sign::positive;
//   o.epsilon = 0.5;
//   const kavrin::regge::Model model{kavrin::regge::Settings(o)};      // throws kavrin::InvalidSetting
//   const kavrin::Observables x = model.evaluate(2.22, 1.6, kavrin::Angle::minus_t(0.3));
//
// Units: W in GeV, Q^2 and -t in GeV^2, angles in radians (see <kavrin/observables.hpp>); the settings keep
// the units of the program's dialogue, written into their names (the pion and omega cut-offs in MeV).
// A Model is immutable once built: evaluate() and FixedWQ2::evaluate() are pure and may be called from any
// number of threads at once.
#pragma once

#include <array>
#include <complex>
#include <iosfwd>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "kavrin/observables.hpp"

namespace kavrin::regge {

/// The reaction: gamma* p -> pi+ n, gamma* n -> pi- p, gamma* p -> pi0 p or gamma* n -> pi0 n.
using Channel = kavrin::Channel;

/// The nucleon form factors of the Born terms.
enum class FormFactors : int {
    gpd = 1,     ///< first moments of valence GPDs (needs the Gauss-Legendre table)
    dipole = 2,  ///< dipole with the nucleon cut-off
};

/// Sign of the a1 photocoupling (charged channels).
enum class A1Sign : int { positive = 1, negative = 2 };

/// Regge phase of the omega exchange (neutral channels).
enum class OmegaPhase : int {
    non_degenerate = 1,  ///< nEXD
    degenerate = 2,      ///< EXD
};

/// Convention of the phi-dependent cross section (DDS).
enum class DdsType : int {
    desy = 1,              ///< dsigma_U + eps dsigma_TT cos 2phi + sqrt(2 eps (1 + eps)) dsigma_LT cos phi;
                           ///< averaged over 120..240 degrees for gamma* n -> pi- p
    cornell_fixed = 2,     ///< the same with sqrt(eps (1 + eps)/2)
    cornell_averaged = 3,  ///< Cornell averaged over phi
    cea = 4,               ///< Cornell form with given cos phi and cos 2phi (or those of a given phi)
    jlab = 5,              ///< the DESY form
};

/// The DDS convention and what it needs: phi for the conventions that use it, or the two cosines for CEA.
/// Without phi (and without cosines) the DDS of a phi-dependent convention is not determined; such settings
/// serve phi scans through phi_dependent_cross_section().
struct Dds {
    DdsType type = DdsType::desy;
    std::optional<double> phi;       ///< azimuth, radians: DESY (not gamma* n -> pi- p), Cornell fixed, CEA, JLab
    std::optional<double> cos_phi;   ///< CEA only, with cos_2phi, in [-1, 1]
    std::optional<double> cos_2phi;  ///< CEA only, with cos_phi, in [-1, 1]

    friend bool operator==(const Dds&, const Dds&) = default;
};

/// Whether the DDS convention takes phi: all but the Cornell average and DESY's average over 120..240
/// degrees in gamma* n -> pi- p.
bool dds_uses_phi(DdsType type, Channel channel);

/// What the kavrin-regge dialogue fixes for the physics. Each member is given exactly when the dialogue asks
/// it for the chosen channel and options, and left empty otherwise:
///
///   charged channels (pi+ n, pi- p): form_factors, gpd_slope_per_gev2 (GPD) or nucleon_cutoff_gev (dipole),
///                                     pauli_terms, pion_cutoff_mev, a1_sign;
///   neutral channels (pi0 p, pi0 n): omega_phase, omega_cutoff_mev, born_terms, and with the Born terms on
///                                     form_factors, nucleon_cutoff_gev (dipole only) and pauli_terms;
///   every channel:                    epsilon, unit, and dds for the phi-dependent cross section.
///
/// Settings(options) rejects a missing member, a member that does not apply, and a value out of range with
/// kavrin::InvalidSetting.
struct Options {
    std::optional<Channel> channel;
    std::optional<FormFactors> form_factors;
    std::optional<double> gpd_slope_per_gev2;  ///< GPD profile slope alpha, GeV^-2 (> 0); neutral channels use 0.3
    std::optional<double> nucleon_cutoff_gev;  ///< dipole cut-off of F1 and F2, GeV (> 0)
    std::optional<bool> pauli_terms;           ///< nucleon F2 (Pauli) terms on
    std::optional<double> pion_cutoff_mev;     ///< pion e.m. form-factor cut-off, MeV (> 0)
    std::optional<A1Sign> a1_sign;
    std::optional<OmegaPhase> omega_phase;
    std::optional<double> omega_cutoff_mev;    ///< omega e.m. form-factor cut-off, MeV (> 0)
    std::optional<bool> born_terms;            ///< nucleon s- and u-channel Born terms on
    std::optional<double> epsilon;             ///< virtual-photon polarization, 0 <= epsilon <= 1
    std::optional<Dds> dds;                    ///< the DDS convention, when the DDS is wanted
    CrossSectionUnit unit = CrossSectionUnit::microbarn;

    friend bool operator==(const Options&, const Options&) = default;
};

/// The options completed with the defaults of everything that applies and is not given, as the dialogue suggests
/// them: dipole form factors with the cut-off 1.55 GeV (GPD: slope 0.3 GeV^-2), F2 terms on, pion cut-off 775 MeV,
/// a1 positive; in the neutral channels omega nEXD with the cut-off 775 MeV and the Born terms on; epsilon 0.5.
/// Members given are kept (and still checked by Settings); a member that does not apply is not added. The
/// channel must be given.
Options with_defaults(Options options);

namespace internal {
class Model;
struct FrameSetup;
}  // namespace internal

/// Options that passed validation; immutable.
class Settings {
public:
    /// Validates the options; throws kavrin::InvalidSetting naming the first bad member.
    explicit Settings(Options options);

    /// Settings of answers as typed at the kavrin-regge dialogue ("put any value if not relevant"): the
    /// structure is checked as by Settings(options) (each member given exactly where it applies, valid
    /// choices), but real values are kept as typed even outside their physical range (epsilon = 1.5, a
    /// cut-off of 0, NaN), and the formulas are evaluated as they stand. Throws kavrin::InvalidSetting.
    static Settings as_typed(Options options);

    const Options& options() const noexcept { return options_; }
    Channel channel() const noexcept { return *options_.channel; }

    friend bool operator==(const Settings&, const Settings&) = default;

private:
    Settings(Options options, bool physical_ranges);

    Options options_;
};

/// The 100-point Gauss-Legendre rule on [-1, 1] used by the GPD form factors.
struct GaussLegendreTable {
    std::array<double, 100> abscissas{};
    std::array<double, 100> weights{};
};

/// The table cannot be read; what() names the file and the line.
class TableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Path of the installed table, share/kavrin/integral/gauss-legendre100.dat below the install prefix.
std::string installed_gauss_legendre_path();
/// Reads a table file: 100 lines of abscissa and weight. Throws TableError (also when the path names a FIFO,
/// a device or a directory, which is never opened).
GaussLegendreTable load_gauss_legendre_table(const std::string& path);
/// Reads a table from a stream; `name` names it in messages. Throws TableError.
GaussLegendreTable load_gauss_legendre_table(std::istream& in, const std::string& name);
/// Reads the installed table (or, for a build not installed yet, the copy of its source tree). Throws TableError.
GaussLegendreTable load_gauss_legendre_table();

class FixedWQ2;

/// The model of one set of settings with everything fixed before a scan (channel tables, couplings, the GPD
/// normalization). Copies share the same immutable data.
class Model {
public:
    /// GPD form factors read the table of load_gauss_legendre_table() (TableError when it is missing).
    explicit Model(const Settings& settings);
    /// GPD form factors use the given table.
    Model(const Settings& settings, const GaussLegendreTable& table);

    const Settings& settings() const noexcept;

    /// Observables at W (GeV), Q^2 (GeV^2) and the pion angle.
    Observables evaluate(double w, double q2, Angle angle) const;

    /// The work that depends on W and Q^2 only (the nucleon form factors, the photon side of the amplitude), done
    /// once for a series of angles.
    FixedWQ2 at(double w, double q2) const;

private:
    std::shared_ptr<const internal::Model> model_;
};

/// A model at fixed W and Q^2; evaluate(angle) equals Model::evaluate(w, q2, angle).
class FixedWQ2 {
public:
    Observables evaluate(Angle angle) const;
    double w() const noexcept { return w_mev_ / 1000.0; }
    double q2() const noexcept { return qq_mev_ / 1.0e6; }

private:
    friend class Model;
    FixedWQ2(std::shared_ptr<const internal::Model> model, double w_mev, double qq_mev,
             std::shared_ptr<const internal::FrameSetup> setup) noexcept
        : model_(std::move(model)), w_mev_(w_mev), qq_mev_(qq_mev), setup_(std::move(setup)) {}

    std::shared_ptr<const internal::Model> model_;
    double w_mev_;
    double qq_mev_;
    std::shared_ptr<const internal::FrameSetup> setup_;  ///< frame, nucleon form factors and photon side at (W, Q^2)
};

/// The phi-dependent cross section of a phi scan at azimuth phi (radians), per sr:
/// dsigma_U + eps dsigma_TT cos 2phi + C dsigma_LT cos phi, with C = sqrt(2 eps (1 + eps)) for DESY, JLab and
/// settings without a DDS convention, and C = sqrt(eps (1 + eps)/2) for Cornell and CEA (no phi average, no
/// given cosines). Multiply by point.dt_per_domega for the value per GeV^2.
double phi_dependent_cross_section(const Settings& settings, const Observables& point, double phi);

}  // namespace kavrin::regge
