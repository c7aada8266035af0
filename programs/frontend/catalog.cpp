#include "frontend/catalog.hpp"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

#include "kernel/free_format.hpp"

namespace kavrin::frontend {

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

using Type = OptionInfo::Type;

const std::vector<std::pair<std::string, regge::FormFactors>> kFormFactors = {{"gpd", regge::FormFactors::gpd},
                                                                              {"dipole", regge::FormFactors::dipole}};
const std::vector<std::pair<std::string, regge::A1Sign>> kA1 = {{"positive", regge::A1Sign::positive},
                                                                {"negative", regge::A1Sign::negative}};
const std::vector<std::pair<std::string, regge::OmegaPhase>> kOmega = {
    {"non_degenerate", regge::OmegaPhase::non_degenerate}, {"degenerate", regge::OmegaPhase::degenerate}};
const std::vector<std::pair<std::string, CrossSectionUnit>> kUnit = {{"microbarn", CrossSectionUnit::microbarn},
                                                                     {"nanobarn", CrossSectionUnit::nanobarn}};
const std::vector<std::pair<std::string, regge::DdsType>> kDds = {
    {"desy", regge::DdsType::desy}, {"cornell_fixed", regge::DdsType::cornell_fixed},
    {"cornell_averaged", regge::DdsType::cornell_averaged}, {"cea", regge::DdsType::cea}, {"jlab", regge::DdsType::jlab}};

template <class E>
std::vector<std::string> names(const std::vector<std::pair<std::string, E>>& table) {
    std::vector<std::string> out;
    for (const auto& [n, e] : table) out.push_back(n);
    return out;
}

template <class E>
std::string name_in(const std::vector<std::pair<std::string, E>>& table, E e) {
    for (const auto& [n, v] : table)
        if (v == e) return n;
    return std::to_string(static_cast<int>(e));
}

// The value of a setting as its option's type takes it; a problem otherwise.
struct Parser {
    std::vector<SettingProblem>& problems;

    std::optional<double> real(const std::string& name, const std::string& value) {
        const std::optional<double> v = parse_fortran_real(value);
        if (!v) problems.push_back({SettingProblem::Kind::bad_type, name + " = " + value + ": expected a number"});
        return v;
    }
    std::optional<bool> flag(const std::string& name, const std::string& value) {
        if (value == "true" || value == "1" || value == "on") return true;
        if (value == "false" || value == "0" || value == "off") return false;
        problems.push_back({SettingProblem::Kind::bad_type, name + " = " + value + ": expected true or false"});
        return std::nullopt;
    }
    template <class E>
    std::optional<E> choice(const std::string& name, const std::string& value,
                            const std::vector<std::pair<std::string, E>>& table) {
        for (const auto& [n, e] : table)
            if (n == value) return e;
        std::string valid;
        for (const auto& [n, e] : table) valid += (valid.empty() ? "" : ", ") + n;
        problems.push_back({SettingProblem::Kind::invalid_value, name + " = " + value + ": expected one of " + valid});
        return std::nullopt;
    }
};

void set_regge(regge::Options& o, const std::string& name, const std::string& value, Parser& p) {
    const auto dds = [&o]() -> regge::Dds& {
        if (!o.dds) o.dds = regge::Dds{};
        return *o.dds;
    };
    if (name == "form_factors") { if (auto v = p.choice(name, value, kFormFactors)) o.form_factors = v; }
    else if (name == "gpd_slope_per_gev2") { if (auto v = p.real(name, value)) o.gpd_slope_per_gev2 = v; }
    else if (name == "nucleon_cutoff_gev") { if (auto v = p.real(name, value)) o.nucleon_cutoff_gev = v; }
    else if (name == "pauli_terms") { if (auto v = p.flag(name, value)) o.pauli_terms = v; }
    else if (name == "pion_cutoff_mev") { if (auto v = p.real(name, value)) o.pion_cutoff_mev = v; }
    else if (name == "a1_sign") { if (auto v = p.choice(name, value, kA1)) o.a1_sign = v; }
    else if (name == "omega_phase") { if (auto v = p.choice(name, value, kOmega)) o.omega_phase = v; }
    else if (name == "omega_cutoff_mev") { if (auto v = p.real(name, value)) o.omega_cutoff_mev = v; }
    else if (name == "born_terms") { if (auto v = p.flag(name, value)) o.born_terms = v; }
    else if (name == "epsilon") { if (auto v = p.real(name, value)) o.epsilon = v; }
    else if (name == "unit") { if (auto v = p.choice(name, value, kUnit)) o.unit = *v; }
    else if (name == "dds.type") { if (auto v = p.choice(name, value, kDds)) dds().type = *v; }
    else if (name == "dds.phi") { if (auto v = p.real(name, value)) dds().phi = v; }
    else if (name == "dds.cos_phi") { if (auto v = p.real(name, value)) dds().cos_phi = v; }
    else if (name == "dds.cos_2phi") { if (auto v = p.real(name, value)) dds().cos_2phi = v; }
    else p.problems.push_back({SettingProblem::Kind::unknown_option, "unknown option " + name + " of the regge model"});
}

void set_models(models::Options& o, const std::string& model, const std::string& name, const std::string& value,
                Parser& p) {
    if (name == "pion_cutoff_gev") { if (auto v = p.real(name, value)) o.pion_cutoff_gev = v; }
    else if (name == "nucleon_cutoff_gev") { if (auto v = p.real(name, value)) o.nucleon_cutoff_gev = v; }
    else if (name == "epsilon") { if (auto v = p.real(name, value)) o.epsilon = v; }
    else if (name == "beam_energy_gev") { if (auto v = p.real(name, value)) o.beam_energy_gev = v; }
    else p.problems.push_back({SettingProblem::Kind::unknown_option, "unknown option " + name + " of the " + model + " model"});
}

// Clears the member an InvalidSetting names, so that the next check finds the next problem.
bool clear_member(regge::Options& o, const std::string& field) {
    const std::map<std::string, std::function<void()>> clear = {
        {"form_factors", [&] { o.form_factors.reset(); }}, {"gpd_slope_per_gev2", [&] { o.gpd_slope_per_gev2.reset(); }},
        {"nucleon_cutoff_gev", [&] { o.nucleon_cutoff_gev.reset(); }}, {"pauli_terms", [&] { o.pauli_terms.reset(); }},
        {"pion_cutoff_mev", [&] { o.pion_cutoff_mev.reset(); }}, {"a1_sign", [&] { o.a1_sign.reset(); }},
        {"omega_phase", [&] { o.omega_phase.reset(); }}, {"omega_cutoff_mev", [&] { o.omega_cutoff_mev.reset(); }},
        {"born_terms", [&] { o.born_terms.reset(); }}, {"epsilon", [&] { o.epsilon.reset(); }},
        {"unit", [&] { o.unit = CrossSectionUnit::microbarn; }}, {"dds.type", [&] { o.dds.reset(); }},
        {"dds.phi", [&] { if (o.dds) o.dds->phi.reset(); }},
        {"dds.cos_phi", [&] { if (o.dds) o.dds->cos_phi.reset(), o.dds->cos_2phi.reset(); }},
        {"dds.cos_2phi", [&] { if (o.dds) o.dds->cos_phi.reset(), o.dds->cos_2phi.reset(); }}};
    const auto it = clear.find(field);
    if (it == clear.end()) return false;
    const regge::Options before = o;
    it->second();
    return !(before == o);
}

bool clear_member(models::Options& o, const std::string& field) {
    const models::Options before = o;
    if (field == "pion_cutoff_gev") o.pion_cutoff_gev.reset();
    else if (field == "nucleon_cutoff_gev") o.nucleon_cutoff_gev.reset();
    else if (field == "epsilon") o.epsilon.reset();
    else if (field == "beam_energy_gev") o.beam_energy_gev.reset();
    return !(before == o);
}

// Checks the options completed with the defaults, collecting every problem: a member found bad is reported and
// left to its default for the next check.
template <class Options, class Settings>
Options checked(Options o, std::vector<SettingProblem>& problems) {
    for (int round = 0; round < 32; ++round) {
        try {
            Options full = with_defaults(o);
            Settings s(full);
            return full;
        } catch (const InvalidSetting& e) {
            problems.push_back({SettingProblem::Kind::invalid_value, e.what()});
            if (!clear_member(o, e.field())) break;
        }
    }
    return o;
}

std::string joined(const std::vector<SettingProblem>& problems) {
    std::string s;
    for (const SettingProblem& p : problems) s += (s.empty() ? "" : "\n") + p.message;
    return s;
}

}  // namespace

std::string_view name_of(ModelName model) {
    switch (model) {
        case ModelName::regge: return "regge";
        case ModelName::km: return "km";
        case ModelName::vr: return "vr";
        case ModelName::qvm: return "qvm";
    }
    return "";
}

std::optional<ModelName> model_named(std::string_view name) {
    for (ModelName m : {ModelName::regge, ModelName::km, ModelName::vr, ModelName::qvm})
        if (name_of(m) == name) return m;
    return std::nullopt;
}

std::string_view name_of(Channel channel) {
    switch (channel) {
        case Channel::pi_plus_n: return "pi+n";
        case Channel::pi_minus_p: return "pi-p";
        case Channel::pi0_p: return "pi0p";
        case Channel::pi0_n: return "pi0n";
    }
    return "";
}

std::optional<Channel> channel_named(std::string_view name) {
    for (Channel c : {Channel::pi_plus_n, Channel::pi_minus_p, Channel::pi0_p, Channel::pi0_n})
        if (name_of(c) == name) return c;
    return std::nullopt;
}

bool has_channel(ModelName model, Channel channel) { return model == ModelName::regge || channel != Channel::pi0_n; }

std::string text_of(double x) {
    if (std::isnan(x)) return "NaN";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

const OptionInfo* find_option(ModelName model, std::string_view name) {
    for (const OptionInfo& o : options_of(model))
        if (o.name == name) return &o;
    return nullptr;
}

std::string option_line(const OptionInfo& o) {
    std::string values = o.unit;
    if (!o.range.empty()) values += (values.empty() ? "" : ", ") + o.range;
    if (!o.choices.empty()) {
        values.clear();
        for (const std::string& c : o.choices) values += (values.empty() ? "" : "|") + c;
    } else if (o.type == OptionInfo::Type::flag) {
        values = "true|false";
    }
    return o.name + (values.empty() ? "" : " (" + values + ")") + ": " + o.description;
}

const std::vector<OptionInfo>& options_of(ModelName model) {
    static const std::vector<OptionInfo> regge = {
        {"form_factors", Type::choice, "", names(kFormFactors), "",
         "nucleon form factors of the Born terms (default dipole)"},
        {"gpd_slope_per_gev2", Type::real, "GeV^-2", {}, "> 0",
         "profile slope of the GPD form factors, charged channels (default 0.3)"},
        {"nucleon_cutoff_gev", Type::real, "GeV", {}, "> 0", "dipole cut-off of F1 and F2 (default 1.55)"},
        {"pauli_terms", Type::flag, "", {}, "", "nucleon F2 (Pauli) terms on (default true)"},
        {"pion_cutoff_mev", Type::real, "MeV", {}, "> 0", "pion e.m. form-factor cut-off, charged channels (default 775)"},
        {"a1_sign", Type::choice, "", names(kA1), "", "sign of the a1 photocoupling, charged channels (default positive)"},
        {"omega_phase", Type::choice, "", names(kOmega), "",
         "Regge phase of the omega exchange, neutral channels (default non_degenerate)"},
        {"omega_cutoff_mev", Type::real, "MeV", {}, "> 0", "omega e.m. form-factor cut-off, neutral channels (default 775)"},
        {"born_terms", Type::flag, "", {}, "", "nucleon Born terms, neutral channels (default true)"},
        {"epsilon", Type::real, "", {}, "0 to 1", "virtual-photon polarization of dsigma_U (default 0.5)"},
        {"unit", Type::choice, "", names(kUnit), "", "unit of the cross sections (default microbarn)"},
        {"dds.type", Type::choice, "", names(kDds), "", "convention of the phi-dependent DDS (default: no DDS)"},
        {"dds.phi", Type::real, "rad", {}, "finite", "azimuth of the DDS"},
        {"dds.cos_phi", Type::real, "", {}, "-1 to 1", "cos(phi) of the CEA DDS"},
        {"dds.cos_2phi", Type::real, "", {}, "-1 to 1", "cos(2 phi) of the CEA DDS"}};
    static const std::vector<OptionInfo> km = {
        {"pion_cutoff_gev", Type::real, "GeV", {}, "> 0", "pion form-factor cut-off, charged channels (default 0.68)"},
        {"epsilon", Type::real, "", {}, "0 to 1", "virtual-photon polarization of dsigma_U (default 0.5)"},
        {"beam_energy_gev", Type::real, "GeV", {}, "> 0", "beam energy of the model's own asymmetry BSA (default 5.77)"}};
    static const std::vector<OptionInfo> vr = {
        {"pion_cutoff_gev", Type::real, "GeV", {}, "> 0", "pion form-factor cut-off, charged channels (default 0.655)"},
        {"epsilon", Type::real, "", {}, "0 to 1", "virtual-photon polarization of dsigma_U and BSA (default 0.5)"}};
    static const std::vector<OptionInfo> qvm = {
        {"pion_cutoff_gev", Type::real, "GeV", {}, "> 0", "pion form-factor cut-off, charged channels (default 0.775)"},
        {"nucleon_cutoff_gev", Type::real, "GeV", {}, "> 0", "dipole cut-off of the nucleon form factors (default 1.55)"},
        {"epsilon", Type::real, "", {}, "0 to 1", "virtual-photon polarization of dsigma_U and BSA (default 0.5)"}};
    switch (model) {
        case ModelName::regge: return regge;
        case ModelName::km: return km;
        case ModelName::vr: return vr;
        case ModelName::qvm: return qvm;
    }
    return regge;
}

SettingsError::SettingsError(std::vector<SettingProblem> problems)
    : std::invalid_argument(joined(problems)), problems_(std::move(problems)) {}

ModelChoice::ModelChoice(ModelName model, Channel channel,
                         const std::vector<std::pair<std::string, std::string>>& settings,
                         const std::string& table_path)
    : model_(model), channel_(channel) {
    std::vector<SettingProblem> problems;
    if (!has_channel(model, channel))
        throw SettingsError({{SettingProblem::Kind::invalid_value,
                              "the " + std::string(name_of(model)) + " model has no channel " +
                                  std::string(name_of(channel)) + " (pi+n, pi-p and pi0p only)"}});
    Parser p{problems};
    regge_.channel = models_.channel = channel;
    if (model != ModelName::regge)
        models_.model = model == ModelName::km ? models::ModelKind::km
                        : model == ModelName::vr ? models::ModelKind::vr
                                                 : models::ModelKind::qvm;
    for (const auto& [name, value] : settings) {
        if (name == "epsilon") epsilon_given_ = true;
        given_.push_back(name);
        if (model == ModelName::regge)
            set_regge(regge_, name, value, p);
        else
            set_models(models_, std::string(name_of(model)), name, value, p);
    }
    if (model == ModelName::regge)
        regge_ = checked<regge::Options, regge::Settings>(regge_, problems);
    else
        models_ = checked<models::Options, models::Settings>(models_, problems);
    if (!problems.empty()) throw SettingsError(std::move(problems));
    if (model == ModelName::regge && regge_.form_factors == regge::FormFactors::gpd) {
        try {
            table_ = std::make_shared<const regge::GaussLegendreTable>(
                table_path.empty() ? regge::load_gauss_legendre_table() : regge::load_gauss_legendre_table(table_path));
        } catch (const regge::TableError& e) {
            throw SettingsError({{SettingProblem::Kind::invalid_value,
                                  std::string("the GPD form factors need the Gauss-Legendre table: ") + e.what()}});
        }
    }
}

double ModelChoice::epsilon() const { return model_ == ModelName::regge ? *regge_.epsilon : *models_.epsilon; }

std::vector<ModelChoice::Used> ModelChoice::used() const {
    std::vector<Used> out;
    const auto add = [&](const std::string& name, const std::string& value) {
        bool given = false;
        for (const std::string& g : given_) given = given || g == name || (name.rfind("dds.", 0) == 0 && g == name);
        out.push_back({name, value, !given});
    };
    if (model_ == ModelName::regge) {
        const regge::Options& o = regge_;
        if (o.form_factors) add("form_factors", name_in(kFormFactors, *o.form_factors));
        if (o.gpd_slope_per_gev2) add("gpd_slope_per_gev2", text_of(*o.gpd_slope_per_gev2));
        if (o.nucleon_cutoff_gev) add("nucleon_cutoff_gev", text_of(*o.nucleon_cutoff_gev));
        if (o.pauli_terms) add("pauli_terms", *o.pauli_terms ? "true" : "false");
        if (o.pion_cutoff_mev) add("pion_cutoff_mev", text_of(*o.pion_cutoff_mev));
        if (o.a1_sign) add("a1_sign", name_in(kA1, *o.a1_sign));
        if (o.omega_phase) add("omega_phase", name_in(kOmega, *o.omega_phase));
        if (o.omega_cutoff_mev) add("omega_cutoff_mev", text_of(*o.omega_cutoff_mev));
        if (o.born_terms) add("born_terms", *o.born_terms ? "true" : "false");
        if (o.epsilon) add("epsilon", text_of(*o.epsilon));
        add("unit", name_in(kUnit, o.unit));
        if (o.dds) {
            add("dds.type", name_in(kDds, o.dds->type));
            if (o.dds->phi) add("dds.phi", text_of(*o.dds->phi));
            if (o.dds->cos_phi) add("dds.cos_phi", text_of(*o.dds->cos_phi));
            if (o.dds->cos_2phi) add("dds.cos_2phi", text_of(*o.dds->cos_2phi));
        }
    } else {
        const models::Options& o = models_;
        if (o.pion_cutoff_gev) add("pion_cutoff_gev", text_of(*o.pion_cutoff_gev));
        if (o.nucleon_cutoff_gev) add("nucleon_cutoff_gev", text_of(*o.nucleon_cutoff_gev));
        if (o.epsilon) add("epsilon", text_of(*o.epsilon));
        if (o.beam_energy_gev) add("beam_energy_gev", text_of(*o.beam_energy_gev));
    }
    return out;
}

std::variant<regge::Settings, models::Settings> ModelChoice::settings_at(double eps, double e_beam) const {
    try {
        if (model_ == ModelName::regge) {
            regge::Options o = regge_;
            if (!std::isnan(eps)) o.epsilon = eps;
            return regge::Settings(o);
        }
        models::Options o = models_;
        if (!std::isnan(eps)) o.epsilon = eps;
        if (!std::isnan(e_beam) && model_ == ModelName::km) o.beam_energy_gev = e_beam;
        return models::Settings(o);
    } catch (const InvalidSetting& e) {
        throw SettingsError({{SettingProblem::Kind::invalid_value, e.what()}});
    }
}

void ModelChoice::check(double eps, double e_beam) const { (void)settings_at(eps, e_beam); }

AnyModel ModelChoice::build(double eps, double e_beam) const {
    const auto s = settings_at(eps, e_beam);
    if (const auto* r = std::get_if<regge::Settings>(&s)) return table_ ? regge::Model(*r, *table_) : regge::Model(*r);
    return models::Model(std::get<models::Settings>(s));
}

std::string_view ModelChoice::cross_section_unit() const {
    return model_ == ModelName::regge && regge_.unit == CrossSectionUnit::nanobarn ? "nb" : "ub";
}

Observables evaluate(const AnyModel& model, double w, double q2, Angle angle) {
    return std::visit([&](const auto& m) { return m.evaluate(w, q2, angle); }, model);
}

const std::array<QuantityInfo, quantity_count>& quantities() {
    using K = QuantityInfo::Kind;
    static const std::array<QuantityInfo, quantity_count> table = {{
        {"dsigmaT_dt", K::per_t, false, false, false, "transverse cross section dsigma_T/dt"},
        {"dsigmaL_dt", K::per_t, false, false, false, "longitudinal cross section dsigma_L/dt"},
        {"dsigmaTT_dt", K::per_t, false, false, false, "transverse-transverse interference dsigma_TT/dt"},
        {"dsigmaLT_dt", K::per_t, false, false, false, "longitudinal-transverse interference dsigma_LT/dt"},
        {"dsigmaLTp_dt", K::per_t, false, false, false,
         "polarized LT interference dsigma_LT'/dt (the sign of the KM, VR and QVM models for every model)"},
        {"dsigmaU_dt", K::per_t, true, false, false, "unseparated dsigma_T/dt + eps dsigma_L/dt"},
        {"L_over_T", K::ratio, false, false, false, "dsigma_L/dsigma_T"},
        {"BSA", K::ratio, true, false, false, "the model's own beam-spin asymmetry rule (not comparable across models)"},
        {"ALU_sinphi", K::ratio, true, false, false, "sin(phi) moment of A_LU: sqrt(2 eps (1 - eps)) sigma_LT'/sigma_0"},
        {"sigmaLTp_over_sigma0", K::ratio, true, false, false, "sigma_LT'/sigma_0, sigma_0 = sigma_T + eps sigma_L"},
        {"ALU", K::ratio, true, true, false, "beam-spin asymmetry A_LU at phi (Trento)"},
        {"d2sigma_dt_dphi", K::per_t_per_phi, true, true, false, "unpolarized d2sigma/dt dphi at phi, per radian"},
        {"d4sigma", K::fully_differential, true, true, true, "d4sigma/dQ2 dxB dt dphi of e N -> e' pi N', per radian"},
    }};
    return table;
}

std::optional<Quantity> quantity_named(std::string_view name) {
    for (std::size_t i = 0; i < quantity_count; ++i)
        if (quantities()[i].name == name) return static_cast<Quantity>(i);
    return std::nullopt;
}

std::array<double, quantity_count> values_of(const Observables& point, double eps, double phi, double e_beam,
                                             Channel channel) {
    const CrossSections& x = point.dsigma_dt;
    const Measured m = measured(point, eps, phi, e_beam, target_mass_gev(channel));
    return {x.t, x.l, x.tt, x.lt, x.ltp, x.u, point.lt_ratio, point.bsa, m.alu_sinphi, m.sigma_ltp_over_sigma0,
            m.alu, m.d2sigma_dt_dphi, m.d4sigma};
}

}  // namespace kavrin::frontend
