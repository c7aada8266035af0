// Reals as a list-directed read of free-format input takes them: 1.55, 2, .5, 1e-3, 1d-3, 1.5D+02, NaN, Inf.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kavrin {

/// The token rewritten for strtod/strtof ("1d-3" -> "1e-3", lower case, sign kept), or nothing when it is
/// not a Fortran-style real (hexadecimal forms included).
std::optional<std::string> normalize_fortran_real(std::string_view token);

/// The value of a Fortran-style real token, or nothing.
std::optional<double> parse_fortran_real(std::string_view token);

}  // namespace kavrin
