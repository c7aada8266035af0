#include "kavrin-serve/api.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <numbers>
#include <optional>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "frontend/catalog.hpp"
#include "frontend/data_files.hpp"
#include "frontend/parallel.hpp"

namespace kavrin::serve {

namespace {

using nlohmann::json;
using frontend::ModelChoice;
using frontend::ModelName;
using frontend::quantity_count;
using Clock = std::chrono::steady_clock;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double deg = std::numbers::pi / 180.0;

/// A request the API refuses (HTTP 400), with the message naming what is wrong.
struct BadRequest : std::runtime_error {
    using std::runtime_error::runtime_error;
};
/// A request that ran out of its computing time (HTTP 503).
struct OutOfTime : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// ---- JSON output: numbers in their shortest form that reads back to the same double, NaN and inf as null ----

void put(std::string& out, double v) {
    if (!std::isfinite(v)) {
        out += "null";
        return;
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void put(std::string& out, const std::string& s) { out += json(s).dump(); }

void put_array(std::string& out, const std::string& name, const std::vector<double>& v) {
    put(out, name);
    out += ":[";
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) out += ',';
        put(out, v[i]);
    }
    out += ']';
}

// ---- the kinematics of a request ----

struct Domain {
    const char* name;
    const char* unit;
    double low, high;
    bool low_open;
};
// The values a scan may take (a point inside them may still be unphysical and gives null).
constexpr std::array<Domain, 7> domains = {{{"W", "GeV", 0, 100, true},
                                           {"xB", "", 0, 1, true},
                                           {"Q2", "GeV^2", 0, 100, false},
                                           {"minus_t", "GeV^2", 0, 100, false},
                                           {"theta_deg", "degree", 0, 180, false},
                                           {"cos_theta", "", -1, 1, false},
                                           {"phi_deg", "degree", -360, 360, false}}};
const std::array<const char*, 9> point_keys = {"W", "xB", "Q2", "minus_t", "theta_deg", "cos_theta",
                                               "eps", "E_beam", "phi_deg"};

struct Points {
    std::size_t n = 0;
    std::map<std::string, std::vector<double>> columns;  // every column has n values
    bool has(const char* k) const { return columns.count(k) > 0; }
    const std::vector<double>& at(const char* k) const { return columns.at(k); }
};

using frontend::text_of;

// Which variables a set of kinematic columns gives, checked: one of W and xB, Q2, one pion angle, at most one of
// eps and E_beam (eps wins when both: then E_beam is the beam energy of d4sigma and of the KM asymmetry).
void check_kinematics(const Points& p, const std::string& where) {
    const auto count = [&](std::initializer_list<const char*> keys) {
        int n = 0;
        for (const char* k : keys) n += p.has(k) ? 1 : 0;
        return n;
    };
    if (count({"W", "xB"}) != 1) throw BadRequest(where + ": give exactly one of W and xB");
    if (count({"Q2"}) != 1) throw BadRequest(where + ": give Q2");
    if (count({"minus_t", "theta_deg", "cos_theta"}) != 1)
        throw BadRequest(where + ": give exactly one of minus_t, theta_deg and cos_theta");
    if (p.has("eps"))
        for (double e : p.at("eps"))
            if (!(e >= 0 && e <= 1)) throw BadRequest(where + ": eps = " + text_of(e) + " (0 to 1)");
}

double number_at(const json& v, const std::string& where) {
    if (!v.is_number()) throw BadRequest(where + " is not a number");
    const double x = v.get<double>();
    if (!std::isfinite(x)) throw BadRequest(where + " is not a finite number");
    return x;
}

bool is_point_key(const std::string& k) {
    for (const char* p : point_keys)
        if (k == p) return true;
    return false;
}

Points points_of(const json& j, std::size_t max_points) {
    if (!j.is_object()) throw BadRequest("points: expected an object of kinematic columns");
    Points p;
    std::size_t n = 1;
    bool any_array = false;
    for (const auto& [k, v] : j.items())
        if (v.is_array()) {
            if (any_array && v.size() != n)
                throw BadRequest("points: the columns have different lengths (" + k + " has " +
                                 std::to_string(v.size()) + ", others " + std::to_string(n) + ")");
            n = v.size();
            any_array = true;
        }
    if (n > max_points)
        throw BadRequest("points: " + std::to_string(n) + " points, more than the " + std::to_string(max_points) +
                         " of one request");
    for (const auto& [k, v] : j.items()) {
        if (!is_point_key(k))
            throw BadRequest("points: unknown column " + k +
                             " (W, xB, Q2, minus_t, theta_deg, cos_theta, eps, E_beam, phi_deg)");
        std::vector<double>& c = p.columns[k];
        c.reserve(n);
        if (v.is_array())
            for (std::size_t i = 0; i < v.size(); ++i) c.push_back(number_at(v[i], "points." + k + "[" + std::to_string(i) + "]"));
        else
            c.assign(n, number_at(v, "points." + k));
    }
    p.n = n;
    check_kinematics(p, "points");
    return p;
}

Points scan_of(const json& j, std::size_t max_points) {
    if (!j.is_object()) throw BadRequest("scan: expected an object");
    if (!j.contains("variable") || !j["variable"].is_string()) throw BadRequest("scan: give the variable (a name)");
    const std::string var = j["variable"].get<std::string>();
    const Domain* dom = nullptr;
    for (const Domain& d : domains)
        if (var == d.name) dom = &d;
    if (!dom) throw BadRequest("scan: unknown variable " + var + " (W, xB, Q2, minus_t, theta_deg, cos_theta, phi_deg)");
    for (const char* k : {"from", "to", "steps"})
        if (!j.contains(k)) throw BadRequest(std::string("scan: give ") + k);
    const double from = number_at(j["from"], "scan.from"), to = number_at(j["to"], "scan.to");
    const double steps_d = number_at(j["steps"], "scan.steps");
    if (steps_d != std::floor(steps_d) || steps_d < 1 || steps_d > static_cast<double>(max_points))
        throw BadRequest("scan.steps = " + text_of(steps_d) + ": a whole number from 1 to " + std::to_string(max_points));
    for (double x : {from, to}) {
        const bool below = dom->low_open ? x <= dom->low : x < dom->low;
        if (below || x > dom->high)
            throw BadRequest("scan: " + var + " = " + text_of(x) + " is beyond the limits of a scan (" +
                             text_of(dom->low) + (dom->low_open ? " < " : " <= ") + var + " <= " + text_of(dom->high) +
                             (*dom->unit ? std::string(" ") + dom->unit : std::string()) + ")");
    }
    Points p;
    p.n = static_cast<std::size_t>(steps_d);
    std::vector<double>& c = p.columns[var];
    for (std::size_t i = 0; i < p.n; ++i)
        c.push_back(p.n == 1 ? from : from + (to - from) * static_cast<double>(i) / static_cast<double>(p.n - 1));
    if (p.n > 1) c.back() = to;
    for (const auto& [k, v] : j.items()) {
        if (k == "variable" || k == "from" || k == "to" || k == "steps") continue;
        if (!is_point_key(k))
            throw BadRequest("scan: unknown key " + k +
                             " (variable, from, to, steps and the fixed W, xB, Q2, minus_t, theta_deg, cos_theta, eps, "
                             "E_beam, phi_deg)");
        if (k == var) throw BadRequest("scan: " + k + " is the scan variable and cannot also be fixed");
        p.columns[k].assign(p.n, number_at(v, "scan." + k));
    }
    check_kinematics(p, "scan");
    return p;
}

// ---- the models of a request ----

struct ModelRequest {
    std::string name;
    std::vector<std::pair<std::string, std::string>> options;
};

std::vector<std::pair<std::string, std::string>> options_of_json(const json& o, const std::string& where) {
    if (!o.is_object()) throw BadRequest(where + ": expected an object of option names and values");
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& [k, v] : o.items()) {
        if (v.is_boolean())
            out.emplace_back(k, v.get<bool>() ? "true" : "false");
        else if (v.is_number()) {
            const double x = v.get<double>();
            if (!std::isfinite(x)) throw BadRequest(where + "." + k + " is not a finite number");
            out.emplace_back(k, text_of(x));
        } else if (v.is_string())
            out.emplace_back(k, v.get<std::string>());
        else
            throw BadRequest(where + "." + k + ": expected a number, a name or true/false");
    }
    return out;
}

std::vector<ModelRequest> models_of(const json& j, bool& many) {
    std::vector<ModelRequest> out;
    if (j.contains("model") == j.contains("models")) throw BadRequest("give either model or models");
    many = j.contains("models");
    if (!many) {
        if (!j["model"].is_string()) throw BadRequest("model: expected a name (regge, km, vr, qvm)");
        out.push_back({j["model"].get<std::string>(), {}});
        if (j.contains("options")) out.back().options = options_of_json(j["options"], "options");
        return out;
    }
    if (j.contains("options")) throw BadRequest("options: with models, give each model's options in its entry");
    const json& m = j["models"];
    if (!m.is_array() || m.empty() || m.size() > 8) throw BadRequest("models: expected a list of 1 to 8 models");
    for (std::size_t i = 0; i < m.size(); ++i) {
        const std::string where = "models[" + std::to_string(i) + "]";
        if (m[i].is_string()) {
            out.push_back({m[i].get<std::string>(), {}});
        } else if (m[i].is_object() && m[i].contains("model") && m[i]["model"].is_string()) {
            out.push_back({m[i]["model"].get<std::string>(), {}});
            for (const auto& [k, v] : m[i].items())
                if (k == "options")
                    out.back().options = options_of_json(v, where + ".options");
                else if (k != "model")
                    throw BadRequest(where + ": unknown key " + k + " (model, options)");
        } else {
            throw BadRequest(where + ": expected a model name or {\"model\": name, \"options\": {...}}");
        }
    }
    return out;
}

Channel channel_of(const json& j, const std::string& fallback) {
    if (!j.contains("channel")) {
        if (const auto c = frontend::channel_named(fallback)) return *c;
        throw BadRequest("give the channel (pi+n, pi-p, pi0p, pi0n)");
    }
    if (!j["channel"].is_string()) throw BadRequest("channel: expected a name (pi+n, pi-p, pi0p, pi0n)");
    const std::string c = j["channel"].get<std::string>();
    const auto ch = frontend::channel_named(c);
    if (!ch) throw BadRequest("unknown channel " + c + " (pi+n, pi-p, pi0p, pi0n)");
    return *ch;
}

std::unique_ptr<ModelChoice> choice_of(const ModelRequest& r, Channel channel) {
    const auto model = frontend::model_named(r.name);
    if (!model) throw BadRequest("unknown model " + r.name + " (regge, km, vr, qvm)");
    try {
        return std::make_unique<ModelChoice>(*model, channel, r.options, frontend::program_table_path());
    } catch (const frontend::SettingsError& e) {
        std::string msg = "model " + r.name + ": ";
        for (std::size_t i = 0; i < e.problems().size(); ++i) msg += (i ? "; " : "") + e.problems()[i].message;
        throw BadRequest(msg);
    }
}

// ---- evaluation ----

struct Columns {
    std::vector<double> w, xb, minus_t, theta_deg, cos_theta, eps;
    std::vector<std::array<double, quantity_count>> values;
};

std::uint64_t bits_of(double x) {
    std::uint64_t b = 0;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

Columns compute(const ModelChoice& choice, const Points& p, Clock::time_point deadline, unsigned threads) {
    const std::size_t n = p.n;
    const double m = target_mass_gev(choice.channel());
    Columns c;
    c.w.resize(n), c.xb.resize(n), c.minus_t.resize(n), c.theta_deg.resize(n), c.cos_theta.resize(n), c.eps.resize(n);
    c.values.resize(n);
    const auto& q2 = p.at("Q2");
    const bool by_xb = p.has("xB");
    const std::vector<double>* beam = p.has("E_beam") ? &p.at("E_beam") : nullptr;
    const std::vector<double>* eps = p.has("eps") ? &p.at("eps") : nullptr;
    const bool km = choice.model() == ModelName::km;

    // one model per distinct (eps, beam energy of the KM asymmetry); a point whose beam cannot reach it gets none
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> key_index;
    std::vector<frontend::AnyModel> models;
    std::vector<std::size_t> model_of(n, SIZE_MAX);
    for (std::size_t i = 0; i < n; ++i) {
        if (by_xb) {
            c.xb[i] = p.at("xB")[i];
            c.w[i] = w_of(q2[i], c.xb[i], m);
        } else {
            c.w[i] = p.at("W")[i];
            c.xb[i] = xb_of(c.w[i], q2[i], m);
        }
        const double e_beam = beam ? (*beam)[i] : nan;
        c.eps[i] = eps ? (*eps)[i] : beam ? epsilon_of_beam(q2[i], c.xb[i], e_beam, m) : choice.epsilon();
        if (std::isnan(c.eps[i]) || (beam && !(e_beam > 0))) continue;
        const double model_beam = km ? e_beam : nan;
        const auto key = std::make_pair(bits_of(c.eps[i]), bits_of(model_beam));
        auto it = key_index.find(key);
        if (it == key_index.end()) {
            if (Clock::now() > deadline) throw OutOfTime("the request ran out of its computing time");
            try {
                models.push_back(choice.build(c.eps[i], model_beam));
            } catch (const frontend::SettingsError& e) {
                throw BadRequest("model " + std::string(frontend::name_of(choice.model())) + " at eps = " +
                                 text_of(c.eps[i]) + ": " + e.what());
            }
            it = key_index.emplace(key, models.size() - 1).first;
        }
        model_of[i] = it->second;
    }

    const char* angle_name = p.has("minus_t") ? "minus_t" : p.has("theta_deg") ? "theta_deg" : "cos_theta";
    const auto& angle = p.at(angle_name);
    const std::vector<double>* phi = p.has("phi_deg") ? &p.at("phi_deg") : nullptr;
    const auto work = [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const Angle a = angle_name[0] == 'm'   ? Angle::minus_t(angle[i])
                            : angle_name[0] == 't' ? Angle::theta(angle[i] * deg)
                                                   : Angle::cos_theta(angle[i]);
            Observables x;
            if (model_of[i] != SIZE_MAX) x = frontend::evaluate(models[model_of[i]], c.w[i], q2[i], a);
            c.minus_t[i] = angle_name[0] == 'm' ? angle[i] : -x.t;
            c.theta_deg[i] = angle_name[0] == 't' ? angle[i] : x.theta / deg;
            c.cos_theta[i] = angle_name[0] == 'c' ? angle[i] : x.cos_theta;
            if (model_of[i] == SIZE_MAX) {
                c.values[i].fill(nan);
                continue;
            }
            c.values[i] = frontend::values_of(x, c.eps[i], phi ? (*phi)[i] * deg : nan, beam ? (*beam)[i] : nan,
                                              choice.channel());
        }
    };
    const bool done = frontend::run_blocks(n, n >= 4096 ? threads : 1u, 256, work,
                                           [&] { return Clock::now() <= deadline; });
    if (!done) throw OutOfTime("the request ran out of its computing time");
    return c;
}

void put_choice(std::string& out, const ModelChoice& choice) {
    out += "\"model\":";
    put(out, std::string(frontend::name_of(choice.model())));
    out += ",\"channel\":";
    put(out, std::string(frontend::name_of(choice.channel())));
    out += ",\"unit\":";
    put(out, std::string(choice.cross_section_unit()));
    out += ",\"options\":[";
    bool first = true;
    for (const auto& u : choice.used()) {
        out += first ? "" : ",";
        first = false;
        out += "{\"name\":";
        put(out, u.name);
        out += ",\"value\":";
        put(out, u.value);
        out += u.is_default ? ",\"default\":true}" : ",\"default\":false}";
    }
    out += ']';
}

std::string evaluation_json(const ModelChoice& choice, const Points& p, const Columns& c) {
    std::string out;
    out.reserve(p.n * 24 * 20 + 512);
    out += '{';
    put_choice(out, choice);
    out += ",\"n\":" + std::to_string(p.n) + ',';
    put_array(out, "W", c.w), out += ',';
    put_array(out, "Q2", p.at("Q2")), out += ',';
    put_array(out, "xB", c.xb), out += ',';
    put_array(out, "minus_t", c.minus_t), out += ',';
    put_array(out, "theta_deg", c.theta_deg), out += ',';
    put_array(out, "cos_theta", c.cos_theta), out += ',';
    put_array(out, "eps", c.eps);
    for (const char* k : {"E_beam", "phi_deg"})
        if (p.has(k)) out += ',', put_array(out, k, p.at(k));
    std::vector<double> col(p.n);
    for (std::size_t q = 0; q < quantity_count; ++q) {
        for (std::size_t i = 0; i < p.n; ++i) col[i] = c.values[i][q];
        out += ',';
        put_array(out, std::string(frontend::quantities()[q].name), col);
    }
    out += '}';
    return out;
}

json parse_object(const std::string& body) {
    json j;
    try {
        j = json::parse(body);
    } catch (const json::parse_error& e) {
        throw BadRequest(std::string("bad JSON: ") + e.what());
    }
    if (!j.is_object()) throw BadRequest("bad JSON: expected an object");
    return j;
}

template <class F>
Reply guarded(F&& f) {
    try {
        return {200, f()};
    } catch (const BadRequest& e) {
        return {400, error_json(e.what())};
    } catch (const OutOfTime& e) {
        return {503, error_json(e.what())};
    } catch (const std::bad_alloc&) {
        return {503, error_json("out of memory for this request")};
    } catch (const std::exception& e) {
        return {500, error_json(std::string("internal error: ") + e.what())};
    } catch (...) {
        return {500, error_json("internal error")};
    }
}

std::string quantity_unit(const frontend::QuantityInfo& q) {
    using K = frontend::QuantityInfo::Kind;
    switch (q.kind) {
        case K::per_t: return "/GeV2";
        case K::per_t_per_phi: return "/GeV2/rad";
        case K::fully_differential: return "/GeV4/rad";
        case K::ratio: return "";
    }
    return "";
}

}  // namespace

std::string error_json(const std::string& message) { return json{{"error", message}}.dump(-1, ' ', false, json::error_handler_t::replace); }

Api::Api(std::vector<DataSet> data, Limits limits, std::string version)
    : data_(std::move(data)), limits_(limits), version_(std::move(version)) {
    // what /api/models and /api/data answer never changes: made once
    json models = json::array();
    for (ModelName m : {ModelName::regge, ModelName::km, ModelName::vr, ModelName::qvm}) {
        json jm{{"name", std::string(frontend::name_of(m))}, {"channels", json::array()}, {"options", json::array()},
                {"defaults", json::object()}};
        for (const auto& o : frontend::options_of(m)) {
            using T = frontend::OptionInfo::Type;
            jm["options"].push_back({{"name", o.name},
                                     {"type", o.type == T::real ? "real" : o.type == T::choice ? "choice" : "flag"},
                                     {"unit", o.unit},
                                     {"choices", o.choices},
                                     {"range", o.range},
                                     {"description", o.description}});
        }
        for (Channel c : {Channel::pi_plus_n, Channel::pi_minus_p, Channel::pi0_p, Channel::pi0_n}) {
            if (!frontend::has_channel(m, c)) continue;
            const std::string cn(frontend::name_of(c));
            jm["channels"].push_back(cn);
            json d = json::object();
            for (const auto& u : ModelChoice(m, c, {}).used()) d[u.name] = u.value;
            jm["defaults"][cn] = d;
        }
        models.push_back(jm);
    }
    json quantities = json::array();
    for (const auto& q : frontend::quantities())
        quantities.push_back({{"name", std::string(q.name)},
                              {"unit", quantity_unit(q)},
                              {"needs_epsilon", q.needs_epsilon},
                              {"needs_phi", q.needs_phi},
                              {"needs_beam", q.needs_beam},
                              {"description", std::string(q.description)}});
    json scan = json::array();
    for (const Domain& d : domains)
        scan.push_back({{"name", d.name}, {"unit", d.unit}, {"low", d.low}, {"high", d.high}, {"low_open", d.low_open}});
    models_json_ = json{{"version", version_},
                        {"models", models},
                        {"channels", {"pi+n", "pi-p", "pi0p", "pi0n"}},
                        {"quantities", quantities},
                        {"scan_variables", scan},
                        {"limits",
                         {{"max_points", limits_.max_points},
                          {"max_body_bytes", 1 << 20},
                          {"seconds", static_cast<double>(limits_.time.count()) / 1000.0}}}}
                       .dump();

    json sets = json::array();
    for (const DataSet& d : data_) {
        json js{{"name", d.name}, {"title", d.title}, {"channel", d.channel}, {"rows", d.rows},
                {"kinematics", d.kinematics}, {"measured", json::array()}, {"settings", json::array()}};
        for (const Measurement& m : d.measured)
            js["measured"].push_back({{"name", m.name}, {"unit", m.unit}, {"value", m.value}, {"error", m.error}});
        for (const Setting& s : d.settings) {
            json st{{"rows", s.rows}, {"W", s.w}, {"Q2", s.q2}};
            if (s.e_beam > 0) st["E_beam"] = s.e_beam;
            if (d.kinematics.count("eps")) st["eps"] = s.eps;
            js["settings"].push_back(st);
        }
        sets.push_back(js);
    }
    data_json_ = json{{"data_sets", sets}}.dump(-1, ' ', false, json::error_handler_t::replace);
}

Reply Api::models() const { return {200, models_json_}; }
Reply Api::data() const { return {200, data_json_}; }

Reply Api::evaluate(const std::string& body) const {
    return guarded([&] {
        const auto deadline = Clock::now() + limits_.time;
        const json j = parse_object(body);
        for (const auto& [k, v] : j.items())
            if (k != "model" && k != "models" && k != "channel" && k != "options" && k != "points" && k != "scan")
                throw BadRequest("unknown key " + k + " (model or models, channel, options, points or scan)");
        bool many = false;
        const std::vector<ModelRequest> requests = models_of(j, many);
        const Channel channel = channel_of(j, "");
        std::vector<std::unique_ptr<ModelChoice>> choices;
        for (const ModelRequest& r : requests) choices.push_back(choice_of(r, channel));
        if (j.contains("points") == j.contains("scan")) throw BadRequest("give either points or scan");
        const Points p = j.contains("points") ? points_of(j["points"], limits_.max_points)
                                              : scan_of(j["scan"], limits_.max_points);
        if (p.n * requests.size() > limits_.max_points)
            throw BadRequest(std::to_string(p.n) + " points for " + std::to_string(requests.size()) +
                             " models: more than the " + std::to_string(limits_.max_points) + " of one request");
        std::string out = many ? "[" : "";
        for (std::size_t i = 0; i < choices.size(); ++i) {
            if (i) out += ',';
            out += evaluation_json(*choices[i], p, compute(*choices[i], p, deadline, limits_.threads));
        }
        if (many) out += ']';
        return out;
    });
}

Reply Api::compare(const std::string& body) const {
    return guarded([&] {
        const auto deadline = Clock::now() + limits_.time;
        const json j = parse_object(body);
        for (const auto& [k, v] : j.items())
            if (k != "model" && k != "models" && k != "channel" && k != "options" && k != "data")
                throw BadRequest("unknown key " + k + " (model or models, channel, options, data)");
        if (!j.contains("data") || !j["data"].is_string()) throw BadRequest("give data: the name of a data set");
        const std::string name = j["data"].get<std::string>();
        const DataSet* set = nullptr;
        for (const DataSet& d : data_)
            if (d.name == name) set = &d;
        if (!set) throw BadRequest("unknown data set " + name + " (GET /api/data lists them)");
        bool many = false;
        const std::vector<ModelRequest> requests = models_of(j, many);
        const Channel channel = channel_of(j, set->channel);
        Points p;
        p.n = set->rows;
        p.columns = set->kinematics;
        json results = json::array();
        for (const ModelRequest& r : requests) {
            const auto choice = choice_of(r, channel);
            const Columns c = compute(*choice, p, deadline, limits_.threads);
            const std::string model_unit(choice->cross_section_unit());
            json res{{"model", r.name}, {"unit", model_unit}, {"observables", json::array()}};
            double chi2 = 0;
            std::size_t points = 0;
            for (const Measurement& m : set->measured) {
                const std::size_t q = static_cast<std::size_t>(*frontend::quantity_named(m.name));
                // the model in the data's unit
                double factor = 1;
                if (!m.unit.empty()) factor = (model_unit == "nb" ? 1e-3 : 1.0) / m.to_microbarn;
                double chi2_m = 0;
                std::size_t n_m = 0;
                std::vector<double> model(set->rows);
                std::vector<std::size_t> missing;
                for (std::size_t i = 0; i < set->rows; ++i) {
                    model[i] = c.values[i][q] * factor;
                    if (!std::isfinite(model[i]) || !(m.error[i] > 0)) {
                        missing.push_back(i);
                        continue;
                    }
                    const double pull = (model[i] - m.value[i]) / m.error[i];
                    chi2_m += pull * pull;
                    ++n_m;
                }
                chi2 += chi2_m;
                points += n_m;
                std::string model_text = "[";
                for (std::size_t i = 0; i < model.size(); ++i) model_text += (i ? "," : ""), put(model_text, model[i]);
                model_text += ']';
                res["observables"].push_back({{"name", m.name},
                                              {"unit", m.unit},
                                              {"chi2", chi2_m},
                                              {"points", n_m},
                                              {"not_counted", missing},
                                              {"model", json::parse(model_text)}});
            }
            res["chi2"] = chi2;
            res["points"] = points;
            res["chi2_per_point"] = points ? json(chi2 / static_cast<double>(points)) : json(nullptr);
            results.push_back(res);
        }
        return json{{"data", set->name}, {"channel", std::string(frontend::name_of(channel))}, {"results", results}}
            .dump();
    });
}

}  // namespace kavrin::serve
