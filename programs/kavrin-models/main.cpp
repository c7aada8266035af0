// kavrin-models: exclusive pion electroproduction in the KM, VR and QVM Regge models.
// Opens its 20 result files, runs the dialogue, runs the scan and stops.
#include <unistd.h>

#include <iostream>

#include "io/files.hpp"
#include "io/results.hpp"
#include "io/run.hpp"
#include "kavrin-models/run.hpp"

namespace {

constexpr const char* kAbout = R"(kavrin-models: exclusive pion electroproduction gamma* N -> pi N' in the KM, VR and QVM Regge models:
separated cross sections, the beam-spin asymmetry, or the phi-dependent sum of the unpolarized cross sections,
along a scan of W, Q^2, -t or cos(theta).

usage: kavrin-models            asks its questions on standard output, one answer per line from standard input
       kavrin-models < ANSWERS  runs an answer file (one answer per line; examples in
                                )" KAVRIN_DOC_DIR R"(/examples/kavrin-models/)
       kavrin-models --help | --version

It writes its result files (dST.dat, ..., dS.dat, BSA_t.dat, BSA_QQ.dat, two columns per line) in the
working directory, with kavrin-run.txt saying what produced them (answers, settings, files). What each answer and each file means, and the units: )" KAVRIN_DOC_DIR R"(/docs/dialogues.md;
the physics: )" KAVRIN_DOC_DIR R"(/docs/physics.md (docs/ in the source tree).
)";

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = kavrin::io::check_standard_streams("kavrin-models")) return *status;
    if (const auto status = kavrin::io::dialogue_program_arguments("kavrin-models", kAbout, argc, argv, std::cout, std::cerr))
        return *status;
    kavrin::io::RunOptions options;
    options.interactive = isatty(0) != 0;
    options.summary = isatty(2) != 0;
    options.program_path = kavrin::io::running_program_path();
    if (const auto status = kavrin::io::thread_option("kavrin-models", options, std::cerr)) return *status;
    kavrin::io::install_interrupt_cleanup();
    return kavrin::models_program::run(std::cin, std::cout, std::cerr, options);
}
