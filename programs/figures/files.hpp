// The files of a figure: written whole through a temporary beside them and a rename that never follows a
// link, and the data they are drawn from read with bounds, from regular files only.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace kavrin::figures {

/// Writes `text` to a temporary ".<name>.partial" beside `file` (created anew, never through a link) and
/// renames it over `file`: a link there is replaced, not followed, and a failed write leaves `file` as it
/// was. Throws std::runtime_error naming the file.
void write_file(const std::filesystem::path& file, std::string_view text);

/// Limits of read_lines().
struct ReadLimits {
    std::size_t max_bytes = 0;        // a larger file is refused before it is read
    std::size_t max_lines = 0;        // a file with more lines is refused
    std::size_t max_line_length = 0;  // longer lines are handed on cut to this length, with `cut` set
};

/// Reads a regular file line by line within `limits`, calling `line(text, number, cut)` for each (without its
/// newline). A FIFO, device or directory is refused before anything is read. Throws std::runtime_error with
/// the file and the reason when the file cannot be read, is not regular or exceeds a limit.
void read_lines(const std::filesystem::path& file, const ReadLimits& limits,
                const std::function<void(std::string_view text, std::size_t number, bool cut)>& line);

}  // namespace kavrin::figures
