#include "program_a/run.hpp"

#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <system_error>

#include "io/answers.hpp"
#include "io/results.hpp"
#include "kavrin/regge.hpp"
#include "program_a/dialogue.hpp"
#include "program_a/scan.hpp"
#include "program_a/table.hpp"

namespace kavrin::program_a {

namespace {

// The table of the run, or TableError naming the file (and, when it is missing, how to put it in place).
regge::GaussLegendreTable read_table(const std::string& dir) {
    const std::string path = dir.empty() ? std::string(gauss_legendre_path) : dir + "/integral/gauss-legendre100.dat";
    try {
        return regge::load_gauss_legendre_table(path);
    } catch (const regge::TableError& e) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) throw;
        throw regge::TableError(std::string(e.what()) + "; " + table_setup_hint());
    }
}

}  // namespace

int run(std::istream& in, std::ostream& out, std::ostream& err, const io::RunOptions& options) {
    return io::report_run("kavrin-regge", out, err, [&] {
        io::ResultFiles files(options.dir, result_file_names());
        io::Dialogue dialogue(in, out, options.interactive);
        const Settings answers = run_dialogue(dialogue);
        out.flush();
        io::check_scan_size(scan_size(answers), options.max_scan_lines);
        const regge::Model model(physics_settings(answers), read_table(options.dir));
        run_scan(model, answers, files);
        files.close();
    });
}

}  // namespace kavrin::program_a
