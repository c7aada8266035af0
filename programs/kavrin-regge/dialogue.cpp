#include "kavrin-regge/dialogue.hpp"

#include <string>
#include <string_view>

#include "io/results.hpp"
#include "kinematics/kinematics.hpp"
#include "models/regge/model.hpp"
#include "kernel/units.hpp"

namespace kavrin::regge_program {

using namespace regge;
using internal::channel_data;
using internal::ChannelData;

namespace {

constexpr double gev = units::mev_per_gev;     // W answers in GeV -> MeV
constexpr double gev2 = units::mev2_per_gev2;  // Q^2, -t, -u answers in GeV^2 -> MeV^2
constexpr std::string_view hyphens = "-----------------------------------------------";
constexpr std::string_view blank30 = "                              ";

// The question as named in error messages: the prompt without its trailing blanks.
std::string_view name_of(std::string_view prompt) {
    while (!prompt.empty() && prompt.back() == ' ') prompt.remove_suffix(1);
    return prompt;
}

// Prints a prompt and reads a real answer to it.
double ask_real(io::Dialogue& d, std::string_view prompt) {
    d.print(prompt);
    return d.read_real(name_of(prompt));
}


// Reads an integer answer between lo and hi to the question `prompt` (already printed).
int read_choice(io::Dialogue& d, std::string_view prompt, int lo, int hi, std::string_view choices) {
    return d.read_int(name_of(prompt), [lo, hi](long long v) { return v >= lo && v <= hi; }, choices);
}

// Reads an integer answer of which every value has a meaning.
int read_any_int(io::Dialogue& d, std::string_view prompt) {
    return d.read_int(name_of(prompt), [](long long) { return true; }, "an integer");
}

// The -t question of scan modes 1-3, showing the physical -t range (GeV^2) at W = w, Q^2 = qq (MeV, MeV^2).
void ask_minus_t(io::Dialogue& d, Channel channel, Scan& s, double w, double qq, bool mode3) {
    const ChannelData& ch = channel_data(channel);
    const TRange r = kinematics(w, qq, ch.ibm, ch.fbm, ch.fmm);
    s.t_max = r.t_max;
    s.t_min = r.t_min;
    const std::string_view prompt = mode3 ? "INPUT: -T(GeV^2)?" : "INPUT: -T(GeV^2)?  ";
    d.print(std::string(prompt) + " (" + io::format_real(units::mev2_to_gev2(-s.t_max)) + " < -T < " +
            io::format_real(units::mev2_to_gev2(-s.t_min)) + ")");
    s.t_input = d.read_real(name_of(prompt));
}

// The answer to an "ON(1), OFF(2)" question: 1 is on.
bool on(int answer) { return answer == 1; }

void charged_channel_questions(io::Dialogue& d, Options& o) {
    constexpr std::string_view ff_prompt = "CHOOSE NUCLEON FF: GPD FF(1)  OR  DIPOLE FF(2)";
    d.print(ff_prompt);
    o.form_factors = static_cast<FormFactors>(read_choice(d, ff_prompt, 1, 2, "1 (GPD) or 2 (dipole)"));
    if (o.form_factors == FormFactors::gpd) {
        d.print("Input the GPD slope alpha 1.105 for cuoff 0.843 GeV for both F1 & F2.");
        o.gpd_slope_per_gev2 = ask_real(d, "Input the GPD slope alpha 0.3* for cutoff 1.55 GeV for both F1 & F2.");
        constexpr std::string_view f2_prompt =
            "FOR CHARGED CHANNELS NUCLEON MAGNETIC TERMS F2: ON(1) for BSA, OFF(2) for convention";
        d.print(f2_prompt);
        o.pauli_terms = on(read_choice(d, f2_prompt, 1, 2, "1 (F2 on) or 2 (F2 off)"));
    } else {
        o.nucleon_cutoff_gev = ask_real(
            d, "Please input the F1 cut-off of nucleon in GeV: DESY=1.2 GeV, or Cornell, CEA, JLab=1.55 GeV.");
        constexpr std::string_view f2_prompt =
            "FOR CHARGED CHANNELS NUCLEON MAGNETIC TERMS F2: ON(1) for BSA, OFF(2) for convnetion";
        d.print(f2_prompt);
        o.pauli_terms = on(read_choice(d, f2_prompt, 1, 2, "1 (F2 on) or 2 (F2 off)"));
        // the F2 cut-off is shown but not asked: F2 uses the F1 cut-off
        if (*o.pauli_terms) d.print("Please input the F2 cut-off of nucleon in GeV: 0.843, or 1.55.");
    }
    d.print("SATURATION of PION FORM FACTOR BY CUTOFF LAMBDA: ON(1), OFF(2)*");
    d.print("QQ-dependence of PION REGGE SLOPE BY APS_QQ: ON(1), OFF(2)*");
    o.pion_cutoff_mev =
        ask_real(d, "Please input the cut-off of Pion in MeV: DESY=710 MeV, or Cornell, CEA, JLab=775 MeV.");
    constexpr std::string_view a1_prompt = "CHOOSE A1 MESON CC: POSITIVE (1) for BSA, OR NEGATIVE (2) for PRC2011";
    d.print(a1_prompt);
    // 1 is positive; any other integer negative
    o.a1_sign = read_any_int(d, a1_prompt) == 1 ? A1Sign::positive : A1Sign::negative;
}

void neutral_channel_questions(io::Dialogue& d, Options& o) {
    constexpr std::string_view omega_prompt = "OMEGA_PHASE: nEXD(1), EXD(2)";
    d.print(omega_prompt);
    // 1 is nEXD; any other integer EXD
    o.omega_phase = read_any_int(d, omega_prompt) == 1 ? OmegaPhase::non_degenerate : OmegaPhase::degenerate;
    d.print("%%% PLEASE CHECK THE HADRON FORM FACTOR F(t) IN NUCLEON BORN TERMS F1+F2.");
    d.print("%%% PLEASE CHECK THE HADRON FORM FACTOR F(t) IN NUCLEON BORN TERMS F1+F2.");
    o.omega_cutoff_mev = ask_real(d, "Please input the cut-off of OMEGA in MeV: Ex 775.0.");
    constexpr std::string_view born_prompt = "FOR NEUTRAL CHANNELS NUCLEON BORN TERMS F1+F2: ON(1), OFF(2)";
    d.print(born_prompt);
    o.born_terms = on(read_any_int(d, born_prompt));  // any integer but 1 is off
    if (!*o.born_terms) return;
    constexpr std::string_view ff_prompt = "CHOOSE NUCLEON FF: GPD FF(1)  OR  DIPOLE FF(2)";
    d.print(ff_prompt);
    o.form_factors = static_cast<FormFactors>(read_choice(d, ff_prompt, 1, 2, "1 (GPD) or 2 (dipole)"));
    constexpr std::string_view f2_prompt = "NUCLEON MAGNETIC TERM F2: ON(1), OFF(2)";
    if (o.form_factors == FormFactors::gpd) {
        // the slope is shown but fixed at 0.3 GeV^-2
        d.print("Please input the GPD slope of nucleon in GeV: 1.105 for 0.843, or 0.3* for 1.55.");
        d.print(f2_prompt);
        o.pauli_terms = on(read_choice(d, f2_prompt, 1, 2, "1 (F2 on) or 2 (F2 off)"));
    } else {
        o.nucleon_cutoff_gev = ask_real(d, "Please input the cut-off of nucleon F1 in GeV: 0.843, or 1.55.");
        d.print(f2_prompt);
        o.pauli_terms = on(read_choice(d, f2_prompt, 1, 2, "1 (F2 on) or 2 (F2 off)"));
        if (*o.pauli_terms) d.print("Please input the cut-off of nucleon F2 in GeV: 0.843, or 1.55.");
    }
}

// Questions and fixed limits of the scan modes of output kind 1.
void separated_scan_questions(io::Dialogue& d, Channel channel, Scan& s) {
    const ChannelData& ch = channel_data(channel);
    switch (s.mode) {
        case 1:
            s.emax = ask_real(d, "INPUT: FINAL W(GeV)?") * gev;
            s.qqmin = s.qqmax = ask_real(d, "INPUT: QQ(GeV^2)?") * gev2;
            s.emin = ch.fbm + ch.fmm + 450.0;
            ask_minus_t(d, channel, s, s.emax, s.qqmin, false);
            break;
        case 2:
            s.qqmax = ask_real(d, "INPUT: FINAL QQ(GeV^2)?") * gev2;
            s.emin = s.emax = ask_real(d, "INPUT: W(GeV)?") * gev;
            s.qqmin = 1000.0000610351562;  // 0.001 GeV^2 formed in single precision
            ask_minus_t(d, channel, s, s.emax, s.qqmin, false);
            break;
        case 3:
            s.qqmax = ask_real(d, "INPUT: FINAL QQ(GeV^2)?") * gev2;
            s.xb_input = ask_real(d, "INPUT: XB? (0 < XB < 1.0)");
            s.qqmin = 500000.0;
            s.w_from_xb = true;
            s.emin = s.emax = 3000.0;
            ask_minus_t(d, channel, s, 3000.0, 500000.0, true);
            break;
        case 4:
            s.qqmax = ask_real(d, "INPUT: FINAL QQ(GeV^2)?") * gev2;
            s.xb_input = ask_real(d, "INPUT: XB? (0 < XB < 1.0)");
            s.theta_input = ask_real(d, "INPUT: THETA(DEG)?");
            s.qqmin = 100000.0;
            s.w_from_xb = true;
            s.emin = s.emax = 3000.0;
            break;
        case 5:
            s.qqmax = ask_real(d, "INPUT: FINAL QQ(GeV^2)?") * gev2;
            s.emin = s.emax = ask_real(d, "INPUT: W(GeV)?") * gev;
            s.theta_input = ask_real(d, "INPUT: THETA(DEG)?");
            s.qqmin = 10000.0;
            break;
        case 6:
            s.emax = ask_real(d, "INPUT: FINAL W(GeV)?") * gev;
            s.qqmin = s.qqmax = ask_real(d, "INPUT: QQ(GeV^2)?") * gev2;
            s.cos_theta_input = ask_real(d, "INPUT: COS(THETA)? cos(3.6)=0.998, cos(7.2)=0.992");
            s.emin = ch.fbm + ch.fmm + 10.0;
            break;
        case 7:
            s.qqmax = ask_real(d, "INPUT: FINAL QQ(GeV^2)?") * gev2;
            s.emin = s.emax = ask_real(d, "INPUT: W(GeV)?") * gev;
            s.cos_theta_input = ask_real(d, "INPUT: COS(THETA)? ");
            s.qqmin = 100000.0;
            break;
        case 8:
            s.qqmin = s.qqmax = ask_real(d, "INPUT: QQ(GeV^2)?") * gev2;
            s.xb_input = ask_real(d, "INPUT: XB? (0 < XB < 1.0)");
            s.w_from_xb = true;
            s.emin = s.emax = 3000.0;
            break;
        default:  // 9 and 10
            s.emin = s.emax = ask_real(d, "INPUT: TOTAL CM ENERGY W(GeV)?") * gev;
            s.qqmin = s.qqmax = ask_real(d, "INPUT: QQ(GeV^2)?") * gev2;
            break;
    }
}

// Questions and fixed limits of the input modes of output kind 3.
void dds_questions(io::Dialogue& d, Channel channel, Scan& s, Dds& dds, double& phi_deg) {
    constexpr std::string_view w_prompt = "INPUT: TOTAL CM ENERGY W(GeV)? Ex, W=2.21 GeV";
    constexpr std::string_view qq_prompt = "INPUT: QQ(GeV^2)?  Ex, Q^2=1.6  OR 2.45";
    constexpr std::string_view t_prompt = "INPUT: -T(GeV^2) ? Ex, -T=0.55, 1.45, 2.30";
    constexpr std::string_view u_prompt = "INPUT: -U(GeV^2) ? Ex, -U=0.55, 1.45, 2.30";
    constexpr std::string_view xb_prompt = "INPUT: XB?  ( 0< XB <1 )";
    const auto angle_and_cosines = [&] {
        s.theta_deg = ask_real(d, "INPUT THETA(DEG):  Ex, 1.2, 3.6, 7.2");
        const double cos_phi = ask_real(d, "INPUT COS(PHI):  ");
        const double cos_2phi = ask_real(d, "INPUT COS(2*PHI):  ");
        // only CEA takes the cosines
        if (dds.type == DdsType::cea) {
            dds.cos_phi = cos_phi;
            dds.cos_2phi = cos_2phi;
        }
    };
    const ChannelData& ch = channel_data(channel);
    switch (s.dds_mode) {
        case 1:
        case 2:
            s.emin = s.emax = ask_real(d, w_prompt) * gev;
            s.qqmin = s.qqmax = ask_real(d, qq_prompt) * gev2;
            if (s.dds_mode == 1)
                s.t_input = ask_real(d, t_prompt);
            else
                s.u_input = ask_real(d, u_prompt);
            break;
        case 3:
        case 4:
            s.xb_input = ask_real(d, xb_prompt);
            s.qqmin = s.qqmax = ask_real(d, qq_prompt) * gev2;
            if (s.dds_mode == 3)
                s.t_input = ask_real(d, t_prompt);
            else
                s.u_input = ask_real(d, u_prompt);
            s.w_from_xb = true;
            s.emin = s.emax = 3000.0;
            break;
        case 5:
            s.emin = s.emax = ask_real(d, w_prompt) * gev;
            s.qqmin = s.qqmax = ask_real(d, qq_prompt) * gev2;
            phi_deg = ask_real(d, "INPUT: PHI(DEGREE)?  0 TO 360");
            break;
        case 6:
            s.qqmin = s.qqmax = ask_real(d, "INPUT: QQ(GeV^2)?  Ex, Q^2=0.29, 0.30, 0.28, 0.31, 0.26") * gev2;
            angle_and_cosines();
            s.emin = ch.fbm + ch.fmm + 10.0;
            s.emax = 4000.0;
            break;
        default:  // 7
            s.emin = s.emax = ask_real(d, w_prompt) * gev;
            angle_and_cosines();
            s.qqmin = 50000.0;
            s.qqmax = 4000000.0;
            break;
    }
}

// DDS conventions that need no phi: the Cornell average, the CEA cosines and the DESY average of channel 2.
bool dds_without_phi(DdsType type, Channel channel) { return type == DdsType::cea || !dds_uses_phi(type, channel); }

}  // namespace

Answers run_dialogue(io::Dialogue& d) {
    Answers answers;
    Options& o = answers.physics;
    Scan& s = answers.scan;
    d.print(hyphens);
    d.print("*** Pion ELECTRO-PRODUCTION v1 ***");
    d.print(hyphens);
    d.print(" ");
    d.print("GAMMA* P -> PI+ N (1)");
    constexpr std::string_view channel_prompt = "GAMMA* N -> PI- P (2)";
    d.print(channel_prompt);
    const Channel channel = static_cast<Channel>(d.read_int("CHANNEL: GAMMA* P -> PI+ N (1), GAMMA* N -> PI- P (2)",
                                                            [](long long v) { return v >= 1 && v <= 4; },
                                                            "1 (pi+ n), 2 (pi- p), 3 (pi0 p) or 4 (pi0 n)"));
    o.channel = channel;

    if (channel == Channel::pi_plus_n || channel == Channel::pi_minus_p)
        charged_channel_questions(d, o);
    else
        neutral_channel_questions(d, o);

    d.print("WE WILL CALCULATE DIFF. CROSS SECTION AND SSA!!!");
    d.print("");
    constexpr std::string_view out_prompt =
        "WHICH ONE PRINT TO OUT: DST,DSL,DSTT,DSLT,DSLTP,dSU,L/T_ratio,BSA (1) OR DDS (3)";
    d.print(out_prompt);
    s.out = static_cast<OutputKind>(d.read_int(name_of(out_prompt), [](long long v) { return v == 1 || v == 3; },
                                               "1 (separated cross sections) or 3 (DDS)"));
    constexpr std::string_view range_prompt = "CHOOSE RANGE OF THETA ANGLE: SMALL(1), LARGE(2) ";
    d.print(range_prompt);
    s.small_angles = read_any_int(d, range_prompt) == 1;

    if (s.out == OutputKind::separated) {
        d.print("");
        d.print("**** CHECK WHICH SSA FOR KM OR HUBER!!! ***");
        d.print("");
        d.print("CHOOSE X-AXIS & FIX VARs. : W,QQ&t(1), QQ,W&t(2), QQ,xb&t(3), QQ,xb&theta(4), QQ,W&theta(5)");
        d.print("   W,QQ&cos(theta)(6), QQ,W&cos(theta)(7),  -t,xb&QQ(8) ,  -t,W&QQ(9),  OR  cos(theta),W&QQ(10)");
        s.mode = read_choice(d, "CHOOSE X-AXIS & FIX VARs.", 1, 10, "a scan mode from 1 to 10");
        separated_scan_questions(d, channel, s);
        d.print("INPUT: PHOTON POL EL(0<EL<1)?");
        o.epsilon = ask_real(
            d, "Separated dcs needs not PHOTON POL EL(0<EL<1) and PUT ANLY VBSAE, e.g. 0.5, IF NOT RELEVANT");
    } else {
        d.print("Check the def. of DDS before running");
        d.print("CHOOSE DDS TYPE: DESY(1), CORNELL fixed(2), CORNELL ave.(3), CEA input(4), JLAB(5)");
        constexpr std::string_view type_prompt = "***DESY(1) calculates channel (2) with ave. PHI angle***";
        d.print(type_prompt);
        Dds dds;
        dds.type = static_cast<DdsType>(
            read_choice(d, "CHOOSE DDS TYPE", 1, 5,
                        "1 (DESY), 2 (Cornell fixed), 3 (Cornell ave.), 4 (CEA input) or 5 (JLab)"));
        o.epsilon = ask_real(d, "INPUT: PHOTON POL EL(0<EL<1)? OR PUT ANLY VBSAE IF NOT RELEVANT");
        d.print("WHAT IS INPUT? PHI,W&QQ&T(1), PHI,W&QQ&U(2), PHI,XB&QQ&T(3), PHI,XB&QQ&U(4), T,W&QQ&PHI(5) ");
        d.print("                               CEA-BROWN73-W(6)  OR  CEA-BROWN73-QQ(7) ");
        if (dds_without_phi(dds.type, channel))
            s.dds_mode = read_choice(d, "WHAT IS INPUT?", 1, 7, "an input mode from 1 to 7");
        else
            s.dds_mode = read_choice(d, "WHAT IS INPUT?", 1, 5,
                                     "an input mode from 1 to 5 (modes 6 and 7 give no PHI and need DDS type 3 or 4, "
                                     "or DESY for channel 2)");
        double phi_deg = 0.0;
        dds_questions(d, channel, s, dds, phi_deg);
        // the answered phi (degrees) enters the conventions that take it
        if (s.dds_mode == 5 && dds_uses_phi(dds.type, channel)) dds.phi = phi_deg * internal::pi / 180.0;
        o.dds = dds;
    }

    constexpr std::string_view unit_prompt = "OUTPUT UNIT: MICROBARN(1), NANOBARN(2)";
    d.print(unit_prompt);
    o.unit = static_cast<CrossSectionUnit>(read_choice(d, unit_prompt, 1, 2, "1 (microbarn) or 2 (nanobarn)"));
    d.print(blank30);
    d.print("            WAIT!!!           ");
    d.print("   SMILE AND BE HAPPY!!! ^o^  ");
    d.print(blank30);
    return answers;
}

}  // namespace kavrin::regge_program
