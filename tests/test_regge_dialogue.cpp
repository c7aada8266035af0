// The kavrin-regge dialogue read from answer text, the Gauss-Legendre table reader and the loop counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "formfactors/gpd.hpp"
#include "io/answers.hpp"
#include "io/result_files.hpp"
#include "io/results.hpp"
#include "io/run.hpp"
#include "kavrin-regge/dialogue.hpp"
#include "kavrin-regge/scan.hpp"
#include "kavrin/regge.hpp"
#include "kinematics/kinematics.hpp"
#include "models/regge/model.hpp"

using namespace kavrin;
using namespace kavrin::regge_program;
using kavrin::regge::A1Sign;
using kavrin::regge::DdsType;
using kavrin::regge::FormFactors;
using kavrin::regge::OmegaPhase;

namespace {

struct Transcript {
    regge::Options physics;
    Scan scan;
    std::vector<std::string> records;
};

std::vector<std::string> split_records(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// Runs the dialogue on the answer text (as from an answer file) and collects the printed records.
Transcript run(const std::string& answers, bool interactive = false) {
    std::istringstream in(answers);
    std::ostringstream out;
    io::Dialogue d(in, out, interactive);
    Transcript t;
    const Answers a = run_dialogue(d);
    t.physics = a.physics;
    t.scan = a.scan;
    t.records = split_records(out.str());
    return t;
}

// The message of the DialogueError that the answers end in (empty when the dialogue completes).
std::string failure(const std::string& answers) {
    try {
        run(answers);
    } catch (const io::DialogueError& e) {
        return e.what();
    }
    return "";
}

const std::string rule47 = " -----------------------------------------------";
const std::vector<std::string> banner = {rule47, " *** Pion ELECTRO-PRODUCTION v1 ***", rule47, "  ",
                                         " GAMMA* P -> PI+ N (1)", " GAMMA* N -> PI- P (2)"};
const std::vector<std::string> closing = {
    " OUTPUT UNIT: MICROBARN(1), NANOBARN(2)", std::string(31, ' '), "             WAIT!!!           ",
    "    SMILE AND BE HAPPY!!! ^o^  ", std::string(31, ' ')};
const std::vector<std::string> kind1_head = {
    " WE WILL CALCULATE DIFF. CROSS SECTION AND SSA!!!",
    " ",
    " WHICH ONE PRINT TO OUT: DST,DSL,DSTT,DSLT,DSLTP,dSU,L/T_ratio,BSA (1) OR DDS (3)",
    " CHOOSE RANGE OF THETA ANGLE: SMALL(1), LARGE(2) ",
    " ",
    " **** CHECK WHICH SSA FOR KM OR HUBER!!! ***",
    " ",
    " CHOOSE X-AXIS & FIX VARs. : W,QQ&t(1), QQ,W&t(2), QQ,xb&t(3), QQ,xb&theta(4), QQ,W&theta(5)",
    "    W,QQ&cos(theta)(6), QQ,W&cos(theta)(7),  -t,xb&QQ(8) ,  -t,W&QQ(9),  OR  cos(theta),W&QQ(10)"};
const std::vector<std::string> el_question = {
    " INPUT: PHOTON POL EL(0<EL<1)?",
    " Separated dcs needs not PHOTON POL EL(0<EL<1) and PUT ANLY VBSAE, e.g. 0.5, IF NOT RELEVANT"};

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace

// pi+ n, dipole form factors with F2 on, -t scan at W = 2.22 GeV, Q^2 = 1.60 GeV^2.
TEST(ReggeDialogue, ChargedDipoleThetaScanTranscriptAndSettings) {
    const Transcript t = run("1\n2\n1.55\n1\n775\n1\n1\n2\n9\n2.22\n1.60\n0.5\n1\n");
    const std::vector<std::string> expected = concat(
        {banner,
         {" CHOOSE NUCLEON FF: GPD FF(1)  OR  DIPOLE FF(2)",
          " Please input the F1 cut-off of nucleon in GeV: DESY=1.2 GeV, or Cornell, CEA, JLab=1.55 GeV.",
          " FOR CHARGED CHANNELS NUCLEON MAGNETIC TERMS F2: ON(1) for BSA, OFF(2) for convnetion",
          " Please input the F2 cut-off of nucleon in GeV: 0.843, or 1.55.",
          " SATURATION of PION FORM FACTOR BY CUTOFF LAMBDA: ON(1), OFF(2)*",
          " QQ-dependence of PION REGGE SLOPE BY APS_QQ: ON(1), OFF(2)*",
          " Please input the cut-off of Pion in MeV: DESY=710 MeV, or Cornell, CEA, JLab=775 MeV.",
          " CHOOSE A1 MESON CC: POSITIVE (1) for BSA, OR NEGATIVE (2) for PRC2011"},
         kind1_head,
         {" INPUT: TOTAL CM ENERGY W(GeV)?", " INPUT: QQ(GeV^2)?"},
         el_question,
         closing});
    EXPECT_EQ(t.records, expected);
    const regge::Options& p = t.physics;
    EXPECT_EQ(p.channel, Channel::pi_plus_n);
    EXPECT_EQ(p.form_factors, FormFactors::dipole);
    EXPECT_EQ(p.nucleon_cutoff_gev, 1.55);  // the F2 cut-off line is printed, not read: F2 takes the F1 cut-off
    EXPECT_FALSE(p.gpd_slope_per_gev2);
    EXPECT_EQ(p.pauli_terms, true);
    EXPECT_EQ(p.pion_cutoff_mev, 775.0);  // taken from the line after the F2 cut-off text
    EXPECT_FALSE(p.omega_cutoff_mev);     // no omega exchange in the charged channels
    EXPECT_FALSE(p.omega_phase);
    EXPECT_FALSE(p.born_terms);
    EXPECT_EQ(p.a1_sign, A1Sign::positive);
    EXPECT_EQ(p.epsilon, 0.5);
    EXPECT_FALSE(p.dds);
    EXPECT_EQ(p.unit, CrossSectionUnit::microbarn);
    EXPECT_NO_THROW(regge::Settings{p});
    const Scan& s = t.scan;
    EXPECT_EQ(s.out, OutputKind::separated);
    EXPECT_FALSE(s.small_angles);
    EXPECT_EQ(s.mode, 9);
    EXPECT_DOUBLE_EQ(s.emin, 2220.0);
    EXPECT_EQ(s.emin, s.emax);
    EXPECT_DOUBLE_EQ(s.qqmin, 1.6e6);
    EXPECT_EQ(s.qqmin, s.qqmax);
    EXPECT_FALSE(s.w_from_xb);
}

TEST(ReggeDialogue, ChargedGpdAsksTheSlopeAndUsesItAsRead) {
    const Transcript t = run("2\n1\n1.105\n2\n710\n2\n1\n1\n10\n2.0\n1.0\n0.3\n2\n");
    const std::vector<std::string> expected = concat(
        {banner,
         {" CHOOSE NUCLEON FF: GPD FF(1)  OR  DIPOLE FF(2)",
          " Input the GPD slope alpha 1.105 for cuoff 0.843 GeV for both F1 & F2.",
          " Input the GPD slope alpha 0.3* for cutoff 1.55 GeV for both F1 & F2.",
          " FOR CHARGED CHANNELS NUCLEON MAGNETIC TERMS F2: ON(1) for BSA, OFF(2) for convention",
          " SATURATION of PION FORM FACTOR BY CUTOFF LAMBDA: ON(1), OFF(2)*",
          " QQ-dependence of PION REGGE SLOPE BY APS_QQ: ON(1), OFF(2)*",
          " Please input the cut-off of Pion in MeV: DESY=710 MeV, or Cornell, CEA, JLab=775 MeV.",
          " CHOOSE A1 MESON CC: POSITIVE (1) for BSA, OR NEGATIVE (2) for PRC2011"},
         kind1_head,
         {" INPUT: TOTAL CM ENERGY W(GeV)?", " INPUT: QQ(GeV^2)?"},
         el_question,
         closing});
    EXPECT_EQ(t.records, expected);
    EXPECT_EQ(t.physics.channel, Channel::pi_minus_p);
    EXPECT_EQ(t.physics.form_factors, FormFactors::gpd);
    EXPECT_EQ(t.physics.gpd_slope_per_gev2, 1.105);  // a double, not rounded to single precision
    EXPECT_FALSE(t.physics.nucleon_cutoff_gev);
    EXPECT_EQ(t.physics.pauli_terms, false);
    EXPECT_EQ(t.physics.pion_cutoff_mev, 710.0);
    EXPECT_EQ(t.physics.a1_sign, A1Sign::negative);
    EXPECT_TRUE(t.scan.small_angles);
    EXPECT_EQ(t.scan.mode, 10);
    EXPECT_EQ(t.physics.unit, CrossSectionUnit::nanobarn);
    EXPECT_NO_THROW(regge::Settings{t.physics});
}

// The banner offers 1 and 2 only; 3 selects pi0 p with its own questions.
TEST(ReggeDialogue, NeutralChannelWithBornTermsAndGpdFormFactors) {
    const Transcript t = run("3\n2\n700\n1\n1\n1\n1\n2\n9\n2.5\n2.0\n0.5\n1\n");
    const std::vector<std::string> expected = concat(
        {banner,
         {" OMEGA_PHASE: nEXD(1), EXD(2)",
          " %%% PLEASE CHECK THE HADRON FORM FACTOR F(t) IN NUCLEON BORN TERMS F1+F2.",
          " %%% PLEASE CHECK THE HADRON FORM FACTOR F(t) IN NUCLEON BORN TERMS F1+F2.",
          " Please input the cut-off of OMEGA in MeV: Ex 775.0.",
          " FOR NEUTRAL CHANNELS NUCLEON BORN TERMS F1+F2: ON(1), OFF(2)",
          " CHOOSE NUCLEON FF: GPD FF(1)  OR  DIPOLE FF(2)",
          " Please input the GPD slope of nucleon in GeV: 1.105 for 0.843, or 0.3* for 1.55.",
          " NUCLEON MAGNETIC TERM F2: ON(1), OFF(2)"},
         kind1_head,
         {" INPUT: TOTAL CM ENERGY W(GeV)?", " INPUT: QQ(GeV^2)?"},
         el_question,
         closing});
    EXPECT_EQ(t.records, expected);
    EXPECT_EQ(t.physics.channel, Channel::pi0_p);
    EXPECT_EQ(t.physics.omega_phase, OmegaPhase::degenerate);
    EXPECT_EQ(t.physics.omega_cutoff_mev, 700.0);
    EXPECT_EQ(t.physics.born_terms, true);
    EXPECT_EQ(t.physics.form_factors, FormFactors::gpd);
    // the slope is shown, not asked: the model takes the fixed slope of the neutral channels
    EXPECT_FALSE(t.physics.gpd_slope_per_gev2);
    EXPECT_EQ(t.physics.pauli_terms, true);
    EXPECT_FALSE(t.physics.pion_cutoff_mev);
    EXPECT_FALSE(t.physics.a1_sign);
    EXPECT_NO_THROW(regge::Settings{t.physics});
}

TEST(ReggeDialogue, NeutralChannelDipoleAndBornOff) {
    // pi0 n, dipole with F2 on: the F2 cut-off line is printed and not read
    const Transcript dip = run("4\n1\n775\n1\n2\n0.843\n1\n1\n2\n9\n2.5\n2.0\n0.5\n1\n");
    const std::vector<std::string> neutral_dipole = {
        " OMEGA_PHASE: nEXD(1), EXD(2)",
        " %%% PLEASE CHECK THE HADRON FORM FACTOR F(t) IN NUCLEON BORN TERMS F1+F2.",
        " %%% PLEASE CHECK THE HADRON FORM FACTOR F(t) IN NUCLEON BORN TERMS F1+F2.",
        " Please input the cut-off of OMEGA in MeV: Ex 775.0.",
        " FOR NEUTRAL CHANNELS NUCLEON BORN TERMS F1+F2: ON(1), OFF(2)",
        " CHOOSE NUCLEON FF: GPD FF(1)  OR  DIPOLE FF(2)",
        " Please input the cut-off of nucleon F1 in GeV: 0.843, or 1.55.",
        " NUCLEON MAGNETIC TERM F2: ON(1), OFF(2)",
        " Please input the cut-off of nucleon F2 in GeV: 0.843, or 1.55."};
    EXPECT_EQ(std::vector<std::string>(dip.records.begin() + 6, dip.records.begin() + 15), neutral_dipole);
    EXPECT_EQ(dip.records[15], kind1_head[0]);
    EXPECT_EQ(dip.physics.form_factors, FormFactors::dipole);
    EXPECT_EQ(dip.physics.nucleon_cutoff_gev, 0.843);  // for F1 and F2
    EXPECT_EQ(dip.physics.pauli_terms, true);

    // Born terms off (any answer but 1): no form-factor question, the next question is the output kind
    const Transcript off = run("4\n1\n775\n3\n1\n2\n9\n2.5\n2.0\n0.5\n1\n");
    EXPECT_EQ(off.records[10], " FOR NEUTRAL CHANNELS NUCLEON BORN TERMS F1+F2: ON(1), OFF(2)");
    EXPECT_EQ(off.records[11], kind1_head[0]);
    EXPECT_EQ(off.physics.born_terms, false);
    // without the Born terms the nucleon form factors do not enter: none of their options is given
    EXPECT_FALSE(off.physics.form_factors);
    EXPECT_FALSE(off.physics.nucleon_cutoff_gev);
    EXPECT_FALSE(off.physics.gpd_slope_per_gev2);
    EXPECT_FALSE(off.physics.pauli_terms);
    EXPECT_EQ(off.scan.mode, 9);
    EXPECT_NO_THROW(regge::Settings{off.physics});
}

// Mode 1: the -t question shows the physical range at the final W and the answered Q^2.
TEST(ReggeDialogue, MinusTRangeRecordOfModesOneToThree) {
    const std::string charged = "1\n2\n1.55\n2\n775\n1\n1\n2\n";
    const Transcript m1 = run(charged + "1\n2\n1.0\n0.5\n0.5\n1\n");
    const TRange r1 = kinematics(2000.0, 1.0e6, 938.272, 939.565, 139.57000732421875);
    const std::vector<std::string> tail1 = {
        " INPUT: FINAL W(GeV)?", " INPUT: QQ(GeV^2)?",
        " INPUT: -T(GeV^2)?   (" + io::format_real(-r1.t_max / 1.0e6) + " < -T < " +
            io::format_real(-r1.t_min / 1.0e6) + ")"};
    const auto at = std::find(m1.records.begin(), m1.records.end(), " INPUT: FINAL W(GeV)?");
    ASSERT_NE(at, m1.records.end());
    EXPECT_EQ(std::vector<std::string>(at, at + 3), tail1);
    // the physical range at W = 2 GeV, Q^2 = 1 GeV^2: -t from 0.065003 to 3.558209 GeV^2
    EXPECT_NEAR(-m1.scan.t_max, 65003.08, 0.01);
    EXPECT_NEAR(-m1.scan.t_min, 3558209.10, 0.01);
    EXPECT_EQ(m1.scan.t_input, 0.5);
    EXPECT_EQ(m1.scan.emax, 2000.0);
    EXPECT_EQ(m1.scan.emin, 939.565 + 139.57000732421875 + 450.0);
    EXPECT_EQ(m1.scan.qqmin, 1.0e6);

    // mode 2 at the fixed first Q^2 (0.001 GeV^2 in single precision)
    const Transcript m2 = run(charged + "2\n2\n2.2\n0.3\n0.5\n1\n");
    EXPECT_EQ(m2.scan.qqmin, 1000.0000610351562);
    EXPECT_EQ(m2.scan.qqmax, 2.0e6);
    const TRange r2 = kinematics(2200.0, 1000.0000610351562, 938.272, 939.565, 139.57000732421875);
    EXPECT_EQ(m2.scan.t_max, r2.t_max);
    EXPECT_EQ(m2.scan.t_min, r2.t_min);

    // mode 3: the range at W = 3 GeV, Q^2 = 0.5 GeV^2 whatever is answered; the text has no trailing blanks
    const Transcript m3 = run(charged + "3\n2.0\n0.3\n0.4\n0.5\n1\n");
    const TRange r3 = kinematics(3000.0, 500000.0, 938.272, 939.565, 139.57000732421875);
    const auto q3 = std::find(m3.records.begin(), m3.records.end(), " INPUT: XB? (0 < XB < 1.0)");
    ASSERT_NE(q3, m3.records.end());
    EXPECT_EQ(*(q3 + 1), " INPUT: -T(GeV^2)? (" + io::format_real(-r3.t_max / 1.0e6) + " < -T < " +
                             io::format_real(-r3.t_min / 1.0e6) + ")");
    EXPECT_TRUE(m3.scan.w_from_xb);
    EXPECT_EQ(m3.scan.xb_input, 0.3);
    EXPECT_EQ(m3.scan.emin, 3000.0);
    EXPECT_EQ(m3.scan.qqmin, 500000.0);
}

TEST(ReggeDialogue, ScanModeQuestionsAndFixedLimits) {
    const std::string charged = "1\n2\n1.55\n2\n775\n1\n1\n2\n";
    struct Case {
        std::string answers;
        std::vector<std::string> questions;
    };
    const Case cases[] = {
        {"4\n3.0\n0.25\n12\n", {" INPUT: FINAL QQ(GeV^2)?", " INPUT: XB? (0 < XB < 1.0)", " INPUT: THETA(DEG)?"}},
        {"5\n3.0\n2.5\n12\n", {" INPUT: FINAL QQ(GeV^2)?", " INPUT: W(GeV)?", " INPUT: THETA(DEG)?"}},
        {"6\n3.0\n0.3\n0.998\n",
         {" INPUT: FINAL W(GeV)?", " INPUT: QQ(GeV^2)?", " INPUT: COS(THETA)? cos(3.6)=0.998, cos(7.2)=0.992"}},
        {"7\n3.0\n2.5\n0.992\n", {" INPUT: FINAL QQ(GeV^2)?", " INPUT: W(GeV)?", " INPUT: COS(THETA)? "}},
        {"8\n2.0\n0.3\n", {" INPUT: QQ(GeV^2)?", " INPUT: XB? (0 < XB < 1.0)"}},
    };
    for (const Case& c : cases) {
        const Transcript t = run(charged + c.answers + "0.5\n1\n");
        const auto at = std::find(t.records.begin(), t.records.end(), kind1_head.back());
        ASSERT_NE(at, t.records.end());
        EXPECT_EQ(std::vector<std::string>(at + 1, at + 1 + static_cast<long>(c.questions.size())), c.questions)
            << c.answers;
        EXPECT_EQ(*(at + 1 + static_cast<long>(c.questions.size())), el_question[0]) << c.answers;
    }
    const Scan s4 = run(charged + "4\n3.0\n0.25\n12\n0.5\n1\n").scan;
    EXPECT_EQ(s4.qqmin, 100000.0);
    EXPECT_EQ(s4.qqmax, 3.0e6);
    EXPECT_EQ(s4.theta_input, 12.0);
    EXPECT_TRUE(s4.w_from_xb);
    const Scan s5 = run(charged + "5\n3.0\n2.5\n12\n0.5\n1\n").scan;
    EXPECT_EQ(s5.qqmin, 10000.0);
    EXPECT_EQ(s5.emin, 2500.0);
    const Scan s6 = run(charged + "6\n3.0\n0.3\n0.998\n0.5\n1\n").scan;
    EXPECT_EQ(s6.emin, 939.565 + 139.57000732421875 + 10.0);
    EXPECT_EQ(s6.emax, 3000.0);
    EXPECT_EQ(s6.cos_theta_input, 0.998);
    const Scan s7 = run(charged + "7\n3.0\n2.5\n0.992\n0.5\n1\n").scan;
    EXPECT_EQ(s7.qqmin, 100000.0);
    const Scan s8 = run(charged + "8\n2.0\n0.3\n0.5\n1\n").scan;
    EXPECT_EQ(s8.qqmin, 2.0e6);
    EXPECT_EQ(s8.qqmax, 2.0e6);
    EXPECT_EQ(s8.emin, 3000.0);
    EXPECT_TRUE(s8.w_from_xb);
}

TEST(ReggeDialogue, DdsQuestionsAndInputModes) {
    const std::string head = "1\n2\n1.55\n2\n775\n1\n3\n2\n";
    const Transcript t = run(head + "2\n0.6\n1\n2.21\n1.6\n0.55\n1\n");
    const std::vector<std::string> expected = {
        " WE WILL CALCULATE DIFF. CROSS SECTION AND SSA!!!",
        " ",
        " WHICH ONE PRINT TO OUT: DST,DSL,DSTT,DSLT,DSLTP,dSU,L/T_ratio,BSA (1) OR DDS (3)",
        " CHOOSE RANGE OF THETA ANGLE: SMALL(1), LARGE(2) ",
        " Check the def. of DDS before running",
        " CHOOSE DDS TYPE: DESY(1), CORNELL fixed(2), CORNELL ave.(3), CEA input(4), JLAB(5)",
        " ***DESY(1) calculates channel (2) with ave. PHI angle***",
        " INPUT: PHOTON POL EL(0<EL<1)? OR PUT ANLY VBSAE IF NOT RELEVANT",
        " WHAT IS INPUT? PHI,W&QQ&T(1), PHI,W&QQ&U(2), PHI,XB&QQ&T(3), PHI,XB&QQ&U(4), T,W&QQ&PHI(5) ",
        "                                CEA-BROWN73-W(6)  OR  CEA-BROWN73-QQ(7) ",
        " INPUT: TOTAL CM ENERGY W(GeV)? Ex, W=2.21 GeV",
        " INPUT: QQ(GeV^2)?  Ex, Q^2=1.6  OR 2.45",
        " INPUT: -T(GeV^2) ? Ex, -T=0.55, 1.45, 2.30"};
    const auto at = std::find(t.records.begin(), t.records.end(), expected[0]);
    ASSERT_NE(at, t.records.end());
    EXPECT_EQ(std::vector<std::string>(at, t.records.end() - 5), expected);
    EXPECT_EQ(std::vector<std::string>(t.records.end() - 5, t.records.end()), closing);
    EXPECT_EQ(t.scan.out, OutputKind::dds);
    ASSERT_TRUE(t.physics.dds);
    EXPECT_EQ(t.physics.dds->type, DdsType::cornell_fixed);
    EXPECT_FALSE(t.physics.dds->phi);  // phi is asked in mode 5 only
    EXPECT_EQ(t.physics.epsilon, 0.6);
    EXPECT_EQ(t.scan.dds_mode, 1);
    EXPECT_DOUBLE_EQ(t.scan.emin, 2210.0);
    EXPECT_EQ(t.scan.t_input, 0.55);
    EXPECT_NO_THROW(regge::Settings{t.physics});

    const Scan u = run(head + "5\n0.6\n4\n0.3\n1.6\n0.9\n1\n").scan;
    EXPECT_EQ(u.dds_mode, 4);
    EXPECT_EQ(u.xb_input, 0.3);
    EXPECT_EQ(u.u_input, 0.9);
    EXPECT_TRUE(u.w_from_xb);
    EXPECT_EQ(u.emin, 3000.0);

    const Transcript phi = run(head + "4\n0.6\n5\n2.21\n1.6\n135\n2\n");
    EXPECT_EQ(phi.records[phi.records.size() - 6], " INPUT: PHI(DEGREE)?  0 TO 360");
    ASSERT_TRUE(phi.physics.dds);
    EXPECT_EQ(phi.physics.dds->type, DdsType::cea);
    EXPECT_EQ(phi.physics.dds->phi, 135.0 * regge::internal::pi / 180.0);  // answered in degrees
    EXPECT_FALSE(phi.physics.dds->cos_phi);

    // the CEA W scan: no phi, the two cosines are answered
    const Transcript w = run(head + "4\n0.6\n6\n0.29\n3.6\n0.5\n-0.5\n1\n");
    const std::vector<std::string> mode6 = {" INPUT: QQ(GeV^2)?  Ex, Q^2=0.29, 0.30, 0.28, 0.31, 0.26",
                                            " INPUT THETA(DEG):  Ex, 1.2, 3.6, 7.2", " INPUT COS(PHI):  ",
                                            " INPUT COS(2*PHI):  "};
    EXPECT_EQ(std::vector<std::string>(w.records.end() - 9, w.records.end() - 5), mode6);
    EXPECT_EQ(w.scan.emin, 939.565 + 139.57000732421875 + 10.0);
    EXPECT_EQ(w.scan.emax, 4000.0);
    EXPECT_EQ(w.scan.theta_deg, 3.6);
    ASSERT_TRUE(w.physics.dds);
    EXPECT_EQ(w.physics.dds->cos_phi, 0.5);
    EXPECT_EQ(w.physics.dds->cos_2phi, -0.5);
    EXPECT_FALSE(w.physics.dds->phi);
    EXPECT_NO_THROW(regge::Settings{w.physics});

    const Transcript q = run(head + "3\n0.6\n7\n2.21\n3.6\n0.5\n-0.5\n1\n");
    EXPECT_EQ(q.records[q.records.size() - 9], " INPUT: TOTAL CM ENERGY W(GeV)? Ex, W=2.21 GeV");
    EXPECT_EQ(q.scan.qqmin, 50000.0);
    EXPECT_EQ(q.scan.qqmax, 4000000.0);
    // the Cornell average takes no cosines: the answered ones do not enter
    ASSERT_TRUE(q.physics.dds);
    EXPECT_FALSE(q.physics.dds->cos_phi);
    EXPECT_FALSE(q.physics.dds->cos_2phi);

    // DESY averages channel 2 over phi, so the modes without phi are open to it
    EXPECT_EQ(run("2\n2\n1.2\n2\n710\n1\n3\n2\n1\n0.6\n7\n2.21\n3.6\n0.5\n-0.5\n1\n").scan.dds_mode, 7);
}

TEST(ReggeDialogue, ModesWithoutPhiAreRejectedForConventionsThatNeedPhi) {
    const std::string head = "1\n2\n1.55\n2\n775\n1\n3\n2\n";
    for (const char* type : {"1", "2", "5"})
        for (const char* mode : {"6", "7"}) {
            const std::string msg = failure(head + type + "\n0.6\n" + mode + "\n0.29\n3.6\n0.5\n-0.5\n1\n");
            EXPECT_NE(msg.find("WHAT IS INPUT?"), std::string::npos) << msg;
            EXPECT_NE(msg.find(std::string("\"") + mode + "\""), std::string::npos) << msg;
            EXPECT_NE(msg.find("PHI"), std::string::npos) << msg;
        }
}

TEST(ReggeDialogue, ChoicesOutsideTheOfferedAnswersStopTheRun) {
    struct Case {
        std::string answers, question, answer;
    };
    const std::string charged = "1\n2\n1.55\n2\n775\n1\n";
    const Case cases[] = {
        {"5\n", "GAMMA*", "5"},
        {"0\n", "GAMMA*", "0"},
        {"pi+\n", "GAMMA*", "pi+"},
        {"1.5\n", "GAMMA*", "1.5"},
        {"1\n3\n", "CHOOSE NUCLEON FF", "3"},
        {"1\n2\n1.55\n0\n", "NUCLEON MAGNETIC TERMS F2", "0"},
        {"1\n2\nabc\n", "F1 cut-off", "abc"},
        {"3\n1\n775\n1\n2\n1.55\n3\n", "NUCLEON MAGNETIC TERM F2", "3"},
        {charged + "2\n", "WHICH ONE PRINT TO OUT", "2"},
        {charged + "4\n", "WHICH ONE PRINT TO OUT", "4"},
        {charged + "1\n2\n11\n", "CHOOSE X-AXIS", "11"},
        {charged + "1\n2\n0\n", "CHOOSE X-AXIS", "0"},
        {charged + "3\n2\n6\n", "CHOOSE DDS TYPE", "6"},
        {charged + "3\n2\n3\n0.5\n8\n", "WHAT IS INPUT?", "8"},
        {charged + "1\n2\n9\n2.2\n1.6\n0.5\n3\n", "OUTPUT UNIT", "3"},
    };
    for (const Case& c : cases) {
        const std::string msg = failure(c.answers);
        EXPECT_NE(msg.find(c.question), std::string::npos) << c.answers << " -> " << msg;
        EXPECT_NE(msg.find("\"" + c.answer + "\""), std::string::npos) << c.answers << " -> " << msg;
    }
}

TEST(ReggeDialogue, AnswersWithAMeaningForAnyValueAreKept) {
    // a1 sign 7 (negative), angle range 5 (large), omega phase 9 (EXD), Born switch 0 (off)
    const Transcript a = run("1\n2\n1.55\n2\n775\n7\n1\n5\n9\n2.2\n1.6\n0.5\n1\n");
    EXPECT_EQ(a.physics.a1_sign, A1Sign::negative);
    EXPECT_FALSE(a.scan.small_angles);
    // the a1 coupling is positive for the answer 1 and negative for any other integer
    for (int a1 : {1, 2, 0, 7, -1})
        EXPECT_EQ(run("1\n2\n1.55\n2\n775\n" + std::to_string(a1) + "\n1\n2\n9\n2.2\n1.6\n0.5\n1\n").physics.a1_sign,
                  a1 == 1 ? A1Sign::positive : A1Sign::negative)
            << "a1 answer " << a1;
    const Transcript n = run("3\n9\n775\n0\n1\n2\n9\n2.2\n1.6\n0.5\n1\n");
    EXPECT_EQ(n.physics.omega_phase, OmegaPhase::degenerate);
    EXPECT_EQ(n.physics.born_terms, false);
    EXPECT_FALSE(n.physics.form_factors);
}

TEST(ReggeDialogue, EndOfInputBeforeTheLastAnswer) {
    const std::string msg = failure("1\n2\n1.55\n2\n775\n1\n1\n2\n9\n2.2\n1.6\n0.5\n");
    EXPECT_NE(msg.find("OUTPUT UNIT"), std::string::npos) << msg;
    EXPECT_NE(failure("").find("GAMMA*"), std::string::npos);
}

TEST(ReggeDialogue, AtATerminalABadAnswerIsAskedAgain) {
    const Transcript t = run("7\nx\n1\n2\n1.55\n2\n775\n1\n1\n2\n9\n2.2\n1.6\nhalf\n0.5\n3\n1\n", true);
    EXPECT_EQ(t.physics.channel, Channel::pi_plus_n);
    EXPECT_EQ(t.physics.epsilon, 0.5);
    EXPECT_EQ(t.physics.unit, CrossSectionUnit::microbarn);
    // one line naming the valid answers per bad answer, right after the question
    EXPECT_EQ(t.records[6].rfind(" Please answer", 0), 0u) << t.records[6];
    EXPECT_NE(t.records[6].find("1"), std::string::npos);
    EXPECT_EQ(t.records[7].rfind(" Please answer", 0), 0u) << t.records[7];
    EXPECT_EQ(t.records[8], " CHOOSE NUCLEON FF: GPD FF(1)  OR  DIPOLE FF(2)");
    int reasks = 0;
    for (const std::string& r : t.records) reasks += r.rfind(" Please answer", 0) == 0;
    EXPECT_EQ(reasks, 4);
    EXPECT_EQ(t.records[t.records.size() - 6], closing[0]);
    EXPECT_EQ(t.records[t.records.size() - 5], " Please answer 1 (microbarn) or 2 (nanobarn).");
    EXPECT_EQ(std::vector<std::string>(t.records.end() - 4, t.records.end()),
              std::vector<std::string>(closing.begin() + 1, closing.end()));
}

// ---- the Gauss-Legendre table ------------------------------------------------------------------

namespace {

struct TempDir {
    std::filesystem::path path;
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kavrin-table-XXXXXX").string();
        path = mkdtemp(tmpl.data());
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string write(const std::string& name, const std::string& text) const {
        std::ofstream(path / name) << text;
        return (path / name).string();
    }
};

std::string table_text(int lines) {
    GaussLegendre100 gl;
    gauss_legendre_rule(100, gl.xi.data(), gl.wi.data());
    std::string text;
    char buf[96];
    for (int i = 0; i < lines; ++i) {
        std::snprintf(buf, sizeof buf, " %24.17E %24.17E\n", gl.xi[static_cast<std::size_t>(i)],
                      gl.wi[static_cast<std::size_t>(i)]);
        text += buf;
    }
    return text;
}

std::string table_error(const std::string& path) {
    try {
        regge::load_gauss_legendre_table(path);
    } catch (const regge::TableError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(ReggeTable, ReadsOnePairPerLineAndIgnoresTheRest) {
    TempDir dir;
    GaussLegendre100 ref;
    gauss_legendre_rule(100, ref.xi.data(), ref.wi.data());
    std::string text = table_text(100);
    // Fortran exponent, comma separator and a note after the pair on the first lines; junk after line 100
    text.replace(0, text.find('\n'), "-0.99971372677344123d0, 7.3463449050567173D-4  node 1");
    text += "this line is never read\n";
    const regge::GaussLegendreTable gl = regge::load_gauss_legendre_table(dir.write("gl.dat", text));
    EXPECT_NEAR(gl.abscissas[0], -0.99971372677344123, 1e-16);
    EXPECT_NEAR(gl.weights[0], 7.3463449050567173e-4, 1e-19);
    for (std::size_t i = 1; i < 100; ++i) {
        EXPECT_DOUBLE_EQ(gl.abscissas[i], ref.xi[i]);
        EXPECT_DOUBLE_EQ(gl.weights[i], ref.wi[i]);
    }
    double sum = 0.0;
    for (double w : gl.weights) sum += w;
    EXPECT_NEAR(sum, 2.0, 1e-12);
}

TEST(ReggeTable, MissingShortOrNonNumericTablesAreReportedWithFileAndLine) {
    TempDir dir;
    const std::string missing = (dir.path / "absent.dat").string();
    EXPECT_NE(table_error(missing).find(missing), std::string::npos);

    const std::string shortpath = dir.write("short.dat", table_text(99));
    const std::string shortmsg = table_error(shortpath);
    EXPECT_NE(shortmsg.find(shortpath), std::string::npos) << shortmsg;
    EXPECT_NE(shortmsg.find("99"), std::string::npos) << shortmsg;

    std::string bad = table_text(100);
    std::size_t pos = 0;
    for (int i = 0; i < 6; ++i) pos = bad.find('\n', pos) + 1;
    bad.insert(pos, "  0.5  weight\n");  // line 7 holds one number only
    const std::string badpath = dir.write("bad.dat", bad);
    const std::string badmsg = table_error(badpath);
    EXPECT_NE(badmsg.find("line 7"), std::string::npos) << badmsg;
    EXPECT_NE(badmsg.find(badpath), std::string::npos) << badmsg;

    EXPECT_NE(table_error(dir.write("text.dat", "abscissa weight\n" + table_text(100))).find("line 1"),
              std::string::npos);
    EXPECT_NE(table_error(dir.write("empty.dat", "")).find("0 of 100"), std::string::npos);
}

// ---- loops ---------------------------------------------------------------------------------------

TEST(ReggeScan, LoopPassesOfTheWAndQ2Loops) {
    // mode 1 of pi+ n up to W = 2 GeV: 24 values from 1529.135 MeV, 2 GeV itself not among them
    EXPECT_EQ(kavrin::io::loop_passes(939.565 + 139.57000732421875 + 450.0, 2000.0, 20.0), 24);
    // mode 2 up to Q^2 = 2 GeV^2 from 0.001 GeV^2: 200 values
    EXPECT_EQ(kavrin::io::loop_passes(1000.0000610351562, 2.0e6, 10000.0), 200);
    // DDS mode 7: 0.05 to 4 GeV^2, 396 values
    EXPECT_EQ(kavrin::io::loop_passes(50000.0, 4.0e6, 10000.0), 396);
    // a whole number of steps reaches the last value
    EXPECT_EQ(kavrin::io::loop_passes(2000.0, 2100.0, 20.0), 6);
    EXPECT_EQ(kavrin::io::loop_passes(2220.0, 2220.0, 20.0), 1);
    // last below first has no pass, also when the two are less than a step apart
    EXPECT_EQ(kavrin::io::loop_passes(1529.135, 1520.0, 20.0), 0);
    EXPECT_EQ(kavrin::io::loop_passes(1000.0000610351562, 500.0, 10000.0), 0);
    // bounds that are not numbers give no pass
    EXPECT_EQ(kavrin::io::loop_passes(std::nan(""), 2000.0, 20.0), 0);
    EXPECT_EQ(kavrin::io::loop_passes(1000.0, HUGE_VAL, 20.0), 0);
    EXPECT_EQ(kavrin::io::loop_passes(-HUGE_VAL, 10.0, 20.0), 0);
    // an astronomically long loop: its size is known exactly enough to refuse it, its count is held
    EXPECT_EQ(kavrin::io::loop_span(0.0, 1.0e30, 10000.0), 1.0e26 + 1.0);
    EXPECT_EQ(kavrin::io::loop_passes(0.0, 1.0e30, 10000.0), 9007199254740992LL);
    EXPECT_THROW(kavrin::io::check_scan_size({{{1.0e26, "values of Q^2", "Q2", 0.001, 0.01, "GeV²"}}}, 1.0e6), std::runtime_error);
    EXPECT_NO_THROW(kavrin::io::check_scan_size({{{1000.0, "values of W", "W", 1.5, 0.02, "GeV"}, {1000.0, "angles", "theta", 0.0, 1.0, "deg"}}}, 1.0e6));
}

TEST(ReggeScan, ResultFileNamesInOpeningOrder) {
    const std::vector<std::string> names(io::file::regge_files.begin(), io::file::regge_files.end());
    ASSERT_EQ(names.size(), static_cast<std::size_t>(result_file_count));
    EXPECT_EQ(names[dst_domega], "dST_domega.dat");
    EXPECT_EQ(names[dsu_domega], "dSU_domega.dat");
    EXPECT_EQ(names[dst_dt], "dST.dat");
    EXPECT_EQ(names[dsltp_dt], "dSLTP.dat");
    EXPECT_EQ(names[dsl_over_dst], "dSL_over_dST.dat");
    EXPECT_EQ(names[bsa_file], "BSA.dat");
    EXPECT_EQ(names[dds_t], "ddS_T.dat");
    EXPECT_EQ(names[dds_domega], "ddS_domega.dat");
    EXPECT_EQ(names[dds_phi], "ddS_PHI.dat");
    EXPECT_EQ(names[dst_t0], "dST-T0.dat");
    EXPECT_EQ(names[dsu_t0], "dSU-T0.dat");
}
