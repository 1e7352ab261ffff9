#!/usr/bin/python3
"""Checks the shipped 32-bit programs as files, without running them.

Each program must be a PE32 file for i386 with the GUI subsystem, import only
from the DLLs allowed below (statically linked: no MinGW runtime DLL beside
it), carry its icon and its German version resource with the numbers and strings
below, and carry no application manifest: a manifest that declares Windows 8.1
or later changes the version that GetVersionExA reports.

Usage: check_shipped.py <dist-folder>
Prints one line per program and ends with "shipped: N passed, N failed".
"""
import os
import sys

import pefile

IMAGE_FILE_MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24
GERMAN_1252 = "040704E4"

# The DLLs a program may import. Each is one of Windows 7's known DLLs, which
# Windows always takes from its system folder; any other DLL it would look for
# in the program's folder first, where anyone who can write there could put
# one of that name. The programs load the functions of other DLLs at run time
# from the system folder by full path. A new entry needs those reasons.
ALLOWED_IMPORTS = {
    "advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll", "shell32.dll",
    "user32.dll",
}

PROGRAMS = {
    "Ferrolink.exe": ((2012, 1, 0, 0), {
        "CompanyName": "Quorlen",
        "FileDescription": "Ferrolink - Netzwerk-Datensynchronisation",
        "FileVersion": "2012.1.0.0",
        "InternalName": "Ferrolink",
        "OriginalFilename": "Ferrolink.exe",
        "ProductName": "Ferrolink",
        "ProductVersion": "2012.1.0.0",
    }),
    "Message.exe": ((2012, 0, 0, 0), {
        "FileDescription": "Q-DAS (qs-STAT) Ereignisanzeige",
        "FileVersion": "2012.0.0.0",
        "InternalName": "Message",
        "OriginalFilename": "Message.exe",
        "ProductName": "Q-DAS (qs-STAT) Ereignisanzeige",
        "ProductVersion": "2012.0.0.0",
    }),
    "Treecarry.exe": ((2012, 1, 0, 0), {
        "CompanyName": "Quorlen",
        "FileVersion": "2012.01",
        "InternalName": "Treecarry",
        "ProductName": "Treecarry",
        "ProductVersion": "2012.01",
    }),
    "Viewerprobe.exe": ((2012, 1, 0, 0), {
        "FileDescription": "Viewerprobe",
        "FileVersion": "2012.01",
        "InternalName": "Viewerprobe",
        "OriginalFilename": "Viewerprobe.exe",
        "ProductName": "Viewerprobe",
        "ProductVersion": "2012.01",
    }),
}


def resource_types(pe):
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return {}
    return {entry.id: entry for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries}


def strings_of(pe):
    """The German (1031, code page 1252) string table of the version resource."""
    for info in getattr(pe, "FileInfo", [[]])[0]:
        if info.Key != b"StringFileInfo":
            continue
        for table in info.StringTable:
            if table.LangID.decode().upper() == GERMAN_1252:
                return {k.decode("cp1252"): v.decode("cp1252") for k, v in table.entries.items()}
    return None


def faults(path, version, strings):
    """Every way in which the file differs from what ships."""
    try:
        pe = pefile.PE(path)
    except (OSError, pefile.PEFormatError) as error:
        return [f"cannot be read as a PE file ({error})"]
    found = []
    if pe.FILE_HEADER.Machine != IMAGE_FILE_MACHINE_I386:
        found.append(f"machine 0x{pe.FILE_HEADER.Machine:x}, not i386")
    if pe.OPTIONAL_HEADER.Magic != PE32_MAGIC:
        found.append(f"optional header 0x{pe.OPTIONAL_HEADER.Magic:x}, not PE32")
    if pe.OPTIONAL_HEADER.Subsystem != IMAGE_SUBSYSTEM_WINDOWS_GUI:
        found.append(f"subsystem {pe.OPTIONAL_HEADER.Subsystem}, not the GUI")
    # Windows (and Wine) answer a program without a manifest with the version
    # its header names, up to 6.2: a header of 6.3 or later changes what the
    # programs are told, and Viewerprobe's notice rests on that answer.
    header = pe.OPTIONAL_HEADER
    for label, major, minor in (
            ("operating-system", header.MajorOperatingSystemVersion,
             header.MinorOperatingSystemVersion),
            ("subsystem", header.MajorSubsystemVersion, header.MinorSubsystemVersion)):
        if (major, minor) >= (6, 3):
            found.append(f"{label} version {major}.{minor} in the header, not below 6.3")
    imports = [e.dll.decode() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    foreign = [dll for dll in imports if dll.lower() not in ALLOWED_IMPORTS]
    if foreign:
        found.append("imports from DLLs that Windows may take from the program's folder: " +
                     ", ".join(foreign))
    types = resource_types(pe)
    if RT_GROUP_ICON not in types or not types[RT_GROUP_ICON].directory.entries:
        found.append("no icon")
    if RT_MANIFEST in types:
        found.append("carries an application manifest")
    if RT_VERSION not in types or not getattr(pe, "VS_FIXEDFILEINFO", None):
        found.append("no version resource")
        return found
    fixed = pe.VS_FIXEDFILEINFO[0]
    for label, ms, ls in (("file", fixed.FileVersionMS, fixed.FileVersionLS),
                          ("product", fixed.ProductVersionMS, fixed.ProductVersionLS)):
        numbers = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        if numbers != version:
            found.append(f"{label} version {numbers}, not {version}")
    table = strings_of(pe)
    if table is None:
        found.append(f"no version strings in {GERMAN_1252}")
    elif table != strings:
        found.append(f"version strings {table}, not {strings}")
    return found


def main():
    if len(sys.argv) != 2:
        print("usage: check_shipped.py <dist-folder>", file=sys.stderr)
        return 2
    dist = sys.argv[1]
    passed = failed = 0
    for name, (version, strings) in PROGRAMS.items():
        found = faults(os.path.join(dist, name), version, strings)
        if found:
            failed += 1
            print(f"shipped: {name} FAILED: " + "; ".join(found))
        else:
            passed += 1
            print(f"shipped: {name} ok")
    print(f"shipped: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
