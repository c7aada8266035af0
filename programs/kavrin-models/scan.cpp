#include "kavrin-models/scan.hpp"
#include "kernel/units.hpp"

#include <cmath>
#include <string>
#include <string_view>

#include "io/scan_blocks.hpp"

namespace kavrin::models_program {

namespace {

using models::internal::channel_masses;
using models::internal::ChannelMasses;
using models::internal::pi;

constexpr double gap100 = 10.0;     // W step (MeV)
constexpr double gap150 = 10000.0;  // Q^2 step (MeV^2)

using Axis = io::ScanAxis;

// Writes the lines of one point for output kinds 1 and 2, in the order dST, dSL, dSTT, dSLT, dSLTP, dSU,
// the negated files, the ratio, the asymmetry, then the files measured from t at theta = 0. Each value is
// put in free format once and shared by the lines that carry it.
void write_separated(const Scan& s, const models::Settings& settings, const Observables& o, io::LineBlock& out) {
    const Axis axis = io::scan_axis(s.mode);
    const models::Options& opt = settings.options();
    const bool has_dsu = opt.epsilon.has_value();
    const bool has_bsa = settings.model() == models::ModelKind::km ? opt.beam_energy_gev.has_value() : has_dsu;
    // dsigma/dOmega in the W scans, dsigma/dt everywhere else
    const CrossSections& y = axis == Axis::w ? o.dsigma_domega : o.dsigma_dt;
    const double x = io::axis_value(axis, o);
    constexpr std::size_t n = io::real_width;
    // a value in free format, in a buffer of its own
    struct Field {
        char c[n];
        explicit Field(double v) { io::put_real(c, v); }
        std::string_view view() const { return {c, n}; }
    };
    const Field fx(x), dst(y.t), dsl(y.l), dstt(y.tt), dslt(y.lt), dsltp(y.ltp), ratio(o.lt_ratio);
    const Field dsu(has_dsu ? y.u : 0.0);
    const std::string_view vx = fx.view();

    out.line(f_dST, vx, dst.view());
    out.line(f_dSL, vx, dsl.view());
    out.line(f_dSTT, vx, dstt.view());
    out.line(f_dSLT, vx, dslt.view());
    out.line(f_dSLTP, vx, dsltp.view());
    if (has_dsu) out.line(f_dSU, vx, dsu.view());
    if (axis == Axis::minus_t) {
        out.line(f_minus_dSTT, vx, Field(-y.tt).view());
        out.line(f_minus_dSLT, vx, Field(-y.lt).view());
        out.line(f_minus_dSLTP, vx, Field(-y.ltp).view());
    }
    out.line(f_dSL_over_dST, vx, ratio.view());
    if (has_bsa && axis == Axis::q2) out.line(f_BSA_QQ, vx, Field(o.bsa).view());
    if (has_bsa && axis == Axis::minus_t) out.line(f_BSA_t, vx, Field(o.bsa).view());
    if (axis == Axis::minus_t) {
        const Field fx0(o.t0_minus_t);
        const std::string_view v0 = fx0.view();
        out.line(f_dST_T0, v0, dst.view());
        out.line(f_dSL_T0, v0, dsl.view());
        out.line(f_dSTT_T0, v0, dstt.view());
        out.line(f_dSLT_T0, v0, dslt.view());
        out.line(f_dSLTP_T0, v0, dsltp.view());
        if (has_dsu) out.line(f_dSU_T0, v0, dsu.view());
        out.line(f_dSL_over_dST_T0, v0, ratio.view());
    }
}

// The sum of the four unpolarized cross sections at phi = 1..360 degrees, per t, into "dS.dat".
void write_phi_dependent(const models::Settings& settings, const Observables& o, io::LineBlock& out) {
    const double el = *settings.options().epsilon;
    const double lt = lt_coefficient_desy(el);
    for (int i10 = 1; i10 <= 360; ++i10) {
        const double ds = phi_dependent_cross_section(o.dsigma_domega, el, lt, i10 * pi / 180.0);
        out.line(f_dS, static_cast<long long>(i10), ds * o.dt_per_domega);
    }
}

// First Q^2 of the loop (MeV^2): in the xB modes 0.01 MeV^2 above the Q^2 where xB meets the threshold.
double first_qq(const Answers& a, const ScanLimits& limits) {
    if (!limits.w_xb) return limits.qqmin;
    const ChannelMasses m = channel_masses(*a.physics.channel);
    const double w_thresh = m.w_thresh();
    return (w_thresh * w_thresh - m.ibms()) * a.scan.xb_input / (1.0 - a.scan.xb_input) + double(0.01f);
}

}  // namespace

ScanLimits scan_limits(const Answers& a) {
    const Scan& s = a.scan;
    const ChannelMasses m = channel_masses(*a.physics.channel);
    const double w = units::gev_to_mev(s.w_input);
    const double qq = units::gev2_to_mev2(s.qq_input);
    ScanLimits l{w, w, qq, qq, w_from_xb(s.mode)};
    switch (s.mode) {
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
            l.qqmin = Scan::unset;
            break;
        default: break;
    }
    return l;
}

int angle_count(const Scan& s) {
    if (s.mode < 8) return 1;
    return s.ang_range == 1.0f ? 41 : 181;
}

io::ScanSize scan_size(const Answers& a) {
    const ScanLimits limits = scan_limits(a);
    const double qqmin = first_qq(a, limits);
    using io::shown_value;
    return {{{io::loop_span(limits.emin, limits.emax, gap100),
              "values of W from " + shown_value(units::mev_to_gev(limits.emin)) + " to " + shown_value(units::mev_to_gev(limits.emax)) +
                  " GeV",
              "W", units::mev_to_gev(limits.emin), units::mev_to_gev(gap100), "GeV"},
             {io::loop_span(qqmin, limits.qqmax, gap150),
              "values of Q^2 from " + shown_value(units::mev2_to_gev2(qqmin)) + " to " + shown_value(units::mev2_to_gev2(limits.qqmax)) + " GeV^2",
              "Q2", units::mev2_to_gev2(qqmin), units::mev2_to_gev2(gap150), "GeV²"},
             {static_cast<double>(angle_count(a.scan)), "angles", "theta", 0.0, 1.0, "deg"},
             {a.scan.out == OutputKind::phi_dependent ? 360.0 : 1.0, "values of phi", "phi", 1.0, 1.0, "deg"}}};
}

void run_scan(const models::internal::Model& model, const Scan& s, io::ResultFiles& files,
              const io::RunOptions& options) {
    const models::Settings& settings = model.settings();
    const Answers a{settings.options(), s};
    const double ibm = model.constants().m.ibm;
    const ScanLimits limits = scan_limits(a);
    const int angles = angle_count(s);

    // the Q^2 loop is the same in every W pass: without a Q^2 value there is no point at all, and the W
    // loop (however long) has nothing to do
    const double qqmin = first_qq(a, limits);
    const long long fin150 = io::loop_passes(qqmin, limits.qqmax, gap150);
    const long long fin100 = fin150 == 0 ? 0 : io::loop_passes(limits.emin, limits.emax, gap100);
    // points in the order of the loops W, Q^2, angle
    const std::size_t points = io::scan_points({fin100, fin150, angles});
    const std::size_t per_pass = static_cast<std::size_t>(angles);

    const auto compute = [&](std::size_t first, std::size_t last, io::LineBlock& out) {
        std::size_t held = points;  // the (W, Q^2) pass whose frame is held
        CmFrame fr{};
        for (std::size_t p = first; p < last; ++p) {
            const std::size_t pass = p / per_pass;
            if (pass != held) {
                const long long i100 = static_cast<long long>(pass) / fin150;
                const long long i150 = static_cast<long long>(pass) % fin150;
                double e = limits.emin + static_cast<double>(i100) * gap100;
                const double qq = qqmin + static_cast<double>(i150) * gap150;
                if (limits.w_xb) e = w_of_xb(qq, s.xb_input, ibm);
                fr = model.frame(e, qq);
                held = pass;
            }
            const int i200 = static_cast<int>(p % per_pass);
            double theta = 0.0;
            switch (s.mode) {
                case 1:
                case 2:
                case 3: {
                    const double t = units::gev2_to_mev2(-s.t_input);
                    if (t > fr.t_forward() || t < fr.t_backward()) continue;  // outside the physical range
                    theta = fr.theta_of_t(t);
                    break;
                }
                case 4:
                case 5: theta = s.theta_input * pi / 180.0; break;
                case 6:
                case 7: theta = double(std::acos(s.cos_theta_input)); break;  // in single precision
                default: theta = i200 * pi / 180.0; break;
            }
            const Observables o = model.evaluate(fr, theta);
            if (s.out == OutputKind::phi_dependent)
                write_phi_dependent(settings, o, out);
            else
                write_separated(s, settings, o, out);
        }
    };
    const std::size_t lines = s.out == OutputKind::phi_dependent ? 360 : 19;
    io::run_in_blocks(points, io::points_per_block(lines, options.block_points), options.threads, result_file_count,
                      files, compute);
}

}  // namespace kavrin::models_program
