#include "io/run.hpp"

#include <cmath>
#include <cstdio>

namespace kavrin::io {

double ScanSize::lines() const {
    double n = 1.0;
    for (const ScanLoop& l : loops) n *= l.passes;
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

std::string scan_too_large_message(const ScanSize& size, double limit) {
    return "the answers ask for a scan of " + shown_count(size.lines()) + " lines per result file (" +
           size.describe() + "), more than the " + shown_count(limit) +
           " one run may write; narrow the scan (its final value) and run again";
}

}  // namespace kavrin::io
