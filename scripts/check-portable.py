#!/usr/bin/env python3
"""Checks that the portable folders include no Windows header.

usage: check-portable.py SOURCE_ROOT [FOLDER...]

The portable core builds with g++ on Linux as well as with MinGW-w64, so
the algorithms, the jobs (but for their *_win32.cpp files) and the text
helpers may include no Windows header: neither directly (windows.h, any
win*.h, the shell, common-control, COM and setup headers...) nor through a
header of a folder that is not portable itself (the toolkit, the features,
the program). FOLDER defaults to the portable folders under SOURCE_ROOT.
Prints each offending include and exits with 1 when there is one.
"""
import os
import re
import sys

PORTABLE = ("algorithms", "jobs", "text")
# Files of a portable folder that are Windows code by name.
WINDOWS_FILE = re.compile(r"_win32\.(cpp|h)$")
# The Windows SDK's headers, matched on the name without its folder, in any
# letter case (MinGW-w64 ships them in lower case, the SDK in mixed case).
WINDOWS_HEADERS = re.compile(
    r"^(win[a-z0-9_]*|windef|windowsx|ole2|olectl|oleauto|objbase|objidl|ocidl|unknwn|combaseapi|comdef"
    r"|shlwapi|shlobj|shlobj_core|shellapi|shobjidl|shobjidl_core|shtypes|knownfolders|propkey|propsys"
    r"|commctrl|commdlg|richedit|uxtheme|vssym32|vsstyle|dwmapi|dbt|setupapi|devguid|cfgmgr32|initguid"
    r"|ntddcdrm|ntddstor|ntddscsi|ntddmmc|ntdef|ntstatus|iphlpapi|ws2tcpip|mswsock|lmcons|sddl|aclapi"
    r"|userenv|psapi|tlhelp32|dbghelp|tchar|mmsystem|mmreg|d2d1|d3d11|dxgi|gdiplus|wrl|atl[a-z]*)\.h$",
    re.IGNORECASE)
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def offences(root, folders):
    found = []
    for folder in folders:
        base = os.path.join(root, folder)
        for directory, _, files in sorted(os.walk(base)):
            for name in sorted(files):
                if not name.endswith((".h", ".hpp", ".cpp", ".inc")) or WINDOWS_FILE.search(name):
                    continue
                path = os.path.join(directory, name)
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        kind, header = match.groups()
                        where = f"{os.path.relpath(path, root)}:{number}"
                        if kind == "<" and WINDOWS_HEADERS.match(os.path.basename(header)):
                            found.append(f"{where}: includes the Windows header <{header}>")
                        elif kind == '"' and "/" in header and header.split("/")[0] not in PORTABLE:
                            found.append(f"{where}: includes \"{header}\", which is not portable code")
    return found


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    root = sys.argv[1]
    folders = sys.argv[2:] or list(PORTABLE)
    missing = [folder for folder in folders if not os.path.isdir(os.path.join(root, folder))]
    if missing:
        print(f"no such folder under {root}: {', '.join(missing)}", file=sys.stderr)
        return 2
    found = offences(root, folders)
    for offence in found:
        print(offence, file=sys.stderr)
    if found:
        return 1
    print(f"{', '.join(folders)}: no Windows header")
    return 0


if __name__ == "__main__":
    sys.exit(main())
