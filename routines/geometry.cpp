#include "routines.hpp"

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
    // product negative and print NaN.
    const double s = ((a + b) + c) * 0.5;
    const double product = s * (s - a) * (s - b) * (s - c);
    Lines out;
    out << std::sqrt(product) << "\n";
    return out;
}

Lines point_distance(double x1, double x2, double y1, double y2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    Lines out;
    out << std::sqrt(std::pow(dx, 2.0) + std::pow(dy, 2.0)) << "\n";
    return out;
}

} // namespace calvune
