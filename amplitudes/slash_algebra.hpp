// Closed forms of a few Dirac-matrix products that the vertex and amplitude routines need many times per
// scan point: the commutator of two slashes and multiplication by gamma5. Internal to amplitudes/.
//
// In the Dirac representation a-slash = [[a0, -A], [A, -a0]] with A = a.sigma (2x2 blocks), so
//   [a-slash, b-slash] = [[-[A, B], 2(b0 A - a0 B)], [2(b0 A - a0 B), -[A, B]]],  [A, B] = 2i (a x b).sigma,
// bilinear in the complex components (no conjugation), a and b contravariant as stored.
#pragma once

#include "kernel/dirac.hpp"

namespace kavrin::detail {

/// v-slash (kavrin::sl, inline).
template <class C>
inline BasicDiracMatrix<C> slash(const BasicFourVector<C>& v) { return sl(v); }

/// gamma_dot(x) = slash(contra_vector(x)), inline.
template <class C>
inline BasicDiracMatrix<C> slash_of_lowered(const BasicFourVector<C>& x) { return slash(contra_vector(x)); }

/// The 2x2 block x.sigma = [[x3, x1 - i x2], [x1 + i x2, -x3]] written into rows r0, r0+1 and columns c0, c0+1.
template <class C>
inline void put_sigma_block(BasicDiracMatrix<C>& m, int r0, int c0, const C& x1, const C& x2, const C& x3) {
    constexpr cplx I{0.0, 1.0};
    m(r0, c0) = x3;
    m(r0, c0 + 1) = x1 - I * x2;
    m(r0 + 1, c0) = x1 + I * x2;
    m(r0 + 1, c0 + 1) = -x3;
}

/// [a-slash, b-slash] = a-slash b-slash - b-slash a-slash.
template <class A, class B>
inline BasicDiracMatrix<product_t<A, B>> slash_commutator(const BasicFourVector<A>& a, const BasicFourVector<B>& b) {
    using C = product_t<A, B>;
    constexpr cplx I{0.0, 1.0};
    // diagonal blocks: -2i (a x b).sigma
    const C d1 = -2.0 * I * (a[2] * b[3] - a[3] * b[2]);
    const C d2 = -2.0 * I * (a[3] * b[1] - a[1] * b[3]);
    const C d3 = -2.0 * I * (a[1] * b[2] - a[2] * b[1]);
    // off-diagonal blocks: 2 (b0 a - a0 b).sigma
    const C e1 = 2.0 * (b[0] * a[1] - a[0] * b[1]);
    const C e2 = 2.0 * (b[0] * a[2] - a[0] * b[2]);
    const C e3 = 2.0 * (b[0] * a[3] - a[0] * b[3]);
    BasicDiracMatrix<C> m;
    put_sigma_block(m, 0, 0, d1, d2, d3);
    put_sigma_block(m, 2, 2, d1, d2, d3);
    put_sigma_block(m, 0, 2, e1, e2, e3);
    put_sigma_block(m, 2, 0, e1, e2, e3);
    return m;
}

/// m . gamma5: gamma5 swaps the upper and lower column pairs, (m gamma5)(r, c) = m(r, c xor 2).
template <class C>
inline BasicDiracMatrix<C> times_gamma5(const BasicDiracMatrix<C>& m) {
    BasicDiracMatrix<C> z;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) z(r, c) = m(r, c ^ 2);
    return z;
}

/// gamma5 . m: gamma5 swaps the upper and lower row pairs, (gamma5 m)(r, c) = m(r xor 2, c).
template <class C>
inline BasicDiracMatrix<C> gamma5_times(const BasicDiracMatrix<C>& m) {
    BasicDiracMatrix<C> z;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) z(r, c) = m(r ^ 2, c);
    return z;
}

/// Whether m is c gamma5 for some c: every entry off the pattern (r, r xor 2) is exactly zero.
inline bool gamma5_pattern(const DiracMatrix& m) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (c != (r ^ 2) && m(r, c) != cplx(0.0)) return false;
    return true;
}

/// g . m for g = c gamma5 (gamma5_pattern): the same numbers as the full product g * m. Each row of the product
/// sums, from +0, four terms of which three multiply an exact zero of g; with m finite they are zeros, which a
/// sum that starts at +0 (and so is never -0) cannot notice, and only the fourth is computed. Anything else
/// takes the full product.
inline DiracMatrix gamma5_like_times(const DiracMatrix& g, const DiracMatrix& m) {
    if (!gamma5_pattern(g) || !is_finite(m)) return g * m;
    DiracMatrix z;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            cplx s = 0.0;
            s += g(r, r ^ 2) * m(r ^ 2, c);
            z(r, c) = s;
        }
    return z;
}

/// m . g for g = c gamma5: the same numbers as m * g, as gamma5_like_times.
inline DiracMatrix times_gamma5_like(const DiracMatrix& m, const DiracMatrix& g) {
    if (!gamma5_pattern(g) || !is_finite(m)) return m * g;
    DiracMatrix z;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            cplx s = 0.0;
            s += m(r, c ^ 2) * g(c ^ 2, c);
            z(r, c) = s;
        }
    return z;
}

}  // namespace kavrin::detail
