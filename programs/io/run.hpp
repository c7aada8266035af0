// What a whole run of either program needs besides its answers: where it runs, whether a person is typing,
// and the largest scan it may start.
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "kavrin/observables.hpp"

namespace kavrin::io {

/// The largest scan one run may start, in lines per result file (one per kinematic point, or one per phi
/// value where a point writes a phi series): 10^6 lines take about 10 s and up to a few hundred MB of
/// result files. Answers asking for more are refused before any result file is written.
inline constexpr double default_max_scan_lines = 1.0e6;

/// How a run is carried out.
struct RunOptions {
    std::string dir;             ///< working directory of the result files and ./integral ("" = the current one)
    bool interactive = false;    ///< standard input is a terminal: a bad answer is asked again
    double max_scan_lines = default_max_scan_lines;  ///< scans above this many lines are refused
    bool summary = false;        ///< standard error is a terminal: the run ends with one line there naming
                                 ///< the directory and the number of files written
    std::string program_path;    ///< where the running program is (finds the data installed beside it)
    unsigned threads = 1;        ///< threads computing the points of the scan (the programs: KAVRIN_THREADS)
    std::size_t block_points = 0;  ///< points per block of a shared scan (0: the scan's own choice)
};

/// Where the running program's executable is ("" when the system does not say).
std::string running_program_path();

/// The thread count of the environment's KAVRIN_THREADS: unset or empty gives every core
/// (std::thread::hardware_concurrency(), 1 when unknown), a whole number from 1 to max_threads gives itself.
/// Anything else (0, negative, garbage, too large) throws std::invalid_argument saying what is accepted.
inline constexpr unsigned max_threads = 1024;
unsigned threads_of(const char* kavrin_threads);

/// Fills options.threads from KAVRIN_THREADS for a program's main; on a value that is not a thread count,
/// says so on `err` as "<program>: ..." and returns the exit status 1 (nothing touched).
std::optional<int> thread_option(std::string_view program, RunOptions& options, std::ostream& err);

/// The command line of a dialogue program, which takes no arguments: --help prints `about` (what the program
/// does, how to feed it an answer file, where its results go) and --version the version, each with status 0;
/// any other argument is a usage error on `err`, status 2. Returns nothing when there is no argument (the
/// program runs its dialogue); nothing is touched in any case.
std::optional<int> dialogue_program_arguments(std::string_view program, std::string_view about, int argc,
                                              const char* const* argv, std::ostream& out, std::ostream& err);

/// Runs a program's `body` (its prompts go to `out`) and reports what goes wrong as "<program>: <what>" on
/// `err` with status 1: an exception thrown by the body, or standard output that could not be written.
/// Status 0 otherwise.
int report_run(std::string_view program, std::ostream& out, std::ostream& err, const std::function<void()>& body);

/// The x column of a scan of separated cross sections, by the scan mode both dialogues offer ("CHOOSE X-AXIS"):
/// W in modes 1 and 6, -t in 8 and 9, cos theta in 10, Q^2 in the others.
enum class ScanAxis { w, q2, minus_t, cos_theta };
ScanAxis scan_axis(int mode);
/// The point's value on that axis (GeV, GeV^2 or a cosine).
double axis_value(ScanAxis axis, const Observables& point);

/// One loop of a scan: how many values it takes and what it runs over, e.g. "W from 1.53 to 2.6 GeV", and
/// the same for the run record: the variable's name ("W", "Q2", "theta", "phi"), first value and step in
/// the unit shown (GeV, GeV^2, degrees).
struct ScanLoop {
    double passes;
    std::string what;
    std::string name;
    double first;
    double step;
    std::string unit;
};

/// The size of the scan a run's answers ask for: the product of its loops' passes.
struct ScanSize {
    std::vector<ScanLoop> loops;
    double lines() const;
    /// e.g. "54 values of W from 1.53 to 2.6 GeV x 181 angles"
    std::string describe() const;
};

/// Passes of a loop first + i step, i = 0 .. trunc((last - first)/step), as a real number (which may be
/// astronomically large): 0 when last < first or a bound is not finite.
double loop_span(double first, double last, double step);
/// The same as a loop count, for scans within the limit (held at 2^53, where first + i step stops moving).
long long loop_passes(double first, double last, double step);

/// Points of nested loops of these pass counts, innermost last: their product, 0 when any is 0 (or negative).
/// Throws std::length_error when the product does not fit (a scan far beyond any limit).
std::size_t scan_points(std::initializer_list<long long> passes);

/// A number for a message: "54", "1.2e+26".
std::string shown_count(double n);
/// A value for a message in its shortest readable form: "1.53", "1e+30".
std::string shown_value(double v);

/// Refuses (std::runtime_error naming the loops) a scan of more than `limit` lines per result file.
void check_scan_size(const ScanSize& size, double limit);

}  // namespace kavrin::io
