// Whatever arrives on standard input, a run of either program ends with status 0 or 1, says why on 1,
// and never changes an earlier result file when it stops. Each case runs the whole program in-process
// (dialogue, table, scan, result files) in a scratch directory whose 23 or 20 result files already hold
// one old line each.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "io/run.hpp"
#include "io/result_files.hpp"
#include "kavrin-models/run.hpp"
#include "kavrin-regge/run.hpp"
#include "kavrin/regge.hpp"

namespace fs = std::filesystem;

namespace {

const fs::path table_file = fs::path(KAVRIN_SOURCE_DIR) / "data/integral/gauss-legendre100.dat";

// The answers of a typical kavrin-regge run: pi+ n, dipole, theta scan at W = 2.22 GeV, Q^2 = 1.6 GeV^2.
const std::string regge_deck = "1\n2\n1.55\n1\n775\n1\n1\n2\n9\n2.22\n1.60\n0.5\n1\n";
// The answers of a typical kavrin-models run: pi+ n, VR, W scan up to 3 GeV at Q^2 = 1, -t = 0.3 GeV^2.
const std::string models_deck = "1\n2\n0.655\n0.84\n1\n1\n2\n3.0\n1.0\n0.3\n0.5\n";

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

enum class Program { regge, models };

// A scratch run directory of one program with the table and every result file holding " old".
class Scratch {
public:
    explicit Scratch(Program p) : program_(p) {
        std::string tmpl = (fs::temp_directory_path() / "kavrin-hostile-XXXXXX").string();
        dir_ = mkdtemp(tmpl.data());
        fs::create_directories(dir_ / "integral");
        fs::copy_file(table_file, dir_ / "integral/gauss-legendre100.dat");
        for (const std::string& f : names()) std::ofstream(dir_ / f) << " old\n";
    }
    ~Scratch() {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::vector<std::string> names() const {
        using namespace kavrin::io::file;
        return program_ == Program::regge ? std::vector<std::string>(regge_files.begin(), regge_files.end())
                                          : std::vector<std::string>(models_files.begin(), models_files.end());
    }
    const fs::path& dir() const { return dir_; }

    // Runs the program on the bytes; returns its status (prompts in `out`, messages in `err`).
    int operator()(const std::string& answers, bool interactive = false,
                   double max_lines = kavrin::io::default_max_scan_lines) {
        std::istringstream in(answers);
        std::ostringstream o, e;
        kavrin::io::RunOptions options;
        options.dir = dir_.string();
        options.interactive = interactive;
        options.max_scan_lines = max_lines;
        const int status = program_ == Program::regge ? kavrin::regge_program::run(in, o, e, options)
                                                      : kavrin::models_program::run(in, o, e, options);
        out = o.str();
        err = e.str();
        return status;
    }

    std::string file(const std::string& name) const { return read_file(dir_ / name); }
    // Every result file still holds its old line.
    bool untouched() const {
        for (const std::string& f : names())
            if (file(f) != " old\n") return false;
        return true;
    }
    // The content of every result file, by name.
    std::vector<std::string> contents() const {
        std::vector<std::string> c;
        for (const std::string& f : names()) c.push_back(file(f));
        return c;
    }

    std::string out, err;

private:
    Program program_;
    fs::path dir_;
};

// A deck with every line ending changed to CR LF.
std::string crlf(const std::string& deck) {
    std::string s;
    for (char c : deck) s += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return s;
}

// The deck with line `index` (0-based) replaced.
std::string with_answer(const std::string& deck, std::size_t index, const std::string& answer) {
    std::istringstream in(deck);
    std::string out, line;
    for (std::size_t i = 0; std::getline(in, line); ++i) out += (i == index ? answer : line) + "\n";
    return out;
}

}  // namespace

TEST(HostileInput, EmptyOrBlankInputStopsWithAMessageAndKeepsEveryResultFile) {
    for (Program p : {Program::regge, Program::models})
        for (const std::string& input : {std::string(), std::string("\n\n  \n\t\n\r\n")})
            for (bool interactive : {false, true}) {
                Scratch run(p);
                EXPECT_EQ(run(input, interactive), 1);
                EXPECT_NE(run.err.find("input ended before the answer"), std::string::npos) << run.err;
                EXPECT_TRUE(run.untouched());
            }
    // an empty answer before a comma is no answer to take: refused, never read as zero
    Scratch run(Program::regge);
    EXPECT_EQ(run(" , 1\n" + regge_deck), 1);
    EXPECT_NE(run.err.find("bad answer \"\""), std::string::npos) << run.err;
    EXPECT_TRUE(run.untouched());
}

TEST(HostileInput, WindowsLineEndingsAndTrailingTextGiveTheSameFiles) {
    for (const auto& [p, deck] : {std::pair{Program::regge, regge_deck}, std::pair{Program::models, models_deck}}) {
        Scratch plain(p), windows(p), chatty(p);
        ASSERT_EQ(plain(deck), 0) << plain.err;
        ASSERT_EQ(windows(crlf(deck)), 0) << windows.err;
        // each answer followed by a comment, after a blank or a comma
        std::string commented;
        std::istringstream lines(deck);
        int i = 0;
        for (std::string line; std::getline(lines, line); ++i) commented += line + (i % 2 ? ", note\n" : "  answer\n");
        ASSERT_EQ(chatty(commented), 0) << chatty.err;
        EXPECT_EQ(windows.contents(), plain.contents());
        EXPECT_EQ(chatty.contents(), plain.contents());
        EXPECT_FALSE(plain.untouched());
    }
}

TEST(HostileInput, NulBytesInvalidUtf8AndEndlessLinesAreBadAnswersNotCrashes) {
    const std::string answers[] = {
        std::string("\0" "1\n", 3),                    // a NUL before the digit
        "\xff\xfe" "1\n",                               // not UTF-8
        "\xc3\xa9\n",                                   // UTF-8, but not a number
        std::string(1 << 20, '7') + "\n",               // an integer of a million digits
        "0." + std::string(100000, '5') + "\n",         // a real of 100000 digits (first answer is a choice)
        "\x1b[2J\n",                                    // a terminal control sequence
    };
    for (Program p : {Program::regge, Program::models})
        for (const std::string& a : answers) {
            Scratch run(p);
            EXPECT_EQ(run(a + (p == Program::regge ? regge_deck : models_deck)), 1);
            EXPECT_NE(run.err.find("bad answer"), std::string::npos) << run.err.substr(0, 300);
            EXPECT_LT(run.err.size(), 1000u);  // the message shows at most the start of the answer
            EXPECT_EQ(run.err.find('\x1b'), std::string::npos);  // and no control characters
            EXPECT_TRUE(run.untouched());
        }
    // a valid answer followed by a megabyte of trailing text is still that answer
    Scratch run(Program::regge);
    EXPECT_EQ(run(with_answer(regge_deck, 0, "1 " + std::string(1 << 20, 'x'))), 0) << run.err;
}

TEST(HostileInput, HugeNonFiniteAndDenormalBoundsNeitherHangNorInventPoints) {
    // kavrin-models, W scan (mode 1): the final W is answer 8
    {
        Scratch run(Program::models);
        EXPECT_EQ(run(with_answer(models_deck, 7, "1e300")), 1);
        EXPECT_NE(run.err.find("lines per result file"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("values of W"), std::string::npos) << run.err;
        EXPECT_TRUE(run.untouched());
    }
    for (const char* last : {"-1e308", "-inf", "inf", "nan", "NaN", "-Infinity", "4.9e-324"}) {
        // a final W below the start, or not finite: the loop has no pass, the run ends normally
        Scratch run(Program::models);
        EXPECT_EQ(run(with_answer(models_deck, 7, last)), 0) << last << ": " << run.err;
        EXPECT_TRUE(run.untouched()) << last;
    }
    // an endless W loop around an empty Q^2 loop has no point: it ends at once (found by fuzzing)
    {
        Scratch run(Program::models);
        EXPECT_EQ(run(with_answer(with_answer(models_deck, 7, "1e20"), 8, "nan")), 0) << run.err;
        EXPECT_TRUE(run.untouched());
        Scratch b(Program::regge);
        EXPECT_EQ(b("1\n2\n1.55\n1\n775\n1\n1\n2\n1\n1e20\nnan\n0.3\n0.5\n1\n"), 0) << b.err;
        EXPECT_TRUE(b.untouched());
    }
    // kavrin-regge, Q^2 scan (mode 2): answers 10 (final Q^2) and 11 (W)
    const std::string q2_scan = "1\n2\n1.55\n1\n775\n1\n1\n2\n2\n3.0\n2.6\n0.3\n0.5\n1\n";
    {
        Scratch run(Program::regge);
        EXPECT_EQ(run(with_answer(q2_scan, 9, "1e30")), 1);
        EXPECT_NE(run.err.find("values of Q^2 from 0.001 to 1e+30 GeV^2"), std::string::npos) << run.err;
        EXPECT_TRUE(run.untouched());
    }
    {
        // a denormal polarization is a number like any other: finite cross sections
        Scratch run(Program::regge);
        EXPECT_EQ(run(with_answer(regge_deck, 11, "5e-324")), 0) << run.err;
        const std::string dsu = run.file("dSU.dat");
        EXPECT_EQ(dsu.find("NaN"), std::string::npos);
        EXPECT_EQ(std::count(dsu.begin(), dsu.end(), '\n'), 181);
    }
    {
        // a cut-off spelled "nan" gives NaN lines, never invented finite numbers
        Scratch run(Program::regge);
        EXPECT_EQ(run(with_answer(regge_deck, 4, "nan")), 0) << run.err;
        std::istringstream lines(run.file("dST.dat"));
        int n = 0;
        for (std::string line; std::getline(lines, line); ++n) EXPECT_NE(line.find("NaN"), std::string::npos) << line;
        EXPECT_EQ(n, 181);
    }
}

TEST(HostileInput, TheScanLimitIsExactAndHoldsAtATerminalToo) {
    // the theta scan of regge_deck has 181 lines per file
    Scratch fits(Program::regge), over(Program::regge), terminal(Program::regge);
    EXPECT_EQ(fits(regge_deck, false, 181.0), 0) << fits.err;
    EXPECT_EQ(over(regge_deck, false, 180.0), 1);
    EXPECT_NE(over.err.find("181 lines per result file (181 angles), more than the 180"), std::string::npos)
        << over.err;
    EXPECT_TRUE(over.untouched());
    EXPECT_EQ(terminal(regge_deck, true, 180.0), 1);
    EXPECT_TRUE(terminal.untouched());
    // the phi series of kavrin-models: 360 lines per point
    Scratch phi(Program::models);
    EXPECT_EQ(phi("1\n3\n0.775\n1.55\n3\n5\n2\n2.0\n2.5\n10\n0.7\n", false, 359.0), 1);
    EXPECT_NE(phi.err.find("360 values of phi"), std::string::npos) << phi.err;
}

TEST(HostileInput, UnwritableResultFilesAndDirectoriesStopTheRunWithAMessage) {
    for (Program p : {Program::regge, Program::models}) {
        const std::string deck = p == Program::regge ? regge_deck : models_deck;
        {
            // a directory where a result file should be (unwritable even for root)
            Scratch run(p);
            const std::string name = run.names()[3];
            fs::remove(run.dir() / name);
            fs::create_directory(run.dir() / name);
            EXPECT_EQ(run(deck), 1);
            EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
            for (const std::string& f : run.names()) {
                if (f == name) continue;
                EXPECT_EQ(run.file(f), " old\n") << f;
            }
        }
        {
            // a run directory that is a file
            Scratch run(p);
            std::ofstream(run.dir() / "plain") << "x";
            std::istringstream in(deck);
            std::ostringstream o, e;
            kavrin::io::RunOptions options;
            options.dir = (run.dir() / "plain").string();
            const int status = p == Program::regge ? kavrin::regge_program::run(in, o, e, options)
                                                   : kavrin::models_program::run(in, o, e, options);
            EXPECT_EQ(status, 1);
            // kavrin-regge looks for its table there first
            EXPECT_NE(e.str().find(p == Program::regge ? "Gauss-Legendre table is missing" : "cannot create result file"),
                      std::string::npos)
                << e.str();
        }
        if (geteuid() != 0) {
            // a read-only run directory with no result files in it yet
            Scratch run(p);
            for (const std::string& f : run.names()) fs::remove(run.dir() / f);
            fs::permissions(run.dir(), fs::perms::owner_read | fs::perms::owner_exec);
            EXPECT_EQ(run(deck), 1);
            EXPECT_NE(run.err.find("cannot create result file"), std::string::npos) << run.err;
        }
    }
}

TEST(HostileInput, GaussLegendreTablesOfEveryShape) {
    const std::string good = read_file(table_file);
    std::vector<std::string> lines;
    {
        std::istringstream in(good);
        for (std::string l; std::getline(in, l);) lines.push_back(l);
    }
    ASSERT_EQ(lines.size(), 100u);
    const auto table_of = [&](const std::function<std::string(std::size_t, const std::string&)>& edit) {
        std::string t;
        for (std::size_t i = 0; i < lines.size(); ++i) t += edit(i, lines[i]);
        return t;
    };
    const auto run_with = [](const std::string& table, Scratch& run) {
        std::ofstream(run.dir() / "integral/gauss-legendre100.dat", std::ios::trunc) << table;
        return run("1\n1\n1.105\n1\n775\n1\n1\n2\n9\n2.22\n1.60\n0.5\n1\n");  // GPD form factors
    };
    Scratch reference(Program::regge);
    ASSERT_EQ(run_with(good, reference), 0) << reference.err;

    // read as a list-directed READ: extra columns ignored, blank lines and CR LF endings skipped
    for (const std::string& table :
         {table_of([](std::size_t, const std::string& l) { return l + "  0.0 extra\n"; }),
          table_of([](std::size_t i, const std::string& l) { return (i % 10 == 0 ? "\n  \n" : "") + l + "\n"; }),
          table_of([](std::size_t, const std::string& l) { return l + "\r\n"; })}) {
        Scratch run(Program::regge);
        EXPECT_EQ(run_with(table, run), 0) << run.err;
        EXPECT_EQ(run.contents(), reference.contents());
    }
    // fewer lines, NaN, a single column, zeros, an abscissa outside (-1, 1), weights that do not sum to 2, an
    // endless line, a directory: refused with the file and line named, nothing written
    const std::pair<std::string, std::string> bad[] = {
        {table_of([](std::size_t i, const std::string& l) { return i < 99 ? l + "\n" : std::string(); }),
         "after 99 of 100 pairs"},
        {table_of([](std::size_t i, const std::string& l) { return i == 41 ? " NaN 0.1\n" : l + "\n"; }), "line 42"},
        {table_of([](std::size_t i, const std::string& l) { return i == 7 ? l.substr(0, 28) + "\n" : l + "\n"; }),
         "line 8"},
        {table_of([](std::size_t i, const std::string& l) { return i == 0 ? " 0.5 inf\n" : l + "\n"; }), "line 1"},
        {table_of([](std::size_t, const std::string&) { return std::string(" 0.0 0.0\n"); }), "line 1"},
        {table_of([](std::size_t i, const std::string& l) { return i == 3 ? " 1.0 0.01\n" : l + "\n"; }),
         "line 4 of"},
        {table_of([](std::size_t i, const std::string& l) { return i == 50 ? " 0.01 1e300\n" : l + "\n"; }),
         "sum to"},
        {std::string(100000, '7'), "longer than"},
    };
    for (const auto& [table, expected] : bad) {
        Scratch run(Program::regge);
        EXPECT_EQ(run_with(table, run), 1);
        EXPECT_NE(run.err.find("gauss-legendre100.dat"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
        EXPECT_TRUE(run.untouched());
    }
    // a directory, a FIFO (opening it would wait for a writer for ever) or a device: refused, named, never read
    const std::pair<std::function<void(const fs::path&)>, std::string> special[] = {
        {[](const fs::path& p) { fs::create_directory(p); }, "a directory"},
        {[](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }, "a FIFO"},
        {[](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, "a device"},
    };
    for (const auto& [make, kind] : special) {
        Scratch run(Program::regge);
        const fs::path table = run.dir() / "integral/gauss-legendre100.dat";
        fs::remove(table);
        make(table);
        EXPECT_EQ(run(regge_deck), 1);
        EXPECT_NE(run.err.find("gauss-legendre100.dat\" is " + kind), std::string::npos) << run.err;
        EXPECT_TRUE(run.untouched());
        // the library's reader of a path refuses it the same way
        try {
            kavrin::regge::load_gauss_legendre_table(table.string());
            ADD_FAILURE() << kind << " read as a table";
        } catch (const kavrin::regge::TableError& e) {
            EXPECT_NE(std::string(e.what()).find(kind), std::string::npos) << e.what();
        }
    }
}
