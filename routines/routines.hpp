// The nine calculation routines behind the Python functions, and the line
// builder they write with. Each routine takes its arguments by value, writes
// its result or message lines to std::cout and returns nothing; none of them
// touches Python.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <iostream>
#include <string_view>

namespace calvune {

void quadratic_formula(double ax, double bx, double c);
void square_root(double root);

void is_prime(int prime_candidate);
void factorial(int factorial);

void circle_area(double radius);
void circle_circumference(double radius);
void triangle_area(double a, double b, double c);
void point_distance(double x1, double x2, double y1, double y2);

void standart_diviation(double p, int n);

// A call's whole output, built on the stack and handed to std::cout in one
// write: one write(2) per call whether stdout is buffered or not, and, being
// small, atomic on a pipe, so lines of processes sharing one never interleave.
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

    // A failed write (fd 1 closed for a while, a full disk) leaves std::cout
    // failed, and a failed stream ignores every later write: each call
    // clears it and tries again.
    void write() const {
        std::cout.clear();
        std::cout.write(buffer_, static_cast<std::streamsize>(size_));
    }

  private:
    // The longest output is two labelled lines of at most 13 characters of
    // value each ("-1.23457e-308"): 36 bytes.
    char buffer_[64];
    std::size_t size_ = 0;
};

} // namespace calvune
