// Scans shared over threads: every example answer file of both programs gives the same result files, byte for
// byte, on one thread, on the default thread count and on several threads with blocks of a few points (so
// that even the small example scans are split over many blocks and threads); the thread count of
// KAVRIN_THREADS; and the block runner's order and its failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/result_files.hpp"
#include "io/results.hpp"
#include "io/run.hpp"
#include "io/scan_blocks.hpp"
#include "kavrin-models/run.hpp"
#include "kavrin-regge/run.hpp"

namespace fs = std::filesystem;

namespace {

const fs::path source_dir = KAVRIN_SOURCE_DIR;

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh run directory with the Gauss-Legendre table in place, removed at the end.
class RunDir {
public:
    explicit RunDir(const std::string& tag)
        : dir_(fs::temp_directory_path() / ("kavrin-parallel-" + std::to_string(::getpid()) + "-" + tag)) {
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "integral");
        fs::copy_file(source_dir / "data/integral/gauss-legendre100.dat", dir_ / "integral/gauss-legendre100.dat");
    }
    ~RunDir() { fs::remove_all(dir_); }
    RunDir(const RunDir&) = delete;
    RunDir& operator=(const RunDir&) = delete;
    const fs::path& path() const { return dir_; }

private:
    fs::path dir_;
};

struct Example {
    std::string program;
    fs::path answers;
};

void PrintTo(const Example& ex, std::ostream* os) { *os << ex.program << " < " << ex.answers.filename().string(); }

std::vector<Example> examples() {
    std::vector<Example> out;
    for (const char* program : {"kavrin-regge", "kavrin-models"})
        for (const auto& e : fs::directory_iterator(source_dir / "examples" / program))
            if (e.path().extension() == ".in" || e.path().extension() == ".txt") out.push_back({program, e.path()});
    return out;
}

// The transcript and every result file of one run of the example with the given threads and block size.
std::vector<std::string> run_example(const Example& ex, unsigned threads, std::size_t block_points) {
    RunDir dir(std::to_string(threads) + "-" + std::to_string(block_points));
    std::istringstream in(read_file(ex.answers));
    std::ostringstream out, err;
    kavrin::io::RunOptions options;
    options.dir = dir.path().string();
    options.threads = threads;
    options.block_points = block_points;
    const bool regge = ex.program == "kavrin-regge";
    const int status = regge ? kavrin::regge_program::run(in, out, err, options)
                             : kavrin::models_program::run(in, out, err, options);
    EXPECT_EQ(status, 0) << err.str();
    std::vector<std::string> files{out.str()};
    if (regge)
        for (const char* name : kavrin::io::file::regge_files) files.push_back(read_file(dir.path() / name));
    else
        for (const char* name : kavrin::io::file::models_files) files.push_back(read_file(dir.path() / name));
    return files;
}

class ParallelExample : public ::testing::TestWithParam<Example> {};

TEST_P(ParallelExample, ResultFilesAreByteIdenticalForAnyThreadCount) {
    const std::vector<std::string> one = run_example(GetParam(), 1, 0);
    std::size_t bytes = 0;
    for (const std::string& f : one) bytes += f.size();
    ASSERT_GT(bytes, one[0].size()) << "the example writes no result line";
    const unsigned all = kavrin::io::threads_of(nullptr);
    EXPECT_EQ(run_example(GetParam(), all, 0), one) << "default thread count (" << all << ")";
    EXPECT_EQ(run_example(GetParam(), 4, 3), one) << "4 threads, blocks of 3 points";
    EXPECT_EQ(run_example(GetParam(), 3, 1), one) << "3 threads, blocks of 1 point";
}

INSTANTIATE_TEST_SUITE_P(Examples, ParallelExample, ::testing::ValuesIn(examples()));

TEST(ThreadCount, KavrinThreadsGivesTheCountOrEveryCore) {
    EXPECT_EQ(kavrin::io::threads_of("1"), 1u);
    EXPECT_EQ(kavrin::io::threads_of("8"), 8u);
    EXPECT_GE(kavrin::io::threads_of(nullptr), 1u);
    EXPECT_EQ(kavrin::io::threads_of(""), kavrin::io::threads_of(nullptr));
    for (const char* bad : {"0", "-2", "two", "4x", " 4", "+4", "1.5", "99999999999999999999", "1025"})
        EXPECT_THROW(kavrin::io::threads_of(bad), std::invalid_argument) << bad;
}

TEST(ThreadCount, ABadValueStopsTheProgramWithAMessage) {
    ::setenv("KAVRIN_THREADS", "zero", 1);
    kavrin::io::RunOptions options;
    std::ostringstream err;
    const auto status = kavrin::io::thread_option("kavrin-regge", options, err);
    ::unsetenv("KAVRIN_THREADS");
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    EXPECT_NE(err.str().find("kavrin-regge: KAVRIN_THREADS=zero is not a thread count"), std::string::npos) << err.str();
    ::setenv("KAVRIN_THREADS", "3", 1);
    EXPECT_FALSE(kavrin::io::thread_option("kavrin-regge", options, err).has_value());
    ::unsetenv("KAVRIN_THREADS");
    EXPECT_EQ(options.threads, 3u);
}

class BlockRunner : public ::testing::Test {
protected:
    BlockRunner() : dir_("blocks") {}
    std::string file(const char* name) const { return read_file(dir_.path() / name); }
    RunDir dir_;
};

// Point p writes the line " p p^2" to file p % 2: the files must hold their points in order.
TEST_F(BlockRunner, WritesEveryFileInPointOrder) {
    for (unsigned threads : {1u, 2u, 5u}) {
        {
            kavrin::io::ResultFiles files(dir_.path().string(), {"even.dat", "odd.dat"});
            kavrin::io::run_in_blocks(1001, 7, threads, 2, files, [](std::size_t first, std::size_t last, kavrin::io::LineBlock& out) {
                for (std::size_t p = first; p < last; ++p)
                    out.line(p % 2, static_cast<long long>(p), static_cast<double>(p * p));
            });
            EXPECT_EQ(files.lines_written(0), 501u);
            EXPECT_EQ(files.lines_written(1), 500u);
            files.close();
        }
        std::string even, odd;
        for (long long p = 0; p < 1001; ++p)
            (p % 2 == 0 ? even : odd) += kavrin::io::result_line(p, static_cast<double>(p * p)) + "\n";
        EXPECT_EQ(file("even.dat"), even) << threads << " threads";
        EXPECT_EQ(file("odd.dat"), odd) << threads << " threads";
    }
}

// A point that fails stops the scan: the exception reaches the caller, no result file changes.
TEST_F(BlockRunner, AFailingPointStopsTheScanAndChangesNoFile) {
    std::ofstream(dir_.path() / "a.dat") << " old\n";
    for (unsigned threads : {1u, 3u}) {
        std::atomic<std::size_t> computed{0};
        {
            kavrin::io::ResultFiles files(dir_.path().string(), {"a.dat"});
            EXPECT_THROW(kavrin::io::run_in_blocks(100000, 10, threads, 1, files,
                                                   [&](std::size_t first, std::size_t last, kavrin::io::LineBlock& out) {
                                                       for (std::size_t p = first; p < last; ++p) {
                                                           if (p == 555) throw std::runtime_error("point 555");
                                                           out.line(0, 1.0, 2.0);
                                                       }
                                                       ++computed;
                                                   }),
                         std::runtime_error);
            EXPECT_EQ(files.lines_written(0), 550u) << "the blocks before the failing one are written";
        }
        EXPECT_LT(computed.load(), 1000u) << "the scan stops soon after the failure";
        EXPECT_EQ(file("a.dat"), " old\n");
        EXPECT_FALSE(fs::exists(dir_.path() / ".a.dat.partial"));
    }
}

}  // namespace
