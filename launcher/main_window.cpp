// DLG_MAIN: the title picture, play, install or uninstall, and exit.
#include "main_window.h"

#include "../common/app.h"
#include "../common/centring.h"
#include "../common/texts.h"
#include "../installer/installer.h"
#include "../resources/ids.h"
#include "picture.h"

static const char kEngine[] = "VGX.EXE";
static const char kInstalledEngine[] = "\\VGX.EXE";  // appended to InstallPath

// Starts the engine, installed or from the current directory, and closes the
// launcher whether or not it started.
static void Play(HWND window)
{
    char engine[sizeof InstallPath + sizeof kInstalledEngine];
    char message[sizeof engine + sizeof kTextEngineMissing];
    char commandLine[] = "VGX Kirasol";
    if (IsInstalled) {
        lstrcpyA(engine, InstallPath);
        lstrcatA(engine, kInstalledEngine);
    } else {
        lstrcpyA(engine, kEngine);
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (CreateProcessA(engine, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        lstrcpyA(message, engine);
        lstrcatA(message, kTextEngineMissing);
        MessageBoxA(window, message, AppTitle, MB_OK);
    }
    EndDialog(window, 0);
}

static void InstallOrUninstall(HWND window)
{
    if (IsInstalled) {
        if (UninstallCommand(window) == 1)
            SetDlgItemTextA(window, IDC_INSTALL, kLabelInstall);
    } else if (InstallCommand(window) == 1) {
        SetDlgItemTextA(window, IDC_INSTALL, kLabelUninstall);
    }
}

INT_PTR CALLBACK DlgMainProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        if (IsInstalled)
            SetDlgItemTextA(window, IDC_INSTALL, kLabelUninstall);
        SetWindowTextA(window, AppTitle);
        CentreOnDesktop(window, kMainWindowExtent);
        break;
    case WM_PAINT: PaintPicture(window); break;
    case WM_QUERYNEWPALETTE: RealizePicturePalette(window); break;
    case WM_PALETTECHANGED:
        if ((HWND)wParam != window)  // not after our own realisation
            RealizePicturePalette(window);
        break;
    case WM_SYSCOMMAND:
        if (wParam == SC_CLOSE)
            EndDialog(window, 0);
        break;
    case WM_COMMAND:
        // The whole wParam: only clicks (notification 0) act, and IDCANCEL
        // from Escape is ignored.
        switch (wParam) {
        case IDC_PLAY: Play(window); break;
        case IDC_INSTALL: InstallOrUninstall(window); break;
        case IDC_EXIT: EndDialog(window, 0); break;
        }
        break;
    }
    return FALSE;
}
