"""The DLLs a shipped binary (qvsupport.dll, qvtool.exe) may import, each with the reason.

Every one is a KnownDLL of Windows 7 and later: the loader maps it from the system's own
\\KnownDlls section objects and never searches the application's folder for it, so a copy
planted beside the installer cannot be loaded in its place. A DLL outside this list (a MinGW
runtime DLL, version.dll, crypt32.dll...) would be searched for in the installer's folder first.
ntdll.dll is not a KnownDLL but is mapped into every process by the kernel before any search.
"""

KNOWN_DLLS = {
    "ntdll.dll": "mapped by the kernel into every process, never searched for",
    "kernel32.dll": "files, processes, memory and synchronisation: the Win32 base",
    "advapi32.dll": "the registry and CryptoAPI (the list's encryption)",
    "msvcrt.dll": "the C runtime that MinGW-w64 builds against",
    "ole32.dll": "COM, to reach WMI for the SMBIOS tables",
    "oleaut32.dll": "BSTRs, VARIANTs and SAFEARRAYs of WMI's answers",
    "setupapi.dll": "the Plug and Play hardware IDs of the network adapters",
    "user32.dll": "a KnownDLL, not imported today",
    "shell32.dll": "a KnownDLL, not imported today",
    "shlwapi.dll": "a KnownDLL, not imported today",
    "ws2_32.dll": "a KnownDLL, not imported today",
}

# A custom-action module (qvsupport_msi.dll) may also import the DLLs of its host process. The
# Windows Installer's custom-action server has msi.dll loaded before it loads any custom
# action, and the loader takes a DLL that is already loaded by its name, without a search.
CUSTOM_ACTION_HOST_DLLS = {
    "msi.dll": "MsiSetProperty and MsiProcessMessage: loaded by the custom-action server itself",
}
