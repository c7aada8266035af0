#include "kavrin-serve/data_sets.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "frontend/catalog.hpp"
#include "frontend/data_table.hpp"
#include "frontend/files.hpp"

namespace kavrin::serve {

namespace {

constexpr std::size_t max_file_bytes = 1 << 20;

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
    // the reader of kavrin-eval: the same format, units, refusals and measured names
    std::string content;
    frontend::PointTable t;
    try {
        content = frontend::read_file(path, max_file_bytes);
        std::istringstream in(content);
        t = frontend::read_point_table(in, path);
    } catch (const frontend::FileError& e) {
        throw DataError(e.what());
    } catch (const frontend::TableError& e) {
        throw DataError(e.what());
    }
    DataSet set;
    set.name = fs::path(path).stem().string();
    set.channel = channel_from_name(set.name);
    set.rows = t.rows.size();
    // the title: the first comment line
    std::istringstream lines(content);
    for (std::string line; set.title.empty() && std::getline(lines, line);) {
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] != '#') continue;
        const auto text = line.find_first_not_of(" \t#");
        if (text != std::string::npos) set.title = line.substr(text);
        while (!set.title.empty() && (set.title.back() == '\r' || set.title.back() == ' ')) set.title.pop_back();
    }
    const auto column = [&](std::size_t c) {
        std::vector<double> v;
        for (const std::vector<double>& row : t.rows) v.push_back(row[c]);
        return v;
    };
    for (const std::optional<std::size_t>& c : {t.w, t.xb, t.q2, t.angle, t.eps, t.e_beam, t.phi})
        if (c) set.kinematics[t.columns[*c]] = column(*c);
    for (const frontend::Measured& m : t.measured) {
        Measurement out;
        out.name = std::string(frontend::quantities()[static_cast<std::size_t>(m.quantity)].name);
        out.unit = m.unit;
        out.to_microbarn = m.to_microbarn;
        out.value = column(m.value);
        for (const std::vector<double>& row : t.rows) {
            double e2 = 0;
            for (std::size_t c : m.errors) e2 += row[c] * row[c];
            out.error.push_back(std::sqrt(e2));
        }
        set.measured.push_back(std::move(out));
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
