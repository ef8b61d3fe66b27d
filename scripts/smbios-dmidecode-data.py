#!/usr/bin/env python3
"""Produces, with dmidecode, the SMBIOS test data that the parser and qvtool tests compare with.

1. For each raw table tests/data/smbios-real/<name>.table, writes <name>.dmidecode: the
   structures (handle and type, in table order) and the strings of types 0, 1, 2 and 11, as
   dmidecode reads them. The table is wrapped in a 64-bit "_SM3_" entry point (table at 0x20,
   as dmidecode's own dumps have it) and read with `dmidecode --from-dump FILE --dump`.
2. Writes tests/data/smbios-dumps/platform-d-laptop-<kind>.bin: the example platform-D laptop's
   table as `dmidecode --dump-bin` saves it, for each entry point kind ("sm3", "sm2", "dmi").
   dmidecode itself finds the entry point in a made-up memory image (--dev-mem) and writes the
   dump, so the files have exactly the layout of a real capture.

Needs the Debian package dmidecode. Run from anywhere; the committed files are its output and
are not edited by hand.
"""
import json
import re
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
REAL_DIR = ROOT / "tests" / "data" / "smbios-real"
DUMP_DIR = ROOT / "tests" / "data" / "smbios-dumps"
STRING_TYPES = (0, 1, 2, 11)


def with_checksum(entry, at):
    """Sets byte `at` so that all bytes of `entry` sum to 0 modulo 256."""
    entry[at] = 0
    entry[at] = -sum(entry) & 0xFF
    return entry


def smbios3_entry_point(table_length, address):
    entry = bytearray(struct.pack("<5sBBBBBBBIQ", b"_SM3_", 0, 0x18, 3, 0, 0, 1, 0,
                                  table_length, address))
    return bytes(with_checksum(entry, 5))


def legacy_part(table_length, address, count):
    part = bytearray(struct.pack("<5sBHIHB", b"_DMI_", 0, table_length, address, count, 0x26))
    return bytes(with_checksum(part, 5))


def smbios2_entry_point(table_length, address, count):
    head = bytearray(struct.pack("<4sBBBBHB5s", b"_SM_", 0, 0x1F, 2, 6, 0x100, 0, bytes(5)))
    entry = head + legacy_part(table_length, address, count)
    return bytes(with_checksum(entry, 4))


def count_structures(table):
    count, offset = 0, 0
    while offset + 4 <= len(table) and table[offset + 1] >= 4:
        end = table.find(b"\0\0", offset + table[offset + 1])
        if end < 0:
            break
        count, offset = count + 1, end + 2
    return count


def run_dmidecode(*arguments):
    done = subprocess.run(["dmidecode", *arguments], capture_output=True, check=True)
    return done.stdout.decode("latin-1"), done.stderr.decode("latin-1")


def parse_dump(text):
    """(handle, type, [string bytes]) for each structure of `dmidecode --dump` output."""
    structures = []
    in_strings = False
    pending = bytearray()
    skip_text = False
    for line in text.splitlines():
        header = re.match(r"Handle 0x([0-9A-F]{4}), DMI type (\d+), \d+ bytes", line)
        if header:
            structures.append((int(header[1], 16), int(header[2]), []))
            in_strings = False
            continue
        if line == "\tStrings:":
            in_strings = True
            continue
        if not in_strings or not line.startswith("\t\t"):
            in_strings = in_strings and line.startswith("\t\t")
            continue
        if skip_text:  # the line that shows the string just read as text
            skip_text = False
            continue
        pending += bytes(int(byte, 16) for byte in line.split())
        if pending.endswith(b"\0"):
            structures[-1][2].append(bytes(pending[:-1]))
            pending.clear()
            skip_text = True
    return structures


def write_expectations(table_path, work):
    table = table_path.read_bytes()
    dump = work / "from-dump.bin"
    entry = smbios3_entry_point(len(table), 0x20)
    dump.write_bytes(entry.ljust(0x20, b"\0") + table)
    out, err = run_dmidecode("--from-dump", str(dump), "--dump")
    lines = [
        "# dmidecode's reading of %s behind a _SM3_ entry point; written by" % table_path.name,
        "# scripts/smbios-dmidecode-data.py, not edited by hand.",
    ]
    lines += ["# dmidecode said: " + message for message in err.splitlines() if message]
    structures = parse_dump(out)
    lines.append("structures %d" % len(structures))
    for handle, kind, strings in structures:
        lines.append("structure 0x%04X %d" % (handle, kind))
        if kind in STRING_TYPES:
            for number, text in enumerate(strings, 1):
                shown = text.decode("latin-1").encode("unicode_escape").decode("ascii")
                lines.append("string %d %s %s" % (number, text.hex().upper() or "-", shown))
    table_path.with_suffix(".dmidecode").write_text("\n".join(lines) + "\n")


def example_table(profile):
    machine = json.loads((ROOT / "examples" / "machines" / profile).read_text())
    return bytes.fromhex(machine["wmi"]["smbios"][0])


def write_dumps(work):
    table = example_table("platform-d-laptop.json")
    table_at, entry_at = 0xE0000, 0xF0000
    count = count_structures(table)
    entries = {
        "sm3": smbios3_entry_point(len(table), table_at),
        "sm2": smbios2_entry_point(len(table), table_at, count),
        "dmi": legacy_part(len(table), table_at, count),
    }
    DUMP_DIR.mkdir(parents=True, exist_ok=True)
    for kind, entry in entries.items():
        memory = bytearray(0x100000)
        memory[table_at:table_at + len(table)] = table
        memory[entry_at:entry_at + len(entry)] = entry
        image = work / ("memory-" + kind)
        image.write_bytes(memory)
        target = DUMP_DIR / ("platform-d-laptop-%s.bin" % kind)
        target.unlink(missing_ok=True)
        run_dmidecode("--dev-mem", str(image), "--dump-bin", str(target))


def main():
    if shutil.which("dmidecode") is None:
        sys.exit("smbios-dmidecode-data.py: needs dmidecode (apt-get install dmidecode)")
    with tempfile.TemporaryDirectory() as scratch:
        work = Path(scratch)
        for table_path in sorted(REAL_DIR.glob("*.table")):
            write_expectations(table_path, work)
        write_dumps(work)


if __name__ == "__main__":
    main()
