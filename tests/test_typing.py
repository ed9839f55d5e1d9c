"""The shipped stubs say what the module does: checked against the binding's
own signature lines, by stubtest, and by mypy on a small user file."""

import ast
import importlib.util
import os
import subprocess
import sys
from pathlib import Path

import pytest

import Calvune

# Installed beside the module, or (by an editable install) left in stubs/ with
# that folder on the path: wherever the type checkers will look.
[STUBS] = importlib.util.find_spec("Calvune-stubs").submodule_search_locations
STUB = Path(STUBS, "__init__.pyi")


def stub_signatures():
    tree = ast.parse(STUB.read_text())
    for node in tree.body:
        if isinstance(node, ast.FunctionDef):
            params = ", ".join(f"{a.arg}: {ast.unparse(a.annotation)}" for a in node.args.args)
            yield node.name, f"{node.name}({params}) -> {ast.unparse(node.returns)}"


def test_stubs_match_the_signature_lines_of_the_binding():
    runtime = {}
    for name in dir(Calvune):
        if not name.startswith("__"):
            first_line = getattr(Calvune, name).__doc__.splitlines()[0]
            # The one intended difference: the stubs narrow the integer
            # parameters to SupportsIndex, so that a float is flagged.
            runtime[name] = first_line.replace("typing.", "").replace(
                "SupportsInt | SupportsIndex", "SupportsIndex"
            )
    assert dict(stub_signatures()) == runtime
    assert ast.get_docstring(ast.parse(STUB.read_text())) == Calvune.__doc__


def mypy(*args, cwd):
    pytest.importorskip("mypy")
    return subprocess.run(
        [sys.executable, "-m", *args], capture_output=True, text=True, cwd=cwd, timeout=300
    )


def test_stubtest_finds_no_difference(tmp_path):
    done = mypy("mypy.stubtest", "Calvune", "--mypy-config-file", os.devnull, cwd=tmp_path)
    assert done.returncode == 0, done.stdout + done.stderr


def test_mypy_flags_a_wrong_argument_and_types_the_result_none(tmp_path):
    (tmp_path / "usage.py").write_text(
        "import Calvune\n"
        "reveal_type(Calvune.factorial(5))\n"
        'Calvune.is_prime("7")\n'
        "Calvune.is_prime(7.0)\n"
        "Calvune.point_distance(x1=0, x2=3.5, y1=0, y2=4)\n"
        "Calvune.standart_diviation(0.5, n=10)\n"
    )
    done = mypy("mypy", "--no-incremental", "usage.py", cwd=tmp_path)
    assert done.stdout.splitlines() == [
        'usage.py:2: note: Revealed type is "None"',
        'usage.py:3: error: Argument 1 to "is_prime" has incompatible type "str"; '
        'expected "SupportsIndex"  [arg-type]',
        'usage.py:4: error: Argument 1 to "is_prime" has incompatible type "float"; '
        'expected "SupportsIndex"  [arg-type]',
        "Found 2 errors in 1 file (checked 1 source file)",
    ]
