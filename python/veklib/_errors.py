"""The exceptions of the package."""
from __future__ import annotations

from typing import Sequence


class VekError(Exception):
    """A library call failed.

    ``operation`` names the call, ``reason`` holds the lines the library
    logged for it (empty when it logged none), ``status`` the governor's last
    status word."""

    def __init__(self, operation: str, reason_lines: Sequence[str] = (), status: int = 0):
        self.operation = operation
        self.reason_lines = tuple(reason_lines)
        self.reason = "\n".join(self.reason_lines)
        self.status = status
        detail = self.reason or f"the library logged no reason (governor status 0x{status:04X})"
        super().__init__(f"{operation} failed: {detail}")


class LibraryError(VekError):
    """The library cannot be loaded, or is built for another architecture."""

    def __init__(self, message: str):
        super().__init__("loading VekLib", (message,))
