// The deviation of a proportion.
#include "routines.hpp"

#include <cmath>

namespace calvune {

Lines standart_diviation(double p, int n) {
    // Standard deviation of a sample proportion, sqrt(p(1 - p) / n). The
    // count is not validated: n = 0 gives inf (NaN for p = 0 or 1), a
    // negative count NaN (-0 for p = 0 or 1).
    Lines out;
    out << std::sqrt(((1 - p) * p) / static_cast<double>(n)) << "\n";
    return out;
}

} // namespace calvune
