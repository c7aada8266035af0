#include "program_b/run.hpp"

#include <exception>
#include <istream>
#include <ostream>

#include "io/answers.hpp"
#include "io/results.hpp"
#include "kavrin/models.hpp"
#include "program_b/dialogue.hpp"
#include "program_b/scan.hpp"

namespace kavrin::program_b {

int run(std::istream& in, std::ostream& out, std::ostream& err, const io::RunOptions& options) {
    try {
        io::ResultFiles files(options.dir, result_file_names());
        io::Dialogue dialogue(in, out, options.interactive);
        const Settings answers = run_dialogue(dialogue);
        out.flush();
        io::check_scan_size(scan_size(answers), options.max_scan_lines);
        const models::Model model(physics_settings(answers));
        run_scan(model, answers, files);
        files.close();
    } catch (const std::exception& e) {
        out.flush();
        err << "kavrin-models: " << e.what() << '\n';
        return 1;
    }
    out.flush();
    if (!out) {
        err << "kavrin-models: writing to standard output failed\n";
        return 1;
    }
    return 0;
}

}  // namespace kavrin::program_b
