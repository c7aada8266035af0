// kavrin-eval: the models at a table's points (the numbers of the library API), the table format's refusals,
// the chi2 of a comparison, and output that does not depend on the thread count.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "kavrin-eval/eval.hpp"
#include "kavrin/models.hpp"

namespace {

struct Result {
    int status;
    std::string out, err;
};

Result eval(std::vector<std::string> args, const std::string& input) {
    args.insert(args.begin(), "kavrin-eval");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = kavrin::eval::run(static_cast<int>(argv.size()), argv.data(), in, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::vector<double>> rows_of(const std::string& out) {
    std::istringstream in(out);
    std::string line;
    std::getline(in, line);  // the column names
    std::vector<std::vector<double>> rows;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::vector<double> row;
        for (std::string v; f >> v;) row.push_back(v == "NaN" ? std::nan("") : std::stod(v));
        rows.push_back(row);
    }
    return rows;
}

const std::vector<std::string> vr = {"--model", "vr", "--channel", "pi-p", "--set", "pion_cutoff_gev=0.655",
                                     "--set", "epsilon=0.5"};

kavrin::models::Model vr_model(double eps) {
    kavrin::models::Options o;
    o.channel = kavrin::Channel::pi_minus_p;
    o.model = kavrin::models::ModelKind::vr;
    o.pion_cutoff_gev = 0.655;
    o.epsilon = eps;
    return kavrin::models::Model(kavrin::models::Settings(o));
}

TEST(Eval, PointsGiveTheNumbersOfTheLibrary) {
    const Result r = eval(vr, "# a comment\nW, Q2, theta_deg, eps, note\n2.2, 1.0, 10, 0.3, 7\n2.5 2.0 40 0.8 8\n0.9 1.0 10 0.5 9\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 24), "W Q2 xB minus_t eps dsig");
    const std::vector<std::vector<double>> rows = rows_of(r.out);
    ASSERT_EQ(rows.size(), 3u);
    const double point[3][4] = {{2.2, 1.0, 10, 0.3}, {2.5, 2.0, 40, 0.8}, {0.9, 1.0, 10, 0.5}};
    for (std::size_t i = 0; i < 3; ++i) {
        const kavrin::Observables x = vr_model(point[i][3]).evaluate(
            point[i][0], point[i][1], kavrin::Angle::theta(point[i][2] * std::numbers::pi / 180.0));
        const double want[] = {point[i][0], point[i][1], -x.t, point[i][3], x.dsigma_dt.t, x.dsigma_dt.l,
                               x.dsigma_dt.tt, x.dsigma_dt.lt, x.dsigma_dt.ltp, x.dsigma_dt.u, x.lt_ratio, x.bsa};
        const double got[] = {rows[i][0], rows[i][1], rows[i][3], rows[i][4], rows[i][5], rows[i][6],
                              rows[i][7], rows[i][8], rows[i][9], rows[i][10], rows[i][11], rows[i][12]};
        for (std::size_t k = 0; k < 12; ++k)
            EXPECT_TRUE(got[k] == want[k] || (std::isnan(got[k]) && std::isnan(want[k]))) << i << " " << k;
    }
    EXPECT_TRUE(std::isnan(rows[2][5]));  // below threshold
}

TEST(Eval, ThreadsChangeNoNumber) {
    std::string table = "xB Q2 minus_t E_beam\n";
    for (int i = 0; i < 300; ++i) table += "0.3 " + std::to_string(1.0 + i * 0.005) + " 0.4 5.77\n";
    std::vector<std::string> one = vr, many = vr;
    one.insert(one.end(), {"--threads", "1"});
    many.insert(many.end(), {"--threads", "7"});
    const Result a = eval(one, table), b = eval(many, table);
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
}

TEST(Eval, Chi2OfAComparisonByHand) {
    // two points of dsigma_T/dt in nb/GeV^2, errors stat (+) sys, and one below threshold (named, not counted)
    const std::string data = "W Q2 minus_t eps dsigmaT_dt[nb/GeV2] dsigmaT_dt_stat dsigmaT_dt_sys\n"
                             "2.2 1.0 0.3 0.5 300 30 40\n2.2 1.0 0.6 0.5 120 12 5\n0.9 1.0 0.6 0.5 120 12 5\n";
    const std::string path = ::testing::TempDir() + "/eval-chi2.dat";
    FILE* f = std::fopen(path.c_str(), "w");
    std::fputs(data.c_str(), f);
    std::fclose(f);
    std::vector<std::string> args = vr;
    args.insert(args.end(), {"--compare", path});
    const Result r = eval(args, "");
    ASSERT_EQ(r.status, 0) << r.err;
    const kavrin::models::Model m = vr_model(0.5);
    const double t1 = 1000.0 * m.evaluate(2.2, 1.0, kavrin::Angle::minus_t(0.3)).dsigma_dt.t;
    const double t2 = 1000.0 * m.evaluate(2.2, 1.0, kavrin::Angle::minus_t(0.6)).dsigma_dt.t;
    const double chi2 = std::pow((t1 - 300) / 50.0, 2) + std::pow((t2 - 120) / 13.0, 2);
    double printed = 0;
    ASSERT_EQ(std::sscanf(r.out.c_str(), "dsigmaT_dt: chi2 = %lf over 2 points", &printed), 1) << r.out;
    EXPECT_NEAR(printed, chi2, 1e-5 * chi2);
    EXPECT_NE(r.out.find("not a number at line(s) 4"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("total: chi2 = "), std::string::npos);
}

TEST(Eval, MalformedTablesAndSettingsAreRefusedByName) {
    const std::pair<std::string, std::string> tables[] = {
        {"W minus_t\n2.2 0.3\n", "no column Q2"},
        {"W xB Q2 minus_t\n2.2 0.3 1 0.3\n", "exactly one of the columns W and xB"},
        {"W Q2 minus_t cos_theta\n2.2 1 0.3 0.5\n", "exactly one of the columns minus_t"},
        {"W Q2 minus_t\n2.2 1 0.3\n2.2 one 0.3\n", "standard input:3: column Q2"},
        {"W Q2 minus_t\n2.2 1\n", "standard input:2: 2 values for 3 columns"},
        {"W Q2 minus_t dsigmaT_dt\n2.2 1 0.3 1\n", "dsigmaT_dt has no uncertainty"},
        {"W Q2 minus_t dsigmaT_dt[mb] dsigmaT_dt_err\n2.2 1 0.3 1 0.1\n", "unit [mb]"},
    };
    for (const auto& [table, why] : tables) {
        const Result r = eval(vr, table);
        EXPECT_EQ(r.status, 2) << table;
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
    }
    const Result missing = eval({"--model", "vr", "--channel", "pi-p", "--set", "epsilon=0.5"}, "W Q2 minus_t\n2.2 1 0.3\n");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("pion_cutoff_gev"), std::string::npos) << missing.err;
    const Result bad = eval({"--model", "regge", "--channel", "pi+n", "--set", "a1_sign=up"}, "");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("a1_sign = up"), std::string::npos) << bad.err;
    EXPECT_EQ(eval({"--help"}, "").status, 0);
}

}  // namespace
