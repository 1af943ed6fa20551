#include "in_process.h"

#include "../../../resources/ids.h"

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
