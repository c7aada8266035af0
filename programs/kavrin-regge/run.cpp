#include "kavrin-regge/run.hpp"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <system_error>

#include "io/answers.hpp"
#include "io/result_files.hpp"
#include "io/results.hpp"
#include "kavrin-regge/dialogue.hpp"
#include "kavrin-regge/scan.hpp"
#include "kavrin_install_paths.hpp"

namespace kavrin::regge_program {

namespace {

// A path as typed in a shell command: quoted when it holds anything but plain path characters.
std::string shell_word(const std::string& path) {
    for (char c : path)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-+", c) != nullptr))
            return "'" + path + "'";
    return path;
}

// How to put the table in place below the working directory: names the installed copy (or, before the
// project is installed, the copy in its source tree) and the commands that copy it.
std::string table_setup_hint() {
    const std::string installed = KAVRIN_INSTALLED_TABLE;
    const std::string source = KAVRIN_SOURCE_TABLE;
    std::error_code ec;
    if (!std::filesystem::exists(installed, ec) && std::filesystem::exists(source, ec))
        return "its installed copy " + installed +
               " is not there yet (cmake --install puts it there); put the copy of the source tree in place with: "
               "mkdir -p integral && cp " +
               shell_word(source) + " integral/";
    return "put its installed copy " + installed + " in place with: mkdir -p integral && cp " +
           shell_word(installed) + " integral/";
}

// The table of the run, or TableError naming the file (and, when it is missing, how to put it in place).
regge::GaussLegendreTable read_table(const std::string& dir) {
    const std::string path = (dir.empty() ? std::string(".") : dir) + "/integral/gauss-legendre100.dat";
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
        io::ResultFiles files(options.dir, io::file::regge_files);
        io::Dialogue dialogue(in, out, options.interactive);
        const Answers answers = run_dialogue(dialogue);
        out.flush();
        io::check_scan_size(scan_size(answers.scan), options.max_scan_lines);
        const regge::internal::Model model(regge::Settings::as_typed(answers.physics), read_table(options.dir));
        run_scan(model, answers.scan, files, options);
        for (const std::string& notice : files.close()) err << "kavrin-regge: " << notice << "\n";
    });
}

}  // namespace kavrin::regge_program
