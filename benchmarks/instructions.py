"""User-space instructions per call of each Calvune function, counted by
callgrind: unlike times on a shared machine, these repeat exactly.

Each count is a process making CALLS calls minus the same process making none,
divided by CALLS, with fd 1 on /dev/null and PYTHONHASHSEED=0. The Calvune
imported is the one this Python finds (set PYTHONPATH to compare another
build).

    python benchmarks/instructions.py
"""

import os
import re
import subprocess
import sys
import tempfile

from bench import CASES

CALLS = 20_000


def instructions(name, args, calls):
    code = (
        f"import Calvune\nf, args = Calvune.{name}, {args!r}\n"
        f"for _ in range({calls}):\n    f(*args)\n"
    )
    env = {k: v for k, v in os.environ.items() if k != "PYTHONUNBUFFERED"}
    env["PYTHONHASHSEED"] = "0"
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "callgrind.out")
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


def main():
    print("| call | instructions per call |")
    print("|---|---|")
    for name, args, _ in CASES:
        per_call = (instructions(name, args, CALLS) - instructions(name, args, 0)) / CALLS
        print(f"| {name}({', '.join(map(repr, args))}) | {per_call:,.0f} |", flush=True)


if __name__ == "__main__":
    main()
