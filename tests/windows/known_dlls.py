"""The DLLs a shipped binary may import: the KnownDLLs of the oldest Windows it runs on.

A KnownDLL is mapped from the system's own \\KnownDlls section objects (\\KnownDlls32 for 32-bit
processes on 64-bit Windows), made at boot from the system directory; the loader never looks
for it in the application's folder, so a copy planted beside the installer cannot take its
place. Any other DLL a binary imports statically is searched for, and on Windows XP that search
starts in the folder of the process's program. So imports are held to Windows XP's lists, not to
those of later Windows (Windows 7 added setupapi.dll, for one): a DLL outside them, setupapi.dll
included, is loaded at run time from the system directory by its full path.

Sources:
- [registry] The KnownDLLs value list of Windows XP (HKLM\\SYSTEM\\CurrentControlSet\\Control\\
  Session Manager\\KnownDLLs) and the sections it yields, as recorded on XP with WinObj in the
  comment block of DynamoRIO's suite/tests/win32/aslr-dll.c.
- [closure] The sections also cover every DLL a listed DLL imports, transitively: Microsoft's
  "Dynamic-link library search order" (the known DLL "and the known DLL's dependent DLLs"),
  Larry Osterman, "What are Known DLLs anyway?" (2004), ReactOS's smss (sminit.c), and the same
  DynamoRIO record, which lists msvcrt.dll among the XP sections.
- [x64] Windows XP Professional x64 Edition reads the same value list for its 64-bit processes
  (\\KnownDlls, from System32) and its 32-bit ones (\\KnownDlls32, from SysWOW64), each section
  set with its own import closure (Windows Internals, 7th ed., smss start-up). No dump of XP
  x64's sections was found: the lists below assume its defaults are XP's, which DynamoRIO's test,
  run on XP x64 with the same list, supports.
- ntdll.dll is no section: the kernel maps it into every process before the loader runs.
"""

# 32-bit Windows XP SP3, and the 32-bit processes of XP x64 (WOW64), which run the i686 binaries
# there. Only the DLLs the binaries import, or may reasonably import, are named.
XP_X86 = {
    "ntdll.dll": "mapped by the kernel into every process, never searched for",
    "kernel32.dll": "[registry] files, processes, memory and synchronisation",
    "advapi32.dll": "[registry] the registry and CryptoAPI (the list's encryption)",
    "ole32.dll": "[registry] COM, to reach WMI for the SMBIOS tables",
    "oleaut32.dll": "[registry] BSTRs, VARIANTs and SAFEARRAYs of WMI's answers",
    "user32.dll": "[registry] not imported today",
    "shell32.dll": "[registry] not imported today",
    "version.dll": "[registry] not imported today",
    "msvcrt.dll": "[closure] imported by the listed DLLs; the C runtime MinGW-w64 builds against",
    "shlwapi.dll": "[closure] imported by comdlg32.dll; not imported today",
}

# The 64-bit processes of Windows XP Professional x64 Edition [x64].
XP_X64 = dict(XP_X86)

KNOWN_DLLS = {"x86": XP_X86, "x64": XP_X64}

# A custom-action module (qvsupport_msi.dll) may also import the DLLs of its host process. The
# Windows Installer's custom-action server has msi.dll loaded before it loads any custom
# action, and the loader takes a DLL that is already loaded by its name, without a search.
CUSTOM_ACTION_HOST_DLLS = {
    "msi.dll": "MsiSetProperty and MsiProcessMessage: loaded by the custom-action server itself",
}


def unknown_dlls(dlls, arch, custom_action=False):
    """The DLLs of `dlls` that a loader of the architecture's floor would search for."""
    allowed = dict(KNOWN_DLLS[arch], **(CUSTOM_ACTION_HOST_DLLS if custom_action else {}))
    return [dll for dll in dlls if dll.lower() not in allowed]
