// Running gnuplot: finding it, quoting text for its scripts, drawing a PNG through a temporary file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kavrin::figures {

/// A gnuplot string literal (double quotes; backslashes, quotes and backquotes escaped, so that the text can
/// never run a shell command through gnuplot's backquote substitution) holding text.
std::string gnuplot_quote(const std::string& text);

/// The gnuplot executable found on PATH, if any.
std::optional<std::filesystem::path> find_gnuplot();

/// What a gnuplot run gave: its exit status (-1 when it could not be started) and what it printed.
struct GnuplotRun {
    int status = -1;
    std::string messages;
};
/// Runs `gnuplot [options...] script` with `dir` as working directory and waits for it.
GnuplotRun run_gnuplot(const std::filesystem::path& gnuplot, const std::filesystem::path& dir,
                       const std::string& script, const std::vector<std::string>& options = {});

/// Runs a script written by gnuplot_script() so that it draws into a temporary file in `dir`, created
/// there without following links, and renames that over `png` when gnuplot succeeded and left a PNG (a link
/// at `png` is replaced, never followed); otherwise the temporary is removed and `png` is left as it was.
GnuplotRun draw_png(const std::filesystem::path& gnuplot, const std::filesystem::path& dir, const std::string& script,
                    const std::string& png);

/// Width and height of a PNG file from its signature and IHDR chunk; nothing when it is not a PNG.
std::optional<std::pair<unsigned, unsigned>> png_size(const std::filesystem::path& file);

}  // namespace kavrin::figures
