// The KM, VR and QVM models of kavrin-models as a library: gamma* p -> pi+ n, gamma* n -> pi- p and
// gamma* p -> pi0 p, evaluated at any (W, Q^2, angle).
//
//   kavrin::models::Options o;
//   o.channel = kavrin::models::Channel::pi_plus_n;
//   o.model = kavrin::models::ModelKind::vr;
//   o.pion_cutoff_gev = 0.655;
//   o.epsilon = 0.5;
//   const kavrin::models::Model model{kavrin::models::Settings(o)};    // throws kavrin::InvalidSetting
//   const kavrin::Observables x = model.evaluate(2.2, 1.0, kavrin::Angle::theta(0.2));
//
// Units: W in GeV, Q^2 and -t in GeV^2, angles in radians, cut-offs and the beam energy in GeV; cross
// sections in microbarn (see <kavrin/observables.hpp>). A Model is immutable: evaluate() is pure and may be
// called from any number of threads at once.
#pragma once

#include <memory>
#include <optional>

#include "kavrin/observables.hpp"

namespace kavrin::models {

/// The reaction: gamma* p -> pi+ n, gamma* n -> pi- p or gamma* p -> pi0 p (pi0 n is not modelled here).
using Channel = kavrin::Channel;

/// The reaction model.
enum class ModelKind : int { km = 1, vr = 2, qvm = 3 };

/// What the kavrin-models dialogue fixes for the physics, each member given exactly where it enters:
///
///   channel, model                 always;
///   pion_cutoff_gev                charged channels (the pi0 p amplitude has no pion exchange);
///   nucleon_cutoff_gev             QVM (KM and VR fix their nucleon form factors themselves);
///   epsilon                        VR and QVM always; KM optionally (it gives dsigma_U);
///   beam_energy_gev                KM only, optionally (it gives the KM beam-spin asymmetry);
///                                  KM needs at least one of epsilon and beam_energy_gev.
///
/// Settings(options) rejects a missing member, a member that does not apply, and a value out of range with
/// kavrin::InvalidSetting.
struct Options {
    std::optional<Channel> channel;
    std::optional<ModelKind> model;
    std::optional<double> pion_cutoff_gev;     ///< pion e.m. form-factor cut-off, GeV (> 0)
    std::optional<double> nucleon_cutoff_gev;  ///< dipole nucleon cut-off of QVM, GeV (> 0)
    std::optional<double> epsilon;             ///< virtual-photon polarization, 0 <= epsilon <= 1
    std::optional<double> beam_energy_gev;     ///< electron beam energy of the KM asymmetry, GeV (> 0)

    friend bool operator==(const Options&, const Options&) = default;
};

/// The options completed with the defaults of everything that applies and is not given, as the dialogue suggests
/// them: the pion cut-off of the model (KM 0.68, VR 0.655, QVM 0.775 GeV; charged channels), the QVM nucleon
/// cut-off 1.55 GeV, epsilon 0.5 and, for KM, the beam energy 5.77 GeV. Members given are kept (and still checked
/// by Settings). Channel and model must be given.
Options with_defaults(Options options);

namespace internal {
class Model;
}  // namespace internal

/// Options that passed validation; immutable.
class Settings {
public:
    /// Validates the options; throws kavrin::InvalidSetting naming the first bad member.
    explicit Settings(Options options);

    /// Settings of answers as typed at the kavrin-models dialogue ("put any value for cuts, if irrelevant"):
    /// the structure is checked as by Settings(options), but real values are kept as typed even outside
    /// their physical range, and the formulas are evaluated as they stand. Throws kavrin::InvalidSetting.
    static Settings as_typed(Options options);

    const Options& options() const noexcept { return options_; }
    Channel channel() const noexcept { return *options_.channel; }
    ModelKind model() const noexcept { return *options_.model; }

    friend bool operator==(const Settings&, const Settings&) = default;

private:
    Settings(Options options, bool physical_ranges);

    Options options_;
};

/// The model of one set of settings (couplings, trajectories, phases fixed). Copies share the same
/// immutable data. Cross sections are in microbarn. dsigma_U is NaN without epsilon; the beam-spin
/// asymmetry is NaN where the settings do not determine it (KM without a beam energy).
class Model {
public:
    explicit Model(const Settings& settings);

    const Settings& settings() const noexcept;

    /// Observables at W (GeV), Q^2 (GeV^2) and the pion angle. dds_domega and dds_dt are NaN (this model
    /// has no DDS convention).
    Observables evaluate(double w, double q2, Angle angle) const;

private:
    std::shared_ptr<const internal::Model> model_;
};

}  // namespace kavrin::models
