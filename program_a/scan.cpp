#include "program_a/scan.hpp"

#include <cmath>

#include "api/regge_core.hpp"

namespace kavrin::program_a {

namespace {

constexpr double gap100 = 20.0;     // W step, MeV
constexpr double gap150 = 10000.0;  // Q^2 step, MeV^2 (0.01 GeV^2)

// Pion angle of one pass of the angle loop (radians), or nothing when the point is skipped.
struct Angle {
    bool skip;
    double theta;
};

Angle pion_angle(const Settings& st, const ChannelData& ch, const Frame& fr, int i200) {
    const CmFrame& cm = fr.cm;
    if (st.out == 1) {
        switch (st.xaxis) {
            case 1:
            case 2:
            case 3: {
                // fixed -t inside the range shown in the dialogue; clamped to the forward/backward angle
                const double t = -st.t_input * 1.0e6;
                if (t > st.t_max || t < st.t_min) return {true, 0.0};
                const double d = (t - fr.t00) / (2.0 * cm.p * cm.k);
                if (d > 1.0) return {false, 0.0};
                if (d < -1.0) return {false, pi};
                return {false, std::acos(d)};
            }
            case 4:
            case 5: return {false, st.theta_input * pi / 180.0};
            case 6:
            case 7: return {false, std::acos(st.cos_theta_input)};
            default: return {false, i200 * pi / 180.0};
        }
    }
    switch (st.xaxis3) {
        case 1:
        case 3: {
            const double t = -st.t_input * 1.0e6;
            const double cos_t = (t - ch.fmm * ch.fmm + cm.qq + 2.0 * cm.e_k2 * cm.e_k1) / (2.0 * cm.p * cm.k);
            return {false, std::acos(cos_t)};
        }
        case 2:
        case 4: {
            const double u = -st.u_input * 1.0e6;
            const double cos_u = (ch.fbm * ch.fbm - u - cm.qq - 2.0 * cm.e_p2 * cm.e_k1) / (2.0 * cm.p * cm.k);
            return {false, std::acos(cos_u)};
        }
        case 5: return {false, i200 * pi / 180.0};
        default: return {false, st.theta_deg * pi / 180.0};
    }
}

// Lines of one point of output kind 1.
void write_separated(const Settings& st, const PointResult& r, io::ResultFiles& files) {
    double x;
    switch (st.xaxis) {
        case 8:
        case 9: x = -r.t / 1.0e6; break;
        case 10: x = std::cos(r.theta); break;
        case 1:
        case 6: x = r.w / 1000.0; break;
        default: x = r.qq / 1.0e6; break;
    }
    const double domega[6] = {r.dst, r.dsl, r.dstt, r.dslt, r.dsltp, r.dsu};
    const auto per_t = [&r](double v) { return v * pi / (r.k * r.p) * 1.0e6; };
    for (std::size_t i = 0; i < 6; ++i) files.write(dst_dt + i, io::result_line(x, per_t(domega[i])));
    for (std::size_t i = 0; i < 6; ++i) files.write(dst_domega + i, io::result_line(x, domega[i]));
    if (st.xaxis == 8 || st.xaxis == 9) {
        const double x0 = (r.t0 - r.t) / 1.0e6;
        for (std::size_t i = 0; i < 6; ++i) files.write(dst_t0 + i, io::result_line(x0, per_t(domega[i])));
    }
    files.write(dsl_over_dst, io::result_line(x, r.lt_ratio));
    files.write(bsa_file, io::result_line(x, r.bsa));
}

// Lines of one point of output kind 3.
void write_dds(const Settings& st, const PointResult& r, io::ResultFiles& files) {
    const double per_t = pi / (r.k * r.p) * 1.0e6;
    switch (st.xaxis3) {
        case 5: {
            const double ds = dds_value(st, r, st.phi);
            files.write(dds_t, io::result_line(-r.t / 1.0e6, ds * pi / (r.k * r.p) * 1.0e6));
            files.write(dds_domega, io::result_line(-r.t / 1.0e6, ds));
            break;
        }
        case 6: files.write(dds_domega, io::result_line(r.w / 1000.0, dds_value(st, r, st.phi))); break;
        case 7: files.write(dds_domega, io::result_line(r.qq / 1.0e6, dds_value(st, r, st.phi))); break;
        default:
            for (long long i10 = 1; i10 <= 360; ++i10) {
                const double ds = dds_phi_scan_value(st, r, static_cast<double>(i10));
                files.write(dds_phi, io::result_line(i10, ds * per_t));
                files.write(dds_domega, io::result_line(i10, ds));
            }
            break;
    }
}

}  // namespace

std::vector<std::string> result_file_names() {
    return {"dST_domega.dat", "dSL_domega.dat", "dSTT_domega.dat", "dSLT_domega.dat", "dSLTP_domega.dat",
            "dSU_domega.dat", "dST.dat",        "dSL.dat",         "dSTT.dat",        "dSLT.dat",
            "dSLTP.dat",      "dSU.dat",        "dSL_over_dST.dat", "BSA.dat",        "ddS_T.dat",
            "ddS_domega.dat", "ddS_PHI.dat",    "dST-T0.dat",      "dSL-T0.dat",      "dSTT-T0.dat",
            "dSLT-T0.dat",    "dSLTP-T0.dat",   "dSU-T0.dat"};
}

io::ScanSize scan_size(const Settings& st) {
    const bool angle_scan = (st.out == 1 && st.xaxis >= 8) || (st.out == 3 && st.xaxis3 == 5);
    const int angles = !angle_scan ? 1 : (st.out == 1 && st.angle_range == 1 ? 46 : 181);
    const bool phi_series = st.out == 3 && st.xaxis3 >= 1 && st.xaxis3 <= 4;
    using io::shown_value;
    return {{{io::loop_span(st.emin, st.emax, gap100),
              "values of W from " + shown_value(st.emin / 1000.0) + " to " + shown_value(st.emax / 1000.0) + " GeV"},
             {io::loop_span(st.qqmin, st.qqmax, gap150),
              "values of Q^2 from " + shown_value(st.qqmin / 1.0e6) + " to " + shown_value(st.qqmax / 1.0e6) + " GeV^2"},
             {static_cast<double>(angles), "angles"},
             {phi_series ? 360.0 : 1.0, "values of phi"}}};
}

void run_scan(const regge::Model& physics, const Settings& st, io::ResultFiles& files) {
    const Model& model = core_of(physics);
    const ChannelData& ch = model.channel;
    const bool angle_scan = (st.out == 1 && st.xaxis >= 8) || (st.out == 3 && st.xaxis3 == 5);
    const int ini200 = angle_scan ? 0 : 1;
    const int fin200 = !angle_scan ? 1 : (st.out == 1 && st.angle_range == 1 ? 45 : 180);

    // the Q^2 loop is the same in every W pass: without a Q^2 value there is no point at all, and the W
    // loop (however long) has nothing to do
    const long long n150 = io::loop_passes(st.qqmin, st.qqmax, gap150);
    const long long n100 = n150 == 0 ? 0 : io::loop_passes(st.emin, st.emax, gap100);
    for (long long i100 = 0; i100 < n100; ++i100) {
        const double e = static_cast<double>(i100) * gap100 + st.emin;
        for (long long i150 = 0; i150 < n150; ++i150) {
            const double qq = static_cast<double>(i150) * gap150 + st.qqmin;
            // W of the point; fixed by Q^2 and x_B where x_B is given: W^2 = M^2 + Q^2 (1 - x_B)/x_B
            const double w =
                st.w_xb == 1 ? std::sqrt((qq - qq * st.xb_input + st.xb_input * ch.ibm * ch.ibm) / st.xb_input) : e;
            const Frame fr = make_frame(model, w, qq);
            const NucleonFactors nf = nucleon_form_factors(model, qq);
            for (int i200 = ini200; i200 <= fin200; ++i200) {
                const Angle a = pion_angle(st, ch, fr, i200);
                if (a.skip) continue;
                const PointResult r = evaluate_point(model, nf, w, qq, a.theta);
                if (st.out == 1)
                    write_separated(st, r, files);
                else
                    write_dds(st, r, files);
            }
        }
    }
}

}  // namespace kavrin::program_a
