#include "routines.hpp"

#include <cmath>
#include <iostream>

namespace calvune {

void circle_area(double radius) {
    // The five-decimal pi is part of the output: circle_area(0.5) is 0.785397.
    std::cout << "Circle area: " << (radius * 3.14159) * radius << "\n";
}

void circle_circumference(double radius) { std::cout << radius * 6.28318530718 << "\n"; }

void triangle_area(double a, double b, double c) {
    // Heron's formula. Sides that break the triangle inequality make the
    // product negative and print NaN.
    const double s = ((a + b) + c) * 0.5;
    const double product = s * (s - a) * (s - b) * (s - c);
    std::cout << std::sqrt(product) << "\n";
}

void point_distance(double x1, double x2, double y1, double y2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    std::cout << std::sqrt(std::pow(dx, 2.0) + std::pow(dy, 2.0)) << "\n";
}

} // namespace calvune
