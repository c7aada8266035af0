// Vertices of the t-channel meson exchanges and the numerators of the massive spin-1 and spin-2
// propagators. The per-component routines return one Lorentz component; the whole-tensor forms below
// them compute all components at once (same mathematics) for the amplitude routines.
//
// Index placement: nucleon and photon vertices are contravariant; the projectors are covariant and are
// built from a momentum whose index the caller has lowered (cq = contra_vector(q)).
#pragma once

#include "kernel/dirac.hpp"

namespace kavrin {

// ---- per-component routines -------------------------------------------------------------------

/// Tensor-meson (a2) nucleon vertex u2b [g1 (qp^mu gamma^nu + qp^nu gamma^mu) + g2 qp^mu qp^nu] u1.
cplx v_tnn_munu(int mu, int nu, double g1, double g2, const DiracSpinor& u2b, const FourVector& qp,
                const DiracSpinor& u1);
/// Photon-pion-vector vertex eps_{abcd} ep^a k1^b qt^c g^{d mu} (no coupling).
cplx v_gvps_mu(int mu, const FourVector& ep, const FourVector& k1, const FourVector& qt);
/// Photon-pion-axial vertex k1^nu (ep.qt) - ep^nu (k1.qt) (no coupling); index j1.
cplx v_gavps_mu(int j1, const FourVector& ep, const FourVector& k1, const FourVector& qt);
/// Photon-pion-tensor vertex k2^{j2} eps_{abcd} ep^a k1^b k2^c g^{d j1} (no coupling).
cplx v_gtps_munu(int j1, int j2, const FourVector& ep, const FourVector& k1, const FourVector& k2);
/// Spin-1 numerator q_mu q_nu/m^2 - g_{mu nu} (q covariant).
cplx v_proj_munu(int mu, int nu, const FourVector& q, double m);
/// Spin-2 numerator (gb13 gb24 + gb14 gb23)/2 - gb12 gb34/3 with gb = v_proj_munu; (i1 i2) nucleon side.
cplx t_proj(int i1, int i2, int i3, int i4, const FourVector& q, double m);

// Two conventions of the meson-nucleon vertices: the Regge model's carry the factor i (suffix _i) and an
// absolute tensor coupling gt; the KM/VR/QVM ones carry no factor i and a tensor-to-vector ratio (_ratio).

/// Vector-meson nucleon vertex u2b [gv gamma^mu + gt (gamma^mu q-slash - q-slash gamma^mu)] u1.
cplx v_vnn_t_mu(int mu, const DiracSpinor& u2b, double gv, double gt, const FourVector& q, const DiracSpinor& u1);
/// a1 nucleon vertex u2b i gamma^mu gamma5 u1 (no coupling).
cplx v_avnn_mu_i(int mu, const DiracSpinor& u2b, const DiracSpinor& u1);
/// b1/h1 nucleon vertex u2b i [gamma^mu, q-slash] gamma5 u1 (no coupling).
cplx v_bvnn_mu_i(int mu, const DiracSpinor& u2b, const FourVector& q, const DiracSpinor& u1);

/// Vector-meson nucleon vertex u2b [gv gamma^mu + gv gt (gamma^mu q-slash - q-slash gamma^mu)] u1; gt is a ratio.
cplx v_vnn_t_mu_ratio(int mu, const DiracSpinor& u2b, double gv, double gt, const FourVector& q,
                      const DiracSpinor& u1);
/// a1 nucleon vertex u2b gamma^mu gamma5 u1 (no factor i).
cplx v_avnn_mu(int mu, const DiracSpinor& u2b, const DiracSpinor& u1);
/// b1 nucleon vertex u2b [gamma^mu, q-slash] gamma5 u1 (no factor i).
cplx v_bvnn_mu(int mu, const DiracSpinor& u2b, const FourVector& q, const DiracSpinor& u1);

// ---- whole-tensor forms -----------------------------------------------------------------------

/// All four components of v_gvps_mu.
FourVector v_gvps(const FourVector& ep, const FourVector& k1, const FourVector& qt);
/// All four components of v_gavps_mu.
FourVector v_gavps(const FourVector& ep, const FourVector& k1, const FourVector& qt);
/// All sixteen components (j1, j2) of v_gtps_munu.
LorentzTensor v_gtps(const FourVector& ep, const FourVector& k1, const FourVector& k2);
/// y^nu = sum_mu x^mu v_proj_munu(mu, nu, cq, m): a vertex vector carried through the spin-1 numerator.
FourVector spin1_contract(const FourVector& x, const FourVector& cq, double m);
/// w(i1, i2) = sum_{i3,i4} t_proj(i1, i2, i3, i4, cq, m) v(i3, i4): a vertex tensor through the spin-2 numerator.
LorentzTensor spin2_contract(const LorentzTensor& v, const FourVector& cq, double m);

/// sum_{mu,nu} w(mu, nu) [g1 (qp^mu gamma^nu + qp^nu gamma^mu) + g2 qp^mu qp^nu]: the a2 nucleon vertex
/// contracted with w, as a Dirac matrix (so that sum w v_tnn_munu = u2b . matrix . u1).
DiracMatrix tnn_matrix(const LorentzTensor& w, double g1, double g2, const FourVector& qp);

/// sum_mu c^mu [gv gamma^mu + gt [gamma^mu, q-slash]] as a Dirac matrix.
DiracMatrix vnn_t_matrix(const FourVector& c, double gv, double gt, const FourVector& q);
/// sum_mu c^mu i gamma^mu gamma5.
DiracMatrix avnn_matrix_i(const FourVector& c);
/// sum_mu c^mu i [gamma^mu, q-slash] gamma5.
DiracMatrix bvnn_matrix_i(const FourVector& c, const FourVector& q);

/// sum_mu c^mu [gv gamma^mu + gv gt [gamma^mu, q-slash]].
DiracMatrix vnn_t_matrix_ratio(const FourVector& c, double gv, double gt, const FourVector& q);
/// sum_mu c^mu gamma^mu gamma5.
DiracMatrix avnn_matrix(const FourVector& c);
/// sum_mu c^mu [gamma^mu, q-slash] gamma5 (also the h1 vertex v_hvnn_mu).
DiracMatrix bvnn_matrix(const FourVector& c, const FourVector& q);

}  // namespace kavrin
