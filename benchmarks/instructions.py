"""User-space instructions per call of each Calvune function, counted by
callgrind: unlike times on a shared machine, these repeat exactly.

Each count is a process making CALLS calls minus the same process making none,
divided by CALLS, with fd 1 on /dev/null and PYTHONHASHSEED=0. Without
arguments it counts the Calvune this Python finds; given folders that each
hold a build of the module, it counts each of them, side by side in one run,
and the change from the first.

    python benchmarks/instructions.py
    python benchmarks/instructions.py old-build/ new-build/
"""

import os
import re
import subprocess
import sys
import tempfile

from bench import CASES

CALLS = 20_000


def instructions(name, args, calls, folder):
    code = (
        f"import Calvune\nf, args = Calvune.{name}, {args!r}\n"
        f"for _ in range({calls}):\n    f(*args)\n"
    )
    env = {k: v for k, v in os.environ.items() if k != "PYTHONUNBUFFERED"}
    env["PYTHONHASHSEED"] = "0"
    if folder is not None:
        env["PYTHONPATH"] = os.path.abspath(folder)
    with tempfile.TemporaryDirectory() as scratch:
        out = os.path.join(scratch, "callgrind.out")
        subprocess.run(
            ["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}"]
            + [sys.executable, "-c", code],
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
            env=env,
            check=True,
        )
        with open(out) as profile:
            return int(re.search(r"^summary: (\d+)", profile.read(), re.M).group(1))


def per_call(name, args, folder):
    return (instructions(name, args, CALLS, folder) - instructions(name, args, 0, folder)) / CALLS


def main(folders):
    builds = folders or [None]
    head = ["call"] + (folders or ["instructions per call"])
    if len(builds) > 1:
        head += [f"change ({build})" for build in folders[1:]]
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    for name, args, _ in CASES:
        counts = [per_call(name, args, folder) for folder in builds]
        row = [f"{name}({', '.join(map(repr, args))})"] + [f"{n:,.0f}" for n in counts]
        row += [f"{(n - counts[0]) / counts[0]:+.2%}" for n in counts[1:]]
        print("| " + " | ".join(row) + " |", flush=True)


if __name__ == "__main__":
    main(sys.argv[1:])
