#include "kavrin-regge/scan.hpp"
#include "kernel/units.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "io/scan_blocks.hpp"

namespace kavrin::regge_program {

namespace {

using regge::internal::pi;

constexpr double gap100 = 20.0;     // W step, MeV
constexpr double gap150 = 10000.0;  // Q^2 step, MeV^2 (0.01 GeV^2)

// Pion angle of one pass of the angle loop (radians), or nothing when the point is skipped.
struct PionAngle {
    bool skip;
    double theta;
};

PionAngle pion_angle(const Scan& st, const CmFrame& fr, int i200) {
    if (st.out == OutputKind::separated) {
        switch (st.mode) {
            case 1:
            case 2:
            case 3: {
                // fixed -t inside the range shown in the dialogue; clamped to the forward/backward angle
                const double t = units::gev2_to_mev2(-st.t_input);
                if (t > st.t_max || t < st.t_min) return {true, 0.0};
                return {false, fr.theta_of_t(t)};
            }
            case 4:
            case 5: return {false, st.theta_input * pi / 180.0};
            case 6:
            case 7: return {false, std::acos(st.cos_theta_input)};
            default: return {false, i200 * pi / 180.0};
        }
    }
    switch (st.dds_mode) {
        case 1:
        case 3: return {false, std::acos(fr.cos_theta_of_t(units::gev2_to_mev2(-st.t_input)))};
        case 2:
        case 4: return {false, std::acos(fr.cos_theta_of_u(units::gev2_to_mev2(-st.u_input)))};
        case 5: return {false, i200 * pi / 180.0};
        default: return {false, st.theta_deg * pi / 180.0};
    }
}

// Lines of one point of the separated cross sections; each value is put in free format once.
void write_separated(const Scan& st, const Observables& o, io::LineBlock& out) {
    const double x = io::axis_value(io::scan_axis(st.mode), o);
    const CrossSections& w = o.dsigma_domega;
    const CrossSections& t = o.dsigma_dt;
    const double domega[6] = {w.t, w.l, w.tt, w.lt, w.ltp, w.u};
    const double dt[6] = {t.t, t.l, t.tt, t.lt, t.ltp, t.u};
    constexpr std::size_t n = io::real_width;
    char fx[n], fdt[6][n], fy[n];
    io::put_real(fx, x);
    const std::string_view vx(fx, n);
    for (std::size_t i = 0; i < 6; ++i) {
        io::put_real(fdt[i], dt[i]);
        out.line(dst_dt + i, vx, std::string_view(fdt[i], n));
    }
    for (std::size_t i = 0; i < 6; ++i) {
        io::put_real(fy, domega[i]);
        out.line(dst_domega + i, vx, std::string_view(fy, n));
    }
    if (st.mode == 8 || st.mode == 9) {
        char fx0[n];
        io::put_real(fx0, o.t0_minus_t);
        for (std::size_t i = 0; i < 6; ++i) out.line(dst_t0 + i, std::string_view(fx0, n), std::string_view(fdt[i], n));
    }
    io::put_real(fy, o.lt_ratio);
    out.line(dsl_over_dst, vx, std::string_view(fy, n));
    io::put_real(fy, o.bsa);
    out.line(bsa_file, vx, std::string_view(fy, n));
}

// Lines of one point of the DDS: one value at the point, or the phi series of modes 1-4.
void write_dds(const Scan& st, const regge::Settings& settings, const Observables& o, io::LineBlock& out) {
    switch (st.dds_mode) {
        case 5:
            out.line(dds_t, -o.t, o.dds_dt);
            out.line(dds_domega, -o.t, o.dds_domega);
            break;
        case 6: out.line(dds_domega, o.w, o.dds_domega); break;
        case 7: out.line(dds_domega, o.q2, o.dds_domega); break;
        default:
            for (long long i10 = 1; i10 <= 360; ++i10) {
                const double ds = regge::phi_dependent_cross_section(settings, o, static_cast<double>(i10) * pi / 180.0);
                out.line(dds_phi, i10, ds * o.dt_per_domega);
                out.line(dds_domega, i10, ds);
            }
            break;
    }
}

// Lines a point writes at most.
std::size_t lines_per_point(const Scan& st) {
    if (st.out == OutputKind::separated) return 20;
    return st.dds_mode >= 1 && st.dds_mode <= 4 ? 720 : 2;
}

bool angle_scan(const Scan& st) {
    return (st.out == OutputKind::separated && st.mode >= 8) || (st.out == OutputKind::dds && st.dds_mode == 5);
}

}  // namespace

io::ScanSize scan_size(const Scan& st) {
    const int angles = !angle_scan(st) ? 1 : (st.out == OutputKind::separated && st.small_angles ? 46 : 181);
    const bool phi_series = st.out == OutputKind::dds && st.dds_mode >= 1 && st.dds_mode <= 4;
    using io::shown_value;
    return {{{io::loop_span(st.emin, st.emax, gap100),
              "values of W from " + shown_value(units::mev_to_gev(st.emin)) + " to " + shown_value(units::mev_to_gev(st.emax)) + " GeV",
              "W", units::mev_to_gev(st.emin), units::mev_to_gev(gap100), "GeV"},
             {io::loop_span(st.qqmin, st.qqmax, gap150),
              "values of Q^2 from " + shown_value(units::mev2_to_gev2(st.qqmin)) + " to " + shown_value(units::mev2_to_gev2(st.qqmax)) + " GeV^2",
              "Q2", units::mev2_to_gev2(st.qqmin), units::mev2_to_gev2(gap150), "GeV²"},
             {static_cast<double>(angles), "angles", "theta", 0.0, 1.0, "deg"},
             {phi_series ? 360.0 : 1.0, "values of phi", "phi", 1.0, 1.0, "deg"}}};
}

void run_scan(const regge::internal::Model& model, const Scan& st, io::ResultFiles& files,
              const io::RunOptions& options) {
    const double ibm = model.channel().ibm;
    const int ini200 = angle_scan(st) ? 0 : 1;
    const int fin200 = !angle_scan(st) ? 1 : (st.out == OutputKind::separated && st.small_angles ? 45 : 180);
    const std::size_t angles = static_cast<std::size_t>(fin200 - ini200 + 1);

    // the Q^2 loop is the same in every W pass: without a Q^2 value there is no point at all, and the W
    // loop (however long) has nothing to do
    const long long n150 = io::loop_passes(st.qqmin, st.qqmax, gap150);
    const long long n100 = n150 == 0 ? 0 : io::loop_passes(st.emin, st.emax, gap100);
    // points in the order of the loops W, Q^2, angle
    const std::size_t points = io::scan_points({n100, n150, static_cast<long long>(angles)});

    const auto compute = [&](std::size_t first, std::size_t last, io::LineBlock& out) {
        for (std::size_t p = first; p < last;) {
            // one (W, Q^2) pass: its frame, form factors and photon side, then its angles in the block
            const std::size_t pass = p / angles;
            const long long i100 = static_cast<long long>(pass) / n150;
            const long long i150 = static_cast<long long>(pass) % n150;
            const double e = static_cast<double>(i100) * gap100 + st.emin;
            const double qq = static_cast<double>(i150) * gap150 + st.qqmin;
            // W of the point; fixed by Q^2 and x_B where x_B is given
            const double w = st.w_from_xb ? w_of_xb(qq, st.xb_input, ibm) : e;
            const regge::internal::FrameSetup setup = model.setup(model.frame(w, qq), model.nucleon_form_factors(qq));
            for (const std::size_t end = std::min(last, (pass + 1) * angles); p < end; ++p) {
                const int i200 = ini200 + static_cast<int>(p % angles);
                const PionAngle a = pion_angle(st, setup.frame, i200);
                if (a.skip) continue;
                // the result files hold cross sections and what is made of them, never the amplitudes
                const Observables o = model.evaluate(setup, a.theta, regge::internal::Evaluation::cross_sections);
                if (st.out == OutputKind::separated)
                    write_separated(st, o, out);
                else
                    write_dds(st, model.settings(), o, out);
            }
        }
    };
    io::run_in_blocks(points, io::points_per_block(lines_per_point(st), options.block_points), options.threads,
                      result_file_count, files, compute);
}

}  // namespace kavrin::regge_program
