// Run settings of kavrin-regge: everything the dialogue fixes, as plain values.
// Energies in MeV, Q^2 and t in MeV^2 (converted on entry); nucleon cut-offs in GeV, meson cut-offs in MeV.
#pragma once

namespace kavrin::program_a {

/// What the dialogue of one run has fixed. Options a channel does not ask keep their defaults here;
/// they never enter that channel's results.
struct Settings {
    // ---- reaction and nucleon form factors -------------------------------------------------------
    int gtype = 1;          ///< 1 gamma* p -> pi+ n, 2 gamma* n -> pi- p, 3 gamma* p -> pi0 p, 4 gamma* n -> pi0 n
    int fft_gnn = 2;        ///< nucleon form factors: 1 GPD-based, 2 dipole
    double gpd_alp = 0.0;   ///< GPD profile slope, GeV^-2
    double cut_f1 = 0.0;    ///< dipole cut-off of F1, GeV
    double cut_f2 = 0.0;    ///< dipole cut-off of F2, GeV (equal to cut_f1)
    int nucleon_f2 = 2;     ///< 1: Pauli (F2) nucleon terms on, 2: off

    // ---- meson exchanges ---------------------------------------------------------------------------
    double cutp_em = 0.0;   ///< pion e.m. form factor cut-off, MeV (charged channels)
    int a1_cc = 1;          ///< a1 photocoupling sign: 1 positive, any other value negative
    int omega_phase = 1;    ///< omega Regge phase in neutral channels: 1 non-degenerate, else degenerate
    double cutw_em = 775.0; ///< omega e.m. form factor cut-off, MeV
    int nucleon_poles = 2;  ///< neutral channels: 1 nucleon Born terms on, otherwise off

    // ---- output kind and scan ------------------------------------------------------------------------
    int out = 1;            ///< 1 separated cross sections, L/T and BSA; 3 DDS
    int angle_range = 2;    ///< angle scans of modes 8-10: 1 from 0 to 45 degrees, otherwise 0 to 180
    int xaxis = 9;          ///< scan mode of output kind 1 (1..10)
    int xaxis3 = 1;         ///< input mode of output kind 3 (1..7)
    int dds_type = 1;       ///< 1 DESY, 2 Cornell fixed phi, 3 Cornell phi-averaged, 4 CEA cosines, 5 JLab
    int ds_ltp_sign = 1;    ///< sign of dsigma_LT' (2 flips it); 1 in every run
    double el = 0.5;        ///< virtual-photon polarization epsilon
    int outu = 1;           ///< output unit: 1 microbarn, 2 nanobarn

    double emin = 0.0, emax = 0.0;    ///< first and last W of the W loop, MeV
    double qqmin = 0.0, qqmax = 0.0;  ///< first and last Q^2 of the Q^2 loop, MeV^2
    int w_xb = 0;                     ///< 1: W follows from Q^2 and x_B at every point

    // ---- answered values (as answered: GeV, GeV^2, degrees, cosines) ---------------------------------
    double t_input = 0.0;          ///< -t, GeV^2
    double u_input = 0.0;          ///< -u, GeV^2
    double xb_input = 0.0;         ///< Bjorken x
    double theta_input = 0.0;      ///< pion angle of modes 4, 5, degrees
    double theta_deg = 0.0;        ///< pion angle of DDS modes 6, 7, degrees
    double phi = 0.0;              ///< azimuth of DDS mode 5, degrees
    double cos_theta_input = 0.0;  ///< cos(theta) of modes 6, 7
    double cos_phi_input = 0.0;    ///< cos(phi) of DDS modes 6, 7
    double cos_2phi_input = 0.0;   ///< cos(2 phi) of DDS modes 6, 7

    // ---- physical t range shown in modes 1-3 (MeV^2), bounds of those scans ---------------------------
    double t_max = 0.0;
    double t_min = 0.0;
};

}  // namespace kavrin::program_a
