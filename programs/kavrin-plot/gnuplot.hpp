// gnuplot scripts for the figures of a run, and running gnuplot on them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "kavrin-plot/figures.hpp"

namespace kavrin::plot {

/// A gnuplot string literal (double quotes; backslashes, quotes and backquotes escaped, so that the text can
/// never run a shell command through gnuplot's backquote substitution) holding text.
std::string gnuplot_quote(const std::string& text);
/// The script drawing `fig` into "<stem>.png" from the cleaned data files beside it (relative names, so
/// the script runs from the directory that holds it).
std::string gnuplot_script(const Figure& fig);

/// The gnuplot executable found on PATH, if any.
std::optional<std::filesystem::path> find_gnuplot();

/// What a gnuplot run gave: its exit status (-1 when it could not be started) and what it printed.
struct GnuplotRun {
    int status = -1;
    std::string messages;
};
/// Runs `gnuplot script` with `dir` as working directory and waits for it.
GnuplotRun run_gnuplot(const std::filesystem::path& gnuplot, const std::filesystem::path& dir,
                       const std::string& script);

/// Width and height of a PNG file from its signature and IHDR chunk; nothing when it is not a PNG.
std::optional<std::pair<unsigned, unsigned>> png_size(const std::filesystem::path& file);

}  // namespace kavrin::plot
