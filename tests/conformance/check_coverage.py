#!/usr/bin/env python3
"""Every function of the stand-in that the product calls must be called by a conformance test.

    check_coverage.py --nm NM --standin libwinapi.a --tests DIR PRODUCT_LIBRARY...

The product's layers are static libraries; the functions they import from the stand-in are the
global functions that libwinapi.a defines (C names, or C++ names at global scope: the stand-in
declares Win32's functions without extern "C") and that some product library leaves undefined.
Each must be called, by name followed by "(", in a test source of DIR (*_test.cpp), outside
comments and string literals; the helpers that set up a test do not count. EXCEPTIONS names the
functions that no conformance test can hold to Windows, each with its reason.

Prints every function it checked and where it is called; exits 1 naming each one that no test
calls (or each exception that no longer applies), 0 otherwise.

What it cannot see: COM methods, which the product reaches through interface pointers rather
than by symbol, and inline functions of the stand-in's headers.
"""
import argparse
import pathlib
import re
import subprocess
import sys

# Function name -> why a conformance test cannot hold it to Windows. Empty while every
# imported function has a test; an entry for a function that a test calls, or that the product
# no longer imports, is itself an error, so the list cannot go stale.
EXCEPTIONS = {}

TEXT_SYMBOL_TYPES = {"T", "W"}
# A C++ function at global scope: _Z, the length of its name, the name, then its parameters.
GLOBAL_CXX_NAME = re.compile(r"_Z(\d+)")
C_NAME = re.compile(r"[A-Za-z][A-Za-z0-9_]*")
# Comments and string or character literals, removed before looking for calls.
NOT_CODE = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.DOTALL)


def global_function_name(symbol):
    """The name of a global function's symbol, or None for anything else."""
    match = GLOBAL_CXX_NAME.match(symbol)
    if match:
        length = int(match.group(1))
        return symbol[match.end():match.end() + length]
    return symbol if C_NAME.fullmatch(symbol) else None


def nm_symbols(nm, library, *options):
    """(type, symbol) for each line of `nm options library` that names a symbol."""
    output = subprocess.run([nm, *options, library], check=True, capture_output=True,
                            text=True).stdout
    for line in output.splitlines():
        fields = line.split()
        if len(fields) >= 2 and len(fields[-2]) == 1:
            yield fields[-2], fields[-1]


def imported_functions(nm, standin, product_libraries):
    """Name -> symbol of each stand-in function that a product library leaves undefined."""
    defined = {symbol for kind, symbol in nm_symbols(nm, standin, "--defined-only", "-g")
               if kind in TEXT_SYMBOL_TYPES}
    undefined = set()
    for library in product_libraries:
        undefined.update(symbol for _, symbol in nm_symbols(nm, library, "--undefined-only"))
    imported = {}
    for symbol in defined & undefined:
        name = global_function_name(symbol)
        if name:
            imported[name] = symbol
    return imported


def callers(test_sources, name):
    """The test sources that call `name`."""
    call = re.compile(r"\b" + re.escape(name) + r"\s*\(")
    return [path.name for path, code in test_sources.items() if call.search(code)]


def read_tests(directory):
    return {path: NOT_CODE.sub(" ", path.read_text(encoding="utf-8"))
            for path in sorted(pathlib.Path(directory).glob("*_test.cpp"))}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--nm", required=True)
    parser.add_argument("--standin", required=True, help="the stand-in's static library")
    parser.add_argument("--tests", required=True, help="the folder of the conformance tests")
    parser.add_argument("product_libraries", nargs="+")
    args = parser.parse_args()

    imported = imported_functions(args.nm, args.standin, args.product_libraries)
    if not imported:
        print("no function of the stand-in is imported: wrong libraries?")
        return 1
    tests = read_tests(args.tests)
    print(f"{len(imported)} functions of the stand-in that the product imports:")
    missing, stale = [], []
    for name in sorted(imported):
        files = callers(tests, name)
        if name in EXCEPTIONS:
            print(f"  {name}: excepted, {EXCEPTIONS[name]}")
            if files:
                stale.append(f"{name} is excepted but called in {', '.join(files)}")
        elif files:
            print(f"  {name}: {', '.join(files)}")
        else:
            print(f"  {name}: NOT CALLED BY ANY CONFORMANCE TEST")
            missing.append(name)
    stale += [f"{name} is excepted but no longer imported"
              for name in sorted(EXCEPTIONS) if name not in imported]
    for name in missing:
        print(f"missing: {name} is imported by the product but no conformance test calls it")
    for problem in stale:
        print(f"stale exception: {problem}")
    return 1 if missing or stale else 0


if __name__ == "__main__":
    sys.exit(main())
