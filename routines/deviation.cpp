#include "routines.hpp"

#include <cmath>
#include <iostream>

namespace calvune {

void standart_diviation(double p, int n) {
    // Standard deviation of a sample proportion, sqrt(p(1 - p) / n). The
    // count is not validated: n = 0 gives inf (or NaN for p = 0 or 1), a
    // negative count NaN.
    std::cout << std::sqrt(((1 - p) * p) / static_cast<double>(n)) << "\n";
}

} // namespace calvune
