"""Hostile conditions: threads, other interpreters, long runs, foreign locales."""

import glob
import locale
import os
import re
import subprocess
import sys
from collections import Counter

import pytest

import Calvune
from functions import FUNCTIONS
from processes import python

UNDER_ASAN = "libasan" in os.environ.get("LD_PRELOAD", "")

# One call of each function, by position, and the text it writes.
CALLS = [(f.name, f.example, f.text) for f in FUNCTIONS]


def test_eight_threads_at_once_keep_every_call_whole():
    rounds = 300
    done = python(
        f"""
        import sys, threading
        import Calvune

        sys.setswitchinterval(1e-6)
        calls = {[(name, args) for name, args, _ in CALLS]!r}
        start = threading.Barrier(8)

        def work():
            start.wait()
            for _ in range({rounds}):
                for name, args in calls:
                    getattr(Calvune, name)(*args)

        threads = [threading.Thread(target=work) for _ in range(8)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        """
    )
    assert done.returncode == 0, done.stderr
    lines = iter(done.stdout.splitlines(keepends=True))
    blocks = Counter(line + next(lines) if line.startswith("X1:") else line for line in lines)
    assert blocks == Counter({text: 8 * rounds for _, _, text in CALLS})


def test_an_isolated_subinterpreter_is_refused():
    try:
        import _interpreters as interpreters

        interp = interpreters.create("isolated")
    except ImportError:
        interpreters = pytest.importorskip("_xxsubinterpreters")
        interp = interpreters.create(isolated=True)
    try:
        # 3.12 raises the failure; later versions return it.
        try:
            failure = interpreters.run_string(interp, "import Calvune").formatted
        except interpreters.RunFailedError as error:
            failure = str(error)
    finally:
        interpreters.destroy(interp)
    assert re.search("ImportError.*subinterpreters", failure)


def test_a_legacy_subinterpreter_keeps_to_its_own_sys_stdout():
    pytest.importorskip("_testcapi")
    source = """
        import _testcapi, Calvune
        print("a", end="")
        Calvune.factorial(3)
        _testcapi.run_in_subinterp("import Calvune; print('b', end=''); Calvune.factorial(4)")
        print("c", end="")
        Calvune.factorial(5)
        """
    env = {k: v for k, v in os.environ.items() if k != "PYTHONUNBUFFERED"}
    done = python(source, flags=("-X", "dev"), env=env)
    assert (done.stdout, done.stderr) == ("a6\nb24\nc120\n", "")


RUNNING = "%d.%d" % sys.version_info[:2]


def other_pythons():
    """Installed CPythons of other minor versions (3.11 and newer)."""
    pyenv = os.environ.get("PYENV_ROOT", os.path.expanduser("~/.pyenv"))
    found = {}
    for path in sorted(glob.glob(os.path.join(pyenv, "versions", "3.*", "bin", "python3"))):
        version = re.search(r"versions/(3\.\d+)", path).group(1)
        if version != RUNNING and tuple(map(int, version.split("."))) >= (3, 11):
            found.setdefault(version, path)
    return found


@pytest.mark.parametrize("version", sorted(other_pythons()) or [None])
def test_another_python_refuses_the_module_with_an_import_error(version):
    if version is None:
        pytest.skip("no other CPython installed with pyenv")
    done = python(
        f"""
        import importlib.util
        spec = importlib.util.spec_from_file_location("Calvune", {Calvune.__file__!r})
        try:
            importlib.util.module_from_spec(spec)
        except ImportError as error:
            print("ImportError:", error)
        """,
        executable=other_pythons()[version],
    )
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith("ImportError: ")
    # Either the dynamic loader refuses the file, or the version check does.
    if "undefined symbol" not in done.stdout:
        assert done.stdout.startswith(
            f"ImportError: Python version mismatch: module was compiled for Python {RUNNING}, "
            f"but the interpreter version is incompatible: {version}"
        )


@pytest.mark.skipif(not os.path.exists("/proc/self/statm"), reason="needs /proc")
@pytest.mark.skipif(UNDER_ASAN, reason="ASan's quarantine holds on to freed memory")
def test_a_million_calls_do_not_grow_resident_memory():
    done = python(
        f"""
        import os, sys
        import Calvune

        calls = [(getattr(Calvune, name), args) for name, args in
                 {[(name, args) for name, args, _ in CALLS]!r}]

        def resident():
            with open("/proc/self/statm") as statm:
                return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")

        def run(n):
            for i in range(n):
                fn, args = calls[i % len(calls)]
                if i % 10 == 0:
                    try:
                        fn("x", None)
                    except TypeError:
                        pass
                else:
                    fn(*args)

        run(100_000)
        before = resident()
        run(1_000_000)
        print(resident() - before, file=sys.stderr)
        """,
        stdout=subprocess.DEVNULL,
    )
    assert done.returncode == 0
    assert int(done.stderr) < 16 * 2**20


def decimal_comma_locale():
    for name in ["de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "ru_RU.UTF-8"]:
        try:
            locale.setlocale(locale.LC_ALL, name)
        except locale.Error:
            continue
        if locale.localeconv()["decimal_point"] == ",":
            return name
    return None


def test_a_decimal_comma_locale_changes_nothing(run):
    saved = locale.setlocale(locale.LC_ALL)
    try:
        if decimal_comma_locale() is None:
            pytest.skip("no locale with a decimal comma is installed")
        for name, args, text in CALLS:
            assert run(getattr(Calvune, name), *args) == (None, text)
    finally:
        locale.setlocale(locale.LC_ALL, saved)
