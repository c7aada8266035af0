#include "program_a/model.hpp"

#include <cmath>

#include "amplitudes/exchange.hpp"
#include "amplitudes/nucleon_poles.hpp"
#include "formfactors/nucleon.hpp"
#include "kinematics/wave_functions.hpp"
#include "regge/regge.hpp"

namespace kavrin::program_a {

namespace {

constexpr double pion_charged_m = double(139.57f);
constexpr double rho_charged_m = double(775.11f);
constexpr double pion_neutral_m = 134.9766;
constexpr double rho_neutral_m = 775.26;

// Regge slopes (GeV^-2, single precision) and intercept offsets of the exchanged trajectories.
constexpr double aps_gev = double(0.7f);
constexpr double avs_gev = double(0.8f);
constexpr double ats_gev = double(0.8f);
constexpr double aws_gev = double(0.9f);
constexpr double aas_gev = double(0.7f);
constexpr double abbs_gev = double(0.7f);
constexpr double ahs_gev = double(0.7f);
constexpr double av_0 = double(0.55f);
constexpr double aw_0 = double(0.44f);

// The reaction table: masses, charges, anomalous moments, photocouplings, signature factors and the
// distribution of the nucleon form factors over the s- and u-channel pole terms.
constexpr double kp = double(1.793f);
constexpr double kn = double(-1.913f);
const ChannelData channels[4] = {
    // gamma* p -> pi+ n
    {proton_m, neutron_m, pion_charged_m, rho_charged_m, true, 1.0, 0.0, 1.0, kp, kn, double(0.000224f),
     double(0.000196f), Phase::e, Phase::minus_e, Phase::zero, Phase::zero, Phase::half_e_minus_1, Phase::e,
     Phase::zero, Phase::minus_e, true, true, false, false, DipoleNucleon::proton_target, false},
    // gamma* n -> pi- p
    {neutron_m, proton_m, pion_charged_m, rho_charged_m, true, 0.0, 1.0, -1.0, kn, kp, double(0.000224f),
     double(0.000196f), Phase::one, Phase::one, Phase::zero, Phase::zero, Phase::minus_half_e_minus_1,
     Phase::minus_one, Phase::zero, Phase::minus_one, false, false, true, true, DipoleNucleon::proton_recoil,
     true},
    // gamma* p -> pi0 p
    {proton_m, proton_m, pion_neutral_m, rho_neutral_m, false, 1.0, 1.0, 0.0, kp, kp, double(0.000255f),
     double(0.000189f), Phase::zero, Phase::e, Phase::half_e_minus_1, Phase::e, Phase::zero, Phase::one,
     Phase::one, Phase::zero, true, true, true, true, DipoleNucleon::proton_recoil, false},
    // gamma* n -> pi0 n
    {neutron_m, neutron_m, pion_neutral_m, rho_neutral_m, false, 0.0, 0.0, 0.0, kn, kn, double(0.000255f),
     double(0.000189f), Phase::zero, Phase::minus_one, Phase::half_e_minus_1, Phase::one, Phase::zero,
     Phase::minus_one, Phase::one, Phase::zero, false, true, false, true, DipoleNucleon::neutron_recoil, false},
};

// Signature factor of a trajectory alpha: 0, +-1, +-E, +-(E - 1)/2 with E = exp(-i pi alpha).
cplx signature(Phase kind, double alpha) {
    const auto e = [alpha] { return std::exp(cplx(0.0, -pi * alpha)); };
    switch (kind) {
        case Phase::zero: return 0.0;
        case Phase::one: return 1.0;
        case Phase::minus_one: return -1.0;
        case Phase::e: return e();
        case Phase::minus_e: return -e();
        case Phase::half_e_minus_1: return (e() - 1.0) / 2.0;
        case Phase::minus_half_e_minus_1: return -(e() - 1.0) / 2.0;
    }
    return 0.0;
}

// Monopole e.m. transition form factor 1/(1 + Q^2/Lambda^2).
cplx monopole(double qq, double cut) { return 1.0 / (1.0 + qq / (cut * cut)); }

}  // namespace

double elementary_charge() { return std::sqrt(4.0 * pi / double(137.036f)); }

const ChannelData& channel_data(int gtype) { return channels[(gtype >= 1 && gtype <= 4 ? gtype : 1) - 1]; }

Model make_model(const Settings& settings, const GaussLegendre100& gl) {
    Model m;
    m.settings = settings;
    m.channel = channel_data(settings.gtype);
    m.ec = elementary_charge();
    m.ggap = settings.a1_cc == 1 ? ggap_abs : -ggap_abs;
    m.gl = gl;
    if (settings.fft_gnn == 1) m.norm = normalize_gpd(etau, etad, gl);
    return m;
}

Frame make_frame(const Model& model, double w, double qq) {
    const ChannelData& ch = model.channel;
    Frame f;
    f.cm = CmFrame::make(w, qq, ch.ibm, ch.fbm, ch.fmm);
    const double fmms = ch.fmm * ch.fmm;
    f.t0 = ch.fmm * ch.fmm - qq - 2.0 * f.cm.e_k1 * f.cm.e_k2 + 2.0 * f.cm.p * f.cm.k;
    f.t00 = fmms - qq - 2.0 * f.cm.e_k1 * f.cm.e_k2;
    return f;
}

PointKinematics point_kinematics(const Frame& frame, double theta) {
    PointKinematics k;
    k.frame = frame;
    k.theta = theta;
    k.mom = frame.cm.momenta(theta);
    k.qs = k.mom.k1 + k.mom.p1;
    k.qt = k.mom.k2 - k.mom.k1;
    k.qu = k.mom.p2 - k.mom.k1;
    k.qp = (k.mom.p1 + k.mom.p2) * 0.5;
    k.s = v_dot_v(k.qs, k.qs);
    k.u = v_dot_v(k.qu, k.qu);
    k.t = v_dot_v(k.qt, k.qt);
    k.cqt = contra_vector(k.qt);
    return k;
}

NucleonFactors nucleon_form_factors(const Model& model, double qq) {
    const Settings& st = model.settings;
    const ChannelData& ch = model.channel;
    NucleonFactors n{};
    if (st.fft_gnn == 1) {
        const double alp = st.gpd_alp / 1.0e6;
        const double kappa = ch.gpd_kappa_recoil ? ch.kpf : ch.kpi;
        const NucleonFormFactors ff =
            gpd_nucl_ff(st.gtype, 3, qq, model.gl, alp, etau, etad, kappa, ch.ibm, ku, kd, model.norm);
        n.f1t = ff.f1;
        n.f2t = ff.f2;
    } else {
        switch (ch.dipole) {
            case DipoleNucleon::proton_target:
                n.f1t = p_f1(qq, st.cut_f1, ch.ibm);
                n.f2t = p_f2(qq, st.cut_f2, ch.ibm);
                break;
            case DipoleNucleon::proton_recoil:
                n.f1t = p_f1(qq, st.cut_f1, ch.fbm);
                n.f2t = p_f2(qq, st.cut_f2, ch.fbm);
                break;
            case DipoleNucleon::neutron_recoil:
                n.f1t = 0.0;
                n.f2t = n_f2(qq, st.cut_f2, ch.fbm);
                break;
        }
    }
    if (st.nucleon_f2 == 2) n.f2t = 0.0;
    return n;
}

PointFactors point_factors(const Model& model, const PointKinematics& kin, const NucleonFactors& nf) {
    const Settings& st = model.settings;
    const ChannelData& ch = model.channel;
    const double qq = kin.frame.cm.qq;
    PointFactors f{};

    // nucleon form factors, distributed over the s- and u-channel pole terms
    f.f1t = nf.f1t;
    f.f2t = nf.f2t;
    f.f10t = 1.0;
    f.fs1 = ch.s_f1 ? f.f1t : 0.0;
    f.fs2 = ch.s_f2 ? f.f2t : 0.0;
    f.fu1 = ch.u_f1 ? f.f1t : 0.0;
    f.fu2 = ch.u_f2 ? f.f2t : 0.0;

    // meson e.m. form factors
    f.ftp_em = monopole(qq, st.cutp_em);
    f.ftp_em0 = 1.0;
    f.ftv_em = monopole(qq, cutv_em);
    f.ftw_em = monopole(qq, st.cutw_em);
    f.fta_em = monopole(qq, cuta_em);
    f.ftb_em = monopole(qq, cutb_em);
    f.fth_em = monopole(qq, cuth_em);
    f.ftt_em = monopole(qq, cutt_em);

    // linear Regge trajectories alpha(t) with slopes in MeV^-2
    const double so = regge_s0;
    const double t = kin.t.real();
    const double fmms = ch.fmm * ch.fmm;
    const double aps = aps_gev / so, avs = avs_gev / so, ats = ats_gev / so, aws = aws_gev / so,
                 aas = aas_gev / so, abbs = abbs_gev / so, ahs = ahs_gev / so;
    f.ap = aps * (t - fmms);
    f.av = avs * t + av_0;
    f.at = ats * (t - a2ms) + 2.0;
    f.aw = aws * t + aw_0;
    f.aa = aas * (t - a1ms) + 1.0;
    f.ab = abbs * (t - b1ms) + 1.0;
    f.ah = ahs * (t - h1ms) + 1.0;

    // signature factors
    f.php = signature(ch.php, f.ap);
    f.phv = signature(ch.phv, f.av);
    f.phw = signature(st.omega_phase == 1 ? ch.phw_nexd : ch.phw_exd, f.aw);
    f.pha = signature(ch.pha, f.aa);
    f.phb = signature(ch.phb, f.ab);
    f.phh = signature(ch.phh, f.ah);
    f.pht = signature(ch.pht, f.at);

    // reggeized propagators (t - m^2) P
    f.ftp_h = regge_ff(0, aps, f.ap, f.php, ch.fmm, kin.s, kin.t);
    f.ftv_h = regge_ff(1, avs, f.av, f.phv, ch.rho_m, kin.s, kin.t);
    f.ftw_h = regge_ff(1, aws, f.aw, f.phw, omega_m, kin.s, kin.t);
    f.fta_h = regge_ff(1, aas, f.aa, f.pha, a1_m, kin.s, kin.t);
    f.ftb_h = regge_ff(1, abbs, f.ab, f.phb, b1_m, kin.s, kin.t);
    f.fth_h = regge_ff(1, ahs, f.ah, f.phh, h1_m, kin.s, kin.t);
    f.ftt_h = regge_ff(2, ats, f.at, f.pht, a2_m, kin.s, kin.t);
    f.fs_t = ch.charged ? f.ftp_h : cplx(1.0);
    f.fu_t = f.fs_t;
    return f;
}

DiracMatrix total_amplitude_matrix(const Model& model, const PointKinematics& kin, const PointFactors& f,
                                   const FourVector& ep) {
    const Settings& st = model.settings;
    const ChannelData& ch = model.channel;
    const double qq = kin.frame.cm.qq;
    const double ibm = ch.ibm, fbm = ch.fbm;
    const Momenta& m = kin.mom;
    constexpr int ps = 1;  // pseudoscalar piNN coupling

    const double gts = ch.kpi * 0.25 / ibm;
    const double gtu = ch.kpf * 0.25 / fbm;
    const double gt_rho = gtvnn * 0.25 / ibm;
    const double gtb = gtbnn * 0.25 / ibm;
    const double ec = model.ec;

    const DiracMatrix mtv = mt_v_matrix(f.ftv_h, f.ftv_em, ep, ch.ggvp, gvnn, gt_rho, kin.t, kin.qt, kin.cqt, m.k1,
                                        ch.rho_m);
    const DiracMatrix mt_b1 =
        mt_bv_matrix(f.ftb_h, f.ftb_em, ep, ch.ggbp, gtb, kin.t, kin.qt, kin.cqt, m.k1, b1_m);

    if (ch.charged) {
        // sqrt2 (s + u + pi + rho + a2 + a1 + b1); omega and h1 do not enter
        const double gt1nn = gt1_lit / ibm;
        const DiracMatrix ms_t = ms_n_matrix(ps, ec, f.fs_t, f.fs1, f.f10t, f.fs2, qq, ep, ch.chs_t, gts, gpnn,
                                             kin.s, kin.qs, m.k1, m.k2, ibm);
        const DiracMatrix mu_t = mu_n_matrix(ps, ec, f.fu_t, f.fu1, f.f10t, f.fu2, qq, ep, ch.chu_t, gtu, gpnn,
                                             kin.u, kin.qu, m.k1, m.k2, fbm);
        const DiracMatrix mtp =
            mt_pion_matrix(ec, f.ftp_h, f.ftp_em, f.ftp_em0, qq, ep, ch.cht_t, gpnn, kin.t, kin.qt, m.k1, ch.fmm);
        const DiracMatrix mtt = mt_t_matrix(f.ftt_h, f.ftt_em, ep, ggtp, gt1nn, gt2nn, kin.t, kin.qp, kin.cqt, m.k1,
                                            m.k2, a2_m);
        const DiracMatrix mt_a1 =
            mt_av_matrix(f.fta_h, f.fta_em, ep, model.ggap, gavnn, kin.t, kin.qt, kin.cqt, m.k1, a1_m);
        return cplx(sqrt2_single) * (ms_t + mu_t + mtp + mtv + mtt + mt_a1 + mt_b1);
    }

    // neutral pion: (rho + omega) + (b1 + h1) [+ (s + u)]; pi, a2 and a1 do not enter
    const double gt_w = gtwnn * 0.25 / ibm;
    const double gth = gthnn * 0.25 / ibm;
    const DiracMatrix mtw =
        mt_v_matrix(f.ftw_h, f.ftw_em, ep, ggwp, gwnn, gt_w, kin.t, kin.qt, kin.cqt, m.k1, omega_m);
    const DiracMatrix mt_h1 =
        mt_bv_matrix(f.fth_h, f.fth_em, ep, gghp, gth, kin.t, kin.qt, kin.cqt, m.k1, h1_m);
    DiracMatrix total = (mtv + mtw) + (mt_b1 + mt_h1);
    if (st.nucleon_poles == 1) {
        const DiracMatrix ms_t0 =
            ms_nn_matrix(ps, ec, f.fs_t, f.fs1, f.fs2, ep, ch.chs_t, gts, gpnn, kin.s, kin.qs, m.k1, m.k2, ibm);
        const DiracMatrix mu_t0 =
            mu_nn_matrix(ps, ec, f.fu_t, f.fu1, f.fu2, ep, ch.chu_t, gtu, gpnn, kin.u, kin.qu, m.k1, m.k2, fbm);
        total = total + (ms_t0 + mu_t0);
    }
    return total;
}

PointResult evaluate_point(const Model& model, double w, double qq, double theta) {
    return evaluate_point(model, nucleon_form_factors(model, qq), w, qq, theta);
}

PointResult evaluate_point(const Model& model, const NucleonFactors& nf, double w, double qq, double theta) {
    const ChannelData& ch = model.channel;
    const PointKinematics kin = point_kinematics(make_frame(model, w, qq), theta);
    const PointFactors f = point_factors(model, kin, nf);

    // one Dirac matrix per photon polarization (+1, longitudinal, -1), sandwiched for each spin pair
    std::array<DiracMatrix, 3> gamma;
    for (int i500 = 1; i500 <= 3; ++i500)
        gamma[static_cast<std::size_t>(i500 - 1)] =
            total_amplitude_matrix(model, kin, f, photon_circular(kin.frame.cm.e_k1, qq, i500));

    PointResult r;
    r.w = w;
    r.qq = qq;
    r.theta = theta;
    r.k = kin.frame.cm.k;
    r.p = kin.frame.cm.p;
    r.t = kin.t.real();
    r.t0 = kin.frame.t0;
    r.t00 = kin.frame.t00;

    ResponseSums& s = r.sums;
    std::size_t pair = 0;
    for (int i300 = 1; i300 <= 2; ++i300) {
        const DiracSpinor u1 = z_spinor(kin.mom.p1, ch.ibm, i300);
        for (int i350 = 1; i350 <= 2; ++i350) {
            const DiracSpinor u2b = ub(z_spinor(kin.mom.p2, ch.fbm, i350));
            HelicitySet& h = r.amplitudes[pair++];
            h.mep1 = spinor_uxgxu(u2b, gamma[0], u1);
            h.me0 = spinor_uxgxu(u2b, gamma[1], u1);
            h.mem1 = spinor_uxgxu(u2b, gamma[2], u1);
            const cplx mp = h.mep1, m0 = h.me0, mm = h.mem1;
            const cplx cp = std::conj(mp), c0 = std::conj(m0), cm = std::conj(mm);
            s.sl_sum += c0 * m0;
            s.st_sum = s.st_sum + cp * mp + cm * mm;
            s.stt_sum = s.stt_sum + cm * mp + cp * mm;
            s.stl_sum = s.stl_sum + cp * m0 + c0 * mp - cm * m0 - c0 * mm;
            s.stlp_sum = s.stlp_sum + cp * m0 - c0 * mp - cm * m0 + c0 * mm;
        }
    }
    observables(model, r);
    return r;
}

void observables(const Model& model, PointResult& r) {
    const Settings& st = model.settings;
    const ChannelData& ch = model.channel;
    const double w = r.w;
    r.kcm = (w * w - ch.ibm * ch.ibm) / 2.0 / w;
    r.pf1 = r.p / r.kcm;
    const double four_pi_w = 4.0 * pi * w;
    r.pf2 = ch.ibm * ch.fbm / (four_pi_w * four_pi_w);
    r.pf3 = double(std::pow(10.0f, 3.0f * static_cast<float>(st.outu))) * hbarc2_mev2_mb;
    r.pf = r.pf1 * r.pf2 * r.pf3;

    const ResponseSums& s = r.sums;
    r.dsl = s.sl_sum.real() * r.pf / 2.0;
    r.dst = s.st_sum.real() * r.pf / 4.0;
    r.dstt = -s.stt_sum.real() * r.pf / 4.0;
    r.dslt = -s.stl_sum.real() * r.pf / sqrt2_single / 4.0;
    r.dsltp = s.stlp_sum.imag() * r.pf / sqrt2_single / 4.0;
    if (st.ds_ltp_sign == 2) r.dsltp = -r.dsltp;
    r.dsu = st.el * r.dsl + r.dst;
    r.bsa = r.dsltp / r.dsu;
    r.lt_ratio = r.dsl / r.dst;
    r.dsdt_factor = pi / (r.k * r.p) * 1.0e6;
}

double dds_at(const Settings& st, const PointResult& r, double phi) {
    const double el = st.el;
    const double a = std::sqrt(el * 2.0 * (el + 1.0));
    const double b = std::sqrt(el * 0.5 * (el + 1.0));
    const double cos_phi = std::cos(phi);
    const double cos_2phi = std::cos(2.0 * phi);
    switch (st.dds_type) {
        case 1:
            if (st.gtype == 2)  // phi-averaged over 120..240 degrees
                return (r.dsu * 2.0 * pi / 3.0 + el * r.dstt * double(0.866f) + a * r.dslt * double(-1.7321f)) *
                       3.0 / 2.0 / pi;
            return r.dsu + el * r.dstt * cos_2phi + a * r.dslt * cos_phi;
        case 2: return r.dsu + el * r.dstt * cos_2phi + b * r.dslt * cos_phi;
        case 3: return (r.dsu * pi / 2.0 + el * r.dstt + b * r.dslt * sqrt2_single) * 2.0 / pi;
        case 4: {
            // CEA: the answered cosines in the modes without phi, else those of the answered phi
            const bool answered = st.xaxis3 == 6 || st.xaxis3 == 7;
            const double c1 = answered ? st.cos_phi_input : cos_phi;
            const double c2 = answered ? st.cos_2phi_input : cos_2phi;
            return el * r.dstt * c2 + r.dsu + b * r.dslt * c1;
        }
        default: return r.dsu + el * r.dstt * cos_2phi + a * r.dslt * cos_phi;
    }
}

// phi_deg pi/180 doubled is exactly phi_deg 2 pi/180: both roundings scale by the power of two.
double dds_value(const Settings& st, const PointResult& r, double phi_deg) { return dds_at(st, r, phi_deg * pi / 180.0); }

double dds_phi_scan_at(int dds_type, double el, double dsu, double dstt, double dslt, double phi) {
    const double c = (dds_type == 1 || dds_type == 5) ? std::sqrt(el * 2.0 * (el + 1.0))
                                                      : std::sqrt(el * 0.5 * (el + 1.0));
    return dsu + el * dstt * std::cos(2.0 * phi) + c * dslt * std::cos(phi);
}

double dds_phi_scan_value(const Settings& st, const PointResult& r, double phi_deg) {
    return dds_phi_scan_at(st.dds_type, st.el, r.dsu, r.dstt, r.dslt, phi_deg * pi / 180.0);
}

}  // namespace kavrin::program_a
