#include "kavrin-regge/record.hpp"

#include <cmath>
#include <vector>

#include "kavrin-regge/scan.hpp"

namespace kavrin::regge_program {

using namespace regge;

namespace {

std::string on_off(bool on) { return on ? "on" : "off"; }

const char* dds_name(DdsType type) {
    switch (type) {
        case DdsType::desy: return "DESY";
        case DdsType::cornell_fixed: return "Cornell (fixed phi)";
        case DdsType::cornell_averaged: return "Cornell (averaged over phi)";
        case DdsType::cea: return "CEA";
        case DdsType::jlab: return "JLab";
    }
    return "unknown";
}

// The physics settings in words, and the model's short name for figures.
void describe_physics(const Options& o, const std::string& table, io::RecordLines& settings, std::string& model) {
    const bool charged = *o.channel == Channel::pi_plus_n || *o.channel == Channel::pi_minus_p;
    const bool born = charged || o.born_terms.value_or(false);
    const bool gpd = born && o.form_factors == FormFactors::gpd;
    settings.emplace_back("reaction", io::reaction_text(static_cast<int>(*o.channel)));
    model = born ? (gpd ? "Regge, GPD form factors" : "Regge, dipole form factors") : "Regge, no nucleon Born terms";
    settings.emplace_back("model", born ? (gpd ? "Regge model with GPD-based nucleon form factors"
                                               : "Regge model with dipole nucleon form factors")
                                        : "Regge model without nucleon Born terms");
    if (!charged) {
        settings.emplace_back("omega Regge phase",
                              *o.omega_phase == OmegaPhase::non_degenerate ? "non-degenerate (nEXD)" : "degenerate (EXD)");
        settings.emplace_back("omega cut-off", io::shown_value(*o.omega_cutoff_mev) + " MeV");
        settings.emplace_back("nucleon Born terms", on_off(*o.born_terms));
    }
    if (born) {
        if (gpd) {
            settings.emplace_back("nucleon form factors", "GPD-based (first moments of valence GPDs)");
            settings.emplace_back("GPD profile slope",
                                  o.gpd_slope_per_gev2 ? io::shown_value(*o.gpd_slope_per_gev2) + " GeV⁻²" : "0.3 GeV⁻² (fixed)");
            settings.emplace_back("Gauss-Legendre table", table);
        } else {
            settings.emplace_back("nucleon form factors", "dipole");
            settings.emplace_back("nucleon cut-off", io::shown_value(*o.nucleon_cutoff_gev) + " GeV");
        }
        settings.emplace_back("Pauli (F2) terms", on_off(*o.pauli_terms));
    }
    if (charged) {
        settings.emplace_back("pion cut-off", io::shown_value(*o.pion_cutoff_mev) + " MeV");
        settings.emplace_back("a1 photocoupling sign", *o.a1_sign == A1Sign::positive ? "positive" : "negative");
    }
}

}  // namespace

io::RunRecord describe_run(const Answers& a, const std::string& table) {
    const Options& o = a.physics;
    const Scan& s = a.scan;
    io::RunRecord r;
    std::string model;
    describe_physics(o, table, r.settings, model);
    const bool nb = o.unit == CrossSectionUnit::nanobarn;
    const std::string unit = nb ? "nb" : "µb";

    using io::angle_loop, io::phi_loop, io::q2_loop, io::w_loop;
    std::optional<std::size_t> x_loop;
    std::string x, scan;
    std::vector<std::string> fixed;
    bool phi_files = false;
    if (s.out == OutputKind::separated) {
        r.settings.emplace_back("output", "separated cross sections dσT, dσL, dσTT, dσLT, dσLT′, dσU, L/T and the "
                                          "beam-spin asymmetry");
        const io::ScanAxis axis = io::scan_axis(s.mode);
        x = io::axis_key(axis);
        x_loop = io::axis_loop(axis);
        if (s.w_from_xb) fixed.push_back(io::fixed_value("x_B", s.xb_input));
        if (s.mode >= 1 && s.mode <= 3) fixed.push_back(io::fixed_value("−t", s.t_input, "GeV²"));
        if (s.mode == 4 || s.mode == 5) fixed.push_back(io::fixed_value("θ", s.theta_input, "°"));
        if (s.mode == 6 || s.mode == 7) fixed.push_back(io::fixed_value("cos θ", s.cos_theta_input));
        scan = io::axis_text(axis);
        if (*x_loop == angle_loop) scan += std::string(" (pion angle 0 to ") + (s.small_angles ? "45" : "180") + " degrees)";
    } else {
        const Dds& d = *o.dds;
        std::string conv = std::string(dds_name(d.type)) + " convention";
        if (d.phi) conv += ", φ = " + io::shown_value(*d.phi * 180.0 / internal::pi) + "°";
        if (d.cos_phi) conv += ", cos φ = " + io::shown_value(*d.cos_phi) + ", cos 2φ = " + io::shown_value(*d.cos_2phi);
        r.settings.emplace_back("output", "φ-dependent cross section (DDS), " + conv);
        switch (s.dds_mode) {
            case 1: case 2: case 3: case 4:
                x = "phi";
                x_loop = phi_loop;
                phi_files = true;
                if (s.w_from_xb) fixed.push_back(io::fixed_value("x_B", s.xb_input));
                fixed.push_back(s.dds_mode % 2 == 1 ? io::fixed_value("−t", s.t_input, "GeV²") : io::fixed_value("−u", s.u_input, "GeV²"));
                scan = "φ from 1 to 360 degrees";
                break;
            case 5: x = "minus_t"; x_loop = angle_loop; scan = "−t (pion angle 0 to 180 degrees)"; break;
            case 6: x = "W"; x_loop = w_loop; fixed.push_back(io::fixed_value("θ", s.theta_deg, "°")); scan = "W"; break;
            default: x = "Q2"; x_loop = q2_loop; fixed.push_back(io::fixed_value("θ", s.theta_deg, "°")); scan = "Q²"; break;
        }
        fixed.push_back(conv);
    }
    std::vector<std::size_t> hide;
    if (s.w_from_xb) hide.push_back(w_loop);
    std::vector<std::string> loops_fixed;
    io::RunRecord figures;
    io::add_scan_loops(figures, loops_fixed, scan_size(s), x_loop, hide, phi_files);
    loops_fixed.insert(loops_fixed.end(), fixed.begin(), fixed.end());
    loops_fixed.push_back(io::fixed_value("ε", *o.epsilon));

    const io::ScanSize size = scan_size(s);
    r.settings.emplace_back("scan", scan + "; " + size.describe());
    r.settings.emplace_back("fixed", io::comma_list(loops_fixed));
    r.settings.emplace_back("unit", unit + " (dσ/dt in " + unit + "/GeV², dσ/dΩ in " + unit + "/sr)");

    r.figures.emplace_back("reaction", io::reaction_text(static_cast<int>(*o.channel)));
    r.figures.emplace_back("model", model);
    r.figures.emplace_back("fixed", io::comma_list(loops_fixed));
    r.figures.emplace_back("x", x);
    r.figures.emplace_back("unit", unit);
    r.figures.emplace_back("cross section", "dsigma_dt");
    r.figures.insert(r.figures.end(), figures.figures.begin(), figures.figures.end());
    return r;
}

}  // namespace kavrin::regge_program
