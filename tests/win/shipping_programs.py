#!/usr/bin/python3
"""The shipping programs start on a clean Windows 95 or NT 3.51.

Reads each program with pefile and fails on anything such a system would
refuse or lack: a DLL beyond the four every 32-bit Windows has, a function
outside the classic Win32 calls the program makes, a TLS directory (the C
runtime's start-up brings one), a subsystem other than the GUI, or a
subsystem version above 4.0.

    shipping_programs.py PROGRAM...
"""
import sys

import pefile

# The classic calls, each exported by both NT 3.51 and Windows 95. A new
# call belongs here only once it is known to be on both.
CLASSIC = {
    "KERNEL32.DLL": {
        # the entry
        "ExitProcess", "GetCommandLineA", "GetModuleHandleA",
        # start-up and the picture
        "GetVersion", "GetModuleFileNameA", "SetCurrentDirectoryA", "FindResourceA", "LoadResource", "LockResource",
        "SizeofResource", "FreeResource", "GlobalAlloc", "GlobalLock", "GlobalUnlock", "GlobalFree",
        "GlobalHandle",
        # files, directories and drives
        "OpenFile", "_lread", "_lwrite", "_lclose", "FindFirstFileA", "FindNextFileA", "FindClose",
        "CreateDirectoryA", "RemoveDirectoryA", "DeleteFileA", "GetDiskFreeSpaceA", "GetFullPathNameA",
        "GetWindowsDirectoryA", "GetFileAttributesA", "GetLastError", "IsDBCSLeadByte",
        # play
        "CreateProcessA", "CloseHandle",
        "lstrcpyA", "lstrcatA", "lstrlenA",
    },
    "USER32.DLL": {
        "LoadStringA", "DialogBoxParamA", "EndDialog", "MessageBoxA", "GetDesktopWindow", "GetWindowRect",
        "SetWindowPos", "SetWindowTextA", "SetDlgItemTextA", "SendDlgItemMessageA", "GetDlgItem",
        "GetClientRect", "BeginPaint", "EndPaint", "GetDC", "ReleaseDC", "InvalidateRect", "PeekMessageA",
        "DispatchMessageA", "PostMessageA", "wsprintfA",
    },
    "GDI32.DLL": {
        "CreatePalette", "SelectPalette", "RealizePalette", "GetSystemPaletteEntries", "StretchDIBits",
        "CreateSolidBrush", "SelectObject", "PatBlt", "DeleteObject",
    },
    "ADVAPI32.DLL": {
        "RegCreateKeyExA", "RegEnumValueA", "RegSetValueExA", "RegDeleteValueA", "RegCloseKey",
    },
}


def faults(path):
    pe = pefile.PE(path)
    found = []
    if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
        found.append("not a 32-bit x86 program")
    header = pe.OPTIONAL_HEADER
    if header.Subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
        found.append(f"subsystem {header.Subsystem}, not the Windows GUI")
    version = (header.MajorSubsystemVersion, header.MinorSubsystemVersion)
    if version > (4, 0):
        found.append("subsystem version %d.%d, above 4.0" % version)
    tls = header.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_TLS"]]
    if tls.VirtualAddress or tls.Size:
        found.append("a TLS directory")
    if not hasattr(pe, "DIRECTORY_ENTRY_IMPORT"):
        return found + ["no import table"]
    for dll in pe.DIRECTORY_ENTRY_IMPORT:
        name = dll.dll.decode().upper()
        allowed = CLASSIC.get(name)
        if allowed is None:
            found.append(f"imports from {name}")
            continue
        for function in dll.imports:
            if function.name is None:
                found.append(f"{name} by ordinal {function.ordinal}")
            elif function.name.decode() not in allowed:
                found.append(f"{name}!{function.name.decode()}")
    return found


def main(programs):
    failed = False
    for path in programs:
        problems = faults(path)
        print(f"{path}: {'; '.join(problems) if problems else 'four system DLLs, classic calls, no TLS, GUI 4.0'}")
        failed |= bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
