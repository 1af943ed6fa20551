// Running the program's own code in this test process: its GUI on a thread
// of its own, the test playing the player from the main thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

#include "driver.h"
#include "player.h"

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

// Runs the whole launcher, from WinMain, while `drive` plays it; returns
// WinMain's result. The program is this test program, whose folder is no
// disc: the launcher is told that it lies in the current folder (the test's
// disc), as if it had been started from there.
int RunLauncherWhileDriving(const std::function<void(const WindowDriver&)>& drive);

// The same, for a launcher whose main window shows: `play` plays it, and it
// is closed afterwards if still open.
int WithMainWindow(const std::function<void(const Player&)>& play);

// Sends `message` to `window` from another thread, as automation tools
// click; `handled` is set once the window has handled it.
std::thread SendFromAnotherThread(HWND window, UINT message, WPARAM wParam, std::atomic<bool>* handled);
