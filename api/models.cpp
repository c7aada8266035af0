// kavrin::models: validation of the settings and the point function over the models of models/km_vr_qvm.
#include "kavrin/models.hpp"

#include <cmath>
#include <string>

#include "api/checks.hpp"
#include "models/km_vr_qvm/model.hpp"
#include "kernel/units.hpp"

namespace kavrin::models {

namespace {

using api::require;

void forbid_real(const char* field, const std::optional<double>& v, const std::string& where) {
    if (v) api::forbid(field, v, api::shown(*v), where);
}

template <class E>
void require_choice(const char* field, const std::optional<E>& v, int lo, int hi, const char* names) {
    if (!v) throw InvalidSetting(field, "(not given)", "required");
    const int i = static_cast<int>(*v);
    if (i < lo || i > hi) throw InvalidSetting(field, std::to_string(i), std::string("expected ") + names);
}

// The structure of the options always; with `physical` also the ranges of the real members.
void validate(const Options& o, bool physical) {
    require_choice("channel", o.channel, 1, 3, "1 (pi+ n), 2 (pi- p) or 3 (pi0 p)");
    require_choice("model", o.model, 1, 3, "1 (KM), 2 (VR) or 3 (QVM)");
    if (*o.channel == Channel::pi0_p)
        forbid_real("pion_cutoff_gev", o.pion_cutoff_gev, "to gamma* p -> pi0 p (no pion exchange)");
    else
        require("pion_cutoff_gev", o.pion_cutoff_gev, api::positive, "in the charged channels", physical);
    if (*o.model == ModelKind::qvm)
        require("nucleon_cutoff_gev", o.nucleon_cutoff_gev, api::positive, "in QVM", physical);
    else
        forbid_real("nucleon_cutoff_gev", o.nucleon_cutoff_gev, "to KM and VR (their nucleon form factors are fixed)");
    if (*o.model == ModelKind::km) {
        if (!o.epsilon && !o.beam_energy_gev)
            throw InvalidSetting("epsilon", "(not given)", "KM needs epsilon, beam_energy_gev or both");
        if (o.epsilon) require("epsilon", o.epsilon, api::polarization, "", physical);
        if (o.beam_energy_gev) require("beam_energy_gev", o.beam_energy_gev, api::positive, "", physical);
    } else {
        require("epsilon", o.epsilon, api::polarization, "in VR and QVM", physical);
        forbid_real("beam_energy_gev", o.beam_energy_gev, "to VR and QVM (their asymmetry follows from epsilon)");
    }
}

// The pion angle of a point in the frame: NaN where -t is outside the physical range.
double theta_of(const CmFrame& frame, Angle angle) {
    switch (angle.kind()) {
        case Angle::Kind::theta: return angle.value();
        case Angle::Kind::cos_theta: return std::acos(angle.value());
        case Angle::Kind::minus_t: break;
    }
    return frame.theta_of_t_in_range(units::gev2_to_mev2(-angle.value()));
}

}  // namespace

Options with_defaults(Options o) {
    if (!o.channel) throw InvalidSetting("channel", "(not given)", "required");
    if (!o.model) throw InvalidSetting("model", "(not given)", "required");
    if (*o.channel != Channel::pi0_p && !o.pion_cutoff_gev)
        o.pion_cutoff_gev = *o.model == ModelKind::km ? 0.68 : *o.model == ModelKind::vr ? 0.655 : 0.775;
    if (*o.model == ModelKind::qvm && !o.nucleon_cutoff_gev) o.nucleon_cutoff_gev = 1.55;
    if (!o.epsilon) o.epsilon = 0.5;
    if (*o.model == ModelKind::km && !o.beam_energy_gev) o.beam_energy_gev = 5.77;
    return o;
}

Settings::Settings(Options options) : Settings(std::move(options), true) {}

Settings::Settings(Options options, bool physical_ranges) : options_(std::move(options)) {
    validate(options_, physical_ranges);
}

Settings Settings::as_typed(Options options) { return Settings(std::move(options), false); }

Model::Model(const Settings& settings) : model_(std::make_shared<const internal::Model>(settings)) {}

const Settings& Model::settings() const noexcept { return model_->settings(); }

Observables Model::evaluate(double w, double q2, Angle angle) const {
    const CmFrame frame = model_->frame(units::gev_to_mev(w), units::gev2_to_mev2(q2));
    return model_->evaluate(frame, theta_of(frame, angle));
}

}  // namespace kavrin::models
