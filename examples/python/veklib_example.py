#!/usr/bin/env python3
"""Connects to a governor through the veklib package, reads one parameter,
sets it and saves the governor's parameter set as a parameter file.

    veklib_example.py PORT OUTPUT.prm [NUMBER [VALUE]]

Without NUMBER the first parameter (0-1999) of the governor is used; without
VALUE the value read is written back unchanged. The package comes from
`pip install ./python` or from PYTHONPATH=python; VEKLIB_LIBRARY names the
library to load (default: the installed one), VEKLIB_LOG a log file to keep.
"""
import os
import sys

import veklib

BAUD = 9600


def first_parameter(gov):
    for definition in gov.definitions:
        if definition.kind == "parameter":
            return definition
    raise veklib.VekError("find a parameter", ["the governor has no parameters"])


def run(argv):
    with veklib.connect(argv[1], baud=BAUD, log=os.environ.get("VEKLIB_LOG")) as gov:
        print("%u definitions" % len(gov.definitions))
        number = int(argv[3]) if len(argv) > 3 else first_parameter(gov).number
        value = gov.get(number)
        print("parameter %u %s = %s" % (value.number, value.name, value.text))

        text = argv[4] if len(argv) > 4 else value.text
        gov.set(number, text)
        print("parameter %u set to %s" % (number, text))

        gov.save(argv[2])
        print("parameter file %s saved" % argv[2])


def main(argv):
    if len(argv) < 3:
        sys.stderr.write("usage: %s PORT OUTPUT.prm [NUMBER [VALUE]]\n" % argv[0])
        return 2
    try:
        run(argv)
    except KeyError as error:
        sys.stderr.write("no parameter %s\n" % error)
        return 1
    except veklib.VekError as error:
        sys.stderr.write("%s\n" % error)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
