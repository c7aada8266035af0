// What the dialogue of kavrin-models fixes: the physics as the library's options, and the scan.
#pragma once

#include <limits>

#include "kavrin/models.hpp"

namespace kavrin::models_program {

/// What the run writes, numbered as in the dialogue.
enum class OutputKind : int {
    separated = 1,     ///< dsigma_T, _L, _TT, _LT, _LT', dsigma_U, L/T and the asymmetry; epsilon asked
    asymmetry = 2,     ///< the same files; KM asks the beam energy instead of epsilon
    phi_dependent = 3  ///< the sum of the four unpolarized cross sections versus phi ("dS.dat")
};

/// The scan; raw answers keep the units they were asked in (GeV, GeV^2, degrees).
struct Scan {
    OutputKind out = OutputKind::separated;
    int mode = 9;            ///< scan mode 1..10
    float ang_range = 2.0f;  ///< modes 8-10: exactly 1 is SMALL (41 angles), anything else FULL (181)

    static constexpr double unset = std::numeric_limits<double>::quiet_NaN();
    double w_input = unset;      ///< W (GeV): the final W in modes 1 and 6, the fixed W otherwise
    double qq_input = unset;     ///< Q^2 (GeV^2): the final Q^2 in modes 2-5 and 7, the fixed Q^2 otherwise
    double t_input = unset;      ///< -t (GeV^2), modes 1-3
    double xb_input = unset;     ///< Bjorken x, modes 3, 4 and 8
    double theta_input = unset;  ///< theta (degrees), modes 4 and 5
    float cos_theta_input = std::numeric_limits<float>::quiet_NaN();  ///< cos theta, modes 6 and 7
};

/// Everything one run's answers fix.
struct Answers {
    models::Options physics;
    Scan scan;
};

/// Whether W follows from Q^2 and xB at each Q^2 (modes 3, 4 and 8).
constexpr bool w_from_xb(int mode) { return mode == 3 || mode == 4 || mode == 8; }

}  // namespace kavrin::models_program
