// DLG_MAIN: the title picture, play, install or uninstall, and exit.
#include "main_window.h"

#include "../common/app.h"
#include "../common/centring.h"
#include "../common/texts.h"
#include "../installer/installer.h"
#include "../resources/ids.h"
#include "picture.h"

// Play, install and uninstall run message boxes and dialogs: while one of
// them runs, the main window ignores its commands and its close box.
static bool commandRunning;

// Starts the engine, installed or from the current directory, and closes the
// launcher whether or not it started.
static void Play(HWND window)
{
    char engine[sizeof InstallPath + 1 + sizeof kEngineName];
    char message[sizeof engine + sizeof kTextEngineMissing];
    char commandLine[] = "VGX Kirasol";
    if (IsInstalled) {
        lstrcpyA(engine, InstallPath);
        lstrcatA(engine, "\\");
    } else {
        engine[0] = '\0';  // the current directory's
    }
    lstrcatA(engine, kEngineName);

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
        if (wParam == SC_CLOSE && !commandRunning)
            EndDialog(window, 0);
        break;
    case WM_COMMAND:
        if (!BeginCommand(&commandRunning))
            break;
        // The whole wParam: only clicks (notification 0) act, and IDCANCEL
        // from Escape is ignored.
        switch (wParam) {
        case IDC_PLAY: Play(window); break;
        case IDC_INSTALL: InstallOrUninstall(window); break;
        case IDC_EXIT: EndDialog(window, 0); break;
        }
        EndCommand(&commandRunning);
        break;
    }
    return FALSE;
}
