#include "amplitudes/exchange.hpp"

#include "amplitudes/born.hpp"
#include "amplitudes/meson_vertices.hpp"

namespace kavrin {

template <class C>
BasicDiracMatrix<C> mt_pion_matrix(double ec, const Exchange& x, cplx ff0, double gpnn, const BasicFourVector<C>& ep,
                                   const PointMomenta& p) {
    const C gpsps = v_gpsps(x.photocoupling, x.em, ff0, p.qq, p.qt, p.mom.k1, ep);
    return (ec * x.regge * gpsps / (p.t - x.m * x.m)) * v_psnn_i(gpnn);
}

cplx mt_v_coefficient(const Exchange& x, const PointMomenta& p) {
    return x.photocoupling * x.regge * x.em / (p.t - x.m * x.m);
}

cplx mt_axial_coefficient(const Exchange& x, double g, const PointMomenta& p) {
    return -(x.photocoupling * g) * x.regge * x.em / (p.t - x.m * x.m);
}

template <class C>
BasicDiracMatrix<C> mt_v_matrix(cplx coefficient, const BasicFourVector<C>& gvps, double m, double gvnn,
                                double gvtnn, const PointMomenta& p) {
    const BasicFourVector<C> y = spin1_contract(gvps, p.cqt, m);
    return coefficient * vnn_t_matrix(y, gvnn, gvtnn, p.qt);
}

template <class C>
BasicDiracMatrix<C> mt_av_matrix(cplx coefficient, const BasicFourVector<C>& gavps, double m, const PointMomenta& p) {
    const BasicFourVector<C> y = spin1_contract(gavps, p.cqt, m);
    return coefficient * avnn_matrix_i(y);
}

template <class C>
BasicDiracMatrix<C> mt_bv_matrix(cplx coefficient, const BasicFourVector<C>& gavps, double m, const PointMomenta& p) {
    const BasicFourVector<C> y = spin1_contract(gavps, p.cqt, m);
    return coefficient * bvnn_matrix_i(y, p.qt);
}

template <class C>
BasicDiracMatrix<C> mt_t_matrix(cplx coefficient, const BasicLorentzTensor<C>& gtps, const Spin2Numerator& n,
                                double gt1, double gt2, const PointMomenta& p) {
    const BasicLorentzTensor<C> w = spin2_contract(gtps, n);
    return coefficient * tnn_matrix(w, gt1, gt2, p.qp);
}

DiracMatrix mt_t_matrix(cplx coefficient, const LorentzTensor& gtps, double m, double gt1, double gt2,
                        const PointMomenta& p) {
    return mt_t_matrix(coefficient, gtps, spin2_numerator(p.cqt, m), gt1, gt2, p);
}

DiracMatrix mt_v_matrix(const Exchange& x, double gvnn, double gvtnn, const FourVector& ep, const PointMomenta& p) {
    return mt_v_matrix(mt_v_coefficient(x, p), v_gvps(ep, p.mom.k1, p.qt), x.m, gvnn, gvtnn, p);
}

DiracMatrix mt_av_matrix(const Exchange& x, double gavnn, const FourVector& ep, const PointMomenta& p) {
    return mt_av_matrix(mt_axial_coefficient(x, gavnn, p), v_gavps(ep, p.mom.k1, p.qt), x.m, p);
}

DiracMatrix mt_bv_matrix(const Exchange& x, double gbvnn, const FourVector& ep, const PointMomenta& p) {
    return mt_bv_matrix(mt_axial_coefficient(x, gbvnn, p), v_gavps(ep, p.mom.k1, p.qt), x.m, p);
}

DiracMatrix mt_t_matrix(const Exchange& x, double gt1, double gt2, const FourVector& ep, const PointMomenta& p) {
    return mt_t_matrix(mt_v_coefficient(x, p), v_gtps(ep, p.mom.k1, p.mom.k2), x.m, gt1, gt2, p);
}

#define KAVRIN_PHOTON_SIDE(C)                                                                                     \
    template BasicDiracMatrix<C> mt_pion_matrix(double, const Exchange&, cplx, double, const BasicFourVector<C>&, \
                                                const PointMomenta&);                                         \
    template BasicDiracMatrix<C> mt_v_matrix(cplx, const BasicFourVector<C>&, double, double, double,          \
                                             const PointMomenta&);                                            \
    template BasicDiracMatrix<C> mt_av_matrix(cplx, const BasicFourVector<C>&, double, const PointMomenta&);   \
    template BasicDiracMatrix<C> mt_bv_matrix(cplx, const BasicFourVector<C>&, double, const PointMomenta&);   \
    template BasicDiracMatrix<C> mt_t_matrix(cplx, const BasicLorentzTensor<C>&, const Spin2Numerator&, double, \
                                             double, const PointMomenta&);
KAVRIN_PHOTON_SIDE(cplx)
KAVRIN_PHOTON_SIDE(Lanes)
#undef KAVRIN_PHOTON_SIDE

}  // namespace kavrin
