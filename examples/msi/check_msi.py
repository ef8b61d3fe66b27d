#!/usr/bin/env python3
"""Builds the example MSI with wixl and runs it under Wine.

  check_msi.py --arch x64|x86 --dll QVSUPPORT_MSI_DLL --qvtool QVTOOL --plain-list TXT
               --wine-run SCRIPT --prefix DIR --work DIR [--logon-chain]
               [--machine PROFILE --device-tree EXE]

Encrypts the plain list with qvtool.exe, builds qvsupport-example.msi around the custom-action
module (wixl, then msibuild for the features' conditions), installs it silently with
msiexec /i ... /qn /l*v, and checks that every property QvIdentify logged, and that the
installer holds at the end, equals what qvtool.exe report --json answers in the same prefix;
that each feature is installed exactly when its condition holds; then uninstalls it and checks
that QvUninstallGina ran and that nothing of the package is left.

With --machine, the prefix holds the devices of a machine profile of tests/data/device-trees
while the package is installed: the makers must be those expected.tsv records for it, and the
IntelLan feature is installed exactly when the LAN maker is Intel.

With --logon-chain (an x64 package in a prefix of the XP generation), Winlogon is first given
the product's logon module, and the uninstall must repair the chain: the standard module back in
"GinaDLL" and the product's module marked off. Without it, QvUninstallGina must report that this
Windows has no chain.

Exit status 0 when every check holds, 1 otherwise.
"""

import argparse
import json
import pathlib
import re
import shutil
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
# The NSIS example's check runs its installer under Wine the same way.
sys.path.insert(0, str(HERE.parent / "installer"))
from check_installer import (CheckFailed, PlantedMachine, Wine, require,  # noqa: E402
                             require_makers, windows_path)
SOURCE = HERE / "qvsupport-example.wxs"
CONDITIONS = HERE / "feature-conditions.idt"
# ProgramFilesFolder is "Program Files (x86)" for an x86 package on 64-bit Windows.
INSTALL_DIRS = ["Program Files/qvsupport-example", "Program Files (x86)/qvsupport-example"]

WINLOGON_KEY = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Winlogon"
SETTINGS_KEY = r"HKLM\SOFTWARE\Vexa\VexaLumacore\KPQ\Settings\GlobalData"
REPAIRED = "QvUninstallGina: the logon-chain repair ran"
NO_CHAIN = "QvUninstallGina: this Windows has no logon-module chain; nothing changed"

PROPERTIES = [
    "QV_SYSTEM_ID", "QV_DEVICE_MASK", "QV_LINE_CODE", "QV_DEVICE_MASK_STATUS", "QV_TORVANE",
    "QV_LAN_MAKER", "QV_LAN_MAKER_NAME", "QV_WLAN_MAKER", "QV_WLAN_MAKER_NAME",
    "QV_WWAN_MAKER", "QV_WWAN_MAKER_NAME",
]


def build_package(arch, dll, work):
    for feature in ("core", "not-in-list", "device-bit3", "intel-lan"):
        (work / f"{feature}.txt").write_text(f"{feature}\n")
    shutil.copy(dll, work / "qvsupport_msi.dll")  # wixl takes relative source paths only
    package = work / "qvsupport-example.msi"
    for command in (["wixl", "-a", arch, "-D", f"Arch={arch}", "-D", "QvMsiDll=qvsupport_msi.dll", "-o", package.name,
                     str(SOURCE)],
                    ["msibuild", package.name, "-i", str(CONDITIONS)]):
        result = subprocess.run(command, cwd=work, capture_output=True, text=True)
        require(result.returncode == 0, f"{command[0]} failed: {result.stderr}")
    return package


def read_log(log):
    """What QvIdentify logged and what the installer's properties were at the end."""
    require(log.exists(), f"msiexec wrote no log at {log}")
    text = log.read_bytes().decode("utf-16" if log.read_bytes()[:2] == b"\xff\xfe" else "latin-1")
    logged, final = {}, {}
    for line in text.splitlines():
        match = re.match(r"QvIdentify: (QV_\w+)(?: cleared| = (.*))$", line)
        if match:
            require(match.group(1) not in logged, f"{match.group(1)} logged twice")
            value = match.group(2) or ""
            # Numbers may carry a note: "-4 (no line of the list starts with the system ID)".
            numbered = re.match(r"(-?\d+) \(.*\)$", value)
            logged[match.group(1)] = numbered.group(1) if numbered else value
        match = re.match(r"Property\(S\): (QV_\w+) = (.*)$", line)
        if match:
            final[match.group(1)] = match.group(2)
    return text, logged, final


def library_answers(wine, qvtool, list_file):
    code, out, err = wine.run(qvtool, "report", "--json", "--list", windows_path(list_file))
    require(code == 0, f"qvtool report failed ({code}): {err}")
    report = json.loads(out)
    result = report["deviceMask"]["result"]
    expected = {name: "" for name in PROPERTIES}
    expected["QV_SYSTEM_ID"] = str(report["systemId"])
    if result >= 0:
        line = result >> 8
        letters = report["deviceMask"]["lineCodeName"].replace(" (Torvane)", "")
        expected["QV_DEVICE_MASK"] = str(result & 0xFF)
        expected["QV_LINE_CODE"] = f"{line}, {letters}" if line else "0"
    else:
        expected["QV_DEVICE_MASK_STATUS"] = str(result)
    expected["QV_TORVANE"] = "1" if report["torvane"] else "0"
    for kind in ("lan", "wlan", "wwan"):
        code = report[kind]["code"]
        expected[f"QV_{kind.upper()}_MAKER"] = str(code)
        expected[f"QV_{kind.upper()}_MAKER_NAME"] = report[kind]["maker"] if code >= 0 else ""
    return expected, result


def compare(what, found, expected):
    differences = [f"{name}: {what} {found.get(name, '')!r}, qvtool answers {value!r}"
                   for name, value in expected.items() if found.get(name, "") != value]
    require(not differences, "\n".join(differences))


def installed_files(prefix):
    folders = [prefix / "drive_c" / folder for folder in INSTALL_DIRS]
    return sorted(p.name for folder in folders if folder.exists() for p in folder.iterdir())


def registry_text(wine, key, name):
    code, out, _ = wine.run("reg", "query", key, "/v", name, "/reg:64")
    match = re.search(rf"^\s*{name}\s+REG_SZ\s+(.*?)\s*$", out, re.M) if code == 0 else None
    return match.group(1) if match else None


def plant_product_logon_module(wine):
    """Winlogon names the product's module, and the product's settings say it is on, as the
    product's install left them on XP."""
    for key, name, value in ((WINLOGON_KEY, "GinaDLL", "qvgina.dll"),
                             (SETTINGS_KEY, "QVGinaEnabled", "1")):
        code, _, err = wine.run("reg", "add", key, "/v", name, "/d", value, "/f", "/reg:64")
        require(code == 0, f"reg add {name} failed ({code}): {err}")


def remove_logon_chain(wine):
    """What this check planted and the repair wrote: the prefix is shared with other tests."""
    wine.run("reg", "delete", WINLOGON_KEY, "/v", "GinaDLL", "/f", "/reg:64")
    wine.run("reg", "delete", SETTINGS_KEY, "/f", "/reg:64")


def check_uninstalled(args, wine, text):
    if not args.logon_chain:
        require(NO_CHAIN in text, f"QvUninstallGina did not log {NO_CHAIN!r}")
        return
    require(REPAIRED in text, f"QvUninstallGina did not log {REPAIRED!r}")
    gina = registry_text(wine, WINLOGON_KEY, "GinaDLL")
    require(gina == "msgina.dll", f"after uninstall GinaDLL is {gina!r}, not msgina.dll")
    enabled = registry_text(wine, SETTINGS_KEY, "QVGinaEnabled")
    require(enabled == "0", f"after uninstall QVGinaEnabled is {enabled!r}, not 0")
    print("the logon chain was repaired: GinaDLL = msgina.dll, QVGinaEnabled = 0")


def run(args):
    for name in ("dll", "qvtool", "plain_list", "wine_run", "prefix", "machine", "device_tree"):
        if getattr(args, name):
            setattr(args, name, pathlib.Path(getattr(args, name)).resolve())
    work = pathlib.Path(args.work).resolve()
    if work.exists():
        shutil.rmtree(work)
    work.mkdir(parents=True)
    wine = Wine(args.wine_run, args.prefix, work)
    # What an earlier, interrupted run left in the shared prefix would read as installed here.
    for folder in INSTALL_DIRS:
        shutil.rmtree(args.prefix / "drive_c" / folder, ignore_errors=True)

    code, _, err = wine.run(args.qvtool, "encrypt", windows_path(args.plain_list), "-o",
                            windows_path(work))
    require(code == 0, f"qvtool encrypt failed ({code}): {err}")
    list_file = work / "vexasysids.enc"
    package = build_package(args.arch, args.dll, work)
    if args.logon_chain:
        remove_logon_chain(wine)
        plant_product_logon_module(wine)
    try:
        with PlantedMachine(wine, args.device_tree, args.machine):
            install_and_uninstall(args, wine, list_file, package, work)
    finally:
        if args.logon_chain:
            remove_logon_chain(wine)


def install_and_uninstall(args, wine, list_file, package, work):
    install_log = work / "install.log"
    code, _, err = wine.run("msiexec", "/i", windows_path(package),
                            f"QV_LIST_FILE={windows_path(list_file)}", "/qn", "/l*v",
                            windows_path(install_log))
    require(code == 0, f"msiexec /i exited with {code}: {err}")
    try:
        check_installed(args, wine, list_file, install_log)
    finally:
        # Installed is uninstalled, even after a failed check: the prefix is shared, and a
        # package left registered keeps its components' files for the next run.
        uninstall_log = work / "uninstall.log"
        code, _, err = wine.run("msiexec", "/x", windows_path(package), "/qn", "/l*v",
                                windows_path(uninstall_log))
    require(code == 0, f"msiexec /x exited with {code}: {err}")
    text, _, _ = read_log(uninstall_log)
    require(re.search(r"^QvUninstallGina: ", text, re.M), "QvUninstallGina logged nothing")
    check_uninstalled(args, wine, text)
    require(not installed_files(args.prefix), f"left after uninstall: {installed_files(args.prefix)}")
    print(f"{package.name}: QvIdentify set what qvtool answers; the conditions held;")
    print("uninstalled, with " + re.search(r"^QvUninstallGina: .*$", text, re.M).group(0))


def check_installed(args, wine, list_file, install_log):
    _, logged, final = read_log(install_log)
    expected, result = library_answers(wine, args.qvtool, list_file)
    require(sorted(logged) == sorted(PROPERTIES), f"QvIdentify logged {sorted(logged)}")
    compare("QvIdentify logged", logged, expected)
    compare("the installer holds", final, expected)

    # Wine gives no OEM tables, so the system ID is 0 and no list holds it: the status feature
    # must be installed and the mask-conditioned one must not. The mask bits' conditions are
    # tested on the stand-in, where any platform can be made. The maker's feature follows the
    # devices the prefix holds.
    require(result == -4, f"qvtool's device-mask answer is {result} here, not -4 (not in the list)")
    makers = [int(expected[f"QV_{kind}_MAKER"]) for kind in ("LAN", "WLAN", "WWAN")]
    require_makers(args.machine, makers)
    wanted = ["core.txt", "not-in-list.txt"] + (["intel-lan.txt"] if makers[0] == 1 else [])
    require(installed_files(args.prefix) == sorted(wanted),
            f"installed {installed_files(args.prefix)}, the conditions give {sorted(wanted)}")
    print(f"installed {sorted(wanted)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--arch", choices=["x64", "x86"], required=True)
    for option in ("--dll", "--qvtool", "--plain-list", "--wine-run", "--prefix", "--work"):
        parser.add_argument(option, required=True)
    parser.add_argument("--machine", help="a machine profile of tests/data/device-trees whose "
                        "devices the prefix holds while the package is installed (needs "
                        "--device-tree)")
    parser.add_argument("--device-tree", help="device_tree.exe, which plants them")
    parser.add_argument("--logon-chain", action="store_true",
                        help="plant the product's logon module and expect the repair (x64, XP)")
    args = parser.parse_args()
    if bool(args.machine) != bool(args.device_tree):
        parser.error("--machine and --device-tree go together")
    if args.logon_chain and args.arch != "x64":
        parser.error("--logon-chain plants the module in the 64-bit view: x64 packages only")
    try:
        run(args)
    except (CheckFailed, subprocess.TimeoutExpired) as failure:
        print(f"check_msi: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
