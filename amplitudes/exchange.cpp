#include "amplitudes/exchange.hpp"

#include "amplitudes/born.hpp"
#include "amplitudes/meson_vertices.hpp"

namespace kavrin {

DiracMatrix mt_pion_matrix(double ec, const Exchange& x, cplx ff0, double gpnn, const FourVector& ep,
                           const PointMomenta& p) {
    const cplx gpsps = v_gpsps(x.photocoupling, x.em, ff0, p.qq, p.qt, p.mom.k1, ep);
    return (ec * x.regge * gpsps / (p.t - x.m * x.m)) * v_psnn_i(gpnn);
}

DiracMatrix mt_v_matrix(const Exchange& x, double gvnn, double gvtnn, const FourVector& ep, const PointMomenta& p) {
    const FourVector y = spin1_contract(v_gvps(ep, p.mom.k1, p.qt), p.cqt, x.m);
    return (x.photocoupling * x.regge * x.em / (p.t - x.m * x.m)) * vnn_t_matrix(y, gvnn, gvtnn, p.qt);
}

DiracMatrix mt_av_matrix(const Exchange& x, double gavnn, const FourVector& ep, const PointMomenta& p) {
    const FourVector y = spin1_contract(v_gavps(ep, p.mom.k1, p.qt), p.cqt, x.m);
    return (-(x.photocoupling * gavnn) * x.regge * x.em / (p.t - x.m * x.m)) * avnn_matrix_i(y);
}

DiracMatrix mt_bv_matrix(const Exchange& x, double gbvnn, const FourVector& ep, const PointMomenta& p) {
    const FourVector y = spin1_contract(v_gavps(ep, p.mom.k1, p.qt), p.cqt, x.m);
    return (-(x.photocoupling * gbvnn) * x.regge * x.em / (p.t - x.m * x.m)) * bvnn_matrix_i(y, p.qt);
}

DiracMatrix mt_t_matrix(const Exchange& x, double gt1, double gt2, const FourVector& ep, const PointMomenta& p) {
    const LorentzTensor w = spin2_contract(v_gtps(ep, p.mom.k1, p.mom.k2), p.cqt, x.m);
    return (x.photocoupling * x.regge * x.em / (p.t - x.m * x.m)) * tnn_matrix(w, gt1, gt2, p.qp);
}

}  // namespace kavrin
