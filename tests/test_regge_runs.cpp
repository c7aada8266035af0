// Whole runs of the built kavrin-regge on answer files: the transcript, which result files get lines and
// how many, the relations between the written columns, and the failure behaviour.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> all_files = {
    "dST_domega.dat", "dSL_domega.dat", "dSTT_domega.dat", "dSLT_domega.dat", "dSLTP_domega.dat", "dSU_domega.dat",
    "dST.dat",        "dSL.dat",        "dSTT.dat",        "dSLT.dat",        "dSLTP.dat",        "dSU.dat",
    "dSL_over_dST.dat", "BSA.dat",      "ddS_T.dat",       "ddS_domega.dat",  "ddS_PHI.dat",      "dST-T0.dat",
    "dSL-T0.dat",     "dSTT-T0.dat",    "dSLT-T0.dat",     "dSLTP-T0.dat",    "dSU-T0.dat"};
const std::vector<std::string> separated_files = {
    "dST_domega.dat", "dSL_domega.dat", "dSTT_domega.dat", "dSLT_domega.dat", "dSLTP_domega.dat", "dSU_domega.dat",
    "dST.dat",        "dSL.dat",        "dSTT.dat",        "dSLT.dat",        "dSLTP.dat",        "dSU.dat",
    "dSL_over_dST.dat", "BSA.dat"};
const std::vector<std::string> t0_files = {"dST-T0.dat", "dSL-T0.dat", "dSTT-T0.dat",
                                           "dSLT-T0.dat", "dSLTP-T0.dat", "dSU-T0.dat"};

std::vector<std::string> lines_of(const fs::path& p) {
    std::vector<std::string> out;
    std::ifstream in(p);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The two columns of a result line; the first may be an integer.
struct Row {
    double x, y;
};

Row parse_row(const std::string& line) {
    std::istringstream in(line);
    std::string a, b, rest;
    in >> a >> b;
    const auto num = [](const std::string& s) {
        if (s == "NaN") return std::nan("");
        if (s == "Infinity") return HUGE_VAL;
        if (s == "-Infinity") return -HUGE_VAL;
        return std::stod(s);
    };
    return {num(a), num(b)};
}

// One run of kavrin-regge in a fresh directory holding integral/gauss-legendre100.dat.
class RunDir {
public:
    explicit RunDir(bool with_table = true) {
        std::string tmpl = (fs::temp_directory_path() / "kavrin-regge-run-XXXXXX").string();
        dir_ = mkdtemp(tmpl.data());
        if (with_table) {
            fs::create_directories(dir_ / "integral");
            fs::copy_file(fs::path(KAVRIN_SOURCE_DIR) / "data/integral/gauss-legendre100.dat",
                          dir_ / "integral/gauss-legendre100.dat");
        }
    }
    ~RunDir() { fs::remove_all(dir_); }
    RunDir(const RunDir&) = delete;
    RunDir& operator=(const RunDir&) = delete;

    const fs::path& dir() const { return dir_; }
    void put(const std::string& name, const std::string& text) const { std::ofstream(dir_ / name) << text; }

    // Runs the program on the answers; returns the exit status.
    int operator()(const std::string& answers) {
        put("answers.in", answers);
        const std::string cmd = "cd '" + dir_.string() + "' && '" + binary +
                                "' < answers.in > transcript.txt 2> stderr.txt";
        const int raw = std::system(cmd.c_str());
        transcript = lines_of(dir_ / "transcript.txt");
        std::ifstream err(dir_ / "stderr.txt");
        error.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    std::vector<std::string> file(const std::string& name) const { return lines_of(dir_ / name); }
    std::vector<Row> rows(const std::string& name) const {
        std::vector<Row> out;
        for (const std::string& l : file(name)) out.push_back(parse_row(l));
        return out;
    }
    // Line counts of all 23 files (each must exist).
    std::map<std::string, std::size_t> counts() const {
        std::map<std::string, std::size_t> c;
        for (const std::string& f : all_files) {
            EXPECT_TRUE(fs::exists(dir_ / f)) << f;
            c[f] = file(f).size();
        }
        return c;
    }

    std::vector<std::string> transcript;
    std::string error;
    std::string binary = KAVRIN_REGGE_BINARY;  // the program that runs

private:
    fs::path dir_;
};

void expect_counts(const RunDir& run, const std::vector<std::string>& written, std::size_t n) {
    const auto c = run.counts();
    for (const std::string& f : all_files) {
        const bool w = std::find(written.begin(), written.end(), f) != written.end();
        EXPECT_EQ(c.at(f), w ? n : 0u) << f;
    }
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// pi+ n, dipole (1.55 GeV), F2 on, pion cut-off 775 MeV, a1 positive, separated cross sections, large range.
const std::string pip_dipole_head = "1\n2\n1.55\n1\n775\n1\n1\n2\n";
// The same answers up to the output kind, which is 3 (DDS).
const std::string pip_dds_head = "1\n2\n1.55\n1\n775\n1\n3\n2\n";

bool close_rel(double a, double b, double rel) { return std::abs(a - b) <= rel * std::max(std::abs(a), std::abs(b)); }

}  // namespace

// The typical run: pi+ n, mode 9 at W = 2.22 GeV, Q^2 = 1.60 GeV^2, theta from 0 to 180 degrees.
TEST(ReggeRun, ThetaScanTranscriptFilesAndColumns) {
    RunDir run;
    ASSERT_EQ(run(pip_dipole_head + "9\n2.22\n1.60\n0.5\n1\n"), 0) << run.error;
    EXPECT_EQ(run.error, "");
    const std::string h47 = " -----------------------------------------------";
    const std::vector<std::string> expected = {
        h47,
        " *** Pion ELECTRO-PRODUCTION v1 ***",
        h47,
        "  ",
        " GAMMA* P -> PI+ N (1)",
        " GAMMA* N -> PI- P (2)",
        " CHOOSE NUCLEON FF: GPD FF(1)  OR  DIPOLE FF(2)",
        " Please input the F1 cut-off of nucleon in GeV: DESY=1.2 GeV, or Cornell, CEA, JLab=1.55 GeV.",
        " FOR CHARGED CHANNELS NUCLEON MAGNETIC TERMS F2: ON(1) for BSA, OFF(2) for convnetion",
        " Please input the F2 cut-off of nucleon in GeV: 0.843, or 1.55.",
        " SATURATION of PION FORM FACTOR BY CUTOFF LAMBDA: ON(1), OFF(2)*",
        " QQ-dependence of PION REGGE SLOPE BY APS_QQ: ON(1), OFF(2)*",
        " Please input the cut-off of Pion in MeV: DESY=710 MeV, or Cornell, CEA, JLab=775 MeV.",
        " CHOOSE A1 MESON CC: POSITIVE (1) for BSA, OR NEGATIVE (2) for PRC2011",
        " WE WILL CALCULATE DIFF. CROSS SECTION AND SSA!!!",
        " ",
        " WHICH ONE PRINT TO OUT: DST,DSL,DSTT,DSLT,DSLTP,dSU,L/T_ratio,BSA (1) OR DDS (3)",
        " CHOOSE RANGE OF THETA ANGLE: SMALL(1), LARGE(2) ",
        " ",
        " **** CHECK WHICH SSA FOR KM OR HUBER!!! ***",
        " ",
        " CHOOSE X-AXIS & FIX VARs. : W,QQ&t(1), QQ,W&t(2), QQ,xb&t(3), QQ,xb&theta(4), QQ,W&theta(5)",
        "    W,QQ&cos(theta)(6), QQ,W&cos(theta)(7),  -t,xb&QQ(8) ,  -t,W&QQ(9),  OR  cos(theta),W&QQ(10)",
        " INPUT: TOTAL CM ENERGY W(GeV)?",
        " INPUT: QQ(GeV^2)?",
        " INPUT: PHOTON POL EL(0<EL<1)?",
        " Separated dcs needs not PHOTON POL EL(0<EL<1) and PUT ANLY VBSAE, e.g. 0.5, IF NOT RELEVANT",
        " OUTPUT UNIT: MICROBARN(1), NANOBARN(2)",
        std::string(31, ' '),
        "             WAIT!!!           ",
        "    SMILE AND BE HAPPY!!! ^o^  ",
        std::string(31, ' ')};
    EXPECT_EQ(run.transcript, expected);
    expect_counts(run, separated_files + t0_files, 181);

    const auto dst = run.rows("dST.dat"), dsl = run.rows("dSL.dat"), dsu = run.rows("dSU.dat");
    const auto dsltp = run.rows("dSLTP.dat"), bsa = run.rows("BSA.dat"), lt = run.rows("dSL_over_dST.dat");
    const auto dst_w = run.rows("dST_domega.dat"), dsl_w = run.rows("dSL_domega.dat");
    const auto dst0 = run.rows("dST-T0.dat");
    EXPECT_NEAR(dst0.front().x, 0.0, 1e-12);  // t0 - t vanishes at theta = 0
    for (std::size_t i = 0; i < 181; ++i) {
        // -t grows with theta; t0 - t = -t - (-t0)
        if (i > 0) {
            EXPECT_GT(dst[i].x, dst[i - 1].x);
        }
        EXPECT_NEAR(dst0[i].x, dst[i].x - dst[0].x, 1e-12);
        EXPECT_EQ(dst0[i].y, dst[i].y);
        EXPECT_EQ(dst_w[i].x, dst[i].x);
        EXPECT_GE(dst[i].y, 0.0);
        EXPECT_GE(dsl[i].y, 0.0);
        // dsigma_U = eps dsigma_L + dsigma_T with eps = 0.5, in both units; BSA and L/T are ratios
        EXPECT_TRUE(close_rel(dsu[i].y, 0.5 * dsl[i].y + dst[i].y, 1e-14)) << i;
        EXPECT_TRUE(close_rel(dst[i].y / dst_w[i].y, dsl[i].y / dsl_w[i].y, 1e-14)) << i;
        EXPECT_TRUE(close_rel(lt[i].y, dsl_w[i].y / dst_w[i].y, 1e-14)) << i;
        EXPECT_NEAR(bsa[i].y, dsltp[i].y / dsu[i].y, 1e-15);
        EXPECT_LE(std::abs(bsa[i].y), 1.0);
    }
    // the dsigma/dt factor pi/(k p) 10^6 is the same at every angle of the scan
    EXPECT_TRUE(close_rel(dst[0].y / dst_w[0].y, dst[180].y / dst_w[180].y, 1e-14));
    // a result line: a blank, then two values of 17 significant digits
    const std::string first = run.file("dST.dat").front();
    EXPECT_EQ(first[0], ' ');
    EXPECT_NE(first.find("E-002"), std::string::npos) << first;
}

TEST(ReggeRun, NanobarnRunIsThousandTimesTheMicrobarnRun) {
    RunDir mub, nb;
    ASSERT_EQ(mub("2\n1\n1.105\n1\n775\n2\n1\n1\n10\n2.5\n2.0\n0.6\n1\n"), 0) << mub.error;
    ASSERT_EQ(nb("2\n1\n1.105\n1\n775\n2\n1\n1\n10\n2.5\n2.0\n0.6\n2\n"), 0) << nb.error;
    expect_counts(nb, separated_files, 46);  // mode 10 with the small range: 0 to 45 degrees
    for (const std::string& f : separated_files) {
        const auto a = mub.rows(f), b = nb.rows(f);
        ASSERT_EQ(a.size(), b.size());
        const bool ratio = f == "BSA.dat" || f == "dSL_over_dST.dat";
        for (std::size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].x, b[i].x);
            if (std::isnan(a[i].y)) continue;
            EXPECT_TRUE(close_rel(b[i].y, ratio ? a[i].y : 1000.0 * a[i].y, 1e-13)) << f << " line " << i;
        }
    }
    // mode 10 writes cos(theta) from 1 down to cos 45 degrees
    const auto bsa = nb.rows("BSA.dat");
    EXPECT_DOUBLE_EQ(bsa.front().x, 1.0);
    EXPECT_NEAR(bsa.back().x, std::cos(45.0 * 3.1415927410125732 / 180.0), 1e-15);
}

TEST(ReggeRun, WScanOfModeOneStartsAbove450MeVFromThreshold) {
    RunDir run;
    ASSERT_EQ(run(pip_dipole_head + "1\n2\n1.0\n0.5\n0.5\n1\n"), 0) << run.error;
    expect_counts(run, separated_files, 24);
    const auto rows = run.rows("dSU.dat");
    // 939.565 + 139.57 + 450 MeV with the single-precision pion mass 139.57000732421875
    EXPECT_NEAR(rows.front().x, 1.5291350073242188, 1e-15);
    EXPECT_NEAR(rows.back().x, 1.9891350073242188, 1e-15);
    for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_NEAR(rows[i].x - rows[i - 1].x, 0.020, 1e-12);
    // the -t record of the dialogue shows the physical range at W = 2 GeV, Q^2 = 1 GeV^2
    const auto at = std::find_if(run.transcript.begin(), run.transcript.end(),
                                 [](const std::string& l) { return l.rfind(" INPUT: -T(GeV^2)?", 0) == 0; });
    ASSERT_NE(at, run.transcript.end());
    EXPECT_EQ(*(at - 1), " INPUT: QQ(GeV^2)?");
    const std::string& r = *at;
    ASSERT_EQ(r.rfind(" INPUT: -T(GeV^2)?   (", 0), 0u) << r;
    std::istringstream in(r.substr(r.find(" (") + 2));
    double lo, hi;
    std::string word;
    in >> lo >> word >> word >> word >> hi;
    EXPECT_NEAR(lo, 0.06500308, 1e-8);
    EXPECT_NEAR(hi, 3.55820910, 1e-8);
    EXPECT_EQ(r.back(), ')');
}

TEST(ReggeRun, Q2ScanOfModeTwoHas200Values) {
    RunDir run;
    ASSERT_EQ(run(pip_dipole_head + "2\n2\n2.2\n0.3\n0.5\n1\n"), 0) << run.error;
    expect_counts(run, separated_files, 200);
    const auto rows = run.rows("dST.dat");
    EXPECT_NEAR(rows.front().x, 0.0010000000610, 1e-13);
    EXPECT_NEAR(rows.back().x, 1.9910000000610, 1e-12);
}

TEST(ReggeRun, XbScansAndTheSmallAngleRange) {
    RunDir m8;
    ASSERT_EQ(m8(pip_dipole_head.substr(0, pip_dipole_head.size() - 2) + "1\n8\n2.0\n0.3\n0.5\n1\n"), 0) << m8.error;
    expect_counts(m8, separated_files + t0_files, 46);
    RunDir m4;
    ASSERT_EQ(m4(pip_dipole_head + "4\n3.0\n0.25\n12\n0.5\n1\n"), 0) << m4.error;
    // Q^2 from 0.1 to 3 GeV^2 at fixed x_B and theta
    expect_counts(m4, separated_files, 291);
    EXPECT_NEAR(m4.rows("BSA.dat").front().x, 0.1, 1e-12);
}

TEST(ReggeRun, DdsPhiScanWrites360LinesPerPoint) {
    RunDir run;
    ASSERT_EQ(run(pip_dds_head + "5\n0.6\n1\n2.21\n1.6\n0.55\n1\n"), 0) << run.error;
    expect_counts(run, {"ddS_PHI.dat", "ddS_domega.dat"}, 360);
    const auto phi = run.rows("ddS_PHI.dat"), dom = run.rows("ddS_domega.dat");
    const std::vector<std::string> raw = run.file("ddS_PHI.dat");
    EXPECT_EQ(raw.front().substr(0, 12), "           1");  // the integer degree in the first column
    for (std::size_t i = 0; i < 360; ++i) {
        EXPECT_EQ(phi[i].x, static_cast<double>(i + 1));
        EXPECT_EQ(dom[i].x, static_cast<double>(i + 1));
        EXPECT_TRUE(close_rel(phi[i].y / dom[i].y, phi[0].y / dom[0].y, 1e-14));
    }
    // the DDS is symmetric about phi = 180 degrees (to the precision of the single-precision pi)
    EXPECT_TRUE(close_rel(dom[59].y, dom[299].y, 1e-6));
    EXPECT_FALSE(close_rel(dom[59].y, dom[119].y, 1e-6));
}

TEST(ReggeRun, DdsCeaQ2ScanHas396Values) {
    RunDir run;
    ASSERT_EQ(run(pip_dds_head + "4\n0.6\n7\n2.21\n3.6\n0.5\n-0.5\n1\n"), 0) << run.error;
    expect_counts(run, {"ddS_domega.dat"}, 396);
    const auto rows = run.rows("ddS_domega.dat");
    EXPECT_NEAR(rows.front().x, 0.05, 1e-12);
    EXPECT_NEAR(rows.back().x, 4.0, 1e-12);
    RunDir w;
    // pi- p, Cornell average, W from 10 MeV above threshold to 4 GeV: (4000 - 1087.842)/20 -> 146 values
    ASSERT_EQ(w("2\n2\n1.55\n2\n775\n1\n3\n2\n3\n0.6\n6\n0.29\n3.6\n0\n0\n1\n"), 0) << w.error;
    expect_counts(w, {"ddS_domega.dat"}, 146);
    EXPECT_NEAR(w.rows("ddS_domega.dat").front().x, (938.272 + 139.57000732421875 + 10.0) / 1000.0, 1e-12);
}

TEST(ReggeRun, DdsThetaScanAtFixedPhi) {
    RunDir run;
    ASSERT_EQ(run(pip_dds_head + "2\n0.6\n5\n2.21\n1.6\n45\n2\n"), 0) << run.error;
    expect_counts(run, {"ddS_T.dat", "ddS_domega.dat"}, 181);
    const auto t = run.rows("ddS_T.dat"), w = run.rows("ddS_domega.dat");
    for (std::size_t i = 0; i < 181; ++i) EXPECT_EQ(t[i].x, w[i].x);
}

TEST(ReggeRun, NeutralChannelsThatTheBannerDoesNotList) {
    RunDir n;
    ASSERT_EQ(n("4\n1\n775\n2\n1\n2\n9\n2.5\n2.0\n0.5\n1\n"), 0) << n.error;
    expect_counts(n, separated_files + t0_files, 181);
    for (const Row& r : n.rows("dST.dat")) EXPECT_GT(r.y, 0.0);
    RunDir p;
    ASSERT_EQ(p("3\n2\n775\n1\n1\n1\n1\n1\n9\n2.5\n2.0\n0.5\n1\n"), 0) << p.error;
    expect_counts(p, separated_files + t0_files, 46);
    EXPECT_EQ(p.transcript[6], " OMEGA_PHASE: nEXD(1), EXD(2)");
}

TEST(ReggeRun, EmptyLoopsAndOutOfRangeMinusTWriteNothing) {
    RunDir q2;  // final Q^2 below the first 0.001 GeV^2, less than one step
    ASSERT_EQ(q2(pip_dipole_head + "2\n0.0005\n2.2\n0.3\n0.5\n1\n"), 0) << q2.error;
    expect_counts(q2, {}, 0);
    RunDir w;  // final W 1.52 GeV below the first W 1.529135 GeV
    ASSERT_EQ(w(pip_dipole_head + "1\n1.52\n1.0\n0.5\n0.5\n1\n"), 0) << w.error;
    expect_counts(w, {}, 0);
    RunDir t;  // -t beyond the printed range
    ASSERT_EQ(t(pip_dipole_head + "1\n2\n1.0\n5.0\n0.5\n1\n"), 0) << t.error;
    expect_counts(t, {}, 0);
    RunDir nan_bound;  // a final W that is not a number
    ASSERT_EQ(nan_bound(pip_dipole_head + "6\nNaN\n1.0\n0.99\n0.5\n1\n"), 0) << nan_bound.error;
    expect_counts(nan_bound, {}, 0);
}

TEST(ReggeRun, UnphysicalPointsWriteNaNLines) {
    RunDir run;  // -t = 50 GeV^2 lies outside the physical range at W = 2.21 GeV: arccos beyond +-1
    ASSERT_EQ(run(pip_dds_head + "2\n0.6\n1\n2.21\n1.6\n50\n1\n"), 0) << run.error;
    expect_counts(run, {"ddS_PHI.dat", "ddS_domega.dat"}, 360);
    for (const std::string& l : run.file("ddS_domega.dat")) EXPECT_NE(l.find("NaN"), std::string::npos) << l;
    for (const Row& r : run.rows("ddS_PHI.dat")) EXPECT_TRUE(std::isnan(r.y));
}

TEST(ReggeRun, BadAnswerStopsWithoutTouchingEarlierResults) {
    RunDir run;
    run.put("dST.dat", " 1.0 2.0\n");
    const int status = run("1\n2\n1.55\n1\n775\n1\n4\n");
    EXPECT_EQ(status, 1);
    EXPECT_NE(run.error.find("WHICH ONE PRINT TO OUT"), std::string::npos) << run.error;
    EXPECT_NE(run.error.find("\"4\""), std::string::npos) << run.error;
    EXPECT_EQ(run.file("dST.dat"), std::vector<std::string>{" 1.0 2.0"});
    const auto c = run.counts();  // the other files are created, empty
    EXPECT_EQ(c.at("BSA.dat"), 0u);
    // the dialogue stopped at the rejected answer: its last record is that question
    ASSERT_FALSE(run.transcript.empty());
    EXPECT_EQ(run.transcript.back(), " WHICH ONE PRINT TO OUT: DST,DSL,DSTT,DSLT,DSLTP,dSU,L/T_ratio,BSA (1) OR DDS (3)");

    RunDir text;
    EXPECT_EQ(text("one\n"), 1);
    EXPECT_NE(text.error.find("\"one\""), std::string::npos) << text.error;
    RunDir early;
    EXPECT_EQ(early("1\n2\n1.55\n"), 1);
    EXPECT_NE(early.error.find("FOR CHARGED CHANNELS NUCLEON MAGNETIC TERMS F2"), std::string::npos) << early.error;
}

TEST(ReggeRun, TheTableIsFoundWhereInstalledAndAMissingOrBadOneStopsBeforeTheFirstQuestion) {
    const std::string answers = pip_dipole_head + "9\n2.22\n1.60\n0.5\n1\n";
    // the program of the build tree without ./integral reads the source tree's copy
    RunDir built(false);
    EXPECT_EQ(built(answers), 0) << built.error;
    EXPECT_EQ(built.file("dSU.dat").size(), 181u);

    // an installation moved elsewhere finds its table beside the program (bin/ -> share/kavrin/integral/)
    RunDir installed(false);
    const fs::path prefix = installed.dir() / "moved-prefix";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share/kavrin/integral");
    fs::copy_file(KAVRIN_REGGE_BINARY, prefix / "bin/kavrin-regge");
    installed.binary = (prefix / "bin/kavrin-regge").string();
    installed.put("dSU.dat", " old line\n");
    // none anywhere: said before the first question, with the fix; nothing in the run directory touched
    EXPECT_EQ(installed(answers), 1);
    EXPECT_TRUE(installed.transcript.empty());
    EXPECT_NE(installed.error.find("./integral/gauss-legendre100.dat"), std::string::npos) << installed.error;
    EXPECT_NE(installed.error.find((prefix / "share/kavrin/integral/gauss-legendre100.dat").string()), std::string::npos)
        << installed.error;
    EXPECT_NE(installed.error.find("mkdir -p integral && cp "), std::string::npos) << installed.error;
    EXPECT_EQ(installed.file("dSU.dat"), std::vector<std::string>{" old line"});
    EXPECT_FALSE(fs::exists(installed.dir() / "dST.dat"));
    fs::copy_file(fs::path(KAVRIN_SOURCE_DIR) / "data/integral/gauss-legendre100.dat",
                  prefix / "share/kavrin/integral/gauss-legendre100.dat");
    EXPECT_EQ(installed(answers), 0) << installed.error;
    EXPECT_EQ(installed.file("dSU.dat").size(), 181u);

    RunDir shortened(false);
    fs::create_directories(shortened.dir() / "integral");
    {
        std::ifstream in(fs::path(KAVRIN_SOURCE_DIR) / "data/integral/gauss-legendre100.dat");
        std::ofstream out(shortened.dir() / "integral/gauss-legendre100.dat");
        std::string line;
        for (int i = 0; i < 50 && std::getline(in, line); ++i) out << line << '\n';
    }
    shortened.put("BSA.dat", " old\n");
    EXPECT_EQ(shortened(answers), 1);
    EXPECT_NE(shortened.error.find("gauss-legendre100.dat"), std::string::npos) << shortened.error;
    EXPECT_NE(shortened.error.find("50"), std::string::npos) << shortened.error;
    EXPECT_EQ(shortened.file("BSA.dat"), std::vector<std::string>{" old"});

    RunDir garbled(false);
    fs::create_directories(garbled.dir() / "integral");
    {
        std::ifstream in(fs::path(KAVRIN_SOURCE_DIR) / "data/integral/gauss-legendre100.dat");
        std::ofstream out(garbled.dir() / "integral/gauss-legendre100.dat");
        std::string line;
        for (int i = 0; std::getline(in, line); ++i) out << (i == 2 ? " x0.5 0.1" : line) << '\n';
    }
    EXPECT_EQ(garbled(answers), 1);
    EXPECT_NE(garbled.error.find("line 3"), std::string::npos) << garbled.error;
    for (const std::string& f : all_files) EXPECT_EQ(garbled.file(f).size(), 0u) << f;
}

