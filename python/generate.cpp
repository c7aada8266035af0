// kavrin.generate: the events of kavrin-gen as numpy arrays, event for event those of the program with the same
// arguments (event i depends on the seed and i alone).
//
//   ev = kavrin.generate("km", "pi+n", beam_energy=10.6, q2=(1.5, 4.5), w=(2.0, 3.0), t=(0.0, 2.0),
//                        events=10000, first=0, seed=1)
//   ev["minus_t"], ev["p"][:, 3]   # -t (GeV^2) and the pions' four-momenta (px, py, pz, E) in the lab
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "frontend/data_files.hpp"
#include "kavrin-gen/generator.hpp"

namespace py = pybind11;

void add_generate(py::module_& m);

namespace {

using namespace kavrin;

gen::Range range_of(const char* name, const py::handle& v) {
    try {
        const auto r = v.cast<std::pair<double, double>>();
        return {r.first, r.second};
    } catch (const py::cast_error&) {
        throw py::value_error(std::string(name) + " needs (MIN, MAX)");
    }
}

std::string text_of(const py::handle& v) {
    if (py::isinstance<py::bool_>(v)) return v.cast<bool>() ? "true" : "false";
    return py::str(v);
}

template <class T>
py::array_t<T> array_of(const std::vector<T>& v) {
    py::array_t<T> a(static_cast<py::ssize_t>(v.size()));
    std::copy(v.begin(), v.end(), a.mutable_data());
    return a;
}

py::dict generate(const std::string& model, const std::string& channel, double beam_energy, const py::object& q2,
                  const py::object& w, const py::object& xb, const py::object& t, std::uint64_t events,
                  std::uint64_t first, std::uint64_t seed, const py::object& beam_pol, bool weighted,
                  const py::object& threads, const py::object& settings, const std::string& table_path) {
    gen::Settings s;
    const auto mo = frontend::model_named(model);
    if (!mo) throw py::value_error("model " + model + ": expected 'regge', 'km', 'vr' or 'qvm'");
    const auto ch = frontend::channel_named(channel);
    if (!ch) throw py::value_error("channel " + channel + ": expected 'pi+n', 'pi-p', 'pi0p' or 'pi0n'");
    s.model = *mo;
    s.channel = *ch;
    s.beam_energy = beam_energy;
    if (!beam_pol.is_none()) s.beam_pol = beam_pol.cast<double>();
    s.q2 = range_of("q2", q2);
    if (w.is_none() == xb.is_none()) throw py::value_error("give w=(MIN, MAX) or xb=(MIN, MAX), one of them");
    s.by_w = !w.is_none();
    s.x = range_of(s.by_w ? "w" : "xb", s.by_w ? w : xb);
    if (!t.is_none()) s.minus_t = range_of("t", t);
    if (events == 0) throw py::value_error("events needs at least 1");
    s.seed = seed;
    s.weighted = weighted;
    s.table_path = table_path.empty() ? kavrin::frontend::module_table_path() : table_path;
    if (!settings.is_none())
        for (const auto& [k, v] : settings.cast<py::dict>()) s.model_settings.emplace_back(text_of(k), text_of(v));
    const unsigned n_threads =
        threads.is_none() ? std::max(1u, std::thread::hardware_concurrency()) : threads.cast<unsigned>();

    std::vector<double> vq2, vxb, vw, vt, vphi, vphie, veps, vweight, p;
    std::vector<std::int32_t> vh;
    std::vector<std::uint64_t> index;
    const std::size_t room = static_cast<std::size_t>(events);
    for (auto* v : {&vq2, &vxb, &vw, &vt, &vphi, &vphie, &veps, &vweight}) v->reserve(room);
    vh.reserve(room);
    index.reserve(room);
    p.reserve(20 * room);
    gen::Tally tally;
    double bound = 0;
    try {
        py::gil_scoped_release release;
        const gen::Generator g(s, n_threads);
        bound = g.bound();
        std::uint64_t done = 0;
        tally = gen::run_events(g, first, events, n_threads, [&](const gen::Event* e, std::size_t n) {
            for (std::size_t k = 0; k < n; ++k, ++done) {
                if (!(e[k].weight > 0.0)) continue;
                index.push_back(first + done);
                vq2.push_back(e[k].q2);
                vxb.push_back(e[k].xb);
                vw.push_back(e[k].w);
                vt.push_back(e[k].minus_t);
                vphi.push_back(e[k].phi);
                vphie.push_back(e[k].phi_e);
                veps.push_back(e[k].eps);
                vh.push_back(e[k].helicity);
                vweight.push_back(e[k].weight);
                for (const auto& q : e[k].p) p.insert(p.end(), q.begin(), q.end());
            }
        });
    } catch (const frontend::SettingsError& e) {
        throw py::value_error(e.what());
    } catch (const gen::BoxError& e) {
        throw py::value_error(e.what());
    } catch (const std::invalid_argument& e) {
        throw py::value_error(e.what());
    }
    py::dict out;
    out["index"] = array_of(index);
    out["Q2"] = array_of(vq2);
    out["xB"] = array_of(vxb);
    out["W"] = array_of(vw);
    out["minus_t"] = array_of(vt);
    out["phi"] = array_of(vphi);
    out["phi_e"] = array_of(vphie);
    out["eps"] = array_of(veps);
    out["helicity"] = array_of(vh);
    out["weight"] = array_of(vweight);
    py::array_t<double> pa({static_cast<py::ssize_t>(index.size()), py::ssize_t{5}, py::ssize_t{4}});
    std::copy(p.begin(), p.end(), pa.mutable_data());
    out["p"] = pa;
    out["sigma_nb"] = tally.sigma();
    out["sigma_error_nb"] = tally.error();
    out["trials"] = tally.trials;
    out["sum_weights"] = tally.sum;
    out["sum_weights2"] = tally.sum2;
    out["bound_nb"] = bound;
    out["bound_raises"] = tally.above;
    out["excess_fraction"] = tally.excess_fraction();
    return out;
}

}  // namespace

void add_generate(py::module_& m) {
    m.def("generate", &generate, py::arg("model"), py::arg("channel"), py::kw_only(), py::arg("beam_energy"),
          py::arg("q2"), py::arg("w") = py::none(), py::arg("xb") = py::none(), py::arg("t") = py::none(),
          py::arg("events"), py::arg("first") = 0, py::arg("seed") = 1, py::arg("beam_pol") = py::none(),
          py::arg("weighted") = false, py::arg("threads") = py::none(), py::arg("settings") = py::none(),
          py::arg("table_path") = "",
          R"(Events e N -> e' pi N' of a model, those of kavrin-gen with the same arguments.

generate(model, channel, *, beam_energy, q2=(MIN, MAX), w=(MIN, MAX) | xb=(MIN, MAX), t=(MIN, MAX) or None,
         events, first=0, seed=1, beam_pol=None, weighted=False, threads=None, settings={name: value})

Event i (first <= i < first + events) depends on the seed and i alone: slices of one run concatenate to it, on
any number of threads. Units: GeV, GeV^2, radians, nb. Returns a dict: numpy arrays index, Q2, xB, W, minus_t,
phi (Trento), phi_e, eps, helicity (+-1; 0 without beam_pol), weight (1 unweighted; nb weighted), p (events x 5
x 4: beam, target, scattered electron, pion, recoil; px, py, pz, E in the lab), and the run's sigma_nb,
sigma_error_nb, trials, sum_weights, sum_weights2, bound_nb, bound_raises, excess_fraction. Weighted: the
trials outside the physical region are counted in trials, not returned. Bad arguments raise ValueError.)");
}
