// Figures drawn with gnuplot for every front end: curves made of series of finite points, panels sharing an
// x axis, the choice between a linear and a logarithmic y axis, keys or a colour box for many curves, and
// the gnuplot data and script of a figure.
#pragma once

#include <cstddef>
#include <limits>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kavrin::figures {

/// One point: abscissa and ordinate (either may be NaN or infinite where they come from a file).
struct Row {
    double x = 0.0;
    double y = 0.0;
};

/// A run of consecutive finite points of one series (a non-finite point ends it).
using Piece = std::vector<Row>;

/// One series: its number counted from 1 over all series of its source, and its finite points grouped into
/// pieces (empty when no point of the series is finite).
struct Series {
    std::size_t number = 0;
    std::vector<Piece> pieces;

    std::size_t point_count() const;
};

/// The name of a series in the key, and the parameter value its colour stands for on a colour box.
struct SeriesLabel {
    std::string text;   // e.g. "Q^2 = 1.6 GeV^2" (gnuplot enhanced text)
    double value = 0.0;
};

/// The y axis asked for: chosen from the data, or linear or logarithmic throughout.
enum class YScale { automatic, linear, log };

/// What a panel's y is, for the choice of its axis.
enum class YQuantity {
    cross_section,  // positive by nature
    interference,   // of either sign
    other,          // ratios and asymmetries: always linear
};

/// The y axis of one panel, and why a logarithmic one was not drawn when it was asked for.
struct YChoice {
    bool log = false;
    std::string linear_because;  // set when a logarithmic axis was asked for but the panel is drawn linear
};
/// Log y for cross sections whose finite values are all positive and span more than two decades; with
/// YScale::log for every cross section (interference terms included) whose values are all positive. Linear
/// for the rest: ratios and asymmetries, values of either sign or zero, interference terms by default.
YChoice choose_y_scale(const std::vector<Series>& series, YQuantity quantity, YScale asked);

/// One panel of a figure.
struct Panel {
    std::string title;             // the observable, e.g. "dσ_T/dt" (enhanced text)
    std::string source;            // where the points come from, e.g. "dST.dat" (a comment in the script)
    std::string data;              // its data file beside the script, e.g. "dST.data"
    std::string ylabel;            // quantity and unit
    std::vector<Series> series;    // its curves
    bool log_y = false;
    std::vector<SeriesLabel> labels;  // one per series (by series number - 1), or none
    std::string colour_axis;       // name and unit of the labelled parameter, e.g. "Q^2 (GeV^2)"

    /// Finite points of all series.
    std::size_t point_count() const;
};

/// One figure (one PNG): panels sharing the x axis.
struct Figure {
    std::string stem;              // output name without extension, e.g. "separated"
    std::string heading;
    std::string subtitle;          // a second, smaller heading line, or empty
    std::string xlabel;
    bool phi_axis = false;         // x is an azimuth in degrees: 0 to 360 in steps of 60
    std::vector<std::string> notes;  // printed under the heading, e.g. a range the scan leaves
    double shade_from = std::numeric_limits<double>::quiet_NaN();  // x from which every panel is shaded grey
    std::vector<Panel> panels;
};

/// The finite points as gnuplot data "x y series": one blank line between the pieces of a series, two
/// between series (so each series is one gnuplot index, in order), series without points left out. With
/// `values` (one per series, by series number - 1) a fourth column holds the parameter value of the series.
void write_plot_data(std::ostream& out, const std::vector<Series>& series, std::string_view source_name,
                     const std::vector<double>& values = {});

/// The script drawing `fig` into "<stem>.png" (or into the file named by the gnuplot variable
/// kavrin_output when it is set) from the data files beside it, relative names, so that it runs from the
/// directory that holds it.
std::string gnuplot_script(const Figure& fig);

}  // namespace kavrin::figures
