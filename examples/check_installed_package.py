#!/usr/bin/env python3
"""Installs the build tree into a temporary prefix, builds the C++ example
against the installed package and runs it against a simulated governor.

    check_installed_package.py CMAKE BUILD_DIR EXAMPLE_SOURCE_DIR WORK_DIR
"""
import os
import shutil
import subprocess
import sys

import run_example

STEP_TIMEOUT_S = 600


def step(command, **options):
    print("$", " ".join(command), flush=True)
    subprocess.run(command, check=True, timeout=STEP_TIMEOUT_S, **options)


def check_pkg_config(prefix):
    """The installed veklib.pc names the installed header and library."""
    pkg_config = shutil.which("pkg-config")
    if not pkg_config:
        return
    pc_dirs = [os.path.join(root) for root, _, files in os.walk(prefix) if "veklib.pc" in files]
    environment = dict(os.environ, PKG_CONFIG_PATH=os.pathsep.join(pc_dirs))
    flags = subprocess.run([pkg_config, "--cflags", "--libs", "veklib"], env=environment, check=True,
                           capture_output=True, text=True, timeout=STEP_TIMEOUT_S).stdout
    print("pkg-config:", flags.strip())
    for flag in flags.split():
        if flag.startswith(("-I", "-L")) and not os.path.realpath(flag[2:]).startswith(os.path.realpath(prefix)):
            raise RuntimeError("veklib.pc points outside the prefix: " + flag)


def main(argv):
    if len(argv) != 5:
        sys.stderr.write(__doc__)
        return 2
    cmake, build_dir, example_dir, work_dir = argv[1:]
    shutil.rmtree(work_dir, ignore_errors=True)
    prefix = os.path.join(work_dir, "prefix")
    example_build = os.path.join(work_dir, "example")
    step([cmake, "--install", build_dir, "--prefix", prefix])
    check_pkg_config(prefix)
    step([cmake, "-S", example_dir, "-B", example_build, "-DCMAKE_PREFIX_PATH=" + prefix])
    step([cmake, "--build", example_build])
    vekgov = os.path.join(prefix, "bin", "vekgov")
    example = os.path.join(example_build, "veklib_example")
    return run_example.run_with_governor(
        [vekgov], [example, "{port}", os.path.join(work_dir, "example.prm")])


if __name__ == "__main__":
    sys.exit(main(sys.argv))
