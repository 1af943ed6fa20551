// What every window of the program shares: the module, the product title
// that captions every message box, the desktop the dialogs centre on, and
// the message boxes and centring themselves. Start-up fills the state once;
// the launcher and the installer read it.
#pragma once

#include <windows.h>

#include <cstdint>

enum { kTitleSize = 82, kPathSize = 260 };

// The game engine: play starts it, from the disc or from the install
// directory, and every install copies it from the disc's root.
inline constexpr char kEngineName[] = "VGX.EXE";

extern HINSTANCE AppInstance;
extern char AppTitle[kTitleSize];  // string 1: the main window's title and every box's caption

// Notes the module and loads string 1 into AppTitle; false if it is missing.
bool InitApp(HINSTANCE instance);

// Notes the desktop's rectangle, which every dialog centres on.
void InitDesktop();

// Centres a window on the noted desktop without resizing it. `extent` is
// added to its width and height first (see centring.h).
void CentreOnDesktop(HWND window, int extent);

// A locked movable block of `bytes` bytes, or NULL with nothing left
// allocated; FreeLockedBlock releases it through its handle (NULL is none).
void* AllocLockedBlock(SIZE_T bytes);
void FreeLockedBlock(void* block);

// Whether a byte leads a double-byte character in the system's ANSI code
// page, which is how Windows itself splits a path into names.
inline bool IsSystemLeadByte(uint8_t byte) { return IsDBCSLeadByte(byte) != FALSE; }

// One command at a time. A command's dialogs and questions run message
// loops, and those dispatch what another thread sends meanwhile (an
// automation tool's click), so a window takes a command only while none of
// its own runs: BeginCommand is false while one does.
inline bool BeginCommand(bool* running)
{
    if (*running)
        return false;
    *running = true;
    return true;
}
inline void EndCommand(bool* running) { *running = false; }

// A notice or failure: an information box with the product title as caption.
void Notify(HWND owner, const char* text);

// A question with Yes and No; true only for Yes. `defaultButton` is 0 (Yes)
// or MB_DEFBUTTON2 (No).
bool Ask(HWND owner, const char* question, UINT defaultButton);
