// The 17 significant digits of the result lines: the integer path of decimal17 gives the digits and
// exponent of std::to_chars (scientific, 16 decimals) for every double, ties rounded to even, and it is
// the path taken over the whole range it claims.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "io/decimal17.hpp"
#include "io/results.hpp"

using namespace kavrin::io;

namespace {

struct Digits {
    std::string digits;
    int exp10 = 0;
    bool negative = false;
    bool operator==(const Digits&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Digits& d) {
    return os << (d.negative ? "-" : "+") << d.digits << "e" << d.exp10;
}

Digits by_to_chars(double x) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 16);
    const std::string s(buf, r.ptr);
    Digits d;
    d.negative = s[0] == '-';
    const std::size_t lead = d.negative ? 1 : 0;
    const std::size_t e = s.find('e');
    d.digits = s.substr(lead, 1) + s.substr(lead + 2, e - lead - 2);
    d.exp10 = std::stoi(s.substr(e + 1));
    return d;
}

Digits by_decimal17(double x) {
    char digits[17];
    Digits d;
    d.negative = decimal17(x, digits, d.exp10);
    d.digits.assign(digits, 17);
    return d;
}

// The range where the integer path must answer (outside it, it may leave the value to to_chars).
bool claimed(double x) {
    const double a = std::fabs(x);
    return a >= 1e-38 && a <= 1e38;
}

// Compares both ways of one value, and that the integer path answered where it claims to.
void expect_same(double x) {
    const Digits want = by_to_chars(x);
    EXPECT_EQ(by_decimal17(x), want) << "x = " << want;
    if (claimed(x)) {
        char digits[17];
        int exp10 = 0;
        EXPECT_TRUE(fast_decimal17(x, digits, exp10)) << "x = " << want << " left to to_chars";
    }
}

double parse(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

std::vector<double> with_neighbours(double x, int ulps) {
    std::vector<double> v{x};
    double up = x, down = x;
    for (int i = 0; i < ulps; ++i) {
        up = std::nextafter(up, std::numeric_limits<double>::infinity());
        down = std::nextafter(down, -std::numeric_limits<double>::infinity());
        v.push_back(up);
        v.push_back(down);
    }
    return v;
}

// An odd multiple k of 2^-j in the decade [10^a, 10^(a+1)) with j = 17 - a has exactly 18 significant digits,
// the last a 5: its 17-digit rounding is an exact tie.
std::vector<double> ties(int a, std::mt19937_64& rng, int count) {
    const int j = 17 - a;
    const double lo = std::ceil(std::ldexp(std::pow(10.0, a), j)), hi = std::floor(std::ldexp(std::pow(10.0, a + 1), j));
    std::vector<double> v;
    if (hi - lo < 2 || hi >= 0x1p53) return v;
    std::uniform_int_distribution<std::uint64_t> pick(static_cast<std::uint64_t>(lo), static_cast<std::uint64_t>(hi) - 1);
    for (int i = 0; i < count; ++i) v.push_back(std::ldexp(static_cast<double>(pick(rng) | 1), -j));
    return v;
}

}  // namespace

TEST(Decimal17, EdgeCasesAsToChars) {
    std::vector<double> xs{0.1, 1e-5, 1e16, 1e17, 0.5, 1.0, 1.529135, 3.456789012345679e-2,
                           1.0 / 3.0, 2.0 / 3.0, 9.87654321e-7, 123456789012345678.0,
                           std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
                           std::numeric_limits<double>::denorm_min(), 2.2250738585072009e-308,
                           std::ldexp(1.0, 53), std::ldexp(1.0, 53) - 1, std::ldexp(1.0, 127), std::ldexp(1.0, 128),
                           0.0, 1e38, 1e-38, 1e-39, 1e39, 99999999999999999.0, 9999999999999999.0};
    for (int k = -324; k <= 308; ++k)  // the doubles nearest every power of ten, and their neighbours
        for (double x : with_neighbours(parse("1e" + std::to_string(k)), 2)) xs.push_back(x);
    for (int k = -1074; k <= 1023; ++k)  // every power of two and its neighbours
        for (double x : with_neighbours(std::ldexp(1.0, k), 1)) xs.push_back(x);
    for (int k = 1; k <= 17; ++k)  // 10^k - 1 and the like: nines that carry into a new digit when rounded
        for (double x : with_neighbours(parse(std::string(static_cast<std::size_t>(k), '9')), 3)) {
            xs.push_back(x);
            xs.push_back(x / 1e17);
            xs.push_back(x * 1e-30);
        }
    const std::size_t n = xs.size();
    for (std::size_t i = 0; i < n; ++i) xs.push_back(-xs[i]);
    for (double x : xs) expect_same(x);
}

TEST(Decimal17, TiesRoundToEvenAndNearTiesAwayFromThem) {
    std::mt19937_64 rng(20261208);
    int up = 0, down = 0;
    for (int a = -30; a <= 16; ++a)
        for (double x : ties(a, rng, 200)) {
            const Digits want = by_to_chars(x);
            EXPECT_EQ(by_decimal17(x), want) << "tie x = " << want;
            // a tie rounds the 17th digit to even
            EXPECT_EQ((want.digits[16] - '0') % 2, 0) << "tie x = " << want;
            (std::fmod(std::ldexp(x, 17 - a), 4.0) == 1.0 ? down : up) += 1;
            expect_same(std::nextafter(x, 0.0));
            expect_same(std::nextafter(x, 1e300));
            expect_same(-x);
        }
    EXPECT_GT(up, 1000);  // both directions of the tie were seen
    EXPECT_GT(down, 1000);
    // 1 + k 2^-17 for odd k: 1.00000762939453125 rounds down to ...12, 1.00002288818359375 up to ...38
    EXPECT_EQ(by_decimal17(1.00000762939453125).digits, "10000076293945312");
    EXPECT_EQ(by_decimal17(1.00002288818359375).digits, "10000228881835938");
}

TEST(Decimal17, MillionsOfRandomDoublesAsToChars) {
    std::mt19937_64 rng(42);
    long long claimed_count = 0;
    for (int i = 0; i < 3'000'000; ++i) {
        const std::uint64_t b = rng();
        double x = 0;
        if (i % 2 == 0) {  // any bit pattern: every exponent, subnormals included
            x = std::bit_cast<double>(b);
            if (!std::isfinite(x)) continue;
        } else {  // exponents of 1e-42 ... 1e39, where the integer path works
            const std::uint64_t biased = 1023 - 140 + (b >> 52) % 270;
            x = std::bit_cast<double>((b & ((1ULL << 52) - 1)) | (biased << 52) | (b & (1ULL << 63)));
        }
        const Digits want = by_to_chars(x);
        const Digits got = by_decimal17(x);
        if (got != want) {
            ADD_FAILURE() << "x = " << want << " gave " << got;
            break;
        }
        if (claimed(x)) {
            char digits[17];
            int exp10 = 0;
            ASSERT_TRUE(fast_decimal17(x, digits, exp10)) << "x = " << want << " left to to_chars";
            ++claimed_count;
        }
    }
    EXPECT_GT(claimed_count, 1'000'000);
}

TEST(Decimal17, ResultLinesCarryTheseDigits) {
    // the line's layout around the digits: fixed form for 0.1 <= |x| < 1e17, else E with three exponent digits
    EXPECT_EQ(format_real(1.00002288818359375), "  1.0000228881835938     ");
    EXPECT_EQ(format_real(-0.099999999999999992), " -9.9999999999999992E-002");
    EXPECT_EQ(format_real(99999999999999984.0), "   99999999999999984     ");
    EXPECT_EQ(format_real(1e17), "  1.0000000000000000E+017");
    EXPECT_EQ(format_real(-1.2345678901234568e-300), " -1.2345678901234568E-300");
    EXPECT_EQ(format_real(4.9406564584124654e-324), "  4.9406564584124654E-324");
    EXPECT_EQ(format_real(-0.0), " -0.0000000000000000     ");
}
