// kavrin-regge: exclusive pion electroproduction in a Regge model (pion_electroproduction).
// Opens the result files, runs the dialogue, reads the Gauss-Legendre table, runs the scan and stops.
#include <unistd.h>

#include <iostream>

#include "io/results.hpp"
#include "kavrin-regge/run.hpp"

int main() {
    kavrin::io::RunOptions options;
    options.interactive = isatty(0) != 0;
    kavrin::io::install_interrupt_cleanup();
    return kavrin::regge_program::run(std::cin, std::cout, std::cerr, options);
}
