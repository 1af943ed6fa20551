#include "driver.h"

#include "../../resources/ids.h"

namespace {

struct Search {
    DWORD processId;
    bool (*match)(HWND, int);
    int argument;
    bool visible;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM lParam)
{
    Search* search = (Search*)lParam;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || (search->visible && !IsWindowVisible(window)))
        return TRUE;
    if (!search->match(window, search->argument))
        return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK VisitAnyProcess(HWND window, LPARAM lParam)
{
    Search* search = (Search*)lParam;
    if (!IsWindowVisible(window) || !search->match(window, search->argument))
        return TRUE;
    search->found = window;
    return FALSE;
}

bool HasControl(HWND window, int id)
{
    char className[16];
    return GetClassNameA(window, className, sizeof className) && lstrcmpA(className, "#32770") == 0 &&
        !IsMessageBox(window) && GetDlgItem(window, id) != NULL;
}

bool AnyMessageBox(HWND window, int) { return IsMessageBox(window); }

}  // namespace

HWND WindowDriver::Find(bool (*match)(HWND, int), int argument, bool visible) const
{
    Search search = {processId_, match, argument, visible, NULL};
    EnumWindows(Visit, (LPARAM)&search);
    return search.found;
}

HWND WindowDriver::WaitForDialog(int controlId, DWORD timeoutMs) const
{
    HWND found = NULL;
    WaitFor([&] { return (found = Find(HasControl, controlId, true)) != NULL; }, timeoutMs);
    return found;
}

HWND WindowDriver::WaitForDialogWindow(int controlId, DWORD timeoutMs) const
{
    HWND found = NULL;
    WaitFor([&] { return (found = Find(HasControl, controlId, false)) != NULL; }, timeoutMs);
    return found;
}

SeenBox WindowDriver::WaitForMessageBox(DWORD timeoutMs) const
{
    HWND found = NULL;
    // A box is read once its text is in place.
    WaitFor([&] { return (found = Find(AnyMessageBox, 0, true)) != NULL && GetDlgItem(found, 0xFFFF); }, timeoutMs);
    return found ? ReadMessageBox(found) : SeenBox{};
}

bool WindowDriver::MessageBoxWithin(DWORD timeoutMs) const
{
    return WaitFor([&] { return Find(AnyMessageBox, 0, true) != NULL; }, timeoutMs);
}

HWND FindMainWindow(DWORD timeoutMs)
{
    Search search = {0, HasControl, IDC_PLAY, true, NULL};
    WaitFor(
        [&] {
            EnumWindows(VisitAnyProcess, (LPARAM)&search);
            return search.found != NULL;
        },
        timeoutMs);
    return search.found;
}

void Click(HWND dialog, int controlId) { PostMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0); }

void Answer(const SeenBox& box, int button)
{
    Click(box.window, button);
    WaitFor([&] { return !IsWindow(box.window); });
}

void SetControlText(HWND dialog, int controlId, const std::string& text)
{
    SendMessageA(GetDlgItem(dialog, controlId), WM_SETTEXT, 0, (LPARAM)text.c_str());
}
