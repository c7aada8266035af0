#include "kavrin-eval/eval.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iomanip>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "io/results.hpp"
#include "kavrin-eval/points.hpp"
#include "figures/gnuplot.hpp"
#include "kavrin/models.hpp"
#include "kavrin/regge.hpp"
#include "kernel/free_format.hpp"
#include "kinematics/kinematics.hpp"

namespace kavrin::eval {

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

const char* const kUsage =
    "usage: kavrin-eval --model regge|km|vr|qvm --channel pi+n|pi-p|pi0p|pi0n [--set NAME=VALUE]...\n"
    "                   [--threads N] [--compare DATA_FILE [--table] [--plot DIR]] [POINTS_FILE|-]\n"
    "\n"
    "Evaluates a model at every row of a table of points (W or xB, Q2, one of minus_t, theta_deg, cos_theta;\n"
    "optionally eps or E_beam) and writes one line per point: the kinematics and dsigmaT_dt ... dsigmaU_dt,\n"
    "L_over_T, BSA. With --compare, compares the model with the measured columns of DATA_FILE (chi2 per\n"
    "observable; --table the pulls point by point; --plot DIR one figure per observable and setting).\n"
    "--set takes the options of the C++ and Python API, in their units (pion_cutoff_gev=0.655, epsilon=0.5,\n"
    "form_factors=dipole, a1_sign=positive, dds.type=jlab, ...). The table format is in README.md.\n";

/// A command line error or a bad setting: exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// ---- the model and its settings by name ------------------------------------------------------------------

using AnyModel = std::variant<regge::Model, models::Model>;

struct ModelChoice {
    std::string model;
    Channel channel = Channel::pi_plus_n;
    regge::Options regge;
    models::Options models;
    bool is_regge() const { return model == "regge"; }
};

double real_setting(const std::string& name, const std::string& value) {
    const std::optional<double> v = parse_fortran_real(value);
    if (!v) throw UsageError("invalid setting " + name + " = " + value + ": expected a number");
    return *v;
}

bool flag_setting(const std::string& name, const std::string& value) {
    if (value == "true" || value == "1") return true;
    if (value == "false" || value == "0") return false;
    throw UsageError("invalid setting " + name + " = " + value + ": expected true or false");
}

template <class E>
E choice_setting(const std::string& name, const std::string& value, const std::map<std::string, E>& names) {
    const auto it = names.find(value);
    if (it != names.end()) return it->second;
    std::string valid;
    for (const auto& [n, e] : names) valid += (valid.empty() ? "" : ", ") + n;
    throw UsageError("invalid setting " + name + " = " + value + ": expected one of " + valid);
}

void set_option(ModelChoice& chosen, const std::string& name, const std::string& value) {
    if (chosen.is_regge()) {
        using namespace regge;
        Options& o = chosen.regge;
        if (name == "form_factors")
            o.form_factors = choice_setting<FormFactors>(name, value, {{"gpd", FormFactors::gpd}, {"dipole", FormFactors::dipole}});
        else if (name == "gpd_slope_per_gev2") o.gpd_slope_per_gev2 = real_setting(name, value);
        else if (name == "nucleon_cutoff_gev") o.nucleon_cutoff_gev = real_setting(name, value);
        else if (name == "pauli_terms") o.pauli_terms = flag_setting(name, value);
        else if (name == "pion_cutoff_mev") o.pion_cutoff_mev = real_setting(name, value);
        else if (name == "a1_sign")
            o.a1_sign = choice_setting<A1Sign>(name, value, {{"positive", A1Sign::positive}, {"negative", A1Sign::negative}});
        else if (name == "omega_phase")
            o.omega_phase = choice_setting<OmegaPhase>(
                name, value, {{"non_degenerate", OmegaPhase::non_degenerate}, {"degenerate", OmegaPhase::degenerate}});
        else if (name == "omega_cutoff_mev") o.omega_cutoff_mev = real_setting(name, value);
        else if (name == "born_terms") o.born_terms = flag_setting(name, value);
        else if (name == "epsilon") o.epsilon = real_setting(name, value);
        else if (name == "unit")
            o.unit = choice_setting<CrossSectionUnit>(
                name, value, {{"microbarn", CrossSectionUnit::microbarn}, {"nanobarn", CrossSectionUnit::nanobarn}});
        else if (name.rfind("dds.", 0) == 0) {
            Dds d = o.dds.value_or(Dds{});
            if (name == "dds.type")
                d.type = choice_setting<DdsType>(name, value,
                                                 {{"desy", DdsType::desy}, {"cornell_fixed", DdsType::cornell_fixed},
                                                  {"cornell_averaged", DdsType::cornell_averaged},
                                                  {"cea", DdsType::cea}, {"jlab", DdsType::jlab}});
            else if (name == "dds.phi") d.phi = real_setting(name, value);
            else if (name == "dds.cos_phi") d.cos_phi = real_setting(name, value);
            else if (name == "dds.cos_2phi") d.cos_2phi = real_setting(name, value);
            else throw UsageError("unknown setting " + name + " of the regge model");
            o.dds = d;
        } else
            throw UsageError("unknown setting " + name + " of the regge model");
        return;
    }
    models::Options& o = chosen.models;
    if (name == "pion_cutoff_gev") o.pion_cutoff_gev = real_setting(name, value);
    else if (name == "nucleon_cutoff_gev") o.nucleon_cutoff_gev = real_setting(name, value);
    else if (name == "epsilon") o.epsilon = real_setting(name, value);
    else if (name == "beam_energy_gev") o.beam_energy_gev = real_setting(name, value);
    else throw UsageError("unknown setting " + name + " of the " + chosen.model + " model");
}

// The chosen model with a row's epsilon and beam energy (NaN: not given by the row).
AnyModel make_model(const ModelChoice& chosen, double eps, double e_beam) {
    try {
        if (chosen.is_regge()) {
            regge::Options o = chosen.regge;
            if (!std::isnan(eps)) o.epsilon = eps;
            return regge::Model(regge::Settings(o));
        }
        models::Options o = chosen.models;
        if (!std::isnan(eps)) o.epsilon = eps;
        if (!std::isnan(e_beam) && o.model == models::ModelKind::km) o.beam_energy_gev = e_beam;
        return models::Model(models::Settings(o));
    } catch (const InvalidSetting& e) {
        throw UsageError(e.what());
    }
}

// ---- the points --------------------------------------------------------------------------------------------

// The kinematics of one row as used.
struct Point {
    double w = nan, q2 = nan, xb = nan, eps = nan, e_beam = nan;
    Angle angle = Angle::minus_t(nan);
};

double target_mass(Channel c) {
    return c == Channel::pi_minus_p || c == Channel::pi0_n ? 0.939565 : 0.938272;  // GeV
}

// eps from the beam energy: nu = Q^2/(2 M x_B), y = nu/E, gamma^2 = Q^2/nu^2.
double epsilon_of_beam(double q2, double xb, double e, double m) {
    const double nu = q2 / (2.0 * m * xb);
    const double y = nu / e, g2 = q2 / (nu * nu);
    return (1.0 - y - y * y * g2 / 4.0) / (1.0 - y + y * y / 2.0 + y * y * g2 / 4.0);
}

Point point_of(const PointTable& t, const std::vector<double>& row, const ModelChoice& chosen) {
    Point p;
    const double m = target_mass(chosen.channel);
    p.q2 = row[*t.q2];
    if (t.w) {
        p.w = row[*t.w];
        p.xb = xb_of_w(p.w, p.q2, m);
    } else {
        p.xb = row[*t.xb];
        p.w = w_of_xb(p.q2, p.xb, m);
    }
    const double a = row[*t.angle];
    p.angle = t.angle_kind == AngleColumn::minus_t     ? Angle::minus_t(a)
              : t.angle_kind == AngleColumn::theta_deg ? Angle::theta(a * std::numbers::pi / 180.0)
                                                       : Angle::cos_theta(a);
    if (t.eps) p.eps = row[*t.eps];
    if (t.e_beam) {
        p.e_beam = row[*t.e_beam];
        p.eps = epsilon_of_beam(p.q2, p.xb, p.e_beam, m);
    }
    return p;
}

// The observables of every point, in row order, computed on `threads` threads.
std::vector<Observables> evaluate_all(const ModelChoice& chosen, const std::vector<Point>& points, unsigned threads) {
    // one model per (eps, beam energy) of the rows, made before the points are shared out
    std::map<std::pair<double, double>, AnyModel> models;
    const auto key = [](const Point& p) { return std::pair{std::isnan(p.eps) ? -1.0 : p.eps, std::isnan(p.e_beam) ? -1.0 : p.e_beam}; };
    for (const Point& p : points)
        if (!models.count(key(p))) models.emplace(key(p), make_model(chosen, p.eps, p.e_beam));
    std::vector<Observables> out(points.size());
    const auto work = [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const Point& p = points[i];
            out[i] = std::visit([&](const auto& m) { return m.evaluate(p.w, p.q2, p.angle); }, models.at(key(p)));
        }
    };
    const std::size_t n = points.size();
    const std::size_t k = std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(1, n / 16));
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < k; ++t) pool.emplace_back(work, n * t / k, n * (t + 1) / k);
    work(0, n / k);
    for (std::thread& t : pool) t.join();
    return out;
}

double value_of(const Observables& o, std::size_t observable) {
    const CrossSections& t = o.dsigma_dt;
    const double v[] = {t.t, t.l, t.tt, t.lt, t.ltp, t.u, o.lt_ratio, o.bsa};
    return v[observable];
}

std::string unit_of(const ModelChoice& chosen) {
    return chosen.is_regge() && chosen.regge.unit == CrossSectionUnit::nanobarn ? "nb/GeV2" : "ub/GeV2";
}

// ---- the comparison ----------------------------------------------------------------------------------------

struct Pull {
    std::size_t row;
    std::size_t measured;
    double model, data, error;
};

// The model value of a measured observable in the data's unit.
double model_in_data_unit(const ModelChoice& chosen, const Measured& m, double model) {
    if (m.unit.empty()) return model;
    const double model_to_microbarn = unit_of(chosen) == "nb/GeV2" ? 1e-3 : 1.0;
    return model * model_to_microbarn / m.to_microbarn;
}

std::vector<Pull> pulls_of(const ModelChoice& chosen, const PointTable& t, const std::vector<Observables>& obs) {
    std::vector<Pull> out;
    for (std::size_t r = 0; r < t.rows.size(); ++r)
        for (std::size_t k = 0; k < t.measured.size(); ++k) {
            const Measured& m = t.measured[k];
            double e2 = 0.0;
            for (std::size_t c : m.errors) e2 += t.rows[r][c] * t.rows[r][c];
            out.push_back({r, k, model_in_data_unit(chosen, m, value_of(obs[r], m.observable)), t.rows[r][m.value],
                           std::sqrt(e2)});
        }
    return out;
}

void write_chi2(std::ostream& out, const PointTable& t, const std::vector<Pull>& pulls) {
    double total = 0.0;
    std::size_t total_n = 0;
    const auto line = [&out](const std::string& name, double chi2, std::size_t n) {
        out << name << ": chi2 = " << chi2 << " over " << n << " points, chi2/N = " << (n ? chi2 / n : nan) << "\n";
    };
    for (std::size_t k = 0; k < t.measured.size(); ++k) {
        double chi2 = 0.0;
        std::size_t n = 0;
        std::string not_a_number;
        for (const Pull& p : pulls) {
            if (p.measured != k) continue;
            const double pull = (p.model - p.data) / p.error;
            if (std::isfinite(pull)) {
                chi2 += pull * pull;
                ++n;
            } else {
                not_a_number += (not_a_number.empty() ? "" : ", ") + std::to_string(t.line_of_row[p.row]);
            }
        }
        const std::string& name = observable_names[t.measured[k].observable];
        line(name, chi2, n);
        if (!not_a_number.empty())
            out << name << ": not counted, the model or the error not a number at line(s) " << not_a_number << " of "
                << t.file << "\n";
        total += chi2;
        total_n += n;
    }
    line("total", total, total_n);
}

void write_pull_table(std::ostream& out, const PointTable& t, const std::vector<Pull>& pulls) {
    out << "line observable model data error pull\n";
    for (const Pull& p : pulls)
        out << t.line_of_row[p.row] << " " << observable_names[t.measured[p.measured].observable] << " "
            << io::format_real(p.model) << " " << io::format_real(p.data) << " " << io::format_real(p.error) << " "
            << io::format_real((p.model - p.data) / p.error) << "\n";
}

// ---- the figures ---------------------------------------------------------------------------------------

std::string channel_title(Channel c) {
    switch (c) {
        case Channel::pi_plus_n: return "γ* p → π^+ n";
        case Channel::pi_minus_p: return "γ* n → π^- p";
        case Channel::pi0_p: return "γ* p → π^0 p";
        case Channel::pi0_n: return "γ* n → π^0 n";
    }
    return "";
}

// An observable as gnuplot's enhanced text.
std::string label_of(const std::string& name) {
    static const std::map<std::string, std::string> labels = {
        {"dsigmaT_dt", "dσ_T/dt"},   {"dsigmaL_dt", "dσ_L/dt"},     {"dsigmaTT_dt", "dσ_{TT}/dt"},
        {"dsigmaLT_dt", "dσ_{LT}/dt"}, {"dsigmaLTp_dt", "dσ_{LT′}/dt"}, {"dsigmaU_dt", "dσ_U/dt"},
        {"L_over_T", "σ_L/σ_T"},      {"BSA", "beam-spin asymmetry"}};
    return labels.at(name);
}

// One figure per measured observable and setting (rows of equal W or xB, Q2 and eps): the data against -t with
// error bars, and the model on a fine -t grid through the setting's mean kinematics.
void draw(const std::string& dir, const ModelChoice& chosen, const PointTable& t, const std::vector<Point>& points,
          const std::vector<Observables>& obs, unsigned threads, std::ostream& out) {
    const std::optional<std::filesystem::path> gnuplot = figures::find_gnuplot();
    if (!gnuplot) throw std::runtime_error("gnuplot is not installed (Debian: gnuplot-nox); no figure drawn");
    std::filesystem::create_directories(dir);
    std::map<std::tuple<double, double, double>, std::vector<std::size_t>> settings;
    for (std::size_t r = 0; r < points.size(); ++r) {
        const double a = t.w ? points[r].w : points[r].xb;
        settings[{std::round(a * 50) / 50, std::round(points[r].q2 * 10) / 10, std::round(points[r].eps * 20) / 20}]
            .push_back(r);
    }
    int figure = 0;
    for (const auto& [setting, rows] : settings) {
        ++figure;
        // the model along -t at the setting's mean kinematics
        double w = 0, q2 = 0, lo = 1e300, hi = -1e300;
        for (std::size_t r : rows) {
            w += points[r].w / rows.size();
            q2 += points[r].q2 / rows.size();
            lo = std::min(lo, -obs[r].t);
            hi = std::max(hi, -obs[r].t);
        }
        const double eps = points[rows.front()].eps, e_beam = points[rows.front()].e_beam;
        std::vector<Point> curve;
        for (int i = 0; i <= 200; ++i) {
            Point p = points[rows.front()];
            p.w = w;
            p.q2 = q2;
            p.angle = Angle::minus_t(std::max(0.0, lo - 0.1 * (hi - lo + 0.1)) + (hi - lo + 0.2 * (hi - lo + 0.1)) * i / 200.0);
            curve.push_back(p);
        }
        const std::vector<Observables> model = evaluate_all(chosen, curve, threads);
        for (const Measured& m : t.measured) {
            const std::string name = observable_names[m.observable];
            const std::string stem = name + "-" + std::to_string(figure);
            std::ofstream data(std::filesystem::path(dir) / (stem + ".data"));
            data << "# -t data error\n";
            for (std::size_t r : rows) {
                double e2 = 0.0;
                for (std::size_t c : m.errors) e2 += t.rows[r][c] * t.rows[r][c];
                data << -obs[r].t << " " << t.rows[r][m.value] << " " << std::sqrt(e2) << "\n";
            }
            data << "\n\n# -t model\n";
            for (std::size_t i = 0; i < curve.size(); ++i) {
                const double v = model_in_data_unit(chosen, m, value_of(model[i], m.observable));
                if (std::isfinite(v)) data << -model[i].t << " " << v << "\n";
            }
            data.close();
            if (!data) throw std::runtime_error("cannot write " + (std::filesystem::path(dir) / (stem + ".data")).string());
            std::ostringstream title;
            title << channel_title(chosen.channel) << ", " << chosen.model << " model: W = " << std::setprecision(3) << w
                  << " GeV, Q^2 = " << q2 << " GeV^2";
            if (t.xb) title << ", x_B = " << points[rows.front()].xb;
            if (!std::isnan(eps)) title << ", ε = " << eps;
            if (!std::isnan(e_beam)) title << " (E = " << e_beam << " GeV)";
            const std::string unit = m.unit.empty() ? "" : " (" + (m.unit == "nb/GeV2" ? std::string("nb/GeV^2") : "μb/GeV^2") + ")";
            std::ostringstream gp;
            gp << "set terminal pngcairo size 800,560 enhanced font 'sans,11'\nset output '" << stem << ".png'\n"
               << "set title " << figures::gnuplot_quote(title.str()) << "\nset xlabel '−t (GeV^2)'\nset ylabel "
               << figures::gnuplot_quote(label_of(name) + unit) << "\nset key top right\nset grid\n"
               << "plot '" << stem << ".data' index 0 using 1:2:3 with yerrorbars pt 7 title "
               << figures::gnuplot_quote(std::filesystem::path(t.file).filename().string())
               << ", '' index 1 using 1:2 with lines lw 2 title 'model'\n";
            std::ofstream(std::filesystem::path(dir) / (stem + ".gp")) << gp.str();
            const figures::GnuplotRun r = figures::run_gnuplot(*gnuplot, dir, stem + ".gp");
            if (r.status != 0) throw std::runtime_error("gnuplot failed on " + stem + ".gp: " + r.messages);
            out << "figure: " << (std::filesystem::path(dir) / (stem + ".png")).string() << "\n";
        }
    }
}

// ---- the command line ------------------------------------------------------------------------------------

struct Command {
    ModelChoice chosen;
    std::vector<std::pair<std::string, std::string>> sets;
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::string input = "-";
    std::optional<std::string> compare, plot_dir;
    bool table = false;
};

Command parse(int argc, const char* const* argv) {
    Command c;
    std::optional<std::string> model, channel, input;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError(a + " needs a value");
            return argv[++i];
        };
        if (a == "--model") model = value();
        else if (a == "--channel") channel = value();
        else if (a == "--set") {
            const std::string s = value();
            const std::size_t eq = s.find('=');
            if (eq == std::string::npos) throw UsageError("--set " + s + ": expected NAME=VALUE");
            c.sets.emplace_back(s.substr(0, eq), s.substr(eq + 1));
        } else if (a == "--threads") {
            const std::optional<double> n = parse_fortran_real(value());
            if (!n || *n < 1 || *n > 1024 || *n != std::floor(*n)) throw UsageError("--threads needs a whole number from 1 to 1024");
            c.threads = static_cast<unsigned>(*n);
        } else if (a == "--compare") c.compare = value();
        else if (a == "--table") c.table = true;
        else if (a == "--plot") c.plot_dir = value();
        else if (a.size() > 1 && a[0] == '-' && a != "-") throw UsageError("unknown option " + a);
        else if (input) throw UsageError("more than one points file: " + *input + ", " + a);
        else input = a;
    }
    if (!model) throw UsageError("--model is required");
    if (!channel) throw UsageError("--channel is required");
    if (c.compare && input) throw UsageError("--compare reads its points from DATA_FILE; give no POINTS_FILE");
    if ((c.table || c.plot_dir) && !c.compare) throw UsageError("--table and --plot go with --compare");
    static const std::map<std::string, Channel> channels = {
        {"pi+n", Channel::pi_plus_n}, {"pi-p", Channel::pi_minus_p}, {"pi0p", Channel::pi0_p}, {"pi0n", Channel::pi0_n}};
    const auto ch = channels.find(*channel);
    if (ch == channels.end()) throw UsageError("invalid --channel " + *channel + ": expected pi+n, pi-p, pi0p or pi0n");
    c.chosen.model = *model;
    c.chosen.channel = ch->second;
    c.chosen.regge.channel = c.chosen.models.channel = ch->second;
    static const std::map<std::string, models::ModelKind> kinds = {
        {"km", models::ModelKind::km}, {"vr", models::ModelKind::vr}, {"qvm", models::ModelKind::qvm}};
    if (*model != "regge") {
        const auto k = kinds.find(*model);
        if (k == kinds.end()) throw UsageError("invalid --model " + *model + ": expected regge, km, vr or qvm");
        c.chosen.models.model = k->second;
    }
    for (const auto& [name, v] : c.sets) set_option(c.chosen, name, v);
    c.input = c.compare ? *c.compare : input.value_or("-");
    return c;
}

}  // namespace

int run(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help") {
            out << kUsage;
            return 0;
        }
        if (a == "--version") {
            out << "kavrin-eval " << KAVRIN_VERSION << "\n";
            return 0;
        }
    }
    try {
        const Command c = parse(argc, argv);
        PointTable table;
        if (c.input == "-") {
            table = read_point_table(in, "standard input");
        } else {
            std::ifstream file(c.input);
            if (!file) throw UsageError("cannot open " + c.input);
            table = read_point_table(file, c.input);
        }
        std::vector<Point> points;
        for (const std::vector<double>& row : table.rows) points.push_back(point_of(table, row, c.chosen));
        if (points.empty()) make_model(c.chosen, nan, nan);  // the settings are checked all the same
        const std::vector<Observables> obs = evaluate_all(c.chosen, points, c.threads);

        if (!c.compare) {
            const std::string u = std::string("[").append(unit_of(c.chosen)).append("]");
            out << "W Q2 xB minus_t eps";
            for (std::size_t k = 0; k < observable_names.size(); ++k)
                out << " " << observable_names[k] << (k < 6 ? u : "");
            out << "\n";
            for (std::size_t r = 0; r < points.size(); ++r) {
                const Point& p = points[r];
                std::string line;
                for (double v : {p.w, p.q2, p.xb, -obs[r].t, p.eps}) line.append(" ").append(io::format_real(v));
                for (std::size_t k = 0; k < observable_names.size(); ++k)
                    line.append(" ").append(io::format_real(value_of(obs[r], k)));
                out << line << "\n";
            }
        } else {
            if (table.measured.empty()) throw UsageError(table.file + ": no measured column to compare with");
            const std::vector<Pull> pulls = pulls_of(c.chosen, table, obs);
            if (c.table) write_pull_table(out, table, pulls);
            write_chi2(out, table, pulls);
            if (c.plot_dir) draw(*c.plot_dir, c.chosen, table, points, obs, c.threads, out);
        }
        out.flush();
        if (!out) throw std::runtime_error("cannot write standard output");
        return 0;
    } catch (const UsageError& e) {
        err << "kavrin-eval: " << e.what() << "\n";
        return 2;
    } catch (const TableError& e) {
        err << "kavrin-eval: " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        err << "kavrin-eval: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace kavrin::eval
