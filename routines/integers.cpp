#include "routines.hpp"

#include <cmath>
#include <iostream>

namespace calvune {

void is_prime(int prime) {
    const int n = prime;
    if (n <= 1) {
        std::cout << "No prime number\n";
        return;
    }
    const double limit = std::sqrt(static_cast<double>(n));
    for (int i = 2; static_cast<double>(i) <= limit; ++i) {
        if (n % i == 0) {
            std::cout << "It is not a prime number\n";
            return;
        }
    }
    std::cout << "It is a prime number\n";
}

void factorial(int factorial) {
    // n + 1 is formed in 64 bits: for the largest int the 32-bit sum would
    // overflow. Gamma(n + 1) = n! for n >= 0; it is +inf at 0 (n = -1), NaN at
    // the negative integers, and overflows to +inf from n = 171 on.
    const long long shifted = static_cast<long long>(factorial) + 1;
    std::cout << std::tgamma(static_cast<double>(shifted)) << "\n";
}

} // namespace calvune
