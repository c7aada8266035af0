#include "kernel/dirac.hpp"

#include <type_traits>
#include <utility>

namespace kavrin {

namespace {

constexpr cplx I{0.0, 1.0};

// The 24 non-zero entries of the Levi-Civita symbol, in the order of four nested loops over (i, j, k, l)
// with i outermost, each with its sign.
struct LeviCivitaEntry {
    int i, j, k, l, sign;
};

constexpr std::array<LeviCivitaEntry, 24> make_levi_civita() {
    std::array<LeviCivitaEntry, 24> t{};
    std::size_t n = 0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                for (int l = 0; l < 4; ++l) {
                    const int e = (j - i) * (k - i) * (l - i) * (k - j) * (l - j) * (l - k) / 12;
                    if (e != 0) t[n++] = {i, j, k, l, e};
                }
    return t;
}

constexpr auto kLeviCivita = make_levi_civita();

}  // namespace

DiracMatrix get_gamma(int i) {
    DiracMatrix g;
    switch (i) {
        case 0:
            g(0, 0) = 1.0; g(1, 1) = 1.0; g(2, 2) = -1.0; g(3, 3) = -1.0;
            break;
        case 1:
            g(0, 3) = 1.0; g(1, 2) = 1.0; g(2, 1) = -1.0; g(3, 0) = -1.0;
            break;
        case 2:
            g(0, 3) = -I; g(1, 2) = I; g(2, 1) = I; g(3, 0) = -I;
            break;
        case 3:
            g(0, 2) = 1.0; g(1, 3) = -1.0; g(2, 0) = -1.0; g(3, 1) = 1.0;
            break;
        case 5:
            g(0, 2) = 1.0; g(1, 3) = 1.0; g(2, 0) = 1.0; g(3, 1) = 1.0;
            break;
        default:
            break;
    }
    return g;
}

DiracMatrix get_id() { return mass_matrix(1.0); }

MetricTensor get_guv() {
    MetricTensor m;
    m.g[0][0] = 1.0;
    m.g[1][1] = -1.0;
    m.g[2][2] = -1.0;
    m.g[3][3] = -1.0;
    return m;
}

FourVector get_iv(int i) {
    FourVector v;
    if (i == 0) v[0] = 1.0;
    if (i >= 1 && i <= 3) v[i] = -1.0;
    return v;
}

DiracMatrix mass_matrix(double m) {
    DiracMatrix x;
    for (int i = 0; i < 4; ++i) x(i, i) = m;
    return x;
}

DiracMatrix gamma_dot(const FourVector& x) { return sl(contra_vector(x)); }

namespace {

// The sums over the 24 entries, written out at compile time (constant indices, nothing looked up), each
// term added in table order as the loop over the table would.
template <std::size_t... n>
cplx lce1_terms(const FourVector& x1, const FourVector& x2, const FourVector& x3, const FourVector& x4,
                std::index_sequence<n...>) {
    cplx lev1 = 0.0;
    const auto add = [&](auto e) {
        constexpr LeviCivitaEntry c = kLeviCivita[decltype(e)::value];
        const cplx term = x1[c.i] * x2[c.j] * x3[c.k] * x4[c.l];
        if constexpr (c.sign > 0)
            lev1 += term;
        else
            lev1 += -term;
    };
    (add(std::integral_constant<std::size_t, n>{}), ...);
    return lev1;
}

template <class A, std::size_t... n>
BasicFourVector<A> lce1_vector_terms(const BasicFourVector<A>& x1, const FourVector& x2, const FourVector& x3,
                                     std::index_sequence<n...>) {
    BasicFourVector<A> v;
    const auto add = [&](auto e) {
        constexpr LeviCivitaEntry c = kLeviCivita[decltype(e)::value];
        const A term = x1[c.i] * x2[c.j] * x3[c.k];
        if constexpr (c.sign > 0)
            v[c.l] += term;
        else
            v[c.l] += -term;
    };
    (add(std::integral_constant<std::size_t, n>{}), ...);
    return v;
}

}  // namespace

cplx lce1(const FourVector& x1, const FourVector& x2, const FourVector& x3, const FourVector& x4) {
    return lce1_terms(x1, x2, x3, x4, std::make_index_sequence<kLeviCivita.size()>{});
}

template <class A>
BasicFourVector<A> lce1_vector(const BasicFourVector<A>& x1, const FourVector& x2, const FourVector& x3) {
    return lce1_vector_terms(x1, x2, x3, std::make_index_sequence<kLeviCivita.size()>{});
}
template FourVector lce1_vector(const FourVector&, const FourVector&, const FourVector&);
template BasicFourVector<Lanes> lce1_vector(const BasicFourVector<Lanes>&, const FourVector&, const FourVector&);

cplx spinor_uxgxu(const DiracSpinor& uf, const DiracMatrix& g, const DiracSpinor& ui) {
    return vxv(vxm(uf, g), ui);
}

cplx c3_m(const DiracSpinor& u2b, const DiracMatrix& vvnn, const DiracMatrix& n_pro, const DiracMatrix& vgnn,
          const DiracSpinor& u1) {
    return spinor_uxgxu(u2b, (vvnn * n_pro) * vgnn, u1);
}

}  // namespace kavrin
