#include "routines.hpp"

#include <cmath>
#include <cstdint>

namespace calvune {

namespace {

// Modular arithmetic for an odd modulus n < 2^31 in Montgomery form (x is
// held as x * 2^32 mod n), which replaces the division of every modular
// product by multiplications. Products of residues stay below 2^62.
class Montgomery {
  public:
    explicit Montgomery(std::uint32_t n)
        : n_(n), inverse_(inverse(n)), one_((0 - n) % n) {} // 2^32 mod n

    std::uint32_t one() const { return one_; }

    // a * 2^32 mod n for a small a; the quotient is below a, which keeps the
    // division short.
    std::uint32_t from(std::uint32_t a) const {
        return static_cast<std::uint32_t>(std::uint64_t{a} * one_ % n_);
    }

    // a * b * 2^-32 mod n. With m = t * n^-1 mod 2^32, t - m * n is a
    // multiple of 2^32, so only the high halves need subtracting.
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

// The strong (Miller-Rabin) test of an odd n > 61 with no factor up to 37,
// to the bases 2, 7 and 61: with n - 1 = d * 2^s and d odd, n passes for base
// a if a^d is 1 or one of the s - 1 squarings after it meets n - 1. No
// composite below 4,759,123,141 passes all three, so the answer is exact for
// every int.
bool passes_strong_tests(std::uint32_t n) {
    std::uint32_t d = n - 1;
    int s = 0;
    while ((d & 1) == 0) {
        d >>= 1;
        ++s;
    }
    const Montgomery mont(n);
    const std::uint32_t one = mont.one();
    const std::uint32_t minus_one = n - one;
    // Right to left over the bits of d: the chain of squarings of each base
    // does not wait for the products, so all six chains overlap.
    std::uint32_t power[3] = {mont.from(2), mont.from(7), mont.from(61)};
    std::uint32_t x[3] = {one, one, one};
    for (std::uint32_t e = d;; e >>= 1) {
        if (e & 1) {
            for (int k = 0; k < 3; ++k) {
                x[k] = mont.multiply(x[k], power[k]);
            }
        }
        if (e == 1) {
            break;
        }
        for (std::uint32_t &p : power) {
            p = mont.multiply(p, p);
        }
    }
    for (int k = 0; k < 3; ++k) {
        std::uint32_t y = x[k];
        bool passes = y == one || y == minus_one;
        for (int i = 1; i < s && !passes; ++i) {
            y = mont.multiply(y, y);
            passes = y == minus_one;
        }
        if (!passes) {
            return false;
        }
    }
    return true;
}

// For n >= 2: trial division by the primes up to 37 settles most numbers at
// once, the strong tests the rest, in a time that does not grow with n.
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
    return passes_strong_tests(n);
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
