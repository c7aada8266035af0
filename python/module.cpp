// The Python module `kavrin`: the models of the C++ API on numpy arrays.
//
//   import kavrin
//   m = kavrin.Model("vr", "pi-p", pion_cutoff_gev=0.655, epsilon=0.5)
//   x = m.evaluate(2.2, 1.0, minus_t=np.linspace(0.1, 1.0, 50))
//   x["dsigmaT_dt"]   # microbarn/GeV^2
//
// Each point is the C++ API's Model::evaluate, bit for bit; the points are split over threads with the GIL
// released.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "frontend/catalog.hpp"
#include "frontend/data_files.hpp"
#include "frontend/evaluate.hpp"
#include "frontend/parallel.hpp"
#include "kavrin/measured.hpp"
#include "kavrin/models.hpp"
#include "kavrin/regge.hpp"

namespace py = pybind11;

namespace {

using kavrin::Angle;
using kavrin::Channel;
using kavrin::Observables;
using kavrin::frontend::ModelChoice;
using kavrin::frontend::ModelName;
using kavrin::frontend::OptionInfo;

/// Most points one evaluate() call computes: the broadcast shape of its arguments may hold no more.
constexpr std::size_t kMaxPoints = 10'000'000;

// ---- the options of the Python surface, as the settings by name of the front-end library ----------------

// A Python value of an option as text; TypeError where its type does not fit.
std::string option_text(const OptionInfo& o, const py::handle& v) {
    const auto wrong = [&](const char* expected) {
        return py::type_error("option " + o.name + " = " + std::string(py::repr(v)) + ": expected " + expected);
    };
    switch (o.type) {
        case OptionInfo::Type::flag:
            if (!py::isinstance<py::bool_>(v)) throw wrong("True or False");
            return v.cast<bool>() ? "true" : "false";
        case OptionInfo::Type::choice:
            if (!py::isinstance<py::str>(v)) throw wrong("a string");
            return v.cast<std::string>();
        case OptionInfo::Type::real:
            break;
    }
    if (py::isinstance<py::bool_>(v) || py::isinstance<py::str>(v) || py::isinstance<py::bytes>(v) ||
        !(py::isinstance<py::float_>(v) || py::isinstance<py::int_>(v) || py::hasattr(v, "__float__")))
        throw wrong("a number");
    double x = 0;
    try {
        x = py::float_(py::reinterpret_borrow<py::object>(v)).cast<double>();
    } catch (const py::error_already_set&) {
        throw py::value_error("option " + o.name + " = " + std::string(py::repr(v)) + ": not a number a double holds");
    }
    return kavrin::frontend::text_of(x);
}

std::vector<std::pair<std::string, std::string>> settings_of(ModelName m, const py::dict& kw) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& [key, v] : kw) {
        const std::string k = py::str(key);
        if (k == "dds" && m == ModelName::regge) {
            if (!py::isinstance<py::dict>(v))
                throw py::type_error("option dds = " + std::string(py::repr(v)) +
                                     ": expected a dict with 'type' and, where the convention takes them, 'phi' or "
                                     "'cos_phi' and 'cos_2phi'");
            for (const auto& [dk, dv] : v.cast<py::dict>()) {
                const std::string name = "dds." + std::string(py::str(dk));
                const OptionInfo* o = kavrin::frontend::find_option(m, name);
                if (!o) throw py::type_error("unknown key '" + std::string(py::str(dk)) + "' of option dds (type, phi, cos_phi, cos_2phi)");
                out.emplace_back(name, option_text(*o, dv));
            }
            continue;
        }
        const OptionInfo* o = k.rfind("dds.", 0) == 0 ? nullptr : kavrin::frontend::find_option(m, k);
        if (!o)
            throw py::type_error("Model() got an unexpected keyword argument '" + k + "' for the " +
                                 std::string(kavrin::frontend::name_of(m)) + " model (see help(kavrin.Model))");
        out.emplace_back(k, option_text(*o, v));
    }
    return out;
}

// ---- numeric arguments, broadcast without copies ---------------------------------------------------------

// One argument as a float64 array (its own size, never the broadcast one) and its strides in the broadcast shape.
struct Arg {
    py::array_t<double> array;  ///< the argument converted to float64
    std::vector<py::ssize_t> strides;  ///< in elements, 0 along broadcast dimensions
    const double* data = nullptr;
};

py::array numeric_array(const char* name, const py::object& value) {
    const py::module_ np = py::module_::import("numpy");
    if (py::isinstance(value, np.attr("ma").attr("MaskedArray")))
        throw py::type_error(std::string(name) + ": a masked array (fill its masked values first, e.g. x.filled(np.nan))");
    if (value.is_none() || py::isinstance<py::str>(value) || py::isinstance<py::bytes>(value) ||
        py::isinstance<py::bool_>(value))
        throw py::type_error(std::string(name) + " = " + std::string(py::repr(value)).substr(0, 80) + ": expected numbers");
    py::array a;
    try {
        a = np.attr("asarray")(value);
    } catch (const py::error_already_set& e) {
        throw py::type_error(std::string(name) + ": expected numbers (" + e.what() + ")");
    }
    const char kind = a.dtype().kind();
    if (kind != 'i' && kind != 'u' && kind != 'f')
        throw py::type_error(std::string(name) + ": expected numbers in GeV units, not an array of dtype " +
                             std::string(py::str(a.dtype())));
    return a;
}

// ---- the model ---------------------------------------------------------------------------------------------

class Model {
public:
    Model(const std::string& model, const std::string& channel, const py::kwargs& kw)
        : model_(model), channel_(channel), options_(py::dict(kw)), choice_(make(model, channel, options_)) {
        for (const ModelChoice::Used& u : choice_.used()) dds_ = dds_ || u.name == "dds.type";
    }

    py::dict evaluate(const py::object& w, const py::object& q2, const py::object& minus_t, const py::object& theta,
                      const py::object& cos_theta, const py::object& phi_deg, const py::object& e_beam,
                      const py::object& threads) const {
        const int given = !minus_t.is_none() + !theta.is_none() + !cos_theta.is_none();
        if (given != 1)
            throw py::type_error("evaluate() takes exactly one of minus_t, theta and cos_theta (" +
                                 std::to_string(given) + " given)");
        const Angle::Kind kind = !minus_t.is_none() ? Angle::Kind::minus_t
                                 : !theta.is_none() ? Angle::Kind::theta
                                                    : Angle::Kind::cos_theta;
        const char* angle_name = !minus_t.is_none() ? "minus_t" : !theta.is_none() ? "theta" : "cos_theta";
        const py::object angle = !minus_t.is_none() ? minus_t : !theta.is_none() ? theta : cos_theta;
        unsigned nthreads = std::max(1u, std::thread::hardware_concurrency());
        if (!threads.is_none()) {
            if (!py::isinstance<py::int_>(threads) || py::isinstance<py::bool_>(threads))
                throw py::type_error("threads = " + std::string(py::repr(threads)) + ": expected a whole number");
            const long long n = threads.cast<py::int_>().cast<double>() > 1e9 ? -1 : threads.cast<long long>();
            if (n < 1 || n > 1024) throw py::value_error("threads = " + std::string(py::repr(threads)) + ": expected 1 to 1024");
            nthreads = static_cast<unsigned>(n);
        }

        // the arguments and their broadcast shape, refused beyond kMaxPoints before any memory is taken
        std::vector<std::pair<const char*, py::array>> in = {{"W", numeric_array("W", w)}, {"Q2", numeric_array("Q2", q2)},
                                                             {angle_name, numeric_array(angle_name, angle)}};
        const bool has_phi = !phi_deg.is_none(), has_beam = !e_beam.is_none();
        if (has_phi) in.emplace_back("phi_deg", numeric_array("phi_deg", phi_deg));
        if (has_beam) in.emplace_back("E_beam", numeric_array("E_beam", e_beam));
        const py::module_ np = py::module_::import("numpy");
        py::tuple shapes(in.size());
        for (std::size_t k = 0; k < in.size(); ++k) shapes[k] = in[k].second.attr("shape");
        py::tuple shape_t;
        try {
            shape_t = np.attr("broadcast_shapes")(*shapes);
        } catch (const py::error_already_set&) {
            throw py::value_error("the shapes of the arguments do not broadcast together: " + std::string(py::str(shapes)));
        }
        std::vector<py::ssize_t> shape;
        double size = 1;
        for (const auto& d : shape_t) {
            shape.push_back(d.cast<py::ssize_t>());
            size *= static_cast<double>(shape.back());
        }
        if (size > static_cast<double>(kMaxPoints))
            throw py::value_error("the arguments broadcast to " + kavrin::frontend::text_of(size) + " points, more than the " +
                                  std::to_string(kMaxPoints) + " one call computes: split the call");
        const std::size_t n = static_cast<std::size_t>(size);
        std::vector<Arg> args(in.size());
        for (std::size_t k = 0; k < in.size(); ++k) {
            Arg& a = args[k];
            a.array = py::array_t<double, py::array::forcecast>(in[k].second);  // the argument's own size
            const py::ssize_t nd = a.array.ndim(), off = static_cast<py::ssize_t>(shape.size()) - nd;
            a.strides.assign(shape.size(), 0);
            for (py::ssize_t d = 0; d < nd; ++d)
                if (a.array.shape(d) != 1) a.strides[off + d] = a.array.strides(d) / static_cast<py::ssize_t>(sizeof(double));
            a.data = a.array.data();
        }
        const auto value = [&](const Arg& a, std::size_t i) {
            py::ssize_t at = 0;
            for (std::size_t d = shape.size(); d-- > 0;) {
                const py::ssize_t extent = shape[d];
                at += static_cast<py::ssize_t>(i % static_cast<std::size_t>(extent)) * a.strides[d];
                i /= static_cast<std::size_t>(extent);
            }
            return a.data[at];
        };

        // epsilon of each point: from its beam energy, else the model's
        const double m = kavrin::target_mass_gev(choice_.channel());
        std::vector<double> eps(n, choice_.epsilon());
        if (has_beam)
            for (std::size_t i = 0; i < n; ++i) {
                const double wi = value(args[0], i), qi = value(args[1], i);
                eps[i] = kavrin::epsilon_of_beam(qi, kavrin::xb_of(wi, qi, m), value(args.back(), i), m);
            }
        const bool km = choice_.model() == ModelName::km;

        // the outputs
        std::vector<std::string> names = {"dsigmaT_dt", "dsigmaL_dt", "dsigmaTT_dt", "dsigmaLT_dt", "dsigmaLTp_dt",
                                          "dsigmaU_dt", "dsigmaT_domega", "dsigmaL_domega", "dsigmaTT_domega",
                                          "dsigmaLT_domega", "dsigmaLTp_domega", "dsigmaU_domega", "L_over_T", "BSA",
                                          "eps", "ALU_sinphi", "sigmaLTp_over_sigma0"};
        if (has_phi) names.insert(names.end(), {"ALU", "d2sigma_dt_dphi"});
        if (has_phi && has_beam) names.emplace_back("d4sigma");
        if (dds_) names.insert(names.end(), {"dds_dt", "dds_domega"});
        std::vector<py::array_t<double>> arrays;
        std::vector<double*> out;
        for (std::size_t k = 0; k < names.size(); ++k) {
            arrays.emplace_back(shape);
            out.push_back(arrays.back().mutable_data());
        }
        const double to_nb = choice_.cross_section_unit() == "nb" ? 1.0 : 1000.0;
        const double nan = std::numeric_limits<double>::quiet_NaN();
        // the model of each point's epsilon (and KM's beam energy); a point the beam cannot reach: the settings' own
        const auto setting = [&](std::size_t i) {
            if (!has_beam || std::isnan(eps[i])) return std::pair{nan, nan};
            return std::pair{eps[i], km ? value(args.back(), i) : nan};
        };
        const auto point = [&](std::size_t i, const kavrin::frontend::AnyModel& model) {
            {
                const double a = value(args[2], i);
                const Angle angle_i = kind == Angle::Kind::minus_t ? Angle::minus_t(a)
                                      : kind == Angle::Kind::theta ? Angle::theta(a)
                                                                   : Angle::cos_theta(a);
                const bool eps_ok = !std::isnan(eps[i]);
                const Observables x = kavrin::frontend::evaluate(model, value(args[0], i), value(args[1], i), angle_i);
                const double phi = has_phi ? value(args[3], i) * 3.14159265358979323846 / 180.0 : nan;
                const kavrin::Measured me =
                    kavrin::measured(x, eps[i], phi, has_beam ? value(args.back(), i) : nan, m);
                const kavrin::CrossSections& t = x.dsigma_dt;
                const kavrin::CrossSections& o = x.dsigma_domega;
                const double u_t = eps_ok ? t.u : nan, u_o = eps_ok ? o.u : nan;
                const double v[] = {t.t, t.l, t.tt, t.lt, t.ltp, u_t, o.t, o.l, o.tt, o.lt, o.ltp, u_o, x.lt_ratio,
                                    eps_ok ? x.bsa : nan, eps[i], me.alu_sinphi, me.sigma_ltp_over_sigma0};
                std::size_t k = 0;
                for (double y : v) out[k++][i] = y;
                if (has_phi) {
                    out[k++][i] = me.alu;
                    out[k++][i] = me.d2sigma_dt_dphi;
                }
                if (has_phi && has_beam) out[k++][i] = me.d4sigma * to_nb;
                if (dds_) {
                    out[k++][i] = x.dds_dt;
                    out[k++][i] = x.dds_domega;
                }
            }
        };
        bool interrupted = false;
        {
            py::gil_scoped_release release;
            // Ctrl-C is looked at between blocks of this thread (a few milliseconds apart)
            const bool done = kavrin::frontend::evaluate_points(choice_, n, nthreads, setting, point, [&] {
                py::gil_scoped_acquire gil;
                if (PyErr_CheckSignals() != 0) interrupted = true;
                return !interrupted;
            });
            interrupted = interrupted || !done;
        }
        if (interrupted) throw py::error_already_set();
        py::dict result;
        for (std::size_t k = 0; k < names.size(); ++k) result[py::str(names[k])] = arrays[k];
        return result;
    }

    std::string repr() const {
        std::ostringstream s;
        s << "kavrin.Model('" << model_ << "', '" << channel_ << "'";
        for (const auto& [k, v] : options_) s << ", " << std::string(py::str(k)) << "=" << std::string(py::repr(v));
        s << ")";
        return s.str();
    }

    const std::string& model() const { return model_; }
    const std::string& channel() const { return channel_; }
    py::dict options() const { return py::dict(options_); }
    py::dict settings() const {
        py::dict d;
        for (const ModelChoice::Used& u : choice_.used()) d[py::str(u.name)] = u.value;
        return d;
    }

private:
    ModelChoice make(const std::string& model, const std::string& channel, const py::dict& kw) {
        const std::optional<ModelName> m = kavrin::frontend::model_named(model);
        if (!m) throw py::value_error("invalid model '" + model + "': expected 'regge', 'km', 'vr' or 'qvm'");
        const std::optional<Channel> c = kavrin::frontend::channel_named(channel);
        if (!c) throw py::value_error("invalid channel '" + channel + "': expected 'pi+n', 'pi-p', 'pi0p' or 'pi0n'");
        try {
            return ModelChoice(*m, *c, settings_of(*m, kw), kavrin::frontend::module_table_path());
        } catch (const kavrin::frontend::SettingsError& e) {
            bool type = false;
            for (const auto& p : e.problems()) type = type || p.kind != kavrin::frontend::SettingProblem::Kind::invalid_value;
            if (type) throw py::type_error(e.what());
            throw py::value_error(e.what());
        }
    }

    std::string model_;
    std::string channel_;
    py::dict options_;
    ModelChoice choice_;
    bool dds_ = false;
};

// The Model behind `self`; TypeError for an object whose __init__ never ran (Model.__new__, a bare pickle).
bool initialised(const py::handle& self) {
    auto* inst = reinterpret_cast<py::detail::instance*>(self.ptr());
    const py::detail::value_and_holder vh = inst->get_value_and_holder(py::detail::get_type_info(typeid(Model)));
    return vh && vh.holder_constructed();
}

const Model& self_of(const py::handle& self) {
    if (!initialised(self))
        throw py::type_error("this kavrin.Model was never initialised: make one with kavrin.Model(model, channel, **options)");
    return self.cast<const Model&>();
}

std::string options_help() {
    std::string s;
    for (ModelName m : {ModelName::regge, ModelName::km, ModelName::vr, ModelName::qvm}) {
        s += "  " + std::string(kavrin::frontend::name_of(m)) + ":\n";
        for (const OptionInfo& o : kavrin::frontend::options_of(m)) {
            std::string values = o.unit;
            if (!o.choices.empty()) {
                values.clear();
                for (const std::string& c : o.choices) values += (values.empty() ? "'" : " | '") + c + "'";
            } else if (o.type == OptionInfo::Type::flag) {
                values = "bool";
            }
            if (o.name.rfind("dds.", 0) == 0) continue;
            s += "    " + o.name + (values.empty() ? "" : " (" + values + ")") + ": " + o.description + "\n";
        }
    }
    s += "    dds: {'type': 'desy' | 'cornell_fixed' | 'cornell_averaged' | 'cea' | 'jlab', 'phi': radians, 'cos_phi', "
         "'cos_2phi'} (regge; default: no DDS)\n";
    return s;
}

}  // namespace

// kavrin.generate: the events of kavrin-gen as numpy arrays
void add_generate(py::module_& m);

PYBIND11_MODULE(kavrin, m) {
    m.doc() = R"(Exclusive pion electroproduction gamma* N -> pi N' in Regge models, evaluated on numpy arrays.

Model("regge" | "km" | "vr" | "qvm", "pi+n" | "pi-p" | "pi0p" | "pi0n", **options) builds a model once (every
option has a default); Model.evaluate(W, Q2, minus_t=... | theta=... | cos_theta=..., phi_deg=..., E_beam=...)
returns its observables, among them those experiments publish (ALU, ALU_sinphi, sigmaLTp_over_sigma0,
d2sigma_dt_dphi, d4sigma). Units: W in GeV, Q2 and -t in GeV^2, angles theta in radians and phi_deg in degrees
(Trento), E_beam in GeV; cross sections in microbarn/GeV^2 (_dt) and microbarn/sr (_domega), or nanobarn with
the regge model's unit="nanobarn"; d4sigma in nb/GeV^4. Points outside the physical region give NaN.)";
    m.attr("__version__") = KAVRIN_VERSION;
    m.attr("MAX_POINTS") = kMaxPoints;

    const std::string doc = R"(A model with its settings fixed: immutable, picklable, safe to share between threads.

Model(model, channel, **options)

model: "regge" (the model of kavrin-regge), "km", "vr" or "qvm" (the models of kavrin-models).
channel: "pi+n" (gamma* p -> pi+ n), "pi-p" (gamma* n -> pi- p), "pi0p" (gamma* p -> pi0 p), "pi0n" (regge only).
options (each given only where it applies; every one has the default shown):
)" + options_help() + R"(An unknown keyword or a value of the wrong type raises TypeError, a value out of range ValueError, naming
every bad option at once. Model.settings gives every option as used, defaults included.)";
    py::class_<Model>(m, "Model", doc.c_str())
        .def(py::init<const std::string&, const std::string&, const py::kwargs&>(), py::arg("model"), py::arg("channel"))
        .def("evaluate",
             [](const py::object& self, const py::object& w, const py::object& q2, const py::object& minus_t,
                const py::object& theta, const py::object& cos_theta, const py::object& phi_deg, const py::object& e_beam,
                const py::object& threads) {
                 return self_of(self).evaluate(w, q2, minus_t, theta, cos_theta, phi_deg, e_beam, threads);
             },
             py::arg("W"), py::arg("Q2"), py::kw_only(), py::arg("minus_t") = py::none(), py::arg("theta") = py::none(),
             py::arg("cos_theta") = py::none(), py::arg("phi_deg") = py::none(), py::arg("E_beam") = py::none(),
             py::arg("threads") = py::none(),
             R"(Observables at W (GeV), Q2 (GeV^2) and one of minus_t (GeV^2), theta (radians), cos_theta; optionally
phi_deg (the Trento angle, degrees) and E_beam (the beam energy, GeV: epsilon of each point follows from it, else
the model's epsilon).

Numbers and numeric numpy arrays broadcast together (at most kavrin.MAX_POINTS points; no copy of a broadcast
argument is made). Returns a dict of float64 arrays of the broadcast shape: dsigmaT_dt, dsigmaL_dt, dsigmaTT_dt,
dsigmaLT_dt, dsigmaLTp_dt, dsigmaU_dt (per GeV^2), the same six ending _domega (per sr), L_over_T, BSA (the
model's own asymmetry rule), eps, ALU_sinphi, sigmaLTp_over_sigma0; with phi_deg ALU and d2sigma_dt_dphi (per
GeV^2 per radian); with phi_deg and E_beam d4sigma (nb/GeV^4 per radian); for the regge model with a dds
convention dds_dt and dds_domega. dsigma_LT' has one sign for every model (that of KM, VR and QVM). The points
are split over `threads` threads (default: all cores) without the GIL; the numbers do not depend on the thread
count; Ctrl-C stops the call within milliseconds.)")
        .def_property_readonly("model", [](const py::object& self) { return self_of(self).model(); }, "The model name.")
        .def_property_readonly("channel", [](const py::object& self) { return self_of(self).channel(); }, "The channel name.")
        .def_property_readonly("options", [](const py::object& self) { return self_of(self).options(); }, "The options, as given.")
        .def_property_readonly("settings", [](const py::object& self) { return self_of(self).settings(); },
                               "Every option as used, defaults included, as text.")
        .def("__repr__", [](const py::object& self) {
            return initialised(self) ? self_of(self).repr() : std::string("<kavrin.Model, never initialised>");
        })
        .def(py::pickle(
            [](const py::object& self) {
                const Model& x = self_of(self);
                return py::make_tuple(x.model(), x.channel(), x.options());
            },
            [](const py::tuple& t) {
                if (t.size() != 3 || !py::isinstance<py::str>(t[0]) || !py::isinstance<py::str>(t[1]) ||
                    !py::isinstance<py::dict>(t[2]))
                    throw py::type_error("not the pickled state of a kavrin.Model");
                return Model(t[0].cast<std::string>(), t[1].cast<std::string>(), py::kwargs(t[2].cast<py::dict>()));
            }));
    add_generate(m);
}
