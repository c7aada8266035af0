// Points of one model that each have their own photon polarization (and, for KM's own asymmetry, beam energy):
// the model of every distinct setting, made where it is needed, and the points shared over threads.
#pragma once

#include <cstddef>
#include <functional>
#include <utility>

#include "frontend/catalog.hpp"

namespace kavrin::frontend {

/// Calls point(i, model) for every i < n, on up to `threads` threads, with the model of point i's setting:
/// setting(i) = (eps, beam energy in GeV), NaN for the settings' own. The settings are checked in point order
/// before anything is computed (SettingsError, for the first bad one). A setting of many points gets one model
/// shared by all threads; a rarer one a model made in the block that computes its points and dropped after, so
/// that a table with a setting per point never holds a model per point. keep_going() as in run_blocks;
/// returns false when it stopped the run.
bool evaluate_points(const ModelChoice& choice, std::size_t n, unsigned threads,
                     const std::function<std::pair<double, double>(std::size_t)>& setting,
                     const std::function<void(std::size_t, const AnyModel&)>& point,
                     const std::function<bool()>& keep_going = [] { return true; });

}  // namespace kavrin::frontend
