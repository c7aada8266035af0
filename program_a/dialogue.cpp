#include "program_a/dialogue.hpp"

#include <string>
#include <string_view>

#include "api/regge_core.hpp"
#include "io/results.hpp"
#include "kinematics/kinematics.hpp"
#include "program_a/model.hpp"

namespace kavrin::program_a {

namespace {

constexpr double gev = 1000.0;     // W answers in GeV -> MeV
constexpr double gev2 = 1.0e6;     // Q^2, -t, -u answers in GeV^2 -> MeV^2
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
void ask_minus_t(io::Dialogue& d, Settings& s, double w, double qq, bool mode3) {
    const ChannelData& ch = channel_data(s.gtype);
    const TRange r = kinematics(w, qq, ch.ibm, ch.fbm, ch.fmm);
    s.t_max = r.t_max;
    s.t_min = r.t_min;
    const std::string_view prompt = mode3 ? "INPUT: -T(GeV^2)?" : "INPUT: -T(GeV^2)?  ";
    d.print(std::string(prompt) + " (" + io::format_real(-s.t_max / 1.0e6) + " < -T < " +
            io::format_real(-s.t_min / 1.0e6) + ")");
    s.t_input = d.read_real(name_of(prompt));
}

void charged_channel_questions(io::Dialogue& d, Settings& s) {
    constexpr std::string_view ff_prompt = "CHOOSE NUCLEON FF: GPD FF(1)  OR  DIPOLE FF(2)";
    d.print(ff_prompt);
    s.fft_gnn = read_choice(d, ff_prompt, 1, 2, "1 (GPD) or 2 (dipole)");
    if (s.fft_gnn == 1) {
        d.print("Input the GPD slope alpha 1.105 for cuoff 0.843 GeV for both F1 & F2.");
        s.gpd_alp = ask_real(d, "Input the GPD slope alpha 0.3* for cutoff 1.55 GeV for both F1 & F2.");
        constexpr std::string_view f2_prompt =
            "FOR CHARGED CHANNELS NUCLEON MAGNETIC TERMS F2: ON(1) for BSA, OFF(2) for convention";
        d.print(f2_prompt);
        s.nucleon_f2 = read_choice(d, f2_prompt, 1, 2, "1 (F2 on) or 2 (F2 off)");
    } else {
        s.cut_f1 = ask_real(
            d, "Please input the F1 cut-off of nucleon in GeV: DESY=1.2 GeV, or Cornell, CEA, JLab=1.55 GeV.");
        s.cut_f2 = s.cut_f1;
        constexpr std::string_view f2_prompt =
            "FOR CHARGED CHANNELS NUCLEON MAGNETIC TERMS F2: ON(1) for BSA, OFF(2) for convnetion";
        d.print(f2_prompt);
        s.nucleon_f2 = read_choice(d, f2_prompt, 1, 2, "1 (F2 on) or 2 (F2 off)");
        // the F2 cut-off is shown but not asked: F2 uses the F1 cut-off
        if (s.nucleon_f2 == 1) d.print("Please input the F2 cut-off of nucleon in GeV: 0.843, or 1.55.");
    }
    d.print("SATURATION of PION FORM FACTOR BY CUTOFF LAMBDA: ON(1), OFF(2)*");
    d.print("QQ-dependence of PION REGGE SLOPE BY APS_QQ: ON(1), OFF(2)*");
    s.cutp_em = ask_real(d, "Please input the cut-off of Pion in MeV: DESY=710 MeV, or Cornell, CEA, JLab=775 MeV.");
    s.cutw_em = 775.0;
    constexpr std::string_view a1_prompt = "CHOOSE A1 MESON CC: POSITIVE (1) for BSA, OR NEGATIVE (2) for PRC2011";
    d.print(a1_prompt);
    s.a1_cc = read_any_int(d, a1_prompt);
}

void neutral_channel_questions(io::Dialogue& d, Settings& s) {
    constexpr std::string_view omega_prompt = "OMEGA_PHASE: nEXD(1), EXD(2)";
    d.print(omega_prompt);
    s.omega_phase = read_any_int(d, omega_prompt);
    d.print("%%% PLEASE CHECK THE HADRON FORM FACTOR F(t) IN NUCLEON BORN TERMS F1+F2.");
    d.print("%%% PLEASE CHECK THE HADRON FORM FACTOR F(t) IN NUCLEON BORN TERMS F1+F2.");
    s.cutw_em = ask_real(d, "Please input the cut-off of OMEGA in MeV: Ex 775.0.");
    constexpr std::string_view born_prompt = "FOR NEUTRAL CHANNELS NUCLEON BORN TERMS F1+F2: ON(1), OFF(2)";
    d.print(born_prompt);
    s.nucleon_poles = read_any_int(d, born_prompt);
    if (s.nucleon_poles != 1) {
        s.fft_gnn = 2;
        s.cut_f1 = s.cut_f2 = neutral_cut_f;
        return;
    }
    constexpr std::string_view ff_prompt = "CHOOSE NUCLEON FF: GPD FF(1)  OR  DIPOLE FF(2)";
    d.print(ff_prompt);
    s.fft_gnn = read_choice(d, ff_prompt, 1, 2, "1 (GPD) or 2 (dipole)");
    constexpr std::string_view f2_prompt = "NUCLEON MAGNETIC TERM F2: ON(1), OFF(2)";
    if (s.fft_gnn == 1) {
        d.print("Please input the GPD slope of nucleon in GeV: 1.105 for 0.843, or 0.3* for 1.55.");
        s.gpd_alp = neutral_gpd_alp;
        d.print(f2_prompt);
        s.nucleon_f2 = read_choice(d, f2_prompt, 1, 2, "1 (F2 on) or 2 (F2 off)");
    } else {
        s.cut_f1 = ask_real(d, "Please input the cut-off of nucleon F1 in GeV: 0.843, or 1.55.");
        s.cut_f2 = s.cut_f1;
        d.print(f2_prompt);
        s.nucleon_f2 = read_choice(d, f2_prompt, 1, 2, "1 (F2 on) or 2 (F2 off)");
        if (s.nucleon_f2 == 1) d.print("Please input the cut-off of nucleon F2 in GeV: 0.843, or 1.55.");
    }
}

// Questions and fixed limits of the scan modes of output kind 1.
void separated_scan_questions(io::Dialogue& d, Settings& s) {
    const ChannelData& ch = channel_data(s.gtype);
    switch (s.xaxis) {
        case 1:
            s.emax = ask_real(d, "INPUT: FINAL W(GeV)?") * gev;
            s.qqmin = s.qqmax = ask_real(d, "INPUT: QQ(GeV^2)?") * gev2;
            s.emin = ch.fbm + ch.fmm + 450.0;
            ask_minus_t(d, s, s.emax, s.qqmin, false);
            break;
        case 2:
            s.qqmax = ask_real(d, "INPUT: FINAL QQ(GeV^2)?") * gev2;
            s.emin = s.emax = ask_real(d, "INPUT: W(GeV)?") * gev;
            s.qqmin = 1000.0000610351562;  // 0.001 GeV^2 formed in single precision
            ask_minus_t(d, s, s.emax, s.qqmin, false);
            break;
        case 3:
            s.qqmax = ask_real(d, "INPUT: FINAL QQ(GeV^2)?") * gev2;
            s.xb_input = ask_real(d, "INPUT: XB? (0 < XB < 1.0)");
            s.qqmin = 500000.0;
            s.w_xb = 1;
            s.emin = s.emax = 3000.0;
            ask_minus_t(d, s, 3000.0, 500000.0, true);
            break;
        case 4:
            s.qqmax = ask_real(d, "INPUT: FINAL QQ(GeV^2)?") * gev2;
            s.xb_input = ask_real(d, "INPUT: XB? (0 < XB < 1.0)");
            s.theta_input = ask_real(d, "INPUT: THETA(DEG)?");
            s.qqmin = 100000.0;
            s.w_xb = 1;
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
            s.w_xb = 1;
            s.emin = s.emax = 3000.0;
            break;
        default:  // 9 and 10
            s.emin = s.emax = ask_real(d, "INPUT: TOTAL CM ENERGY W(GeV)?") * gev;
            s.qqmin = s.qqmax = ask_real(d, "INPUT: QQ(GeV^2)?") * gev2;
            break;
    }
}

// Questions and fixed limits of the input modes of output kind 3.
void dds_questions(io::Dialogue& d, Settings& s) {
    constexpr std::string_view w_prompt = "INPUT: TOTAL CM ENERGY W(GeV)? Ex, W=2.21 GeV";
    constexpr std::string_view qq_prompt = "INPUT: QQ(GeV^2)?  Ex, Q^2=1.6  OR 2.45";
    constexpr std::string_view t_prompt = "INPUT: -T(GeV^2) ? Ex, -T=0.55, 1.45, 2.30";
    constexpr std::string_view u_prompt = "INPUT: -U(GeV^2) ? Ex, -U=0.55, 1.45, 2.30";
    constexpr std::string_view xb_prompt = "INPUT: XB?  ( 0< XB <1 )";
    const auto angle_and_cosines = [&] {
        s.theta_deg = ask_real(d, "INPUT THETA(DEG):  Ex, 1.2, 3.6, 7.2");
        s.cos_phi_input = ask_real(d, "INPUT COS(PHI):  ");
        s.cos_2phi_input = ask_real(d, "INPUT COS(2*PHI):  ");
    };
    const ChannelData& ch = channel_data(s.gtype);
    switch (s.xaxis3) {
        case 1:
        case 2:
            s.emin = s.emax = ask_real(d, w_prompt) * gev;
            s.qqmin = s.qqmax = ask_real(d, qq_prompt) * gev2;
            if (s.xaxis3 == 1)
                s.t_input = ask_real(d, t_prompt);
            else
                s.u_input = ask_real(d, u_prompt);
            break;
        case 3:
        case 4:
            s.xb_input = ask_real(d, xb_prompt);
            s.qqmin = s.qqmax = ask_real(d, qq_prompt) * gev2;
            if (s.xaxis3 == 3)
                s.t_input = ask_real(d, t_prompt);
            else
                s.u_input = ask_real(d, u_prompt);
            s.w_xb = 1;
            s.emin = s.emax = 3000.0;
            break;
        case 5:
            s.emin = s.emax = ask_real(d, w_prompt) * gev;
            s.qqmin = s.qqmax = ask_real(d, qq_prompt) * gev2;
            s.phi = ask_real(d, "INPUT: PHI(DEGREE)?  0 TO 360");
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
bool dds_without_phi(const Settings& s) {
    return s.dds_type == 3 || s.dds_type == 4 || (s.dds_type == 1 && s.gtype == 2);
}

}  // namespace

Settings run_dialogue(io::Dialogue& d) {
    Settings s;
    d.print(hyphens);
    d.print("*** Pion ELECTRO-PRODUCTION v1 ***");
    d.print(hyphens);
    d.print(" ");
    d.print("GAMMA* P -> PI+ N (1)");
    constexpr std::string_view channel_prompt = "GAMMA* N -> PI- P (2)";
    d.print(channel_prompt);
    s.gtype = d.read_int("CHANNEL: GAMMA* P -> PI+ N (1), GAMMA* N -> PI- P (2)",
                         [](long long v) { return v >= 1 && v <= 4; },
                         "1 (pi+ n), 2 (pi- p), 3 (pi0 p) or 4 (pi0 n)");
    s.nucleon_poles = 2;

    if (s.gtype <= 2)
        charged_channel_questions(d, s);
    else
        neutral_channel_questions(d, s);

    s.w_xb = 0;
    d.print("WE WILL CALCULATE DIFF. CROSS SECTION AND SSA!!!");
    d.print("");
    constexpr std::string_view out_prompt =
        "WHICH ONE PRINT TO OUT: DST,DSL,DSTT,DSLT,DSLTP,dSU,L/T_ratio,BSA (1) OR DDS (3)";
    d.print(out_prompt);
    s.out = d.read_int(name_of(out_prompt), [](long long v) { return v == 1 || v == 3; },
                       "1 (separated cross sections) or 3 (DDS)");
    constexpr std::string_view range_prompt = "CHOOSE RANGE OF THETA ANGLE: SMALL(1), LARGE(2) ";
    d.print(range_prompt);
    s.angle_range = read_any_int(d, range_prompt);

    if (s.out == 1) {
        d.print("");
        d.print("**** CHECK WHICH SSA FOR KM OR HUBER!!! ***");
        d.print("");
        s.ds_ltp_sign = 1;
        d.print("CHOOSE X-AXIS & FIX VARs. : W,QQ&t(1), QQ,W&t(2), QQ,xb&t(3), QQ,xb&theta(4), QQ,W&theta(5)");
        d.print("   W,QQ&cos(theta)(6), QQ,W&cos(theta)(7),  -t,xb&QQ(8) ,  -t,W&QQ(9),  OR  cos(theta),W&QQ(10)");
        s.xaxis = read_choice(d, "CHOOSE X-AXIS & FIX VARs.", 1, 10, "a scan mode from 1 to 10");
        separated_scan_questions(d, s);
        d.print("INPUT: PHOTON POL EL(0<EL<1)?");
        s.el = ask_real(
            d, "Separated dcs needs not PHOTON POL EL(0<EL<1) and PUT ANLY VBSAE, e.g. 0.5, IF NOT RELEVANT");
    } else {
        d.print("Check the def. of DDS before running");
        d.print("CHOOSE DDS TYPE: DESY(1), CORNELL fixed(2), CORNELL ave.(3), CEA input(4), JLAB(5)");
        constexpr std::string_view type_prompt = "***DESY(1) calculates channel (2) with ave. PHI angle***";
        d.print(type_prompt);
        s.dds_type = read_choice(d, "CHOOSE DDS TYPE", 1, 5,
                                 "1 (DESY), 2 (Cornell fixed), 3 (Cornell ave.), 4 (CEA input) or 5 (JLab)");
        s.el = ask_real(d, "INPUT: PHOTON POL EL(0<EL<1)? OR PUT ANLY VBSAE IF NOT RELEVANT");
        d.print("WHAT IS INPUT? PHI,W&QQ&T(1), PHI,W&QQ&U(2), PHI,XB&QQ&T(3), PHI,XB&QQ&U(4), T,W&QQ&PHI(5) ");
        d.print("                               CEA-BROWN73-W(6)  OR  CEA-BROWN73-QQ(7) ");
        if (dds_without_phi(s))
            s.xaxis3 = read_choice(d, "WHAT IS INPUT?", 1, 7, "an input mode from 1 to 7");
        else
            s.xaxis3 = read_choice(d, "WHAT IS INPUT?", 1, 5,
                                   "an input mode from 1 to 5 (modes 6 and 7 give no PHI and need DDS type 3 or 4, "
                                   "or DESY for channel 2)");
        dds_questions(d, s);
    }

    constexpr std::string_view unit_prompt = "OUTPUT UNIT: MICROBARN(1), NANOBARN(2)";
    d.print(unit_prompt);
    s.outu = read_choice(d, unit_prompt, 1, 2, "1 (microbarn) or 2 (nanobarn)");
    d.print(blank30);
    d.print("            WAIT!!!           ");
    d.print("   SMILE AND BE HAPPY!!! ^o^  ");
    d.print(blank30);
    return s;
}

regge::Options physics_options(const Settings& s) {
    using namespace regge;
    Options o;
    o.channel = static_cast<Channel>(s.gtype);
    const bool charged = s.gtype <= 2;
    const bool form_factors = charged || s.nucleon_poles == 1;
    if (charged) {
        o.pion_cutoff_mev = s.cutp_em;
        o.a1_sign = s.a1_cc == 1 ? A1Sign::positive : A1Sign::negative;
    } else {
        o.omega_phase = s.omega_phase == 1 ? OmegaPhase::non_degenerate : OmegaPhase::degenerate;
        o.omega_cutoff_mev = s.cutw_em;
        o.born_terms = s.nucleon_poles == 1;
    }
    if (form_factors) {
        o.form_factors = static_cast<FormFactors>(s.fft_gnn);
        if (s.fft_gnn == 1 && charged) o.gpd_slope_per_gev2 = s.gpd_alp;
        if (s.fft_gnn == 2) o.nucleon_cutoff_gev = s.cut_f1;
        o.pauli_terms = s.nucleon_f2 == 1;
    }
    o.epsilon = s.el;
    if (s.out == 3) {
        Dds dds;
        dds.type = static_cast<DdsType>(s.dds_type);
        if (s.xaxis3 == 5 && regge::dds_uses_phi(dds.type, *o.channel)) dds.phi = s.phi * pi / 180.0;
        if ((s.xaxis3 == 6 || s.xaxis3 == 7) && s.dds_type == 4) {
            dds.cos_phi = s.cos_phi_input;
            dds.cos_2phi = s.cos_2phi_input;
        }
        o.dds = dds;
    }
    o.unit = static_cast<CrossSectionUnit>(s.outu);
    return o;
}

regge::Settings physics_settings(const Settings& s) { return regge::detail::Access::as_answered(physics_options(s)); }

}  // namespace kavrin::program_a
