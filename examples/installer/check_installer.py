#!/usr/bin/env python3
"""Builds the example installer with makensis and checks it.

  check_installer.py static --arch x86|amd64 --dll DLL --list ENC --work DIR
      builds the installer and checks it without running it: a PE32 (x86) or PE32+ (amd64)
      program whose compressed data holds exactly this DLL and list, and whose script (and
      its uninstaller's) makes every call of the example as written there.

  check_installer.py run --arch x86|amd64 --dll DLL --qvtool QVTOOL --plain-list TXT [--plant DLL]
                         [--machine PROFILE --device-tree EXE] --wine-run SCRIPT --prefix DIR
                         --work DIR
      the installer under Wine (amd64 under wine64; x86 under the 32-bit loader, as 32-bit
      Windows or under WOW64, as the environment's QV_WINE_ARCH says): encrypts the plain list with qvtool.exe, builds and
      statically checks the installer, runs it and its uninstaller silently, and compares
      every answer in their log with what the library answers on the same machine
      (qvtool.exe report --json and lookup --json, run in the same Wine prefix). With --plant,
      a setupapi.dll lies beside the installer and the uninstaller, Wine searches as XP does
      (setupapi=n,b), and the planted DLL must not be loaded. With --machine, the prefix holds
      the profile's devices while the installer runs, and the makers must be those that
      tests/data/device-trees/expected.tsv records for it.

Exit status 0 when every check holds, 1 otherwise.
"""

import argparse
import json
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import zlib

HERE = pathlib.Path(__file__).resolve().parent
SCRIPT = HERE / "qvsupport-example.nsi"

FIRST_HEADER_SIGNATURE = struct.pack("<I", 0xDEADBEEF) + b"NullsoftInst"
COMPRESSED_BLOCK = 0x80000000
NO_CRC_FLAG = 4  # otherwise a CRC32 ends the archive

PE_MACHINE = {"x86": 0x014C, "amd64": 0x8664}
PE_OPTIONAL_MAGIC = {"x86": 0x010B, "amd64": 0x020B}

# The calls as the installer's script text holds them, after "$PLUGINSDIR": stdcall exports
# without "?c", a null list path, and the DLL unloaded after its last call.
INSTALL_CALLS = [
    r"\qvsupport.dll::GetSystemId() i .r0",
    r"\qvsupport.dll::GetDeviceMask(p 0) i .r1",
    r"\qvsupport.dll::GetDeviceMaskDecrypt(i r0) i .r2",
    r"\qvsupport.dll::IsTorvaneSystem(p 0) i .r3",
    r"\qvsupport.dll::IsSupportedDevice(i r4, i r7) i .r8",
    r"\qvsupport.dll::GetLANManufacturerID() i .r0",
    r"\qvsupport.dll::GetWLANManufacturerID() i .r0",
    r"\qvsupport.dll::GetWWANManufacturerID() i .r0 ?u",
]
UNINSTALL_CALLS = [r"\qvsupport.dll::UninstallQVGina(i 0) i .r0 ?u"]

LOG_KEYS = (
    ["GetSystemId", "GetDeviceMask", "GetDeviceMaskDecrypt", "IsTorvaneSystem", "Mask"]
    + [f"IsSupportedDevice.bit{bit}" for bit in range(8)]
    + ["GetLANManufacturerID", "GetWLANManufacturerID", "GetWWANManufacturerID", "UninstallQVGina"]
)


class CheckFailed(Exception):
    pass


def require(condition, message):
    if not condition:
        raise CheckFailed(message)


# --- the installer file ---


def check_pe(data, arch):
    require(data[:2] == b"MZ", "not an MZ executable")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    require(data[pe : pe + 4] == b"PE\0\0", "no PE signature")
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    require(machine == PE_MACHINE[arch], f"machine 0x{machine:04X}, expected {arch}")
    require(magic == PE_OPTIONAL_MAGIC[arch], f"optional header magic 0x{magic:04X}, not {arch}")


def data_blocks(data, start, end):
    """The length-prefixed blocks of one NSIS archive, each inflated when compressed."""
    blocks = []
    position = start
    while position + 4 <= end:
        word = struct.unpack_from("<I", data, position)[0]
        size = word & ~COMPRESSED_BLOCK
        require(position + 4 + size <= end, f"block at {position} runs past the archive")
        block = data[position + 4 : position + 4 + size]
        if word & COMPRESSED_BLOCK:
            block = zlib.decompressobj(-15).decompress(block)
        blocks.append(block)
        position += 4 + size
    return blocks


def archive_at(data, offset):
    """(script header, file blocks, nested archives) of the archive whose first header is at
    `offset`. The uninstaller is one of the blocks: an archive of its own."""
    flags = struct.unpack_from("<I", data, offset)[0]
    header_length, archive_length = struct.unpack_from("<II", data, offset + 20)
    end = offset + archive_length - (0 if flags & NO_CRC_FLAG else 4)
    blocks = data_blocks(data, offset + 28, end)
    require(blocks and len(blocks[0]) == header_length, "script header missing or damaged")
    nested = []
    for block in blocks[1:]:
        inner = block.find(FIRST_HEADER_SIGNATURE)
        if inner >= 4:
            nested.append(archive_at(block, inner - 4))
    return blocks[0], blocks[1:], nested


def read_installer(data):
    offset = 0
    while offset + 28 <= len(data):
        if data[offset + 4 : offset + 20] == FIRST_HEADER_SIGNATURE:
            return archive_at(data, offset)
        offset += 512
    raise CheckFailed("no NSIS archive in the file")


def script_has(header, text):
    """Whether the script's string table holds `text` exactly: up to its terminating NUL, so
    that a call with an option added ("?c") does not pass for the call without."""
    return (text + "\0").encode("utf-16-le") in header


def check_installer_file(installer, arch, dll, list_file):
    data = installer.read_bytes()
    check_pe(data, arch)
    header, files, nested = read_installer(data)
    dll_bytes, list_bytes = dll.read_bytes(), list_file.read_bytes()
    try:
        check_pe(dll_bytes, arch)  # System can load only a DLL of its own kind
    except CheckFailed as mismatch:
        raise CheckFailed(f"{dll}: {mismatch}")
    require(dll_bytes in files, f"{installer.name} does not carry {dll}")
    require(list_bytes in files, f"{installer.name} does not carry {list_file}")
    for call in INSTALL_CALLS:
        require(script_has(header, call), f"the installer does not call {call}")
    require(len(nested) == 1, "no uninstaller inside the installer")
    uninstall_header, uninstall_files, _ = nested[0]
    require(dll_bytes in uninstall_files, "the uninstaller does not carry the DLL")
    for call in UNINSTALL_CALLS:
        require(script_has(uninstall_header, call), f"the uninstaller does not call {call}")
    print(f"{installer.name}: {arch} PE, carries the DLL and the list, makes every call")


def build_installer(arch, dll, list_file, work):
    work.mkdir(parents=True, exist_ok=True)
    installer = work / f"qvsupport-example-{arch}.exe"
    command = [
        shutil.which("makensis") or "makensis", "-V2", f"-DQV_ARCH={arch}", f"-DQV_DLL={dll}",
        f"-DQV_LIST={list_file}", f"-DQV_OUTFILE={installer}", str(SCRIPT),
    ]
    result = subprocess.run(command, capture_output=True, text=True)
    require(result.returncode == 0, "makensis failed:\n" + result.stdout + result.stderr)
    return installer


# --- running it under Wine ---


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class Wine:
    def __init__(self, wine_run, prefix, cwd):
        self.base = [str(wine_run), "--prefix", str(prefix)]
        self.cwd = cwd

    def run(self, *args, overrides=None):
        environment = dict(os.environ, **({"WINEDLLOVERRIDES": overrides} if overrides else {}))
        result = subprocess.run(self.base + [str(a) for a in args], cwd=self.cwd, env=environment,
                                capture_output=True, text=True, timeout=300)
        return result.returncode, result.stdout, result.stderr


# --- a machine with network adapters: a profile's devices planted in the prefix ---


def makers_of(profile):
    """The LAN, WLAN and WWAN codes recorded for a machine profile of tests/data/device-trees,
    from expected.tsv beside it."""
    for line in (profile.parent / "expected.tsv").read_text().splitlines():
        fields = line.split("\t")
        if fields[0] == profile.stem:
            return [int(code) for code in fields[1:4]]
    raise CheckFailed(f"{profile.parent / 'expected.tsv'} records no answers for {profile.stem}")


class PlantedMachine:
    """While it lives, the prefix holds the devices of `profile` (device_tree.exe plants them in
    the registry, where Wine's SetupAPI lists them); none when `profile` is None."""

    def __init__(self, wine, device_tree, profile):
        self.wine, self.device_tree, self.profile = wine, device_tree, profile

    def __enter__(self):
        if self.profile:
            code, _, err = self.wine.run(self.device_tree, "plant", windows_path(self.profile))
            require(code == 0, f"device_tree.exe could not plant {self.profile.name}: {err}")
        return self

    def __exit__(self, *failure):
        if self.profile:
            code, _, err = self.wine.run(self.device_tree, "clear")
            require(code == 0 or failure[0], f"device_tree.exe could not clear the devices: {err}")


def require_makers(profile, answers):
    """On a planted machine the answers must be the ones recorded for it, not merely equal on
    both sides: a machine whose devices did not take would give -1 everywhere."""
    if profile:
        expected = makers_of(profile)
        require(answers == expected, f"on {profile.stem} the makers are {answers}, "
                f"not the recorded {expected} (LAN, WLAN, WWAN)")
        print(f"on {profile.stem}: LAN, WLAN and WWAN makers {answers}, as recorded")


# --- a setupapi.dll planted beside the installer ---

# Makes Wine look for setupapi.dll in the program's folder before its own, as Windows XP's loader
# does for a DLL that is not a KnownDLL.
PLANTING_OVERRIDE = "setupapi=n,b"
PLANTED_MARKER = "planted-setupapi.loaded"  # left in its folder by the planted DLL when loaded


def plant(planted, folder):
    if planted:
        shutil.copy(planted, folder / "setupapi.dll")


def require_not_loaded(planted, *folders):
    loaded = [str(folder) for folder in folders if planted and (folder / PLANTED_MARKER).exists()]
    require(not loaded, "the setupapi.dll planted beside the installer was loaded, in " +
            ", ".join(loaded))


def read_log(log):
    require(log.exists(), f"the installer wrote no log at {log}")
    answers = {}
    for line in log.read_text().splitlines():
        key, _, value = line.partition("=")
        require(key not in answers, f"{key} logged twice")
        answers[key] = value
    missing = [key for key in LOG_KEYS if key not in answers]
    require(not missing, f"the log lacks {', '.join(missing)}")
    failed = [key for key, value in answers.items() if value == "error"]
    require(not failed, f"the System plugin could not call {', '.join(failed)}")
    return answers


def library_answers(wine, qvtool, list_file):
    code, out, err = wine.run(qvtool, "report", "--json", "--list", windows_path(list_file))
    require(code == 0, f"qvtool report failed ({code}): {err}")
    report = json.loads(out)
    code, out, err = wine.run(qvtool, "lookup", windows_path(list_file),
                              str(report["systemId"]), "--json")
    require(code in (0, 1), f"qvtool lookup failed ({code}): {err}")
    lookup = json.loads(out)
    device_mask = report["deviceMask"]["result"]
    mask = device_mask & 0xFF if device_mask >= 0 else 0
    expected = {
        "GetSystemId": report["systemId"],
        "GetDeviceMask": device_mask,
        "GetDeviceMaskDecrypt": lookup["getDeviceMaskDecrypt"],
        "IsTorvaneSystem": int(report["torvane"]),
        "Mask": mask,
        "GetLANManufacturerID": report["lan"]["code"],
        "GetWLANManufacturerID": report["wlan"]["code"],
        "GetWWANManufacturerID": report["wwan"]["code"],
        "UninstallQVGina": 0,
    }
    if device_mask >= 0:
        expected["LineCode"] = device_mask >> 8
    for bit in range(8):
        expected[f"IsSupportedDevice.bit{bit}"] = mask & (1 << bit)
    return expected


def compare(logged, expected):
    differences = [
        f"{key}: the installer logged {logged.get(key)!r}, the library answers {value}"
        for key, value in expected.items()
        if logged.get(key) != str(value)
    ]
    extra = sorted(set(logged) - set(expected))
    if extra:
        differences.append(f"logged but not expected: {', '.join(extra)}")
    require(not differences, "\n".join(differences))


def run_under_wine(args):
    # The programs run in the work directory: every path given is made absolute first.
    for name in ("dll", "qvtool", "plain_list", "wine_run", "prefix", "plant", "machine",
                 "device_tree"):
        if getattr(args, name):
            setattr(args, name, pathlib.Path(getattr(args, name)).resolve())
    work = pathlib.Path(args.work).resolve()
    if work.exists():
        shutil.rmtree(work)
    work.mkdir(parents=True)
    wine = Wine(args.wine_run, args.prefix, work)

    code, _, err = wine.run(args.qvtool, "encrypt", windows_path(args.plain_list), "-o",
                            windows_path(work))
    require(code == 0, f"qvtool encrypt failed ({code}): {err}")
    list_file = work / "vexasysids.enc"

    installer = build_installer(args.arch, args.dll, list_file, work)
    check_installer_file(installer, args.arch, args.dll, list_file)

    with PlantedMachine(wine, args.device_tree, args.machine):
        run_installer(args, wine, installer, work, list_file)


def run_installer(args, wine, installer, work, list_file):
    overrides = PLANTING_OVERRIDE if args.plant else None
    plant(args.plant, work)
    log, target = work / "answers.log", work / "installed"
    code, _, err = wine.run(installer, "/S", f"/LOG={windows_path(log)}",
                            f"/D={windows_path(target)}", overrides=overrides)
    require(code == 0, f"the installer exited with {code}: {err}")
    uninstaller = target / "uninstall.exe"
    require(uninstaller.exists(), "the installer wrote no uninstaller")
    plant(args.plant, target)
    code, _, err = wine.run(uninstaller, "/S", f"/LOG={windows_path(log)}",
                            f"_?={windows_path(target)}", overrides=overrides)
    require(code == 0, f"the uninstaller exited with {code}: {err}")

    require_not_loaded(args.plant, work, target)
    logged = read_log(log)
    expected = library_answers(wine, args.qvtool, list_file)
    compare(logged, expected)
    require_makers(args.machine, [expected[f"Get{kind}ManufacturerID"]
                                  for kind in ("LAN", "WLAN", "WWAN")])
    if args.plant:
        print("a setupapi.dll planted beside the installer and the uninstaller was not loaded")
    print(f"{installer.name} under Wine logged what the library answers:")
    print(log.read_text(), end="")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    modes = parser.add_subparsers(dest="mode", required=True)
    static = modes.add_parser("static")
    static.add_argument("--arch", choices=sorted(PE_MACHINE), required=True)
    static.add_argument("--dll", required=True)
    static.add_argument("--list", required=True)
    static.add_argument("--work", required=True)
    run = modes.add_parser("run")
    run.add_argument("--arch", choices=sorted(PE_MACHINE), required=True)
    for option in ("--dll", "--qvtool", "--plain-list", "--wine-run", "--prefix", "--work"):
        run.add_argument(option, required=True)
    run.add_argument("--machine", help="a machine profile of tests/data/device-trees whose "
                     "devices the prefix holds while the installer runs (needs --device-tree)")
    run.add_argument("--device-tree", help="device_tree.exe, which plants them")
    run.add_argument("--plant", help="a setupapi.dll to leave beside the installer and the "
                     "uninstaller, with Wine searching as Windows XP does; it must not be loaded")
    args = parser.parse_args()
    if args.mode == "run" and bool(args.machine) != bool(args.device_tree):
        parser.error("--machine and --device-tree go together")
    try:
        if args.mode == "static":
            dll, list_file = pathlib.Path(args.dll).resolve(), pathlib.Path(args.list).resolve()
            installer = build_installer(args.arch, dll, list_file, pathlib.Path(args.work))
            check_installer_file(installer, args.arch, dll, list_file)
        else:
            run_under_wine(args)
    except (CheckFailed, subprocess.TimeoutExpired) as failure:
        print(f"check_installer: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
