"""A Python model of each routine: the exact text it writes.

Real arguments are converted to float first, as the binding does: an int 0
and a float 0.0 differ once negated.

Python floats are the same IEEE-754 binary64 numbers and their arithmetic
operators round the same way, so only the operations where Python raises
instead of giving an infinity or a NaN need a helper.

Within [2**-250, 2**250] every formula runs as written, and so does the
model. Where a finite input lies outside it, a routine may scale its inputs
to keep the intermediates in range: there the model says nothing (OUTSIDE),
and the routines are checked against an arbitrary-precision oracle and a
hand-checked table instead.
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


OUTSIDE = object()


def outside(*xs: float) -> bool:
    """Whether every input is finite and one lies outside [2**-250, 2**250]."""
    return all(map(math.isfinite, xs)) and any(
        x != 0 and not 2.0**-250 <= abs(x) <= 2.0**250 for x in xs
    )


def quadratic_formula(a: float, b: float, c: float) -> str:
    a, b, c = float(a), float(b), float(c)
    if a == 0:
        return "No possible out come\n"
    if outside(a, b, c):
        return OUTSIDE
    d = b * b - (a * 4) * c
    if d >= 0:
        r = sqrt(d)
        x1, x2 = div(r - b, a + a), div(-b - r, a + a)
        if d > 0 and b != 0 and c != 0:
            if b > 0:
                x1 = div(c + c, -b - r)
            else:
                x2 = div(c + c, r - b)
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


def triangle_area(a: float, b: float, c: float) -> str:
    a, b, c = float(a), float(b), float(c)
    if outside(a, b, c):
        return OUTSIDE
    s = ((a + b) + c) * 0.5
    return f"{g(sqrt(s * (s - a) * (s - b) * (s - c)))}\n"


def point_distance(x1: float, x2: float, y1: float, y2: float) -> str:
    x1, x2, y1, y2 = float(x1), float(x2), float(y1), float(y2)
    if outside(x1, x2, y1, y2):
        return OUTSIDE
    return f"{g(sqrt(square(x2 - x1) + square(y2 - y1)))}\n"


def standart_diviation(p: float, n: int) -> str:
    p = float(p)
    return f"{g(sqrt(div((1 - p) * p, float(n))))}\n"
