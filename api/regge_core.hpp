// What stands behind kavrin::regge::Model: the validated settings and the prepared model of kavrin-regge
// that both the library's point function and the program's scan evaluate.
#pragma once

#include <utility>

#include "kavrin/regge.hpp"
#include "program_a/model.hpp"

namespace kavrin::regge::detail {

struct Core {
    Settings settings;
    program_a::Model model;
};

struct Access {
    /// Settings of a program's answers: checked for structure, real answers kept as typed.
    static Settings as_answered(Options options) { return Settings(std::move(options), Settings::Ranges::as_answered); }
    static const Core& core(const Model& m) { return *m.core_; }
};

}  // namespace kavrin::regge::detail

namespace kavrin::program_a {

/// The program's settings of the physics of validated library settings (the scan fields keep their defaults).
Settings internal_settings(const regge::Settings& settings);

/// The prepared model behind a library model.
inline const Model& core_of(const regge::Model& model) { return regge::detail::Access::core(model).model; }

}  // namespace kavrin::program_a
