#include "kavrin-plot/gnuplot.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kavrin::plot {

namespace {

// Distinct colours for up to ten series (a curve keeps its colour in every panel).
constexpr std::array<const char*, 10> kColours = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd",
                                                  "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"};
// Up to this many series get a legend entry each; more are coloured along a palette.
constexpr std::size_t kMaxLegendSeries = 8;

struct Layout {
    int rows, cols, width, height;
};

// Panel grid and image size for a figure of this many panels.
Layout layout_for(std::size_t panels) {
    switch (panels) {
        case 1: return {1, 1, 1000, 650};
        case 2: return {1, 2, 1500, 600};
        case 3: return {1, 3, 1800, 600};
        case 4: return {2, 2, 1400, 1000};
        default: return {2, 3, 1800, 1050};
    }
}

// Series of the panel that have at least one finite point.
std::size_t drawn_series(const Panel& p) {
    return static_cast<std::size_t>(
        std::count_if(p.series.begin(), p.series.end(), [](const Series& s) { return s.point_count() > 0; }));
}

// Smallest and largest finite y of a panel.
std::pair<double, double> y_range(const Panel& p) {
    double lo = 0.0, hi = 0.0;
    bool any = false;
    for (const Series& se : p.series)
        for (const Piece& pc : se.pieces)
            for (const Row& r : pc) {
                lo = any ? std::min(lo, r.y) : r.y;
                hi = any ? std::max(hi, r.y) : r.y;
                any = true;
            }
    return {lo, hi};
}

// The colour range of the labelled values of a panel.
std::pair<double, double> value_range(const Panel& p) {
    double lo = p.labels.front().value, hi = lo;
    for (const SeriesLabel& l : p.labels) {
        lo = std::min(lo, l.value);
        hi = std::max(hi, l.value);
    }
    if (hi == lo) {
        const double pad = lo == 0.0 ? 1.0 : std::fabs(lo) * 0.01;
        lo -= pad;
        hi += pad;
    }
    return {lo, hi};
}

// The lines of a panel coloured by column `column` of its data, read on a colour box over `range` ("lo:hi") with
// the label `label` (quoted); a point cut off on both sides by non-finite lines has no line to show it, so the
// points are marked where there is such a one.
void colour_plot(std::ostream& s, const Panel& p, const std::string& data, const std::string& range,
                 const std::string& label, int column, const char* line_width) {
    const std::string columns = "1:2:" + std::to_string(column);
    s << "unset key\n"
      << "set colorbox\n"
      << "set cbrange [" << range << "]\n"
      << "set cblabel " << label << "\n"
      << "plot " << data << " using " << columns << " with lines lc palette" << line_width << " notitle";
    bool lone_point = false;
    for (const Series& se : p.series)
        for (const Piece& pc : se.pieces) lone_point = lone_point || pc.size() == 1;
    if (lone_point) s << ", \\\n     " << data << " using " << columns << " with points lc palette pt 7 ps 0.4 notitle";
    s << "\n";
}

}  // namespace

std::string gnuplot_quote(const std::string& text) {
    std::string q = "\"";
    for (char c : text) {
        // gnuplot runs `command` as a shell command even inside a double-quoted string unless escaped
        if (c == '\\' || c == '"' || c == '`') q += '\\';
        if (c == '\n') {
            q += "\\n";
            continue;
        }
        q += c;
    }
    return q + "\"";
}

std::string gnuplot_script(const Figure& fig) {
    const Layout lay = layout_for(fig.panels.size());
    std::size_t most_series = 0, most_points = 0;
    for (const Panel& p : fig.panels) {
        most_series = std::max(most_series, drawn_series(p));
        for (const Series& s : p.series) most_points = std::max(most_points, s.point_count());
    }
    bool labelled = !fig.panels.empty();
    for (const Panel& p : fig.panels) labelled = labelled && !p.labels.empty();
    std::string heading = fig.heading;
    if (!fig.subtitle.empty()) {
        // a subtitle too long for the width goes on two lines: reaction and model, then the kinematics
        std::size_t chars = 0;
        for (char c : fig.subtitle) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        std::string sub = fig.subtitle;
        const std::size_t cut = sub.find(";   ");
        if (chars > static_cast<std::size_t>(lay.width) / 8 && cut != std::string::npos)
            sub = sub.substr(0, cut) + "}\n{/=11 " + sub.substr(cut + 4);
        heading.append("\n{/=11 ").append(sub).append("}");
    }
    if (most_series > 1 && !labelled) {
        heading += '\n';
        heading += std::to_string(most_series);
        heading += " series per file, one curve each (a new series starts where the x column restarts)";
    }
    const char* point_size = most_points <= 60 ? "0.6" : "0.25";

    std::ostringstream s;
    s.precision(12);
    s << "# " << fig.heading << "\n"
      << "# Written by kavrin-plot. Data: the .data files beside this script (x, y, series number; the\n"
      << "# finite lines of the result files). Redraw after restyling: gnuplot " << fig.stem << ".gp\n"
      << "# (run it in this directory).\n"
      << "set encoding utf8\n"
      << "set terminal pngcairo size " << lay.width << "," << lay.height << " enhanced font \"sans,10\"\n"
      << "set output " << gnuplot_quote(fig.stem + ".png") << "\n"
      << "set grid\n"
      << "set palette defined (0 \"#30123b\", 0.25 \"#4686fb\", 0.5 \"#1be5b5\", 0.75 \"#fb8022\", 1 \"#7a0403\")\n"
      << "set multiplot layout " << lay.rows << "," << lay.cols << " title " << gnuplot_quote(heading)
      << " font \",12\"\n"
      << "set xlabel " << gnuplot_quote(fig.xlabel) << "\n";
    if (fig.xlabel == x_label(XKind::phi)) s << "set xrange [0:360]\nset xtics 60\n";
    for (const Panel& p : fig.panels) {
        const std::string data = gnuplot_quote(data_file_name(p.file));
        const std::size_t n = drawn_series(p);
        s << "\n# " << p.file << "\n"
          << "set title " << gnuplot_quote(p.file) << " noenhanced\n"
          << "set ylabel " << gnuplot_quote(p.ylabel) << "\n";
        if (p.log_y) {
            // powers of ten on axes that span a decade or more; plain numbers on shorter ones
            const auto [lo, hi] = y_range(p);
            s << "set logscale y\nset mytics 10\n"
              << (hi >= 10.0 * lo ? "set format y \"10^{%L}\"\n" : "set format y \"%g\"\n");
        } else {
            s << "unset logscale y\nset mytics default\nset format y \"%g\"\n";
        }
        const bool labels = !p.labels.empty();
        if (n > kMaxLegendSeries && labels) {
            // many series: the colour says the parameter value, read on the colour box
            const auto [lo, hi] = value_range(p);
            std::ostringstream range;
            range.precision(s.precision());
            range << lo << ":" << hi;
            colour_plot(s, p, data, range.str(), gnuplot_quote(p.colour_axis), 4, " lw 1.2");
            continue;
        }
        if (n > kMaxLegendSeries) {
            // many unlabelled series: the colour says the series number
            std::size_t last = 1;
            for (const Series& se : p.series)
                if (se.point_count() > 0) last = se.number;
            colour_plot(s, p, data, "1:" + std::to_string(std::max<std::size_t>(last, 2)), "\"series\"", 3, "");
            continue;
        }
        s << "unset colorbox\n";
        if (n <= 1 && !labels) {
            s << "unset key\n";
        } else if (fig.panels.size() == 1) {
            s << "set key outside right top\n";
        } else {
            s << "set key below font \",9\"\n";
        }
        s << "plot ";
        std::size_t block = 0;
        for (const Series& se : p.series) {
            if (se.point_count() == 0) continue;
            if (block > 0) s << ", \\\n     ";
            s << data << " index " << block << " using 1:2 with linespoints lc rgb \""
              << kColours[(se.number - 1) % kColours.size()] << "\" pt 7 ps " << point_size << " lw 1.5 ";
            if (n <= 1 && !labels)
                s << "notitle";
            else if (labels && se.number - 1 < p.labels.size())
                s << "title " << gnuplot_quote(p.labels[se.number - 1].text);
            else
                s << "title \"series " << se.number << "\"";
            ++block;
        }
        s << "\n";
    }
    s << "\nunset multiplot\n";
    return s.str();
}

std::optional<std::filesystem::path> find_gnuplot() {
    const char* path = std::getenv("PATH");
    if (!path) return std::nullopt;
    std::string_view rest(path);
    while (true) {
        const std::size_t colon = rest.find(':');
        const std::string dir(rest.substr(0, colon));
        const std::filesystem::path candidate = std::filesystem::path(dir.empty() ? "." : dir) / "gnuplot";
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

GnuplotRun run_gnuplot(const std::filesystem::path& gnuplot, const std::filesystem::path& dir,
                       const std::string& script) {
    GnuplotRun result;
    int fds[2];
    if (::pipe(fds) != 0) {
        result.messages = "cannot create a pipe for gnuplot";
        return result;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        result.messages = "cannot start gnuplot";
        return result;
    }
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::dup2(fds[1], STDERR_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        const std::string program = gnuplot.string();
        char* argv[] = {const_cast<char*>("gnuplot"), const_cast<char*>(script.c_str()), nullptr};
        ::execv(program.c_str(), argv);
        ::_exit(127);
    }
    ::close(fds[1]);
    char buf[4096];
    ssize_t got;
    while ((got = ::read(fds[0], buf, sizeof buf)) != 0) {
        if (got < 0) {
            if (errno == EINTR) continue;
            break;
        }
        result.messages.append(buf, static_cast<std::size_t>(got));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return result;
    }
    if (WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
        if (result.status == 126) result.messages += "cannot enter " + dir.string() + "\n";
        if (result.status == 127) result.messages += "cannot execute " + gnuplot.string() + "\n";
    } else {
        result.status = 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    }
    return result;
}

std::optional<std::pair<unsigned, unsigned>> png_size(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char head[24];
    if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return std::nullopt;
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (!std::equal(signature, signature + 8, head)) return std::nullopt;
    if (!std::equal(head + 12, head + 16, reinterpret_cast<const unsigned char*>("IHDR"))) return std::nullopt;
    auto be32 = [&](int at) {
        return (unsigned(head[at]) << 24) | (unsigned(head[at + 1]) << 16) | (unsigned(head[at + 2]) << 8) |
               unsigned(head[at + 3]);
    };
    return std::make_pair(be32(16), be32(20));
}

}  // namespace kavrin::plot
