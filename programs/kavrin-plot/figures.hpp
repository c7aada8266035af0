// Which figures a run directory yields: the result files of both programs, which program wrote the
// run, what the x column of each file is, and the axis labels with their units.
//
// kavrin-regge writes its cross sections in microbarn or nanobarn (asked in its dialogue, not visible in
// the files), so without a run record its labels name both units; kavrin-models always writes microbarn.
// With the run record (kavrin-run.txt) the figures also name the reaction, the model, the kinematics held
// fixed and the parameter value of each series.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "figures/figure.hpp"
#include "kavrin-plot/result_data.hpp"
#include "kavrin-plot/run_record.hpp"

namespace kavrin::plot {

/// The program that wrote a run directory.
enum class Program { regge, models, unknown };

/// What the x column holds.
enum class XKind { unknown, w, q2, minus_t, cos_theta, phi, t0_minus_t };

/// The result files present in a run directory, by file name.
using RunTables = std::map<std::string, ResultTable>;

/// Every result file name of kavrin-regge, in the order it opens them.
const std::vector<std::string>& regge_result_files();
/// Every result file name of kavrin-models, in the order it opens them.
const std::vector<std::string>& models_result_files();

/// The program whose file set is present (unknown when only shared names or both sets are present).
Program detect_program(const RunTables& run);
/// Display name of a program, e.g. "kavrin-regge".
std::string program_name(Program p);

/// The x axis of the scan-variable files, with the reason it was chosen (for the console).
struct XGuess {
    XKind kind = XKind::unknown;
    std::string reason;
};
/// Infers the scan variable of the cross-section, ratio and asymmetry files of the run.
XGuess infer_scan_x(Program program, const RunTables& run);
/// Infers the x of kavrin-regge's "ddS_domega.dat".
XGuess infer_dds_x(const RunTables& run);
/// Guesses the scan variable from x values alone: cos theta (starts at 1, falls, within [-1, 1]); W when
/// every x lies on the grid of a W scan of the program (threshold + fixed offset + whole steps); otherwise
/// Q^2 (for a known program, whose only other scan variable in these files is Q^2, or below 1.07 GeV).
XGuess guess_x_from_values(const std::vector<Row>& rows, Program program);

/// The x named on the command line: a known variable ("W", "Q2", "t", "cos") or a free axis label.
struct XOption {
    std::optional<XKind> kind;
    std::string label;  // the axis label to print
};
XOption parse_x_option(std::string_view text);

/// Axis label of an x kind (gnuplot enhanced text, UTF-8).
std::string x_label(XKind kind);
/// Plain name of an x kind for the console.
std::string x_name(XKind kind);

/// The y axis asked for on the command line, and the choice of each panel's axis.
using figures::YChoice;
using figures::YQuantity;
using figures::YScale;
using figures::choose_y_scale;

/// A panel is one result file: its title names the observable, its source the file.
using figures::Panel;

/// One figure (one PNG), one or more panels sharing the x axis kind.
struct Figure : figures::Figure {
    bool scan_x = false;           // its x is the scan variable of the run
};

/// The figures of a run, and notes on files that hold lines but nothing drawable.
struct Plan {
    Program program = Program::unknown;
    XGuess scan_x;
    std::vector<Figure> figures;
    std::vector<std::string> notes;      // files with lines that are not two numbers or with no finite point
    std::vector<std::string> left_out;   // "dST.dat 3/181": non-finite lines left out of a drawn file
    bool record_used = false;            // titles, units and series labels come from the run record
};
/// Plans every figure whose files hold finite points; x_option overrides the scan variable. With a run
/// record (one that has a [figures] section) the titles, units and series labels come from it. A figure whose
/// −t runs beyond the range the models are made for (docs/physics.md, section 8) carries a note saying so.
Plan plan_figures(const RunTables& run, const std::optional<XOption>& x_option, const RunRecord* record = nullptr,
                  YScale y_scale = YScale::automatic);

/// Text from the run record made safe for a gnuplot enhanced-text label: the characters that would start
/// a font or spacing command are escaped; sub- and superscripts (x_B, Q^2) keep their meaning.
std::string enhanced_text(const std::string& text);

/// The stems of every figure kavrin-plot can make.
std::vector<std::string> all_figure_stems();
/// Name of the cleaned data file of a result file ("dST.dat" -> "dST.data", "-dSTT.dat" -> "minus-dSTT.data").
std::string data_file_name(const std::string& result_file);

}  // namespace kavrin::plot
