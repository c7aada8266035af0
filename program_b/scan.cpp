#include "program_b/scan.hpp"

#include <cmath>

#include "api/models_core.hpp"
#include "kinematics/kinematics.hpp"
#include "program_b/dialogue.hpp"
#include "program_b/model.hpp"

namespace kavrin::program_b {

namespace {

constexpr double gap100 = 10.0;     // W step (MeV)
constexpr double gap150 = 10000.0;  // Q^2 step (MeV^2)

// How the x column of a point is chosen, by scan mode.
enum class Axis { w, qq, minus_t, cos_theta };

constexpr Axis axis_of(int xaxis) {
    switch (xaxis) {
        case 1:
        case 6: return Axis::w;
        case 8:
        case 9: return Axis::minus_t;
        case 10: return Axis::cos_theta;
        default: return Axis::qq;
    }
}

// Writes the lines of one point for output kinds 1 and 2, in the order dST, dSL, dSTT, dSLT, dSLTP, dSU,
// the negated files, the ratio, the asymmetry, then the files measured from t at theta = 0. Each value is
// formatted once and shared by the lines that carry it.
void write_separated(const Settings& s, const PointResult& r, io::ResultFiles& files) {
    const Axis axis = axis_of(s.xaxis);
    const bool has_dsu = s.el.has_value();
    const bool has_bsa = s.model == ModelKind::km ? s.ebe.has_value() : s.el.has_value();
    // dsigma/dOmega in the W scans, dsigma/dt everywhere else
    const auto y = [&](double v) { return axis == Axis::w ? v : r.per_t(v); };
    double x = 0.0;
    switch (axis) {
        case Axis::w: x = r.w / 1000.0; break;
        case Axis::qq: x = r.qq / 1.0e6; break;
        case Axis::minus_t: x = -r.t / 1.0e6; break;
        case Axis::cos_theta: x = std::cos(r.theta); break;
    }
    const std::string fx = ' ' + io::format_real(x) + ' ';
    const std::string dst = io::format_real(y(r.dst)), dsl = io::format_real(y(r.dsl)),
                      dstt = io::format_real(y(r.dstt)), dslt = io::format_real(y(r.dslt)),
                      dsltp = io::format_real(y(r.dsltp)), ratio = io::format_real(r.dsl / r.dst);
    const std::string dsu = has_dsu ? io::format_real(y(r.dsu)) : std::string();

    files.write(f_dST, fx + dst);
    files.write(f_dSL, fx + dsl);
    files.write(f_dSTT, fx + dstt);
    files.write(f_dSLT, fx + dslt);
    files.write(f_dSLTP, fx + dsltp);
    if (has_dsu) files.write(f_dSU, fx + dsu);
    if (axis == Axis::minus_t) {
        files.write(f_minus_dSTT, fx + io::format_real(-y(r.dstt)));
        files.write(f_minus_dSLT, fx + io::format_real(-y(r.dslt)));
        files.write(f_minus_dSLTP, fx + io::format_real(-y(r.dsltp)));
    }
    files.write(f_dSL_over_dST, fx + ratio);
    if (has_bsa && axis == Axis::qq) files.write(f_BSA_QQ, fx + io::format_real(r.bsa));
    if (has_bsa && axis == Axis::minus_t) files.write(f_BSA_t, fx + io::format_real(r.bsa));
    if (axis == Axis::minus_t) {
        const std::string fx0 = ' ' + io::format_real((r.t_max - r.t) / 1.0e6) + ' ';
        files.write(f_dST_T0, fx0 + dst);
        files.write(f_dSL_T0, fx0 + dsl);
        files.write(f_dSTT_T0, fx0 + dstt);
        files.write(f_dSLT_T0, fx0 + dslt);
        files.write(f_dSLTP_T0, fx0 + dsltp);
        if (has_dsu) files.write(f_dSU_T0, fx0 + dsu);
        files.write(f_dSL_over_dST_T0, fx0 + ratio);
    }
}

// The sum of the four unpolarized cross sections at phi = 1..360 degrees, per t, into "dS.dat".
void write_phi_dependent(const Settings& s, const PointResult& r, io::ResultFiles& files) {
    const double el = s.el.value_or(std::nan(""));
    const double lt = std::sqrt(2.0 * el * (1.0 + el));
    for (int i10 = 1; i10 <= 360; ++i10) {
        const double phi = i10 * pi / 180.0;
        const double ds = r.dst + el * r.dsl + el * r.dstt * std::cos(2.0 * phi) + lt * r.dslt * std::cos(phi);
        files.write(f_dS, io::result_line(static_cast<long long>(i10), r.per_t(ds)));
    }
}

}  // namespace

std::vector<std::string> result_file_names() {
    return {"dST.dat",     "dSL.dat",      "dSTT.dat",     "dSLT.dat",         "dSLTP.dat",
            "dSU.dat",     "-dSTT.dat",    "-dSLT.dat",    "-dSLTP.dat",       "dSL_over_dST.dat",
            "dS.dat",      "BSA_t.dat",    "BSA_QQ.dat",   "dST-T0.dat",       "dSL-T0.dat",
            "dSTT-T0.dat", "dSLT-T0.dat",  "dSLTP-T0.dat", "dSU-T0.dat",       "dSL_over_dST-T0.dat"};
}

ScanLimits scan_limits(const Settings& s) {
    const ChannelMasses m = channel_masses(s.channel);
    const double w = 1000.0 * s.w_input;
    const double qq = 1.0e6 * s.qq_input;
    ScanLimits l{w, w, qq, qq, w_from_xb(s.xaxis)};
    switch (s.xaxis) {
        case 1:
        case 6:  // W from 450 MeV above threshold to the final W
            l.emin = m.w_thresh() + 450.0;
            break;
        case 2:
        case 5:
        case 7:  // Q^2 from 0.1 GeV^2 to the final Q^2
            l.qqmin = 100000.0;
            break;
        case 3:
        case 4:  // Q^2 from the xB threshold (set in the scan) to the final Q^2, W from xB
            l.emin = l.emax = 3000.0;
            l.qqmin = Settings::unset;
            break;
        default: break;
    }
    return l;
}

int angle_count(const Settings& s) {
    if (s.xaxis < 8) return 1;
    return s.ang_range == 1.0f ? 41 : 181;
}

namespace {

// First Q^2 of the loop (MeV^2): in the xB modes 0.01 MeV^2 above the Q^2 where xB meets the threshold.
double first_qq(const Settings& s, const ScanLimits& limits) {
    if (!limits.w_xb) return limits.qqmin;
    const ChannelMasses m = channel_masses(s.channel);
    const double w_thresh = m.w_thresh();
    return (w_thresh * w_thresh - m.ibms()) * s.xb_input / (1.0 - s.xb_input) + double(0.01f);
}

}  // namespace

io::ScanSize scan_size(const Settings& s) {
    const ScanLimits limits = scan_limits(s);
    const double qqmin = first_qq(s, limits);
    using io::shown_value;
    return {{{io::loop_span(limits.emin, limits.emax, gap100),
              "values of W from " + shown_value(limits.emin / 1000.0) + " to " + shown_value(limits.emax / 1000.0) +
                  " GeV"},
             {io::loop_span(qqmin, limits.qqmax, gap150),
              "values of Q^2 from " + shown_value(qqmin / 1.0e6) + " to " + shown_value(limits.qqmax / 1.0e6) + " GeV^2"},
             {static_cast<double>(angle_count(s)), "angles"},
             {s.out == OutputKind::phi_dependent ? 360.0 : 1.0, "values of phi"}}};
}

void run_scan(const Settings& s, io::ResultFiles& files) { run_scan(models::Model(physics_settings(s)), s, files); }

void run_scan(const models::Model& physics, const Settings& s, io::ResultFiles& files) {
    const ChannelMasses m = channel_masses(s.channel);
    const double ibms = m.ibms(), fmms = m.fmms();
    const ScanLimits limits = scan_limits(s);
    const Model& model = core_of(physics);
    const int angles = angle_count(s);

    // the Q^2 loop is the same in every W pass: without a Q^2 value there is no point at all, and the W
    // loop (however long) has nothing to do
    const double qqmin = first_qq(s, limits);
    const long long fin150 = io::loop_passes(qqmin, limits.qqmax, gap150);
    const long long fin100 = fin150 == 0 ? 0 : io::loop_passes(limits.emin, limits.emax, gap100);
    for (long long i100 = 0; i100 < fin100; ++i100) {
        double e = limits.emin + static_cast<double>(i100) * gap100;
        for (long long i150 = 0; i150 < fin150; ++i150) {
            const double qq = qqmin + static_cast<double>(i150) * gap150;
            if (limits.w_xb) e = std::sqrt(qq / s.xb_input - qq + ibms);
            const CmFrame fr = CmFrame::make(e, qq, m.ibm, m.fbm, m.fmm);
            const double t0 = fmms - qq - 2.0 * fr.e_k1 * fr.e_k2;
            const double t_max = t0 + 2.0 * fr.k * fr.p;
            const double t_min = t0 - 2.0 * fr.k * fr.p;

            for (int i200 = 0; i200 < angles; ++i200) {
                double theta = 0.0;
                switch (s.xaxis) {
                    case 1:
                    case 2:
                    case 3: {
                        const double t = -s.t_input * 1.0e6;
                        if (t > t_max || t < t_min) continue;  // outside the physical range: no point
                        const double dd = (t - t0) / (2.0 * fr.p * fr.k);
                        theta = dd > 1.0 ? 0.0 : dd < -1.0 ? pi : std::acos(dd);
                        break;
                    }
                    case 4:
                    case 5: theta = s.theta_input * pi / 180.0; break;
                    case 6:
                    case 7: theta = double(std::acos(s.cos_theta_input)); break;
                    default: theta = i200 * pi / 180.0; break;
                }
                const PointResult r = model.evaluate(e, qq, theta);
                if (s.out == OutputKind::phi_dependent)
                    write_phi_dependent(s, r, files);
                else
                    write_separated(s, r, files);
            }
        }
    }
}

}  // namespace kavrin::program_b
