// DLG_MAIN, the main window: its dialog procedure, exported by name.
#pragma once

#include <windows.h>

extern "C" __declspec(dllexport) INT_PTR CALLBACK DlgMainProc(HWND window, UINT message, WPARAM wParam,
                                                              LPARAM lParam);
