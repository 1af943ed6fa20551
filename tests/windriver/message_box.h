// Reading message boxes as the player sees them.
#pragma once

#include <windows.h>

#include <string>

// A message box's caption, text and style as far as its window shows it:
// the buttons (MB_OK or MB_YESNO), the default button (MB_DEFBUTTON2 when
// the second is the default) and the icon. The icon's kind can be told only
// in the box's own process; from another process a box with an icon reads
// kSomeIcon.
struct SeenBox {
    std::string caption;
    std::string text;
    UINT buttons = 0;
    UINT defaultButton = 0;
    UINT icon = 0;
    HWND window = NULL;
};

constexpr UINT kSomeIcon = 0xF0;

// A top-level #32770 window with OK or Yes: a message box rather than one of
// the program's own dialogs.
bool IsMessageBox(HWND window);

SeenBox ReadMessageBox(HWND box);

// Whether `seen` has exactly the buttons, default and icon of `style`
// (kSomeIcon accepts either icon).
bool HasStyle(const SeenBox& seen, UINT style);

// Shows a box's parts for failure messages.
std::string Describe(const SeenBox& seen);
