// kavrin-regge: exclusive pion electroproduction in a Regge model (pion_electroproduction).
// Opens the result files, runs the dialogue, reads the Gauss-Legendre table, runs the scan and stops.
#include <unistd.h>

#include <iostream>

#include "io/files.hpp"
#include "io/results.hpp"
#include "io/run.hpp"
#include "kavrin-regge/run.hpp"

namespace {

constexpr const char* kAbout = R"(kavrin-regge: exclusive pion electroproduction gamma* N -> pi N' in a Regge model with dipole or GPD-based
nucleon form factors: separated cross sections, L/T and the beam-spin asymmetry along a scan of W, Q^2, -t or
cos(theta), or the phi-dependent cross section of the DESY, Cornell, CEA or JLab convention.

usage: kavrin-regge            asks its questions on standard output, one answer per line from standard input
       kavrin-regge < ANSWERS  runs an answer file (one answer per line; examples in
                                )" KAVRIN_DOC_DIR R"(/examples/kavrin-regge/)
       kavrin-regge --help | --version

It writes its result files (dST.dat, dSL.dat, ..., BSA.dat, ddS_*.dat, two columns per line) in the working
directory, with kavrin-run.txt saying what produced them (answers, settings, files). The Gauss-Legendre table
is ./integral/gauss-legendre100.dat when present, otherwise the installed copy.
What each answer and each file means, and the units: )" KAVRIN_DOC_DIR R"(/docs/dialogues.md;
the physics: )" KAVRIN_DOC_DIR R"(/docs/physics.md (docs/ in the source tree).
)";

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = kavrin::io::check_standard_streams("kavrin-regge")) return *status;
    if (const auto status = kavrin::io::dialogue_program_arguments("kavrin-regge", kAbout, argc, argv, std::cout, std::cerr))
        return *status;
    kavrin::io::RunOptions options;
    options.interactive = isatty(0) != 0;
    options.summary = isatty(2) != 0;
    options.program_path = kavrin::io::running_program_path();
    if (const auto status = kavrin::io::thread_option("kavrin-regge", options, std::cerr)) return *status;
    kavrin::io::install_interrupt_cleanup();
    return kavrin::regge_program::run(std::cin, std::cout, std::cerr, options);
}
