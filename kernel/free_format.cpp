#include "kernel/free_format.hpp"

#include <cstdlib>

namespace kavrin {

std::optional<std::string> normalize_fortran_real(std::string_view token) {
    if (token.empty() || token.size() > 400) return std::nullopt;
    std::string s(token);
    // Accept only the characters of a decimal real, NaN or Infinity; this rules out hexadecimal forms.
    std::string lower;
    for (char c : s) lower += static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    std::string body = lower;
    if (!body.empty() && (body[0] == '+' || body[0] == '-')) body.erase(0, 1);
    const std::string sign = lower[0] == '-' ? "-" : "";
    if (body == "nan" || body == "inf" || body == "infinity") return sign + body;
    bool digits = false, exp = false, point = false;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c >= '0' && c <= '9') {
            if (!exp) digits = true;
        } else if (c == '.' && !point && !exp) {
            point = true;
        } else if ((c == 'e' || c == 'd') && !exp && digits) {
            exp = true;
            body[i] = 'e';
            if (i + 1 < body.size() && (body[i + 1] == '+' || body[i + 1] == '-')) ++i;
            if (i + 1 == body.size()) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    return sign + body;
}


std::optional<double> parse_fortran_real(std::string_view token) {
    const auto s = normalize_fortran_real(token);
    if (!s) return std::nullopt;
    return std::strtod(s->c_str(), nullptr);
}

}  // namespace kavrin
