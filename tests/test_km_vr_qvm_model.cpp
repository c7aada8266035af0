// The KM, VR and QVM models at one kinematic point: the coupling tables, the Regge factors of each model, the
// helicity amplitudes against the plain Lorentz-index loops of the model, and the positivity and
// asymmetry bounds of the cross sections.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>
#include <cmath>
#include <thread>

#include "amplitudes/born.hpp"
#include "amplitudes/meson_vertices.hpp"
#include "amplitudes/vr_vertices.hpp"
#include "formfactors/monopole_km.hpp"
#include "formfactors/nucleon.hpp"
#include "kavrin/models.hpp"
#include "kinematics/wave_functions.hpp"
#include "models/km_vr_qvm/model.hpp"
#include "observables/cross_sections.hpp"
#include "propagators/regge.hpp"
#include "tests/literal_forms.hpp"

using namespace kavrin;
using namespace kavrin::models::internal;
using kavrin::models::ModelKind;

namespace {

constexpr cplx ci{0.0, 1.0};
constexpr std::array<Channel, 3> kChannels{Channel::pi_plus_n, Channel::pi_minus_p, Channel::pi0_p};
constexpr std::array<ModelKind, 3> kModels{ModelKind::km, ModelKind::vr, ModelKind::qvm};
constexpr std::array<double, 3> kCutPion{0.68, 0.655, 0.775};  // the values the dialogue suggests per model

double cut_pion_of(ModelKind m) { return kCutPion[static_cast<std::size_t>(static_cast<int>(m) - 1)]; }

std::string label(Channel c, ModelKind m) {
    return "channel " + std::to_string(static_cast<int>(c)) + ", model " + std::to_string(static_cast<int>(m));
}

void expect_close(cplx a, cplx b, double scale, double rel, const std::string& what) {
    EXPECT_LE(std::abs(a - b), rel * scale) << what << ": " << a << " vs " << b;
}

// ---- the spin-independent factors, written straight from the model tables ----------------------------

cplx sig(double alpha) { return std::exp(-ci * pi_single * alpha); }

struct LiteralFactors {
    cplx fs1, fu1, ftp, ftv, ft_a1, ft_b1, ft_a2, ftw, ft_h1, gpiff, gvff, ga1ff;
};

LiteralFactors literal_factors(Channel ch, ModelKind model, double cut_pion, double cut_f1, const PointFactors& f) {
    const int gtype = static_cast<int>(ch);
    const bool qvm = model == ModelKind::qvm;
    const ChannelMasses m = channel_masses(ch);
    const double ibm = m.ibm, fbm = m.fbm, fmm = m.fmm, fmms = fmm * fmm, qq = f.frame.qq;
    const cplx s = f.s, u = f.u, tc = f.t;
    const double t = tc.real(), so = 1.0e6;
    const double rho_m = double(775.11f), omega_m = 782.65, a1_m = 1230.0, b1_m = 1229.5, h1_m = 1170.0,
                 a2_m = 1318.2;
    const double a1_ms = a1_m * a1_m, b1_ms = b1_m * b1_m, h1_ms = h1_m * h1_m, a2_ms = a2_m * a2_m;

    cplx fp_f1 = 0.0, fp_f1u = 0.0;
    if (model == ModelKind::km) {
        if (gtype != 2) fp_f1 = km_fs(s, qq, ibm);
        if (gtype != 1) fp_f1u = km_fu(u, qq, fbm);
    } else if (model == ModelKind::vr) {
        if (gtype != 2) fp_f1 = vr_p_f1(s, qq, ibm);
        if (gtype != 1) fp_f1u = vr_p_f1u(u, qq, fbm);
    } else {
        if (gtype != 2) fp_f1 = p_f1(qq, cut_f1, ibm);
        if (gtype != 1) fp_f1u = p_f1(qq, cut_f1, fbm);
    }
    const cplx fqq_pion = ff_monopole(qq, cut_pion), fqq_rho = ff_monopole(qq, double(0.782f)),
               fqq_a1 = ff_monopole(qq, double(0.775f)), fqq_b1 = ff_monopole(qq, double(0.782f)),
               fqq_a2 = ff_monopole(qq, double(1.45f)), fqq_h1 = ff_monopole(qq, double(0.775f)),
               fqq_omega = ff_monopole(qq, double(0.775f));

    double aps, ap, avs, av, aa1s, aa1, aws, aw, ab1s, ab1, ats, at, ah1s, ah1;
    if (!qvm) {
        aps = double(0.74f) / so;
        ap = aps * (t - fmms);
        avs = double(0.85f) / so;
        av = double(0.53f) + avs * t;
        aa1s = avs;
        aa1 = aa1s * t - double(0.47f);
        aws = double(0.85f) / so;
        aw = double(0.4f) + aws * t;
        ab1s = aps;
        ab1 = 1 + ab1s * (t - b1_ms);
        ats = double(0.8f) / so;
        at = 2 + ats * (t - a2_ms);
        ah1s = aps;
        ah1 = 1 + ah1s * (t - h1_ms);
    } else {
        aps = double(0.7f) / so;
        ap = aps * (t - fmms);
        avs = double(0.8f) / so;
        av = double(0.55f) + avs * t;
        aa1s = double(0.7f) / so;
        aa1 = 1 + aa1s * (t - a1_ms);
        aws = double(0.9f) / so;
        aw = double(0.44f) + aws * t;
        ab1s = double(0.7f) / so;
        ab1 = 1 + ab1s * (t - b1_ms);
        ats = double(0.8f) / so;
        at = 2 + ats * (t - a2_ms);
        ah1s = double(0.7f) / so;
        ah1 = 1 + ah1s * (t - h1_ms);
    }
    const double apns = aps / (1 + double(2.43f) * std::real(qq / s));
    const double apn = apns * (t - fmms);

    cplx php, phpn = sig(apn), phv, pha, phb, pht = 0.0, phw, phh = 0.0;
    switch (gtype) {
        case 1:
            php = sig(ap); phv = -sig(av); pha = (sig(aa1) - 1.0) / 2.0; phb = sig(ab1); pht = -sig(at); phw = 0.0;
            break;
        case 2:
            php = 1.0; if (model != ModelKind::vr) phpn = 1.0;
            phv = 1.0; pha = -(sig(aa1) - 1.0) / 2.0; phb = 1.0; pht = -1.0; phw = 0.0;
            break;
        default:
            php = 0.0; phv = sig(av); pha = 0.0; phb = (sig(ab1) - 1.0) / 2.0; phw = (sig(aw) - 1.0) / 2.0;
            break;
    }
    const auto light = qvm ? &regge_ff : &regge_ff_km;
    const cplx dp_fey = light(0, aps, ap, php, fmm, s, tc);
    const cplx dpn_fey = light(0, apns, apn, phpn, fmm, s, tc);
    const cplx dv_fey = light(1, avs, av, phv, rho_m, s, tc);
    const cplx da1_fey = light(1, aa1s, aa1, pha, a1_m, s, tc);
    const cplx dw_fey = light(1, aws, aw, phw, omega_m, s, tc);
    const cplx db1_fey = regge_ff(1, ab1s, ab1, phb, b1_m, s, tc);
    const cplx dt_fey = regge_ff(2, ats, at, pht, a2_m, s, tc);
    const cplx dh1_fey = regge_ff(1, ah1s, ah1, phh, h1_m, s, tc);
    const cplx dpn_fey_km = dpn_fey * std::pow(1 + double(2.43f) * std::real(qq / s), -apn);

    LiteralFactors l{};
    if (gtype == 1) {
        l.fs1 = fp_f1 * (qvm ? dp_fey : dpn_fey_km);
    } else if (gtype == 2) {
        l.fu1 = fp_f1u * (qvm ? dp_fey : dpn_fey_km);
    } else if (!qvm) {
        l.fs1 = fp_f1 * dpn_fey_km * (tc - fmms) / 1.0e6;
        l.fu1 = fp_f1u * dpn_fey_km / phpn * (tc - fmms) / 1.0e6;
    } else {
        l.fs1 = fp_f1 * dp_fey;
        l.fu1 = fp_f1u * dp_fey;
    }
    l.ftp = fqq_pion * dp_fey;
    l.ftv = fqq_rho * dv_fey;
    l.ft_a1 = fqq_a1 * da1_fey;
    l.ft_b1 = fqq_b1 * db1_fey;
    l.ft_a2 = fqq_a2 * dt_fey;
    l.ftw = fqq_omega * dw_fey;
    l.ft_h1 = fqq_h1 * dh1_fey;
    if (model == ModelKind::vr) {
        l.gpiff = 640000.0 / (659600.0 - tc);
        l.gvff = 640000.0 / (1240625.0 - tc);
        l.ga1ff = 640000.0 / (2227600.0 - tc);
    } else {
        l.gpiff = l.gvff = l.ga1ff = 1.0;
    }
    return l;
}

// ---- the amplitudes as plain loops over spins and Lorentz indices, component by component ---------------

SpinPairAmplitudes literal_amplitudes(const ModelConstants& mc, const PointFactors& f) {
    const Couplings& g = mc.g;
    const int gtype = static_cast<int>(mc.channel);
    const bool qvm = mc.model == ModelKind::qvm;
    const double ibm = mc.m.ibm, fbm = mc.m.fbm, ibms = ibm * ibm, fbms = fbm * fbm, fmms = mc.m.fmms();
    const double rho_m = double(775.11f), omega_m = 782.65, a1_m = 1230.0, b1_m = 1229.5, h1_m = 1170.0,
                 a2_m = 1318.2;
    const double ec = std::sqrt(4.0 * pi_single / double(137.04f));
    const double qq = f.frame.qq;
    const FourVector &k1 = f.mom.k1, &p1 = f.mom.p1, &k2 = f.mom.k2, &p2 = f.mom.p2;
    const FourVector &qs = f.qs, &qu = f.qu, &qt = f.qt, &qp = f.qp, &cqt = f.cqt;
    const cplx s = f.s, u = f.u, t = f.t;
    const double gts = g.kappa_s * 0.25 / ibm, gtu = g.kappa_u * 0.25 / ibm, gtv = g.kappa_v * 0.25 / ibm,
                 gtw = g.kappa_w * 0.25 / ibm;

    SpinPairAmplitudes out{};
    for (int i300 = 1; i300 <= 2; ++i300) {
        const DiracSpinor u1 = z_spinor(p1, ibm, i300);
        for (int i350 = 1; i350 <= 2; ++i350) {
            const DiracSpinor u2b = ub(z_spinor(p2, fbm, i350));
            for (int i400 = 1; i400 <= 3; ++i400) {
                const FourVector ep = photon_circular(f.frame.e_k1, qq, i400);
                const DiracMatrix vpsnn = v_psnn(g.gpnn);
                // s channel
                DiracMatrix vgnn = v_gnn_vr(g.chs, f.fs1, gts, f.fs2, ep, k1);
                DiracMatrix npro = n_proj(qs, ibm);
                cplx tam = c3_m(u2b, vpsnn, npro, vgnn, u1);
                const cplx ms = ci * ec * tam / (s - ibms) * f.gpiff;
                // u channel
                vgnn = v_gnn_vr(g.chu, f.fu1, gtu, f.fu2, ep, k1);
                npro = n_proj(qu, fbm);
                tam = c3_m(u2b, vgnn, npro, vpsnn, u1);
                cplx gpsgi = v_gi_vr_u(g.chu, k1, ep, qq);
                cplx tamgi = spinor_uxgxu(u2b, gpsgi * vpsnn, u1);
                const cplx mu = gtype == 3 ? (ci * ec * tam / (u - fbms) + ci * ec * (f.fs1 - f.fu1) * tamgi) * f.gpiff
                                           : ci * ec * tam / (u - fbms) * f.gpiff;
                // pion pole
                cplx mtp = 0.0;
                if (gtype != 3) {
                    const cplx gpsps = v_gps_vr(g.cht, f.ftp, k2, qt, ep);
                    gpsgi = v_gi_vr(g.cht, k1, ep, qq);
                    tam = spinor_uxgxu(u2b, gpsps * vpsnn, u1);
                    tamgi = spinor_uxgxu(u2b, gpsgi * vpsnn, u1);
                    const cplx fn = gtype == 1 ? f.fs1 : f.fu1;
                    mtp = ci * ec * (tam / (t - fmms) + (fn - f.ftp) * tamgi) * f.gpiff;
                }
                // rho and omega
                cplx sum1 = 0.0, sum2 = 0.0, sum3 = 0.0;
                for (int i1 = 0; i1 < 4; ++i1) {
                    const cplx vgvps = v_gvps_mu(i1, ep, k1, qt);
                    for (int i2 = 0; i2 < 4; ++i2) {
                        const cplx vpro_v = v_proj_munu(i1, i2, cqt, rho_m);
                        const cplx vvnn_v = v_vnn_t_mu_ratio(i2, u2b, g.gvvnn, gtv, qt, u1);
                        const cplx vpro_w = v_proj_munu(i1, i2, cqt, omega_m);
                        const cplx vvnn_w = v_vnn_t_mu_ratio(i2, u2b, g.gvwnn, gtw, qt, u1);
                        sum1 += g.ggvp * vgvps * vpro_v * vvnn_v;
                        sum2 += g.ggwp * vgvps * vpro_w * vvnn_w;
                    }
                }
                const cplx mtv = f.ftv * sum1 / (t - rho_m * rho_m) * f.gvff;
                const cplx mtw = f.ftw * sum2 / (t - omega_m * omega_m);
                // a2: all 4^4 index combinations
                sum1 = 0.0;
                for (int i1 = 0; i1 < 4; ++i1)
                    for (int i2 = 0; i2 < 4; ++i2) {
                        const cplx vtnn_a2 = v_tnn_munu(i1, i2, g.gt1nn, g.gt2nn, u2b, qp, u1);
                        for (int j1 = 0; j1 < 4; ++j1)
                            for (int j2 = 0; j2 < 4; ++j2) {
                                const cplx tpro_a2 = t_proj(i1, i2, j1, j2, cqt, a2_m);
                                const cplx vgtps = v_gtps_munu(j1, j2, ep, k1, k2);
                                sum1 += g.ggtp * vgtps * tpro_a2 * vtnn_a2;
                            }
                    }
                const cplx mtt = f.ft_a2 * sum1 / (t - a2_m * a2_m);
                // a1, b1, h1
                sum1 = sum2 = sum3 = 0.0;
                for (int i1 = 0; i1 < 4; ++i1) {
                    const cplx vavnn = v_avnn_mu(i1, u2b, u1);
                    const cplx vbvnn = v_bvnn_mu(i1, u2b, qt, u1);
                    const cplx vhvnn = v_hvnn_mu(i1, u2b, qt, u1);
                    for (int j1 = 0; j1 < 4; ++j1) {
                        const cplx vgavps = v_gavps_mu(j1, ep, k1, qt);
                        sum1 += vgavps * v_proj_munu(i1, j1, cqt, a1_m) * vavnn;
                        sum2 += vgavps * v_proj_munu(i1, j1, cqt, b1_m) * vbvnn;
                        sum3 += vgavps * v_proj_munu(i1, j1, cqt, h1_m) * vhvnn;
                    }
                }
                const cplx mt_a1 = -(ci * g.ggap * g.gva1nn) * f.ft_a1 * sum1 / (t - a1_m * a1_m) * f.ga1ff;
                const cplx mt_b1 = -(ci * g.ggbp * g.gtb1nn * 0.25 / ibm) * f.ft_b1 * sum2 / (t - b1_m * b1_m);
                const cplx mt_h1 = -(ci * g.gghp * g.gth1nn * 0.25 / ibm) * f.ft_h1 * sum3 / (t - h1_m * h1_m);

                cplx mtot;
                const double sqrt2 = double(1.4142135f);
                if (gtype != 3)
                    mtot = qvm ? sqrt2 * (mu + ms + mtp + mtv + mtt + mt_a1 + mt_b1)
                               : sqrt2 * (mu + ms + mtp + mtv + mt_a1);
                else
                    mtot = qvm ? mtv + mtw + mt_b1 + mt_h1 + (mu + ms) : mtv + mtw + mt_b1 + (mu + ms);
                HelicitySet& h = out[static_cast<std::size_t>(2 * (i300 - 1) + (i350 - 1))];
                (i400 == 1 ? h.mep1 : i400 == 2 ? h.me0 : h.mem1) = mtot;
            }
        }
    }
    return out;
}

double largest(const SpinPairAmplitudes& a) {
    double m = 0.0;
    for (const auto& h : a) m = std::max({m, std::abs(h.mep1), std::abs(h.me0), std::abs(h.mem1)});
    return m;
}

// The physics options of a run in channel c with model m: each cut-off only where it enters, epsilon el
// and, for KM, the beam energy of a 10.6 GeV run.
models::Options options_for(Channel c, ModelKind m, double el = 0.5) {
    models::Options o;
    o.channel = c;
    o.model = m;
    if (c != Channel::pi0_p) o.pion_cutoff_gev = cut_pion_of(m);
    if (m == ModelKind::qvm) o.nucleon_cutoff_gev = 1.55;
    o.epsilon = el;
    if (m == ModelKind::km) o.beam_energy_gev = 10.6;
    return o;
}

Model model_for(const models::Options& o) { return Model(models::Settings(o)); }

// The frame of the channel of mc at W = w (MeV), Q^2 = qq (MeV^2).
CmFrame frame_of(const ModelConstants& mc, double w, double qq) {
    return CmFrame::make(w, qq, mc.m.ibm, mc.m.fbm, mc.m.fmm);
}

// The observables of model at W = w (MeV), Q^2 = qq (MeV^2) and theta (radians).
Observables evaluate(const Model& model, double w, double qq, double theta) {
    return model.evaluate(model.frame(w, qq), theta);
}

}  // namespace

// ---- constants ----------------------------------------------------------------------------------------

TEST(KmVrQvmConstants, MassesAndThresholds) {
    EXPECT_EQ(mass::pion_m, 139.272);  // the charged pion of these models, not 139.570
    EXPECT_EQ(mass::rho_m, 775.1099853515625);
    EXPECT_EQ(mass::omega_m, 782.65);
    EXPECT_EQ(mass::a2_m, 1318.2);
    EXPECT_NEAR(channel_masses(Channel::pi0_p).w_thresh(), 1073.2486, 1e-9);
    EXPECT_NEAR(channel_masses(Channel::pi_plus_n).w_thresh(), 939.565 + 139.272, 1e-12);
    EXPECT_EQ(channel_masses(Channel::pi_minus_p).ibm, 939.565);
    EXPECT_EQ(channel_masses(Channel::pi_minus_p).fbm, 938.272);
}

TEST(KmVrQvmConstants, CouplingTablesInSinglePrecision) {
    // channel 3: kappa_v is the single-precision quotient 20.74/3.4, the same for every model
    for (ModelKind m : kModels) {
        const Couplings g = model_couplings(Channel::pi0_p, m);
        EXPECT_EQ(g.kappa_v, 6.099999904632568) << static_cast<int>(m);
        EXPECT_EQ(g.ggbp, 0.00018600000475998968);
        EXPECT_EQ(g.gtb1nn, 59.13999938964844);
        EXPECT_EQ(g.gvwnn, 18.0);
        EXPECT_EQ(g.cht, 0.0);
        EXPECT_EQ(g.chs, 1.0);
        EXPECT_EQ(g.chu, 1.0);
        const double ec = std::sqrt(4.0 * 3.1415927410125732 / 137.0399932861328);
        EXPECT_DOUBLE_EQ(g.ggvp, ec * 0.8399999737739563 / 1000.0);
        EXPECT_DOUBLE_EQ(g.ggwp, ec * 2.4000000953674316 / 1000.0);
        EXPECT_EQ(g.ggap, 0.0);
        EXPECT_EQ(g.ggtp, 0.0);
    }
    // channels 1 and 2 divide 20.74 by the double gvvnn: a different number from channel 3's
    const Couplings km = model_couplings(Channel::pi_plus_n, ModelKind::km);
    EXPECT_EQ(km.kappa_v, 20.739999771118164 / 3.4000000953674316);
    EXPECT_NE(km.kappa_v, 6.099999904632568);
    EXPECT_EQ(km.gpnn, 13.399999618530273);
    EXPECT_EQ(km.ggap, double(0.00033f));
    EXPECT_EQ(km.gtb1nn, 0.0);
    EXPECT_EQ(km.ggtp, 0.0);
    const Couplings qvm = model_couplings(Channel::pi_minus_p, ModelKind::qvm);
    EXPECT_EQ(qvm.ggap, 0.0003160000196658075);
    EXPECT_EQ(qvm.ggtp, 5.519999604075565e-07);
    EXPECT_EQ(qvm.gt1nn, double(2.8f) / 939.565);
    EXPECT_EQ(qvm.kappa_v, double(16.12f) / double(2.6f));
    EXPECT_EQ(qvm.gth1nn, -9.0);
    EXPECT_EQ(qvm.chs, 0.0);
    EXPECT_EQ(qvm.chu, 1.0);
    EXPECT_EQ(qvm.cht, -1.0);
    EXPECT_EQ(model_couplings(Channel::pi_minus_p, ModelKind::vr).gvvnn, double(3.4f));
}

TEST(KmVrQvmConstants, SignaturePhases) {
    const double a = 0.37;
    EXPECT_EQ(signature_factor(Signature::zero, a), cplx(0.0));
    EXPECT_EQ(signature_factor(Signature::minus_one, a), cplx(-1.0));
    const cplx e = signature_factor(Signature::e, a);
    EXPECT_NEAR(e.real(), std::cos(pi_single * a), 1e-15);
    EXPECT_NEAR(e.imag(), -std::sin(pi_single * a), 1e-15);
    EXPECT_EQ(signature_factor(Signature::half_e_minus_1, a), (e - 1.0) / 2.0);
    EXPECT_EQ(signature_factor(Signature::minus_half_e_minus_1, a), -(e - 1.0) / 2.0);
    // at an integer trajectory value the phase is real: E(1) = -1, (E(2) - 1)/2 = 0
    EXPECT_NEAR(std::abs(signature_factor(Signature::e, 1.0) + 1.0), 0.0, 1e-6);
    EXPECT_NEAR(std::abs(signature_factor(Signature::half_e_minus_1, 2.0)), 0.0, 1e-6);
}

// ---- the factors and amplitudes of one point ----------------------------------------------------------

// A point's amplitudes take only the Regge factors of the terms of its model and channel: made without the
// others they are the same, bit for bit, including the NaN of an unphysical point.
TEST(KmVrQvmPoint, AmplitudesNeedOnlyTheReggeFactorsOfTheirTerms) {
    const auto same_bits = [](cplx a, cplx b) {
        return std::bit_cast<std::uint64_t>(a.real()) == std::bit_cast<std::uint64_t>(b.real()) &&
               std::bit_cast<std::uint64_t>(a.imag()) == std::bit_cast<std::uint64_t>(b.imag());
    };
    int compared = 0;
    for (Channel c : kChannels)
        for (ModelKind m : kModels) {
            const ModelConstants mc = model_constants(c, m, cut_pion_of(m), 1.55);
            for (const auto& [w, qq] : {std::pair{2200.0, 1.6e6}, std::pair{3100.0, 0.0}, std::pair{900.0, 1.0e6}})
                for (double theta : {0.0, 0.4, 1.9, 3.1}) {
                    const CmFrame frame = frame_of(mc, w, qq);
                    const PointFactors all = point_factors(mc, frame, theta, Exchanges::all);
                    const PointFactors some = point_factors(mc, frame, theta, Exchanges::of_the_amplitude);
                    const SpinPairAmplitudes a = helicity_amplitudes(mc, all), b = helicity_amplitudes(mc, some);
                    for (std::size_t k = 0; k < 4; ++k) {
                        EXPECT_TRUE(same_bits(a[k].mep1, b[k].mep1) && same_bits(a[k].me0, b[k].me0) &&
                                    same_bits(a[k].mem1, b[k].mem1))
                            << label(c, m) << ", W " << w << ", theta " << theta << ", pair " << k;
                        ++compared;
                    }
                }
            // the terms a model lacks are really left out (their factor is not made)
            const PointFactors some = point_factors(mc, frame_of(mc, 2200.0, 1.6e6), 0.4, Exchanges::of_the_amplitude);
            if (!mc.has_mtw) {
                EXPECT_EQ(some.dw_fey, cplx(0.0)) << label(c, m);
            }
            if (!mc.has_mt_h1) {
                EXPECT_EQ(some.dh1_fey, cplx(0.0)) << label(c, m);
            }
        }
    EXPECT_EQ(compared, 3 * 3 * 3 * 4 * 4);
}

TEST(KmVrQvmPoint, FactorsFollowTheModelTablesForEveryChannelAndModel) {
    for (Channel c : kChannels)
        for (ModelKind m : kModels) {
            const ModelConstants mc = model_constants(c, m, cut_pion_of(m), 1.55);
            for (double theta : {0.0, 0.4, 1.9}) {
                const PointFactors f = point_factors(mc, frame_of(mc, 2200.0, 1.6e6), theta);
                const LiteralFactors l = literal_factors(c, m, cut_pion_of(m), 1.55, f);
                const std::string what = label(c, m) + ", theta " + std::to_string(theta);
                const auto same = [&](cplx a, cplx b, const char* name) {
                    expect_close(a, b, std::max(std::abs(b), 1e-300), 1e-13, what + " " + name);
                };
                same(f.fs1, l.fs1, "fs1");
                same(f.fu1, l.fu1, "fu1");
                same(f.ftp, l.ftp, "ftp");
                same(f.ftv, l.ftv, "ftv");
                same(f.ft_a1, l.ft_a1, "ft_a1");
                same(f.ft_b1, l.ft_b1, "ft_b1");
                same(f.ft_a2, l.ft_a2, "ft_a2");
                same(f.ftw, l.ftw, "ftw");
                same(f.ft_h1, l.ft_h1, "ft_h1");
                same(f.gpiff, l.gpiff, "gpiff");
                same(f.gvff, l.gvff, "gvff");
                same(f.ga1ff, l.ga1ff, "ga1ff");
            }
        }
}

TEST(KmVrQvmPoint, ChannelThreeHasNoPionPoleAndQvmUsesDipoleFormFactors) {
    const ModelConstants km = model_constants(Channel::pi0_p, ModelKind::km, 0.68, 1.55);
    const PointFactors f = point_factors(km, frame_of(km, 2500.0, 2.0e6), 0.3);
    EXPECT_EQ(f.php, cplx(0.0));
    EXPECT_EQ(f.ftp, cplx(0.0));
    EXPECT_NE(f.fs1, cplx(0.0));  // yet the nucleon poles carry the pion Regge factor
    // QVM in channel 3: p_f1 with the answered cut-off, at the initial and the final proton mass
    const ModelConstants qvm = model_constants(Channel::pi0_p, ModelKind::qvm, 0.775, 1.55);
    const PointFactors g = point_factors(qvm, frame_of(qvm, 2500.0, 2.0e6), 0.3);
    EXPECT_EQ(g.fp_f1, p_f1(2.0e6, 1.55, 938.272));
    EXPECT_EQ(g.fp_f1u, p_f1(2.0e6, 1.55, 938.272));
}

TEST(KmVrQvmPoint, VrDiffersFromKmInTheSecondPionPhaseOfChannelTwo) {
    const ModelConstants km = model_constants(Channel::pi_minus_p, ModelKind::km, 0.68, 0.84);
    const ModelConstants vr = model_constants(Channel::pi_minus_p, ModelKind::vr, 0.68, 0.84);
    const PointFactors a = point_factors(km, frame_of(km, 2300.0, 1.0e6), 0.5);
    const PointFactors b = point_factors(vr, frame_of(vr, 2300.0, 1.0e6), 0.5);
    EXPECT_EQ(a.phpn, cplx(1.0));
    EXPECT_EQ(b.phpn, std::exp(cplx(0.0, -pi_single * b.apn)));
    EXPECT_EQ(a.apn, b.apn);  // same trajectories
    // the Q^2-dependent slope: aps/(1 + 2.43 Q^2/s)
    EXPECT_DOUBLE_EQ(a.apns, a.aps / (1.0 + double(2.43f) * 1.0e6 / a.s.real()));
    EXPECT_LT(a.apns, a.aps);
}

TEST(KmVrQvmPoint, TotalMatrixEqualsTheLorentzIndexLoops) {
    for (Channel c : kChannels)
        for (ModelKind m : kModels) {
            const ModelConstants mc = model_constants(c, m, cut_pion_of(m), 1.55);
            for (const auto& [w, qq, theta] : {std::tuple{1800.0, 0.6e6, 0.0}, std::tuple{2200.0, 1.6e6, 0.7},
                                               std::tuple{3100.0, 3.2e6, 2.5}, std::tuple{2600.0, 0.2e6, 3.1}}) {
                const PointFactors f = point_factors(mc, frame_of(mc, w, qq), theta);
                const auto fast = helicity_amplitudes(mc, f);
                const auto slow = literal_amplitudes(mc, f);
                const double scale = largest(slow);
                ASSERT_GT(scale, 0.0) << label(c, m);
                for (std::size_t i = 0; i < 4; ++i) {
                    const std::string what = label(c, m) + ", W " + std::to_string(w) + ", pair " + std::to_string(i);
                    expect_close(fast[i].mep1, slow[i].mep1, scale, 1e-11, what + " M(+1)");
                    expect_close(fast[i].me0, slow[i].me0, scale, 1e-11, what + " M(0)");
                    expect_close(fast[i].mem1, slow[i].mem1, scale, 1e-11, what + " M(-1)");
                }
            }
        }
}

// The amplitudes are built for the three photon polarizations side by side; each is, bit for bit, the sandwich of
// the total matrix of its polarization alone (real photons and the forward and backward angles included).
TEST(KmVrQvmPoint, GammaTotalSandwichesToTheHelicityAmplitudes) {
    for (Channel c : kChannels)
        for (ModelKind m : kModels) {
            const ModelConstants mc = model_constants(c, m, cut_pion_of(m), 1.55);
            for (const auto& [w, qq, theta] : {std::tuple{2400.0, 1.2e6, 0.9}, std::tuple{1900.0, 0.0, 0.0},
                                               std::tuple{2200.0, 0.0, 2.1}, std::tuple{3000.0, 4.0e6, pi_single}}) {
                const PointFactors f = point_factors(mc, frame_of(mc, w, qq), theta);
                const auto amps = helicity_amplitudes(mc, f);
                for (int pol = 1; pol <= 3; ++pol) {
                    const DiracMatrix g = gamma_total(mc, f, pol);
                    for (int i = 1; i <= 2; ++i)
                        for (int j = 1; j <= 2; ++j) {
                            const cplx direct =
                                spinor_uxgxu(ub(z_spinor(f.mom.p2, mc.m.fbm, j)), g, z_spinor(f.mom.p1, mc.m.ibm, i));
                            const HelicitySet& h = amps[static_cast<std::size_t>(2 * (i - 1) + (j - 1))];
                            const cplx stored = pol == 1 ? h.mep1 : pol == 2 ? h.me0 : h.mem1;
                            EXPECT_EQ(direct, stored) << label(c, m) << ", W " << w << ", Q2 " << qq << ", pol " << pol;
                        }
                }
            }
        }
}

// ---- observables ----------------------------------------------------------------------------------------

// The transverse and longitudinal cross sections are sums of squared amplitudes, so never negative. The
// asymmetry is bounded by the Schwarz inequality |dsigma_LT'| <= sqrt(2 dsigma_T dsigma_L): with KM's
// factor sqrt(2 eps(1 - eps)) that gives |BSA| <= sqrt(1 - eps) <= 1, and for VR and QVM (no such factor)
// |BSA| <= 1/sqrt(2 eps), which is at most 1 for eps >= 1/2.
TEST(KmVrQvmObservables, PositiveCrossSectionsAndBoundedAsymmetryAtPhysicalPoints) {
    for (Channel c : kChannels)
        for (ModelKind m : kModels)
            for (double el : {0.5, 0.8}) {
                const Model model = model_for(options_for(c, m, el));
                for (double w : {1700.0, 2210.0, 3000.0})
                    for (double qq : {0.3e6, 1.6e6, 3.0e6})
                        for (int deg = 0; deg <= 180; deg += 15) {
                            const Observables r = evaluate(model, w, qq, deg * pi_single / 180.0);
                            const CrossSections& x = r.dsigma_domega;
                            const std::string what = label(c, m) + " W " + std::to_string(w) + " Q2 " +
                                                     std::to_string(qq) + " deg " + std::to_string(deg);
                            ASSERT_TRUE(std::isfinite(x.t)) << what;
                            EXPECT_GE(x.t, 0.0) << what;
                            EXPECT_GE(x.l, 0.0) << what;
                            EXPECT_LE(std::abs(x.ltp), std::sqrt(2.0 * x.t * x.l) * (1 + 1e-12)) << what;
                            EXPECT_LE(std::abs(r.bsa), 1.0) << what;
                            EXPECT_DOUBLE_EQ(x.u, el * x.l + x.t);
                            EXPECT_EQ(r.lt_ratio, x.l / x.t);
                            // t at theta = 0 is the largest t of the point
                            EXPECT_GE(r.t0_minus_t, -1e-6 * std::abs(r.t)) << what;
                        }
            }
}

TEST(KmVrQvmObservables, AsymmetrySignsAndKinematicFactorsPerModel) {
    const double w = 2210.0, qq = 1.6e6, theta = 0.35;
    const Observables vr = evaluate(model_for(options_for(Channel::pi_plus_n, ModelKind::vr)), w, qq, theta);
    EXPECT_EQ(vr.bsa, vr.dsigma_domega.ltp / vr.dsigma_domega.u);
    const Observables qvm = evaluate(model_for(options_for(Channel::pi_plus_n, ModelKind::qvm)), w, qq, theta);
    EXPECT_EQ(qvm.bsa, -qvm.dsigma_domega.ltp / qvm.dsigma_domega.u);
    // KM: epsilon from the beam energy, 1/(1 + 2(nu^2 + Q^2)/(4 E (E - nu) - Q^2))
    models::Options o = options_for(Channel::pi_plus_n, ModelKind::km);
    o.epsilon.reset();
    o.beam_energy_gev = 5.77;
    const Model km_model = model_for(o);
    const Observables km = evaluate(km_model, w, qq, theta);
    const CrossSections& x = km.dsigma_domega;
    const double nu = (w * w + qq - 938.272 * 938.272) / (2 * 938.272), ee = 5770.0;
    const double el1 = 1.0 / (1.0 + 2.0 * (nu * nu + qq) / (4.0 * ee * (ee - nu) - qq));
    EXPECT_NEAR(km.bsa, std::sqrt(2 * el1 * (1 - el1)) * x.ltp / (el1 * x.l + x.t), 1e-12 * std::abs(km.bsa));
    EXPECT_TRUE(std::isnan(x.u));  // no epsilon was asked
    // dsigma/dt = dsigma/dOmega pi/(k p), in mub/GeV^2
    const CmFrame fr = km_model.frame(w, qq);
    const double per_gev2 = pi_single / (fr.k * fr.p) * 1.0e6;
    EXPECT_NEAR(km.dt_per_domega, per_gev2, 1e-15);
    EXPECT_NEAR(km.dsigma_dt.t, x.t * per_gev2, 1e-14 * std::abs(km.dsigma_dt.t));
    // without a beam energy KM determines no asymmetry
    models::Options no_beam = options_for(Channel::pi_plus_n, ModelKind::km);
    no_beam.beam_energy_gev.reset();
    EXPECT_TRUE(std::isnan(evaluate(model_for(no_beam), w, qq, theta).bsa));
}

TEST(KmVrQvmObservables, UnphysicalPointsGiveNotANumber) {
    for (Channel c : kChannels)
        for (ModelKind m : kModels) {
            const Observables r = evaluate(model_for(options_for(c, m)), 1000.0, 1.0e6, 0.5);  // below threshold
            EXPECT_TRUE(std::isnan(r.dsigma_domega.t)) << label(c, m);
            EXPECT_TRUE(std::isnan(r.dsigma_domega.l)) << label(c, m);
            EXPECT_TRUE(std::isnan(r.dsigma_dt.t)) << label(c, m);
        }
}

TEST(KmVrQvmObservables, PointsAreIndependentOfEachOtherAndOfTheThread) {
    const Model model = model_for(options_for(Channel::pi0_p, ModelKind::qvm));
    const Observables first = evaluate(model, 2500.0, 2.0e6, 1.0);
    Observables other{};
    std::thread th([&] {
        evaluate(model, 1900.0, 0.5e6, 2.0);
        other = evaluate(model, 2500.0, 2.0e6, 1.0);
    });
    th.join();
    EXPECT_EQ(first.dsigma_domega.t, other.dsigma_domega.t);
    EXPECT_EQ(first.dsigma_domega.ltp, other.dsigma_domega.ltp);
    EXPECT_EQ(first.amplitudes[3].zero, other.amplitudes[3].zero);
}
