// The nine calculation routines behind the Python functions, and the text
// they return. Each routine takes its arguments by value and returns its
// result or message lines; none of them touches Python or does any I/O.
#pragma once

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace calvune {

// A call's whole output, built on the stack and returned by value, so that
// the module can hand it to the system in one write.
class Lines {
  public:
    Lines &operator<<(std::string_view text) {
        const std::size_t n = std::min(text.size(), sizeof buffer_ - size_);
        std::memcpy(buffer_ + size_, text.data(), n);
        size_ += n;
        return *this;
    }

    // The text of std::cout's default double format, "%g" with six
    // significant digits ("-0", "inf", "-nan" included), without its locale
    // and printf machinery.
    Lines &operator<<(double value) {
        const auto result = std::to_chars(buffer_ + size_, buffer_ + sizeof buffer_, value,
                                          std::chars_format::general, 6);
        if (result.ec == std::errc{}) {
            size_ = static_cast<std::size_t>(result.ptr - buffer_);
        }
        return *this;
    }

    const char *data() const { return buffer_; }
    std::size_t size() const { return size_; }

  private:
    // The longest output is two labelled lines of at most 13 characters of
    // value each ("-1.23457e-308"): 36 bytes.
    char buffer_[64];
    std::size_t size_ = 0;
};

// Where an intermediate square or product would overflow or underflow
// although neither the inputs nor the answer do, a routine runs its formula
// on inputs scaled by a power of two near 1, which is exact, and scales the
// result back. Wherever nothing overflows or underflows, scaling by powers of
// two changes no rounding, so the scaled formula gives the same bits.

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

Lines quadratic_formula(double ax, double bx, double c);
Lines square_root(double root);

Lines is_prime(int prime_candidate);
Lines factorial(int factorial);

Lines circle_area(double radius);
Lines circle_circumference(double radius);
Lines triangle_area(double a, double b, double c);
Lines point_distance(double x1, double x2, double y1, double y2);

Lines standart_diviation(double p, int n);

} // namespace calvune
