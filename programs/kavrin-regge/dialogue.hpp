// The run dialogue of kavrin-regge: channel, form factors, cut-offs, phases, output kind, scan mode and
// its fixed values, photon polarization and output unit.
#pragma once

#include "io/answers.hpp"
#include "kavrin/regge.hpp"

namespace kavrin::regge_program {

/// What the run writes.
enum class OutputKind : int {
    separated = 1,  ///< dsigma_T, _L, _TT, _LT, _LT', _U, L/T and BSA along a scan
    dds = 3,        ///< the phi-dependent cross section of an experiment's convention
};

/// What the dialogue fixes for the scan. Loop limits in MeV and MeV^2 (converted from the answers once,
/// here); the other answered values as typed (GeV^2, degrees, cosines).
struct Scan {
    OutputKind out = OutputKind::separated;
    bool small_angles = false;  ///< angle scans of modes 8-10 from 0 to 45 degrees instead of 0 to 180
    int mode = 9;               ///< scan mode of the separated cross sections (1..10)
    int dds_mode = 1;           ///< input mode of the DDS (1..7)
    double emin = 0.0, emax = 0.0;    ///< first and last W of the W loop, MeV
    double qqmin = 0.0, qqmax = 0.0;  ///< first and last Q^2 of the Q^2 loop, MeV^2
    bool w_from_xb = false;           ///< W follows from Q^2 and x_B at every point

    double t_input = 0.0;          ///< -t, GeV^2
    double u_input = 0.0;          ///< -u, GeV^2
    double xb_input = 0.0;         ///< Bjorken x
    double theta_input = 0.0;      ///< pion angle of modes 4, 5, degrees
    double theta_deg = 0.0;        ///< pion angle of DDS modes 6, 7, degrees
    double cos_theta_input = 0.0;  ///< cos(theta) of modes 6, 7

    double t_max = 0.0;  ///< physical t range shown in modes 1-3 (MeV^2): the bounds of those scans
    double t_min = 0.0;
};

/// Everything one run's answers fix: the physics as the library's options, and the scan.
struct Answers {
    regge::Options physics;
    Scan scan;
};

/// Prints every question, reads every answer and returns what the run's answers fix. Throws
/// io::DialogueError when the dialogue cannot be completed.
Answers run_dialogue(io::Dialogue& dialogue);

}  // namespace kavrin::regge_program
