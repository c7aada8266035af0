// A double's 17 significant decimal digits, correctly rounded (ties to even), and its decimal exponent: the
// digits and exponent of std::to_chars(..., chars_format::scientific, 16), made without it where the value
// lets the rounding be done exactly on 128-bit integers.
//
// x = m * 2^e with m < 2^53. With the decimal exponent E of x (10^E <= |x| < 10^(E+1)) and q = 16 - E, the
// digits are N = round_half_even(m * 2^e * 10^q), which has 17 digits unless the rounding carries into
// 10^17 (then the digits are those of 10^16 with the exponent E + 1).
//  - q >= 0 (|x| < 10^17): m * 5^q is exact in 128 bits for q <= 27 (5^27 < 2^63), in 192 bits up to
//    q = 55 (5^55 < 2^128), and 2^(e + q) is a shift; a right shift is rounded from the bits shifted out.
//  - q < 0 (|x| >= 10^17): then e > 0 and x itself is an integer; while it is below 2^128 it is divided
//    by 10^-q exactly (10^-q <= 10^22 < 2^128), the remainder giving the rounding.
// Anything else (|x| < 1e-39 or so, |x| >= 2^128, subnormals) is left to std::to_chars.
#pragma once

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace kavrin::io {

namespace decimal17_detail {

__extension__ typedef unsigned __int128 u128;

inline constexpr std::uint64_t pow10_u64[20] = {
    1ULL,
    10ULL,
    100ULL,
    1000ULL,
    10000ULL,
    100000ULL,
    1000000ULL,
    10000000ULL,
    100000000ULL,
    1000000000ULL,
    10000000000ULL,
    100000000000ULL,
    1000000000000ULL,
    10000000000000ULL,
    100000000000000ULL,
    1000000000000000ULL,
    10000000000000000ULL,
    100000000000000000ULL,
    1000000000000000000ULL,
    10000000000000000000ULL,
};

inline constexpr int max_q = 55;  // 5^55 < 2^128
inline constexpr auto pow5_table = [] {
    struct Table {
        u128 v[max_q + 1];
    } t{};
    u128 p = 1;
    for (int q = 0; q <= max_q; ++q, p *= 5) t.v[q] = p;
    return t;
}();

// 10^k near enough for a first guess of the decimal exponent, min_e10 <= k <= max_e10
inline constexpr int min_e10 = -40, max_e10 = 40;
inline constexpr auto pow10_double = [] {
    struct Table {
        double v[max_e10 - min_e10 + 1];
    } t{};
    double p = 1;
    for (int k = 0; k <= max_e10; ++k, p *= 10) t.v[k - min_e10] = p;
    p = 1;
    for (int k = 0; k >= min_e10; --k, p /= 10) t.v[k - min_e10] = p;
    return t;
}();

inline constexpr char two_digits[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// 8 digits of v < 10^8 at out.
inline void put8(char* out, std::uint32_t v) noexcept {
    const std::uint32_t hi = v / 10000, lo = v % 10000;
    std::memcpy(out, two_digits + 2 * (hi / 100), 2);
    std::memcpy(out + 2, two_digits + 2 * (hi % 100), 2);
    std::memcpy(out + 4, two_digits + 2 * (lo / 100), 2);
    std::memcpy(out + 6, two_digits + 2 * (lo % 100), 2);
}

// round_half_even(|x| * 10^q) for x = m * 2^e, or 0 where it is not done exactly here.
inline std::uint64_t scaled(std::uint64_t m, int e, int q) noexcept {
    if (q > 27) {  // m * 5^q needs up to 181 bits: U * 2^64 + L
        if (q > max_q) return 0;
        const u128 p5 = pow5_table.v[q];
        const u128 low = static_cast<u128>(m) * static_cast<std::uint64_t>(p5);
        const u128 U = static_cast<u128>(m) * static_cast<std::uint64_t>(p5 >> 64) + (low >> 64);
        const std::uint64_t L = static_cast<std::uint64_t>(low);
        const int R = -(e + q);  // the whole shift, at least 1
        if (R < 1) return 0;
        if (R < 64) {
            if ((U >> (128 - (64 - R))) != 0) return 0;  // cannot happen: the result has 17 or 18 digits
            u128 n = (U << (64 - R)) | (L >> R);
            const std::uint64_t rest = L & ((1ULL << R) - 1), half = 1ULL << (R - 1);
            if (rest > half || (rest == half && (n & 1) != 0)) ++n;
            if (n >= static_cast<u128>(pow10_u64[18])) return 0;
            return static_cast<std::uint64_t>(n);
        }
        const int r = R - 64;
        if (r >= 128) return 0;
        u128 n = U >> r;
        bool up = false;
        if (r == 0) {
            up = L > (1ULL << 63) || (L == (1ULL << 63) && (n & 1) != 0);
        } else {
            const u128 rest = U - (n << r);
            const u128 half = static_cast<u128>(1) << (r - 1);
            up = rest > half || (rest == half && (L != 0 || (n & 1) != 0));
        }
        if (up) ++n;
        if (n >= static_cast<u128>(pow10_u64[18])) return 0;
        return static_cast<std::uint64_t>(n);
    }
    if (q >= 0) {  // m * 5^q < 2^116
        const u128 p = static_cast<u128>(m) * static_cast<std::uint64_t>(pow5_table.v[q]);
        const int s = e + q;
        if (s < 0 && s > -64) {  // the usual case: a right shift by 1..63, done on the two 64-bit halves
            const int r = -s;
            const auto lo = static_cast<std::uint64_t>(p), hi = static_cast<std::uint64_t>(p >> 64);
            if ((hi >> r) != 0) return 0;  // more than 64 bits: cannot happen for a result of 17 or 18 digits
            std::uint64_t n = (lo >> r) | (hi << (64 - r));
            const std::uint64_t rest = lo & ((1ULL << r) - 1), half = 1ULL << (r - 1);
            if (rest > half || (rest == half && (n & 1) != 0)) ++n;
            return n < pow10_u64[18] ? n : 0;
        }
        if (s >= 0) {
            if (s >= 64) return 0;
            const u128 n = p << s;
            if ((n >> s) != p || n >= static_cast<u128>(pow10_u64[18])) return 0;
            return static_cast<std::uint64_t>(n);
        }
        const int r = -s;
        if (r >= 128) return 0;
        u128 n = p >> r;
        const u128 rest = p - (n << r);
        const u128 half = static_cast<u128>(1) << (r - 1);
        if (rest > half || (rest == half && (n & 1) != 0)) ++n;
        if (n >= static_cast<u128>(pow10_u64[18])) return 0;
        return static_cast<std::uint64_t>(n);
    }
    // an integer of at least 18 digits
    const int k = -q;
    if (k > 22 || e < 0 || e >= 128 - 53) return 0;
    const u128 x = static_cast<u128>(m) << e;
    const u128 d = k <= 19 ? static_cast<u128>(pow10_u64[k]) : static_cast<u128>(pow10_u64[19]) * pow10_u64[k - 19];
    u128 n = x / d;
    const u128 rest = x - n * d;
    const u128 half = d / 2;  // d is even
    if (rest > half || (rest == half && (n & 1) != 0)) ++n;
    if (n >= static_cast<u128>(pow10_u64[18])) return 0;
    return static_cast<std::uint64_t>(n);
}

}  // namespace decimal17_detail

/// The 17 significant digits of |x| (finite, not zero) as characters at digits[0..16] and its decimal
/// exponent, as std::to_chars(scientific, 16) gives them; false, with nothing written, where x is outside
/// the range done here.
inline bool fast_decimal17(double x, char* digits, int& exp10) noexcept {
    using namespace decimal17_detail;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    if (biased == 0 || biased == 0x7ff) return false;  // zero, subnormal, infinite, NaN
    const std::uint64_t m = (bits & ((1ULL << 52) - 1)) | (1ULL << 52);
    const int e = biased - 1075;
    // 2^(e + 52) <= |x| < 2^(e + 53): floor((e + 52) log10 2) <= E <= that + 1, and a comparison with
    // (about) 10^(E + 1) settles which; where that power is not exact, the digit count below corrects it
    int E = ((e + 52) * 78913) >> 18;  // floor(k log10 2) for |k| < 2^11
    if (E < min_e10 || E >= max_e10) return false;
    E += std::fabs(x) >= pow10_double.v[E + 1 - min_e10];
    std::uint64_t n = scaled(m, e, 16 - E);
    if (n == 0) return false;
    if (n >= pow10_u64[17]) {  // E was one too small, or the rounding carried into 10^17
        ++E;
        n = scaled(m, e, 16 - E);
        if (n == 0 || n >= pow10_u64[17]) return false;
    } else if (n <= pow10_u64[16]) {  // E may be one too large (then 10^16 is a rounding, not a carry)
        const std::uint64_t finer = scaled(m, e, 17 - E);
        if (finer == 0) return false;
        if (finer < pow10_u64[17]) {
            if (finer < pow10_u64[16]) return false;  // cannot happen: E is never two too large
            --E;
            n = finer;
        } else if (n != pow10_u64[16]) {
            return false;  // cannot happen: with E one too large n would be 10^16 - 1 or less
        }
    }
    digits[0] = static_cast<char>('0' + n / pow10_u64[16]);
    const std::uint64_t rest = n % pow10_u64[16];
    put8(digits + 1, static_cast<std::uint32_t>(rest / 100000000));
    put8(digits + 9, static_cast<std::uint32_t>(rest % 100000000));
    exp10 = E;
    return true;
}

/// The 17 significant digits and decimal exponent of |x| (finite), and whether x is negative, by the fast
/// way where it applies and std::to_chars elsewhere. Zero gives seventeen '0' and exponent 0.
inline bool decimal17(double x, char* digits, int& exp10) noexcept {
    const bool negative = std::signbit(x);
    if (fast_decimal17(x, digits, exp10)) return negative;
    if (x == 0.0) {
        std::memset(digits, '0', 17);
        exp10 = 0;
        return negative;
    }
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 16);
    const char* lead = buf + (buf[0] == '-');
    digits[0] = lead[0];
    std::memcpy(digits + 1, lead + 2, 16);
    const char* e = lead + 18;  // "d." and 16 digits, then 'e'
    exp10 = 0;
    std::from_chars(e + 1 + (e[1] == '+'), r.ptr, exp10);
    return negative;
}

}  // namespace kavrin::io
