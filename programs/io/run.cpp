#include "io/run.hpp"

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <limits>
#include <ostream>
#include <cstdlib>
#include <charconv>
#include <stdexcept>
#include <thread>

namespace kavrin::io {

std::optional<int> dialogue_program_arguments(std::string_view program, std::string_view about, int argc,
                                              const char* const* argv, std::ostream& out, std::ostream& err) {
    if (argc <= 1) return std::nullopt;
    const std::string_view a = argv[1];
    if (argc == 2 && (a == "--help" || a == "-h")) {
        out << about;
        return 0;
    }
    if (argc == 2 && a == "--version") {
        out << program << " " << KAVRIN_VERSION << "\n";
        return 0;
    }
    err << program << ": takes no arguments (its answers come on standard input); see " << program
        << " --help\n";
    return 2;
}

std::string running_program_path() {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

unsigned threads_of(const char* value) {
    if (value == nullptr || *value == '\0') {
        const unsigned n = std::thread::hardware_concurrency();
        return n == 0 ? 1u : (n > max_threads ? max_threads : n);
    }
    const std::string_view v = value;
    unsigned n = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), n);
    if (r.ec != std::errc() || r.ptr != v.data() + v.size() || n < 1 || n > max_threads)
        throw std::invalid_argument("KAVRIN_THREADS=" + std::string(v) +
                                    " is not a thread count: give a whole number from 1 to " +
                                    std::to_string(max_threads) + ", or leave it unset for every core");
    return n;
}

std::optional<int> thread_option(std::string_view program, RunOptions& options, std::ostream& err) {
    try {
        options.threads = threads_of(std::getenv("KAVRIN_THREADS"));
    } catch (const std::invalid_argument& e) {
        err << program << ": " << e.what() << '\n';
        return 1;
    }
    return std::nullopt;
}

int report_run(std::string_view program, std::ostream& out, std::ostream& err, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        out.flush();
        err << program << ": " << e.what() << '\n';
        return 1;
    }
    out.flush();
    if (!out) {
        err << program << ": writing to standard output failed\n";
        return 1;
    }
    return 0;
}

ScanAxis scan_axis(int mode) {
    switch (mode) {
        case 1:
        case 6: return ScanAxis::w;
        case 8:
        case 9: return ScanAxis::minus_t;
        case 10: return ScanAxis::cos_theta;
        default: return ScanAxis::q2;
    }
}

double axis_value(ScanAxis axis, const Observables& o) {
    switch (axis) {
        case ScanAxis::w: return o.w;
        case ScanAxis::minus_t: return -o.t;
        case ScanAxis::cos_theta: return o.cos_theta;
        case ScanAxis::q2: break;
    }
    return o.q2;
}

double ScanSize::lines() const {
    double n = 1.0;
    for (const ScanLoop& l : loops) {
        if (l.passes == 0.0) return 0.0;  // an empty loop empties the scan, however long the others
        n *= l.passes;
    }
    return n;
}

std::string ScanSize::describe() const {
    std::string s;
    for (const ScanLoop& l : loops) {
        if (l.passes == 1.0) continue;
        if (!s.empty()) s += " x ";
        s += shown_count(l.passes) + " " + l.what;
    }
    return s.empty() ? "a single point" : s;
}

double loop_span(double first, double last, double step) {
    if (!std::isfinite(first) || !std::isfinite(last) || last < first) return 0.0;
    return std::trunc((last - first) / step) + 1.0;
}

long long loop_passes(double first, double last, double step) {
    constexpr double most = 9007199254740992.0;  // 2^53
    const double n = loop_span(first, last, step);
    return static_cast<long long>(n < most ? n : most);
}

std::size_t scan_points(std::initializer_list<long long> passes) {
    std::size_t n = 1;
    for (const long long p : passes)
        if (p <= 0) return 0;
    for (const long long p : passes) {
        const auto u = static_cast<unsigned long long>(p);
        if (u > std::numeric_limits<std::size_t>::max() / n) throw std::length_error("scan too large to count its points");
        n *= static_cast<std::size_t>(u);
    }
    return n;
}

std::string shown_count(double n) {
    char buf[32];
    if (n < 1.0e9)
        std::snprintf(buf, sizeof buf, "%.0f", n);
    else
        std::snprintf(buf, sizeof buf, "%.2g", n);
    return buf;
}

std::string shown_value(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

void check_scan_size(const ScanSize& size, double limit) {
    if (size.lines() <= limit) return;
    throw std::runtime_error("the answers ask for a scan of " + shown_count(size.lines()) +
                             " lines per result file (" + size.describe() + "), more than the " + shown_count(limit) +
                             " one run may write; narrow the scan (its final value) and run again");
}

}  // namespace kavrin::io
