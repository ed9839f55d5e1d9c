"""A Python model of each routine: the exact text it writes.

Real arguments are converted to float first, as the binding does: an int 0
and a float 0.0 differ once negated.

Python floats are the same IEEE-754 binary64 numbers and their arithmetic
operators round the same way, so only the operations where Python raises
instead of giving an infinity or a NaN need a helper.

Where an intermediate would overflow or underflow, the routines run the same
formula on inputs scaled by a power of two; the model does the same.
"""

import math
import re

INF = math.inf
# The NaN the hardware gives for an invalid operation.
DEFAULT_NAN = INF - INF

NAN_TEXT = re.compile(r"-?nan(\([a-z]*\))?")


def normalize_nan(text: str) -> str:
    """Fold the platform's spellings of a NaN (sign, payload) into "nan"."""
    return NAN_TEXT.sub("nan", text)


def g(x: float) -> str:
    """The stream's default rendering of a double: %g, six significant digits."""
    if math.isnan(x):
        return "nan"
    if math.isinf(x):
        return "inf" if x > 0 else "-inf"
    return "%g" % x


def div(x: float, y: float) -> float:
    if y != 0 or math.isnan(y):
        return x / y
    if math.isnan(x):
        return x
    if x == 0:
        return DEFAULT_NAN
    return math.copysign(INF, x) * math.copysign(1.0, y)


def sqrt(x: float) -> float:
    if math.isnan(x):
        return x
    if x < 0:
        return DEFAULT_NAN
    return math.sqrt(x)


def square(x: float) -> float:
    try:
        return math.pow(x, 2.0)
    except OverflowError:
        return INF


def scaled(x: float, e: int) -> float:
    """x * 2**e as C's scalbn gives it."""
    try:
        return math.ldexp(x, e)
    except OverflowError:
        return math.copysign(INF, x)


def outside_range(m: float, bound: float) -> bool:
    return m > bound or (m < 1 / bound and m != 0)


def ilogb(x: float) -> int:
    return math.frexp(x)[1] - 1


def fmax(x: float, y: float) -> float:
    return y if math.isnan(x) else x if math.isnan(y) else max(x, y)


def quadratic_formula(a: float, b: float, c: float) -> str:
    a, b, c = float(a), float(b), float(c)
    if a == 0:
        return "No possible out come\n"
    ma, mb, mc, ea, ec, k = a, b, c, 0, 0, 0
    coefficients = (a, b, c)
    if all(map(math.isfinite, coefficients)) and any(
        outside_range(abs(x), 2.0**500) for x in coefficients
    ):
        ea, eb, ec = (ilogb(x) if x != 0 else 0 for x in coefficients)
        ma, sb, mc = scaled(a, -ea), scaled(b, -eb), scaled(c, -ec)
        e_bb, e_ac = 2 * eb, ea + ec
        k = (e_ac if b == 0 else e_bb if c == 0 else max(e_bb, e_ac)) // 2
        d = scaled(sb * sb, e_bb - 2 * k) - scaled((ma * 4) * mc, e_ac - 2 * k)
        mb = scaled(b, -k)
    else:
        d = b * b - (a * 4) * c
    if d >= 0:
        r = sqrt(d)
        x1 = scaled(div(r - mb, ma + ma), k - ea)
        x2 = scaled(div(-mb - r, ma + ma), k - ea)
        if d > 0 and b != 0 and c != 0:
            if b > 0:
                x1 = scaled(div(mc + mc, -mb - r), ec - k)
            else:
                x2 = scaled(div(mc + mc, r - mb), ec - k)
        return f"X1: {g(x1)}\nX2: {g(x2)}\n"
    if d < 0:
        return "No possible out come\n"
    return ""


def square_root(x: float) -> str:
    return f"Square root: {g(sqrt(float(x)))}\n"


def is_prime(n: int) -> str:
    if n <= 1:
        return "No prime number\n"
    if any(n % i == 0 for i in range(2, math.isqrt(n) + 1)):
        return "It is not a prime number\n"
    return "It is a prime number\n"


def factorial(n: int) -> str:
    if n == -1:
        value = INF
    elif n < -1:
        value = math.nan
    elif n > 170:
        value = INF
    else:
        value = float(math.factorial(n))
    return f"{g(value)}\n"


def circle_area(r: float) -> str:
    r = float(r)
    return f"Circle area: {g((r * 3.14159) * r)}\n"


def circle_circumference(r: float) -> str:
    r = float(r)
    return f"{g(r * 6.28318530718)}\n"


def range_exponent(largest: float, bound: float) -> int:
    return ilogb(largest) if math.isfinite(largest) and outside_range(largest, bound) else 0


def triangle_area(a: float, b: float, c: float) -> str:
    a, b, c = float(a), float(b), float(c)
    e = range_exponent(fmax(abs(a), fmax(abs(b), abs(c))), 2.0**250)
    a, b, c = scaled(a, -e), scaled(b, -e), scaled(c, -e)
    s = ((a + b) + c) * 0.5
    return f"{g(scaled(sqrt(s * (s - a) * (s - b) * (s - c)), 2 * e))}\n"


def point_distance(x1: float, x2: float, y1: float, y2: float) -> str:
    x1, x2, y1, y2 = float(x1), float(x2), float(y1), float(y2)
    dx, dy = x2 - x1, y2 - y1
    e = range_exponent(fmax(abs(dx), abs(dy)), 2.0**500)
    return f"{g(scaled(sqrt(square(scaled(dx, -e)) + square(scaled(dy, -e))), e))}\n"


def standart_diviation(p: float, n: int) -> str:
    p = float(p)
    return f"{g(sqrt(div((1 - p) * p, float(n))))}\n"
