#!/usr/bin/env python3
"""The planting test: a setupapi.dll left beside the calling program is never loaded.

    check_planting.py --wine-run SCRIPT --prefix DIR --module DLL --probe EXE --importer EXE
                      --planted DLL

On Windows XP setupapi.dll is not a KnownDLL, so the loader looks for it in the folder of the
process's program first. Wine takes its own DLLs first; WINEDLLOVERRIDES=setupapi=n,b makes it
search as XP does. Under that override, in fresh folders:

1. the control: setupapi_importer.exe, which imports setupapi.dll statically, beside the planted
   DLL, must load it (it leaves planted-setupapi.loaded in its
   folder). Otherwise the test could
   not fail, and it says so;
2. planting_probe.exe alone loads the module from another folder by full path and prints its
   answers; the system's setupapi.dll, loaded while the adapter exports read the device tree,
   must be gone again when they have returned;
3. the same with the planted DLL beside the probe: the answers must be exactly those of 2, and
   the planted DLL must not have been loaded (no marker, and the probe saw no such module).

The environment's kind (win64, win32, wow64) comes from QV_WINE_ARCH, as wine-run reads it.
Exit status 0 when all holds, 1 otherwise.
"""
import argparse
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

OVERRIDE = "setupapi=n,b"
MARKER = "planted-setupapi.loaded"
LOADED_LINE = "planted setupapi.dll loaded="
HELD_LINE = "system setupapi.dll loaded before, after the adapter exports="


class CheckFailed(Exception):
    pass


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def run_in(folder, wine_run, prefix, program, *args):
    """Runs `program` from a copy in `folder` under the override; its standard output."""
    copy = folder / pathlib.Path(program).name
    shutil.copy(program, copy)
    environment = dict(os.environ, WINEDLLOVERRIDES=OVERRIDE)
    result = subprocess.run([wine_run, "--prefix", prefix, str(copy), *args], cwd=folder,
                            env=environment, capture_output=True, text=True, timeout=300)
    if result.returncode != 0:
        raise CheckFailed(f"{copy.name} exited with {result.returncode}:\n{result.stdout}"
                          f"{result.stderr}")
    return result.stdout


def fresh_folder(root, name, planted=None):
    folder = root / name
    folder.mkdir()
    if planted:
        shutil.copy(planted, folder / "setupapi.dll")
    return folder


def answers_of(output):
    """(the module's answers, every line): what it says of loaded DLLs is no answer."""
    lines = [line.strip() for line in output.splitlines() if "=" in line]
    answers = [line for line in lines
               if not line.startswith(LOADED_LINE) and not line.startswith(HELD_LINE)]
    return answers, lines


def check(args, root):
    control = fresh_folder(root, "control", args.planted)
    print(run_in(control, args.wine_run, args.prefix, args.importer), end="")
    if not (control / MARKER).exists():
        raise CheckFailed("the control program, which imports setupapi.dll statically, did not load "
                          f"the copy beside it under WINEDLLOVERRIDES={OVERRIDE}: this Wine does "
                          "not search as Windows XP does, so the test could not fail")
    print("control: a static import of setupapi.dll loads the planted copy")

    module = windows_path(pathlib.Path(args.module).resolve())
    clean = fresh_folder(root, "clean")
    expected, clean_lines = answers_of(run_in(clean, args.wine_run, args.prefix, args.probe,
                                              module))
    planted = fresh_folder(root, "planted", args.planted)
    output = run_in(planted, args.wine_run, args.prefix, args.probe, module)
    print(output, end="")
    answers, lines = answers_of(output)
    problems = []
    if (planted / MARKER).exists() or LOADED_LINE + "0" not in lines:
        problems.append("the module loaded the setupapi.dll planted beside the program")
    if HELD_LINE + "0,0" not in clean_lines:
        problems.append("the system's setupapi.dll was loaded before the adapter exports ran, or "
                        "the module still held it after they returned")
    if answers != expected:
        problems.append("with the planted DLL the module answered " + ", ".join(answers) +
                        "; without it " + ", ".join(expected))
    if problems:
        raise CheckFailed("\n".join(problems))
    print("the module answered as without the planted DLL and did not load it")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--wine-run", "--prefix", "--module", "--probe", "--importer", "--planted"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    for option in ("wine_run", "prefix", "module", "probe", "importer", "planted"):
        setattr(args, option, os.path.abspath(getattr(args, option)))
    # A folder of the machine's own: in the guest, /tmp is its memory, not the shared build tree.
    root = pathlib.Path(tempfile.mkdtemp(prefix="qv-planting-"))
    try:
        check(args, root)
    except (CheckFailed, subprocess.TimeoutExpired) as failure:
        print(f"check_planting: {failure}", file=sys.stderr)
        return 1
    finally:
        shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
