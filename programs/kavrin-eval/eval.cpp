#include "kavrin-eval/eval.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <limits>
#include <map>
#include <numbers>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "frontend/catalog.hpp"
#include "frontend/data_files.hpp"
#include "frontend/data_table.hpp"
#include "frontend/evaluate.hpp"
#include "frontend/files.hpp"
#include "frontend/parallel.hpp"
#include "io/results.hpp"
#include "io/run.hpp"
#include "figures/files.hpp"
#include "figures/gnuplot.hpp"
#include "kavrin/measured.hpp"

namespace kavrin::eval {

namespace {

using frontend::AngleColumn;
using frontend::Measured;
using frontend::ModelChoice;
using frontend::PointTable;
using frontend::TableError;
using frontend::max_table_bytes;
using frontend::read_point_table;
using frontend::ModelName;
using frontend::printable;
using frontend::Quantity;
using frontend::quantity_count;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double deg = std::numbers::pi / 180.0;

std::string usage() {
    std::string s =
        "usage: kavrin-eval --model M[,M...] --channel pi+n|pi-p|pi0p|pi0n [--set [MODEL:]NAME=VALUE]...\n"
        "                   [--threads N] [--compare DATA_FILE [--table] [--plot DIR]] [POINTS_FILE|-]\n"
        "\n"
        "Evaluates the models (regge, km, vr, qvm; several separated by commas) at every row of a table of points\n"
        "(W or xB, Q2, one of minus_t, theta_deg, cos_theta; optionally eps, E_beam, phi_deg) and writes one line\n"
        "per model and point: the kinematics as used, the columns carried along, and dsigmaT_dt ... dsigmaU_dt,\n"
        "L_over_T, BSA (each model's own rule), ALU_sinphi, sigmaLTp_over_sigma0 and, with phi_deg, ALU and\n"
        "d2sigma_dt_dphi, with phi_deg and E_beam d4sigma. With --compare, compares each model with the measured\n"
        "columns of DATA_FILE (chi2 per observable; --table the pulls point by point; --plot DIR one figure per\n"
        "observable and setting, every model's curve in it).\n"
        "eps comes from the row's eps, else from its E_beam, else from --set epsilon (an observable that needs it\n"
        "is not compared without one of them). --threads N or KAVRIN_THREADS sets the threads (default: every core).\n"
        "\n"
        "--set NAME=VALUE sets an option of every chosen model that has it; --set km:NAME=VALUE of one model.\n"
        "Every option has a default:\n";
    for (ModelName m : {ModelName::regge, ModelName::km, ModelName::vr, ModelName::qvm}) {
        s += "  " + std::string(frontend::name_of(m)) + ":\n";
        for (const frontend::OptionInfo& o : frontend::options_of(m)) s += "    " + frontend::option_line(o) + "\n";
    }
    s += "\nThe table format, the shipped data and each model's chi2: " KAVRIN_DOC_DIR
         "/docs/eval.md (docs/eval.md in the source tree); the measurements: " KAVRIN_DOC_DIR "/data/experiment/.\n";
    return s;
}

/// A command line error or a bad setting or table: exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// ---- the command line ------------------------------------------------------------------------------------

struct Setting {
    std::optional<ModelName> model;  ///< the model it is for, or every model that has the option
    std::string name, value;
};

struct Command {
    std::vector<ModelName> models;
    Channel channel = Channel::pi_plus_n;
    std::vector<Setting> sets;
    std::optional<unsigned> threads;
    std::string input = "-";
    std::optional<std::string> compare, plot_dir;
    bool table = false;
};

Command parse(int argc, const char* const* argv) {
    Command c;
    std::vector<std::string> errors;
    std::optional<std::string> model, channel, input;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) {
                errors.push_back(a + " needs a value");
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        if (a == "--model") model = value();
        else if (a == "--channel") channel = value();
        else if (a == "--set") {
            const std::optional<std::string> s = value();
            if (!s) continue;
            const std::size_t eq = s->find('=');
            if (eq == std::string::npos) {
                errors.push_back("--set " + printable(*s) + ": expected NAME=VALUE or MODEL:NAME=VALUE");
                continue;
            }
            Setting set{std::nullopt, s->substr(0, eq), s->substr(eq + 1)};
            if (const std::size_t colon = set.name.find(':'); colon != std::string::npos) {
                set.model = frontend::model_named(set.name.substr(0, colon));
                if (!set.model) {
                    errors.push_back("--set " + printable(*s) + ": no model " + printable(set.name.substr(0, colon)) +
                                     " (regge, km, vr or qvm)");
                    continue;
                }
                set.name = set.name.substr(colon + 1);
            }
            c.sets.push_back(set);
        } else if (a == "--threads") {
            const std::optional<std::string> v = value();
            if (!v) continue;
            try {
                c.threads = io::threads_of(v->c_str());
            } catch (const std::invalid_argument&) {
                errors.push_back("--threads " + printable(*v) + ": give a whole number from 1 to 1024");
            }
        } else if (a == "--compare") c.compare = value();
        else if (a == "--table") c.table = true;
        else if (a == "--plot") c.plot_dir = value();
        else if (a.size() > 1 && a[0] == '-' && a != "-") errors.push_back("unknown option " + printable(a));
        else if (input) errors.push_back("more than one points file: " + printable(*input) + ", " + printable(a));
        else input = a;
    }
    if (!model) errors.push_back("--model is required (regge, km, vr or qvm, or several: km,vr)");
    if (!channel) errors.push_back("--channel is required (pi+n, pi-p, pi0p or pi0n)");
    if (c.compare && input) errors.push_back("--compare reads its points from DATA_FILE; give no POINTS_FILE");
    if ((c.table || c.plot_dir) && !c.compare) errors.push_back("--table and --plot go with --compare");
    if (model) {
        std::string rest = *model;
        for (std::size_t at = 0; at <= rest.size();) {
            const std::size_t comma = std::min(rest.find(',', at), rest.size());
            const std::string name = rest.substr(at, comma - at);
            const std::optional<ModelName> m = frontend::model_named(name);
            if (!m) errors.push_back("invalid --model " + printable(name) + ": expected regge, km, vr or qvm");
            else if (std::find(c.models.begin(), c.models.end(), *m) == c.models.end()) c.models.push_back(*m);
            at = comma + 1;
        }
    }
    if (channel) {
        const std::optional<Channel> ch = frontend::channel_named(*channel);
        if (!ch) errors.push_back("invalid --channel " + printable(*channel) + ": expected pi+n, pi-p, pi0p or pi0n");
        else c.channel = *ch;
    }
    for (const Setting& s : c.sets)
        if (s.model && std::find(c.models.begin(), c.models.end(), *s.model) == c.models.end() && model)
            errors.push_back("--set " + std::string(frontend::name_of(*s.model)) + ":" + printable(s.name) +
                             ": the " + std::string(frontend::name_of(*s.model)) + " model is not chosen");
    if (!errors.empty()) {
        std::string all;
        for (const std::string& e : errors) all += (all.empty() ? "" : "\n") + e;
        throw UsageError(all);
    }
    c.input = c.compare ? *c.compare : input.value_or("-");
    return c;
}

// The chosen models with their settings; every problem of every model reported at once.
std::vector<ModelChoice> choose(const Command& c) {
    std::vector<std::string> errors;
    for (const Setting& s : c.sets)
        if (!s.model && std::none_of(c.models.begin(), c.models.end(), [&](ModelName m) { return frontend::find_option(m, s.name) != nullptr; }))
            errors.push_back("unknown option " + printable(s.name) + ": no chosen model has it (see --help)");
    std::vector<ModelChoice> out;
    for (ModelName m : c.models) {
        std::vector<std::pair<std::string, std::string>> settings;
        for (const Setting& s : c.sets)
            if (s.model ? *s.model == m : frontend::find_option(m, s.name) != nullptr) settings.emplace_back(s.name, s.value);
        try {
            out.emplace_back(m, c.channel, settings, frontend::program_table_path());
        } catch (const frontend::SettingsError& e) {
            for (const frontend::SettingProblem& p : e.problems())
                errors.push_back(std::string(frontend::name_of(m)) + ": " + printable(p.message, 400));
        }
    }
    if (!errors.empty()) {
        std::string all;
        for (const std::string& e : errors) all += (all.empty() ? "" : "\n") + e;
        throw UsageError(all);
    }
    return out;
}

// ---- the points ------------------------------------------------------------------------------------------

// The kinematics of one row as used (W, Q^2, -t in GeV units; phi in radians).
struct Point {
    double w = nan, q2 = nan, xb = nan, e_beam = nan, phi = nan;
    std::optional<double> eps;  ///< from the row (eps or E_beam); else the model's setting
    Angle angle = Angle::minus_t(nan);
};

std::vector<Point> points_of(const PointTable& t, Channel channel) {
    const double m = target_mass_gev(channel);
    std::vector<Point> out;
    out.reserve(t.rows.size());
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const std::vector<double>& row = t.rows[r];
        Point p;
        p.q2 = row[*t.q2];
        if (t.w) {
            p.w = row[*t.w];
            p.xb = xb_of(p.w, p.q2, m);
        } else {
            p.xb = row[*t.xb];
            p.w = w_of(p.q2, p.xb, m);
        }
        const double a = row[*t.angle];
        p.angle = t.angle_kind == AngleColumn::minus_t     ? Angle::minus_t(a)
                  : t.angle_kind == AngleColumn::theta_deg ? Angle::theta(a * deg)
                                                           : Angle::cos_theta(a);
        if (t.phi) p.phi = row[*t.phi] * deg;
        if (t.e_beam) p.e_beam = row[*t.e_beam];
        if (t.eps) {
            p.eps = row[*t.eps];
        } else if (t.e_beam) {
            const double eps = epsilon_of_beam(p.q2, p.xb, p.e_beam, m);
            if (std::isnan(eps))
                throw TableError(printable(t.file) + ":" + std::to_string(t.line_of_row[r]) + ": E_beam = " +
                                 frontend::text_of(p.e_beam) + " GeV: no electron of this energy scatters to Q2 = " +
                                 frontend::text_of(p.q2) + " GeV^2, xB = " + frontend::text_of(p.xb) +
                                 " (it needs E > nu and 4 E (E - nu) > Q2, nu = Q2/(2 M xB))");
            p.eps = eps;
        }
        out.push_back(p);
    }
    return out;
}

// The values of one model at every point, on `threads` threads: one model per distinct (eps, beam energy). The
// settings are checked in row order first (cheaply, no model made); a setting of many points gets one model
// shared by every thread, the others a model made where their points are computed and dropped after them, so
// that a table with an epsilon per row (from E_beam, say) holds no model per row in memory at once.
struct Evaluated {
    std::vector<std::array<double, quantity_count>> values;
    std::vector<double> minus_t;
    std::vector<double> eps;
};

Evaluated evaluate_all(const ModelChoice& choice, const std::vector<Point>& points, unsigned threads) {
    const bool km = choice.model() == ModelName::km;
    Evaluated out;
    out.values.resize(points.size());
    out.minus_t.resize(points.size());
    out.eps.resize(points.size());
    try {
        frontend::evaluate_points(
            choice, points.size(), threads,
            [&](std::size_t i) {
                return std::pair{points[i].eps.value_or(choice.epsilon()),
                                 km && !std::isnan(points[i].e_beam) ? points[i].e_beam : nan};
            },
            [&](std::size_t i, const frontend::AnyModel& model) {
                const Point& p = points[i];
                const double eps = p.eps.value_or(choice.epsilon());
                const Observables o = frontend::evaluate(model, p.w, p.q2, p.angle);
                out.values[i] = frontend::values_of(o, eps, p.phi, p.e_beam, choice.channel());
                out.minus_t[i] = -o.t;
                out.eps[i] = eps;
            });
    } catch (const frontend::SettingsError& e) {
        throw UsageError(std::string(frontend::name_of(choice.model())) + ": " + e.what());
    }
    return out;
}

// The factor from a model's cross-section unit to microbarn.
double to_microbarn(const ModelChoice& m) { return m.cross_section_unit() == "nb" ? 1e-3 : 1.0; }

// ---- the comparison ----------------------------------------------------------------------------------------

struct Pull {
    std::size_t row;
    std::size_t measured;
    double model, data, error;
};

double model_in_data_unit(const ModelChoice& choice, const Measured& m, double model) {
    if (m.unit.empty()) return model;
    return model * to_microbarn(choice) / m.to_microbarn;
}

// Refuses a measured observable the table cannot give the model what it needs for.
void check_comparable(const PointTable& t, const std::vector<ModelChoice>& models) {
    std::vector<std::string> errors;
    for (const Measured& m : t.measured) {
        const frontend::QuantityInfo& q = frontend::quantities()[static_cast<std::size_t>(m.quantity)];
        const std::string name(q.name);
        if (q.needs_phi && !t.phi) errors.push_back(name + " needs the column phi_deg (the Trento angle in degrees)");
        if (q.needs_beam && !t.e_beam) errors.push_back(name + " needs the column E_beam (the beam energy in GeV)");
        if (q.needs_epsilon && !t.eps && !t.e_beam)
            for (const ModelChoice& c : models)
                if (!c.epsilon_given())
                    errors.push_back(name + " needs the photon polarization: a column eps or E_beam, or --set epsilon=" +
                                     " (the " + std::string(frontend::name_of(c.model())) + " model has none)");
    }
    if (!errors.empty()) {
        std::string all;
        for (const std::string& e : errors)
            if (all.find(e) == std::string::npos) {
                if (!all.empty()) all += '\n';
                all.append(printable(t.file)).append(": ").append(e);
            }
        throw UsageError(all);
    }
}

std::vector<Pull> pulls_of(const ModelChoice& choice, const PointTable& t, const Evaluated& ev) {
    std::vector<Pull> out;
    for (std::size_t r = 0; r < t.rows.size(); ++r)
        for (std::size_t k = 0; k < t.measured.size(); ++k) {
            const Measured& m = t.measured[k];
            double e2 = 0.0;
            for (std::size_t c : m.errors) e2 += t.rows[r][c] * t.rows[r][c];
            out.push_back({r, k,
                           model_in_data_unit(choice, m, ev.values[r][static_cast<std::size_t>(m.quantity)]),
                           t.rows[r][m.value], std::sqrt(e2)});
        }
    return out;
}

void write_chi2(std::ostream& out, const std::string& model, const PointTable& t, const std::vector<Pull>& pulls) {
    double total = 0.0;
    std::size_t total_n = 0;
    const auto line = [&](const std::string& name, double chi2, std::size_t n) {
        out << model << ": " << name << ": chi2 = " << chi2 << " over " << n << " points, chi2/N = "
            << (n ? "" : "(no point)");
        if (n) out << chi2 / n;
        out << "\n";
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
        const std::string name(frontend::quantities()[static_cast<std::size_t>(t.measured[k].quantity)].name);
        line(name, chi2, n);
        if (!not_a_number.empty())
            out << model << ": " << name << ": not counted, the model not a number (outside its physical region) at line(s) "
                << not_a_number << " of " << printable(t.file) << "\n";
        total += chi2;
        total_n += n;
    }
    line("total", total, total_n);
}

void write_pull_table(std::ostream& out, const std::string& model, const PointTable& t, const std::vector<Pull>& pulls) {
    for (const Pull& p : pulls)
        out << model << " " << t.line_of_row[p.row] << " "
            << frontend::quantities()[static_cast<std::size_t>(t.measured[p.measured].quantity)].name << " "
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
std::string label_of(Quantity q) {
    static const std::array<const char*, quantity_count> labels = {
        "dσ_T/dt", "dσ_L/dt", "dσ_{TT}/dt", "dσ_{LT}/dt", "dσ_{LT′}/dt", "dσ_U/dt", "σ_L/σ_T",
        "model's beam-spin asymmetry", "A_{LU}^{sin φ}", "σ_{LT′}/σ_0", "A_{LU}(φ)", "d^2σ/dt dφ",
        "d^4σ/dQ^2 dx_B dt dφ"};
    return labels[static_cast<std::size_t>(q)];
}

// A setting in words as gnuplot's enhanced text: the columns' symbols, other underscores shown as such.
std::string enhanced(std::string text) {
    std::string out;
    for (char c : text) {
        if (c == '_' || c == '^' || c == '{' || c == '}' || c == '@' || c == '&' || c == '~') out += '\\';
        out += c;
    }
    const std::pair<const char*, const char*> symbols[] = {
        {"W = ", "W (GeV) = "}, {"Q2 = ", "Q^2 (GeV^2) = "}, {"xB = ", "x_B = "}, {"eps = ", "ε = "},
        {"E\\_beam = ", "E_{beam} (GeV) = "}, {"minus\\_t = ", "−t (GeV^2) = "}, {"theta\\_deg = ", "θ (deg) = "},
        {"cos\\_theta = ", "cos θ = "}};
    for (const auto& [from, to] : symbols)
        for (std::size_t at = 0; (at = out.find(from, at)) != std::string::npos;) {
            if (at == 0 || out[at - 1] == ' ') {
                out.replace(at, std::string(from).size(), to);
                at += std::string(to).size();
            } else {
                ++at;
            }
        }
    return out;
}

// A name safe as part of a file name.
std::string file_part(const std::string& s) {
    std::string out;
    for (char c : s) out.push_back(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' ? c : '_');
    return out.substr(0, 80);
}

// The figures of one group of rows: the rows, what they share, and the x axis.
struct Group {
    std::string name;         ///< part of the figure names
    std::string description;  ///< the setting in words
    std::vector<std::size_t> rows;
    bool x_is_phi = false;
};

std::vector<Group> groups_of(const PointTable& t) {
    // by the file's label, else by the exact setting (the fields as written)
    std::map<std::string, Group> by_key;
    std::vector<std::string> order;
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        std::string key, words;
        if (t.label) {
            key = t.fields[r][*t.label];
            words = t.columns[*t.label] + " " + key;
        } else {
            for (const std::optional<std::size_t>& c : {t.w, t.xb, t.q2, t.eps, t.e_beam})
                if (c) {
                    key += (key.empty() ? "" : "_") + t.columns[*c] + "=" + t.fields[r][*c];
                    words += (words.empty() ? "" : ", ") + t.columns[*c] + " = " + t.fields[r][*c];
                }
        }
        if (!by_key.count(key)) order.push_back(key);
        Group& g = by_key[key];
        g.name = file_part(key);
        g.description = printable(words);
        g.rows.push_back(r);
    }
    std::vector<Group> out;
    for (const std::string& key : order) {
        Group g = by_key[key];
        std::set<double> phis, angles;
        for (std::size_t r : g.rows) {
            if (t.phi) phis.insert(t.rows[r][*t.phi]);
            angles.insert(t.rows[r][*t.angle]);
        }
        if (phis.size() > 1 && angles.size() > 1) {
            // a phi distribution in each angle bin
            std::map<double, Group> by_angle;
            for (std::size_t r : g.rows) {
                Group& s = by_angle[t.rows[r][*t.angle]];
                s.name = g.name + "_" + file_part(t.columns[*t.angle] + "=" + t.fields[r][*t.angle]);
                s.description = g.description + ", " + t.columns[*t.angle] + " = " + printable(t.fields[r][*t.angle]);
                s.rows.push_back(r);
                s.x_is_phi = true;
            }
            for (auto& [a, s] : by_angle) out.push_back(s);
        } else {
            g.x_is_phi = phis.size() > 1;
            out.push_back(g);
        }
    }
    return out;
}

// Removes the figures an earlier run listed in the folder's manifest.
const char* const kManifest = ".kavrin-eval-figures";

void remove_earlier_figures(const std::filesystem::path& dir) {
    std::string listed;
    try {
        listed = frontend::read_file((dir / kManifest).string(), std::size_t{1} << 20);
    } catch (const frontend::FileError&) {
        return;  // no earlier run here
    }
    std::istringstream lines(listed);
    for (std::string name; std::getline(lines, name);) {
        if (name.empty() || name.find('/') != std::string::npos || name[0] == '.') continue;
        std::error_code ec;
        const std::filesystem::file_status st = std::filesystem::symlink_status(dir / name, ec);
        if (!ec && (std::filesystem::is_regular_file(st) || std::filesystem::is_symlink(st)))
            std::filesystem::remove(dir / name, ec);  // a link itself, never its target
    }
}

void draw(const std::string& dir_name, const std::vector<ModelChoice>& models, const PointTable& t,
          const std::vector<Point>& points, const std::vector<Evaluated>& evaluated, unsigned threads, std::ostream& out) {
    const std::optional<std::filesystem::path> gnuplot = figures::find_gnuplot();
    if (!gnuplot) throw std::runtime_error("gnuplot is not installed (Debian: gnuplot-nox); no figure drawn");
    const std::filesystem::path dir(dir_name);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir))
        throw std::runtime_error("cannot make the folder " + printable(dir_name) + (ec ? ": " + ec.message() : ""));
    remove_earlier_figures(dir);
    std::string manifest;
    for (const Group& g : groups_of(t)) {
        // the kinematics of the curves: the group's mean W, Q^2 (and angle for a phi distribution)
        double w = 0, q2 = 0, angle = 0, lo = 1e300, hi = -1e300;
        for (std::size_t r : g.rows) {
            w += points[r].w / g.rows.size();
            q2 += points[r].q2 / g.rows.size();
            angle += t.rows[r][*t.angle] / g.rows.size();
            const double x = g.x_is_phi ? t.rows[r][*t.phi] : evaluated.front().minus_t[r];
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
        // rows of one exact setting get smooth curves; rows of several settings (a bin label over Q^2 and x_B
        // bins, say) get each model at each row's own kinematics
        bool uniform = true;
        for (std::size_t r : g.rows)
            for (const std::optional<std::size_t>& c : {t.w, t.xb, t.q2, t.eps, t.e_beam})
                if (c && t.rows[r][*c] != t.rows[g.rows.front()][*c]) uniform = false;
        std::vector<Point> curve;
        if (!uniform) {
            std::vector<std::size_t> sorted = g.rows;
            std::sort(sorted.begin(), sorted.end(), [&](std::size_t a, std::size_t b) {
                return (g.x_is_phi ? t.rows[a][*t.phi] : evaluated.front().minus_t[a]) <
                       (g.x_is_phi ? t.rows[b][*t.phi] : evaluated.front().minus_t[b]);
            });
            for (std::size_t r : sorted) curve.push_back(points[r]);
        }
        for (int i = 0; uniform && i <= 200; ++i) {
            Point p = points[g.rows.front()];
            p.w = w;
            p.q2 = q2;
            p.xb = xb_of(w, q2, target_mass_gev(models.front().channel()));
            if (g.x_is_phi) {
                p.phi = 360.0 * i / 200.0 * deg;
                p.angle = t.angle_kind == AngleColumn::minus_t     ? Angle::minus_t(angle)
                          : t.angle_kind == AngleColumn::theta_deg ? Angle::theta(angle * deg)
                                                                   : Angle::cos_theta(angle);
            } else {
                const double from = std::max(0.0, lo - 0.1 * (hi - lo + 0.1));
                p.angle = Angle::minus_t(from + (hi - lo + 0.2 * (hi - lo + 0.1)) * i / 200.0);
            }
            curve.push_back(p);
        }
        std::vector<Evaluated> model_curves;
        for (const ModelChoice& m : models) model_curves.push_back(evaluate_all(m, curve, threads));
        for (const Measured& m : t.measured) {
            const std::string name(frontend::quantities()[static_cast<std::size_t>(m.quantity)].name);
            const std::string stem = name + "-" + g.name;
            std::ostringstream data;
            data << "# " << (g.x_is_phi ? "phi_deg" : "minus_t") << " data error\n";
            for (std::size_t r : g.rows) {
                double e2 = 0.0;
                for (std::size_t c : m.errors) e2 += t.rows[r][c] * t.rows[r][c];
                data << (g.x_is_phi ? t.rows[r][*t.phi] : evaluated.front().minus_t[r]) << " " << t.rows[r][m.value]
                     << " " << std::sqrt(e2) << "\n";
            }
            for (std::size_t k = 0; k < models.size(); ++k) {
                data << "\n\n# " << frontend::name_of(models[k].model()) << "\n";
                for (std::size_t i = 0; i < curve.size(); ++i) {
                    const double v = model_in_data_unit(models[k], m,
                                                        model_curves[k].values[i][static_cast<std::size_t>(m.quantity)]);
                    const double x = g.x_is_phi ? curve[i].phi / deg : model_curves[k].minus_t[i];
                    if (std::isfinite(v) && std::isfinite(x)) data << x << " " << v << "\n";
                }
            }
            figures::write_file(dir / (stem + ".data"), data.str());
            std::ostringstream title;
            title << channel_title(models.front().channel()) << ": " << enhanced(g.description);
            if (!uniform) title << "\nthe models at each point's own kinematics";
            const std::string unit = m.unit.empty() ? "" : " (" + m.unit + ")";
            std::ostringstream gp;
            // draw_png sets kavrin_output to a new file of its own, put in place afterwards: no link is followed
            gp << "set terminal pngcairo size 800,560 enhanced font 'sans,11'\n"
               << "if (!exists(\"kavrin_output\")) kavrin_output = \"" << stem << ".png\"\nset output kavrin_output\n"
               << "set title " << figures::gnuplot_quote(title.str()) << "\nset xlabel "
               << (g.x_is_phi ? "'φ (deg, Trento)'" : "'−t (GeV^2)'") << "\nset ylabel "
               << figures::gnuplot_quote(label_of(m.quantity) + unit) << "\nset key top right\nset grid\n"
               << "plot '" << stem << ".data' index 0 using 1:2:3 with yerrorbars pt 7 title "
               << figures::gnuplot_quote(std::filesystem::path(t.file).filename().string());
            for (std::size_t k = 0; k < models.size(); ++k)
                gp << ", '' index " << k + 1 << " using 1:2 with " << (uniform ? "lines lw 2" : "points pt 6 ps 1.3")
                   << " title " << figures::gnuplot_quote(std::string(frontend::name_of(models[k].model())));
            gp << "\n";
            figures::write_file(dir / (stem + ".gp"), gp.str());
            const figures::GnuplotRun r = figures::draw_png(*gnuplot, dir, stem + ".gp", stem + ".png");
            if (r.status != 0) throw std::runtime_error("gnuplot failed on " + stem + ".gp: " + r.messages);
            manifest += stem + ".data\n" + stem + ".gp\n" + stem + ".png\n";
            figures::write_file(dir / kManifest, manifest);
            out << "figure: " << (dir / (stem + ".png")).string() << " (" << g.description << ")\n";
        }
    }
}

// ---- the output of the points ------------------------------------------------------------------------

void write_settings(std::ostream& out, const std::vector<ModelChoice>& models) {
    for (const ModelChoice& m : models) {
        out << "# kavrin-eval " << KAVRIN_VERSION << ": " << frontend::name_of(m.model()) << " "
            << frontend::name_of(m.channel());
        for (const ModelChoice::Used& u : m.used()) out << " " << u.name << "=" << u.value << (u.is_default ? " (default)" : "");
        out << "\n";
    }
}

void write_points(std::ostream& out, const std::vector<ModelChoice>& models, const PointTable& t,
                  const std::vector<Point>& points, const std::vector<Evaluated>& evaluated) {
    const bool nb = std::all_of(models.begin(), models.end(), [](const ModelChoice& m) { return m.cross_section_unit() == "nb"; });
    std::vector<bool> shown(quantity_count, true);
    shown[static_cast<std::size_t>(Quantity::ALU)] = shown[static_cast<std::size_t>(Quantity::d2sigma_dt_dphi)] = t.phi.has_value();
    shown[static_cast<std::size_t>(Quantity::d4sigma)] = t.phi && t.e_beam;
    out << "model W Q2 xB minus_t eps";
    if (t.e_beam) out << " E_beam";
    if (t.phi) out << " phi_deg";
    for (std::size_t c : t.carried) out << " " << t.columns[c] << (t.units[c].empty() ? "" : "[" + t.units[c] + "]");
    const std::string xs = nb ? "nb" : "ub";
    for (std::size_t k = 0; k < quantity_count; ++k) {
        if (!shown[k]) continue;
        using K = frontend::QuantityInfo::Kind;
        const frontend::QuantityInfo& q = frontend::quantities()[k];
        out << " " << q.name
            << (q.kind == K::per_t || q.kind == K::per_t_per_phi ? "[" + xs + "/GeV2]"
                : q.kind == K::fully_differential                 ? std::string("[nb/GeV4]")
                                                                  : std::string());
    }
    out << "\n";
    for (std::size_t k = 0; k < models.size(); ++k) {
        const double to_out = to_microbarn(models[k]) / (nb ? 1e-3 : 1.0);
        const double to_nb = to_microbarn(models[k]) / 1e-3;
        for (std::size_t r = 0; r < points.size(); ++r) {
            const Point& p = points[r];
            std::string line(frontend::name_of(models[k].model()));
            const double minus_t = t.angle_kind == AngleColumn::minus_t ? t.rows[r][*t.angle] : evaluated[k].minus_t[r];
            for (double v : {p.w, p.q2, p.xb, minus_t, evaluated[k].eps[r]}) line.append(" ").append(frontend::text_of(v));
            if (t.e_beam) line.append(" ").append(frontend::text_of(p.e_beam));
            if (t.phi) line.append(" ").append(frontend::text_of(t.rows[r][*t.phi]));
            for (std::size_t c : t.carried) line.append(" ").append(printable(t.fields[r][c]));
            for (std::size_t q = 0; q < quantity_count; ++q) {
                if (!shown[q]) continue;
                using K = frontend::QuantityInfo::Kind;
                const K kind = frontend::quantities()[q].kind;
                const double v = evaluated[k].values[r][q] *
                                 (kind == K::ratio ? 1.0 : kind == K::fully_differential ? to_nb : to_out);
                line.append(" ").append(io::format_real(v));
            }
            out << line << "\n";
        }
    }
}

}  // namespace

int run(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help") {
            out << usage();
            return 0;
        }
        if (a == "--version") {
            out << "kavrin-eval " << KAVRIN_VERSION << "\n";
            return 0;
        }
    }
    try {
        Command c = parse(argc, argv);
        if (!c.threads) {
            try {
                c.threads = io::threads_of(std::getenv("KAVRIN_THREADS"));
            } catch (const std::invalid_argument& e) {
                throw UsageError(e.what());
            }
        }
        const std::vector<ModelChoice> models = choose(c);
        PointTable table;
        if (c.input == "-") {
            table = read_point_table(in, "standard input");
        } else {
            std::string content;
            try {
                content = frontend::read_file(c.input, max_table_bytes);
            } catch (const frontend::FileError& e) {
                throw UsageError(e.what());
            }
            std::istringstream file(std::move(content));
            table = read_point_table(file, c.input);
        }
        if (c.compare && table.measured.empty())
            throw UsageError(printable(table.file) + ": no measured column to compare with");
        if (c.compare) check_comparable(table, models);
        const std::vector<Point> points = points_of(table, c.channel);
        std::vector<Evaluated> evaluated;
        for (const ModelChoice& m : models) evaluated.push_back(evaluate_all(m, points, *c.threads));

        write_settings(out, models);
        if (!c.compare) {
            write_points(out, models, table, points, evaluated);
        } else {
            if (c.table) out << "model line observable prediction data error pull\n";
            for (std::size_t k = 0; k < models.size(); ++k) {
                const std::vector<Pull> pulls = pulls_of(models[k], table, evaluated[k]);
                if (c.table) write_pull_table(out, std::string(frontend::name_of(models[k].model())), table, pulls);
                write_chi2(out, std::string(frontend::name_of(models[k].model())), table, pulls);
            }
            if (c.plot_dir) draw(*c.plot_dir, models, table, points, evaluated, *c.threads, out);
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
