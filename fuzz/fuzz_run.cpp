#include "fuzz/fuzz_run.hpp"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "io/answers.hpp"

namespace kavrin::fuzz {

namespace fs = std::filesystem;

namespace {

std::string old_line(const std::string& name) { return " old " + name + "\n"; }

std::string content_of(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A result line: a leading blank and two numbers (NaN included), nothing else.
bool is_result_line(const std::string& line) {
    if (line.empty() || line[0] != ' ') return false;
    std::istringstream fields(line);
    std::string x, y, rest;
    if (!(fields >> x >> y) || (fields >> rest)) return false;
    const auto number = [](const std::string& s) { return s == "NaN" || io::parse_real(s).has_value(); };
    return number(x) && number(y);
}

[[noreturn]] void fail(const char* property, const std::string& detail, bool interactive) {
    std::fprintf(stderr, "property broken (%s input): %s: %s\n", interactive ? "terminal" : "file", property,
                 detail.c_str());
    std::abort();
}

}  // namespace

RunDir::RunDir(std::vector<std::string> result_files) : files_(std::move(result_files)) {
    std::string tmpl = (fs::temp_directory_path() / "kavrin-fuzz-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) {
        std::perror("kavrin fuzz: mkdtemp");
        std::abort();
    }
    dir_ = tmpl;
    fs::create_directories(fs::path(dir_) / "integral");
    fs::copy_file(fs::path(KAVRIN_SOURCE_DIR) / "data/integral/gauss-legendre100.dat",
                  fs::path(dir_) / "integral/gauss-legendre100.dat");
    reset();
}

RunDir::~RunDir() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

void RunDir::reset() const {
    for (const std::string& f : files_) std::ofstream(fs::path(dir_) / f, std::ios::binary | std::ios::trunc) << old_line(f);
}

std::string RunDir::first_changed() const {
    for (const std::string& f : files_)
        if (content_of(fs::path(dir_) / f) != old_line(f)) return f;
    return "";
}

std::string RunDir::first_malformed() const {
    for (const std::string& f : files_) {
        const std::string text = content_of(fs::path(dir_) / f);
        if (text == old_line(f)) continue;
        if (!text.empty() && text.back() != '\n') return f;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            if (!is_result_line(line)) return f + ": \"" + line + "\"";
    }
    return "";
}

void check_one_input(RunFunction run, const RunDir& dir, const std::uint8_t* data, std::size_t size) {
    const std::string answers(reinterpret_cast<const char*>(data), size);
    for (const bool interactive : {false, true}) {
        dir.reset();
        std::istringstream in(answers);
        std::ostringstream out, err;
        io::RunOptions options;
        options.dir = dir.path();
        options.interactive = interactive;
        options.max_scan_lines = fuzz_max_scan_lines;
        const int status = run(in, out, err, options);
        if (status != 0 && status != 1) fail("status 0 or 1", std::to_string(status), interactive);
        if (status == 1) {
            if (err.str().empty()) fail("a message with status 1", "standard error is empty", interactive);
            if (const std::string f = dir.first_changed(); !f.empty())
                fail("result files untouched on status 1", f + " changed", interactive);
        } else if (const std::string f = dir.first_malformed(); !f.empty()) {
            fail("only result lines in the result files", f, interactive);
        }
        for (const auto& e : fs::directory_iterator(dir.path()))
            if (e.path().extension() == ".partial")
                fail("no temporary file after a run", e.path().filename().string(), interactive);
    }
}

}  // namespace kavrin::fuzz
