// The standard streams and the files a program reads: descriptors 0-2 checked before anything is opened,
// and special files (a FIFO, a device, a directory) refused where a regular file is expected.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kavrin::io {

/// Call first in main. A closed standard output or error is opened on /dev/null, so that no file the program
/// opens later can take descriptor 1 or 2 (and receive the transcript or the messages). A closed standard
/// input, or a closed standard output, then stops the program: "<program>: standard input is closed ..." on
/// standard error, status 1. (Output that cannot be written fails a run anyway; refusing at once keeps a whole
/// scan from being computed for nothing.) A closed standard error is no reason to stop: its messages go to
/// /dev/null and the exit status still tells. Returns the exit status when the program must stop.
std::optional<int> check_standard_streams(std::string_view program);

/// Opens `path` for reading without blocking on a FIFO or a device, and refuses anything that is not a
/// regular file: std::runtime_error "cannot open <what> "<path>": <reason>" or "<what> "<path>" is a FIFO,
/// not a regular file". Returns the open descriptor (close-on-exec, blocking again).
int open_regular_file(const std::string& path, std::string_view what);

/// The first `max_bytes` bytes of the regular file `path` (all of it when shorter), opened as
/// open_regular_file() does. Throws std::runtime_error naming `what` and the path.
std::string read_regular_file(const std::string& path, std::string_view what, std::size_t max_bytes);

/// What stands at a path that is not a regular file, in words: "a FIFO", "a device", "a socket", "a directory".
const char* kind_of(mode_t mode);

}  // namespace kavrin::io
