import importlib
import shutil
import subprocess
import sys

import pytest

import Calvune

NAMES = [
    "quadratic_formula",
    "Square_root",
    "is_prime",
    "factorial",
    "circle_area",
    "circle_circumference",
    "triangle_area",
    "point_distance",
    "standart_diviation",
]


def test_docstring_and_functions_in_registration_order():
    assert Calvune.__doc__ == "Calvune pybind11 module"
    assert [name for name in vars(Calvune) if not name.startswith("__")] == NAMES


def test_reimport_gives_the_same_module_without_registering_again():
    first = sys.modules.pop("Calvune")
    functions = [getattr(first, name) for name in NAMES]
    try:
        again = importlib.import_module("Calvune")
        assert again is first
        assert [getattr(again, name) for name in NAMES] == functions
    finally:
        sys.modules["Calvune"] = first


@pytest.mark.parametrize(
    "name, args, kwargs",
    [
        ("quadratic_formula", (1, -3, 2), {"ax": 1, "bx": -3, "c": 2}),
        ("Square_root", (2,), {"root": 2}),
        ("is_prime", (97,), {"prime": 97}),
        ("factorial", (5,), {"factorial": 5}),
        ("circle_area", (2,), {"radius": 2}),
        ("circle_circumference", (1,), {"radius": 1}),
        ("triangle_area", (3, 4, 5), {"a": 3, "b": 4, "c": 5}),
        ("point_distance", (0, 3, 0, 4), {"x1": 0, "x2": 3, "y1": 0, "y2": 4}),
        ("standart_diviation", (0.5, 10), {"p": 0.5, "n": 10}),
    ],
)
def test_keyword_calls_match_positional_calls_and_return_none(run, name, args, kwargs):
    fn = getattr(Calvune, name)
    by_position = run(fn, *args)
    by_keyword = run(fn, **kwargs)
    assert by_position == by_keyword
    assert by_position[0] is None
    assert by_position[1].endswith("\n")


# Arbitrary arguments are fuzzed in test_fuzz; these are the classic mistakes.
@pytest.mark.parametrize(
    "name, args, kwargs",
    [
        ("is_prime", (7.0,), {}),
        ("is_prime", (2**31,), {}),
        ("Square_root", (10**400,), {}),
        ("factorial", (), {}),
        ("factorial", (), {"n": 3}),
        ("standart_diviation", (0.5,), {}),
        ("standart_diviation", (0.5, 2.0), {}),
    ],
)
def test_unusable_arguments_raise_type_error_and_print_nothing(run, name, args, kwargs):
    with pytest.raises(TypeError, match="incompatible function arguments"):
        run(getattr(Calvune, name), *args, **kwargs)
    assert run(lambda: None) == (None, "")


@pytest.mark.skipif(
    not sys.platform.startswith("linux") or shutil.which("nm") is None, reason="needs ELF and nm"
)
def test_the_only_exported_symbol_is_the_init_function():
    listing = subprocess.run(
        ["nm", "-D", "--defined-only", Calvune.__file__], capture_output=True, text=True, check=True
    ).stdout
    assert [line.split()[-1] for line in listing.splitlines()] == ["PyInit_Calvune"]
