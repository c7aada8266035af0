// kavrin-plot: reading free-format result lines, cutting a file into its series where x restarts,
// leaving non-finite points out, telling the scan variable from the files, reading the run record
// (titles, units, series labels), choosing linear or logarithmic y axes, and whole runs of the command on
// run directories laid out as each program leaves them.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "io/results.hpp"
#include "kavrin-plot/figures.hpp"
#include "figures/gnuplot.hpp"
#include "kavrin-plot/result_data.hpp"
#include "kavrin-plot/run_record.hpp"

using namespace kavrin::plot;
using kavrin::figures::gnuplot_quote;
using kavrin::figures::png_size;
namespace fs = std::filesystem;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<Row> rows_of(std::initializer_list<std::pair<double, double>> xy) {
    std::vector<Row> rows;
    for (auto [x, y] : xy) rows.push_back({x, y});
    return rows;
}

std::vector<double> xs_of(const Piece& p) {
    std::vector<double> xs;
    for (const Row& r : p) xs.push_back(r.x);
    return xs;
}

ResultTable table_of(const std::vector<Row>& rows) {
    ResultTable t;
    t.rows = rows;
    t.line_count = rows.size();
    return t;
}

// An angle scan as the programs write it: -t rising with theta, a smooth falling cross section.
std::vector<Row> angle_scan(double t_start, int points, double scale) {
    std::vector<Row> rows;
    for (int i = 0; i < points; ++i) {
        const double t = t_start + 0.02 * i + 0.0003 * i * i;
        rows.push_back({t, scale * std::exp(-2.5 * t)});
    }
    return rows;
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_result_file(const fs::path& file, const std::vector<Row>& rows) {
    std::ofstream out(file, std::ios::binary);
    for (const Row& r : rows) out << kavrin::io::result_line(r.x, r.y) << "\n";
}

// A fresh scratch directory per test (tests of this file run in parallel under ctest).
fs::path scratch(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("kavrin_plot_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

struct CommandResult {
    int status = -1;
    std::string out, err;
};

// Runs the kavrin-plot binary through the shell; `env` is prepended (e.g. "PATH=/nonexistent").
CommandResult run_plot(const fs::path& work, const std::string& arguments, const std::string& env = "") {
    const fs::path out = work / "stdout.txt", err = work / "stderr.txt";
    const std::string cmd = (env.empty() ? "" : "env " + env + " ") + "'" + std::string(KAVRIN_PLOT_BINARY) +
                            "' " + arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int raw = std::system(cmd.c_str());
    CommandResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    fs::remove(out);
    fs::remove(err);
    return r;
}

// Every file of a directory (recursively) with its content.
std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) files[fs::relative(e.path(), dir).string()] = slurp(e.path());
    return files;
}

// A figure file: a PNG of the expected size, large enough to hold drawn curves, with its script beside it.
void expect_figure(const fs::path& dir, const std::string& stem, unsigned width, unsigned height) {
    const fs::path png = dir / (stem + ".png");
    ASSERT_TRUE(fs::is_regular_file(png)) << png;
    const auto size = png_size(png);
    ASSERT_TRUE(size.has_value()) << png << " is not a PNG";
    EXPECT_EQ(size->first, width) << png;
    EXPECT_EQ(size->second, height) << png;
    EXPECT_GT(fs::file_size(png), 8000u) << png << " is too small to hold curves";
    const std::string script = slurp(dir / (stem + ".gp"));
    EXPECT_NE(script.find("kavrin_output = \"" + stem + ".png\""), std::string::npos) << stem;
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / ("." + stem + ".png.partial")))) << stem;
}

}  // namespace

// ---- reading result lines -------------------------------------------------------------------------

TEST(PlotResultLines, FreeFormatNumbersOfEitherProgram) {
    const auto r = parse_result_line("   1.5291349999999999        3.4567890123456790E-002");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->x, 1.5291349999999999);
    EXPECT_EQ(r->y, 3.4567890123456790E-002);
    // integer phi index, Fortran D exponent, letterless three-digit exponent, tabs and commas
    EXPECT_EQ(parse_result_line("         360   1.0D-03")->x, 360.0);
    EXPECT_EQ(parse_result_line("         360   1.0D-03")->y, 1.0e-3);
    EXPECT_EQ(parse_result_line(" 0.5\t0.25-100")->y, 0.25e-100);
    EXPECT_EQ(parse_result_line("-2.5E+002, -1.0")->x, -250.0);
    // non-finite values are read as such, not as zero
    EXPECT_TRUE(std::isnan(parse_result_line("   0.10000000000000001                       NaN")->y));
    EXPECT_TRUE(std::isinf(parse_result_line(" Infinity  -Infinity")->x));
    EXPECT_LT(parse_result_line(" Infinity  -Infinity")->y, 0.0);
    // anything but two numbers is not a result line
    for (const char* bad : {"", "   ", "1.0", "1.0 2.0 3.0", "W 1.0", "1.0 2.0GeV", "0x10 1"})
        EXPECT_FALSE(parse_result_line(bad).has_value()) << bad;
}

TEST(PlotResultLines, FileCountsLinesAndRejectsGarbage) {
    const fs::path dir = scratch("file_counts");
    {
        std::ofstream out(dir / "dST.dat");
        out << "   0.1   1.0\r\n\n   0.2   NaN\n   oops\n   0.3   0.5\n";
    }
    const ResultTable t = read_result_table(dir / "dST.dat");
    EXPECT_EQ(t.line_count, 4u);  // the blank line does not count
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.finite_rows(), 2u);
    ASSERT_EQ(t.bad_lines.size(), 1u);
    EXPECT_EQ(t.bad_lines[0], 4u);
    EXPECT_THROW(read_result_table(dir / "absent.dat"), std::runtime_error);
    fs::remove_all(dir);
}

// ---- series and non-finite points -----------------------------------------------------------------

TEST(PlotSeries, ThetaScanWithNaNLinesIsOneCurveWithGaps) {
    // -t rising with theta; two unphysical points in the middle and one at the end
    const auto rows = rows_of({{0.1, 5.0}, {0.2, 4.0}, {0.3, kNaN}, {kNaN, kNaN}, {0.5, 2.0}, {0.6, 1.5}, {0.7, kNaN}});
    const auto series = split_series(rows);
    ASSERT_EQ(series.size(), 1u);
    ASSERT_EQ(series[0].pieces.size(), 2u);  // the curve is cut, not joined across the gap
    EXPECT_EQ(xs_of(series[0].pieces[0]), (std::vector<double>{0.1, 0.2}));
    EXPECT_EQ(xs_of(series[0].pieces[1]), (std::vector<double>{0.5, 0.6}));
    EXPECT_EQ(series[0].point_count(), 4u);
}

TEST(PlotSeries, NewSeriesWhereXRestarts) {
    // two -t series (one per Q^2 step): the second starts above the first start but below its end
    auto rows = angle_scan(0.10, 5, 1.0);
    const auto second = angle_scan(0.15, 4, 2.0);
    rows.insert(rows.end(), second.begin(), second.end());
    auto series = split_series(rows);
    ASSERT_EQ(series.size(), 2u);
    EXPECT_EQ(series[0].number, 1u);
    EXPECT_EQ(series[1].number, 2u);
    EXPECT_EQ(series[0].point_count(), 5u);
    EXPECT_EQ(series[1].point_count(), 4u);
    EXPECT_EQ(series[1].pieces[0][0].x, 0.15);

    // a falling scan (cos theta from 1 down) is one series; a second sweep starts a new one
    series = split_series(rows_of({{1.0, 1}, {0.5, 2}, {0.0, 3}, {-0.5, 4}, {1.0, 1}, {0.0, 3}}));
    ASSERT_EQ(series.size(), 2u);
    EXPECT_EQ(series[0].point_count(), 4u);

    // a repeated x also starts a new series, and single-point series stay apart
    series = split_series(rows_of({{2.0, 1}, {2.0, 2}, {2.0, 3}}));
    EXPECT_EQ(series.size(), 3u);

    // a non-finite x neither splits a series nor breaks the restart detection
    series = split_series(rows_of({{1, 1}, {2, 2}, {kNaN, 1}, {3, 3}, {1, 5}, {2, 6}}));
    ASSERT_EQ(series.size(), 2u);
    EXPECT_EQ(series[0].pieces.size(), 2u);
    EXPECT_EQ(series[1].point_count(), 2u);
}

TEST(PlotSeries, TwoPhiSweepsOfThreeHundredSixtyLines) {
    std::vector<Row> rows;
    for (int point = 0; point < 2; ++point)
        for (int i = 1; i <= 360; ++i) rows.push_back({double(i), 1.0 + point + 0.3 * std::cos(i * std::numbers::pi / 90)});
    const auto series = split_series(rows);
    ASSERT_EQ(series.size(), 2u);
    EXPECT_EQ(series[0].point_count(), 360u);
    EXPECT_EQ(series[1].point_count(), 360u);
    EXPECT_EQ(series[1].pieces[0].front().x, 1.0);
}

TEST(PlotSeries, AllNaNSeriesKeepsItsNumberButDrawsNothing) {
    const auto series = split_series(rows_of({{0.1, 1}, {0.2, 2}, {0.1, kNaN}, {0.2, kNaN}, {0.1, 3}, {0.2, 4}}));
    ASSERT_EQ(series.size(), 3u);
    EXPECT_EQ(series[1].point_count(), 0u);
    EXPECT_EQ(series[2].number, 3u);
}

TEST(PlotDataFile, BlocksPerSeriesAndNoNonFiniteValue) {
    auto rows = rows_of({{0.1, 1.0}, {0.2, kNaN}, {0.3, 0.5}, {0.1, kNaN}, {0.2, kNaN}, {0.1, 2.0}, {0.2, 1.0 / 3}});
    std::ostringstream out;
    write_plot_data(out, split_series(rows), "dST.dat");
    const std::string text = out.str();
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    // series 1 (two pieces) and series 3; the all-NaN series 2 writes no block
    std::istringstream in(text);
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(in, line)) lines.push_back(line);
    const std::vector<std::string> expected_shape = {"#", "0.10000000000000001 1 1", "", "0.29999999999999999 0.5 1",
                                                     "", "", "0.10000000000000001 2 3",
                                                     "0.20000000000000001 0.33333333333333331 3"};
    ASSERT_EQ(lines.size(), expected_shape.size()) << text;
    EXPECT_EQ(lines[0].substr(0, 1), "#");
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected_shape[i]) << i;
    // the values survive the round trip exactly
    EXPECT_EQ(parse_number("0.33333333333333331"), 1.0 / 3);
}

// ---- which program, which x, which labels ---------------------------------------------------------

TEST(PlotInference, ProgramFromTheFilesOnlyItWrites) {
    RunTables regge, models, mixed, shared;
    for (const auto& n : regge_result_files()) regge[n] = {};
    for (const auto& n : models_result_files()) models[n] = {};
    mixed = regge;
    mixed["dS.dat"] = {};
    shared["dST.dat"] = {};
    EXPECT_EQ(detect_program(regge), Program::regge);
    EXPECT_EQ(detect_program(models), Program::models);
    EXPECT_EQ(detect_program(mixed), Program::unknown);
    EXPECT_EQ(detect_program(shared), Program::unknown);
}

TEST(PlotInference, ScanVariableOfKavrinRegge) {
    RunTables run;
    for (const auto& n : regge_result_files()) run[n] = {};
    // W scan of pi+ n from threshold + 450 MeV in 20 MeV steps (single-precision pion mass)
    const double emin = 939.565 + double(139.57f) + 450;
    std::vector<Row> w;
    for (int i = 0; i < 24; ++i) w.push_back({(i * 20 + emin) / 1000, 1.0});
    run["dST.dat"] = table_of(w);
    EXPECT_EQ(infer_scan_x(Program::regge, run).kind, XKind::w);
    // a single W point is still on the grid
    run["dST.dat"] = table_of({w[3]});
    EXPECT_EQ(infer_scan_x(Program::regge, run).kind, XKind::w);
    // Q^2 scan from 0.001 GeV^2 in 0.01 GeV^2 steps
    std::vector<Row> q2;
    for (int i = 0; i < 200; ++i) q2.push_back({(i * 10000 + 1000.0000610351562) / 1e6, 1.0});
    run["dST.dat"] = table_of(q2);
    EXPECT_EQ(infer_scan_x(Program::regge, run).kind, XKind::q2);
    // the part of a Q^2 scan above 1.07 GeV^2 (where a fixed -t becomes physical) is off every W grid
    run["dST.dat"] = table_of(std::vector<Row>(q2.begin() + 150, q2.end()));
    EXPECT_EQ(infer_scan_x(Program::regge, run).kind, XKind::q2);
    // a W 10 MeV off the grid is not taken for W
    run["dST.dat"] = table_of({{w[3].x + 0.01, 1.0}});
    EXPECT_EQ(infer_scan_x(Program::regge, run).kind, XKind::q2);
    // cos theta from 1 down
    std::vector<Row> cos;
    for (int i = 0; i <= 45; ++i) cos.push_back({std::cos(i * std::numbers::pi / 180), 1.0});
    run["dST.dat"] = table_of(cos);
    EXPECT_EQ(infer_scan_x(Program::regge, run).kind, XKind::cos_theta);
    // the angle scans also fill the t0 - t files
    run["dSU-T0.dat"] = table_of(angle_scan(0.0, 3, 1.0));
    EXPECT_EQ(infer_scan_x(Program::regge, run).kind, XKind::minus_t);
    // the DDS files name their own x; without them, the DDS W scan starts 10 MeV above threshold
    std::vector<Row> dds_w;
    for (int i = 0; i < 5; ++i) dds_w.push_back({(i * 20 + 938.272 + 134.9766 + 10) / 1000, 1.0});
    run["ddS_domega.dat"] = table_of(dds_w);
    EXPECT_EQ(infer_dds_x(run).kind, XKind::w);
    run["ddS_PHI.dat"] = table_of(rows_of({{1, 1}, {2, 1}}));
    EXPECT_EQ(infer_dds_x(run).kind, XKind::phi);
}

TEST(PlotInference, ScanVariableOfKavrinModels) {
    RunTables run;
    for (const auto& n : models_result_files()) run[n] = {};
    // W scan of pi- p (charged pion 139.272 MeV) from threshold + 450 MeV in 10 MeV steps
    std::vector<Row> w;
    for (int i = 0; i < 10; ++i) w.push_back({(938.272 + 139.272 + 450 + 10 * i) / 1000, 1.0});
    run["dST.dat"] = table_of(w);
    EXPECT_EQ(infer_scan_x(Program::models, run).kind, XKind::w);
    run["BSA_QQ.dat"] = table_of(w);  // the same x values, but only Q^2 scans write this file
    EXPECT_EQ(infer_scan_x(Program::models, run).kind, XKind::q2);
    // a Q^2 scan without asymmetry lines (KM asks no beam energy), above 1.07 GeV^2: off the W grid
    run["BSA_QQ.dat"] = {};
    std::vector<Row> q2;
    for (int i = 0; i < 10; ++i) q2.push_back({1.2345 + 0.01 * i, 1.0});
    run["dST.dat"] = table_of(q2);
    EXPECT_EQ(infer_scan_x(Program::models, run).kind, XKind::q2);
    // with files of both programs the same values stay unnamed
    EXPECT_EQ(guess_x_from_values(q2, Program::unknown).kind, XKind::unknown);
    run["-dSTT.dat"] = table_of(angle_scan(0.1, 3, 1.0));
    EXPECT_EQ(infer_scan_x(Program::models, run).kind, XKind::minus_t);
}

TEST(PlotInference, CommandLineX) {
    EXPECT_EQ(parse_x_option("Q2").kind, XKind::q2);
    EXPECT_EQ(parse_x_option("q^2").label, "Q^2 (GeV^2)");
    EXPECT_EQ(parse_x_option("-t").kind, XKind::minus_t);
    EXPECT_EQ(parse_x_option("W").kind, XKind::w);
    EXPECT_EQ(parse_x_option("cos").kind, XKind::cos_theta);
    const XOption free = parse_x_option("E_{beam} (GeV)");
    EXPECT_FALSE(free.kind.has_value());
    EXPECT_EQ(free.label, "E_{beam} (GeV)");
}

TEST(PlotPlan, LabelsAndUnitsFollowTheProgram) {
    // kavrin-regge: units asked in its dialogue, so both are named; -t from the t0 - t files
    RunTables regge;
    for (const auto& n : regge_result_files()) regge[n] = {};
    regge["dST.dat"] = table_of(angle_scan(0.1, 5, 1.0));
    regge["dST.dat"].rows[2].y = kNaN;
    regge["dST-T0.dat"] = table_of(angle_scan(0.0, 5, 1.0));
    regge["dSL_over_dST.dat"] = table_of(rows_of({{0.1, kNaN}, {0.2, kNaN}}));
    Plan plan = plan_figures(regge, std::nullopt);
    EXPECT_EQ(plan.program, Program::regge);
    ASSERT_EQ(plan.figures.size(), 2u);  // the all-NaN ratio gives no figure, only a note
    EXPECT_EQ(plan.figures[0].stem, "separated");
    EXPECT_EQ(plan.figures[0].xlabel, "−t (GeV^2)");
    EXPECT_EQ(plan.figures[0].panels[0].ylabel, "dσ_T/dt (µb/GeV^2 or nb/GeV^2)");
    EXPECT_EQ(plan.figures[1].stem, "separated-T0");
    EXPECT_EQ(plan.figures[1].xlabel, "t_0 − t (GeV^2)");
    EXPECT_EQ(plan.left_out, std::vector<std::string>{"dST.dat 1/5"});
    ASSERT_EQ(plan.notes.size(), 1u);
    EXPECT_NE(plan.notes[0].find("dSL_over_dST.dat"), std::string::npos);

    // kavrin-models: always microbarn; its W scans are written as dσ/dΩ
    RunTables models;
    for (const auto& n : models_result_files()) models[n] = {};
    std::vector<Row> w;
    for (int i = 0; i < 10; ++i) w.push_back({(939.565 + 139.272 + 450 + 10 * i) / 1000, 1.0});
    models["dSLTP.dat"] = table_of(w);
    plan = plan_figures(models, std::nullopt);
    ASSERT_EQ(plan.figures.size(), 1u);
    EXPECT_EQ(plan.figures[0].xlabel, "W (GeV)");
    EXPECT_EQ(plan.figures[0].panels[0].ylabel, "dσ_{LT′}/dΩ (µb/sr)");
    // named as Q^2 on the command line, the same files are dσ/dt
    plan = plan_figures(models, parse_x_option("Q2"));
    EXPECT_EQ(plan.figures[0].xlabel, "Q^2 (GeV^2)");
    EXPECT_EQ(plan.figures[0].panels[0].ylabel, "dσ_{LT′}/dt (µb/GeV^2)");
}

TEST(PlotScript, OneCurvePerSeriesAndAPaletteForMany) {
    Figure fig;
    fig.stem = "BSA_t";
    fig.heading = "Beam-spin asymmetry";
    fig.xlabel = "−t (GeV^2)";
    Panel p;
    p.source = "BSA_t.dat";
    p.data = "BSA_t.data";
    p.ylabel = "beam-spin asymmetry";
    auto rows = angle_scan(0.1, 4, 0.1);
    const auto second = angle_scan(0.12, 4, 0.2);  // restarts below the end of the first
    rows.insert(rows.end(), second.begin(), second.end());
    p.series = split_series(rows);
    fig.panels.push_back(p);
    std::string script = gnuplot_script(fig);
    EXPECT_NE(script.find("\"BSA_t.data\" index 0"), std::string::npos);
    EXPECT_NE(script.find("\"BSA_t.data\" index 1"), std::string::npos);
    EXPECT_NE(script.find("title \"series 2\""), std::string::npos);
    EXPECT_EQ(script.find("palette cb"), std::string::npos);

    std::vector<Row> many;
    for (int s = 0; s < 30; ++s) {
        const auto one = angle_scan(0.1 + 0.01 * s, 5, 1.0);
        many.insert(many.end(), one.begin(), one.end());
    }
    fig.panels[0].series = split_series(many);
    ASSERT_EQ(fig.panels[0].series.size(), 30u);
    script = gnuplot_script(fig);
    EXPECT_NE(script.find("set cbrange [1:30]"), std::string::npos);
    EXPECT_NE(script.find("lc palette"), std::string::npos);
    EXPECT_EQ(script.find("index"), std::string::npos);
    // labels from the command line cannot break out of their string, nor have gnuplot run a command
    EXPECT_EQ(gnuplot_quote("a \"b\" \\c"), "\"a \\\"b\\\" \\\\c\"");
    EXPECT_EQ(gnuplot_quote("`x`"), "\"\\`x\\`\"");
}

// ---- the run record ---------------------------------------------------------------------------------

namespace {

// The record of a kavrin-models -t scan at fixed x_B repeated over two Q^2 steps.
const char* kTwoStepRecord =
    "kavrin-models 0.1.0: record of the run that wrote the result files in this directory\n"
    "date: 2026-12-08 22:41:07 UTC\n"
    "\n"
    "[answers]\n"
    "Channel: 2 = 2\n"
    "\n"
    "[settings]\n"
    "reaction: not this one\n"
    "\n"
    "[figures]\n"
    "reaction: γ* n → π⁻ p\n"
    "model: KM\n"
    "fixed: x_B = 0.3, ε = 0.6\n"
    "x: minus_t\n"
    "unit: µb\n"
    "cross section: dsigma_dt\n"
    "colour map: from a newer version\n"
    "series: Q2 1.6 0.05 2 GeV²\n"
    "\n"
    "[files]\n"
    "dST.dat: 82 lines\n"
    "dSTT.dat: 82 lines\n";

}  // namespace

TEST(PlotRunRecord, ReadsTheFiguresAndFilesSections) {
    const RunRecord r = parse_run_record(kTwoStepRecord);
    EXPECT_TRUE(r.has_figures);
    EXPECT_TRUE(r.notices.empty()) << r.notices.front();  // an unknown key is no notice
    EXPECT_EQ(r.reaction, "γ* n → π⁻ p");                 // from [figures], not [settings]
    EXPECT_EQ(r.model, "KM");
    EXPECT_EQ(r.fixed, "x_B = 0.3, ε = 0.6");
    EXPECT_EQ(r.x, "minus_t");
    EXPECT_EQ(r.unit, CrossUnit::microbarn);
    EXPECT_EQ(r.cross_section, CrossKind::dsigma_dt);
    ASSERT_EQ(r.series.size(), 1u);
    EXPECT_EQ(r.series[0].name, "Q2");
    EXPECT_EQ(r.series[0].count, 2u);
    EXPECT_DOUBLE_EQ(r.series[0].value(1), 1.65);
    EXPECT_TRUE(r.phi_series.empty());
    EXPECT_EQ(r.files, (std::map<std::string, std::size_t>{{"dST.dat", 82}, {"dSTT.dat", 82}}));

    // a run directory without a record has none; one with a record reads it
    const fs::path dir = scratch("record");
    EXPECT_FALSE(read_run_record(dir).has_value());
    std::ofstream(dir / "kavrin-run.txt") << kTwoStepRecord;
    const auto read = read_run_record(dir);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->reaction, "γ* n → π⁻ p");
    fs::remove_all(dir);
}

TEST(PlotRunRecord, MalformedLinesBecomeNotices) {
    const RunRecord r = parse_run_record(
        "[figures]\r\n"
        "reaction: γ* p → π⁰ p\r\n"
        "just words\n"
        "x: sideways\n"
        "unit: mb\n"
        "series: Q2 0.1 0.01\n"           // no count
        "series: Q2 0.1 0.01 2.5 GeV²\n"  // count not whole
        "series: E 1 1 2 GeV\n"           // no such loop
        "phi series: W 2.2 0.02 3 GeV\n"
        "fixed:\n"
        "[files]\n"
        "dST.dat: many lines\n");
    EXPECT_TRUE(r.has_figures);
    EXPECT_EQ(r.reaction, "γ* p → π⁰ p");  // the line end's carriage return is not part of the value
    EXPECT_EQ(r.x, "");
    EXPECT_EQ(r.unit, CrossUnit::unknown);
    EXPECT_TRUE(r.series.empty());
    ASSERT_EQ(r.phi_series.size(), 1u);  // the good loop is kept
    EXPECT_EQ(r.phi_series[0].count, 3u);
    EXPECT_EQ(r.fixed, "");
    EXPECT_TRUE(r.files.empty());
    ASSERT_EQ(r.notices.size(), 7u);
    EXPECT_NE(r.notices[0].find("line 3"), std::string::npos) << r.notices[0];
    EXPECT_NE(r.notices[1].find("sideways"), std::string::npos) << r.notices[1];

    const RunRecord none = parse_run_record("kavrin-regge 0.1.0\n[answers]\nChannel: 1 = 1\n");
    EXPECT_FALSE(none.has_figures);
    ASSERT_EQ(none.notices.size(), 1u);
    EXPECT_NE(none.notices[0].find("[figures]"), std::string::npos);
}

TEST(PlotRunRecord, SeriesLabelsFromTheLoopsOrNone) {
    // the phi sums of a Q^2 scan: 191 steps from 0.1 GeV^2
    const std::vector<SeriesLoop> q2 = {{"Q2", 0.1, 0.01, 191, "GeV²"}};
    const auto labels = series_labels(q2, 191);
    ASSERT_TRUE(labels.has_value());
    EXPECT_EQ((*labels)[0].text, "Q^2 = 0.1 GeV^2");
    EXPECT_EQ((*labels)[1].text, "Q^2 = 0.11 GeV^2");
    EXPECT_EQ((*labels)[190].text, "Q^2 = 2 GeV^2");
    EXPECT_DOUBLE_EQ((*labels)[190].value, 2.0);
    // a skipped point leaves one series fewer than the loops promise: no labels
    EXPECT_FALSE(series_labels(q2, 190).has_value());
    EXPECT_FALSE(series_labels({}, 1).has_value());
    // two loops, the last one fastest; the colour follows the fastest
    const std::vector<SeriesLoop> two = {{"W", 2.2, 0.02, 2, "GeV"}, {"theta", 10, 5, 3, "deg"}};
    const auto both = series_labels(two, 6);
    ASSERT_TRUE(both.has_value());
    EXPECT_EQ((*both)[0].text, "W = 2.2 GeV, θ = 10°");
    EXPECT_EQ((*both)[2].text, "W = 2.2 GeV, θ = 20°");
    EXPECT_EQ((*both)[3].text, "W = 2.22 GeV, θ = 10°");
    EXPECT_DOUBLE_EQ((*both)[5].value, 20.0);
    EXPECT_FALSE(series_labels(two, 5).has_value());
    EXPECT_EQ(loop_axis_name(two[1]), "θ (degrees)");
}

// ---- linear or logarithmic y ------------------------------------------------------------------------

TEST(PlotYScale, LogOnlyForPositiveCrossSectionsOverTwoDecades) {
    const auto steep = split_series(rows_of({{0.1, 5.0}, {0.5, 0.4}, {1.0, 0.03}}));  // 2.2 decades
    const auto flat = split_series(rows_of({{0.1, 5.0}, {0.5, 0.4}, {1.0, 0.06}}));   // 1.9 decades
    const auto signs = split_series(rows_of({{0.1, 5.0}, {0.5, -0.4}, {1.0, 0.001}}));
    const auto zero = split_series(rows_of({{0.1, 5.0}, {0.5, 0.0}, {1.0, 0.001}}));
    EXPECT_TRUE(choose_y_scale(steep, YQuantity::cross_section, YScale::automatic).log);
    EXPECT_FALSE(choose_y_scale(flat, YQuantity::cross_section, YScale::automatic).log);
    EXPECT_FALSE(choose_y_scale(signs, YQuantity::cross_section, YScale::automatic).log);
    EXPECT_FALSE(choose_y_scale(zero, YQuantity::cross_section, YScale::automatic).log);
    // interference terms, positive here, are linear unless asked; ratios and asymmetries always
    EXPECT_FALSE(choose_y_scale(steep, YQuantity::interference, YScale::automatic).log);
    EXPECT_TRUE(choose_y_scale(steep, YQuantity::interference, YScale::log).log);
    EXPECT_FALSE(choose_y_scale(steep, YQuantity::other, YScale::log).log);
    EXPECT_FALSE(choose_y_scale(steep, YQuantity::cross_section, YScale::linear).log);
    // --log on a narrow positive range is log; on values of both signs it is linear, with the reason
    EXPECT_TRUE(choose_y_scale(flat, YQuantity::cross_section, YScale::log).log);
    const YChoice forced = choose_y_scale(signs, YQuantity::cross_section, YScale::log);
    EXPECT_FALSE(forced.log);
    EXPECT_FALSE(forced.linear_because.empty());
    EXPECT_TRUE(choose_y_scale(steep, YQuantity::cross_section, YScale::log).linear_because.empty());
}

TEST(PlotPlan, TitlesUnitsAndSeriesLabelsFromTheRecord) {
    RunTables models;
    for (const auto& n : models_result_files()) models[n] = {};
    auto two = angle_scan(0.10, 41, 1.0);
    const auto second = angle_scan(0.16, 41, 1.3);
    two.insert(two.end(), second.begin(), second.end());
    models["dST.dat"] = table_of(two);
    models["dSTT.dat"] = table_of(two);
    models["BSA_t.dat"] = table_of(two);  // not in the record's [files]: left from an earlier run
    for (Row& r : models["dST.dat"].rows) r.y = r.y * r.y * r.y;  // exp(-7.5 t): four decades
    RunRecord record = parse_run_record(kTwoStepRecord);
    Plan plan = plan_figures(models, std::nullopt, &record);
    EXPECT_TRUE(plan.record_used);
    ASSERT_EQ(plan.figures.size(), 1u);
    const Figure& f = plan.figures[0];
    EXPECT_EQ(f.heading, "Separated cross sections dσ/dt vs −t");
    EXPECT_EQ(f.subtitle, "γ* n → π⁻ p, KM;   x_{B} = 0.3, ε = 0.6");
    ASSERT_EQ(f.panels.size(), 2u);
    EXPECT_EQ(f.panels[0].ylabel, "dσ_T/dt (µb/GeV^2)");
    ASSERT_EQ(f.panels[0].labels.size(), 2u);
    EXPECT_EQ(f.panels[0].labels[1].text, "Q^2 = 1.65 GeV^2");
    EXPECT_EQ(f.panels[0].colour_axis, "Q^2 (GeV^2)");
    EXPECT_TRUE(f.panels[0].log_y);
    EXPECT_FALSE(f.panels[1].log_y);   // dσTT (1.4 decades here) stays linear by default
    ASSERT_EQ(plan.notes.size(), 1u);
    EXPECT_NE(plan.notes[0].find("BSA_t.dat"), std::string::npos) << plan.notes[0];

    // a third series that the loops do not account for: numbered curves and a note
    const auto third = angle_scan(0.2, 10, 1.0);
    models["dST.dat"].rows.insert(models["dST.dat"].rows.end(), third.begin(), third.end());
    models.erase("BSA_t.dat");
    plan = plan_figures(models, std::nullopt, &record);
    EXPECT_TRUE(plan.figures[0].panels[0].labels.empty());
    EXPECT_FALSE(plan.figures[0].panels[1].labels.empty());
    ASSERT_EQ(plan.notes.size(), 1u);
    EXPECT_NE(plan.notes[0].find("3 series found where the run record's loops give 2"), std::string::npos)
        << plan.notes[0];

    // the DDS W scan of kavrin-regge: dσ/dΩ of the convention against W, in nanobarn
    RunTables regge;
    for (const auto& n : regge_result_files()) regge[n] = {};
    regge["ddS_domega.dat"] = table_of(rows_of({{1.09, 4.0}, {1.11, 8.0}, {1.13, 11.0}}));
    RunRecord dds = parse_run_record("[figures]\nreaction: γ* p → π⁺ n\nmodel: Regge\nx: W\nunit: nb\n");
    plan = plan_figures(regge, std::nullopt, &dds);
    ASSERT_EQ(plan.figures.size(), 1u);
    EXPECT_EQ(plan.figures[0].heading, "φ-dependent cross section dσ/dΩ vs W");
    EXPECT_EQ(plan.figures[0].xlabel, "W (GeV)");
    EXPECT_EQ(plan.figures[0].panels[0].ylabel, "dσ/dΩ (nb/sr)");
    // without the record the same file keeps today's heading and both units
    plan = plan_figures(regge, std::nullopt);
    EXPECT_EQ(plan.figures[0].heading, "φ-dependent cross section dσ/dΩ  (kavrin-regge)");
    EXPECT_EQ(plan.figures[0].panels[0].ylabel, "dσ/dΩ (µb/sr or nb/sr)");
    EXPECT_TRUE(plan.figures[0].subtitle.empty());
}

// ---- whole runs of the command --------------------------------------------------------------------

TEST(PlotCommand, KavrinReggeAngleScanWithNaNLines) {
    const fs::path dir = scratch("regge_run");
    const fs::path run = dir / "run";
    fs::create_directories(run);
    for (const auto& n : regge_result_files()) std::ofstream(run / n).flush();  // the program creates all 23
    const char* six[] = {"dST", "dSL", "dSTT", "dSLT", "dSLTP", "dSU"};
    for (int q = 0; q < 6; ++q) {
        auto rows = angle_scan(0.12, 46, 1.0 + q);  // theta = 0..45 degrees
        if (q == 1) rows[10].y = kNaN;              // an unphysical point
        write_result_file(run / (std::string(six[q]) + ".dat"), rows);
        auto omega = rows;
        for (Row& r : omega) r.y *= 0.28;
        write_result_file(run / (std::string(six[q]) + "_domega.dat"), omega);
        auto t0 = rows;
        for (Row& r : t0) r.x -= 0.12;
        write_result_file(run / (std::string(six[q]) + "-T0.dat"), t0);
    }
    auto ratio = angle_scan(0.12, 46, 0.3);
    ratio[44] = {kNaN, kNaN};
    ratio[45].y = kNaN;
    write_result_file(run / "dSL_over_dST.dat", ratio);
    auto bsa = angle_scan(0.12, 46, 0.05);
    write_result_file(run / "BSA.dat", bsa);
    // a figure left from an earlier plot of the DDS files must not survive
    fs::create_directories(run / "plots");
    std::ofstream(run / "plots" / "ddS_PHI.png") << "old";
    const auto before = snapshot(run);

    const CommandResult r = run_plot(dir, "'" + run.string() + "'");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("kavrin-regge"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("-t (GeV^2)"), std::string::npos) << r.out;
    const fs::path plots = run / "plots";
    expect_figure(plots, "separated", 1800, 1050);
    expect_figure(plots, "separated_domega", 1800, 1050);
    expect_figure(plots, "separated-T0", 1800, 1050);
    expect_figure(plots, "dSL_over_dST", 1000, 650);
    expect_figure(plots, "BSA", 1000, 650);
    for (const char* absent : {"ddS_PHI.png", "ddS_T.png", "ddS_domega.png"})
        EXPECT_FALSE(fs::exists(plots / absent)) << absent;
    // the cleaned data: 45 of 46 points of dSL.dat, no NaN, axes labelled with units
    const std::string dsl = slurp(plots / "dSL.data");
    EXPECT_EQ(dsl.find("nan"), std::string::npos);
    EXPECT_EQ(std::count(dsl.begin(), dsl.end(), '\n'), 1 + 45 + 1);  // comment, points, one gap
    const std::string script = slurp(plots / "separated.gp");
    EXPECT_NE(script.find("set xlabel \"−t (GeV^2)\""), std::string::npos);
    EXPECT_NE(script.find("dσ_L/dt (µb/GeV^2 or nb/GeV^2)"), std::string::npos);
    EXPECT_NE(slurp(plots / "separated-T0.gp").find("t_0 − t (GeV^2)"), std::string::npos);
    // panels are titled by the observable, not by the file; -t within the models' range needs no note
    EXPECT_NE(script.find("set title \"dσ_L/dt\"\n"), std::string::npos);
    EXPECT_EQ(script.find("set title \"dSL.dat\""), std::string::npos);
    EXPECT_EQ(script.find("physics.md"), std::string::npos);

    // every result file is byte for byte as before; only the figure directory is new
    auto after = snapshot(run);
    for (const auto& [name, content] : before) {
        if (name.rfind("plots", 0) == 0) continue;
        ASSERT_TRUE(after.count(name)) << name;
        EXPECT_EQ(after[name], content) << name << " was modified";
    }
    for (const auto& [name, content] : after)
        EXPECT_TRUE(before.count(name) || name.rfind("plots", 0) == 0) << name << " appeared in the run directory";
    fs::remove_all(dir);
}

TEST(PlotCommand, KavrinModelsTwoSeriesAndPhiRun) {
    const fs::path dir = scratch("models_run");
    // an angle scan repeated for two Q^2 steps (mode 8): two -t series per file
    const fs::path run = dir / "mode8";
    fs::create_directories(run);
    for (const auto& n : models_result_files()) std::ofstream(run / n).flush();
    auto two = [](double scale, double shift) {
        auto rows = angle_scan(0.10 + shift, 41, scale);
        const auto second = angle_scan(0.16 + shift, 41, 1.3 * scale);
        rows.insert(rows.end(), second.begin(), second.end());
        return rows;
    };
    for (const char* n : {"dST.dat", "dSL.dat", "dSTT.dat", "dSLT.dat", "dSLTP.dat", "dSU.dat", "-dSTT.dat",
                          "-dSLT.dat", "-dSLTP.dat", "dSL_over_dST.dat", "BSA_t.dat"})
        write_result_file(run / n, two(2.0, 0.0));
    for (const char* n : {"dST-T0.dat", "dSL-T0.dat", "dSTT-T0.dat", "dSLT-T0.dat", "dSLTP-T0.dat", "dSU-T0.dat",
                          "dSL_over_dST-T0.dat"})
        write_result_file(run / n, two(2.0, -0.10));
    const auto before = snapshot(run);
    const fs::path figures = dir / "figures";
    const CommandResult r = run_plot(dir, "'" + run.string() + "' --out '" + figures.string() + "'");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("kavrin-models"), std::string::npos) << r.out;
    expect_figure(figures, "separated", 1800, 1050);
    expect_figure(figures, "negated", 1800, 600);
    expect_figure(figures, "separated-T0", 1800, 1050);
    expect_figure(figures, "dSL_over_dST", 1000, 650);
    expect_figure(figures, "dSL_over_dST-T0", 1000, 650);
    expect_figure(figures, "BSA_t", 1000, 650);
    EXPECT_FALSE(fs::exists(figures / "dS.png"));
    EXPECT_FALSE(fs::exists(run / "plots"));  // --out moves the figures out of the run directory
    EXPECT_EQ(snapshot(run), before);
    const std::string bsa = slurp(figures / "BSA_t.gp");
    EXPECT_NE(bsa.find("title \"series 1\""), std::string::npos);
    EXPECT_NE(bsa.find("title \"series 2\""), std::string::npos);
    EXPECT_NE(slurp(figures / "separated.gp").find("dσ_T/dt (µb/GeV^2)"), std::string::npos);

    // the phi-dependent cross section (output kind 3): 360 lines of one kinematic point
    const fs::path phi = dir / "phi";
    fs::create_directories(phi);
    for (const auto& n : models_result_files()) std::ofstream(phi / n).flush();
    std::vector<Row> ds;
    for (int i = 1; i <= 360; ++i)
        ds.push_back({double(i), 2.0 + 0.4 * std::cos(2 * i * std::numbers::pi / 180) + 0.3 * std::cos(i * std::numbers::pi / 180)});
    write_result_file(phi / "dS.dat", ds);
    const CommandResult rp = run_plot(dir, "'" + phi.string() + "'");
    ASSERT_EQ(rp.status, 0) << rp.out << rp.err;
    expect_figure(phi / "plots", "dS", 1000, 650);
    const std::string script = slurp(phi / "plots" / "dS.gp");
    EXPECT_NE(script.find("φ (degrees)"), std::string::npos);
    EXPECT_NE(script.find("set xrange [0:360]"), std::string::npos);
    fs::remove_all(dir);
}

TEST(PlotCommand, ClearErrorsAndNonZeroStatus) {
    const fs::path dir = scratch("errors");
    // a missing run directory
    CommandResult r = run_plot(dir, "'" + (dir / "no-such-run").string() + "'");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("does not exist"), std::string::npos) << r.err;
    // a directory without result files
    fs::create_directories(dir / "empty");
    r = run_plot(dir, "'" + (dir / "empty").string() + "'");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("holds no result files"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "empty" / "plots"));
    // result files without lines (a -t outside the physical range): nothing to plot
    fs::create_directories(dir / "no-lines");
    for (const auto& n : regge_result_files()) std::ofstream(dir / "no-lines" / n).flush();
    r = run_plot(dir, "'" + (dir / "no-lines").string() + "'");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("nothing to plot"), std::string::npos) << r.err;
    // gnuplot missing
    fs::create_directories(dir / "lines");
    write_result_file(dir / "lines" / "dS.dat", rows_of({{1, 1.0}, {2, 1.1}}));
    r = run_plot(dir, "'" + (dir / "lines").string() + "'", "PATH=/nonexistent");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("gnuplot is not installed"), std::string::npos) << r.err;
    // a bad command line
    r = run_plot(dir, "");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("usage: kavrin-plot RUN_DIR"), std::string::npos) << r.err;
    r = run_plot(dir, "'" + (dir / "lines").string() + "' --colour red");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown option --colour"), std::string::npos) << r.err;
    fs::remove_all(dir);
}

// Links in the figure directory are replaced, never followed; a -t scan far beyond the models' range says so.
TEST(PlotCommand, LinksInTheFigureDirectoryAreReplacedNotFollowed) {
    const fs::path dir = scratch("links");
    const fs::path run = dir / "run", plots = run / "plots", victim = dir / "victim.txt";
    fs::create_directories(plots);
    for (const auto& n : regge_result_files()) std::ofstream(run / n).flush();
    write_result_file(run / "dST.dat", angle_scan(0.5, 60, 1.0));  // -t up to 2.72 GeV^2
    std::ofstream(victim) << "keep";
    for (const char* name : {"dST.data", "separated.gp", "separated.png", ".separated.png.partial"})
        fs::create_symlink(victim, plots / name);
    const CommandResult r = run_plot(dir, "'" + run.string() + "' --x t");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(slurp(victim), "keep");
    for (const char* name : {"dST.data", "separated.gp", "separated.png"})
        EXPECT_FALSE(fs::is_symlink(plots / name)) << name;
    EXPECT_FALSE(fs::exists(fs::symlink_status(plots / ".separated.png.partial")));
    expect_figure(plots, "separated", 1000, 650);
    EXPECT_NE(slurp(plots / "separated.gp").find("−t reaches 2.72 GeV^2"), std::string::npos);
    EXPECT_NE(slurp(plots / "separated.gp").find("rect from first 2,"), std::string::npos);
    EXPECT_NE(r.out.find("docs/physics.md, section 8"), std::string::npos) << r.out;
    fs::remove_all(dir);
}

// A result file far larger than any run writes (a sparse one), or a FIFO under a result file's name, is
// refused with a message before it is read.
TEST(PlotCommand, OversizedAndSpecialResultFilesAreRefused) {
    const fs::path dir = scratch("bounds");
    const fs::path run = dir / "run";
    fs::create_directories(run);
    for (const auto& n : regge_result_files()) std::ofstream(run / n).flush();
    write_result_file(run / "dSL.dat", angle_scan(0.1, 10, 1.0));
    fs::resize_file(run / "dST.dat", 8ull << 30);  // sparse: no disk used
    CommandResult r = run_plot(dir, "'" + run.string() + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("dST.dat holds 8589934592 bytes"), std::string::npos) << r.err;
    fs::remove(run / "dST.dat");
    ASSERT_EQ(::mkfifo((run / "dST.dat").c_str(), 0644), 0);
    r = run_plot(dir, "'" + run.string() + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("dST.dat is not a regular file"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(run / "plots"));
    fs::remove_all(dir);
}

TEST(PlotCommand, RunRecordLabelsTheFiguresAndAStaleOneIsSetAside) {
    const fs::path dir = scratch("record_run");
    const fs::path run = dir / "run";
    fs::create_directories(run);
    for (const auto& n : models_result_files()) std::ofstream(run / n).flush();
    // the phi sums of twelve Q^2 steps: more series than a key can hold
    std::vector<Row> ds;
    for (int q = 0; q < 12; ++q)
        for (int i = 1; i <= 360; ++i) ds.push_back({double(i), 3.0 - 0.1 * q + std::cos(2 * i * std::numbers::pi / 180)});
    write_result_file(run / "dS.dat", ds);
    // the record is text from elsewhere: a backquoted command in it is shown, never run
    // (gnuplot runs in the figure directory)
    const fs::path touched = run / "plots" / "touched";
    std::ofstream(run / "kavrin-run.txt")
        << "kavrin-models 0.1.0\n[figures]\nreaction: γ* p → π⁺ n\nmodel: QVM `touch touched`"
        << "\nfixed: W = 2.5 GeV, θ = 10°, ε = 0.7\n"
           "x: phi\nunit: µb\ncross section: dsigma_dt\nphi series: Q2 0.1 0.01 12 GeV²\n[files]\ndS.dat: 4320 lines\n";
    CommandResult r = run_plot(dir, "'" + run.string() + "'");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("taken from it"), std::string::npos) << r.out;
    const std::string script = slurp(run / "plots" / "dS.gp");
    EXPECT_NE(script.find("φ-dependent cross section dσ/dt (sum of the unpolarized cross sections) vs φ"),
              std::string::npos) << script;
    EXPECT_NE(script.find("γ* p → π⁺ n, QVM \\`touch"), std::string::npos) << script;
    EXPECT_NE(script.find("W = 2.5 GeV, θ = 10°, ε = 0.7"), std::string::npos) << script;
    EXPECT_FALSE(fs::exists(touched));
    EXPECT_NE(script.find("set cblabel \"Q^2 (GeV^2)\""), std::string::npos) << script;
    EXPECT_NE(script.find("set cbrange [0.1:0.21]"), std::string::npos) << script;
    EXPECT_NE(script.find("using 1:2:4 with lines lc palette"), std::string::npos) << script;
    // the fourth data column is the Q^2 of the curve: 0.1 GeV^2 on the first, 0.21 GeV^2 on the last
    std::istringstream data(slurp(run / "plots" / "dS.data"));
    std::string line;
    std::map<int, double> q2_of_series;
    while (std::getline(data, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        double x = 0, y = 0, q2 = 0;
        int series = 0;
        ASSERT_TRUE(fields >> x >> y >> series >> q2) << line;
        q2_of_series[series] = q2;
    }
    ASSERT_EQ(q2_of_series.size(), 12u);
    EXPECT_DOUBLE_EQ(q2_of_series[1], 0.1);
    EXPECT_DOUBLE_EQ(q2_of_series[12], 0.21);
    expect_figure(run / "plots", "dS", 1000, 650);

    // a record that lists other line counts belongs to another run: drawn as without it, and said so
    write_result_file(run / "dS.dat", std::vector<Row>(ds.begin(), ds.begin() + 720));
    r = run_plot(dir, "'" + run.string() + "'");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("the record of another run"), std::string::npos) << r.out;
    EXPECT_EQ(slurp(run / "plots" / "dS.gp").find("QVM"), std::string::npos);
    // --linear and --log exclude each other
    r = run_plot(dir, "'" + run.string() + "' --linear --log");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--linear and --log exclude each other"), std::string::npos) << r.err;
    fs::remove_all(dir);
}
