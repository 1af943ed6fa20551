#include "message_box.h"

#include <cstdio>

#include "windows_text.h"

namespace {

constexpr int kWineIconId = 0x440;
constexpr int kWindowsIconId = 20;

bool IsDefault(HWND button) { return button && (GetWindowLongA(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON; }

}  // namespace

bool IsMessageBox(HWND window)
{
    char className[16];
    if (!GetClassNameA(window, className, sizeof className) || lstrcmpA(className, "#32770") != 0)
        return false;
    return GetDlgItem(window, IDOK) || GetDlgItem(window, IDYES);
}

SeenBox ReadMessageBox(HWND box)
{
    SeenBox seen;
    seen.window = box;
    seen.caption = WindowText(box);
    seen.text = WindowText(GetDlgItem(box, 0xFFFF));
    HWND yes = GetDlgItem(box, IDYES), no = GetDlgItem(box, IDNO);
    seen.buttons = yes && no ? MB_YESNO : MB_OK;
    seen.defaultButton = seen.buttons == MB_YESNO && IsDefault(no) ? MB_DEFBUTTON2 : 0;

    // The icon control may be there with no icon in it.
    HWND icon = GetDlgItem(box, kWineIconId);
    if (!icon)
        icon = GetDlgItem(box, kWindowsIconId);
    const HICON shown = icon ? (HICON)SendMessageA(icon, STM_GETICON, 0, 0) : NULL;
    if (shown) {
        seen.icon = kSomeIcon;
        DWORD owner = 0;
        GetWindowThreadProcessId(box, &owner);
        if (owner == GetCurrentProcessId()) {
            if (shown == LoadIconA(NULL, (LPCSTR)IDI_INFORMATION))
                seen.icon = MB_ICONINFORMATION;
            else if (shown == LoadIconA(NULL, (LPCSTR)IDI_QUESTION))
                seen.icon = MB_ICONQUESTION;
        }
    }
    return seen;
}

bool HasStyle(const SeenBox& seen, UINT style)
{
    const UINT icon = style & MB_ICONMASK;
    const bool iconMatches = seen.icon == kSomeIcon ? icon != 0 : seen.icon == icon;
    return seen.buttons == (style & MB_TYPEMASK) && seen.defaultButton == (style & MB_DEFMASK) && iconMatches;
}

std::string Describe(const SeenBox& seen)
{
    char line[128];
    snprintf(line, sizeof line, " [buttons %#x, default %#x, icon %#x]", seen.buttons, seen.defaultButton, seen.icon);
    return "caption \"" + ShowBytes(seen.caption) + "\", text \"" + ShowBytes(seen.text) + "\"" + line;
}
