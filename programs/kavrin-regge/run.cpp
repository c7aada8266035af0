#include "kavrin-regge/run.hpp"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <istream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <ostream>
#include <string>
#include <system_error>

#include "io/answers.hpp"
#include "io/files.hpp"
#include "io/result_files.hpp"
#include "io/results.hpp"
#include "io/run_record.hpp"
#include "kavrin-regge/dialogue.hpp"
#include "kavrin-regge/record.hpp"
#include "kavrin-regge/scan.hpp"
#include "kavrin_install_paths.hpp"

namespace kavrin::regge_program {

namespace fs = std::filesystem;

namespace {

constexpr const char* kLocalTable = "integral/gauss-legendre100.dat";

// A path as typed in a shell command: quoted when it holds anything but plain path characters.
std::string shell_word(const std::string& path) {
    for (char c : path)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-+", c) != nullptr))
            return "'" + path + "'";
    return path;
}

bool is_file(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

// Whether anything (a file, a link, even a directory) stands at the path: a table put in the run directory
// is the one meant, and a broken one is reported rather than passed over.
bool stands_at(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

// The installed copy as seen from the program, or nothing when the program's place is unknown.
std::optional<fs::path> installed_beside(const std::string& program_path) {
    if (program_path.empty()) return std::nullopt;
    return (fs::path(program_path).parent_path() / KAVRIN_TABLE_FROM_BINDIR).lexically_normal();
}

// Whether the program runs from the build tree it was built in.
bool in_build_tree(const std::string& program_path) {
    if (program_path.empty()) return false;
    std::error_code ec;
    return fs::equivalent(fs::path(program_path).parent_path(), KAVRIN_BUILD_DIR, ec);
}

}  // namespace

regge::GaussLegendreTable read_table(const std::string& path) {
    // the reader stops long before this many bytes; a FIFO or a device there is refused, never waited on
    constexpr std::size_t kMostRead = std::size_t{1} << 20;
    std::string bytes;
    try {
        bytes = io::read_regular_file(path, "the Gauss-Legendre table", kMostRead);
    } catch (const std::runtime_error& e) {
        throw regge::TableError(e.what());
    }
    std::istringstream in(bytes);
    return regge::load_gauss_legendre_table(in, path);
}

std::string find_table(const std::string& dir, const std::string& program_path) {
    const fs::path local = fs::path(dir.empty() ? "." : dir) / kLocalTable;
    if (stands_at(local)) return local.string();
    if (const auto installed = installed_beside(program_path); installed && is_file(*installed)) return installed->string();
    if (in_build_tree(program_path) && is_file(KAVRIN_SOURCE_TABLE)) return KAVRIN_SOURCE_TABLE;
    const auto installed = installed_beside(program_path);
    throw regge::TableError(
        std::string("the Gauss-Legendre table is missing: neither ./").append(kLocalTable)
            .append(" nor the installed copy ")
            .append(installed ? installed->string() : std::string(KAVRIN_INSTALLED_TABLE))
            .append(" exists; install kavrin again (cmake --install), or put a copy in place with: mkdir -p integral && cp ")
            .append(shell_word(is_file(KAVRIN_SOURCE_TABLE) ? std::string(KAVRIN_SOURCE_TABLE)
                                                            : std::string("SOURCE_TREE/data/") + kLocalTable))
            .append(" integral/"));
}

int run(std::istream& in, std::ostream& out, std::ostream& err, const io::RunOptions& options) {
    return io::report_run("kavrin-regge", out, err, [&] {
        // the table first: a missing or bad table stops the run before the first question
        const std::string table_path = find_table(options.dir, options.program_path);
        const regge::GaussLegendreTable table = read_table(table_path);
        io::ResultFiles files(options.dir, io::file::regge_files);
        io::Dialogue dialogue(in, out, options.interactive);
        const Answers answers = run_dialogue(dialogue);
        out.flush();
        io::check_scan_size(scan_size(answers.scan), options.max_scan_lines);
        const regge::internal::Model model(regge::Settings::as_typed(answers.physics), table);
        run_scan(model, answers.scan, files, options);
        io::RunRecord record = describe_run(answers, table_path);
        record.answers = dialogue.answered();
        io::finish_run("kavrin-regge", files, record, options, out, err);
    });
}

}  // namespace kavrin::regge_program
