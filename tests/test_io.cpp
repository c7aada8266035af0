// The answer reader and the result-file writer: list-directed answers, free-format lines, and the rule
// that a run never destroys earlier results it does not replace.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "io/answers.hpp"
#include "io/results.hpp"

using namespace kavrin::io;
namespace fs = std::filesystem;

TEST(Answers, TokensEndAtBlankOrCommaAndCarriageReturns) {
    EXPECT_EQ(answer_token("  2.22   W in GeV"), "2.22");
    EXPECT_EQ(answer_token("1,2,3"), "1");
    EXPECT_EQ(answer_token("3\r"), "3");
    EXPECT_EQ(answer_token("\t7 "), "7");
    EXPECT_EQ(answer_token(""), "");
}

TEST(Answers, RealsInFortranStyle) {
    EXPECT_EQ(parse_real("1.55"), 1.55);
    EXPECT_EQ(parse_real("2"), 2.0);
    EXPECT_EQ(parse_real("1e-3"), 1e-3);
    EXPECT_EQ(parse_real("1d-3"), 1e-3);
    EXPECT_EQ(parse_real("1.5D+02"), 150.0);
    EXPECT_EQ(parse_real(".5"), 0.5);
    EXPECT_EQ(parse_real("-7."), -7.0);
    EXPECT_TRUE(std::isnan(*parse_real("NaN")));
    EXPECT_EQ(parse_real("-inf"), -std::numeric_limits<double>::infinity());
    for (const char* bad : {"", "abc", "1.2.3", "0x10", "e5", "1e", "1e+", "--1", "1,5", "2GeV"})
        EXPECT_FALSE(parse_real(bad).has_value()) << bad;
    // a single-precision answer is rounded once from the decimal text
    EXPECT_EQ(*parse_single("0.998"), 0.998f);
}

TEST(Answers, IntegersRejectFractionsAndOverflow) {
    EXPECT_EQ(parse_integer("3"), 3);
    EXPECT_EQ(parse_integer("+2"), 2);
    EXPECT_EQ(parse_integer("-1"), -1);
    EXPECT_FALSE(parse_integer("1.0").has_value());
    EXPECT_FALSE(parse_integer("99999999999999999999999").has_value());
    EXPECT_FALSE(parse_integer("").has_value());
}

TEST(Dialogue, SkipsBlankLinesAndIgnoresTrailingText) {
    std::istringstream in("\n   \n2 pi- p\r\n\n1.6d0, Q2\n");
    std::ostringstream out;
    Dialogue d(in, out, false);
    d.print("GAMMA* P -> PI+ N (1)");
    EXPECT_EQ(d.read_int("channel", [](long long v) { return v >= 1 && v <= 4; }, "1, 2, 3 or 4"), 2);
    EXPECT_DOUBLE_EQ(d.read_real("Q2"), 1.6);
    EXPECT_EQ(out.str(), " GAMMA* P -> PI+ N (1)\n");
    EXPECT_THROW(d.read_real("W"), DialogueError);  // input ended
}

TEST(Dialogue, LinesLongerThanWhatIsKeptStayInStep) {
    // the tail of a long line is dropped, never taken as the next answer
    const std::string tail(3 * max_line_kept, '8');
    std::istringstream in("3 " + tail + "\n" + std::string(max_line_kept + 10, ' ') + "4\n5");
    std::ostringstream out;
    Dialogue d(in, out, false);
    const auto any = [](long long) { return true; };
    EXPECT_EQ(d.read_int("first", any, "a number"), 3);
    // an answer beyond the kept part of its line is not seen: that line is blank
    EXPECT_EQ(d.read_int("second", any, "a number"), 5);
    EXPECT_THROW(d.read_int("third", any, "a number"), DialogueError);
}

TEST(Dialogue, BadAnswerStopsAFileRunButIsAskedAgainAtATerminal) {
    {
        std::istringstream in("7\n1\n");
        std::ostringstream out;
        Dialogue d(in, out, false);
        try {
            d.read_int("CHANNEL", [](long long v) { return v == 1 || v == 2; }, "1 or 2");
            FAIL() << "a bad answer in a file must stop the run";
        } catch (const DialogueError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find("CHANNEL"), std::string::npos);
            EXPECT_NE(what.find("\"7\""), std::string::npos);
        }
    }
    {
        std::istringstream in("7\nx\n1\n");
        std::ostringstream out;
        Dialogue d(in, out, true);
        EXPECT_EQ(d.read_int("CHANNEL", [](long long v) { return v == 1 || v == 2; }, "1 or 2"), 1);
        EXPECT_NE(out.str().find("1 or 2"), std::string::npos);
    }
}

TEST(FreeFormat, RealsWithSeventeenDigits) {
    EXPECT_EQ(format_real(1.529135), "  1.5291349999999999     ");
    EXPECT_EQ(format_real(3.456789012345679e-2), "  3.4567890123456790E-002");
    EXPECT_EQ(format_real(0.5), " 0.50000000000000000     ");
    EXPECT_EQ(format_real(-2.0), " -2.0000000000000000     ");
    EXPECT_EQ(format_real(0.0), "  0.0000000000000000     ");
    EXPECT_EQ(format_real(1.0e-150), "  1.0000000000000000E-150");
    EXPECT_EQ(format_real(std::nan("")), "                      NaN");
    EXPECT_EQ(result_line(1.529135, 3.456789012345679e-2),
              "   1.5291349999999999        3.4567890123456790E-002");
    // every printed value reads back to the same double
    for (double x : {1.0 / 3.0, -12345.678901234567, 6.02214076e23, 9.87654321e-7})
        EXPECT_EQ(std::stod(format_real(x)), x);
}

class ResultFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kavrin-io-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string read(const std::string& name) {
        std::ifstream f(dir / name);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    fs::path dir;
};

TEST_F(ResultFilesTest, OldContentIsReplacedOnlyByANewFirstLine) {
    std::ofstream(dir / "a.dat") << "old a\n";
    std::ofstream(dir / "b.dat") << "old b\n";
    {
        ResultFiles files(dir.string(), {"a.dat", "b.dat", "c.dat"});
        EXPECT_TRUE(fs::exists(dir / "c.dat"));  // created at the start
        EXPECT_EQ(read("a.dat"), "old a\n");     // untouched until written
        files.write(0, " 1 2");
        files.write(0, " 3 4");
        files.close();
        EXPECT_EQ(files.lines_written(0), 2u);
    }
    EXPECT_EQ(read("a.dat"), " 1 2\n 3 4\n");
    EXPECT_EQ(read("b.dat"), "old b\n");
    EXPECT_EQ(read("c.dat"), "");
}

TEST_F(ResultFilesTest, UnwritableDirectoryIsReported) {
    EXPECT_THROW(ResultFiles((dir / "missing").string(), {"a.dat"}), std::runtime_error);
}
