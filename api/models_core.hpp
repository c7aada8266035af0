// What stands behind kavrin::models::Model: the validated settings and the prepared model of kavrin-models
// that both the library's point function and the program's scan evaluate.
#pragma once

#include <utility>

#include "kavrin/models.hpp"
#include "program_b/model.hpp"

namespace kavrin::models::detail {

struct Core {
    Settings settings;
    program_b::Model model;
};

struct Access {
    /// Settings of a program's answers: checked for structure, real answers kept as typed.
    static Settings as_answered(Options options) { return Settings(std::move(options), Settings::Ranges::as_answered); }
    static const Core& core(const Model& m) { return *m.core_; }
};

}  // namespace kavrin::models::detail

namespace kavrin::program_b {

/// The program's settings of the physics of validated library settings (the scan fields keep their defaults).
Settings internal_settings(const models::Settings& settings);

/// The prepared model behind a library model.
inline const Model& core_of(const models::Model& model) { return models::detail::Access::core(model).model; }

}  // namespace kavrin::program_b
