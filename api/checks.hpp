// The valid ranges of the real-valued settings of the library, and the checks shared by the settings of
// both models.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "kavrin/observables.hpp"

namespace kavrin::api {

/// A range of valid values and how the dialogues and the error messages name it.
struct RealCheck {
    bool (*valid)(double);
    const char* expected;  ///< e.g. "a number from 0 to 1"
};

/// Cut-offs, slopes and energies: a positive finite number.
inline constexpr RealCheck positive{[](double x) { return std::isfinite(x) && x > 0.0; }, "a positive number"};
/// Virtual-photon polarization epsilon.
inline constexpr RealCheck polarization{[](double x) { return std::isfinite(x) && x >= 0.0 && x <= 1.0; },
                                        "a number from 0 to 1"};
/// A cosine.
inline constexpr RealCheck cosine{[](double x) { return std::isfinite(x) && x >= -1.0 && x <= 1.0; },
                                  "a number from -1 to 1"};
/// An angle.
inline constexpr RealCheck finite{[](double x) { return std::isfinite(x); }, "a finite number"};

/// A real as shown in an error message (shortest form that reads back to the same value).
inline std::string shown(double x) {
    char buf[32];
    for (int digits = 6; digits <= 17; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, x);
        if (std::strtod(buf, nullptr) == x || std::isnan(x)) break;
    }
    return buf;
}

/// Checks that a member the configuration needs is given and (with `in_range`) inside its range.
inline void require(const char* field, const std::optional<double>& value, const RealCheck& check,
                    const std::string& where, bool in_range) {
    if (!value) throw InvalidSetting(field, "(not given)", "required " + where);
    if (in_range && !check.valid(*value)) throw InvalidSetting(field, shown(*value), std::string("expected ") + check.expected);
}

/// Checks that a member the configuration does not use is left empty.
template <class T>
void forbid(const char* field, const std::optional<T>& value, const std::string& shown_value,
            const std::string& where) {
    if (value) throw InvalidSetting(field, shown_value, "does not apply " + where);
}

}  // namespace kavrin::api
