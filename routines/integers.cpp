// The prime test and the factorial.
#include "routines.hpp"
#include "strong_test.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#if defined(_MSC_VER)
#include <intrin.h>
#endif

namespace calvune {

namespace {

// Modular arithmetic for an odd modulus n < 2^31 in Montgomery form (x is
// held as x * 2^32 mod n), which replaces the division of every modular
// product by multiplications. Products stay below 2^63.
class Montgomery {
  public:
    explicit Montgomery(std::uint32_t n)
        : n_(n), inverse_(inverse(n)), one_((0 - n) % n) {} // 2^32 mod n

    std::uint32_t one() const { return one_; }

    // a * b * 2^-32 mod n, for a < n and b < 2n. With m = t * n^-1 mod 2^32,
    // t - m * n is a multiple of 2^32, so only the high halves need
    // subtracting; t < 2n^2 < 2^63 keeps the difference within (-n, n).
    std::uint32_t multiply(std::uint32_t a, std::uint32_t b) const {
        const std::uint64_t t = std::uint64_t{a} * b;
        const std::uint32_t m = static_cast<std::uint32_t>(t) * inverse_;
        const auto high = static_cast<std::uint32_t>(t >> 32);
        const auto mn_high = static_cast<std::uint32_t>((std::uint64_t{m} * n_) >> 32);
        return high >= mn_high ? high - mn_high : high - mn_high + n_;
    }

  private:
    // n^-1 mod 2^32 by Newton's iteration: n * n == 1 mod 8 gives the first
    // three bits and every step doubles them.
    static std::uint32_t inverse(std::uint32_t n) {
        std::uint32_t x = n;
        for (int i = 0; i < 4; ++i) {
            x *= 2 - n * x;
        }
        return x;
    }

    std::uint32_t n_;
    std::uint32_t inverse_;
    std::uint32_t one_;
};

// Index of the highest set bit of x > 0.
int top_bit(std::uint32_t x) {
#if defined(_MSC_VER)
    unsigned long index;
    _BitScanReverse(&index, x);
    return static_cast<int>(index);
#else
    return 31 - __builtin_clz(x);
#endif
}

} // namespace

// The strong (Miller-Rabin) test to base 2 of an odd n > 2: with
// n - 1 = d * 2^s and d odd, n passes if 2^d is 1 or one of the s - 1
// squarings after it meets n - 1. Every prime passes, and so do the few
// composites listed in pseudoprimes.inc.
bool passes_strong_test_base2(std::uint32_t n) {
    std::uint32_t d = n - 1;
    int s = 0;
    while ((d & 1) == 0) {
        d >>= 1;
        ++s;
    }
    const Montgomery mont(n);
    const std::uint32_t one = mont.one();
    const std::uint32_t minus_one = n - one;
    // Left to right over the bits of d, starting with 2^1 for the top bit.
    // With base 2, squaring and multiplying by the base is x * 2x, and 2x
    // needs no reduction (multiply takes one factor below 2n), so a set bit
    // adds a masked addition to the chain instead of a modular doubling.
    std::uint32_t x = one + one >= n ? one + one - n : one + one;
    for (int bit = top_bit(d) - 1; bit >= 0; --bit) {
        const std::uint32_t mask = 0 - ((d >> bit) & 1);
        x = mont.multiply(x, x + (x & mask));
    }
    bool passes = x == one || x == minus_one;
    for (int i = 1; i < s && !passes; ++i) {
        x = mont.multiply(x, x);
        passes = x == minus_one;
    }
    return passes;
}

namespace {

// Every odd composite below 2^31 that passes the strong test to base 2.
constexpr std::uint32_t pseudoprimes[] = {
#include "pseudoprimes.inc"
};

// For n >= 2: trial division by the primes up to 37 settles most numbers at
// once, one strong test and a look-up in the table of the composites that
// pass it the rest, in a time that does not grow with n.
bool prime(std::uint32_t n) {
    static constexpr std::uint32_t small_primes[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37};
    for (const std::uint32_t p : small_primes) {
        if (n % p == 0) {
            return n == p;
        }
    }
    // No factor up to 37, so below 41 * 41 n is prime.
    if (n < 41 * 41) {
        return true;
    }
    return passes_strong_test_base2(n) &&
           !std::binary_search(std::begin(pseudoprimes), std::end(pseudoprimes), n);
}

} // namespace

Lines is_prime(int prime_candidate) {
    Lines out;
    if (prime_candidate <= 1) {
        out << "No prime number\n";
    } else if (prime(static_cast<std::uint32_t>(prime_candidate))) {
        out << "It is a prime number\n";
    } else {
        out << "It is not a prime number\n";
    }
    return out;
}

Lines factorial(int factorial) {
    // n + 1 is formed in 64 bits: for the largest int the 32-bit sum would
    // overflow. Gamma(n + 1) = n! for n >= 0; it is +inf at 0 (n = -1), NaN at
    // the negative integers, and overflows to +inf from n = 171 on.
    const long long shifted = static_cast<long long>(factorial) + 1;
    Lines out;
    out << std::tgamma(static_cast<double>(shifted)) << "\n";
    return out;
}

} // namespace calvune
