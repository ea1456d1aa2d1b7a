"""Finding the library: the architecture check of Windows DLLs and the
errors a user sees when no library loads."""
import struct

import pytest

import veklib
from veklib import _loader

PE_OFFSET = 0x80


def fake_dll(path, machine):
    """The headers of a PE image for the given machine."""
    header = bytearray(PE_OFFSET + 6)
    header[0:2] = b"MZ"
    struct.pack_into("<I", header, 0x3C, PE_OFFSET)
    header[PE_OFFSET:PE_OFFSET + 4] = b"PE\0\0"
    struct.pack_into("<H", header, PE_OFFSET + 4, machine)
    path.write_bytes(bytes(header))
    return str(path)


def test_dll_architecture_mismatch_names_the_dll_needed(tmp_path):
    dll32 = fake_dll(tmp_path / "VekLib32.dll", 0x014C)
    dll64 = fake_dll(tmp_path / "VekLib64.dll", 0x8664)
    assert (_loader.dll_bits(dll32), _loader.dll_bits(dll64)) == (32, 64)
    _loader.check_dll_matches(dll64, 64)
    with pytest.raises(veklib.LibraryError) as mismatch:
        _loader.check_dll_matches(dll32, 64)
    assert "is the 32-bit VekLib.dll, but this Python is 64-bit" in str(mismatch.value)
    assert "VekLib-3.2.6.9-win64.zip" in str(mismatch.value)
    folder32, folder64 = tmp_path / "win32", tmp_path / "win64"
    for folder, machine in ((folder32, 0x014C), (folder64, 0x8664)):
        folder.mkdir()
        fake_dll(folder / "VekLib.dll", machine)
    assert _loader.pick_windows_dll([str(folder32), str(folder64)], 64) == str(folder64 / "VekLib.dll")
    with pytest.raises(veklib.LibraryError, match="win64.zip"):
        _loader.pick_windows_dll(["", str(folder32)], 64)
    assert _loader.pick_windows_dll([str(tmp_path)], 64) is None
    not_a_dll = tmp_path / "notes.txt"
    not_a_dll.write_text("MZ but too short")
    assert _loader.dll_bits(str(not_a_dll)) is None


def test_a_named_library_that_does_not_load_is_reported(tmp_path, monkeypatch):
    missing = str(tmp_path / "libVekLib.so.3")
    monkeypatch.setenv("VEKLIB_LIBRARY", missing)
    with pytest.raises(veklib.LibraryError, match="cannot load VEKLIB_LIBRARY=" + missing):
        _loader.load_library()
