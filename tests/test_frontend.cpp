// The shared pieces of the newer front ends: the block runner when threads cannot start, stops and fails; files
// written through a rename that never follows a link; messages that echo no control character.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "figures/files.hpp"
#include "frontend/files.hpp"
#include "frontend/parallel.hpp"

namespace {

using kavrin::frontend::run_blocks;

// Every point done exactly once.
bool all_once(std::size_t n, unsigned threads) {
    std::vector<std::atomic<int>> done(n);
    run_blocks(n, threads, 7, [&](std::size_t b, std::size_t e) {
        for (std::size_t i = b; i < e; ++i) ++done[i];
    });
    return std::all_of(done.begin(), done.end(), [](const std::atomic<int>& d) { return d == 1; });
}

TEST(Frontend, BlocksRunWhenThreadsCannotStart) {
    EXPECT_TRUE(all_once(1000, 1));
    EXPECT_TRUE(all_once(1000, 16));
    EXPECT_TRUE(all_once(0, 4));
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "an address-space limit cannot be set under AddressSanitizer";
#else
    // a child whose address space has no room for another thread's stack
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const rlimit small{256u << 20, 256u << 20};
        setrlimit(RLIMIT_AS, &small);
        std::vector<char*> hog;  // leave less than a thread stack
        for (char* p; (p = static_cast<char*>(std::malloc(4u << 20))) != nullptr;) hog.push_back(p);
        for (int k = 0; k < 4 && !hog.empty(); ++k) std::free(hog[k]), hog[k] = nullptr;
        _exit(all_once(10000, 64) ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
#endif
}

TEST(Frontend, BlocksStopOnRequestAndOnTheFirstError) {
    std::atomic<std::size_t> points{0};
    int asked = 0;
    const bool done = run_blocks(100000, 1, 10, [&](std::size_t b, std::size_t e) { points += e - b; },
                                 [&] { return ++asked <= 3; });
    EXPECT_FALSE(done);
    EXPECT_EQ(points, 30u);
    EXPECT_THROW(run_blocks(1000, 4, 10, [](std::size_t b, std::size_t) {
                     if (b == 500) throw std::runtime_error("block 50");
                 }),
                 std::runtime_error);
}

TEST(Frontend, FilesAreReplacedNotFollowedAndReadWithABound) {
    const std::string dir = ::testing::TempDir() + "/frontend-files";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    { std::ofstream(dir + "/victim") << "keep"; }
    std::filesystem::create_symlink(dir + "/victim", dir + "/out");
    kavrin::figures::write_file(dir + "/out", "new\n");
    EXPECT_FALSE(std::filesystem::is_symlink(dir + "/out"));
    EXPECT_EQ(kavrin::frontend::read_file(dir + "/victim", 100), "keep");
    EXPECT_EQ(kavrin::frontend::read_file(dir + "/out", 100), "new\n");
    EXPECT_THROW(kavrin::frontend::read_file(dir + "/out", 3), kavrin::frontend::FileError);
    EXPECT_THROW(kavrin::frontend::read_file(dir, 100), kavrin::frontend::FileError);  // a directory
    EXPECT_THROW(kavrin::frontend::read_file("/dev/zero", 100), kavrin::frontend::FileError);
    EXPECT_THROW(kavrin::figures::write_file(dir, "x"), std::runtime_error);
    try {
        kavrin::frontend::read_file(dir + "/absent", 100);
        ADD_FAILURE();
    } catch (const kavrin::frontend::FileError& e) {
        EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos) << e.what();
    }
    EXPECT_EQ(kavrin::frontend::printable("a\x1b[31mb\tc π"), "a\\x1B[31mb\\x09c π");
}

}  // namespace
