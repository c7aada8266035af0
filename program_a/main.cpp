// kavrin-regge: exclusive pion electroproduction in a Regge model (pion_electroproduction).
// Opens the result files, runs the dialogue, reads the Gauss-Legendre table, runs the scan and stops.
#include <unistd.h>

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "io/answers.hpp"
#include "io/results.hpp"
#include "kavrin/regge.hpp"
#include "program_a/dialogue.hpp"
#include "program_a/scan.hpp"
#include "program_a/table.hpp"

int main() {
    using namespace kavrin;
    try {
        io::ResultFiles files("", program_a::result_file_names());
        io::Dialogue dialogue(std::cin, std::cout, isatty(0) != 0);
        const program_a::Settings run = program_a::run_dialogue(dialogue);
        std::cout.flush();
        const regge::Settings physics = program_a::physics_settings(run);
        regge::GaussLegendreTable table;
        try {
            table = regge::load_gauss_legendre_table(program_a::gauss_legendre_path);
        } catch (const regge::TableError& e) {
            std::error_code ec;
            if (std::filesystem::exists(program_a::gauss_legendre_path, ec)) throw;
            throw regge::TableError(std::string(e.what()) + "; " + program_a::table_setup_hint());
        }
        const regge::Model model(physics, table);
        program_a::run_scan(model, run, files);
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
