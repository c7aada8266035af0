// kavrin-eval: the models at the kinematics of a table of points, and their comparison with measured data.
#include <iostream>

#include "io/files.hpp"
#include "kavrin-eval/eval.hpp"

int main(int argc, char** argv) {
    if (const auto status = kavrin::io::check_standard_streams("kavrin-eval")) return *status;
    return kavrin::eval::run(argc, argv, std::cin, std::cout, std::cerr);
}
