#include "kavrin-models/record.hpp"

#include <string>
#include <vector>

#include "kavrin-models/scan.hpp"

namespace kavrin::models_program {

using models::Channel;
using models::ModelKind;

namespace {

const char* model_name(ModelKind m) {
    switch (m) {
        case ModelKind::km: return "KM";
        case ModelKind::vr: return "VR";
        case ModelKind::qvm: return "QVM";
    }
    return "unknown";
}

}  // namespace

io::RunRecord describe_run(const Answers& a) {
    const models::Options& o = a.physics;
    const Scan& s = a.scan;
    io::RunRecord r;
    const std::string reaction = io::reaction_text(static_cast<int>(*o.channel));
    r.settings.emplace_back("reaction", reaction);
    r.settings.emplace_back("model", std::string(model_name(*o.model)) + " Regge model");
    if (o.pion_cutoff_gev) r.settings.emplace_back("pion cut-off", io::shown_value(*o.pion_cutoff_gev) + " GeV");
    if (o.nucleon_cutoff_gev) r.settings.emplace_back("nucleon cut-off", io::shown_value(*o.nucleon_cutoff_gev) + " GeV");

    using io::phi_loop, io::w_loop;
    const io::ScanAxis axis = io::scan_axis(s.mode);
    std::optional<std::size_t> x_loop = io::axis_loop(axis);
    std::string x = io::axis_key(axis);
    std::string scan = io::axis_text(axis);
    if (s.mode >= 8) scan += s.ang_range == 1.0f ? " (pion angle 0 to 40 degrees)" : " (pion angle 0 to 180 degrees)";
    const bool phi_files = s.out == OutputKind::phi_dependent;
    std::vector<std::string> fixed;
    if (w_from_xb(s.mode)) fixed.push_back(io::fixed_value("x_B", s.xb_input));
    if (s.mode >= 1 && s.mode <= 3) fixed.push_back(io::fixed_value("−t", s.t_input, "GeV²"));
    if (s.mode == 4 || s.mode == 5) fixed.push_back(io::fixed_value("θ", s.theta_input, "°"));
    if (s.mode == 6 || s.mode == 7) fixed.push_back(io::fixed_value("cos θ", s.cos_theta_input));
    if (o.epsilon) fixed.push_back(io::fixed_value("ε", *o.epsilon));
    if (o.beam_energy_gev) fixed.push_back(io::fixed_value("E_beam", *o.beam_energy_gev, "GeV"));

    switch (s.out) {
        case OutputKind::separated:
            r.settings.emplace_back("output", "separated cross sections dσT, dσL, dσTT, dσLT, dσLT′, dσU, L/T and the "
                                              "beam-spin asymmetry");
            break;
        case OutputKind::asymmetry:
            r.settings.emplace_back("output", "separated cross sections, L/T and the beam-spin asymmetry");
            break;
        case OutputKind::phi_dependent:
            r.settings.emplace_back("output", "φ-dependent sum of the four unpolarized cross sections (dS.dat, φ from 1 "
                                              "to 360 degrees)");
            x = "phi";
            x_loop = phi_loop;
            scan = "φ from 1 to 360 degrees at each point";
            break;
    }
    std::vector<std::size_t> hide;
    if (w_from_xb(s.mode)) hide.push_back(w_loop);
    std::vector<std::string> loops_fixed;
    io::RunRecord series;
    const io::ScanSize size = scan_size(a);
    io::add_scan_loops(series, loops_fixed, size, x_loop, hide, phi_files);
    loops_fixed.insert(loops_fixed.end(), fixed.begin(), fixed.end());

    const bool per_sr = s.out != OutputKind::phi_dependent && axis == io::ScanAxis::w;
    r.settings.emplace_back("scan", scan + "; " + size.describe());
    r.settings.emplace_back("fixed", io::comma_list(loops_fixed));
    r.settings.emplace_back("unit", per_sr ? "µb/sr (dST.dat ... dSU.dat hold dσ/dΩ in this W scan)"
                                           : "µb/GeV² (dST.dat ... dSU.dat, dS.dat hold dσ/dt)");

    r.figures.emplace_back("reaction", reaction);
    r.figures.emplace_back("model", model_name(*o.model));
    r.figures.emplace_back("fixed", io::comma_list(loops_fixed));
    r.figures.emplace_back("x", x);
    r.figures.emplace_back("unit", "µb");
    r.figures.emplace_back("cross section", per_sr ? "dsigma_domega" : "dsigma_dt");
    r.figures.insert(r.figures.end(), series.figures.begin(), series.figures.end());
    return r;
}

}  // namespace kavrin::models_program
