// Nucleon, GPD, monopole and KM form factors: normalizations at Q^2 = 0, worked values, the single-precision
// constants of the fits, and the Gauss-Legendre rule with the table shipped for the GPD integrals.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "formfactors/gpd.hpp"
#include "formfactors/monopole_km.hpp"
#include "formfactors/nucleon.hpp"

using namespace kavrin;

namespace {

constexpr double mp = 938.272;
constexpr double mn = 939.565;

double dipole(double qq, double lambda_gev) {
    const double d = 1.0 + qq / ((1000.0 * lambda_gev) * (1000.0 * lambda_gev));
    return 1.0 / (d * d);
}

GaussLegendre100 rule100() {
    GaussLegendre100 gl;
    gauss_legendre_rule(100, gl.xi.data(), gl.wi.data());
    return gl;
}

// The driver's GPD parameters: profile slope 0.3 GeV^-2, E exponents 1.713 / 0.566, kappa_u 1.673,
// kappa_d -2.033, nucleon anomalous moments 1.793 / -1.913, all single precision.
constexpr double alp = double(0.3f) / 1.0e6;
constexpr double eta_u = double(1.713f);
constexpr double eta_d = double(0.566f);
constexpr double ku = double(1.673f);
constexpr double kd = double(-2.033f);
constexpr double kappa_p = double(1.793f);
constexpr double kappa_n = double(-1.913f);
constexpr double cu = 0.6666666865348816;
constexpr double cd = -0.3333333432674408;

}  // namespace

// ---------------------------------------------------------------- dipole nucleon form factors

TEST(NucleonFormFactors, RealPhotonPointNormalizations) {
    for (double c : {0.5, 0.84, 1.2})
        for (double m : {mp, mn, 1232.0}) {
            EXPECT_EQ(p_f1(0.0, c, m), cplx(1.0, 0.0));
            EXPECT_EQ(p_f2(0.0, c, m), cplx(1.0, 0.0));
            EXPECT_EQ(n_f2(0.0, c, m), cplx(1.0, 0.0));
        }
    for (double s : {1.0e6, 2.5e6, 9.0e6}) {
        EXPECT_EQ(vr_p_f1(cplx(s, 0.0), 0.0, mp), cplx(1.0, 0.0));
        EXPECT_EQ(vr_p_f1u(cplx(-s, 0.0), 0.0, mp), cplx(1.0, 0.0));
    }
}

TEST(NucleonFormFactors, ProtonDiracFormFactorUsesTheSinglePrecisionMagneticMoment) {
    // F1p = GD (1 + tau mu_p)/(1 + tau) with mu_p = 2.793 widened from single precision
    const double mup = 2.7929999828338623;
    EXPECT_EQ(mup, double(2.793f));
    for (double qq : {1.0e5, 1.0e6, 4.0e6}) {
        const double tau = qq / (4.0 * mp * mp);
        const double expected = dipole(qq, 0.84) * (1.0 + tau * mup) / (1.0 + tau);
        const cplx f1 = p_f1(qq, 0.84, mp);
        EXPECT_NEAR(f1.real(), expected, 1e-15 * expected);
        EXPECT_EQ(f1.imag(), 0.0);
        // a decimal 2.793 would differ visibly at this precision
        const double decimal = dipole(qq, 0.84) * (1.0 + tau * 2.793) / (1.0 + tau);
        EXPECT_GT(std::abs(f1.real() - decimal), 1e-12 * expected);
    }
}

TEST(NucleonFormFactors, ProtonPauliFormFactorIsDipoleOverOnePlusTau) {
    // c = 0.84 GeV, m = 938.272 MeV, Q^2 = 1 GeV^2: F2p = GD/(1 + tau)
    const double qq = 1.0e6;
    const double gd = 1.0 / ((1.0 + qq / (840.0 * 840.0)) * (1.0 + qq / (840.0 * 840.0)));
    const double tau = qq / (4.0 * mp * mp);
    const cplx f2 = p_f2(qq, 0.84, mp);
    EXPECT_NEAR(f2.real(), gd / (1.0 + tau), 1e-14);
    EXPECT_EQ(f2.imag(), 0.0);
}

TEST(NucleonFormFactors, NeutronPauliFormFactorFollowsTheGalsterElectricTerm) {
    const double alpa = 5.599999904632568;
    EXPECT_EQ(alpa, double(5.6f));
    for (double qq : {2.0e5, 1.0e6, 3.0e6}) {
        const double tau = qq / (4.0 * mn * mn);
        const double expected = dipole(qq, 0.84) * (1.0 + tau / (1.0 + alpa * tau)) / (1.0 + tau);
        const cplx f2 = n_f2(qq, 0.84, mn);
        EXPECT_NEAR(f2.real(), expected, 1e-15 * expected);
        EXPECT_EQ(f2.imag(), 0.0);
        // it is (GMn - GEn)/(kappa_n (1 + tau)) with GMn = mu_n GD, GEn = -mu_n tau GD/(1 + 5.6 tau)
        const double mun = double(-1.913f);
        const double gm = mun * dipole(qq, 0.84);
        const double ge = -mun * tau * dipole(qq, 0.84) / (1.0 + alpa * tau);
        EXPECT_NEAR(f2.real(), (gm - ge) / (mun * (1.0 + tau)), 1e-14);
    }
    // large tau: F2n -> GD (1 + 1/5.6)/tau
    const double qq = 4.0e12;
    const double tau = qq / (4.0 * mn * mn);
    const double asymptote = dipole(qq, 0.84) * (1.0 + 1.0 / alpa) / tau;
    EXPECT_NEAR(n_f2(qq, 0.84, mn).real(), asymptote, 1e-5 * asymptote);
}

TEST(NucleonFormFactors, FormFactorsFallWithQ2) {
    double prev[5] = {2, 2, 2, 2, 2};
    for (double qq = 0.0; qq <= 5.0e6; qq += 2.5e5) {
        const double now[5] = {p_f1(qq, 0.84, mp).real(), p_f2(qq, 0.84, mp).real(), n_f2(qq, 0.84, mn).real(),
                               vr_p_f1(cplx(4.0e6, 0.0), qq, mp).real(), vr_p_f1u(cplx(-1.0e6, 0.0), qq, mp).real()};
        for (int i = 0; i < 5; ++i) {
            EXPECT_GT(now[i], 0.0);
            EXPECT_LT(now[i], prev[i]) << "form factor " << i << " at Q^2 = " << qq;
            prev[i] = now[i];
        }
    }
}

TEST(EnergyDependentDipole, ThresholdCutOffIsTheSinglePrecision084) {
    const double lambda0 = 0.8399999737739563;
    EXPECT_EQ(lambda0, double(0.84f));
    for (double qq : {1.0e5, 1.0e6, 2.5e6}) {
        const double gd = dipole(qq, lambda0);
        EXPECT_DOUBLE_EQ(vr_p_f1(cplx(mp * mp, 0.0), qq, mp).real(), gd);
        EXPECT_DOUBLE_EQ(vr_p_f1u(cplx(mp * mp, 0.0), qq, mp).real(), gd);
        EXPECT_EQ(vr_p_f1(cplx(mp * mp, 0.0), qq, mp).imag(), 0.0);
        EXPECT_EQ(vr_p_f1u(cplx(mp * mp, 0.0), qq, mp).imag(), 0.0);
    }
}

TEST(EnergyDependentDipole, CutOffSlopeIsOneSinglePrecisionStepAbove1354) {
    const double slope = 1.3540000915527344;
    EXPECT_EQ(slope, double(std::nextafter(1.354f, 2.0f)));
    EXPECT_NE(slope, double(1.354f));
    const double qq = 1.5e6;
    for (double s : {1.5e6, 4.0e6, 1.0e7}) {
        const double lambda = slope * (1.0 - mp * mp / s) + 0.8399999737739563;
        EXPECT_NEAR(vr_p_f1(cplx(s, 0.0), qq, mp).real(), dipole(qq, lambda), 1e-15);
        // the u-channel cut-off is the s-channel one at s = 2 m^2 - u
        const double u = 2.0 * mp * mp - s;
        EXPECT_NEAR(vr_p_f1u(cplx(u, 0.0), qq, mp).real(), vr_p_f1(cplx(s, 0.0), qq, mp).real(), 1e-15);
    }
    // far above threshold the cut-off approaches 0.84 + 1.354 = 2.194 GeV
    EXPECT_NEAR(vr_p_f1(cplx(1.0e14, 0.0), qq, mp).real(), dipole(qq, 0.8399999737739563 + slope), 1e-7);
}

TEST(EnergyDependentDipole, ImaginaryPartOfTheInvariantHasNoEffect) {
    for (double im : {-3.0e5, 1.0, 7.0e6}) {
        EXPECT_EQ(vr_p_f1(cplx(4.0e6, im), 1.0e6, mp), vr_p_f1(cplx(4.0e6, 0.0), 1.0e6, mp));
        EXPECT_EQ(vr_p_f1u(cplx(-6.0e5, im), 1.0e6, mp), vr_p_f1u(cplx(-6.0e5, 0.0), 1.0e6, mp));
    }
}

// ---------------------------------------------------------------- Gauss-Legendre rule

TEST(GaussLegendreRule, SmallRulesHaveTheirClosedForms) {
    double x[3];
    double w[3];
    gauss_legendre_rule(1, x, w);
    EXPECT_EQ(x[0], 0.0);
    EXPECT_DOUBLE_EQ(w[0], 2.0);
    gauss_legendre_rule(2, x, w);
    const double r3 = 0.57735026918962576451;  // 1/sqrt(3)
    EXPECT_NEAR(x[0], -r3, 2e-16);
    EXPECT_NEAR(x[1], r3, 2e-16);
    EXPECT_NEAR(w[0], 1.0, 1e-16);
    EXPECT_NEAR(w[1], 1.0, 1e-16);
    gauss_legendre_rule(3, x, w);
    const double r35 = 0.77459666924148337704;  // sqrt(3/5)
    EXPECT_NEAR(x[0], -r35, 2e-16);
    EXPECT_EQ(x[1], 0.0);
    EXPECT_NEAR(x[2], r35, 2e-16);
    EXPECT_NEAR(w[0], 5.0 / 9.0, 1e-16);
    EXPECT_NEAR(w[1], 8.0 / 9.0, 1e-16);
    EXPECT_NEAR(w[2], 5.0 / 9.0, 1e-16);
}

TEST(GaussLegendreRule, IntegratesPolynomialsUpToDegreeTwoNMinusOne) {
    for (int n : {4, 7, 20, 57, 100}) {
        SCOPED_TRACE(testing::Message() << n << "-point rule");
        std::vector<double> x(static_cast<std::size_t>(n)), w(static_cast<std::size_t>(n));
        gauss_legendre_rule(n, x.data(), w.data());
        for (int i = 0; i < n; ++i) {
            const auto k = static_cast<std::size_t>(i);
            if (i > 0) {
                EXPECT_LT(x[k - 1], x[k]);
            }
            EXPECT_GT(w[k], 0.0);
            EXPECT_EQ(x[k], -x[static_cast<std::size_t>(n - 1 - i)]);
            EXPECT_EQ(w[k], w[static_cast<std::size_t>(n - 1 - i)]);
        }
        EXPECT_GT(x.front(), -1.0);
        EXPECT_LT(x.back(), 1.0);
        for (int d = 0; d <= 2 * n - 1; ++d) {
            double sum = 0.0;
            for (std::size_t k = 0; k < x.size(); ++k) sum += w[k] * std::pow(x[k], d);
            const double exact = (d % 2 == 0) ? 2.0 / (d + 1) : 0.0;
            EXPECT_NEAR(sum, exact, 4e-16 * n) << "x^" << d;
        }
    }
}

TEST(GaussLegendreRule, DegreeTwoNCarriesTheGaussErrorTerm) {
    // int x^2n - sum w x^2n = 2^(2n+1) (n!)^4 / ((2n+1) ((2n)!)^2) > 0
    for (int n : {4, 7, 12, 20}) {
        std::vector<double> x(static_cast<std::size_t>(n)), w(static_cast<std::size_t>(n));
        gauss_legendre_rule(n, x.data(), w.data());
        double sum = 0.0;
        for (std::size_t k = 0; k < x.size(); ++k) sum += w[k] * std::pow(x[k], 2 * n);
        const double error = std::exp((2 * n + 1) * std::log(2.0) + 4.0 * std::lgamma(n + 1.0) -
                                      std::log(2.0 * n + 1.0) - 2.0 * std::lgamma(2.0 * n + 1.0));
        EXPECT_NEAR(2.0 / (2 * n + 1) - sum, error, 1e-3 * error) << n << "-point rule";
    }
}

TEST(GaussLegendreRule, HundredPointRuleNormalization) {
    const GaussLegendre100 gl = rule100();
    EXPECT_NEAR(std::accumulate(gl.wi.begin(), gl.wi.end(), 0.0), 2.0, 1e-14);
    double x198 = 0.0;
    for (std::size_t i = 0; i < 100; ++i) x198 += gl.wi[i] * std::pow(gl.xi[i], 198);
    EXPECT_NEAR(x198, 2.0 / 199.0, 1e-15);
    // the node nearest the centre and the outermost node of the 100-point rule
    EXPECT_NEAR(gl.xi[50], 0.015628984421543082872, 1e-17);
    EXPECT_NEAR(gl.wi[50], 0.031255423453863356948, 1e-17);
    EXPECT_NEAR(gl.xi[99], 0.999713726773441233678, 2e-16);
    EXPECT_NEAR(gl.wi[99], 0.000734634490505671730, 1e-18);
}

TEST(GaussLegendreRule, ShippedTableIsTheHundredPointRule) {
    const std::string path = std::string(KAVRIN_SOURCE_DIR) + "/data/integral/gauss-legendre100.dat";
    std::ifstream in(path);
    ASSERT_TRUE(in.is_open()) << path;
    const GaussLegendre100 gl = rule100();
    std::string line;
    int records = 0;
    while (std::getline(in, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        ASSERT_LT(records, 100) << "more than 100 records";
        ASSERT_EQ(line.front(), ' ') << "record " << records + 1 << " starts with a blank";
        std::istringstream rec(line);
        double node = 0.0;
        double weight = 0.0;
        ASSERT_TRUE(rec >> node >> weight) << "record " << records + 1 << ": " << line;
        std::string rest;
        EXPECT_FALSE(rec >> rest) << "record " << records + 1 << " holds more than two numbers";
        const auto i = static_cast<std::size_t>(records);
        EXPECT_NEAR(node, gl.xi[i], 1e-15) << "record " << records + 1;
        EXPECT_NEAR(weight, gl.wi[i], 1e-15) << "record " << records + 1;
        ++records;
    }
    EXPECT_EQ(records, 100);
}

// ---------------------------------------------------------------- GPD form factors

TEST(GpdFormFactors, NormalizationIntegralsOnTheHundredPointRule) {
    const GpdNormalization n = normalize_gpd(eta_u, eta_d, rule100());
    EXPECT_NEAR(n.nu_f1, 1.9841, 1e-4);
    EXPECT_NEAR(n.nd_f1, 0.9905, 1e-4);
    EXPECT_NEAR(n.nu_f2, 1.4555, 1e-4);
    EXPECT_NEAR(n.nd_f2, 0.9054, 1e-4);
    // the rule under-integrates the x^-0.69 and x^-0.65 end points: the exact integrals are Beta functions
    const double exact_u = 0.262 * (std::beta(0.31, 4.5) + 3.83 * std::beta(0.81, 4.5) + 37.65 * std::beta(1.31, 4.5));
    const double exact_d =
        0.061 * (std::beta(0.35, 5.03) + 49.05 * std::beta(0.85, 5.03) + 8.65 * std::beta(1.35, 5.03));
    EXPECT_LT(n.nu_f1, exact_u);
    EXPECT_LT(n.nd_f1, exact_d);
    EXPECT_NEAR(n.nu_f1, exact_u, 0.05 * exact_u);
    EXPECT_NEAR(n.nd_f1, exact_d, 0.05 * exact_d);
}

TEST(GpdFormFactors, ChargesAndAnomalousMomentsAtTheRealPhotonPoint) {
    const GaussLegendre100 gl = rule100();
    const GpdNormalization n = normalize_gpd(eta_u, eta_d, gl);
    for (int model = 1; model <= 3; ++model) {
        SCOPED_TRACE(testing::Message() << "profile " << model);
        for (int gtype = 1; gtype <= 3; ++gtype) {
            const NucleonFormFactors p = gpd_nucl_ff(gtype, model, 0.0, gl, alp, eta_u, eta_d, kappa_p, mp, ku, kd, n);
            // F1p(0) = 2 e_u + e_d, which is 1 up to the single-precision charges
            EXPECT_NEAR(p.f1.real(), 2.0 * cu + cd, 1e-14);
            EXPECT_NEAR(p.f1.real(), 1.0, 5e-8);
            // F2p(0) = (e_u kappa_u + e_d kappa_d)/kappa_p = 1.00000003
            EXPECT_NEAR(p.f2.real(), (cu * ku + cd * kd) / kappa_p, 1e-14);
            EXPECT_NEAR(p.f2.real(), 1.00000003, 1e-8);
            EXPECT_EQ(p.f1.imag(), 0.0);
            EXPECT_EQ(p.f2.imag(), 0.0);
        }
        const NucleonFormFactors nn = gpd_nucl_ff(4, model, 0.0, gl, alp, eta_u, eta_d, kappa_n, mn, ku, kd, n);
        EXPECT_NEAR(nn.f1.real(), 0.0, 1e-15);
        EXPECT_NEAR(nn.f2.real(), (cu * kd + cd * ku) / kappa_n, 1e-14);
        EXPECT_NEAR(nn.f2.real(), 1.00000003, 1e-8);
        EXPECT_EQ(nn.f1.imag(), 0.0);
        EXPECT_EQ(nn.f2.imag(), 0.0);
    }
}

TEST(GpdFormFactors, ProfilesFallWithQ2AndTheMassDoesNotEnter) {
    const GaussLegendre100 gl = rule100();
    const GpdNormalization n = normalize_gpd(eta_u, eta_d, gl);
    for (int model = 1; model <= 3; ++model) {
        SCOPED_TRACE(testing::Message() << "profile " << model);
        double prev_f1 = 2.0;
        double prev_f2 = 2.0;
        for (double qq = 0.0; qq <= 5.0e6; qq += 5.0e5) {
            const NucleonFormFactors p = gpd_nucl_ff(1, model, qq, gl, alp, eta_u, eta_d, kappa_p, mp, ku, kd, n);
            EXPECT_LT(p.f1.real(), prev_f1);
            EXPECT_LT(p.f2.real(), prev_f2);
            EXPECT_GT(p.f1.real(), 0.0);
            EXPECT_GT(p.f2.real(), 0.0);
            prev_f1 = p.f1.real();
            prev_f2 = p.f2.real();
            const NucleonFormFactors other_mass =
                gpd_nucl_ff(1, model, qq, gl, alp, eta_u, eta_d, kappa_p, 1500.0, ku, kd, n);
            EXPECT_EQ(other_mass.f1, p.f1);
            EXPECT_EQ(other_mass.f2, p.f2);
        }
    }
}

TEST(GpdFormFactors, ProtonForEveryProtonReactionZeroOutsideTheReactions) {
    const GaussLegendre100 gl = rule100();
    const GpdNormalization n = normalize_gpd(eta_u, eta_d, gl);
    const NucleonFormFactors p1 = gpd_nucl_ff(1, 3, 1.0e6, gl, alp, eta_u, eta_d, kappa_p, mp, ku, kd, n);
    for (int gtype : {2, 3}) {
        const NucleonFormFactors p = gpd_nucl_ff(gtype, 3, 1.0e6, gl, alp, eta_u, eta_d, kappa_p, mp, ku, kd, n);
        EXPECT_EQ(p.f1, p1.f1);
        EXPECT_EQ(p.f2, p1.f2);
    }
    for (int gtype : {0, 5}) {
        const NucleonFormFactors z = gpd_nucl_ff(gtype, 3, 1.0e6, gl, alp, eta_u, eta_d, kappa_p, mp, ku, kd, n);
        EXPECT_EQ(z.f1, cplx(0.0, 0.0));
        EXPECT_EQ(z.f2, cplx(0.0, 0.0));
    }
}

// ---------------------------------------------------------------- monopole and KM form factors

TEST(MonopoleFormFactor, OneAtTheRealPhotonAndHalfAtTheCutOff) {
    for (double c : {0.4, 0.7, 1.3}) {
        EXPECT_EQ(ff_monopole(0.0, c), cplx(1.0, 0.0));
        const double cut = 1000.0 * c;
        EXPECT_DOUBLE_EQ(ff_monopole(cut * cut, c).real(), 0.5);
        EXPECT_EQ(ff_monopole(cut * cut, c).imag(), 0.0);
        EXPECT_DOUBLE_EQ(ff_monopole(3.0e6, c).real(), 1.0 / (1.0 + 3.0e6 / (cut * cut)));
    }
}

TEST(KmFormFactors, ExactlyOneAtTheRealPhoton) {
    for (double x : {-2.0e6, -5.0e5, 4.0e6, 1.2e7}) {
        const cplx fs = km_fs(cplx(x, 0.0), 0.0, mp);
        const cplx fu = km_fu(cplx(x, 0.0), 0.0, mp);
        EXPECT_EQ(fs.real(), 1.0);
        EXPECT_EQ(fs.imag(), 0.0);
        EXPECT_EQ(fu.real(), 1.0);
        EXPECT_EQ(fu.imag(), 0.0);
    }
}

TEST(KmFormFactors, WorkedValuesAtOneGeV2) {
    const cplx fs = km_fs(cplx(4.0e6, 0.0), 1.0e6, mp);
    EXPECT_NEAR(fs.real(), 0.61502, 1e-5);
    EXPECT_NEAR(fs.imag(), -0.04118, 1e-5);
    const cplx fu = km_fu(cplx(-5.0e5, 0.0), 1.0e6, mp);
    EXPECT_NEAR(fu.real(), 0.57108, 1e-5);
    EXPECT_EQ(fu.imag(), 0.0);
}

TEST(KmFormFactors, UChannelFormFactorIsRealBelowTheNucleonPole) {
    for (double u : {-3.0e6, -1.0e6, -2.0e5, 3.0e5, 0.8 * mp * mp})
        for (double qq : {1.0e5, 1.0e6, 4.0e6}) {
            const cplx fu = km_fu(cplx(u, 0.0), qq, mp);
            EXPECT_EQ(fu.imag(), 0.0) << "u = " << u << ", Q^2 = " << qq;
            EXPECT_TRUE(std::isfinite(fu.real()));
        }
}

TEST(KmFormFactors, ApproachOneContinuouslyAsQ2Vanishes) {
    // the deviation from 1 shrinks with Q^2 down to the rounding floor of the large cancelling terms
    const cplx s(4.0e6, 0.0);
    const cplx u(-5.0e5, 0.0);
    double prev_s = 1.0;
    double prev_u = 1.0;
    for (double qq : {1.0e6, 1.0e5, 1.0e4, 1.0e3}) {
        const double ds = std::abs(km_fs(s, qq, mp) - 1.0);
        const double du = std::abs(km_fu(u, qq, mp) - 1.0);
        EXPECT_LT(ds, prev_s);
        EXPECT_LT(du, prev_u);
        EXPECT_LT(ds, 1e-6 * qq);
        EXPECT_LT(du, 1e-6 * qq);
        prev_s = ds;
        prev_u = du;
    }
    // xi Q^2/m^2 ~ 5e-7: still close to 1, the logarithm of the rounded sum 1 + xi Q^2/m^2 limits the accuracy
    EXPECT_LT(std::abs(km_fs(s, 1.0, mp) - 1.0), 1e-2);
    EXPECT_LT(std::abs(km_fu(u, 1.0, mp) - 1.0), 1e-2);
}
