// The models by name for the front ends (kavrin-eval, the Python module, the web server, the event generator):
// their options with units, defaults and one-line descriptions, settings given by name and checked all at once,
// and the observables of a point under the names of the data files and of the output.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "kavrin/measured.hpp"
#include "kavrin/models.hpp"
#include "kavrin/regge.hpp"

namespace kavrin::frontend {

enum class ModelName { regge, km, vr, qvm };

/// "regge", "km", "vr", "qvm".
std::string_view name_of(ModelName model);
std::optional<ModelName> model_named(std::string_view name);
/// "pi+n", "pi-p", "pi0p", "pi0n".
std::string_view name_of(Channel channel);
std::optional<Channel> channel_named(std::string_view name);
/// Whether the model has the channel (pi0 n is the Regge model's alone).
bool has_channel(ModelName model, Channel channel);

/// One option of a model.
struct OptionInfo {
    enum class Type { real, choice, flag };
    std::string name;                  ///< as in the C++ options and the Python keywords, e.g. "pion_cutoff_gev"
    Type type = Type::real;
    std::string unit;                  ///< "GeV", "MeV", "GeV^-2" or empty
    std::vector<std::string> choices;  ///< the valid values of a choice
    std::string range;                 ///< the valid values of a real, in words ("> 0", "0 to 1")
    std::string description;           ///< one line
};

/// The options of a model.
const std::vector<OptionInfo>& options_of(ModelName model);
/// The option of that name, or null.
const OptionInfo* find_option(ModelName model, std::string_view name);
/// One line of help: "name (unit or choices): description (default ...)".
std::string option_line(const OptionInfo& option);

/// A real as the shortest text that reads back to the same value ("2.2", "1e-05", "NaN").
std::string text_of(double x);

/// One problem with the settings: an unknown name, a value that is not of the option's type, a value out of
/// range or an option that does not apply.
struct SettingProblem {
    enum class Kind { unknown_option, bad_type, invalid_value };
    Kind kind;
    std::string message;
};

/// Every problem of one set of settings; what() lists them, one per line.
class SettingsError : public std::invalid_argument {
public:
    explicit SettingsError(std::vector<SettingProblem> problems);
    const std::vector<SettingProblem>& problems() const noexcept { return problems_; }

private:
    std::vector<SettingProblem> problems_;
};

using AnyModel = std::variant<regge::Model, models::Model>;

/// A model chosen by name, with its settings completed by the defaults and checked.
class ModelChoice {
public:
    /// Settings by name, values as text ("0.655", "dipole", "true"). Throws SettingsError with every problem.
    /// The Regge model's GPD form factors read the Gauss-Legendre table `table_path` (empty: the library's
    /// default place) once, here.
    ModelChoice(ModelName model, Channel channel, const std::vector<std::pair<std::string, std::string>>& settings,
                const std::string& table_path = {});

    ModelName model() const noexcept { return model_; }
    Channel channel() const noexcept { return channel_; }
    /// Whether the settings gave epsilon (else it is the default).
    bool epsilon_given() const noexcept { return epsilon_given_; }
    /// The epsilon of the settings (given or default).
    double epsilon() const;
    /// The options as used, each applying option with its value as text and whether it is the default.
    struct Used {
        std::string name, value;
        bool is_default;
    };
    std::vector<Used> used() const;
    /// The model at polarization eps and beam energy e_beam (GeV; the KM asymmetry): NaN keeps the settings'
    /// own. Throws SettingsError when eps or e_beam is invalid.
    AnyModel build(double eps = std::numeric_limits<double>::quiet_NaN(),
                   double e_beam = std::numeric_limits<double>::quiet_NaN()) const;
    /// Checks what build(eps, e_beam) checks, without making the model (cheap: no table work). Throws
    /// SettingsError as build does.
    void check(double eps = std::numeric_limits<double>::quiet_NaN(),
               double e_beam = std::numeric_limits<double>::quiet_NaN()) const;
    /// "ub" or "nb": the unit of the cross sections (the Regge model's unit option).
    std::string_view cross_section_unit() const;

private:
    /// The settings at eps and e_beam (NaN: the settings' own); SettingsError when they are invalid.
    std::variant<regge::Settings, models::Settings> settings_at(double eps, double e_beam) const;

    ModelName model_;
    Channel channel_;
    bool epsilon_given_ = false;
    regge::Options regge_;
    models::Options models_;
    std::vector<std::string> given_;
    std::shared_ptr<const regge::GaussLegendreTable> table_;
};

/// The observables of a point.
Observables evaluate(const AnyModel& model, double w, double q2, Angle angle);

/// The observables the front ends name, in the order the output lists them.
enum class Quantity : std::size_t {
    dsigmaT_dt, dsigmaL_dt, dsigmaTT_dt, dsigmaLT_dt, dsigmaLTp_dt, dsigmaU_dt, L_over_T, BSA,
    ALU_sinphi, sigmaLTp_over_sigma0, ALU, d2sigma_dt_dphi, d4sigma, count
};
inline constexpr std::size_t quantity_count = static_cast<std::size_t>(Quantity::count);

struct QuantityInfo {
    std::string_view name;
    enum class Kind { per_t, ratio, per_t_per_phi, fully_differential } kind;
    bool needs_epsilon;  ///< needs the photon polarization (from eps, E_beam or the settings)
    bool needs_phi;      ///< needs phi_deg
    bool needs_beam;     ///< needs E_beam
    std::string_view description;
};
const std::array<QuantityInfo, quantity_count>& quantities();
std::optional<Quantity> quantity_named(std::string_view name);

/// The values of every quantity at a point: cross sections in the point's unit (per GeV^2, per GeV^2 per radian,
/// per GeV^4 per radian), NaN where the point lacks what a quantity needs (eps, phi in radians, e_beam NaN).
std::array<double, quantity_count> values_of(const Observables& point, double eps, double phi, double e_beam,
                                             Channel channel);

}  // namespace kavrin::frontend
