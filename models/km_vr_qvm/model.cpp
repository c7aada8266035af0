#include "models/km_vr_qvm/model.hpp"

#include <cmath>
#include <limits>

#include "amplitudes/born.hpp"
#include "amplitudes/meson_vertices.hpp"
#include "amplitudes/slash_algebra.hpp"
#include "amplitudes/vr_vertices.hpp"
#include "formfactors/monopole_km.hpp"
#include "formfactors/nucleon.hpp"
#include "kinematics/wave_functions.hpp"
#include "kernel/units.hpp"

namespace kavrin::models::internal {

namespace {

constexpr cplx ci{0.0, 1.0};
constexpr double so = regge_s0;  // 1 GeV^2 in MeV^2

// ---- coupling tables -----------------------------------------------------------------------------

// One row of the coupling table, without the charge factors. In channel 3 the two photon couplings of
// the rho and omega are given in units of ec/1000 (ggvp = ec 0.84/1000, ggwp = ec 2.4/1000).
struct CouplingRow {
    double gpnn;
    double ggvp, gvvnn, kappa_v;
    double ggwp, gvwnn, kappa_w;
    double ggap, gva1nn;
    double ggbp, gtb1nn;
    double ggtp, gt1nn_times_ibm, gt2nn;
    double gghp, gth1nn;
    bool photon_couplings_in_ec;
};

// Charged channels, KM and VR.
constexpr CouplingRow charged_km_vr{
    double(13.4f),
    double(0.000224f), double(3.4f), double(20.74f) / double(3.4f),
    0.0, 0.0, 0.0,
    double(0.00033f), double(7.1f),
    double(0.000196f), 0.0,
    0.0, 0.0, 0.0,
    0.0, 0.0,
    false};

// Charged channels, QVM.
constexpr CouplingRow charged_qvm{
    double(13.4f),
    double(0.000224f), double(2.6f), double(16.12f) / double(2.6f),
    0.0, 0.0, 0.0,
    0.0003160000196658075, double(6.7f),
    double(0.000196f), double(-14.0f),
    5.519999604075565e-07, double(2.8f), 0.0,
    double(0.000405f), double(-9.0f),
    false};

// Channel 3, all three models; kappa_v is the single-precision quotient 20.74/3.4.
constexpr CouplingRow neutral{
    double(13.4f),
    double(0.84f), double(3.4f), double(20.74f / 3.4f),
    double(2.4f), 18.0, 0.0,
    0.0, 0.0,
    0.00018600000475998968, 59.13999938964844,
    0.0, 0.0, 0.0,
    0.0, 0.0,
    true};

// Charges of the s-channel nucleon, the u-channel nucleon and the exchanged pion, per channel.
struct ChargeRow {
    double chs, chu, cht;
};
constexpr std::array<ChargeRow, 3> charge_table{{{1.0, 0.0, 1.0}, {0.0, 1.0, -1.0}, {1.0, 1.0, 0.0}}};

// Coupling rows per channel (rows) and model (columns KM, VR, QVM).
constexpr std::array<std::array<const CouplingRow*, 3>, 3> coupling_table{{
    {&charged_km_vr, &charged_km_vr, &charged_qvm},
    {&charged_km_vr, &charged_km_vr, &charged_qvm},
    {&neutral, &neutral, &neutral},
}};

// ---- trajectories --------------------------------------------------------------------------------

// Slopes in GeV^-2 and intercepts of one model; a trajectory reads intercept + slope (t - shift).
struct TrajectoryRow {
    double pion_slope;
    double rho_slope, rho_intercept;
    double a1_slope, a1_intercept;
    bool a1_shift_by_mass;  // QVM: 1 + slope (t - m_a1^2); KM/VR: slope t - 0.47
    double omega_slope, omega_intercept;
    double b1_slope;        // b1 and h1: 1 + slope (t - m^2)
    double a2_slope;        // a2: 2 + slope (t - m^2)
    double h1_slope;
};

constexpr TrajectoryRow km_vr_trajectories{
    double(0.74f), double(0.85f), double(0.53f), double(0.85f), -double(0.47f), false,
    double(0.85f), double(0.4f), double(0.74f), double(0.8f), double(0.74f)};

constexpr TrajectoryRow qvm_trajectories{
    double(0.7f), double(0.8f), double(0.55f), double(0.7f), 1.0, true,
    double(0.9f), double(0.44f), double(0.7f), double(0.8f), double(0.7f)};

constexpr std::array<const TrajectoryRow*, 3> trajectory_table{&km_vr_trajectories, &km_vr_trajectories,
                                                               &qvm_trajectories};

// ---- phases --------------------------------------------------------------------------------------

struct PhaseRow {
    Signature php;
    std::array<Signature, 3> phpn;  // KM, VR, QVM
    Signature phv, pha, phb, pht, phw, phh;
};

constexpr std::array<PhaseRow, 3> phase_table{{
    // gamma* p -> pi+ n
    {Signature::e, {Signature::e, Signature::e, Signature::e}, Signature::minus_e, Signature::half_e_minus_1, Signature::e,
     Signature::minus_e, Signature::zero, Signature::zero},
    // gamma* n -> pi- p
    {Signature::one, {Signature::one, Signature::e, Signature::one}, Signature::one, Signature::minus_half_e_minus_1, Signature::one,
     Signature::minus_one, Signature::zero, Signature::zero},
    // gamma* p -> pi0 p (the a2 is not exchanged)
    {Signature::zero, {Signature::e, Signature::e, Signature::e}, Signature::e, Signature::zero, Signature::half_e_minus_1,
     Signature::zero, Signature::half_e_minus_1, Signature::zero},
}};

// ---- per-model properties ------------------------------------------------------------------------

struct ModelRow {
    NucleonFormFactor nucleon_ff;
    bool km_propagators;
    bool vr_model_form_factors;
    bool poles_with_pion_propagator;
    AsymmetryRule bsa;
};
constexpr std::array<ModelRow, 3> model_table{{
    {NucleonFormFactor::km, true, false, false, AsymmetryRule::beam_energy},
    {NucleonFormFactor::vr, true, true, false, AsymmetryRule::ltp_over_u},
    {NucleonFormFactor::dipole, false, false, true, AsymmetryRule::minus_ltp_over_u},
}};

// Exchanges that enter the total amplitude, per channel class (charged, neutral) and model.
struct TermRow {
    bool mtp, mtw, mtt, mt_a1, mt_b1, mt_h1;
};
constexpr TermRow charged_km_vr_terms{true, false, false, true, false, false};
constexpr TermRow charged_qvm_terms{true, false, true, true, true, false};
constexpr TermRow neutral_km_vr_terms{false, true, false, false, true, false};
constexpr TermRow neutral_qvm_terms{false, true, false, false, true, true};

constexpr std::size_t index_of(Channel c) { return static_cast<std::size_t>(static_cast<int>(c) - 1); }
constexpr std::size_t index_of(ModelKind m) { return static_cast<std::size_t>(static_cast<int>(m) - 1); }

using ReggeRoutine = cplx (*)(int, double, double, cplx, double, cplx, cplx);

// The spin-independent matrices and scalar factors of one point shared by the three photon polarizations.
struct Hoisted {
    DiracMatrix vpsnn;     // g_pnn gamma5
    DiracMatrix s_left;    // vpsnn . (qs-slash + M_i)
    DiracMatrix u_right;   // (qu-slash + M_f) . vpsnn
    cplx c_ms, c_mu, c_mu_gi, c_mtp_pole, c_mtp_gi, c_mtv, c_mtw, c_mtt, c_a1, c_b1, c_h1;
    Spin2Numerator a2;     // the spin-2 numerator of the a2 at qt (where the a2 enters)
};

Hoisted hoist(const ModelConstants& mc, const PointFactors& f) {
    const Couplings& g = mc.g;
    const ChannelMasses& m = mc.m;
    Hoisted h;
    h.vpsnn = v_psnn(g.gpnn);
    h.s_left = detail::gamma5_like_times(h.vpsnn, n_proj(f.qs, m.ibm));
    h.u_right = detail::times_gamma5_like(n_proj(f.qu, m.fbm), h.vpsnn);
    const cplx iec = ci * mc.ec;
    // ms = i ec tam/(s - M_i^2) gpiff; mu = i ec tam/(u - M_f^2) gpiff (+ i ec (fs1 - fu1) tamgi gpiff in channel 3)
    h.c_ms = iec / (f.s - m.ibms()) * f.gpiff;
    h.c_mu = iec / (f.u - m.fbms()) * f.gpiff;
    h.c_mu_gi = mc.channel == Channel::pi0_p ? iec * (f.fs1 - f.fu1) * f.gpiff : cplx(0.0);
    // mtp = i ec [tam/(t - m^2) + (f_N - ftp) tamgi] gpiff, f_N = fs1 (pi+ n) or fu1 (pi- p)
    const cplx f_nucleon = mc.channel == Channel::pi_minus_p ? f.fu1 : f.fs1;
    h.c_mtp_pole = iec / (f.t - m.fmms()) * f.gpiff;
    h.c_mtp_gi = iec * (f_nucleon - f.ftp) * f.gpiff;
    // vector, tensor and axial exchanges: coupling, Regge factor over the pole, model form factor
    h.c_mtv = f.ftv / (f.t - mass::rho_m * mass::rho_m) * f.gvff * g.ggvp;
    h.c_mtw = f.ftw / (f.t - mass::omega_m * mass::omega_m) * g.ggwp;
    h.c_mtt = f.ft_a2 / (f.t - mass::a2_m * mass::a2_m) * g.ggtp;
    if (mc.has_mtt) h.a2 = spin2_numerator(f.cqt, mass::a2_m);
    h.c_a1 = -(ci * g.ggap * g.gva1nn) * f.ft_a1 / (f.t - mass::a1_m * mass::a1_m) * f.ga1ff;
    h.c_b1 = -(ci * g.ggbp * g.gtb1nn * 0.25 / m.ibm) * f.ft_b1 / (f.t - mass::b1_m * mass::b1_m);
    h.c_h1 = -(ci * g.gghp * g.gth1nn * 0.25 / m.ibm) * f.ft_h1 / (f.t - mass::h1_m * mass::h1_m);
    return h;
}

// acc += c m
template <class C, class S, class M>
void add_scaled(BasicDiracMatrix<C>& acc, const S& c, const BasicDiracMatrix<M>& m) {
    for (std::size_t i = 0; i < 16; ++i) acc.a[i] += c * m.a[i];
}

// The Dirac matrix of the total amplitude for photon polarization ep, or for the three side by side (C = Lanes).
template <class C>
BasicDiracMatrix<C> gamma_total_hoisted(const ModelConstants& mc, const PointFactors& f, const Hoisted& h,
                                        const BasicFourVector<C>& ep) {
    const Couplings& g = mc.g;
    const FourVector& k1 = f.mom.k1;
    const FourVector& k2 = f.mom.k2;
    const double qq = f.frame.qq;

    // s- and u-channel nucleon poles
    // the slashes of the polarization, shared by the s- and u-channel photon vertices
    const BasicPhotonSlashes<C> ph = photon_slashes(ep, k1);
    const BasicDiracMatrix<C> vgnn_s = v_gnn_vr(g.chs, f.fs1, mc.gts, f.fs2, ph);
    const BasicDiracMatrix<C> vgnn_u = v_gnn_vr(g.chu, f.fu1, mc.gtu, f.fu2, ph);
    BasicDiracMatrix<C> nucleon;
    add_scaled(nucleon, h.c_mu, vgnn_u * h.u_right);
    if (!mc.charged) add_scaled(nucleon, h.c_mu_gi * v_gi_vr(g.chu, ph.epk1, qq), h.vpsnn);
    add_scaled(nucleon, h.c_ms, h.s_left * vgnn_s);

    BasicDiracMatrix<C> total;
    if (mc.charged) total = nucleon;
    if (mc.has_mtp) {
        // pion pole with its gauge-restoring piece
        const C gpsps = v_gps_vr(g.cht, f.ftp, k2, f.qt, ep);
        const C gpsgi = v_gi_vr(g.cht, ph.epk1, qq);
        add_scaled(total, h.c_mtp_pole * gpsps + h.c_mtp_gi * gpsgi, h.vpsnn);
    }
    // rho (and omega): photon vertex through the spin-1 numerator into the vector-meson nucleon vertex
    const BasicFourVector<C> vgvps = v_gvps(ep, k1, f.qt);
    add_scaled(total, h.c_mtv,
               vnn_t_matrix_ratio(spin1_contract(vgvps, f.cqt, mass::rho_m), g.gvvnn, mc.gtv, f.qt));
    if (mc.has_mtw)
        add_scaled(total, h.c_mtw,
                   vnn_t_matrix_ratio(spin1_contract(vgvps, f.cqt, mass::omega_m), g.gvwnn, mc.gtw, f.qt));
    if (mc.has_mtt)
        add_scaled(total, h.c_mtt,
                   tnn_matrix(spin2_contract(v_gtps(ep, k1, k2), h.a2), g.gt1nn, g.gt2nn, f.qp));
    if (mc.has_mt_a1 || mc.has_mt_b1 || mc.has_mt_h1) {
        const BasicFourVector<C> vgavps = v_gavps(ep, k1, f.qt);
        if (mc.has_mt_a1)
            add_scaled(total, h.c_a1, avnn_matrix(spin1_contract(vgavps, f.cqt, mass::a1_m)));
        if (mc.has_mt_b1)
            add_scaled(total, h.c_b1, bvnn_matrix(spin1_contract(vgavps, f.cqt, mass::b1_m), f.qt));
        if (mc.has_mt_h1)
            add_scaled(total, h.c_h1, bvnn_matrix(spin1_contract(vgavps, f.cqt, mass::h1_m), f.qt));
    }
    if (mc.charged) return cplx(sqrt2) * total;
    total += nucleon;
    return total;
}

}  // namespace

double elementary_charge() { return std::sqrt(4.0 * pi / double(137.04f)); }

Couplings model_couplings(Channel c, ModelKind m) {
    const CouplingRow& r = *coupling_table[index_of(c)][index_of(m)];
    const ChargeRow& q = charge_table[index_of(c)];
    const double ibm = channel_masses(c).ibm;
    const double ec = elementary_charge();
    Couplings g{};
    g.chs = q.chs;
    g.chu = q.chu;
    g.cht = q.cht;
    g.kappa_s = 0.0;
    g.kappa_u = 0.0;
    g.gpnn = r.gpnn;
    g.ggvp = r.photon_couplings_in_ec ? ec * r.ggvp / 1000.0 : r.ggvp;
    g.gvvnn = r.gvvnn;
    g.kappa_v = r.kappa_v;
    g.ggwp = r.photon_couplings_in_ec ? ec * r.ggwp / 1000.0 : r.ggwp;
    g.gvwnn = r.gvwnn;
    g.kappa_w = r.kappa_w;
    g.ggap = r.ggap;
    g.gva1nn = r.gva1nn;
    g.ggbp = r.ggbp;
    g.gtb1nn = r.gtb1nn;
    g.ggtp = r.ggtp;
    g.gt1nn = r.gt1nn_times_ibm / ibm;
    g.gt2nn = r.gt2nn;
    g.gghp = r.gghp;
    g.gth1nn = r.gth1nn;
    return g;
}

ModelConstants model_constants(Channel c, ModelKind m, double cut_pion, double cut_f1) {
    ModelConstants mc{};
    mc.channel = c;
    mc.model = m;
    mc.m = channel_masses(c);
    mc.g = model_couplings(c, m);
    mc.ec = elementary_charge();
    mc.gts = mc.g.kappa_s * 0.25 / mc.m.ibm;
    mc.gtu = mc.g.kappa_u * 0.25 / mc.m.ibm;
    mc.gtv = mc.g.kappa_v * 0.25 / mc.m.ibm;
    mc.gtw = mc.g.kappa_w * 0.25 / mc.m.ibm;
    mc.cut_pion = cut_pion;
    mc.cut_f1 = cut_f1;
    mc.cut_omega = double(0.775f);
    mc.cut_rho = double(0.782f);
    mc.cut_a1 = double(0.775f);
    mc.cut_b1 = double(0.782f);
    mc.cut_h1 = double(0.775f);
    mc.cut_a2 = double(1.45f);

    const TrajectoryRow& tr = *trajectory_table[index_of(m)];
    mc.pion = {tr.pion_slope / so, 0.0, mc.m.fmms()};
    mc.rho = {tr.rho_slope / so, tr.rho_intercept, 0.0};
    mc.a1 = {tr.a1_slope / so, tr.a1_intercept, tr.a1_shift_by_mass ? mass::a1_m * mass::a1_m : 0.0};
    mc.omega = {tr.omega_slope / so, tr.omega_intercept, 0.0};
    mc.b1 = {tr.b1_slope / so, 1.0, mass::b1_m * mass::b1_m};
    mc.a2 = {tr.a2_slope / so, 2.0, mass::a2_m * mass::a2_m};
    mc.h1 = {tr.h1_slope / so, 1.0, mass::h1_m * mass::h1_m};
    mc.pion_q2_slope_factor = double(2.43f);

    const PhaseRow& ph = phase_table[index_of(c)];
    mc.php = ph.php;
    mc.phpn = ph.phpn[index_of(m)];
    mc.phv = ph.phv;
    mc.pha = ph.pha;
    mc.phb = ph.phb;
    mc.pht = ph.pht;
    mc.phw = ph.phw;
    mc.phh = ph.phh;

    const ModelRow& mr = model_table[index_of(m)];
    mc.nucleon_ff = mr.nucleon_ff;
    mc.km_propagators = mr.km_propagators;
    mc.vr_model_form_factors = mr.vr_model_form_factors;
    mc.poles_with_pion_propagator = mr.poles_with_pion_propagator;
    mc.bsa = mr.bsa;

    mc.charged = c != Channel::pi0_p;
    const bool qvm = m == ModelKind::qvm;
    const TermRow& terms = mc.charged ? (qvm ? charged_qvm_terms : charged_km_vr_terms)
                                      : (qvm ? neutral_qvm_terms : neutral_km_vr_terms);
    mc.has_mtp = terms.mtp;
    mc.has_mtw = terms.mtw;
    mc.has_mtt = terms.mtt;
    mc.has_mt_a1 = terms.mt_a1;
    mc.has_mt_b1 = terms.mt_b1;
    mc.has_mt_h1 = terms.mt_h1;
    return mc;
}

PointFactors point_factors(const ModelConstants& mc, const CmFrame& frame, double theta, Exchanges exchanges) {
    const ChannelMasses& m = mc.m;
    const double fmms = m.fmms();
    const double qq = frame.qq;
    PointFactors f{};
    static_cast<PointMomenta&>(f) = frame.point_momenta(theta);
    f.frame = frame;

    // nucleon form factors of the pole terms present in the channel
    const bool s_pole = mc.channel != Channel::pi_minus_p;
    const bool u_pole = mc.channel != Channel::pi_plus_n;
    switch (mc.nucleon_ff) {
        case NucleonFormFactor::km:
            if (s_pole) f.fp_f1 = km_fs(f.s, qq, m.ibm);
            if (u_pole) f.fp_f1u = km_fu(f.u, qq, m.fbm);
            break;
        case NucleonFormFactor::vr:
            if (s_pole) f.fp_f1 = vr_p_f1(f.s, qq, m.ibm);
            if (u_pole) f.fp_f1u = vr_p_f1u(f.u, qq, m.fbm);
            break;
        case NucleonFormFactor::dipole:
            if (s_pole) f.fp_f1 = p_f1(qq, mc.cut_f1, m.ibm);
            if (u_pole) f.fp_f1u = p_f1(qq, mc.cut_f1, m.fbm);
            break;
    }

    // monopole form factors of the meson photon vertices
    f.fqq_pion = ff_monopole(qq, mc.cut_pion);
    f.fqq_rho = ff_monopole(qq, mc.cut_rho);
    f.fqq_a1 = ff_monopole(qq, mc.cut_a1);
    f.fqq_b1 = ff_monopole(qq, mc.cut_b1);
    f.fqq_a2 = ff_monopole(qq, mc.cut_a2);
    f.fqq_h1 = ff_monopole(qq, mc.cut_h1);
    f.fqq_omega = ff_monopole(qq, mc.cut_omega);

    // Regge trajectories at Re t; the second pion trajectory has the slope aps/(1 + 2.43 Q^2/s)
    const double t = f.t.real();
    const double q2_over_s = 1.0 + mc.pion_q2_slope_factor * std::real(qq / f.s);
    f.aps = mc.pion.slope;
    f.ap = mc.pion(t);
    f.apns = f.aps / q2_over_s;
    f.apn = f.apns * (t - fmms);
    f.avs = mc.rho.slope;
    f.av = mc.rho(t);
    f.aa1s = mc.a1.slope;
    f.aa1 = mc.a1(t);
    f.aws = mc.omega.slope;
    f.aw = mc.omega(t);
    f.ab1s = mc.b1.slope;
    f.ab1 = mc.b1(t);
    f.ats = mc.a2.slope;
    f.at = mc.a2(t);
    f.ah1s = mc.h1.slope;
    f.ah1 = mc.h1(t);

    // The phases and (t - m^2) times the Regge propagator of each exchange; when asked, only of those the
    // amplitude takes: the pion's for its pole term or for the nucleon poles (QVM), the second pion's for the
    // nucleon poles (KM, VR; its phase always), the rho's always, the others with their terms.
    const bool all = exchanges == Exchanges::all;
    const bool pion = all || mc.has_mtp || mc.poles_with_pion_propagator;
    const bool second_pion = all || !mc.poles_with_pion_propagator;
    if (pion) f.php = signature_factor(mc.php, f.ap);
    f.phpn = signature_factor(mc.phpn, f.apn);
    f.phv = signature_factor(mc.phv, f.av);
    if (all || mc.has_mt_a1) f.pha = signature_factor(mc.pha, f.aa1);
    if (all || mc.has_mt_b1) f.phb = signature_factor(mc.phb, f.ab1);
    if (all || mc.has_mtt) f.pht = signature_factor(mc.pht, f.at);
    if (all || mc.has_mtw) f.phw = signature_factor(mc.phw, f.aw);
    if (all || mc.has_mt_h1) f.phh = signature_factor(mc.phh, f.ah1);

    const ReggeRoutine light = mc.km_propagators ? &regge_ff_km : &regge_ff;
    if (pion) f.dp_fey = light(0, f.aps, f.ap, f.php, m.fmm, f.s, f.t);
    if (second_pion) f.dpn_fey = light(0, f.apns, f.apn, f.phpn, m.fmm, f.s, f.t);
    f.dv_fey = light(1, f.avs, f.av, f.phv, mass::rho_m, f.s, f.t);
    if (all || mc.has_mt_a1) f.da1_fey = light(1, f.aa1s, f.aa1, f.pha, mass::a1_m, f.s, f.t);
    if (all || mc.has_mtw) f.dw_fey = light(1, f.aws, f.aw, f.phw, mass::omega_m, f.s, f.t);
    if (all || mc.has_mt_b1) f.db1_fey = regge_ff(1, f.ab1s, f.ab1, f.phb, mass::b1_m, f.s, f.t);
    if (all || mc.has_mtt) f.dt_fey = regge_ff(2, f.ats, f.at, f.pht, mass::a2_m, f.s, f.t);
    if (all || mc.has_mt_h1) f.dh1_fey = regge_ff(1, f.ah1s, f.ah1, f.phh, mass::h1_m, f.s, f.t);
    if (second_pion) f.dpn_fey_km = f.dpn_fey * std::pow(q2_over_s, -f.apn);

    // form factors of the nucleon pole terms
    const cplx pole = mc.poles_with_pion_propagator ? f.dp_fey : f.dpn_fey_km;
    f.fs2 = 0.0;
    f.fu2 = 0.0;
    switch (mc.channel) {
        case Channel::pi_plus_n:
            f.fs1 = f.fp_f1 * pole;
            f.fu1 = 0.0;
            break;
        case Channel::pi_minus_p:
            f.fu1 = f.fp_f1u * pole;
            f.fs1 = 0.0;
            break;
        default:  // gamma* p -> pi0 p
            if (mc.poles_with_pion_propagator) {
                f.fs1 = f.fp_f1 * pole;
                f.fu1 = f.fp_f1u * pole;
            } else {
                f.fs1 = f.fp_f1 * pole * (f.t - fmms) / 1.0e6;
                f.fu1 = f.fp_f1u * pole / f.phpn * (f.t - fmms) / 1.0e6;
            }
            break;
    }

    f.ftp = f.fqq_pion * f.dp_fey;
    f.ftv = f.fqq_rho * f.dv_fey;
    f.ft_a1 = f.fqq_a1 * f.da1_fey;
    f.ft_b1 = f.fqq_b1 * f.db1_fey;
    f.ft_a2 = f.fqq_a2 * f.dt_fey;
    f.ftw = f.fqq_omega * f.dw_fey;
    f.ft_h1 = f.fqq_h1 * f.dh1_fey;

    if (mc.vr_model_form_factors) {
        f.gpiff = 640000.0 / (659600.0 - f.t);
        f.gvff = 640000.0 / (1240625.0 - f.t);
        f.ga1ff = 640000.0 / (2227600.0 - f.t);
    } else {
        f.gpiff = f.gvff = f.ga1ff = 1.0;
    }
    return f;
}

DiracMatrix gamma_total(const ModelConstants& mc, const PointFactors& f, int pol) {
    return gamma_total_hoisted(mc, f, hoist(mc, f), photon_circular(f.frame.e_k1, f.frame.qq, pol));
}

SpinPairAmplitudes helicity_amplitudes(const ModelConstants& mc, const PointFactors& f) {
    // the Dirac matrices of the three photon polarizations side by side, sandwiched for each spin pair
    const BasicFourVector<Lanes> ep = photon_polarizations(f.frame.e_k1, f.frame.qq);
    return spin_pair_amplitudes(gamma_total_hoisted(mc, f, hoist(mc, f), ep), f.mom.p1, mc.m.ibm, f.mom.p2, mc.m.fbm);
}

Model::Model(const Settings& settings)
    : settings_(settings),
      // a cut-off that does not enter the channel or model keeps a neutral value
      mc_(model_constants(settings.channel(), settings.model(), settings.options().pion_cutoff_gev.value_or(1.0),
                          settings.options().nucleon_cutoff_gev.value_or(1.0))) {}

CmFrame Model::frame(double w, double qq) const { return CmFrame::make(w, qq, mc_.m.ibm, mc_.m.fbm, mc_.m.fmm); }

Observables Model::evaluate(const CmFrame& frame, double theta) const {
    const PointFactors f = point_factors(mc_, frame, theta, Exchanges::of_the_amplitude);
    const SpinPairAmplitudes amps = helicity_amplitudes(mc_, f);
    const Options& o = settings_.options();
    const CrossSections domega =
        separated_cross_sections(response_sums(amps), frame, CrossSectionUnit::microbarn, -1.0, o.epsilon);
    const std::optional<double> beam_energy =
        o.beam_energy_gev ? std::optional<double>(units::gev_to_mev(*o.beam_energy_gev)) : std::nullopt;
    const double bsa = beam_spin_asymmetry(mc_.bsa, domega, frame, beam_energy);
    return point_observables(frame, theta, f.t.real(), domega, bsa, amps, CrossSectionUnit::microbarn);
}

}  // namespace kavrin::models::internal
