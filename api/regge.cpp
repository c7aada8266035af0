// kavrin::regge: validation of the settings, the Gauss-Legendre table, and the point function over the
// prepared model of kavrin-regge.
#include "kavrin/regge.hpp"

#include <cmath>
#include <string>

#include "api/point_kinematics.hpp"
#include "api/checks.hpp"
#include "api/regge_core.hpp"
#include "kavrin_install_paths.hpp"
#include "program_a/table.hpp"

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

GaussLegendre100 internal_table(const GaussLegendreTable& t) {
    GaussLegendre100 gl;
    gl.xi = t.abscissas;
    gl.wi = t.weights;
    return gl;
}

// The pion angle of a point at W = w (MeV), Q^2 = qq (MeV^2): NaN where -t is outside the physical range.
double theta_of(const program_a::Model& m, double w, double qq, Angle angle) {
    switch (angle.kind()) {
        case Angle::Kind::theta: return angle.value();
        case Angle::Kind::cos_theta: return std::acos(angle.value());
        case Angle::Kind::minus_t: break;
    }
    const program_a::Frame fr = program_a::make_frame(m, w, qq);
    const double two_kp = 2.0 * fr.cm.p * fr.cm.k;
    return api::angle_of_t(-angle.value() * 1.0e6, fr.t00, two_kp, fr.t00 - two_kp, fr.t0, program_a::pi);
}

// The library's observables of the program's point result, with the DDS where the settings determine it.
Observables observables_of(const detail::Core& c, const program_a::PointResult& r) {
    using program_a::pi;
    Observables o;
    api::set_kinematics(o, r.w, r.qq, r.theta, r.t, r.t0);
    o.dt_per_domega = r.dsdt_factor;
    o.unit = c.settings.options().unit;
    o.dsigma_domega = {r.dst, r.dsl, r.dstt, r.dslt, r.dsltp, r.dsu};
    const auto per_t = [&r](double v) { return v * pi / (r.k * r.p) * 1.0e6; };
    o.dsigma_dt = {per_t(r.dst), per_t(r.dsl), per_t(r.dstt), per_t(r.dslt), per_t(r.dsltp), per_t(r.dsu)};
    o.lt_ratio = r.lt_ratio;
    o.bsa = r.bsa;
    if (const std::optional<Dds>& d = c.settings.options().dds) {
        const bool determined = !dds_uses_phi(d->type, c.settings.channel()) || d->phi || d->cos_phi;
        if (determined) {
            o.dds_domega = program_a::dds_at(c.model.settings, r, d->phi.value_or(0.0));
            o.dds_dt = o.dds_domega * pi / (r.k * r.p) * 1.0e6;
        }
    }
    for (std::size_t i = 0; i < 4; ++i)
        o.amplitudes[i] = {r.amplitudes[i].mep1, r.amplitudes[i].me0, r.amplitudes[i].mem1};
    return o;
}

}  // namespace

bool dds_uses_phi(DdsType type, Channel channel) {
    return !(type == DdsType::cornell_averaged || (type == DdsType::desy && channel == Channel::pi_minus_p));
}

Settings::Settings(Options options) : Settings(std::move(options), Ranges::physical) {}

Settings::Settings(Options options, Ranges ranges) : options_(std::move(options)) {
    validate(options_, ranges == Ranges::physical);
}

std::string installed_gauss_legendre_path() { return KAVRIN_INSTALLED_TABLE; }

GaussLegendreTable load_gauss_legendre_table(const std::string& path) {
    const GaussLegendre100 gl = program_a::read_gauss_legendre_table(path);
    GaussLegendreTable t;
    t.abscissas = gl.xi;
    t.weights = gl.wi;
    return t;
}

GaussLegendreTable load_gauss_legendre_table() { return load_gauss_legendre_table(installed_gauss_legendre_path()); }

namespace {

// The table a model needs: only GPD form factors read it.
bool needs_table(const Settings& s) { return s.options().form_factors == FormFactors::gpd; }

}  // namespace

Model::Model(const Settings& settings)
    : Model(settings, needs_table(settings) ? load_gauss_legendre_table() : GaussLegendreTable{}) {}

Model::Model(const Settings& settings, const GaussLegendreTable& table)
    : core_(std::make_shared<const detail::Core>(
          detail::Core{settings, program_a::make_model(program_a::internal_settings(settings), internal_table(table))})) {}

const Settings& Model::settings() const noexcept { return core_->settings; }

Observables Model::evaluate(double w, double q2, Angle angle) const {
    const double w_mev = w * 1000.0;
    const double qq = q2 * 1.0e6;
    const program_a::Model& m = core_->model;
    return observables_of(*core_, program_a::evaluate_point(m, program_a::nucleon_form_factors(m, qq), w_mev, qq,
                                                            theta_of(m, w_mev, qq, angle)));
}

FixedWQ2 Model::at(double w, double q2) const {
    const double qq = q2 * 1.0e6;
    const program_a::NucleonFactors nf = program_a::nucleon_form_factors(core_->model, qq);
    return FixedWQ2(core_, w * 1000.0, qq, nf.f1t, nf.f2t);
}

Observables FixedWQ2::evaluate(Angle angle) const {
    const program_a::Model& m = core_->model;
    const program_a::NucleonFactors nf{f1_, f2_};
    return observables_of(*core_,
                          program_a::evaluate_point(m, nf, w_mev_, qq_mev_, theta_of(m, w_mev_, qq_mev_, angle)));
}

double phi_dependent_cross_section(const Settings& settings, const Observables& point, double phi) {
    const std::optional<Dds>& d = settings.options().dds;
    const int type = d ? static_cast<int>(d->type) : static_cast<int>(DdsType::desy);
    return program_a::dds_phi_scan_at(type, *settings.options().epsilon, point.dsigma_domega.u,
                                      point.dsigma_domega.tt, point.dsigma_domega.lt, phi);
}

}  // namespace kavrin::regge

namespace kavrin::program_a {

Settings internal_settings(const regge::Settings& settings) {
    using namespace regge;
    const Options& o = settings.options();
    Settings s;
    s.gtype = static_cast<int>(*o.channel);
    const bool charged = s.gtype <= 2;
    s.nucleon_poles = charged ? 2 : (*o.born_terms ? 1 : 2);
    const bool form_factors = charged || s.nucleon_poles == 1;
    if (form_factors) {
        s.fft_gnn = static_cast<int>(*o.form_factors);
        if (s.fft_gnn == 1)
            s.gpd_alp = charged ? *o.gpd_slope_per_gev2 : neutral_gpd_alp;
        else
            s.cut_f1 = s.cut_f2 = *o.nucleon_cutoff_gev;
        s.nucleon_f2 = *o.pauli_terms ? 1 : 2;
    } else {
        // without Born terms the nucleon form factors do not enter; they stay at the program's fixed values
        s.fft_gnn = 2;
        s.cut_f1 = s.cut_f2 = neutral_cut_f;
    }
    if (charged) {
        s.cutp_em = *o.pion_cutoff_mev;
        s.a1_cc = *o.a1_sign == A1Sign::positive ? 1 : 2;
        s.cutw_em = 775.0;
    } else {
        s.omega_phase = *o.omega_phase == OmegaPhase::non_degenerate ? 1 : 2;
        s.cutw_em = *o.omega_cutoff_mev;
    }
    s.el = *o.epsilon;
    s.outu = static_cast<int>(o.unit);
    if (o.dds) {
        s.out = 3;
        s.dds_type = static_cast<int>(o.dds->type);
        if (o.dds->cos_phi) {
            s.xaxis3 = 6;  // the DDS input mode of answered cosines
            s.cos_phi_input = *o.dds->cos_phi;
            s.cos_2phi_input = *o.dds->cos_2phi;
        } else if (o.dds->phi) {
            s.xaxis3 = 5;  // the DDS input mode of an answered phi
            s.phi = *o.dds->phi * 180.0 / pi;
        }
    }
    return s;
}

}  // namespace kavrin::program_a
