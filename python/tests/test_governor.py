"""The package against a simulated governor: what a caller sees on success,
on refusal and with callbacks."""
import pytest

import veklib

# vekgov's default governor: IdleSpeed is parameter 1, 400 to 1500 rpm.
IDLE_SPEED = 1
OUT_OF_RANGE_LINE = "Parameter value is out of range [99999] => 1: IdleSpeed  [400 .. 1500]"


def parameter_file(gov, lines):
    """A parameter file for the connected governor with the given value lines."""
    info = gov.info
    header = f"[HW]\n{info.hardware_version}\n[SW]\n{info.software_version_number}\n[UW]\n0\n[Werte]\n"
    return header + "".join(line + "\n" for line in lines)


def test_device_definitions_and_values(governor_port):
    with veklib.connect(governor_port, baud=115200) as gov:
        info = gov.info
        assert (info.kind, info.serial_number, info.in_boot_loader) == (3, "00042", False)
        by_name = gov.definitions["idlespeed"]
        assert by_name == gov.definitions[IDLE_SPEED]
        assert (by_name.kind, by_name.unit, by_name.minimum, by_name.maximum) == \
            ("parameter", "rpm", 400.0, 1500.0)
        assert gov.definitions["Speed"].kind == "measurement"
        assert "NoSuchName" not in gov.definitions
        with pytest.raises(KeyError):
            gov.get("NoSuchName")

        assert gov.set("IdleSpeed", 800) == veklib.Value(1, "IdleSpeed", "800", 800.0, 800, "rpm")
        assert gov.get(IDLE_SPEED).text == "800"


def test_refused_value_raises_with_the_library_reason_and_keeps_the_value(governor_port):
    with veklib.connect(governor_port) as gov:
        gov.set("IdleSpeed", "700")
        with pytest.raises(veklib.VekError) as refused:
            gov.set("IdleSpeed", "99999")
        assert refused.value.reason == OUT_OF_RANGE_LINE
        assert str(refused.value) == f"set 1 IdleSpeed to 99999 failed: {OUT_OF_RANGE_LINE}"
        assert gov.get("IdleSpeed").real == 700.0


def test_one_connection_per_process(governor_port):
    first = veklib.connect(governor_port)
    with pytest.raises(veklib.VekError, match="already has an open connection"):
        veklib.connect(governor_port)
    assert first.get("IdleSpeed").unit == "rpm"  # the first one still works
    first.close()
    with pytest.raises(veklib.VekError, match="closed"):
        first.get("IdleSpeed")
    with veklib.connect(governor_port) as again:
        assert again.info.kind == 3


def test_failed_connection_raises_and_frees_the_process(tmp_path):
    with pytest.raises(veklib.VekError) as failed:
        veklib.connect(str(tmp_path / "no-such-port"))
    assert failed.value.reason  # the library's own line, not just "failed"
    with pytest.raises(veklib.VekError):
        veklib.connect(str(tmp_path / "no-such-port"))  # not "already open"


def test_watch_gives_the_asked_number_of_samples(governor_port):
    with veklib.connect(governor_port) as gov:
        samples = list(gov.watch(["Speed", "ActuatorPos"], interval=0.01, count=3))
        with pytest.raises(ValueError):
            next(gov.watch(list(range(17))))
    assert len(samples) == 3
    assert all(len(sample.values) == 2 for sample in samples)


def test_save_then_load_keeps_values_the_file_does_not_name(governor_port, tmp_path):
    with veklib.connect(governor_port) as gov:
        gov.set("IdleSpeed", "900")
        gov.save(tmp_path / "set.prm")
        assert "IdleSpeed" in (tmp_path / "set.prm").read_text(encoding="latin-1")
        rated = gov.get("RatedSpeed").text

        partial = tmp_path / "partial.prm"
        partial.write_text(parameter_file(gov, ["     1 IdleSpeed = 650"]), encoding="latin-1")
        gov.load(partial)
        assert (gov.get("IdleSpeed").text, gov.get("RatedSpeed").text) == ("650", rated)

        gov.load(tmp_path / "set.prm")
        assert gov.get("IdleSpeed").text == "900"


def test_load_refusal_and_merge_question(governor_port, tmp_path):
    with veklib.connect(governor_port) as gov:
        broken = tmp_path / "broken.prm"
        broken.write_text(parameter_file(gov, ["     1 IdleSpeed = 99999"]), encoding="latin-1")
        with pytest.raises(veklib.VekError) as refused:
            gov.load(broken)
        assert OUT_OF_RANGE_LINE in refused.value.reason_lines

        moved = tmp_path / "moved.prm"  # the name now lives under another number
        moved.write_text(parameter_file(gov, ["    99 IdleSpeed = 750"]), encoding="latin-1")
        questions = []
        gov.load(moved, merge=lambda question: questions.append(question) or True)
        assert len(questions) == 1 and "IdleSpeed" in questions[0]
        assert gov.get("IdleSpeed").text == "750"

        def broken_merge(question):
            raise ZeroDivisionError("raised in the callback")

        with pytest.raises(ZeroDivisionError, match="raised in the callback"):
            gov.load(moved, merge=broken_merge)
        assert gov.get("IdleSpeed").text == "750"  # still usable afterwards


def test_errors_error_memory_and_firmware_progress(governor_port, tmp_path):
    with veklib.connect(governor_port) as gov:
        assert all(isinstance(error, veklib.PendingError) for error in gov.errors())
        memory = gov.error_memory()
        assert memory and all(entry.count > 0 for entry in memory)

        image = tmp_path / "fw.bin"
        image.write_bytes(bytes(range(256)) * 4)
        seen = []
        gov.upload_firmware(image, progress=lambda text, fraction: seen.append((text, fraction)))
        assert seen[-1] == ("Uploading firmware", 1.0)
        assert gov.info.in_boot_loader is False
        assert gov.get("IdleSpeed").unit == "rpm"  # definitions downloaded again
