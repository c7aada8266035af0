// The run record: a small text file beside the result files that says what produced them — program and
// version, date, each question with its answer, the settings in words, and the files with their line counts.
//
//   kavrin-regge 0.1.0: record of the run that wrote the result files in this directory
//   date: 2026-12-08 22:41:07 UTC
//
//   [answers]
//   CHANNEL: GAMMA* P -> PI+ N (1), GAMMA* N -> PI- P (2) = 1
//   ...
//   [settings]            what the answers mean, for a reader
//   [figures]             the same for kavrin-plot: reaction, model, fixed, x, unit, cross section, series
//   [files]               NAME: N lines, for each file this run wrote
//
// Sections start with a line "[name]"; inside one, each line is "key: value" (answers: "question = answer").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/answers.hpp"
#include "io/results.hpp"
#include "io/run.hpp"

namespace kavrin::io {

/// Key-value lines of one section, in order; a key may repeat ("series").
using RecordLines = std::vector<std::pair<std::string, std::string>>;

/// What a program knows about its run once the dialogue is done.
struct RunRecord {
    std::vector<AnsweredQuestion> answers;
    RecordLines settings;
    RecordLines figures;
};

/// The reaction of a channel in words: "γ* p → π⁺ n".
std::string reaction_text(int channel);

/// The loops of a scan as ScanSize lists them: W, Q^2, pion angle, phi.
enum ScanLoopIndex : std::size_t { w_loop, q2_loop, angle_loop, phi_loop };

/// How the record's "x" names a scan axis ("W", "Q2", "minus_t", "cos_theta"), and the loop it runs over.
std::string axis_key(ScanAxis axis);
/// The axis in words: "W", "Q²", "−t", "cos θ".
std::string axis_text(ScanAxis axis);
ScanLoopIndex axis_loop(ScanAxis axis);

/// Items as one comma-separated list: "W = 2.22 GeV, ε = 0.5".
std::string comma_list(const std::vector<std::string>& items);

/// A fixed value for the record: "W = 2.22 GeV".
std::string fixed_value(std::string_view name, double value, std::string_view unit = {});

/// Adds the scan's loops to a record: the loop that is the x of the scan files (`x_loop`, an index of
/// size.loops, or none) is left out, loops that run once go to `fixed` as "NAME = value UNIT" (unless
/// `hide_once` names them), and loops that run more than once become "series" lines; every loop with more than
/// one pass becomes a "phi series" line when the run writes a phi series per point (phi_files).
void add_scan_loops(RunRecord& record, std::vector<std::string>& fixed, const ScanSize& size, std::optional<std::size_t> x_loop,
                    const std::vector<std::size_t>& hide_once, bool phi_files);

/// One loop of a scan that gives a file several curves, as a "series" value: "Q2 1.6 0.01 2 GeV²".
std::string series_value(std::string_view name, double first, double step, double count, std::string_view unit);

/// The record's text: `program` and `version` on its first line, the date, then the sections; `files` are the
/// files the run wrote with their line counts.
std::string run_record_text(std::string_view program, std::string_view version, std::string_view date,
                            const RunRecord& record, const std::vector<std::pair<std::string, std::size_t>>& files);

/// Ends a run that completed its scan: flushes `out` (the transcript) and stops with std::runtime_error
/// "writing to standard output failed" when it cannot be written, before any file is put in place; stages the
/// record of `record` with the files `files` wrote (those with at least one line), puts everything in place
/// (ResultFiles::close), prints close()'s notices and, when options.summary is set, one line naming the
/// directory and the number of files written, on `err`.
void finish_run(std::string_view program, ResultFiles& files, const RunRecord& record, const RunOptions& options,
                std::ostream& out, std::ostream& err);

/// The current time as "2026-12-08 22:41:07 UTC".
std::string utc_now();

}  // namespace kavrin::io
