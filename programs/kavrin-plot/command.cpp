#include "kavrin-plot/command.hpp"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>

#include "figures/files.hpp"
#include "figures/gnuplot.hpp"
#include "kavrin-plot/figures.hpp"
#include "kavrin-plot/result_data.hpp"
#include "kavrin-plot/run_record.hpp"

namespace kavrin::plot {

namespace fs = std::filesystem;

namespace {

const char* kUsage =
    "usage: kavrin-plot RUN_DIR [--x LABEL] [--out DIR] [--linear | --log]   (or --help, --version)\n"
    "  Draws the result files (*.dat) that a run of kavrin-regge or kavrin-models left in RUN_DIR as PNG\n"
    "  figures with gnuplot, each with its gnuplot script (.gp) and cleaned data (.data) beside it.\n"
    "  With the run record kavrin-run.txt in RUN_DIR, the figures name the reaction, the model, the fixed\n"
    "  kinematics and the unit, and label each curve of a file with several series by its parameter value.\n"
    "  --x LABEL  x axis of the scan files: W, Q2, t (for -t) or cos (for cos theta), or any axis label;\n"
    "             without it the scan variable is taken from the run record, or inferred from the files\n"
    "             where they make it unambiguous\n"
    "  --out DIR  where the figures go (default RUN_DIR/plots); the result files are only read\n"
    "  --linear   linear y axes throughout\n"
    "  --log      logarithmic y axes for every cross section whose values are all positive, the\n"
    "             interference terms dσTT, dσLT, dσLT' included (the others, ratios and asymmetries stay\n"
    "             linear, and the console names them)\n"
    "             By default dσT, dσL, dσU and the phi-dependent cross sections are drawn on a logarithmic\n"
    "             axis when their values are all positive and span more than two decades, all else linear\n"
    "  The figures are described in " KAVRIN_DOC_DIR "/docs/figures.md (docs/figures.md in the\n"
    "  source tree), the physics in " KAVRIN_DOC_DIR "/docs/physics.md.\n";

struct Options {
    fs::path run_dir;
    std::optional<XOption> x;
    std::optional<fs::path> out_dir;
    YScale y_scale = YScale::automatic;
    bool help = false;
    bool version = false;
};

// Parses the command line; throws std::invalid_argument with the reason.
Options parse_options(const std::vector<std::string>& args) {
    Options o;
    bool have_run = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        std::optional<std::string> value;
        if (a.rfind("--x=", 0) == 0 || a.rfind("--out=", 0) == 0) {
            const std::size_t eq = a.find('=');
            value = a.substr(eq + 1);
            a.resize(eq);
        }
        if (a == "--x" || a == "--out") {
            if (!value) {
                if (i + 1 == args.size()) throw std::invalid_argument(a + " needs a value");
                value = args[++i];
            }
            if (value->empty()) throw std::invalid_argument(a + " needs a non-empty value");
            if (a == "--x") {
                if (o.x) throw std::invalid_argument("--x given twice");
                o.x = parse_x_option(*value);
            } else {
                if (o.out_dir) throw std::invalid_argument("--out given twice");
                o.out_dir = fs::path(*value);
            }
        } else if (a == "--linear" || a == "--log") {
            const YScale asked = a == "--log" ? YScale::log : YScale::linear;
            if (o.y_scale != YScale::automatic && o.y_scale != asked)
                throw std::invalid_argument("--linear and --log exclude each other");
            o.y_scale = asked;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a.size() > 1 && a[0] == '-') {
            throw std::invalid_argument("unknown option " + a);
        } else {
            if (have_run) throw std::invalid_argument("more than one run directory (" + a + ")");
            if (a.empty()) throw std::invalid_argument("empty run directory name");
            o.run_dir = a;
            have_run = true;
        }
    }
    if (!have_run && !o.help && !o.version) throw std::invalid_argument("no run directory given");
    return o;
}

// Every result file name of either program, each once.
std::vector<std::string> all_result_names() {
    std::vector<std::string> names = regge_result_files();
    for (const std::string& n : models_result_files())
        if (std::find(names.begin(), names.end(), n) == names.end()) names.push_back(n);
    return names;
}

// gnuplot's messages without its notes on widening the empty axis range of a single point.
std::string without_range_warnings(const std::string& messages) {
    std::string kept, line;
    std::istringstream in(messages);
    while (std::getline(in, line))
        if (line.rfind("Warning: empty ", 0) != 0) kept += line + "\n";
    return kept;
}

// "1 point", "3 points".
std::string plural(std::size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

int plot_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options opt;
    try {
        opt = parse_options(args);
    } catch (const std::invalid_argument& e) {
        err << "kavrin-plot: " << e.what() << "\n" << kUsage;
        return 2;
    }
    if (opt.help) {
        out << kUsage;
        return 0;
    }
    if (opt.version) {
        out << "kavrin-plot " << KAVRIN_VERSION << "\n";
        return 0;
    }

    std::error_code ec;
    if (!fs::exists(opt.run_dir, ec)) {
        err << "kavrin-plot: run directory " << opt.run_dir.string() << " does not exist\n";
        return 1;
    }
    if (!fs::is_directory(opt.run_dir, ec)) {
        err << "kavrin-plot: " << opt.run_dir.string() << " is not a directory\n";
        return 1;
    }

    // Read every result file present (read only; nothing in RUN_DIR is written); a FIFO, device or
    // directory under a result file's name is refused, as is a file larger than a run writes.
    RunTables run;
    try {
        for (const std::string& name : all_result_names()) {
            const fs::path file = opt.run_dir / name;
            const fs::file_status st = fs::symlink_status(file, ec);
            if (!fs::exists(st) || (fs::is_symlink(st) && !fs::exists(file, ec))) continue;
            run.emplace(name, read_result_table(file));
        }
    } catch (const std::exception& e) {
        err << "kavrin-plot: " << e.what() << "\n";
        return 1;
    }
    if (run.empty()) {
        err << "kavrin-plot: " << opt.run_dir.string()
            << " holds no result files of kavrin-regge or kavrin-models (such as dST.dat, dS.dat, ddS_PHI.dat);"
               " give the directory a program was run in\n";
        return 1;
    }

    // The run record, when the run left one: a damaged one is a notice, never a failure.
    std::vector<std::string> record_notices;
    const std::optional<RunRecord> record = read_run_record(opt.run_dir);
    const RunRecord* usable = nullptr;
    if (record) {
        for (const std::string& n : record->notices) record_notices.push_back(n);
        usable = record->has_figures ? &*record : nullptr;
        // a record whose line counts differ from the files describes another run than the one they hold
        const std::vector<std::string> result_names = all_result_names();
        for (const auto& [name, count] : record->files) {
            if (std::find(result_names.begin(), result_names.end(), name) == result_names.end()) continue;
            const auto it = run.find(name);
            const std::size_t found = it == run.end() ? 0 : it->second.line_count;
            if (usable && found != count) {
                record_notices.push_back("it lists " + plural(count, "line") + " for " + name + ", the file holds " +
                                         std::to_string(found) + ": it is the record of another run");
                usable = nullptr;
            }
        }
    }

    const Plan plan = plan_figures(run, opt.x, usable, opt.y_scale);
    if (plan.figures.empty()) {
        std::size_t lines = 0;
        for (const auto& [name, table] : run) lines += table.line_count;
        err << "kavrin-plot: nothing to plot in " << opt.run_dir.string() << ": its "
            << plural(run.size(), "result file") << " hold "
            << (lines == 0 ? std::string("no lines") : "no finite values in " + plural(lines, "line")) << "\n";
        for (const std::string& n : plan.notes) err << "  " << n << "\n";
        return 1;
    }

    const std::optional<fs::path> gnuplot = figures::find_gnuplot();
    if (!gnuplot) {
        err << "kavrin-plot: gnuplot is not installed (not found on PATH); install it, e.g. "
               "`sudo apt-get install gnuplot-nox` on Debian or Ubuntu, and run kavrin-plot again\n";
        return 1;
    }

    const fs::path out_dir = opt.out_dir ? *opt.out_dir : opt.run_dir / "plots";
    fs::create_directories(out_dir, ec);
    if (ec || !fs::is_directory(out_dir)) {
        err << "kavrin-plot: cannot create the figure directory " << out_dir.string()
            << (ec ? ": " + ec.message() : std::string()) << "\n";
        return 1;
    }

    out << "kavrin-plot: " << opt.run_dir.string() << " holds a run of " << program_name(plan.program);
    if (plan.program == Program::unknown) out << " (files of both programs or of neither alone: units kept general)";
    out << "\n";
    if (record) {
        out << "  run record " << kRunRecordName << ": "
            << (usable ? "titles, units and series labels taken from it" : "not used, figures drawn without it") << "\n";
        for (const std::string& n : record_notices) out << "  notice: " << kRunRecordName << ": " << n << "\n";
    }
    if (std::any_of(plan.figures.begin(), plan.figures.end(), [](const Figure& f) { return f.scan_x; })) {
        out << "  x of the scan files: " << x_name(plan.scan_x.kind) << " (" << plan.scan_x.reason << ")\n";
        if (opt.x && !opt.x->kind) out << "  x label of the scan files, as given: " << opt.x->label << "\n";
    }

    // Figures and data files of an earlier plot that this run does not produce would mislead: remove
    // them (only the names kavrin-plot itself writes).
    std::set<std::string> produced;
    for (const Figure& f : plan.figures) {
        produced.insert(f.stem + ".png");
        produced.insert(f.stem + ".gp");
        for (const Panel& p : f.panels) produced.insert(p.data);
    }
    std::vector<std::string> ours;
    for (const std::string& stem : all_figure_stems()) {
        ours.push_back(stem + ".png");
        ours.push_back(stem + ".gp");
    }
    for (const std::string& n : all_result_names()) ours.push_back(data_file_name(n));
    for (const std::string& n : ours)
        if (!produced.count(n) && fs::is_regular_file(out_dir / n, ec)) fs::remove(out_dir / n, ec);

    int status = 0;
    for (const Figure& fig : plan.figures) {
        std::size_t points = 0, series = 0;
        std::string files;
        try {
            // every file through a temporary renamed over it: a link in the figure directory is replaced,
            // never followed
            for (const Panel& p : fig.panels) {
                std::ostringstream data;
                std::vector<double> values;
                for (const SeriesLabel& l : p.labels) values.push_back(l.value);
                write_plot_data(data, p.series, p.source, values);
                figures::write_file(out_dir / p.data, data.str());
                points += p.point_count();
                series = std::max(series, p.series.size());
                files += (files.empty() ? "" : " ") + p.source;
            }
            figures::write_file(out_dir / (fig.stem + ".gp"), gnuplot_script(fig));
        } catch (const std::exception& e) {
            err << "kavrin-plot: " << e.what() << "\n";
            return 1;
        }
        const figures::GnuplotRun run_result = figures::draw_png(*gnuplot, out_dir, fig.stem + ".gp", fig.stem + ".png");
        if (run_result.status != 0) {
            fs::remove(out_dir / (fig.stem + ".png"), ec);  // an earlier figure would not show these data
            err << "kavrin-plot: gnuplot failed on " << (out_dir / (fig.stem + ".gp")).string() << " (status "
                << run_result.status << "), no PNG written\n"
                << run_result.messages;
            status = 1;
            continue;
        }
        const std::string messages = without_range_warnings(run_result.messages);
        if (!messages.empty()) err << "kavrin-plot: gnuplot on " << fig.stem << ".gp: " << messages;
        out << "  " << fig.stem << ".png  " << files << "  (" << plural(points, "point") << ", "
            << series << " series)\n";
    }
    for (const std::string& n : plan.notes) out << "  note: " << n << "\n";
    if (!plan.left_out.empty()) {
        std::string line = "  non-finite lines left out of the curves (left out/lines):";
        for (const std::string& n : plan.left_out) {
            if (line.size() + n.size() > 100) {
                out << line << "\n";
                line = "   ";
            }
            line += " " + n;
        }
        out << line << "\n";
    }
    out << "figures (.png), their gnuplot scripts (.gp) and the cleaned data (.data) are in "
        << out_dir.string() << "\n";
    return status;
}

}  // namespace kavrin::plot
