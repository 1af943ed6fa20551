// Running the program's own code in this test process: its GUI on a thread
// of its own, the test playing the player from the main thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

#include "driver.h"
#include "import_patch.h"

// Presses whatever ends the windows still open in this process: No or OK on
// message boxes, cancel (402) or exit (300) on dialogs. For tests that stop
// early, so that the program's thread can end.
void CloseEverything(const std::atomic<bool>& done);

// Runs `program` (returning int) on its own thread while `drive` gets a
// driver for this process's windows; returns the program's result.
template <class Program, class Drive>
int RunWhileDriving(Program program, Drive drive)
{
    std::atomic<bool> done{false};
    int result = -1;
    std::thread gui([&] {
        result = program();
        done = true;
    });
    drive(WindowDriver(GetCurrentProcessId()));
    CloseEverything(done);
    gui.join();
    return result;
}

// The launcher's entry, which the in-process tests link.
extern "C" int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

// GetModuleFileNameA as the launcher would see it had it been started from
// the current folder (the test's disc): that folder's Q3.EXE.
DWORD WINAPI LauncherInCurrentFolder(HMODULE module, LPSTR path, DWORD size);

// Runs the whole launcher, from WinMain, while `drive` plays it. The program
// is this test program, whose folder is no disc: the launcher is told it
// lies in the current folder.
template <class Drive>
int RunLauncherWhileDriving(Drive drive)
{
    ImportPatch onTheDisc("KERNEL32.dll", "GetModuleFileNameA", (void*)LauncherInCurrentFolder);
    return RunWhileDriving([] { return WinMain(GetModuleHandleA(NULL), NULL, (LPSTR) "", SW_SHOWDEFAULT); }, drive);
}
