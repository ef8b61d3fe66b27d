#!/usr/bin/env python3
"""Runs the 32-bit test programs inside the guest (started by guest_stage.py through
scripts/guest-run), in two Wine environments side by side.

  guest_job.py --manifest FILE --results DIR --wine-run SCRIPT [--environments win32,wow64]
               [--only REGEX]

For each environment: one prefix on the guest's own memory (made once, by wine-run --init),
the programs registered for Wine's default version, then the environment switched to the XP
generation and the programs registered for it. Each program gets a fresh work directory
DIR/<environment>/<name>.work, its output in DIR/<environment>/<name>.log and its exit status
in DIR/<environment>/<name>.status ("timeout" when it ran out of time). A prefix that cannot be
made fails every program of its environment, with the reason in each log.
"""
import argparse
import os
import pathlib
import re
import shutil
import subprocess
import sys
import threading
import time

XP_VERSION = {"win32": "winxp", "wow64": "winxp64"}


class Program:
    def __init__(self, line):
        fields = line.rstrip("\n").split("\t")
        self.name = fields[0]
        self.environments = fields[1].split(",")
        self.xp = fields[2] == "xp"
        self.timeout = int(fields[3])
        self.command = fields[4:]


def read_manifest(path, only):
    programs = [Program(line) for line in pathlib.Path(path).read_text().splitlines() if line]
    if only:
        programs = [p for p in programs if re.search(only, p.name)]
    return programs


class Environment:
    def __init__(self, name, wine_run, results):
        self.name = name
        self.wine_run = wine_run
        self.prefix = pathlib.Path("/root") / f"prefix-{name}"
        self.results = results / name
        self.results.mkdir(parents=True, exist_ok=True)
        self.env = dict(os.environ, QV_WINE_ARCH=name, QV_WINEPREFIX=str(self.prefix))

    def wine_run_command(self, *args):
        return [self.wine_run, "--arch", self.name, "--prefix", str(self.prefix), *args]

    def prepare(self, *args):
        """Runs wine-run with `args` (--init, --version); the error text, or None."""
        try:
            result = subprocess.run(self.wine_run_command(*args), env=self.env,
                                    capture_output=True, text=True, timeout=900)
        except subprocess.TimeoutExpired:
            subprocess.run(self.wine_run_command("--kill"), env=self.env, capture_output=True)
            return f"wine-run {' '.join(args)} did not finish within 900 s"
        if result.returncode != 0:
            return f"wine-run {' '.join(args)} failed ({result.returncode}): {result.stderr}"
        return None

    def command_of(self, program, work):
        words = [w.replace("@WINE_RUN@", self.wine_run).replace("@PREFIX@", str(self.prefix))
                 .replace("@WORK@", str(work)) for w in program.command]
        if words[0].lower().endswith(".exe"):
            return self.wine_run_command(*words)
        return words

    def record(self, program, status, text):
        (self.results / f"{program.name}.log").write_text(text)
        (self.results / f"{program.name}.status").write_text(f"{status}\n")

    def run(self, program):
        work = self.results / f"{program.name}.work"
        shutil.rmtree(work, ignore_errors=True)
        work.mkdir(parents=True)
        command = self.command_of(program, work)
        header = f"$ {' '.join(command)}\n"
        started = time.monotonic()
        try:
            result = subprocess.run(command, cwd=work, env=self.env, stdout=subprocess.PIPE,
                                    stderr=subprocess.STDOUT, timeout=program.timeout)
            status, output = result.returncode, result.stdout
        except subprocess.TimeoutExpired as expired:
            status, output = "timeout", expired.stdout or b""
            subprocess.run(self.wine_run_command("--kill"), env=self.env,
                           capture_output=True)
        seconds = time.monotonic() - started
        text = header + output.decode("utf-8", "replace")
        self.record(program, status, text + f"\n[{program.name}: {status} after {seconds:.0f} s]\n")
        log(f"{self.name}: {program.name}: {status} ({seconds:.0f} s)")

    def run_all(self, programs):
        started = time.monotonic()
        mine = [p for p in programs if self.name in p.environments]
        error = self.prepare("--init")
        log(f"{self.name}: prefix {'failed' if error else 'ready'} after "
            f"{time.monotonic() - started:.0f} s")
        for program in [p for p in mine if not p.xp]:
            if error:
                self.record(program, 1, error)
            else:
                self.run(program)
        xp = [p for p in mine if p.xp]
        if xp and not error:
            error = self.prepare("--version", XP_VERSION[self.name])
        for program in xp:
            if error:
                self.record(program, 1, error)
            else:
                self.run(program)
        subprocess.run(self.wine_run_command("--wait"), env=self.env, capture_output=True)
        log(f"{self.name}: done after {time.monotonic() - started:.0f} s")


def log(text):
    print(text, flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--manifest", required=True)
    parser.add_argument("--results", required=True)
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--environments", default="win32,wow64")
    parser.add_argument("--only", help="run only the programs whose name matches")
    args = parser.parse_args()

    programs = read_manifest(args.manifest, args.only)
    results = pathlib.Path(args.results)
    environments = [Environment(name, args.wine_run, results)
                    for name in args.environments.split(",")]
    threads = [threading.Thread(target=e.run_all, args=(programs,)) for e in environments]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    (results / "complete").write_text("every program of the manifest was run\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
