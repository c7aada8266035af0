// Regge propagators: worked values, the poles of the trajectory, the rescaled variant and the reflection form.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "propagators/regge.hpp"

using namespace kavrin;

namespace {

// With m = 0 and t = 1 MeV^2 the pole factor t - m^2 is 1, so ff is the propagator P itself.
cplx propagator(int ispin, double slope, double traj, cplx phase, cplx s) {
    return regge_ff(ispin, slope, traj, phase, 0.0, s, cplx(1.0, 0.0));
}

void expect_exact_zero(cplx v) {
    EXPECT_EQ(v.real(), 0.0);
    EXPECT_EQ(v.imag(), 0.0);
}

void expect_rel_near(cplx a, cplx b, double rel) {
    const double scale = std::abs(b);
    EXPECT_NEAR(a.real(), b.real(), rel * scale);
    EXPECT_NEAR(a.imag(), b.imag(), rel * scale);
}

}  // namespace

TEST(ReggePropagator, RhoLikeVectorExchangeAtHalfIntercept) {
    // J = 1, alpha = 0.5, alpha' = 0.8 GeV^-2, s = 4 GeV^2, t = -0.2 GeV^2, m = 775 MeV:
    // P = 0.8e-6 * 4^-0.5 * Gamma(0.5) = 0.70898154e-6 and ff = (-2e5 - 600625) P = -0.56762835.
    const cplx ff = regge_ff(1, 0.8e-6, 0.5, cplx(1.0, 0.0), 775.0, cplx(4.0e6, 0.0), cplx(-2.0e5, 0.0));
    EXPECT_NEAR(ff.real(), -0.56762835, 1e-8);
    EXPECT_EQ(ff.imag(), 0.0);
    const double p = 0.8e-6 * 0.5 * std::sqrt(std::numbers::pi);
    EXPECT_NEAR(p, 0.70898154e-6, 1e-14);
    EXPECT_NEAR(ff.real(), (-2.0e5 - 775.0 * 775.0) * p, 1e-14);
}

TEST(ReggePropagator, PionLikeExchangeBelowZeroIntercept) {
    // J = 0, alpha = -0.5, alpha' = 0.7 GeV^-2, s = s0: P = 0.7e-6 * Gamma(1.5) / (-0.5) = -1.2407177e-6.
    const cplx p = propagator(0, 0.7e-6, -0.5, cplx(1.0, 0.0), cplx(1.0e6, 0.0));
    EXPECT_NEAR(p.real(), -1.2407177e-6, 1e-13);
    EXPECT_NEAR(p.real(), 0.7e-6 * 0.5 * std::sqrt(std::numbers::pi) / -0.5, 1e-20);
    EXPECT_EQ(p.imag(), 0.0);
}

TEST(ReggePropagator, PolesOfGammaAndOfTheScalarFormGiveZero) {
    const cplx s(4.0e6, 0.0);
    const cplx t(-2.0e5, 0.0);
    const cplx phases[] = {cplx(1.0, 0.0), cplx(-1.0, 0.0), cplx(-1.0, 0.3), cplx(0.5, -0.5)};
    for (const cplx phase : phases) {
        // Gamma(1 - alpha) is infinite at alpha = 1, 2, 3, ... for every lowest spin
        for (int ispin = 0; ispin <= 2; ++ispin)
            for (double traj : {1.0, 2.0, 3.0, 7.0}) {
                SCOPED_TRACE(testing::Message() << "ispin " << ispin << " traj " << traj);
                expect_exact_zero(propagator(ispin, 0.8e-6, traj, phase, s));
                expect_exact_zero(regge_ff(ispin, 0.8e-6, traj, phase, 775.0, s, t));
                expect_exact_zero(regge_ff_km(ispin, 0.8e-6, traj, phase, 775.0, s, t));
            }
        // the 1/alpha of the J = 0 form at alpha = 0
        expect_exact_zero(regge_ff(0, 0.7e-6, 0.0, phase, 139.57, s, t));
        expect_exact_zero(regge_ff_km(0, 0.7e-6, 0.0, phase, 139.57, s, t));
    }
}

TEST(ReggePropagator, VectorExchangeAtZeroInterceptIsFinite) {
    // J = 1, alpha = 0: Gamma(1) = 1, so P = slope * s0/s * phase.
    const cplx phase(-1.0, 0.3);
    const cplx s(4.0e6, 0.0);
    const cplx p = propagator(1, 0.8e-6, 0.0, phase, s);
    expect_rel_near(p, 0.8e-6 * (1.0e6 / 4.0e6) * phase, 1e-15);
    const cplx ff = regge_ff(1, 0.8e-6, 0.0, phase, 775.0, s, cplx(-2.0e5, 0.0));
    expect_rel_near(ff, (-2.0e5 - 775.0 * 775.0) * 0.8e-6 * 0.25 * phase, 1e-15);
}

TEST(ReggePropagator, CloseToAPoleThePropagatorIsLargeNotZero) {
    // only the pole itself is removed: just beside it the propagator grows like 1/(1 - alpha)
    const cplx s(4.0e6, 0.0);
    const cplx p1 = propagator(1, 0.8e-6, 1.0 - 1e-9, cplx(1.0, 0.0), s);  // ~ 0.8e-6 * 1e9
    EXPECT_NEAR(p1.real(), 800.0, 1e-3);
    const cplx p2 = propagator(2, 0.8e-6, 2.0 - 1e-9, cplx(1.0, 0.0), s);  // Gamma(-1 + 1e-9) ~ -1e9
    EXPECT_NEAR(p2.real(), -800.0, 1e-3);
    const cplx p0 = propagator(0, 0.7e-6, 1e-9, cplx(1.0, 0.0), s);
    EXPECT_NEAR(p0.real(), 0.7e-6 * 1e9, 0.7e-6 * 1e9 * 1e-6);
}

// The signature phase exp(-i pi alpha) is made with sine and cosine, and is the complex exponential's number bit
// for bit: over every exponent range, at the smallest normal number and below, at zeros, infinities and NaN.
TEST(SignatureFactor, UnitPhaseIsTheComplexExponentialBitForBit) {
    const auto same = [](double x, double y) { return std::isnan(x) ? std::isnan(y) : std::memcmp(&x, &y, 8) == 0; };
    const double tiny = std::numeric_limits<double>::min(), inf = std::numeric_limits<double>::infinity();
    std::vector<double> ys = {0.0,  -0.0,       tiny,          -tiny, std::nextafter(tiny, 0.0), tiny * 2.0,
                              1e-310, -4.9e-324, std::nextafter(tiny, 1.0), 1.0,  -2.9845130209103035, 1e22,
                              inf,  -inf,       std::numeric_limits<double>::quiet_NaN()};
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(1.0, 2.0);
    for (int e = -1030; e <= 80; ++e)
        for (int k = 0; k < 20; ++k) ys.push_back((k % 2 ? -1.0 : 1.0) * std::ldexp(mantissa(rng), e));
    for (double y : ys) {
        const cplx a = unit_phase(y), b = std::exp(cplx(0.0, y));
        EXPECT_TRUE(same(a.real(), b.real()) && same(a.imag(), b.imag())) << y << ": " << a << " vs " << b;
    }
}

TEST(ReggePropagator, AgreesWithTheReflectionFormOfTheReggePropagator) {
    // P = pi alpha' / (sin(pi alpha) Gamma(alpha + 1 - J)) (s/s0)^(alpha - J) phase
    const double slope = 0.85e-6;
    const cplx s(5.3e6, 0.0);
    const cplx phase = std::exp(cplx(0.0, -std::numbers::pi * 0.37));
    for (int ispin = 0; ispin <= 2; ++ispin)
        for (double traj : {-2.7, -0.8, -0.35, 0.37, 0.62, 1.45, 2.3}) {
            SCOPED_TRACE(testing::Message() << "ispin " << ispin << " traj " << traj);
            const double pw = std::pow(s.real() / 1.0e6, traj - ispin);
            const cplx expected = std::numbers::pi * slope /
                                  (std::sin(std::numbers::pi * traj) * std::tgamma(traj + 1.0 - ispin)) * pw * phase;
            expect_rel_near(propagator(ispin, slope, traj, phase, s), expected, 1e-12);
        }
}

TEST(ReggePropagator, PhaseEntersLinearlyAndPoleFactorCancelsAtTheMassShell) {
    const cplx s(3.1e6, 0.0);
    const double m = 1230.0;
    const cplx phase(0.3, -0.8);
    for (int ispin = 0; ispin <= 2; ++ispin) {
        const cplx unit = regge_ff(ispin, 0.9e-6, 0.41, cplx(1.0, 0.0), m, s, cplx(-4.0e5, 0.0));
        const cplx phased = regge_ff(ispin, 0.9e-6, 0.41, phase, m, s, cplx(-4.0e5, 0.0));
        expect_rel_near(phased, unit * phase, 1e-15);
        // t = m^2: the Feynman pole it replaces is cancelled, ff = 0 for a finite propagator
        expect_exact_zero(regge_ff(ispin, 0.9e-6, 0.41, phase, m, s, cplx(m * m, 0.0)));
        expect_exact_zero(regge_ff_km(ispin, 0.9e-6, 0.41, phase, m, s, cplx(m * m, 0.0)));
    }
}

TEST(ReggePropagatorKm, TensorExchangeIsTheUnscaledPropagator) {
    const cplx phase(-0.6, 0.2);
    for (double traj : {-0.4, 0.3, 0.55, 1.5})
        for (double s : {1.9e6, 4.0e6, 9.7e6}) {
            const cplx a = regge_ff_km(2, 0.9e-6, traj, phase, 1318.0, cplx(s, 0.0), cplx(-3.0e5, 0.0));
            const cplx b = regge_ff(2, 0.9e-6, traj, phase, 1318.0, cplx(s, 0.0), cplx(-3.0e5, 0.0));
            EXPECT_EQ(a, b);
        }
}

TEST(ReggePropagatorKm, ScalarAndVectorExchangesScaleTheEnergyBySinglePrecisionFactors) {
    // the base of the power is 0.74 s/s0 (J = 0) and 0.85 s/s0 (J = 1), with the single-precision factors
    const double f0 = 0.7400000095367432;
    const double f1 = 0.8500000238418579;
    EXPECT_EQ(f0, double(0.74f));
    EXPECT_EQ(f1, double(0.85f));
    const cplx phase(1.0, -0.25);
    const cplx t(-2.5e5, 0.0);
    for (double traj : {-0.6, -0.02, 0.35, 0.5})
        for (double s : {1.9e6, 4.0e6, 9.7e6}) {
            SCOPED_TRACE(testing::Message() << "traj " << traj << " s " << s);
            const cplx sc(s, 0.0);
            EXPECT_EQ(regge_ff_km(0, 0.74e-6, traj, phase, 139.57, sc, t),
                      regge_ff(0, 0.74e-6, traj, phase, 139.57, sc * f0, t));
            EXPECT_EQ(regge_ff_km(1, 0.85e-6, traj, phase, 775.0, sc, t),
                      regge_ff(1, 0.85e-6, traj, phase, 775.0, sc * f1, t));
            // and the rescaling is the power of the factor: (0.74)^alpha for J = 0, (0.85)^(alpha - 1) for J = 1
            expect_rel_near(regge_ff_km(0, 0.74e-6, traj, phase, 139.57, sc, t),
                            regge_ff(0, 0.74e-6, traj, phase, 139.57, sc, t) * std::pow(f0, traj), 1e-14);
            expect_rel_near(regge_ff_km(1, 0.85e-6, traj, phase, 775.0, sc, t),
                            regge_ff(1, 0.85e-6, traj, phase, 775.0, sc, t) * std::pow(f1, traj - 1.0), 1e-14);
        }
}

TEST(ReggePropagator, UndefinedLowestSpinIsFlaggedAsNotANumber) {
    const cplx ff = regge_ff(3, 0.8e-6, 0.5, cplx(1.0, 0.0), 775.0, cplx(4.0e6, 0.0), cplx(-2.0e5, 0.0));
    EXPECT_TRUE(std::isnan(ff.real()));
    const cplx km = regge_ff_km(-1, 0.8e-6, 0.5, cplx(1.0, 0.0), 775.0, cplx(4.0e6, 0.0), cplx(-2.0e5, 0.0));
    EXPECT_TRUE(std::isnan(km.real()));
}
