// What a run promises its result files and its numbers, tried as a hostile user would: an interrupted run
// leaves every earlier result file as it was, a second run in the same directory refuses, links and FIFOs
// are not followed or opened, and points below threshold are NaN.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "api_fixtures.hpp"
#include "frontend/data_files.hpp"
#include "kavrin_install_paths.hpp"
#include "io/result_files.hpp"
#include "io/run.hpp"
#include "kavrin-regge/run.hpp"
#include "kavrin/models.hpp"
#include "kavrin/regge.hpp"

namespace fs = std::filesystem;

namespace {

// kavrin-regge, pi+ n with dipole form factors: a Q^2 scan of 999,900 points (about ten seconds), and the
// -t scan of the first example.
const std::string long_scan = "1\n2\n1.55\n1\n775\n1\n1\n2\n5\n9999\n2.2\n10\n0.5\n1\n";
const std::string theta_scan = "1\n2\n1.55\n1\n775\n1\n1\n2\n9\n2.22\n1.60\n0.5\n1\n";

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A run directory with the table in place and every result file holding one old line.
class RunDir {
public:
    RunDir() {
        std::string tmpl = (fs::temp_directory_path() / "kavrin-safety-XXXXXX").string();
        dir_ = mkdtemp(tmpl.data());
        fs::create_directories(dir_ / "integral");
        fs::copy_file(fs::path(KAVRIN_SOURCE_DIR) / "data/integral/gauss-legendre100.dat",
                      dir_ / "integral/gauss-legendre100.dat");
        for (const char* f : kavrin::io::file::regge_files) std::ofstream(dir_ / f) << " old " << f << "\n";
    }
    ~RunDir() { fs::remove_all(dir_); }
    RunDir(const RunDir&) = delete;
    RunDir& operator=(const RunDir&) = delete;

    const fs::path& dir() const { return dir_; }

    // Starts kavrin-regge on the answers; returns its process id.
    pid_t start(const std::string& answers) const {
        std::ofstream(dir_ / "answers.in") << answers;
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir_.c_str()) != 0) _exit(127);
            const int in = open("answers.in", O_RDONLY), out = open("transcript.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644),
                      err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(in, 0);
            dup2(out, 1);
            dup2(err, 2);
            execl(KAVRIN_REGGE_BINARY, "kavrin-regge", static_cast<char*>(nullptr));
            _exit(127);
        }
        return pid;
    }
    // Runs kavrin-regge to its end; returns the exit status.
    int run(const std::string& answers) const {
        int status = 0;
        waitpid(start(answers), &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string err() const { return read_file(dir_ / "stderr.txt"); }
    std::string transcript() const { return read_file(dir_ / "transcript.txt"); }

    // Every result file still holds its old line.
    bool untouched() const {
        for (const char* f : kavrin::io::file::regge_files)
            if (read_file(dir_ / f) != std::string(" old ") + f + "\n") return false;
        return true;
    }
    // Temporary files of a run, left in the directory.
    std::vector<std::string> temporaries() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().extension() == ".partial") out.push_back(e.path().filename().string());
        return out;
    }
    // Waits until the run has started writing (its first temporary file exists).
    bool wait_for_scan() const {
        for (int i = 0; i < 3000; ++i) {
            if (fs::exists(dir_ / ".dST.dat.partial")) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    fs::path dir_;
};

const std::string models_deck = "1\n2\n0.655\n0.84\n1\n1\n2\n3.0\n1.0\n0.3\n0.5\n";

// Runs a program in `dir` with descriptors 0-2 opened on the files named ("" closes it; "|" is a pipe whose
// reading end is closed, with SIGPIPE ignored); returns the exit status.
int run_with_streams(const char* program, const fs::path& dir, const std::string& in, const std::string& out,
                     const std::string& err) {
    int broken[2] = {-1, -1};
    if (out == "|") {
        if (pipe(broken) != 0) return -1;
        close(broken[0]);  // no reader from the start
        broken[0] = -1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        const std::string* names[3] = {&in, &out, &err};
        int fds[3];
        for (int i = 0; i < 3; ++i)
            fds[i] = names[i]->empty() ? -1
                     : *names[i] == "|" ? broken[1]
                                        : open(names[i]->c_str(), i == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (int i = 0; i < 3; ++i)
            if (fds[i] >= 0) dup2(fds[i], i);
        for (int i = 0; i < 3; ++i)
            if (fds[i] < 0) close(i);
        for (int i = 0; i < 3; ++i)
            if (fds[i] > 2) close(fds[i]);
        signal(SIGPIPE, SIG_IGN);
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    if (broken[1] >= 0) close(broken[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A closed standard stream must not hand its descriptor to the first file the program opens (the lock file):
// read as the answers, or written with the transcript.
TEST(RunSafety, ClosedStandardStreamsNeverBecomeTheLockFile) {
    for (const char* program : {KAVRIN_REGGE_BINARY, KAVRIN_MODELS_BINARY}) {
        SCOPED_TRACE(program);
        const std::string deck = program == std::string(KAVRIN_REGGE_BINARY) ? theta_scan : models_deck;
        RunDir run;
        std::ofstream(run.dir() / "answers.in") << deck;
        std::ofstream(run.dir() / ".kavrin.lock") << deck;  // a valid deck where the answers would be read
        EXPECT_EQ(run_with_streams(program, run.dir(), "", "transcript.txt", "stderr.txt"), 1);
        EXPECT_NE(run.err().find("standard input is closed"), std::string::npos) << run.err();
        EXPECT_TRUE(run.untouched());
        EXPECT_EQ(run_with_streams(program, run.dir(), "answers.in", "", "stderr.txt"), 1);
        EXPECT_NE(run.err().find("standard output is closed"), std::string::npos) << run.err();
        EXPECT_TRUE(run.untouched());
        EXPECT_EQ(read_file(run.dir() / ".kavrin.lock"), deck);
        // a closed standard error: the run goes on, its messages nowhere
        EXPECT_EQ(run_with_streams(program, run.dir(), "answers.in", "transcript.txt", ""), 0);
        EXPECT_FALSE(run.untouched());
        EXPECT_FALSE(run.transcript().empty());
        EXPECT_EQ(read_file(run.dir() / ".kavrin.lock"), deck);
    }
}

// A transcript that cannot be written fails the run, and a failed run changes no file: the check comes before
// the first result file is replaced.
TEST(RunSafety, AnUnwritableTranscriptFailsTheRunBeforeAnyFileIsReplaced) {
    for (const char* program : {KAVRIN_REGGE_BINARY, KAVRIN_MODELS_BINARY})
        for (const char* out : {"/dev/full", "|"}) {
            SCOPED_TRACE(std::string(program) + " > " + out);
            const std::string deck = program == std::string(KAVRIN_REGGE_BINARY) ? theta_scan : models_deck;
            RunDir run;
            std::ofstream(run.dir() / "answers.in") << deck;
            EXPECT_EQ(run_with_streams(program, run.dir(), "answers.in", out, "stderr.txt"), 1);
            EXPECT_NE(run.err().find("writing to standard output failed"), std::string::npos) << run.err();
            EXPECT_TRUE(run.untouched());
            EXPECT_FALSE(fs::exists(run.dir() / kavrin::io::file::run_record));
            EXPECT_TRUE(run.temporaries().empty());
        }
}

// A run killed among the renames of its files leaves its temporaries and the record naming them; the next run
// puts that whole set in place before anything else. A record that is not whole, or names anything but a
// result file, puts nothing in place.
TEST(RunSafety, AResultSetCutShortAmongItsRenamesIsCompletedByTheNextRun) {
    RunDir run;
    for (const char* f : {"dST.dat", "dSL.dat", "kavrin-run.txt"})
        std::ofstream(run.dir() / std::string(".").append(f).append(".partial")) << "new " << f << "\n";
    std::ofstream(run.dir() / "dSL.dat", std::ios::trunc) << "new dSL.dat\n";  // renamed before the kill
    std::ofstream(run.dir() / ".answers.in.partial") << "moved\n";
    std::ofstream(run.dir() / ".kavrin.commit")
        << "kavrin: files being put in place\ndST.dat\ndSTT.dat\nkavrin-run.txt\nanswers.in\n../dST.dat\nend\n";
    EXPECT_EQ(run.run("x\n"), 1);  // a run that stops at its first answer
    EXPECT_EQ(read_file(run.dir() / "dST.dat"), "new dST.dat\n");
    EXPECT_EQ(read_file(run.dir() / "dSL.dat"), "new dSL.dat\n");
    EXPECT_EQ(read_file(run.dir() / "kavrin-run.txt"), "new kavrin-run.txt\n");
    EXPECT_EQ(read_file(run.dir() / "dSTT.dat"), " old dSTT.dat\n");  // no temporary of it was left
    EXPECT_NE(read_file(run.dir() / "answers.in"), "moved\n");
    EXPECT_FALSE(fs::exists(run.dir() / ".kavrin.commit"));
    EXPECT_EQ(run.temporaries(), std::vector<std::string>{".answers.in.partial"});

    RunDir cut;
    std::ofstream(cut.dir() / ".dST.dat.partial") << "new\n";
    std::ofstream(cut.dir() / ".kavrin.commit") << "kavrin: files being put in place\ndST.dat\n";
    EXPECT_EQ(cut.run("x\n"), 1);
    EXPECT_TRUE(cut.untouched());
    EXPECT_TRUE(cut.temporaries().empty());
    EXPECT_FALSE(fs::exists(cut.dir() / ".kavrin.commit"));
    // and a complete run leaves no record of its set behind
    ASSERT_EQ(cut.run(theta_scan), 0) << cut.err();
    EXPECT_FALSE(fs::exists(cut.dir() / ".kavrin.commit"));
}

// An installed program or Python module reads the table installed with it, wherever the installation was put
// or moved, and never the source tree's copy; a program or module in the build tree reads the source tree's.
// A program and a shared object that print the path they choose are copied into a fake installation.
TEST(RunSafety, InstalledFrontEndsReadTheirOwnTable) {
    using kavrin::frontend::InstalledAs;
    using kavrin::frontend::table_path_for;
    RunDir scratch;
    const fs::path first = scratch.dir() / "prefix", moved = scratch.dir() / "elsewhere/prefix";
    const fs::path table = "share/kavrin/integral/gauss-legendre100.dat";
    const fs::path program = "bin/kavrin-eval", module = fs::path(KAVRIN_PYTHON_DIR) / "kavrin.so";
    fs::create_directories(first / "bin");
    fs::create_directories(first / KAVRIN_PYTHON_DIR);
    fs::create_directories((first / table).parent_path());
    fs::copy_file(KAVRIN_TABLE_PROBE, first / program);
    fs::copy_file(KAVRIN_TABLE_PROBE_MODULE, first / module);
    fs::copy_file(scratch.dir() / "integral/gauss-legendre100.dat", first / table);
    fs::create_directories(moved.parent_path());
    fs::rename(first, moved);

    std::string chosen(4096, '\0');
    FILE* p = popen((moved / program).c_str(), "r");
    ASSERT_NE(p, nullptr);
    chosen.resize(fread(chosen.data(), 1, chosen.size(), p));
    EXPECT_EQ(pclose(p), 0);
    EXPECT_EQ(chosen, (moved / table).string() + "\n");
    void* so = dlopen((moved / module).c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(so, nullptr) << dlerror();
    const auto probe = reinterpret_cast<const char* (*)()>(dlsym(so, "kavrin_probe_table"));
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(std::string(probe()), (moved / table).string());
    dlclose(so);

    // its table gone: still the installed place (reading it says the table is missing there), while the
    // source tree is there
    fs::remove(moved / table);
    EXPECT_EQ(table_path_for((moved / program).string(), InstalledAs::program), (moved / table).string());
    EXPECT_EQ(table_path_for((moved / module).string(), InstalledAs::python_module), (moved / table).string());
    EXPECT_EQ(table_path_for("", InstalledAs::program), KAVRIN_INSTALLED_TABLE);
    // the build tree
    EXPECT_EQ(table_path_for(KAVRIN_BUILD_DIR "/kavrin-eval", InstalledAs::program), KAVRIN_SOURCE_TABLE);
    EXPECT_EQ(table_path_for(KAVRIN_BUILD_DIR "/python/kavrin.so", InstalledAs::python_module), KAVRIN_SOURCE_TABLE);
    EXPECT_EQ(kavrin::frontend::program_table_path(), KAVRIN_SOURCE_TABLE);  // this test runs from there
}

#if defined(__SANITIZE_ADDRESS__)
#define KAVRIN_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KAVRIN_UNDER_ASAN 1
#endif
#endif

// Threads that cannot be started (an address-space limit, 1024 asked for) leave their blocks to the threads
// that did start: the run completes with the files of a one-thread run.
TEST(RunSafety, ThreadsThatCannotStartDoNotStopTheScan) {
#ifdef KAVRIN_UNDER_ASAN
    GTEST_SKIP() << "an address-space limit and AddressSanitizer's shadow memory do not go together";
#else
    const std::string q2_scan = "1\n2\n1.55\n1\n775\n1\n1\n2\n5\n999\n2.2\n10\n0.5\n1\n";
    RunDir limited, one;
    std::ofstream(limited.dir() / "answers.in") << q2_scan;
    std::ofstream(one.dir() / "answers.in") << q2_scan;
    const auto run_with = [](const RunDir& run, const std::string& prefix) {
        const std::string cmd = prefix + " cd '" + run.dir().string() + "' && KAVRIN_THREADS=" +
                                (prefix.empty() ? "1" : "1024") + " '" KAVRIN_REGGE_BINARY "' < answers.in > out.txt 2> err.txt";
        return std::system(("(" + cmd + ")").c_str());
    };
    const int raw = run_with(limited, "ulimit -v 2000000;");
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << read_file(limited.dir() / "err.txt");
    ASSERT_EQ(run_with(one, ""), 0);
    for (const char* f : kavrin::io::file::regge_files)
        EXPECT_EQ(read_file(limited.dir() / f), read_file(one.dir() / f)) << f;
#endif
}

TEST(RunSafety, AnInterruptedRunLeavesEveryResultFileAsItWas) {
    for (int sig : {SIGINT, SIGTERM, SIGKILL}) {
        SCOPED_TRACE("signal " + std::to_string(sig));
        RunDir run;
        const pid_t pid = run.start(long_scan);
        ASSERT_TRUE(run.wait_for_scan());
        kill(pid, sig);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig);
        EXPECT_TRUE(run.untouched());
        if (sig != SIGKILL) {
            EXPECT_TRUE(run.temporaries().empty());  // removed at once
        } else {
            EXPECT_FALSE(run.temporaries().empty());  // a crash leaves them, for the next run to remove
            EXPECT_EQ(run.run("x\n"), 1);
            EXPECT_TRUE(run.temporaries().empty());
            EXPECT_TRUE(run.untouched());
        }
    }
}

TEST(RunSafety, ACompleteRunReplacesTheFilesItWritesAndNoOther) {
    RunDir run;
    ASSERT_EQ(run.run(theta_scan), 0) << run.err();
    EXPECT_EQ(read_file(run.dir() / "ddS_T.dat"), " old ddS_T.dat\n");  // not written by this run
    std::istringstream dst(read_file(run.dir() / "dST.dat"));
    int lines = 0;
    for (std::string l; std::getline(dst, l);) ++lines;
    EXPECT_EQ(lines, 181);
    EXPECT_TRUE(run.temporaries().empty());
}

TEST(RunSafety, ASecondRunInTheSameDirectoryRefusesAndTouchesNothing) {
    RunDir run;
    const pid_t first = run.start(long_scan);
    ASSERT_TRUE(run.wait_for_scan());
    RunDir other;  // the second run's own answer and transcript files, in another directory
    std::ofstream(other.dir() / "answers.in") << theta_scan;
    const std::string cmd = "cd '" + run.dir().string() + "' && '" KAVRIN_REGGE_BINARY "' < '" +
                            (other.dir() / "answers.in").string() + "' > '" + (other.dir() / "out.txt").string() +
                            "' 2> '" + (other.dir() / "err.txt").string() + "'";
    const int status = std::system(cmd.c_str());
    kill(first, SIGTERM);
    waitpid(first, nullptr, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    const std::string err = read_file(other.dir() / "err.txt");
    EXPECT_NE(err.find("another run is writing"), std::string::npos) << err;
    EXPECT_NE(err.find(run.dir().string()), std::string::npos) << err;
    EXPECT_EQ(read_file(other.dir() / "out.txt"), "");  // stopped before the banner
    EXPECT_TRUE(run.untouched());
}

TEST(RunSafety, SymbolicLinksAreNotFollowed) {
    RunDir run;
    std::ofstream(run.dir() / "precious.txt") << "precious\n";
    fs::remove(run.dir() / "dST.dat");
    fs::create_symlink(run.dir() / "precious.txt", run.dir() / "dST.dat");
    fs::remove(run.dir() / "dSL.dat");
    fs::create_symlink(run.dir() / "not-there.txt", run.dir() / "dSL.dat");
    // a failed run: nothing followed, nothing created
    EXPECT_EQ(run.run("x\n"), 1);
    EXPECT_FALSE(fs::exists(run.dir() / "not-there.txt"));
    EXPECT_TRUE(fs::is_symlink(run.dir() / "dST.dat"));
    // a complete run: its results replace the links, the targets stay as they were
    ASSERT_EQ(run.run(theta_scan), 0) << run.err();
    EXPECT_EQ(read_file(run.dir() / "precious.txt"), "precious\n");
    EXPECT_FALSE(fs::exists(run.dir() / "not-there.txt"));
    EXPECT_FALSE(fs::is_symlink(run.dir() / "dST.dat"));
    EXPECT_FALSE(fs::is_symlink(run.dir() / "dSL.dat"));
    EXPECT_NE(run.err().find("symbolic link"), std::string::npos) << run.err();
}

TEST(RunSafety, AFifoOrDeviceStopsTheRunBeforeTheBanner) {
    RunDir run;
    fs::remove(run.dir() / "dSTT.dat");
    ASSERT_EQ(mkfifo((run.dir() / "dSTT.dat").c_str(), 0644), 0);
    EXPECT_EQ(run.run(theta_scan), 1);
    EXPECT_NE(run.err().find("dSTT.dat"), std::string::npos) << run.err();
    EXPECT_NE(run.err().find("FIFO"), std::string::npos) << run.err();
    EXPECT_EQ(run.transcript(), "");
}

TEST(RunSafety, AFailedWriteIsReportedAndChangesNothing) {
    RunDir run;
    fs::create_directory(run.dir() / ".dST.dat.partial");  // where the run writes dST.dat
    EXPECT_EQ(run.run(theta_scan), 1);
    EXPECT_NE(run.err().find("dST.dat"), std::string::npos) << run.err();
    EXPECT_TRUE(run.untouched());

    // a disk that fills up (here: a limit on the size of a file): the reason is named, nothing is replaced
    RunDir full;
    std::ofstream(full.dir() / "answers.in") << theta_scan;
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit small{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &small);
        signal(SIGXFSZ, SIG_IGN);
        _exit(run_with_streams(KAVRIN_REGGE_BINARY, full.dir(), "answers.in", "/dev/null", "stderr.txt"));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_NE(full.err().find("File too large"), std::string::npos) << full.err();
    EXPECT_TRUE(full.untouched());
}

// The lines of one section ("[files]") of a run record.
std::vector<std::string> record_section(const std::string& record, const std::string& name) {
    std::vector<std::string> lines;
    std::istringstream in(record);
    bool inside = false;
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l[0] == '[') inside = l == "[" + name + "]";
        else if (inside && !l.empty()) lines.push_back(l);
    }
    return lines;
}

TEST(RunSafety, TheRunRecordSaysWhatProducedTheFilesAndOnlyACompleteRunReplacesIt) {
    RunDir run;
    ASSERT_EQ(run.run(theta_scan), 0) << run.err();
    const std::string record = read_file(run.dir() / kavrin::io::file::run_record);
    EXPECT_EQ(record.rfind("kavrin-regge " KAVRIN_VERSION ": record of the run", 0), 0u) << record;
    // every question with its answer as read, in order
    const std::vector<std::string> answers = record_section(record, "answers");
    const std::vector<std::string> typed = {"1", "2", "1.55", "1", "775", "1", "1", "2", "9", "2.22", "1.60", "0.5", "1"};
    ASSERT_EQ(answers.size(), typed.size()) << record;
    for (std::size_t i = 0; i < typed.size(); ++i) EXPECT_TRUE(answers[i].ends_with(" = " + typed[i])) << answers[i];
    EXPECT_TRUE(answers[9].starts_with("INPUT: TOTAL CM ENERGY W(GeV)?")) << answers[9];
    // the settings in words, the facts kavrin-plot draws with
    const std::vector<std::string> figures = record_section(record, "figures");
    for (const char* line : {"reaction: γ* p → π⁺ n", "model: Regge, dipole form factors",
                             "fixed: W = 2.22 GeV, Q² = 1.6 GeV², ε = 0.5", "x: minus_t", "unit: µb"})
        EXPECT_NE(std::find(figures.begin(), figures.end(), line), figures.end()) << line << "\n" << record;
    EXPECT_NE(record.find("pion cut-off: 775 MeV"), std::string::npos) << record;
    // exactly the files the run wrote, with their line counts
    std::vector<std::string> expected;
    for (const char* f : kavrin::io::file::regge_files) {
        const std::string text = read_file(run.dir() / f);
        const auto lines = std::count(text.begin(), text.end(), '\n');
        if (text.rfind(" old ", 0) != 0) expected.push_back(std::string(f) + ": " + std::to_string(lines) + " lines");
    }
    EXPECT_EQ(expected.size(), 20u);
    EXPECT_EQ(record_section(record, "files"), expected);

    // a run that fails leaves the record of the files that are there; a link in its place is replaced, not followed
    EXPECT_EQ(run.run("1\n2\nnot-a-number\n"), 1);
    EXPECT_EQ(read_file(run.dir() / kavrin::io::file::run_record), record);
    EXPECT_TRUE(run.temporaries().empty());
    std::ofstream(run.dir() / "precious.txt") << "precious\n";
    fs::remove(run.dir() / kavrin::io::file::run_record);
    fs::create_symlink(run.dir() / "precious.txt", run.dir() / kavrin::io::file::run_record);
    ASSERT_EQ(run.run(theta_scan), 0) << run.err();
    EXPECT_EQ(read_file(run.dir() / "precious.txt"), "precious\n");
    EXPECT_FALSE(fs::is_symlink(run.dir() / kavrin::io::file::run_record));
    EXPECT_NE(run.err().find("record replaced the link"), std::string::npos) << run.err();
    // a FIFO in its place stops the run before the banner
    fs::remove(run.dir() / kavrin::io::file::run_record);
    ASSERT_EQ(mkfifo((run.dir() / kavrin::io::file::run_record).c_str(), 0644), 0);
    EXPECT_EQ(run.run(theta_scan), 1);
    EXPECT_NE(run.err().find("FIFO"), std::string::npos) << run.err();
    EXPECT_EQ(run.transcript(), "");
}

TEST(RunSafety, AtATerminalTheRunEndsWithOneLineNamingTheDirectoryAndTheFiles) {
    RunDir run;
    std::istringstream in(theta_scan);
    std::ostringstream out, err;
    kavrin::io::RunOptions options;
    options.dir = run.dir().string();
    options.summary = true;
    ASSERT_EQ(kavrin::regge_program::run(in, out, err, options), 0) << err.str();
    EXPECT_EQ(err.str(), "kavrin-regge: 20 result files written in " + run.dir().string() +
                             " (what produced them: kavrin-run.txt)\n");
}

TEST(RunSafety, HelpVersionAndUsageErrorsTouchNothing) {
    for (const char* program : {KAVRIN_REGGE_BINARY, KAVRIN_MODELS_BINARY}) {
        RunDir run;
        for (const auto& [args, status] : {std::pair{"--help", 0}, std::pair{"--version", 0}, std::pair{"--run", 2},
                                           std::pair{"a b", 2}}) {
            const std::string cmd = "cd '" + run.dir().string() + "' && '" + program + "' " + args +
                                    " < /dev/null > out.txt 2> err.txt";
            const int raw = std::system(cmd.c_str());
            EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == status) << program << " " << args;
            const std::string out = read_file(run.dir() / "out.txt"), err = read_file(run.dir() / "err.txt");
            EXPECT_EQ(out.empty(), status != 0) << program << " " << args;
            EXPECT_EQ(err.empty(), status == 0) << program << " " << args;
            EXPECT_TRUE(run.untouched());
            EXPECT_FALSE(fs::exists(run.dir() / ".kavrin.lock"));
        }
    }
}

// Below the threshold of the final state (W < M + m_pi), or at x_B outside (0, 1), a point has no
// kinematics: every cross section, ratio and asymmetry is NaN, and so is -t computed from the angle.
TEST(RunSafety, PointsBelowThresholdAreNotANumber) {
    using namespace kavrin;
    const regge::Model regge_model{regge::Settings(fixtures::pip_dipole()),
                                   regge::load_gauss_legendre_table(fixtures::table_file)};
    models::Options mo;
    mo.channel = Channel::pi_plus_n;
    mo.model = models::ModelKind::vr;
    mo.pion_cutoff_gev = 0.655;
    mo.epsilon = 0.5;
    const models::Model vr{models::Settings(mo)};
    for (double w : {0.5, 0.9, 1.07})
        for (const Angle a : {Angle::theta(0.3), Angle::cos_theta(0.2)})
            for (const Observables& x : {regge_model.evaluate(w, 1.0, a), vr.evaluate(w, 1.0, a)}) {
                EXPECT_TRUE(std::isnan(x.dsigma_dt.t) && std::isnan(x.dsigma_domega.l) && std::isnan(x.bsa) &&
                            std::isnan(x.lt_ratio) && std::isnan(x.t))
                    << "W = " << w;
                EXPECT_EQ(x.w, w);
            }
    // the programs: W = 0.5 GeV in a -t scan, and x_B = -1 and 1e300 in an x_B scan
    RunDir run;
    ASSERT_EQ(run.run("1\n2\n1.55\n1\n775\n1\n1\n2\n9\n0.5\n1.0\n0.5\n1\n"), 0) << run.err();
    EXPECT_EQ(read_file(run.dir() / "dST.dat").substr(0, 53),
              std::string(" ") + std::string(22, ' ') + "NaN" + std::string(23, ' ') + "NaN\n");
    for (const char* xb : {"-1", "1e300"}) {
        ASSERT_EQ(run.run(std::string("1\n2\n1.55\n1\n775\n1\n1\n2\n8\n1.0\n") + xb + "\n0.5\n1\n"), 0) << run.err();
        std::istringstream lines(read_file(run.dir() / "dSU.dat"));
        int n = 0;
        for (std::string l; std::getline(lines, l); ++n) EXPECT_EQ(l.find_first_not_of(" NaN"), std::string::npos) << l;
        EXPECT_EQ(n, 181);
    }
}

}  // namespace
