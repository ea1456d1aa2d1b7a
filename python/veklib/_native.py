"""The library's C interface for ctypes: records, callback types, text
conversion and the signatures of the exports the package calls."""
from __future__ import annotations

import ctypes
from typing import Any, Dict, List, Tuple

# Every text is 0-terminated UTF-16 (wchar_t on Windows, char16_t elsewhere),
# so texts travel as arrays of 16-bit units rather than c_wchar_p.
VekChar = ctypes.c_uint16
Text = ctypes.POINTER(VekChar)

# Longest text read from a pointer of unknown length (callback texts).
MAX_TEXT_UNITS = 65536


class VekStruct(ctypes.Structure):
    """The device information record (packed, 2368 bytes)."""

    _pack_ = 1
    _fields_ = [
        ("DeviceKind", ctypes.c_int32),
        ("HardwareMajor", ctypes.c_uint8),
        ("HardwareMinor", ctypes.c_uint8),
        ("HardwareVersion", ctypes.c_uint16),
        ("SoftwareHigh", ctypes.c_uint8),
        ("SoftwareMid", ctypes.c_uint8),
        ("SoftwareLow", ctypes.c_uint8),
        ("SoftwareVersion", ctypes.c_uint32),
        ("UserVersion", ctypes.c_uint16),
        ("SerialDate", VekChar * 10),
        ("SerialNumber", VekChar * 10),
        ("PpsNumber", VekChar * 20),
        ("BoardNumber", VekChar * 20),
        ("IntCodeTable", (ctypes.c_int32 * 2) * 256),
        ("IntCodeCount", ctypes.c_uint16),
        ("Features", ctypes.c_uint16),
        ("ErrorMemoryFormat", ctypes.c_uint16),
        ("ErrorMemoryAux", ctypes.c_uint16),
        ("ErrorArgCount", ctypes.c_uint16),
        ("ErrorArgIds", ctypes.c_uint32 * 16),
        ("ErrorsCurrent", ctypes.c_uint8),
        ("ChecksumReplyLength", ctypes.c_uint16),
        ("ChecksumReply", ctypes.c_uint8 * 106),
    ]


class ParDef(ctypes.Structure):
    """One parameter definition (packed, 154 bytes)."""

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


class ErrorEntry(ctypes.Structure):
    """One record of the error memory (packed, 86 bytes)."""

    _pack_ = 1
    _fields_ = [
        ("Id", ctypes.c_uint32),
        ("Time1", ctypes.c_uint32),
        ("Time2", ctypes.c_uint32),
        ("Count", ctypes.c_uint16),
        ("Word1", ctypes.c_uint16),
        ("Word2", ctypes.c_uint16),
        ("Args", ctypes.c_uint16 * 16),
        ("Word3", ctypes.c_uint16),
        ("Word4", ctypes.c_uint16),
        ("Args2", ctypes.c_uint16 * 16),
    ]


RECORD_SIZES = {VekStruct: 2368, ParDef: 154, ErrorEntry: 86}
for _record, _size in RECORD_SIZES.items():
    assert ctypes.sizeof(_record) == _size, _record.__name__

# Callback slots of VekSetCallback; the library calls them cdecl.
CALLBACK_STATUS = 0
CALLBACK_FIRMWARE_PROGRESS = 1
CALLBACK_PROGRESS = 2
CALLBACK_ERROR = 4
CALLBACK_QUESTION = 5
CALLBACK_IMPORTANT_ERROR = 6

TextCallback = ctypes.CFUNCTYPE(None, ctypes.c_void_p, Text)
ValueCallback = ctypes.CFUNCTYPE(None, ctypes.c_void_p, Text, ctypes.c_uint16)
AnswerCallback = ctypes.CFUNCTYPE(ctypes.c_int32, ctypes.c_void_p, Text)
AnyCallback = ctypes.CFUNCTYPE(None)


def to_vek(text: str) -> Any:
    """A Python string as a 0-terminated UTF-16 buffer."""
    units = text.encode("utf-16-le")
    buffer = (VekChar * (len(units) // 2 + 1))()
    ctypes.memmove(buffer, units, len(units))
    return buffer


def from_units(units: Any) -> str:
    """The text of a UTF-16 array up to its first 0."""
    return bytes(units).decode("utf-16-le", "replace").split("\x00", 1)[0]


def from_pointer(pointer: Any) -> str:
    """The text behind a pointer to 0-terminated UTF-16 (empty for null)."""
    if not pointer:
        return ""
    count = 0
    while count < MAX_TEXT_UNITS and pointer[count] != 0:
        count += 1
    return ctypes.string_at(pointer, count * 2).decode("utf-16-le", "replace")


_u8, _u16, _u32, _i32 = ctypes.c_uint8, ctypes.c_uint16, ctypes.c_uint32, ctypes.c_int32
_double_out = ctypes.POINTER(ctypes.c_double)
_u32_array = ctypes.POINTER(ctypes.c_uint32)

SIGNATURES: Dict[str, Tuple[Any, List[Any]]] = {
    "VekSetCallback": (None, [_u32, AnyCallback]),
    "VekGetVekStruct": (ctypes.POINTER(VekStruct), []),
    "VekGetLastError": (_u32, []),
    "VekSetLogFile": (_i32, [Text]),
    "VekInit": (_i32, []),
    "VekClose": (_i32, []),
    "VekInBootstrapMode": (_i32, []),
    "VekConfigureSerialStream": (_i32, [Text, _u32]),
    "VekGetParDefNum": (_u32, []),
    "VekGetParDef": (ctypes.POINTER(ParDef), [_u32]),
    "VekGetParDefByIndex": (ctypes.POINTER(ParDef), [_u32]),
    "VekReadAllParDef": (_i32, []),
    "VekFindParDefByName": (ctypes.POINTER(ParDef), [Text, _u32]),
    "VekReadRawValue": (_i32, [_u32]),
    "VekGetValue": (_i32, [_u32, Text, _u16]),
    "VekSetValue": (_i32, [_u32, Text]),
    "VekFormatValue": (_i32, [_u32, ctypes.c_double, Text, _u16]),
    "VekGetRealValue": (_i32, [_u32, _double_out]),
    "VekSetTimedList": (_i32, [_u8, _u32, _u32_array]),
    "VekReadTimedList": (_i32, [_u8, ctypes.POINTER(_u32), _double_out]),
    "VekReadAllValues": (_i32, []),
    "VekUploadPrmFileExt": (_i32, [Text, _i32, _i32]),
    "VekDownloadPrmFile": (_i32, [Text]),
    "VekUploadFirmwareFromFile": (_i32, [Text]),
    "VekReadActualErrors": (_i32, []),
    "VekGetPendingErrorsNum": (_u32, []),
    "VekGetPendingErrorId": (_u32, [_u32]),
    "VekGetPendingErrorOldValue": (_u16, [_u32]),
    "VekReadErrorMemory": (_i32, []),
    "VekGetErrorEntriesNum": (_u32, []),
    "VekGetErrorEntryByIndex": (ctypes.POINTER(ErrorEntry), [_u32]),
}


def declare(library: Any) -> Any:
    """Gives the exports the package calls their C signatures."""
    for name, (result, arguments) in SIGNATURES.items():
        function = getattr(library, name)
        function.restype = result
        function.argtypes = arguments
    return library
