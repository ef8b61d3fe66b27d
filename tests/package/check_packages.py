#!/usr/bin/env python3
"""Checks the release packages that scripts/package made, as the installer team unpacks them.

    check_packages.py PACKAGE_DIR --source SOURCE_DIR --win32-build DIR --win64-build DIR
                      --linux-build DIR [--signed]

For each package (qvsupport-<version>-win32.zip, -win32-symbols.zip, -linux-x86_64.tar.gz):
the file list, SHA256SUMS inside and the .sha256 file beside it. qvsupport.dll, qvtool.exe and
msi/x86/qvsupport_msi.dll must be the files of the win32 build tree, and msi/x64/qvsupport_msi.dll
the win64 tree's, byte for byte (with --signed, those files with a signature appended), and
pass their static and hardening checks again where they were unpacked. Each .debug file of the symbols package must be the one its binary's debug link
names, by name and CRC. The Linux tree must work alone: qvtool encrypts the example list and
reports on the example laptop with a clean environment and the build tree out of reach of its
dynamic loader, and a C program builds against include/qvsupport.h and lib/libqvsupport.so.
Prints each problem and exits 1 if there is any.
"""
import argparse
import hashlib
import os
import pathlib
import re
import subprocess
import sys
import tarfile
import tempfile
import zipfile
import zlib

HERE = pathlib.Path(__file__).resolve().parent
MODULE_CHECKS = ("format", "imports", "exports", "callconv", "strings", "version")
# The custom-action modules, by their place in the package.
MSI_MODULES = {"msi/x86/qvsupport_msi.dll": "x86", "msi/x64/qvsupport_msi.dll": "x64"}
MSI_MODULE_CHECKS = {"x86": ("format", "exports", "callconv"), "x64": ("format", "exports")}
COMPARE_SIGNED = HERE.parent.parent / "scripts" / "compare-signed"
REPORT_MACHINE = "examples/machines/platform-d-laptop.json"
# What the bundled example laptop answers with the bundled list (examples/README.md).
REPORT_LINES = ("GetSystemId:  533 (0x0215)",
                "GetDeviceMask(vexasysids.enc): 847 = line code 3 * 256 + mask 0x4F")

HEADER_PROGRAM = r"""
#include <stdio.h>
#include "qvsupport.h"
int main(void) {
  /* Every declared function must resolve in the library; the cheapest ones are called. */
  void* all[] = {(void*)EncryptSysIds, (void*)GetSystemId, (void*)GetDeviceMask,
                 (void*)GetDeviceMaskDecrypt, (void*)IsSupportedDevice, (void*)IsTorvaneSystem,
                 (void*)GetLANManufacturerID, (void*)GetWLANManufacturerID,
                 (void*)GetWWANManufacturerID, (void*)UninstallQVGina};
  printf("%d %d %d %d\n", (int)(sizeof all / sizeof all[0]), IsSupportedDevice(5, 4),
         IsSupportedDevice(5, 2), GetDeviceMaskDecrypt(533));
  return 0;
}
"""
HEADER_PROGRAM_OUTPUT = "10 4 0 -1\n"  # no list in its directory: GetDeviceMaskDecrypt is -1


def project_version(build_dir):
    cache = (pathlib.Path(build_dir) / "CMakeCache.txt").read_text()
    return re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.*)$", cache, re.M).group(1)


def shipped_documents(source):
    """Relative paths of the documents both packages carry, from the source tree."""
    source = pathlib.Path(source)
    files = {"README.md", "docs/QVTOOL.md"}
    for folder in ("docs", "examples"):
        files |= {p.relative_to(source).as_posix()
                  for p in (source / folder).rglob("*") if p.is_file()}
    return files


def sha256(path):
    return hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()


def unpack(package, into):
    if package.name.endswith(".zip"):
        with zipfile.ZipFile(package) as archive:
            names = [n for n in archive.namelist() if not n.endswith("/")]
            archive.extractall(into)
            # zipfile drops the permission bits; keep the executable ones.
            for info in archive.infolist():
                mode = info.external_attr >> 16
                if mode:
                    os.chmod(os.path.join(into, info.filename), mode & 0o7777)
    else:
        with tarfile.open(package) as archive:
            names = [m.name for m in archive.getmembers() if m.isfile()]
            archive.extractall(into)
    return names


def check_file_list(names, top, expected):
    problems = []
    outside = [n for n in names if not n.startswith(top + "/")]
    if outside:
        problems.append("files outside %s/: %s" % (top, outside))
    found = {n[len(top) + 1:] for n in names if n.startswith(top + "/")}
    problems += ["missing: %s" % f for f in sorted(expected - found)]
    problems += ["unexpected: %s" % f for f in sorted(found - expected)]
    if len(names) != len(set(names)):
        problems.append("a file is in the archive twice")
    return problems


def check_sums(root, package):
    """SHA256SUMS inside lists every other file once, with its hash; the .sha256 file beside
    the package names the package with its hash."""
    problems = []
    listed = {}
    for line in (root / "SHA256SUMS").read_text().splitlines():
        match = re.fullmatch(r"([0-9a-f]{64})  (\S+)", line)
        if not match:
            problems.append("SHA256SUMS: malformed line %r" % line)
            continue
        if match.group(2) in listed:
            problems.append("SHA256SUMS lists %s twice" % match.group(2))
        listed[match.group(2)] = match.group(1)
    present = {p.relative_to(root).as_posix() for p in root.rglob("*") if p.is_file()}
    present.discard("SHA256SUMS")
    problems += ["SHA256SUMS misses %s" % f for f in sorted(present - set(listed))]
    problems += ["SHA256SUMS names %s, not in the package" % f for f in sorted(set(listed) - present)]
    for name, digest in sorted(listed.items()):
        if name in present and sha256(root / name) != digest:
            problems.append("SHA256SUMS: %s does not match" % name)
    print("SHA256SUMS: %d files" % len(listed))
    beside = package.with_name(package.name + ".sha256")
    if not beside.exists():
        problems.append("no %s" % beside.name)
    elif beside.read_text().split()[:2] != [sha256(package), package.name]:
        problems.append("%s does not match the package" % beside.name)
    return problems


def run(command, **kwargs):
    result = subprocess.run(command, capture_output=True, text=True, **kwargs)
    return result.returncode, result.stdout, result.stderr


def built_files(args):
    """Each shipped Windows binary's place in the package, and the build tree's file."""
    win32, win64 = pathlib.Path(args.win32_build), pathlib.Path(args.win64_build)
    return {"qvsupport.dll": win32 / "qvsupport.dll",
            "qvtool.exe": win32 / "tools" / "qvtool" / "qvtool.exe",
            "msi/x86/qvsupport_msi.dll": win32 / "qvsupport_msi.dll",
            "msi/x64/qvsupport_msi.dll": win64 / "qvsupport_msi.dll"}


def check_shipped_binaries(root, args):
    """The packed binaries against the build trees': the same bytes, or with --signed the same
    bytes with a signature appended (scripts/compare-signed)."""
    problems = []
    for place, built in built_files(args).items():
        packed = root / place
        same = packed.read_bytes() == built.read_bytes()
        if not args.signed:
            if not same:
                problems.append("%s differs from %s" % (place, built))
            continue
        code, out, _ = run([sys.executable, str(COMPARE_SIGNED), str(packed), str(built)])
        print(out.strip())
        if code != 0 or same:
            problems.append("%s is not %s with a signature" % (place, built))
    return problems


def win32_checks(version, objdump):
    """(script, check, place in the package, arch, extra arguments) of every static check."""
    windows = HERE.parent / "windows"
    module, hardening = windows / "check_module.py", windows / "check_hardening.py"
    floor = windows / "check_floor.py"
    product = ["--expected", str(windows / "expected_exports.txt"), "--original-filename",
               "qvsupport.dll", "--file-type", "dll", "--project-version", version,
               "--objdump", objdump]
    checks = [(module, check, "qvsupport.dll", "x86", product) for check in MODULE_CHECKS]
    checks.append((module, "version", "qvtool.exe", "x86",
                   ["--original-filename", "qvtool.exe", "--file-type", "app",
                    "--project-version", version]))
    for binary in ("qvsupport.dll", "qvtool.exe"):
        checks += [(hardening, None, binary, "x86", []), (floor, None, binary, "x86", [])]
    custom_actions = ["--expected", str(windows / "expected_msi_exports.txt"), "--objdump", objdump]
    for place, arch in MSI_MODULES.items():
        checks += [(module, check, place, arch, custom_actions) for check in MSI_MODULE_CHECKS[arch]]
        checks.append((hardening, None, place, arch, ["--custom-action"]))
        checks.append((floor, None, place, arch, []))
    return checks


def check_win32(package, root, args, version):
    problems = check_shipped_binaries(root, args)
    for script, check, place, arch, extra in win32_checks(version, args.objdump):
        command = [sys.executable, str(script)] + ([check] if check else [])
        code, out, _ = run(command + [str(root / place), "--arch", arch] + extra)
        name = check or script.stem.replace("check_", "")
        print("%s %s: %s" % (place, name, "passed" if code == 0 else "FAILED"))
        if code != 0:
            problems.append("%s fails the %s check:\n%s" % (place, name, out))
    if (root / "qvtool.exe").read_bytes()[:2] != b"MZ":
        problems.append("qvtool.exe is not a Windows program")
    return problems


def debug_link(objdump, binary, arch):
    """(file name, CRC-32) that the binary's .gnu_debuglink section names: the name, NUL,
    padding to four bytes, and the CRC in little-endian order."""
    objcopy = objdump.replace("objdump", "objcopy")
    if arch == "x64":  # the i686 tools read no PE32+ file
        objcopy = objcopy.replace("i686-", "x86_64-")
    with tempfile.TemporaryDirectory() as work:
        section = pathlib.Path(work) / "debuglink"
        code, _, err = run([objcopy, "--dump-section", ".gnu_debuglink=%s" % section,
                            str(binary), str(pathlib.Path(work) / "copy")])
        if code != 0 or not section.exists():
            raise ValueError("%s: no debug link (%s)" % (binary, err.strip()))
        content = section.read_bytes()
    name = content[:content.index(b"\0")].decode()
    return name, int.from_bytes(content[-4:], "little")


def check_symbols(package, root, args, version):
    """Each .debug file is the one the build's binary links to."""
    problems = []
    for place, binary in built_files(args).items():
        try:
            name, crc = debug_link(args.objdump, binary, MSI_MODULES.get(place, "x86"))
        except ValueError as error:
            problems.append(str(error))
            continue
        # Beside the place of its binary, as a debugger looks for it.
        shipped = root / (place + ".debug")
        actual = zlib.crc32(shipped.read_bytes()) if shipped.exists() else None
        print("%s links to %s (CRC 0x%08x); packed: %s" % (
            place, name, crc, "missing" if actual is None else "0x%08x" % actual))
        if name != shipped.name or actual != crc:
            problems.append("%s links to %s with CRC 0x%08x, which the package does not hold"
                            % (place, name, crc))
    return problems


def clean_environment():
    return {"PATH": "/usr/bin:/bin", "LC_ALL": "C"}


def check_linux(package, root, args, version):
    problems = []
    qvtool = root / "bin" / "qvtool"
    for binary in (qvtool, root / "lib" / "libqvsupport.so"):
        _, dynamic, _ = run(["readelf", "-d", str(binary)])
        for path in re.findall(r"\((?:RPATH|RUNPATH)\).*\[(.*)\]", dynamic):
            if any(p and not p.startswith("$ORIGIN") for p in path.split(":")):
                problems.append("%s searches %s for libraries" % (binary.name, path))
    code, out, err = run([str(qvtool), "--version"], env=clean_environment())
    if (code, out) != (0, "qvtool %s\n" % version):
        problems.append("qvtool --version: %d %r %r" % (code, out, err))
    with tempfile.TemporaryDirectory() as work:
        code, out, err = run([str(qvtool), "encrypt", "examples/sysids.txt", "-o", work],
                             cwd=root, env=clean_environment())
        if code != 0:
            return problems + ["qvtool encrypt: exit %d\n%s%s" % (code, out, err)]
        code, out, err = run([str(qvtool), "report", "--machine", REPORT_MACHINE, "--list",
                              os.path.join(work, "vexasysids.enc")], cwd=root,
                             env=clean_environment())
        print("qvtool report: exit %d, %d lines" % (code, len(out.splitlines())))
        lines = [line.replace(os.path.join(work, ""), "") for line in out.splitlines()]
        if code != 0:
            problems.append("qvtool report: exit %d\n%s" % (code, err))
        problems += ["qvtool report lacks %r" % want for want in REPORT_LINES if want not in lines]
    return problems + check_header(root)


def check_header(root):
    """The header declares exactly the library's plain exports, and a C program builds and
    runs against the unpacked tree."""
    problems = []
    header = (root / "include" / "qvsupport.h").read_text()
    declared = set(re.findall(r"^int QVSUPPORT_CALL (\w+)\(", header, re.M))
    _, symbols, _ = run(["nm", "-D", "--defined-only", str(root / "lib" / "libqvsupport.so")])
    exported = {s.split()[-1] for s in symbols.splitlines()
                if s.split()[1:2] == ["T"] and not s.split()[-1].startswith("_Z")}
    print("header declares %d functions, the library exports %d C functions"
          % (len(declared), len(exported)))
    problems += ["header declares %s, not exported" % f for f in sorted(declared - exported)]
    problems += ["%s is exported but not declared" % f for f in sorted(exported - declared)]
    with tempfile.TemporaryDirectory() as work:
        program = pathlib.Path(work) / "use_header.c"
        program.write_text(HEADER_PROGRAM)
        binary = pathlib.Path(work) / "use_header"
        code, _, err = run(["cc", "-std=c99", "-Wall", "-Wextra", "-Werror",
                            "-I", str(root / "include"), str(program), "-o",
                            str(binary), "-L", str(root / "lib"), "-lqvsupport",
                            "-Wl,-rpath," + str(root / "lib")])
        if code != 0:
            return problems + ["a C program does not build against the header:\n" + err]
        code, out, err = run([str(binary)], cwd=work, env=clean_environment())
        if (code, out) != (0, HEADER_PROGRAM_OUTPUT):
            problems.append("C program against the library: exit %d, %r %r" % (code, out, err))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("packages")
    parser.add_argument("--source", required=True)
    parser.add_argument("--win32-build", required=True)
    parser.add_argument("--win64-build", required=True)
    parser.add_argument("--linux-build", required=True)
    parser.add_argument("--objdump", default="i686-w64-mingw32-objdump")
    parser.add_argument("--signed", action="store_true",
                        help="the Windows binaries were signed when packed")
    args = parser.parse_args()
    version = project_version(args.linux_build)
    if version != project_version(args.win32_build):
        print("FAIL: the win32 and linux build trees have different versions")
        return 1
    documents = shipped_documents(args.source)
    flavours = [
        ("win32.zip", {"qvsupport.dll", "qvtool.exe", "SHA256SUMS"} | set(MSI_MODULES) | documents,
         check_win32),
        ("win32-symbols.zip",
         {"qvsupport.dll.debug", "qvtool.exe.debug", "SHA256SUMS"} |
         {place + ".debug" for place in MSI_MODULES},
         check_symbols),
        ("linux-x86_64.tar.gz",
         {"bin/qvtool", "lib/libqvsupport.so", "include/qvsupport.h", "SHA256SUMS"} | documents,
         check_linux),
    ]
    failed = False
    for suffix, files, check in flavours:
        name = "qvsupport-%s-%s" % (version, suffix)
        package = pathlib.Path(args.packages) / name
        print("=== %s" % name)
        if not package.exists():
            print("FAIL: %s not found" % package)
            failed = True
            continue
        top = name[:-len(".zip")] if name.endswith(".zip") else name[:-len(".tar.gz")]
        with tempfile.TemporaryDirectory() as into:
            names = unpack(package, into)
            root = pathlib.Path(into) / top
            problems = check_file_list(names, top, files)
            if not problems:
                problems = check_sums(root, package) + check(package, root, args, version)
        for problem in problems:
            print("FAIL:", problem)
        failed = failed or bool(problems)
    print("packages: %s" % ("FAILED" if failed else "every check passed"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
