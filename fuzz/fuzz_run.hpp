// The properties every answer stream must keep, checked by the fuzz targets of both programs: a run ends
// with status 0 or 1; status 1 comes with a message; on status 1 no result file that existed before has
// changed; on status 0 every result file either kept its old content or holds only result lines; no run
// leaves a temporary file behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/run.hpp"

namespace kavrin::fuzz {

/// The most lines per result file one fuzz input may ask for: keeps every input to well under a second.
inline constexpr double fuzz_max_scan_lines = 500.0;

/// A run directory that lives as long as the fuzzing process: the Gauss-Legendre table in ./integral and
/// every result file present with one old line, put back before each input.
class RunDir {
public:
    explicit RunDir(std::vector<std::string> result_files);
    ~RunDir();
    RunDir(const RunDir&) = delete;
    RunDir& operator=(const RunDir&) = delete;

    const std::string& path() const { return dir_; }
    /// Puts every result file back to its one old line.
    void reset() const;
    /// The name of the first result file whose content is not its old line, or "" when none is.
    std::string first_changed() const;
    /// The name of the first result file holding anything but its old line or result lines, or "".
    std::string first_malformed() const;

private:
    std::string dir_;
    std::vector<std::string> files_;
};

/// A whole run of a program: status from the answers in `in`, prompts to `out`, messages to `err`.
using RunFunction = int (*)(std::istream& in, std::ostream& out, std::ostream& err, const io::RunOptions& options);

/// Runs `run` on the bytes as answers, once as from a file and once as from a terminal, and aborts (which
/// the fuzzer reports with the input) when a property does not hold.
void check_one_input(RunFunction run, const RunDir& dir, const std::uint8_t* data, std::size_t size);

}  // namespace kavrin::fuzz
