#include "kavrin-models/run.hpp"

#include <istream>
#include <ostream>

#include "io/answers.hpp"
#include "io/result_files.hpp"
#include "io/results.hpp"
#include "io/run_record.hpp"
#include "kavrin-models/dialogue.hpp"
#include "kavrin-models/record.hpp"
#include "kavrin-models/scan.hpp"

namespace kavrin::models_program {

int run(std::istream& in, std::ostream& out, std::ostream& err, const io::RunOptions& options) {
    return io::report_run("kavrin-models", out, err, [&] {
        io::ResultFiles files(options.dir, io::file::models_files);
        io::Dialogue dialogue(in, out, options.interactive);
        const Answers answers = run_dialogue(dialogue);
        out.flush();
        io::check_scan_size(scan_size(answers), options.max_scan_lines);
        const models::internal::Model model(models::Settings::as_typed(answers.physics));
        run_scan(model, answers.scan, files, options);
        io::RunRecord record = describe_run(answers);
        record.answers = dialogue.answered();
        io::finish_run("kavrin-models", files, record, options, out, err);
    });
}

}  // namespace kavrin::models_program
