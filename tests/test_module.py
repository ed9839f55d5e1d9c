import importlib
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


@pytest.mark.skipif(
    not sys.platform.startswith("linux") or shutil.which("nm") is None, reason="needs ELF and nm"
)
def test_the_only_exported_symbol_is_the_init_function():
    listing = subprocess.run(
        ["nm", "-D", "--defined-only", Calvune.__file__], capture_output=True, text=True, check=True
    ).stdout
    assert [line.split()[-1] for line in listing.splitlines()] == ["PyInit_Calvune"]
