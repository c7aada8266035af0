// Golden runs: every example answer file of both programs is run again by the built program and its
// transcript and result files are compared with the runs stored under tests/golden (made by
// tests/golden/make-golden.sh). Transcripts must match record for record and a result file that the stored
// run left empty must stay empty. Result lines match number for number, within 1e-13 of the largest value
// of the column: the two models share one observables layer, whose response sums group the products of the
// amplitudes in one order, where the stored runs of kavrin-regge grouped them in another. That moves a value
// by an ulp or two of the terms summed, which is more than an ulp of the value where they cancel (dsigma_LT'
// and the BSA at backward angles: 2.4e-13 of the value, 3e-17 of the largest value of the column).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path source_dir = KAVRIN_SOURCE_DIR;

std::vector<std::string> lines_of(const fs::path& p) {
    std::vector<std::string> out;
    std::ifstream in(p);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

struct Example {
    std::string program;  // kavrin-regge or kavrin-models
    fs::path answers;
    std::string name() const { return answers.stem().string(); }
};

void PrintTo(const Example& ex, std::ostream* os) { *os << ex.program << " < " << ex.answers.filename().string(); }

std::vector<Example> examples() {
    std::vector<Example> out;
    for (const char* program : {"kavrin-regge", "kavrin-models"})
        for (const auto& e : fs::directory_iterator(source_dir / "examples" / program))
            if (e.path().extension() == ".in") out.push_back({program, e.path()});
    return out;
}

std::string binary_of(const std::string& program) {
    return program == "kavrin-regge" ? KAVRIN_REGGE_BINARY : KAVRIN_MODELS_BINARY;
}

constexpr double tolerance = 1e-13;

std::vector<std::string> tokens_of(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string t; in >> t;) out.push_back(t);
    return out;
}

// The largest finite magnitude of each column of a result file.
std::vector<double> column_scales(const std::vector<std::string>& lines) {
    std::vector<double> scale;
    for (const std::string& line : lines) {
        const std::vector<std::string> t = tokens_of(line);
        scale.resize(std::max(scale.size(), t.size()), 0.0);
        for (std::size_t i = 0; i < t.size(); ++i) {
            const double v = std::strtod(t[i].c_str(), nullptr);
            if (std::isfinite(v)) scale[i] = std::max(scale[i], std::abs(v));
        }
    }
    return scale;
}

// Two result lines hold the same values: the same tokens, numbers within the tolerance of their column.
bool same_values(const std::string& x, const std::string& y, const std::vector<double>& scale) {
    if (x == y) return true;
    const std::vector<std::string> a = tokens_of(x), b = tokens_of(y);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        char* end_a = nullptr;
        char* end_b = nullptr;
        const double u = std::strtod(a[i].c_str(), &end_a), v = std::strtod(b[i].c_str(), &end_b);
        if (*end_a != '\0' || *end_b != '\0' || !std::isfinite(u) || !std::isfinite(v)) return false;
        const double size = std::max({std::abs(u), std::abs(v), i < scale.size() ? scale[i] : 0.0});
        if (!(std::abs(u - v) <= tolerance * size)) return false;
    }
    return true;
}

// The first line at which two files differ, as a test failure message; empty when they agree. Transcripts
// agree record for record, result files value for value.
std::string first_difference(const fs::path& got, const fs::path& want) {
    const bool exact = want.extension() != ".dat";
    const std::vector<std::string> a = lines_of(got), b = lines_of(want);
    const std::vector<double> scale = column_scales(b);
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::string x = i < a.size() ? a[i] : "(no line)";
        const std::string y = i < b.size() ? b[i] : "(no line)";
        if (exact ? x != y : (i >= a.size() || i >= b.size() || !same_values(x, y, scale)))
            return want.filename().string() + " line " + std::to_string(i + 1) + ":\n  got  [" + x + "]\n  want [" + y +
                   "]";
    }
    return "";
}

class GoldenRun : public ::testing::TestWithParam<Example> {};

TEST_P(GoldenRun, TranscriptAndEveryResultFileAsStored) {
    const Example& ex = GetParam();
    const fs::path golden = source_dir / "tests/golden" / ex.program / ex.name();
    ASSERT_TRUE(fs::is_directory(golden)) << "no golden run " << golden << " (tests/golden/make-golden.sh makes it)";

    std::string tmpl = (fs::temp_directory_path() / "kavrin-golden-XXXXXX").string();
    const fs::path dir = mkdtemp(tmpl.data());
    fs::create_directories(dir / "integral");
    fs::copy_file(source_dir / "data/integral/gauss-legendre100.dat", dir / "integral/gauss-legendre100.dat");
    const std::string cmd = "cd '" + dir.string() + "' && '" + binary_of(ex.program) + "' < '" + ex.answers.string() +
                            "' > transcript.txt 2> stderr.txt";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << cmd;

    std::set<std::string> stored;
    for (const auto& e : fs::directory_iterator(golden)) {
        const std::string file = e.path().filename().string();
        stored.insert(file);
        ASSERT_TRUE(fs::exists(dir / file)) << file << " was not written";
        const std::string diff = first_difference(dir / file, e.path());
        EXPECT_TRUE(diff.empty()) << ex.program << " " << ex.name() << ": " << diff;
    }
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string file = e.path().filename().string();
        if (e.path().extension() == ".dat" && !stored.count(file)) {
            EXPECT_EQ(fs::file_size(e.path()), 0u) << ex.program << " " << ex.name() << " wrote lines to " << file;
        }
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenRun, ::testing::ValuesIn(examples()),
                         [](const ::testing::TestParamInfo<Example>& info) {
                             std::string n = info.param.program + "_" + info.param.name();
                             for (char& c : n) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return n;
                         });

}  // namespace
