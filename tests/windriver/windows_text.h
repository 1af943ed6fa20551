// Window texts as the ANSI API gives them: code page 932 bytes.
#pragma once

#include <windows.h>

#include <string>

// The text of a window of any process (WM_GETTEXT, which the system
// carries across processes).
std::string WindowText(HWND window);

// Bytes for failure messages: printable ASCII as is, everything else as \xNN,
// so that a wrong byte shows.
std::string ShowBytes(const std::string& bytes);
