// Golden runs: every example answer file of both programs is run again by the built program and its
// transcript and result files are compared with the runs stored under tests/golden (made by
// tests/golden/make-golden.sh). Transcripts must match record for record, result lines number for number,
// and a result file that the stored run left empty must stay empty.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
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
            if (e.path().extension() == ".in" || e.path().extension() == ".txt") out.push_back({program, e.path()});
    return out;
}

std::string binary_of(const std::string& program) {
    return program == "kavrin-regge" ? KAVRIN_REGGE_BINARY : KAVRIN_MODELS_BINARY;
}

// The first line at which two files differ, as a test failure message; empty when they agree.
std::string first_difference(const fs::path& got, const fs::path& want) {
    const std::vector<std::string> a = lines_of(got), b = lines_of(want);
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::string x = i < a.size() ? a[i] : "(no line)";
        const std::string y = i < b.size() ? b[i] : "(no line)";
        if (x != y)
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
