// Whole runs of the built kavrin-models in a scratch directory: the transcript, which result files get
// how many lines, the x columns of each scan, and the runs that must stop with an error.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "io/result_files.hpp"
#include "io/results.hpp"
#include "kinematics/kinematics.hpp"

namespace fs = std::filesystem;
using namespace kavrin;

namespace {

const std::vector<std::string> kFiles(io::file::models_files.begin(), io::file::models_files.end());
const std::vector<std::string> kTScanFiles = {
    "dST.dat", "dSL.dat", "dSTT.dat", "dSLT.dat", "dSLTP.dat", "dSU.dat", "-dSTT.dat", "-dSLT.dat", "-dSLTP.dat",
    "dSL_over_dST.dat", "BSA_t.dat", "dST-T0.dat", "dSL-T0.dat", "dSTT-T0.dat", "dSLT-T0.dat", "dSLTP-T0.dat",
    "dSU-T0.dat", "dSL_over_dST-T0.dat"};
const std::vector<std::string> kSeven = {"dST.dat",  "dSL.dat", "dSTT.dat",        "dSLT.dat",
                                         "dSLTP.dat", "dSU.dat", "dSL_over_dST.dat"};

struct Line {
    double x, y;
};

// A scratch directory that is removed at the end of the test.
class ScratchDir {
public:
    ScratchDir() {
        static std::atomic<int> n{0};
        dir_ = fs::temp_directory_path() /
               ("kavrin-models-run-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    ~ScratchDir() { fs::remove_all(dir_); }
    const fs::path& path() const { return dir_; }

private:
    fs::path dir_;
};

struct RunResult {
    int status = -1;
    std::string out, err;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

RunResult run_models(const fs::path& dir, const std::string& answers) {
    {
        std::ofstream a(dir / "answers.in");
        a << answers;
    }
    const std::string cmd = "cd '" + dir.string() + "' && '" + std::string(KAVRIN_MODELS_BINARY) +
                            "' < answers.in > stdout.log 2> stderr.log";
    const int rc = std::system(cmd.c_str());
    RunResult r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = slurp(dir / "stdout.log");
    r.err = slurp(dir / "stderr.log");
    return r;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
}

std::vector<Line> read_file(const fs::path& p) {
    std::vector<Line> v;
    for (const std::string& l : lines_of(slurp(p))) {
        char* end = nullptr;
        const double x = std::strtod(l.c_str(), &end);
        const double y = std::strtod(end, nullptr);
        v.push_back({x, y});
    }
    return v;
}

// Line count of every result file (all twenty must exist).
std::map<std::string, std::size_t> counts(const fs::path& dir) {
    std::map<std::string, std::size_t> c;
    for (const std::string& f : kFiles) {
        EXPECT_TRUE(fs::exists(dir / f)) << f;
        c[f] = lines_of(slurp(dir / f)).size();
    }
    return c;
}

// Expect exactly the files in `written` to hold n lines each and all others to be empty.
void expect_counts(const fs::path& dir, const std::vector<std::string>& written, std::size_t n) {
    const auto c = counts(dir);
    for (const std::string& f : kFiles) {
        const bool w = std::find(written.begin(), written.end(), f) != written.end();
        EXPECT_EQ(c.at(f), w ? n : 0u) << f;
    }
}

std::string answers(std::initializer_list<const char*> a) {
    std::string s;
    for (const char* x : a) s += std::string(x) + "\n";
    return s;
}

const std::vector<std::string> kHead = {
    " *******************************************",
    " ***** PION Electro-PRODUCTION *****",
    " *****   with kavrin-km-qvm ******",
    " *******************************************",
    " GAMMA* p -> PI+ N (1)",
    " GAMMA* N -> PI- P (2)",
    " GAMMA* P -> PI0 P (3)",
    " Current Conservation Check: NO(1), YES(2)",
    " MODEL: KM(1), VR(2), QVM(3)",
    " Put any value for cuts, if irrelevant.",
    " ",
    " Please input cut-off of Pion in GeV: KM=0.68, VR=0.655, QVM=0.775",
    " Please input cut-off of nucleon in GeV: KM & VR=0.84(already fixed in sub-routine), QVM=1.55",
    " Please input cut-off of omega in GeV: 0.775 or 1.2 for neutral.",
    " WE WILL CALCULATE DIFF. CROSS SECTION(DCS)!!!",
    " ",
    " WHICH ONE PRINT TO OUT: 4-kinds of DCS & L/T ratio, dS_U(1), BSA(2), or  SUM OF 4-DCS(3) ",
    " WE WILL CALCULATE DIFF. CROSS SECTION!!!",
    " CHOOSE X-AXIS & FIX VARs. : W,QQ&t(1), QQ,W&t(2), QQ,xb&t(3), QQ,xb&theta(4), QQ,W&theta(5)",
    "    W,QQ&cos(theta)(6), QQ,W&cos(theta)(7),  -t,xb&QQ(8) ,  -t,W&QQ(9),  OR  cos(theta),W&QQ(10)",
    " CHOOSE ANGLE RANGE FOR X-AXIS IN (8),(9),(10); SMALL(1),  FULL(2)",
};
const std::vector<std::string> kTail = {
    " ", " ", "                               ", "             WAIT!!!           ",
    "    SMILE AND BE HAPPY!!! ^o^  ", "                               ",
};

std::vector<std::string> transcript(const std::vector<std::string>& middle) {
    std::vector<std::string> all = kHead;
    all.insert(all.end(), middle.begin(), middle.end());
    all.insert(all.end(), kTail.begin(), kTail.end());
    return all;
}

const double kStartW = 939.565 + 139.272 + 450.0;  // modes 1 and 6 in channel 1 (MeV)

}  // namespace

TEST(ModelsRun, FullThetaScanWritesEighteenFilesOf181Lines) {
    ScratchDir d;
    const RunResult r = run_models(d.path(), answers({"1", "2", "0.655", "0.84", "1", "9", "2", "2.21", "1.6", "0.5"}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(lines_of(r.out),
              transcript({" INPUT: TOTAL CM ENERGY W(GeV)?", " INPUT: QQ(GeV^2)?",
                          " INPUT: PHOTON POL EL(0<EL<1)? Put any value, 0.5, for instance to proceed."}));
    expect_counts(d.path(), kTScanFiles, 181);  // "dS.dat" and "BSA_QQ.dat" stay empty

    const auto dst = read_file(d.path() / "dST.dat"), dsl = read_file(d.path() / "dSL.dat"),
               dstt = read_file(d.path() / "dSTT.dat"), mdstt = read_file(d.path() / "-dSTT.dat"),
               bsa = read_file(d.path() / "BSA_t.dat"), dst0 = read_file(d.path() / "dST-T0.dat"),
               ratio = read_file(d.path() / "dSL_over_dST.dat");
    // every line is a free-format record of two reals
    for (const std::string& f : kTScanFiles) {
        const auto text = lines_of(slurp(d.path() / f));
        const auto values = read_file(d.path() / f);
        for (std::size_t i = 0; i < text.size(); i += 60) EXPECT_EQ(text[i], io::result_line(values[i].x, values[i].y));
    }
    const TRange range = kinematics(2210.0, 1.6e6, 938.272, 939.565, 139.272);
    // theta = 0 .. 180 degrees: -t runs from -t_max to -t_min; the T0 files measure from t at theta = 0
    EXPECT_NEAR(dst.front().x, -range.t_max / 1e6, 1e-9);
    EXPECT_NEAR(dst.back().x, -range.t_min / 1e6, 1e-9);
    EXPECT_NEAR(dst0.front().x, 0.0, 1e-9);
    for (std::size_t i = 0; i < 181; ++i) {
        if (i > 0) {
            EXPECT_GT(dst[i].x, dst[i - 1].x);
        }
        EXPECT_GE(dst[i].y, 0.0) << i;
        EXPECT_GE(dsl[i].y, 0.0) << i;
        EXPECT_LE(std::abs(bsa[i].y), 1.0) << i;
        EXPECT_EQ(mdstt[i].x, dstt[i].x);
        EXPECT_EQ(mdstt[i].y, -dstt[i].y);
        EXPECT_NEAR(dst0[i].x, dst[i].x + range.t_max / 1e6, 1e-9);
        EXPECT_EQ(dst0[i].y, dst[i].y);
        EXPECT_NEAR(ratio[i].y, dsl[i].y / dst[i].y, 1e-14 * std::abs(ratio[i].y));
    }
}

TEST(ModelsRun, SmallCosineScanWritesSevenFilesOf41Lines) {
    ScratchDir d;
    const RunResult r = run_models(d.path(), answers({"3", "1", "0.68", "0.84", "1", "10", "1", "2.8", "2.3", "0.5"}));
    ASSERT_EQ(r.status, 0) << r.err;
    expect_counts(d.path(), kSeven, 41);
    const auto dst = read_file(d.path() / "dST.dat");
    for (std::size_t i = 0; i < dst.size(); ++i)
        EXPECT_NEAR(dst[i].x, std::cos(static_cast<double>(i) * double(3.1415927f) / 180.0), 1e-15);
}

TEST(ModelsRun, KmWithoutBeamEnergyWritesNoAsymmetryAndWithoutEpsilonNoUnseparated) {
    ScratchDir d1;
    ASSERT_EQ(run_models(d1.path(), answers({"1", "1", "0.68", "0.84", "1", "9", "1", "2.21", "1.6", "0.5"})).status, 0);
    std::vector<std::string> no_bsa = kTScanFiles;
    no_bsa.erase(std::find(no_bsa.begin(), no_bsa.end(), "BSA_t.dat"));
    expect_counts(d1.path(), no_bsa, 41);

    ScratchDir d2;
    ASSERT_EQ(run_models(d2.path(), answers({"1", "1", "0.68", "0.84", "2", "9", "1", "2.21", "1.6", "5.77"})).status, 0);
    std::vector<std::string> no_dsu = kTScanFiles;
    no_dsu.erase(std::find(no_dsu.begin(), no_dsu.end(), "dSU.dat"));
    no_dsu.erase(std::find(no_dsu.begin(), no_dsu.end(), "dSU-T0.dat"));
    expect_counts(d2.path(), no_dsu, 41);
    for (const Line& l : read_file(d2.path() / "BSA_t.dat")) EXPECT_LE(std::abs(l.y), 1.0);
}

TEST(ModelsRun, WScansStartFourHundredFiftyMeVAboveThreshold) {
    for (const char* mode : {"1", "6"}) {
        const bool with_t = std::string(mode) == "1";
        const auto ask = [&](const std::string& final_w) {
            return with_t ? answers({"1", "2", "0.655", "0.84", "1", mode, "2", final_w.c_str(), "1.0", "0.3", "0.5"})
                          : answers({"1", "2", "0.655", "0.84", "1", mode, "2", final_w.c_str(), "1.0", "0.2", "0.5"});
        };
        // a final W less than one step above the start: the single point at the start W
        ScratchDir one;
        ASSERT_EQ(run_models(one.path(), ask(std::to_string((kStartW + 5.0) / 1000.0))).status, 0);
        expect_counts(one.path(), kSeven, 1);
        EXPECT_NEAR(read_file(one.path() / "dST.dat").at(0).x, kStartW / 1000.0, 1e-12);
        // a final W below the start: no point, every file created and empty
        ScratchDir none;
        const RunResult r = run_models(none.path(), ask(std::to_string((kStartW - 1.0) / 1000.0)));
        ASSERT_EQ(r.status, 0) << r.err;
        expect_counts(none.path(), kSeven, 0);
        // 105 MeV above the start: eleven points 10 MeV apart
        ScratchDir eleven;
        ASSERT_EQ(run_models(eleven.path(), ask(std::to_string((kStartW + 105.0) / 1000.0))).status, 0);
        expect_counts(eleven.path(), kSeven, 11);
        const auto dst = read_file(eleven.path() / "dST.dat");
        for (std::size_t i = 0; i < dst.size(); ++i) EXPECT_NEAR(dst[i].x, (kStartW + 10.0 * i) / 1000.0, 1e-12);
    }
}

TEST(ModelsRun, WScanTranscriptShowsThePhysicalTRange) {
    ScratchDir d;
    const RunResult r = run_models(d.path(), answers({"1", "2", "0.655", "0.84", "1", "1", "2", "3.0", "1.0", "0.3", "0.5"}));
    ASSERT_EQ(r.status, 0) << r.err;
    const TRange t = kinematics(3000.0, 1.0e6, 938.272, 939.565, 139.272);
    const std::string t_line = " INPUT: -T(GeV^2)?   (" + io::format_real(-t.t_max / 1e6) + " < -T < " +
                               io::format_real(-t.t_min / 1e6) + ")";
    EXPECT_EQ(lines_of(r.out),
              transcript({" INPUT: FINAL W(GeV)?", " INPUT: QQ(GeV^2)?", t_line,
                          " INPUT: PHOTON POL EL(0<EL<1)? Put any value, 0.5, for instance to proceed."}));
    // W from the start to 3 GeV; -t = 0.3 GeV^2 is physical at every W of this range
    expect_counts(d.path(), kSeven, static_cast<std::size_t>((3000.0 - kStartW) / 10.0) + 1);
}

TEST(ModelsRun, Q2ScansStartAtPointOneAndWriteTheAsymmetry) {
    ScratchDir d;
    ASSERT_EQ(run_models(d.path(), answers({"2", "3", "0.775", "1.55", "1", "5", "2", "0.155", "2.5", "10", "0.5"})).status,
              0);
    std::vector<std::string> eight = kSeven;
    eight.push_back("BSA_QQ.dat");
    expect_counts(d.path(), eight, 6);  // Q^2 = 0.10, 0.11, ..., 0.15
    const auto dst = read_file(d.path() / "dST.dat");
    for (std::size_t i = 0; i < dst.size(); ++i) EXPECT_NEAR(dst[i].x, 0.1 + 0.01 * i, 1e-12);
    // mode 2 starts at 0.1 GeV^2 whatever the final Q^2: below it nothing is written
    ScratchDir low;
    ASSERT_EQ(run_models(low.path(), answers({"2", "3", "0.775", "1.55", "1", "2", "2", "0.05", "2.5", "0.5", "0.5"})).status,
              0);
    expect_counts(low.path(), eight, 0);
}

TEST(ModelsRun, PhiSumWrites360LinesPerPoint) {
    ScratchDir d;
    ASSERT_EQ(run_models(d.path(), answers({"1", "3", "0.775", "1.55", "3", "7", "2", "0.11", "2.5", "0.5", "0.7"})).status,
              0);
    expect_counts(d.path(), {"dS.dat"}, 720);  // two Q^2 steps
    const auto ds = read_file(d.path() / "dS.dat");
    for (std::size_t i = 0; i < ds.size(); ++i) {
        EXPECT_EQ(ds[i].x, static_cast<double>(i % 360 + 1));
        EXPECT_GT(ds[i].y, 0.0);  // an unpolarized cross section
    }
}

TEST(ModelsRun, XbModesRunQ2FromTheThresholdOfXb) {
    // mode 8: a -t series for every Q^2 step from the xB threshold to the answered Q^2
    ScratchDir d;
    ASSERT_EQ(run_models(d.path(), answers({"1", "3", "0.775", "1.55", "1", "8", "1", "3.0", "0.5", "0.3", "0.5"})).status,
              0);
    const double wth = 939.565 + 139.272, m2 = 938.272 * 938.272;
    const double qq0 = (wth * wth - m2) * 0.3 / (1 - 0.3);
    const double qqmin = qq0 + double(0.01f);
    const std::size_t steps = static_cast<std::size_t>((0.5e6 - qqmin) / 10000.0) + 1;
    expect_counts(d.path(), kTScanFiles, 41 * steps);

    // mode 3: one point per Q^2 step where the fixed -t lies inside the physical range
    ScratchDir d3;
    ASSERT_EQ(run_models(d3.path(), answers({"1", "3", "0.775", "1.55", "1", "3", "2", "0.3", "2.0", "0.5", "0.5"})).status,
              0);
    std::size_t inside = 0, total = 0;
    for (double qq = qqmin; qq <= 2.0e6; qq += 10000.0, ++total) {
        const double w = std::sqrt(qq / 0.3 - qq + m2);
        const TRange r = kinematics(w, qq, 938.272, 939.565, 139.272);
        if (-0.5e6 <= r.t_max && -0.5e6 >= r.t_min) ++inside;
    }
    ASSERT_GT(inside, 0u);
    ASSERT_LT(inside, total);  // some steps are skipped
    std::vector<std::string> eight = kSeven;
    eight.push_back("BSA_QQ.dat");
    expect_counts(d3.path(), eight, inside);
}

TEST(ModelsRun, UnphysicalPointsAreWrittenAsNotANumber) {
    ScratchDir d;
    const RunResult r = run_models(d.path(), answers({"1", "2", "0.655", "0.84", "1", "9", "1", "1.0", "1.6", "0.5"}));
    ASSERT_EQ(r.status, 0) << r.err;
    expect_counts(d.path(), kTScanFiles, 41);
    for (const Line& l : read_file(d.path() / "dST.dat")) EXPECT_TRUE(std::isnan(l.y));
    // a fixed -t outside the physical range is skipped silently
    ScratchDir skip;
    ASSERT_EQ(run_models(skip.path(), answers({"1", "2", "0.655", "0.84", "1", "2", "2", "1.0", "2.2", "50", "0.5"})).status,
              0);
    expect_counts(skip.path(), {}, 0);
}

TEST(ModelsRun, RefusedAnswersStopWithStatusOneAndKeepEarlierResults) {
    ScratchDir d;
    for (const char* f : {"dST.dat", "dS.dat"}) std::ofstream(d.path() / f) << " earlier result\n";
    for (const auto& [input, shown] : {std::pair{answers({"4"}), "\"4\""},
                                       std::pair{answers({"1", "4"}), "\"4\""},
                                       std::pair{answers({"1", "1", "0.68", "0.84", "0"}), "\"0\""},
                                       std::pair{answers({"1", "1", "0.68", "0.84", "1", "11"}), "\"11\""},
                                       std::pair{answers({"1", "1", "0.68", "x1"}), "\"x1\""},
                                       std::pair{answers({"1", "1", "0.68", "0.84", "1", "9"}), "input ended"}}) {
        const RunResult r = run_models(d.path(), input);
        EXPECT_EQ(r.status, 1) << input;
        EXPECT_NE(r.err.find(shown), std::string::npos) << r.err;
        EXPECT_EQ(slurp(d.path() / "dST.dat"), " earlier result\n");
        EXPECT_EQ(lines_of(r.out).at(0), kHead[0]);  // the files were opened and the banner printed first
    }
    for (const std::string& f : kFiles) EXPECT_TRUE(fs::exists(d.path() / f)) << f;
    // a complete run replaces what it writes and keeps what it does not write
    ASSERT_EQ(run_models(d.path(), answers({"1", "2", "0.655", "0.84", "1", "9", "1", "2.21", "1.6", "0.5"})).status, 0);
    EXPECT_EQ(lines_of(slurp(d.path() / "dST.dat")).size(), 41u);
    EXPECT_EQ(slurp(d.path() / "dS.dat"), " earlier result\n");
}

TEST(ModelsRun, AResultFileThatCannotBeOpenedStopsTheRun) {
    ScratchDir d;
    fs::create_directory(d.path() / "dSL.dat");  // a directory where a result file belongs
    const RunResult r = run_models(d.path(), answers({"1", "2", "0.655", "0.84", "1", "9", "1", "2.21", "1.6", "0.5"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("dSL.dat"), std::string::npos) << r.err;
}

TEST(ModelsRun, EveryExampleAnswerFileRuns) {
    const fs::path examples = fs::path(KAVRIN_SOURCE_DIR) / "examples" / "kavrin-models";
    std::size_t n = 0;
    for (const auto& e : fs::directory_iterator(examples)) {
        if (e.path().extension() != ".in") continue;
        ++n;
        ScratchDir d;
        const RunResult r = run_models(d.path(), slurp(e.path()));
        EXPECT_EQ(r.status, 0) << e.path() << r.err;
        EXPECT_EQ(r.err, "") << e.path();
        std::size_t written = 0;
        for (const auto& [f, c] : counts(d.path())) written += c;
        EXPECT_GT(written, 0u) << e.path();
    }
    EXPECT_GE(n, 9u);  // every model in every channel
}
