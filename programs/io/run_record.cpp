#include "io/run_record.hpp"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <stdexcept>

#include "io/result_files.hpp"

namespace kavrin::io {

namespace {

// A value on one record line: control characters (a line break would start a new line) shown as '?'.
std::string one_line(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
    return s;
}

// An answer as read, which may be anything a user typed: on one line, cut to 80 characters.
std::string shown_answer(std::string_view answer) {
    return answer.size() > 80 ? one_line(answer.substr(0, 80)) + "..." : one_line(answer);
}

void section(std::string& out, std::string_view name, const RecordLines& lines) {
    out.append("\n[").append(name).append("]\n");
    for (const auto& [key, value] : lines) out.append(one_line(key)).append(": ").append(one_line(value)).append("\n");
}

}  // namespace

std::string reaction_text(int channel) {
    switch (channel) {
        case 1: return "γ* p → π⁺ n";
        case 2: return "γ* n → π⁻ p";
        case 3: return "γ* p → π⁰ p";
        case 4: return "γ* n → π⁰ n";
        default: return "channel " + std::to_string(channel);
    }
}

std::string axis_key(ScanAxis axis) {
    switch (axis) {
        case ScanAxis::w: return "W";
        case ScanAxis::minus_t: return "minus_t";
        case ScanAxis::cos_theta: return "cos_theta";
        case ScanAxis::q2: break;
    }
    return "Q2";
}

std::string axis_text(ScanAxis axis) {
    switch (axis) {
        case ScanAxis::w: return "W";
        case ScanAxis::minus_t: return "−t";
        case ScanAxis::cos_theta: return "cos θ";
        case ScanAxis::q2: break;
    }
    return "Q²";
}

ScanLoopIndex axis_loop(ScanAxis axis) {
    switch (axis) {
        case ScanAxis::w: return w_loop;
        case ScanAxis::q2: return q2_loop;
        case ScanAxis::minus_t:
        case ScanAxis::cos_theta: break;
    }
    return angle_loop;
}

std::string comma_list(const std::vector<std::string>& items) {
    std::string s;
    for (const std::string& item : items) {
        if (!s.empty()) s += ", ";
        s += item;
    }
    return s;
}

std::string fixed_value(std::string_view name, double value, std::string_view unit) {
    std::string s = std::string(name).append(" = ").append(shown_value(value));
    if (!unit.empty()) s.append(unit == "°" ? "" : " ").append(unit);
    return s;
}

namespace {

// How a loop variable reads in a fixed value: "Q²" for Q2, "θ" for theta.
std::string display_name(const std::string& name) {
    if (name == "Q2") return "Q²";
    if (name == "theta") return "θ";
    if (name == "phi") return "φ";
    return name;
}

}  // namespace

void add_scan_loops(RunRecord& record, std::vector<std::string>& fixed, const ScanSize& size, std::optional<std::size_t> x_loop,
                    const std::vector<std::size_t>& hide_once, bool phi_files) {
    for (std::size_t i = 0; i < size.loops.size(); ++i) {
        const ScanLoop& l = size.loops[i];
        const double passes = l.passes;  // may be astronomically large when another loop is empty
        if (phi_files && l.name != "phi" && passes > 1)
            record.figures.emplace_back("phi series", series_value(l.name, l.first, l.step, passes, l.unit));
        if (x_loop && i == *x_loop) continue;
        if (passes == 1) {
            // a single angle is fixed by the scan's own answers (-t, theta, cos theta), given by the caller
            if (l.name != "theta" && l.name != "phi" && std::find(hide_once.begin(), hide_once.end(), i) == hide_once.end())
                fixed.push_back(fixed_value(display_name(l.name), l.first, l.unit == "deg" ? "°" : l.unit));
        } else if (passes > 1 && !phi_files) {
            record.figures.emplace_back("series", series_value(l.name, l.first, l.step, passes, l.unit));
        }
    }
}

std::string series_value(std::string_view name, double first, double step, double count, std::string_view unit) {
    return std::string(name).append(" ").append(shown_value(first)).append(" ").append(shown_value(step)).append(" ")
        .append(shown_count(count)).append(" ").append(unit);
}

std::string run_record_text(std::string_view program, std::string_view version, std::string_view date,
                            const RunRecord& record, const std::vector<std::pair<std::string, std::size_t>>& files) {
    std::string out;
    out.append(program).append(" ").append(version).append(": record of the run that wrote the result files in this directory\n");
    out.append("date: ").append(date).append("\n");
    out.append("\n[answers]\n");
    for (const AnsweredQuestion& a : record.answers) out.append(one_line(a.question)).append(" = ").append(shown_answer(a.answer)).append("\n");
    section(out, "settings", record.settings);
    section(out, "figures", record.figures);
    out.append("\n[files]\n");
    for (const auto& [name, lines] : files)
        out.append(name).append(": ").append(std::to_string(lines)).append(lines == 1 ? " line\n" : " lines\n");
    return out;
}

void finish_run(std::string_view program, ResultFiles& files, const RunRecord& record, const RunOptions& options,
                std::ostream& out, std::ostream& err) {
    // a transcript that could not be written fails the run: before any result file is replaced
    out.flush();
    if (!out) throw std::runtime_error("writing to standard output failed");
    std::vector<std::pair<std::string, std::size_t>> written;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (files.lines_written(i) > 0) written.emplace_back(files.name(i), files.lines_written(i));
    files.set_record(run_record_text(program, KAVRIN_VERSION, utc_now(), record, written));
    for (const std::string& notice : files.close()) err << program << ": " << notice << "\n";
    if (options.summary) {
        std::error_code ec;
        const std::filesystem::path dir = std::filesystem::absolute(options.dir.empty() ? "." : options.dir, ec);
        std::string shown = ec ? options.dir : dir.lexically_normal().string();
        if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
        err << program << ": " << written.size() << (written.size() == 1 ? " result file" : " result files")
            << " written in " << shown << " (what produced them: " << file::run_record << ")\n";
    }
}

std::string utc_now() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S UTC", &tm);
    return buf;
}

}  // namespace kavrin::io
