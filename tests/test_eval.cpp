// kavrin-eval: the models at a table's points (the numbers of the library API), the table format's refusals,
// the chi2 of a comparison, and output that does not depend on the thread count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// The numeric rows of a points output (the settings lines, the column names and the model column left out).
std::vector<std::vector<double>> rows_of(const std::string& out) {
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line) && line[0] == '#') {
    }
    std::vector<std::vector<double>> rows;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::vector<double> row;
        std::string v;
        f >> v;  // the model
        while (f >> v) {
            char* end = nullptr;
            const double x = std::strtod(v.c_str(), &end);
            row.push_back(*end == '\0' ? x : std::nan(""));  // a text column: NaN
        }
        rows.push_back(row);
    }
    return rows;
}

// The column names of a points output.
std::vector<std::string> columns_of(const std::string& out) {
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line) && line[0] == '#') {
    }
    std::istringstream f(line);
    std::vector<std::string> names;
    for (std::string n; f >> n;) names.push_back(n);
    return names;
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
    EXPECT_EQ(columns_of(r.out)[1], "W");
    EXPECT_EQ(columns_of(r.out)[6], "note");  // a column carried along
    const std::vector<std::vector<double>> rows = rows_of(r.out);
    ASSERT_EQ(rows.size(), 3u);
    const double point[3][4] = {{2.2, 1.0, 10, 0.3}, {2.5, 2.0, 40, 0.8}, {0.9, 1.0, 10, 0.5}};
    for (std::size_t i = 0; i < 3; ++i) {
        const kavrin::Observables x = vr_model(point[i][3]).evaluate(
            point[i][0], point[i][1], kavrin::Angle::theta(point[i][2] * std::numbers::pi / 180.0));
        const double want[] = {point[i][0], point[i][1], -x.t, point[i][3], x.dsigma_dt.t, x.dsigma_dt.l,
                               x.dsigma_dt.tt, x.dsigma_dt.lt, x.dsigma_dt.ltp, x.dsigma_dt.u, x.lt_ratio, x.bsa};
        const double got[] = {rows[i][0], rows[i][1], rows[i][3], rows[i][4], rows[i][6], rows[i][7],
                              rows[i][8], rows[i][9], rows[i][10], rows[i][11], rows[i][12], rows[i][13]};
        for (std::size_t k = 0; k < 12; ++k)
            EXPECT_TRUE(got[k] == want[k] || (std::isnan(got[k]) && std::isnan(want[k]))) << i << " " << k;
    }
    EXPECT_TRUE(std::isnan(rows[2][6]));  // below threshold
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
    const std::size_t at = r.out.find("vr: dsigmaT_dt: chi2 = ");
    ASSERT_NE(at, std::string::npos) << r.out;
    ASSERT_EQ(std::sscanf(r.out.c_str() + at, "vr: dsigmaT_dt: chi2 = %lf over 2 points", &printed), 1) << r.out;
    EXPECT_NEAR(printed, chi2, 1e-5 * chi2);
    EXPECT_NE(r.out.find("not a number (outside its physical region) at line(s) 4"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("vr: total: chi2 = "), std::string::npos);
}

TEST(Eval, MalformedTablesAndSettingsAreRefusedByName) {
    const std::pair<std::string, std::string> tables[] = {
        {"W minus_t\n2.2 0.3\n", "no column Q2"},
        {"W xB Q2 minus_t\n2.2 0.3 1 0.3\n", "exactly one of the columns W and xB"},
        {"W Q2 minus_t cos_theta\n2.2 1 0.3 0.5\n", "exactly one of the columns minus_t"},
        {"W Q2 minus_t\n2.2 1 0.3\n2.2 one 0.3\n", "standard input:3: column Q2"},
        {"W Q2 minus_t\n2.2 1\n", "standard input:2: 2 values for 3 columns"},
        {"W Q2 minus_t dsigmaT_dt\n2.2 1 0.3 1\n", "dsigmaT_dt has no uncertainty"},
        {"W Q2 minus_t dsigmaT_dt[mb/sr] dsigmaT_dt_err\n2.2 1 0.3 1 0.1\n", "unit [mb/sr]"},
        // units that contradict a kinematic column, errors that are no errors, no rows, no sentinel epsilon
        {"W Q2 theta_deg[rad]\n2.2 1 0.3\n", "column theta_deg: unit [rad]"},
        {"W[TeV] Q2 minus_t\n2.2 1 0.3\n", "column W: unit [TeV]"},
        {"W Q2 minus_t dsigmaT_dt dsigmaT_dt_err\n2.2 1 0.3 1 inf\n", ":2: column dsigmaT_dt_err"},
        {"W Q2 minus_t dsigmaT_dt dsigmaT_dt_err\n2.2 1 0.3 1 -0.1\n", "must be positive"},
        {"W Q2 minus_t\n", "no rows"},
        {"W Q2 minus_t eps\n2.2 1 0.3 nan\n2.2 1 0.3 -1\n", ":2: column eps"},
        {"W Q2 minus_t eps\n2.2 1 0.3 -1\n", "not a polarization"},
        {"W Q2 minus_t E_beam\n2.2 1 0.3 0.5\n", "no electron of this energy"},
        // a beam-spin asymmetry must say which one it is
        {"W Q2 minus_t BSA BSA_err\n2.2 1 0.3 0.1 0.01\n", "ALU_sinphi"},
    };
    for (const auto& [table, why] : tables) {
        const Result r = eval(vr, table);
        EXPECT_EQ(r.status, 2) << table;
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
    }
    // a byte-order mark is no part of the first name; a NUL byte is refused where it stands
    using namespace std::string_literals;
    const Result nul = eval(vr, "\xEF\xBB\xBFW Q2 minus_t\n2.2 1 0.3\nW Q2\0\n"s);
    EXPECT_NE(nul.err.find(":3: the line holds a NUL byte"), std::string::npos) << nul.err;
    // every problem of the settings at once, for each model
    const Result bad = eval({"--model", "regge,km", "--channel", "pi+n", "--set", "a1_sign=up", "--set", "epsilon=2",
                             "--set", "colour=red"}, "");
    EXPECT_EQ(bad.status, 2);
    for (const char* why : {"regge: a1_sign = up", "regge: invalid setting epsilon = 2", "km: invalid setting epsilon = 2",
                            "unknown option colour"})
        EXPECT_NE(bad.err.find(why), std::string::npos) << bad.err;
    EXPECT_EQ(eval({"--help"}, "").status, 0);
}

TEST(Eval, UnitsOfKinematicColumnsAreConverted) {
    const Result gev = eval(vr, "W Q2 minus_t E_beam\n2.2 1.0 0.3 5.77\n");
    const Result mev = eval(vr, "W[MeV] Q2[MeV2] minus_t[MeV2] E_beam[MeV]\n2200 1e6 3e5 5770\n");
    ASSERT_EQ(mev.status, 0) << mev.err;
    const std::vector<double> a = rows_of(gev.out)[0], b = rows_of(mev.out)[0];
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t k = 0; k < a.size(); ++k) EXPECT_NEAR(a[k], b[k], 1e-12 * std::abs(a[k])) << k;
}

// Several models on a published table with a bin label and phi: every model's lines, the measured observables
// of each, the defaults named, and the comparison refused where the table lacks what an observable needs.
TEST(Eval, SeveralModelsWithDefaultsOnATableWithBinLabels) {
    const std::string table = "bin Q2 xB minus_t E_beam phi_deg\nKin1 2.0 0.3 0.4 10.6 90\nKin2 2.0 0.3 0.6 10.6 200\n";
    const Result r = eval({"--model", "km,vr,qvm,regge", "--channel", "pi0p"}, table);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("# kavrin-eval " KAVRIN_VERSION ": regge pi0p"), std::string::npos);
    EXPECT_NE(r.out.find("omega_phase=non_degenerate (default)"), std::string::npos) << r.out;
    const std::vector<std::string> names = columns_of(r.out);
    const auto col = [&](const std::string& n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
    ASSERT_LT(col("d4sigma[nb/GeV4]"), static_cast<long>(names.size()));
    EXPECT_EQ(col("bin"), 8);
    const std::vector<std::vector<double>> rows = rows_of(r.out);
    ASSERT_EQ(rows.size(), 8u);  // two points, four models
    for (const std::vector<double>& row : rows) {
        const auto at = [&](const std::string& n) { return row[col(n) - 1]; };
        EXPECT_TRUE(std::isnan(at("bin")));
        EXPECT_LE(std::abs(at("ALU")), 1.0);
        EXPECT_GT(at("d2sigma_dt_dphi[ub/GeV2]"), 0.0);
        // ALU_sinphi is sqrt(2 eps (1 - eps)) sigma_LT'/sigma_0
        const double eps = at("eps");
        EXPECT_NEAR(at("ALU_sinphi"), std::sqrt(2 * eps * (1 - eps)) * at("sigmaLTp_over_sigma0"), 1e-15);
    }
    // A_LU needs phi, d4sigma the beam energy; dsigmaU_dt an epsilon from the table or the settings
    const std::pair<std::string, std::string> refused[] = {
        {"Q2 xB minus_t E_beam ALU ALU_err\n2 0.3 0.4 10.6 0.1 0.01\n", "ALU needs the column phi_deg"},
        {"Q2 xB minus_t phi_deg d4sigma d4sigma_err\n2 0.3 0.4 90 1 0.1\n", "d4sigma needs the column E_beam"},
        {"Q2 xB minus_t dsigmaU_dt dsigmaU_dt_err\n2 0.3 0.4 1 0.1\n", "dsigmaU_dt needs the photon polarization"},
    };
    for (const auto& [data, why] : refused) {
        const std::string path = ::testing::TempDir() + "/eval-refused.dat";
        FILE* f = std::fopen(path.c_str(), "w");
        std::fputs(data.c_str(), f);
        std::fclose(f);
        const Result c = eval({"--model", "km", "--channel", "pi0p", "--compare", path}, "");
        EXPECT_EQ(c.status, 2);
        EXPECT_NE(c.err.find(why), std::string::npos) << c.err;
    }
}

// Figures: every model in each figure of a setting; links planted in the folder are replaced, never followed; a
// second run removes the first run's figures.
TEST(Eval, FiguresNeitherFollowLinksNorLeaveStaleOnes) {
    if (std::system("command -v gnuplot >/dev/null 2>&1") != 0) GTEST_SKIP() << "gnuplot is not installed";
    const std::string dir = ::testing::TempDir() + "/eval-figures";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string data = dir + "/data.dat";
    FILE* f = std::fopen(data.c_str(), "w");
    std::fputs("W Q2 minus_t E_beam ALU_sinphi ALU_sinphi_err\n2.0 1.5 0.2 5.77 0.05 0.02\n2.0 1.5 0.4 5.77 0.07 0.02\n"
               "2.2 1.5 0.3 5.77 0.06 0.02\n", f);
    std::fclose(f);
    const std::string victim = dir + "/victim.txt";
    f = std::fopen(victim.c_str(), "w");
    std::fputs("keep me\n", f);
    std::fclose(f);
    const std::string stem = dir + "/plots/ALU_sinphi-W_2.0_Q2_1.5_E_beam_5.77";
    std::filesystem::create_directories(dir + "/plots");
    for (const char* ext : {".data", ".gp", ".png"}) std::filesystem::create_symlink(victim, stem + ext);
    const Result r = eval({"--model", "km,vr", "--channel", "pi+n", "--compare", data, "--plot", dir + "/plots"}, "");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("figure: " + stem + ".png (W = 2.0, Q2 = 1.5, E_beam = 5.77)"), std::string::npos) << r.out;
    for (const char* ext : {".data", ".gp", ".png"}) EXPECT_FALSE(std::filesystem::is_symlink(stem + ext)) << ext;
    std::ifstream kept(victim);
    std::string line;
    std::getline(kept, line);
    EXPECT_EQ(line, "keep me");
    std::ifstream script(stem + ".gp");
    const std::string gp((std::istreambuf_iterator<char>(script)), std::istreambuf_iterator<char>());
    EXPECT_NE(gp.find("title \"km\""), std::string::npos);
    EXPECT_NE(gp.find("title \"vr\""), std::string::npos);
    // the same folder with a table of one setting: the earlier run's second figure is gone
    f = std::fopen(data.c_str(), "w");
    std::fputs("W Q2 minus_t E_beam ALU_sinphi ALU_sinphi_err\n2.2 1.5 0.3 5.77 0.06 0.02\n", f);
    std::fclose(f);
    ASSERT_EQ(eval({"--model", "km", "--channel", "pi+n", "--compare", data, "--plot", dir + "/plots"}, "").status, 0);
    EXPECT_FALSE(std::filesystem::exists(stem + ".png"));
    EXPECT_TRUE(std::filesystem::exists(dir + "/plots/ALU_sinphi-W_2.2_Q2_1.5_E_beam_5.77.png"));
}

}  // namespace
