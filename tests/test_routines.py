import pytest

import Calvune

X = "No possible out come\n"
PRIME, COMPOSITE, NONE = "It is a prime number\n", "It is not a prime number\n", "No prime number\n"
NAN = float("nan")


def roots(x1, x2):
    return f"X1: {x1}\nX2: {x2}\n"


CASES = [
    # quadratic_formula: the +sqrt(D) root comes first whatever the sign of a.
    (Calvune.quadratic_formula, (1, -3, 2), roots(2, 1)),
    (Calvune.quadratic_formula, (2, 5, -3), roots(0.5, -3)),
    (Calvune.quadratic_formula, (1, 2, 1), roots(-1, -1)),
    (Calvune.quadratic_formula, (-1, 0, 4), roots(-2, 2)),
    (Calvune.quadratic_formula, (1, 0, 0), roots(0, "-0")),
    (Calvune.quadratic_formula, (1, 0, 1), X),
    (Calvune.quadratic_formula, (0, 1, 1), X),
    (Calvune.quadratic_formula, (0, 0, 0), X),
    (Calvune.quadratic_formula, (-0.0, 1, 1), X),
    (Calvune.quadratic_formula, (NAN, 1, 1), ""),
    (Calvune.quadratic_formula, (float("inf"), 1, 0), ""),
    # Cancellation-free roots: the naive form gives X1: -7.45058e-09 here.
    (Calvune.quadratic_formula, (1, 1e8, 1), roots("-1e-08", "-1e+08")),
    (Calvune.quadratic_formula, (1, -1e8, 1), roots("1e+08", "1e-08")),
    (Calvune.quadratic_formula, (-1, 1e8, 1), roots("-1e-08", "1e+08")),
    (Calvune.quadratic_formula, (1e-10, 1, 1e-10), roots("-1e-10", "-1e+10")),
    (Calvune.quadratic_formula, (1, 3, 0), roots(0, -3)),
    # Right where b*b or 4ac alone would overflow or underflow.
    (Calvune.quadratic_formula, (1e200, -3e200, 2e200), roots(2, 1)),
    (Calvune.quadratic_formula, (1e-170, -3e-170, 2e-170), roots(2, 1)),
    (Calvune.quadratic_formula, (1, 1e200, 1), roots("-1e-200", "-1e+200")),
    (Calvune.quadratic_formula, (1e300, 1e300, 1e300), X),
    (Calvune.quadratic_formula, (1e-300, 1e-300, 1e300), X),
    (Calvune.quadratic_formula, (1e-300, 1, 1e-300), roots("-1e-300", "-1e+300")),
    (Calvune.quadratic_formula, (1e300, 0, -1e300), roots(1, -1)),
    (Calvune.quadratic_formula, (1e-300, 0, -1e300), roots("1e+300", "-1e+300")),
    (Calvune.Square_root, (2,), "Square root: 1.41421\n"),
    (Calvune.Square_root, (1e10,), "Square root: 100000\n"),
    (Calvune.Square_root, (-0.0,), "Square root: -0\n"),
    (Calvune.Square_root, (-1,), "Square root: nan\n"),
    (Calvune.is_prime, (-5,), NONE),
    (Calvune.is_prime, (0,), NONE),
    (Calvune.is_prime, (1,), NONE),
    (Calvune.is_prime, (2,), PRIME),
    (Calvune.is_prime, (3,), PRIME),
    (Calvune.is_prime, (97,), PRIME),
    (Calvune.is_prime, (4,), COMPOSITE),
    (Calvune.is_prime, (9,), COMPOSITE),
    (Calvune.is_prime, (25,), COMPOSITE),
    (Calvune.is_prime, (2147483647,), PRIME),
    (Calvune.is_prime, (2147117569,), COMPOSITE),
    (Calvune.factorial, (0,), "1\n"),
    (Calvune.factorial, (5,), "120\n"),
    (Calvune.factorial, (10,), "3.6288e+06\n"),
    (Calvune.factorial, (20,), "2.4329e+18\n"),
    (Calvune.factorial, (170,), "7.25742e+306\n"),
    (Calvune.factorial, (171,), "inf\n"),
    (Calvune.factorial, (-1,), "inf\n"),
    (Calvune.factorial, (-2,), "nan\n"),
    # n + 1 is formed without wrapping to -2**31.
    (Calvune.factorial, (2147483647,), "inf\n"),
    (Calvune.factorial, (-2147483648,), "nan\n"),
    (Calvune.circle_area, (1,), "Circle area: 3.14159\n"),
    (Calvune.circle_area, (2,), "Circle area: 12.5664\n"),
    (Calvune.circle_area, (0.5,), "Circle area: 0.785397\n"),
    (Calvune.circle_circumference, (1,), "6.28319\n"),
    (Calvune.circle_circumference, (0.5,), "3.14159\n"),
    (Calvune.circle_circumference, (-1,), "-6.28319\n"),
    (Calvune.triangle_area, (3, 4, 5), "6\n"),
    (Calvune.triangle_area, (1, 1, 1), "0.433013\n"),
    (Calvune.triangle_area, (1, 1, 2), "0\n"),
    (Calvune.triangle_area, (0.1, 0.2, 0.3), "5.77119e-10\n"),
    (Calvune.triangle_area, (1, 1, 3), "nan\n"),
    (Calvune.triangle_area, (3e100, 4e100, 5e100), "6e+200\n"),
    (Calvune.triangle_area, (3e-120, 4e-120, 5e-120), "6e-240\n"),
    # An area beyond the binary64 range overflows, or underflows, only at the end.
    (Calvune.triangle_area, (3e200, 4e200, 5e200), "inf\n"),
    (Calvune.triangle_area, (1e-300, 1e-300, 1e-300), "0\n"),
    (Calvune.point_distance, (0, 3, 0, 4), "5\n"),
    (Calvune.point_distance, (0, 0, 3, 4), "1\n"),
    (Calvune.point_distance, (2, 2, 5, 5), "0\n"),
    (Calvune.point_distance, (0, 1e200, 0, 0), "1e+200\n"),
    (Calvune.point_distance, (0, 3e155, 0, 4e155), "5e+155\n"),
    (Calvune.point_distance, (0, 3e-170, 0, 4e-170), "5e-170\n"),
    (Calvune.point_distance, (0, 1e308, 0, 1e308), "1.41421e+308\n"),
    (Calvune.point_distance, (-1e308, 1e308, 0, 0), "inf\n"),
    (Calvune.point_distance, (0, 5e-324, 0, 5e-324), "4.94066e-324\n"),
    # The deviation of a sample proportion, sqrt(p(1 - p) / n).
    (Calvune.standart_diviation, (0.5, 10), "0.158114\n"),
    (Calvune.standart_diviation, (0.3, 100), "0.0458258\n"),
    (Calvune.standart_diviation, (0.5, 2), "0.353553\n"),
    (Calvune.standart_diviation, (0, 10), "0\n"),
    (Calvune.standart_diviation, (0.5, 0), "inf\n"),
    (Calvune.standart_diviation, (0.5, -4), "nan\n"),
]


@pytest.mark.parametrize(
    "fn, args, expected", CASES, ids=[f"{fn.__name__}{args}" for fn, args, _ in CASES]
)
def test_writes_exactly(run, fn, args, expected):
    assert run(fn, *args) == (None, expected)
