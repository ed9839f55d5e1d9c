"""Check that the release builds the 32 wheels, each exactly once.

cibuildwheel lists the identifiers it would build from pyproject.toml: once for
each platform as configured, and once for each entry of the release workflow's
matrix, as that entry's runner builds them with its CIBW_ARCHS. The configured
list and the union of the entries must both be the 32 wheels, and no two
entries may build the same one.

    python .ci/wheel_matrix.py CIBUILDWHEEL
"""

import itertools
import os
import subprocess
import sys
from collections import Counter
from pathlib import Path

import yaml

PYTHONS = ["cp312", "cp313", "cp314", "cp315"]
PLATFORMS = [
    "manylinux_x86_64",
    "manylinux_aarch64",
    "musllinux_x86_64",
    "musllinux_aarch64",
    "macosx_x86_64",
    "macosx_arm64",
    "win_amd64",
    "win_arm64",
]
EXPECTED = {f"{python}-{platform}" for python, platform in itertools.product(PYTHONS, PLATFORMS)}
RUNNER_PLATFORMS = {"ubuntu": "linux", "macos": "macos", "windows": "windows"}


def identifiers(cibuildwheel, platform, archs=None):
    env = dict(os.environ)
    if archs is not None:
        env["CIBW_ARCHS"] = archs
    listed = subprocess.run(
        [cibuildwheel, "--print-build-identifiers", "--platform", platform],
        env=env,
        capture_output=True,
        text=True,
        check=True,
    )
    return listed.stdout.split()


def failures(name, found):
    counts = Counter(found)
    twice = sorted(i for i, n in counts.items() if n > 1)
    missing = sorted(EXPECTED - counts.keys())
    extra = sorted(counts.keys() - EXPECTED)
    return [
        f"{name}: {what}: {' '.join(ids)}"
        for what, ids in [("built twice", twice), ("missing", missing), ("not expected", extra)]
        if ids
    ]


def main(cibuildwheel):
    configured = [i for p in RUNNER_PLATFORMS.values() for i in identifiers(cibuildwheel, p)]
    problems = failures("as configured", configured)

    workflow = yaml.safe_load(Path(".github/workflows/release.yml").read_text())
    split = []
    for entry in workflow["jobs"]["wheels"]["strategy"]["matrix"]["include"]:
        platform = RUNNER_PLATFORMS[entry["runner"].split("-")[0]]
        built = identifiers(cibuildwheel, platform, entry["archs"])
        print(f"{entry['runner']} with CIBW_ARCHS={entry['archs']}: {len(built)} wheels")
        split += built
    problems += failures("split by runner", split)

    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        sys.exit(1)
    print(f"{len(split)} wheel identifiers, each built by one runner, as expected")


if __name__ == "__main__":
    main(sys.argv[1])
