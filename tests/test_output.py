"""Where the text goes: fd 1, in order with Python's own output, never lost."""

import math
import os
import subprocess
import sys
import tempfile
import textwrap
from pathlib import Path

import pytest

import Calvune


def run_script(source, unbuffered):
    """Run source as a script file (multiprocessing's spawn re-imports it)."""
    env = {k: v for k, v in os.environ.items() if k != "PYTHONUNBUFFERED"}
    if unbuffered:
        env["PYTHONUNBUFFERED"] = "1"
    with tempfile.TemporaryDirectory() as folder:
        script = Path(folder, "script.py")
        script.write_text(textwrap.dedent(source))
        done = subprocess.run(
            [sys.executable, str(script)],
            capture_output=True,
            text=True,
            env=env,
            check=True,
            timeout=120,
        )
    assert done.stderr == ""
    return done.stdout


@pytest.mark.parametrize("unbuffered", [False, True])
def test_lines_keep_their_place_among_python_prints(unbuffered):
    source = """
        import Calvune
        print("a")
        Calvune.factorial(5)
        print("b", end="")
        Calvune.quadratic_formula(1, -3, 2)
        print("c")
    """
    assert run_script(source, unbuffered) == "a\n120\nbX1: 2\nX2: 1\nc\n"


@pytest.mark.parametrize("unbuffered", [False, True])
def test_pool_workers_lose_nothing(unbuffered):
    source = """
        import multiprocessing
        import Calvune

        if __name__ == "__main__":
            with multiprocessing.Pool(2) as pool:
                pool.map(Calvune.factorial, range(40), chunksize=3)
    """
    lines = run_script(source, unbuffered).splitlines()
    expected = ["%g" % math.factorial(n) for n in range(40)]
    assert sorted(lines) == sorted(expected)


class Stdout:
    def __init__(self, flush):
        self.flush = flush


def failing_flush():
    raise OSError("flush failed")


class Rebinding:
    """A stdout whose flush drops the last reference to itself."""

    def flush(self):
        sys.stdout = None


@pytest.mark.parametrize("stdout", [None, Stdout(failing_flush), Stdout(None), object(), Rebinding])
def test_a_broken_sys_stdout_does_not_fail_the_call(run, monkeypatch, stdout):
    monkeypatch.setattr(sys, "stdout", stdout() if stdout is Rebinding else stdout)
    assert run(Calvune.factorial, 5) == (None, "120\n")


@pytest.mark.parametrize("unbuffered", [False, True])
def test_processes_sharing_a_pipe_never_split_a_call(unbuffered):
    source = """
        import multiprocessing
        import Calvune

        def work(_):
            for _ in range(2000):
                Calvune.quadratic_formula(1, -3, 2)

        if __name__ == "__main__":
            with multiprocessing.Pool(4) as pool:
                pool.map(work, range(4))
    """
    assert run_script(source, unbuffered) == "X1: 2\nX2: 1\n" * 8000


@pytest.mark.parametrize("unbuffered", [False, True])
def test_a_failed_write_does_not_silence_later_calls(unbuffered):
    source = """
        import os
        import Calvune

        saved = os.dup(1)
        os.close(1)
        Calvune.factorial(3)
        os.dup2(saved, 1)
        Calvune.factorial(5)
    """
    assert run_script(source, unbuffered) == "120\n"


def test_a_stdout_whose_flush_calls_back_ends_in_a_cleared_recursion_error(run, monkeypatch):
    class Reentrant:
        def flush(self):
            Calvune.factorial(3)

    monkeypatch.setattr(sys, "stdout", Reentrant())
    result, text = run(Calvune.factorial, 5)
    assert result is None
    assert text.endswith("6\n120\n") and set(text.split()) == {"6", "120"}
