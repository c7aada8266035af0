#include "frontend/data_table.hpp"

#include <algorithm>
#include <cmath>
#include <map>

#include "frontend/files.hpp"
#include "kernel/free_format.hpp"

namespace kavrin::frontend {

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

// A unit as compared: without '^' and with micro written "u".
std::string normal_unit(std::string u) {
    std::string out;
    for (std::size_t i = 0; i < u.size(); ++i) {
        if (u[i] == '^') continue;
        if (u.compare(i, 2, "\xC2\xB5") == 0 || u.compare(i, 2, "\xCE\xBC") == 0) {  // micro sign, Greek mu
            out.push_back('u');
            ++i;
            continue;
        }
        out.push_back(u[i]);
    }
    return out;
}

// The factor to microbarn of a cross-section unit "<barn>/<per>" or "<barn>/<per>/rad" (0: not such a unit).
double barn_factor(const std::string& unit, const std::string& per, bool per_radian) {
    static const std::map<std::string, double> barns = {{"mb", 1e3}, {"ub", 1.0}, {"nb", 1e-3}, {"pb", 1e-6}};
    for (const auto& [b, f] : barns) {
        if (unit == b + "/" + per) return f;
        if (per_radian && unit == b + "/" + per + "/rad") return f;
    }
    return 0.0;
}

// The factor of a kinematic column's unit to GeV units, or 0 when the unit does not fit the column.
double kinematic_factor(const std::string& column, const std::string& unit) {
    if (unit.empty()) return 1.0;
    if (column == "W" || column == "E_beam") return unit == "GeV" ? 1.0 : unit == "MeV" ? 1e-3 : 0.0;
    if (column == "Q2" || column == "minus_t") return unit == "GeV2" ? 1.0 : unit == "MeV2" ? 1e-6 : 0.0;
    if (column == "theta_deg" || column == "phi_deg") return unit == "deg" ? 1.0 : 0.0;
    return 0.0;  // xB, cos_theta, eps have no unit
}

const char* expected_units(const std::string& column) {
    if (column == "W" || column == "E_beam") return "GeV or MeV";
    if (column == "Q2" || column == "minus_t") return "GeV2 or MeV2";
    if (column == "theta_deg" || column == "phi_deg") return "deg (the column is in degrees by its name)";
    return "none";
}

}  // namespace

PointTable read_point_table(std::istream& in, const std::string& file) {
    PointTable t;
    t.file = file;
    const std::string shown_file = printable(file);
    const auto fail = [&](std::size_t line, const std::string& why) {
        return TableError(shown_file + ":" + std::to_string(line) + ": " + why);
    };

    // the lines, read with a bound on each and on the whole
    std::vector<std::pair<std::size_t, std::string>> lines;
    {
        std::string line;
        std::size_t line_no = 1, total = 0;
        char buf[65536];
        const auto finish = [&](bool last) {
            if (last && line.empty()) return;
            if (line_no == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);  // a byte-order mark
            if (line.find('\0') != std::string::npos) throw fail(line_no, "the line holds a NUL byte");
            const std::size_t first = line.find_first_not_of(" \t\r");
            if (first != std::string::npos && line[first] != '#') lines.emplace_back(line_no, std::move(line));
            line.clear();
            ++line_no;
        };
        while (in) {
            in.read(buf, sizeof buf);
            const std::size_t n = static_cast<std::size_t>(in.gcount());
            if (n == 0) break;
            total += n;
            if (total > max_table_bytes)
                throw fail(line_no, "the table is larger than " + std::to_string(max_table_bytes >> 20) + " MiB");
            for (std::size_t i = 0; i < n; ++i) {
                if (buf[i] == '\n') {
                    finish(false);
                } else {
                    line.push_back(buf[i]);
                    if (line.size() > max_line_bytes)
                        throw fail(line_no, "line longer than " + std::to_string(max_line_bytes) + " characters");
                }
            }
        }
        if (in.bad()) throw fail(line_no, "the table cannot be read");
        finish(true);
        if (lines.empty()) throw fail(line_no > 1 ? line_no - 1 : 1, "no line naming the columns");
    }

    // the header
    const std::size_t header_line = lines.front().first;
    for (const std::string& name : fields_of(lines.front().second)) {
        const std::size_t b = name.find('[');
        if (b != std::string::npos && (name.back() != ']' || b == 0))
            throw fail(header_line, "column " + printable(name) + ": a unit goes in brackets after the name, e.g. W[MeV]");
        t.columns.push_back(name.substr(0, b));
        t.units.push_back(b == std::string::npos ? "" : normal_unit(name.substr(b + 1, name.size() - b - 2)));
    }
    const auto find = [&](const std::string& name) -> std::optional<std::size_t> {
        const auto it = std::find(t.columns.begin(), t.columns.end(), name);
        if (it == t.columns.end()) return std::nullopt;
        if (std::find(it + 1, t.columns.end(), name) != t.columns.end())
            throw fail(header_line, "column " + printable(name) + " named twice");
        return static_cast<std::size_t>(it - t.columns.begin());
    };
    for (const std::string& c : t.columns) find(c);

    // the kinematic columns and their units
    t.w = find("W");
    t.xb = find("xB");
    t.q2 = find("Q2");
    t.eps = find("eps");
    t.e_beam = find("E_beam");
    t.phi = find("phi_deg");
    if (t.w.has_value() == t.xb.has_value()) throw fail(header_line, "give exactly one of the columns W and xB");
    if (!t.q2) throw fail(header_line, "no column Q2");
    int angles = 0;
    for (const auto& [name, kind] : {std::pair{"minus_t", AngleColumn::minus_t}, std::pair{"theta_deg", AngleColumn::theta_deg},
                                     std::pair{"cos_theta", AngleColumn::cos_theta}})
        if (const auto c = find(name)) {
            t.angle = c;
            t.angle_kind = kind;
            ++angles;
        }
    if (angles != 1) throw fail(header_line, "give exactly one of the columns minus_t, theta_deg and cos_theta");
    std::vector<double> factor(t.columns.size(), 1.0);
    std::vector<bool> numeric(t.columns.size(), false), positive(t.columns.size(), false);
    for (const std::optional<std::size_t>& c : {t.w, t.xb, t.q2, t.angle, t.eps, t.e_beam, t.phi}) {
        if (!c) continue;
        factor[*c] = kinematic_factor(t.columns[*c], t.units[*c]);
        if (factor[*c] == 0.0)
            throw fail(header_line, "column " + t.columns[*c] + ": unit [" + printable(t.units[*c]) + "] is not " +
                                        expected_units(t.columns[*c]));
        numeric[*c] = true;
    }

    // the measured observables and their uncertainties
    if (find("BSA"))
        throw fail(header_line,
                   "column BSA: each model has its own asymmetry rule; name the measured quantity instead: ALU (the "
                   "asymmetry at the row's phi_deg), ALU_sinphi (its sin phi moment) or sigmaLTp_over_sigma0");
    std::vector<bool> used(t.columns.size(), false);
    for (const std::optional<std::size_t>& c : {t.w, t.xb, t.q2, t.angle, t.eps, t.e_beam, t.phi})
        if (c) used[*c] = true;
    for (std::size_t q = 0; q < quantity_count; ++q) {
        const QuantityInfo& info = quantities()[q];
        const std::string name(info.name);
        const auto c = find(name);
        if (!c) continue;
        Measured m{static_cast<Quantity>(q), *c, {}, 1.0, t.units[*c]};
        const auto e = find(name + "_err");
        if (e) m.errors.push_back(*e);
        for (const char* part : {"_stat", "_sys"})
            if (const auto p = find(name + part)) {
                if (e) throw fail(header_line, "column " + name + ": give " + name + "_err, or " + name + "_stat and " + name + "_sys");
                m.errors.push_back(*p);
            }
        if (m.errors.empty())
            throw fail(header_line, "column " + name + " has no uncertainty (" + name + "_err, or " + name + "_stat and " +
                                        name + "_sys)");
        // the unit of the value, and the default where none is written
        using K = QuantityInfo::Kind;
        std::string unit = m.unit;
        std::string allowed;
        switch (info.kind) {
            case K::ratio: allowed = "none (a ratio)"; break;
            case K::per_t: if (unit.empty()) unit = "ub/GeV2"; allowed = "ub/GeV2, nb/GeV2 or pb/GeV2"; break;
            case K::per_t_per_phi: if (unit.empty()) unit = "ub/GeV2"; allowed = "ub/GeV2 or nb/GeV2 (per radian)"; break;
            case K::fully_differential: if (unit.empty()) unit = "nb/GeV4"; allowed = "nb/GeV4, ub/GeV4 or pb/GeV4 (per radian)"; break;
        }
        if (info.kind != K::ratio) {
            const bool per_phi = info.kind != K::per_t;
            m.to_microbarn = barn_factor(unit, info.kind == K::fully_differential ? "GeV4" : "GeV2", per_phi);
            if (m.to_microbarn == 0.0)
                throw fail(header_line, "column " + name + ": unit [" + printable(unit) + "] is not " + allowed);
        } else if (!unit.empty()) {
            throw fail(header_line, "column " + name + ": unit [" + printable(unit) + "] is not allowed (a ratio has none)");
        }
        m.unit = unit;
        for (std::size_t err : m.errors) {
            if (!t.units[err].empty() && t.units[err] != unit)
                throw fail(header_line, "column " + t.columns[err] + ": its unit [" + printable(t.units[err]) +
                                            "] differs from that of " + name + " [" + unit + "]");
            numeric[err] = positive[err] = used[err] = true;
        }
        numeric[*c] = used[*c] = true;
        t.measured.push_back(m);
    }
    for (std::size_t c = 0; c < t.columns.size(); ++c)
        if (!used[c]) t.carried.push_back(c);

    // the rows
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto& [line_no, text] = lines[i];
        std::vector<std::string> f = fields_of(text);
        if (f.size() != t.columns.size())
            throw fail(line_no, std::to_string(f.size()) + " values for " + std::to_string(t.columns.size()) + " columns");
        std::vector<double> row(f.size(), std::numeric_limits<double>::quiet_NaN());
        for (std::size_t c = 0; c < f.size(); ++c) {
            const std::optional<double> v = parse_fortran_real(f[c]);
            if (!numeric[c]) {
                if (v) row[c] = *v;
                else if (!t.label) t.label = c;
                continue;
            }
            if (!v || !std::isfinite(*v))
                throw fail(line_no, "column " + t.columns[c] + ": '" + printable(f[c]) + "' is not a finite number");
            if (positive[c] && !(*v > 0.0))
                throw fail(line_no, "column " + t.columns[c] + ": an uncertainty must be positive, not " + printable(f[c]));
            row[c] = *v * factor[c];
        }
        if (t.eps && !(row[*t.eps] >= 0.0 && row[*t.eps] <= 1.0))
            throw fail(line_no, "column eps: " + printable(f[*t.eps]) + " is not a polarization from 0 to 1");
        t.fields.push_back(std::move(f));
        t.rows.push_back(std::move(row));
        t.line_of_row.push_back(line_no);
    }
    if (t.rows.empty()) throw fail(header_line, "the table has no rows");
    return t;
}

}  // namespace kavrin::frontend
