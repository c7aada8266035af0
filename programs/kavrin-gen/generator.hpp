// Events of e N -> e' pi N' from the models: the box, the sampling of d5sigma/dQ2 dxB dt dphi dphi_e and the events'
// four-momenta in the lab.
//
// Sampled variables: Q2 (flat in the box), x_B or W (flat in the box the user gives), -t (flat over the part of the
// user's -t range that is physical at that W, Q2), the Trento phi and the electron azimuth phi_e (both flat in
// [0, 2 pi)), each of the first four through an adapted piecewise-linear map (a VEGAS grid) fixed by a pre-scan.
// The integrated region is Q2 x (W or x_B) x (-t range intersected with the physical one) x phi x phi_e; with W given
// the x_B of a point follows from W and Q2, and the Jacobian dx_B/dW enters the weight.
//
// Event i is a function of (seed, i) alone: its trials are Philox4x64 draws at counter (i, j, k, 0) under key (seed,
// 0); the pre-scan draws under key (seed, 1). The bound of the accept-reject step is the pre-scan's largest weight
// times a safety factor, never changed during a run: a trial above it is accepted and counted.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "frontend/catalog.hpp"

namespace kavrin::gen {

struct Range {
    double lo = 0.0, hi = 0.0;
};

/// What a run generates.
struct Settings {
    frontend::ModelName model = frontend::ModelName::km;
    Channel channel = Channel::pi_plus_n;
    std::vector<std::pair<std::string, std::string>> model_settings;
    double beam_energy = 0.0;            ///< GeV
    std::optional<double> beam_pol;      ///< beam polarization P; absent: unpolarized beam, no helicity drawn
    Range q2;                            ///< GeV^2
    bool by_w = true;                    ///< the second box variable: W (GeV) when true, else x_B
    Range x;                             ///< W or x_B
    std::optional<Range> minus_t;        ///< GeV^2; absent: the whole physical range
    std::uint64_t seed = 1;
    bool weighted = false;
    std::string table_path;              ///< the Regge model's Gauss-Legendre table (empty: the default)
    double bound_safety = 1.2;           ///< the bound over the largest pre-scan weight
};

/// One generated event. Four-momenta (px, py, pz, E) in GeV, lab frame: beam along +z, target at rest.
struct Event {
    double q2 = 0, xb = 0, w = 0, minus_t = 0, phi = 0, phi_e = 0, eps = 0;
    int helicity = 0;           ///< +1 or -1; 0 for an unpolarized beam
    double weight = 0;          ///< nb; 1 for unweighted events
    std::uint64_t trials = 0;   ///< trials this event used (1 when weighted)
    double trial_sum = 0;       ///< sum of the trials' weights (nb), for the cross section
    double trial_sum2 = 0;      ///< sum of their squares
    double above = 0;           ///< unweighted: weight over bound of the accepted trial when it exceeded the bound, else 0
    double excess = 0;          ///< sum over this event's trials of max(0, weight - bound), nb
    std::uint64_t negative = 0; ///< trials whose cross section came out negative (taken as zero)
    std::array<std::array<double, 4>, 5> p{};  ///< beam, target, scattered electron, pion, recoil nucleon
};

/// The particles' PDG codes and masses (GeV) of a channel, the pion and recoil masses those of the model.
struct Particles {
    int target_pdg, pion_pdg, recoil_pdg;
    double target_m, pion_m, recoil_m;
};
Particles particles_of(frontend::ModelName model, Channel channel);
inline constexpr double electron_mass = 0.51099895e-3;

/// A point of the sampled space with its weight, for the tests and the quadrature.
struct Sample {
    double q2 = 0, xb = 0, w = 0, minus_t = 0, phi = 0, phi_e = 0, eps = 0;
    double unpolarized = 0;  ///< d5sigma without the helicity term times the Jacobians, nb
    double helicity = 0;     ///< the helicity term per unit h times the Jacobians, nb
    bool physical = false;
};

/// Bad settings or an empty box: the command line's fault.
struct BoxError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

class Generator {
public:
    /// Checks the settings (SettingsError, BoxError), builds the model and runs the pre-scan on `threads` threads.
    Generator(Settings settings, unsigned threads);

    const Settings& settings() const { return s_; }
    const Particles& particles() const { return parts_; }
    /// The accept-reject bound, nb (weight per trial).
    double bound() const { return bound_; }
    /// The pre-scan's estimate of the cross section and its standard error, nb.
    double prescan_sigma() const { return prescan_sigma_; }
    double prescan_error() const { return prescan_error_; }
    /// The fraction of pre-scan points that are physical.
    double prescan_physical() const { return prescan_physical_; }
    std::size_t prescan_points() const { return prescan_points_; }

    /// Event number i (from 0). No allocation, no I/O.
    void event(std::uint64_t i, Event& out) const;

    /// d5sigma/dQ2 dxB dt dphi dphi_e (nb/GeV^4) at a point of the box with its unpolarized and helicity parts,
    /// without the Jacobians of the sampling: for the tests and a quadrature. phi_e does not enter.
    Sample cross_section(double q2, double x, double minus_t, double phi) const;
    /// The physical -t range at (W, Q2) intersected with the user's, or an empty range (lo > hi).
    Range minus_t_range(double w, double q2) const;
    /// Lab four-momenta of a point (Q2, x_B, -t, phi, phi_e); false where the point is unphysical.
    bool momenta(double q2, double xb, double minus_t, double phi, double phi_e,
                 std::array<std::array<double, 4>, 5>& p) const;

private:
    static constexpr int dims = 4;
    static constexpr int bins = 50;
    using Grid = std::array<std::array<double, bins + 1>, dims>;

    Sample sample(const double u[5], const Grid& grid) const;
    void prescan(unsigned threads);

    Settings s_;
    Particles parts_;
    frontend::ModelChoice choice_;
    frontend::AnyModel model_;
    double unit_to_nb_ = 1.0;
    double tlo_ = 0.0, thi_ = 0.0;
    Grid grid_{};
    double bound_ = 0.0;
    double prescan_sigma_ = 0.0, prescan_error_ = 0.0, prescan_physical_ = 0.0;
    std::size_t prescan_points_ = 0;
};

/// What a run's trials add up to.
struct Tally {
    std::uint64_t trials = 0, events = 0, written = 0, above = 0, negative = 0;
    double sum = 0, sum2 = 0, excess = 0, max_ratio = 0;
    void add(const Event& e);
    /// The integrated cross section of the box (nb) and its Monte Carlo standard error.
    double sigma() const { return trials > 0 ? sum / static_cast<double>(trials) : 0.0; }
    double error() const;
    /// The fraction of the cross section above the bound: the events there are short by it.
    double excess_fraction() const { return sum > 0 ? excess / sum : 0.0; }
};

/// Generates events first .. first + n - 1 on `threads` threads, in blocks of `chunk` events, and hands each block
/// to sink(events, count) in order on this thread; returns the tally. Weighted: an event of weight 0 (a trial
/// outside the physical region) is counted, not handed on with the others: sink sees it with weight 0.
Tally run_events(const Generator& gen, std::uint64_t first, std::uint64_t n, unsigned threads,
                 const std::function<void(const Event*, std::size_t)>& sink, std::size_t chunk = 4096);

}  // namespace kavrin::gen
