// The nine calculation routines behind the Python functions. Each takes its
// arguments by value, writes its result or message lines to std::cout and
// returns nothing; none of them touches Python.
#pragma once

namespace calvune {

void quadratic_formula(double ax, double bx, double c);
void square_root(double root);

void is_prime(int prime);
void factorial(int factorial);

void circle_area(double radius);
void circle_circumference(double radius);
void triangle_area(double a, double b, double c);
void point_distance(double x1, double x2, double y1, double y2);

void standart_diviation(double p, int n);

} // namespace calvune
