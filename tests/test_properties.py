"""Each routine against its Python model, over the whole range of its types,
and the geometry and the roots against an arbitrary-precision oracle."""

import math

import pytest
from hypothesis import assume, given, settings
from hypothesis import strategies as st

import Calvune
import model
from functions import FUNCTIONS

real = st.floats(allow_nan=True, allow_infinity=True) | st.integers(-(10**6), 10**6)
whole = st.integers(-(2**31), 2**31 - 1)

# Each parameter is drawn from its kind's range, but where a function needs
# its own: small primes and composites, factorials that fit, proportions.
STRATEGIES = {
    "is_prime": [st.integers(-(10**6), 10**6) | whole],
    "factorial": [st.integers(-5, 200) | whole],
    "standart_diviation": [real | st.floats(0, 1), whole],
}
ROUTINES = {
    f.name: (f.model, STRATEGIES.get(f.name) or [real if k == "d" else whole for k in f.kinds])
    for f in FUNCTIONS
}


@pytest.mark.parametrize("name", ROUTINES)
@given(data=st.data())
def test_writes_what_the_model_writes(run, name, data):
    routine, strategies = ROUTINES[name]
    args = [data.draw(strategy) for strategy in strategies]
    expected = routine(*args)
    assume(expected is not model.OUTSIDE)
    assert run(getattr(Calvune, name), *args) == (None, expected)


def magnitudes(low, high):
    """Doubles of either sign, their exponents uniform over [low, high]."""
    return st.builds(
        lambda m, e, sign: sign * math.ldexp(m, e),
        st.floats(1, 2, exclude_max=True),
        st.integers(low, high),
        st.sampled_from([1.0, -1.0]),
    )


def six_digits(x):
    mpmath = pytest.importorskip("mpmath")
    return "%g" % float(mpmath.nstr(x, 6))


def assert_close(text, exact):
    """The printed value is the exact one rounded to six significant digits,
    or, within a few ulps of a rounding boundary, its neighbour."""
    assert exact != 0 and 2.0**-1022 <= abs(exact) <= 1.7976931348623157e308
    near = {six_digits(exact * (1 + k * 2.0**-50)) for k in (-1, 0, 1)}
    assert text in near, (text, near)


@settings(max_examples=500)
@given(st.lists(magnitudes(-1074, 1023) | st.just(0.0), min_size=4, max_size=4))
def test_point_distance_is_right_at_every_magnitude(run, points):
    mpmath = pytest.importorskip("mpmath")
    x1, x2, y1, y2 = points
    mpmath.mp.prec = 2200
    exact = mpmath.sqrt((mpmath.mpf(x2) - x1) ** 2 + (mpmath.mpf(y2) - y1) ** 2)
    assume(exact != 0 and 2.0**-1022 <= exact <= 1.7976931348623157e308)
    _, text = run(Calvune.point_distance, *points)
    assert_close(text.rstrip("\n"), exact)


@settings(max_examples=500)
@given(st.lists(st.floats(1, 1.9), min_size=3, max_size=3), st.integers(-530, 530))
def test_triangle_area_is_right_at_every_magnitude(run, sides, e):
    mpmath = pytest.importorskip("mpmath")
    # Sides within a factor 1.9 of each other keep every angle away from 0.
    a, b, c = (math.ldexp(x, e) for x in sides)
    mpmath.mp.prec = 200
    s = (mpmath.mpf(a) + b + c) / 2
    exact = mpmath.sqrt(s * (s - a) * (s - b) * (s - c))
    assume(2.0**-1022 <= exact <= 1.7976931348623157e308)
    _, text = run(Calvune.triangle_area, a, b, c)
    assert_close(text.rstrip("\n"), exact)


@settings(max_examples=500)
@given(magnitudes(-1022, 1023), magnitudes(-1022, 1023), magnitudes(-1022, 1023))
def test_roots_are_right_at_every_magnitude(run, a, x1, x2):
    mpmath = pytest.importorskip("mpmath")
    b, c = -a * (x1 + x2), a * x1 * x2
    assume(math.isfinite(b) and math.isfinite(c) and b != 0 and c != 0)
    # Enough bits for b*b - 4ac to be exact whatever the exponents.
    mpmath.mp.prec = 4400
    discriminant = mpmath.mpf(b) ** 2 - 4 * mpmath.mpf(a) * c
    assume(discriminant > 0)
    root = mpmath.sqrt(discriminant)
    exact = [(root - b) / (2 * mpmath.mpf(a)), (-root - b) / (2 * mpmath.mpf(a))]
    # Both roots representable, and apart by more than a thousandth.
    assume(all(2.0**-1022 <= abs(x) <= 1.7976931348623157e308 for x in exact))
    assume(abs(exact[0] - exact[1]) > max(map(abs, exact)) / 1000)
    _, text = run(Calvune.quadratic_formula, a, b, c)
    lines = text.splitlines()
    assert [line[:4] for line in lines] == ["X1: ", "X2: "]
    for line, x in zip(lines, exact, strict=True):
        assert_close(line[4:], x)
