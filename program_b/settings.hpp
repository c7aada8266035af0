// The run settings of kavrin-models: exactly what its dialogue fixes, as one value type.
#pragma once

#include <limits>
#include <optional>


namespace kavrin::program_b {

/// Reaction channel, numbered as in the dialogue.
enum class Channel : int {
    pi_plus_n = 1,   ///< gamma* p -> pi+ n
    pi_minus_p = 2,  ///< gamma* n -> pi- p
    pi0_p = 3,       ///< gamma* p -> pi0 p
};

/// Reaction model, numbered as in the dialogue.
enum class ModelKind : int { km = 1, vr = 2, qvm = 3 };

/// What the run writes, numbered as in the dialogue.
enum class OutputKind : int {
    separated = 1,     ///< dsigma_T, _L, _TT, _LT, _LT', dsigma_U, L/T and the asymmetry; epsilon asked
    asymmetry = 2,     ///< the same files; KM asks the beam energy instead of epsilon
    phi_dependent = 3  ///< the sum of the four unpolarized cross sections versus phi ("dS.dat")
};

/// Masses of program B in MeV (the charged pion is 139.272 here; only rho_m is single precision).
namespace mass {
inline constexpr double photon_m = 0.0;
inline constexpr double proton_m = 938.272;
inline constexpr double neutron_m = 939.565;
inline constexpr double pion_m = 139.272;
inline constexpr double pi0_m = 134.9766;
inline constexpr double rho_m = double(775.11f);
inline constexpr double rho0_m = 775.26;
inline constexpr double omega_m = 782.65;
inline constexpr double a1_m = 1230.0;
inline constexpr double b1_m = 1229.5;
inline constexpr double h1_m = 1170.0;
inline constexpr double a2_m = 1318.2;
}  // namespace mass

/// Initial baryon, final baryon and final meson mass (MeV) of a channel.
struct ChannelMasses {
    double ibm, fbm, fmm;
    double ibms() const { return ibm * ibm; }
    double fbms() const { return fbm * fbm; }
    double fmms() const { return fmm * fmm; }
    /// Threshold W = fbm + fmm.
    double w_thresh() const { return fbm + fmm; }
};

/// The masses of channel c.
constexpr ChannelMasses channel_masses(Channel c) {
    switch (c) {
        case Channel::pi_plus_n: return {mass::proton_m, mass::neutron_m, mass::pion_m};
        case Channel::pi_minus_p: return {mass::neutron_m, mass::proton_m, mass::pion_m};
        case Channel::pi0_p: break;
    }
    return {mass::proton_m, mass::proton_m, mass::pi0_m};
}

/// Everything the dialogue fixes. Raw answers keep the units they were asked in (GeV, GeV^2, degrees).
struct Settings {
    Channel channel = Channel::pi_plus_n;
    ModelKind model = ModelKind::km;
    double cut_pion = 0.0;  ///< pion-exchange cut-off (GeV)
    double cut_f1 = 0.0;    ///< nucleon form-factor cut-off (GeV), QVM only
    OutputKind out = OutputKind::separated;
    int xaxis = 9;           ///< scan mode 1..10
    float ang_range = 2.0f;  ///< modes 8-10: exactly 1 is SMALL (41 angles), anything else FULL (181)

    static constexpr double unset = std::numeric_limits<double>::quiet_NaN();
    double w_input = unset;      ///< W (GeV): the final W in modes 1 and 6, the fixed W otherwise
    double qq_input = unset;     ///< Q^2 (GeV^2): the final Q^2 in modes 2-5 and 7, the fixed Q^2 otherwise
    double t_input = unset;      ///< -t (GeV^2), modes 1-3
    double xb_input = unset;     ///< Bjorken x, modes 3, 4 and 8
    double theta_input = unset;  ///< theta (degrees), modes 4 and 5
    float cos_theta_input = std::numeric_limits<float>::quiet_NaN();  ///< cos theta, modes 6 and 7

    std::optional<double> el;   ///< virtual-photon polarization epsilon, when asked
    std::optional<double> ebe;  ///< electron beam energy (GeV), asked for the asymmetry with KM
};

/// Whether W follows from Q^2 and xB at each Q^2 (modes 3, 4 and 8).
constexpr bool w_from_xb(int xaxis) { return xaxis == 3 || xaxis == 4 || xaxis == 8; }

}  // namespace kavrin::program_b
