// kavrin::regge: validation of the settings and the point functions over the model of models/regge.
#include "kavrin/regge.hpp"

#include <cmath>
#include <string>

#include "api/checks.hpp"
#include "models/regge/model.hpp"
#include "kernel/units.hpp"

namespace kavrin::regge {

namespace {

using api::forbid;
using api::require;

template <class E>
std::string shown(const std::optional<E>& v) {
    return std::to_string(static_cast<int>(*v));
}
std::string shown(const std::optional<bool>& v) { return *v ? "true" : "false"; }
std::string shown(const std::optional<double>& v) { return api::shown(*v); }

// A choice that must be given and be one of lo..hi.
template <class E>
void require_choice(const char* field, const std::optional<E>& v, int lo, int hi, const char* names,
                    const std::string& where) {
    if (!v) throw InvalidSetting(field, "(not given)", "required " + where);
    const int i = static_cast<int>(*v);
    if (i < lo || i > hi) throw InvalidSetting(field, std::to_string(i), std::string("expected ") + names);
}

void require_flag(const char* field, const std::optional<bool>& v, const std::string& where) {
    if (!v) throw InvalidSetting(field, "(not given)", "required " + where);
}

template <class T>
void forbid_member(const char* field, const std::optional<T>& v, const std::string& where) {
    if (v) forbid(field, v, shown(v), where);
}

// The structure of the options always; with `physical` also the ranges of the real members.
void validate(const Options& o, bool physical) {
    require_choice("channel", o.channel, 1, 4, "1 (pi+ n), 2 (pi- p), 3 (pi0 p) or 4 (pi0 n)", "");
    const bool charged = *o.channel == Channel::pi_plus_n || *o.channel == Channel::pi_minus_p;
    const std::string in_channel = charged ? "in the charged channels" : "in the neutral channels";

    // nucleon form factors: always in the charged channels, with the Born terms in the neutral ones
    bool form_factors = charged;
    if (charged) {
        forbid_member("omega_phase", o.omega_phase, in_channel);
        forbid_member("omega_cutoff_mev", o.omega_cutoff_mev, in_channel + " (they use 775 MeV)");
        forbid_member("born_terms", o.born_terms, in_channel + " (they always have them)");
    } else {
        require_choice("omega_phase", o.omega_phase, 1, 2, "1 (non-degenerate) or 2 (degenerate)", in_channel);
        require("omega_cutoff_mev", o.omega_cutoff_mev, api::positive, in_channel, physical);
        require_flag("born_terms", o.born_terms, in_channel);
        form_factors = *o.born_terms;
    }
    if (form_factors) {
        require_choice("form_factors", o.form_factors, 1, 2, "1 (GPD) or 2 (dipole)",
                       charged ? in_channel : "with the Born terms on");
        const bool gpd = *o.form_factors == FormFactors::gpd;
        if (gpd && charged)
            require("gpd_slope_per_gev2", o.gpd_slope_per_gev2, api::positive, "with GPD form factors", physical);
        else if (gpd)
            forbid_member("gpd_slope_per_gev2", o.gpd_slope_per_gev2,
                          in_channel + " (their GPD slope is fixed at 0.3 GeV^-2)");
        else
            forbid_member("gpd_slope_per_gev2", o.gpd_slope_per_gev2, "with dipole form factors");
        if (gpd)
            forbid_member("nucleon_cutoff_gev", o.nucleon_cutoff_gev, "with GPD form factors");
        else
            require("nucleon_cutoff_gev", o.nucleon_cutoff_gev, api::positive, "with dipole form factors", physical);
        require_flag("pauli_terms", o.pauli_terms, charged ? in_channel : "with the Born terms on");
    } else {
        const std::string off = "with the Born terms off";
        forbid_member("form_factors", o.form_factors, off);
        forbid_member("gpd_slope_per_gev2", o.gpd_slope_per_gev2, off);
        forbid_member("nucleon_cutoff_gev", o.nucleon_cutoff_gev, off);
        forbid_member("pauli_terms", o.pauli_terms, off);
    }
    if (charged) {
        require("pion_cutoff_mev", o.pion_cutoff_mev, api::positive, in_channel, physical);
        require_choice("a1_sign", o.a1_sign, 1, 2, "1 (positive) or 2 (negative)", in_channel);
    } else {
        forbid_member("pion_cutoff_mev", o.pion_cutoff_mev, in_channel + " (no pion exchange)");
        forbid_member("a1_sign", o.a1_sign, in_channel + " (no a1 exchange)");
    }

    require("epsilon", o.epsilon, api::polarization, "", physical);

    if (o.dds) {
        const Dds& d = *o.dds;
        const int type = static_cast<int>(d.type);
        if (type < 1 || type > 5)
            throw InvalidSetting("dds.type", std::to_string(type),
                                 "expected 1 (DESY), 2 (Cornell fixed), 3 (Cornell averaged), 4 (CEA) or 5 (JLab)");
        if (d.phi && !dds_uses_phi(d.type, *o.channel))
            forbid("dds.phi", d.phi, api::shown(*d.phi), "to a convention averaged over phi");
        if (physical && d.phi && !api::finite.valid(*d.phi))
            throw InvalidSetting("dds.phi", api::shown(*d.phi), std::string("expected ") + api::finite.expected);
        if (d.type != DdsType::cea) {
            forbid_member("dds.cos_phi", d.cos_phi, "to conventions other than CEA");
            forbid_member("dds.cos_2phi", d.cos_2phi, "to conventions other than CEA");
        } else if (d.cos_phi || d.cos_2phi) {
            require("dds.cos_phi", d.cos_phi, api::cosine, "with dds.cos_2phi", physical);
            require("dds.cos_2phi", d.cos_2phi, api::cosine, "with dds.cos_phi", physical);
            forbid_member("dds.phi", d.phi, "with the two cosines (CEA takes phi or the cosines)");
        }
    }

    const int unit = static_cast<int>(o.unit);
    if (unit < 1 || unit > 2) throw InvalidSetting("unit", std::to_string(unit), "expected 1 (microbarn) or 2 (nanobarn)");
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

bool dds_uses_phi(DdsType type, Channel channel) {
    return !(type == DdsType::cornell_averaged || (type == DdsType::desy && channel == Channel::pi_minus_p));
}

Options with_defaults(Options o) {
    if (!o.channel) throw InvalidSetting("channel", "(not given)", "required");
    const bool charged = *o.channel == Channel::pi_plus_n || *o.channel == Channel::pi_minus_p;
    bool form_factors = charged;
    if (!charged) {
        if (!o.omega_phase) o.omega_phase = OmegaPhase::non_degenerate;
        if (!o.omega_cutoff_mev) o.omega_cutoff_mev = 775.0;
        if (!o.born_terms) o.born_terms = true;
        form_factors = *o.born_terms;
    }
    if (form_factors) {
        if (!o.form_factors) o.form_factors = o.gpd_slope_per_gev2 && charged ? FormFactors::gpd : FormFactors::dipole;
        if (*o.form_factors == FormFactors::gpd) {
            if (charged && !o.gpd_slope_per_gev2) o.gpd_slope_per_gev2 = 0.3;
        } else if (!o.nucleon_cutoff_gev) {
            o.nucleon_cutoff_gev = 1.55;
        }
        if (!o.pauli_terms) o.pauli_terms = true;
    }
    if (charged) {
        if (!o.pion_cutoff_mev) o.pion_cutoff_mev = 775.0;
        if (!o.a1_sign) o.a1_sign = A1Sign::positive;
    }
    if (!o.epsilon) o.epsilon = 0.5;
    return o;
}

Settings::Settings(Options options) : Settings(std::move(options), true) {}

Settings::Settings(Options options, bool physical_ranges) : options_(std::move(options)) {
    validate(options_, physical_ranges);
}

Settings Settings::as_typed(Options options) { return Settings(std::move(options), false); }

namespace {

// The table a model needs: only GPD form factors read it.
bool needs_table(const Settings& s) { return s.options().form_factors == FormFactors::gpd; }

}  // namespace

Model::Model(const Settings& settings)
    : Model(settings, needs_table(settings) ? load_gauss_legendre_table() : GaussLegendreTable{}) {}

Model::Model(const Settings& settings, const GaussLegendreTable& table)
    : model_(std::make_shared<const internal::Model>(settings, table)) {}

const Settings& Model::settings() const noexcept { return model_->settings(); }

namespace {

// The library's dsigma_LT' has the sign of the KM, VR and QVM models for every model: the opposite of the sign
// the Regge model writes into its own files. Its beam-spin asymmetry stays the model's own.
Observables in_library_convention(Observables o) {
    o.dsigma_domega.ltp = -o.dsigma_domega.ltp;
    o.dsigma_dt.ltp = -o.dsigma_dt.ltp;
    return o;
}

}  // namespace

Observables Model::evaluate(double w, double q2, Angle angle) const {
    const double qq = units::gev2_to_mev2(q2);
    const CmFrame frame = model_->frame(units::gev_to_mev(w), qq);
    return in_library_convention(
        model_->evaluate(frame, model_->nucleon_form_factors_cached(qq), theta_of(frame, angle)));
}

FixedWQ2 Model::at(double w, double q2) const {
    const double qq = units::gev2_to_mev2(q2);
    const double w_mev = units::gev_to_mev(w);
    auto setup = std::make_shared<const internal::FrameSetup>(
        model_->setup(model_->frame(w_mev, qq), model_->nucleon_form_factors(qq)));
    return FixedWQ2(model_, w_mev, qq, std::move(setup));
}

Observables FixedWQ2::evaluate(Angle angle) const {
    return in_library_convention(model_->evaluate(*setup_, theta_of(setup_->frame, angle)));
}

double phi_dependent_cross_section(const Settings& settings, const Observables& point, double phi) {
    const std::optional<Dds>& d = settings.options().dds;
    const DdsType type = d ? d->type : DdsType::desy;
    const double eps = *settings.options().epsilon;
    const double c = type == DdsType::desy || type == DdsType::jlab ? lt_coefficient_desy(eps)
                                                                     : lt_coefficient_cornell(eps);
    return kavrin::phi_dependent_cross_section(point.dsigma_domega, eps, c, phi);
}

}  // namespace kavrin::regge
