#include "in_process.h"

#include "../../../resources/ids.h"

#include <string>

namespace {

BOOL CALLBACK Press(HWND window, LPARAM)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != GetCurrentProcessId() || !IsWindowVisible(window))
        return TRUE;
    if (IsMessageBox(window)) {
        PostMessageA(window, WM_COMMAND, GetDlgItem(window, IDNO) ? IDNO : IDOK, 0);
    } else {
        for (int id : {IDC_CANCEL, IDC_EXIT})
            if (GetDlgItem(window, id))
                PostMessageA(window, WM_COMMAND, id, 0);
    }
    return TRUE;
}

}  // namespace

void CloseEverything(const std::atomic<bool>& done)
{
    const DWORD start = GetTickCount();
    while (!done && GetTickCount() - start < kWaitMs) {
        EnumWindows(Press, 0);
        Sleep(100);
    }
}

DWORD WINAPI LauncherInCurrentFolder(HMODULE, LPSTR path, DWORD size)
{
    char folder[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder || size == 0)
        return 0;
    std::string program = folder;
    if (program.back() != '\\')
        program += '\\';
    program += "Q3.EXE";
    lstrcpynA(path, program.c_str(), int(size));
    return program.size() < size ? DWORD(program.size()) : size;
}
