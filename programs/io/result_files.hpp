// The names of the result files of both programs, defined once: the programs open them, kavrin-plot reads them.
#pragma once

#include <array>

namespace kavrin::io::file {

inline constexpr const char* dST_domega = "dST_domega.dat";
inline constexpr const char* dSL_domega = "dSL_domega.dat";
inline constexpr const char* dSTT_domega = "dSTT_domega.dat";
inline constexpr const char* dSLT_domega = "dSLT_domega.dat";
inline constexpr const char* dSLTP_domega = "dSLTP_domega.dat";
inline constexpr const char* dSU_domega = "dSU_domega.dat";
inline constexpr const char* dST = "dST.dat";
inline constexpr const char* dSL = "dSL.dat";
inline constexpr const char* dSTT = "dSTT.dat";
inline constexpr const char* dSLT = "dSLT.dat";
inline constexpr const char* dSLTP = "dSLTP.dat";
inline constexpr const char* dSU = "dSU.dat";
inline constexpr const char* dSL_over_dST = "dSL_over_dST.dat";
inline constexpr const char* BSA = "BSA.dat";
inline constexpr const char* ddS_T = "ddS_T.dat";
inline constexpr const char* ddS_domega = "ddS_domega.dat";
inline constexpr const char* ddS_PHI = "ddS_PHI.dat";
inline constexpr const char* dST_T0 = "dST-T0.dat";
inline constexpr const char* dSL_T0 = "dSL-T0.dat";
inline constexpr const char* dSTT_T0 = "dSTT-T0.dat";
inline constexpr const char* dSLT_T0 = "dSLT-T0.dat";
inline constexpr const char* dSLTP_T0 = "dSLTP-T0.dat";
inline constexpr const char* dSU_T0 = "dSU-T0.dat";
inline constexpr const char* minus_dSTT = "-dSTT.dat";
inline constexpr const char* minus_dSLT = "-dSLT.dat";
inline constexpr const char* minus_dSLTP = "-dSLTP.dat";
inline constexpr const char* dS = "dS.dat";
inline constexpr const char* BSA_t = "BSA_t.dat";
inline constexpr const char* BSA_QQ = "BSA_QQ.dat";
inline constexpr const char* dSL_over_dST_T0 = "dSL_over_dST-T0.dat";

/// The record of the run that wrote the result files beside it: program, date, answers, settings, files.
inline constexpr const char* run_record = "kavrin-run.txt";

/// The 23 files of kavrin-regge in the order it opens them.
inline constexpr std::array<const char*, 23> regge_files = {
    dST_domega,
    dSL_domega,
    dSTT_domega,
    dSLT_domega,
    dSLTP_domega,
    dSU_domega,
    dST,
    dSL,
    dSTT,
    dSLT,
    dSLTP,
    dSU,
    dSL_over_dST,
    BSA,
    ddS_T,
    ddS_domega,
    ddS_PHI,
    dST_T0,
    dSL_T0,
    dSTT_T0,
    dSLT_T0,
    dSLTP_T0,
    dSU_T0};

/// The 20 files of kavrin-models in the order it opens them.
inline constexpr std::array<const char*, 20> models_files = {
    dST,
    dSL,
    dSTT,
    dSLT,
    dSLTP,
    dSU,
    minus_dSTT,
    minus_dSLT,
    minus_dSLTP,
    dSL_over_dST,
    dS,
    BSA_t,
    BSA_QQ,
    dST_T0,
    dSL_T0,
    dSTT_T0,
    dSLT_T0,
    dSLTP_T0,
    dSU_T0,
    dSL_over_dST_T0};

}  // namespace kavrin::io::file
