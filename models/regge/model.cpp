#include "models/regge/model.hpp"

#include <atomic>
#include <bit>
#include <cmath>

#include "amplitudes/born.hpp"
#include "amplitudes/exchange.hpp"
#include "amplitudes/meson_vertices.hpp"
#include "amplitudes/nucleon_poles.hpp"
#include "formfactors/nucleon.hpp"
#include "kinematics/wave_functions.hpp"

namespace kavrin::regge::internal {

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
     double(0.000196f), Signature::e, Signature::minus_e, Signature::zero, Signature::zero, Signature::half_e_minus_1, Signature::e,
     Signature::zero, Signature::minus_e, true, true, false, false, DipoleNucleon::proton_target, false},
    // gamma* n -> pi- p
    {neutron_m, proton_m, pion_charged_m, rho_charged_m, true, 0.0, 1.0, -1.0, kn, kp, double(0.000224f),
     double(0.000196f), Signature::one, Signature::one, Signature::zero, Signature::zero, Signature::minus_half_e_minus_1,
     Signature::minus_one, Signature::zero, Signature::minus_one, false, false, true, true, DipoleNucleon::proton_recoil,
     true},
    // gamma* p -> pi0 p
    {proton_m, proton_m, pion_neutral_m, rho_neutral_m, false, 1.0, 1.0, 0.0, kp, kp, double(0.000255f),
     double(0.000189f), Signature::zero, Signature::e, Signature::half_e_minus_1, Signature::e, Signature::zero, Signature::one,
     Signature::one, Signature::zero, true, true, true, true, DipoleNucleon::proton_recoil, false},
    // gamma* n -> pi0 n
    {neutron_m, neutron_m, pion_neutral_m, rho_neutral_m, false, 0.0, 0.0, 0.0, kn, kn, double(0.000255f),
     double(0.000189f), Signature::zero, Signature::minus_one, Signature::half_e_minus_1, Signature::one, Signature::zero,
     Signature::minus_one, Signature::one, Signature::zero, false, true, false, true, DipoleNucleon::neutron_recoil, false},
};

// Monopole e.m. transition form factor 1/(1 + Q^2/Lambda^2).
cplx monopole(double qq, double cut) { return 1.0 / (1.0 + qq / (cut * cut)); }

}  // namespace

double elementary_charge() { return std::sqrt(4.0 * pi / double(137.036f)); }

const ChannelData& channel_data(Channel channel) {
    const int i = static_cast<int>(channel);
    return channels[(i >= 1 && i <= 4 ? i : 1) - 1];
}

namespace {

bool charged(Channel c) { return c == Channel::pi_plus_n || c == Channel::pi_minus_p; }

}  // namespace

namespace {

// Every model gets its own number (a copy shares it: its form factors are the same).
std::atomic<std::uint64_t> next_model_id{1};

}  // namespace

Model::Model(const Settings& settings, const GaussLegendreTable& table)
    : settings_(settings), channel_(channel_data(settings.channel())), id_(next_model_id.fetch_add(1)) {
    const Options& o = settings.options();
    if (charged(settings.channel())) {
        ggap_ = *o.a1_sign == A1Sign::positive ? ggap_abs : -ggap_abs;
        cutp_em_ = *o.pion_cutoff_mev;
        phw_ = channel_.phw_nexd;  // the omega does not enter the charged channels
    } else {
        phw_ = *o.omega_phase == OmegaPhase::non_degenerate ? channel_.phw_nexd : channel_.phw_exd;
        cutw_em_ = *o.omega_cutoff_mev;
    }
    gl_.xi = table.abscissas;
    gl_.wi = table.weights;
    if (o.form_factors == FormFactors::gpd) norm_ = normalize_gpd(etau, etad, gl_);
}

CmFrame Model::frame(double w, double qq) const {
    return CmFrame::make(w, qq, channel_.ibm, channel_.fbm, channel_.fmm);
}

PointKinematics point_kinematics(const CmFrame& frame, double theta) {
    PointKinematics k;
    static_cast<PointMomenta&>(k) = frame.point_momenta(theta);
    k.frame = frame;
    k.theta = theta;
    return k;
}

NucleonFactors Model::nucleon_form_factors(double qq) const {
    const Options& o = settings_.options();
    const ChannelData& ch = channel_;
    NucleonFactors n{};
    if (!o.form_factors) return n;  // no Born terms: the nucleon form factors do not enter
    if (*o.form_factors == FormFactors::gpd) {
        const double alp = (charged(settings_.channel()) ? *o.gpd_slope_per_gev2 : neutral_gpd_alp) / 1.0e6;
        const double kappa = ch.gpd_kappa_recoil ? ch.kpf : ch.kpi;
        const NucleonFormFactors ff = gpd_nucl_ff(static_cast<int>(settings_.channel()), 3, qq, gl_, alp, etau,
                                                  etad, kappa, ch.ibm, ku, kd, norm_);
        n.f1t = ff.f1;
        n.f2t = ff.f2;
    } else {
        const double cut = *o.nucleon_cutoff_gev;  // F2 takes the F1 cut-off
        switch (ch.dipole) {
            case DipoleNucleon::proton_target:
                n.f1t = p_f1(qq, cut, ch.ibm);
                n.f2t = p_f2(qq, cut, ch.ibm);
                break;
            case DipoleNucleon::proton_recoil:
                n.f1t = p_f1(qq, cut, ch.fbm);
                n.f2t = p_f2(qq, cut, ch.fbm);
                break;
            case DipoleNucleon::neutron_recoil:
                n.f1t = 0.0;
                n.f2t = n_f2(qq, cut, ch.fbm);
                break;
        }
    }
    if (!*o.pauli_terms) n.f2t = 0.0;
    return n;
}

NucleonFactors Model::nucleon_form_factors_cached(double qq) const {
    if (settings_.options().form_factors != FormFactors::gpd) return nucleon_form_factors(qq);
    struct Entry {
        std::uint64_t model = 0;
        std::uint64_t qq_bits = 0;
        NucleonFactors nf{};
    };
    thread_local Entry last;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(qq);
    if (last.model != id_ || last.qq_bits != bits) last = {id_, bits, nucleon_form_factors(qq)};
    return last.nf;
}

void Model::regge_factors(const PointKinematics& kin, PointFactors& f) const {
    const ChannelData& ch = channel_;
    // linear Regge trajectories alpha(t) with slopes in MeV^-2
    const double so = regge_s0;
    const double t = kin.t.real();
    const double fmms = ch.fmm * ch.fmm;
    const double aps = aps_gev / so, avs = avs_gev / so, ats = ats_gev / so, aws = aws_gev / so,
                 aas = aas_gev / so, abbs = abbs_gev / so, ahs = ahs_gev / so;
    const Trajectory pion{aps, 0.0, fmms}, rho{avs, av_0, 0.0}, a2{ats, 2.0, a2ms}, omega{aws, aw_0, 0.0},
        a1{aas, 1.0, a1ms}, b1{abbs, 1.0, b1ms}, h1{ahs, 1.0, h1ms};
    f.ap = pion(t);
    f.av = rho(t);
    f.at = a2(t);
    f.aw = omega(t);
    f.aa = a1(t);
    f.ab = b1(t);
    f.ah = h1(t);

    // signature factors
    f.php = signature_factor(ch.php, f.ap);
    f.phv = signature_factor(ch.phv, f.av);
    f.phw = signature_factor(phw_, f.aw);
    f.pha = signature_factor(ch.pha, f.aa);
    f.phb = signature_factor(ch.phb, f.ab);
    f.phh = signature_factor(ch.phh, f.ah);
    f.pht = signature_factor(ch.pht, f.at);

    // reggeized propagators (t - m^2) P of the exchanges of the channel: pi, rho, a2, a1 and b1 in the charged
    // channels, rho, omega, b1 and h1 in the neutral ones; the others do not enter and are left at zero
    f.ftv_h = regge_ff(1, avs, f.av, f.phv, ch.rho_m, kin.s, kin.t);
    f.ftb_h = regge_ff(1, abbs, f.ab, f.phb, b1_m, kin.s, kin.t);
    if (ch.charged) {
        f.ftp_h = regge_ff(0, aps, f.ap, f.php, ch.fmm, kin.s, kin.t);
        f.fta_h = regge_ff(1, aas, f.aa, f.pha, a1_m, kin.s, kin.t);
        f.ftt_h = regge_ff(2, ats, f.at, f.pht, a2_m, kin.s, kin.t);
        f.ftw_h = f.fth_h = 0.0;
    } else {
        f.ftw_h = regge_ff(1, aws, f.aw, f.phw, omega_m, kin.s, kin.t);
        f.fth_h = regge_ff(1, ahs, f.ah, f.phh, h1_m, kin.s, kin.t);
        f.ftp_h = f.fta_h = f.ftt_h = 0.0;
    }
}

PoleFormFactors Model::pole_form_factors(const NucleonFactors& nf) const {
    const ChannelData& ch = channel_;
    PoleFormFactors p;
    p.f10t = 1.0;
    p.fs1 = ch.s_f1 ? nf.f1t : 0.0;
    p.fs2 = ch.s_f2 ? nf.f2t : 0.0;
    p.fu1 = ch.u_f1 ? nf.f1t : 0.0;
    p.fu2 = ch.u_f2 ? nf.f2t : 0.0;
    return p;
}

PointFactors Model::point_factors(const PointKinematics& kin, const NucleonFactors& nf) const {
    const double qq = kin.frame.qq;
    PointFactors f{};

    // nucleon form factors (their share of the pole terms is in the photon side)
    f.f1t = nf.f1t;
    f.f2t = nf.f2t;

    // meson e.m. form factors
    f.ftp_em = monopole(qq, cutp_em_);
    f.ftp_em0 = 1.0;
    f.ftv_em = monopole(qq, cutv_em);
    f.ftw_em = monopole(qq, cutw_em_);
    f.fta_em = monopole(qq, cuta_em);
    f.ftb_em = monopole(qq, cutb_em);
    f.fth_em = monopole(qq, cuth_em);
    f.ftt_em = monopole(qq, cutt_em);

    regge_factors(kin, f);
    f.fs_t = channel_.charged ? f.ftp_h : cplx(1.0);
    f.fu_t = f.fs_t;
    return f;
}

PolarizationShared Model::polarization_shared(const PointKinematics& kin, const PointFactors& f) const {
    const ChannelData& ch = channel_;
    const double ibm = ch.ibm, fbm = ch.fbm;
    PolarizationShared sh;
    sh.ec = ec_;
    sh.nproj_u = n_proj(kin.qu, fbm);
    sh.pole_s = pole_coefficient(sh.ec, f.fs_t, kin.s, ibm);
    sh.pole_u = pole_coefficient(sh.ec, f.fu_t, kin.u, fbm);
    sh.rho = mt_v_coefficient({f.ftv_h, f.ftv_em, ch.ggvp, ch.rho_m}, kin);
    sh.b1 = mt_axial_coefficient({f.ftb_h, f.ftb_em, ch.ggbp, b1_m}, gtbnn * 0.25 / ibm, kin);
    if (ch.charged) {
        sh.a2 = mt_v_coefficient({f.ftt_h, f.ftt_em, ggtp, a2_m}, kin);
        sh.a2_numerator = spin2_numerator(kin.cqt, a2_m);
        sh.a1 = mt_axial_coefficient({f.fta_h, f.fta_em, ggap_, a1_m}, gavnn, kin);
    } else {
        sh.omega = mt_v_coefficient({f.ftw_h, f.ftw_em, ggwp, omega_m}, kin);
        sh.h1 = mt_axial_coefficient({f.fth_h, f.fth_em, gghp, h1_m}, gthnn * 0.25 / ibm, kin);
    }
    return sh;
}

namespace {

// What the photon-nucleon vertex of the s- or u-channel pole term takes: F1, F2, the charge and kappa/(4M).
struct VertexCouplings {
    cplx f1, f2;
    double charge, kappa_n;
};

VertexCouplings vertex_couplings(const ChannelData& ch, const PoleFormFactors& p, bool s_channel) {
    if (s_channel) return {p.fs1, p.fs2, ch.chs_t, ch.kpi * 0.25 / ch.ibm};
    return {p.fu1, p.fu2, ch.chu_t, ch.kpf * 0.25 / ch.fbm};
}

}  // namespace

template <class C>
inline BasicDiracMatrix<C> Model::pole_vertex(const CmFrame& frame, const PoleFormFactors& p,
                                              const BasicPhotonSlashes<C>& ph, const DiracMatrix& k1s,
                                              bool s_channel) const {
    const VertexCouplings v = vertex_couplings(channel_, p, s_channel);
    return channel_.charged ? v_gnn(ph, k1s, v.f1, p.f10t, v.f2, frame.qq, v.charge, v.kappa_n)
                            : v_gnn_n(ph, v.f1, v.f2, v.charge, v.kappa_n);
}

template <class C>
inline bool Model::pole_vertex_vanishes(const CmFrame& frame, const PoleFormFactors& p,
                                        const BasicFourVector<C>& ep, bool s_channel) const {
    if (!channel_.charged) return false;  // only a charged channel has a vertex without charge and form factors
    const VertexCouplings v = vertex_couplings(channel_, p, s_channel);
    return v_gnn_vanishes(ep, frame.k1(), v.f1, p.f10t, v.f2, frame.qq, v.charge, v.kappa_n);
}

template <class C>
BasicDiracMatrix<C> Model::s_chain(const CmFrame& frame, const BasicDiracMatrix<C>& vgnn_s) const {
    return s_pole_chain(gpnn, n_proj(frame.k1() + frame.p1(), channel_.ibm), vgnn_s);
}

template <class C>
PhotonSide<C> Model::photon_side(const CmFrame& frame, const NucleonFactors& nf, const BasicFourVector<C>& ep,
                                 bool leave_vanishing) const {
    if (!channel_.charged && !*settings_.options().born_terms) return {ep, {}, {}};  // no pole terms
    const FourVector k1 = frame.k1();
    const PoleFormFactors p = pole_form_factors(nf);
    const BasicPhotonSlashes<C> ph = photon_slashes(ep, k1);
    const DiracMatrix k1s = sl(k1);
    // the chain of a vanishing vertex is zero too where qs-slash + M is finite
    const bool u_vanishes = leave_vanishing && pole_vertex_vanishes(frame, p, ep, false);
    const bool s_vanishes = leave_vanishing && pole_vertex_vanishes(frame, p, ep, true) &&
                            is_finite(n_proj(k1 + frame.p1(), channel_.ibm));
    return {ep, u_vanishes ? BasicDiracMatrix<C>{} : pole_vertex(frame, p, ph, k1s, false),
            s_vanishes ? BasicDiracMatrix<C>{} : s_chain(frame, pole_vertex(frame, p, ph, k1s, true)), u_vanishes,
            s_vanishes};
}

FrameSetup Model::setup(const CmFrame& frame, const NucleonFactors& nf, bool every_term) const {
    return {frame, nf, photon_side(frame, nf, photon_polarizations(frame.e_k1, frame.qq), !every_term)};
}

bool Model::may_leave_out(const CmFrame& frame, double theta) {
    return theta != 0.0 && frame.qq != 0.0;  // 0 is the only double whose sine is 0
}

DiracMatrix Model::total_amplitude_matrix(const PointKinematics& kin, const PointFactors& f,
                                          const FourVector& ep) const {
    return total_amplitude_matrix(kin, f, polarization_shared(kin, f),
                                  photon_side(kin.frame, NucleonFactors{f.f1t, f.f2t}, ep));
}

namespace {

// Whether the pole term of a vanishing vertex is +0 or -0 in every entry: where its factor and propagator are finite.
bool zero_pole_term(const PolarizationShared& sh, const PhotonSide<Lanes>& ps) {
    return (ps.u_vanishes && is_finite(sh.pole_u) && is_finite(sh.nproj_u)) || (ps.s_vanishes && is_finite(sh.pole_s));
}

bool zero_or_nan_part(const SpinPairAmplitudes& amps) {
    return kavrin::zero_or_nan_part(std::array<cplx, 12>{amps[0].mep1, amps[0].me0, amps[0].mem1, amps[1].mep1,
                                                         amps[1].me0, amps[1].mem1, amps[2].mep1, amps[2].me0,
                                                         amps[2].mem1, amps[3].mep1, amps[3].me0, amps[3].mem1});
}

}  // namespace

template <class C>
BasicDiracMatrix<C> Model::total_amplitude_matrix(const PointKinematics& kin, const PointFactors& f,
                                                  const PolarizationShared& sh, const PhotonSide<C>& ps,
                                                  bool leave_out_zero) const {
    const ChannelData& ch = channel_;
    const double ibm = ch.ibm;
    const FourVector& k1 = kin.mom.k1;
    const BasicFourVector<C>& ep = ps.ep;

    // the photon vertices of this polarization; the rho and omega share one, the axial exchanges another
    const BasicFourVector<C> gvps = v_gvps(ep, k1, kin.qt);
    const BasicFourVector<C> gavps = v_gavps(ep, k1, kin.qt);
    const BasicDiracMatrix<C> mtv = mt_v_matrix(sh.rho, gvps, ch.rho_m, gvnn, gtvnn * 0.25 / ibm, kin);
    const BasicDiracMatrix<C> mt_b1 = mt_bv_matrix(sh.b1, gavps, b1_m, kin);

    if (ch.charged) {
        // sqrt2 (s + u + pi + rho + a2 + a1 + b1); omega and h1 do not enter
        const cplx sqrt2(sqrt2_single);
        const Exchange pion{f.ftp_h, f.ftp_em, ch.cht_t, ch.fmm};
        const BasicDiracMatrix<C> mtp = mt_pion_matrix(sh.ec, pion, f.ftp_em0, gpnn, ep, kin);
        const BasicDiracMatrix<C> mtt =
            mt_t_matrix(sh.a2, v_gtps(ep, k1, kin.mom.k2), sh.a2_numerator, gt1_lit / ibm, gt2nn, kin);
        const BasicDiracMatrix<C> mt_a1 = mt_av_matrix(sh.a1, gavps, a1_m, kin);
        if (leave_out_zero && ps.u_vanishes)
            return scaled_sum(sqrt2, sh.pole_s * ps.s_chain, mtp, mtv, mtt, mt_a1, mt_b1);
        // a vertex that vanishes and was not made is made here, where its term is kept
        const auto made = [&](bool s_channel) {
            return pole_vertex(kin.frame, pole_form_factors(NucleonFactors{f.f1t, f.f2t}), photon_slashes(ep, k1),
                               sl(k1), s_channel);
        };
        const BasicDiracMatrix<C> mu_t = ps.u_vanishes ? u_pole_matrix(sh.pole_u, gpnn, made(false), sh.nproj_u)
                                                       : u_pole_matrix(sh.pole_u, gpnn, ps.vgnn_u, sh.nproj_u);
        if (leave_out_zero && ps.s_vanishes) return scaled_sum(sqrt2, mu_t, mtp, mtv, mtt, mt_a1, mt_b1);
        const BasicDiracMatrix<C> ms_t =
            ps.s_vanishes ? sh.pole_s * s_chain(kin.frame, made(true)) : sh.pole_s * ps.s_chain;
        return scaled_sum(sqrt2, ms_t, mu_t, mtp, mtv, mtt, mt_a1, mt_b1);
    }

    // neutral pion: (rho + omega) + (b1 + h1) [+ (s + u)]; pi, a2 and a1 do not enter
    const BasicDiracMatrix<C> mtw = mt_v_matrix(sh.omega, gvps, omega_m, gwnn, gtwnn * 0.25 / ibm, kin);
    const BasicDiracMatrix<C> mt_h1 = mt_bv_matrix(sh.h1, gavps, h1_m, kin);
    BasicDiracMatrix<C> total = (mtv + mtw) + (mt_b1 + mt_h1);
    if (*settings_.options().born_terms) {
        const BasicDiracMatrix<C> ms_t0 = sh.pole_s * ps.s_chain;
        const BasicDiracMatrix<C> mu_t0 = u_pole_matrix(sh.pole_u, gpnn, ps.vgnn_u, sh.nproj_u);
        total = total + (ms_t0 + mu_t0);
    }
    return total;
}

template BasicDiracMatrix<Lanes> Model::total_amplitude_matrix(const PointKinematics&, const PointFactors&,
                                                                const PolarizationShared&, const PhotonSide<Lanes>&,
                                                                bool) const;

PointResult Model::evaluate_point(const FrameSetup& setup, double theta, Evaluation evaluation) const {
    const ChannelData& ch = channel_;
    const CmFrame& frame = setup.frame;
    PointResult r;
    r.kin = point_kinematics(frame, theta);
    const PointKinematics& kin = r.kin;
    const PointFactors f = point_factors(kin, setup.nf);
    const PolarizationShared sh = polarization_shared(kin, f);

    // the Dirac matrices of the three photon polarizations side by side, sandwiched for each spin pair
    // A pole term that is zero in every entry is left out where it cannot change a bit: the sums then differ at
    // most in the sign of parts that come out zero (or NaN), which the cross sections (sums from +0 of products of
    // the amplitudes) never show. For the amplitudes themselves the point is made again with the term where one of
    // them has such a part; forward (theta = 0) and at Q^2 = 0 they have, so the term is kept there.
    const PhotonSide<Lanes>& ps = setup.photons;
    const auto amplitudes = [&](bool leave_out_zero) {
        return spin_pair_amplitudes(total_amplitude_matrix(kin, f, sh, ps, leave_out_zero), kin.mom.p1, ch.ibm,
                                    kin.mom.p2, ch.fbm);
    };
    const bool exact_amplitudes = evaluation == Evaluation::everything;
    const bool leave_out = (!exact_amplitudes || may_leave_out(frame, theta)) && zero_pole_term(sh, ps);
    r.amplitudes = amplitudes(leave_out);
    if (leave_out && exact_amplitudes && zero_or_nan_part(r.amplitudes)) r.amplitudes = amplitudes(false);
    const Options& o = settings_.options();
    r.domega = separated_cross_sections(response_sums(r.amplitudes), frame, o.unit, 1.0, o.epsilon);
    return r;
}

PointResult Model::evaluate_point(const CmFrame& frame, const NucleonFactors& nf, double theta) const {
    return evaluate_point(setup(frame, nf, !may_leave_out(frame, theta)), theta);
}

Observables Model::evaluate(const CmFrame& frame, const NucleonFactors& nf, double theta) const {
    return evaluate(setup(frame, nf, !may_leave_out(frame, theta)), theta);
}

Observables Model::evaluate(const FrameSetup& setup, double theta, Evaluation evaluation) const {
    const CmFrame& frame = setup.frame;
    const PointResult r = evaluate_point(setup, theta, evaluation);
    const double bsa = beam_spin_asymmetry(AsymmetryRule::ltp_over_u, r.domega, frame, std::nullopt);
    Observables o = point_observables(frame, theta, r.kin.t.real(), r.domega, bsa, r.amplitudes,
                                      settings_.options().unit);
    if (const std::optional<Dds>& d = settings_.options().dds) {
        const bool determined = !dds_uses_phi(d->type, settings_.channel()) || d->phi || d->cos_phi;
        if (determined) {
            o.dds_domega = dds_at(*d, settings_.channel(), *settings_.options().epsilon, r.domega, d->phi.value_or(0.0));
            o.dds_dt = per_t(o.dds_domega, frame);
        }
    }
    return o;
}

double dds_at(const Dds& d, Channel channel, double el, const CrossSections& x, double phi) {
    const double a = lt_coefficient_desy(el);
    const double b = lt_coefficient_cornell(el);
    const double cos_phi = std::cos(phi);
    const double cos_2phi = std::cos(2.0 * phi);
    switch (d.type) {
        case DdsType::desy:
            if (channel == Channel::pi_minus_p)  // phi-averaged over 120..240 degrees
                return (x.u * 2.0 * pi / 3.0 + el * x.tt * double(0.866f) + a * x.lt * double(-1.7321f)) * 3.0 / 2.0 /
                       pi;
            return x.u + el * x.tt * cos_2phi + a * x.lt * cos_phi;
        case DdsType::cornell_fixed: return x.u + el * x.tt * cos_2phi + b * x.lt * cos_phi;
        case DdsType::cornell_averaged: return (x.u * pi / 2.0 + el * x.tt + b * x.lt * sqrt2_single) * 2.0 / pi;
        case DdsType::cea: {
            // the given cosines, else those of the given phi
            const double c1 = d.cos_phi ? *d.cos_phi : cos_phi;
            const double c2 = d.cos_2phi ? *d.cos_2phi : cos_2phi;
            return el * x.tt * c2 + x.u + b * x.lt * c1;
        }
        case DdsType::jlab: break;
    }
    return x.u + el * x.tt * cos_2phi + a * x.lt * cos_phi;
}

}  // namespace kavrin::regge::internal
