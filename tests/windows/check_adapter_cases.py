#!/usr/bin/env python3
"""The adapter exports on Wine's own SetupAPI, machine by machine.

    check_adapter_cases.py --wine-run SCRIPT --prefix DIR --module DLL --cases-program EXE
                           --cases DIR --linux-qvtool QVTOOL

Every machine profile of the cases folder (tests/data/device-trees) is planted in the prefix's
registry in turn by adapter_cases.exe, which calls the module's three adapter exports there.
Each answer must equal the one expected.tsv records and the one the Linux library gives on the
same profile (`qvtool report --machine PROFILE --json`).

The exports run under a SetupAPI trace (WINEDEBUG=trace+setupapi), which names every instance
ID that SetupAPI hands over. On the machine with two listed wireless adapters, SetupAPI must list
the PCI devices (the prefix's own among them) in registry order, and the WLAN walk must read
them up to the first listed adapter and no further.

The environment's kind (win64, win32, wow64) comes from QV_WINE_ARCH, as wine-run reads it.
Exits 77 (skipped) when the Linux qvtool has not been built: scripts/test builds every preset
before it runs any test.
"""
import argparse
import json
import os
import pathlib
import re
import subprocess
import sys

EXPORTS = ("GetLANManufacturerID", "GetWLANManufacturerID", "GetWWANManufacturerID")
# The machine whose WLAN walk is traced, and where its first listed wireless adapter comes among
# its PCI devices in registry order: second.
WLAN_WALK = ("wlan-two-adapters", 2)
CALL_MARK = re.compile(r"^qv-call (\S+) (\S+)$")
FETCHED = re.compile(r'instance ID: L"(.*)"')


def read_expected(cases):
    expected = {}
    for line in (cases / "expected.tsv").read_text().splitlines():
        if line and not line.startswith("#"):
            fields = line.split("\t")
            expected[fields[0]] = [int(code) for code in fields[1:4]]
    return expected


def linux_answers(qvtool, profile):
    result = subprocess.run([qvtool, "report", "--machine", str(profile), "--json"],
                            capture_output=True, text=True, timeout=60)
    report = json.loads(result.stdout)
    return [report[kind]["code"] for kind in ("lan", "wlan", "wwan")]


def registry_order(ids):
    """Instance IDs in the order Windows lists them: key by key, without regard to case."""
    return sorted(ids, key=lambda id: [name.upper() for name in id.split("\\")])


def fetched_ids(trace, profile, export):
    """The instance IDs SetupAPI handed over during one export call, repeats of one fetch
    (the size query and the fetch) counted once."""
    ids, inside = [], False
    for line in trace.splitlines():
        mark = CALL_MARK.match(line)
        if mark:
            inside = mark.groups() == (profile, export)
            continue
        found = FETCHED.search(line) if inside else None
        if found:
            id = found.group(1).replace("\\\\", "\\")
            if not ids or ids[-1] != id:
                ids.append(id)
    return ids


def check_wlan_walk(trace, cases):
    """The LAN search reads every PCI device, the prefix's own among them; the WLAN walk must
    read the same devices in the same order up to the first listed wireless adapter."""
    profile, count = WLAN_WALK
    planted = json.loads((cases / f"{profile}.json").read_text())["devices"]["PCI"]
    first_listed = registry_order(planted)[count - 1].upper()
    every = [id.upper() for id in fetched_ids(trace, profile, "GetLANManufacturerID")]
    fetched = [id.upper() for id in fetched_ids(trace, profile, "GetWLANManufacturerID")]
    print(f"{profile}: the LAN search read {every}; the WLAN walk read {fetched}")
    if every != registry_order(every) or first_listed not in every:
        return [f"{profile}: SetupAPI listed {every}, which is not the registry order of the "
                f"planted devices and the prefix's own"]
    expected = every[:every.index(first_listed) + 1]
    if fetched != expected:
        return [f"{profile}: the WLAN walk read {fetched}, not the devices up to the first "
                f"listed adapter in device order, {expected}"]
    return []


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--wine-run", "--prefix", "--module", "--cases-program", "--cases",
                   "--linux-qvtool"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    if not os.access(args.linux_qvtool, os.X_OK):
        print(f"check_adapter_cases: skipped, no Linux qvtool at {args.linux_qvtool} "
              "(build the linux preset first)")
        return 77

    cases = pathlib.Path(args.cases).resolve()
    expected = read_expected(cases)
    profiles = [cases / f"{name}.json" for name in sorted(expected)]
    environment = dict(os.environ, QV_WINEDEBUG="trace+setupapi")
    module = "Z:" + str(pathlib.Path(args.module).resolve()).replace("/", "\\")
    result = subprocess.run([args.wine_run, "--prefix", args.prefix, args.cases_program, module]
                            + ["Z:" + str(p).replace("/", "\\") for p in profiles],
                            env=environment, capture_output=True, text=True, timeout=600)
    if result.returncode != 0:
        print(result.stdout + result.stderr[-4000:])
        print(f"check_adapter_cases: adapter_cases.exe failed ({result.returncode})")
        return 1

    windows = {}
    for line in result.stdout.splitlines():
        fields = line.split("\t")
        windows[fields[0]] = [int(code) if code.lstrip("-").isdigit() else code
                              for code in fields[1:]]
    problems = []
    for name in sorted(expected):
        linux = linux_answers(args.linux_qvtool, cases / f"{name}.json")
        answers = windows.get(name)
        print(f"{name}: Wine {answers}, Linux {linux}, expected {expected[name]}")
        if answers != expected[name] or linux != expected[name]:
            problems.append(f"{name}: Wine's SetupAPI gave {answers}, the Linux library {linux}, "
                            f"expected.tsv says {expected[name]} ({', '.join(EXPORTS)})")
    problems += check_wlan_walk(result.stderr, cases)
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
