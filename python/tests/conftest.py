"""Fixtures: a simulated governor (vekgov) on a pseudo-terminal, and the
library of the build tree unless VEKLIB_LIBRARY names one.

    VEKGOV=build/debug/sim/vekgov VEKLIB_LIBRARY=build/debug/src/libVekLib.so.3 \
        /usr/bin/python3 -m pytest python/tests
"""
import os
import subprocess
import sys
from pathlib import Path

import pytest

SOURCE_ROOT = Path(__file__).resolve().parents[2]
DEFAULT_BUILD = SOURCE_ROOT / "build" / "debug"

# The package of this tree, not an installed one; the examples' runner
# starts and stops vekgov.
sys.path[:0] = [str(SOURCE_ROOT / "python"), str(SOURCE_ROOT / "examples")]
os.environ.setdefault("VEKLIB_LIBRARY", str(DEFAULT_BUILD / "src" / "libVekLib.so.3"))

import run_example  # noqa: E402 - found through the path above


@pytest.fixture
def governor_port():
    """The pseudo-terminal of a fresh vekgov, stopped after the test."""
    vekgov = os.environ.get("VEKGOV", str(DEFAULT_BUILD / "sim" / "vekgov"))
    process = subprocess.Popen([vekgov], stdout=subprocess.PIPE, text=True)
    try:
        port = run_example.read_device_path(process)
        if port is None:
            pytest.fail("vekgov printed no pseudo-terminal")
        yield port
    finally:
        run_example.stop(process)
