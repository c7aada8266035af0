#include "figures/figure.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "figures/gnuplot.hpp"

namespace kavrin::figures {

namespace {

// Distinct colours for up to ten series (a curve keeps its colour in every panel).
constexpr std::array<const char*, 10> kColours = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd",
                                                  "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"};
// Up to this many series get a key entry each; more are coloured along a palette.
constexpr std::size_t kMaxKeySeries = 8;

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

// Characters of UTF-8 text.
std::size_t characters(const std::string& text) {
    std::size_t n = 0;
    for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

}  // namespace

std::size_t Series::point_count() const {
    std::size_t n = 0;
    for (const Piece& p : pieces) n += p.size();
    return n;
}

std::size_t Panel::point_count() const {
    std::size_t n = 0;
    for (const Series& s : series) n += s.point_count();
    return n;
}

YChoice choose_y_scale(const std::vector<Series>& series, YQuantity quantity, YScale asked) {
    YChoice c;
    if (quantity == YQuantity::other || asked == YScale::linear) return c;
    if (quantity == YQuantity::interference && asked == YScale::automatic) return c;
    double lo = 0.0, hi = 0.0;
    bool any = false, positive = true;
    for (const Series& s : series)
        for (const Piece& p : s.pieces)
            for (const Row& r : p) {
                if (!(r.y > 0.0)) positive = false;
                lo = any ? std::min(lo, r.y) : r.y;
                hi = any ? std::max(hi, r.y) : r.y;
                any = true;
            }
    if (!any) return c;
    if (!positive) {
        if (asked == YScale::log) c.linear_because = "values of both signs or zero";
        return c;
    }
    c.log = asked == YScale::log || hi > 100.0 * lo;
    return c;
}

void write_plot_data(std::ostream& out, const std::vector<Series>& series, std::string_view source_name,
                     const std::vector<double>& values) {
    const bool with_values = !values.empty();
    out << (with_values ? "# x y series value: the finite lines of " : "# x y series: the finite lines of ") << source_name
        << "; blank line = left-out non-finite line, two blank lines = next series\n";
    bool first_block = true;
    char buf[128];
    for (const Series& s : series) {
        if (s.point_count() == 0) continue;
        if (!first_block) out << "\n\n";
        first_block = false;
        bool first_piece = true;
        for (const Piece& p : s.pieces) {
            if (!first_piece) out << '\n';
            first_piece = false;
            for (const Row& r : p) {
                if (with_values && s.number - 1 < values.size())
                    std::snprintf(buf, sizeof buf, "%.17g %.17g %zu %.17g\n", r.x, r.y, s.number, values[s.number - 1]);
                else
                    std::snprintf(buf, sizeof buf, "%.17g %.17g %zu\n", r.x, r.y, s.number);
                out << buf;
            }
        }
    }
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
        std::string sub = fig.subtitle;
        const std::size_t cut = sub.find(";   ");
        if (characters(sub) > static_cast<std::size_t>(lay.width) / 8 && cut != std::string::npos)
            sub = sub.substr(0, cut) + "}\n{/=11 " + sub.substr(cut + 4);
        heading.append("\n{/=11 ").append(sub).append("}");
    }
    if (most_series > 1 && !labelled) {
        heading += '\n';
        heading += std::to_string(most_series);
        heading += " series per file, one curve each (a new series starts where the x column restarts)";
    }
    for (const std::string& note : fig.notes) heading.append("\n{/=10 ").append(note).append("}");
    const char* point_size = most_points <= 60 ? "0.6" : "0.25";

    std::ostringstream s;
    s.precision(12);
    s << "# " << fig.heading << "\n"
      << "# Data: the .data files beside this script (x, y, series number). Redraw after restyling:\n"
      << "# gnuplot " << fig.stem << ".gp (run it in this directory).\n"
      << "set encoding utf8\n"
      << "set terminal pngcairo size " << lay.width << "," << lay.height << " enhanced font \"sans,10\"\n"
      << "if (!exists(\"kavrin_output\")) kavrin_output = " << gnuplot_quote(fig.stem + ".png") << "\n"
      << "set output kavrin_output\n"
      << "set grid\n"
      << "set palette defined (0 \"#30123b\", 0.25 \"#4686fb\", 0.5 \"#1be5b5\", 0.75 \"#fb8022\", 1 \"#7a0403\")\n"
      << "set multiplot layout " << lay.rows << "," << lay.cols << " title " << gnuplot_quote(heading)
      << " font \",12\"\n"
      << "set xlabel " << gnuplot_quote(fig.xlabel) << "\n";
    if (fig.phi_axis) s << "set xrange [0:360]\nset xtics 60\n";
    if (std::isfinite(fig.shade_from))
        s << "set object 1 rect from first " << fig.shade_from
          << ", graph 0 to graph 1, graph 1 behind fillcolor rgb \"#ececec\" fillstyle solid noborder\n";
    for (const Panel& p : fig.panels) {
        const std::string data = gnuplot_quote(p.data);
        const std::size_t n = drawn_series(p);
        s << "\n# " << p.source << "\n"
          << "set title " << gnuplot_quote(p.title) << "\n"
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
        if (n > kMaxKeySeries && labels) {
            // many series: the colour says the parameter value, read on the colour box
            const auto [lo, hi] = value_range(p);
            std::ostringstream range;
            range.precision(s.precision());
            range << lo << ":" << hi;
            colour_plot(s, p, data, range.str(), gnuplot_quote(p.colour_axis), 4, " lw 1.2");
            continue;
        }
        if (n > kMaxKeySeries) {
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

}  // namespace kavrin::figures
