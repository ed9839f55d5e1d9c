"""Cost per call of each Calvune function, beside pure Python doing the same.

For every function this prints the nanoseconds per call with standard output
sent to /dev/null, the same for a pure-Python statement that writes the same
text with the same guarantee (format, write, flush), and the number of
write(2) system calls per call with PYTHONUNBUFFERED=1 and without (counted
with strace, where it is installed). Where jupyter_client and ipykernel are
installed, it also times is_prime(97) in a real notebook kernel beside print()
of the same text in the same kernel.

    python benchmarks/bench.py
"""

import math
import os
import shutil
import subprocess
import sys
import tempfile
import timeit

import Calvune


def py_quadratic_formula(a, b, c):
    if a == 0:
        sys.stdout.write("No possible out come\n")
    else:
        d = b * b - (a * 4) * c
        if d >= 0:
            r = math.sqrt(d)
            x1 = (r - b) / (a + a)
            x2 = (-b - r) / (a + a)
            if d > 0 and b != 0 and c != 0:
                if b > 0:
                    x1 = (c + c) / (-b - r)
                else:
                    x2 = (c + c) / (r - b)
            sys.stdout.write("X1: %g\nX2: %g\n" % (x1, x2))
        elif d < 0:
            sys.stdout.write("No possible out come\n")
    sys.stdout.flush()


def py_square_root(x):
    sys.stdout.write("Square root: %g\n" % math.sqrt(x))
    sys.stdout.flush()


def py_is_prime(n):
    # A deterministic Miller-Rabin test, exact for every int (bases 2, 7, 61).
    if n <= 1:
        text = "No prime number\n"
    elif n in (2, 3, 5, 7, 61):
        text = "It is a prime number\n"
    elif n % 2 == 0 or n % 3 == 0 or n % 5 == 0:
        text = "It is not a prime number\n"
    else:
        d, s = n - 1, 0
        while d % 2 == 0:
            d, s = d // 2, s + 1
        prime = True
        for a in (2, 7, 61):
            x = pow(a, d, n)
            if x in (1, n - 1):
                continue
            for _ in range(s - 1):
                x = x * x % n
                if x == n - 1:
                    break
            else:
                prime = False
                break
        text = "It is a prime number\n" if prime else "It is not a prime number\n"
    sys.stdout.write(text)
    sys.stdout.flush()


def py_factorial(n):
    sys.stdout.write("%g\n" % math.gamma(n + 1))
    sys.stdout.flush()


def py_circle_area(r):
    sys.stdout.write("Circle area: %g\n" % ((r * 3.14159) * r))
    sys.stdout.flush()


def py_circle_circumference(r):
    sys.stdout.write("%g\n" % (r * 6.28318530718))
    sys.stdout.flush()


def py_triangle_area(a, b, c):
    s = ((a + b) + c) * 0.5
    sys.stdout.write("%g\n" % math.sqrt(s * (s - a) * (s - b) * (s - c)))
    sys.stdout.flush()


def py_point_distance(x1, x2, y1, y2):
    sys.stdout.write("%g\n" % math.sqrt((x2 - x1) ** 2.0 + (y2 - y1) ** 2.0))
    sys.stdout.flush()


def py_standart_diviation(p, n):
    sys.stdout.write("%g\n" % math.sqrt((1 - p) * p / n))
    sys.stdout.flush()


CASES = [
    ("quadratic_formula", (1.0, -3.0, 2.0), py_quadratic_formula),
    ("Square_root", (2.0,), py_square_root),
    ("is_prime", (97,), py_is_prime),
    ("is_prime", (2147483647,), py_is_prime),
    ("factorial", (10,), py_factorial),
    ("circle_area", (2.0,), py_circle_area),
    ("circle_circumference", (1.0,), py_circle_circumference),
    ("triangle_area", (3.0, 4.0, 5.0), py_triangle_area),
    ("point_distance", (0.0, 3.0, 0.0, 4.0), py_point_distance),
    ("standart_diviation", (0.5, 10), py_standart_diviation),
]


def ns_per_call(fn, args):
    timer = timeit.Timer("fn(*args)", globals={"fn": fn, "args": args})
    number, _ = timer.autorange()
    return min(timer.repeat(repeat=5, number=number)) / number * 1e9


def timings():
    """(Calvune ns, Python ns) for every case, with fd 1 on /dev/null."""
    sys.stdout.flush()
    saved = os.dup(1)
    null = os.open(os.devnull, os.O_WRONLY)
    os.dup2(null, 1)
    try:
        return [
            (ns_per_call(getattr(Calvune, name), args), ns_per_call(py, args))
            for name, args, py in CASES
        ]
    finally:
        os.dup2(saved, 1)
        os.close(saved)
        os.close(null)


def writes_per_call(name, args, unbuffered, calls=200):
    """write(2) calls on fd 1 per call, counted with strace."""
    code = (
        "import os, Calvune\n"
        f"f, args = Calvune.{name}, {args!r}\n"
        "os.write(2, b'start')\n"
        f"for _ in range({calls}):\n"
        "    f(*args)\n"
    )
    env = dict(os.environ)
    env.pop("PYTHONUNBUFFERED", None)
    if unbuffered:
        env["PYTHONUNBUFFERED"] = "1"
    with tempfile.NamedTemporaryFile("r") as log:
        subprocess.run(
            ["strace", "-e", "trace=write", "-o", log.name, sys.executable, "-c", code],
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
            env=env,
            check=True,
        )
        trace = log.read()
    counted = trace[trace.index('write(2, "start"') :]
    return counted.count("write(1,") / calls


NOTEBOOK_CELL = """
import sys, time, Calvune

def per_call(fn, arg, calls=20_000):
    start = time.perf_counter()
    for _ in range(calls):
        fn(arg)
    return (time.perf_counter() - start) / calls * 1e9

native = per_call(Calvune.is_prime, 97)
python = per_call(print, "It is a prime number")
print(f"@{native:.0f} {python:.0f}", file=sys.stderr)
"""


def notebook_timings():
    """(Calvune ns, print() ns) per call inside a kernel, or None."""
    try:
        from jupyter_client.manager import start_new_kernel
    except ImportError:
        return None
    kernel, client = start_new_kernel(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        client.execute(NOTEBOOK_CELL)
        while True:
            message = client.get_iopub_msg(timeout=300)
            text = message["content"].get("text", "")
            if message["msg_type"] == "stream" and text.startswith("@"):
                return tuple(map(int, text[1:].split()))
    finally:
        client.stop_channels()
        kernel.shutdown_kernel(now=True)


def main():
    strace = shutil.which("strace") is not None
    rows = []
    measured = timings()
    for (name, args, _), (native, python) in zip(CASES, measured, strict=True):
        call = f"{name}({', '.join(map(repr, args))})"
        row = [call, f"{native:.0f}", f"{python:.0f}", f"{python / native:.1f}x"]
        if strace:
            row += [f"{writes_per_call(name, args, u):g}" for u in (False, True)]
        rows.append(row)
    head = ["call", "Calvune ns", "Python ns", "speed-up"]
    if strace:
        head += ["writes", "writes -u"]
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    for row in rows:
        print("| " + " | ".join(row) + " |")
    ratio = measured[3][0] / measured[2][0]
    print(f"\nis_prime(2147483647) costs {ratio:.2f} times is_prime(97)")
    if not strace:
        print("(strace is not installed: write(2) counts left out)")
    notebook = notebook_timings()
    if notebook is not None:
        native, python = notebook
        print(f"\nIn a notebook kernel: is_prime(97) {native} ns per call, print() {python} ns")


if __name__ == "__main__":
    main()
