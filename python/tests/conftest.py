"""Fixtures: a simulated governor (vekgov) on a pseudo-terminal, and the
library of the build tree unless VEKLIB_LIBRARY names one.

    VEKGOV=build/debug/sim/vekgov VEKLIB_LIBRARY=build/debug/src/libVekLib.so.3 \
        /usr/bin/python3 -m pytest python/tests
"""
import os
import select
import subprocess
import sys
from pathlib import Path

import pytest

SOURCE_ROOT = Path(__file__).resolve().parents[2]
DEFAULT_BUILD = SOURCE_ROOT / "build" / "debug"
START_TIMEOUT_S = 30
STOP_TIMEOUT_S = 10

# The package of this tree, not an installed one.
sys.path.insert(0, str(SOURCE_ROOT / "python"))
os.environ.setdefault("VEKLIB_LIBRARY", str(DEFAULT_BUILD / "src" / "libVekLib.so.3"))


@pytest.fixture
def governor_port():
    """The pseudo-terminal of a fresh vekgov, stopped after the test."""
    vekgov = os.environ.get("VEKGOV", str(DEFAULT_BUILD / "sim" / "vekgov"))
    process = subprocess.Popen([vekgov], stdout=subprocess.PIPE, text=True)
    try:
        ready, _, _ = select.select([process.stdout], [], [], START_TIMEOUT_S)
        port = process.stdout.readline().strip() if ready else ""
        if not port:
            pytest.fail("vekgov printed no pseudo-terminal")
        yield port
    finally:
        process.terminate()
        try:
            process.wait(STOP_TIMEOUT_S)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
