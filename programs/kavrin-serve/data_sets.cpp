#include "kavrin-serve/data_sets.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>

#include "frontend/catalog.hpp"

namespace kavrin::serve {

namespace {

constexpr std::size_t max_file_bytes = 1 << 20;
constexpr std::size_t max_line = 4096;

std::vector<std::string> fields_of(const std::string& line) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == ',' || c == '\r') {
            if (!cur.empty()) out.push_back(std::move(cur)), cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(std::move(cur));
    return out;
}

std::optional<double> number_of(const std::string& s) {
    double v = 0;
    const char* end = s.data() + s.size();
    const char* begin = s.data() + (!s.empty() && s[0] == '+' ? 1 : 0);
    const auto [p, ec] = std::from_chars(begin, end, v);
    if (ec != std::errc() || p != end || !std::isfinite(v)) return std::nullopt;
    return v;
}

const std::set<std::string> kinematic_names = {"W", "xB", "Q2", "minus_t", "theta_deg", "cos_theta", "eps",
                                               "E_beam", "phi_deg"};

std::string channel_from_name(const std::string& name) {
    const std::string padded = "-" + name + "-";
    if (padded.find("-pi0n-") != std::string::npos) return "pi0n";
    if (padded.find("-pi0-") != std::string::npos || padded.find("-pi0p-") != std::string::npos) return "pi0p";
    if (padded.find("-pip-") != std::string::npos) return "pi+n";
    if (padded.find("-pim-") != std::string::npos) return "pi-p";
    return {};
}

bool near(double a, double b) { return std::abs(a - b) <= 0.03 * std::max(std::abs(a), std::abs(b)); }

}  // namespace

DataSet read_data_set(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec) throw DataError(path + ": cannot be read (" + ec.message() + ")");
    if (size > max_file_bytes) throw DataError(path + ": longer than 1 MiB");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DataError(path + ": cannot be opened");

    DataSet set;
    set.name = fs::path(path).stem().string();
    set.channel = channel_from_name(set.name);
    std::vector<std::string> header;
    std::vector<std::vector<double>> columns;
    std::string line;
    std::size_t line_no = 0;
    const auto fail = [&](const std::string& why) {
        throw DataError(path + ", line " + std::to_string(line_no) + ": " + why);
    };
    while (std::getline(in, line)) {
        ++line_no;
        if (line.size() > max_line) fail("longer than 4096 characters");
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) continue;
        if (line[first] == '#') {
            if (set.title.empty()) {
                const auto text = line.find_first_not_of(" \t#");
                if (text != std::string::npos) set.title = line.substr(text);
                while (!set.title.empty() && (set.title.back() == '\r' || set.title.back() == ' ')) set.title.pop_back();
            }
            continue;
        }
        std::vector<std::string> f = fields_of(line);
        if (header.empty()) {
            header = std::move(f);
            columns.resize(header.size());
            continue;
        }
        if (f.size() != header.size())
            fail(std::to_string(f.size()) + " numbers for " + std::to_string(header.size()) + " columns");
        for (std::size_t i = 0; i < f.size(); ++i) {
            const auto v = number_of(f[i]);
            if (!v) fail("'" + f[i] + "' in column " + header[i] + " is not a finite number");
            columns[i].push_back(*v);
        }
        ++set.rows;
    }
    if (header.empty() || set.rows == 0) throw DataError(path + ": no column names or no rows");

    // the columns by name; a measured column may carry its unit in brackets
    std::map<std::string, std::size_t> index;
    std::map<std::string, std::string> unit_of;
    for (std::size_t i = 0; i < header.size(); ++i) {
        std::string name = header[i], unit;
        if (const auto open = name.find('['); open != std::string::npos && name.back() == ']') {
            unit = name.substr(open + 1, name.size() - open - 2);
            name.resize(open);
        }
        if (!index.emplace(name, i).second) throw DataError(path + ": column " + name + " appears twice");
        unit_of[name] = unit;
    }
    const auto column = [&](const std::string& name) -> const std::vector<double>* {
        const auto it = index.find(name);
        return it == index.end() ? nullptr : &columns[it->second];
    };
    for (const std::string& k : kinematic_names)
        if (const auto* c = column(k)) set.kinematics[k] = *c;
    const auto count = [&](std::initializer_list<const char*> names) {
        int n = 0;
        for (const char* k : names) n += set.kinematics.count(k) ? 1 : 0;
        return n;
    };
    if (count({"W", "xB"}) != 1) throw DataError(path + ": needs exactly one of the columns W and xB");
    if (count({"Q2"}) != 1) throw DataError(path + ": needs the column Q2");
    if (count({"minus_t", "theta_deg", "cos_theta"}) != 1)
        throw DataError(path + ": needs exactly one of the columns minus_t, theta_deg and cos_theta");
    if (count({"eps", "E_beam"}) > 1) throw DataError(path + ": has both eps and E_beam");

    for (const auto& q : frontend::quantities()) {
        const std::string name(q.name);
        const auto* value = column(name);
        if (!value) continue;
        Measurement m;
        m.name = name;
        m.unit = unit_of[name];
        const bool per_t = q.kind != frontend::QuantityInfo::Kind::ratio;
        if (per_t && m.unit.empty()) m.unit = "ub/GeV2";
        if (per_t && m.unit.rfind("ub/", 0) != 0 && m.unit.rfind("nb/", 0) != 0)
            throw DataError(path + ": unit " + m.unit + " of " + name + " (ub/... or nb/...)");
        m.value = *value;
        const auto* err = column(name + "_err");
        const auto* stat = column(name + "_stat");
        const auto* sys = column(name + "_sys");
        if (!err && !stat && !sys) throw DataError(path + ": " + name + " without its uncertainty");
        m.error.assign(set.rows, 0.0);
        for (std::size_t r = 0; r < set.rows; ++r) {
            double e2 = 0;
            for (const auto* c : {err, stat, sys})
                if (c) e2 += (*c)[r] * (*c)[r];
            m.error[r] = std::sqrt(e2);
        }
        set.measured.push_back(std::move(m));
    }
    if (set.measured.empty()) throw DataError(path + ": no measured observable");

    // the kinematic settings: consecutive rows close in (W or xB, Q2, E_beam)
    const auto& x = set.kinematics.count("W") ? set.kinematics.at("W") : set.kinematics.at("xB");
    const auto& q2 = set.kinematics.at("Q2");
    const std::vector<double>* e = set.kinematics.count("E_beam") ? &set.kinematics.at("E_beam") : nullptr;
    const std::vector<double>* eps = set.kinematics.count("eps") ? &set.kinematics.at("eps") : nullptr;
    const double m_target =
        target_mass_gev(frontend::channel_named(set.channel).value_or(Channel::pi_plus_n));
    for (std::size_t r = 0; r < set.rows; ++r) {
        Setting* s = set.settings.empty() ? nullptr : &set.settings.back();
        const std::size_t f = s ? s->rows.front() : 0;
        if (!s || !near(x[r], x[f]) || !near(q2[r], q2[f]) || (e && (*e)[r] != (*e)[f]) || (eps && !near((*eps)[r], (*eps)[f]))) {
            set.settings.emplace_back();
            s = &set.settings.back();
        }
        s->rows.push_back(r);
    }
    for (Setting& s : set.settings) {
        double sx = 0, sq = 0, se = 0, seps = 0;
        for (std::size_t r : s.rows) {
            sx += x[r];
            sq += q2[r];
            if (e) se += (*e)[r];
            if (eps) seps += (*eps)[r];
        }
        const double n = static_cast<double>(s.rows.size());
        s.q2 = sq / n;
        s.w = set.kinematics.count("W") ? sx / n : w_of(s.q2, sx / n, m_target);
        s.e_beam = se / n;
        s.eps = seps / n;
    }
    return set;
}

std::vector<DataSet> read_data_sets(const std::string& folder, std::vector<std::string>& problems) {
    namespace fs = std::filesystem;
    std::vector<std::string> paths;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".dat" && it->is_regular_file(ec)) paths.push_back(it->path().string());
    if (ec) problems.push_back(folder + ": " + ec.message());
    std::sort(paths.begin(), paths.end());
    std::vector<DataSet> out;
    for (const std::string& p : paths) {
        try {
            out.push_back(read_data_set(p));
        } catch (const DataError& e) {
            problems.push_back(e.what());
        }
    }
    return out;
}

}  // namespace kavrin::serve
