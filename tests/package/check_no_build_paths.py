#!/usr/bin/env python3
"""No shipped file may name the folder it was built in.

    check_no_build_paths.py PACKAGE_DIR FOLDER...

Opens every .zip and .tar.gz archive in PACKAGE_DIR and searches each member for each FOLDER,
as bytes, in UTF-8 and in UTF-16LE (the encoding of Windows resources). Prints every find and
exits 1 if there is any.
"""
import pathlib
import sys
import tarfile
import zipfile


def members(archive):
    """(name, bytes) of each file in the archive."""
    if archive.name.endswith(".zip"):
        with zipfile.ZipFile(archive) as z:
            for info in z.infolist():
                if not info.is_dir():
                    yield info.filename, z.read(info)
    else:
        with tarfile.open(archive) as t:
            for info in t.getmembers():
                if info.isfile():
                    yield info.name, t.extractfile(info).read()


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    packages = pathlib.Path(sys.argv[1])
    needles = [(folder, folder.rstrip("/").encode(encoding))
               for folder in sys.argv[2:] for encoding in ("utf-8", "utf-16-le")]
    archives = sorted(p for p in packages.iterdir() if p.name.endswith((".zip", ".tar.gz")))
    if not archives:
        sys.exit("no archives in %s" % packages)
    finds = 0
    for archive in archives:
        count = 0
        for name, data in members(archive):
            count += 1
            for folder, needle in needles:
                if needle in data:
                    print("FAIL: %s: %s names %s" % (archive.name, name, folder))
                    finds += 1
        print("%s: %d files searched" % (archive.name, count))
    return 1 if finds else 0


if __name__ == "__main__":
    sys.exit(main())
