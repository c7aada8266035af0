// kavrin::models: validation of the settings and the point function over the prepared model of kavrin-models.
#include "kavrin/models.hpp"

#include <cmath>
#include <string>

#include "api/point_kinematics.hpp"
#include "api/checks.hpp"
#include "api/models_core.hpp"

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

// The pion angle of a point at W = w (MeV), Q^2 = qq (MeV^2): NaN where -t is outside the physical range.
double theta_of(const program_b::Model& m, double w, double qq, Angle angle) {
    switch (angle.kind()) {
        case Angle::Kind::theta: return angle.value();
        case Angle::Kind::cos_theta: return std::acos(angle.value());
        case Angle::Kind::minus_t: break;
    }
    const program_b::ChannelMasses& ms = m.constants().m;
    const CmFrame fr = CmFrame::make(w, qq, ms.ibm, ms.fbm, ms.fmm);
    const double t0 = ms.fmms() - qq - 2.0 * fr.e_k1 * fr.e_k2;
    const double two_kp = 2.0 * fr.k * fr.p;
    return api::angle_of_t(-angle.value() * 1.0e6, t0, two_kp, t0 - two_kp, t0 + two_kp, program_b::pi);
}

Observables observables_of(const program_b::PointResult& r) {
    Observables o;
    api::set_kinematics(o, r.w, r.qq, r.theta, r.t, r.t_max);
    o.dt_per_domega = program_b::pi / (r.k * r.p) * 1.0e6;
    o.unit = CrossSectionUnit::microbarn;
    o.dsigma_domega = {r.dst, r.dsl, r.dstt, r.dslt, r.dsltp, r.dsu};
    o.dsigma_dt = {r.per_t(r.dst), r.per_t(r.dsl), r.per_t(r.dstt), r.per_t(r.dslt), r.per_t(r.dsltp), r.per_t(r.dsu)};
    o.lt_ratio = r.ratio;
    o.bsa = r.bsa;
    for (std::size_t i = 0; i < 4; ++i)
        o.amplitudes[i] = {r.amplitudes[i].mep1, r.amplitudes[i].me0, r.amplitudes[i].mem1};
    return o;
}

}  // namespace

Settings::Settings(Options options) : Settings(std::move(options), Ranges::physical) {}

Settings::Settings(Options options, Ranges ranges) : options_(std::move(options)) {
    validate(options_, ranges == Ranges::physical);
}

Model::Model(const Settings& settings)
    : core_(std::make_shared<const detail::Core>(
          detail::Core{settings, program_b::Model(program_b::internal_settings(settings))})) {}

const Settings& Model::settings() const noexcept { return core_->settings; }

Observables Model::evaluate(double w, double q2, Angle angle) const {
    const double w_mev = w * 1000.0;
    const double qq = q2 * 1.0e6;
    const program_b::Model& m = core_->model;
    return observables_of(m.evaluate(w_mev, qq, theta_of(m, w_mev, qq, angle)));
}

}  // namespace kavrin::models

namespace kavrin::program_b {

Settings internal_settings(const models::Settings& settings) {
    const models::Options& o = settings.options();
    Settings s;
    s.channel = static_cast<Channel>(*o.channel);
    s.model = static_cast<ModelKind>(*o.model);
    // a cut-off that does not enter the channel or model keeps a neutral value
    s.cut_pion = o.pion_cutoff_gev.value_or(1.0);
    s.cut_f1 = o.nucleon_cutoff_gev.value_or(1.0);
    if (o.epsilon) s.el = *o.epsilon;
    if (o.beam_energy_gev) s.ebe = *o.beam_energy_gev;
    return s;
}

}  // namespace kavrin::program_b
