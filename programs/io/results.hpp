// Result files and the free-format lines written to them and to the console.
//
// A result line is a leading blank, then two values separated by blanks: reals with 17 significant
// digits in the classic free format (fixed notation for 0.1 <= |x| < 1e17, otherwise a mantissa with
// one digit before the point and a three-digit exponent), "NaN" and "Infinity" for non-finite values.
#pragma once

#include <array>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>
#include <string>
#include <vector>

namespace kavrin::io {

/// Width of one real in free format, and of one integer.
inline constexpr std::size_t real_width = 25;
inline constexpr std::size_t int_width = 11;
/// Room for any result line, its newline included.
inline constexpr std::size_t max_line = 64;

/// Writes one real in free format (real_width characters, nothing else) at out; returns the end.
char* put_real(char* out, double x) noexcept;
/// Writes one integer in free format (right-justified in int_width characters, or longer) at out.
char* put_int(char* out, long long i) noexcept;
/// Writes the result line " x y" and its newline at out (room for max_line characters); returns the end.
char* put_result_line(char* out, double x, double y) noexcept;
/// The same with an integer first column.
char* put_result_line(char* out, long long i, double y) noexcept;

/// One real in free format, e.g. "  1.5291349999999999     " or "  3.4567890123456790E-002".
std::string format_real(double x);
/// One integer in free format.
std::string format_int(long long i);
/// A result line " x y" (no newline).
std::string result_line(double x, double y);
/// A result line with an integer first column.
std::string result_line(long long i, double y);

/// The result files of one run, written so that no run loses or corrupts results:
///  - one run per directory at a time: the constructor takes an advisory lock on ".kavrin.lock" in the run
///    directory, and a second run there stops at once (std::runtime_error naming the directory);
///  - each file the run writes goes to a temporary ".<name>.partial" beside it, which close() flushes to disk
///    and renames over the result file: a run that fails or is interrupted leaves every result file as it was,
///    and no partial line anywhere (its temporaries are removed by the destructor, by the SIGINT/SIGTERM
///    handler of install_interrupt_cleanup(), or at the latest by the next run in the directory);
///  - the files of a run are put in place as one set: a record naming them (".kavrin.commit") is on disk before
///    the first rename and removed after the last; a run killed among the renames leaves it, and the next run
///    in the directory puts the rest of that set in place before anything else (SIGINT, SIGTERM, SIGHUP and
///    SIGQUIT wait until the renames are done);
///  - absent result files are created (empty) at the start, a file the run does not write keeps its content;
///  - a symbolic link where a result file should be is never followed: when the run writes that file, its
///    results replace the link itself (close() says so); a FIFO, device, socket or directory there stops the
///    constructor with std::runtime_error naming it.
/// Write, flush and rename failures throw std::runtime_error.
class ResultFiles {
public:
    /// Locks the directory, removes an interrupted run's temporaries and creates the absent files.
    ResultFiles(std::string dir, std::vector<std::string> names);
    /// The same with the names of a fixed list (io::file).
    template <std::size_t N>
    ResultFiles(std::string dir, const std::array<const char*, N>& names)
        : ResultFiles(std::move(dir), std::vector<std::string>(names.begin(), names.end())) {}
    /// Removes the temporaries of a run that did not complete, and releases the lock.
    ~ResultFiles();
    ResultFiles(const ResultFiles&) = delete;
    ResultFiles& operator=(const ResultFiles&) = delete;

    /// Appends one line (a newline is added) to file number `index` (0-based, in the order given).
    void write(std::size_t index, const std::string& line);
    /// Appends `lines` whole lines, each with its newline, to file number `index`.
    void write_lines(std::size_t index, std::string_view text, std::size_t lines);
    /// Puts every written file in place (flushed to disk, then renamed over its result file); returns notices
    /// for standard error (a symbolic link replaced by a result file).
    std::vector<std::string> close();
    /// Stages the run record: close() writes it as "kavrin-run.txt" beside the result files, in the same set,
    /// the same way (a temporary renamed over it; a symbolic link replaced, not followed).
    /// The constructor checks its place like a result file's.
    void set_record(std::string text) { record_ = std::move(text); }
    /// Number of result files (as given to the constructor).
    std::size_t size() const { return names_.size(); }
    /// Name of result file `index`.
    const std::string& name(std::size_t index) const { return names_[index]; }
    /// Number of lines this run wrote to file `index`.
    std::size_t lines_written(std::size_t index) const { return counts_[index]; }

private:
    std::string path(std::size_t index) const;
    std::string temporary(std::size_t index) const;
    std::string in_dir(const std::string& name) const;
    void check_place(const std::string& name, bool create) const;
    void complete_interrupted_commit();
    std::FILE* open_temporary(std::size_t index);
    void discard() noexcept;

    std::string dir_;
    std::vector<std::string> names_;
    std::vector<std::FILE*> files_;
    std::vector<std::size_t> counts_;
    std::optional<std::string> record_;
    int lock_fd_ = -1;
};

/// On SIGINT and SIGTERM, removes the temporary result files of the running run before the program ends as
/// the signal says. For the programs' main functions.
void install_interrupt_cleanup();

}  // namespace kavrin::io
