#include "kavrin-eval/points.hpp"

#include <algorithm>
#include <cmath>

#include "kernel/free_format.hpp"

namespace kavrin::eval {

namespace {

std::vector<std::string> fields_of(const std::string& line) {
    std::vector<std::string> out;
    std::string f;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == ',' || c == '\r') {
            if (!f.empty()) out.push_back(f);
            f.clear();
        } else {
            f.push_back(c);
        }
    }
    if (!f.empty()) out.push_back(f);
    return out;
}

}  // namespace

PointTable read_point_table(std::istream& in, const std::string& file) {
    PointTable t;
    t.file = file;
    std::vector<std::string> units;
    std::size_t line_no = 0;
    const auto fail = [&](std::size_t line, const std::string& why) {
        return TableError(file + ":" + std::to_string(line) + ": " + why);
    };
    std::size_t header_line = 0;
    for (std::string line; std::getline(in, line);) {
        ++line_no;
        if (line.size() > 65536) throw fail(line_no, "line longer than 65536 characters");
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        const std::vector<std::string> f = fields_of(line);
        if (t.columns.empty()) {
            header_line = line_no;
            for (const std::string& name : f) {
                const std::size_t b = name.find('[');
                if (b != std::string::npos && name.back() != ']') throw fail(line_no, "column " + name + ": unit without ']'");
                t.columns.push_back(name.substr(0, b));
                units.push_back(b == std::string::npos ? "" : name.substr(b + 1, name.size() - b - 2));
            }
            continue;
        }
        if (f.size() != t.columns.size())
            throw fail(line_no, std::to_string(f.size()) + " values for " + std::to_string(t.columns.size()) + " columns");
        std::vector<double> row;
        for (std::size_t i = 0; i < f.size(); ++i) {
            const std::optional<double> v = parse_fortran_real(f[i]);
            if (!v) throw fail(line_no, "column " + t.columns[i] + ": '" + f[i] + "' is not a number");
            row.push_back(*v);
        }
        t.rows.push_back(std::move(row));
        t.line_of_row.push_back(line_no);
    }
    if (t.columns.empty()) throw fail(line_no, "no line naming the columns");

    // the kinematic columns
    const auto find = [&](const std::string& name) -> std::optional<std::size_t> {
        const auto it = std::find(t.columns.begin(), t.columns.end(), name);
        if (it == t.columns.end()) return std::nullopt;
        if (std::find(it + 1, t.columns.end(), name) != t.columns.end())
            throw fail(header_line, "column " + name + " named twice");
        return static_cast<std::size_t>(it - t.columns.begin());
    };
    t.w = find("W");
    t.xb = find("xB");
    t.q2 = find("Q2");
    t.eps = find("eps");
    t.e_beam = find("E_beam");
    if (t.w.has_value() == t.xb.has_value()) throw fail(header_line, "give exactly one of the columns W and xB");
    if (!t.q2) throw fail(header_line, "no column Q2");
    if (t.eps && t.e_beam) throw fail(header_line, "give eps or E_beam, not both");
    int angles = 0;
    for (const auto& [name, kind] : {std::pair{"minus_t", AngleColumn::minus_t}, std::pair{"theta_deg", AngleColumn::theta_deg},
                                     std::pair{"cos_theta", AngleColumn::cos_theta}})
        if (const auto c = find(name)) {
            t.angle = c;
            t.angle_kind = kind;
            ++angles;
        }
    if (angles != 1) throw fail(header_line, "give exactly one of the columns minus_t, theta_deg and cos_theta");

    // the measured observables and their uncertainties
    for (std::size_t o = 0; o < observable_names.size(); ++o) {
        const std::string& name = observable_names[o];
        const auto c = find(name);
        if (!c) continue;
        Measured m{o, *c, {}, 1.0, units[*c]};
        for (const char* suffix : {"_err", "_stat", "_sys"})
            if (const auto e = find(name + suffix)) m.errors.push_back(*e);
        if (m.errors.empty())
            throw fail(header_line, "column " + name + " has no uncertainty (" + name + "_err, or " + name + "_stat and " +
                                        name + "_sys)");
        if (find(name + "_err") && m.errors.size() > 1)
            throw fail(header_line, "column " + name + ": give " + name + "_err, or " + name + "_stat and " + name + "_sys");
        const bool ratio = name == "L_over_T" || name == "BSA";
        if (ratio ? !m.unit.empty() : !(m.unit.empty() || m.unit == "ub/GeV2" || m.unit == "nb/GeV2"))
            throw fail(header_line, "column " + name + ": unit [" + m.unit + "] is not " +
                                        (ratio ? std::string("allowed (a ratio has none)") : "ub/GeV2 or nb/GeV2"));
        if (m.unit == "nb/GeV2") m.to_microbarn = 1e-3;
        for (std::size_t e : m.errors)
            if (!units[e].empty() && units[e] != m.unit)
                throw fail(header_line, "column " + t.columns[e] + ": its unit differs from that of " + name);
        t.measured.push_back(m);
    }
    return t;
}

}  // namespace kavrin::eval
