// kavrin-gen: events of e N -> e' pi N' from the models, for detector simulation and rate estimates.
#include <iostream>

#include "kavrin-gen/cli.hpp"
#include "kavrin-gen/output.hpp"

int main(int argc, char** argv) {
    kavrin::gen::install_interrupt_cleanup();
    return kavrin::gen::run(argc, argv, std::cout, std::cerr);
}
