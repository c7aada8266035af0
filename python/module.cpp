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
#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "kavrin/models.hpp"
#include "kavrin/regge.hpp"

namespace py = pybind11;

namespace {

using kavrin::Angle;
using kavrin::Channel;
using kavrin::Observables;

// ---- names of the Python surface ---------------------------------------------------------------------

const std::map<std::string, Channel> kChannels = {
    {"pi+n", Channel::pi_plus_n}, {"pi-p", Channel::pi_minus_p}, {"pi0p", Channel::pi0_p}, {"pi0n", Channel::pi0_n}};

template <class E>
E choice(const std::string& option, const py::handle& value, const std::map<std::string, E>& names) {
    const std::string s = py::str(value);
    const auto it = names.find(s);
    if (it != names.end() && py::isinstance<py::str>(value)) return it->second;
    std::string valid;
    for (const auto& [name, e] : names) valid += (valid.empty() ? "'" : ", '") + name + "'";
    throw py::value_error("invalid option " + option + " = " + std::string(py::repr(value)) + ": expected one of " +
                          valid);
}

double real(const std::string& option, const py::handle& value) {
    if (py::isinstance<py::bool_>(value) || !(py::isinstance<py::float_>(value) || py::isinstance<py::int_>(value)))
        throw py::value_error("invalid option " + option + " = " + std::string(py::repr(value)) + ": expected a number");
    return value.cast<double>();
}

bool flag(const std::string& option, const py::handle& value) {
    if (!py::isinstance<py::bool_>(value))
        throw py::value_error("invalid option " + option + " = " + std::string(py::repr(value)) +
                              ": expected True or False");
    return value.cast<bool>();
}

kavrin::regge::Dds dds_of(const py::handle& value) {
    using kavrin::regge::DdsType;
    if (!py::isinstance<py::dict>(value))
        throw py::value_error("invalid option dds = " + std::string(py::repr(value)) +
                              ": expected a dict with 'type' and, where the convention takes them, 'phi' or "
                              "'cos_phi' and 'cos_2phi'");
    kavrin::regge::Dds d;
    for (const auto& [key, v] : value.cast<py::dict>()) {
        const std::string k = py::str(key);
        if (k == "type")
            d.type = choice<DdsType>("dds.type", v,
                                     {{"desy", DdsType::desy}, {"cornell_fixed", DdsType::cornell_fixed},
                                      {"cornell_averaged", DdsType::cornell_averaged}, {"cea", DdsType::cea},
                                      {"jlab", DdsType::jlab}});
        else if (k == "phi")
            d.phi = real("dds.phi", v);
        else if (k == "cos_phi")
            d.cos_phi = real("dds.cos_phi", v);
        else if (k == "cos_2phi")
            d.cos_2phi = real("dds.cos_2phi", v);
        else
            throw py::type_error("unknown key '" + k + "' of option dds (type, phi, cos_phi, cos_2phi)");
    }
    return d;
}

kavrin::regge::Options regge_options(Channel channel, const py::dict& kw) {
    using namespace kavrin::regge;
    Options o;
    o.channel = channel;
    for (const auto& [key, v] : kw) {
        const std::string k = py::str(key);
        if (k == "form_factors")
            o.form_factors = choice<FormFactors>(k, v, {{"gpd", FormFactors::gpd}, {"dipole", FormFactors::dipole}});
        else if (k == "gpd_slope_per_gev2")
            o.gpd_slope_per_gev2 = real(k, v);
        else if (k == "nucleon_cutoff_gev")
            o.nucleon_cutoff_gev = real(k, v);
        else if (k == "pauli_terms")
            o.pauli_terms = flag(k, v);
        else if (k == "pion_cutoff_mev")
            o.pion_cutoff_mev = real(k, v);
        else if (k == "a1_sign")
            o.a1_sign = choice<A1Sign>(k, v, {{"positive", A1Sign::positive}, {"negative", A1Sign::negative}});
        else if (k == "omega_phase")
            o.omega_phase = choice<OmegaPhase>(
                k, v, {{"non_degenerate", OmegaPhase::non_degenerate}, {"degenerate", OmegaPhase::degenerate}});
        else if (k == "omega_cutoff_mev")
            o.omega_cutoff_mev = real(k, v);
        else if (k == "born_terms")
            o.born_terms = flag(k, v);
        else if (k == "epsilon")
            o.epsilon = real(k, v);
        else if (k == "dds")
            o.dds = dds_of(v);
        else if (k == "unit")
            o.unit = choice<kavrin::CrossSectionUnit>(
                k, v, {{"microbarn", kavrin::CrossSectionUnit::microbarn}, {"nanobarn", kavrin::CrossSectionUnit::nanobarn}});
        else
            throw py::type_error("Model() got an unexpected keyword argument '" + k + "' for the regge model");
    }
    return o;
}

kavrin::models::Options models_options(Channel channel, kavrin::models::ModelKind model, const py::dict& kw) {
    kavrin::models::Options o;
    o.channel = channel;
    o.model = model;
    for (const auto& [key, v] : kw) {
        const std::string k = py::str(key);
        if (k == "pion_cutoff_gev")
            o.pion_cutoff_gev = real(k, v);
        else if (k == "nucleon_cutoff_gev")
            o.nucleon_cutoff_gev = real(k, v);
        else if (k == "epsilon")
            o.epsilon = real(k, v);
        else if (k == "beam_energy_gev")
            o.beam_energy_gev = real(k, v);
        else
            throw py::type_error("Model() got an unexpected keyword argument '" + k + "' for the KM, VR and QVM models");
    }
    return o;
}

// ---- the observables written per point -------------------------------------------------------------

constexpr std::array<const char*, 14> kKeys = {
    "dsigmaT_dt",      "dsigmaL_dt",      "dsigmaTT_dt",     "dsigmaLT_dt",      "dsigmaLTp_dt",
    "dsigmaU_dt",      "dsigmaT_domega",  "dsigmaL_domega",  "dsigmaTT_domega",  "dsigmaLT_domega",
    "dsigmaLTp_domega", "dsigmaU_domega", "L_over_T",        "BSA"};

void store(const Observables& x, std::array<double*, 16>& out, std::size_t i, bool dds) {
    const kavrin::CrossSections& t = x.dsigma_dt;
    const kavrin::CrossSections& w = x.dsigma_domega;
    const double v[14] = {t.t, t.l, t.tt, t.lt, t.ltp, t.u, w.t, w.l, w.tt, w.lt, w.ltp, w.u, x.lt_ratio, x.bsa};
    for (std::size_t k = 0; k < 14; ++k) out[k][i] = v[k];
    if (dds) {
        out[14][i] = x.dds_dt;
        out[15][i] = x.dds_domega;
    }
}

using AnyModel = std::variant<kavrin::regge::Model, kavrin::models::Model>;

// The C++ model of the Python arguments; InvalidSetting becomes ValueError.
AnyModel build(const std::string& model, const std::string& channel, const py::dict& options) {
    const auto c = kChannels.find(channel);
    if (c == kChannels.end())
        throw py::value_error("invalid channel '" + channel + "': expected 'pi+n', 'pi-p', 'pi0p' or 'pi0n'");
    try {
        if (model == "regge") {
            return kavrin::regge::Model(kavrin::regge::Settings(regge_options(c->second, options)));
        }
        static const std::map<std::string, kavrin::models::ModelKind> kinds = {
            {"km", kavrin::models::ModelKind::km}, {"vr", kavrin::models::ModelKind::vr},
            {"qvm", kavrin::models::ModelKind::qvm}};
        const auto k = kinds.find(model);
        if (k == kinds.end()) throw py::value_error("invalid model '" + model + "': expected 'regge', 'km', 'vr' or 'qvm'");
        return kavrin::models::Model(kavrin::models::Settings(models_options(c->second, k->second, options)));
    } catch (const kavrin::InvalidSetting& e) {
        throw py::value_error(e.what());
    }
}

class Model {
public:
    Model(const std::string& model, const std::string& channel, const py::kwargs& kw)
        : model_(model), channel_(channel), options_(py::dict(kw)), impl_(build(model, channel, options_)) {
        if (const auto* r = std::get_if<kavrin::regge::Model>(&impl_)) dds_ = r->settings().options().dds.has_value();
    }

    py::dict evaluate(const py::object& w, const py::object& q2, const py::object& minus_t, const py::object& theta,
                      const py::object& cos_theta, const py::object& threads) const {
        const int given = !minus_t.is_none() + !theta.is_none() + !cos_theta.is_none();
        if (given != 1)
            throw py::type_error("evaluate() takes exactly one of minus_t, theta and cos_theta (" +
                                 std::to_string(given) + " given)");
        const Angle::Kind kind = !minus_t.is_none() ? Angle::Kind::minus_t
                                 : !theta.is_none() ? Angle::Kind::theta
                                                    : Angle::Kind::cos_theta;
        const py::object angle = !minus_t.is_none() ? minus_t : !theta.is_none() ? theta : cos_theta;

        const py::module_ np = py::module_::import("numpy");
        const py::tuple b = np.attr("broadcast_arrays")(np.attr("asarray")(w, "float64"),
                                                        np.attr("asarray")(q2, "float64"),
                                                        np.attr("asarray")(angle, "float64"));
        const auto in = [&](int k) { return py::array_t<double, py::array::c_style | py::array::forcecast>(b[k]); };
        const py::array_t<double, py::array::c_style | py::array::forcecast> aw = in(0), aq = in(1), aa = in(2);
        const std::vector<py::ssize_t> shape(aw.shape(), aw.shape() + aw.ndim());
        const std::size_t n = static_cast<std::size_t>(aw.size());

        std::vector<py::array_t<double>> arrays;
        std::array<double*, 16> out{};
        const std::size_t keys = dds_ ? 16 : 14;
        for (std::size_t k = 0; k < keys; ++k) {
            arrays.emplace_back(shape);
            out[k] = arrays.back().mutable_data();
        }
        const double* pw = aw.data();
        const double* pq = aq.data();
        const double* pa = aa.data();

        std::size_t nthreads = threads.is_none() ? std::max(1u, std::thread::hardware_concurrency())
                                                 : static_cast<std::size_t>(std::max(1, threads.cast<int>()));
        nthreads = std::min(nthreads, std::max<std::size_t>(1, n / 64));  // small arrays: no thread start-up
        {
            py::gil_scoped_release release;
            const auto work = [&](std::size_t begin, std::size_t end) {
                for (std::size_t i = begin; i < end; ++i) {
                    const Angle a = kind == Angle::Kind::minus_t ? Angle::minus_t(pa[i])
                                    : kind == Angle::Kind::theta ? Angle::theta(pa[i])
                                                                 : Angle::cos_theta(pa[i]);
                    const Observables x = std::visit([&](const auto& m) { return m.evaluate(pw[i], pq[i], a); },
                                                     impl_);
                    store(x, out, i, dds_);
                }
            };
            if (nthreads == 1) {
                work(0, n);
            } else {
                std::vector<std::thread> pool;
                for (std::size_t t = 0; t < nthreads; ++t)
                    pool.emplace_back(work, n * t / nthreads, n * (t + 1) / nthreads);
                for (std::thread& t : pool) t.join();
            }
        }
        py::dict result;
        for (std::size_t k = 0; k < 14; ++k) result[kKeys[k]] = arrays[k];
        if (dds_) {
            result["dds_dt"] = arrays[14];
            result["dds_domega"] = arrays[15];
        }
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

private:
    std::string model_;
    std::string channel_;
    py::dict options_;
    AnyModel impl_;
    bool dds_ = false;
};

}  // namespace

PYBIND11_MODULE(kavrin, m) {
    m.doc() = R"(Exclusive pion electroproduction gamma* N -> pi N' in Regge models, evaluated on numpy arrays.

Model("regge" | "km" | "vr" | "qvm", "pi+n" | "pi-p" | "pi0p" | "pi0n", **options) builds a model once;
Model.evaluate(W, Q2, minus_t=... | theta=... | cos_theta=...) returns its observables. Units: W in GeV,
Q2 and -t in GeV^2, angles in radians; cross sections in microbarn/GeV^2 (_dt) and microbarn/sr (_domega),
or nanobarn with the regge model's unit="nanobarn". Points outside the physical region give NaN.)";
    m.attr("__version__") = KAVRIN_VERSION;

    py::class_<Model>(m, "Model", R"(A model with its settings fixed: immutable, picklable, safe to share between threads.

Model(model, channel, **options)

model: "regge" (the model of kavrin-regge), "km", "vr" or "qvm" (the models of kavrin-models).
channel: "pi+n" (gamma* p -> pi+ n), "pi-p" (gamma* n -> pi- p), "pi0p" (gamma* p -> pi0 p), "pi0n" (regge only).
options, as the members of the C++ options (each given exactly where it applies, checked as in C++):
  regge: form_factors ("gpd" | "dipole"), gpd_slope_per_gev2, nucleon_cutoff_gev, pauli_terms (bool),
         pion_cutoff_mev, a1_sign ("positive" | "negative"), omega_phase ("non_degenerate" | "degenerate"),
         omega_cutoff_mev, born_terms (bool), epsilon, dds ({"type": "desy" | "cornell_fixed" |
         "cornell_averaged" | "cea" | "jlab", "phi": radians, "cos_phi": ..., "cos_2phi": ...}),
         unit ("microbarn" | "nanobarn").
  km, vr, qvm: pion_cutoff_gev (charged channels), nucleon_cutoff_gev (qvm), epsilon, beam_energy_gev (km).
A bad value raises ValueError naming the option and the value; an unknown keyword raises TypeError.)")
        .def(py::init<const std::string&, const std::string&, const py::kwargs&>(), py::arg("model"), py::arg("channel"))
        .def("evaluate", &Model::evaluate, py::arg("W"), py::arg("Q2"), py::kw_only(), py::arg("minus_t") = py::none(),
             py::arg("theta") = py::none(), py::arg("cos_theta") = py::none(), py::arg("threads") = py::none(),
             R"(Observables at W (GeV), Q2 (GeV^2) and one of minus_t (GeV^2), theta (radians), cos_theta.

Scalars and numpy arrays broadcast together. Returns a dict of float64 arrays of the broadcast shape:
dsigmaT_dt, dsigmaL_dt, dsigmaTT_dt, dsigmaLT_dt, dsigmaLTp_dt, dsigmaU_dt (per GeV^2), the same six
ending _domega (per sr), L_over_T, BSA, and for the regge model with a dds convention dds_dt and dds_domega.
The points are split over `threads` threads (default: all cores) without the GIL; the numbers do not depend
on the thread count.)")
        .def_property_readonly("model", &Model::model, "The model name.")
        .def_property_readonly("channel", &Model::channel, "The channel name.")
        .def_property_readonly("options", &Model::options, "The options, as given.")
        .def("__repr__", &Model::repr)
        .def(py::pickle(
            [](const Model& x) { return py::make_tuple(x.model(), x.channel(), x.options()); },
            [](const py::tuple& t) {
                return Model(t[0].cast<std::string>(), t[1].cast<std::string>(), py::kwargs(t[2].cast<py::dict>()));
            }));
}
