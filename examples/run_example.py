#!/usr/bin/env python3
"""Runs an example against a simulated governor.

    run_example.py VEKGOV [VEKGOV OPTIONS...] -- COMMAND ARGUMENTS...

Starts VEKGOV, reads the pseudo-terminal path it prints first, runs COMMAND
with every argument "{port}" replaced by that path, stops VEKGOV and exits
with the command's status. Both are bounded by time-outs. Unless
VEKLIB_LIBRARY is set, the command loads the library built in the same tree
as VEKGOV (BUILD/sim/vekgov -> BUILD/src/libVekLib.so.3).
"""
import os
import select
import subprocess
import sys
import time

START_TIMEOUT_S = 30
RUN_TIMEOUT_S = 240
STOP_TIMEOUT_S = 10


def read_device_path(governor):
    """The first line vekgov prints, or None when none comes in time."""
    ready, _, _ = select.select([governor.stdout], [], [], START_TIMEOUT_S)
    if not ready:
        return None
    line = governor.stdout.readline().strip()
    return line or None


def stop(governor):
    governor.terminate()
    try:
        governor.wait(STOP_TIMEOUT_S)
    except subprocess.TimeoutExpired:
        governor.kill()
        governor.wait()


def library_beside(vekgov):
    """The library of the build tree that holds vekgov, or None."""
    tree = os.path.dirname(os.path.dirname(os.path.abspath(vekgov)))
    library = os.path.join(tree, "src", "libVekLib.so.3")
    return library if os.path.exists(library) else None


def run_with_governor(governor_command, command):
    governor = subprocess.Popen(governor_command, stdout=subprocess.PIPE, text=True)
    try:
        port = read_device_path(governor)
        if port is None:
            sys.stderr.write("vekgov printed no device path\n")
            return 1
        command = [argument.replace("{port}", port) for argument in command]
        print("running", " ".join(command), flush=True)
        started = time.monotonic()
        environment = dict(os.environ)
        library = library_beside(governor_command[0])
        if "VEKLIB_LIBRARY" not in environment and library:
            environment["VEKLIB_LIBRARY"] = library
        result = subprocess.run(command, timeout=RUN_TIMEOUT_S, env=environment)
        print("finished with %d after %.1f s" % (result.returncode, time.monotonic() - started), flush=True)
        return result.returncode
    except subprocess.TimeoutExpired:
        sys.stderr.write("the example did not finish within %d s\n" % RUN_TIMEOUT_S)
        return 1
    finally:
        stop(governor)


def main(argv):
    if "--" not in argv:
        sys.stderr.write(__doc__)
        return 2
    split = argv.index("--")
    return run_with_governor(argv[1:split], argv[split + 1:])


if __name__ == "__main__":
    sys.exit(main(sys.argv))
