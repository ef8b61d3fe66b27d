#!/usr/bin/env python3
"""Reports one program's result from the guest stage (guest_stage.py) as a ctest test.

  guest_result.py --results DIR --environment ENV --test NAME

Prints the program's log and exits with its result: 0 passed, 77 skipped (the stage was skipped,
with its reason, or the program skipped itself), 1 failed, timed out, or never run.
"""
import argparse
import pathlib
import sys


def main():
    parser = argparse.ArgumentParser()
    for option in ("--results", "--environment", "--test"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    results = pathlib.Path(args.results)
    skipped = results / "skipped.txt"
    if skipped.exists():
        print(f"skipped: the guest did not run here: {skipped.read_text().strip()}")
        return 77
    log = results / args.environment / f"{args.test}.log"
    status_file = results / args.environment / f"{args.test}.status"
    if not status_file.exists():
        print(f"failed: the guest recorded no result for {args.test} in {args.environment} "
              "(see the guest.run test's output)")
        return 1
    print(log.read_text(errors="replace") if log.exists() else "(no log)")
    status = status_file.read_text().strip()
    if status == "0":
        return 0
    if status == "77":
        print(f"skipped: {args.test} skipped itself in {args.environment}")
        return 77
    print(f"failed: {args.test} in {args.environment} ended with status {status}")
    return 1


if __name__ == "__main__":
    sys.exit(main())
