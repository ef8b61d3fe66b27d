#!/usr/bin/env python3
"""qvtool.exe on the Windows it runs on: where `smbios` reads this machine's table, and what
`report` says when the device tree cannot be read.

    check_qvtool_host.py --wine-run SCRIPT --prefix DIR --qvtool QVTOOL

- `smbios` names the source it read. By default that is GetSystemFirmwareTable where the system
  exports it (Wine always does), and `--source firmware` reads the same;
- `smbios --source wmi` reads WMI's MSSmBios_RawSMBiosTables, the only source on 32-bit Windows
  XP. Wine's WMI hands over no table bytes: qvtool must then say so and exit 1, never crash;
- with setupapi.dll disabled (WINEDLLOVERRIDES=setupapi=d), `report` answers "not identified"
  for every adapter and says why, in its text and in its JSON.
The environment's kind (win64, win32, wow64) comes from QV_WINE_ARCH, as wine-run reads it.
"""
import argparse
import json
import os
import subprocess
import sys

FIRMWARE = "GetSystemFirmwareTable('RSMB')"
WMI = "WMI root\\wmi MSSmBios_RawSMBiosTables"


def qvtool(args, *words, overrides=None):
    environment = dict(os.environ)
    if overrides:
        environment["WINEDLLOVERRIDES"] = overrides
    result = subprocess.run([args.wine_run, "--prefix", args.prefix, args.qvtool, *words],
                            env=environment, capture_output=True, text=True, timeout=300)
    print(f"$ qvtool {' '.join(words)}: exit {result.returncode}")
    shown = result.stdout if len(result.stdout) < 800 else result.stdout[:800] + "...\n"
    print(shown + result.stderr, end="")
    return result


def check_firmware(args):
    problems = []
    for words in (["smbios"], ["smbios", "--source", "firmware"]):
        result = qvtool(args, *words)
        if result.returncode != 0 or f"SMBIOS table:   {FIRMWARE}" not in result.stdout:
            problems.append(f"qvtool {' '.join(words)} did not read and name {FIRMWARE}")
    return problems


def check_wmi(args):
    result = qvtool(args, "smbios", "--source", "wmi")
    if result.returncode == 0 and f"SMBIOS table:   {WMI}" in result.stdout:
        return []  # a WMI that hands over the table
    if result.returncode == 1 and WMI in result.stderr and "no SMBIOS table" in result.stderr:
        return []
    return [f"qvtool smbios --source wmi neither read {WMI} nor said clearly why not "
            f"(exit {result.returncode})"]


def check_no_setupapi(args):
    problems = []
    text = qvtool(args, "report", overrides="setupapi=d")
    report = qvtool(args, "report", "--json", overrides="setupapi=d")
    if text.returncode != 0 or report.returncode != 0:
        return ["qvtool report failed without setupapi.dll"]
    if "The adapters cannot be identified: " not in text.stdout or "setupapi.dll" not in text.stdout:
        problems.append("qvtool report does not say that setupapi.dll cannot be loaded")
    answers = json.loads(report.stdout)
    codes = [answers[kind]["code"] for kind in ("lan", "wlan", "wwan")]
    if codes != [-1, -1, -1]:
        problems.append(f"without setupapi.dll the adapters answered {codes}, not -1 each")
    if "setupapi.dll" not in answers.get("devicesUnreadable", ""):
        problems.append("qvtool report --json gives no devicesUnreadable reason")
    enabled = json.loads(qvtool(args, "report", "--json").stdout)
    if "devicesUnreadable" in enabled:
        problems.append("with setupapi.dll loadable, qvtool report still says it is not")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--wine-run", "--prefix", "--qvtool"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    problems = check_firmware(args) + check_wmi(args) + check_no_setupapi(args)
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
