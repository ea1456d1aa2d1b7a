"""Finds and loads the VekLib shared library: VEKLIB_LIBRARY first, then the
installed library, then a build of the source tree this package sits in."""
from __future__ import annotations

import ctypes
import os
import struct
import sys
from pathlib import Path
from typing import List, Optional, Sequence

from ._errors import LibraryError

ENVIRONMENT_VARIABLE = "VEKLIB_LIBRARY"
VERSION = "3.2.6.9"
POSIX_NAME = "libVekLib.so.3"
WINDOWS_NAME = "VekLib.dll"
# Build folders of the source tree, the release build first.
BUILD_FOLDERS = ("release", "debug")

# The machine field of a PE image names its architecture.
PE_MACHINE_BITS = {0x014C: 32, 0x8664: 64}
DOS_SIGNATURE = b"MZ"
PE_SIGNATURE = b"PE\0\0"
PE_OFFSET_FIELD = 0x3C


def python_bits() -> int:
    """32 or 64: the pointer width of this Python."""
    return struct.calcsize("P") * 8


def dll_bits(path: str) -> Optional[int]:
    """32 or 64 for a Windows DLL of one of those architectures, else None."""
    try:
        with open(path, "rb") as file:
            header = file.read(PE_OFFSET_FIELD + 4)
            if len(header) < PE_OFFSET_FIELD + 4 or header[:2] != DOS_SIGNATURE:
                return None
            (pe_offset,) = struct.unpack_from("<I", header, PE_OFFSET_FIELD)
            file.seek(pe_offset)
            signature = file.read(6)
    except OSError:
        return None
    if len(signature) < 6 or signature[:4] != PE_SIGNATURE:
        return None
    (machine,) = struct.unpack_from("<H", signature, 4)
    return PE_MACHINE_BITS.get(machine)


def check_dll_matches(path: str, bits: int) -> None:
    """Raises LibraryError when the DLL at path is not built for a Python of
    the given pointer width."""
    found = dll_bits(path)
    if found is not None and found != bits:
        raise LibraryError(
            f"{path} is the {found}-bit {WINDOWS_NAME}, but this Python is {bits}-bit: "
            f"it needs the {bits}-bit {WINDOWS_NAME} of VekLib-{VERSION}-win{bits}.zip"
        )


def pick_windows_dll(folders: Sequence[str], bits: int) -> Optional[str]:
    """The first VekLib.dll in folders (those of PATH) built for a Python of
    the given pointer width; LibraryError naming the DLL needed when only
    one of the other width is there; None when there is none."""
    found = [str(Path(folder) / WINDOWS_NAME) for folder in folders
             if folder and (Path(folder) / WINDOWS_NAME).is_file()]
    for path in found:
        if dll_bits(path) == bits:
            return path
    for path in found:
        check_dll_matches(path, bits)
    return None


def _source_tree_candidates() -> List[Path]:
    """Library files of the builds next to this package, if it sits in the
    source tree (python/veklib)."""
    root = Path(__file__).resolve().parent.parent.parent
    if not (root / "include" / "VekLib.h").is_file():
        return []
    name = WINDOWS_NAME if sys.platform == "win32" else POSIX_NAME
    return [root / "build" / folder / "src" / name for folder in BUILD_FOLDERS]


# What Windows says when a DLL of the other architecture is loaded.
WINDOWS_BAD_IMAGE = 193


def _load(path: str) -> ctypes.CDLL:
    bits = python_bits()
    if sys.platform == "win32":
        check_dll_matches(path, bits)
    try:
        # The exports are cdecl on every system, which is what CDLL calls.
        return ctypes.CDLL(path)
    except OSError as error:
        if getattr(error, "winerror", None) == WINDOWS_BAD_IMAGE:
            raise LibraryError(
                f"{path} is not a {bits}-bit DLL: this {bits}-bit Python needs the "
                f"{bits}-bit {WINDOWS_NAME} of VekLib-{VERSION}-win{bits}.zip"
            ) from error
        raise


def load_library() -> ctypes.CDLL:
    """The loaded library; LibraryError names what was tried when none loads."""
    named = os.environ.get(ENVIRONMENT_VARIABLE)
    if named:
        try:
            return _load(named)
        except OSError as error:
            raise LibraryError(f"cannot load {ENVIRONMENT_VARIABLE}={named}: {error}") from error

    if sys.platform == "win32":
        # Windows no longer searches PATH for a DLL named without a folder.
        folders = os.environ.get("PATH", "").split(os.pathsep)
        installed = pick_windows_dll(folders, python_bits()) or WINDOWS_NAME
    else:
        installed = POSIX_NAME
    tried = [installed]
    try:
        return _load(installed)
    except OSError:
        pass
    for candidate in _source_tree_candidates():
        tried.append(str(candidate))
        if candidate.is_file():
            return _load(str(candidate))
    raise LibraryError(
        "cannot find the VekLib library (tried " + ", ".join(tried) + "); install it "
        f"or name it in {ENVIRONMENT_VARIABLE}"
    )
