// The three dialog procedures, exported by name from the program, and the
// placement they share.
#pragma once

#include <windows.h>

extern "C" {
__declspec(dllexport) INT_PTR CALLBACK DlgMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
__declspec(dllexport) INT_PTR CALLBACK DlgSelectProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
__declspec(dllexport) INT_PTR CALLBACK DlgInstallProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
}

// Centres a window on DesktopRect without resizing it. `extent` is added to
// its width and height first (see centring.h).
void CentreOnDesktop(HWND window, int extent);
