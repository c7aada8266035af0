// The run record "kavrin-run.txt" that kavrin-regge and kavrin-models leave beside their result files, as far
// as the figures need it: the reaction, the model, the kinematics held fixed, what the x column is, the unit
// of the cross sections and the loops whose values tell the series of a file apart.
//
// The record is UTF-8 text in sections "[name]" of "key: value" lines (the key is everything before the
// first ": "). Only the sections [figures] and [files] are read; unknown keys are ignored, and anything
// malformed becomes a notice for the console: a damaged record never stops the figures.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "figures/figure.hpp"

namespace kavrin::plot {

/// The file name of the run record in a run directory.
inline constexpr const char* kRunRecordName = "kavrin-run.txt";

/// One loop of the scan that runs more than once: NAME FIRST STEP COUNT UNIT.
struct SeriesLoop {
    std::string name;      // "W", "Q2", "theta" or "phi"
    double first = 0.0;    // GeV, GeV^2 or degrees
    double step = 0.0;
    std::size_t count = 0;
    std::string unit;      // as written in the record

    /// The value of pass i (0-based).
    double value(std::size_t i) const { return first + static_cast<double>(i) * step; }
};

/// Unit of the cross sections of a run.
enum class CrossUnit { unknown, microbarn, nanobarn };
/// What kavrin-models' dST.dat ... dSU.dat hold in a run.
enum class CrossKind { unknown, dsigma_dt, dsigma_domega };

/// What the figures take from a run record.
struct RunRecord {
    bool has_figures = false;            // a [figures] section was found
    std::string reaction;                // "γ* p → π⁺ n"
    std::string model;                   // "Regge, dipole form factors"
    std::string fixed;                   // "W = 2.22 GeV, ε = 0.5" (may be empty)
    std::string x;                       // "W", "Q2", "minus_t", "cos_theta", "phi" or empty
    CrossUnit unit = CrossUnit::unknown;
    CrossKind cross_section = CrossKind::unknown;
    std::vector<SeriesLoop> series;      // loops of the scan files, outer first
    std::vector<SeriesLoop> phi_series;  // loops of the phi-dependent files, outer first
    std::map<std::string, std::size_t> files;  // [files]: lines written per result file
    std::vector<std::string> notices;    // what was malformed or not understood
};

/// Reads the record from its text.
RunRecord parse_run_record(std::string_view text);
/// Reads RUN_DIR/kavrin-run.txt; nothing when there is none (a record that cannot be read is a record with
/// a notice).
std::optional<RunRecord> read_run_record(const std::filesystem::path& run_dir);

/// One curve's label and the value its colour stands for.
/// A series' key text ("Q^2 = 1.6 GeV^2", loops joined by ", ") and the value of the fastest loop.
using figures::SeriesLabel;
/// Labels of the series of a file from the loops of the record; nothing when `found` (the number of series
/// in the file) is not the number of combinations of the loops, or when there is no loop.
std::optional<std::vector<SeriesLabel>> series_labels(const std::vector<SeriesLoop>& loops, std::size_t found);
/// Axis name of a loop with its unit, e.g. "Q^2 (GeV^2)".
std::string loop_axis_name(const SeriesLoop& loop);
/// A value as a label shows it: six significant digits, no rounding noise ("0.11", "1.6", "2").
std::string short_number(double v);

}  // namespace kavrin::plot
