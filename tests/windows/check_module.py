#!/usr/bin/env python3
"""Static checks of a built qvsupport.dll, run by ctest in the Windows build trees.

    check_module.py format   DLL --arch x86|x64
    check_module.py imports  DLL --arch x86|x64                   (KnownDLLs of Windows XP only)
    check_module.py size     DLL --budget BYTES
    check_module.py exports  DLL --arch x86|x64 --expected FILE
    check_module.py callconv DLL --expected FILE --objdump OBJDUMP      (32-bit product only)
    check_module.py strings  DLL
    check_module.py version  FILE --project-version X.Y.Z --original-filename NAME
                             [--file-type dll|app]      (the module or qvtool.exe)

Each prints what it found and exits 0 when the module is as the installer needs it, 1 when
not. The PE file is parsed here directly; objdump only disassembles the exported functions.
"""
import argparse
import collections
import re
import struct
import subprocess
import sys

from known_dlls import unknown_dlls

MACHINES = {"x86": (0x014C, 0x010B), "x64": (0x8664, 0x020B)}  # COFF machine, optional magic
IMAGE_FILE_DLL = 0x2000
EXPORT_DIRECTORY, IMPORT_DIRECTORY, RESOURCE_DIRECTORY, DELAY_IMPORT_DIRECTORY = 0, 1, 2, 13
RT_STRING, RT_VERSION = 6, 16
LANGUAGE_EN_US = 1033
CODE_PAGE_UTF16 = 1200
VS_FIXEDFILEINFO_SIGNATURE = 0xFEEF04BD
FILE_TYPES = {"app": 1, "dll": 2}  # VFT_APP, VFT_DLL
VOS_NT_WINDOWS32 = 0x00040004
# The strings every version resource of this project carries; the check compares the ones
# that follow from the project version and the file name, and requires the others non-empty.
VERSION_STRINGS = ("FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                   "OriginalFilename", "ProductName", "ProductVersion")
PROJECT_NAME = "qvsupport"


# The installer's string table: 40 strings in 8 blocks, texts "3" x4, "7" x22, "15" x14.
EXPECTED_STRING_COUNT = 40
EXPECTED_STRING_BLOCKS = 8
EXPECTED_STRING_TEXTS = {"3": 4, "7": 22, "15": 14}


class PeImage:
    """Just enough of the PE format: headers, sections, and the directories checked here."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        if self.data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = self.u32(0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, self.characteristics = struct.unpack_from(
            "<HHIIIHH", self.data, pe + 4)
        optional = pe + 24
        self.magic = self.u16(optional)
        plus = self.magic == 0x020B
        self.image_base = struct.unpack_from("<Q" if plus else "<I", self.data,
                                             optional + (24 if plus else 28))[0]
        directories = optional + (112 if plus else 96)
        count = self.u32(directories - 4)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i)
                            for i in range(count)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            entry = table + 40 * i
            name = self.data[entry:entry + 8].rstrip(b"\0").decode("latin-1")
            virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from(
                "<IIII", self.data, entry + 8)
            self.sections.append((name, virtual_address, max(virtual_size, raw_size), raw_offset))

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def offset(self, rva):
        for _, address, size, raw in self.sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError("RVA 0x%x lies in no section" % rva)

    def c_string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def exports(self):
        """{name: function RVA}."""
        rva, size = self.directory(EXPORT_DIRECTORY)
        if not rva:
            return {}
        d = self.offset(rva)
        _, _, _, _, _, base, functions, names, function_table, name_table, ordinal_table = (
            struct.unpack_from("<IIHHIIIIIII", self.data, d))
        result = {}
        for i in range(names):
            name = self.c_string(self.u32(self.offset(name_table) + 4 * i))
            ordinal = self.u16(self.offset(ordinal_table) + 2 * i)
            result[name] = self.u32(self.offset(function_table) + 4 * ordinal)
        return result

    def imported_dlls(self):
        return list(self.imports())

    def imports(self):
        """{DLL name: [function name, or "#ordinal" for an import by ordinal]}, in file order."""
        rva, _ = self.directory(IMPORT_DIRECTORY)
        result = {}
        while rva:
            d = self.offset(rva)
            lookup_rva, name_rva, address_rva = self.u32(d), self.u32(d + 12), self.u32(d + 16)
            if name_rva == 0:
                break
            result[self.c_string(name_rva)] = self.thunk_names(lookup_rva or address_rva)
            rva += 20
        return result

    def delay_imported_dlls(self):
        """The DLLs of the delay-load directory, which the loader finds by search at first use."""
        rva, _ = self.directory(DELAY_IMPORT_DIRECTORY)
        dlls = []
        while rva:
            name_rva = self.u32(self.offset(rva) + 4)
            if name_rva == 0:
                break
            dlls.append(self.c_string(name_rva))
            rva += 32
        return dlls

    def thunk_names(self, rva):
        """The names of one import lookup table: hint/name entries, or ordinals."""
        plus = self.magic == 0x020B
        size, ordinal_flag = (8, 1 << 63) if plus else (4, 1 << 31)
        names = []
        while True:
            entry = struct.unpack_from("<Q" if plus else "<I", self.data, self.offset(rva))[0]
            if entry == 0:
                return names
            if entry & ordinal_flag:
                names.append("#%d" % (entry & 0xFFFF))
            else:
                names.append(self.c_string((entry & 0x7FFFFFFF) + 2))  # past the hint
            rva += size

    def versions(self):
        """{"OS": (major, minor), "subsystem": (major, minor)} of the optional header."""
        optional = self.u32(0x3C) + 24
        return {"operating system": (self.u16(optional + 40), self.u16(optional + 42)),
                "subsystem": (self.u16(optional + 48), self.u16(optional + 50))}

    def resource_entries(self, directory_rva, rva):
        """(id, is_directory, target RVA) of one resource directory's numbered entries."""
        d = self.offset(rva)
        named, numbered = self.u16(d + 12), self.u16(d + 14)
        entries = []
        for i in range(named, named + numbered):
            ident, target = struct.unpack_from("<II", self.data, d + 16 + 8 * i)
            entries.append((ident, bool(target & 0x80000000),
                            directory_rva + (target & 0x7FFFFFFF)))
        return entries

    def resources(self, type_id):
        """[(name ID, language, data bytes)] of every resource of one type."""
        root, _ = self.directory(RESOURCE_DIRECTORY)
        if not root:
            return []
        found = []
        for found_type, _, type_rva in self.resource_entries(root, root):
            if found_type != type_id:
                continue
            for name, _, name_rva in self.resource_entries(root, type_rva):
                for language, _, entry_rva in self.resource_entries(root, name_rva):
                    data_rva, size = struct.unpack_from("<II", self.data, self.offset(entry_rva))
                    start = self.offset(data_rva)
                    found.append((name, language, self.data[start:start + size]))
        return found

    def resource_types(self):
        root, _ = self.directory(RESOURCE_DIRECTORY)
        return sorted(t for t, _, _ in self.resource_entries(root, root)) if root else []

    def string_tables(self):
        """[(block ID, language, [16 strings])] of every RT_STRING resource."""
        root, _ = self.directory(RESOURCE_DIRECTORY)
        if not root:
            return []
        blocks = []
        for type_id, _, type_rva in self.resource_entries(root, root):
            if type_id != RT_STRING:
                continue
            for block_id, _, block_rva in self.resource_entries(root, type_rva):
                for language, _, entry_rva in self.resource_entries(root, block_rva):
                    data_rva, size = struct.unpack_from("<II", self.data, self.offset(entry_rva))
                    blocks.append((block_id, language, self.decode_block(data_rva, size)))
        return blocks

    def decode_block(self, rva, size):
        start, strings, pos = self.offset(rva), [], 0
        for _ in range(16):
            length = self.u16(start + pos)
            text = self.data[start + pos + 2:start + pos + 2 + 2 * length]
            strings.append(text.decode("utf-16-le"))
            pos += 2 + 2 * length
            if pos > size:
                raise ValueError("string block %#x overruns its %d bytes" % (rva, size))
        return strings


def read_expected(path, arch):
    """{export name: bytes the callee removes, or None for cdecl} for one architecture."""
    expected = {}
    with open(path) as f:
        for line in f:
            line = line.split("#", 1)[0].split()
            if not line:
                continue
            line_arch, name, convention = line
            if line_arch in ("any", arch):
                expected[name] = None if convention == "cdecl" else int(convention)
    return expected


def check_format(image, args):
    machine, magic = MACHINES[args.arch]
    print("machine 0x%04x, optional header 0x%03x, characteristics 0x%04x"
          % (image.machine, image.magic, image.characteristics))
    problems = []
    if image.machine != machine:
        problems.append("machine is 0x%04x, not 0x%04x" % (image.machine, machine))
    if image.magic != magic:
        problems.append("optional header magic is 0x%x, not 0x%x" % (image.magic, magic))
    if not image.characteristics & IMAGE_FILE_DLL:
        problems.append("not marked as a DLL")
    return problems


def check_imports(image, args):
    dlls = image.imported_dlls() + image.delay_imported_dlls()
    print("imports:", ", ".join(dlls))
    return ["imports %s, which is not a KnownDLL of Windows XP" % dll
            for dll in unknown_dlls(dlls, args.arch)]


def check_size(image, args):
    """The module is downloaded inside every installer: it may not grow past its budget."""
    print("%d bytes, budget %d" % (len(image.data), args.budget))
    return [] if len(image.data) <= args.budget else [
        "%d bytes is over the budget of %d bytes" % (len(image.data), args.budget)]


def check_exports(image, args):
    found = set(image.exports())
    expected = set(read_expected(args.expected, args.arch))
    print("%d exports: %s" % (len(found), ", ".join(sorted(found))))
    return (["missing export %s" % name for name in sorted(expected - found)] +
            ["unexpected export %s" % name for name in sorted(found - expected)])


def disassemble(objdump, path, address, length=0x4000):
    """(address, instruction) pairs of the function at `address`. With symbols the function
    ends where the next one begins; a stripped module gives no labels, and the function is
    then taken to end at its first ret."""
    out = subprocess.run([objdump, "-d", "--no-show-raw-insn", "--start-address=%#x" % address,
                          "--stop-address=%#x" % (address + length), path],
                         check=True, capture_output=True, text=True).stdout
    body, bounded = [], False
    for line in out.splitlines():
        label = re.match(r"^([0-9a-f]+) <(.+)>:$", line)
        if label and int(label.group(1), 16) != address:
            bounded = True
            break  # the next function begins
        m = re.match(r"^\s*([0-9a-f]+):\s+(.*)$", line)
        if m:
            body.append((int(m.group(1), 16), m.group(2).strip()))
    if not bounded:
        for i, (_, text) in enumerate(body):
            if is_ret(text):
                return body[:i + 1]
    return body


def is_ret(instruction):
    return re.match(r"^ret[lwq]?\b", instruction) is not None


def returns_of(objdump, path, address, depth=0):
    """The ret instructions ending the function at `address`, following a jmp thunk at its
    start and a tail jump at its end."""
    body = disassemble(objdump, path, address)
    if not body:
        return []
    first = re.match(r"^jmp\s+([0-9a-f]+)\b", body[0][1])
    if first and depth < 4:
        return returns_of(objdump, path, int(first.group(1), 16), depth + 1)
    rets = [text for _, text in body if is_ret(text)]
    if not rets:
        tail = [m for m in (re.match(r"^jmp\s+([0-9a-f]+)\b", text) for _, text in body) if m]
        if tail and depth < 4:
            return returns_of(objdump, path, int(tail[-1].group(1), 16), depth + 1)
    return rets


def popped_bytes(ret):
    m = re.match(r"^ret[lwq]?\s+\$?(0x[0-9a-f]+|\d+)", ret)
    return int(m.group(1), 0) if m else 0


def check_callconv(image, args):
    exports = image.exports()
    problems = []
    for name, callee_pops in sorted(read_expected(args.expected, "x86").items()):
        if name not in exports:
            problems.append("%s: not exported" % name)
            continue
        rets = returns_of(args.objdump, args.dll, image.image_base + exports[name])
        wanted = callee_pops or 0
        print("%-60s %s" % (name, "; ".join(sorted(set(rets))) or "no ret found"))
        if not rets:
            problems.append("%s: no return instruction found" % name)
        for ret in rets:
            if popped_bytes(ret) != wanted:
                problems.append("%s: '%s' but the callee must remove %d bytes"
                                % (name, ret, wanted))
    return problems


def check_strings(image, args):
    blocks = image.string_tables()
    strings = {}
    problems = []
    for block_id, language, texts in blocks:
        if language != LANGUAGE_EN_US:
            problems.append("block %d has language %d, not %d"
                            % (block_id, language, LANGUAGE_EN_US))
        for index, text in enumerate(texts):
            if text:
                strings[(block_id - 1) * 16 + index] = text
    block_ids = sorted({block_id for block_id, _, _ in blocks})
    print("%d strings in blocks %s" % (len(strings), block_ids))
    for ident, text in sorted(strings.items()):
        print("  %d: %s" % (ident, text))
        if not 100 <= ident <= 999:
            problems.append("string ID %d is not a three-digit system ID" % ident)
    if len(strings) != EXPECTED_STRING_COUNT:
        problems.append("%d strings, expected %d" % (len(strings), EXPECTED_STRING_COUNT))
    if len(block_ids) != EXPECTED_STRING_BLOCKS:
        problems.append("%d blocks, expected %d" % (len(block_ids), EXPECTED_STRING_BLOCKS))
    texts = dict(collections.Counter(strings.values()))
    if texts != EXPECTED_STRING_TEXTS:
        problems.append("texts %s, expected %s" % (texts, EXPECTED_STRING_TEXTS))
    return problems


def parse_version_node(data, pos):
    """One node of a VS_VERSIONINFO tree at `pos`: (key, value, children, end). A text value
    (type 1) is returned as str with its terminating NUL, a binary one as bytes. Every node and
    value starts on a 4-byte boundary of the resource data."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, pos)
    end = pos + length
    if length < 6 or end > len(data):
        raise ValueError("version node at %d claims %d bytes of %d" % (pos, length, len(data)))
    key_end = pos + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
        if key_end >= end:
            raise ValueError("version node at %d: key without end" % pos)
    key = data[pos + 6:key_end].decode("utf-16-le")
    cursor = align4(key_end + 2)
    if value_type == 1:
        value = data[cursor:cursor + 2 * value_length].decode("utf-16-le")
        cursor += 2 * value_length
    else:
        value = data[cursor:cursor + value_length]
        cursor += value_length
    children = []
    cursor = align4(cursor)
    while cursor < end:
        child = parse_version_node(data, cursor)
        children.append(child)
        cursor = align4(child[3])
    return key, value, children, end


def align4(offset):
    return (offset + 3) & ~3


def version_numbers(text):
    """"1.2.3" -> the four 16-bit parts of a fixed file version, missing parts 0."""
    parts = [int(p) for p in text.split(".")]
    return tuple(parts + [0] * (4 - len(parts)))


def check_version(image, args):
    problems = []
    print("resource types:", image.resource_types())
    if RT_STRING not in image.resource_types() and args.file_type == "dll":
        problems.append("no string table beside the version resource")
    versions = image.resources(RT_VERSION)
    if len(versions) != 1:
        return problems + ["%d version resources, expected one" % len(versions)]
    name, language, data = versions[0]
    print("version resource %d, language %d, %d bytes" % (name, language, len(data)))
    if name != 1 or language != LANGUAGE_EN_US:
        problems.append("version resource %d/%d, expected 1/%d" % (name, language, LANGUAGE_EN_US))
    key, fixed, children, _ = parse_version_node(data, 0)
    if key != "VS_VERSION_INFO" or len(fixed) != 52:
        return problems + ["root node '%s' with %d bytes of fixed info" % (key, len(fixed))]
    problems += check_fixed_info(fixed, args)
    nodes = {child_key: grandchildren for child_key, _, grandchildren, _ in children}
    strings, translations = {}, []
    for table_key, _, entries, _ in nodes.get("StringFileInfo", []):
        print("string table", table_key)
        if table_key.upper() != "%04X%04X" % (LANGUAGE_EN_US, CODE_PAGE_UTF16):
            problems.append("string table %s, expected 040904B0" % table_key)
        strings.update({entry_key: text for entry_key, text, _, _ in entries})
    for var_key, value, _, _ in nodes.get("VarFileInfo", []):
        if var_key == "Translation":
            translations += [struct.unpack_from("<HH", value, i) for i in range(0, len(value), 4)]
    print("translations:", translations)
    if translations != [(LANGUAGE_EN_US, CODE_PAGE_UTF16)]:
        problems.append("translations %s, expected [(1033, 1200)]" % translations)
    return problems + check_version_strings(strings, args)


def check_fixed_info(fixed, args):
    (signature, _, file_ms, file_ls, product_ms, product_ls, _, flags, os, file_type,
     _, _, _) = struct.unpack("<13I", fixed)
    file_version = (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF)
    product_version = (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16,
                       product_ls & 0xFFFF)
    print("fixed file info: file %s, product %s, flags %#x, OS %#x, type %d"
          % (file_version, product_version, flags, os, file_type))
    wanted = version_numbers(args.project_version)
    problems = []
    if signature != VS_FIXEDFILEINFO_SIGNATURE:
        problems.append("fixed file info signature %#x" % signature)
    if file_version != wanted or product_version != wanted:
        problems.append("fixed versions %s/%s, expected %s" % (file_version, product_version,
                                                               wanted))
    if flags:
        problems.append("file flags %#x (debug, pre-release or patched)" % flags)
    if os != VOS_NT_WINDOWS32:
        problems.append("file OS %#x, expected VOS_NT_WINDOWS32" % os)
    if file_type != FILE_TYPES[args.file_type]:
        problems.append("file type %d, expected %d" % (file_type, FILE_TYPES[args.file_type]))
    return problems


def check_version_strings(strings, args):
    problems = []
    for key in VERSION_STRINGS:
        value = strings.get(key)
        print("  %-17s %r" % (key, value))
        if value is None or not value.endswith("\0") or not value.rstrip("\0"):
            problems.append("%s missing, empty or not NUL-terminated" % key)
    text = {key: value.rstrip("\0") for key, value in strings.items()}
    for key, wanted in (("FileVersion", args.project_version),
                        ("ProductVersion", args.project_version),
                        ("OriginalFilename", args.original_filename),
                        ("ProductName", PROJECT_NAME)):
        if key in text and text[key] != wanted:
            problems.append("%s is %r, expected %r" % (key, text[key], wanted))
    if PROJECT_NAME not in text.get("LegalCopyright", ""):
        problems.append("LegalCopyright does not name %s" % PROJECT_NAME)
    return problems


CHECKS = {"format": check_format, "imports": check_imports, "exports": check_exports,
          "callconv": check_callconv, "strings": check_strings, "version": check_version,
          "size": check_size}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("check", choices=sorted(CHECKS))
    parser.add_argument("dll")
    parser.add_argument("--arch", choices=sorted(MACHINES), default="x86")
    parser.add_argument("--expected")
    parser.add_argument("--objdump", default="i686-w64-mingw32-objdump")
    parser.add_argument("--project-version")
    parser.add_argument("--original-filename")
    parser.add_argument("--file-type", choices=sorted(FILE_TYPES), default="dll")
    parser.add_argument("--budget", type=int, help="the most bytes the file may have")
    args = parser.parse_args()
    try:
        problems = CHECKS[args.check](PeImage(args.dll), args)
    except (OSError, ValueError, struct.error, subprocess.CalledProcessError) as error:
        problems = ["cannot check %s: %s" % (args.dll, error)]
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
