// Files of the newer front ends: read whole with a bound (writing goes through figures::write_file), and text
// safe to echo in a message.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kavrin::frontend {

/// A file that cannot be read or written; what() names it and the reason.
struct FileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// The content of a regular file or a pipe, at most max_bytes (FileError beyond, and for a directory, a device,
/// a socket, or a file that cannot be opened, with the system's reason).
std::string read_file(const std::string& path, std::size_t max_bytes);

/// Text safe to echo in a message: control characters and bytes that are not printable ASCII or UTF-8 are shown as
/// \xNN; at most max_chars characters are kept.
std::string printable(std::string_view text, std::size_t max_chars = 200);

}  // namespace kavrin::frontend
