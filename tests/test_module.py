import importlib
import math
import shutil
import subprocess
import sys

import pytest

import Calvune
from functions import FUNCTIONS

NAMES = [f.name for f in FUNCTIONS]


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


# Arbitrary arguments, by position and by keyword, are fuzzed in test_fuzz;
# these are the classic mistakes.
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


class Stop(BaseException):
    pass


def raising_once(method, error):
    """A number whose method raises error the first time and gives 4 after."""
    calls = []

    def answer(self):
        calls.append(None)
        if len(calls) == 1:
            raise error
        return 4.0 if method == "__float__" else 4

    return type("Number", (), {method: answer})()


# What is not an Exception (Ctrl-C in a number's own method) propagates as
# math lets it: the conversion is not tried again and nothing is printed.
@pytest.mark.parametrize("error", [KeyboardInterrupt, SystemExit, Stop])
@pytest.mark.parametrize(
    "method, name, reference",
    [("__float__", "Square_root", math.sqrt), ("__index__", "is_prime", math.factorial)],
)
def test_what_is_not_an_exception_in_a_conversion_propagates(run, error, method, name, reference):
    with pytest.raises(error):
        reference(raising_once(method, error))
    with pytest.raises(error):
        run(getattr(Calvune, name), raising_once(method, error))
    assert run(lambda: None) == (None, "")


@pytest.mark.skipif(
    not sys.platform.startswith("linux") or shutil.which("nm") is None, reason="needs ELF and nm"
)
def test_the_only_exported_symbol_is_the_init_function():
    listing = subprocess.run(
        ["nm", "-D", "--defined-only", Calvune.__file__], capture_output=True, text=True, check=True
    ).stdout
    assert [line.split()[-1] for line in listing.splitlines()] == ["PyInit_Calvune"]
