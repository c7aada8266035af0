#include "program_b/run.hpp"

#include <istream>
#include <ostream>

#include "io/answers.hpp"
#include "io/results.hpp"
#include "kavrin/models.hpp"
#include "program_b/dialogue.hpp"
#include "program_b/scan.hpp"

namespace kavrin::program_b {

int run(std::istream& in, std::ostream& out, std::ostream& err, const io::RunOptions& options) {
    return io::report_run("kavrin-models", out, err, [&] {
        io::ResultFiles files(options.dir, result_file_names());
        io::Dialogue dialogue(in, out, options.interactive);
        const Settings answers = run_dialogue(dialogue);
        out.flush();
        io::check_scan_size(scan_size(answers), options.max_scan_lines);
        const models::Model model(physics_settings(answers));
        run_scan(model, answers, files);
        files.close();
    });
}

}  // namespace kavrin::program_b
