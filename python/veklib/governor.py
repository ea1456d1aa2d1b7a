"""The connection to one governor: connect() and the Governor it returns."""
from __future__ import annotations

import ctypes
import os
import tempfile
import threading
import time
from typing import (Any, Callable, Iterator, List, Optional, Sequence, Union)

from . import _native
from ._calls import CallRunner
from ._errors import VekError
from ._loader import load_library
from .records import (Definition, DeviceInfo, ErrorMemoryEntry, PendingError, Sample, Value)

Key = Union[int, str]
TextHandler = Callable[[str], Any]
ProgressHandler = Callable[[str, float], Any]

DEFAULT_BAUD = 115200
ALL_KINDS = 0xFF
TEXT_CAPACITY = 256
# The timed list a reconnection configures again, and how many values it takes.
WATCH_LIST = 0
WATCH_MAX_VALUES = 16
PERMILLE = 1000.0
# The group reads answer 0 for success.
GROUP_READ_OK = 0

# The library keeps one connection per process.
_open_lock = threading.Lock()
_open_governor: Optional["Governor"] = None
_library: Any = None


def _shared_library() -> Any:
    global _library
    if _library is None:
        _library = _native.declare(load_library())
    return _library


class Definitions:
    """The governor's definitions, by number (int) and by name (str, any
    case); iterating gives every Definition in the library's order."""

    def __init__(self, library: Any):
        self._library = library

    def __len__(self) -> int:
        return self._library.VekGetParDefNum()

    def __iter__(self) -> Iterator[Definition]:
        for index in range(len(self)):
            pointer = self._library.VekGetParDefByIndex(index)
            if pointer:
                yield Definition.from_record(pointer.contents)

    def __contains__(self, key: object) -> bool:
        return isinstance(key, (int, str)) and self._find(key) is not None

    def __getitem__(self, key: Key) -> Definition:
        pointer = self._find(key)
        if pointer is None:
            raise KeyError(key)
        return Definition.from_record(pointer.contents)

    def record(self, key: Key) -> Any:
        """The library's own record (read in place); KeyError when unknown."""
        pointer = self._find(key)
        if pointer is None:
            raise KeyError(key)
        return pointer.contents

    def _find(self, key: Key) -> Any:
        if isinstance(key, bool) or not isinstance(key, (int, str)):
            raise TypeError(f"a definition is named by its number or name, not {key!r}")
        if isinstance(key, int):
            pointer = self._library.VekGetParDef(key) if 0 <= key <= 0xFFFFFFFF else None
        else:
            pointer = self._library.VekFindParDefByName(_native.to_vek(key), ALL_KINDS)
        return pointer if pointer else None


class Governor:
    """An open connection; use it as a context manager, or call close()."""

    def __init__(self, library: Any, runner: CallRunner, own_log: bool):
        self._library = library
        self._runner = runner
        self._own_log = own_log
        self._open = True
        self._definitions_downloaded = False

    # -- lifetime ---------------------------------------------------------

    def __enter__(self) -> "Governor":
        return self

    def __exit__(self, *exc_info: Any) -> None:
        self.close()

    def close(self) -> None:
        """Closes the line (VekClose); a closed Governor may be closed again."""
        global _open_governor
        if not self._open:
            return
        self._open = False
        try:
            self._library.VekClose()
        finally:
            self._runner.detach()
            if self._own_log:
                _remove_quietly(self._runner.log_path)
            with _open_lock:
                _open_governor = None

    @property
    def is_open(self) -> bool:
        return self._open

    # -- device and definitions -------------------------------------------

    @property
    def info(self) -> DeviceInfo:
        """The device record: kind, versions, identification, features."""
        self._check_open()
        record = self._library.VekGetVekStruct().contents
        return DeviceInfo.from_record(record, bool(self._library.VekInBootstrapMode()))

    @property
    def definitions(self) -> Definitions:
        """All definitions, downloaded from the governor at the first use."""
        self._ensure_definitions()
        return Definitions(self._library)

    def download_definitions(self, progress: Optional[ProgressHandler] = None) -> None:
        """Downloads the definitions again; progress(text, fraction) follows it."""
        self._check_open()
        self._library.VekClearParDefs()
        self._definitions_downloaded = False
        with self._handler(_native.CALLBACK_PROGRESS, _per_mille(progress)):
            self._call("download definitions", self._library.VekReadAllParDef)
        self._definitions_downloaded = True

    # -- values -----------------------------------------------------------

    def get(self, key: Key) -> Value:
        """Reads one value from the governor."""
        record = self.definitions.record(key)
        number = record.Id
        self._call(f"read {_label(record)}", self._library.VekReadRawValue, number)
        return self._cached_value(record)

    def set(self, key: Key, text: Union[str, int, float]) -> Value:
        """Sets one value from its text (checked and written by the library)."""
        record = self.definitions.record(key)
        self._call(f"set {_label(record)} to {text}", self._library.VekSetValue, record.Id,
                   _native.to_vek(str(text)))
        return self._cached_value(record)

    def watch(self, keys: Sequence[Key], interval: float = 0.5,
              count: Optional[int] = None) -> Iterator[Sample]:
        """Samples up to 16 values through a timed list, every interval
        seconds, count times (None: until the caller stops)."""
        if not 1 <= len(keys) <= WATCH_MAX_VALUES:
            raise ValueError(f"watch takes 1 to {WATCH_MAX_VALUES} values, not {len(keys)}")
        numbers = [self.definitions.record(key).Id for key in keys]
        ids = (ctypes.c_uint32 * len(numbers))(*numbers)
        self._call("set up the timed list", self._library.VekSetTimedList, WATCH_LIST,
                   len(numbers), ids)
        values = (ctypes.c_double * len(numbers))()
        stamp = ctypes.c_uint32()
        taken = 0
        while count is None or taken < count:
            if taken:
                time.sleep(interval)
            self._call("read the timed list", self._library.VekReadTimedList, WATCH_LIST,
                       ctypes.byref(stamp), values)
            taken += 1
            yield Sample(stamp.value, tuple(values))

    # -- parameter files --------------------------------------------------

    def save(self, path: Union[str, "os.PathLike[str]"]) -> None:
        """Saves the governor's parameter set as a parameter file."""
        self._ensure_definitions()
        self._call(f"save {path}", self._library.VekDownloadPrmFile, _native.to_vek(os.fspath(path)))

    def load(self, path: Union[str, "os.PathLike[str]"], merge: Optional[TextHandler] = None,
             include_measurements: bool = False) -> None:
        """Loads a parameter file into the governor, all or nothing.

        The governor's values are read first, so that a parameter the file
        does not name keeps its value. With merge, a line whose number and
        name do not match a definition is matched by name once
        merge(question) returns true."""
        self._ensure_definitions()
        self._call("read the values before loading", self._library.VekReadAllValues,
                   succeeded=lambda result: result == GROUP_READ_OK)
        with self._handler(_native.CALLBACK_QUESTION, merge):
            self._call(f"load {path}", self._library.VekUploadPrmFileExt,
                       _native.to_vek(os.fspath(path)), int(include_measurements), int(merge is not None))

    # -- errors and firmware ----------------------------------------------

    def errors(self) -> List[PendingError]:
        """The errors active on the governor now."""
        definitions = self.definitions
        self._call("read the actual errors", self._library.VekReadActualErrors)
        pending = []
        for index in range(self._library.VekGetPendingErrorsNum()):
            number = self._library.VekGetPendingErrorId(index)
            record = definitions.record(number)
            pending.append(PendingError(number, _native.from_units(record.Name), record.RawValue,
                                        self._library.VekGetPendingErrorOldValue(index)))
        return pending

    def error_memory(self) -> List[ErrorMemoryEntry]:
        """The records of the governor's error memory."""
        self._ensure_definitions()
        self._call("read the error memory", self._library.VekReadErrorMemory)
        entries = []
        for index in range(self._library.VekGetErrorEntriesNum()):
            pointer = self._library.VekGetErrorEntryByIndex(index)
            if pointer:
                entries.append(ErrorMemoryEntry.from_record(pointer.contents))
        return entries

    def upload_firmware(self, path: Union[str, "os.PathLike[str]"],
                        progress: Optional[ProgressHandler] = None) -> None:
        """Erases the firmware, uploads the image and waits for the restart;
        progress(text, fraction) follows the upload."""
        self._check_open()
        with self._handler(_native.CALLBACK_FIRMWARE_PROGRESS, _per_mille(progress)):
            self._call(f"upload firmware {path}", self._library.VekUploadFirmwareFromFile,
                       _native.to_vek(os.fspath(path)))
        # The governor restarted with new firmware: its definitions may differ.
        self._library.VekClearParDefs()
        self._definitions_downloaded = False

    # -- helpers ----------------------------------------------------------

    def _ensure_definitions(self) -> None:
        self._check_open()
        if not self._definitions_downloaded:
            self.download_definitions()

    def _check_open(self) -> None:
        if not self._open:
            raise VekError("using a closed connection", ("the connection was closed",))

    def _call(self, operation: str, function: Callable[..., Any], *arguments: Any,
              succeeded: Callable[[Any], bool] = bool) -> Any:
        self._check_open()
        return self._runner.call(operation, function, *arguments, succeeded=succeeded)

    def _handler(self, slot: int, handler: Optional[Callable[..., Any]]) -> "_HandlerScope":
        return _HandlerScope(self._runner, slot, handler)

    def _cached_value(self, record: Any) -> Value:
        number = record.Id
        text = (_native.VekChar * TEXT_CAPACITY)()
        self._call(f"format {_label(record)}", self._library.VekGetValue, number, text, TEXT_CAPACITY)
        real = ctypes.c_double()
        self._call(f"convert {_label(record)}", self._library.VekGetRealValue, number, ctypes.byref(real))
        return Value(number, _native.from_units(record.Name), _native.from_units(text), real.value,
                     record.RawValue, _native.from_units(record.Unit))


class _HandlerScope:
    """Installs a Python handler into a callback slot for one call."""

    def __init__(self, runner: CallRunner, slot: int, handler: Optional[Callable[..., Any]]):
        self._runner, self._slot, self._handler = runner, slot, handler

    def __enter__(self) -> None:
        self._runner.handlers[self._slot] = self._handler

    def __exit__(self, *exc_info: Any) -> None:
        self._runner.handlers[self._slot] = None


def _per_mille(progress: Optional[ProgressHandler]) -> Optional[Callable[[str, int], Any]]:
    if progress is None:
        return None
    return lambda text, value: progress(text, value / PERMILLE)


def _label(record: Any) -> str:
    return f"{record.Id} {_native.from_units(record.Name)}"


def _remove_quietly(path: str) -> None:
    try:
        os.remove(path)
    except OSError:
        pass


def connect(port: str, baud: int = DEFAULT_BAUD, *, log: Optional[str] = None,
            status: Optional[TextHandler] = None) -> Governor:
    """Connects to the governor on port (VekConfigureSerialStream, VekInit).

    log names a log file of the library to keep (default: a temporary one,
    removed at close); status(text) receives the library's status lines.
    The library holds one connection per process: VekError while another
    is open."""
    global _open_governor
    library = _shared_library()
    with _open_lock:
        if _open_governor is not None:
            raise VekError(f"connect to {port}", (
                "this process already has an open connection (the library holds one per "
                "process); close it first",))
        if log is None:
            handle, log_path = tempfile.mkstemp(prefix="veklib-", suffix=".log")
            os.close(handle)
        else:
            log_path = os.fspath(log)
            open(log_path, "wb").close()  # read from its start, as the library empties it
        runner = CallRunner(library, log_path)
        runner.handlers[_native.CALLBACK_STATUS] = status
        governor = Governor(library, runner, own_log=log is None)
        _open_governor = governor
    try:
        runner.call(f"configure {port} at {baud} baud", library.VekConfigureSerialStream,
                    _native.to_vek(port), baud)
        runner.call(f"connect to {port}", library.VekInit)
    except BaseException:
        governor.close()
        raise
    return governor
