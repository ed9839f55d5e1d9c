// The quadratic solver and the square root.
#include "routines.hpp"
#include "scaling.hpp"

#include <algorithm>
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
    // The formulas below run on a = ma 2^ea, c = mc 2^ec, b = mb 2^k and the
    // discriminant d 2^2k. In the ordinary range every exponent is 0 and this
    // is the textbook computation, operation for operation. Outside it b*b
    // and 4ac are each formed from coefficients scaled near 1 and brought to
    // the exponent 2k of the larger. A term that then underflows is below the
    // other's rounding error, so even coefficients that together span more
    // than the binary64 range get the sign of the discriminant right.
    double ma = a;
    double mb = b;
    double mc = c;
    int ea = 0;
    int ec = 0;
    int k = 0;
    double d;
    // Outside [2^-500, 2^500] a square, a product or a quotient of two
    // coefficients can leave the normal range.
    if (std::isfinite(a) && std::isfinite(b) && std::isfinite(c) &&
        (outside_range(std::fabs(a), 0x1p500) || outside_range(std::fabs(b), 0x1p500) ||
         outside_range(std::fabs(c), 0x1p500))) {
        ea = std::ilogb(a);
        ma = std::scalbn(a, -ea);
        const int eb = b != 0 ? std::ilogb(b) : 0;
        ec = c != 0 ? std::ilogb(c) : 0;
        mc = std::scalbn(c, -ec);
        const double sb = std::scalbn(b, -eb);
        const int e_bb = 2 * eb;
        const int e_ac = ea + ec;
        const int top = b == 0 ? e_ac : c == 0 ? e_bb : std::max(e_bb, e_ac);
        k = top >= 0 ? top / 2 : -((1 - top) / 2);
        d = std::scalbn(sb * sb, e_bb - 2 * k) - std::scalbn((ma * 4) * mc, e_ac - 2 * k);
        mb = std::scalbn(b, -k);
    } else {
        d = b * b - (a * 4) * c;
    }
    if (d >= 0) {
        // The roots do not change when all three coefficients are scaled
        // alike, only by the exponents the scaling split off.
        const double r = std::sqrt(d);
        double x1 = scaled((r - mb) / (ma + ma), k - ea);
        double x2 = scaled((-mb - r) / (ma + ma), k - ea);
        // When b*b dwarfs 4ac, r is nearly |b| and one of the numerators above
        // cancels to a few bits. The same root equals 2c / (-b -+ r), whose
        // denominator adds two numbers of one sign. With b == 0 or c == 0
        // nothing cancels, and the plain form keeps its signed zeros.
        if (d > 0 && b != 0 && c != 0) {
            if (b > 0) {
                x1 = scaled((mc + mc) / (-mb - r), ec - k);
            } else {
                x2 = scaled((mc + mc) / (r - mb), ec - k);
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
