#!/usr/bin/env python3
"""Does a shipped Windows binary start on the oldest Windows its build is for?

    check_floor.py FILE --arch x86|x64 [--exports TABLE]

The floor is Windows XP SP3 for the x86 (i686) binaries and Windows XP Professional x64
Edition for the x64 ones. Wine exports every function of every Windows version whatever
version it reports, so running the binaries proves nothing here; this check reads them:

- every function the binary imports, by name, must be in the table of what the floor's DLLs
  export (xp_floor_exports.tsv: one row per DLL and function, a yes or no for each
  architecture, and the source of that answer). An import by ordinal cannot be checked and
  fails, and so does a delay-load import, which the loader would find by searching;
- the operating-system and subsystem versions of the PE header are at most the floor's (5.1 on
  x86, 5.2 on x64): a higher version makes the loader refuse the file.
Each problem names the binary, the DLL and the function. Exits 1 if there is any.
"""
import argparse
import os
import struct
import sys

from check_module import MACHINES, PeImage

FLOORS = {"x86": ((5, 1), "Windows XP SP3"), "x64": ((5, 2), "Windows XP Professional x64 Edition")}
COLUMNS = {"x86": 2, "x64": 3}  # the table's yes/no column of each architecture
DEFAULT_TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "xp_floor_exports.tsv")


def read_table(path, arch):
    """{(dll, function): (exported by the floor, source)}, DLL names in lower case."""
    table = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.rstrip("\n").split("\t")
            if len(fields) != 5 or fields[2] not in ("yes", "no") or fields[3] not in ("yes", "no"):
                raise ValueError("%s:%d: expected dll, function, x86 yes/no, x64 yes/no, source"
                                 % (path, number))
            key = (fields[0].lower(), fields[1])
            if key in table:
                raise ValueError("%s:%d: %s!%s appears twice" % (path, number, *key))
            table[key] = (fields[COLUMNS[arch]] == "yes", fields[4])
    return table


def check_imports(image, name, arch, table):
    floor = FLOORS[arch][1]
    problems = []
    count = 0
    for dll, functions in image.imports().items():
        for function in functions:
            count += 1
            exported, source = table.get((dll.lower(), function), (None, None))
            if function.startswith("#"):
                problems.append("%s imports ordinal %s of %s, which cannot be checked against %s"
                                % (name, function[1:], dll, floor))
            elif exported is None:
                problems.append("%s imports %s from %s, which the table of what %s exports does "
                                "not list; find its minimum Windows and add it with its source"
                                % (name, function, dll, floor))
            elif not exported:
                problems.append("%s imports %s from %s, which %s's %s does not export (%s)"
                                % (name, function, dll, floor, dll, source))
    for dll in image.delay_imported_dlls():
        problems.append("%s delay-loads %s, which the loader would search for at first use"
                        % (name, dll))
    print("%d imported functions checked against %s" % (count, floor))
    return problems


def check_versions(image, name, arch):
    highest, floor = FLOORS[arch]
    problems = []
    for field, version in image.versions().items():
        print("%s version %d.%d" % (field, *version))
        if version > highest:
            problems.append("%s asks for %s version %d.%d, above %s (%d.%d)"
                            % (name, field, *version, floor, *highest))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("file")
    parser.add_argument("--arch", choices=sorted(MACHINES), required=True)
    parser.add_argument("--exports", default=DEFAULT_TABLE, help="the table of the floor's exports")
    args = parser.parse_args()
    name = os.path.basename(args.file)
    try:
        image = PeImage(args.file)
        table = read_table(args.exports, args.arch)
        problems = check_imports(image, name, args.arch, table) + check_versions(image, name, args.arch)
    except (OSError, ValueError, struct.error) as error:
        problems = ["cannot check %s: %s" % (args.file, error)]
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
