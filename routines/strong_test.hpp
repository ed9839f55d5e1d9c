// The strong test to base 2 behind is_prime, shared with the tool that lists
// the composites passing it (tools/pseudoprimes.cpp).
#pragma once

#include <cstdint>

namespace calvune {

// For odd n > 2: true for every prime, and for the composites listed in
// pseudoprimes.inc.
bool passes_strong_test_base2(std::uint32_t n);

} // namespace calvune
