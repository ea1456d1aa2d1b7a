"""veklib: talk to a digital engine speed governor through the VekLib library.

    import veklib
    with veklib.connect("/dev/ttyUSB0", baud=115200) as gov:
        print(gov.info, gov.get("IdleSpeed"))

connect() opens the one connection the library holds per process; every
failed call raises VekError, whose reason holds the library's log lines for
that call."""
from ._errors import LibraryError, VekError
from .governor import Definitions, Governor, connect
from .records import (Definition, DeviceInfo, ErrorMemoryEntry, PendingError, Sample, Value)

__version__ = "3.2.6.9"

__all__ = [
    "connect", "Governor", "Definitions", "VekError", "LibraryError", "Definition",
    "DeviceInfo", "ErrorMemoryEntry", "PendingError", "Sample", "Value",
]
