#!/usr/bin/env python3
"""Fails when a Windows program imports a system function that Windows 7 lacks.

    scripts/check-imports.py OBJDUMP COMPILER PROGRAM.exe...

A program that imports a missing function does not start at all, so every
function newer than Windows 7 must be found at run time instead. Two checks:

1. Every imported function of a system DLL must be declared by the MinGW-w64
   headers when they are told the target is Windows 7: the headers hide the
   newer functions behind version tests, so they serve as the list of what
   Windows 7 has, without one kept here by hand. A name they do not know at
   all fails too (unless it is one of the runtime's own imports below).
2. A list of known newer functions fails even where a header declares it
   for Windows 7 by mistake (some do: GetSystemTimePreciseAsFileTime,
   GetOverlappedResultEx...). It holds the DPI family the program finds at
   run time (toolkit/system_functions.h) and the slips found in the headers.

A list of every allowed import would miss nothing, but would have to grow
with each new call of an old function; the headers grow by themselves.

The C runtime (msvcrt.dll) is the MinGW-w64 runtime's choice, the same on
every Windows version, and is not checked.
"""
import os
import re
import subprocess
import sys
import tempfile

HEADERS = """
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <uxtheme.h>
#include <vssym32.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>
#include <wininet.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#include <winioctl.h>
#include <dbt.h>
"""

# Imports of the compiler's runtime that no SDK header declares.
RUNTIME_IMPORTS = {"__C_specific_handler"}

# Newer than Windows 7, whatever a header says.
KNOWN_NEWER = {
    "GetDpiForWindow", "GetDpiForSystem", "GetSystemMetricsForDpi", "SystemParametersInfoForDpi",
    "AdjustWindowRectExForDpi", "SetThreadDpiAwarenessContext", "GetThreadDpiAwarenessContext",
    "SetProcessDpiAwarenessContext", "GetWindowDpiAwarenessContext", "AreDpiAwarenessContextsEqual",
    "EnableNonClientDpiScaling", "GetDpiForMonitor", "SetProcessDpiAwareness", "GetProcessDpiAwareness",
    "LogicalToPhysicalPointForPerMonitorDPI", "PhysicalToLogicalPointForPerMonitorDPI",
    "GetSystemTimePreciseAsFileTime", "CreateFile2", "SetThreadDescription", "GetThreadDescription",
    "PathCchCombine", "PathCchAppend", "PathCchCanonicalize", "GetCurrentPackageFullName",
    # Declared for Windows 7 by the MinGW-w64 headers, yet Windows 8 or later.
    "GetOverlappedResultEx", "SetCoalescableTimer", "GetCurrentInputMessageSource",
}


def imports(objdump, program):
    """(dll, function) pairs of the program's import table."""
    text = subprocess.run([objdump, "-p", program], check=True, capture_output=True, text=True).stdout
    result = []
    dll = None
    in_table = False
    for line in text.splitlines():
        if line.startswith("The Import Tables"):
            in_table = True
            continue
        if in_table and (line.startswith("The Export Tables") or line.startswith("The Function Table")
                         or line.startswith("PE File Base Relocations")):
            break
        match = re.match(r"\s*DLL Name: (\S+)", line)
        if in_table and match:
            dll = match.group(1).lower()
            continue
        # "	0001f0a8	 1189  WideCharToMultiByte" (hint-name rows; ordinals have no name)
        match = re.match(r"\s+[0-9a-f]+\s+\d+\s+([A-Za-z_][A-Za-z0-9_@]*)\s*$", line)
        if in_table and dll and match:
            result.append((dll, match.group(1)))
    return result


def undeclared_for_windows7(compiler, names):
    """The names the system headers do not declare for Windows 7."""
    if not names:
        return set()
    source = HEADERS + "".join(
        f"static const void* const check_{i} = reinterpret_cast<const void*>(&::{name});\n"
        for i, name in enumerate(names))
    with tempfile.NamedTemporaryFile("w", suffix=".cpp", delete=False) as file:
        file.write(source)
        path = file.name
    run = subprocess.run(
        [compiler, "-fsyntax-only", "-std=c++20", "-w", "-fmax-errors=0", "-DUNICODE", "-D_UNICODE",
         "-D_WIN32_WINNT=0x0601", "-DWINVER=0x0601", "-DNTDDI_VERSION=0x06010000", "-D_WIN32_IE=0x0800", path],
        capture_output=True, text=True, env={**os.environ, "LC_ALL": "C"})
    missing = set(re.findall(r"'::(\w+)' has not been declared", run.stderr))
    missing |= set(re.findall(r"'(\w+)' has not been declared in '::'", run.stderr))
    missing |= set(re.findall(r"'(\w+)' was not declared in this scope", run.stderr))
    if run.returncode != 0 and not missing:
        sys.exit("cannot check the declarations:\n" + run.stderr[:4000])
    return missing


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    objdump, compiler, programs = sys.argv[1], sys.argv[2], sys.argv[3:]
    failed = False
    for program in programs:
        table = [(dll, name) for dll, name in imports(objdump, program) if dll != "msvcrt.dll"]
        if not table:
            print(f"{program}: no imports found", file=sys.stderr)
            failed = True
            continue
        names = sorted({name for _, name in table} - RUNTIME_IMPORTS)
        undeclared = undeclared_for_windows7(compiler, names)
        newer = [(dll, name) for dll, name in sorted(table, key=lambda entry: entry[1])
                 if name in KNOWN_NEWER or name in undeclared]
        for dll, name in newer:
            print(f"{program}: imports {dll} {name}, which Windows 7 lacks: find it at run time "
                  "(toolkit/system_functions.h)", file=sys.stderr)
        failed = failed or bool(newer)
        if not newer:
            print(f"{program}: {len(table)} system imports, all in Windows 7")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
