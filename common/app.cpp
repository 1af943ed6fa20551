#include "app.h"

#include "../resources/ids.h"
#include "centring.h"

HINSTANCE AppInstance;
char AppTitle[kTitleSize];
static RECT DesktopRect;  // only right and bottom are used

bool InitApp(HINSTANCE instance)
{
    AppInstance = instance;
    return LoadStringA(AppInstance, IDS_TITLE, AppTitle, sizeof AppTitle) != 0;
}

void InitDesktop() { GetWindowRect(GetDesktopWindow(), &DesktopRect); }

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

void* AllocLockedBlock(SIZE_T bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* locked = GlobalLock(block);
    if (!locked && block)
        GlobalFree(block);
    return locked;
}

void FreeLockedBlock(void* locked)
{
    if (!locked)
        return;
    HGLOBAL block = GlobalHandle(locked);
    GlobalUnlock(block);
    GlobalFree(block);
}
