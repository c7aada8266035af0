// The dialogue of kavrin-models: every prompt in order, what each answer sets, the -t range shown in
// the prompt, and the answers it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "io/answers.hpp"
#include "io/results.hpp"
#include "kavrin-models/dialogue.hpp"
#include "kavrin-models/scan.hpp"
#include "kinematics/kinematics.hpp"
#include "models/km_vr_qvm/model.hpp"

using namespace kavrin;
using namespace kavrin::models_program;
using kavrin::models::ModelKind;
using kavrin::models::internal::channel_masses;
using kavrin::models::internal::ChannelMasses;

namespace {

struct Outcome {
    Answers answers;
    std::vector<std::string> lines;  // printed records
};

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

Outcome run(const std::string& answers, bool interactive = false) {
    std::istringstream in(answers);
    std::ostringstream out;
    io::Dialogue d(in, out, interactive);
    Outcome o;
    o.answers = run_dialogue(d);
    o.lines = split_lines(out.str());
    return o;
}

std::string error_of(const std::string& answers) {
    std::istringstream in(answers);
    std::ostringstream out;
    io::Dialogue d(in, out, false);
    try {
        run_dialogue(d);
    } catch (const io::DialogueError& e) {
        return e.what();
    }
    return "";
}

// The records up to the scan-mode questions, the same in every run.
const std::vector<std::string> kHead = {
    " *******************************************",
    " ***** PION Electro-PRODUCTION *****",
    " *****   with kavrin-km-qvm ******",
    " *******************************************",
    " GAMMA* p -> PI+ N (1)",
    " GAMMA* N -> PI- P (2)",
    " GAMMA* P -> PI0 P (3)",
    " Current Conservation Check: NO(1), YES(2)",
    " MODEL: KM(1), VR(2), QVM(3)",
    " Put any value for cuts, if irrelevant.",
    " ",
    " Please input cut-off of Pion in GeV: KM=0.68, VR=0.655, QVM=0.775",
    " Please input cut-off of nucleon in GeV: KM & VR=0.84(already fixed in sub-routine), QVM=1.55",
    " Please input cut-off of omega in GeV: 0.775 or 1.2 for neutral.",
    " WE WILL CALCULATE DIFF. CROSS SECTION(DCS)!!!",
    " ",
    " WHICH ONE PRINT TO OUT: 4-kinds of DCS & L/T ratio, dS_U(1), BSA(2), or  SUM OF 4-DCS(3) ",
    " WE WILL CALCULATE DIFF. CROSS SECTION!!!",
    " CHOOSE X-AXIS & FIX VARs. : W,QQ&t(1), QQ,W&t(2), QQ,xb&t(3), QQ,xb&theta(4), QQ,W&theta(5)",
    "    W,QQ&cos(theta)(6), QQ,W&cos(theta)(7),  -t,xb&QQ(8) ,  -t,W&QQ(9),  OR  cos(theta),W&QQ(10)",
    " CHOOSE ANGLE RANGE FOR X-AXIS IN (8),(9),(10); SMALL(1),  FULL(2)",
};

// The closing records: two one-blank records, then four of 30 characters after the leading blank.
const std::vector<std::string> kTail = {
    " ", " ", "                               ", "             WAIT!!!           ",
    "    SMILE AND BE HAPPY!!! ^o^  ", "                               ",
};

const std::string kPolarization = " INPUT: PHOTON POL EL(0<EL<1)? Put any value, 0.5, for instance to proceed.";
const std::string kBeam = " INPUT: ELECTRON BEAM ENERGY? Put EBE=5.77 for JLab@5.7, or 10.6 for JLab Kaon_LT.";

std::vector<std::string> transcript(const std::vector<std::string>& mode_lines) {
    std::vector<std::string> all = kHead;
    all.insert(all.end(), mode_lines.begin(), mode_lines.end());
    all.insert(all.end(), kTail.begin(), kTail.end());
    return all;
}

std::string t_prompt(const std::string& text, double w, double qq, const ChannelMasses& m) {
    const TRange r = kinematics(w, qq, m.ibm, m.fbm, m.fmm);
    return " " + text + " (" + io::format_real(-r.t_max / 1.0e6) + " < -T < " + io::format_real(-r.t_min / 1.0e6) +
           ")";
}

}  // namespace

TEST(ModelsDialogue, ThetaScanAsksWAndQ2ThenEpsilon) {
    const Outcome o = run("1\n2\n0.655\n0.84\n1\n9\n2\n2.21\n1.6\n0.5\n");
    EXPECT_EQ(o.lines, transcript({" INPUT: TOTAL CM ENERGY W(GeV)?", " INPUT: QQ(GeV^2)?", kPolarization}));
    // closing lines: exactly 31 characters
    for (std::size_t i = o.lines.size() - 4; i < o.lines.size(); ++i) EXPECT_EQ(o.lines[i].size(), 31u);
    const models::Options& p = o.answers.physics;
    const Scan& s = o.answers.scan;
    EXPECT_EQ(p.channel, Channel::pi_plus_n);
    EXPECT_EQ(p.model, ModelKind::vr);
    EXPECT_EQ(p.pion_cutoff_gev, 0.655);
    EXPECT_FALSE(p.nucleon_cutoff_gev.has_value());  // asked, but VR fixes its nucleon form factors
    EXPECT_EQ(s.out, OutputKind::separated);
    EXPECT_EQ(s.mode, 9);
    EXPECT_EQ(s.w_input, 2.21);
    EXPECT_EQ(s.qq_input, 1.6);
    ASSERT_TRUE(p.epsilon.has_value());
    EXPECT_EQ(*p.epsilon, 0.5);
    EXPECT_FALSE(p.beam_energy_gev.has_value());
    EXPECT_EQ(angle_count(s), 181);
    const ScanLimits l = scan_limits(o.answers);
    EXPECT_EQ(l.emin, 2210.0);
    EXPECT_EQ(l.emax, 2210.0);
    EXPECT_EQ(l.qqmin, 1.6e6);
    EXPECT_FALSE(l.w_xb);
}

TEST(ModelsDialogue, KmAsymmetryAsksTheBeamEnergyInsteadOfEpsilon) {
    const Outcome km = run("1\n1\n0.68\n0.84\n2\n9\n1\n2.21\n1.6\n5.77\n");
    EXPECT_EQ(km.lines, transcript({" INPUT: TOTAL CM ENERGY W(GeV)?", " INPUT: QQ(GeV^2)?", kBeam}));
    EXPECT_EQ(km.answers.physics.beam_energy_gev, 5.77);
    EXPECT_FALSE(km.answers.physics.epsilon.has_value());
    EXPECT_EQ(angle_count(km.answers.scan), 41);  // SMALL
    // VR and QVM with the asymmetry, and KM with the other outputs, ask epsilon
    for (const char* answers : {"2\n2\n0.68\n0.84\n2\n10\n1.5\n2.21\n1.6\n0.6\n", "3\n1\n0.68\n0.84\n1\n10\n2\n2.21\n1.6\n0.6\n",
                                "1\n1\n0.68\n0.84\n3\n10\n2\n2.21\n1.6\n0.6\n"}) {
        const Outcome o = run(answers);
        EXPECT_EQ(o.lines[o.lines.size() - kTail.size() - 1], kPolarization) << answers;
        EXPECT_EQ(o.answers.physics.epsilon, 0.6);
        EXPECT_FALSE(o.answers.physics.beam_energy_gev.has_value());
        EXPECT_EQ(angle_count(o.answers.scan), 181);  // 1.5 and 2 are both FULL
    }
}

TEST(ModelsDialogue, WScanShowsTheTRangeAtTheFinalWAndQ2) {
    const Outcome o = run("1\n3\n0.775\n1.55\n1\n1\n2\n3.0\n1.2\n0.4\n0.5\n");
    const ChannelMasses m = channel_masses(Channel::pi_plus_n);
    EXPECT_EQ(o.lines, transcript({" INPUT: FINAL W(GeV)?", " INPUT: QQ(GeV^2)?",
                                   t_prompt("INPUT: -T(GeV^2)?  ", 3000.0, 1.2e6, m), kPolarization}));
    EXPECT_EQ(o.answers.scan.t_input, 0.4);
    // QVM in a charged channel: both cut-offs enter
    EXPECT_EQ(o.answers.physics.pion_cutoff_gev, 0.775);
    EXPECT_EQ(o.answers.physics.nucleon_cutoff_gev, 1.55);
    const ScanLimits l = scan_limits(o.answers);
    EXPECT_DOUBLE_EQ(l.emin, 939.565 + 139.272 + 450.0);  // 450 MeV above threshold
    EXPECT_EQ(l.emax, 3000.0);
    EXPECT_EQ(l.qqmin, 1.2e6);
    EXPECT_EQ(l.qqmax, 1.2e6);
}

TEST(ModelsDialogue, Q2ScanAtFixedWShowsTheRangeAtPointOneGeV2) {
    const Outcome o = run("2\n1\n0.68\n0.84\n1\n2\n2\n2.5\n2.3\n0.3\n0.5\n");
    const ChannelMasses m = channel_masses(Channel::pi_minus_p);
    EXPECT_EQ(o.lines, transcript({" INPUT: FINAL QQ(GeV^2)?", " INPUT: W(GeV)?",
                                   t_prompt("INPUT: -T(GeV^2)?  ", 2300.0, 100000.0, m), kPolarization}));
    const ScanLimits l = scan_limits(o.answers);
    EXPECT_EQ(l.qqmin, 100000.0);
    EXPECT_EQ(l.qqmax, 2.5e6);
    EXPECT_EQ(l.emin, 2300.0);
}

TEST(ModelsDialogue, XbScanShowsTheRangeAtTheFinalQ2AndTheWOfXb) {
    const Outcome o = run("3\n1\n0.68\n0.84\n1\n3\n2\n0.25\n2.0\n0.3\n0.5\n");
    const ChannelMasses m = channel_masses(Channel::pi0_p);
    // W^2 = M^2 + Q^2 (1 - xB)/xB at Q^2 = 2 GeV^2, xB = 0.25
    const double w = std::sqrt(938.272 * 938.272 + 2.0e6 * 0.75 / 0.25);
    ASSERT_EQ(o.lines.size(), kHead.size() + 4 + kTail.size());
    EXPECT_EQ(o.lines[kHead.size()], " INPUT: XB? (0 < XB < 1.0)");
    EXPECT_EQ(o.lines[kHead.size() + 1], " INPUT: FINAL QQ(GeV^2)?  ");
    const std::string prompt = o.lines[kHead.size() + 2];
    EXPECT_EQ(prompt.rfind(" INPUT: -T(GeV^2)? (", 0), 0u) << prompt;  // no trailing blanks in mode 3
    const TRange r = kinematics(w, 2.0e6, m.ibm, m.fbm, m.fmm);
    double lo = 0, hi = 0;
    ASSERT_EQ(std::sscanf(prompt.c_str(), " INPUT: -T(GeV^2)? (%lf < -T < %lf)", &lo, &hi), 2) << prompt;
    EXPECT_NEAR(lo, -r.t_max / 1.0e6, 1e-12);
    EXPECT_NEAR(hi, -r.t_min / 1.0e6, 1e-12);
    EXPECT_LT(lo, hi);  // the smaller |t| stands on the left
    EXPECT_TRUE(scan_limits(o.answers).w_xb);
    EXPECT_EQ(scan_limits(o.answers).emin, 3000.0);
    // gamma* p -> pi0 p exchanges no pion: the pion cut-off is asked but not kept
    EXPECT_FALSE(o.answers.physics.pion_cutoff_gev.has_value());
}

TEST(ModelsDialogue, AngleModesReadThetaOrASinglePrecisionCosine) {
    const Outcome m4 = run("1\n1\n0.68\n0.84\n1\n4\n2\n3.0\n0.36\n15\n0.5\n");
    EXPECT_EQ(m4.lines, transcript({" INPUT: FINAL QQ(GeV^2)?", " INPUT: XB? (0 < XB < 1.0)", " INPUT: THETA(DEG)?",
                                    kPolarization}));
    EXPECT_EQ(m4.answers.scan.theta_input, 15.0);
    EXPECT_EQ(m4.answers.scan.xb_input, 0.36);
    const Outcome m7 = run("1\n1\n0.68\n0.84\n3\n7\n2\n3.0\n2.4\n0.3\n0.5\n");
    EXPECT_EQ(m7.lines,
              transcript({" INPUT: FINAL QQ(GeV^2)?", " INPUT: W(GeV)?", " INPUT: COS(THETA)? ", kPolarization}));
    EXPECT_EQ(m7.answers.scan.cos_theta_input, 0.3f);
    EXPECT_EQ(angle_count(m7.answers.scan), 1);  // the angle range is asked but not used
    const Outcome m8 = run("1\n1\n0.68\n0.84\n1\n8\n2\n3.0\n2.0\n0.3\n0.5\n");
    EXPECT_EQ(m8.lines, transcript({" INPUT: TOTAL CM ENERGY W(GeV)?", " INPUT: QQ(GeV^2)?",
                                    " INPUT: XB? (0 < XB < 1.0)", kPolarization}));
    EXPECT_TRUE(scan_limits(m8.answers).w_xb);
}

TEST(ModelsDialogue, ChoicesOutsideTheListAreRefusedNamingQuestionAndAnswer) {
    const std::string bad_channel = error_of("4\n1\n");
    EXPECT_NE(bad_channel.find("\"4\""), std::string::npos) << bad_channel;
    EXPECT_NE(bad_channel.find("channel"), std::string::npos) << bad_channel;
    EXPECT_NE(error_of("1\n0\n").find("MODEL"), std::string::npos);
    EXPECT_NE(error_of("1\n1\n0.68\n0.84\n4\n").find("\"4\""), std::string::npos);
    EXPECT_NE(error_of("1\n1\n0.68\n0.84\n1\n11\n").find("\"11\""), std::string::npos);
    EXPECT_NE(error_of("1\n1\n0.68\n0.84\n1\n0\n").find("\"0\""), std::string::npos);
    EXPECT_NE(error_of("1\n1\nabc\n").find("\"abc\""), std::string::npos);  // not a number
    EXPECT_NE(error_of("1.5\n").find("\"1.5\""), std::string::npos);        // not an integer
    // the input ends before the dialogue is complete
    EXPECT_NE(error_of("1\n1\n0.68\n0.84\n1\n9\n2\n2.21\n").find("input ended"), std::string::npos);
    EXPECT_FALSE(error_of("1\n1\n0.68\n0.84\n1\n9\n2\n2.21\n1.6\n0.5\n").size());
}

TEST(ModelsDialogue, AtATerminalABadChoiceIsAskedAgain) {
    const Outcome o = run("7\n2\n1\n0.68\n0.84\n1\n9\n2\n2.21\n1.6\n0.5\n", true);
    EXPECT_EQ(o.answers.physics.channel, Channel::pi_minus_p);
    // one extra line naming the valid answers, after the channel lines
    ASSERT_EQ(o.lines.size(), kHead.size() + 3 + kTail.size() + 1);
    EXPECT_NE(o.lines[7].find("1, 2 or 3"), std::string::npos) << o.lines[7];
}
