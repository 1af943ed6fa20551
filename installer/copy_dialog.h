// The copy dialog's helpers.
#pragma once

#include <windows.h>

// Dispatches at most one pending message of the thread, of any window:
// exactly one peek, no translation and no dialog keyboard handling.
void PumpOneMessage();

// Paints the green part of the bar (control 600) for copiedBytes of
// installSize, straight onto the control.
void PaintProgressBar(HWND dialog);
