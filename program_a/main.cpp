// kavrin-regge: exclusive pion electroproduction in a Regge model (pion_electroproduction).
// Opens the result files, runs the dialogue, reads the Gauss-Legendre table, runs the scan and stops.
#include <unistd.h>

#include <exception>
#include <iostream>

#include "io/answers.hpp"
#include "io/results.hpp"
#include "program_a/dialogue.hpp"
#include "program_a/model.hpp"
#include "program_a/scan.hpp"
#include "program_a/table.hpp"

int main() {
    using namespace kavrin;
    try {
        io::ResultFiles files("", program_a::result_file_names());
        io::Dialogue dialogue(std::cin, std::cout, isatty(0) != 0);
        const program_a::Settings settings = program_a::run_dialogue(dialogue);
        std::cout.flush();
        const GaussLegendre100 gl = program_a::read_gauss_legendre_table(program_a::gauss_legendre_path);
        const program_a::Model model = program_a::make_model(settings, gl);
        program_a::run_scan(model, files);
        files.close();
        std::cout.flush();
        if (!std::cout) {
            std::cerr << "kavrin-regge: writing to standard output failed\n";
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "kavrin-regge: " << e.what() << '\n';
        return 1;
    }
}
