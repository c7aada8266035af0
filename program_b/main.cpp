// kavrin-models: exclusive pion electroproduction in the KM, VR and QVM Regge models.
// Opens its 20 result files, runs the dialogue, runs the scan and stops.
#include <unistd.h>

#include <exception>
#include <iostream>

#include "io/answers.hpp"
#include "io/results.hpp"
#include "kavrin/models.hpp"
#include "program_b/dialogue.hpp"
#include "program_b/scan.hpp"

int main() {
    using namespace kavrin;
    try {
        io::ResultFiles files("", program_b::result_file_names());
        io::Dialogue dialogue(std::cin, std::cout, isatty(0) != 0);
        const program_b::Settings settings = program_b::run_dialogue(dialogue);
        std::cout.flush();
        const models::Model model(program_b::physics_settings(settings));
        program_b::run_scan(model, settings, files);
        files.close();
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "kavrin-models: " << e.what() << '\n';
        return 1;
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "kavrin-models: writing to standard output failed\n";
        return 1;
    }
    return 0;
}
