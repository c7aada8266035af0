// Vertices of the t-channel meson exchanges and the numerators of the massive spin-1 and spin-2
// propagators, each computed for all Lorentz components at once.
//
// The routines of the photon side take the photon polarization, or anything built from it, as one complex
// vector or as Lanes (the three polarizations side by side), with the same numbers in each lane.
//
// Index placement: nucleon and photon vertices are contravariant; the projectors are covariant and are
// built from a momentum whose index the caller has lowered (cq = contra_vector(q)).
#pragma once

#include "kernel/dirac.hpp"

namespace kavrin {

// Two conventions of the meson-nucleon vertices: the Regge model's carry the factor i (suffix _i) and an
// absolute tensor coupling gt; the KM/VR/QVM ones carry no factor i and a tensor-to-vector ratio (_ratio).

// ---- whole-tensor forms -----------------------------------------------------------------------

/// All four components of v_gvps_mu.
template <class C>
BasicFourVector<C> v_gvps(const BasicFourVector<C>& ep, const FourVector& k1, const FourVector& qt);
/// All four components of v_gavps_mu.
template <class C>
BasicFourVector<C> v_gavps(const BasicFourVector<C>& ep, const FourVector& k1, const FourVector& qt);
/// All sixteen components (j1, j2) of v_gtps_munu.
template <class C>
BasicLorentzTensor<C> v_gtps(const BasicFourVector<C>& ep, const FourVector& k1, const FourVector& k2);
/// y^nu = sum_mu x^mu v_proj_munu(mu, nu, cq, m): a vertex vector carried through the spin-1 numerator.
template <class C>
BasicFourVector<C> spin1_contract(const BasicFourVector<C>& x, const FourVector& cq, double m);
/// w(i1, i2) = sum_{i3,i4} t_proj(i1, i2, i3, i4, cq, m) v(i3, i4): a vertex tensor through the spin-2 numerator.
LorentzTensor spin2_contract(const LorentzTensor& v, const FourVector& cq, double m);
/// The parts of the spin-2 numerator that do not depend on the vertex tensor: cq, cm = cq/m^2 and
/// P(i, j) = cq_i cm_j - g_ij, for a caller that contracts several tensors at one point.
struct Spin2Numerator {
    FourVector cq, cm;
    LorentzTensor p;
    double m2 = 0;
};
Spin2Numerator spin2_numerator(const FourVector& cq, double m);
/// spin2_contract(v, cq, m) with the numerator of (cq, m) made beforehand: the same numbers.
template <class C>
BasicLorentzTensor<C> spin2_contract(const BasicLorentzTensor<C>& v, const Spin2Numerator& n);

/// sum_{mu,nu} w(mu, nu) [g1 (qp^mu gamma^nu + qp^nu gamma^mu) + g2 qp^mu qp^nu]: the a2 nucleon vertex
/// contracted with w, as a Dirac matrix (sum_{mu,nu} w(mu, nu) u2b Gamma_T^{mu nu} u1 = u2b . matrix . u1).
template <class C>
BasicDiracMatrix<C> tnn_matrix(const BasicLorentzTensor<C>& w, double g1, double g2, const FourVector& qp);

/// sum_mu c^mu [gv gamma^mu + gt [gamma^mu, q-slash]] as a Dirac matrix.
template <class C>
BasicDiracMatrix<C> vnn_t_matrix(const BasicFourVector<C>& c, double gv, double gt, const FourVector& q);
/// sum_mu c^mu i gamma^mu gamma5.
template <class C>
BasicDiracMatrix<C> avnn_matrix_i(const BasicFourVector<C>& c);
/// sum_mu c^mu i [gamma^mu, q-slash] gamma5.
template <class C>
BasicDiracMatrix<C> bvnn_matrix_i(const BasicFourVector<C>& c, const FourVector& q);

/// sum_mu c^mu [gv gamma^mu + gv gt [gamma^mu, q-slash]].
template <class C>
BasicDiracMatrix<C> vnn_t_matrix_ratio(const BasicFourVector<C>& c, double gv, double gt, const FourVector& q);
/// sum_mu c^mu gamma^mu gamma5.
template <class C>
BasicDiracMatrix<C> avnn_matrix(const BasicFourVector<C>& c);
/// sum_mu c^mu [gamma^mu, q-slash] gamma5 (also the h1 vertex v_hvnn_mu).
template <class C>
BasicDiracMatrix<C> bvnn_matrix(const BasicFourVector<C>& c, const FourVector& q);

}  // namespace kavrin
