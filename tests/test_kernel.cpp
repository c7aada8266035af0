// Dirac algebra, kinematics and wave functions: the identities every amplitude rests on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "amplitudes/slash_algebra.hpp"
#include "kernel/constants.hpp"
#include "kernel/dirac.hpp"
#include "kinematics/kinematics.hpp"
#include "kinematics/wave_functions.hpp"

using namespace kavrin;

namespace {

void expect_matrix_near(const DiracMatrix& a, const DiracMatrix& b, double tol = 1e-14) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(a(r, c).real(), b(r, c).real(), tol) << "element " << r << "," << c;
            EXPECT_NEAR(a(r, c).imag(), b(r, c).imag(), tol) << "element " << r << "," << c;
        }
}

DiracMatrix zero_matrix() { return DiracMatrix{}; }

}  // namespace

TEST(DiracAlgebra, CliffordAnticommutatorIsTwiceTheMetric) {
    const MetricTensor g = get_guv();
    for (int mu = 0; mu < 4; ++mu)
        for (int nu = 0; nu < 4; ++nu) {
            const DiracMatrix anti = get_gamma(mu) * get_gamma(nu) + get_gamma(nu) * get_gamma(mu);
            expect_matrix_near(anti, (2.0 * g(mu, nu)) * get_id());
        }
}

TEST(DiracAlgebra, Gamma5AnticommutesSquaresToOneAndIsIGamma0123) {
    const DiracMatrix g5 = get_gamma(5);
    for (int mu = 0; mu < 4; ++mu) expect_matrix_near(g5 * get_gamma(mu) + get_gamma(mu) * g5, zero_matrix());
    expect_matrix_near(g5 * g5, get_id());
    const DiracMatrix prod = cplx(0, 1) * (get_gamma(0) * get_gamma(1) * get_gamma(2) * get_gamma(3));
    expect_matrix_near(prod, g5);
}

TEST(DiracAlgebra, OutOfRangeIndicesGiveZeros) {
    expect_matrix_near(get_gamma(4), zero_matrix(), 0.0);
    expect_matrix_near(get_gamma(-1), zero_matrix(), 0.0);
    const FourVector z = get_iv(4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(z[i], cplx(0.0));
    const FourVector v2 = get_iv(2);
    EXPECT_EQ(v2[2], cplx(-1.0));
    EXPECT_EQ(v2[0], cplx(0.0));
}

TEST(DiracAlgebra, SlashSquaredIsTheInvariantMass) {
    const FourVector p = set_momentum(5.0, 1.0, -2.0, 3.0);
    expect_matrix_near(sl(p) * sl(p), v_dot_v(p, p) * get_id(), 1e-13);
    // sl agrees with the definition p0 g0 - p1 g1 - p2 g2 - p3 g3 for complex components
    const FourVector e{{cplx(0.3, 0.1), cplx(-1, 2), cplx(0.5, -0.7), cplx(2, 0.25)}};
    DiracMatrix def = e[0] * get_gamma(0) - e[1] * get_gamma(1) - e[2] * get_gamma(2) - e[3] * get_gamma(3);
    expect_matrix_near(sl(e), def);
    expect_matrix_near(gamma_dot(e), e[0] * get_gamma(0) + e[1] * get_gamma(1) + e[2] * get_gamma(2) +
                                         e[3] * get_gamma(3));
}

TEST(FourVectors, ProductHasNoConjugationAndLoweringIsAnInvolution) {
    EXPECT_EQ(v_dot_v(set_momentum(5, 0, 0, 3), set_momentum(5, 0, 0, 3)), cplx(16.0));
    const FourVector circ{{0.0, 1.0, cplx(0, 1), 0.0}};
    EXPECT_EQ(v_dot_v(circ, circ), cplx(0.0));
    const FourVector v{{cplx(1, 2), cplx(3, 4), cplx(5, 6), cplx(7, 8)}};
    const FourVector back = contra_vector(contra_vector(v));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(back[i], v[i]);
}

TEST(LeviCivita, UnitVectorsAntisymmetryAndRepeatedArguments) {
    const FourVector e0 = set_momentum(1, 0, 0, 0), e1 = set_momentum(0, 1, 0, 0), e2 = set_momentum(0, 0, 1, 0),
                     e3 = set_momentum(0, 0, 0, 1);
    EXPECT_EQ(lce1(e0, e1, e2, e3), cplx(1.0));
    EXPECT_EQ(lce1(e1, e0, e2, e3), cplx(-1.0));
    EXPECT_EQ(lce1(e0, e2, e1, e3), cplx(-1.0));
    EXPECT_EQ(lce1(e3, e1, e2, e0), cplx(-1.0));
    const FourVector a{{cplx(1, 2), cplx(-3, 1), cplx(0.5, 0), cplx(2, -1)}};
    const FourVector b{{cplx(0, 1), cplx(2, 2), cplx(-1, 0.5), cplx(3, 0)}};
    const FourVector c = set_momentum(7, -1, 4, 2);
    EXPECT_EQ(lce1(a, a, b, c), cplx(0.0));
    const cplx abce0 = lce1(a, b, c, e0);
    EXPECT_NEAR(std::abs(lce1(b, a, c, e0) + abce0), 0.0, 1e-12);
    // the vector form contracts the last slot
    const FourVector v = lce1_vector(a, b, c);
    const FourVector d{{cplx(0.2, 0.1), cplx(-1, 0), cplx(0, 3), cplx(1, 1)}};
    const cplx direct = lce1(a, b, c, d);
    const cplx via = v[0] * d[0] + v[1] * d[1] + v[2] * d[2] + v[3] * d[3];
    EXPECT_NEAR(std::abs(direct - via), 0.0, 1e-12);
    // against the literal 256-term sum with the integer formula for the symbol
    cplx literal = 0.0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                for (int l = 0; l < 4; ++l) {
                    const int eps = (j - i) * (k - i) * (l - i) * (k - j) * (l - j) * (l - k) / 12;
                    literal += double(eps) * a[i] * b[j] * c[k] * d[l];
                }
    EXPECT_NEAR(std::abs(direct - literal), 0.0, 1e-12);
}

TEST(DiracAlgebra, CommutatorAdjointAndSandwich) {
    expect_matrix_near(commutator(get_gamma(0), get_gamma(0)), zero_matrix(), 0.0);
    const DiracMatrix m = sl(set_momentum(1, 2, 3, 4));
    expect_matrix_near(commutator(m, m), zero_matrix(), 0.0);
    const DiracSpinor u{{1.0, 0.0, cplx(2, 3), cplx(-1, 5)}};
    const DiracSpinor b = ub(u);
    EXPECT_EQ(b[0], cplx(1.0));
    EXPECT_EQ(b[2], cplx(-2, 3));
    EXPECT_EQ(b[3], cplx(1, 5));
    const DiracSpinor w{{cplx(0.5, 1), 2.0, cplx(0, -1), 3.0}};
    EXPECT_EQ(spinor_uxgxu(b, get_id(), w), vxv(b, w));
    // c3_m multiplies left to right
    const DiracMatrix a1 = sl(set_momentum(1, 0, 2, 0)), a2 = get_gamma(5), a3 = sl(set_momentum(0, 1, 0, 3));
    EXPECT_NEAR(std::abs(c3_m(b, a1, a2, a3, w) - spinor_uxgxu(b, a1 * (a2 * a3), w)), 0.0, 1e-12);
}

TEST(Kinematics, WorkedExampleAtTwoGeV) {
    // W = 2 GeV, pi+ n: t range at the real-photon point and at Q^2 = 1 GeV^2 (MeV units)
    const TRange r0 = kinematics(2000, 0, 938.272, 939.565, 139.57);
    EXPECT_NEAR(r0.t_max, -50.015, 1e-3);
    EXPECT_NEAR(r0.t_min, -2407336.51, 1e-2);
    const TRange r1 = kinematics(2000, 1e6, 938.272, 939.565, 139.57);
    EXPECT_NEAR(r1.t_max, -65003.08, 1e-2);
    EXPECT_NEAR(r1.t_min, -3558209.10, 1e-2);
    const CmFrame f = CmFrame::make(2000, 1e6, 938.272, 939.565, 139.57);
    EXPECT_NEAR(f.e_k1, 529.9114, 1e-4);
    EXPECT_NEAR(f.k, 1131.7270, 1e-4);
    EXPECT_NEAR(f.p, 771.6538, 1e-4);
}

TEST(Kinematics, MomentumConservationAndThreshold) {
    const CmFrame f = CmFrame::make(2000, 1e6, 938.272, 939.565, 139.57);
    const Momenta m = f.momenta(0.7);
    const FourVector in = m.k1 + m.p1, out = m.k2 + m.p2;
    EXPECT_NEAR(in[0].real(), 2000.0, 1e-9);
    for (int i = 1; i < 4; ++i) EXPECT_NEAR(std::abs(in[i]) + std::abs(out[i]), 0.0, 1e-9);
    EXPECT_NEAR(out[0].real(), 2000.0, 1e-9);
    EXPECT_NEAR(v_dot_v(m.k1, m.k1).real(), -1e6, 1e-6);
    EXPECT_GE(m.k2[1].real(), 0.0);
    // threshold: no meson momentum, a single t
    const TRange r = kinematics(939.565 + 139.57, 1e5, 938.272, 939.565, 139.57);
    EXPECT_NEAR(r.t_max - r.t_min, 0.0, 0.1);
    EXPECT_EQ(set_momentum(1, 2, 3, 4)[3], cplx(4.0, 0.0));
}

TEST(Spinors, RestFrameNormalizationOrthogonality) {
    const FourVector rest = set_momentum(938.272, 0, 0, 0);
    const DiracSpinor up = z_spinor(rest, 938.272, 1), down = z_spinor(rest, 938.272, 2);
    EXPECT_EQ(up[0], cplx(1.0));
    EXPECT_EQ(up[2], cplx(0.0));
    EXPECT_EQ(down[1], cplx(1.0));
    const double m = 939.565;
    const FourVector p = set_momentum(std::sqrt(m * m + 300 * 300 + 200 * 200 + 500 * 500), 300, -200, 500);
    for (int i = 1; i <= 2; ++i) {
        const DiracSpinor u = z_spinor(p, m, i);
        EXPECT_NEAR(std::abs(vxv(ub(u), u) - 1.0), 0.0, 1e-14);
        // (p-slash - m) u = 0
        const DiracMatrix d = sl(p) - mass_matrix(m);
        for (int r = 0; r < 4; ++r) {
            cplx s = 0;
            for (int c = 0; c < 4; ++c) s += d(r, c) * u[c];
            EXPECT_NEAR(std::abs(s), 0.0, 1e-10);
        }
    }
    EXPECT_NEAR(std::abs(vxv(ub(z_spinor(p, m, 1)), z_spinor(p, m, 2))), 0.0, 1e-14);
    // along +z: spin up has no fourth component, spin down no third
    const FourVector pz = set_momentum(std::sqrt(m * m + 400 * 400), 0, 0, 400);
    EXPECT_EQ(z_spinor(pz, m, 1)[3], cplx(0.0));
    EXPECT_EQ(z_spinor(pz, m, 2)[2], cplx(0.0));
}

TEST(PhotonPolarization, LongitudinalAndCircularVectors) {
    const FourVector l = photon_circular(3.0, 16.0, 2);
    EXPECT_DOUBLE_EQ(l[0].real(), 1.25);
    EXPECT_DOUBLE_EQ(l[3].real(), 0.75);
    EXPECT_NEAR(std::abs(v_dot_v(l, l) - 1.0), 0.0, 1e-15);
    EXPECT_NEAR(std::abs(v_dot_v(l, set_momentum(3, 0, 0, 5))), 0.0, 1e-15);
    const FourVector p = photon_circular(500, 1e6, 1), m = photon_circular(500, 1e6, 3);
    EXPECT_EQ(p[0], cplx(0.0));
    EXPECT_EQ(p[3], cplx(0.0));
    EXPECT_EQ(p[1], cplx(-0.7071067690849304));
    EXPECT_EQ(p[2], cplx(0.0, -0.7071067932881648));
    EXPECT_EQ(m[1], cplx(0.7071067690849304));
    EXPECT_EQ(m[2], p[2]);
}

TEST(Constants, SinglePrecisionValuesAreTheWidenedOnes) {
    EXPECT_EQ(pi_single, 3.1415927410125732);
    EXPECT_EQ(sqrt2_single, 1.4142135381698608);
    EXPECT_EQ(hbarc2_mev2_mb, 389379.34375);
}

namespace {

bool same_bits(const DiracMatrix& a, const DiracMatrix& b) {
    return std::memcmp(a.a.data(), b.a.data(), sizeof(cplx) * 16) == 0;
}

// A matrix of assorted finite entries, signed zeros included.
DiracMatrix assorted(double seed) {
    DiracMatrix m;
    for (std::size_t i = 0; i < 16; ++i) {
        const double x = std::sin(seed * static_cast<double>(i + 1)) * std::pow(10.0, static_cast<double>(i % 7) - 3.0);
        m.a[i] = i % 5 == 0 ? cplx(-0.0, 0.0) : cplx(x, i % 3 == 0 ? -x / 7.0 : 0.0);
    }
    return m;
}

}  // namespace

// The shortcuts of the amplitude routines give the numbers of the plain forms bit for bit: the inline slash, and
// the products with c gamma5 that keep only the term per entry that does not multiply a zero of c gamma5 (and
// take the full product when the other factor is not finite or the matrix is not of the form c gamma5).
TEST(DiracAlgebra, ShortcutsOfTheAmplitudeRoutinesGiveThePlainFormsBitForBit) {
    const FourVector v{{cplx(938.3, 0.0), cplx(-0.0, 0.0), cplx(120.5, -3.25), cplx(1.0e-7, 0.0)}};
    EXPECT_TRUE(same_bits(detail::slash(v), sl(v)));
    EXPECT_TRUE(same_bits(detail::slash_of_lowered(v), gamma_dot(v)));
    for (const double gpnn : {13.4, -13.4}) {
        const DiracMatrix g5 = cplx(gpnn) * get_gamma(5);
        for (const double seed : {0.3, 1.7, 2.9}) {
            const DiracMatrix m = assorted(seed);
            EXPECT_TRUE(same_bits(detail::gamma5_like_times(g5, m), g5 * m)) << gpnn << " " << seed;
            EXPECT_TRUE(same_bits(detail::times_gamma5_like(m, g5), m * g5)) << gpnn << " " << seed;
        }
    }
    // an infinite entry: 0 times it is NaN, which the full product keeps
    const DiracMatrix g5 = cplx(13.4) * get_gamma(5);
    DiracMatrix inf = assorted(0.3);
    inf(1, 2) = cplx(std::numeric_limits<double>::infinity(), 0.0);
    const auto nan_pattern = [](const DiracMatrix& m) {
        unsigned bits = 0;
        for (std::size_t i = 0; i < 16; ++i)
            if (std::isnan(m.a[i].real()) || std::isnan(m.a[i].imag())) bits |= 1u << i;
        return bits;
    };
    EXPECT_NE(nan_pattern(inf * g5), 0u);
    EXPECT_EQ(nan_pattern(detail::times_gamma5_like(inf, g5)), nan_pattern(inf * g5));
    EXPECT_NE(nan_pattern(g5 * inf), 0u);
    EXPECT_EQ(nan_pattern(detail::gamma5_like_times(g5, inf)), nan_pattern(g5 * inf));
    // not of the form c gamma5: the full product
    DiracMatrix other = g5;
    other(0, 0) = cplx(2.0, 0.0);
    EXPECT_TRUE(same_bits(detail::gamma5_like_times(other, assorted(1.7)), other * assorted(1.7)));
}

// Each slot of Lanes holds exactly what the std::complex operation of the same operand types gives: signs of
// zeros, infinities, subnormals and the rounding of every product included.
TEST(Lanes, EverySlotIsTheScalarOperationBitForBit) {
    const double inf = std::numeric_limits<double>::infinity(), tiny = std::numeric_limits<double>::denorm_min();
    const cplx values[] = {{0.0, 0.0}, {-0.0, 0.0}, {0.0, -0.0}, {-0.0, -0.0}, {1.0, -0.0}, {-2.5, 3.25},
                           {1e300, -1e-300}, {tiny, -7.0}, {inf, 1.0}, {0.1, 0.7}, {-3.0, inf}, {5.5e-17, -1e16}};
    const auto same = [](cplx a, cplx b) {
        const auto bits_equal = [](double x, double y) {
            return std::isnan(x) ? std::isnan(y) : std::memcmp(&x, &y, 8) == 0;
        };
        return bits_equal(a.real(), b.real()) && bits_equal(a.imag(), b.imag());
    };
    for (const cplx a : values)
        for (const cplx b : values) {
            Lanes la, lb;  // a and b in slot 1, something else around them
            for (std::size_t i = 0; i < Lanes::n; ++i) {
                la.set(i, cplx(double(i), 1.0));
                lb.set(i, cplx(2.0, -double(i)));
            }
            la.set(1, a);
            lb.set(1, b);
            const double x = b.real();
            const std::pair<cplx, cplx> checks[] = {
                {(la + lb)[1], a + b},   {(la - lb)[1], a - b},   {(la * lb)[1], a * b},   {(la + b)[1], a + b},
                {(b + la)[1], b + a},    {(la - b)[1], a - b},    {(b - la)[1], b - a},    {(la * b)[1], a * b},
                {(b * la)[1], b * a},    {(la + x)[1], a + x},    {(x + la)[1], x + a},    {(la - x)[1], a - x},
                {(x - la)[1], x - a},    {(la * x)[1], a * x},    {(x * la)[1], x * a},    {(la / x)[1], a / x},
                {(la / b)[1], a / b},    {(-la)[1], -a},
            };
            for (std::size_t k = 0; k < std::size(checks); ++k)
                EXPECT_TRUE(same(checks[k].first, checks[k].second))
                    << "operation " << k << " on " << a << " and " << b << ": " << checks[k].first << " vs "
                    << checks[k].second;
        }
    EXPECT_TRUE(same(Lanes(cplx(-0.0, 2.0))[3], cplx(-0.0, 2.0)));
    EXPECT_TRUE(same(Lanes()[2], cplx(0.0, 0.0)));
}

// The checks on the bits of many complex parts at once, four by four: one odd part, in any place, decides.
TEST(ComplexParts, ZeroNanAndFiniteChecksFindOnePartAnywhere) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const double big = std::numeric_limits<double>::max(), tiny = std::numeric_limits<double>::denorm_min();
    std::array<cplx, 16> a{};
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = cplx(-1.5 - double(i), big / double(i + 1));
    EXPECT_TRUE(all_parts_finite(a));
    EXPECT_FALSE(zero_or_nan_part(a));
    for (std::size_t i : {std::size_t{0}, std::size_t{7}, std::size_t{15}})
        for (bool imag : {false, true}) {
            const auto with = [&](double x) {
                std::array<cplx, 16> b = a;
                b[i] = imag ? cplx(b[i].real(), x) : cplx(x, b[i].imag());
                return b;
            };
            for (double x : {0.0, -0.0, nan, -nan}) EXPECT_TRUE(zero_or_nan_part(with(x))) << x << " at " << i;
            for (double x : {inf, -inf, tiny, -tiny, big}) EXPECT_FALSE(zero_or_nan_part(with(x))) << x << " at " << i;
            for (double x : {inf, -inf, nan, -nan}) EXPECT_FALSE(all_parts_finite(with(x))) << x << " at " << i;
            for (double x : {0.0, -0.0, tiny, -big}) EXPECT_TRUE(all_parts_finite(with(x))) << x << " at " << i;
        }
}
