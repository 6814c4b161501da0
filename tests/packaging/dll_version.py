#!/usr/bin/python3
"""Reads the version resource of numo.dll back and checks its fields against the project's
version. Prints one line for each field that is wrong or missing and exits 1; prints nothing
and exits 0 when all hold.

Usage: dll_version.py DLL VERSION
"""
import sys

import pefile


def main():
    path, version = sys.argv[1], sys.argv[2]
    numbers = [int(part) for part in version.split(".")] + [0]
    pe = pefile.PE(path)
    problems = []
    if not hasattr(pe, "VS_FIXEDFILEINFO"):
        print(f"{path}: no version resource")
        return 1
    fixed = pe.VS_FIXEDFILEINFO[0]
    for name, ms, ls in (("FILEVERSION", fixed.FileVersionMS, fixed.FileVersionLS),
                         ("PRODUCTVERSION", fixed.ProductVersionMS, fixed.ProductVersionLS)):
        got = [ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF]
        if got != numbers[:4]:
            problems.append(f"{name} is {got}, not {numbers[:4]}")
    if fixed.FileType != 2:  # VFT_DLL
        problems.append(f"FILETYPE is {fixed.FileType}, not VFT_DLL")

    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                for key, value in table.entries.items():
                    strings[key.decode()] = value.decode()
    wanted = {
        "FileVersion": version,
        "ProductVersion": version,
        "OriginalFilename": "numo.dll",
        "InternalName": "numo",
        "ProductName": "Numo",
    }
    for key, value in wanted.items():
        if strings.get(key) != value:
            problems.append(f"{key} is {strings.get(key)!r}, not {value!r}")
    # The description and the copyright only need to say what they are for.
    if "plug-in" not in strings.get("FileDescription", ""):
        problems.append(f"FileDescription {strings.get('FileDescription')!r} names no plug-in")
    if "the numo authors" not in strings.get("LegalCopyright", ""):
        problems.append(f"LegalCopyright {strings.get('LegalCopyright')!r} names no authors")
    for problem in problems:
        print(f"{path}: {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
