// kavrin-eval: the models at the kinematics of a table of points, and their comparison with measured data.
#include <iostream>

#include "kavrin-eval/eval.hpp"

int main(int argc, char** argv) { return kavrin::eval::run(argc, argv, std::cin, std::cout, std::cerr); }
