// Dirac and Lorentz algebra: four-vectors, 4x4 Dirac matrices (Dirac representation) and spinors.
//
// Conventions used throughout the library:
//  - metric diag(1, -1, -1, -1); four-vectors are stored contravariant (E, x, y, z);
//  - gamma matrices in the Dirac (Bjorken-Drell) representation, gamma^mu contravariant;
//  - no complex conjugation inside any product: an adjoint spinor is formed explicitly with ub();
//  - Levi-Civita symbol with eps(0,1,2,3) = +1 on the components as stored.
// Dirac matrix and spinor indices are 0-based here (row/column 0..3 stand for 1..4 of the usual notation).
// Each type holds complex numbers (FourVector, DiracMatrix, ...) or Lanes, the three photon polarizations side by
// side (BasicFourVector<Lanes>, ...); the operations are written once for both.
#pragma once

#include <array>
#include <complex>
#include <concepts>
#include <utility>

#include "kernel/lanes.hpp"

namespace kavrin {

using cplx = std::complex<double>;

/// What the Dirac and Lorentz objects hold: a complex number, or one per photon polarization (Lanes).
template <class T>
concept Element = std::same_as<T, cplx> || std::same_as<T, Lanes>;
template <class A, class B>
using sum_t = decltype(std::declval<A>() + std::declval<B>());
template <class A, class B>
using product_t = decltype(std::declval<A>() * std::declval<B>());

/// Four components (E, x, y, z), contravariant; real momenta carry zero imaginary parts.
template <Element C>
struct BasicFourVector {
    std::array<C, 4> c{};

    constexpr C& operator[](int mu) { return c[static_cast<std::size_t>(mu)]; }
    constexpr const C& operator[](int mu) const { return c[static_cast<std::size_t>(mu)]; }
};
using FourVector = BasicFourVector<cplx>;

/// Component-wise sum.
template <class A, class B>
constexpr BasicFourVector<sum_t<A, B>> operator+(const BasicFourVector<A>& a, const BasicFourVector<B>& b) {
    return {{a[0] + b[0], a[1] + b[1], a[2] + b[2], a[3] + b[3]}};
}
/// Component-wise difference.
template <class A, class B>
constexpr BasicFourVector<sum_t<A, B>> operator-(const BasicFourVector<A>& a, const BasicFourVector<B>& b) {
    return {{a[0] - b[0], a[1] - b[1], a[2] - b[2], a[3] - b[3]}};
}
/// Scalar times vector.
template <Element S, class A>
constexpr BasicFourVector<product_t<S, A>> operator*(const S& s, const BasicFourVector<A>& a) {
    return {{s * a[0], s * a[1], s * a[2], s * a[3]}};
}
/// Vector times real scalar.
template <class A>
constexpr BasicFourVector<A> operator*(const BasicFourVector<A>& a, double s) {
    return {{a[0] * s, a[1] * s, a[2] * s, a[3] * s}};
}

/// Complex 4x4 matrix acting on Dirac spinors; element (row, column), both 0..3.
template <Element C>
struct BasicDiracMatrix {
    std::array<C, 16> a{};

    constexpr C& operator()(int r, int col) { return a[static_cast<std::size_t>(4 * r + col)]; }
    constexpr const C& operator()(int r, int col) const { return a[static_cast<std::size_t>(4 * r + col)]; }

    template <class B>
    BasicDiracMatrix& operator+=(const BasicDiracMatrix<B>& y) {
        for (std::size_t i = 0; i < 16; ++i) a[i] += y.a[i];
        return *this;
    }
};
using DiracMatrix = BasicDiracMatrix<cplx>;

/// Element-wise sum.
template <class A, class B>
constexpr BasicDiracMatrix<sum_t<A, B>> operator+(const BasicDiracMatrix<A>& x, const BasicDiracMatrix<B>& y) {
    BasicDiracMatrix<sum_t<A, B>> z;
    for (std::size_t i = 0; i < 16; ++i) z.a[i] = x.a[i] + y.a[i];
    return z;
}
/// Element-wise difference.
template <class A, class B>
constexpr BasicDiracMatrix<sum_t<A, B>> operator-(const BasicDiracMatrix<A>& x, const BasicDiracMatrix<B>& y) {
    BasicDiracMatrix<sum_t<A, B>> z;
    for (std::size_t i = 0; i < 16; ++i) z.a[i] = x.a[i] - y.a[i];
    return z;
}
/// Scalar times matrix.
template <Element S, class A>
constexpr BasicDiracMatrix<product_t<S, A>> operator*(const S& s, const BasicDiracMatrix<A>& x) {
    BasicDiracMatrix<product_t<S, A>> z;
    for (std::size_t i = 0; i < 16; ++i) z.a[i] = s * x.a[i];
    return z;
}
/// Matrix product (same as mxm).
template <class A, class B>
constexpr BasicDiracMatrix<product_t<A, B>> operator*(const BasicDiracMatrix<A>& x, const BasicDiracMatrix<B>& y) {
    using R = product_t<A, B>;
    BasicDiracMatrix<R> z;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            R s{};
            for (int k = 0; k < 4; ++k) s += x(i, k) * y(k, j);
            z(i, j) = s;
        }
    return z;
}

/// Whether every entry of m is finite.
inline bool is_finite(const BasicDiracMatrix<cplx>& m) { return all_parts_finite(m.a); }

/// s (m1 + m2 + ... + mn), the sum taken left to right, entry by entry in one pass.
template <Element S, class... M>
constexpr auto scaled_sum(const S& s, const BasicDiracMatrix<M>&... m) {
    using R = decltype(s * (... + m.a[0]));
    BasicDiracMatrix<R> z;
    for (std::size_t i = 0; i < 16; ++i) z.a[i] = s * (... + m.a[i]);
    return z;
}

/// Four components of a Dirac spinor (or of an adjoint spinor, which is stored alike).
template <Element C>
struct BasicDiracSpinor {
    std::array<C, 4> c{};

    constexpr C& operator[](int i) { return c[static_cast<std::size_t>(i)]; }
    constexpr const C& operator[](int i) const { return c[static_cast<std::size_t>(i)]; }
};
using DiracSpinor = BasicDiracSpinor<cplx>;

/// A rank-2 Lorentz tensor T(mu, nu), indices 0..3 as stored (no implied index position).
template <Element C>
struct BasicLorentzTensor {
    std::array<C, 16> a{};

    constexpr C& operator()(int mu, int nu) { return a[static_cast<std::size_t>(4 * mu + nu)]; }
    constexpr const C& operator()(int mu, int nu) const { return a[static_cast<std::size_t>(4 * mu + nu)]; }
};
using LorentzTensor = BasicLorentzTensor<cplx>;

/// The metric g^{mu nu} = diag(1, -1, -1, -1) as a complex 4x4 array indexed 0..3.
struct MetricTensor {
    std::array<std::array<cplx, 4>, 4> g{};

    constexpr const cplx& operator()(int mu, int nu) const {
        return g[static_cast<std::size_t>(mu)][static_cast<std::size_t>(nu)];
    }
};

/// The vectors of the three photon polarizations side by side (the spare lane zero).
inline BasicFourVector<Lanes> side_by_side(const FourVector& a, const FourVector& b, const FourVector& c) {
    BasicFourVector<Lanes> v;
    for (int mu = 0; mu < 4; ++mu) {
        v[mu].set(0, a[mu]);
        v[mu].set(1, b[mu]);
        v[mu].set(2, c[mu]);
    }
    return v;
}

// ---- constant objects ------------------------------------------------------------------------

/// gamma^i for i = 0..3, gamma5 for i = 5, the zero matrix for any other i.
DiracMatrix get_gamma(int i);
/// The 4x4 unit matrix.
DiracMatrix get_id();
/// The metric diag(1, -1, -1, -1).
MetricTensor get_guv();
/// Column i of the metric: (1,0,0,0), (0,-1,0,0), (0,0,-1,0), (0,0,0,-1); the zero vector for other i.
FourVector get_iv(int i);
/// m times the unit matrix.
DiracMatrix mass_matrix(double m);

// ---- four-vector operations ------------------------------------------------------------------

/// Minkowski product v.g = v0 g0 - v1 g1 - v2 g2 - v3 g3, without conjugation.
template <class A, class B>
inline product_t<A, B> v_dot_v(const BasicFourVector<A>& v, const BasicFourVector<B>& g) {
    return v[0] * g[0] - v[1] * g[1] - v[2] * g[2] - v[3] * g[3];
}
/// The same vector with its index moved by the metric: (v0, -v1, -v2, -v3).
template <class C>
inline BasicFourVector<C> contra_vector(const BasicFourVector<C>& v) {
    return {{v[0], -v[1], -v[2], -v[3]}};
}
/// Slash v-slash = v0 gamma0 - v1 gamma1 - v2 gamma2 - v3 gamma3.
template <class C>
inline BasicDiracMatrix<C> sl(const BasicFourVector<C>& v) {
    // v0 g0 - v1 g1 - v2 g2 - v3 g3 written out entry by entry (inline: the amplitudes build many per point)
    constexpr cplx i{0.0, 1.0};
    BasicDiracMatrix<C> s;
    s(0, 0) = v[0];
    s(1, 1) = v[0];
    s(2, 2) = -v[0];
    s(3, 3) = -v[0];
    s(0, 2) = -v[3];
    s(1, 3) = v[3];
    s(2, 0) = v[3];
    s(3, 1) = -v[3];
    s(0, 3) = -v[1] + i * v[2];
    s(1, 2) = -v[1] - i * v[2];
    s(2, 1) = v[1] - i * v[2];
    s(3, 0) = v[1] + i * v[2];
    return s;
}
/// Sum_mu x^mu gamma^mu without index lowering, i.e. sl(contra_vector(x)); contracts a covariant x.
DiracMatrix gamma_dot(const FourVector& x);
/// Levi-Civita contraction eps(i,j,k,l) x1(i) x2(j) x3(k) x4(l), eps(0,1,2,3) = +1, components as stored.
cplx lce1(const FourVector& x1, const FourVector& x2, const FourVector& x3, const FourVector& x4);
/// The vector e^l = eps(i,j,k,l) x1(i) x2(j) x3(k): lce1(x1, x2, x3, y) = sum_l e^l y(l).
template <class A>
BasicFourVector<A> lce1_vector(const BasicFourVector<A>& x1, const FourVector& x2, const FourVector& x3);

// ---- spinor and matrix operations ------------------------------------------------------------

/// Dirac adjoint u-bar = u^dagger gamma0 = (conj u1, conj u2, -conj u3, -conj u4).
inline DiracSpinor ub(const DiracSpinor& u) {
    return {{std::conj(u[0]), std::conj(u[1]), -std::conj(u[2]), -std::conj(u[3])}};
}
/// Sum_i v1(i) v2(i), no conjugation.
template <class A, class B>
inline product_t<A, B> vxv(const BasicDiracSpinor<A>& v1, const BasicDiracSpinor<B>& v2) {
    return v1[0] * v2[0] + v1[1] * v2[1] + v1[2] * v2[2] + v1[3] * v2[3];
}
/// Row spinor times matrix: z(j) = Sum_k v(k) m(k, j).
template <class A, class B>
inline BasicDiracSpinor<product_t<A, B>> vxm(const BasicDiracSpinor<A>& v, const BasicDiracMatrix<B>& m) {
    BasicDiracSpinor<product_t<A, B>> z;
    for (int j = 0; j < 4; ++j) z[j] = v[0] * m(0, j) + v[1] * m(1, j) + v[2] * m(2, j) + v[3] * m(3, j);
    return z;
}
/// Sandwich uf . g . ui (uf an adjoint spinor).
cplx spinor_uxgxu(const DiracSpinor& uf, const DiracMatrix& g, const DiracSpinor& ui);
/// Matrix product m1 . m2.
inline DiracMatrix mxm(const DiracMatrix& m1, const DiracMatrix& m2) { return m1 * m2; }
/// Commutator m1 m2 - m2 m1.
inline DiracMatrix commutator(const DiracMatrix& m1, const DiracMatrix& m2) { return m1 * m2 - m2 * m1; }
/// u2b . (vvnn . n_pro . vgnn) . u1: the three-vertex sandwich of the nucleon pole terms.
cplx c3_m(const DiracSpinor& u2b, const DiracMatrix& vvnn, const DiracMatrix& n_pro, const DiracMatrix& vgnn,
          const DiracSpinor& u1);

}  // namespace kavrin
