#include "amplitudes/nucleon_poles.hpp"

#include "amplitudes/born.hpp"
#include "amplitudes/slash_algebra.hpp"

namespace kavrin {

template <class C>
BasicDiracMatrix<C> s_pole_chain(double gpnn, const DiracMatrix& nproj, const BasicDiracMatrix<C>& vgnn) {
    // i gpnn (gamma5 P)(r, c) with P = nproj vgnn and gamma5 P(r, c) = P(r xor 2, c), each entry of P summed as the
    // matrix product sums it
    const cplx ig(0.0, gpnn);
    BasicDiracMatrix<C> z;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            C p{};
            for (int k = 0; k < 4; ++k) p += nproj(r ^ 2, k) * vgnn(k, c);
            z(r, c) = ig * p;
        }
    return z;
}

template <class C>
BasicDiracMatrix<C> s_pole_matrix(cplx coefficient, double gpnn, const DiracMatrix& nproj,
                                  const BasicDiracMatrix<C>& vgnn) {
    return coefficient * s_pole_chain(gpnn, nproj, vgnn);
}

template <class C>
BasicDiracMatrix<C> u_pole_matrix(cplx coefficient, double gpnn, const BasicDiracMatrix<C>& vgnn,
                                  const DiracMatrix& nproj) {
    // coefficient (i gpnn (P gamma5)(r, c)) with P = vgnn nproj and P gamma5(r, c) = P(r, c xor 2), each entry of P
    // summed as the matrix product sums it
    const cplx ig(0.0, gpnn);
    BasicDiracMatrix<C> z;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            C p{};
            for (int k = 0; k < 4; ++k) p += vgnn(r, k) * nproj(k, c ^ 2);
            z(r, c) = coefficient * (ig * p);
        }
    return z;
}

namespace {

// s channel: ec ff_h (i gpnn gamma5)(qs-slash + m)(photon vertex)/(s - m^2); gamma5 applied as a row exchange.
DiracMatrix s_channel(double ec, cplx ff_h, const DiracMatrix& vgnn, double gpnn, cplx s, const FourVector& qs,
                      double m) {
    return s_pole_matrix(pole_coefficient(ec, ff_h, s, m), gpnn, n_proj(qs, m), vgnn);
}

// u channel: ec ff_h (photon vertex)(qu-slash + m)(i gpnn gamma5)/(u - m^2); gamma5 applied as a column exchange.
DiracMatrix u_channel(double ec, cplx ff_h, const DiracMatrix& vgnn, double gpnn, cplx u, const FourVector& qu,
                      double m) {
    return u_pole_matrix(pole_coefficient(ec, ff_h, u, m), gpnn, vgnn, n_proj(qu, m));
}

}  // namespace

DiracMatrix ms_n_matrix(double ec, cplx ff_h, const NucleonCurrent& j, double gpnn, double m, const FourVector& ep,
                        const PointMomenta& p) {
    return s_channel(ec, ff_h, v_gnn(ep, j.f1, j.f10, j.f2, p.qq, j.charge, j.kappa_n, p.mom.k1), gpnn, p.s, p.qs, m);
}

DiracMatrix ms_nn_matrix(double ec, cplx ff_h, const NucleonCurrent& j, double gpnn, double m, const FourVector& ep,
                         const PointMomenta& p) {
    return s_channel(ec, ff_h, v_gnn_n(ep, j.f1, j.f2, j.charge, j.kappa_n, p.mom.k1), gpnn, p.s, p.qs, m);
}

DiracMatrix mu_n_matrix(double ec, cplx ff_h, const NucleonCurrent& j, double gpnn, double m, const FourVector& ep,
                        const PointMomenta& p) {
    return u_channel(ec, ff_h, v_gnn(ep, j.f1, j.f10, j.f2, p.qq, j.charge, j.kappa_n, p.mom.k1), gpnn, p.u, p.qu, m);
}

DiracMatrix mu_nn_matrix(double ec, cplx ff_h, const NucleonCurrent& j, double gpnn, double m, const FourVector& ep,
                         const PointMomenta& p) {
    return u_channel(ec, ff_h, v_gnn_n(ep, j.f1, j.f2, j.charge, j.kappa_n, p.mom.k1), gpnn, p.u, p.qu, m);
}

template DiracMatrix s_pole_chain(double, const DiracMatrix&, const DiracMatrix&);
template BasicDiracMatrix<Lanes> s_pole_chain(double, const DiracMatrix&, const BasicDiracMatrix<Lanes>&);
template DiracMatrix s_pole_matrix(cplx, double, const DiracMatrix&, const DiracMatrix&);
template BasicDiracMatrix<Lanes> s_pole_matrix(cplx, double, const DiracMatrix&, const BasicDiracMatrix<Lanes>&);
template DiracMatrix u_pole_matrix(cplx, double, const DiracMatrix&, const DiracMatrix&);
template BasicDiracMatrix<Lanes> u_pole_matrix(cplx, double, const BasicDiracMatrix<Lanes>&, const DiracMatrix&);

}  // namespace kavrin
