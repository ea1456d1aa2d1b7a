#!/usr/bin/env python3
"""Connects to a governor through VekLib (ctypes), reads one parameter, sets
it and saves the governor's parameter set as a parameter file.

    veklib_example.py PORT OUTPUT.prm [NUMBER [VALUE]]

Without NUMBER the first parameter (0-1999) of the governor is used; without
VALUE the value read is written back unchanged. The environment variable
VEKLIB_LIBRARY names the library to load (default: the installed one).
"""
import ctypes
import os
import sys

BAUD = 9600
TEXT_CAPACITY = 256
KIND_MODULUS = 10000
PARAMETER_KIND_END = 2000

# Texts are 0-terminated UTF-16 on every system (wchar_t on Windows).
VekChar = ctypes.c_uint16


class ParDef(ctypes.Structure):
    """The library's definition record (packed)."""
    _pack_ = 1
    _fields_ = [
        ("Id", ctypes.c_uint32),
        ("Name", VekChar * 50),
        ("Min", ctypes.c_int32),
        ("Max", ctypes.c_int32),
        ("Unit", VekChar * 8),
        ("IntCode", ctypes.c_uint8),
        ("Format", ctypes.c_uint8),
        ("ArrayIndex", ctypes.c_uint8),
        ("ArrayLength", ctypes.c_uint8),
        ("RealMin", ctypes.c_double),
        ("RealMax", ctypes.c_double),
        ("RawValue", ctypes.c_uint16),
        ("Reserved", ctypes.c_uint8 * 4),
    ]


def to_vek(text):
    """A Python string as a 0-terminated UTF-16 buffer."""
    units = text.encode("utf-16-le")
    buffer = (VekChar * (len(units) // 2 + 1))()
    ctypes.memmove(buffer, units, len(units))
    return buffer


def from_vek(units):
    """A 0-terminated UTF-16 buffer as a Python string."""
    data = bytearray()
    for unit in units:
        if unit == 0:
            break
        data += unit.to_bytes(2, "little")
    return data.decode("utf-16-le", "replace")


def load_library():
    default = "VekLib.dll" if sys.platform == "win32" else "libVekLib.so.3"
    lib = ctypes.CDLL(os.environ.get("VEKLIB_LIBRARY", default))
    text = ctypes.POINTER(VekChar)
    signatures = {
        "VekConfigureSerialStream": (ctypes.c_int32, [text, ctypes.c_uint32]),
        "VekSetLogFile": (ctypes.c_int32, [text]),
        "VekInit": (ctypes.c_int32, []),
        "VekClose": (ctypes.c_int32, []),
        "VekReadAllParDef": (ctypes.c_int32, []),
        "VekGetParDefNum": (ctypes.c_uint32, []),
        "VekGetParDefByIndex": (ctypes.POINTER(ParDef), [ctypes.c_uint32]),
        "VekGetParDef": (ctypes.POINTER(ParDef), [ctypes.c_uint32]),
        "VekReadRawValue": (ctypes.c_int32, [ctypes.c_uint32]),
        "VekGetValue": (ctypes.c_int32, [ctypes.c_uint32, text, ctypes.c_uint16]),
        "VekSetValue": (ctypes.c_int32, [ctypes.c_uint32, text]),
        "VekDownloadPrmFile": (ctypes.c_int32, [text]),
        "VekGetLastError": (ctypes.c_uint32, []),
    }
    for name, (result, arguments) in signatures.items():
        function = getattr(lib, name)
        function.restype = result
        function.argtypes = arguments
    return lib


def check(lib, result, step):
    if not result:
        raise RuntimeError("%s failed (governor status %u)" % (step, lib.VekGetLastError()))


def first_parameter(lib):
    for index in range(lib.VekGetParDefNum()):
        definition = lib.VekGetParDefByIndex(index)
        if definition and definition.contents.Id % KIND_MODULUS < PARAMETER_KIND_END:
            return definition.contents
    raise RuntimeError("the governor has no parameters")


def run(lib, argv):
    if "VEKLIB_LOG" in os.environ:
        lib.VekSetLogFile(to_vek(os.environ["VEKLIB_LOG"]))
    check(lib, lib.VekConfigureSerialStream(to_vek(argv[1]), BAUD), "VekConfigureSerialStream")
    check(lib, lib.VekInit(), "VekInit")
    try:
        check(lib, lib.VekReadAllParDef(), "VekReadAllParDef")
        print("%u definitions" % lib.VekGetParDefNum())

        if len(argv) > 3:
            pointer = lib.VekGetParDef(int(argv[3]))
            if not pointer:
                raise RuntimeError("no parameter %s" % argv[3])
            definition = pointer.contents
        else:
            definition = first_parameter(lib)
        number = definition.Id
        check(lib, lib.VekReadRawValue(number), "VekReadRawValue")
        text = (VekChar * TEXT_CAPACITY)()
        check(lib, lib.VekGetValue(number, text, TEXT_CAPACITY), "VekGetValue")
        print("parameter %u %s = %s" % (number, from_vek(definition.Name), from_vek(text)))

        value = argv[4] if len(argv) > 4 else from_vek(text)
        check(lib, lib.VekSetValue(number, to_vek(value)), "VekSetValue")
        print("parameter %u set to %s" % (number, value))

        check(lib, lib.VekDownloadPrmFile(to_vek(argv[2])), "VekDownloadPrmFile")
        print("parameter file %s saved" % argv[2])
    finally:
        lib.VekClose()


def main(argv):
    if len(argv) < 3:
        sys.stderr.write("usage: %s PORT OUTPUT.prm [NUMBER [VALUE]]\n" % argv[0])
        return 2
    try:
        run(load_library(), argv)
    except (OSError, RuntimeError) as error:
        sys.stderr.write("%s\n" % error)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
