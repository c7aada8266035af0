#include "kavrin-plot/run_record.hpp"

#include <cmath>
#include <cstdio>
#include <fstream>

#include "io/answers.hpp"

namespace kavrin::plot {

namespace {

// A record is a few kilobytes; more than this is not a record of these programs.
constexpr std::size_t kMaxRecordBytes = 1 << 20;
// Loops of a scan never pass more often than a result file holds lines.
constexpr double kMaxLoopCount = 1e7;

std::string trimmed(std::string_view s) {
    const std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos) return {};
    const std::size_t e = s.find_last_not_of(" \t\r");
    return std::string(s.substr(b, e - b + 1));
}

// Control characters have no place in a label: each becomes a blank.
std::string printable(std::string s) {
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return s;
}

std::vector<std::string_view> words(std::string_view s) {
    std::vector<std::string_view> w;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        if (i == s.size()) break;
        std::size_t e = i;
        while (e < s.size() && s[e] != ' ' && s[e] != '\t') ++e;
        w.push_back(s.substr(i, e - i));
        i = e;
    }
    return w;
}

// "Q2 1.6 0.01 2 GeV²": the loop, or the reason it is not one.
std::optional<SeriesLoop> parse_loop(std::string_view text, std::string& why) {
    const auto w = words(text);
    if (w.size() < 4 || w.size() > 5) {
        why = "not NAME FIRST STEP COUNT UNIT";
        return std::nullopt;
    }
    SeriesLoop loop;
    loop.name = std::string(w[0]);
    if (loop.name != "W" && loop.name != "Q2" && loop.name != "theta" && loop.name != "phi") {
        why = "unknown loop " + loop.name;
        return std::nullopt;
    }
    const auto first = io::parse_real(std::string(w[1]));
    const auto step = io::parse_real(std::string(w[2]));
    const auto count = io::parse_real(std::string(w[3]));
    if (!first || !step || !count || !std::isfinite(*first) || !std::isfinite(*step) || !(*count >= 1) ||
        *count > kMaxLoopCount || std::floor(*count) != *count) {
        why = "FIRST and STEP must be numbers and COUNT a whole number from 1";
        return std::nullopt;
    }
    loop.first = *first;
    loop.step = *step;
    loop.count = static_cast<std::size_t>(*count);
    if (w.size() == 5) loop.unit = std::string(w[4]);
    return loop;
}

}  // namespace

RunRecord parse_run_record(std::string_view text) {
    RunRecord r;
    if (text.size() > kMaxRecordBytes) {
        r.notices.push_back("longer than 1 MiB: only its first MiB is read");
        text = text.substr(0, kMaxRecordBytes);
    }
    std::string section;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        const std::string_view raw = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        ++number;
        const std::string line = trimmed(raw);
        if (line.empty()) continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            if (section == "figures") r.has_figures = true;
            continue;
        }
        if (section != "figures" && section != "files") continue;
        std::string key, value;
        const std::size_t colon = line.find(": ");
        if (colon != std::string::npos) {
            key = line.substr(0, colon);
            value = trimmed(std::string_view(line).substr(colon + 2));
        } else if (line.back() == ':') {
            key = line.substr(0, line.size() - 1);
        } else {
            r.notices.push_back("line " + std::to_string(number) + " is not \"key: value\"");
            continue;
        }
        value = printable(value);
        const std::string where = "line " + std::to_string(number) + " (" + key + "): ";
        if (section == "files") {
            const auto w = words(value);
            const auto n = w.empty() ? std::nullopt : io::parse_real(std::string(w[0]));
            if (!n || !(*n >= 0) || std::floor(*n) != *n || *n > 1e12)
                r.notices.push_back(where + "not a number of lines");
            else
                r.files[key] = static_cast<std::size_t>(*n);
            continue;
        }
        if (key == "reaction") r.reaction = value;
        else if (key == "model") r.model = value;
        else if (key == "fixed") r.fixed = value;
        else if (key == "x") {
            if (value == "W" || value == "Q2" || value == "minus_t" || value == "cos_theta" || value == "phi")
                r.x = value;
            else
                r.notices.push_back(where + "unknown x \"" + value + "\"");
        } else if (key == "unit") {
            if (value == "µb" || value == "ub") r.unit = CrossUnit::microbarn;
            else if (value == "nb") r.unit = CrossUnit::nanobarn;
            else r.notices.push_back(where + "unknown unit \"" + value + "\"");
        } else if (key == "cross section") {
            if (value == "dsigma_dt") r.cross_section = CrossKind::dsigma_dt;
            else if (value == "dsigma_domega") r.cross_section = CrossKind::dsigma_domega;
            else r.notices.push_back(where + "unknown cross section \"" + value + "\"");
        } else if (key == "series" || key == "phi series") {
            std::string why;
            if (const auto loop = parse_loop(value, why))
                (key == "series" ? r.series : r.phi_series).push_back(*loop);
            else
                r.notices.push_back(where + why);
        }
        // any other key belongs to a newer version: ignored
    }
    if (!r.has_figures) r.notices.push_back("no [figures] section");
    return r;
}

std::optional<RunRecord> read_run_record(const std::filesystem::path& run_dir) {
    const std::filesystem::path file = run_dir / kRunRecordName;
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, ec))) return std::nullopt;
    if (!std::filesystem::is_regular_file(file, ec)) {
        RunRecord r;
        r.notices.push_back("not a regular file");
        return r;
    }
    std::ifstream in(file, std::ios::binary);
    std::string text(kMaxRecordBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad() || (!in && in.gcount() == 0 && !in.eof())) {
        RunRecord r;
        r.notices.push_back("cannot be read");
        return r;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return parse_run_record(text);
}

std::string short_number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    std::string s = buf;
    if (s == "-0") s = "0";
    return s;
}

std::string loop_axis_name(const SeriesLoop& loop) {
    if (loop.name == "W") return "W (GeV)";
    if (loop.name == "Q2") return "Q^2 (GeV^2)";
    if (loop.name == "theta") return "θ (degrees)";
    return "φ (degrees)";
}

namespace {

std::string loop_label(const SeriesLoop& loop, double v) {
    const std::string n = short_number(v);
    if (loop.name == "W") return "W = " + n + " GeV";
    if (loop.name == "Q2") return "Q^2 = " + n + " GeV^2";
    if (loop.name == "theta") return "θ = " + n + "°";
    return "φ = " + n + "°";
}

}  // namespace

std::optional<std::vector<SeriesLabel>> series_labels(const std::vector<SeriesLoop>& loops, std::size_t found) {
    if (loops.empty()) return std::nullopt;
    std::size_t combinations = 1;
    for (const SeriesLoop& l : loops) {
        if (l.count == 0 || combinations > found / l.count) return std::nullopt;  // more than found
        combinations *= l.count;
    }
    if (combinations != found) return std::nullopt;
    std::vector<SeriesLabel> labels(found);
    for (std::size_t k = 0; k < found; ++k) {
        // the last loop varies fastest
        std::size_t rest = k;
        std::vector<std::size_t> index(loops.size());
        for (std::size_t j = loops.size(); j-- > 0;) {
            index[j] = rest % loops[j].count;
            rest /= loops[j].count;
        }
        std::string text;
        for (std::size_t j = 0; j < loops.size(); ++j) {
            if (j > 0) text += ", ";
            text += loop_label(loops[j], loops[j].value(index[j]));
        }
        labels[k] = {text, loops.back().value(index.back())};
    }
    return labels;
}

}  // namespace kavrin::plot
