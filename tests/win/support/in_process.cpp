#include "in_process.h"

#include <gtest/gtest.h>

#include <string>

#include "../../../resources/ids.h"
#include "watch.h"

// The launcher's entry, which the in-process tests link.
extern "C" int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

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

// GetModuleFileNameA as the launcher sees it: its Q3.EXE in the current folder.
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

}  // namespace

void CloseEverything(const std::atomic<bool>& done)
{
    const DWORD start = GetTickCount();
    while (!done && GetTickCount() - start < kWaitMs) {
        EnumWindows(Press, 0);
        Sleep(100);
    }
}

int RunLauncherWhileDriving(const std::function<void(const WindowDriver&)>& drive)
{
    Watch("KERNEL32.dll", "GetModuleFileNameA", (void*)LauncherInCurrentFolder);
    return RunWhileDriving([] { return WinMain(GetModuleHandleA(NULL), NULL, (LPSTR) "", SW_SHOWDEFAULT); }, drive);
}

int WithMainWindow(const std::function<void(const Player&)>& play)
{
    return RunLauncherWhileDriving([&](const WindowDriver& driver) {
        HWND main = driver.WaitForDialog(IDC_PLAY);
        ASSERT_TRUE(main) << "no main window";
        play(Player{driver, main});
        if (IsWindow(main))
            Click(main, IDC_EXIT);
    });
}

std::thread SendFromAnotherThread(HWND window, UINT message, WPARAM wParam, std::atomic<bool>* handled)
{
    return std::thread([=] {
        SendMessageA(window, message, wParam, 0);
        *handled = true;
    });
}
