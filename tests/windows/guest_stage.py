#!/usr/bin/env python3
"""The guest stage of the 32-bit build: one guest run for every program of the manifest.

  guest_stage.py --guest-run SCRIPT --wine-run SCRIPT --manifest FILE --work DIR
                 [--timeout SECONDS] [--only REGEX] [--environments win32,wow64]

Checks that this machine can run the guest (qemu, a kernel, static busybox, Wine's 32-bit
loader); when it cannot, writes the reason to DIR/results/skipped.txt and exits 77 (skipped),
so that every i686 test reports itself skipped with that reason. Otherwise clears
DIR/results, boots the guest with tests/windows/guest_job.py as its job, and exits 0 when the
job ran to its end (each program's own result is in DIR/results) or 1 when the guest failed.
"""
import argparse
import glob
import os
import pathlib
import shutil
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent


def missing_prerequisite():
    """Why the guest cannot run here, or None."""
    if not shutil.which("qemu-system-x86_64"):
        return "qemu-system-x86_64 is not installed (package qemu-system-x86)"
    if not glob.glob("/boot/vmlinuz-*"):
        return "no kernel in /boot (package linux-image-amd64)"
    if not os.path.exists("/bin/busybox"):
        return "no /bin/busybox (package busybox-static)"
    if not os.path.exists("/usr/lib/wine/wine"):
        return "Wine's 32-bit loader /usr/lib/wine/wine is missing (package wine32:i386)"
    if not glob.glob("/usr/lib/i386-linux-gnu/wine/i386-unix/ntdll.so"):
        return "Wine's 32-bit libraries are missing (package wine32:i386)"
    return None


def main():
    parser = argparse.ArgumentParser()
    for option in ("--guest-run", "--wine-run", "--manifest", "--work"):
        parser.add_argument(option, required=True)
    parser.add_argument("--timeout", type=int, default=1800)
    parser.add_argument("--only")
    parser.add_argument("--environments", default="win32,wow64")
    args = parser.parse_args()

    work = pathlib.Path(args.work).resolve()
    results = work / "results"
    shutil.rmtree(results, ignore_errors=True)
    results.mkdir(parents=True)

    reason = missing_prerequisite()
    if reason:
        (results / "skipped.txt").write_text(reason + "\n")
        print(f"guest stage skipped: {reason}")
        return 77

    # The guest sees this machine's root but has a /root of its own: Debian's python3.
    job = ["/usr/bin/python3", str(HERE / "guest_job.py"), "--manifest",
           str(pathlib.Path(args.manifest).resolve()), "--results", str(results),
           "--wine-run", str(pathlib.Path(args.wine_run).resolve()),
           "--environments", args.environments]
    if args.only:
        job += ["--only", args.only]
    command = [args.guest_run, "--work", str(work), "--timeout", str(args.timeout), *job]
    print("$ " + " ".join(command), flush=True)
    status = subprocess.run(command).returncode
    if status != 0 or not (results / "complete").exists():
        print(f"guest stage failed: the guest job ended with status {status} "
              f"(console log: {work / 'guest-console.log'})")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
