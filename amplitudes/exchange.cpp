#include "amplitudes/exchange.hpp"

#include "amplitudes/born.hpp"
#include "amplitudes/meson_vertices.hpp"

namespace kavrin {

// ---- Dirac matrices of the exchanges (amplitude = u2b . Gamma . u1) -------------------------------

// Pion pole: ec ff_h v_gpsps i gpnn gamma5/(t - m^2).
DiracMatrix mt_pion_matrix(double ec, cplx ff_h, cplx ff, cplx ff0, double qq, const FourVector& ep, double cht,
                           double gpnn, cplx t, const FourVector& qt, const FourVector& k1, double m) {
    const cplx gpsps = v_gpsps(cht, ff, ff0, qq, qt, k1, ep);
    return (ec * ff_h * gpsps / (t - m * m)) * v_psnn_i(gpnn);
}

// rho/omega: ftv_h ff_em ggvp V^mu P_{mu nu} Gamma_V^nu/(t - m^2).
DiracMatrix mt_v_matrix(cplx ftv_h, cplx ff_em, const FourVector& ep, double ggvp, double gvnn, double gvtnn, cplx t,
                        const FourVector& qt, const FourVector& cqt, const FourVector& k1, double m) {
    const FourVector y = spin1_contract(v_gvps(ep, k1, qt), cqt, m);
    return (ggvp * ftv_h * ff_em / (t - m * m)) * vnn_t_matrix(y, gvnn, gvtnn, qt);
}

// a1: -(ggap gavnn) fta ff_em i gamma^mu gamma5 P_{mu nu} A^nu/(t - m^2).
DiracMatrix mt_av_matrix(cplx fta, cplx ff_em, const FourVector& ep, double ggap, double gavnn, cplx t,
                         const FourVector& qt, const FourVector& cqt, const FourVector& k1, double m) {
    const FourVector y = spin1_contract(v_gavps(ep, k1, qt), cqt, m);
    return (-(ggap * gavnn) * fta * ff_em / (t - m * m)) * avnn_matrix_i(y);
}

// b1/h1: -(ggbp gbvnn) ftb ff_em i [gamma^mu, qt-slash] gamma5 P_{mu nu} A^nu/(t - m^2).
DiracMatrix mt_bv_matrix(cplx ftb, cplx ff_em, const FourVector& ep, double ggbp, double gbvnn, cplx t,
                         const FourVector& qt, const FourVector& cqt, const FourVector& k1, double m) {
    const FourVector y = spin1_contract(v_gavps(ep, k1, qt), cqt, m);
    return (-(ggbp * gbvnn) * ftb * ff_em / (t - m * m)) * bvnn_matrix_i(y, qt);
}

// a2: ftt ff_em ggtp Gamma_T^{mu nu} P_{mu nu, alpha beta} V^{alpha beta}/(t - m^2).
DiracMatrix mt_t_matrix(cplx ftt, cplx ff_em, const FourVector& ep, double ggtp, double gt1, double gt2, cplx t,
                        const FourVector& qp, const FourVector& cqt, const FourVector& k1, const FourVector& k2,
                        double m) {
    const LorentzTensor w = spin2_contract(v_gtps(ep, k1, k2), cqt, m);
    return (ggtp * ftt * ff_em / (t - m * m)) * tnn_matrix(w, gt1, gt2, qp);
}

}  // namespace kavrin
