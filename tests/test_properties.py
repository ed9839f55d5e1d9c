"""Each routine against its Python model, over the whole range of its types."""

import pytest
from hypothesis import given
from hypothesis import strategies as st

import Calvune
import model

real = st.floats(allow_nan=True, allow_infinity=True) | st.integers(-(10**6), 10**6)
whole = st.integers(-(2**31), 2**31 - 1)

ROUTINES = {
    "quadratic_formula": (model.quadratic_formula, [real, real, real]),
    "Square_root": (model.square_root, [real]),
    "is_prime": (model.is_prime, [st.integers(-(10**6), 10**6) | whole]),
    "factorial": (model.factorial, [st.integers(-5, 200) | whole]),
    "circle_area": (model.circle_area, [real]),
    "circle_circumference": (model.circle_circumference, [real]),
    "triangle_area": (model.triangle_area, [real, real, real]),
    "point_distance": (model.point_distance, [real, real, real, real]),
    "standart_diviation": (model.standart_diviation, [real | st.floats(0, 1), whole]),
}


@pytest.mark.parametrize("name", ROUTINES)
@given(data=st.data())
def test_writes_what_the_model_writes(run, name, data):
    routine, strategies = ROUTINES[name]
    args = [data.draw(strategy) for strategy in strategies]
    assert run(getattr(Calvune, name), *args) == (None, routine(*args))
