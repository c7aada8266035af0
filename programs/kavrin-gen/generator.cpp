#include "kavrin-gen/generator.hpp"

#include <Random123/philox.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "frontend/parallel.hpp"
#include "kavrin/measured.hpp"

namespace kavrin::gen {

namespace {

constexpr double two_pi = 2.0 * std::numbers::pi;
constexpr double proton_m = 0.938272;
constexpr double neutron_m = 0.939565;
constexpr double pi0_m = 0.1349766;
// the model's charged pion: the Regge model's single-precision 139.57 MeV, 139.272 MeV in KM, VR and QVM
const double regge_pion_m = double(139.57f) / 1000.0;
constexpr double models_pion_m = 0.139272;

constexpr std::uint64_t event_stream = 0;
constexpr std::uint64_t prescan_stream = 1;
// an event that finds no accepted trial in this many is a failure, not an endless loop
constexpr std::uint64_t max_trials = 20'000'000;

// Eight uniform numbers in [0, 1) at counter (a, b) under key (seed, stream).
void uniforms(std::uint64_t seed, std::uint64_t stream, std::uint64_t a, std::uint64_t b, double u[8]) {
    r123::Philox4x64 rng;
    const r123::Philox4x64::key_type key = {{seed, stream}};
    for (std::uint64_t k = 0; k < 2; ++k) {
        const r123::Philox4x64::ctr_type c = {{a, b, k, 0}};
        const r123::Philox4x64::ctr_type r = rng(c, key);
        for (int i = 0; i < 4; ++i) u[4 * k + i] = static_cast<double>(r.v[i] >> 11) * 0x1.0p-53;
    }
}

// Centre-of-mass energies and momenta of gamma*(q) N -> pi N' at (W, Q2).
struct Cm {
    double q0, q, epi, p;
};
bool cm_of(double w, double q2, const Particles& x, Cm& c) {
    if (!(w > x.pion_m + x.recoil_m) || !(q2 >= 0.0)) return false;
    c.q0 = (w * w - q2 - x.target_m * x.target_m) / (2.0 * w);
    c.q = std::sqrt(c.q0 * c.q0 + q2);
    c.epi = (w * w + x.pion_m * x.pion_m - x.recoil_m * x.recoil_m) / (2.0 * w);
    c.p = std::sqrt(std::max(0.0, c.epi * c.epi - x.pion_m * x.pion_m));
    return true;
}

// -t at cos(theta) = c: -(m^2 - Q2 - 2 (q0 E - q p c))
double minus_t_at(const Cm& c, double q2, double m, double cos_theta) {
    return -(m * m - q2 - 2.0 * (c.q0 * c.epi - c.q * c.p * cos_theta));
}

// Scattered electron's energy, momentum and cos(theta_e) at (Q2, nu); false where it cannot scatter so.
bool electron_of(double e, double q2, double nu, double& e1, double& k, double& k1, double& cos_e) {
    constexpr double me2 = electron_mass * electron_mass;
    e1 = e - nu;
    if (!(e1 > electron_mass)) return false;
    k = std::sqrt(e * e - me2);
    k1 = std::sqrt(e1 * e1 - me2);
    cos_e = (2.0 * e * e1 - 2.0 * me2 - q2) / (2.0 * k * k1);
    return cos_e >= -1.0 && cos_e <= 1.0;
}

// The grid of one variable: u in [0, 1) to y in [0, 1) through `bins` bins of equal probability; jac *= dy/du.
double grid_map(const double* edges, int bins, double u, double& jac, int& bin) {
    const double x = u * bins;
    bin = std::min(bins - 1, static_cast<int>(x));
    const double width = edges[bin + 1] - edges[bin];
    jac *= bins * width;
    return edges[bin] + (x - bin) * width;
}

}  // namespace

Particles particles_of(frontend::ModelName model, Channel channel) {
    const double charged = model == frontend::ModelName::regge ? regge_pion_m : models_pion_m;
    switch (channel) {
        case Channel::pi_plus_n: return {2212, 211, 2112, proton_m, charged, neutron_m};
        case Channel::pi_minus_p: return {2112, -211, 2212, neutron_m, charged, proton_m};
        case Channel::pi0_p: return {2212, 111, 2212, proton_m, pi0_m, proton_m};
        case Channel::pi0_n: return {2112, 111, 2112, neutron_m, pi0_m, neutron_m};
    }
    return {2212, 211, 2112, proton_m, charged, neutron_m};
}

void Tally::add(const Event& e) {
    trials += e.trials;
    ++events;
    if (e.weight > 0.0) ++written;
    sum += e.trial_sum;
    sum2 += e.trial_sum2;
    excess += e.excess;
    negative += e.negative;
    if (e.above > 0.0) {
        ++above;
        max_ratio = std::max(max_ratio, e.above);
    }
}

double Tally::error() const {
    if (trials < 2) return std::numeric_limits<double>::infinity();
    const double n = static_cast<double>(trials);
    const double mean = sum / n;
    return std::sqrt(std::max(0.0, sum2 / n - mean * mean) / (n - 1.0));
}

namespace {

void check_range(const char* name, const Range& r, double min, double max) {
    const std::string n(name);
    if (!std::isfinite(r.lo) || !std::isfinite(r.hi) || !(r.lo < r.hi))
        throw BoxError(n + " MIN:MAX needs finite MIN < MAX");
    if (r.lo < min || r.hi > max)
        throw BoxError(n + " " + std::to_string(r.lo) + ":" + std::to_string(r.hi) + " lies outside " +
                       std::to_string(min) + ":" + (std::isinf(max) ? std::string("inf") : std::to_string(max)));
}

Settings checked(Settings s) {
    if (!frontend::has_channel(s.model, s.channel))
        throw BoxError("the model " + std::string(frontend::name_of(s.model)) + " has no channel " +
                       std::string(frontend::name_of(s.channel)));
    if (!(s.beam_energy > 0.0) || !std::isfinite(s.beam_energy)) throw BoxError("--beam-energy needs E > 0 (GeV)");
    for (const auto& [name, value] : s.model_settings)
        if (name == "epsilon" || name == "beam_energy_gev")
            throw BoxError("the setting " + name + " = " + value + " does not apply: the beam energy gives each "
                           "event's epsilon");
    if (s.beam_pol && !(std::abs(*s.beam_pol) <= 1.0)) throw BoxError("--beam-pol needs -1 <= P <= 1");
    constexpr double inf = std::numeric_limits<double>::infinity();
    check_range("--q2", s.q2, 0.0, inf);
    if (!(s.q2.lo > 0.0)) throw BoxError("--q2 needs Q2 > 0 (electroproduction)");
    if (s.by_w)
        check_range("--w", s.x, 0.0, inf);
    else
        check_range("--xb", s.x, 0.0, 1.0);
    if (s.minus_t) check_range("--t", *s.minus_t, 0.0, inf);
    if (!(s.bound_safety > 0.0) || !std::isfinite(s.bound_safety)) throw BoxError("the bound's safety factor needs > 0");
    return s;
}

}  // namespace

Generator::Generator(Settings settings, unsigned threads)
    : s_(checked(std::move(settings))),
      parts_(particles_of(s_.model, s_.channel)),
      choice_(s_.model, s_.channel, s_.model_settings, s_.table_path),
      // the five cross sections per t do not depend on eps: one model serves every event's eps
      model_(choice_.build(std::numeric_limits<double>::quiet_NaN(), s_.beam_energy)) {
    unit_to_nb_ = choice_.cross_section_unit() == "nb" ? 1.0 : 1000.0;
    tlo_ = s_.minus_t ? s_.minus_t->lo : 0.0;
    thi_ = s_.minus_t ? s_.minus_t->hi : std::numeric_limits<double>::infinity();
    for (auto& d : grid_)
        for (int b = 0; b <= bins; ++b) d[b] = static_cast<double>(b) / bins;
    prescan(threads);
}

Range Generator::minus_t_range(double w, double q2) const {
    Cm c;
    if (!cm_of(w, q2, parts_, c)) return {1.0, 0.0};
    const double lo = minus_t_at(c, q2, parts_.pion_m, 1.0), hi = minus_t_at(c, q2, parts_.pion_m, -1.0);
    return {std::max(lo, tlo_), std::min(hi, thi_)};
}

Sample Generator::cross_section(double q2, double x, double minus_t, double phi) const {
    Sample r;
    const double m = parts_.target_m;
    r.q2 = q2;
    r.w = s_.by_w ? x : w_of(q2, x, m);
    r.xb = s_.by_w ? xb_of(x, q2, m) : x;
    r.minus_t = minus_t;
    r.phi = phi;
    if (!(r.xb > 0.0 && r.xb < 1.0) || !std::isfinite(r.w)) return r;
    const Range t = minus_t_range(r.w, q2);
    if (!(minus_t >= t.lo && minus_t <= t.hi)) return r;
    const double nu = q2 / (2.0 * m * r.xb);
    double e1, k, k1, cos_e;
    if (!electron_of(s_.beam_energy, q2, nu, e1, k, k1, cos_e)) return r;
    r.eps = epsilon_of_beam(q2, r.xb, s_.beam_energy, m);
    if (!(r.eps >= 0.0 && r.eps < 1.0)) return r;
    const Observables o = frontend::evaluate(model_, r.w, q2, Angle::minus_t(minus_t));
    const Measured x5 = measured(o, r.eps, phi, s_.beam_energy, m);
    const double flux = virtual_photon_flux(q2, r.xb, s_.beam_energy, m, r.eps);
    // d5sigma = Gamma (d2sigma/dt dphi + h helicity term) / 2 pi, nb
    const double f = flux * unit_to_nb_ / two_pi;
    r.unpolarized = f * x5.d2sigma_dt_dphi;
    r.helicity = f * x5.d2sigma_dt_dphi_helicity;
    r.physical = std::isfinite(r.unpolarized) && std::isfinite(r.helicity);
    if (!r.physical) r.unpolarized = r.helicity = 0.0;
    return r;
}

Sample Generator::sample(const double u[5], const Grid& grid) const {
    double jac = 1.0;
    int bin;
    const double y0 = grid_map(grid[0].data(), bins, u[0], jac, bin);
    const double y1 = grid_map(grid[1].data(), bins, u[1], jac, bin);
    const double y2 = grid_map(grid[2].data(), bins, u[2], jac, bin);
    const double y3 = grid_map(grid[3].data(), bins, u[3], jac, bin);
    const double q2 = s_.q2.lo + y0 * (s_.q2.hi - s_.q2.lo);
    const double x = s_.x.lo + y1 * (s_.x.hi - s_.x.lo);
    jac *= (s_.q2.hi - s_.q2.lo) * (s_.x.hi - s_.x.lo) * two_pi * two_pi;
    const double m = parts_.target_m;
    const double w = s_.by_w ? x : w_of(q2, x, m);
    if (s_.by_w) {
        const double xb = xb_of(w, q2, m);
        jac *= 2.0 * w * xb * xb / q2;  // dx_B/dW
    }
    Sample r;
    const Range t = minus_t_range(w, q2);
    if (!(t.hi > t.lo)) return r;
    const double minus_t = t.lo + y2 * (t.hi - t.lo);
    jac *= t.hi - t.lo;
    r = cross_section(q2, x, minus_t, two_pi * y3);
    r.phi_e = two_pi * u[4];
    r.unpolarized *= jac;
    r.helicity *= jac;
    return r;
}

void Generator::prescan(unsigned threads) {
    // adapt the grid in a few passes, then find the largest weight with the grid fixed
    constexpr int passes = 5;
    constexpr std::size_t per_pass = 6000, final_points = 40000;
    struct Point {
        double w, wmax;
        std::array<int, dims> bin;
    };
    std::vector<Point> points(final_points);
    std::size_t physical = 0;
    for (int pass = 0; pass <= passes; ++pass) {
        const std::size_t n = pass < passes ? per_pass : final_points;
        const Grid grid = grid_;
        frontend::run_blocks(n, threads, 256, [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                double u[8];
                uniforms(s_.seed, prescan_stream, static_cast<std::uint64_t>(pass), i, u);
                const Sample s = sample(u, grid);
                Point& p = points[i];
                p.w = std::max(0.0, s.unpolarized);
                p.wmax = std::max(0.0, s.unpolarized + std::abs(s_.beam_pol ? s.helicity : 0.0));
                for (int d = 0; d < dims; ++d) p.bin[d] = std::min(bins - 1, static_cast<int>(u[d] * bins));
            }
        });
        if (pass == passes) {
            double sum = 0, sum2 = 0, max = 0;
            for (std::size_t i = 0; i < n; ++i) {
                sum += points[i].w;
                sum2 += points[i].w * points[i].w;
                max = std::max(max, points[i].wmax);
                if (points[i].w > 0) ++physical;
            }
            const double dn = static_cast<double>(n);
            prescan_sigma_ = sum / dn;
            prescan_error_ = std::sqrt(std::max(0.0, sum2 / dn - prescan_sigma_ * prescan_sigma_) / (dn - 1.0));
            prescan_physical_ = static_cast<double>(physical) / dn;
            prescan_points_ = passes * per_pass + final_points;
            bound_ = max * s_.bound_safety;
            break;
        }
        // VEGAS refinement: bins that carry more of sum w^2 get narrower
        for (int d = 0; d < dims; ++d) {
            std::array<double, bins> acc{};
            for (std::size_t i = 0; i < n; ++i) acc[points[i].bin[d]] += points[i].w * points[i].w;
            std::array<double, bins> sm{};
            for (int b = 0; b < bins; ++b) {
                const int lo = std::max(0, b - 1), hi = std::min(bins - 1, b + 1);
                double s = 0;
                for (int k = lo; k <= hi; ++k) s += acc[k];
                sm[b] = s / (hi - lo + 1);
            }
            double total = 0;
            for (double v : sm) total += v;
            if (!(total > 0.0)) continue;
            std::array<double, bins> imp{};
            double imp_total = 0;
            for (int b = 0; b < bins; ++b) {
                const double r = sm[b] / total;
                imp[b] = r > 0.0 && r < 1.0 ? std::pow((r - 1.0) / std::log(r), 1.5) : (r >= 1.0 ? 1.0 : 0.0);
                imp_total += imp[b];
            }
            // a floor keeps every bin open: no part of the box is left unsampled
            for (double& v : imp) v += 0.05 * imp_total / bins;
            imp_total *= 1.05;
            const auto& old = grid_[d];
            std::array<double, bins + 1> edges{};
            edges[0] = 0.0;
            edges[bins] = 1.0;
            const double share = imp_total / bins;
            double acc_imp = 0.0;
            int b = 0;
            for (int k = 1; k < bins; ++k) {
                const double target = k * share;
                while (b < bins - 1 && acc_imp + imp[b] < target) acc_imp += imp[b++];
                const double frac = imp[b] > 0.0 ? std::clamp((target - acc_imp) / imp[b], 0.0, 1.0) : 0.0;
                edges[k] = old[b] + frac * (old[b + 1] - old[b]);
            }
            grid_[d] = edges;
        }
    }
    if (!(bound_ > 0.0))
        throw BoxError("the box has no physical point: check that W is above threshold, that the beam energy reaches "
                       "the Q2 and x_B of the box and that the -t range meets the physical one");
}

void Generator::event(std::uint64_t i, Event& out) const {
    out = Event{};
    const bool polarized = s_.beam_pol.has_value();
    const double p_plus = polarized ? 0.5 * (1.0 + *s_.beam_pol) : 0.0;
    for (std::uint64_t j = 0;; ++j) {
        if (j >= max_trials)
            throw std::runtime_error("event " + std::to_string(i) + " found no accepted trial in " +
                                     std::to_string(max_trials) + " trials");
        double u[8];
        uniforms(s_.seed, event_stream, i, j, u);
        const int h = polarized ? (u[6] < p_plus ? 1 : -1) : 0;
        const Sample s = sample(u, grid_);
        double w = s.unpolarized + h * s.helicity;
        if (w < 0.0) {
            ++out.negative;
            w = 0.0;
        }
        ++out.trials;
        out.trial_sum += w;
        out.trial_sum2 += w * w;
        if (!s_.weighted && w > bound_) out.excess += w - bound_;
        const bool accept = s_.weighted || u[5] * bound_ < w;
        if (!accept) continue;
        out.weight = s_.weighted ? w : 1.0;
        if (!s_.weighted && w > bound_) out.above = w / bound_;
        out.q2 = s.q2;
        out.xb = s.xb;
        out.w = s.w;
        out.minus_t = s.minus_t;
        out.phi = s.phi;
        out.phi_e = s.phi_e;
        out.eps = s.eps;
        out.helicity = h;
        if (w > 0.0 && !momenta(s.q2, s.xb, s.minus_t, s.phi, s.phi_e, out.p)) out.weight = 0.0;
        return;
    }
}

bool Generator::momenta(double q2, double xb, double minus_t, double phi, double phi_e,
                        std::array<std::array<double, 4>, 5>& p) const {
    const double m = parts_.target_m, e = s_.beam_energy;
    const double nu = q2 / (2.0 * m * xb);
    const double w2 = m * m + 2.0 * m * nu - q2;
    if (!(w2 > 0.0)) return false;
    const double w = std::sqrt(w2);
    double e1, k, k1, cos_e;
    if (!electron_of(e, q2, nu, e1, k, k1, cos_e)) return false;
    Cm c;
    if (!cm_of(w, q2, parts_, c) || !(c.p > 0.0)) return false;
    const double cos_t = (-minus_t - parts_.pion_m * parts_.pion_m + q2 + 2.0 * c.q0 * c.epi) / (2.0 * c.q * c.p);
    if (!(cos_t >= -1.0 - 1e-12 && cos_t <= 1.0 + 1e-12)) return false;
    const double ct = std::clamp(cos_t, -1.0, 1.0), st = std::sqrt(1.0 - ct * ct);
    const double sin_e = std::sqrt(std::max(0.0, 1.0 - cos_e * cos_e));
    p[0] = {0.0, 0.0, k, e};
    p[1] = {0.0, 0.0, 0.0, m};
    p[2] = {k1 * sin_e * std::cos(phi_e), k1 * sin_e * std::sin(phi_e), k1 * cos_e, e1};
    // photon frame: z' along q, x' along the beam's component transverse to q (the lepton plane), y' = z' x x'
    const double qv[3] = {-p[2][0], -p[2][1], k - p[2][2]};
    const double qa = std::sqrt(qv[0] * qv[0] + qv[1] * qv[1] + qv[2] * qv[2]);
    const double z[3] = {qv[0] / qa, qv[1] / qa, qv[2] / qa};
    const double kz = k * z[2];
    double x[3] = {-kz * z[0], -kz * z[1], k - kz * z[2]};
    const double xa = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    if (!(xa > 0.0)) return false;
    for (double& v : x) v /= xa;
    const double y[3] = {z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]};
    // pion in the centre-of-mass frame, at azimuth phi from the lepton plane, boosted along q to the lab
    const double beta = qa / (nu + m), gamma = (nu + m) / w;
    const double pl = gamma * (c.p * ct + beta * c.epi), epi = gamma * (c.epi + beta * c.p * ct);
    const double px = c.p * st * std::cos(phi), py = c.p * st * std::sin(phi);
    for (int i = 0; i < 3; ++i) p[3][i] = px * x[i] + py * y[i] + pl * z[i];
    p[3][3] = epi;
    // the recoil takes what is left: q + P - pi
    for (int i = 0; i < 3; ++i) p[4][i] = qv[i] - p[3][i];
    p[4][3] = nu + m - epi;
    return true;
}

Tally run_events(const Generator& gen, std::uint64_t first, std::uint64_t n, unsigned threads,
                 const std::function<void(const Event*, std::size_t)>& sink, std::size_t chunk) {
    Tally tally;
    std::vector<Event> events(static_cast<std::size_t>(std::min<std::uint64_t>(n, chunk)));
    for (std::uint64_t done = 0; done < n;) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(n - done, chunk));
        const std::uint64_t base = first + done;
        frontend::run_blocks(count, threads, 32, [&](std::size_t begin, std::size_t end) {
            for (std::size_t k = begin; k < end; ++k) gen.event(base + k, events[k]);
        });
        for (std::size_t k = 0; k < count; ++k) tally.add(events[k]);
        sink(events.data(), count);
        done += count;
    }
    return tally;
}

}  // namespace kavrin::gen
