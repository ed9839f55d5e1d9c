// Range scaling, shared by the routines whose intermediates can overflow.
//
// Where an intermediate square or product would overflow or underflow
// although neither the inputs nor the answer do, a routine runs its formula
// on inputs scaled by a power of two near 1, which is exact, and scales the
// result back. Wherever nothing overflows or underflows, scaling by powers of
// two changes no rounding, so the scaled formula gives the same bits.
#pragma once

#include <cmath>

namespace calvune {

// Whether the magnitude m lies outside [1 / bound, bound]; 0 lies inside.
inline bool outside_range(double m, double bound) { return m > bound || (m < 1 / bound && m != 0); }

// The exponent that brings the largest magnitude of a formula's inputs near
// 1 where it lies outside [1 / bound, bound]; 0 inside, and for an infinity
// or a NaN, which keep the formula as written.
inline int range_exponent(double largest, double bound) {
    return std::isfinite(largest) && outside_range(largest, bound) ? std::ilogb(largest) : 0;
}

// x * 2^e, with no call where nothing is scaled.
inline double scaled(double x, int e) { return e == 0 ? x : std::scalbn(x, e); }

} // namespace calvune
