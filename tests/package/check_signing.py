#!/usr/bin/env python3
"""Authenticode signing with scripts/sign, on copies of the win64 build's files.

    check_signing.py --dll QVSUPPORT_DLL --tool QVTOOL_EXE --sign SCRIPT --wine-run SCRIPT
                     --prefix WINEPREFIX --module-roundtrip EXE --version-info EXE
                     --check-module CHECK_MODULE_PY --project-version X.Y.Z

A throwaway self-signed code-signing certificate (openssl) signs copies of qvsupport.dll and
qvtool.exe, with the password from QV_SIGN_PASSWORD and from a password file. Each signature
must verify (osslsigncode verify, the certificate as the only trusted CA), the password must
reach osslsigncode in a private file and on no command line, the version resources must be
intact, and the signed module must still load and answer under wine64 (the module_roundtrip
and version_info programs, pointed at the signed copies). A wrong password, or one file of a
batch that cannot be signed, must leave every file byte for byte as it was; one changed byte in
the code of a signed module must make verification fail.
Prints each check; exits 0 when all hold, 1 when one does not, 77 (skipped) without
osslsigncode or openssl.
"""
import argparse
import hashlib
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile

PASSWORD = "throwaway pass-phrase 7"
SKIPPED = 77
IMAGE_SCN_CNT_CODE = 0x20
CERTIFICATE_CONFIG = """\
[req]
distinguished_name = name
prompt = no
x509_extensions = code_signing
[name]
CN = qvsupport throwaway code signing
[code_signing]
basicConstraints = critical, CA:TRUE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
"""
# Stands in for osslsigncode on scripts/sign's PATH: logs each argument, and the mode of the
# password file, then runs the real one.
LOGGING_OSSLSIGNCODE = """\
#!/bin/sh
previous=
for argument in "$@"; do
  printf 'argument %s\\n' "$argument" >> "{log}"
  if [ "$previous" = -readpass ]; then
    printf 'readpass %s %s\\n' "$(stat -c %a "$argument")" "$argument" >> "{log}"
  fi
  previous=$argument
done
exec "{real}" "$@"
"""


class Checks:
    def __init__(self):
        self.failures = 0

    def expect(self, holds, what, detail=""):
        print(("ok:   " if holds else "FAIL: ") + what)
        if not holds:
            self.failures += 1
            if detail:
                print("      " + detail.strip().replace("\n", "\n      "))
        return holds


def run(command, env=None):
    return subprocess.run([str(c) for c in command], env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True, errors="replace")


def digest(path):
    return hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def environment_without_password(**extra):
    env = {k: v for k, v in os.environ.items() if k != "QV_SIGN_PASSWORD"}
    env.update(extra)
    return env


def make_certificate(work):
    """cert.pem (the self-signed CA) and cert.pfx (it and its key, under PASSWORD)."""
    (work / "cert.cnf").write_text(CERTIFICATE_CONFIG)
    (work / "pfx-password").write_text(PASSWORD)
    for command in (
            ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
             "-config", work / "cert.cnf", "-keyout", work / "key.pem", "-out", work / "cert.pem"],
            ["openssl", "pkcs12", "-export", "-in", work / "cert.pem", "-inkey", work / "key.pem",
             "-passout", "file:" + str(work / "pfx-password"), "-out", work / "cert.pfx"]):
        result = run(command)
        if result.returncode != 0:
            raise RuntimeError(" ".join(map(str, command)) + " failed:\n" + result.stdout)
    print(f"made a throwaway code-signing certificate in {work}")
    return work / "cert.pem", work / "cert.pfx"


def copies(sources, directory):
    directory.mkdir()
    return [pathlib.Path(shutil.copy2(source, directory)) for source in sources]


def strangers_beside(files):
    """Names in the files' directories other than the files': what a signing run left."""
    return sorted({p.name for f in files for p in f.parent.iterdir()} - {f.name for f in files})


def verify(path, ca=None):
    """Whether osslsigncode accepts the signature of `path`, trusting `ca` (else the system's
    CAs): its exit status and its report must both say so."""
    trusted = ["-CAfile", ca] if ca else []
    result = run(["osslsigncode", "verify", *trusted, "-in", path])
    return result.returncode == 0 and "Signature verification: ok" in result.stdout, result.stdout


def expect_signed(checks, path, ca):
    holds, report = verify(path, ca)
    checks.expect(holds, f"{path.name}: the signature verifies against the certificate", report)
    checks.expect("Message digest algorithm  : SHA256" in report and
                  "Text description: qvsupport" in report,
                  f"{path.name}: signed with SHA-256, program name qvsupport", report)


def sign(args, pfx, files, env, *options):
    return run([args.sign, "--pfx", pfx, *options, *files], env=env)


def check_password_from_environment(checks, args, work, ca, pfx):
    """Signs both files at once with QV_SIGN_PASSWORD; returns the signed copies."""
    files = copies([args.dll, args.tool], work / "environment")
    modes = [f.stat().st_mode for f in files]
    log = work / "osslsigncode.log"
    bin_dir = work / "bin"
    bin_dir.mkdir()
    wrapper = bin_dir / "osslsigncode"
    wrapper.write_text(LOGGING_OSSLSIGNCODE.format(log=log, real=shutil.which("osslsigncode")))
    wrapper.chmod(0o755)
    env = environment_without_password(QV_SIGN_PASSWORD=PASSWORD,
                                       PATH=f"{bin_dir}{os.pathsep}{os.environ['PATH']}")
    print(f"signing {', '.join(f.name for f in files)} with the password in QV_SIGN_PASSWORD")
    result = sign(args, pfx, files, env)
    checks.expect(result.returncode == 0, "scripts/sign succeeds", result.stdout)
    for path in files:
        expect_signed(checks, path, ca)
    checks.expect([f.stat().st_mode for f in files] == modes, "the files keep their permissions")
    checks.expect(not strangers_beside(files), "nothing is left beside the signed files",
                  " ".join(strangers_beside(files)))
    check_password_handling(checks, log.read_text() if log.exists() else "")
    return files


def check_password_handling(checks, log):
    lines = log.splitlines()
    arguments = [line.split(" ", 1)[1] for line in lines if line.startswith("argument ")]
    password_files = [line.split(" ", 2)[1:] for line in lines if line.startswith("readpass ")]
    checks.expect(bool(arguments) and not any(PASSWORD in a for a in arguments),
                  "the password is on no osslsigncode command line", log)
    checks.expect(bool(password_files) and all(mode == "600" for mode, _ in password_files),
                  "osslsigncode reads it from a file only its owner can read (-readpass, 0600)",
                  log)
    checks.expect(bool(password_files) and not any(os.path.exists(f) for _, f in password_files),
                  "that file is gone once scripts/sign is done", log)


def check_password_file(checks, args, work, ca, pfx):
    (dll,) = copies([args.dll], work / "password-file")
    password_file = work / "password.txt"
    password_file.write_text(PASSWORD + "\n")
    print(f"signing {dll.name} with --password-file (no QV_SIGN_PASSWORD)")
    result = sign(args, pfx, [dll], environment_without_password(), "--password-file",
                  password_file)
    checks.expect(result.returncode == 0, "scripts/sign succeeds", result.stdout)
    expect_signed(checks, dll, ca)


def expect_untouched(checks, files, before, result, status, what):
    checks.expect(result.returncode == status, f"{what}: exit status {status}",
                  f"exit status {result.returncode}\n{result.stdout}")
    checks.expect([digest(f) for f in files] == before, f"{what}: the files are unchanged")
    leftovers = strangers_beside(files)
    checks.expect(not leftovers, f"{what}: nothing left beside them", " ".join(leftovers))


def check_failures_change_nothing(checks, args, work, pfx):
    (dll,) = copies([args.dll], work / "failures")
    not_pe = dll.parent / "broken.exe"
    not_pe.write_bytes(b"MZ" + bytes(4096))
    files = [dll, not_pe]
    before = [digest(f) for f in files]
    print("signing with a wrong password, a file that cannot be signed, and bad usage")
    wrong = environment_without_password(QV_SIGN_PASSWORD="not " + PASSWORD)
    right = environment_without_password(QV_SIGN_PASSWORD=PASSWORD)
    expect_untouched(checks, files, before, sign(args, pfx, [dll], wrong), 1, "wrong password")
    expect_untouched(checks, files, before, sign(args, pfx, files, right), 1,
                     "a batch whose second file cannot be signed")
    usage_cases = (
        ("no --pfx", run([args.sign, dll], env=right)),
        ("a missing pfx", sign(args, work / "missing.pfx", [dll], right)),
        ("no password", sign(args, pfx, [dll], environment_without_password())),
        ("no files", sign(args, pfx, [], right)),
    )
    for what, result in usage_cases:
        expect_untouched(checks, files, before, result, 2, what)
        checks.expect("usage:" in result.stdout, f"{what}: a usage message", result.stdout)


def code_section_middle(image):
    """The file offset of the middle of the first code section of a PE image."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    (sections,) = struct.unpack_from("<H", image, pe + 6)
    (optional_size,) = struct.unpack_from("<H", image, pe + 20)
    for index in range(sections):
        entry = pe + 24 + optional_size + 40 * index
        raw_size, raw_offset = struct.unpack_from("<II", image, entry + 16)
        (characteristics,) = struct.unpack_from("<I", image, entry + 36)
        if characteristics & IMAGE_SCN_CNT_CODE and raw_size:
            return raw_offset + raw_size // 2
    raise ValueError("no code section")


def check_tampering_is_caught(checks, signed_dll, work, ca):
    tampered = work / "tampered.dll"
    image = bytearray(signed_dll.read_bytes())
    image[code_section_middle(image)] ^= 0xFF
    tampered.write_bytes(image)
    print("changing one byte of the signed module's code")
    holds, report = verify(tampered, ca)
    checks.expect(not holds, "a changed byte of code fails verification", report)
    holds, report = verify(signed_dll)
    checks.expect(not holds, "without the certificate as a trusted CA the signature is refused",
                  report)


def check_version_resources(checks, args, dll, tool):
    for path, original_name, file_type in ((dll, "qvsupport.dll", "dll"),
                                           (tool, "qvtool.exe", "app")):
        result = run([sys.executable, args.check_module, "version", path,
                      "--project-version", args.project_version,
                      "--original-filename", original_name, "--file-type", file_type])
        checks.expect(result.returncode == 0, f"{path.name}: version resource intact",
                      result.stdout)


def wine(args, program, env_overrides, *arguments):
    env = dict(os.environ, **env_overrides)
    return run([args.wine_run, "--prefix", args.prefix, program, *arguments], env=env)


def check_signed_module_runs(checks, args, work, dll, tool):
    signed = {"QV_MODULE_PATH_OVERRIDE": windows_path(dll),
              "QVTOOL_PATH_OVERRIDE": windows_path(tool)}
    missing = {"QV_MODULE_PATH_OVERRIDE": windows_path(work / "missing" / "qvsupport.dll"),
               "QVTOOL_PATH_OVERRIDE": windows_path(work / "missing" / "qvtool.exe")}
    print(f"running module_roundtrip and version_info under wine64 on {dll.parent}")
    for program in (args.module_roundtrip, args.version_info):
        name = pathlib.Path(program).name
        result = wine(args, program, signed)
        checks.expect(result.returncode == 0, f"{name} passes on the signed copies", result.stdout)
    # The programs must really load what the overrides name: copies that do not exist fail.
    result = wine(args, args.module_roundtrip, missing)
    checks.expect(result.returncode != 0 and missing["QV_MODULE_PATH_OVERRIDE"] in result.stdout,
                  "module_roundtrip loads the module QV_MODULE_PATH_OVERRIDE names", result.stdout)
    result = wine(args, args.version_info, missing)
    checks.expect(result.returncode != 0 and all(
        f"[  FAILED  ] VersionResource.{test}" in result.stdout
        for test in ("ModuleCarriesTheProjectVersion", "QvtoolCarriesTheProjectVersion")),
                  "version_info reads the files the two overrides name", result.stdout)


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--dll", "--tool", "--sign", "--wine-run", "--prefix", "--module-roundtrip",
                   "--version-info", "--check-module", "--project-version"):
        parser.add_argument(option, required=True)
    return parser.parse_args()


def main():
    args = parse_arguments()
    missing = [tool for tool in ("osslsigncode", "openssl") if shutil.which(tool) is None]
    if missing:
        print(f"SKIPPED: {' and '.join(missing)} not installed"
              " (Debian packages; scripts/install-deps installs them)")
        return SKIPPED
    checks = Checks()
    with tempfile.TemporaryDirectory(prefix="qv-signing-") as temporary:
        work = pathlib.Path(temporary)
        ca, pfx = make_certificate(work)
        dll, tool = check_password_from_environment(checks, args, work, ca, pfx)
        check_password_file(checks, args, work, ca, pfx)
        check_failures_change_nothing(checks, args, work, pfx)
        check_tampering_is_caught(checks, dll, work, ca)
        check_version_resources(checks, args, dll, tool)
        check_signed_module_runs(checks, args, work, dll, tool)
    print(f"{checks.failures} check(s) failed" if checks.failures else "all signing checks hold")
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
