// Complex numbers side by side: one slot per photon polarization (+1, longitudinal, -1; the fourth slot is
// spare), so that the amplitude of a point is built once for all three polarizations. Every operation is the
// std::complex operation of the same operand types applied slot by slot, so each slot holds exactly the
// number the scalar code gives; the compiler turns the slot loops into vector instructions.
#pragma once

#include <array>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kavrin {

using cplx = std::complex<double>;

// Each operation below is written as the compiler evaluates the std::complex operation of the same operand types
// (without the C99 Annex G recovery of infinities, which the library is built without):
//   z w = (zr wr - zi wi, zr wi + zi wr);  x z = (x zr, x zi);  z + x = (zr + x, zi);  x - z = (x - zr, -zi);
//   z / x = (zr/x, zi/x);  a division by a complex number goes slot by slot through std::complex itself.
struct Lanes {
    static constexpr std::size_t n = 4;
    // four doubles as one vector value (the GCC and Clang vector extension): element-wise arithmetic that the
    // compiler keeps in vector registers
    using Slots = double __attribute__((vector_size(32)));
    Slots re, im;

    Lanes() : re{}, im{} {}
    /// The same complex number in every slot.
    explicit Lanes(cplx z) : re{z.real(), z.real(), z.real(), z.real()}, im{z.imag(), z.imag(), z.imag(), z.imag()} {}
    explicit Lanes(double x) : Lanes(cplx(x)) {}

    cplx operator[](std::size_t i) const { return {re[i], im[i]}; }
    void set(std::size_t i, cplx z) { re[i] = z.real(), im[i] = z.imag(); }

    Lanes& operator+=(const Lanes& b) { return *this = *this + b; }
    Lanes& operator-=(const Lanes& b) { return *this = *this - b; }

    friend Lanes operator-(const Lanes& a) { return {-a.re, -a.im}; }

    friend Lanes operator+(const Lanes& a, const Lanes& b) { return {a.re + b.re, a.im + b.im}; }
    friend Lanes operator-(const Lanes& a, const Lanes& b) { return {a.re - b.re, a.im - b.im}; }
    friend Lanes operator*(const Lanes& a, const Lanes& b) {
        return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
    }
    friend Lanes operator+(const Lanes& a, cplx b) { return a + Lanes(b); }
    friend Lanes operator+(cplx a, const Lanes& b) { return Lanes(a) + b; }
    friend Lanes operator-(const Lanes& a, cplx b) { return a - Lanes(b); }
    friend Lanes operator-(cplx a, const Lanes& b) { return Lanes(a) - b; }
    friend Lanes operator*(const Lanes& a, cplx b) { return a * Lanes(b); }
    friend Lanes operator*(cplx a, const Lanes& b) { return Lanes(a) * b; }
    friend Lanes operator+(const Lanes& a, double x) { return {a.re + x, a.im}; }
    friend Lanes operator+(double x, const Lanes& a) { return {x + a.re, a.im}; }
    friend Lanes operator-(const Lanes& a, double x) { return {a.re - x, a.im}; }
    friend Lanes operator-(double x, const Lanes& a) { return {x - a.re, -a.im}; }
    friend Lanes operator*(const Lanes& a, double x) { return {a.re * x, a.im * x}; }
    friend Lanes operator*(double x, const Lanes& a) { return {x * a.re, x * a.im}; }
    friend Lanes operator/(const Lanes& a, double x) { return {a.re / x, a.im / x}; }
    friend Lanes operator/(const Lanes& a, cplx b) {
        Lanes r;
        for (std::size_t i = 0; i < n; ++i) r.set(i, a[i] / b);
        return r;
    }

private:
    Lanes(Slots r, Slots i) : re(r), im(i) {}
};

/// Per-slot choice of the scalar code's `condition ? a : b`.
struct LaneMask {
    bool on[Lanes::n]{};
};

inline Lanes choose(const LaneMask& m, const Lanes& a, const Lanes& b) {
    Lanes r;
    for (std::size_t i = 0; i < Lanes::n; ++i) r.set(i, m.on[i] ? a[i] : b[i]);
    return r;
}
inline cplx choose(bool m, cplx a, cplx b) { return m ? a : b; }

/// Whether both parts of z are finite.
inline bool is_finite(cplx z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

namespace lanes_detail {

// The parts of complex numbers, four at a time, as their bits with the sign shifted out: 0 for a zero, from
// infinity_shifted (an infinity) up for the values that are not finite. Whether some part has (bits << 1) - offset
// at or above infinity_shifted: offset 0 finds what is not finite; offset 1 finds a NaN, and a zero, which wraps
// round to the largest value.
using Bits = std::uint64_t __attribute__((vector_size(32)));
inline constexpr std::uint64_t infinity_shifted = 0xffe0000000000000ULL;

template <std::size_t N>
bool some_part_from(const std::array<cplx, N>& a, std::uint64_t offset) {
    static_assert(N % 2 == 0, "four parts at a time");
    Bits found{};
    for (std::size_t i = 0; i < N; i += 2) {
        Bits b;
        std::memcpy(&b, &a[i], sizeof b);
        found |= reinterpret_cast<Bits>((b << 1) - offset >= infinity_shifted);
    }
    return (found[0] | found[1] | found[2] | found[3]) != 0;
}

}  // namespace lanes_detail

/// Whether every part of every entry is finite.
template <std::size_t N>
bool all_parts_finite(const std::array<cplx, N>& a) { return !lanes_detail::some_part_from(a, 0); }

/// Whether the real or the imaginary part of an entry is zero (of either sign) or NaN.
template <std::size_t N>
bool zero_or_nan_part(const std::array<cplx, N>& a) { return lanes_detail::some_part_from(a, 1); }

}  // namespace kavrin
