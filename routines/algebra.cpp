#include "routines.hpp"

#include <cmath>

namespace calvune {

Lines quadratic_formula(double ax, double bx, double c) {
    const double a = ax;
    const double b = bx;
    Lines out;
    // Both signed zeros compare equal to 0.
    if (a == 0) {
        out << "No possible out come\n";
        return out;
    }
    const double d = b * b - (a * 4) * c;
    if (d >= 0) {
        const double r = std::sqrt(d);
        double x1 = (r - b) / (a + a);
        double x2 = (-b - r) / (a + a);
        // When b*b dwarfs 4ac, r is nearly |b| and one of the numerators above
        // cancels to a few bits. The same root equals 2c / (-b -+ r), whose
        // denominator adds two numbers of one sign. With b == 0 or c == 0
        // nothing cancels, and the plain form keeps its signed zeros.
        if (d > 0 && b != 0 && c != 0) {
            if (b > 0) {
                x1 = (c + c) / (-b - r);
            } else {
                x2 = (c + c) / (r - b);
            }
        }
        out << "X1: " << x1 << "\n" << "X2: " << x2 << "\n";
    } else if (d < 0) {
        out << "No possible out come\n";
    }
    // A NaN discriminant fails both comparisons and writes nothing.
    return out;
}

Lines square_root(double root) {
    Lines out;
    out << "Square root: " << std::sqrt(root) << "\n";
    return out;
}

} // namespace calvune
