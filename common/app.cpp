#include "app.h"

#include "centring.h"

HINSTANCE AppInstance;
char AppTitle[kTitleSize];
RECT DesktopRect;

void CentreOnDesktop(HWND window, int extent)
{
    RECT rect;
    GetWindowRect(window, &rect);
    const int x = CentredOffset(DesktopRect.right, rect.right - rect.left + extent);
    const int y = CentredOffset(DesktopRect.bottom, rect.bottom - rect.top + extent);
    SetWindowPos(window, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void Notify(HWND owner, const char* text) { MessageBoxA(owner, text, AppTitle, MB_ICONINFORMATION); }

bool Ask(HWND owner, const char* question, UINT defaultButton)
{
    return MessageBoxA(owner, question, AppTitle, MB_YESNO | MB_ICONQUESTION | defaultButton) == IDYES;
}
