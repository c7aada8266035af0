#include "kavrin-gen/cli.hpp"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "frontend/data_files.hpp"
#include "kavrin-gen/generator.hpp"
#include "kavrin-gen/output.hpp"

namespace kavrin::gen {

namespace {

const char* const usage =
    "usage: kavrin-gen --model regge|km|vr|qvm --channel pi+n|pi-p|pi0p|pi0n [--set NAME=VALUE]...\n"
    "                  --beam-energy E [--beam-pol P] --q2 MIN:MAX (--w MIN:MAX | --xb MIN:MAX) [--t MIN:MAX]\n"
    "                  --events N [--first K] [--seed S] [--threads N] [--weighted] [--luminosity L]\n"
    "                  --format lund|hepmc3 --out FILE\n"
    "\n"
    "Generates events e N -> e' pi N' distributed as d5sigma/dQ2 dxB dt dphi dphi_e of the model in the box\n"
    "Q2 (GeV^2) x W (GeV) or x_B x -t (GeV^2; default: the whole physical range) x phi x phi_e, with phi the\n"
    "Trento angle from the lepton plane to the hadron plane. Event i depends on the seed and i alone: runs with\n"
    "--first K --events N are slices of one large run, the same on any number of threads. Unweighted events by\n"
    "default (weight 1); --weighted writes every trial inside the physical region with its weight in nb.\n"
    "--beam-pol P draws each event's beam helicity h = +-1 with probability (1 + h P)/2; without it the beam is\n"
    "unpolarized (h = 0). The integrated cross section (nb), trials, efficiency and time go to standard error and\n"
    "to FILE.txt; --luminosity L (cm^-2 s^-1) adds the events expected per hour. --set takes the model options\n"
    "of kavrin-eval and the Python module (see --help). Exit status: 0 ok, 1 failure while running, 2 bad\n"
    "command line.\n";

struct BadLine : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::optional<double> number(const std::string& s) {
    if (s.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<std::uint64_t> whole(const std::string& s) {
    if (s.empty() || s.size() > 19 || s.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return std::stoull(s);
}

std::optional<Range> range(const std::string& s) {
    const std::size_t colon = s.find(':');
    if (colon == std::string::npos) return std::nullopt;
    const auto lo = number(s.substr(0, colon)), hi = number(s.substr(colon + 1));
    if (!lo || !hi) return std::nullopt;
    return Range{*lo, *hi};
}

struct Line {
    Settings s;
    std::optional<frontend::ModelName> model;
    std::optional<Channel> channel;
    bool have_beam = false, have_q2 = false, have_x = false, have_events = false, help = false;
    std::uint64_t events = 0, first = 0;
    unsigned threads = 0;
    std::optional<double> luminosity;
    std::string format, out;
};

Line parse(int argc, const char* const* argv, std::vector<std::string>& errors) {
    Line c;
    bool have_w = false, have_xb = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            c.help = true;
            continue;
        }
        if (a == "--weighted") {
            c.s.weighted = true;
            continue;
        }
        if (a.rfind("--", 0) != 0) {
            errors.push_back("unexpected argument " + a);
            continue;
        }
        if (i + 1 >= argc) {
            errors.push_back(a + " needs a value");
            continue;
        }
        const std::string v = argv[++i];
        const auto bad = [&](const std::string& what) { errors.push_back(a + " " + v + ": " + what); };
        if (a == "--model") {
            c.model = frontend::model_named(v);
            if (!c.model) bad("give regge, km, vr or qvm");
        } else if (a == "--channel") {
            c.channel = frontend::channel_named(v);
            if (!c.channel) bad("give pi+n, pi-p, pi0p or pi0n");
        } else if (a == "--set") {
            const std::size_t eq = v.find('=');
            if (eq == std::string::npos || eq == 0)
                bad("give NAME=VALUE");
            else
                c.s.model_settings.emplace_back(v.substr(0, eq), v.substr(eq + 1));
        } else if (a == "--beam-energy") {
            const auto x = number(v);
            if (!x) bad("give the beam energy in GeV");
            c.s.beam_energy = x.value_or(0.0);
            c.have_beam = true;
        } else if (a == "--beam-pol") {
            c.s.beam_pol = number(v);
            if (!c.s.beam_pol) bad("give the polarization, -1 to 1");
        } else if (a == "--q2" || a == "--w" || a == "--xb" || a == "--t") {
            const auto r = range(v);
            if (!r) {
                bad("give MIN:MAX");
                continue;
            }
            if (a == "--q2") {
                c.s.q2 = *r;
                c.have_q2 = true;
            } else if (a == "--t") {
                c.s.minus_t = *r;
            } else {
                (a == "--w" ? have_w : have_xb) = true;
                c.s.by_w = a == "--w";
                c.s.x = *r;
            }
        } else if (a == "--events" || a == "--first" || a == "--seed" || a == "--threads") {
            const auto n = whole(v);
            if (!n) {
                bad("give a whole number");
                continue;
            }
            if (a == "--events") {
                c.events = *n;
                c.have_events = true;
                if (*n == 0) bad("give at least 1");
            } else if (a == "--first") {
                c.first = *n;
            } else if (a == "--seed") {
                c.s.seed = *n;
            } else {
                if (*n < 1 || *n > 1024) bad("give 1 to 1024");
                c.threads = static_cast<unsigned>(*n);
            }
        } else if (a == "--luminosity") {
            c.luminosity = number(v);
            if (!c.luminosity || !(*c.luminosity > 0.0)) bad("give the luminosity in cm^-2 s^-1, > 0");
        } else if (a == "--format") {
            c.format = v;
            if (v != "lund" && v != "hepmc3") bad("give lund or hepmc3");
            if (v == "hepmc3" && !have_hepmc3()) bad("this kavrin-gen was built without HepMC3 (libhepmc3-dev)");
        } else if (a == "--out") {
            c.out = v;
        } else {
            errors.push_back("unknown option " + a);
        }
    }
    if (c.help) return c;
    if (!c.model) errors.push_back("--model is missing");
    if (!c.channel) errors.push_back("--channel is missing");
    if (!c.have_beam) errors.push_back("--beam-energy is missing");
    if (!c.have_q2) errors.push_back("--q2 is missing");
    if (have_w && have_xb) errors.push_back("give --w or --xb, not both");
    if (!have_w && !have_xb) errors.push_back("--w or --xb is missing");
    if (!c.have_events) errors.push_back("--events is missing");
    if (c.format.empty()) errors.push_back("--format is missing");
    if (c.out.empty()) errors.push_back("--out is missing");
    if (c.have_events && c.first > UINT64_MAX - c.events) errors.push_back("--first + --events is too large");
    if (c.model) c.s.model = *c.model;
    c.s.table_path = frontend::program_table_path();  // the table of this installation
    if (c.channel) c.s.channel = *c.channel;
    return c;
}

std::string help_text() {
    std::ostringstream h;
    h << usage << "\nModel options (--set NAME=VALUE):\n";
    for (const auto m : {frontend::ModelName::regge, frontend::ModelName::km, frontend::ModelName::vr,
                         frontend::ModelName::qvm}) {
        h << "  " << frontend::name_of(m) << ":\n";
        for (const auto& o : frontend::options_of(m)) h << "    " << frontend::option_line(o) << "\n";
    }
    return h.str();
}

std::string fmt(double x, int digits = 6) {
    char b[64];
    std::snprintf(b, sizeof b, "%.*g", digits, x);
    return b;
}

}  // namespace

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    std::vector<std::string> errors;
    Line c = parse(argc, argv, errors);
    if (c.help) {
        out << help_text();
        return 0;
    }
    if (!errors.empty()) {
        for (const auto& e : errors) err << "kavrin-gen: " << e << "\n";
        const std::string text(usage);
        err << text.substr(0, text.find("\n\n") + 1) << "(kavrin-gen --help tells more)\n";
        return 2;
    }
    const unsigned threads = c.threads > 0 ? c.threads : std::max(1u, std::thread::hardware_concurrency());

    // the output's places first: an unwritable one is refused before any work
    std::unique_ptr<AtomicFile> events_file, record_file;
    try {
        events_file = std::make_unique<AtomicFile>(c.out);
        record_file = std::make_unique<AtomicFile>(c.out + ".txt");
    } catch (const std::exception& e) {
        err << "kavrin-gen: " << e.what() << "\n";
        return 2;
    }

    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<Generator> gen;
    try {
        gen = std::make_unique<Generator>(c.s, threads);
    } catch (const frontend::SettingsError& e) {
        err << "kavrin-gen: bad model settings:\n" << e.what() << "\n";
        return 2;
    } catch (const BoxError& e) {
        err << "kavrin-gen: " << e.what() << "\n";
        return 2;
    } catch (const std::invalid_argument& e) {
        err << "kavrin-gen: " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        err << "kavrin-gen: " << e.what() << "\n";
        return 1;
    }

    const auto scanned = std::chrono::steady_clock::now();
    try {
        std::unique_ptr<EventWriter> writer = c.format == "lund" ? lund_writer(events_file->file(), *gen, threads)
                                                                 : hepmc3_writer(events_file->file(), *gen);
        const bool terminal = ::isatty(2) == 1;
        auto last = start;
        std::uint64_t done = 0;
        Tally running;
        const Tally tally = run_events(*gen, c.first, c.events, threads, [&](const Event* ev, std::size_t n) {
            writer->write(ev, n, c.first + done, running);
            done += n;
            const auto now = std::chrono::steady_clock::now();
            if (terminal && now - start > std::chrono::seconds(1) && now - last > std::chrono::milliseconds(250)) {
                last = now;
                const double s = std::chrono::duration<double>(now - start).count();
                err << "\rkavrin-gen: " << done << " of " << c.events << " events (" << fmt(100.0 * done / c.events, 3)
                    << "%), " << fmt(s, 3) << " s" << std::flush;
            }
        });
        if (terminal && last != start) err << "\r" << std::string(72, ' ') << "\r";
        writer->finish();
        const auto end = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(end - start).count();
        const double generating = std::chrono::duration<double>(end - scanned).count();

        std::ostringstream r;
        r << "sigma = " << fmt(tally.sigma(), 8) << " +- " << fmt(tally.error(), 3) << " nb\n";
        r << "trials = " << tally.trials << "\n";
        r << "events = " << tally.written << (c.s.weighted ? " written (trials of weight > 0)" : "") << "\n";
        r << "efficiency = " << fmt(tally.trials ? double(tally.events) / tally.trials : 0.0, 4)
          << (c.s.weighted ? " (weighted: every trial is an event)" : " (events per trial)") << "\n";
        if (c.s.weighted) {
            r << "bound raises = none (weighted run)\n";
        } else {
            r << "bound = " << fmt(gen->bound(), 6) << " nb per trial (largest of " << gen->prescan_points()
              << " pre-scan weights x " << c.s.bound_safety << ", fixed by the seed)\n";
            if (tally.above == 0) {
                r << "bound raises = 0\n";
            } else {
                r << "bound raises = " << tally.above << " events above the bound, largest weight/bound "
                  << fmt(tally.max_ratio, 4) << "; accepted with weight 1, they leave "
                  << fmt(100.0 * tally.excess_fraction(), 3)
                  << "% of the cross section unrepresented (sigma is not affected)\n";
            }
        }
        if (tally.negative > 0) r << "negative cross section = " << tally.negative << " trials, taken as 0\n";
        r << "time = " << fmt(seconds, 4) << " s on " << threads << " threads: pre-scan "
          << fmt(seconds - generating, 3) << " s, events " << fmt(generating, 4) << " s, "
          << fmt(c.events / generating, 4) << " events/s\n";
        if (c.luminosity)
            r << "expected events per hour = " << fmt(tally.sigma() * 1e-33 * *c.luminosity * 3600.0, 6)
              << " at luminosity " << fmt(*c.luminosity, 4) << " cm^-2 s^-1\n";
        r << "model = " << frontend::name_of(c.s.model) << ", channel = " << frontend::name_of(c.s.channel);
        for (const auto& [k, v] : c.s.model_settings) r << ", " << k << "=" << v;
        r << "\nbox = Q2 " << fmt(c.s.q2.lo) << ":" << fmt(c.s.q2.hi) << " GeV^2, "
          << (c.s.by_w ? "W " : "x_B ") << fmt(c.s.x.lo) << ":" << fmt(c.s.x.hi) << (c.s.by_w ? " GeV" : "")
          << ", -t " << (c.s.minus_t ? fmt(c.s.minus_t->lo) + ":" + fmt(c.s.minus_t->hi) + " GeV^2 within " : "")
          << "the physical range, phi and phi_e 0:2pi\n";
        r << "beam = " << fmt(c.s.beam_energy) << " GeV, polarization "
          << (c.s.beam_pol ? fmt(*c.s.beam_pol) : std::string("none (h = 0)")) << "\n";
        r << "seed = " << c.s.seed << ", first = " << c.first << ", events asked = " << c.events
          << ", format = " << c.format << (c.s.weighted ? ", weighted" : ", unweighted") << "\n";
        r << "pre-scan = " << gen->prescan_points() << " points, sigma " << fmt(gen->prescan_sigma(), 6) << " +- "
          << fmt(gen->prescan_error(), 3) << " nb, physical fraction " << fmt(gen->prescan_physical(), 4) << "\n";
        r << "output = " << c.out << "\n";
        events_file->commit();
        record_file->write(r.str());
        record_file->commit();
        err << r.str();
        return 0;
    } catch (const std::exception& e) {
        err << "kavrin-gen: " << e.what() << " (nothing written)\n";
        return 1;
    }
}

}  // namespace kavrin::gen
