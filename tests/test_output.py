"""Where the text goes: fd 1, in order with Python's own output, never lost."""

import contextlib
import math
import os
import queue
import re
import select
import shlex
import shutil
import signal
import subprocess
import sys
import sysconfig
import textwrap
import time
from pathlib import Path

import pytest

import Calvune
from processes import python


def environment(unbuffered):
    env = {k: v for k, v in os.environ.items() if k != "PYTHONUNBUFFERED"}
    if unbuffered:
        env["PYTHONUNBUFFERED"] = "1"
    return env


def run_script(source, unbuffered, prefix=()):
    """The stdout of a script that must end well and write nothing to stderr."""
    done = python(source, env=environment(unbuffered), prefix=prefix)
    assert (done.returncode, done.stderr) == (0, "")
    return done.stdout


# A finalizer's call after the interpreter let go of sys (fork handlers go last).
LATE_CALL = """
class Late:
    def __del__(self, factorial=Calvune.factorial):
        factorial(5)
os.register_at_fork(after_in_child=Late().__del__)
"""

ORDERS = [
    (
        """
        import io, sys
        import Calvune
        print("a")
        Calvune.factorial(5)
        print("b", end="")
        Calvune.quadratic_formula(1, -3, 2)
        print("c")
        sys.stdout = io.TextIOWrapper(sys.stdout.buffer, encoding="utf-8")
        print("d")
        Calvune.is_prime(3)
        """,
        "a\n120\nbX1: 2\nX2: 1\nc\nd\nIt is a prime number\n",
    ),
    # The text printed before the redirection is flushed, not the StringIO.
    (
        """
        import contextlib, io
        import Calvune
        print("header")
        with contextlib.redirect_stdout(io.StringIO()):
            Calvune.factorial(5)
        print("footer")
        """,
        "header\n120\nfooter\n",
    ),
    # A file that stood in for sys.stdout is closed, and so flushed, once dropped.
    (
        """
        import contextlib, sys
        import Calvune
        log = __file__ + ".log"
        for _ in range(2):
            sys.stdout = open(log, "w")
            print("log")
            Calvune.factorial(3)
            sys.stdout = sys.__stdout__
            print(open(log).read(), end="")
        with contextlib.redirect_stdout(open(log, "w")):
            print("report")
            Calvune.is_prime(7)
        print(open(log).read(), end="")
        """,
        "6\nlog\n6\nlog\nIt is a prime number\nreport\n",
    ),
    # A stream on a copy of fd 1 is the same output.
    (
        """
        import os, sys, Calvune
        sys.stdout = os.fdopen(os.dup(1), "w")
        print("A"); Calvune.is_prime(2); print("B")
        """,
        "A\nIt is a prime number\nB\n",
    ),
    # A stream found to write elsewhere is asked again once fd 1 is its file.
    (
        """
        import os, sys, Calvune
        saved, sys.stdout = os.dup(1), open(__file__ + ".log", "w")
        print("a"); Calvune.factorial(3); os.dup2(sys.stdout.fileno(), 1)
        print("b"); Calvune.Square_root(9); print("c"); sys.stdout.close(); os.dup2(saved, 1)
        print(open(__file__ + ".log").read(), end="", file=sys.__stdout__)
        """,
        "6\na\nb\nSquare root: 3\nc\n",
    ),
    # A finalizer that runs after the interpreter let go of sys still writes.
    pytest.param(
        "import os, Calvune\n" + LATE_CALL + 'print("a")\n',
        "a\n120\n",
        marks=pytest.mark.skipif(
            not hasattr(os, "register_at_fork"), reason="needs os.register_at_fork"
        ),
    ),
]


@pytest.mark.parametrize("unbuffered", [False, True])
@pytest.mark.parametrize("source, expected", ORDERS)
def test_lines_keep_their_place_among_python_prints(unbuffered, source, expected):
    assert run_script(source, unbuffered) == expected


# Workers may or may not get the parent's stdout, by platform: the module's
# lines must arrive wherever print()'s do (each print() is one write).
@pytest.mark.parametrize("unbuffered", [False, True])
def test_pool_workers_lose_nothing(unbuffered):
    source = """
        import multiprocessing
        import Calvune

        def work(n):
            print(f"print {n}\\n", end="")
            Calvune.factorial(n)

        if __name__ == "__main__":
            with multiprocessing.Pool(2) as pool:
                pool.map(work, range(40), chunksize=3)
    """
    lines = run_script(source, unbuffered).splitlines()
    printed = [int(line[6:]) for line in lines if line.startswith("print ")]
    calls = sorted(line for line in lines if not line.startswith("print "))
    assert calls == sorted("%g" % math.factorial(n) for n in printed)


class Stdout:
    def __init__(self, flush):
        self.flush = flush

    def fileno(self):
        return 1


def failing_flush():
    raise OSError("flush failed")


class Rebinding:
    """A stdout whose flush drops the last reference to itself."""

    def fileno(self):
        return 1

    def flush(self):
        sys.stdout = None


# An OSError from flush() means that text which belongs first did not reach
# fd 1: the call raises it and writes nothing. Other faults are the stream's.
@pytest.mark.parametrize(
    "stdout, error",
    [
        (None, None),
        (Stdout(failing_flush), "flush failed"),
        (Stdout(None), None),
        (object(), None),
        (Rebinding, None),
    ],
)
def test_a_broken_sys_stdout_fails_the_call_only_by_os_error(run, monkeypatch, stdout, error):
    monkeypatch.setattr(sys, "stdout", stdout() if stdout is Rebinding else stdout)

    def call():
        try:
            return Calvune.factorial(5)
        except OSError as raised:
            return str(raised)

    assert run(call) == ((error, "") if error else (None, "120\n"))


class Slotted:
    """A stdout that can't be weakly referenced, so it is asked every time."""

    __slots__ = ("pending",)

    def __init__(self):
        self.pending = ""

    def write(self, text):
        self.pending += text

    def fileno(self):
        return 1

    def flush(self):
        os.write(1, self.pending.encode())
        self.pending = ""


class Buffered(Slotted):
    """The same stdout, weakly referenced and so remembered."""


@pytest.mark.parametrize("stdout", [Buffered, Slotted])
def test_text_in_sys_stdout_comes_first_on_every_call(run, monkeypatch, stdout):
    monkeypatch.setattr(sys, "stdout", stdout())
    _, text = run(lambda: [print("a"), Calvune.factorial(3), print("b"), Calvune.factorial(5)])
    assert text == "a\n6\nb\n120\n"


STDBUF = shutil.which("stdbuf")


@pytest.mark.parametrize("unbuffered", [False, True])
@pytest.mark.parametrize(
    "prefix",
    [
        (),
        pytest.param(
            (STDBUF, "-oL"), marks=pytest.mark.skipif(STDBUF is None, reason="needs stdbuf")
        ),
    ],
    ids=["", "stdbuf -oL"],
)
def test_processes_sharing_a_pipe_never_split_a_call(unbuffered, prefix):
    source = """
        import multiprocessing
        import Calvune

        def work(_):
            print("task\\n", end="")
            for _ in range(2000):
                Calvune.quadratic_formula(1, -3, 2)

        if __name__ == "__main__":
            with multiprocessing.Pool(4) as pool:
                pool.map(work, range(4))
    """
    text = run_script(source, unbuffered, prefix)
    tasks = text.count("task\n")
    assert text.replace("task\n", "") == "X1: 2\nX2: 1\n" * 2000 * tasks


@pytest.mark.parametrize("unbuffered", [False, True])
def test_a_failed_write_does_not_silence_later_calls(unbuffered):
    source = """
        import errno, os
        import Calvune

        saved = os.dup(1)
        os.close(1)
        try:
            Calvune.factorial(3)
        except OSError as error:
            os.write(saved, f"{error.errno == errno.EBADF}\\n".encode())
        os.dup2(saved, 1)
        Calvune.factorial(5)
    """
    assert run_script(source, unbuffered) == "True\n120\n"


def test_a_stdout_whose_flush_calls_back_ends_in_a_cleared_recursion_error(run, monkeypatch):
    class Reentrant:
        def fileno(self):
            return 1

        def flush(self):
            Calvune.factorial(3)

    monkeypatch.setattr(sys, "stdout", Reentrant())
    # A low limit keeps the C stack small on every platform.
    limit = sys.getrecursionlimit()
    sys.setrecursionlimit(200)
    try:
        result, text = run(Calvune.factorial, 5)
    finally:
        sys.setrecursionlimit(limit)
    assert result is None
    assert text.endswith("6\n120\n") and set(text.split()) == {"6", "120"}


def slow_reader(process, chunk=512, pause=0.0005):
    """Read a child's stdout slower than it writes; return the lines read."""
    data = bytearray()
    while block := process.stdout.read1(chunk):
        data += block
        time.sleep(pause)
    process.wait(timeout=60)
    return data.splitlines()


@pytest.mark.skipif(sys.platform == "win32", reason="needs POSIX signals, timers and poll")
@pytest.mark.parametrize(
    "setup",
    [
        "signal.signal(signal.SIGALRM, lambda *_: None)\n"
        "signal.setitimer(signal.ITIMER_REAL, 1e-4, 1e-4)",
        "os.set_blocking(1, False)",
    ],
    ids=["signal storm", "non-blocking"],
)
def test_no_line_is_lost_into_a_slow_reader(setup):
    calls = 20_000
    source = f"""
import os, signal, Calvune
{setup}
for _ in range({calls}):
    Calvune.is_prime(97)
signal.setitimer(signal.ITIMER_REAL, 0)
"""
    with subprocess.Popen([sys.executable, "-c", source], stdout=subprocess.PIPE) as process:
        lines = slow_reader(process)
    assert process.returncode == 0
    assert lines == [b"It is a prime number"] * calls


# Buffered only: unbuffered, print() itself drops what a non-blocking stdout
# does not take, and raises nothing.
@pytest.mark.skipif(sys.platform == "win32", reason="needs a non-blocking pipe")
def test_a_non_blocking_stdout_keeps_every_print_line_or_raises():
    source = """
import os, Calvune
os.set_blocking(1, False)
for n in range(3000):
    print("py", n, "x" * 6000)
    Calvune.point_distance(0, 7, 0, 0)
"""
    with subprocess.Popen(
        [sys.executable, "-c", source],
        stdout=subprocess.PIPE,
        stderr=subprocess.PIPE,
        env=environment(unbuffered=False),
    ) as process:
        time.sleep(0.5)
        out, err = process.communicate(timeout=120)
    expected = b"".join(b"py %d %s\n7\n" % (n, b"x" * 6000) for n in range(3000))
    if process.returncode == 0:
        assert out == expected
    else:
        assert re.search(rb"line [56], in <module>\n(.*\n)*?BlockingIOError: ", err), err
        assert expected.startswith(out)


# C stdio drops what a full non-blocking stdout refuses: its line must go
# first, or the call must raise.
@pytest.mark.skipif(sys.platform == "win32", reason="needs a non-blocking pipe")
def test_c_stdio_text_comes_first_on_a_full_non_blocking_stdout():
    source = """
import ctypes, os, Calvune
os.set_blocking(1, False)
try:
    while True:
        os.write(1, b"x" * 65536)
except BlockingIOError:
    ctypes.CDLL(None).puts(b"printf")
Calvune.point_distance(0, 7, 0, 0)
"""
    command, env = [sys.executable, "-c", source], environment(unbuffered=False)
    with subprocess.Popen(command, stdout=subprocess.PIPE, env=env) as process:
        time.sleep(0.5)
        out, _ = process.communicate(timeout=60)
    assert (process.returncode, out.lstrip(b"x")) == (0, b"printf\n7\n")


@pytest.mark.skipif(not os.path.exists("/dev/full"), reason="needs /dev/full")
def test_a_full_disk_raises_os_error():
    with open("/dev/full", "w") as full:
        done = python("import Calvune; Calvune.factorial(5)", stdout=full)
    assert done.returncode == 1
    assert done.stderr.splitlines()[-1] == "OSError: [Errno 28] No space left on device"


def leave_after_three_lines(loop):
    """The errors a loop names on stderr once its reader leaves."""
    source = f"import Calvune\nwhile True:\n    {loop}"
    with subprocess.Popen(
        [sys.executable, "-c", source], stdout=subprocess.PIPE, stderr=subprocess.PIPE
    ) as process:
        assert [process.stdout.readline().rstrip() for _ in range(3)] == [b"120"] * 3
        process.stdout.close()
        try:
            process.wait(timeout=60)
        finally:
            process.kill()
        stderr = process.stderr.read()
    assert process.returncode != 0
    return set(re.findall(rb"^(\w+): ", stderr, re.M))


def test_a_reader_that_leaves_stops_the_writer_as_it_stops_print():
    stopped = leave_after_three_lines("Calvune.factorial(5)")
    assert stopped == leave_after_three_lines("print(120, flush=True)") != set()


# The second is a finalizer that runs after the interpreter let go of sys.
@pytest.mark.skipif(
    sys.platform == "win32", reason="needs a child started with fd 1 closed (preexec_fn)"
)
@pytest.mark.parametrize(
    "source",
    [
        """
        import Calvune
        with open(TARGET, "w") as f:
            assert f.fileno() == 1
            Calvune.factorial(5)
            f.write("{}")
        """,
        "import os, Calvune\nassert os.open(TARGET, os.O_WRONLY | os.O_CREAT) == 1\n"
        'os.write(1, b"{}")\n' + LATE_CALL,
    ],
    ids=["open file", "late finalizer"],
)
def test_without_a_stdout_a_file_on_fd_1_stays_untouched(tmp_path, source):
    target = tmp_path / "data.json"
    source = f"TARGET = {str(target)!r}\n" + textwrap.dedent(source)
    subprocess.run([sys.executable, "-c", source], preexec_fn=lambda: os.close(1), check=True)
    assert target.read_bytes() == b"{}"


# fd 1 is a pipe that this process reads itself: a write blocked on it must
# let the reading thread, and every other thread, run.
NO_HANG = {
    "drained by a thread": """
        total = 0

        def drain():
            global total
            while data := os.read(r, 65536):
                total += data.count(b"\\n")

        reader = threading.Thread(target=drain)
        reader.start()
        for _ in range(100_000):
            Calvune.is_prime(97)
        os.close(1)
        reader.join()
        assert total == 100_000, total
    """,
    "stalled": """
        def write():
            for _ in range(10_000):
                Calvune.is_prime(97)

        writer = threading.Thread(target=write)
        writer.start()
        time.sleep(0.5)
        assert writer.is_alive()
        left = 10_000 * len("It is a prime number\\n")
        while left:
            left -= len(os.read(r, 65536))
        writer.join()
    """,
}


@pytest.mark.parametrize("body", NO_HANG.values(), ids=NO_HANG)
def test_a_blocked_write_does_not_hang_the_process(body):
    source = "import os, threading, time, Calvune\nr, w = os.pipe()\nos.dup2(w, 1)\nos.close(w)\n"
    done = python(source + textwrap.dedent(body))
    assert done.returncode == 0, done.stderr


@pytest.mark.skipif(sys.platform == "win32", reason="needs SIGINT")
@pytest.mark.parametrize(
    "loop",
    ["Calvune.is_prime(97)", "print('x' * 50)\n    Calvune.is_prime(97)"],
    ids=["write", "flush"],
)
def test_ctrl_c_stops_a_call_blocked_on_a_full_pipe(loop):
    with subprocess.Popen(
        [sys.executable, "-c", f"import Calvune\nwhile True:\n    {loop}\n"],
        stdout=subprocess.PIPE,
        stderr=subprocess.PIPE,
        env=environment(unbuffered=False),
    ) as process:
        time.sleep(1)
        process.send_signal(signal.SIGINT)
        deadline = time.monotonic() + 20
        while process.poll() is None and time.monotonic() < deadline:
            if select.select([process.stdout], [], [], 1)[0]:
                process.stdout.read1(65536)
        process.kill()
        assert process.stderr.read().splitlines()[-1] == b"KeyboardInterrupt"


@pytest.mark.skipif(sys.platform == "win32", reason="ipykernel captures fd 1 on POSIX only")
def test_a_notebook_cell_gets_every_line():
    manager = pytest.importorskip("jupyter_client.manager")
    pytest.importorskip("ipykernel")
    calls, bound = 100_000, 120
    line = "It is a prime number\n"
    # ipykernel leaves fd 1 uncaptured when it believes it runs under pytest.
    env = {k: v for k, v in os.environ.items() if k != "PYTEST_CURRENT_TEST"}
    kernel, client = manager.start_new_kernel(
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env
    )
    text = ""
    try:
        # The kernel reads fd 1 in chunks of its own size, so a print() in the
        # cell could land inside one of the lines: the cell prints nothing.
        deadline = time.monotonic() + bound
        client.execute(f"import Calvune\nfor _ in range({calls}):\n    Calvune.is_prime(97)")
        reply = client.get_shell_msg(timeout=bound)
        assert reply["content"]["status"] == "ok", reply["content"]
        # What fd 1 got may still be on its way through the kernel's reader.
        with contextlib.suppress(queue.Empty):
            while len(text) < calls * len(line) and (left := deadline - time.monotonic()) > 0:
                message = client.get_iopub_msg(timeout=left)
                if message["msg_type"] == "stream" and message["content"]["name"] == "stdout":
                    text += message["content"]["text"]
    finally:
        client.stop_channels()
        kernel.shutdown_kernel(now=True)
    arrived = (text.count(line), text.replace(line, ""))
    assert arrived == (calls, ""), f"{arrived[0]} of {calls} lines within {bound} s"


@pytest.fixture(scope="session")
def neighbour(tmp_path_factory):
    """The environment that finds tests/neighbour.cpp built like the module (CXX, CXXFLAGS,
    LDFLAGS) as an extension, the embedding host built from it (None without a libpython), and
    whether it has libstdc++'s own buffer types."""
    if sys.platform == "win32":
        pytest.skip("MinGW links a C++ runtime into each module; MSVC isn't set up here")
    if (compiler := shutil.which(os.environ.get("CXX", "c++"))) is None:
        pytest.skip("needs a C++ compiler (CXX)")
    folder, var = tmp_path_factory.mktemp("neighbour"), sysconfig.get_config_var
    flags = shlex.split(os.environ.get("CXXFLAGS", "") + " " + os.environ.get("LDFLAGS", ""))
    flags += ["-std=c++17", "-fPIC", "-I" + pytest.importorskip("pybind11").get_include()]
    flags += ["-I" + sysconfig.get_path("include"), str(Path(__file__).with_name("neighbour.cpp"))]
    lib, loose = var("LIBDIR"), ["-undefined", "dynamic_lookup"] if sys.platform == "darwin" else []
    outputs = [
        [f"neighbour{var('EXT_SUFFIX')}", "-shared", *loose],
        ["host", "-DHOST", f"-L{lib}", f"-Wl,-rpath,{lib}", f"-lpython{var('LDVERSION')}"],
    ]
    builds = [subprocess.Popen([compiler, *flags, "-o", folder / out, *ex]) for out, *ex in outputs]
    assert [build.wait(timeout=600) for build in builds][0] == 0
    # Unbuffered, CPython unbuffers C's stdout too, and printf text would wait for nothing.
    env = environment(unbuffered=False)
    env["PYTHONPATH"] = os.pathsep.join([str(folder), os.path.dirname(Calvune.__file__)])
    libstdcxx = python("import neighbour; print(hasattr(neighbour, 'churn'))", env=env).stdout
    return env, folder / "host" if builds[1].returncode == 0 else None, libstdcxx == "True\n"


THREADS = """
def work():
    for _ in range(300):
        Calvune.is_prime(97)
threads = [threading.Thread(target=work) for _ in range(4)]
[t.start() for t in threads], [t.join() for t in threads]
text, *counts = n.contents()
print(text == "It is a prime number\\n" * 1200, *counts)
"""
FAILING = """
for failure in ["throw", "refuse", "second"]:
    n.console(failure)
    for number in [5, 6]:
        try:
            f(number)
        except Exception as error:
            print(type(error).__name__, error)
    print(n.contents())
"""
REDIRECT = (
    "with redirect_stdout(io.StringIO()) as o, n.ostream_redirect(): f(5)\nprint([o.getvalue()])"
)

# Two threads put new buffers in std::cout and delete the old, while calls run.
CHURN = """
sys.setswitchinterval(1e-6)
stop = threading.Event()

def churn():
    while not stop.is_set():
        n.churn()

churners = [threading.Thread(target=churn) for _ in range(2)]
[c.start() for c in churners]
for _ in range(5000):
    Calvune.Square_root(4)
stop.set(), [c.join() for c in churners]
"""
# A runtime buffer built anew in the same place, on stdout and then on a log.
SLOT = """
for kind in ["sync", "fd", "in"]:
    for log in ["", __file__ + kind]:
        n.occupy(kind, log)
        try:
            f(5)
        except OSError as error:
            print(error)
    n.occupy()
    print(repr(open(log).read()))
"""
# pybind11's buffer runs Python code, which lets another thread run inside it.
YIELDING = """
class Yielding(io.StringIO):
    def flush(self):
        time.sleep(0)

def work():
    for _ in range(300):
        Calvune.quadratic_formula(1, -3, 2)

with redirect_stdout(Yielding()) as o, n.ostream_redirect():
    threads = [threading.Thread(target=work) for _ in range(4)]
    [t.start() for t in threads], [t.join() for t in threads]
print(o.getvalue() == "X1: 2\\nX2: 1\\n" * 1200)
"""
# A call from inside the buffer on the same thread, as from a signal handler.
REENTRANT = """
class Reentrant(io.StringIO):
    entered = False

    def write(self, text):
        if not self.entered:
            self.entered = True
            f(3)
        return super().write(text)

raised = None
with redirect_stdout(Reentrant()) as o, n.ostream_redirect():
    try:
        f(5)
    except RuntimeError as error:
        raised = error
print(raised, [o.getvalue()])
"""
STDERR = "r, w = os.pipe(); e = os.dup(2); os.dup2(w, 2); n.swap_with_cerr(); f(5)\n"
STDERR += "n.swap_with_cerr(); os.dup2(e, 2); os.close(w)\n"

PRELUDE = "import io, os, sys, threading, time, Calvune, neighbour as n\n"
PRELUDE += "from contextlib import redirect_stdout\nf = Calvune.factorial\n"

# What applications and libraries do to std::cout; the host gave it a console
# before the interpreter started. A console's std::fixed changes no digit.
COUT = {
    "console": ("python", "n.console(); f(5); print(n.contents())", "('120\\n', 0, 0)\n"),
    "host's console, 4 threads": ("host", THREADS, "True 0 0\n"),
    "ostream_redirect": ("python", REDIRECT, "['120\\n']\n"),
    "failbit, then no buffer": ("python", "n.mute(True); f(5); n.mute(False); f(5)", ""),
    "failing console, unitbuf": (
        "python",
        FAILING,
        "RuntimeError the console failed\n('120\\n', 0, 0)\n"
        "OSError std::cout's buffer did not take the text\n('120\\n', 0, 0)\n"
        "OSError std::cout's buffer did not take the text\n('120\\n720\\n', 0, 0)\n",
    ),
    "printf, unsynced": ("python", "n.unsynced_printf('printf\\n'); f(5)", "printf\n120\n"),
    "buffer deleted meanwhile": ("libstdc++", CHURN, "Square root: 2\n" * 5000),
    "buffer slot reused": (
        "libstdc++",
        SLOT,
        "120\n'120\\n'\n" * 2 + "std::cout's buffer did not take the text\n" * 2 + "''\n",
    ),
    "swapped with std::cerr": ("python", STDERR + "print(os.read(r, 99))", "b'120\\n'\n"),
    "tied stream": ("python", "n.tie('tied\\n'); f(5); n.tie('')", "tied\n120\n"),
    "width": ("python", "n.width(12); f(5); print(n.width(0))", "120\n0\n"),
    "ostream_redirect, 4 threads": ("python", YIELDING, "True\n"),
    "ostream_redirect, reentered": (
        "python",
        REENTRANT,
        "reentrant call inside std::cout's buffer ['120\\n']\n",
    ),
}


@pytest.mark.parametrize("where, script, expected", COUT.values(), ids=COUT)
def test_the_text_goes_where_std_cout_goes(neighbour, where, script, expected):
    env, host, libstdcxx = neighbour
    if where == "host" and host is None:
        pytest.skip("needs a shared libpython to embed")
    if where == "libstdc++" and not libstdcxx:
        pytest.skip("needs libstdc++'s own buffer types")
    executable = str(host) if where == "host" else sys.executable
    done = python(PRELUDE + script, env=env, executable=executable)
    assert (done.returncode, done.stdout, done.stderr) == (0, expected, "")
