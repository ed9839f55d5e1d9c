"""Arbitrary arguments: every call prints what the model says or raises
TypeError having printed nothing."""

import math
import re
import sys

import pytest
from hypothesis import event, given, settings
from hypothesis import strategies as st

import Calvune
import model
from functions import FUNCTIONS

INT_MIN, INT_MAX = -(2**31), 2**31 - 1

SIGNATURES = {f.name: (f.keywords, f.kinds, f.model) for f in FUNCTIONS}


class Arg:
    """A value to pass, with what it converts to as a double and as an int
    (None where the conversion must fail)."""

    def __init__(self, value, as_double, as_int):
        self.value, self.as_double, self.as_int = value, as_double, as_int

    def __repr__(self):
        return f"Arg({self.value!r})"


def int_arg(n, value=None):
    try:
        as_double = float(n)
    except OverflowError:
        as_double = None
    return Arg(n if value is None else value, as_double, n if INT_MIN <= n <= INT_MAX else None)


def number(method, result):
    """An object whose only number method returns result, or raises it."""

    def answer(self):
        if isinstance(result, type) and issubclass(result, BaseException):
            raise result("junk")
        return result

    return type("Number", (), {method: answer, "__repr__": lambda self: f"{method}:{result!r}"})()


class FloatSubclass(float):
    pass


class IntSubclass(int):
    pass


floats = st.floats(allow_nan=True, allow_infinity=True, allow_subnormal=True)
big_ints = st.integers(-(2**1100), 2**1100)
ints = st.one_of(st.integers(INT_MIN - 2, INT_MAX + 2), big_ints, st.sampled_from([0, 1, -1]))

ARGS = st.one_of(
    ints.map(int_arg),
    floats.map(lambda x: Arg(x, x, None)),
    st.sampled_from([sys.float_info.max, -sys.float_info.max, 5e-324, -0.0]).map(
        lambda x: Arg(x, x, None)
    ),
    floats.map(lambda x: Arg(FloatSubclass(x), x, None)),
    ints.map(lambda n: int_arg(n, IntSubclass(n))),
    st.booleans().map(lambda b: Arg(b, float(b), int(b))),
    ints.map(lambda n: int_arg(n, number("__index__", n))),
    floats.map(lambda x: Arg(number("__float__", x), x, None)),
    ints.map(lambda n: Arg(number("__int__", n), None, int_arg(n).as_int)),
    st.builds(
        lambda method, result: Arg(number(method, result), None, None),
        st.sampled_from(["__index__", "__float__", "__int__"]),
        st.sampled_from([ValueError, TypeError, OverflowError, "7", None, 2.5j]),
    ),
    st.sampled_from([None, "7", b"7", 1 + 2j, 2j, [], object(), math]).map(
        lambda v: Arg(v, None, None)
    ),
)


GOOD = {
    "d": st.one_of(
        floats.map(lambda x: Arg(x, x, None)), st.integers(-(10**9), 10**9).map(int_arg)
    ),
    "i": st.integers(INT_MIN, INT_MAX).map(int_arg),
}


@st.composite
def calls(draw):
    """Well-formed calls with any values, and calls of any shape."""
    name = draw(st.sampled_from(sorted(SIGNATURES)))
    names, kinds, _ = SIGNATURES[name]
    if draw(st.booleans()):
        n_positional = draw(st.integers(0, len(names)))
        values = [draw(st.one_of(GOOD[kind], ARGS)) for kind in kinds]
        return (
            name,
            values[:n_positional],
            dict(zip(names[n_positional:], values[n_positional:], strict=True)),
        )
    n_positional = draw(st.integers(0, len(names) + 1))
    positional = draw(st.lists(ARGS, min_size=n_positional, max_size=n_positional))
    keywords = draw(st.lists(st.sampled_from([*names, "x", "n", "radius"]), unique=True))
    return name, positional, {k: draw(ARGS) for k in keywords}


def expected_output(name, positional, keyword):
    """The model's text, or None where the call must raise TypeError."""
    names, kinds, routine = SIGNATURES[name]
    if len(positional) > len(names):
        return None
    bound = dict(zip(names, positional, strict=False))
    for key, arg in keyword.items():
        if key not in names or key in bound:
            return None
        bound[key] = arg
    if len(bound) != len(names):
        return None
    values = []
    for key, kind in zip(names, kinds, strict=True):
        value = bound[key].as_double if kind == "d" else bound[key].as_int
        if value is None:
            return None
        values.append(value)
    return routine(*values)


@settings(max_examples=20 * settings.default.max_examples)
@given(calls())
def test_any_arguments_give_the_model_or_a_clean_type_error(run, call):
    name, positional, keyword = call
    expected = expected_output(name, positional, keyword)
    args = [a.value for a in positional]
    kwargs = {k: a.value for k, a in keyword.items()}
    event("TypeError" if expected is None else "accepted")
    if expected is None:
        with pytest.raises(TypeError):
            run(getattr(Calvune, name), *args, **kwargs)
        assert run(lambda: None) == (None, "")
    elif expected is model.OUTSIDE:
        # Where the model says nothing, the oracle tests check the value.
        result, text = run(getattr(Calvune, name), *args, **kwargs)
        assert result is None and re.fullmatch(
            r"(X1: \S+\nX2: |)\S+\n|No possible out come\n|", text
        )
    else:
        assert run(getattr(Calvune, name), *args, **kwargs) == (None, expected)


# What is not an Exception (Ctrl-C in a number's own method) propagates as it
# does from math: it is not cleared for a second try, and nothing is printed.
@pytest.mark.parametrize("error", [KeyboardInterrupt, SystemExit, GeneratorExit])
@pytest.mark.parametrize(
    "method, name, reference",
    [("__float__", "Square_root", math.sqrt), ("__index__", "is_prime", math.factorial)],
)
def test_what_is_not_an_exception_in_a_conversion_propagates(run, error, method, name, reference):
    for call in (reference, getattr(Calvune, name)):
        with pytest.raises(error):
            run(call, number(method, error))
    assert run(lambda: None) == (None, "")
