// Drives the windows of one process the way a player would: finds its
// dialogs and message boxes, reads their texts, clicks their buttons. Works
// from another process (the end-to-end tests) or from another thread of the
// same process (the in-process tests).
#pragma once

#include <windows.h>

#include <string>

#include "message_box.h"

constexpr DWORD kWaitMs = 20000;

class WindowDriver {
public:
    explicit WindowDriver(DWORD processId) : processId_(processId) { }

    // A visible top-level dialog of the process that has a control `id`.
    HWND WaitForDialog(int controlId, DWORD timeoutMs = kWaitMs) const;
    // The same, without waiting for it to become visible.
    HWND WaitForDialogWindow(int controlId, DWORD timeoutMs = kWaitMs) const;
    // The next visible message box, read but not answered; window NULL on timeout.
    SeenBox WaitForMessageBox(DWORD timeoutMs = kWaitMs) const;
    // Whether a message box appears within the time.
    bool MessageBoxWithin(DWORD timeoutMs) const;

private:
    HWND Find(bool (*match)(HWND, int), int argument, bool visible) const;
    DWORD processId_;
};

// The launcher's main window in any process: a visible dialog with the play
// button; NULL if none shows within the time.
HWND FindMainWindow(DWORD timeoutMs = kWaitMs);

// Presses a button of a dialog or message box: a posted BM_CLICK, so that a
// modal box it opens does not block the caller.
void Click(HWND dialog, int controlId);

// Answers a message box with IDOK, IDYES or IDNO and waits until it is gone,
// so that the next box waited for is a new one.
void Answer(const SeenBox& box, int button);

// Sets the text of a control of a dialog of any process.
void SetControlText(HWND dialog, int controlId, const std::string& text);

// Waits for a condition, polling; true if it held within the time.
template <class Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = kWaitMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
}
