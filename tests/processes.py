"""The one way the tests run Python code in a child process."""

import subprocess
import sys
import tempfile
import textwrap
from pathlib import Path


def python(source, *, env=None, flags=(), prefix=(), executable=sys.executable, stdout=None):
    """Run source as a script file, which multiprocessing's spawn can re-import."""
    with tempfile.TemporaryDirectory() as folder:
        script = Path(folder, "script.py")
        script.write_text(textwrap.dedent(source))
        return subprocess.run(
            [*prefix, executable, *flags, str(script)],
            stdout=subprocess.PIPE if stdout is None else stdout,
            stderr=subprocess.PIPE,
            text=True,
            env=env,
            timeout=600,
        )
