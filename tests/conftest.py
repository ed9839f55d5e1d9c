import os
import sys
from pathlib import Path

import pytest
from hypothesis import HealthCheck, settings

sys.path.insert(0, str(Path(__file__).parent))

from model import normalize_nan  # noqa: E402

# The capture fixture below drains fd 1 before every call, so sharing it
# between generated inputs is safe.
settings.register_profile(
    "calvune", suppress_health_check=[HealthCheck.function_scoped_fixture], deadline=None
)
# A longer search, for runs by hand: HYPOTHESIS_PROFILE=thorough pytest
settings.register_profile("thorough", parent=settings.get_profile("calvune"), max_examples=5000)
settings.load_profile(os.environ.get("HYPOTHESIS_PROFILE", "calvune"))


@pytest.fixture
def run(capfdbinary):
    """Call a function and return (its result, the text it wrote to fd 1)."""
    capfdbinary.readouterr()

    def call(fn, *args, **kwargs):
        result = fn(*args, **kwargs)
        text = capfdbinary.readouterr().out.decode()
        return result, normalize_nan(text)

    return call
