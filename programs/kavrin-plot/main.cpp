// kavrin-plot RUN_DIR [--x LABEL] [--out DIR] [--linear | --log]: PNG figures of the result files of a run, drawn with gnuplot.
#include <iostream>
#include <string>
#include <vector>

#include "io/files.hpp"
#include "kavrin-plot/command.hpp"

int main(int argc, char** argv) {
    if (const auto status = kavrin::io::check_standard_streams("kavrin-plot")) return *status;
    const std::vector<std::string> args(argv + 1, argv + argc);
    return kavrin::plot::plot_command(args, std::cout, std::cerr);
}
