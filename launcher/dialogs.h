// The three dialog procedures, exported by name from the program, and what
// every window of the program shares: placement and message boxes.
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

// A notice or failure: an information box with the product title as caption.
void Notify(HWND owner, const char* text);

// A question with Yes and No; true only for Yes. `defaultButton` is 0 (Yes)
// or MB_DEFBUTTON2 (No).
bool Ask(HWND owner, const char* question, UINT defaultButton);
