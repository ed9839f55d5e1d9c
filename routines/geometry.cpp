// The circle, triangle and distance routines.
#include "routines.hpp"
#include "scaling.hpp"

#include <cmath>

namespace calvune {

Lines circle_area(double radius) {
    // The five-decimal pi is part of the output: circle_area(0.5) is 0.785397.
    Lines out;
    out << "Circle area: " << (radius * 3.14159) * radius << "\n";
    return out;
}

Lines circle_circumference(double radius) {
    Lines out;
    out << radius * 6.28318530718 << "\n";
    return out;
}

Lines triangle_area(double a, double b, double c) {
    // Heron's formula. Sides that break the triangle inequality make the
    // product negative and print NaN. The product is of degree four in the
    // sides: beyond 2^250 it would overflow and below 2^-250 underflow, so
    // there the sides are scaled near 1 and the area back by 2^2e.
    const int e =
        range_exponent(std::fmax(std::fabs(a), std::fmax(std::fabs(b), std::fabs(c))), 0x1p250);
    a = scaled(a, -e);
    b = scaled(b, -e);
    c = scaled(c, -e);
    const double s = ((a + b) + c) * 0.5;
    const double product = s * (s - a) * (s - b) * (s - c);
    Lines out;
    out << scaled(std::sqrt(product), 2 * e) << "\n";
    return out;
}

Lines point_distance(double x1, double x2, double y1, double y2) {
    // A difference of two doubles is exact wherever it is tiny, so only the
    // squares need guarding: beyond 2^500 they would overflow and below
    // 2^-500 underflow, so there the differences are scaled near 1.
    double dx = x2 - x1;
    double dy = y2 - y1;
    const int e = range_exponent(std::fmax(std::fabs(dx), std::fabs(dy)), 0x1p500);
    dx = scaled(dx, -e);
    dy = scaled(dy, -e);
    Lines out;
    out << scaled(std::sqrt(std::pow(dx, 2.0) + std::pow(dy, 2.0)), e) << "\n";
    return out;
}

} // namespace calvune
