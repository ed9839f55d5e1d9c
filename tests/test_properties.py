"""Each routine against its Python model, over the whole range of its types."""

from hypothesis import given
from hypothesis import strategies as st

import Calvune
import model

reals = st.floats(allow_nan=True, allow_infinity=True) | st.integers(-(10**6), 10**6)
ints = st.integers(-(2**31), 2**31 - 1)


@given(reals, reals, reals)
def test_quadratic_formula(run, a, b, c):
    assert run(Calvune.quadratic_formula, a, b, c) == (None, model.quadratic_formula(a, b, c))


@given(reals)
def test_square_root(run, x):
    assert run(Calvune.Square_root, x) == (None, model.square_root(x))


@given(st.integers(-(10**6), 10**6) | ints)
def test_is_prime(run, n):
    assert run(Calvune.is_prime, n) == (None, model.is_prime(n))


@given(st.integers(-5, 200) | ints)
def test_factorial(run, n):
    assert run(Calvune.factorial, n) == (None, model.factorial(n))


@given(reals)
def test_circle_area(run, r):
    assert run(Calvune.circle_area, r) == (None, model.circle_area(r))


@given(reals)
def test_circle_circumference(run, r):
    assert run(Calvune.circle_circumference, r) == (None, model.circle_circumference(r))


@given(reals, reals, reals)
def test_triangle_area(run, a, b, c):
    assert run(Calvune.triangle_area, a, b, c) == (None, model.triangle_area(a, b, c))


@given(reals, reals, reals, reals)
def test_point_distance(run, x1, x2, y1, y2):
    expected = model.point_distance(x1, x2, y1, y2)
    assert run(Calvune.point_distance, x1, x2, y1, y2) == (None, expected)


@given(reals | st.floats(0, 1), ints | st.integers(-3, 1000))
def test_standart_diviation(run, p, n):
    assert run(Calvune.standart_diviation, p, n) == (None, model.standart_diviation(p, n))
