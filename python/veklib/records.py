"""What the package hands out: plain, immutable records copied out of the
library's own, so they stay valid after the library changes its state."""
from __future__ import annotations

from dataclasses import dataclass
from typing import Tuple

from . import _native

# A definition's kind follows from its number's remainder of division by 10000.
KIND_MODULUS = 10000
KIND_BOUNDS = ((2000, "parameter"), (4000, "measurement"), (6000, "function"))
# Features bits of the device record.
FEATURE_ERROR_MEMORY_KIND = 0x0003
FEATURE_IDENTIFICATION = 0x0004
FEATURE_CLICK_TEST = 0x0008


def kind_of(number: int) -> str:
    """'parameter', 'measurement', 'function' or 'curve'."""
    remainder = number % KIND_MODULUS
    for bound, kind in KIND_BOUNDS:
        if remainder < bound:
            return kind
    return "curve"


@dataclass(frozen=True)
class DeviceInfo:
    """The connected governor, from the library's device record."""

    kind: int
    hardware_version: int
    software_version: str
    software_version_number: int
    user_version: int
    serial_date: str
    serial_number: str
    pps_number: str
    board_number: str
    features: int
    in_boot_loader: bool

    @property
    def has_identification(self) -> bool:
        return bool(self.features & FEATURE_IDENTIFICATION)

    @property
    def has_click_test(self) -> bool:
        return bool(self.features & FEATURE_CLICK_TEST)

    @classmethod
    def from_record(cls, record: _native.VekStruct, in_boot_loader: bool) -> "DeviceInfo":
        return cls(
            kind=record.DeviceKind,
            hardware_version=record.HardwareVersion,
            software_version=f"{record.SoftwareHigh}.{record.SoftwareMid}.{record.SoftwareLow}",
            software_version_number=record.SoftwareVersion,
            user_version=record.UserVersion,
            serial_date=_native.from_units(record.SerialDate),
            serial_number=_native.from_units(record.SerialNumber),
            pps_number=_native.from_units(record.PpsNumber),
            board_number=_native.from_units(record.BoardNumber),
            features=record.Features,
            in_boot_loader=in_boot_loader,
        )


@dataclass(frozen=True)
class Definition:
    """One parameter definition: limits as raw numbers and as real values."""

    number: int
    name: str
    kind: str
    unit: str
    minimum: float
    maximum: float
    raw_minimum: int
    raw_maximum: int
    decimals: int
    int_code: int
    array_index: int
    array_length: int

    @classmethod
    def from_record(cls, record: _native.ParDef) -> "Definition":
        return cls(
            number=record.Id,
            name=_native.from_units(record.Name),
            kind=kind_of(record.Id),
            unit=_native.from_units(record.Unit),
            minimum=record.RealMin,
            maximum=record.RealMax,
            raw_minimum=record.Min,
            raw_maximum=record.Max,
            decimals=record.Format,
            int_code=record.IntCode,
            array_index=record.ArrayIndex,
            array_length=record.ArrayLength,
        )


@dataclass(frozen=True)
class Value:
    """One value: its display text, its real value and the raw word."""

    number: int
    name: str
    text: str
    real: float
    raw: int
    unit: str


@dataclass(frozen=True)
class Sample:
    """One sample of a watch: the governor's extended stamp and the real
    values in the order they were asked for."""

    stamp: int
    values: Tuple[float, ...]


@dataclass(frozen=True)
class PendingError:
    """An error active on the governor now, with its definition's name."""

    number: int
    name: str
    state: int
    old_value: int


@dataclass(frozen=True)
class ErrorMemoryEntry:
    """One record of the governor's error memory; times in seconds of
    operation."""

    number: int
    time1: int
    time2: int
    count: int
    words: Tuple[int, int, int, int]
    args: Tuple[int, ...]
    args2: Tuple[int, ...]

    @classmethod
    def from_record(cls, record: _native.ErrorEntry) -> "ErrorMemoryEntry":
        return cls(
            number=record.Id,
            time1=record.Time1,
            time2=record.Time2,
            count=record.Count,
            words=(record.Word1, record.Word2, record.Word3, record.Word4),
            args=tuple(record.Args),
            args2=tuple(record.Args2),
        )
