#include "amplitudes/meson_vertices.hpp"

#include "amplitudes/slash_algebra.hpp"

namespace kavrin {

namespace {

using detail::slash_commutator;
using detail::times_gamma5;

constexpr cplx I{0.0, 1.0};

// Diagonal of the metric, g^{mu mu}.
constexpr double kMetricDiag[4] = {1.0, -1.0, -1.0, -1.0};

}  // namespace

// ---- whole-tensor forms -----------------------------------------------------------------------

// V^mu = eps_{abcd} ep^a k1^b qt^c g^{d mu}: the Levi-Civita vector with its index raised by the metric.
template <class C>
BasicFourVector<C> v_gvps(const BasicFourVector<C>& ep, const FourVector& k1, const FourVector& qt) {
    return contra_vector(lce1_vector(ep, k1, qt));
}

// A^nu = k1^nu (ep.qt) - ep^nu (k1.qt).
template <class C>
BasicFourVector<C> v_gavps(const BasicFourVector<C>& ep, const FourVector& k1, const FourVector& qt) {
    const C epqt = v_dot_v(ep, qt);
    const cplx k1qt = v_dot_v(k1, qt);
    BasicFourVector<C> a;
    for (int nu = 0; nu < 4; ++nu) a[nu] = k1[nu] * epqt - ep[nu] * k1qt;
    return a;
}

// T^{j1 j2} = e^{j1} k2^{j2} with e = v_gvps(ep, k1, k2).
template <class C>
BasicLorentzTensor<C> v_gtps(const BasicFourVector<C>& ep, const FourVector& k1, const FourVector& k2) {
    const BasicFourVector<C> e = v_gvps(ep, k1, k2);
    BasicLorentzTensor<C> t;
    for (int j1 = 0; j1 < 4; ++j1)
        for (int j2 = 0; j2 < 4; ++j2) t(j1, j2) = k2[j2] * e[j1];
    return t;
}

// y_nu = sum_mu x^mu (cq_mu cq_nu/m^2 - g_{mu nu}) = (sum_mu x^mu cq_mu) cq_nu/m^2 - g_{nu nu} x^nu.
template <class C>
BasicFourVector<C> spin1_contract(const BasicFourVector<C>& x, const FourVector& cq, double m) {
    const C xq = x[0] * cq[0] + x[1] * cq[1] + x[2] * cq[2] + x[3] * cq[3];
    const C c = xq / (m * m);
    BasicFourVector<C> y;
    for (int nu = 0; nu < 4; ++nu) y[nu] = c * cq[nu] - kMetricDiag[nu] * x[nu];
    return y;
}

// w = P S P - (1/3) P (sum_{ab} P(a,b) v(a,b)) with S = (v + v^T)/2 and P = c c^T/m^2 - g the spin-1 numerator
// (c = cq): the spin-2 projector (P13 P24 + P14 P23)/2 - P12 P34/3 contracted over its photon-side pair.
// P is the metric plus a rank-one term, so with a = S c and alpha = c.a (plain sums over stored components)
//   P S P = alpha c c^T/m^4 - (c (g a)^T + (g a) c^T)/m^2 + g S g,  sum P.v = alpha/m^2 - sum_i g_ii S_ii.
Spin2Numerator spin2_numerator(const FourVector& cq, double m) {
    Spin2Numerator n;
    n.cq = cq;
    n.m2 = m * m;
    for (int i = 0; i < 4; ++i) n.cm[i] = cq[i] / n.m2;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) n.p(i, j) = cq[i] * n.cm[j] - (i == j ? kMetricDiag[i] : 0.0);
    return n;
}

template <class C>
BasicLorentzTensor<C> spin2_contract(const BasicLorentzTensor<C>& v, const Spin2Numerator& n) {
    const double m2 = n.m2;
    const FourVector& cq = n.cq;
    const FourVector& cm = n.cm;
    BasicLorentzTensor<C> sym;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) sym(i, j) = 0.5 * (v(i, j) + v(j, i));
    BasicFourVector<C> a, ga;  // a = S c, ga = g a
    C alpha{}, tr_s{};
    for (int i = 0; i < 4; ++i) {
        a[i] = sym(i, 0) * cq[0] + sym(i, 1) * cq[1] + sym(i, 2) * cq[2] + sym(i, 3) * cq[3];
        ga[i] = kMetricDiag[i] * a[i];
        alpha += cq[i] * a[i];
        tr_s += kMetricDiag[i] * sym(i, i);
    }
    const C third = (alpha / m2 - tr_s) / 3.0;
    BasicLorentzTensor<C> w;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            const C psp = alpha * cm[i] * cm[j] - (cm[i] * ga[j] + ga[i] * cm[j]) +
                             (kMetricDiag[i] * kMetricDiag[j]) * sym(i, j);
            w(i, j) = psp - third * n.p(i, j);
        }
    return w;
}

LorentzTensor spin2_contract(const LorentzTensor& v, const FourVector& cq, double m) {
    return spin2_contract(v, spin2_numerator(cq, m));
}

// sum w(mu,nu) [g1 (qp^mu gamma^nu + qp^nu gamma^mu) + g2 qp^mu qp^nu]
//   = g1 gamma.(w^T qp + w qp) + g2 (qp w qp) 1, gamma.a = sum a^mu gamma^mu.
template <class C>
BasicDiracMatrix<C> tnn_matrix(const BasicLorentzTensor<C>& w, double g1, double g2, const FourVector& qp) {
    BasicFourVector<C> a;
    C qwq{};
    for (int mu = 0; mu < 4; ++mu) {
        C row{};  // sum_nu w(mu, nu) qp^nu
        for (int nu = 0; nu < 4; ++nu) {
            row += w(mu, nu) * qp[nu];
            a[nu] += qp[mu] * w(mu, nu);
        }
        a[mu] += row;
        qwq += qp[mu] * row;
    }
    BasicDiracMatrix<C> g = cplx(g1) * detail::slash_of_lowered(a);
    const C diag = g2 * qwq;
    for (int r = 0; r < 4; ++r) g(r, r) += diag;
    return g;
}

// sum_mu c^mu [gv gamma^mu + gt [gamma^mu, q-slash]] = gv c.gamma + gt [c.gamma, q-slash], c.gamma the slash of
// the lowered c.
template <class C>
BasicDiracMatrix<C> vnn_t_matrix(const BasicFourVector<C>& c, double gv, double gt, const FourVector& q) {
    return cplx(gv) * detail::slash_of_lowered(c) + cplx(gt) * slash_commutator(contra_vector(c), q);
}

// sum_mu c^mu i gamma^mu gamma5.
template <class C>
BasicDiracMatrix<C> avnn_matrix_i(const BasicFourVector<C>& c) { return I * times_gamma5(detail::slash_of_lowered(c)); }

// sum_mu c^mu i [gamma^mu, q-slash] gamma5.
template <class C>
BasicDiracMatrix<C> bvnn_matrix_i(const BasicFourVector<C>& c, const FourVector& q) {
    return I * times_gamma5(slash_commutator(contra_vector(c), q));
}

// sum_mu c^mu [gv gamma^mu + gv gt [gamma^mu, q-slash]].
template <class C>
BasicDiracMatrix<C> vnn_t_matrix_ratio(const BasicFourVector<C>& c, double gv, double gt, const FourVector& q) {
    return cplx(gv) * detail::slash_of_lowered(c) + cplx(gv * gt) * slash_commutator(contra_vector(c), q);
}

// sum_mu c^mu gamma^mu gamma5.
template <class C>
BasicDiracMatrix<C> avnn_matrix(const BasicFourVector<C>& c) { return times_gamma5(detail::slash_of_lowered(c)); }

// sum_mu c^mu [gamma^mu, q-slash] gamma5.
template <class C>
BasicDiracMatrix<C> bvnn_matrix(const BasicFourVector<C>& c, const FourVector& q) {
    return times_gamma5(slash_commutator(contra_vector(c), q));
}

// the photon-side routines for one polarization and for the three side by side
#define KAVRIN_PHOTON_SIDE(C)                                                                                      \
    template BasicFourVector<C> v_gvps(const BasicFourVector<C>&, const FourVector&, const FourVector&);        \
    template BasicFourVector<C> v_gavps(const BasicFourVector<C>&, const FourVector&, const FourVector&);       \
    template BasicLorentzTensor<C> v_gtps(const BasicFourVector<C>&, const FourVector&, const FourVector&);     \
    template BasicFourVector<C> spin1_contract(const BasicFourVector<C>&, const FourVector&, double);           \
    template BasicLorentzTensor<C> spin2_contract(const BasicLorentzTensor<C>&, const Spin2Numerator&);         \
    template BasicDiracMatrix<C> tnn_matrix(const BasicLorentzTensor<C>&, double, double, const FourVector&);   \
    template BasicDiracMatrix<C> vnn_t_matrix(const BasicFourVector<C>&, double, double, const FourVector&);    \
    template BasicDiracMatrix<C> avnn_matrix_i(const BasicFourVector<C>&);                                      \
    template BasicDiracMatrix<C> bvnn_matrix_i(const BasicFourVector<C>&, const FourVector&);                   \
    template BasicDiracMatrix<C> vnn_t_matrix_ratio(const BasicFourVector<C>&, double, double, const FourVector&); \
    template BasicDiracMatrix<C> avnn_matrix(const BasicFourVector<C>&);                                        \
    template BasicDiracMatrix<C> bvnn_matrix(const BasicFourVector<C>&, const FourVector&);
KAVRIN_PHOTON_SIDE(cplx)
KAVRIN_PHOTON_SIDE(Lanes)
#undef KAVRIN_PHOTON_SIDE

}  // namespace kavrin
