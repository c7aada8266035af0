#include "kavrin-plot/figures.hpp"

#include "io/result_files.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace kavrin::plot {

namespace {

// Which program writes a file or figure.
enum Owner { by_regge = 1, by_models = 2, by_both = 3 };

// What the y column of a figure is.
enum class Measure {
    per_t,       // dσ/dt
    per_omega,   // dσ/dΩ
    separated,   // dσ/dt, except dσ/dΩ in the W scans of kavrin-models
    ratio,       // dσL/dσT
    asymmetry,   // beam-spin asymmetry
};

// Where the x axis of a figure comes from.
enum class XSource { scan, dds, minus_t, q2, phi, t0 };

struct PanelDef {
    const char* file;
    const char* quantity;  // the cross section in enhanced text, e.g. "σ_{LT′}"
};

struct FigureDef {
    const char* stem;
    const char* heading;
    const char* subject;  // what is plotted, for the heading built from the run record
    int owner;
    Measure measure;
    bool negated;
    XSource x;
    std::vector<PanelDef> panels;
};

// Every figure: its files, what their y column is, and where its x comes from.
const std::vector<FigureDef>& figure_defs() {
    static const std::vector<FigureDef> defs = {
        {"separated", "Separated cross sections", "Separated cross sections @", by_both, Measure::separated, false, XSource::scan,
         {{io::file::dST, "σ_T"}, {io::file::dSL, "σ_L"}, {io::file::dSTT, "σ_{TT}"},
          {io::file::dSLT, "σ_{LT}"}, {io::file::dSLTP, "σ_{LT′}"}, {io::file::dSU, "σ_U"}}},
        {"separated_domega", "Separated cross sections dσ/dΩ", "Separated cross sections @", by_regge, Measure::per_omega, false, XSource::scan,
         {{io::file::dST_domega, "σ_T"}, {io::file::dSL_domega, "σ_L"}, {io::file::dSTT_domega, "σ_{TT}"},
          {io::file::dSLT_domega, "σ_{LT}"}, {io::file::dSLTP_domega, "σ_{LT′}"}, {io::file::dSU_domega, "σ_U"}}},
        {"separated-T0", "Separated cross sections against t_0 − t", "Separated cross sections @", by_both, Measure::per_t, false, XSource::t0,
         {{io::file::dST_T0, "σ_T"}, {io::file::dSL_T0, "σ_L"}, {io::file::dSTT_T0, "σ_{TT}"},
          {io::file::dSLT_T0, "σ_{LT}"}, {io::file::dSLTP_T0, "σ_{LT′}"}, {io::file::dSU_T0, "σ_U"}}},
        {"negated", "Interference cross sections with reversed sign", "Interference cross sections with reversed sign, @", by_models, Measure::per_t, true,
         XSource::minus_t, {{io::file::minus_dSTT, "σ_{TT}"}, {io::file::minus_dSLT, "σ_{LT}"}, {io::file::minus_dSLTP, "σ_{LT′}"}}},
        {"dSL_over_dST", "Ratio of longitudinal to transverse cross section", "Ratio of longitudinal to transverse cross section dσ_L/dσ_T", by_both, Measure::ratio, false,
         XSource::scan, {{io::file::dSL_over_dST, ""}}},
        {"dSL_over_dST-T0", "Ratio of longitudinal to transverse cross section against t_0 − t", "Ratio of longitudinal to transverse cross section dσ_L/dσ_T", by_models,
         Measure::ratio, false, XSource::t0, {{io::file::dSL_over_dST_T0, ""}}},
        {"BSA", "Beam-spin asymmetry", "Beam-spin asymmetry", by_regge, Measure::asymmetry, false, XSource::scan, {{io::file::BSA, ""}}},
        {"BSA_t", "Beam-spin asymmetry against −t", "Beam-spin asymmetry", by_models, Measure::asymmetry, false, XSource::minus_t,
         {{io::file::BSA_t, ""}}},
        {"BSA_QQ", "Beam-spin asymmetry against Q^2", "Beam-spin asymmetry", by_models, Measure::asymmetry, false, XSource::q2,
         {{io::file::BSA_QQ, ""}}},
        {"dS", "φ-dependent cross section (sum of the unpolarized cross sections)", "φ-dependent cross section @ (sum of the unpolarized cross sections)", by_models, Measure::per_t,
         false, XSource::phi, {{io::file::dS, "σ"}}},
        {"ddS_T", "φ-dependent cross section against −t", "φ-dependent cross section @", by_regge, Measure::per_t, false, XSource::minus_t,
         {{io::file::ddS_T, "σ"}}},
        {"ddS_domega", "φ-dependent cross section dσ/dΩ", "φ-dependent cross section @", by_regge, Measure::per_omega, false, XSource::dds,
         {{io::file::ddS_domega, "σ"}}},
        {"ddS_PHI", "φ-dependent cross section against φ", "φ-dependent cross section @", by_regge, Measure::per_t, false, XSource::phi,
         {{io::file::ddS_PHI, "σ"}}},
    };
    return defs;
}

const std::vector<std::string> kSeparated = {io::file::dST, io::file::dSL, io::file::dSTT, io::file::dSLT, io::file::dSLTP, io::file::dSU};
const std::vector<std::string> kT0 = {io::file::dST_T0,   io::file::dSL_T0,   io::file::dSTT_T0,
                                      io::file::dSLT_T0,  io::file::dSLTP_T0, io::file::dSU_T0};

// The file is present and holds at least one line.
bool holds_lines(const RunTables& run, const std::string& name) {
    const auto it = run.find(name);
    return it != run.end() && it->second.line_count > 0;
}

// Some of the named files hold lines.
bool any_holds_lines(const RunTables& run, const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return holds_lines(run, n); });
}

// The rows of the first of the named files that holds lines.
const std::vector<Row>* first_rows(const RunTables& run, const std::vector<std::string>& names) {
    for (const std::string& n : names)
        if (holds_lines(run, n)) return &run.at(n).rows;
    return nullptr;
}

// The lowest W of pion electroproduction (nucleon plus neutral pion mass), in GeV, rounded down.
constexpr double kLowestThresholdGeV = 1.07;

// The W values a W scan writes: threshold (final nucleon plus pion mass) + offset + k steps, in MeV.
struct WGrid {
    double start_mev;
    double offset_mev;
    double step_mev;
};

// kavrin-regge: channels pi+ n, pi- p, pi0 p, pi0 n (single-precision charged pion mass), W scans from
// 450 MeV above threshold (separated cross sections) or 10 MeV (the W scans at fixed cos theta and of
// the DDS), in 20 MeV steps. kavrin-models: pi+ n, pi- p, pi0 p, from 450 MeV above threshold, 10 MeV steps.
std::vector<WGrid> w_grids(Program program) {
    std::vector<WGrid> grids;
    if (program != Program::models)
        for (double threshold : {939.565 + 139.57000732421875, 938.272 + 139.57000732421875, 938.272 + 134.9766,
                                 939.565 + 134.9766})
            for (double offset : {450.0, 10.0}) grids.push_back({threshold + offset, offset, 20.0});
    if (program != Program::regge)
        for (double threshold : {939.565 + 139.272, 938.272 + 139.272, 938.272 + 134.9766})
            grids.push_back({threshold + 450.0, 450.0, 10.0});
    return grids;
}

// Units of dσ/dt and dσ/dΩ: kavrin-models writes microbarn; kavrin-regge microbarn or nanobarn as asked,
// which only its run record tells.
std::string unit_per_t(Program p, CrossUnit u) {
    if (u == CrossUnit::microbarn) return "µb/GeV^2";
    if (u == CrossUnit::nanobarn) return "nb/GeV^2";
    return p == Program::models ? "µb/GeV^2" : "µb/GeV^2 or nb/GeV^2";
}
std::string unit_per_omega(Program p, CrossUnit u) {
    if (u == CrossUnit::microbarn) return "µb/sr";
    if (u == CrossUnit::nanobarn) return "nb/sr";
    return p == Program::models ? "µb/sr" : "µb/sr or nb/sr";
}

// Whether kavrin-models' dST.dat ... dSU.dat hold dσ/dt or dσ/dΩ; kavrin-regge's always hold dσ/dt.
Measure resolved_measure(Measure m, Program program, XKind scan, const RunRecord* record) {
    if (m != Measure::separated) return m;
    if (program == Program::regge) return Measure::per_t;
    if (record && record->cross_section == CrossKind::dsigma_dt) return Measure::per_t;
    if (record && record->cross_section == CrossKind::dsigma_domega) return Measure::per_omega;
    if (program == Program::models && scan == XKind::w) return Measure::per_omega;
    if (program == Program::models && scan != XKind::unknown) return Measure::per_t;
    return m;
}

// The y label of one panel.
std::string y_label(Measure m, const PanelDef& panel, bool negated, Program program, XKind scan, CrossUnit unit) {
    const std::string sign = negated ? "−" : "";
    const std::string q = panel.quantity;
    const std::string per_t = sign + "d" + q + "/dt (" + unit_per_t(program, unit) + ")";
    const std::string per_omega = sign + "d" + q + "/dΩ (" + unit_per_omega(program, unit) + ")";
    switch (m) {
        case Measure::per_t:
            return per_t;
        case Measure::per_omega:
            return per_omega;
        case Measure::ratio:
            return "dσ_L/dσ_T";
        case Measure::asymmetry:
            return "beam-spin asymmetry";
        case Measure::separated:
            if (program == Program::regge) return per_t;
            if (scan == XKind::w) {
                if (program == Program::models) return per_omega;
                return "d" + q + "/dt or d" + q + "/dΩ (µb or nb per GeV^2 or per sr)";
            }
            if (scan == XKind::unknown) {
                if (program == Program::models) return "d" + q + "/dt (µb/GeV^2) or d" + q + "/dΩ (µb/sr)";
                return "d" + q + "/dt or d" + q + "/dΩ (µb or nb per GeV^2 or per sr)";
            }
            return per_t;
    }
    return q;
}

// The title of one panel: the observable, without its unit (the y label has it).
std::string panel_title(Measure m, const PanelDef& panel, bool negated, Program program, XKind scan) {
    const std::string sign = negated ? "−" : "";
    const std::string q = panel.quantity;
    switch (m) {
        case Measure::per_t: return sign + "d" + q + "/dt";
        case Measure::per_omega: return sign + "d" + q + "/dΩ";
        case Measure::ratio: return "dσ_L/dσ_T";
        case Measure::asymmetry: return "beam-spin asymmetry";
        case Measure::separated:
            if (program == Program::regge) return "d" + q + "/dt";
            if (scan == XKind::w && program == Program::models) return "d" + q + "/dΩ";
            if (scan == XKind::w || scan == XKind::unknown) return "d" + q + "/dt or d" + q + "/dΩ";
            return "d" + q + "/dt";
    }
    return q;
}

// -t up to which the models are made (docs/physics.md, section 8: "up to about 1-2 GeV^2"), in GeV^2.
constexpr double kModelsMinusTRange = 2.0;

// The x of a figure in its heading: "−t", "Q^2", ...; empty when unknown.
std::string x_short(XKind kind) {
    switch (kind) {
        case XKind::w: return "W";
        case XKind::q2: return "Q^2";
        case XKind::minus_t: return "−t";
        case XKind::cos_theta: return "cos θ";
        case XKind::phi: return "φ";
        case XKind::t0_minus_t: return "t_0 − t";
        case XKind::unknown: break;
    }
    return "";
}

// The x named by the record.
XKind record_x(const RunRecord& r) {
    if (r.x == "W") return XKind::w;
    if (r.x == "Q2") return XKind::q2;
    if (r.x == "minus_t") return XKind::minus_t;
    if (r.x == "cos_theta") return XKind::cos_theta;
    if (r.x == "phi") return XKind::phi;
    return XKind::unknown;
}

// "Separated cross sections dσ/dt vs −t": what is plotted against what.
std::string record_heading(const FigureDef& def, Measure m, XKind x) {
    std::string what;
    if (m == Measure::per_t) what = std::string(def.negated ? "−" : "") + "dσ/dt";
    if (m == Measure::per_omega) what = std::string(def.negated ? "−" : "") + "dσ/dΩ";
    if (m == Measure::separated) what = "dσ/dt or dσ/dΩ";
    std::string h = def.subject;
    const std::size_t at = h.find('@');
    if (at != std::string::npos) {
        h.replace(at, 1, what);
        if (what.empty() && at > 0 && h[at - 1] == ' ') h.erase(at - 1, 1);
    }
    const std::string xs = x_short(x);
    if (!xs.empty()) h.append(" vs ").append(xs);
    return h;
}

// The second line of a heading: reaction, model; fixed kinematics.
std::string record_subtitle(const RunRecord& r) {
    std::string line = r.reaction;
    if (!r.model.empty()) line.append(line.empty() ? "" : ", ").append(r.model);
    if (!r.fixed.empty()) line.append(line.empty() ? "" : ";   ").append(r.fixed);
    return enhanced_text(line);
}

const char* kUnknownScanLabel = "scan variable: W (GeV), Q^2 (GeV^2) or cos θ (name it with --x)";

}  // namespace

const std::vector<std::string>& regge_result_files() {
    static const std::vector<std::string> names(io::file::regge_files.begin(), io::file::regge_files.end());
    return names;
}

const std::vector<std::string>& models_result_files() {
    static const std::vector<std::string> names(io::file::models_files.begin(), io::file::models_files.end());
    return names;
}

// A program is recognised by the files only it writes (each program creates all of its files).
Program detect_program(const RunTables& run) {
    auto has_own = [&](const std::vector<std::string>& own, const std::vector<std::string>& other) {
        for (const std::string& n : own)
            if (run.count(n) && std::find(other.begin(), other.end(), n) == other.end()) return true;
        return false;
    };
    const bool regge = has_own(regge_result_files(), models_result_files());
    const bool models = has_own(models_result_files(), regge_result_files());
    if (regge && !models) return Program::regge;
    if (models && !regge) return Program::models;
    return Program::unknown;
}

std::string program_name(Program p) {
    switch (p) {
        case Program::regge: return "kavrin-regge";
        case Program::models: return "kavrin-models";
        case Program::unknown: break;
    }
    return "unknown program";
}

XGuess guess_x_from_values(const std::vector<Row>& rows, Program program) {
    std::vector<double> xs;
    for (const Row& r : rows)
        if (std::isfinite(r.x)) xs.push_back(r.x);
    if (xs.empty()) return {XKind::unknown, "no finite x value"};
    const double lowest = *std::min_element(xs.begin(), xs.end());
    const bool within_one = std::all_of(xs.begin(), xs.end(), [](double x) { return std::fabs(x) <= 1.0 + 1e-12; });
    if (xs.size() >= 2 && within_one && std::fabs(xs[0] - 1.0) <= 1e-12 && xs[1] < xs[0])
        return {XKind::cos_theta, "x starts at 1 and falls within [-1, 1]"};
    for (const WGrid& g : w_grids(program)) {
        const bool on_grid = std::all_of(xs.begin(), xs.end(), [&](double x) {
            const double k = (x * 1000.0 - g.start_mev) / g.step_mev;
            return k > -1e-6 && std::fabs(k - std::round(k)) < 1e-6;
        });
        if (on_grid)
            return {XKind::w, "every x lies on the W grid of a W scan (threshold + " +
                                  std::to_string(static_cast<int>(g.offset_mev)) + " MeV in " +
                                  std::to_string(static_cast<int>(g.step_mev)) + " MeV steps)"};
    }
    if (lowest < kLowestThresholdGeV) return {XKind::q2, "x goes below 1.07, the lowest W of pion production"};
    if (program != Program::unknown)
        return {XKind::q2, "x is off the W grid of every W scan of " + program_name(program)};
    return {XKind::unknown, "the x values do not tell W from Q^2"};
}

XGuess infer_scan_x(Program program, const RunTables& run) {
    static const std::vector<std::string> minus_t_marks = {io::file::minus_dSTT, io::file::minus_dSLT, io::file::minus_dSLTP, io::file::BSA_t,
                                                           io::file::dSL_over_dST_T0};
    if (any_holds_lines(run, kT0) || any_holds_lines(run, minus_t_marks))
        return {XKind::minus_t, "files of the angle scans (t0 - t, negated, BSA_t) hold lines: x is -t"};
    if (program != Program::regge && holds_lines(run, io::file::BSA_QQ))
        return {XKind::q2, "BSA_QQ.dat holds lines, so this is a Q^2 scan"};
    std::vector<std::string> candidates = kSeparated;
    candidates.push_back(io::file::dSL_over_dST);
    if (program == Program::regge) {
        for (const char* n : {io::file::dST_domega, io::file::dSU_domega, io::file::BSA}) candidates.push_back(n);
    }
    const std::vector<Row>* rows = first_rows(run, candidates);
    if (!rows) return {XKind::unknown, "no scan file holds lines"};
    return guess_x_from_values(*rows, program);
}

XGuess infer_dds_x(const RunTables& run) {
    if (holds_lines(run, io::file::ddS_PHI)) return {XKind::phi, "ddS_PHI.dat holds lines (a φ scan)"};
    if (holds_lines(run, io::file::ddS_T)) return {XKind::minus_t, "ddS_T.dat holds lines (an angle scan)"};
    const auto it = run.find(io::file::ddS_domega);
    if (it == run.end()) return {XKind::unknown, "no ddS_domega.dat"};
    return guess_x_from_values(it->second.rows, Program::regge);
}

XOption parse_x_option(std::string_view text) {
    std::string key;
    for (char c : text)
        if (c != ' ') key += static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    std::optional<XKind> kind;
    if (key == "w") kind = XKind::w;
    else if (key == "q2" || key == "qq" || key == "q^2" || key == "q²") kind = XKind::q2;
    else if (key == "t" || key == "-t" || key == "−t") kind = XKind::minus_t;
    else if (key == "cos" || key == "costheta" || key == "cos(theta)" || key == "cosθ") kind = XKind::cos_theta;
    if (kind) return {kind, x_label(*kind)};
    return {std::nullopt, std::string(text)};
}

std::string x_label(XKind kind) {
    switch (kind) {
        case XKind::w: return "W (GeV)";
        case XKind::q2: return "Q^2 (GeV^2)";
        case XKind::minus_t: return "−t (GeV^2)";
        case XKind::cos_theta: return "cos θ";
        case XKind::phi: return "φ (degrees)";
        case XKind::t0_minus_t: return "t_0 − t (GeV^2)";
        case XKind::unknown: break;
    }
    return kUnknownScanLabel;
}

std::string x_name(XKind kind) {
    switch (kind) {
        case XKind::w: return "W (GeV)";
        case XKind::q2: return "Q^2 (GeV^2)";
        case XKind::minus_t: return "-t (GeV^2)";
        case XKind::cos_theta: return "cos theta";
        case XKind::phi: return "phi (degrees)";
        case XKind::t0_minus_t: return "t0 - t (GeV^2)";
        case XKind::unknown: break;
    }
    return "unknown";
}

std::string enhanced_text(const std::string& text) {
    auto word_char = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '@' || c == '&' || c == '{' || c == '}' || c == '~' || c == '\\') out += '\\';
        out += c;
        // a sub- or superscript takes the whole word after it: E_beam, not E_b eam
        if ((c == '_' || c == '^') && i + 1 < text.size() && word_char(text[i + 1])) {
            std::size_t e = i + 1;
            while (e < text.size() && word_char(text[e])) ++e;
            out.append("{").append(text, i + 1, e - i - 1).append("}");
            i = e - 1;
        }
    }
    return out;
}

Plan plan_figures(const RunTables& run, const std::optional<XOption>& x_option, const RunRecord* record,
                  YScale y_scale) {
    Plan plan;
    if (record && !record->has_figures) record = nullptr;
    plan.record_used = record != nullptr;
    plan.program = detect_program(run);
    const XKind recorded_x = record ? record_x(*record) : XKind::unknown;
    if (x_option && x_option->kind)
        plan.scan_x = {*x_option->kind, "named with --x"};
    else if (recorded_x != XKind::unknown)
        plan.scan_x = {recorded_x, "from the run record"};
    else
        plan.scan_x = infer_scan_x(plan.program, run);
    const CrossUnit unit = record ? record->unit : CrossUnit::unknown;
    const int wanted = plan.program == Program::regge    ? by_regge
                       : plan.program == Program::models ? by_models
                                                         : by_both;
    for (const FigureDef& def : figure_defs()) {
        if (plan.program != Program::unknown && !(def.owner & wanted)) continue;
        Figure fig;
        fig.stem = def.stem;
        fig.heading = def.heading;
        if (plan.program != Program::unknown) fig.heading += "  (" + program_name(plan.program) + ")";
        XKind scan = plan.scan_x.kind;
        XKind fig_x = XKind::unknown;  // the x of this figure, where known
        switch (def.x) {
            case XSource::scan:
                fig.xlabel = x_option ? x_option->label : x_label(scan);
                fig.scan_x = true;
                fig_x = x_option && !x_option->kind ? XKind::unknown : scan;
                break;
            case XSource::dds: {
                const XGuess g = recorded_x != XKind::unknown ? XGuess{recorded_x, "from the run record"}
                                                               : infer_dds_x(run);
                if (g.kind == XKind::phi || g.kind == XKind::minus_t || recorded_x != XKind::unknown || !x_option) {
                    fig.xlabel = g.kind == XKind::unknown ? "W (GeV) or Q^2 (GeV^2) (name it with --x)" : x_label(g.kind);
                    fig_x = g.kind;
                } else {
                    fig.xlabel = x_option->label;
                    if (x_option->kind) fig_x = *x_option->kind;
                }
                break;
            }
            case XSource::minus_t: fig.xlabel = x_label(XKind::minus_t); fig_x = XKind::minus_t; break;
            case XSource::q2: fig.xlabel = x_label(XKind::q2); fig_x = XKind::q2; break;
            case XSource::phi: fig.xlabel = x_label(XKind::phi); fig_x = XKind::phi; break;
            case XSource::t0: fig.xlabel = x_label(XKind::t0_minus_t); fig_x = XKind::t0_minus_t; break;
        }
        const Measure measure = resolved_measure(def.measure, plan.program, scan, record);
        if (record) {
            fig.heading = record_heading(def, measure, fig_x);
            fig.subtitle = record_subtitle(*record);
        }
        const bool cross_section = def.measure == Measure::per_t || def.measure == Measure::per_omega ||
                                   def.measure == Measure::separated;
        auto y_quantity = [&](const PanelDef& pd) {
            if (!cross_section) return YQuantity::other;
            const std::string q = pd.quantity;
            return q == "σ_{TT}" || q == "σ_{LT}" || q == "σ_{LT′}" ? YQuantity::interference : YQuantity::cross_section;
        };
        // the phi-dependent files hold one phi series per point; every other file one series per pass of
        // the loops around its x
        const std::vector<SeriesLoop>* loops = nullptr;
        if (record) loops = fig_x == XKind::phi ? &record->phi_series : &record->series;
        for (const PanelDef& pd : def.panels) {
            const auto it = run.find(pd.file);
            if (it == run.end() || it->second.line_count == 0) continue;
            const ResultTable& table = it->second;
            if (record && !record->files.empty() && !record->files.count(pd.file)) {
                plan.notes.push_back(std::string(pd.file) + ": " + std::to_string(table.line_count) +
                                     " line(s) left from an earlier run (the run record does not list the file): not drawn");
                continue;
            }
            if (!table.bad_lines.empty())
                plan.notes.push_back(std::string(pd.file) + ": " + std::to_string(table.bad_lines.size()) +
                                     " line(s) not two numbers, skipped (first: line " +
                                     std::to_string(table.bad_lines.front()) + ")");
            Panel panel;
            panel.source = pd.file;
            panel.data = data_file_name(pd.file);
            panel.title = panel_title(measure, pd, def.negated, plan.program, scan);
            panel.ylabel = y_label(measure, pd, def.negated, plan.program, scan, unit);
            panel.series = split_series(table.rows);
            const std::size_t finite = panel.point_count();
            if (finite == 0) {
                plan.notes.push_back(std::string(pd.file) + ": " + std::to_string(table.line_count) +
                                     " line(s), none with finite values: no curve");
                continue;
            }
            if (finite < table.rows.size())
                plan.left_out.push_back(std::string(pd.file) + " " + std::to_string(table.rows.size() - finite) +
                                        "/" + std::to_string(table.line_count));
            const YChoice y = choose_y_scale(panel.series, y_quantity(pd), y_scale);
            panel.log_y = y.log;
            if (!y.linear_because.empty())
                plan.notes.push_back(std::string(pd.file) + ": " + y.linear_because + ", drawn on a linear y axis despite --log");
            if (loops && !loops->empty()) {
                if (auto labels = series_labels(*loops, panel.series.size())) {
                    panel.labels = std::move(*labels);
                    panel.colour_axis = loop_axis_name(loops->back());
                } else {
                    std::size_t expected = 1;
                    for (const SeriesLoop& l : *loops) expected = l.count > 0 && expected > SIZE_MAX / l.count ? SIZE_MAX : expected * l.count;
                    plan.notes.push_back(std::string(pd.file) + ": " + std::to_string(panel.series.size()) +
                                         " series found where the run record's loops give " + std::to_string(expected) +
                                         ": curves numbered instead of labelled");
                }
            }
            fig.panels.push_back(std::move(panel));
        }
        if (fig.panels.empty()) continue;
        fig.phi_axis = fig_x == XKind::phi;
        if (fig_x == XKind::minus_t || fig_x == XKind::t0_minus_t) {
            // t0 - t is at most -t: beyond the range in either
            double reach = 0.0;
            for (const Panel& p : fig.panels)
                for (const Series& se : p.series)
                    for (const Piece& pc : se.pieces)
                        for (const Row& r : pc) reach = std::max(reach, r.x);
            if (reach > kModelsMinusTRange) {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.3g", reach);
                const std::string x = fig_x == XKind::minus_t ? "−t" : "t_0 − t";
                fig.notes.push_back(x + " reaches " + buf + " GeV^2; the models are made for −t up to 1–2 GeV^2" +
                                    " (docs/physics.md §8)" + (fig_x == XKind::minus_t ? ": shaded, an extrapolation" : ""));
                if (fig_x == XKind::minus_t) fig.shade_from = kModelsMinusTRange;
                plan.notes.push_back(std::string(fig.stem) + ".png: " + (fig_x == XKind::minus_t ? "-t" : "t0 - t") +
                                     " reaches " + buf + " GeV^2, beyond the models' range of -t up to about 1-2 GeV^2"
                                     " (docs/physics.md, section 8): said in the figure");
            }
        }
        plan.figures.push_back(std::move(fig));
    }
    return plan;
}

std::vector<std::string> all_figure_stems() {
    std::vector<std::string> stems;
    for (const FigureDef& def : figure_defs()) stems.push_back(def.stem);
    return stems;
}

std::string data_file_name(const std::string& result_file) {
    std::string stem = result_file;
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".dat") == 0) stem.resize(stem.size() - 4);
    if (!stem.empty() && stem[0] == '-') stem = "minus" + stem;
    return stem + ".data";
}

}  // namespace kavrin::plot
