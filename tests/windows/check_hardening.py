#!/usr/bin/env python3
"""Static checks of the safety properties of a shipped Windows binary (qvsupport.dll,
qvsupport_msi.dll or qvtool.exe), run by ctest in both Windows build trees and again on the
packaged files.

    check_hardening.py FILE --arch x86|x64 [--custom-action]

- DYNAMICBASE (the loader may place it anywhere) and NX_COMPAT (data is not executable), and on
  x64 also HIGH_ENTROPY_VA (placement in the whole 64-bit address space);
- no section that is both writable and executable;
- a relocation table, without which DYNAMICBASE cannot move the image;
- imports only from the KnownDLLs of Windows XP (known_dlls.py), which cannot be planted beside
  it; a custom-action module (--custom-action) also from the DLLs its host has already loaded;
- the PE checksum in the optional header is the file's.
Prints what it found and each problem, and exits 1 if there is any.
"""
import argparse
import struct
import sys

from check_module import MACHINES, PeImage
from known_dlls import unknown_dlls

HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT = 0x0020, 0x0040, 0x0100
RELOCS_STRIPPED = 0x0001
SCN_MEM_EXECUTE, SCN_MEM_WRITE = 0x20000000, 0x80000000
BASE_RELOCATION_DIRECTORY = 5
CHECKSUM_OFFSET = 64  # in the optional header
DLL_CHARACTERISTICS_OFFSET = 70


def optional_header(image):
    return image.u32(0x3C) + 24


def section_flags(image):
    """(name, characteristics) of each section."""
    pe = image.u32(0x3C)
    count, optional_size = image.u16(pe + 6), image.u16(pe + 20)
    table = optional_header(image) + optional_size
    return [(image.data[e:e + 8].rstrip(b"\0").decode("latin-1"), image.u32(e + 36))
            for e in (table + 40 * i for i in range(count))]


def pe_checksum(data, field):
    """The PE checksum: 16-bit one's-complement sum of the file without its checksum field,
    plus the file's length."""
    padded = data + b"\0" * (len(data) % 2)
    total = 0
    for offset in range(0, len(padded), 2):
        if field <= offset < field + 4:
            continue
        total += padded[offset] | padded[offset + 1] << 8
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def check_flags(image, arch):
    flags = image.u16(optional_header(image) + DLL_CHARACTERISTICS_OFFSET)
    print("DllCharacteristics 0x%04x" % flags)
    wanted = {"DYNAMICBASE": DYNAMIC_BASE, "NX_COMPAT": NX_COMPAT}
    if arch == "x64":
        wanted["HIGH_ENTROPY_VA"] = HIGH_ENTROPY_VA
    return ["%s is not set" % name for name, bit in wanted.items() if not flags & bit]


def check_sections(image):
    writable_code = [name for name, flags in section_flags(image)
                     if flags & SCN_MEM_WRITE and flags & SCN_MEM_EXECUTE]
    return ["section %s is writable and executable" % name for name in writable_code]


def check_relocations(image):
    _, size = image.directory(BASE_RELOCATION_DIRECTORY)
    print("relocation table: %d bytes" % size)
    problems = [] if size else ["no relocation table"]
    if image.characteristics & RELOCS_STRIPPED:
        problems.append("marked as having its relocations stripped")
    return problems


def check_imports(image, arch, custom_action):
    dlls = image.imported_dlls() + image.delay_imported_dlls()
    print("imports:", ", ".join(dlls))
    return ["imports %s, which is not a KnownDLL of Windows XP and could be planted beside it"
            % dll for dll in unknown_dlls(dlls, arch, custom_action)]


def check_checksum(image):
    field = optional_header(image) + CHECKSUM_OFFSET
    stored, computed = image.u32(field), pe_checksum(image.data, field)
    print("checksum 0x%08x, computed 0x%08x" % (stored, computed))
    return [] if stored == computed else ["the PE checksum is 0x%08x, not 0x%08x"
                                          % (stored, computed)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("file")
    parser.add_argument("--arch", choices=sorted(MACHINES), required=True)
    parser.add_argument("--custom-action", action="store_true",
                        help="a custom-action module: the installer's own DLLs are allowed too")
    args = parser.parse_args()
    try:
        image = PeImage(args.file)
        problems = (check_flags(image, args.arch) + check_sections(image) +
                    check_relocations(image) + check_imports(image, args.arch, args.custom_action) + check_checksum(image))
    except (OSError, ValueError, struct.error) as error:
        problems = ["cannot check %s: %s" % (args.file, error)]
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
