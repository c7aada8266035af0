// kavrin-models: exclusive pion electroproduction in the KM, VR and QVM Regge models.
// Opens its 20 result files, runs the dialogue, runs the scan and stops.
#include <unistd.h>

#include <iostream>

#include "io/results.hpp"
#include "kavrin-models/run.hpp"

int main() {
    kavrin::io::RunOptions options;
    options.interactive = isatty(0) != 0;
    kavrin::io::install_interrupt_cleanup();
    return kavrin::models_program::run(std::cin, std::cout, std::cerr, options);
}
