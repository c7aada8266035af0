#include "kavrin-models/dialogue.hpp"

#include <cmath>
#include <string>

#include "io/results.hpp"
#include "kinematics/kinematics.hpp"
#include "models/km_vr_qvm/model.hpp"
#include "kernel/units.hpp"

namespace kavrin::models_program {

using models::Channel;
using models::ModelKind;
using models::internal::channel_masses;
using models::internal::ChannelMasses;

namespace {

constexpr const char* kFinalW = "INPUT: FINAL W(GeV)?";
constexpr const char* kQQ = "INPUT: QQ(GeV^2)?";
constexpr const char* kFinalQQ = "INPUT: FINAL QQ(GeV^2)?";
constexpr const char* kW = "INPUT: W(GeV)?";
constexpr const char* kXB = "INPUT: XB? (0 < XB < 1.0)";
constexpr const char* kTheta = "INPUT: THETA(DEG)?";
constexpr const char* kCosTheta = "INPUT: COS(THETA)? ";
constexpr const char* kTotalW = "INPUT: TOTAL CM ENERGY W(GeV)?";
constexpr const char* kPolarization = "INPUT: PHOTON POL EL(0<EL<1)? Put any value, 0.5, for instance to proceed.";
constexpr const char* kBeamEnergy =
    "INPUT: ELECTRON BEAM ENERGY? Put EBE=5.77 for JLab@5.7, or 10.6 for JLab Kaon_LT.";

// Prints the -t question with the physical range of -t (GeV^2) at W = w (MeV), Q^2 = qq (MeV^2) and reads
// the answer.
double ask_minus_t(io::Dialogue& d, const ChannelMasses& m, double w, double qq, bool trailing_blanks) {
    const TRange r = kinematics(w, qq, m.ibm, m.fbm, m.fmm);
    const std::string text = std::string(trailing_blanks ? "INPUT: -T(GeV^2)?  " : "INPUT: -T(GeV^2)?") + " (" +
                             io::format_real(units::mev2_to_gev2(-r.t_max)) + " < -T < " + io::format_real(units::mev2_to_gev2(-r.t_min)) +
                             ")";
    d.print(text);
    return d.read_real("INPUT: -T(GeV^2)?");
}

double ask_real(io::Dialogue& d, const char* prompt) {
    d.print(prompt);
    return d.read_real(prompt);
}


float ask_single(io::Dialogue& d, const char* prompt) {
    d.print(prompt);
    return d.read_single(prompt);
}

bool in_range(long long v, long long lo, long long hi) { return v >= lo && v <= hi; }

}  // namespace

Answers run_dialogue(io::Dialogue& d) {
    Answers answers;
    models::Options& o = answers.physics;
    Scan& s = answers.scan;

    d.print("*******************************************");
    d.print("***** PION Electro-PRODUCTION *****");
    d.print("*****   with kavrin-km-qvm ******");
    d.print("*******************************************");

    d.print("GAMMA* p -> PI+ N (1)");
    d.print("GAMMA* N -> PI- P (2)");
    d.print("GAMMA* P -> PI0 P (3)");
    const Channel channel = static_cast<Channel>(
        d.read_int("reaction channel", [](long long v) { return in_range(v, 1, 3); }, "1, 2 or 3"));
    o.channel = channel;
    const ChannelMasses m = channel_masses(channel);

    // The current-conservation check is offered but never asked: it is always off.
    d.print("Current Conservation Check: NO(1), YES(2)");

    d.print("MODEL: KM(1), VR(2), QVM(3)");
    const ModelKind model = static_cast<ModelKind>(d.read_int(
        "MODEL: KM(1), VR(2), QVM(3)", [](long long v) { return in_range(v, 1, 3); }, "1 (KM), 2 (VR) or 3 (QVM)"));

    d.print("Put any value for cuts, if irrelevant.");
    d.print("");
    o.model = model;
    // both cut-offs are asked; each enters only where it applies
    const double cut_pion = ask_real(d, "Please input cut-off of Pion in GeV: KM=0.68, VR=0.655, QVM=0.775");
    const double cut_f1 = ask_real(
        d, "Please input cut-off of nucleon in GeV: KM & VR=0.84(already fixed in sub-routine), QVM=1.55");
    if (channel != Channel::pi0_p) o.pion_cutoff_gev = cut_pion;
    if (model == ModelKind::qvm) o.nucleon_cutoff_gev = cut_f1;
    d.print("Please input cut-off of omega in GeV: 0.775 or 1.2 for neutral.");

    d.print("WE WILL CALCULATE DIFF. CROSS SECTION(DCS)!!!");
    d.print("");
    d.print("WHICH ONE PRINT TO OUT: 4-kinds of DCS & L/T ratio, dS_U(1), BSA(2), or  SUM OF 4-DCS(3) ");
    s.out = static_cast<OutputKind>(d.read_int(
        "WHICH ONE PRINT TO OUT", [](long long v) { return in_range(v, 1, 3); }, "1, 2 or 3"));

    d.print("WE WILL CALCULATE DIFF. CROSS SECTION!!!");
    d.print("CHOOSE X-AXIS & FIX VARs. : W,QQ&t(1), QQ,W&t(2), QQ,xb&t(3), QQ,xb&theta(4), QQ,W&theta(5)");
    d.print("   W,QQ&cos(theta)(6), QQ,W&cos(theta)(7),  -t,xb&QQ(8) ,  -t,W&QQ(9),  OR  cos(theta),W&QQ(10)");
    s.mode = d.read_int(
        "CHOOSE X-AXIS & FIX VARs.", [](long long v) { return in_range(v, 1, 10); }, "an integer from 1 to 10");

    s.ang_range = ask_single(d, "CHOOSE ANGLE RANGE FOR X-AXIS IN (8),(9),(10); SMALL(1),  FULL(2)");

    switch (s.mode) {
        case 1:
            s.w_input = ask_real(d, kFinalW);
            s.qq_input = ask_real(d, kQQ);
            s.t_input = ask_minus_t(d, m, units::gev_to_mev(s.w_input), units::gev2_to_mev2(s.qq_input), true);
            break;
        case 2:
            s.qq_input = ask_real(d, kFinalQQ);
            s.w_input = ask_real(d, kW);
            s.t_input = ask_minus_t(d, m, units::gev_to_mev(s.w_input), 100000.0, true);
            break;
        case 3: {
            s.xb_input = ask_real(d, kXB);
            s.qq_input = ask_real(d, "INPUT: FINAL QQ(GeV^2)?  ");
            // the range at the final Q^2 and the W that xB gives there
            const double qq = units::gev2_to_mev2(s.qq_input);
            const double w = w_of_xb(qq, s.xb_input, m.ibm);
            s.t_input = ask_minus_t(d, m, w, qq, false);
            break;
        }
        case 4:
            s.qq_input = ask_real(d, kFinalQQ);
            s.xb_input = ask_real(d, kXB);
            s.theta_input = ask_real(d, kTheta);
            break;
        case 5:
            s.qq_input = ask_real(d, kFinalQQ);
            s.w_input = ask_real(d, kW);
            s.theta_input = ask_real(d, kTheta);
            break;
        case 6:
            s.w_input = ask_real(d, kFinalW);
            s.qq_input = ask_real(d, kQQ);
            s.cos_theta_input = ask_single(d, kCosTheta);
            break;
        case 7:
            s.qq_input = ask_real(d, kFinalQQ);
            s.w_input = ask_real(d, kW);
            s.cos_theta_input = ask_single(d, kCosTheta);
            break;
        case 8:
            s.w_input = ask_real(d, kTotalW);
            s.qq_input = ask_real(d, kQQ);
            s.xb_input = ask_real(d, kXB);
            break;
        default:  // 9 and 10
            s.w_input = ask_real(d, kTotalW);
            s.qq_input = ask_real(d, kQQ);
            break;
    }

    if (s.out == OutputKind::asymmetry && model == ModelKind::km)
        o.beam_energy_gev = ask_real(d, kBeamEnergy);
    else
        o.epsilon = ask_real(d, kPolarization);

    d.print("");
    d.print("");
    d.print("                              ");
    d.print("            WAIT!!!           ");
    d.print("   SMILE AND BE HAPPY!!! ^o^  ");
    d.print("                              ");
    return answers;
}

}  // namespace kavrin::models_program
