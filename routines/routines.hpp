// The nine calculation routines behind the Python functions. Each takes its
// arguments by value and returns its result or message lines; this library
// is built without Python's headers, so none of them can touch Python.
#pragma once

#include "lines.hpp"

namespace calvune {

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
