"""Library calls with the library's reason on failure, and the callback
trampolines through which the library reaches Python callables.

The library logs one line per failure to its log file; the runner notes the
file's length before each call and, when the call fails, reads the lines
added since. Exceptions raised in a Python callback never cross into the C
code: the trampoline keeps the first one and the runner raises it once the
library call has returned."""
from __future__ import annotations

import ctypes
import os
import re
from typing import Any, Callable, Dict, List, Optional

from . import _native
from ._errors import VekError

# "06.12.26 19:23:05: " before every log line.
LOG_STAMP = re.compile(r"^\d{2}\.\d{2}\.\d{2} \d{2}:\d{2}:\d{2}: ")
# The log file is 8-bit text, one byte per character up to 255.
LOG_ENCODING = "latin-1"

# Optional Python handlers, by callback slot.
Handler = Callable[..., Any]


class CallRunner:
    """Runs library calls for one connection; owns the installed callbacks."""

    def __init__(self, library: Any, log_path: str):
        self.library = library
        self.log_path = log_path
        self.handlers: Dict[int, Optional[Handler]] = {}
        self._kept: Optional[BaseException] = None
        self._error_texts: List[str] = []
        self._trampolines = self._make_trampolines()
        for slot, trampoline in self._trampolines.items():
            library.VekSetCallback(slot, ctypes.cast(trampoline, _native.AnyCallback))
        # The library opens (and empties) the file at its next line.
        library.VekSetLogFile(_native.to_vek(log_path))

    def detach(self) -> None:
        """Empties the callback slots and closes the log file."""
        for slot in self._trampolines:
            self.library.VekSetCallback(slot, _native.AnyCallback())
        self.library.VekSetLogFile(_native.to_vek(""))

    def call(self, operation: str, function: Callable[..., Any], *arguments: Any,
             succeeded: Callable[[Any], bool] = bool) -> Any:
        """function(*arguments); VekError with the logged reason when
        succeeded(result) is false, or the callback's own exception."""
        start = self._log_length()
        self._kept = None
        self._error_texts = []
        result = function(*arguments)
        kept, self._kept = self._kept, None
        if kept is not None:
            raise kept
        if not succeeded(result):
            raise VekError(operation, self._reason(start), self.library.VekGetLastError())
        return result

    def _log_length(self) -> int:
        try:
            return os.path.getsize(self.log_path)
        except OSError:
            return 0

    def _reason(self, start: int) -> List[str]:
        try:
            with open(self.log_path, "rb") as file:
                if os.fstat(file.fileno()).st_size >= start:
                    file.seek(start)
                data = file.read()
        except OSError:
            data = b""
        lines = [LOG_STAMP.sub("", line) for line in data.decode(LOG_ENCODING).splitlines()]
        lines = [line for line in lines if line]
        return lines + [text for text in self._error_texts if text not in lines]

    def _guarded(self, slot: int, default: Any, body: Callable[..., Any]) -> Callable[..., Any]:
        """A trampoline body that keeps the first exception and then answers default."""

        def run(*arguments: Any) -> Any:
            try:
                return body(self.handlers.get(slot), *arguments)
            except BaseException as error:  # noqa: B902 - re-raised after the call
                if self._kept is None:
                    self._kept = error
                return default

        return run

    def _make_trampolines(self) -> Dict[int, Any]:
        def text_only(handler: Optional[Handler], _user: Any, text: Any) -> None:
            if handler:
                handler(_native.from_pointer(text))

        def with_value(handler: Optional[Handler], _user: Any, text: Any, value: int) -> None:
            if handler:
                handler(_native.from_pointer(text), value)

        def noted(_handler: Optional[Handler], _user: Any, text: Any) -> int:
            self._error_texts.append(_native.from_pointer(text))
            return 0

        def question(handler: Optional[Handler], _user: Any, text: Any) -> int:
            return 1 if handler and handler(_native.from_pointer(text)) else 0

        guarded = self._guarded
        return {
            _native.CALLBACK_STATUS: _native.TextCallback(
                guarded(_native.CALLBACK_STATUS, None, text_only)),
            _native.CALLBACK_FIRMWARE_PROGRESS: _native.ValueCallback(
                guarded(_native.CALLBACK_FIRMWARE_PROGRESS, None, with_value)),
            _native.CALLBACK_PROGRESS: _native.ValueCallback(
                guarded(_native.CALLBACK_PROGRESS, None, with_value)),
            _native.CALLBACK_ERROR: _native.TextCallback(
                guarded(_native.CALLBACK_ERROR, None, noted)),
            _native.CALLBACK_QUESTION: _native.AnswerCallback(
                guarded(_native.CALLBACK_QUESTION, 0, question)),
            _native.CALLBACK_IMPORTANT_ERROR: _native.AnswerCallback(
                guarded(_native.CALLBACK_IMPORTANT_ERROR, 0, noted)),
        }
