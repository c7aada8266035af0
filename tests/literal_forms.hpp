// The vertices and amplitudes of the models in their literal forms, against which the tests hold the forms
// the library computes with: each vertex one Lorentz component at a time between a pair of spinors, and each
// diagram sandwiched between spinors.
#pragma once

#include "amplitudes/born.hpp"
#include "amplitudes/exchange.hpp"
#include "amplitudes/meson_vertices.hpp"
#include "amplitudes/nucleon_poles.hpp"
#include "kernel/dirac.hpp"

namespace kavrin {

namespace literal {

constexpr bool lorentz_index(int mu) { return mu >= 0 && mu < 4; }

// Component mu of a four-vector, zero for an index outside 0..3 (never read past the stored components).
inline cplx comp(const FourVector& v, int mu) { return lorentz_index(mu) ? v[mu] : cplx(0.0); }

// Metric element g(mu, nu), zero outside 0..3.
inline cplx metric(int mu, int nu) { return lorentz_index(mu) && lorentz_index(nu) ? get_guv()(mu, nu) : cplx(0.0); }

inline constexpr cplx I{0.0, 1.0};

}  // namespace literal

using literal::comp;
using literal::metric;

// ---- per-component routines -------------------------------------------------------------------

// a2-nucleon vertex u2b [g1 (qp^mu gamma^nu + qp^nu gamma^mu) + g2 qp^mu qp^nu] u1.
inline cplx v_tnn_munu(int mu, int nu, double g1, double g2, const DiracSpinor& u2b, const FourVector& qp,
                const DiracSpinor& u1) {
    const DiracMatrix g_mu = get_gamma(mu);
    const DiracMatrix g_nu = get_gamma(nu);
    const DiracMatrix id = get_id();
    const DiracMatrix g_tot1 = comp(qp, mu) * g_nu + comp(qp, nu) * g_mu;
    const DiracMatrix g_tot2 = (comp(qp, mu) * comp(qp, nu)) * id;
    const DiracMatrix g_tot = cplx(g1) * g_tot1 + cplx(g2) * g_tot2;
    return spinor_uxgxu(u2b, g_tot, u1);
}

// gamma* pi V vertex eps_{abcd} ep^a k1^b qt^c g^{d mu}.
inline cplx v_gvps_mu(int mu, const FourVector& ep, const FourVector& k1, const FourVector& qt) {
    return lce1(ep, k1, qt, get_iv(mu));
}

// gamma* pi A vertex k1^nu (ep.qt) - ep^nu (k1.qt), transverse to k1 in the photon index.
inline cplx v_gavps_mu(int j1, const FourVector& ep, const FourVector& k1, const FourVector& qt) {
    const cplx epqt = v_dot_v(ep, qt);
    const cplx k1qt = v_dot_v(k1, qt);
    return comp(k1, j1) * epqt - comp(ep, j1) * k1qt;
}

// gamma* pi a2 vertex k2^{j2} eps_{abcd} ep^a k1^b k2^c g^{d j1}.
inline cplx v_gtps_munu(int j1, int j2, const FourVector& ep, const FourVector& k1, const FourVector& k2) {
    const cplx gtp = lce1(ep, k1, k2, get_iv(j1));
    return comp(k2, j2) * gtp;
}

// Massive spin-1 numerator q_mu q_nu/m^2 - g_{mu nu} (q covariant).
inline cplx v_proj_munu(int mu, int nu, const FourVector& q, double m) {
    return comp(q, mu) * comp(q, nu) / (m * m) - metric(mu, nu);
}

// Massive spin-2 numerator (gb13 gb24 + gb14 gb23)/2 - gb12 gb34/3, gb the spin-1 numerator.
inline cplx t_proj(int i1, int i2, int i3, int i4, const FourVector& q, double m) {
    const cplx g13 = v_proj_munu(i1, i3, q, m);
    const cplx g24 = v_proj_munu(i2, i4, q, m);
    const cplx g14 = v_proj_munu(i1, i4, q, m);
    const cplx g23 = v_proj_munu(i2, i3, q, m);
    const cplx g12 = v_proj_munu(i1, i2, q, m);
    const cplx g34 = v_proj_munu(i3, i4, q, m);
    return (g13 * g24 + g14 * g23) / 2.0 - g12 * g34 / 3.0;
}

// Vector-meson nucleon vertex u2b [gv gamma^mu + gt [gamma^mu, q-slash]] u1, gt = kappa_V/(4M).
inline cplx v_vnn_t_mu(int mu, const DiracSpinor& u2b, double gv, double gt, const FourVector& q, const DiracSpinor& u1) {
    const DiracMatrix g_mu = get_gamma(mu);
    const DiracMatrix qs = sl(q);
    const DiracMatrix com = commutator(g_mu, qs);
    const DiracMatrix g_tot = cplx(gv) * g_mu + cplx(gt) * com;
    return spinor_uxgxu(u2b, g_tot, u1);
}

// a1-nucleon vertex u2b i gamma^mu gamma5 u1.
inline cplx v_avnn_mu_i(int mu, const DiracSpinor& u2b, const DiracSpinor& u1) {
    const DiracMatrix g_mu = get_gamma(mu);
    const DiracMatrix g5 = get_gamma(5);
    const DiracMatrix g_tot = literal::I * (g_mu * g5);
    return spinor_uxgxu(u2b, g_tot, u1);
}

// b1/h1-nucleon vertex u2b i [gamma^mu, q-slash] gamma5 u1.
inline cplx v_bvnn_mu_i(int mu, const DiracSpinor& u2b, const FourVector& q, const DiracSpinor& u1) {
    const DiracMatrix qs = sl(q);
    const DiracMatrix g_mu = get_gamma(mu);
    const DiracMatrix gqs = commutator(g_mu, qs);
    const DiracMatrix g5 = get_gamma(5);
    const DiracMatrix g_tot = literal::I * (gqs * g5);
    return spinor_uxgxu(u2b, g_tot, u1);
}

// Vector-meson nucleon vertex u2b [gv gamma^mu + gv gt [gamma^mu, q-slash]] u1, gt the tensor-to-vector ratio
// over 4M.
inline cplx v_vnn_t_mu_ratio(int mu, const DiracSpinor& u2b, double gv, double gt, const FourVector& q, const DiracSpinor& u1) {
    const DiracMatrix g_mu = get_gamma(mu);
    const DiracMatrix qs = sl(q);
    const DiracMatrix com = commutator(g_mu, qs);
    const DiracMatrix g_tot = cplx(gv) * g_mu + cplx(gv * gt) * com;
    return spinor_uxgxu(u2b, g_tot, u1);
}

// a1-nucleon vertex u2b gamma^mu gamma5 u1.
inline cplx v_avnn_mu(int mu, const DiracSpinor& u2b, const DiracSpinor& u1) {
    const DiracMatrix g_mu = get_gamma(mu);
    const DiracMatrix g5 = get_gamma(5);
    const DiracMatrix g_tot = g_mu * g5;
    return spinor_uxgxu(u2b, g_tot, u1);
}

// b1-nucleon vertex u2b [gamma^mu, q-slash] gamma5 u1.
inline cplx v_bvnn_mu(int mu, const DiracSpinor& u2b, const FourVector& q, const DiracSpinor& u1) {
    const DiracMatrix qs = sl(q);
    const DiracMatrix g_mu = get_gamma(mu);
    const DiracMatrix gqs = commutator(g_mu, qs);
    const DiracMatrix g5 = get_gamma(5);
    const DiracMatrix g_tot = gqs * g5;
    return spinor_uxgxu(u2b, g_tot, u1);
}


// h1-nucleon vertex u2b [gamma^mu, q-slash] gamma5 u1 (the b1 vertex without the factor i).
inline cplx v_hvnn_mu(int mu, const DiracSpinor& u2b, const FourVector& q, const DiracSpinor& u1) {
    return v_bvnn_mu(mu, u2b, q, u1);
}


// ---- the diagrams between spinors, with the arguments spelled out ----------------------------------------

namespace literal {

// The momenta of a point that a diagram takes; the others stay zero.
inline PointMomenta momenta(const FourVector& k1, const FourVector& k2, cplx t, const FourVector& qt,
                            const FourVector& cqt, const FourVector& qp, double qq) {
    PointMomenta p{};
    p.mom.k1 = k1;
    p.mom.k2 = k2;
    p.t = t;
    p.qt = qt;
    p.cqt = cqt;
    p.qp = qp;
    p.qq = qq;
    return p;
}

// The same for an s- or u-channel pole with its invariant x = s or u and momentum q = qs or qu.
inline PointMomenta pole_momenta(bool s_channel, const FourVector& k1, cplx x, const FourVector& q, double qq) {
    PointMomenta p{};
    p.mom.k1 = k1;
    (s_channel ? p.s : p.u) = x;
    (s_channel ? p.qs : p.qu) = q;
    p.qq = qq;
    return p;
}

}  // namespace literal

// Pion-pole amplitude.
inline cplx mt_pion(double ec, cplx ff_h, cplx ff, cplx ff0, double qq, const DiracSpinor& u2b, const DiracSpinor& u1,
                    const FourVector& ep, double cht, double gpnn, cplx t, const FourVector& qt, const FourVector& k1,
                    double m) {
    const PointMomenta p = literal::momenta(k1, {}, t, qt, {}, {}, qq);
    return spinor_uxgxu(u2b, mt_pion_matrix(ec, {ff_h, ff, cht, m}, ff0, gpnn, ep, p), u1);
}

// rho/omega-exchange amplitude.
inline cplx mt_v(cplx ftv_h, cplx ff_em, const DiracSpinor& u2b, const DiracSpinor& u1, const FourVector& ep,
                 double ggvp, double gvnn, double gvtnn, cplx t, const FourVector& qt, const FourVector& cqt,
                 const FourVector& k1, double m) {
    const PointMomenta p = literal::momenta(k1, {}, t, qt, cqt, {}, 0.0);
    return spinor_uxgxu(u2b, mt_v_matrix({ftv_h, ff_em, ggvp, m}, gvnn, gvtnn, ep, p), u1);
}

// a1-exchange amplitude.
inline cplx mt_av(cplx fta, cplx ff_em, const DiracSpinor& u2b, const DiracSpinor& u1, const FourVector& ep,
                  double ggap, double gavnn, cplx t, const FourVector& qt, const FourVector& cqt, const FourVector& k1,
                  double m) {
    const PointMomenta p = literal::momenta(k1, {}, t, qt, cqt, {}, 0.0);
    return spinor_uxgxu(u2b, mt_av_matrix({fta, ff_em, ggap, m}, gavnn, ep, p), u1);
}

// b1/h1-exchange amplitude.
inline cplx mt_bv(cplx ftb, cplx ff_em, const DiracSpinor& u2b, const DiracSpinor& u1, const FourVector& ep,
                  double ggbp, double gbvnn, cplx t, const FourVector& qt, const FourVector& cqt, const FourVector& k1,
                  double m) {
    const PointMomenta p = literal::momenta(k1, {}, t, qt, cqt, {}, 0.0);
    return spinor_uxgxu(u2b, mt_bv_matrix({ftb, ff_em, ggbp, m}, gbvnn, ep, p), u1);
}

// a2-exchange amplitude.
inline cplx mt_t(cplx ftt, cplx ff_em, const DiracSpinor& u2b, const DiracSpinor& u1, const FourVector& ep,
                 double ggtp, double gt1, double gt2, cplx t, const FourVector& qp, const FourVector& cqt,
                 const FourVector& k1, const FourVector& k2, double m) {
    const PointMomenta p = literal::momenta(k1, k2, t, {}, cqt, qp, 0.0);
    return spinor_uxgxu(u2b, mt_t_matrix({ftt, ff_em, ggtp, m}, gt1, gt2, ep, p), u1);
}

// s-channel nucleon pole, gauge-restoring photon vertex.
inline cplx ms_n(double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const DiracSpinor& u2b,
                 const DiracSpinor& u1, const FourVector& ep, double chs, double gts, double g, cplx s,
                 const FourVector& qs, const FourVector& k1, double m) {
    const PointMomenta p = literal::pole_momenta(true, k1, s, qs, qq);
    return spinor_uxgxu(u2b, ms_n_matrix(ec, ff_h, {chs, gts, f1, f10, f2}, g, m, ep, p), u1);
}
// s-channel nucleon pole, plain photon vertex.
inline cplx ms_nn(double ec, cplx ff_h, cplx f1, cplx f2, const DiracSpinor& u2b, const DiracSpinor& u1,
                  const FourVector& ep, double chs, double gts, double g, cplx s, const FourVector& qs,
                  const FourVector& k1, double m) {
    const PointMomenta p = literal::pole_momenta(true, k1, s, qs, 0.0);
    return spinor_uxgxu(u2b, ms_nn_matrix(ec, ff_h, {chs, gts, f1, 1.0, f2}, g, m, ep, p), u1);
}
// u-channel nucleon pole, gauge-restoring photon vertex.
inline cplx mu_n(double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const DiracSpinor& u2b,
                 const DiracSpinor& u1, const FourVector& ep, double chu, double gtu, double g, cplx u,
                 const FourVector& qu, const FourVector& k1, double m) {
    const PointMomenta p = literal::pole_momenta(false, k1, u, qu, qq);
    return spinor_uxgxu(u2b, mu_n_matrix(ec, ff_h, {chu, gtu, f1, f10, f2}, g, m, ep, p), u1);
}
// u-channel nucleon pole, plain photon vertex.
inline cplx mu_nn(double ec, cplx ff_h, cplx f1, cplx f2, const DiracSpinor& u2b, const DiracSpinor& u1,
                  const FourVector& ep, double chu, double gtu, double g, cplx u, const FourVector& qu,
                  const FourVector& k1, double m) {
    const PointMomenta p = literal::pole_momenta(false, k1, u, qu, 0.0);
    return spinor_uxgxu(u2b, mu_nn_matrix(ec, ff_h, {chu, gtu, f1, 1.0, f2}, g, m, ep, p), u1);
}

}  // namespace kavrin
