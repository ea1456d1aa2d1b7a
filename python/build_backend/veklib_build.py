"""Builds the veklib wheel and source archive with the standard library
alone: the package is pure Python, and with no build requirements
`pip install ./python` needs neither network access nor the setuptools and
wheel packages in the environment (a fresh virtual environment has no
wheel package, without which setuptools cannot build wheels)."""
import base64
import hashlib
import io
import re
import tarfile
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
NAME = "veklib"
SUMMARY = "Talk to a digital engine speed governor over RS-232 through the VekLib library"
REQUIRES_PYTHON = ">=3.8"
TAG = "py3-none-any"
# Archive members get one fixed time stamp, so that two builds are the same.
FIXED_TIME = (2026, 1, 1, 0, 0, 0)
FIXED_EPOCH = 1767225600
SDIST_FILES = ("pyproject.toml", "README.md")


def _version():
    text = (ROOT / NAME / "__init__.py").read_text(encoding="utf-8")
    return re.search(r'^__version__ = "([^"]+)"', text, re.MULTILINE).group(1)


def _package_files():
    """Every file the package installs: its modules and its py.typed mark."""
    folder = ROOT / NAME
    return sorted(p for p in folder.rglob("*")
                  if p.is_file() and "__pycache__" not in p.parts and p.suffix in (".py", ".typed"))


def _metadata(version):
    readme = (ROOT / "README.md").read_text(encoding="utf-8")
    return (f"Metadata-Version: 2.1\nName: {NAME}\nVersion: {version}\nSummary: {SUMMARY}\n"
            f"Author: the VekLib developers\nRequires-Python: {REQUIRES_PYTHON}\n"
            f"Classifier: Typing :: Typed\nDescription-Content-Type: text/markdown\n\n{readme}")


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    version = _version()
    dist_info = f"{NAME}-{version}.dist-info"
    wheel_name = f"{NAME}-{version}-{TAG}.whl"
    records = []
    with zipfile.ZipFile(Path(wheel_directory) / wheel_name, "w", zipfile.ZIP_DEFLATED) as wheel:
        def add(name, data):
            wheel.writestr(zipfile.ZipInfo(name, FIXED_TIME), data)
            digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
            records.append(f"{name},sha256={digest},{len(data)}")

        for path in _package_files():
            add(path.relative_to(ROOT).as_posix(), path.read_bytes())
        add(f"{dist_info}/METADATA", _metadata(version).encode("utf-8"))
        add(f"{dist_info}/WHEEL",
            f"Wheel-Version: 1.0\nGenerator: veklib_build\nRoot-Is-Purelib: true\nTag: {TAG}\n".encode())
        records.append(f"{dist_info}/RECORD,,")
        wheel.writestr(zipfile.ZipInfo(f"{dist_info}/RECORD", FIXED_TIME), "\n".join(records) + "\n")
    return wheel_name


def build_sdist(sdist_directory, config_settings=None):
    version = _version()
    base = f"{NAME}-{version}"
    files = [ROOT / name for name in SDIST_FILES] + [Path(__file__)] + _package_files()
    with tarfile.open(Path(sdist_directory) / f"{base}.tar.gz", "w:gz") as archive:
        def add(name, data):
            member = tarfile.TarInfo(f"{base}/{name}")
            member.size, member.mtime, member.mode = len(data), FIXED_EPOCH, 0o644
            archive.addfile(member, io.BytesIO(data))

        for path in files:
            add(path.relative_to(ROOT).as_posix(), path.read_bytes())
        add("PKG-INFO", _metadata(version).encode("utf-8"))
    return f"{base}.tar.gz"
