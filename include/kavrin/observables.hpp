// kavrin: exclusive pion electroproduction gamma* N -> pi N' in Regge models, evaluated point by point.
//
// This header holds what both models share: the reaction channel, the pion angle of a kinematic point, the observables of one
// point, and the exception that rejects an invalid setting. The models themselves are in
// <kavrin/regge.hpp> (the Regge model of kavrin-regge) and <kavrin/models.hpp> (the KM, VR and QVM models of
// kavrin-models).
//
// Units at the boundary of the library:
//   - W in GeV; Q^2, t and -t in GeV^2; angles (theta, phi) in radians.
//   - dsigma/dOmega (centre-of-mass frame) in microbarn/sr, or nanobarn/sr when the settings ask nanobarn;
//     dsigma/dt in microbarn/GeV^2, or nanobarn/GeV^2.
//   - Helicity amplitudes in the programs' internal normalization (energies in MeV): with
//     pf = (p/K) M M' / (4 pi W)^2 (hbar c)^2 (MeV^2 mb) x 1000 (microbarn) or x 10^6 (nanobarn),
//     K = (W^2 - M^2)/(2W) and sums over the four nucleon spin pairs,
//       dsigma_L/dOmega = pf sum |M0|^2 / 2,     dsigma_T/dOmega = pf sum (|M+|^2 + |M-|^2) / 4.
//
// Points outside the physical region (below threshold, cos theta outside [-1, 1], -t outside the range
// allowed at W and Q^2) give NaN observables; the point functions never throw.
#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <limits>
#include <stdexcept>
#include <string>

namespace kavrin {

/// A setting that is out of range, not finite, missing where the model needs it, or given where it does
/// not apply. field() names the member of the options (e.g. "pion_cutoff_mev", "dds.phi"), value() is the
/// rejected value as text ("(not given)" for a missing one).
class InvalidSetting : public std::invalid_argument {
public:
    InvalidSetting(const std::string& field, const std::string& value, const std::string& reason)
        : std::invalid_argument("invalid setting " + field + " = " + value + ": " + reason),
          field_(field),
          value_(value) {}
    const std::string& field() const noexcept { return field_; }
    const std::string& value() const noexcept { return value_; }

private:
    std::string field_;
    std::string value_;
};

/// The reaction gamma* N -> pi N'.
enum class Channel : int {
    pi_plus_n = 1,   ///< gamma* p -> pi+ n
    pi_minus_p = 2,  ///< gamma* n -> pi- p
    pi0_p = 3,       ///< gamma* p -> pi0 p
    pi0_n = 4,       ///< gamma* n -> pi0 n (the Regge model only)
};

/// The pion angle of a kinematic point, given one of three ways: the centre-of-mass angle theta between
/// photon and pion (radians), its cosine, or -t (GeV^2). -t outside the physical range at the point's W and
/// Q^2 gives NaN observables; inside it, theta = arccos((t - t(90 deg))/(2 k p)).
class Angle {
public:
    enum class Kind { theta, cos_theta, minus_t };

    static constexpr Angle theta(double radians) noexcept { return Angle(Kind::theta, radians); }
    static constexpr Angle cos_theta(double cosine) noexcept { return Angle(Kind::cos_theta, cosine); }
    static constexpr Angle minus_t(double gev2) noexcept { return Angle(Kind::minus_t, gev2); }

    constexpr Kind kind() const noexcept { return kind_; }
    constexpr double value() const noexcept { return value_; }

private:
    constexpr Angle(Kind kind, double value) noexcept : kind_(kind), value_(value) {}
    Kind kind_;
    double value_;
};

/// Unit of the cross sections.
enum class CrossSectionUnit : int {
    microbarn = 1,  ///< dsigma/dOmega in microbarn/sr, dsigma/dt in microbarn/GeV^2
    nanobarn = 2,   ///< nanobarn/sr and nanobarn/GeV^2 (exactly 1000 times the microbarn values)
};

/// Nucleon spin pair (target, recoil), spins along +z; the order of Observables::amplitudes.
enum class SpinPair : std::size_t { up_up = 0, up_down = 1, down_up = 2, down_down = 3 };

/// The three amplitudes of one nucleon spin pair, by photon helicity.
struct HelicityAmplitudes {
    std::complex<double> plus;   ///< photon helicity +1
    std::complex<double> zero;   ///< longitudinal photon
    std::complex<double> minus;  ///< photon helicity -1
};

/// The six virtual-photon cross sections of one point in one form (dsigma/dOmega or dsigma/dt).
struct CrossSections {
    static constexpr double not_computed = std::numeric_limits<double>::quiet_NaN();
    double t = not_computed;    ///< transverse, dsigma_T
    double l = not_computed;    ///< longitudinal, dsigma_L
    double tt = not_computed;   ///< transverse-transverse interference, dsigma_TT
    double lt = not_computed;   ///< longitudinal-transverse interference, dsigma_LT
    /// polarized longitudinal-transverse interference, dsigma_LT', with one sign for every model: that of the KM,
    /// VR and QVM models, the sign the beam-spin asymmetries measured at JLab confirm (kavrin-regge's own files
    /// carry the opposite sign)
    double ltp = not_computed;
    double u = not_computed;    ///< unseparated, dsigma_U = epsilon dsigma_L + dsigma_T (NaN without epsilon)
};

/// Everything one point function call computes. A value that the settings do not determine is NaN.
struct Observables {
    static constexpr double not_computed = std::numeric_limits<double>::quiet_NaN();

    // ---- the kinematic point ------------------------------------------------------------------------
    double w = not_computed;           ///< W, GeV
    double q2 = not_computed;          ///< Q^2, GeV^2
    double theta = not_computed;       ///< centre-of-mass pion angle, radians
    double cos_theta = not_computed;   ///< cos(theta)
    double t = not_computed;           ///< t, GeV^2 (negative)
    double t0_minus_t = not_computed;  ///< t(theta = 0) - t, GeV^2 (>= 0)
    double dt_per_domega = not_computed;  ///< pi/(k p) in sr/GeV^2: dsigma/dt = dsigma/dOmega x this

    // ---- cross sections -----------------------------------------------------------------------------
    CrossSectionUnit unit = CrossSectionUnit::microbarn;
    CrossSections dsigma_domega;        ///< per sr
    CrossSections dsigma_dt;            ///< per GeV^2
    double lt_ratio = not_computed;     ///< dsigma_L/dsigma_T
    double bsa = not_computed;          ///< the model's own beam-spin asymmetry rule (see <kavrin/measured.hpp> for A_LU)
    double dds_domega = not_computed;   ///< the DDS of the settings' convention, per sr (where it applies)
    double dds_dt = not_computed;       ///< the same per GeV^2

    // ---- amplitudes ---------------------------------------------------------------------------------
    /// Helicity amplitudes of the spin pairs (up, up), (up, down), (down, up), (down, down).
    std::array<HelicityAmplitudes, 4> amplitudes{};

    const HelicityAmplitudes& amplitude(SpinPair pair) const { return amplitudes[static_cast<std::size_t>(pair)]; }
};

}  // namespace kavrin
